#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

#include "image/compare.h"

class QTreeWidget;

// "Compare with file…": the settings whose values differ between the window and a
// configuration file, one row each (where the setting is, the window's value, the file's).
// A double click on a row closes the list and takes the user to that setting's field.
class CompareWindow : public QDialog {
    Q_OBJECT
  public:
    CompareWindow(const std::vector<SettingDifference>& differences, const QString& fileName,
                  QWidget* parent = nullptr);
    // Two sides other than the window: titled `title`, the values headed `a` and `b`; the rows
    // lead nowhere.
    CompareWindow(const std::vector<SettingDifference>& differences, const QString& title,
                  const QString& a, const QString& b, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }

  signals:
    // The user asked to see this setting in the window.
    void settingChosen(const QString& setting);

  private:
    void build(const std::vector<SettingDifference>& differences, const QString& a,
               const QString& b, bool leadsToFields);

    QTreeWidget* list_;
};
