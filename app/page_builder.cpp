#include "app/page_builder.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <stdexcept>

#include "app/limited_edits.h"
#include "app/widget_form.h"

namespace {

// A choice that takes the mouse wheel only when it has the focus, as settings windows do: a
// wheel turned to scroll past an unfocused choice must not change the setting (and run its
// handler). The wheel does not give the focus either; a click or Tab does.
class ChoiceBox : public QComboBox {
  public:
    explicit ChoiceBox(QWidget* parent) : QComboBox(parent) { setFocusPolicy(Qt::StrongFocus); }

  protected:
    void wheelEvent(QWheelEvent* event) override {
        if (!hasFocus()) {
            event->ignore();  // on to the parent
            return;
        }
        QComboBox::wheelEvent(event);
    }
};

using layout::Field;
using layout::Node;

constexpr int kLongestField = 40;  // no text field is shown wider than this many characters
constexpr int kGrowingField = 20;  // text fields this long or longer grow with the window

bool isSeparator(std::string_view part) {
    return part == layout::kDash || part == layout::kComma;
}

// Width of a text field that shows `characters` characters whole: capitals as wide as "W"
// for the short call, path and name fields, digits and lower case for the longer fields.
// Frame and inner margins come from the style, as QLineEdit draws them.
int textFieldWidth(const QWidget* field, int characters) {
    const QFontMetrics fm = field->fontMetrics();
    const int n = std::max(characters, 2);
    const int text =
        n <= 7 ? fm.horizontalAdvance(QString(n, u'W')) : fm.horizontalAdvance(QString(n, u'0'));
    const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    // QLineEdit keeps 2 pixels free inside its contents on each side, and the text cursor
    // takes one more.
    return text + 2 * frame + 2 * 2 + 1 + 2;
}

// Gives the free width of a grid to an empty last column, so the columns keep to the left.
void addFreeColumn(QGridLayout* grid, int column) {
    grid->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, column);
    grid->setColumnStretch(column, 1);
}

// `text` over two lines, broken at the blank nearest its middle (unchanged without one).
QString breakInTwo(QString text) {
    qsizetype best = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char(' ') &&
            (best < 0 || std::abs(i - text.size() / 2) < std::abs(best - text.size() / 2))) {
            best = i;
        }
    }
    if (best >= 0) {
        text[best] = QLatin1Char('\n');
    }
    return text;
}

// True when `node` holds a field that grows with the window: a beacon message or a long text.
bool grows(const Node& node) {
    const auto growing = [](std::string_view name) {
        const SettingDef* s = findSetting(name);
        return s != nullptr && (s->kind == Kind::Message ||
                                (s->kind == Kind::Text && s->maxLength >= kGrowingField));
    };
    for (const auto& row : node.fieldRows) {
        for (const Field& field : row) {
            if (std::any_of(field.parts.begin(), field.parts.end(), growing)) {
                return true;
            }
        }
    }
    for (const auto& row : node.tableRows) {
        if (std::any_of(row.begin(), row.end(), growing)) {
            return true;
        }
    }
    return std::any_of(node.children.begin(), node.children.end(), grows);
}

}  // namespace

void allowNarrowing(QPushButton* button) {
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 14);
}

