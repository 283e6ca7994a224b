#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>

#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "configfile/profile_file.h"
#include "rules/serial_interlocks.h"
#include "settings/form.h"
#include "settings/outcome.h"
#include "settings/schema.h"
#include "settings/visible_text.h"
#include "version.h"

namespace {

// A configuration file is a few kilobytes; anything beyond this is not one, and is not read
// into memory.
constexpr qint64 kMaxFileSize = qint64{16} * 1024 * 1024;

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

// The row's default as the file would hold it, and for a list its item.
QString defaultShown(const KeyRow& row) {
    if (row.kind == ValueKind::Text) {
        return QStringLiteral("\"%1\"").arg(row.defaultText);
    }
    const SettingDef& def = setting(row.setting);
    if (def.items && row.defaultNumber >= 0 &&
        row.defaultNumber < static_cast<int>(def.items->items.size())) {
        return QStringLiteral("%1 (%2)")
            .arg(row.defaultNumber)
            .arg(def.items->items[static_cast<std::size_t>(row.defaultNumber)]);
    }
    return QString::number(row.defaultNumber);
}

UnreadValue unread(const KeyRow& row, int line, const QString& why) {
    return {row.setting, line,
            visibleText(QStringLiteral("line %1: %2; the default %3 is used instead.")
                            .arg(line)
                            .arg(why, defaultShown(row)))};
}

// The program's own export writes every key, so a key that a file of the program's own version
// lacks was cut off or edited away. A file of another version may lack keys by design: the key
// is named all the same, marked as expected.
UnreadValue missing(const KeyRow& row, bool otherVersion) {
    UnreadValue value{row.setting, 0,
                      QStringLiteral("[%1] %2 is not in the file; the default %3 is used instead.")
                          .arg(QString::fromStdString(row.section), QString::fromStdString(row.key),
                               defaultShown(row))};
    value.expected = otherVersion;
    return value;
}

// Why the value of `row` cannot be taken as written, or nothing when it can: the entry is
// missing only because a damaged line hides it, its number is no whole number, or its index
// is outside its list. An index of -1 is "no item", as the export writes it.
std::optional<UnreadValue> unreadValue(const KeyRow& row, const ProfileFile& file,
                                       const std::optional<QString>& value, bool otherVersion) {
    if (!value) {
        const std::optional<ProfileFile::DamagedEntry> hidden =
            file.damagedEntry(row.section, row.key);
        if (!hidden) {
            return missing(row, otherVersion);
        }
        if (hidden->headerLine == 0) {
            return unread(row, hidden->line,
                          QStringLiteral("the key of \"%1\" is damaged").arg(hidden->text));
        }
        return unread(row, hidden->line,
                      QStringLiteral("%1 stands under the damaged section line %2 \"%3\"")
                          .arg(hidden->text.trimmed())
                          .arg(hidden->headerLine)
                          .arg(hidden->header));
    }
    if (row.kind == ValueKind::Text) {
        return std::nullopt;
    }
    const int line = file.lineNumber(row.section, row.key);
    const QString entry = QString::fromStdString(row.key) + u'=' + *value;
    const std::optional<std::int32_t> number = parseProfileNumber(*value);
    if (!number) {
        return unread(row, line, entry + QStringLiteral(" is not a whole number"));
    }
    if (row.kind == ValueKind::Number || *number == -1) {
        return std::nullopt;
    }
    const int items = static_cast<int>(setting(row.setting).items->items.size());
    if (*number < 0 || *number >= items) {
        return unread(
            row, line,
            entry + QStringLiteral(" is not an item of its list (0 - %1)").arg(items - 1));
    }
    return std::nullopt;
}

// Puts the row's value into its setting: the default when the entry is missing or its value
// cannot be taken as written, which `unreadValues` then tells.
void applyRow(const KeyRow& row, const ProfileFile& file, Form& form,
              std::vector<UnreadValue>& unreadValues, bool otherVersion) {
    const std::optional<QString> value = file.value(row.section, row.key);
    std::optional<UnreadValue> notTaken = unreadValue(row, file, value, otherVersion);
    const std::int32_t number = notTaken || !value
                                    ? row.defaultNumber
                                    : parseProfileNumber(*value).value_or(row.defaultNumber);
    switch (row.kind) {
        case ValueKind::Fixed:
            return;
        case ValueKind::Text:
            form.setText(row.setting, value.value_or(row.defaultText));
            break;
        case ValueKind::Number:
            form.setText(row.setting, QString::number(number));
            break;
        case ValueKind::Index:
        case ValueKind::Flag:
            form.setIndex(row.setting, number);
            break;
    }
    if (notTaken) {
        unreadValues.push_back(std::move(*notTaken));
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

QString UnreadValue::line() const {
    return settingPlace(::setting(setting)) + QStringLiteral(": ") + text;
}

bool refusesWrite(const std::vector<UnreadValue>& unread) {
    return std::any_of(unread.begin(), unread.end(),
                       [](const UnreadValue& value) { return !value.expected; });
}

ImportOutcome importConfiguration(Form& form, const ProfileFile& file) {
    ImportOutcome outcome;
    const KeyRow& application = headerRow("Application");
    if (file.readText(application.section, application.key, application.defaultText) !=
        QLatin1String(kConfigApplication)) {
        outcome.failure = kNotConfigurationFile;
        outcome.boxes.push_back(informationBox(kNotConfigurationFile));
        return outcome;
    }
    const KeyRow& version = headerRow("Version");
    const bool otherVersion = file.readText(version.section, version.key, version.defaultText) !=
                              QLatin1String(kConfigFormatVersion.data(),
                                            static_cast<qsizetype>(kConfigFormatVersion.size()));
    if (otherVersion) {
        outcome.boxes.push_back(informationBox(kOtherVersion));
    }

    for (const KeyRow& row : keyTable()) {
        if (row.kind == ValueKind::Fixed) {
            continue;
        }
        applyRow(row, file, form, outcome.unread, otherVersion);
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

ImportOutcome importConfiguration(Form& form, const QString& path) {
    // Said for what it is, rather than as a file that is not a configuration file.
    if (const QFileInfo info(path); info.isFile() && info.size() > kMaxFileSize) {
        ImportOutcome outcome;
        outcome.failure = tooLarge(info.size());
        outcome.boxes.push_back(informationBox(outcome.failure));
        return outcome;
    }
    return importConfiguration(form, readProfile(path));
}
