#include "operations/config_backup.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "image/layout.h"
#include "operations/exclusive_folder.h"
#include "settings/input_file.h"

namespace {

// The station's address field: the call in 6 bytes, then the SSID character.
constexpr int kStationAddressOffset = 14;
// Longest USB serial number kept in a name; longer ones are cut (and hashed).
constexpr int kSerialLength = 32;
// Digits a backup's number is written with at least, so that names sort by it.
constexpr int kNumberWidth = 6;
// Numbers are read up to this many digits; longer ones are not a backup's.
constexpr int kNumberDigits = 15;
// How often a name or number is taken again after another program took it first.
constexpr int kClaimAttempts = 1000;
const QString kTimeFormat = QStringLiteral("yyyyMMdd'T'HHmmss'Z'");

// The letters and digits of `bytes`: what a name may carry of the image or the USB descriptor.
QString lettersAndDigits(QByteArrayView bytes, int limit) {
    QString kept;
    for (const char c : bytes) {
        if (kept.size() < limit &&
            ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            kept += QLatin1Char(c);
        }
    }
    return kept;
}

// What a name keeps of a USB serial number: its letters and digits and, when that is not all
// of it, a short hash of the whole.
void nameSerial(Backup& b, const QString& serial) {
    const QByteArray raw = serial.toUtf8();
    b.serial = lettersAndDigits(raw, kSerialLength);
    b.serialHash.clear();
    if (raw != b.serial.toLatin1()) {
        b.serialHash = QString::fromLatin1(
            QCryptographicHash::hash(raw, QCryptographicHash::Sha256).toHex().left(8));
    }
}

// The name of the backup of `image`, before its number is given.
Backup describe(const ConfigImage& image, const TrackerIdentity& tracker, std::int64_t seconds) {
    Backup b;
    b.time = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    const auto* call = reinterpret_cast<const char*>(image.data() + kStationAddressOffset);
    b.callsign = lettersAndDigits(QByteArrayView(call, kAddressCallLength), kAddressCallLength);
    if (b.callsign.isEmpty()) {
        b.callsign = QStringLiteral("NOCALL");
    }
    const int ssid = image[kStationAddressOffset + kAddressCallLength] - '0';
    b.ssid = ssid >= 0 && ssid <= 15 ? QString::number(ssid) : QStringLiteral("X");
    nameSerial(b, tracker.serial);
    b.firmware = tracker.firmware;
    b.damaged = !CheckImage(image);
    return b;
}

// Newer backups rank higher: by number, and those of the older form without one below every
// numbered one, by time.
bool ranksBelow(const Backup& a, const Backup& b) {
    if (a.number != b.number) {
        return a.number < b.number;
    }
    if (a.time != b.time) {
        return a.time < b.time;
    }
    return a.sequence != b.sequence ? a.sequence < b.sequence : a.fileName() < b.fileName();
}

// The number a name in the folder starts with ("000042-..." or a claim "000042.claim"), or 0.
std::int64_t leadingNumber(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,%1})[-.]").arg(kNumberDigits));
    const QRegularExpressionMatch m = pattern.match(name);
    return m.hasMatch() ? m.captured(1).toLongLong() : 0;
}

// Every name in the folder with the number it starts with: backups, claims, links (dangling
// ones too) and whatever else someone put there.
std::vector<std::pair<std::int64_t, QString>> numberedNames(const QString& folder) {
    std::vector<std::pair<std::int64_t, QString>> names;
    const QStringList all = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                   QDir::NoDotAndDotDot);
    for (const QString& name : all) {
        if (const std::int64_t n = leadingNumber(name); n > 0) {
            names.emplace_back(n, name);
        }
    }
    return names;
}

QString numberText(std::int64_t number) {
    return QStringLiteral("%1").arg(number, kNumberWidth, 10, QLatin1Char('0'));
}

