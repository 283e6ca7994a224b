#include "settings/output_file.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The words for the failures a user can do something about; nothing for the others.
QString plainReason(int errorNumber) {
    switch (errorNumber) {
        case EFBIG:
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return QStringLiteral(
                "not enough room: the disk is full or the file is larger than "
                "the system allows");
        case EACCES:
        case EPERM:
            return QStringLiteral("permission denied");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("the folder does not exist");
        case EROFS:
            return QStringLiteral("the disk is read-only");
        case EISDIR:
            return QStringLiteral("a folder has that name");
        default:
            return {};
    }
}

}  // namespace

OutputFile::OutputFile(const QString& path) : file_(path) {
    // Writing straight to the target would give up what this class is for.
    file_.setDirectWriteFallback(false);
}

OutputFile::~OutputFile() {
    discard();
}

QString OutputFile::path() const {
    return QDir::toNativeSeparators(QFileInfo(file_.fileName()).absoluteFilePath());
}

QString OutputFile::failure() const {
    return QStringLiteral("%1: %2").arg(path(), reason_);
}

bool OutputFile::fail(int errorNumber) {
    if (reason_.isEmpty()) {
        reason_ = plainReason(errorNumber);
    }
    if (reason_.isEmpty()) {
        const QString said = file_.errorString();
        // Qt's fallback text names no reason at all.
        reason_ = said.isEmpty() || said == QLatin1String("Unknown error")
                      ? QStringLiteral("the file could not be written completely")
                      : said;
    }
    discard();
    return false;
}

bool OutputFile::open() {
    // QSaveFile refuses these two with texts of its own that name no reason.
    const QFileInfo target(file_.fileName());
    if (target.isDir()) {
        return fail(EISDIR);
    }
    // Said in the same words on every system (Windows has only "Path not found." for it).
    if (!target.absoluteDir().exists()) {
        return fail(ENOENT);
    }
    if (target.exists() && !target.isWritable()) {
        return fail(EACCES);
    }
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        // The folder is there but takes no new file (no write permission, a read-only disk, a
        // system folder such as /proc). The system's own word for it differs from system to
        // system ("No such file or directory" for /proc), so it is said in these words on
        // every one.
        reason_ = QStringLiteral("files cannot be created in %1")
                      .arg(QDir::toNativeSeparators(target.absolutePath()));
        return fail(0);
    }
    return true;
}

bool OutputFile::write(QByteArrayView bytes) {
    if (!reason_.isEmpty() || !file_.isOpen() || finished_) {
        return false;
    }
    // An unbuffered write goes straight to the system, which may take only a part: the rest is
    // offered again, so a failure shows as the system's error rather than a short count.
    qsizetype done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = file_.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            return fail(errno);
        }
        done += static_cast<qsizetype>(n);
    }
    return true;
}

bool OutputFile::finish() {
    if (!reason_.isEmpty() || !file_.isOpen()) {
        return false;
    }
    errno = 0;
    if (!file_.flush() || file_.bytesToWrite() > 0 || file_.error() != QFileDevice::NoError) {
        return fail(errno);
    }
    keepOwner();
    finished_ = true;
    return true;
}

void OutputFile::keepOwner() {
#ifdef Q_OS_UNIX
    struct stat target {};
    struct stat written {};
    if (::stat(QFile::encodeName(file_.fileName()).constData(), &target) != 0 ||
        ::fstat(file_.handle(), &written) != 0 ||
        (target.st_uid == written.st_uid && target.st_gid == written.st_gid)) {
        return;  // a new file, or one of the same owner
    }
    // Only root may give a file away; anyone may give it a group of their own. What is not
    // allowed stays as it is.
    if (::fchown(file_.handle(), target.st_uid, target.st_gid) != 0 &&
        ::fchown(file_.handle(), static_cast<uid_t>(-1), target.st_gid) != 0) {
        return;
    }
    // A change of owner may clear the set-user and set-group bits; the mode stays the old one.
    (void)::fchmod(file_.handle(), target.st_mode & 07777);
#endif
}

bool OutputFile::commit() {
    if (!finished_ && !finish()) {
        return false;
    }
    errno = 0;
    if (!file_.commit()) {
        return fail(errno);  // commit() has removed the temporary file
    }
    finished_ = false;
    return true;
}

void OutputFile::discard() {
    if (file_.isOpen()) {
        file_.cancelWriting();
        file_.commit();  // after cancelWriting() this only removes the temporary file
    }
    finished_ = false;
}

OutputFile* commitAll(std::span<OutputFile* const> files) {
    // Runs `step` on every file; at the first that fails, every file is discarded.
    const auto everyOne = [files](bool (OutputFile::*step)()) -> OutputFile* {
        for (OutputFile* file : files) {
            if (file && !(file->*step)()) {
                for (OutputFile* other : files) {
                    if (other) {
                        other->discard();
                    }
                }
                return file;
            }
        }
        return nullptr;
    };
    if (OutputFile* failed = everyOne(&OutputFile::finish)) {
        return failed;
    }
    return everyOne(&OutputFile::commit);
}
