#pragma once

#include <QString>
#include <string>
#include <vector>

class Form;
struct SettingDef;

// One setting whose value differs between two sets of settings.
struct SettingDifference {
    std::string setting;
    QString a;  // the value on the first side, as the window shows it
    QString b;  // the same on the second side
};

// The value of a setting as the window shows it: a text as it stands (in quotes, so that
// blanks show), a choice as its item's text, "(none)" for a choice with no item chosen.
QString shownValue(const Form& form, const SettingDef& def);

// Every setting whose value differs between `a` and `b`, in the order of the settings table
// (page by page). Values the configuration image stores alike are the same: numbers compare
// by value ("0250" and "250"), and the SSID beside an empty call is not looked at. Everything
// else compares as it is shown.
std::vector<SettingDifference> compareSettings(const Form& a, const Form& b);