// Gives the finished file `temporary` the name of `backup` with the next free number: the
// number is claimed by making "<number>.claim" exclusively, and kept only when no other name
// has it; the claim goes once the backup has its name. A number or name taken by another
// program in between is tried again with the next one.
bool takeNumber(ExclusiveFolder& dir, const QString& folder, const QString& temporary,
                Backup& backup, QString* failure) {
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        std::int64_t highest = 0;
        for (const auto& [n, name] : numberedNames(folder)) {
            highest = std::max(highest, n);
        }
        backup.number = highest + 1;
        const QString claim = numberText(backup.number) + QStringLiteral(".claim");
        const ExclusiveFolder::Result claimed = dir.create(claim, {});
        if (claimed == ExclusiveFolder::Result::Failed) {
            *failure = dir.failure();
            return false;
        }
        if (claimed == ExclusiveFolder::Result::Taken) {
            continue;
        }
        // A claim of this number may have come and gone with its backup before this one.
        const auto names = numberedNames(folder);
        const bool clash = std::any_of(names.begin(), names.end(), [&](const auto& entry) {
            return entry.first == backup.number && entry.second != claim;
        });
        const ExclusiveFolder::Result moved =
            clash ? ExclusiveFolder::Result::Taken : dir.move(temporary, backup.fileName());
        dir.remove(claim);
        if (moved == ExclusiveFolder::Result::Done) {
            return true;
        }
        if (moved == ExclusiveFolder::Result::Failed) {
            *failure = dir.failure();
            return false;
        }
    }
    *failure = QStringLiteral("%1: no free backup number after %2 tries")
                   .arg(QDir::toNativeSeparators(folder))
                   .arg(kClaimAttempts);
    return false;
}

// Writes `bytes` to a new temporary file in the folder; its name, or nothing with the reason.
std::optional<QString> writeTemporary(ExclusiveFolder& dir, QByteArrayView bytes,
                                      QString* failure) {
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt) {
        const QString name =
            QStringLiteral(".backup-%1.tmp")
                .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
        switch (dir.create(name, bytes)) {
            case ExclusiveFolder::Result::Done:
                return name;
            case ExclusiveFolder::Result::Failed:
                *failure = dir.failure();
                return std::nullopt;
            case ExclusiveFolder::Result::Taken:
                break;
        }
    }
    *failure =
        QStringLiteral("%1: no free temporary name").arg(QDir::toNativeSeparators(dir.path()));
    return std::nullopt;
}

// Deletes the lowest ranked backups of `saved`'s tracker beyond the newest `keep`, sparing
// `saved` itself and the files of `spared`. Returns the paths deleted.
QStringList prune(const QString& folder, const Backup& saved, int keep, const QStringList& spared) {
    QStringList sparedPaths{QFileInfo(saved.path).canonicalFilePath()};
    for (const QString& path : spared) {
        sparedPaths << QFileInfo(path).canonicalFilePath();
    }
    std::vector<Backup> mine;
    for (Backup& b : listBackups(folder)) {
        if (b.sameTracker(saved)) {
            mine.push_back(std::move(b));
        }
    }
    QStringList removed;
    const std::size_t kept = static_cast<std::size_t>(std::max(keep, 1));
    for (std::size_t i = 0; i + kept < mine.size(); ++i) {
        if (!sparedPaths.contains(QFileInfo(mine[i].path).canonicalFilePath()) &&
            QFile::remove(mine[i].path)) {
            removed << mine[i].path;
        }
    }
    return removed;
}

}  // namespace

QString defaultBackupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/veltromark/backups");
}

QString Backup::fileName() const {
    QString name;
    if (number > 0) {
        name = numberText(number) + QLatin1Char('-');
    }
    name += time.toUTC().toString(kTimeFormat) + QLatin1Char('-') + station();
    if (!serial.isEmpty()) {
        name += QStringLiteral("-sn") + serial;
    }
    if (!serialHash.isEmpty()) {
        name += QStringLiteral("-h") + serialHash;
    }
    if (firmware) {
        name += QStringLiteral("-fw") + QString::number(*firmware);
    }
    if (damaged) {
        name += QStringLiteral("-damaged");
    }
    if (sequence > 1) {
        name += QLatin1Char('-') + QString::number(sequence);
    }
    return name + QStringLiteral(".bin");
}

bool Backup::sameTracker(const Backup& other) const {
    const bool serials = !serial.isEmpty() || !serialHash.isEmpty() || !other.serial.isEmpty() ||
                         !other.serialHash.isEmpty();
    if (serials) {
        return serial == other.serial && serialHash == other.serialHash;
    }
    return callsign == other.callsign;
}

bool madeOf(const Backup& backup, const QString& serial) {
    Backup tracker = backup;
    nameSerial(tracker, serial);
    return tracker.serial == backup.serial && tracker.serialHash == backup.serialHash;
}

