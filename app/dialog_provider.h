#pragma once

#include <QMap>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <optional>

class QDialog;
class QSettings;
class QWidget;

// The file dialogs of the program: four of the main window, four of the track view.
enum class FileDialog {
    SaveConfig,      // "Save to file": *.cfg, default name "veltromark.cfg"
    OpenConfig,      // "Read from file": *.cfg
    CompareConfig,   // "Compare with file…": *.cfg, or an image or backup, *.bin
    SaveGpsLog,      // GPS memory "Read": *.log, default name "veltromark_gpsdata.log"
    OpenGpsLog,      // track view: an NMEA log, *.log
    OpenGpsDump,     // track view: a raw GPS memory dump, *.bin
    SaveTrackImage,  // track view: the view as *.png
    SaveGpxTrack,    // track view: the track as *.gpx
};

// How one of the window's file dialogs is set up.
struct FileDialogSetup {
    QString filter;       // "Veltromark config files (*.cfg)"
    QString defaultName;  // preset file name, empty for none
    QString folder;       // the portable folder beside the executable (never created here)
    bool save;            // a save dialog (else an open dialog)
    bool confirmOverwrite;
};

// The setup of each file dialog: filters, preset names and the `config` / `logs` folders
// beside the executable in `programFolder`.
FileDialogSetup fileDialogSetup(FileDialog dialog, const QString& programFolder);

// The folder a file dialog opens in: the portable folder beside the executable when it exists
// (a portable install), else the folder last used for that kind of file, else the user's
// documents folder, else the home folder.
QString startingFolder(const QString& portableFolder, const QString& lastFolder,
                       const QString& documentsFolder);

// The folder last used for the files of a portable folder's kind (`config`, `logs`), as kept in
// `settings`; empty when none is kept. A damaged settings file reads as none kept.
QString rememberedFolder(const QSettings& settings, const QString& portableFolder);
void rememberFolder(QSettings& settings, const QString& portableFolder, const QString& folder);

// The answer to a question about changes not yet kept.
enum class SaveChoice { Save, Discard, Cancel };

// Everything modal the window shows. The window and its sink reach the user only through
// this interface, so tests put a recording implementation in place and never block.
class DialogProvider {
  public:
    virtual ~DialogProvider() = default;

    // A box with an information icon, the given title and one OK button.
    virtual void information(QWidget* parent, const QString& title, const QString& text) = 0;
    // A box with an error icon, the given title and one OK button.
    virtual void error(QWidget* parent, const QString& title, const QString& text) = 0;
    // A box with a question icon and Yes and No buttons, No the default (Enter and Escape
    // choose it); true when the user chose Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
    // Answers No to the question box that is open now, if any (the window is closing).
    virtual void cancelQuestion() {}
    // A box with a warning icon and Save, Discard and Cancel buttons, Cancel the default. A
    // provider that cannot ask keeps everything, as Cancel does.
    virtual SaveChoice askToSave(QWidget*, const QString&, const QString&) {
        return SaveChoice::Cancel;
    }
    // A file dialog; the chosen path, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(QWidget* parent, FileDialog dialog,
                                              const FileDialogSetup& setup) = 0;
    // Shows `window` modally and returns when the user has closed it.
    virtual void showModal(QDialog* window) = 0;
};

// The real dialogs: QMessageBox and QFileDialog. The file dialogs open in startingFolder(); the
// folder of each file chosen is remembered for its kind across runs, in the program's settings
// at the platform's standard place. Within a run a dialog also offers the name last chosen in
// it again.
class QtDialogProvider : public DialogProvider {
  public:
    void information(QWidget* parent, const QString& title, const QString& text) override;
    void error(QWidget* parent, const QString& title, const QString& text) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
    void cancelQuestion() override;
    SaveChoice askToSave(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> chooseFile(QWidget* parent, FileDialog dialog,
                                      const FileDialogSetup& setup) override;
    void showModal(QDialog* window) override;

  private:
    QMap<FileDialog, QString> lastPath_;
    QPointer<QMessageBox> openQuestion_;
};
