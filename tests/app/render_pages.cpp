// Renders the main window once per page and sub-page, the splash, special strings and symbol
// chooser windows, the track view after a GPS download from the simulated tracker and the window
// maximized after it, into PNG files in the folder given as the only argument, for looking at
// the layout by eye. Built on request only (target vm_render_pages).

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <cstdio>

#include "app/beacon_preview.h"
#include "app/beacon_strings_window.h"
#include "app/device_commands.h"
#include "app/main_window.h"
#include "app/splash_screen.h"
#include "app/sub_page_control.h"
#include "app/symbol_chooser.h"
#include "app/track_view_window.h"
#include "sim/simulated_tracker.h"

namespace {

class NoDialogs : public DialogProvider {
  public:
    void information(QWidget*, const QString&, const QString&) override {}
    void error(QWidget*, const QString&, const QString&) override {}
    // Yes to every question; the GPS log goes to `gpsLog` when one is given.
    bool question(QWidget*, const QString&, const QString&) override { return true; }
    std::optional<QString> chooseFile(QWidget*, FileDialog dialog,
                                      const FileDialogSetup&) override {
        if (dialog == FileDialog::SaveGpsLog && !gpsLog.isEmpty()) {
            return gpsLog;
        }
        return std::nullopt;
    }
    QString gpsLog;
    void showModal(QDialog*) override {}
};

void save(QWidget& widget, const QString& path) {
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    MainWindow window(std::make_unique<NoDialogs>());
    window.show();
    std::printf("main window %dx%d\n", window.width(), window.height());
    QTabWidget* tabs = window.settingsPages();
    for (int t = 0; t < tabs->count(); ++t) {
        tabs->setCurrentIndex(t);
        auto* sub = tabs->widget(t)->findChild<SubPageControl*>();
        const int subCount = sub ? sub->count() : 1;
        for (int s = 0; s < subCount; ++s) {
            if (sub) {
                sub->button(s)->click();
            }
            QApplication::processEvents();
            QWidget* page = sub ? sub->page(s) : tabs->widget(t);
            std::printf("page %d.%d needs %dx%d\n", t, s, page->minimumSizeHint().width(),
                        page->minimumSizeHint().height());
            save(window, out.filePath(QString("page-%1-%2.png").arg(t).arg(s)));
        }
    }
    // Beacon 1 without the "z" after its time stamp, and the symbol chooser, whole and searched.
    tabs->setCurrentIndex(static_cast<int>(Page::Beacons));
    window.form().setText("Beacon1_message", window.form().text("Beacon1_message").remove(u'z'));
    QApplication::processEvents();
    save(window, out.filePath("beacons-problem.png"));
    SymbolChooser chooser({'/', '>'});
    chooser.show();
    save(chooser, out.filePath("symbol-chooser.png"));
    chooser.findChild<QLineEdit*>("SymbolSearch")->setText("truck");
    save(chooser, out.filePath("symbol-chooser-truck.png"));

    SplashScreen splash(splashPicture());
    splash.show();
    save(splash, out.filePath("splash.png"));
    SpecialStringsWindow strings;
    strings.show();
    std::printf("special strings %dx%d\n", strings.width(), strings.height());
    save(strings, out.filePath("special-strings.png"));

    auto dialogs = std::make_unique<NoDialogs>();
    dialogs->gpsLog = out.filePath("track.log");
    MainWindow downloader(std::move(dialogs));
    SimulatedTracker tracker;
    DeviceSession session(tracker);
    attachCommands(downloader, session);
    downloader.beaconPreview()->setGpsMemory(&session.gps);
    downloader.show();
    downloader.commandButton(CommandButton::ReadMemory)->click();
    QEventLoop ended;  // the download runs on the operation thread
    QObject::connect(&downloader, &MainWindow::operationFinished, &ended, &QEventLoop::quit);
    ended.exec();
    if (auto* view = downloader.findChild<TrackViewWindow*>("TrackView")) {
        QApplication::processEvents();
        std::printf("track view %dx%d: %s\n", view->width(), view->height(),
                    qPrintable(view->summary()));
        save(*view, out.filePath("track-view.png"));
    }
    // The GPS placeholders from the last record of the download.
    downloader.settingsPages()->setCurrentIndex(static_cast<int>(Page::Beacons));
    QApplication::processEvents();
    save(downloader, out.filePath("beacons-after-download.png"));
    // Maximized on its screen; a bare X server has no window manager to do the resizing.
    downloader.showMaximized();
    downloader.resize(downloader.screen()->availableSize());
    QApplication::processEvents();
    std::printf("maximized %dx%d\n", downloader.width(), downloader.height());
    save(downloader, out.filePath("beacons-maximized.png"));
    return 0;
}
