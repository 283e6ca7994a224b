#include "cli/files.h"

#include <QFile>
#include <QFileInfo>

#include "cli/cli_sink.h"
#include "cli/command.h"
#include "settings/input_file.h"
#include "settings/output_file.h"

bool regularFile(CliSink& sink, const QString& path) {
    if (const std::optional<QString> why = notARegularFile(path)) {
        sink.say(complaint(QStringLiteral("cannot read %1: %2").arg(path, *why)));
        return false;
    }
    return true;
}

bool openInput(CliSink& sink, QFile& file) {
    if (!regularFile(sink, file.fileName())) {
        return false;
    }
    if (file.open(QIODevice::ReadOnly)) {
        return true;
    }
    sink.say(
        complaint(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString())));
    return false;
}

std::optional<QByteArray> readFile(CliSink& sink, const QString& path, qint64 limit) {
    QFile file(path);
    if (!openInput(sink, file)) {
        return std::nullopt;
    }
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        sink.say(complaint(QStringLiteral("cannot read %1: %2").arg(path, file.errorString())));
        return std::nullopt;
    }
    return bytes;
}

bool cannotWrite(CliSink& sink, const OutputFile& out) {
    sink.say(complaint(QStringLiteral("cannot write %1").arg(out.failure())));
    return false;
}

bool fill(CliSink& sink, OutputFile& out, QByteArrayView bytes) {
    return (out.open() && out.write(bytes)) || cannotWrite(sink, out);
}

bool commitOutputs(CliSink& sink, std::initializer_list<OutputFile*> outputs) {
    const OutputFile* failed = commitAll(outputs);
    return !failed || cannotWrite(sink, *failed);
}

bool writeFile(CliSink& sink, const QString& path, QByteArrayView bytes) {
    OutputFile out(path);
    return fill(sink, out, bytes) && commitOutputs(sink, {&out});
}

bool outputsWritable(CliSink& sink, const QStringList& paths) {
    for (const QString& path : paths) {
        OutputFile out(path);
        if (!out.open()) {
            return cannotWrite(sink, out);
        }
    }
    return true;
}
