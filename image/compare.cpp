#include "image/compare.h"

#include <optional>

#include "image/layout.h"
#include "settings/form.h"
#include "settings/number.h"
#include "settings/schema.h"

namespace {

bool isNumber(const ImageField* field) {
    return field != nullptr &&
           (field->encoding == Encoding::U16 || field->encoding == Encoding::U32 ||
            field->encoding == Encoding::U8Number);
}

// Two values are the same when the image stores them alike: numbers by their value, and the
// SSID beside an empty call not at all.
bool sameValue(const Form& a, const Form& b, const SettingDef& def) {
    if (def.isChoice()) {
        return a.index(def.name) == b.index(def.name);
    }
    const QString left = a.text(def.name);
    const QString right = b.text(def.name);
    if (left == right) {
        return true;
    }
    const ImageField* field = findImageField(def.name);
    const bool ssid =
        field != nullptr && field->encoding == Encoding::Address && field->ssidSetting == def.name;
    if (ssid && a.text(field->setting).isEmpty() && b.text(field->setting).isEmpty()) {
        return true;
    }
    if (ssid || isNumber(field)) {
        const std::optional<std::int32_t> l = parseWholeNumber(left);
        const std::optional<std::int32_t> r = parseWholeNumber(right);
        return l && r && *l == *r;
    }
    return false;
}

}  // namespace

QString shownValue(const Form& form, const SettingDef& def) {
    if (def.isChoice()) {
        const int index = form.index(def.name);
        const bool inList = index >= 0 && index < static_cast<int>(def.items->items.size());
        return inList ? def.items->items[static_cast<size_t>(index)] : QStringLiteral("(none)");
    }
    return u'"' + form.text(def.name) + u'"';
}

std::vector<SettingDifference> compareSettings(const Form& a, const Form& b) {
    std::vector<SettingDifference> differences;
    for (const SettingDef& def : settings()) {
        if (!sameValue(a, b, def)) {
            differences.push_back({def.name, shownValue(a, def), shownValue(b, def)});
        }
    }
    return differences;
}
