#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "configfile/config_file.h"
#include "settings/schema.h"

class QTabWidget;
class QWidget;
class SubPageControl;
class WidgetForm;

// Marks the text fields whose value "Write config" would refuse: a red frame, and the
// refusal's message, after the field's name, as the tooltip while the value is wrong. The tab and
// the sub-page button that hold a marked field carry a warning icon. A field is checked again
// whenever its text changes, by the user or by the program (a file read, "Read config"), together
// with the field it shares an address with (a call and its SSID). A text the tracker
// takes but that may not reach other stations as typed (outside ASCII) gets a warning: a
// dashed amber frame and its tooltip, no icon.
//
// After "Read from file", a field (text or choice) that got its default because the file
// lacked its value or held one that cannot be read carries a dotted blue frame saying so, and
// its tab and sub-page button the warning icon, until the field is changed or the marks are
// cleared (a read from the tracker, another load). A refusal shows over it.
class FieldMarks : public QObject {
    Q_OBJECT
  public:
    FieldMarks(WidgetForm& form, QTabWidget* pages, std::map<Page, SubPageControl*> subPages,
               QObject* parent = nullptr);

    // Checks every field now and watches their changes from here on.
    void watch();

    // The message a marked field shows; empty when the field is not marked.
    QString problem(std::string_view setting) const;
    // The warning a field shows; empty when it has none.
    QString warning(std::string_view setting) const;
    // True when a field on `page` (and on `subPage`, when given) is marked.
    bool marked(Page page, const std::string& subPage = {}) const;

    // Marks the fields that got their default instead of the file's value, in place of the
    // marks of an earlier load.
    void markDefaultsUsed(const std::vector<UnreadValue>& unread);
    void clearDefaultsUsed() { markDefaultsUsed({}); }
    // What the default mark of a field says; empty when it has none.
    QString defaultUsed(std::string_view setting) const;
    // The fields that carry a default mark, in the order of the settings.
    std::vector<std::string> settingsWithDefaults() const;

  private:
    void check(const std::string& setting);
    void changed(const std::string& setting);
    // Shows the strongest mark the field has (refusal, default, warning), or none.
    void show(const std::string& setting);
    void updatePageIcons();

    WidgetForm& form_;
    QTabWidget* pages_;
    std::map<Page, SubPageControl*> subPages_;
    std::map<std::string, QString, std::less<>> problems_;
    std::map<std::string, QString, std::less<>> warnings_;
    std::map<std::string, QString, std::less<>> defaults_;
    std::map<std::string, QString, std::less<>> tooltips_;  // of marked fields, as they were
};
