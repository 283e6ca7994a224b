#include "app/limited_edits.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QValidator>
#include <algorithm>

#include "app/whole_frame.h"

// Sees every change before QLineEdit takes it, the user's and the program's alike, and cuts
// only the user's insertions. The two are told apart by the undo history: setText clears it,
// and every edit of the user's is recorded in it before the field asks the validator. A text
// that arrives with an empty history is therefore the program's (or an undo back to it), and
// stays whole.
class LimitedLineEdit::Limiter : public QValidator {
  public:
    explicit Limiter(LimitedLineEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int& pos) const override {
        if (edit_->isUndoAvailable()) {
            input = limitInsertion(edit_->before_, input, pos, edit_->maximumTyped_);
        }
        return Acceptable;
    }

  private:
    LimitedLineEdit* edit_;
};

LimitedLineEdit::LimitedLineEdit(int maximumTyped, QWidget* parent)
    : QLineEdit(parent), maximumTyped_(maximumTyped) {
    setValidator(new Limiter(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
}

QString LimitedLineEdit::limitInsertion(const QString& before, const QString& now, int& cursor,
                                        int maximum) {
    if (now.size() <= maximum || now.size() <= before.size()) {
        return now;
    }
    // The edit replaced before[head, before.size() - tail) by now[head, now.size() - tail).
    // The insertion ends at the cursor when the text after the cursor is unchanged.
    qsizetype tail = now.size() - std::clamp<qsizetype>(cursor, 0, now.size());
    if (tail > before.size() || !before.endsWith(QStringView(now).right(tail))) {
        tail = 0;
        while (tail < before.size() && tail < now.size() &&
               before[before.size() - 1 - tail] == now[now.size() - 1 - tail]) {
            ++tail;
        }
    }
    qsizetype head = 0;
    while (head < before.size() - tail && head < now.size() - tail && before[head] == now[head]) {
        ++head;
    }
    const qsizetype inserted = now.size() - tail - head;
    const qsizetype kept = now.size() - inserted;
    const qsizetype fits = std::clamp<qsizetype>(maximum - kept, 0, inserted);
    cursor = static_cast<int>(head + fits);
    return now.left(head) + now.mid(head, fits) + now.right(tail);
}

MessageEdit::MessageEdit(int maximumTyped, QWidget* parent)
    : QPlainTextEdit(parent), maximumTyped_(maximumTyped) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(2);
    // Three text lines high: a message of the full 98 characters wraps onto three lines at
    // the field's width, and all of it stays in view.
    const int frame = 2 * frameWidth();
    setFixedHeight(3 * fontMetrics().lineSpacing() + 2 * 2 + frame + 2);
    keepFrameWhole(this);
}

int MessageEdit::room() const {
    const int length = static_cast<int>(toPlainText().size());
    const QTextCursor cursor = textCursor();
    const int selected = cursor.selectionEnd() - cursor.selectionStart();
    return std::max(0, maximumTyped_ - (length - selected));
}

void MessageEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();  // one line: Enter goes to the window, not into the text
        return;
    }
    const QString text = event->text();
    const bool typing = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.isPrint();
    }) && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (typing && text.size() > room()) {
        const int fits = room();
        if (fits > 0) {
            insertPlainText(text.left(fits));
        }
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MessageEdit::inputMethodEvent(QInputMethodEvent* event) {
    const int fits = room();
    if (event->commitString().size() <= fits) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(event->commitString().left(fits), event->replacementStart(),
                        event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&cut);
}

void MessageEdit::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) {
        return;
    }
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar& c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t')) {
            c = QLatin1Char(' ');
        }
    }
    insertPlainText(text.left(room()));
}