namespace {

QLabel* plainLabel(const QString& text, QWidget* owner) {
    auto* label = new QLabel(text, owner);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

void PageBuilder::build(QWidget* page, const Node& content) {
    auto* root = new QVBoxLayout(page);
    root->setContentsMargins(6, 6, 6, 4);
    root->setSpacing(4);
    add(root, content, page);
    const bool hasStretch =
        content.type == Node::Type::Column &&
        std::any_of(content.children.begin(), content.children.end(),
                    [](const Node& n) { return n.type == Node::Type::Stretch; });
    if (!hasStretch) {
        root->addStretch(1);
    }
}

void PageBuilder::add(QBoxLayout* parent, const Node& node, QWidget* owner) {
    switch (node.type) {
        case Node::Type::Column:
        case Node::Type::Row: {
            auto* box = node.type == Node::Type::Column ? static_cast<QBoxLayout*>(new QVBoxLayout)
                                                        : static_cast<QBoxLayout*>(new QHBoxLayout);
            box->setSpacing(node.type == Node::Type::Column ? 4 : 10);
            parent->addLayout(box);
            bool anyGrows = false;
            for (const Node& child : node.children) {
                add(box, child, owner);
                // In a row, the extra width of a larger window goes to what has a field that
                // grows; a row without one keeps its parts together at the left.
                if (node.type == Node::Type::Row && grows(child)) {
                    box->setStretch(box->count() - 1, 1);
                    anyGrows = true;
                }
            }
            if (node.type == Node::Type::Row && !anyGrows) {
                box->addStretch(1);
            }
            break;
        }
        case Node::Type::Group: {
            auto* box = new QGroupBox(node.text, owner);
            auto* inner = new QVBoxLayout(box);
            inner->setContentsMargins(6, 4, 6, 4);
            inner->setSpacing(3);
            for (const Node& child : node.children) {
                add(inner, child, box);
            }
            parent->addWidget(box);
            break;
        }
        case Node::Type::Fields:
            addFields(parent, node, owner);
            break;
        case Node::Type::Table:
            addTable(parent, node, owner);
            break;
        case Node::Type::Note: {
            QLabel* label = plainLabel(node.text, owner);
            label->setWordWrap(true);
            parent->addWidget(label);
            break;
        }
        case Node::Type::Stretch:
            parent->addStretch(1);
            break;
    }
}

QWidget* PageBuilder::control(std::string_view name, QWidget* owner) {
    QWidget* widget = nullptr;
    if (const SettingDef* s = findSetting(name)) {
        if (s->kind == Kind::Message) {
            widget = new MessageEdit(s->maxLength, owner);
            widget->setMinimumWidth(textFieldWidth(widget, 24));
            widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        } else if (s->kind == Kind::Text) {
            auto* edit = new LimitedLineEdit(s->maxLength, owner);
            edit->setFixedWidth(textFieldWidth(edit, std::min(s->maxLength, kLongestField)));
            edit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            if (s->maxLength >= kGrowingField) {
                // A long text takes the room a larger window has, up to what shows it whole
                // in capitals.
                const QFontMetrics fm = edit->fontMetrics();
                edit->setMaximumWidth(edit->minimumWidth() +
                                      fm.horizontalAdvance(QString(s->maxLength, u'W')) -
                                      fm.horizontalAdvance(QString(s->maxLength, u'0')));
                edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            }
            widget = edit;
        } else {
            auto* combo = new ChoiceBox(owner);
            combo->addItems(QStringList(s->items->items.begin(), s->items->items.end()));
            combo->setMaxVisibleItems(static_cast<int>(s->items->items.size()));
            if (s->kind == Kind::EditableChoice) {
                combo->setEditable(true);
                combo->setInsertPolicy(QComboBox::NoInsert);
                // Matches are offered in a list to pick from (a pick is `activated`) rather
                // than written into the text, which would change the station unseen.
                combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
            }
            // Wide enough for the longest item, so that every pick reads whole.
            combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            combo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            // No item is chosen until the start-up defaults are applied.
            combo->setCurrentIndex(-1);
            widget = combo;
        }
        if (!s->hint.isEmpty()) {
            widget->setToolTip(s->hint);
        }
    } else if (const ControlDef* c = findControl(name); c && c->kind == ControlKind::Button) {
        auto* button = new QPushButton(c->caption, owner);
        button->setAutoDefault(false);
        allowNarrowing(button);
        if (!c->hint.isEmpty()) {
            button->setToolTip(c->hint);
        }
        widget = button;
    } else {
        throw std::out_of_range("no setting or button named " + std::string(name));
    }
    widget->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    form_.add(std::string(name), widget);
    return widget;
}

QWidget* PageBuilder::part(std::string_view name, QWidget* owner) {
    if (isSeparator(name)) {
        QLabel* label = plainLabel(QString::fromLatin1(name.data(), 1), owner);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    return control(name, owner);
}

QLabel* PageBuilder::fieldLabel(const Field& field, QWidget* buddy, QWidget* owner) {
    QLabel* shown = nullptr;
    if (field.labelControls.empty()) {
        const QString& text = setting(field.parts.front()).label;
        if (!text.isEmpty()) {
            shown = plainLabel(text, owner);
        }
    } else {
        // Stacked label controls ("Mic-E" above "message:"); the last one names the field.
        for (std::string_view name : field.labelControls) {
            shown = plainLabel(findControl(name)->caption, owner);
            shown->setObjectName(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
            form_.add(std::string(name), shown);
        }
    }
    if (shown != nullptr) {
        shown->setBuddy(buddy);
        labels_.emplace(std::string(field.parts.front()), shown);
    }
    return shown;
}

void PageBuilder::addFields(QBoxLayout* parent, const Node& node, QWidget* owner) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    int widestRow = 0;
    for (int r = 0; r < static_cast<int>(node.fieldRows.size()); ++r) {
        const auto& fieldRow = node.fieldRows[static_cast<size_t>(r)];
        QHBoxLayout* flow = nullptr;
        if (!node.aligned) {
            flow = new QHBoxLayout;
            flow->setSpacing(4);
            grid->addLayout(flow, r, 0);
        }
        bool wide = false;
        for (int f = 0; f < static_cast<int>(fieldRow.size()); ++f) {
            const Field& field = fieldRow[static_cast<size_t>(f)];
            auto* value = new QHBoxLayout;
            value->setSpacing(2);
            QWidget* first = nullptr;
            for (std::string_view p : field.parts) {
                QWidget* w = part(p, owner);
                first = first ? first : w;
                value->addWidget(w);
                wide = wide || w->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding;
            }
            // Stacked labels sit in a column of their own.
            QWidget* labelWidget = nullptr;
            QVBoxLayout* stacked = nullptr;
            if (field.labelControls.size() > 1) {
                stacked = new QVBoxLayout;
                stacked->setSpacing(0);
                fieldLabel(field, first, owner);
                for (std::string_view name : field.labelControls) {
                    QWidget* l = form_.widget(name);
                    static_cast<QLabel*>(l)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    stacked->addWidget(l);
                }
            } else {
                labelWidget = fieldLabel(field, first, owner);
                if (labelWidget != nullptr) {
                    static_cast<QLabel*>(labelWidget)
                        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                }
            }
            if (flow != nullptr) {
                if (f > 0) {
                    flow->addSpacing(10);
                }
                if (stacked) {
                    flow->addLayout(stacked);
                } else if (labelWidget) {
                    flow->addWidget(labelWidget);
                }
                flow->addLayout(value, wide ? 1 : 0);
            } else {
                if (stacked) {
                    grid->addLayout(stacked, r, 2 * f);
                } else if (labelWidget) {
                    grid->addWidget(labelWidget, r, 2 * f);
                }
                if (wide) {
                    grid->addLayout(value, r, 2 * f + 1);
                    grid->setColumnStretch(2 * f + 1, 1);
                } else {
                    grid->addLayout(value, r, 2 * f + 1, Qt::AlignLeft);
                    value->addStretch(1);
                }
            }
        }
        if (flow != nullptr) {
            flow->addStretch(1);  // a growing field that reached its width leaves the rest
        }
        widestRow = std::max(widestRow, static_cast<int>(fieldRow.size()));
    }
    if (node.aligned) {
        addFreeColumn(grid, 2 * widestRow);
    }
    grid->setRowStretch(static_cast<int>(node.fieldRows.size()), 1);  // rows stay at the top
    parent->addLayout(grid);
}

void PageBuilder::addTable(QBoxLayout* parent, const Node& node, QWidget* owner) {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);
    const int offset = node.rowLabels.empty() ? 0 : 1;
    const auto& firstRow = node.tableRows.front();
    const int columns = static_cast<int>(firstRow.size());

    // A button above the last column's heading, at the right.
    int headingRow = 0;
    if (!node.cornerButton.empty()) {
        grid->addWidget(control(node.cornerButton, owner), 0, columns - 1 + offset,
                        Qt::AlignRight | Qt::AlignBottom);
        headingRow = 1;
    }
    const int firstDataRow = headingRow + 1;

    // Column headings: the labels of the first row's settings.
    std::vector<QLabel*> headings(static_cast<size_t>(columns), nullptr);
    for (int c = 0; c < columns; ++c) {
        const std::string_view name = firstRow[static_cast<size_t>(c)];
        const SettingDef* s = findSetting(name);
        if (s == nullptr || s->label.isEmpty()) {
            continue;
        }
        QLabel* heading = plainLabel(s->label, owner);
        heading->setAccessibleName(s->label);
        headings[static_cast<size_t>(c)] = heading;
        grid->addWidget(heading, headingRow, c + offset, Qt::AlignLeft | Qt::AlignBottom);
    }

    bool wide = false;
    for (int r = 0; r < static_cast<int>(node.tableRows.size()); ++r) {
        const auto& cells = node.tableRows[static_cast<size_t>(r)];
        if (offset == 1) {
            QLabel* rowLabel = plainLabel(node.rowLabels[static_cast<size_t>(r)], owner);
            rowLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->addWidget(rowLabel, firstDataRow + r, 0);
        }
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            const std::string_view name = cells[static_cast<size_t>(c)];
            QWidget* w = part(name, owner);
            const bool expanding = w->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding;
            wide = wide || expanding;
            grid->addWidget(w, firstDataRow + r, c + offset,
                            expanding ? Qt::Alignment() : Qt::AlignLeft | Qt::AlignVCenter);
            if (QLabel* heading = headings[static_cast<size_t>(c)]; heading && findSetting(name)) {
                labels_.emplace(std::string(name), heading);
            }
        }
    }
    // A heading much wider than the controls below it takes two lines.
    for (int c = 0; c < columns; ++c) {
        QLabel* heading = headings[static_cast<size_t>(c)];
        if (heading == nullptr) {
            continue;
        }
        int widest = 0;
        bool expanding = false;
        for (const auto& cells : node.tableRows) {
            const QWidget* below = form_.widget(cells[static_cast<size_t>(c)]);
            widest = std::max(widest, below->sizeHint().width());
            expanding =
                expanding || below->sizePolicy().horizontalPolicy() == QSizePolicy::Expanding;
        }
        if (!expanding && heading->sizeHint().width() > widest + 20) {
            heading->setText(breakInTwo(heading->text()));
        }
    }

    // Text fields of one column share the width of the widest.
    for (int c = 0; c < columns; ++c) {
        int widest = 0;
        std::vector<QLineEdit*> column;
        for (const auto& cells : node.tableRows) {
            const std::string_view name = cells[static_cast<size_t>(c)];
            if (const SettingDef* s = findSetting(name); s && s->kind == Kind::Text) {
                auto* edit = static_cast<QLineEdit*>(form_.widget(name));
                widest = std::max(widest, edit->minimumWidth());
                column.push_back(edit);
            }
        }
        for (QLineEdit* edit : column) {
            edit->setFixedWidth(widest);
        }
    }
    if (wide) {
        grid->setColumnStretch(columns - 1 + offset, 1);
    } else {
        addFreeColumn(grid, columns + offset);
    }
    grid->setRowStretch(firstDataRow + static_cast<int>(node.tableRows.size()), 1);
    parent->addLayout(grid);
}
