#include "operations/config_source.h"

#include <QFileInfo>
#include <algorithm>

#include "settings/input_file.h"

bool isConfigImageFile(const QString& path) {
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("bin"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (notARegularFile(path) || info.size() != static_cast<qint64>(kImageSize)) {
        return false;
    }
    QString why;
    const std::optional<QByteArray> bytes =
        readRegularFile(path, static_cast<qint64>(kImageSize) + 1, &why);
    return bytes && configImageOf(*bytes, path, &why).has_value();
}

std::optional<ConfigImage> configImageOf(QByteArrayView bytes, const QString& path, QString* why) {
    if (bytes.size() != static_cast<qsizetype>(kImageSize)) {
        *why = QStringLiteral("%1 is %2 bytes; a configuration image is %3 bytes.")
                   .arg(path)
                   .arg(QFileInfo(path).size())
                   .arg(kImageSize);
        return std::nullopt;
    }
    ConfigImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    if (!CheckImage(image)) {
        *why = QStringLiteral("%1: image checksum or end marker wrong; not a configuration image.")
                   .arg(path);
        return std::nullopt;
    }
    return image;
}
