#pragma once

#include <QByteArrayView>
#include <QString>

// A folder in which files are made without ever replacing or following anything: a name that
// is taken (by a file, a folder or a link, dangling or not) stays as it is, and the caller
// learns that it was taken. Names are plain file names within the folder, no paths.
//
// On Linux the folder is held open, so that a folder moved or replaced while the files are
// made does not send them elsewhere.
class ExclusiveFolder {
  public:
    explicit ExclusiveFolder(const QString& path);
    ~ExclusiveFolder();
    ExclusiveFolder(const ExclusiveFolder&) = delete;
    ExclusiveFolder& operator=(const ExclusiveFolder&) = delete;

    // False when the folder could not be opened; failure() says why.
    bool isOpen() const { return open_; }

    enum class Result { Done, Taken, Failed };

    // Makes the new file `name` holding `bytes`, on the disk when Done. Taken when the name
    // is in use; on a failure no file of that name is left.
    Result create(const QString& name, QByteArrayView bytes);
    // Gives the file `from` the name `to`, unless `to` is in use (Taken; `from` stays).
    Result move(const QString& from, const QString& to);
    // Removes the name `name` (a link itself, never what it points to).
    bool remove(const QString& name);

    QString path() const { return path_; }
    // "<path>: <reason>" of the last failure.
    QString failure() const { return failure_; }

  private:
    Result fail(const QString& name, int error);

    QString path_;
    QString failure_;
    bool open_ = false;
#ifndef Q_OS_WIN
    int fd_ = -1;
#endif
};
