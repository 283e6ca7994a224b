#pragma once

#include <QDialog>
#include <optional>

#include "aprs/symbols.h"

class DialogProvider;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class WidgetForm;

// The APRS symbols by name, to pick the station's symbol from: the primary table, the
// alternate table and the alternate symbols under each overlay character, with a search
// field that keeps the names (or the two characters, "/>") holding what is typed.
class SymbolChooser : public QDialog {
    Q_OBJECT
  public:
    // `current` is selected when it names a symbol.
    explicit SymbolChooser(AprsSymbol current, QWidget* parent = nullptr);

    // The symbol picked with OK or a double click; nothing before, or after Cancel.
    std::optional<AprsSymbol> chosen() const { return chosen_; }

  private:
    void filter(const QString& text);
    void pick(QTreeWidgetItem* item);

    QLineEdit* search_;
    QTreeWidget* list_;
    QPushButton* ok_;
    std::optional<AprsSymbol> chosen_;
};

// Beside `Position_symbol_code` and `Position_symbol_table`: the name of the symbol they
// make, or "unknown symbol", and a button that opens the chooser; a symbol chosen there
// sets both fields. The fields still take typed characters.
void addSymbolChooser(WidgetForm& form, DialogProvider& dialogs);
