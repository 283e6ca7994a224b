#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <cmath>

#include "app/limited_edits.h"
#include "app/sub_page_control.h"
#include "app_test_support.h"

namespace {

// The widgets a user reads or works: labels, fields, choices, buttons.
bool isLeaf(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
}

// True when `edit` shows all of `text` without scrolling it: the cursor travels the text's
// whole width from its first to its last character.
bool showsWhole(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
    edit->repaint();  // the field scrolls its text as it paints
    const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    edit->setCursorPosition(static_cast<int>(text.size()));
    edit->repaint();
    const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    return end - start == edit->fontMetrics().horizontalAdvance(text) && end < edit->width();
}

// The longest text a field shows whole: as many "W" as a short field takes (calls, paths,
// names), digits in longer fields up to the widest shown, and the longest item of a choice.
void checkRoomForContent(QWidget* w, const QString& name) {
    if (auto* edit = qobject_cast<LimitedLineEdit*>(w)) {
        const int n = edit->maximumTyped();
        const QString longest = n <= 7 ? QString(n, u'W') : QString(std::min(n, 40), u'0');
        const QString was = edit->text();
        EXPECT_TRUE(showsWhole(edit, longest))
            << name.toStdString() << " " << longest.toStdString();
        edit->setText(was);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
        }
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect text = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, combo);
        EXPECT_GE(text.width(), widest) << name.toStdString();
    } else if (auto* message = qobject_cast<MessageEdit*>(w)) {
        // A full message of ordinary beacon text is in view whole, first line included.
        const QString sample = QStringLiteral(
            "!<statlat>/<statlong>>Veltromark U=<volt>V, "
            "T=<temp>C. Club station, QRV 145.500 MHz, info@");
        const QString was = message->toPlainText();
        message->setPlainText(sample.left(message->maximumTyped()));
        EXPECT_EQ(message->verticalScrollBar()->maximum(), 0) << name.toStdString();
        message->setPlainText(was);
    }
}

// Everything on the page now shown lies inside the window's page area, overlaps nothing
// else, and has room for its text.
void checkShownPage(QWidget& window, QWidget& pageArea, const QString& where) {
    const QRect area(pageArea.mapTo(&window, QPoint()), pageArea.size());
    std::vector<std::pair<QWidget*, QRect>> shown;
    for (QWidget* w : pageArea.findChildren<QWidget*>()) {
        if (!w->isVisible() || !isLeaf(w) || qobject_cast<QLineEdit*>(w->parentWidget()) ||
            qobject_cast<QComboBox*>(w->parentWidget())) {
            continue;
        }
        if (qobject_cast<QAbstractButton*>(w) && qobject_cast<QTabWidget*>(w->parentWidget())) {
            continue;
        }
        const QRect r(w->mapTo(&window, QPoint()), w->size());
        const QString name = where + " / " + w->objectName() + " " +
                             (qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : "");
        EXPECT_TRUE(area.contains(r)) << name.toStdString();
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap()) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << name.toStdString();
            EXPECT_GE(label->height(), label->sizeHint().height()) << name.toStdString();
        } else if (label) {
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << name.toStdString();
        }
        checkRoomForContent(w, name);
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()))
                << name.toStdString();
        }
        if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
            EXPECT_GE(text->viewport()->height(), 2 * text->fontMetrics().lineSpacing())
                << name.toStdString();
        } else {
            EXPECT_GE(w->height(), w->minimumSizeHint().height()) << name.toStdString();
        }
        for (const auto& [other, otherRect] : shown) {
            EXPECT_FALSE(r.intersects(otherRect))
                << name.toStdString() << " overlaps " << other->objectName().toStdString();
        }
        shown.emplace_back(w, r);
    }
    EXPECT_FALSE(shown.empty()) << where.toStdString();
}

// True when `widget`, as `shot` (the window grabbed at its scale) shows it, has its border on
// each of its four sides: along each edge, on nearly every scan line, one of the two outermost
// screen pixels inside the widget is darker than the widget's background.
QString lostBorders(const QImage& shot, const QWidget& window, const QWidget& widget) {
    const qreal scale = shot.devicePixelRatio();
    const QRectF logical(widget.mapTo(&window, QPointF()), widget.size());
    // The screen pixels the widget touches.
    const QRect pixels = QRectF(logical.topLeft() * scale, logical.size() * scale).toAlignedRect();
    const int left = pixels.left();
    const int top = pixels.top();
    const int right = pixels.right();
    const int bottom = pixels.bottom();
    const int background = widget.palette().color(widget.backgroundRole()).lightness();
    const auto dark = [&](int x, int y) {
        return QColor(shot.pixel(x, y)).lightness() < background - 24;
    };
    QString lost;
    const struct {
        const char* side;
        bool vertical;
        int at;
        int inward;
    } sides[] = {{"left", true, left, 1},
                 {"right", true, right, -1},
                 {"top", false, top, 1},
                 {"bottom", false, bottom, -1}};
    for (const auto& side : sides) {
        const int from = (side.vertical ? top : left) + 4;  // past rounded corners
        const int to = (side.vertical ? bottom : right) - 4;
        int missing = 0;
        for (int i = from; i <= to; ++i) {
            const int x = side.vertical ? side.at : i;
            const int y = side.vertical ? i : side.at;
            const int dx = side.vertical ? side.inward : 0;
            const int dy = side.vertical ? 0 : side.inward;
            missing += !dark(x, y) && !dark(x + dx, y + dy);
        }
        if (to > from && missing * 10 > to - from + 1) {
            lost += QString(side.side) + " ";
        }
    }
    return lost;
}

