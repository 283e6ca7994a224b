#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A profile (INI) file held in memory, read and updated with the rules of the Windows
// private-profile functions, so that configuration files move between this program and its
// Windows counterpart, and survive hand editing, unchanged.
//
// Written here rather than taken from a library: QSettings (the only INI code Qt has) rewrites
// the whole file, escapes and re-encodes values and reorders sections and keys, which would
// destroy what other programs and users keep in the file. This class keeps every line it does
// not have to change byte for byte.
//
// Reading:
// - Blanks are spaces, tabs, vertical tabs, form feeds and the end-of-file mark 0x1A.
// - A line whose first non-blank character is "[" and that holds a "]" starts a section; the
//   name is what stands between the "[" and the last "]" of the line, without surrounding
//   blanks. A "[" line without "]" starts nothing. Any other line that is not blank is an
//   entry: the key is the text before the first "=", without surrounding blanks, and the value
//   the text after it. A line without "=" is a key without a value (comments and junk too; their
//   keys are unlike any real one): it reads as missing and hides later entries of its key.
// - Section and key names match without regard to ASCII letter case. The first matching entry
//   in file order wins, also when a section occurs more than once: the occurrences read as one
//   section.
// - A value loses the blanks at its ends and then one pair of matching quotation marks (" or ')
//   that encloses it. At most kMaxValueLength characters of it are read.
// - Lines end in CR LF, LF or a lone CR. A UTF-8 byte order mark at the start is skipped (and
//   kept). A file that is valid UTF-8 is UTF-8 text, on every system; any other file is
//   Windows-1252, as older Windows installs wrote them. A file that starts with a UTF-16 byte
//   order mark (either byte order) is UTF-16 text, and is written back so.
// - A section or key name that holds a control character (below 0x20, or 0x7F) is damaged: it
//   matches no name a reader asks for, as the rules above say, but damagedEntry() finds the entry
//   that it hides.
//
// Writing (one entry at a time; each write leaves the file as the Windows function would):
// - An existing entry (the first match, as for reading) gets the new value in place; its key
//   spelling and the blanks before the old value are kept, unless the new value itself begins
//   with a blank (so writing the same value again changes nothing). A bare key gets "=" and the
//   value.
// - A key new to its section is added after the last line of the section's first occurrence
//   that is not blank, so blank lines separating sections stay where they are.
// - A section new to the file is added at its end.
// - A value is one line: carriage returns and line feeds are removed from it.
// - toBytes() ends every line in CR LF, the last one included.
// - Text outside ASCII is written in UTF-8; a Windows-1252 file that gets such a value is
//   turned into UTF-8 as a whole.
class ProfileFile {
  public:
    static constexpr int kMaxValueLength = 2047;

    ProfileFile();
    static ProfileFile fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    // The value of the entry, or nothing when the section or the key is missing.
    std::optional<QString> value(std::string_view section, std::string_view key) const;

    // The value of the entry, or `fallback` when it is missing. An empty value is an empty
    // text, not the fallback.
    QString readText(std::string_view section, std::string_view key, const QString& fallback) const;

    // The number of the line (from 1) that value() reads; 0 when the entry is missing.
    int lineNumber(std::string_view section, std::string_view key) const;

    // An entry that a damaged name hides: one whose key, or whose section's header line, holds
    // control characters, and that would be the entry asked for with them left out. Only the
    // first such entry counts.
    struct DamagedEntry {
        int line = 0;  // its number, from 1
        QString text;  // the entry's line
        // The damaged header line the entry stands under, and its number; 0 and empty when the
        // key itself is damaged under a sound header.
        int headerLine = 0;
        QString header;
    };
    std::optional<DamagedEntry> damagedEntry(std::string_view section, std::string_view key) const;

    // The value as a whole number (see parseProfileNumber), or `fallback` when the entry is
    // missing or does not hold one.
    std::int32_t readNumber(std::string_view section, std::string_view key,
                            std::int32_t fallback) const;

    // Section and key names hold neither "]" nor "=" nor line breaks.
    void writeText(std::string_view section, std::string_view key, const QString& text);
    void writeNumber(std::string_view section, std::string_view key, std::int32_t number);
    void writeFlag(std::string_view section, std::string_view key, bool on);

  private:
    struct Section {
        bool hasHeader = false;
        std::vector<QByteArray> lines;  // lines[0] is the header line when hasHeader
        // Folded key name to the index of its first entry in `lines`.
        std::unordered_map<std::string, std::size_t> entries;
        // The folded name without its control characters, when the header line is damaged.
        std::optional<std::string> damagedName;
    };
    struct Position {
        std::size_t section;
        std::size_t line;
    };

    void addLine(QByteArray line);
    std::optional<Position> find(std::string_view section, std::string_view key) const;
    int lineNumber(Position at) const;
    QString lineText(Position at) const;

    QByteArray byteOrderMark_;
    bool windows1252_ = false;
    std::vector<Section> sections_;  // sections_[0] holds the lines before the first header
    // Folded section name to the indexes of its occurrences in `sections_`, in file order.
    std::unordered_map<std::string, std::vector<std::size_t>> byName_;
    // Entries under a damaged name: folded section and key names, without their control
    // characters and joined by a line feed, to the first such entry.
    std::unordered_map<std::string, Position> damaged_;
};

// A whole number as the profile reader takes it: signed decimal; hexadecimal after "0x", "0X"
// (with at least one digit) or "$", as a 32-bit pattern (0xFFFFFFFF is -1). Anything else
// (letters, a fraction, an empty text, a number beyond 32 bits) gives nothing.
std::optional<std::int32_t> parseProfileNumber(const QString& text);
