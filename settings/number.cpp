#include "settings/number.h"

#include "settings/form.h"

ConversionError::ConversionError(const QString& text, std::string setting)
    : std::runtime_error(
          QStringLiteral("'%1' is not a valid integer value.").arg(text).toStdString()),
      message_(QStringLiteral("'%1' is not a valid integer value.").arg(text)),
      setting_(std::move(setting)) {}

std::optional<std::int32_t> parseWholeNumber(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
        if (value > std::int64_t{INT32_MAX} + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX || value < INT32_MIN) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t toWholeNumber(const QString& text) {
    const std::optional<std::int32_t> value = parseWholeNumber(text);
    if (!value) {
        throw ConversionError(text);
    }
    return *value;
}

std::int32_t settingNumber(const Form& form, std::string_view name) {
    const QString text = form.text(name);
    const std::optional<std::int32_t> value = parseWholeNumber(text);
    if (!value) {
        throw ConversionError(text, std::string(name));
    }
    return *value;
}
