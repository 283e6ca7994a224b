#pragma once

#include <QString>

// The APRS symbol a station is drawn with: a table character and a symbol code. The table is
// "/" (primary), "\" (alternate), or an overlay character (0-9, A-Z) that stands for the
// alternate table with that character drawn over the symbol.
struct AprsSymbol {
    char table = 0;
    char code = 0;

    bool primary() const { return table == '/'; }
    // The overlay character, or 0 for the plain primary and alternate tables.
    char overlay() const { return table == '/' || table == '\\' ? 0 : table; }
};

// True for "/", "\" and the overlay characters 0-9 and A-Z.
bool isSymbolTable(char table);

// The symbol's name ("car" for "/>", "triangle with overlay 5" for "5n"), or an empty text
// when the table character is not a table or the code names no symbol in that table
// (unassigned codes and the two TNC stream switch characters, "|" and "~").
QString symbolName(AprsSymbol symbol);
