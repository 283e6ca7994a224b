#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "app/dialog_provider.h"
#include "app/main_window.h"

// The offscreen platform warns of every keyboard grab, raise and size hint it cannot pass on
// to a window system there is none of. These say nothing about the program and would bury what
// does on stderr; every other message goes through.
inline QtMessageHandler& handlerBeforeTests() {
    static QtMessageHandler handler = nullptr;
    return handler;
}

inline void quietOffscreenMessages(QtMsgType type, const QMessageLogContext& context,
                                   const QString& text) {
    if (text.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (const QtMessageHandler next = handlerBeforeTests(); next != nullptr) {
        next(type, context, text);
    } else {
        fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    }
}

// One QApplication for the whole test program (offscreen), with a runtime folder of its own
// when the environment gives none (as on CI), so that Qt need not warn of its absence.
inline QApplication& testApplication() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            static QTemporaryDir runtime;
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        }
        handlerBeforeTests() = qInstallMessageHandler(quietOffscreenMessages);
        // Backups of a test's writes and the program's own settings go to test folders, never
        // to the user's.
        QStandardPaths::setTestModeEnabled(true);
        auto* made = new QApplication(argc, argv);
        // Every window is laid out in the one font the tests carry (see CMakeLists.txt), so
        // that no size depends on the fonts the machine holds.
        const int font = QFontDatabase::addApplicationFont(":/test-fonts/DejaVuSans.ttf");
        QApplication::setFont(QFont(QFontDatabase::applicationFontFamilies(font).at(0), 9));
        return made;
    }();
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
        if (onQuestion) {
            onQuestion();
        }
        return questionAnswer && !questionCancelled;
    }
    void cancelQuestion() override { questionCancelled = true; }
    SaveChoice askToSave(QWidget*, const QString& title, const QString& text) override {
        events << "ask to save: " + title + ": " + text;
        return saveAnswer;
    }
    std::optional<QString> chooseFile(QWidget*, FileDialog dialog,
                                      const FileDialogSetup& setup) override {
        fileRequests.push_back({dialog, setup});
        return fileAnswer;
    }
    void showModal(QDialog* window) override {
        modalWindows.push_back(window);
        modalWasHidden.push_back(!window->isVisible());
        if (onModal) {
            onModal(window);
        }
    }

    std::function<void()> onInformation;    // runs while an information box is up
    std::function<void()> onQuestion;       // runs while a question box is up
    bool questionCancelled = false;         // cancelQuestion() came while one was up
    std::function<void(QDialog*)> onModal;  // runs while a modal window is up
    QStringList informations;
    QStringList errors;
    QStringList questions;
    bool questionAnswer = false;
    SaveChoice saveAnswer = SaveChoice::Cancel;
    QStringList events;
    std::vector<FileRequest> fileRequests;
    std::optional<QString> fileAnswer;
    std::vector<QDialog*> modalWindows;
    std::vector<bool> modalWasHidden;
};

// Runs the window's events until its device operation, which runs on a thread of its own, has
// ended and shown its outcome; fails the test when that takes a minute.
inline void waitForOperation(MainWindow& window) {
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::operationFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60'000, &loop, [&loop] {
        ADD_FAILURE() << "the operation did not end";
        loop.exit(1);
    });
    while (window.operationRunning() && loop.exec() == 0) {
    }
}

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
