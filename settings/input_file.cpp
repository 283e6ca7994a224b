#include "settings/input_file.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

std::optional<QString> notARegularFile(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile()) {
        return std::nullopt;
    }
    if (!info.exists()) {
        return QStringLiteral("no such file");
    }
    if (info.isDir()) {
        return QStringLiteral("a folder, not a file");
    }
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        if (S_ISFIFO(st.st_mode)) {
            return QStringLiteral("a named pipe (FIFO), not a file");
        }
        if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
            return QStringLiteral("a device, not a file");
        }
    }
#endif
    return QStringLiteral("not a regular file");
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, QString* why) {
    if (std::optional<QString> reason = notARegularFile(path)) {
        *why = std::move(*reason);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        *why = file.errorString();
        return std::nullopt;
    }
    return bytes;
}
