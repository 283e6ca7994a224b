#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "app/beacon_strings_window.h"
#include "app/jpeg_decoder.h"
#include "app/splash_screen.h"
#include "app/startup.h"
#include "app_test_support.h"

namespace {

QWidget* topLevel(const char* objectName) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == objectName) {
            return w;
        }
    }
    return nullptr;
}

TEST(Startup, RunsItsStepsInOrder) {
    testApplication();
    QStringList seen;
    StartupOptions options;
    auto owned = std::make_unique<RecordingDialogs>();
    RecordingDialogs* dialogs = owned.get();
    options.dialogs = std::move(owned);
    options.prepare = [&](MainWindow& window) { seen << "prepare: " + window.windowTitle(); };
    options.wait = [&](int milliseconds) {
        seen << QString("wait %1").arg(milliseconds);
        // While waiting: the splash is up, both windows are built, neither is shown.
        QWidget* splash = topLevel("SplashScreen");
        EXPECT_NE(splash, nullptr);
        EXPECT_TRUE(splash && splash->isVisible());
        QWidget* main = topLevel("MainWindow");
        ASSERT_NE(main, nullptr);
        EXPECT_FALSE(main->isVisible());
        EXPECT_EQ(main->windowTitle(), "Veltromark Configurator v1.07");
        auto* strings = main->findChild<SpecialStringsWindow*>("SpecialStringsWindow");
        ASSERT_NE(strings, nullptr);
        EXPECT_FALSE(strings->isVisible());
    };
    std::unique_ptr<MainWindow> window = startUp(std::move(options));
    EXPECT_EQ(seen, QStringList({"prepare: Veltromark Configurator v1.07", "wait 1500"}));
    EXPECT_EQ(topLevel("SplashScreen"), nullptr) << "the splash is gone";
    EXPECT_EQ(QApplication::applicationName(), "Veltromark Configurator");
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs->events.isEmpty());

    // The special strings button shows the window built at start-up, hidden until then.
    window->findChild<QPushButton*>("Button_special_strings")->click();
    ASSERT_EQ(dialogs->modalWindows.size(), 1u);
    EXPECT_EQ(dialogs->modalWindows[0]->objectName(), "SpecialStringsWindow");
    EXPECT_TRUE(dialogs->modalWasHidden[0]);
}

TEST(Splash, IsABorderlessPictureOnTop) {
    testApplication();
    SplashScreen splash(splashPicture());
    EXPECT_EQ(splash.objectName(), "SplashScreen");
    EXPECT_EQ(splash.size(), QSize(254, 254));
    EXPECT_EQ(splash.minimumSize(), splash.maximumSize());
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash.picture().size(), QSize(254, 254));
    // What is painted is the picture.
    splash.show();
    const QImage shown = splash.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(127, 40), splash.picture().pixel(127, 40));
    EXPECT_EQ(shown.pixel(10, 240), splash.picture().pixel(10, 240));
}

TEST(Splash, EmbeddedPictureIsAProgressiveJpeg) {
    testApplication();
    registerEmbeddedPictures();
    QFile file(":/veltromark/splash.jpg");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    EXPECT_TRUE(data.startsWith("\xFF\xD8"));
    EXPECT_TRUE(data.contains("\xFF\xC2")) << "progressive frame header (SOF2)";
    const QImage picture = decodeJpeg(data);
    EXPECT_EQ(picture.size(), QSize(254, 254));
    // Not a flat picture: the mast and the lettering stand out.
    QSet<QRgb> colours;
    for (int y = 0; y < 254; y += 8) {
        for (int x = 0; x < 254; x += 8) {
            colours.insert(picture.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 50);
}

TEST(JpegDecoder, RejectsWhatIsNoJpeg) {
    EXPECT_THROW(decodeJpeg(QByteArray()), JpegError);
    EXPECT_THROW(decodeJpeg(QByteArray("not a picture at all")), JpegError);
    EXPECT_THROW(decodeJpeg(QByteArray("\xFF\xD8\xFF\xE0", 4)), JpegError);
}

TEST(JpegDecoder, StreamCutShortNeverCrashes) {
    testApplication();
    registerEmbeddedPictures();
    QFile file(":/veltromark/splash.jpg");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    // A stream cut short still gives the full-size picture (libjpeg pads what is missing)
    // or an error, never a crash.
    try {
        const QImage cut = decodeJpeg(data.left(data.size() / 2));
        EXPECT_EQ(cut.size(), QSize(254, 254));
    } catch (const JpegError&) {
    }
}

TEST(SpecialStrings, WindowTextsAndSize) {
    testApplication();
    SpecialStringsWindow window;
    EXPECT_EQ(window.objectName(), "SpecialStringsWindow");
    EXPECT_EQ(window.windowTitle(), "Beacon special strings");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed size";
    EXPECT_GE(window.width(), 317);
    EXPECT_GE(window.height(), 180);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    const QStringList want = {
        "<statlat> - inserts latitude defined on  \"Radio\" Tab.",
        "<statlong> - inserts longitude defined on  \"Radio\" Tab.",
        "<gpsdate> - inserts time received from GPS in format: DDHHMM. ",
        "<gpslat> - inserts latitude received from GPS.",
        "<gpslong> - inserts longitude received from GPS.",
        "<volt> - inserts measured input voltage.",
        "<temp> - inserts temperature from thermometer connected to RS-485 bus.",
        "Example:",
        "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V.",
    };
    QStringList shown;
    window.show();
    int previousBottom = -1;
    for (QLabel* label : window.findChildren<QLabel*>()) {
        shown << label->text();
        EXPECT_GT(label->y(), previousBottom) << "one below the other";
        EXPECT_LE(label->geometry().bottom(), window.height());
        previousBottom = label->geometry().bottom();
    }
    EXPECT_EQ(shown, want);
    EXPECT_EQ(SpecialStringsWindow::lines(), want);
    // Every line but the long <temp> one fits on one line.
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (!label->text().startsWith("<temp>")) {
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
                << label->text().toStdString();
        }
    }
}

}  // namespace
