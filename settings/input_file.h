#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The files the program reads (a configuration file, an image, a backup, a GPS log or dump, a
// firmware image) are read only when they are regular files: opening a FIFO waits for a
// writer, reading a device may never end, and a folder is no file. The window and the tool
// word the same reasons their own way around the path.

// Why the file at `path` cannot be read, or nothing when it is a regular file: "no such
// file", "a folder, not a file", "a named pipe (FIFO), not a file", "a device, not a file" or
// "not a regular file", to follow the path.
std::optional<QString> notARegularFile(const QString& path);

// The first `limit` bytes of the regular file at `path`, read to that limit whatever size it
// claims to have; nothing when it cannot be read, with `*why` saying so ("<reason>" as above,
// or the system's error string).
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit, QString* why);
