#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

// The one table between bytes and characters wherever a byte stands for a character: the
// configuration image (texts, calls, symbol characters) and configuration files that are not
// UTF-8. It is Windows-1252, as the configuration files use; the five bytes it leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control of the same number, as Windows maps
// them. So every byte reads as a character and writes back as the same byte.
//
// Our own table: the static Qt of the Windows build has no ICU, so no codec by name.

// The characters of `bytes`, one per byte.
QString fromWindows1252(QByteArrayView bytes);

// The byte of `c`, or nothing when the table has none.
std::optional<char> windows1252Byte(char32_t c);

// `text` as bytes; nothing when a character has no byte.
std::optional<QByteArray> toWindows1252(const QString& text);

// The characters of `text` that have no byte, each once, in the order they first appear
// (a character beyond the 16-bit range as one, "📡").
QStringList unstorableCharacters(const QString& text);
