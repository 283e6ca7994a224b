#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "configfile/profile_file.h"
#include "settings/form.h"
#include "settings/host.h"
#include "settings/number.h"

namespace {

// The text an entry gets from its control.
QString entryValue(const KeyRow& row, const Form& form) {
    switch (row.kind) {
        case ValueKind::Fixed:
            return row.literal;
        case ValueKind::Text:
            return form.text(row.setting);
        case ValueKind::Number:
            return QString::number(settingNumber(form, row.setting));
        case ValueKind::Index:
            return QString::number(form.index(row.setting));
        case ValueKind::Flag:
            return form.index(row.setting) != 0 ? QStringLiteral("1") : QStringLiteral("0");
    }
    return {};
}

}  // namespace

void writeConfiguration(const Form& form, ProfileFile& file) {
    // Every value first: a field that is not a whole number must stop the export before the
    // first entry is written.
    std::vector<QString> values;
    values.reserve(keyTable().size());
    for (const KeyRow& row : keyTable()) {
        values.push_back(entryValue(row, form));
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const KeyRow& row = keyTable()[i];
        file.writeText(row.section, row.key, values[i]);
    }
}

bool exportConfiguration(const Form& form, Host& host, const QString& path) {
    const QFileInfo info(path);
    const auto unableToWrite = [&] {
        host.applicationError(QStringLiteral("Unable to write to %1.")
                                  .arg(QDir::toNativeSeparators(info.absoluteFilePath())));
        return false;
    };

    // An existing file is updated: what it holds besides our entries stays.
    ProfileFile file;
    if (info.exists()) {
        if (!info.isFile() || !info.isWritable()) {
            return unableToWrite();
        }
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly)) {
            return unableToWrite();
        }
        const QByteArray bytes = existing.readAll();
        if (existing.error() != QFileDevice::NoError) {
            return unableToWrite();
        }
        file = ProfileFile::fromBytes(bytes);
    }

    // The new contents go to a temporary file beside the old one, which replaces it only when
    // complete: a failure (or a ConversionError thrown below) leaves the old file as it was.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        return unableToWrite();
    }
    writeConfiguration(form, file);
    const QByteArray bytes = file.toBytes();
    if (out.write(bytes) != bytes.size() || !out.commit()) {
        return unableToWrite();
    }
    return true;
}

void Button_save_to_fileClick(Form& form, Host& host) {
    const std::optional<QString> path = host.chooseFile(FileDialog::SaveConfig);
    if (path) {
        exportConfiguration(form, host, *path);
    }
}
