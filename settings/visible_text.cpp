#include "settings/visible_text.h"

#include <algorithm>

bool isControlCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

bool holdsAsciiControl(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

QString visibleText(const QString& text) {
    if (std::none_of(text.begin(), text.end(), isControlCharacter)) {
        return text;
    }
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (isControlCharacter(c)) {
            out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            out += c;
        }
    }
    return out;
}
