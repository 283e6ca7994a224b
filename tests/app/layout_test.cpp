#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/sub_page_control.h"
#include "app_test_support.h"

namespace {

// The widgets a user reads or works: labels, fields, choices, buttons.
bool isLeaf(const QWidget* w) {
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractButton*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w);
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

TEST(Layout, EveryPageFitsWithoutOverlap) {
    TestWindow t;
    MainWindow& w = *t.window;
    w.show();
    QTabWidget* tabs = w.pageControl();
    for (int p = 0; p < tabs->count(); ++p) {
        tabs->setCurrentIndex(p);
        auto* sub = tabs->widget(p)->findChild<SubPageControl*>();
        for (int s = 0; s < (sub ? sub->count() : 1); ++s) {
            if (sub) {
                sub->button(s)->click();
            }
            QApplication::processEvents();
            checkShownPage(w, *tabs->currentWidget(),
                           tabs->tabText(p) + (sub ? " / " + sub->captions()[s] : ""));
        }
    }
    // The tabs fit in one row.
    EXPECT_LE(tabs->tabBar()->sizeHint().width(), tabs->width());
}

TEST(Layout, WindowStaysCloseToTheReferenceSize) {
    TestWindow t;
    // A wider default font may need more room than the 734 x 416 reference, but not much.
    EXPECT_LE(t.window->width(), 734 * 5 / 4);
    EXPECT_LE(t.window->height(), 416 * 5 / 4);
}

}  // namespace
