#include "app/startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <exception>

#include "app/app_info.h"
#include "app/beacon_strings_window.h"
#include "app/jpeg_decoder.h"
#include "app/main_window.h"
#include "app/splash_screen.h"
#include "app/termination_signals.h"

namespace {

// Waits with the splash painted: window system events (expose, repaint) are handled, user
// input is held back until the main window is up.
void waitPainting(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(10);
    }
}

void centreOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window.frameSize());
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

}  // namespace

void chooseTextRenderer() {
#ifdef Q_OS_WIN
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=directwrite");
    }
#endif
}

std::unique_ptr<MainWindow> startUp(StartupOptions options) {
    // 1. The application title: the task bar's text.
    QApplication::setApplicationName(kApplicationTitle);
    QApplication::setApplicationVersion(kVersionText);
    QGuiApplication::setDesktopFileName(QStringLiteral("veltromark"));
    registerEmbeddedPictures();
    QIcon icon;
    icon.addFile(QStringLiteral(":/veltromark/veltromark-64.png"));
    icon.addFile(QStringLiteral(":/veltromark/veltromark-128.png"));
    QApplication::setWindowIcon(icon);

    // 2. The splash, painted at once.
    QImage picture;
    try {
        picture = splashPicture();
    } catch (const JpegError& e) {
        qWarning("splash picture: %s", e.what());  // start without the picture
    }
    auto splash = std::make_unique<SplashScreen>(std::move(picture));
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    // 3. The main window: settings, defaults, caption.
    const QString folder = options.programFolder.isEmpty() ? QApplication::applicationDirPath()
                                                           : options.programFolder;
    std::unique_ptr<DialogProvider> dialogs =
        options.dialogs ? std::move(options.dialogs) : std::make_unique<QtDialogProvider>();
    auto window = std::make_unique<MainWindow>(std::move(dialogs), folder);
    window->setWindowIcon(icon);

    // 4. The special strings window, hidden until asked for.
    window->setSpecialStringsWindow(new SpecialStringsWindow(window.get()));
    if (options.prepare) {
        options.prepare(*window);
    }

    // 5. The splash stays on screen a while; 6. then it goes.
    const auto wait = options.wait ? options.wait : waitPainting;
    wait(kSplashMilliseconds);
    splash.reset();

    centreOnScreen(*window);
    return window;
}

int runApplication(StartupOptions options) {
    try {
        std::unique_ptr<MainWindow> window = startUp(std::move(options));
        // SIGTERM, SIGHUP, Ctrl+C: closed as by its close button, a running write kept whole.
        watchTerminationSignals(window.get(), [w = window.get()] { w->closeOnSignal(); });
        // 7. The message loop; the main window shows as it starts.
        window->show();
        return QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, kApplicationTitle, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, kApplicationTitle, QString());
    }
    return 1;
}
