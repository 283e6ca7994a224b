#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "operations/config_backup.h"

class QTreeWidget;

// "Restore…": the configuration backups, newest first (time, station, firmware version, USB
// serial number, whether the image was damaged). OK, or a double click, chooses the selected
// one.
class BackupsWindow : public QDialog {
    Q_OBJECT
  public:
    BackupsWindow(std::vector<Backup> backups, const QString& folder, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    // The backup chosen, once the window was accepted.
    std::optional<Backup> chosen() const;

  private:
    std::vector<Backup> backups_;
    QTreeWidget* list_;
};
