#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>

// A number field whose text is not a whole number. It ends the operation that converted it
// and is shown once, by the wrapper around every button handler, in the application's error
// box.
class ConversionError : public std::runtime_error {
  public:
    explicit ConversionError(const QString& text);

    // "'<text>' is not a valid integer value."
    const QString& message() const { return message_; }

  private:
    QString message_;
};

// The whole decimal number in `text`: an optional sign and decimal digits, within the
// signed 32-bit range. Anything else (blank, letters, a fraction, too large) gives nothing.
std::optional<std::int32_t> parseWholeNumber(const QString& text);

// parseWholeNumber, throwing ConversionError for a text that is not a whole number.
std::int32_t toWholeNumber(const QString& text);
