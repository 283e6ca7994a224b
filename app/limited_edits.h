#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QString>

// A one-line text field whose typing stops at a maximum length. Only what the user does is
// limited: text the program sets with setText stays whole, however long. (QLineEdit's own
// maxLength would cut such text.) A user's insertion that would pass the limit keeps as many
// of its characters as fit; a field already longer than the limit accepts no growth, only
// edits that keep or shorten its length.
//
// The limit is a validator, which the field consults on every change of its text, whatever
// made it: typing, Ctrl+V, the context menu, a middle click, a drop, an input method, undo.
class LimitedLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    LimitedLineEdit(int maximumTyped, QWidget* parent = nullptr);

    int maximumTyped() const { return maximumTyped_; }

    // What is left of `now` after the user's edit of `before`, the cursor of the edit at
    // `cursor`, once the insertion is cut to fit `maximum` characters. The cursor moves with
    // the cut. Public for the tests.
    static QString limitInsertion(const QString& before, const QString& now, int& cursor,
                                  int maximum);

  private:
    class Limiter;
    friend class Limiter;

    int maximumTyped_;
    QString before_;  // the text before the change being validated
};

// The beacon message field: plain text on one logical line, wrapped over three visible lines,
// at most `maximumTyped` characters typed (text set with setPlainText stays whole). Enter
// inserts nothing, and pasted or dropped line breaks become blanks.
class MessageEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    MessageEdit(int maximumTyped, QWidget* parent = nullptr);

    int maximumTyped() const { return maximumTyped_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    // Characters the user may still add, the selection being replaced counted as free.
    int room() const;

    int maximumTyped_;
};
