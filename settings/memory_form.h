#pragma once

#include <QString>
#include <string>
#include <unordered_map>

#include "settings/form.h"

// A Form held in memory, with the settings and labels of the schema. Right after
// construction no field has text and no choice has an item chosen, as in a freshly built
// window before the start-up defaults. Names that are not settings throw std::out_of_range,
// so a mistyped name fails loudly instead of reading as empty.
class MemoryForm : public Form {
  public:
    MemoryForm();

    QString text(std::string_view name) const override;
    void setText(std::string_view name, const QString& text) override;
    int index(std::string_view name) const override;
    void setIndex(std::string_view name, int index) override;
    bool isEnabled(std::string_view name) const override;
    void setEnabled(std::string_view name, bool on) override;

  private:
    struct Value {
        QString text;
        int index = -1;
        int itemCount = 0;
        bool choice = false;
        bool enabled = true;
    };
    Value& value(std::string_view name);
    const Value& value(std::string_view name) const;

    std::unordered_map<std::string, Value> values_;
};

// Copies every setting's value, and the enabled state of every setting and named control, from
// `from` to `to`: a snapshot of the window's settings for an operation to work on, and its
// result back into the window.
void copySettings(const Form& from, Form& to);
