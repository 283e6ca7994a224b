#pragma once

#include <QString>
#include <string>
#include <vector>

// The entries of a configuration file, one row per entry in the order the export writes them
// and the import reads them.

// The header by which a configuration file is recognised: the application's name and the
// configuration format's version (kConfigFormatVersion).
inline constexpr char kConfigApplication[] = "Veltromark Configurator";

enum class ValueKind {
    Text,    // the text field's text as it stands
    Number,  // the text field's whole number, written in plain decimal
    Index,   // the chosen item of a list, -1 for none
    Flag,    // "1" unless the list's first item is chosen; read back as an index
    Fixed,   // the same literal in every file
};

struct KeyRow {
    int step;             // 1-based position in export and import order
    std::string section;  // e.g. "Digipeater"
    std::string key;      // e.g. "Digi3_alias"
    std::string setting;  // the control behind the entry, e.g. "Alias3_name"; empty for Fixed
    ValueKind kind;
    QString literal;      // Fixed: what is written
    QString defaultText;  // Text and Fixed: what the import takes when the entry is missing
    int defaultNumber;    // Number, Index and Flag: the same
};

// All 228 rows in step order: three header rows, then one row for every setting.
const std::vector<KeyRow>& keyTable();

// The row of the header entry with this key ("WARNING", "Application", "Version").
const KeyRow& headerRow(const std::string& key);
