#include "app/splash_screen.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/jpeg_decoder.h"

namespace {

constexpr int kSize = 254;

}  // namespace

// The pictures are compiled into this static library; Qt must be told to register them.
// Q_INIT_RESOURCE works from the global namespace only.
void registerEmbeddedPictures() {
    Q_INIT_RESOURCE(veltromark);
}

QImage splashPicture() {
    registerEmbeddedPictures();
    QFile file(QStringLiteral(":/veltromark/splash.jpg"));
    if (!file.open(QIODevice::ReadOnly)) {
        throw JpegError("the splash picture is missing from the program");
    }
    return decodeJpeg(file.readAll());
}

SplashScreen::SplashScreen(QImage picture, QWidget* parent)
    : QWidget(parent), picture_(std::move(picture)) {
    setObjectName("SplashScreen");
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kSize, kSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void SplashScreen::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (picture_.isNull()) {
        painter.fillRect(rect(), QColor(10, 24, 48));
        return;
    }
    painter.drawImage(rect(), picture_);
}
