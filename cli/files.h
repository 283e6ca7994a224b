#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>

class CliSink;
class OutputFile;
class QFile;

// The tool's file checks: what it reads must be a regular file, and what it writes goes
// through OutputFile and is put in place only when complete. Every failure is said as
// "veltromark-cli: cannot read <path>: <reason>" or "veltromark-cli: cannot write <path>:
// <reason>".

// True when `path` names a regular file; otherwise says why it cannot be read.
bool regularFile(CliSink& sink, const QString& path);

// Opens `file`, a regular file, for reading; otherwise says why it cannot be read.
bool openInput(CliSink& sink, QFile& file);

// The first `limit` bytes of a regular file; nothing (after saying why) when it cannot be read.
std::optional<QByteArray> readFile(CliSink& sink, const QString& path, qint64 limit);

// Says why an output could not be written, in the one form every command uses; false.
bool cannotWrite(CliSink& sink, const OutputFile& out);

// Writes `bytes` into `out`, which is not yet put in place.
bool fill(CliSink& sink, OutputFile& out, QByteArrayView bytes);

// Puts every output in place once all of them are complete; none when one fails.
bool commitOutputs(CliSink& sink, std::initializer_list<OutputFile*> outputs);

// One output on its own.
bool writeFile(CliSink& sink, const QString& path, QByteArrayView bytes);

// True when every file of `paths` can be written: each is tried as it will be written (a
// temporary file beside it, removed at once), so that a command finds an output it cannot
// write before it does any work. Otherwise says "cannot write <path>: <reason>" for the first
// that cannot.
bool outputsWritable(CliSink& sink, const QStringList& paths);
