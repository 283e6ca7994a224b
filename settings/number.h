#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

// A number field whose text is not a whole number. It ends the operation that converted it
// and is shown once, by the wrapper around every button handler, in the application's error
// box.
class ConversionError : public std::runtime_error {
  public:
    // `setting` names the field that held the text, when the converter knows it.
    explicit ConversionError(const QString& text, std::string setting = {});

    // "'<text>' is not a valid integer value."
    const QString& message() const { return message_; }
    // The setting whose text this is; empty when not known.
    const std::string& setting() const { return setting_; }

  private:
    QString message_;
    std::string setting_;
};

// The whole decimal number in `text`: an optional sign and decimal digits, within the
// signed 32-bit range. Anything else (blank, letters, a fraction, too large) gives nothing.
std::optional<std::int32_t> parseWholeNumber(const QString& text);

// parseWholeNumber, throwing ConversionError for a text that is not a whole number.
std::int32_t toWholeNumber(const QString& text);

class Form;
// The whole number in setting `name` of `form`; the ConversionError thrown for a text that
// is not one names the setting, so that the window can lead the user to it.
std::int32_t settingNumber(const Form& form, std::string_view name);
