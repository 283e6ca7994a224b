#pragma once

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/dialog_provider.h"
#include "app/main_window.h"

// One QApplication for the whole test program (offscreen).
inline QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Dialogs that record what they were asked to show and never block.
class RecordingDialogs : public DialogProvider {
  public:
    struct FileRequest {
        FileDialog dialog;
        FileDialogSetup setup;
    };

    void information(QWidget*, const QString& title, const QString& text) override {
        const QString shown = title == "Information" ? text : title + ": " + text;
        informations << shown;
        events << "information: " + shown;
        if (onInformation) {
            onInformation();
        }
    }
    void error(QWidget*, const QString& title, const QString& text) override {
        errors << title + ": " + text;
        events << "error: " + title + ": " + text;
    }
    bool question(QWidget*, const QString& title, const QString& text) override {
        questions << title + ": " + text;
        events << "question: " + title + ": " + text;
        return questionAnswer;
    }
    std::optional<QString> chooseFile(QWidget*, FileDialog dialog,
                                      const FileDialogSetup& setup) override {
        fileRequests.push_back({dialog, setup});
        return fileAnswer;
    }
    void showModal(QDialog* window) override {
        modalWindows.push_back(window);
        modalWasHidden.push_back(!window->isVisible());
    }

    std::function<void()> onInformation;  // runs while an information box is up
    QStringList informations;
    QStringList errors;
    QStringList questions;
    bool questionAnswer = false;
    QStringList events;
    std::vector<FileRequest> fileRequests;
    std::optional<QString> fileAnswer;
    std::vector<QDialog*> modalWindows;
    std::vector<bool> modalWasHidden;
};

// A main window with recording dialogs; `dialogs` stays owned by the window.
struct TestWindow {
    TestWindow() {
        testApplication();
        auto owned = std::make_unique<RecordingDialogs>();
        dialogs = owned.get();
        window = std::make_unique<MainWindow>(std::move(owned), QStringLiteral("/opt/vm"));
    }
    RecordingDialogs* dialogs = nullptr;
    std::unique_ptr<MainWindow> window;
};
