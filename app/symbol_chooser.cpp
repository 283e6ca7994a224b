#include "app/symbol_chooser.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/dialog_provider.h"
#include "app/page_builder.h"
#include "app/widget_form.h"

namespace {

constexpr int kSymbolRole = Qt::UserRole;  // the two characters, table first

QString characters(AprsSymbol symbol) {
    return QString(QLatin1Char(symbol.table)) + QLatin1Char(symbol.code);
}

// One group of the list: its caption and the symbols of one table character.
QTreeWidgetItem* addGroup(QTreeWidget* list, const QString& caption, char table) {
    auto* group = new QTreeWidgetItem(list, {caption});
    group->setFlags(Qt::ItemIsEnabled);
    for (char code = '!'; code <= '~'; ++code) {
        const AprsSymbol symbol{table, code};
        const QString name = symbolName(symbol);
        if (name.isEmpty()) {
            continue;
        }
        auto* item = new QTreeWidgetItem(group, {name, characters(symbol)});
        item->setData(0, kSymbolRole, characters(symbol));
    }
    return group;
}

// The layouts from `layout` down to the one that holds `widget` itself; empty when none does.
std::vector<QLayout*> layoutsDownTo(QLayout* layout, QWidget* widget) {
    if (layout == nullptr) {
        return {};
    }
    if (layout->indexOf(widget) >= 0) {
        return {layout};
    }
    for (int i = 0; i < layout->count(); ++i) {
        std::vector<QLayout*> path = layoutsDownTo(layout->itemAt(i)->layout(), widget);
        if (!path.empty()) {
            path.insert(path.begin(), layout);
            return path;
        }
    }
    return {};
}

// Puts `line` under the grid row that holds `widget`, in the same cell.
bool addLineUnder(QWidget* widget, QLayout* line) {
    const std::vector<QLayout*> path = layoutsDownTo(widget->parentWidget()->layout(), widget);
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        auto* grid = qobject_cast<QGridLayout*>(path[i]);
        if (grid == nullptr) {
            continue;
        }
        QLayout* row = path[i + 1];
        int r = 0;
        int c = 0;
        int rows = 0;
        int columns = 0;
        grid->getItemPosition(grid->indexOf(row), &r, &c, &rows, &columns);
        grid->removeItem(row);
        auto* cell = new QVBoxLayout;
        cell->setSpacing(2);
        cell->addLayout(row);
        cell->addLayout(line);
        grid->addLayout(cell, r, c, rows, columns);
        return true;
    }
    return false;
}

AprsSymbol typedSymbol(const WidgetForm& form) {
    const QString table = form.text("Position_symbol_table");
    const QString code = form.text("Position_symbol_code");
    return {table.size() == 1 ? table[0].toLatin1() : '\0',
            code.size() == 1 ? code[0].toLatin1() : '\0'};
}

}  // namespace

SymbolChooser::SymbolChooser(AprsSymbol current, QWidget* parent)
    : QDialog(parent), search_(new QLineEdit(this)), list_(new QTreeWidget(this)) {
    setObjectName("SymbolChooser");
    setWindowTitle(QStringLiteral("Position symbol"));
    search_->setObjectName("SymbolSearch");
    search_->setPlaceholderText(QStringLiteral("Search by name or characters"));
    search_->setClearButtonEnabled(true);

    list_->setObjectName("SymbolList");
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("Symbol"), QStringLiteral("Table, code")});
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    list_->header()->setStretchLastSection(false);
    list_->setRootIsDecorated(true);
    list_->setUniformRowHeights(true);
    addGroup(list_, QStringLiteral("Primary table"), '/');
    addGroup(list_, QStringLiteral("Alternate table"), '\\');
    for (const char* overlays : {"0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"}) {
        for (const char* c = overlays; *c != '\0'; ++c) {
            addGroup(list_, QStringLiteral("Overlay %1").arg(QLatin1Char(*c)), *c);
        }
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(380, 460);

    connect(search_, &QLineEdit::textChanged, this, &SymbolChooser::filter);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        ok_->setEnabled(item != nullptr && item->data(0, kSymbolRole).isValid());
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &SymbolChooser::pick);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { pick(list_->currentItem()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const QString wanted = characters(current);
    for (int g = 0; g < list_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = list_->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            if (group->child(i)->data(0, kSymbolRole).toString() == wanted) {
                group->setExpanded(true);
                list_->setCurrentItem(group->child(i));
                list_->scrollToItem(group->child(i));
            }
        }
    }
    list_->topLevelItem(0)->setExpanded(true);
    search_->setFocus();
}

