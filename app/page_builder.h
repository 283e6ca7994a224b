#pragma once

#include <QString>
#include <map>
#include <string>
#include <string_view>

#include "app/page_layout.h"

class QBoxLayout;
class QLabel;
class QPushButton;
class QWidget;
class WidgetForm;

// Lets a layout narrow `button` below its natural width, down to its caption's width,
// when the window is short of room.
void allowNarrowing(QPushButton* button);

// Turns the page layouts into widgets: one control per setting, named after it, with its
// label, tooltip, typing limit and items from the settings table. Every control made is
// registered in the form, together with the labels and buttons that have names.
class PageBuilder {
  public:
    explicit PageBuilder(WidgetForm& form) : form_(form) {}

    // Fills `page` (which gets a layout) with `content`.
    void build(QWidget* page, const layout::Node& content);

    // The label shown for each setting: its own label or its column heading. Settings shown
    // without a label (an SSID after its call) have none.
    const std::map<std::string, QLabel*, std::less<>>& labels() const { return labels_; }

  private:
    void add(QBoxLayout* parent, const layout::Node& node, QWidget* owner);
    void addFields(QBoxLayout* parent, const layout::Node& node, QWidget* owner);
    void addTable(QBoxLayout* parent, const layout::Node& node, QWidget* owner);
    QWidget* control(std::string_view name, QWidget* owner);
    QWidget* part(std::string_view name, QWidget* owner);
    QLabel* fieldLabel(const layout::Field& field, QWidget* buddy, QWidget* owner);

    WidgetForm& form_;
    std::map<std::string, QLabel*, std::less<>> labels_;
};
