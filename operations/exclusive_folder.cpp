#include "operations/exclusive_folder.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The error's text in the system's words.
QString errorText(int error) {
    return qt_error_string(error);
}

}  // namespace

ExclusiveFolder::Result ExclusiveFolder::fail(const QString& name, int error) {
    failure_ = QStringLiteral("%1: %2").arg(
        QDir::toNativeSeparators(name.isEmpty() ? path_ : QDir(path_).filePath(name)),
        errorText(error));
    return Result::Failed;
}

#ifdef Q_OS_WIN

namespace {

std::wstring nativePath(const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(QDir(folder).filePath(name)).toStdWString();
}

bool taken(DWORD error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

}  // namespace

ExclusiveFolder::ExclusiveFolder(const QString& path) : path_(path) {
    const DWORD attributes = GetFileAttributesW(nativePath(path_, QString()).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        fail(QString(), static_cast<int>(GetLastError()));
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        fail(QString(), ERROR_DIRECTORY);
    } else {
        open_ = true;
    }
}

ExclusiveFolder::~ExclusiveFolder() = default;

ExclusiveFolder::Result ExclusiveFolder::create(const QString& name, QByteArrayView bytes) {
    const std::wstring path = nativePath(path_, name);
    // CREATE_NEW takes no name that exists, a link's included; the link is not followed.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return taken(error) ? Result::Taken : fail(name, static_cast<int>(error));
    }
    DWORD error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        DWORD wrote = 0;
        const auto chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
            error = GetLastError();
        }
        done += wrote;
    }
    if (error == 0 && !FlushFileBuffers(file)) {
        error = GetLastError();
    }
    if (!CloseHandle(file) && error == 0) {
        error = GetLastError();
    }
    if (error != 0) {
        DeleteFileW(path.c_str());
        return fail(name, static_cast<int>(error));
    }
    return Result::Done;
}

ExclusiveFolder::Result ExclusiveFolder::move(const QString& from, const QString& to) {
    // Without MOVEFILE_REPLACE_EXISTING a name in use is never replaced.
    if (MoveFileExW(nativePath(path_, from).c_str(), nativePath(path_, to).c_str(),
                    MOVEFILE_WRITE_THROUGH)) {
        return Result::Done;
    }
    const DWORD error = GetLastError();
    return taken(error) ? Result::Taken : fail(to, static_cast<int>(error));
}

bool ExclusiveFolder::remove(const QString& name) {
    return DeleteFileW(nativePath(path_, name).c_str()) != 0;
}

#else

namespace {

QByteArray encoded(const QString& name) {
    return QFile::encodeName(name);
}

}  // namespace

ExclusiveFolder::ExclusiveFolder(const QString& path) : path_(path) {
    fd_ = ::open(encoded(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    open_ = fd_ >= 0;
    if (!open_) {
        fail(QString(), errno);
    }
}

ExclusiveFolder::~ExclusiveFolder() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

ExclusiveFolder::Result ExclusiveFolder::create(const QString& name, QByteArrayView bytes) {
    const QByteArray file = encoded(name);
    // O_EXCL takes no name that exists, and with O_NOFOLLOW no link is followed either.
    const int fd =
        ::openat(fd_, file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno == EEXIST ? Result::Taken : fail(name, errno);
    }
    int error = 0;
    for (qsizetype done = 0; done < bytes.size() && error == 0;) {
        const ssize_t wrote =
            ::write(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (wrote > 0) {
            done += wrote;
        } else if (wrote == 0 || errno != EINTR) {
            error = wrote == 0 ? EIO : errno;
        }
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlinkat(fd_, file.constData(), 0);
        return fail(name, error);
    }
    return Result::Done;
}

ExclusiveFolder::Result ExclusiveFolder::move(const QString& from, const QString& to) {
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    int error = 0;
#ifdef __linux__
    if (::renameat2(fd_, source.constData(), fd_, target.constData(), RENAME_NOREPLACE) == 0) {
        ::fsync(fd_);
        return Result::Done;
    }
    error = errno;
#else
    error = EINVAL;
#endif
    // A file system without the no-replace rename: a new link, which never replaces a name
    // either, and then the old name goes.
    if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
        error = ::linkat(fd_, source.constData(), fd_, target.constData(), 0) == 0 ? 0 : errno;
        if (error == 0) {
            ::unlinkat(fd_, source.constData(), 0);
            ::fsync(fd_);
            return Result::Done;
        }
    }
    return error == EEXIST ? Result::Taken : fail(to, error);
}

bool ExclusiveFolder::remove(const QString& name) {
    return ::unlinkat(fd_, encoded(name).constData(), 0) == 0;
}

#endif
