#include "cli/json_output.h"

#include <QJsonDocument>

#include "cli/command.h"
#include "settings/form.h"
#include "settings/schema.h"

namespace {

// Qt escapes the control characters below 0x20 only. DEL and the C1 controls (U+0080 to
// U+009F), which some terminals obey as well, are escaped too; in the UTF-8 that Qt writes
// they are the byte 0x7F and the pairs 0xC2 0x80 to 0xC2 0x9F, which occur nowhere else.
QByteArray escapeControls(const QByteArray& json) {
    QByteArray out;
    out.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
        if (byte == 0x7F) {
            out += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            out += "\\u00" + QByteArray::number(next, 16);
            ++i;
        } else {
            out += json[i];
        }
    }
    return out;
}

}  // namespace

void printJson(Invocation& in, const QJsonObject& document) {
    in.out(escapeControls(QJsonDocument(document).toJson(QJsonDocument::Indented)));
}

QJsonObject settingJson(const std::string& name) {
    const SettingDef& def = setting(name);
    return {{QStringLiteral("setting"), QString::fromStdString(def.name)},
            {QStringLiteral("place"), settingPlace(def)}};
}

QJsonValue valueJson(const Form& form, const std::string& name) {
    const SettingDef& def = setting(name);
    if (def.isText()) {
        return form.text(def.name);
    }
    const int index = form.index(def.name);
    if (index < 0 || index >= static_cast<int>(def.items->items.size())) {
        return QJsonValue::Null;
    }
    return def.items->items[static_cast<std::size_t>(index)];
}

QJsonArray unreadJson(const std::vector<UnreadValue>& unread) {
    QJsonArray list;
    for (const UnreadValue& value : unread) {
        QJsonObject entry = settingJson(value.setting);
        // A key that is not in the file has no line.
        entry.insert(QStringLiteral("line"),
                     value.lineNumber > 0 ? QJsonValue(value.lineNumber) : QJsonValue());
        entry.insert(QStringLiteral("message"), value.text);
        entry.insert(QStringLiteral("expected"), value.expected);
        list.append(entry);
    }
    return list;
}