// The pages at the window's present size: every page and sub-page fits without overlap, and
// every box with a frame (text fields, choices, buttons, text areas, the log) shows its whole
// border.
void checkEveryPage(MainWindow& w, const QString& size) {
    QTabWidget* tabs = w.pageControl();
    for (int p = 0; p < tabs->count(); ++p) {
        tabs->setCurrentIndex(p);
        auto* sub = tabs->widget(p)->findChild<SubPageControl*>();
        for (int s = 0; s < (sub ? sub->count() : 1); ++s) {
            if (sub) {
                sub->button(s)->click();
            }
            QApplication::processEvents();
            const QString where =
                size + " / " + tabs->tabText(p) + (sub ? " / " + sub->captions()[s] : QString());
            checkShownPage(w, *tabs->currentWidget(), where);
            const QImage shot = w.grab().toImage();
            for (QWidget* framed : w.findChildren<QWidget*>()) {
                const bool boxed =
                    qobject_cast<QLineEdit*>(framed) || qobject_cast<QComboBox*>(framed) ||
                    qobject_cast<QPushButton*>(framed) || qobject_cast<QPlainTextEdit*>(framed);
                if (boxed && framed->isVisible() && !qobject_cast<QComboBox*>(framed->parent())) {
                    EXPECT_EQ(lostBorders(shot, w, *framed).toStdString(), "")
                        << where.toStdString() << " / " << framed->objectName().toStdString();
                }
            }
        }
    }
}

// At the least size and maximized on a full-HD screen, at the scale the test runs at
// (QT_SCALE_FACTOR: 1, 1.25 and 1.5, see CMakeLists.txt), in the font the tests carry.
TEST(Layout, EveryPageFitsWithoutOverlap) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    w.resize(w.minimumSize());
    QApplication::processEvents();
    checkEveryPage(w, "least");
    QTabWidget* tabs = w.pageControl();
    // The tabs fit in one row.
    EXPECT_LE(tabs->tabBar()->sizeHint().width(), tabs->width());

    // A marked field's warning icon leaves the sub-page buttons as high as they were.
    auto* aliases = tabs->widget(2)->findChild<SubPageControl*>();
    const int high = aliases->button(1)->height();
    w.form().setText("Alias1_ssid", "16");
    QApplication::processEvents();
    EXPECT_FALSE(aliases->button(1)->icon().isNull());
    EXPECT_GE(high, aliases->button(1)->minimumSizeHint().height());
    w.form().setText("Alias1_ssid", "0");

    // The activity log shows whole lines: its text area is a whole number of lines high, at
    // the least size and at any other.
    QPlainTextEdit* log = w.activityLog();
    log->appendPlainText("Page read: 1/256");
    const auto checkWholeLines = [log](double least) {
        const qreal line = log->document()->firstBlock().layout()->lineAt(0).height();
        const int margins = 2 * static_cast<int>(std::ceil(log->document()->documentMargin()));
        const qreal lines = (log->viewport()->height() - margins) / line;
        EXPECT_GE(lines, least) << "line " << line << ", log " << log->height() << ", viewport "
                                << log->viewport()->height();
        EXPECT_LT(lines - std::floor(lines), 1.0 / line);  // what is left is under one pixel
    };
    checkWholeLines(4.0);

    // Maximized on a 1920 x 1080 screen with a task bar: the log and the message fields take
    // the room, the pages keep their layout.
    const QWidget* message = w.findChild<QWidget*>("Beacon1_message");
    const QSize least = w.size();
    const int messageWidth = message->width();
    const int logHeight = log->height();
    w.resize(QSize(1920, 1080 - 48) / w.devicePixelRatioF());
    QApplication::processEvents();
    checkEveryPage(w, "maximized");
    const QSize more = w.size() - least;
    EXPECT_GT(more.width(), 300);
    EXPECT_GT(more.height(), 100);
    EXPECT_GE(message->width(), messageWidth + more.width() * 9 / 10);
    EXPECT_EQ(log->height(), logHeight + more.height());
    checkWholeLines(4.0 + more.height() / log->fontMetrics().lineSpacing() - 1);
}

// The least size fits a 1,024 x 768 screen with its task bar and the window's title bar.
TEST(Layout, LeastSizeFitsA1024By768Screen) {
    TestWindow t;
    const QSize least = t.window->minimumSize() * t.window->devicePixelRatioF();
    if (t.window->devicePixelRatioF() == 1.0) {
        EXPECT_LE(least.width(), 1024);
        EXPECT_LE(least.height(), 768 - 48 - 32);
    }
    EXPECT_EQ(t.window->size(), t.window->minimumSize().expandedTo(QSize(734, 416)));
}

}  // namespace
