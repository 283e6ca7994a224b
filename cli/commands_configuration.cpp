// The configuration commands that read a file or the tracker: diff and beacons, and read-config
// and write-config on the tracker.

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "aprs/beacon_packets.h"
#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/configuration_io.h"
#include "cli/files.h"
#include "cli/json_output.h"
#include "cli/tracker.h"
#include "configfile/config_file.h"
#include "image/compare.h"
#include "image/encoder.h"
#include "image/image.h"
#include "operations/config_transfer.h"
#include "operations/gps_memory.h"
#include "operations/sample_values.h"
#include "settings/memory_form.h"
#include "settings/output_file.h"
#include "settings/schema.h"

namespace {

// The document of "diff --json": both sides, every difference, and what each side's file could
// not give.
QJsonObject diffJson(const QStringList& sides, const Form& a, const Form& b,
                     const std::vector<SettingDifference>& differences,
                     const std::vector<UnreadValue>& unreadA,
                     const std::vector<UnreadValue>& unreadB) {
    QJsonArray list;
    for (const SettingDifference& d : differences) {
        QJsonObject entry = settingJson(d.setting);
        entry.insert(QStringLiteral("a"), valueJson(a, d.setting));
        entry.insert(QStringLiteral("b"), valueJson(b, d.setting));
        list.append(entry);
    }
    return {{QStringLiteral("a"), sides[0]},
            {QStringLiteral("b"), sides[1]},
            {QStringLiteral("differences"), list},
            {QStringLiteral("unread"), QJsonObject{{QStringLiteral("a"), unreadJson(unreadA)},
                                                   {QStringLiteral("b"), unreadJson(unreadB)}}}};
}

// One side of a "diff" line: the value as the window shows it and, when the file could not give
// it, a mark that it is the default in place of what the file holds.
QString diffSide(const QString& shown, const std::vector<UnreadValue>& unread,
                 const std::string& name) {
    const auto it = std::find_if(unread.begin(), unread.end(),
                                 [&name](const UnreadValue& u) { return u.setting == name; });
    if (it == unread.end()) {
        return shown;
    }
    return shown + (it->lineNumber > 0
                        ? QStringLiteral(" (default: line %1 not read)").arg(it->lineNumber)
                        : QStringLiteral(" (default: not in the file)"));
}

// The lines of "diff": every setting that differs, or that one side's file could not give, even
// when its default happens to equal the other side, in the order of the settings.
QStringList diffLines(const Form& a, const Form& b, const std::vector<UnreadValue>& unreadA,
                      const std::vector<UnreadValue>& unreadB) {
    const std::vector<SettingDifference> differences = compareSettings(a, b);
    const auto unreadIn = [](const std::vector<UnreadValue>& unread, const std::string& name) {
        return std::any_of(unread.begin(), unread.end(),
                           [&name](const UnreadValue& u) { return u.setting == name; });
    };
    QStringList lines;
    for (const SettingDef& def : settings()) {
        const auto d =
            std::find_if(differences.begin(), differences.end(),
                         [&def](const SettingDifference& x) { return x.setting == def.name; });
        if (d == differences.end() && !unreadIn(unreadA, def.name) &&
            !unreadIn(unreadB, def.name)) {
            continue;
        }
        const QString shownA = d != differences.end() ? d->a : shownValue(a, def);
        const QString shownB = d != differences.end() ? d->b : shownValue(b, def);
        lines << settingPlace(def) + QStringLiteral(": ") + diffSide(shownA, unreadA, def.name) +
                     QStringLiteral(" \u2192 ") + diffSide(shownB, unreadB, def.name);
    }
    return lines;
}

}  // namespace

static int runDiff(Invocation& in) {
    const auto a = startupForm(in.sink);
    const auto b = startupForm(in.sink);
    std::vector<UnreadValue> unreadA;
    std::vector<UnreadValue> unreadB;
    if (!loadSide(in, *a, in.arguments[0], &unreadA) ||
        !loadSide(in, *b, in.arguments[1], &unreadB)) {
        return kExitFailed;
    }
    // The same settings in both forms: what differs, and what a file could not give.
    const QStringList lines = diffLines(*a, *b, unreadA, unreadB);
    if (in.json) {
        printJson(in, diffJson(in.arguments, *a, *b, compareSettings(*a, *b), unreadA, unreadB));
        return lines.empty() ? kExitSuccess : kExitFailed;
    }
    for (const QString& line : lines) {
        printLine(in, line);
    }
    return lines.empty() ? kExitSuccess : kExitFailed;
}

