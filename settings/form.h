#pragma once

#include <QString>
#include <string_view>

// The settings as the main window holds them, addressed by control name.
//
// Setting a value from the program never runs a change handler: the callers that want a
// handler's effect (start-up, image decoder, file import) run it themselves, and the window
// connects handlers only to what the user does.
class Form {
  public:
    virtual ~Form() = default;

    // Text of a text or message field.
    virtual QString text(std::string_view name) const = 0;
    virtual void setText(std::string_view name, const QString& text) = 0;

    // Chosen item of a choice, -1 when none is chosen.
    virtual int index(std::string_view name) const = 0;
    // Chooses item `index`; an index outside the item list leaves no item chosen (-1).
    virtual void setIndex(std::string_view name, int index) = 0;

    // Enabled state of a setting or of one of the labels that follow a setting's state.
    virtual bool isEnabled(std::string_view name) const = 0;
    virtual void setEnabled(std::string_view name, bool on) = 0;
};
