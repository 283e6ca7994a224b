#include "cli/configuration_io.h"

#include <QFile>
#include <algorithm>
#include <optional>

#include "cli/cli_sink.h"
#include "cli/command.h"
#include "cli/files.h"
#include "cli/tracker.h"
#include "image/decoder.h"
#include "image/image.h"
#include "operations/config_backup.h"
#include "operations/config_source.h"
#include "operations/config_transfer.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/output_file.h"

std::unique_ptr<MemoryForm> startupForm(CliSink& sink) {
    auto form = std::make_unique<MemoryForm>();
    sink.show(applyStartupDefaults(*form));
    return form;
}

bool loadConfiguration(CliSink& sink, MemoryForm& form, const QString& path,
                       std::vector<UnreadValue>* unread) {
    QFile file(path);
    if (!openInput(sink, file)) {
        return false;
    }
    file.close();
    ImportOutcome imported = importConfiguration(form, path);
    const bool ok = shown(sink, imported);
    if (unread) {
        *unread = std::move(imported.unread);
    } else {
        for (const UnreadValue& value : imported.unread) {
            sink.say(value.line());
        }
    }
    return ok;
}

bool loadForWrite(Invocation& in, MemoryForm& form) {
    std::vector<UnreadValue> unread;
    if (!loadConfiguration(in.sink, form, in.arguments[0], &unread)) {
        return false;
    }
    for (const UnreadValue& value : unread) {
        in.sink.say(value.line());
    }
    if (!refusesWrite(unread) || in.acceptDefaults) {
        return true;
    }
    const auto count = std::count_if(unread.begin(), unread.end(),
                                     [](const UnreadValue& value) { return !value.expected; });
    in.sink.say(complaint(QStringLiteral("%1: %2 value%3 missing or unreadable (listed above); "
                                         "nothing was written. Give --accept-defaults to write "
                                         "the defaults in their place.")
                              .arg(in.arguments[0])
                              .arg(count)
                              .arg(count == 1 ? "" : "s")));
    return false;
}

bool prepareConfiguration(CliSink& sink, const Form& form, OutputFile& out) {
    const Outcome outcome = prepareExport(form, out);
    if (!outcome.ok && !out.reason().isEmpty()) {
        return cannotWrite(sink, out);
    }
    return shown(sink, outcome);
}

bool saveConfiguration(CliSink& sink, const Form& form, const QString& path) {
    OutputFile out(path);
    return prepareConfiguration(sink, form, out) && commitOutputs(sink, {&out});
}

bool loadImage(CliSink& sink, MemoryForm& form, const QString& path) {
    const std::optional<QByteArray> bytes =
        readFile(sink, path, static_cast<qint64>(kImageSize) + 1);
    if (!bytes) {
        return false;
    }
    QString why;
    const std::optional<ConfigImage> image = configImageOf(*bytes, path, &why);
    if (!image) {
        sink.say(complaint(why));
        return false;
    }
    return shown(sink, DecodeImage(form, *image, commandLineWording()));
}

bool loadSide(Invocation& in, MemoryForm& form, const QString& side,
              std::vector<UnreadValue>* unread) {
    if (side == QLatin1String("tracker")) {
        Tracker tracker(in);
        ConfigImage readImage{};
        const bool ok = shown(in.sink, readConfiguration(tracker.link(), in.sink,
                                                         commandLineWording(), form, readImage));
        in.sink.finish();
        return ok;
    }
    if (isConfigImageFile(side)) {
        return loadImage(in.sink, form, side);
    }
    return loadConfiguration(in.sink, form, side, unread);
}

BackupPlan toolBackups() {
    return {defaultBackupFolder(), QStringLiteral("\"veltromark-cli restore %1\"")};
}
