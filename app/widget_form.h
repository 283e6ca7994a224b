#pragma once

#include <map>
#include <string>

#include "settings/form.h"

class QWidget;

// The Form of the main window: every setting is its widget, found by the setting's name.
// Text fields are LimitedLineEdit, message fields MessageEdit, choices QComboBox; labels
// and buttons that the behaviours switch on and off are registered by name as well.
//
// The editable choice (Weather_stationtype) reports the item its text names: while the user
// types, the index is that of the item whose text equals the typed text exactly (case
// counts), and -1 while the text names no item. Picking an item gives that item's index.
//
// A name that was never registered throws std::out_of_range; asking a choice for its text
// or a text field for its index throws std::logic_error, as the memory form does.
class WidgetForm : public Form {
  public:
    // Registers `widget` under `name`; throws std::logic_error when the name is taken.
    void add(const std::string& name, QWidget* widget);

    // The widget registered under `name`; throws std::out_of_range.
    QWidget* widget(std::string_view name) const;
    bool contains(std::string_view name) const;

    QString text(std::string_view name) const override;
    void setText(std::string_view name, const QString& text) override;
    int index(std::string_view name) const override;
    void setIndex(std::string_view name, int index) override;
    bool isEnabled(std::string_view name) const override;
    void setEnabled(std::string_view name, bool on) override;

  private:
    std::map<std::string, QWidget*, std::less<>> widgets_;
};
