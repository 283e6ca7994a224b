#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <string>
#include <vector>

#include "configfile/config_file.h"

class Form;
struct Invocation;

// Results as JSON, for scripts: one document on standard output.

// Prints `document` on standard output, indented, with every control character escaped: Qt
// escapes those below 0x20 only, and DEL and the C1 controls are escaped as well.
void printJson(Invocation& in, const QJsonObject& document);

// A setting as the JSON results name it: its name and its place in the window.
QJsonObject settingJson(const std::string& name);

// A setting's value: a text as it stands, a choice as its item's text, null for no item.
QJsonValue valueJson(const Form& form, const std::string& name);

// The values a file could not give: the setting, the file's line, and why.
QJsonArray unreadJson(const std::vector<UnreadValue>& unread);
