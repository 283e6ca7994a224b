#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <memory>

#include "app/limited_edits.h"
#include "app_test_support.h"

namespace {

struct InsertionCase {
    const char* what;
    const char* before;
    const char* now;
    int cursor;
    int maximum;
    const char* want;
    int wantCursor;
};

void PrintTo(const InsertionCase& c, std::ostream* os) {
    *os << c.what;
}

class LimitInsertion : public ::testing::TestWithParam<InsertionCase> {};

TEST_P(LimitInsertion, KeepsWhatFits) {
    const InsertionCase& c = GetParam();
    int cursor = c.cursor;
    EXPECT_EQ(LimitedLineEdit::limitInsertion(c.before, c.now, cursor, c.maximum), c.want);
    EXPECT_EQ(cursor, c.wantCursor);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LimitInsertion,
    ::testing::Values(
        InsertionCase{"within the limit", "ABC", "ABCD", 4, 6, "ABCD", 4},
        InsertionCase{"typing at the end past the limit", "NOCALL", "NOCALLX", 7, 6, "NOCALL", 6},
        InsertionCase{"typing in the middle past the limit", "NOCALL", "NOXCALL", 3, 6, "NOCALL",
                      2},
        InsertionCase{"paste cut to the room left", "AB", "AB12345", 7, 4, "AB12", 4},
        InsertionCase{"paste in the middle", "AB", "A12345B", 6, 4, "A12B", 3},
        InsertionCase{"paste replacing a selection", "ABCDEF", "A123456F", 7, 6, "A1234F", 5},
        InsertionCase{"repeated letters", "AAAAAA", "AAAAAAA", 3, 6, "AAAAAA", 2},
        InsertionCase{"over-long text takes no more", "ABCDEFGH", "ABCDEFGHI", 9, 6, "ABCDEFGH", 8},
        InsertionCase{"over-long text may shrink", "ABCDEFGH", "ABCDEFG", 7, 6, "ABCDEFG", 7},
        InsertionCase{"over-long text: replace keeps length", "ABCDEFGH", "ABxDEFGH", 3, 6,
                      "ABxDEFGH", 3}),
    [](const ::testing::TestParamInfo<InsertionCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) {
                ch = '_';
            }
        }
        return name;
    });

class LimitedEditsTest : public ::testing::Test {
  protected:
    void SetUp() override { testApplication(); }
};

TEST_F(LimitedEditsTest, ProgramTextStaysWholeTypingStopsAtTheLimit) {
    LimitedLineEdit edit(6);
    edit.setText("TOOLONGCALL");
    EXPECT_EQ(edit.text(), "TOOLONGCALL");

    edit.clear();
    QTest::keyClicks(&edit, "SP5ABCDEF");
    EXPECT_EQ(edit.text(), "SP5ABC");

    // An over-long text from the program takes no more typing but may be shortened.
    edit.setText("TOOLONGCALL");
    edit.end(false);
    QTest::keyClicks(&edit, "X");
    EXPECT_EQ(edit.text(), "TOOLONGCALL");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), "TOOLONGCAL");
}

TEST_F(LimitedEditsTest, PasteIsCutToTheRoomLeft) {
    LimitedLineEdit edit(8);
    edit.setText("0.0");
    edit.end(false);
    QApplication::clipboard()->setText("7512345678");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "0.075123");
}

// Every way a user has of putting text into a field, against the callsign field (6) and the
// beacon message field (96): into an empty field a text of exactly the limit goes in whole and
// a longer one is cut to it; a longer text the program set takes nothing more.
enum class Way { CtrlV, ContextMenu, MiddleClick, Drop };
enum class Start { EmptyExact, EmptyLong, ProgramOverLong };

struct PasteCase {
    Way way;
    int limit;  // 6: LimitedLineEdit, 96: MessageEdit
    Start start;
};

void PrintTo(const PasteCase& c, std::ostream* os) {
    *os << static_cast<int>(c.way) << '/' << c.limit << '/' << static_cast<int>(c.start);
}

class EveryPaste : public ::testing::TestWithParam<PasteCase> {
  protected:
    void SetUp() override { testApplication(); }
};

// Where a mouse event goes: a scroll area's text lives in its viewport.
QWidget* mouseTarget(QWidget* edit) {
    auto* area = qobject_cast<QAbstractScrollArea*>(edit);
    return area != nullptr ? area->viewport() : edit;
}

