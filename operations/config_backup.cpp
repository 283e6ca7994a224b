#include "operations/config_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

#include "image/layout.h"
#include "settings/output_file.h"

namespace {

// The station's address field: the call in 6 bytes, then the SSID character.
constexpr int kStationAddressOffset = 14;
// Longest USB serial number kept in a name; longer ones are cut.
constexpr int kSerialLength = 32;
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

// The name of the backup of `image`, before a sequence number is added.
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
    b.serial = lettersAndDigits(tracker.serial.toUtf8(), kSerialLength);
    b.firmware = tracker.firmware;
    b.damaged = !CheckImage(image);
    return b;
}

// Backups of the same tracker: by USB serial number where there is one, else by callsign.
bool sameTracker(const Backup& a, const Backup& b) {
    if (!a.serial.isEmpty() || !b.serial.isEmpty()) {
        return a.serial == b.serial;
    }
    return a.callsign == b.callsign;
}

bool older(const Backup& a, const Backup& b) {
    return a.time != b.time ? a.time < b.time : a.sequence < b.sequence;
}

}  // namespace

QString defaultBackupFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/veltromark/backups");
}

QString Backup::fileName() const {
    QString name = time.toUTC().toString(kTimeFormat) + QLatin1Char('-') + station();
    if (!serial.isEmpty()) {
        name += QStringLiteral("-sn") + serial;
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

std::optional<Backup> parseBackupName(const QString& fileName) {
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{8}T\\d{6}Z)-([A-Za-z0-9]+)-(\\d{1,2}|X)(?:-sn([A-Za-z0-9]+))?(?:-fw(\\d{1,9}))?"
        "(-damaged)?(?:-(\\d{1,4}))?\\.bin$"));
    const QRegularExpressionMatch m = pattern.match(fileName);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    Backup b;
    b.time = QDateTime::fromString(m.captured(1), kTimeFormat);
    if (!b.time.isValid()) {
        return std::nullopt;
    }
    b.time.setTimeSpec(Qt::UTC);
    b.callsign = m.captured(2);
    b.ssid = m.captured(3);
    b.serial = m.captured(4);
    if (m.hasCaptured(5)) {
        b.firmware = m.captured(5).toUInt();
    }
    b.damaged = m.hasCaptured(6);
    b.sequence = m.hasCaptured(7) ? m.captured(7).toInt() : 1;
    return b;
}

std::vector<Backup> listBackups(const QString& folder) {
    std::vector<Backup> backups;
    const QDir dir(folder);
    for (const QFileInfo& file : dir.entryInfoList({QStringLiteral("*.bin")}, QDir::Files)) {
        if (std::optional<Backup> b = parseBackupName(file.fileName())) {
            b->path = file.absoluteFilePath();
            backups.push_back(std::move(*b));
        }
    }
    std::sort(backups.begin(), backups.end(), older);
    return backups;
}

SavedBackup saveBackup(const QString& folder, const ConfigImage& image,
                       const TrackerIdentity& tracker, std::int64_t utcSeconds, int keep) {
    SavedBackup saved;
    if (!QDir().mkpath(folder)) {
        saved.failure = QStringLiteral("%1: the folder cannot be created").arg(folder);
        return saved;
    }
    Backup backup = describe(image, tracker, utcSeconds);
    const QDir dir(folder);
    while (QFileInfo::exists(dir.filePath(backup.fileName()))) {
        ++backup.sequence;
    }
    backup.path = dir.absoluteFilePath(backup.fileName());
    OutputFile out(backup.path);
    if (!out.open() || !out.write(QByteArrayView(image.data(), image.size())) || !out.finish() ||
        !out.commit()) {
        saved.failure = out.failure();
        return saved;
    }

    // The other backups of this tracker, oldest first: as many go as make room for the new one.
    std::vector<Backup> others;
    for (Backup& b : listBackups(folder)) {
        if (b.path != backup.path && sameTracker(b, backup)) {
            others.push_back(std::move(b));
        }
    }
    const std::size_t room = static_cast<std::size_t>(std::max(keep, 1) - 1);
    for (std::size_t i = 0; i + room < others.size(); ++i) {
        QFile::remove(others[i].path);
    }
    saved.backup = std::move(backup);
    return saved;
}

std::optional<ConfigImage> loadBackup(const QString& path, QString* failure) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *failure = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(kImageSize) + 1);
    if (bytes.size() != static_cast<qsizetype>(kImageSize)) {
        *failure = QStringLiteral("%1: %2 bytes; a configuration backup is %3 bytes")
                       .arg(path)
                       .arg(QFileInfo(path).size())
                       .arg(kImageSize);
        return std::nullopt;
    }
    ConfigImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
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
