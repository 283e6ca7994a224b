#include "app/device_commands.h"

#include <QDir>
#include <QPushButton>

#include "app/backups_window.h"
#include "app/compare_window.h"
#include "app/main_window.h"
#include "app/track_view_window.h"
#include "configfile/config_file.h"
#include "image/compare.h"
#include "image/decoder.h"
#include "operations/config_transfer.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"

namespace {

// For the lifetime of a device operation: the buttons as MainWindow::operationStarted sets
// them, and the window's events running between the slices of every reply wait, so that a
// slow or silent tracker never freezes the window. Everything back on every way out.
class RunningOperation {
  public:
    enum class Stop { Offered, NotOffered };

    RunningOperation(MainWindow& window, DeviceSession& session, CommandButton button, Stop stop)
        : window_(window), session_(session) {
        window_.operationStarted(button, stop == Stop::Offered);
        session_.link.setWhileWaiting([&sink = window_.sink()] { sink.letEventsRun(); });
    }
    ~RunningOperation() {
        session_.link.setWhileWaiting({});
        window_.operationEnded();
    }
    RunningOperation(const RunningOperation&) = delete;
    RunningOperation& operator=(const RunningOperation&) = delete;

  private:
    MainWindow& window_;
    DeviceSession& session_;
};

using Stop = RunningOperation::Stop;

// How the window writes a backup back.
BackupPlan windowBackups(const DeviceSession& s) {
    return {s.backupFolder, QStringLiteral("\"Restore\u2026\"")};
}

// Asks the operation's question in a box, No the default, once the lines logged so far are
// on screen.
Confirm askInBox(MainWindow& window) {
    return [&window](const Question& question) {
        window.sink().flush();
        return window.dialogs().question(&window, question.title, question.text);
    };
}

// Shows the boxes of `outcome`; when it succeeded, the settings are kept as they now are.
void showAndKeep(MainWindow& window, const Outcome& outcome) {
    window.showBoxes(outcome.boxes);
    if (outcome.ok) {
        window.keepSettings();
    }
}

}  // namespace

void Button_read_configClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::ReadConfig, Stop::Offered);
        outcome = readConfiguration(s.link, window.sink(), window.form(), s.readImage);
    }
    showAndKeep(window, outcome);
}

void Button_write_configClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::WriteConfig, Stop::NotOffered);
        outcome = writeConfiguration(s.link, window.sink(), window.form(), s.writeImage,
                                     windowBackups(s));
    }
    showAndKeep(window, outcome);
}

void Button_upload_firmwareClick(MainWindow& window, DeviceSession& s) {
    const std::optional<QByteArray> image = s.firmwareSource ? s.firmwareSource() : std::nullopt;
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::UploadFirmware, Stop::NotOffered);
        outcome = uploadFirmware(s.link, window.sink(), image, s.firmware, askInBox(window));
    }
    window.showBoxes(outcome.boxes);
}

void Button_save_to_fileClick(MainWindow& window) {
    if (const std::optional<QString> path = window.chooseFile(FileDialog::SaveConfig)) {
        showAndKeep(window, exportConfiguration(window.form(), *path));
    }
}

void Button_read_from_fileClick(MainWindow& window) {
    if (const std::optional<QString> path = window.chooseFile(FileDialog::OpenConfig)) {
        const ImportOutcome imported = importConfiguration(window.form(), *path);
        showAndKeep(window, imported);
        // The file is loaded all the same; the log tells what of it was not.
        for (const UnreadValue& value : imported.unread) {
            window.sink().log(value.line());
        }
    }
}

bool Button_read_memoryClick(MainWindow& window, DeviceSession& s) {
    const std::optional<QString> path = window.chooseFile(FileDialog::SaveGpsLog);
    if (!path) {
        return false;
    }
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::ReadMemory, Stop::Offered);
        outcome = downloadGpsMemory(s.link, window.sink(), *path, s.gps);
    }
    window.showBoxes(outcome.boxes);
    return outcome.ok;
}

void Button_erase_memoryClick(MainWindow& window, DeviceSession& s) {
    Outcome outcome;
    {
        RunningOperation running(window, s, CommandButton::EraseMemory, Stop::Offered);
        outcome = eraseGpsMemory(s.link, window.sink(), askInBox(window));
    }
    window.showBoxes(outcome.boxes);
}