void pasteFromContextMenu(QWidget* edit) {
    QWidget* target = mouseTarget(edit);
    const QPoint at(target->width() - 2, target->height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QMenu* menu = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* m = qobject_cast<QMenu*>(top); m != nullptr && m->isVisible()) {
            menu = m;
        }
    }
    ASSERT_NE(menu, nullptr);
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith("&Paste")) {
            paste = action;
        }
    }
    ASSERT_NE(paste, nullptr);
    ASSERT_TRUE(paste->isEnabled());
    paste->trigger();  // as the menu does, after the field's own event handling has ended
    menu->close();
}

void drop(QWidget* edit, const QString& text) {
    QWidget* target = mouseTarget(edit);
    QMimeData data;
    data.setText(text);
    const QPointF at(target->width() - 2, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    ASSERT_TRUE(dropped.isAccepted());
}

TEST_P(EveryPaste, StopsAtTheLimit) {
    const PasteCase& c = GetParam();
    if (c.way == Way::MiddleClick && !QApplication::clipboard()->supportsSelection()) {
        GTEST_SKIP() << "the platform has no selection clipboard";
    }
    std::unique_ptr<QWidget> widget;
    std::function<QString()> text;
    std::function<void(const QString&)> setText;
    if (c.limit == 6) {
        auto* edit = new LimitedLineEdit(c.limit);
        widget.reset(edit);
        text = [edit] { return edit->text(); };
        setText = [edit](const QString& t) { edit->setText(t); };
    } else {
        auto* edit = new MessageEdit(c.limit);
        widget.reset(edit);
        text = [edit] { return edit->toPlainText(); };
        setText = [edit](const QString& t) { edit->setPlainText(t); };
    }
    widget->resize(400, 60);
    widget->show();
    widget->activateWindow();
    widget->setFocus();

    const QString beacon = "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V.";
    // 51 characters against 6 (the beacon message into the callsign), 141 against 96.
    const QString pasted =
        beacon.repeated(3).left(c.start == Start::EmptyExact ? c.limit : c.limit + 45);
    QString want = pasted.left(c.limit);
    if (c.start == Start::ProgramOverLong) {
        want = QString(c.limit + 5, QChar('p'));
        setText(want);
    }

    QClipboard* clipboard = QApplication::clipboard();
    switch (c.way) {
        case Way::CtrlV:
            clipboard->setText(pasted);
            QTest::keyClick(widget.get(), Qt::Key_V, Qt::ControlModifier);
            break;
        case Way::ContextMenu:
            clipboard->setText(pasted);
            pasteFromContextMenu(widget.get());
            break;
        case Way::MiddleClick:
            clipboard->setText(pasted, QClipboard::Selection);
            QTest::mouseClick(mouseTarget(widget.get()), Qt::MiddleButton);
            break;
        case Way::Drop:
            drop(widget.get(), pasted);
            break;
    }
    EXPECT_EQ(text(), want);
}

std::vector<PasteCase> everyPaste() {
    std::vector<PasteCase> cases;
    for (Way way : {Way::CtrlV, Way::ContextMenu, Way::MiddleClick, Way::Drop}) {
        for (int limit : {6, 96}) {
            for (Start start : {Start::EmptyExact, Start::EmptyLong, Start::ProgramOverLong}) {
                cases.push_back({way, limit, start});
            }
        }
    }
    return cases;
}

std::string pasteCaseName(const ::testing::TestParamInfo<PasteCase>& info) {
    static const char* const ways[] = {"CtrlV", "ContextMenu", "MiddleClick", "Drop"};
    static const char* const starts[] = {"EmptyExact", "EmptyLong", "ProgramOverLong"};
    return std::string(ways[static_cast<int>(info.param.way)]) + "_" +
           std::to_string(info.param.limit) + "_" + starts[static_cast<int>(info.param.start)];
}

INSTANTIATE_TEST_SUITE_P(Ways, EveryPaste, ::testing::ValuesIn(everyPaste()), pasteCaseName);

TEST_F(LimitedEditsTest, MessageFieldIsOneLineOf96Typed) {
    MessageEdit edit(96);
    const QString program(150, QChar('p'));
    edit.setPlainText(program);
    EXPECT_EQ(edit.toPlainText(), program);

    edit.clear();
    QTest::keyClicks(&edit, QString(100, QChar('m')));
    EXPECT_EQ(edit.toPlainText(), QString(96, QChar('m')));

    edit.clear();
    QTest::keyClicks(&edit, "U=");
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClicks(&edit, "<volt>");
    EXPECT_EQ(edit.toPlainText(), "U=<volt>");

    edit.clear();
    QApplication::clipboard()->setText("line one\nline two\r\n" + QString(100, QChar('x')));
    edit.paste();
    EXPECT_EQ(edit.toPlainText(), "line one line two " + QString(78, QChar('x')));
}

}  // namespace
