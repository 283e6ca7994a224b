#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "configfile/profile_file.h"
#include "settings/form.h"
#include "settings/host.h"
#include "settings/number.h"
#include "settings/output_file.h"

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

namespace {

// The error box of a configuration file that cannot be written.
bool unableToWrite(Host& host, const OutputFile& out) {
    host.applicationError(QStringLiteral("Unable to write to %1.").arg(out.path()));
    return false;
}

}  // namespace

bool prepareExport(const Form& form, Host& host, OutputFile& out) {
    const QFileInfo info(out.path());

    // An existing file is updated: what it holds besides our entries stays.
    ProfileFile file;
    if (info.exists()) {
        if (!info.isFile() || !info.isWritable()) {
            return unableToWrite(host, out);
        }
        QFile existing(info.filePath());
        if (!existing.open(QIODevice::ReadOnly)) {
            return unableToWrite(host, out);
        }
        const QByteArray bytes = existing.readAll();
        if (existing.error() != QFileDevice::NoError) {
            return unableToWrite(host, out);
        }
        file = ProfileFile::fromBytes(bytes);
    }

    if (!out.open()) {
        return unableToWrite(host, out);
    }
    writeConfiguration(form, file);  // a ConversionError leaves the target as it was
    if (!out.write(file.toBytes()) || !out.finish()) {
        return unableToWrite(host, out);
    }
    return true;
}

bool exportConfiguration(const Form& form, Host& host, const QString& path) {
    OutputFile out(path);
    if (!prepareExport(form, host, out)) {
        return false;
    }
    return out.commit() || unableToWrite(host, out);
}

void Button_save_to_fileClick(Form& form, Host& host) {
    const std::optional<QString> path = host.chooseFile(FileDialog::SaveConfig);
    if (path) {
        exportConfiguration(form, host, *path);
    }
}