void restoreBackup(MainWindow& window, DeviceSession& s) {
    const std::vector<Backup> backups = listBackups(s.backupFolder);
    const QString folder = QDir::toNativeSeparators(s.backupFolder);
    if (backups.empty()) {
        window.showBoxes({informationBox(
            QStringLiteral("There are no configuration backups in %1 yet. \"Write config\" "
                           "makes one before every write.")
                .arg(folder))});
        return;
    }
    BackupsWindow list(backups, s.backupFolder, &window);
    window.sink().flush();
    window.dialogs().showModal(&list);
    const std::optional<Backup> chosen = list.chosen();
    if (!chosen) {
        return;
    }
    QString failure;
    const std::optional<ConfigImage> image = loadBackup(chosen->path, &failure);
    if (!image) {
        window.showBoxes({informationBox(failure)});
        return;
    }
    const QString name = chosen->fileName();
    const bool damaged = !CheckImage(*image);
    if (!damaged) {
        // What the backup would bring back, against what the window holds now.
        MemoryForm backup;
        applyStartupDefaults(backup);
        if (DecodeImage(backup, *image).ok) {
            const std::vector<SettingDifference> differences =
                compareSettings(window.form(), backup);
            CompareWindow compare(differences, name, &window);
            std::string shown;
            QObject::connect(&compare, &CompareWindow::settingChosen, &window,
                             [&shown](const QString& setting) { shown = setting.toStdString(); });
            window.dialogs().showModal(&compare);
            if (!shown.empty()) {
                window.showSetting(shown);
                return;  // the user went to look at a setting, not to write
            }
        }
    }
    const QString question =
        damaged ? QStringLiteral(
                      "The backup %1 is marked damaged: its checksum or end marker is "
                      "wrong, so the tracker may not work with it. Write it to the "
                      "tracker all the same?")
                      .arg(name)
                : QStringLiteral(
                      "Write the backup %1 (%2) to the tracker? It replaces the "
                      "tracker's whole configuration; a backup of the present one is "
                      "made first.")
                      .arg(name, chosen->station());
    if (!window.dialogs().question(&window, QStringLiteral("Restore"), question)) {
        return;
    }
    window.sink().log(
        QStringLiteral("Restoring the backup %1.").arg(QDir::toNativeSeparators(chosen->path)));
    Outcome outcome;
    {
        // A restore is a write: no Stop.
        RunningOperation running(window, s, CommandButton::WriteConfig, Stop::NotOffered);
        outcome = restoreConfiguration(s.link, window.sink(), *image, windowBackups(s));
    }
    window.showBoxes(outcome.boxes);
}

void attachCommands(MainWindow& window, DeviceSession& s) {
    window.setCommand(CommandButton::ReadConfig,
                      [&window, &s] { Button_read_configClick(window, s); });
    window.setCommand(CommandButton::WriteConfig,
                      [&window, &s] { Button_write_configClick(window, s); });
    window.setCommand(CommandButton::UploadFirmware,
                      [&window, &s] { Button_upload_firmwareClick(window, s); });
    window.setCommand(CommandButton::SaveToFile, [&window] { Button_save_to_fileClick(window); });
    window.setCommand(CommandButton::ReadFromFile,
                      [&window] { Button_read_from_fileClick(window); });
    // One track view for the window's life, shown again (with the last download) on demand.
    auto* view = new TrackViewWindow(window.dialogs(), window.programFolder(), s.gps, &window);
    const auto showTrack = [view] {
        view->showLastDownload();
        view->show();
        view->raise();
        view->activateWindow();
    };
    QObject::connect(window.trackButton(), &QPushButton::clicked, view, showTrack);
    window.setCommand(CommandButton::ReadMemory, [&s, &window, showTrack] {
        if (!Button_read_memoryClick(window, s)) {
            return;
        }
        // The download's own lines are on screen before the question.
        window.sink().flush();
        if (window.dialogs().question(&window, QStringLiteral("Tracker GPS memory"),
                                      QStringLiteral("Show the track of the download?"))) {
            showTrack();
        }
    });
    window.setCommand(CommandButton::EraseMemory,
                      [&window, &s] { Button_erase_memoryClick(window, s); });
    window.setRestoreCommand([&window, &s] { restoreBackup(window, s); });
}