void SymbolChooser::filter(const QString& text) {
    const QString wanted = text.trimmed();
    for (int g = 0; g < list_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = list_->topLevelItem(g);
        bool any = false;
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* item = group->child(i);
            const bool match = wanted.isEmpty() ||
                               item->text(0).contains(wanted, Qt::CaseInsensitive) ||
                               item->text(1) == wanted;
            item->setHidden(!match);
            any = any || match;
        }
        group->setHidden(!any);
        // A search shows its finds; an empty one leaves the groups as the user had them.
        if (!wanted.isEmpty()) {
            group->setExpanded(any);
        }
    }
    // The first find is picked, so that Enter takes it, unless the one picked is still shown.
    QTreeWidgetItem* current = list_->currentItem();
    const bool stillShown = current != nullptr && current->parent() != nullptr &&
                            !current->isHidden() && !current->parent()->isHidden();
    if (!stillShown) {
        QTreeWidgetItemIterator first(
            list_, QTreeWidgetItemIterator::NotHidden | QTreeWidgetItemIterator::NoChildren);
        list_->setCurrentItem(*first);
        list_->scrollToTop();  // the group of the first find in view too
    } else {
        list_->scrollToItem(current);
    }
}

void SymbolChooser::pick(QTreeWidgetItem* item) {
    if (item == nullptr || !item->data(0, kSymbolRole).isValid()) {
        return;
    }
    const QString symbol = item->data(0, kSymbolRole).toString();
    chosen_ = AprsSymbol{symbol[0].toLatin1(), symbol[1].toLatin1()};
    accept();
}

void addSymbolChooser(WidgetForm& form, DialogProvider& dialogs) {
    auto* code = static_cast<QLineEdit*>(form.widget("Position_symbol_code"));
    QWidget* owner = code->parentWidget();
    auto* button = new QPushButton(QStringLiteral("Choose\u2026"), owner);
    button->setObjectName("Button_symbol_chooser");
    button->setToolTip(QStringLiteral("Choose the symbol by its name."));
    button->setAutoDefault(false);
    allowNarrowing(button);
    auto* name = new QLabel(owner);
    name->setObjectName("Position_symbol_name");
    name->setTextFormat(Qt::PlainText);

    // Under the symbol fields, from the symbol code's field on: the row itself has no room
    // for the longer names.
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    for (QLabel* label : owner->findChildren<QLabel*>()) {
        if (label->buddy() == code) {
            line->addSpacing(label->sizeHint().width() + 4);
        }
    }
    line->addWidget(button);
    line->addWidget(name);
    line->addStretch(1);
    if (!addLineUnder(code, line)) {
        delete line;
        delete button;
        delete name;
        return;  // the fields are not on a page
    }

    const auto showName = [&form, name] {
        const QString found = symbolName(typedSymbol(form));
        name->setText(found.isEmpty() ? QStringLiteral("unknown symbol") : found);
    };
    for (const char* field : {"Position_symbol_code", "Position_symbol_table"}) {
        QObject::connect(static_cast<QLineEdit*>(form.widget(field)), &QLineEdit::textChanged, name,
                         showName);
    }
    showName();
    QObject::connect(button, &QPushButton::clicked, owner, [&form, &dialogs, owner] {
        SymbolChooser chooser(typedSymbol(form), owner->window());
        dialogs.showModal(&chooser);
        if (const std::optional<AprsSymbol> symbol = chooser.chosen()) {
            form.setText("Position_symbol_table", QString(QLatin1Char(symbol->table)));
            form.setText("Position_symbol_code", QString(QLatin1Char(symbol->code)));
        }
    });
}
