#include "settings/memory_form.h"

#include <stdexcept>

#include "settings/schema.h"

MemoryForm::MemoryForm() {
    for (const SettingDef& s : settings()) {
        Value v;
        v.choice = s.isChoice();
        v.itemCount = s.items ? static_cast<int>(s.items->items.size()) : 0;
        values_.emplace(s.name, v);
    }
    for (const ControlDef& c : controls()) {
        values_.emplace(c.name, Value{});
    }
}

MemoryForm::Value& MemoryForm::value(std::string_view name) {
    const auto it = values_.find(std::string(name));
    if (it == values_.end()) {
        throw std::out_of_range("no control named " + std::string(name));
    }
    return it->second;
}

const MemoryForm::Value& MemoryForm::value(std::string_view name) const {
    return const_cast<MemoryForm*>(this)->value(name);
}

QString MemoryForm::text(std::string_view name) const {
    const Value& v = value(name);
    if (v.choice) {
        throw std::logic_error("text of choice " + std::string(name));
    }
    return v.text;
}

void MemoryForm::setText(std::string_view name, const QString& text) {
    Value& v = value(name);
    if (v.choice) {
        throw std::logic_error("setText on choice " + std::string(name));
    }
    v.text = text;
}

int MemoryForm::index(std::string_view name) const {
    const Value& v = value(name);
    if (!v.choice) {
        throw std::logic_error("index of text field " + std::string(name));
    }
    return v.index;
}

void MemoryForm::setIndex(std::string_view name, int index) {
    Value& v = value(name);
    if (!v.choice) {
        throw std::logic_error("setIndex on text field " + std::string(name));
    }
    v.index = (index >= 0 && index < v.itemCount) ? index : -1;
}

bool MemoryForm::isEnabled(std::string_view name) const {
    return value(name).enabled;
}

void MemoryForm::setEnabled(std::string_view name, bool on) {
    value(name).enabled = on;
}

void copySettings(const Form& from, Form& to) {
    for (const SettingDef& s : settings()) {
        if (s.isChoice()) {
            to.setIndex(s.name, from.index(s.name));
        } else {
            to.setText(s.name, from.text(s.name));
        }
        to.setEnabled(s.name, from.isEnabled(s.name));
    }
    for (const ControlDef& c : controls()) {
        to.setEnabled(c.name, from.isEnabled(c.name));
    }
}
