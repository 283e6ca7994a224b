#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString();
        return {};
    }
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The lines of a file written with CR LF line ends; fails when a line ends otherwise.
inline QStringList crlfLines(const QByteArray& bytes) {
    EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n')) << "a line ends in a bare line feed";
    EXPECT_EQ(bytes.count("\r\n"), bytes.count('\r')) << "a line ends in a bare carriage return";
    QStringList lines = QString::fromUtf8(bytes).split("\r\n");
    lines.removeLast();  // after the final line break
    return lines;
}

// Section names of the header lines, in file order.
inline QStringList sectionLines(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith('[')) {
            out << line.mid(1, line.indexOf(']') - 1);
        }
    }
    return out;
}

// The keys of the entries of one section (first occurrence), in file order.
inline QStringList keysOf(const QStringList& lines, const QString& section) {
    QStringList out;
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith('[')) {
            inside = line == '[' + section + ']';
        } else if (inside && line.contains('=')) {
            out << line.left(line.indexOf('='));
        }
    }
    return out;
}

// Entries of a file (section, key, raw line), to find a line by key.
inline QString lineOf(const QStringList& lines, const QString& section, const QString& key) {
    bool inside = false;
    for (const QString& line : lines) {
        if (line.startsWith('[')) {
            inside = line.compare('[' + section + ']', Qt::CaseInsensitive) == 0;
        } else if (inside &&
                   line.section('=', 0, 0).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            return line;
        }
    }
    return {};
}