const CliCommand diffCommand = {
    .name = "diff",
    .summary = "List the settings that differ between two configurations.",
    .description =
        "Each side is a configuration file, a configuration image (a .bin file, or any file "
        "holding one) or the word \"tracker\" for the configuration the tracker holds, read as "
        "\"Read config\" does. Each side is loaded onto the start-up settings, and every "
        "setting whose value differs is one line, \"page \u203A \u2026 \u203A label: A-value "
        "\u2192 B-value\". A value that a file could not give is listed too, marked \"(default: "
        "line N not read)\". The exit status is 0 when the two are the same, 1 when they differ. "
        "With --device, \"tracker\" is the tracker at that path.",
    .arguments = {{.name = "A",
                   .help = "The first configuration: a file, an image or \"tracker\".",
                   .word = "tracker"},
                  {.name = "B",
                   .help = "The second configuration: a file, an image or \"tracker\".",
                   .word = "tracker"}},
    .worksOnTracker = true,
    .json = true,
    .run = runDiff,
};

static int runBeacons(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadSide(in, *form, in.arguments[0])) {
        return kExitFailed;
    }
    // The last record of a dump, as the window takes the last record of a download.
    std::optional<QByteArray> dump;
    if (in.has("gps")) {
        dump = readFile(in.sink, in.option("gps"), static_cast<qint64>(kGpsMemorySize));
        if (!dump) {
            return kExitFailed;
        }
    }
    const SampleValues samples =
        sampleValues(dump ? std::span(reinterpret_cast<const std::uint8_t*>(dump->constData()),
                                      static_cast<std::size_t>(dump->size()))
                          : std::span<const std::uint8_t>());
    bool problems = false;
    for (const BeaconReport& beacon : readBeacons(*form, samples)) {
        for (const QString& line : describeBeacon(beacon)) {
            printLine(in, line);
        }
        problems = problems || !beacon.reading.ok();
    }
    return problems ? kExitFailed : kExitSuccess;
}

const CliCommand beaconsCommand = {
    .name = "beacons",
    .summary = "Show each beacon's packet and what a receiver reads in it.",
    .description =
        "Loads a configuration file, a configuration image or (with the word \"tracker\") the "
        "tracker's configuration onto the start-up settings, as diff does, and builds each "
        "beacon's packet as the tracker sends it, its placeholders filled with sample values: "
        "the station position, the last GPS record of --gps (else the station position and "
        "the time now), 12.6 V and 21 degrees. Each packet is followed by its reading (kind, "
        "position, symbol, comment) or its problems. The exit status is 1 when a beacon has a "
        "problem.",
    .arguments = {{.name = "CONFIG",
                   .help = "A configuration file, an image or \"tracker\".",
                   .word = "tracker"}},
    .options = {{.name = "gps",
                 .valueName = "IN.bin",
                 .help = "Take the GPS samples from the last record of this GPS memory dump."}},
    .worksOnTracker = true,
    .run = runBeacons,
};

static int runReadConfig(Invocation& in) {
    Tracker tracker(in);
    const auto form = startupForm(in.sink);
    ConfigImage readImage{};
    if (!shown(in.sink, readConfiguration(tracker.link(), in.sink, commandLineWording(), *form,
                                          readImage))) {
        return kExitFailed;
    }
    in.sink.finish();
    OutputFile config(in.arguments[0]);
    std::unique_ptr<OutputFile> image;
    if (!prepareConfiguration(in.sink, *form, config)) {
        return kExitFailed;
    }
    if (in.has("image")) {
        image = std::make_unique<OutputFile>(in.option("image"));
        if (!fill(in.sink, *image, QByteArrayView(readImage.data(), readImage.size()))) {
            return kExitFailed;
        }
    }
    return status(commitOutputs(in.sink, {&config, image.get()}));
}

const CliCommand readConfigCommand = {
    .name = "read-config",
    .summary = "Read the tracker's configuration into a configuration file.",
    .description =
        "Reads the tracker's configuration as \"Read config\" does and writes it as a "
        "configuration file, as \"Save to file\" does.",
    .arguments = {{.name = "OUT.cfg", .help = "The configuration file to write."}},
    .options = {{.name = "image",
                 .valueName = "OUT.bin",
                 .help = "Also write the configuration image as read."}},
    .worksOnTracker = true,
    .run = runReadConfig,
};

static int runWriteConfig(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadForWrite(in, *form)) {
        return kExitFailed;
    }
    Tracker tracker(in);
    ConfigImage writeImage{};
    return status(shown(in.sink, writeConfiguration(tracker.link(), in.sink, commandLineWording(),
                                                    *form, writeImage, toolBackups())));
}

const CliCommand writeConfigCommand = {
    .name = "write-config",
    .summary = "Write a configuration file to the tracker.",
    .description =
        "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
        "then validates, encodes and writes them to the tracker as \"Write config\" does. A "
        "file that lacks keys (one of this version's, whose export writes every key) or holds a "
        "value that cannot be read is refused, each such value named, unless "
        "--accept-defaults.",
    .arguments = {{.name = "IN.cfg", .help = "The configuration file to read."}},
    .worksOnTracker = true,
    .acceptsDefaults = true,
    .run = runWriteConfig,
};
