#pragma once

#include <functional>
#include <memory>

#include "app/dialog_provider.h"

class MainWindow;

// What start-up may be given instead of the real thing (tests pass their own).
struct StartupOptions {
    // Blocks for the given milliseconds while the splash is on screen. By default the
    // splash stays painted and user input waits.
    std::function<void(int milliseconds)> wait;
    // The dialogs of the main window; by default Qt's message boxes and file dialogs.
    std::unique_ptr<DialogProvider> dialogs;
    // The folder beside which `config` and `logs` are looked for; by default the
    // executable's folder.
    QString programFolder;
    // Called with the main window once built, before the wait (to attach operations).
    std::function<void(MainWindow&)> prepare;
};

// How long the splash stays on screen after both windows are built.
inline constexpr int kSplashMilliseconds = 1500;

// Runs start-up up to the message loop, in this order: the application title, the splash
// shown and painted, the main window built (defaults applied, caption last), the special
// strings window created hidden, the wait with the splash on screen, the splash destroyed.
// Returns the main window, centred and not yet shown; the special strings window is its
// child. A QApplication must exist.
std::unique_ptr<MainWindow> startUp(StartupOptions options);

// Called before the QApplication is made. On Windows, text is drawn with DirectWrite,
// Windows' own text renderer: with Qt's default GDI font engine, Wine leaves the text of the
// line edits unpainted. A platform given with -platform or QT_QPA_PLATFORM is kept.
void chooseTextRenderer();

// startUp, then shows the main window and runs the message loop; returns its exit code.
// An exception that escapes is shown in an error box titled with the application title and
// ends the program with exit code 1.
int runApplication(StartupOptions options);
