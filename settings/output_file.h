#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>
#include <initializer_list>
#include <span>

// A file the program writes (a configuration file, a log, an image, a dump, a track): the
// bytes go to a temporary file beside the target, and the target is replaced only once every
// byte is known to be in the temporary file. Until then, and on every failure, the target
// keeps its old bytes, and the temporary file is removed when the OutputFile goes away.
//
// QSaveFile does the temporary file and the replacing, but its write() succeeds on data it
// merely buffered and its commit() does not notice a flush that failed (a full disk leaves a
// short file that then replaces the target). So the file is opened unbuffered, every write is
// checked to its last byte, and finish() flushes and checks the device's error before
// anything may be committed. QSaveFile also gives the new file the old one's mode, but its
// writer as owner: run as root (sudo, for the tracker's USB device) it would take a user's
// file from them, so finish() gives it the old owner and group where the system allows.
//
//     OutputFile out(path);
//     if (!out.open() || !out.write(bytes) || !out.finish() || !out.commit()) {
//         ... out.failure() says why, with the path ...
//     }
class OutputFile {
  public:
    explicit OutputFile(const QString& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file beside the target.
    bool open();
    // Appends every byte of `bytes`; false once anything has failed.
    bool write(QByteArrayView bytes);
    // Checks that everything written reached the temporary file. The target is untouched.
    bool finish();
    // Puts the finished file in place of the target.
    bool commit();
    // Drops what was written; the target stays as it was.
    void discard();

    // The target's full path, in the platform's notation.
    QString path() const;
    // Why the file could not be written, in plain words; empty while nothing failed.
    QString reason() const { return reason_; }
    // "<path>: <reason>".
    QString failure() const;

  private:
    bool fail(int errorNumber);
    void keepOwner();

    QSaveFile file_;
    QString reason_;
    bool finished_ = false;
};

// Finishes every file and, only when all of them are complete, puts them in place. Returns
// the first file that failed (the others are discarded and no target is replaced), or nullptr
// when every target was replaced. A failing rename after an earlier one succeeded cannot be
// undone, but the files are all complete by then, so it only happens when a target cannot
// be replaced at all (a folder in its place, a lost permission).
// Null entries stand for outputs not asked for and are skipped.
OutputFile* commitAll(std::span<OutputFile* const> files);
inline OutputFile* commitAll(std::initializer_list<OutputFile*> files) {
    return commitAll(std::span<OutputFile* const>(files.begin(), files.size()));
}
