#include "configfile/profile_file.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

#include "settings/number.h"
#include "settings/windows1252.h"

namespace {

const QByteArray kUtf8ByteOrderMark("\xEF\xBB\xBF");
const QByteArray kUtf16LeByteOrderMark("\xFF\xFE");
const QByteArray kUtf16BeByteOrderMark("\xFE\xFF");

// Blanks around names and values: what the C library counts as white space on a line, and the
// end-of-file mark 0x1A that old editors leave behind.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

QByteArrayView trimmed(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

bool isBlankLine(QByteArrayView line) {
    return trimmed(line).isEmpty();
}

// Names compare without regard to ASCII letter case; other bytes compare as they are.
std::string folded(QByteArrayView name) {
    std::string out(name.data(), static_cast<std::size_t>(name.size()));
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string folded(std::string_view name) {
    return folded(QByteArrayView(name.data(), static_cast<qsizetype>(name.size())));
}

// The name of a section header line, or nothing when the line is not one. The name runs to
// the last "]" of the line.
std::optional<QByteArrayView> sectionName(QByteArrayView line) {
    const QByteArrayView text = trimmed(line);
    if (text.isEmpty() || text[0] != '[') {
        return std::nullopt;
    }
    const qsizetype close = text.lastIndexOf(']');
    if (close < 0) {
        return std::nullopt;
    }
    return trimmed(text.sliced(1, close - 1));
}

// Control characters in a section or key name mark it as damaged.
bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool holdsControl(QByteArrayView name) {
    return std::any_of(name.begin(), name.end(), isControl);
}

// The folded name with its control characters left out.
std::string cleanName(QByteArrayView name) {
    std::string out = folded(name);
    std::erase_if(out, isControl);
    return out;
}

// At most `limit` characters of `text`, never splitting a surrogate pair.
QString leftCharacters(const QString& text, int limit) {
    qsizetype units = 0;
    for (int count = 0; count < limit && units < text.size(); ++count) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size() &&
                          text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

}  // namespace

ProfileFile::ProfileFile() : sections_(1) {}

ProfileFile ProfileFile::fromBytes(const QByteArray& input) {
    ProfileFile file;
    QByteArray bytes = input;
    qsizetype pos = 0;
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        file.byteOrderMark_ = kUtf8ByteOrderMark;
        pos = kUtf8ByteOrderMark.size();
    } else if (bytes.startsWith(kUtf16LeByteOrderMark) || bytes.startsWith(kUtf16BeByteOrderMark)) {
        // Held as UTF-8 like any other file, and written back in UTF-16 (toBytes).
        file.byteOrderMark_ = bytes.first(2);
        QStringDecoder decode(file.byteOrderMark_ == kUtf16LeByteOrderMark
                                  ? QStringConverter::Utf16LE
                                  : QStringConverter::Utf16BE);
        bytes = QString(decode(QByteArrayView(input).sliced(2))).toUtf8();
    } else if (!QByteArrayView(bytes).isValidUtf8()) {
        // Not UTF-8, so an 8-bit file as older Windows installs wrote them.
        file.windows1252_ = true;
    }
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') {
            ++end;
        }
        file.addLine(bytes.sliced(pos, end - pos));
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n') {
            ++end;
        }
        pos = end + 1;
    }
    return file;
}

// Every line that is neither blank nor a section header is an entry: the key runs to the first
// "=", or over the whole line when it holds none. Such a bare key has no value, so it reads as
// missing, and as the first entry of its key it hides any later one.
void ProfileFile::addLine(QByteArray line) {
    if (const std::optional<QByteArrayView> name = sectionName(line)) {
        byName_[folded(*name)].push_back(sections_.size());
        Section section;
        section.hasHeader = true;
        if (holdsControl(*name)) {
            section.damagedName = cleanName(*name);
        }
        section.lines.push_back(std::move(line));
        sections_.push_back(std::move(section));
        return;
    }
    Section& current = sections_.back();
    if (!isBlankLine(line)) {
        const qsizetype equals = line.indexOf('=');
        const QByteArrayView key = QByteArrayView(line).first(equals >= 0 ? equals : line.size());
        current.entries.try_emplace(folded(trimmed(key)), current.lines.size());
        if (current.hasHeader && (current.damagedName || holdsControl(trimmed(key)))) {
            const std::string section = current.damagedName
                                            ? *current.damagedName
                                            : folded(*sectionName(current.lines.front()));
            damaged_.try_emplace(section + '\n' + cleanName(trimmed(key)),
                                 Position{sections_.size() - 1, current.lines.size()});
        }
    }
    current.lines.push_back(std::move(line));
}

QByteArray ProfileFile::toBytes() const {
    QByteArray out;
    for (const Section& section : sections_) {
        for (const QByteArray& line : section.lines) {
            out += line;
            out += "\r\n";
        }
    }
    if (byteOrderMark_ == kUtf16LeByteOrderMark || byteOrderMark_ == kUtf16BeByteOrderMark) {
        QStringEncoder encode(byteOrderMark_ == kUtf16LeByteOrderMark ? QStringConverter::Utf16LE
                                                                      : QStringConverter::Utf16BE);
        return byteOrderMark_ + QByteArray(encode(QString::fromUtf8(out)));
    }
    return byteOrderMark_ + out;
}

std::optional<ProfileFile::Position> ProfileFile::find(std::string_view section,
                                                       std::string_view key) const {
    const auto occurrences = byName_.find(folded(section));
    if (occurrences == byName_.end()) {
        return std::nullopt;
    }
    const std::string foldedKey = folded(key);
    for (const std::size_t index : occurrences->second) {
        const auto entry = sections_[index].entries.find(foldedKey);
        if (entry != sections_[index].entries.end()) {
            return Position{index, entry->second};
        }
    }
    return std::nullopt;
}

