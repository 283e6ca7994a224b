#pragma once

#include <QString>

// True for a control character: below 0x20, 0x7F, and the C1 controls 0x80 to 0x9F, which some
// terminals obey as well.
bool isControlCharacter(QChar c);

// True when `text` holds a control character below 0x20 or 0x7F: what a text setting may not
// hold. (Bytes 0x80 to 0xFF are characters of their own there.)
bool holdsAsciiControl(const QString& text);

// `text` with every control character written out visibly as \xNN (ESC is \x1B), so that
// a value read from a file can neither retitle nor clear the terminal or window showing it.
QString visibleText(const QString& text);
