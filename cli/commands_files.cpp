// The file commands: defaults, encode, check and decode, which turn one configuration file or
// image into another, or check one.

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <vector>

#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/configuration_io.h"
#include "cli/files.h"
#include "cli/json_output.h"
#include "configfile/config_file.h"
#include "image/encoder.h"
#include "image/image.h"
#include "settings/memory_form.h"
#include "settings/output_file.h"
#include "settings/schema.h"

namespace {

// The lines `check` prints for the values a file could not give, one per value.
QStringList unreadLines(const std::vector<UnreadValue>& unread) {
    QStringList lines;
    for (const UnreadValue& value : unread) {
        lines << value.line();
    }
    return lines;
}

// The document of "check --json": the file, what it could not give, and every problem.
QJsonObject checkJson(const QString& file, const std::vector<UnreadValue>& unread,
                      const std::vector<SettingProblem>& problems) {
    QJsonArray list;
    for (const SettingProblem& problem : problems) {
        QJsonObject entry = settingJson(problem.setting);
        entry.insert(QStringLiteral("message"), problem.message);
        list.append(entry);
    }
    return {{QStringLiteral("file"), file},
            {QStringLiteral("unread"), unreadJson(unread)},
            {QStringLiteral("problems"), list}};
}

}  // namespace

static int runDefaults(Invocation& in) {
    const auto form = startupForm(in.sink);
    return status(saveConfiguration(in.sink, *form, in.arguments[0]));
}

const CliCommand defaultsCommand = {
    .name = "defaults",
    .summary = "Write the start-up settings as a configuration file.",
    .description =
        "Writes the settings the window starts with into a configuration file, as \"Save to "
        "file\" does. An existing file is updated: entries of its own are kept.",
    .arguments = {{.name = "OUT.cfg", .help = "The configuration file to write."}},
    .run = runDefaults,
};

static int runEncode(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadForWrite(in, *form)) {
        return kExitFailed;
    }
    ConfigImage image{};
    if (const std::optional<SettingProblem> refusal = EncodeSettings(*form, in.sink.now(), image)) {
        in.sink.show({informationBox(refusal->message)});
        return kExitFailed;
    }
    return status(writeFile(in.sink, in.arguments[1], QByteArrayView(image.data(), image.size())));
}

const CliCommand encodeCommand = {
    .name = "encode",
    .summary = "Validate a configuration file and encode it as an image.",
    .description =
        "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
        "then validates and encodes the settings as \"Write config\" does, and writes the "
        "8192-byte configuration image. The first setting that fails its check is named and "
        "nothing is written. A file that lacks keys (one of this version's, whose export writes "
        "every key) or holds a value that cannot be read is refused, each such value named, "
        "unless --accept-defaults.",
    .arguments = {{.name = "IN.cfg", .help = "The configuration file to read."},
                  {.name = "OUT.bin", .help = "The configuration image to write."}},
    .acceptsDefaults = true,
    .run = runEncode,
};

static int runCheck(Invocation& in) {
    const auto form = startupForm(in.sink);
    std::vector<UnreadValue> unread;
    if (!loadConfiguration(in.sink, *form, in.arguments[0], &unread)) {
        return kExitFailed;
    }
    const std::vector<SettingProblem> problems = CheckSettings(*form);
    // 0 only when the file would be written as it is.
    const int exit = problems.empty() && !refusesWrite(unread) ? kExitSuccess : kExitFailed;
    if (in.json) {
        printJson(in, checkJson(in.arguments[0], unread, problems));
        return exit;
    }
    // First what the file could not give, then what "Write config" would refuse.
    for (const QString& line : unreadLines(unread)) {
        printLine(in, line);
    }
    for (const SettingProblem& problem : problems) {
        printLine(in,
                  settingPlace(setting(problem.setting)) + QStringLiteral(": ") + problem.message);
    }
    return exit;
}

const CliCommand checkCommand = {
    .name = "check",
    .summary = "List every setting of a configuration file that would be refused.",
    .description =
        "Loads the configuration file onto the start-up settings as \"Read from file\" does "
        "and checks every setting by the rules of \"Write config\". First comes each value the "
        "file holds but could not give (not a whole number, an item outside its list, a "
        "damaged section or key line) or lacks, then each problem, one line each, "
        "\"page \u203A \u2026 \u203A label: message\", in the order \"Write config\" meets "
        "them; the exit status is 1 when write-config would refuse the file, 0 when it would be "
        "written as it is (a file of another version may lack keys).",
    .arguments = {{.name = "IN.cfg", .help = "The configuration file to check."}},
    .json = true,
    .run = runCheck,
};

static int runDecode(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadImage(in.sink, *form, in.arguments[0])) {
        return kExitFailed;
    }
    return status(saveConfiguration(in.sink, *form, in.arguments[1]));
}

const CliCommand decodeCommand = {
    .name = "decode",
    .summary = "Decode a configuration image into a configuration file.",
    .description =
        "Checks an 8192-byte configuration image (checksum, end marker, version) and decodes "
        "it onto the start-up settings as \"Read config\" does, then writes the settings as "
        "\"Save to file\" does.",
    .arguments = {{.name = "IN.bin", .help = "The configuration image to read."},
                  {.name = "OUT.cfg", .help = "The configuration file to write."}},
    .run = runDecode,
};
