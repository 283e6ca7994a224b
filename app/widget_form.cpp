#include "app/widget_form.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <stdexcept>

void WidgetForm::add(const std::string& name, QWidget* widget) {
    if (!widgets_.emplace(name, widget).second) {
        throw std::logic_error("control registered twice: " + name);
    }
}

QWidget* WidgetForm::widget(std::string_view name) const {
    const auto it = widgets_.find(name);
    if (it == widgets_.end()) {
        throw std::out_of_range("no control named " + std::string(name));
    }
    return it->second;
}

bool WidgetForm::contains(std::string_view name) const {
    return widgets_.find(name) != widgets_.end();
}

QString WidgetForm::text(std::string_view name) const {
    QWidget* w = widget(name);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        return line->text();
    }
    if (auto* message = qobject_cast<QPlainTextEdit*>(w)) {
        return message->toPlainText();
    }
    throw std::logic_error("text of a control that holds none: " + std::string(name));
}

void WidgetForm::setText(std::string_view name, const QString& text) {
    QWidget* w = widget(name);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(text);
        line->setCursorPosition(0);  // show the start of a long text
        return;
    }
    if (auto* message = qobject_cast<QPlainTextEdit*>(w)) {
        message->setPlainText(text);
        return;
    }
    throw std::logic_error("setText on a control that holds no text: " + std::string(name));
}

int WidgetForm::index(std::string_view name) const {
    auto* combo = qobject_cast<QComboBox*>(widget(name));
    if (combo == nullptr) {
        throw std::logic_error("index of a control that is no choice: " + std::string(name));
    }
    if (combo->isEditable()) {
        return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    return combo->currentIndex();
}

void WidgetForm::setIndex(std::string_view name, int index) {
    auto* combo = qobject_cast<QComboBox*>(widget(name));
    if (combo == nullptr) {
        throw std::logic_error("setIndex on a control that is no choice: " + std::string(name));
    }
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    if (combo->isEditable() && combo->currentIndex() < 0) {
        combo->setEditText(QString());
    }
}

bool WidgetForm::isEnabled(std::string_view name) const {
    // The setting's own state: while an operation runs the window locks the pages that hold
    // the fields, which says nothing of the fields themselves.
    return !widget(name)->testAttribute(Qt::WA_ForceDisabled);
}

void WidgetForm::setEnabled(std::string_view name, bool on) {
    widget(name)->setEnabled(on);
}