std::optional<QString> ProfileFile::value(std::string_view section, std::string_view key) const {
    const std::optional<Position> at = find(section, key);
    if (!at) {
        return std::nullopt;
    }
    const QByteArray& line = sections_[at->section].lines[at->line];
    const qsizetype equals = line.indexOf('=');
    if (equals < 0) {
        return std::nullopt;  // a bare key
    }
    QByteArrayView text = trimmed(QByteArrayView(line).sliced(equals + 1));
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        text = text.sliced(1, text.size() - 2);
    }
    return leftCharacters(windows1252_ ? fromWindows1252(text) : QString::fromUtf8(text),
                          kMaxValueLength);
}

int ProfileFile::lineNumber(Position at) const {
    std::size_t before = 0;
    for (std::size_t i = 0; i < at.section; ++i) {
        before += sections_[i].lines.size();
    }
    return static_cast<int>(before + at.line + 1);
}

QString ProfileFile::lineText(Position at) const {
    const QByteArray& line = sections_[at.section].lines[at.line];
    return windows1252_ ? fromWindows1252(line) : QString::fromUtf8(line);
}

int ProfileFile::lineNumber(std::string_view section, std::string_view key) const {
    const std::optional<Position> at = find(section, key);
    return at ? lineNumber(*at) : 0;
}

std::optional<ProfileFile::DamagedEntry> ProfileFile::damagedEntry(std::string_view section,
                                                                   std::string_view key) const {
    const auto it = damaged_.find(folded(section) + '\n' + folded(key));
    if (it == damaged_.end()) {
        return std::nullopt;
    }
    DamagedEntry entry{lineNumber(it->second), lineText(it->second), 0, {}};
    if (sections_[it->second.section].damagedName) {
        const Position header{it->second.section, 0};
        entry.headerLine = lineNumber(header);
        entry.header = lineText(header);
    }
    return entry;
}

QString ProfileFile::readText(std::string_view section, std::string_view key,
                              const QString& fallback) const {
    return value(section, key).value_or(fallback);
}

std::int32_t ProfileFile::readNumber(std::string_view section, std::string_view key,
                                     std::int32_t fallback) const {
    const std::optional<QString> text = value(section, key);
    if (!text) {
        return fallback;
    }
    return parseProfileNumber(*text).value_or(fallback);
}

void ProfileFile::writeText(std::string_view section, std::string_view key, const QString& text) {
    QString oneLine = text;
    oneLine.remove(u'\r');
    oneLine.remove(u'\n');
    const QByteArray encoded = oneLine.toUtf8();
    if (windows1252_ && encoded.size() != oneLine.size()) {
        // Text outside ASCII is written in UTF-8, so the whole file becomes UTF-8: one file,
        // one encoding, read the same on every system.
        for (Section& each : sections_) {
            for (QByteArray& line : each.lines) {
                line = fromWindows1252(line).toUtf8();
            }
        }
        windows1252_ = false;
    }

    if (const std::optional<Position> at = find(section, key)) {
        QByteArray& line = sections_[at->section].lines[at->line];
        const qsizetype equals = line.indexOf('=');
        if (equals < 0) {  // a bare key gets its "="
            qsizetype end = line.size();
            while (end > 0 && isBlank(line[end - 1])) {
                --end;
            }
            line.truncate(end);
            line += '=' + encoded;
            return;
        }
        // The blanks between "=" and the old value stay, unless the new value brings blanks of
        // its own: keeping both would add more on every write of the same value.
        qsizetype valueStart = equals + 1;
        if (encoded.isEmpty() || !isBlank(encoded.front())) {
            while (valueStart < line.size() && isBlank(line[valueStart])) {
                ++valueStart;
            }
        }
        line.truncate(valueStart);
        line += encoded;
        return;
    }

    QByteArray entry = QByteArray(key.data(), static_cast<qsizetype>(key.size())) + '=' + encoded;
    const auto occurrences = byName_.find(folded(section));
    if (occurrences != byName_.end()) {
        Section& first = sections_[occurrences->second.front()];
        std::size_t at = first.lines.size();
        while (isBlankLine(first.lines[at - 1])) {  // the header line is never blank
            --at;
        }
        // Only blank lines follow `at`, so no entry index moves.
        first.lines.insert(first.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
        first.entries.emplace(folded(key), at);
        return;
    }

    byName_[folded(section)].push_back(sections_.size());
    Section added;
    added.hasHeader = true;
    added.lines.push_back('[' + QByteArray(section.data(), static_cast<qsizetype>(section.size())) +
                          ']');
    added.entries.emplace(folded(key), added.lines.size());
    added.lines.push_back(std::move(entry));
    sections_.push_back(std::move(added));
}

void ProfileFile::writeNumber(std::string_view section, std::string_view key, std::int32_t number) {
    writeText(section, key, QString::number(number));
}

void ProfileFile::writeFlag(std::string_view section, std::string_view key, bool on) {
    writeText(section, key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

std::optional<std::int32_t> parseProfileNumber(const QString& text) {
    QStringView digits;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        digits = QStringView(text).sliced(2);
    } else if (text.startsWith(u'$')) {
        digits = QStringView(text).sliced(1);
    } else {
        return parseWholeNumber(text);
    }
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int digit;
        if (u >= u'0' && u <= u'9') {
            digit = u - u'0';
        } else if (u >= u'a' && u <= u'f') {
            digit = u - u'a' + 10;
        } else if (u >= u'A' && u <= u'F') {
            digit = u - u'A' + 10;
        } else {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}