std::optional<Backup> parseBackupName(const QString& fileName) {
    // Each number is matched only as fileName() writes it, so that a name reads back as itself.
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:(\\d{6}|[1-9]\\d{6,14})-)?(\\d{8})T(\\d{6})Z-([A-Za-z0-9]+)-(\\d{1,2}|X)"
        "(?:-sn([A-Za-z0-9]+))?(?:-h([0-9a-f]{8}))?(?:-fw(0|[1-9]\\d{0,8}))?(-damaged)?"
        "(?:-([2-9]|[1-9]\\d{1,3}))?\\.bin$"));
    const QRegularExpressionMatch m = pattern.match(fileName);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Backup b;
    if (m.hasCaptured(1)) {
        b.number = m.captured(1).toLongLong();
        if (b.number == 0) {
            return std::nullopt;
        }
    }
    // The time is UTC: read as local time, an hour that a change to summer time skips would
    // not exist.
    const QDate date = QDate::fromString(m.captured(2), QStringLiteral("yyyyMMdd"));
    const QTime time = QTime::fromString(m.captured(3), QStringLiteral("HHmmss"));
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    b.time = QDateTime(date, time, Qt::UTC);
    b.callsign = m.captured(4);
    b.ssid = m.captured(5);
    b.serial = m.captured(6);
    b.serialHash = m.captured(7);
    if (m.hasCaptured(8)) {
        b.firmware = m.captured(8).toUInt();
    }
    b.damaged = m.hasCaptured(9);
    b.sequence = m.hasCaptured(10) ? m.captured(10).toInt() : 1;
    return b;
}

std::vector<Backup> listBackups(const QString& folder) {
    std::vector<Backup> backups;
    const QDir dir(folder);
    for (const QFileInfo& file :
         dir.entryInfoList({QStringLiteral("*.bin")}, QDir::Files | QDir::NoSymLinks)) {
        if (std::optional<Backup> b = parseBackupName(file.fileName())) {
            b->path = file.absoluteFilePath();
            backups.push_back(std::move(*b));
        }
    }
    std::sort(backups.begin(), backups.end(), ranksBelow);
    return backups;
}

SavedBackup saveBackup(const QString& folder, const ConfigImage& image,
                       const TrackerIdentity& tracker, std::int64_t utcSeconds, int keep,
                       const QStringList& spared) {
    SavedBackup saved;
    if (!QDir().mkpath(folder)) {
        saved.failure = QStringLiteral("%1: the folder cannot be created")
                            .arg(QDir::toNativeSeparators(folder));
        return saved;
    }
    ExclusiveFolder dir(folder);
    if (!dir.isOpen()) {
        saved.failure = dir.failure();
        return saved;
    }
    const std::optional<QString> temporary = writeTemporary(
        dir, QByteArrayView(image.data(), static_cast<qsizetype>(image.size())), &saved.failure);
    if (!temporary) {
        return saved;
    }
    Backup backup = describe(image, tracker, utcSeconds);
    if (!takeNumber(dir, folder, *temporary, backup, &saved.failure)) {
        dir.remove(*temporary);
        return saved;
    }
    backup.path = QDir(folder).absoluteFilePath(backup.fileName());
    saved.removed = prune(folder, backup, keep, spared);
    saved.backup = std::move(backup);
    return saved;
}

std::optional<ConfigImage> loadBackup(const QString& path, QString* failure) {
    QString why;
    const std::optional<QByteArray> bytes =
        readRegularFile(path, static_cast<qint64>(kImageSize) + 1, &why);
    if (!bytes) {
        *failure = QStringLiteral("%1: %2").arg(path, why);
        return std::nullopt;
    }
    if (bytes->size() != static_cast<qsizetype>(kImageSize)) {
        *failure = QStringLiteral("%1: %2 bytes; a configuration backup is %3 bytes")
                       .arg(path)
                       .arg(QFileInfo(path).size())
                       .arg(kImageSize);
        return std::nullopt;
    }
    ConfigImage image{};
    std::copy(bytes->begin(), bytes->end(), image.begin());
    return image;
}

QString imageVersionText(const ConfigImage& image) {
    QString text;
    for (int i = kVersionOffset; i < kVersionOffset + kVersionFieldSize; ++i) {
        if (image[i] < 0x20 || image[i] > 0x7E) {
            break;
        }
        text += QLatin1Char(static_cast<char>(image[i]));
    }
    return text;
}
