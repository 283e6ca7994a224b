#pragma once

#include <QImage>
#include <QWidget>

// The splash window: 254 x 254, no border, always on top, centred on the
// screen; its whole area is the splash picture. It takes no input.
class SplashScreen : public QWidget {
    Q_OBJECT
  public:
    explicit SplashScreen(QImage picture, QWidget* parent = nullptr);

    const QImage& picture() const { return picture_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
};

// Makes the pictures embedded in the program (splash, icons) available under
// ":/veltromark/".
void registerEmbeddedPictures();

// The splash picture embedded in the program, decoded with libjpeg.
QImage splashPicture();
