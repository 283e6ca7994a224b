#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

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
