#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "configfile/profile_file.h"
#include "settings/form.h"
#include "settings/number.h"
#include "settings/outcome.h"
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

void writeEntries(const Form& form, ProfileFile& file) {
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

// The failure of a configuration file that cannot be written, shown in the error box.
Outcome unableToWrite(const OutputFile& out) {
    const QString text = QStringLiteral("Unable to write to %1.").arg(out.path());
    return {false, text, {errorBox(text)}};
}

}  // namespace

Outcome prepareExport(const Form& form, OutputFile& out) {
    const QFileInfo info(out.path());

    // An existing file is updated: what it holds besides our entries stays.
    ProfileFile file;
    if (info.exists()) {
        if (!info.isFile() || !info.isWritable()) {
            return unableToWrite(out);
        }
        QFile existing(info.filePath());
        if (!existing.open(QIODevice::ReadOnly)) {
            return unableToWrite(out);
        }
        const QByteArray bytes = existing.readAll();
        if (existing.error() != QFileDevice::NoError) {
            return unableToWrite(out);
        }
        file = ProfileFile::fromBytes(bytes);
    }

    if (!out.open()) {
        return unableToWrite(out);
    }
    writeEntries(form, file);  // a ConversionError leaves the target as it was
    if (!out.write(file.toBytes()) || !out.finish()) {
        return unableToWrite(out);
    }
    return {true, {}, {}};
}

Outcome exportConfiguration(const Form& form, const QString& path) {
    OutputFile out(path);
    if (Outcome prepared = prepareExport(form, out); !prepared.ok) {
        return prepared;
    }
    return out.commit() ? Outcome{true, {}, {}} : unableToWrite(out);
}
