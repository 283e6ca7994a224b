#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/dialog_provider.h"
#include "app/operation_runner.h"
#include "app/widget_form.h"
#include "app/window_sink.h"
#include "settings/schema.h"

class BeaconPreview;
class QDialog;
class QLabel;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class FieldMarks;
class QTabWidget;
class SubPageControl;

// The seven command buttons, in the order they stand in the window.
enum class CommandButton {
    ReadConfig,
    WriteConfig,
    UploadFirmware,
    SaveToFile,
    ReadFromFile,
    ReadMemory,
    EraseMemory,
};
inline constexpr int kCommandButtons = 7;

// What a command button starts: it asks, runs its operation on the window's settings and
// sink and shows the outcome. A ConversionError (or any other exception) it throws ends it and
// is shown in the application error box.
using Operation = std::function<void()>;

// The main window: the command buttons in their three groups, the settings pages, the
// activity log and the progress bar. Building it creates every setting's control, applies the
// start-up defaults and sets the caption last.
class MainWindow : public QWidget {
    Q_OBJECT
  public:
    // `dialogs` shows every box and file dialog of the window; `programFolder` is the
    // folder of the executable, which holds the `config` and `logs` folders.
    explicit MainWindow(std::unique_ptr<DialogProvider> dialogs, QString programFolder = {},
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    Form& form() { return form_; }
    WindowSink& sink() { return *sink_; }
    // True while a device operation runs on the operation thread.
    bool operationRunning() const { return runner_->running(); }
    DialogProvider& dialogs() { return *dialogs_; }

    // Runs a device operation on the operation thread: the window is locked (operationStarted)
    // until it has ended; then, on the window's thread and with every line it logged on
    // screen, `finished` gets its outcome (what it threw goes to the error box instead). The
    // operation works on copies of what it needs from the window; `finished` takes its result.
    // Questions it asks are put to the user in a box; while the window is closing they are
    // answered No. One that was stopped leaves the progress bar at 0; one that failed without
    // a box of its own (no tracker, a page that failed) says why in a box as well as in the
    // log, unless the user stopped it or answered No.
    void runOperation(CommandButton button, bool stoppable, OperationRunner::Work work,
                      std::function<void(const Outcome&)> finished);
    // From the running operation's thread: runs `ask` (a dialog) on the window's thread and
    // waits for its answer, as the operation's questions do; No while the window is closing.
    bool askOnWindowThread(const std::function<bool()>& ask) {
        return runner_->askOnWindow([this, &ask] {
            const bool yes = ask();
            declined_ = declined_ || !yes;
            return yes;
        });
    }
    // True once the window was asked to close while an operation ran: it closes when the
    // operation has ended, and nothing more is offered meanwhile.
    bool closing() const { return closeRequested_; }
    // Closes the window as its close button does, but without the question about changed
    // settings (SIGTERM, SIGHUP: nobody may be there to answer).
    void closeOnSignal();

    // Attaches the operation that `button` starts; replaces any earlier one. Until one is
    // attached a button does nothing when pressed.
    void setCommand(CommandButton button, Operation command);
    QPushButton* commandButton(CommandButton button) const;
    // Enables or disables the seven command buttons, "Compare with file…" and "Track…"
    // together.
    void setCommandButtonsEnabled(bool enabled);
    // A device operation started by `running` lets window events run: every button above is
    // disabled, except that the running command's button turns into "Stop" when the operation
    // may be stopped; one that may not says why in its tooltip. Pressing "Stop" asks the
    // window's sink to stop the operation.
    void operationStarted(CommandButton running, bool stoppable);
    // Every button back as it was, enabled.
    void operationEnded();
    // Shows a file dialog starting in the `config` or `logs` folder; the chosen path, or
    // nothing when the user cancels.
    std::optional<QString> chooseFile(FileDialog dialog);
    // Shows boxes handed back by the rules or an operation (see WindowSink::show).
    void showBoxes(const Boxes& boxes) { sink_->show(boxes); }
    // "Track…" beside Read and Erase: opens the track view. It is disabled with the command
    // buttons while an operation runs, so that the view never shows a download half done.
    QPushButton* trackButton() const { return trackButton_; }
    // The folder of the executable, which holds the `config` and `logs` folders.
    const QString& programFolder() const { return programFolder_; }

    // The window that "Special strings" shows modally (created after this window).
    void setSpecialStringsWindow(QDialog* window) { specialStrings_ = window; }
    // Shows the special strings window modally; nothing when there is none.
    void showSpecialStrings();

    // Takes the settings as they are now (or as `kept` holds them) as kept: read from or
    // written to the tracker, saved to or loaded from a file. Closing the window asks Save /
    // Discard / Cancel when they have changed since.
    void keepSettings();
    void keepSettings(const Form& kept);
    // True when a setting differs from what was last kept.
    bool settingsChanged() const;
    // Before the settings are replaced (a read, a load): when they changed since they were
    // last kept, asks Save / Discard / Cancel. True to go on: nothing changed, Discard, or
    // Save and the save was done.
    bool mayReplaceSettings();

    // Runs `handler` through the guard that turns its exceptions into the error box.
    bool runGuarded(const std::function<void()>& handler);

    // The label (or column heading) shown for a setting; nullptr for settings shown without.
    QLabel* labelFor(std::string_view setting) const;

    QTabWidget* settingsPages() const { return pages_; }
    // The sub-pages of the telemetry, digipeater and external interfaces pages.
    SubPageControl* subPageControl(Page page) const;
    QPlainTextEdit* activityLog() const { return log_; }
    // The marks on fields whose value "Write config" would refuse.
    const FieldMarks& fieldMarks() const { return *marks_; }
    FieldMarks& fieldMarks() { return *marks_; }
    // Each beacon's packet and its reading, below the beacon table.
    BeaconPreview* beaconPreview() const { return beaconPreview_; }

    // "Restore…" in the connection group: writes a configuration backup back to the tracker.
    // It runs `command` like a command button, and is disabled with them.
    void setRestoreCommand(Operation command) { restoreCommand_ = std::move(command); }
    QPushButton* restoreButton() const { return restore_; }

    // "Compare with file…": asks for a configuration file and lists the settings that differ
    // between it and the window; a row picked in the list leads to its field.
    void compareWithFile();
    QPushButton* compareButton() const { return compare_; }

    // Opens the page and sub-page of `setting` and puts the focus in its field, its text
    // selected.
    void showSetting(std::string_view setting);
    QProgressBar* progressBar() const { return progress_; }

    // The status line below the log: which tracker the window read last, by its USB serial
    // number (`identity`: the number, or "simulated"; empty when it has none) and its
    // firmware version in hundredths (none when it did not say).
    void showTracker(const QString& identity, std::optional<std::uint32_t> firmware);
    QLabel* trackerStatus() const { return trackerStatus_; }
    // Help › About: the program's version, the configuration format's and those of Qt and
    // hidapi, in a box.
    void showAbout();
    QMenuBar* menuBar() const { return menuBar_; }

  signals:
    // A device operation has ended and its outcome has been shown.
    void operationFinished();

  protected:
    // Closing while an operation runs: a read, a download or the erase wait stops as Stop
    // does, a write, an upload or a restore finishes, a question is answered No, and the
    // window closes once the operation has ended. Settings changed since they were last kept
    // are saved, discarded or the window stays, as the user chooses.
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* buildCommandGroups();
    QMenuBar* buildMenuBar();
    void buildPages();
    void connectHandlers();
    void runCommand(CommandButton button);
    void runRestore();
    // Runs `handler` through the guard; after a refused "Write config" or "Save to file"
    // (`pressed`), once no operation runs, leads to the field at fault: the one a conversion
    // error names, else `refused` (the setting an operation's outcome names).
    void runLeading(std::optional<CommandButton> pressed, const std::function<void()>& handler,
                    std::string refused = {});
    // The settings pages take no input while an operation runs; the tabs, the sub-page
    // buttons and the log stay browsable.
    void setSettingsLocked(bool locked);
    // A question of the running operation, in a box.
    bool answerOperation(const Question& question);

    std::unique_ptr<DialogProvider> dialogs_;
    WidgetForm form_;
    std::unique_ptr<WindowSink> sink_;
    QString programFolder_;
    std::array<QPushButton*, kCommandButtons> buttons_{};
    QPushButton* trackButton_ = nullptr;
    std::array<Operation, kCommandButtons> commands_;
    QTabWidget* pages_ = nullptr;
    std::map<Page, SubPageControl*> subPages_;
    std::map<std::string, QLabel*, std::less<>> labels_;
    QPlainTextEdit* log_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* trackerStatus_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QDialog* specialStrings_ = nullptr;
    FieldMarks* marks_ = nullptr;
    BeaconPreview* beaconPreview_ = nullptr;
    QPushButton* compare_ = nullptr;
    QPushButton* restore_ = nullptr;
    Operation restoreCommand_;
    std::optional<CommandButton> stopButton_;
    // The command button pressed for the running operation (none for a restore).
    std::optional<CommandButton> pressed_;
    // The running operation was asked to stop, or one of its questions was answered No: it
    // ends as the user wanted, with no box about its failure.
    bool stopRequested_ = false;
    bool declined_ = false;
    bool closeRequested_ = false;
    bool closeBySignal_ = false;
    std::vector<QString> keptSettings_;
    std::unique_ptr<OperationRunner> runner_;  // before the widgets it reports to go
};
