#include "app/whole_frame.h"

#include <QEvent>
#include <QFrame>
#include <QPainter>
#include <cmath>

namespace {

class WholeFrame : public QObject {
  public:
    explicit WholeFrame(QFrame* frame) : QObject(frame) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // Events also come while the frame is being destroyed, when it is a QFrame no more.
        auto* frame = event->type() == QEvent::Paint ? qobject_cast<QFrame*>(watched) : nullptr;
        if (frame == nullptr || frame->frameShape() == QFrame::NoFrame ||
            frame->devicePixelRatioF() == std::floor(frame->devicePixelRatioF())) {
            return false;
        }
        QPainter painter(frame);
        const QRect all = frame->rect();
        const int width = frame->frameWidth();
        // The band between the border and the text area, then the border on its outside
        // (the style's outline colour: the window's, darker).
        const QRegion band = QRegion(all) - QRegion(all.adjusted(width, width, -width, -width));
        for (const QRect& part : band) {
            painter.fillRect(part, frame->palette().base());
        }
        const QColor outline = frame->palette().color(QPalette::Window).darker(140);
        painter.fillRect(QRect(all.left(), all.top(), all.width(), 1), outline);
        painter.fillRect(QRect(all.left(), all.bottom(), all.width(), 1), outline);
        painter.fillRect(QRect(all.left(), all.top(), 1, all.height()), outline);
        painter.fillRect(QRect(all.right(), all.top(), 1, all.height()), outline);
        return true;
    }
};

}  // namespace

void keepFrameWhole(QFrame* frame) {
    frame->installEventFilter(new WholeFrame(frame));
}
