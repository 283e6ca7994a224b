#include <QFile>
#include <QFileInfo>
#include <functional>
#include <optional>
#include <string_view>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "configfile/profile_file.h"
#include "rules/serial_interlocks.h"
#include "settings/form.h"
#include "settings/outcome.h"
#include "version.h"

namespace {

// A configuration file is a few kilobytes; anything beyond this is not one, and is not read
// into memory.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

const QString kNotConfigurationFile = QStringLiteral(
    "Imported configuration file is not a Veltromark configuration file. \nOperation aborted.");
QString tooLarge(qint64 size) {
    return QStringLiteral(
               "Imported configuration file is too large: %1 bytes, more than the 16 MiB a "
               "configuration file may have. \nOperation aborted.")
        .arg(size);
}
const QString kOtherVersion = QStringLiteral(
    "Imported configuration file version is different than your current application version. "
    "\nPlease double-check configuration fields after import. \nSome configuration fields my "
    "change between firmware versions.");

// What runs right after the named setting has been imported, judging it against what the other
// settings hold at that moment.
struct AfterImport {
    std::string_view setting;
    std::function<Boxes(Form&)> run;
};
const AfterImport kAfterImport[] = {
    {"Serial1_mode", Serial1_modeChange},
    {"Serial2_mode", Serial2_modeChange},
};

void applyRow(const KeyRow& row, const ProfileFile& file, Form& form) {
    switch (row.kind) {
        case ValueKind::Fixed:
            break;
        case ValueKind::Text:
            form.setText(row.setting, file.readText(row.section, row.key, row.defaultText));
            break;
        case ValueKind::Number:
            form.setText(row.setting,
                         QString::number(file.readNumber(row.section, row.key, row.defaultNumber)));
            break;
        case ValueKind::Index:
        case ValueKind::Flag:
            form.setIndex(row.setting, file.readNumber(row.section, row.key, row.defaultNumber));
            break;
    }
}

ProfileFile readProfile(const QString& path) {
    // Only regular files: opening a FIFO or a device could block or never end.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize) {
        return {};
    }
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = in.read(kMaxFileSize + 1);
    if (in.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize) {
        return {};
    }
    return ProfileFile::fromBytes(bytes);
}

}  // namespace

Outcome importConfiguration(Form& form, const ProfileFile& file) {
    Outcome outcome;
    const KeyRow& application = headerRow("Application");
    if (file.readText(application.section, application.key, application.defaultText) !=
        QLatin1String(kConfigApplication)) {
        outcome.failure = kNotConfigurationFile;
        outcome.boxes.push_back(informationBox(kNotConfigurationFile));
        return outcome;
    }
    const KeyRow& version = headerRow("Version");
    if (file.readText(version.section, version.key, version.defaultText) !=
        QLatin1String(kConfigFormatVersion.data(),
                      static_cast<qsizetype>(kConfigFormatVersion.size()))) {
        outcome.boxes.push_back(informationBox(kOtherVersion));
    }

    for (const KeyRow& row : keyTable()) {
        if (row.kind == ValueKind::Fixed) {
            continue;
        }
        applyRow(row, file, form);
        for (const AfterImport& after : kAfterImport) {
            if (after.setting == row.setting) {
                outcome.show(after.run(form), 0);
            }
        }
    }
    // Once more with every setting in place.
    for (const AfterImport& after : kAfterImport) {
        outcome.show(after.run(form), 0);
    }
    outcome.ok = true;
    return outcome;
}

Outcome importConfiguration(Form& form, const QString& path) {
    // Said for what it is, rather than as a file that is not a configuration file.
    if (const QFileInfo info(path); info.isFile() && info.size() > kMaxFileSize) {
        return {false, tooLarge(info.size()), {informationBox(tooLarge(info.size()))}};
    }
    return importConfiguration(form, readProfile(path));
}
