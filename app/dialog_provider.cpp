#include "app/dialog_provider.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

namespace {

// Messages separate their lines with carriage returns; a Qt label breaks lines only at
// line feeds.
QString displayText(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, displayText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

FileDialogSetup fileDialogSetup(FileDialog dialog, const QString& programFolder) {
    const QString configFolder = QDir(programFolder).filePath(QStringLiteral("config"));
    const QString logFolder = QDir(programFolder).filePath(QStringLiteral("logs"));
    const QString configFilter = QStringLiteral("Veltromark config files (*.cfg)");
    switch (dialog) {
        case FileDialog::SaveConfig:
            // Saving updates an existing file key by key; choosing one needs no question.
            return {configFilter, QStringLiteral("veltromark.cfg"), configFolder, true, false};
        case FileDialog::OpenConfig:
            return {configFilter, QString(), configFolder, false, false};
        case FileDialog::CompareConfig:
            return {configFilter + QStringLiteral(";;Configuration images and backups (*.bin)"),
                    QString(), configFolder, false, false};
        case FileDialog::SaveGpsLog:
            // The log replaces the chosen file's contents, so the user confirms that.
            return {QStringLiteral("Veltromark GPS log files (*.log)"),
                    QStringLiteral("veltromark_gpsdata.log"), logFolder, true, true};
        case FileDialog::OpenGpsLog:
            return {QStringLiteral("Veltromark GPS log files (*.log)"), QString(), logFolder, false,
                    false};
        case FileDialog::OpenGpsDump:
            return {QStringLiteral("GPS memory dumps (*.bin)"), QString(), logFolder, false, false};
        case FileDialog::SaveTrackImage:
            return {QStringLiteral("PNG images (*.png)"), QStringLiteral("veltromark_track.png"),
                    logFolder, true, true};
        case FileDialog::SaveGpxTrack:
            return {QStringLiteral("GPX tracks (*.gpx)"), QStringLiteral("veltromark_track.gpx"),
                    logFolder, true, true};
    }
    return {};
}

QString startingFolder(const QString& portableFolder, const QString& lastFolder,
                       const QString& documentsFolder) {
    for (const QString& folder : {portableFolder, lastFolder, documentsFolder}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    return QDir::homePath();
}

namespace {

QString folderKey(const QString& portableFolder) {
    return QStringLiteral("LastFolders/") + QFileInfo(portableFolder).fileName();
}

}  // namespace

QString rememberedFolder(const QSettings& settings, const QString& portableFolder) {
    if (settings.status() != QSettings::NoError) {
        return {};
    }
    return settings.value(folderKey(portableFolder)).toString();
}

void rememberFolder(QSettings& settings, const QString& portableFolder, const QString& folder) {
    settings.setValue(folderKey(portableFolder), folder);
}

void QtDialogProvider::information(QWidget* parent, const QString& title, const QString& text) {
    showBox(parent, QMessageBox::Information, title, text);
}

bool QtDialogProvider::question(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, displayText(text),
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    // Enter must not do what cannot be undone.
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    openQuestion_ = &box;
    return box.exec() == QMessageBox::Yes;
}

void QtDialogProvider::cancelQuestion() {
    if (openQuestion_) {
        openQuestion_->button(QMessageBox::No)->click();
    }
}

SaveChoice QtDialogProvider::askToSave(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, title, displayText(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}

void QtDialogProvider::error(QWidget* parent, const QString& title, const QString& text) {
    showBox(parent, QMessageBox::Critical, title, text);
}

std::optional<QString> QtDialogProvider::chooseFile(QWidget* parent, FileDialog dialog,
                                                    const FileDialogSetup& setup) {
    QFileDialog fileDialog(parent);
    fileDialog.setNameFilter(setup.filter);
    fileDialog.setAcceptMode(setup.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An open dialog accepts a name that does not exist; the import reports what it finds.
    fileDialog.setFileMode(QFileDialog::AnyFile);
    if (!setup.confirmOverwrite) {
        fileDialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    // The program's own settings: only the last folders are kept there.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("veltromark"),
                       QStringLiteral("veltromark"));
    const QString folder =
        startingFolder(setup.folder, rememberedFolder(settings, setup.folder),
                       QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    fileDialog.setDirectory(folder);
    const QFileInfo last(lastPath_.value(dialog));
    if (!last.filePath().isEmpty() && last.absolutePath() == QFileInfo(folder).absoluteFilePath()) {
        fileDialog.selectFile(last.fileName());
    } else if (!setup.defaultName.isEmpty()) {
        fileDialog.selectFile(setup.defaultName);
    }
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = fileDialog.selectedFiles().constFirst();
    lastPath_.insert(dialog, chosen);
    rememberFolder(settings, setup.folder, QFileInfo(chosen).absolutePath());
    return chosen;
}

void QtDialogProvider::showModal(QDialog* window) {
    window->exec();
}
