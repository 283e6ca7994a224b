#include "cli/commands.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "cli/cli_host.h"
#include "cli/gpx_track.h"
#include "configfile/config_file.h"
#include "configfile/key_table.h"
#include "device/device_link.h"
#include "device/gps_record.h"
#include "device/hidapi_transport.h"
#include "operations/config_transfer.h"
#include "operations/firmware_resource.h"
#include "operations/firmware_upload.h"
#include "operations/gps_memory.h"
#include "operations/nmea_log.h"
#include "settings/defaults.h"
#include "settings/image.h"
#include "settings/image_decoder.h"
#include "settings/image_encoder.h"
#include "settings/memory_form.h"
#include "settings/number.h"
#include "sim/simulated_tracker.h"

namespace {

const QString kProgram = QStringLiteral("veltromark-cli");

// A simulated tracker finishes its erase at this poll, so that a simulated run shows the
// waiting line without taking seconds.
constexpr int kSimulatedErasePolls = 2;
// ... and the pause between polls is this many times shorter than on a real tracker.
constexpr int kSimulatedSleepDivisor = 20;

// GPS memory dumps are read and decoded this many bytes at a time (whole blocks).
constexpr qint64 kDumpChunk = 64 * 1024;

// --- What the command line gave one command.

struct Invocation {
    CliHost& host;
    QStringList arguments;  // the positional arguments after the command's name
    QCommandLineParser& parser;
    bool simulate = false;

    QString option(const QString& name) const { return parser.value(name); }
    bool has(const QString& name) const { return parser.isSet(name); }
};

// --- Files.

// A problem of the tool's own, named as coming from it.
QString complaint(const QString& text) {
    return kProgram + QStringLiteral(": ") + text;
}

// True when `path` names a regular file; otherwise says why it cannot be read.
bool regularFile(CliHost& host, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        host.say(complaint(QStringLiteral("cannot read %1: no such file").arg(path)));
        return false;
    }
    if (!info.isFile()) {
        // Reading a folder fails, and a FIFO or a device might never end.
        host.say(complaint(QStringLiteral("cannot read %1: not a regular file").arg(path)));
        return false;
    }
    return true;
}

bool openInput(CliHost& host, QFile& file) {
    if (!regularFile(host, file.fileName())) {
        return false;
    }
    if (file.open(QIODevice::ReadOnly)) {
        return true;
    }
    host.say(
        complaint(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString())));
    return false;
}

// The first `limit` bytes of a regular file; nothing (after saying why) when it cannot be read.
std::optional<QByteArray> readFile(CliHost& host, const QString& path, qint64 limit) {
    QFile file(path);
    if (!openInput(host, file)) {
        return std::nullopt;
    }
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        host.say(complaint(QStringLiteral("cannot read %1: %2").arg(path, file.errorString())));
        return std::nullopt;
    }
    return bytes;
}

bool openOutput(CliHost& host, QSaveFile& file) {
    if (file.open(QIODevice::WriteOnly)) {
        return true;
    }
    host.say(
        complaint(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())));
    return false;
}

// Replaces the file only when everything was written, so a failure leaves the old one.
bool commitOutput(CliHost& host, QSaveFile& file) {
    if (file.commit()) {
        return true;
    }
    host.say(
        complaint(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString())));
    return false;
}

bool writeFile(CliHost& host, const QString& path, QByteArrayView bytes) {
    QSaveFile file(path);
    if (!openOutput(host, file)) {
        return false;
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
    }
    return commitOutput(host, file);
}

// A GPX track of every valid record of a GPS memory image.
bool writeGpx(CliHost& host, const QString& path, const std::uint8_t* memory, std::size_t size) {
    QSaveFile file(path);
    if (!openOutput(host, file)) {
        return false;
    }
    GpxTrackWriter gpx(&file, QFileInfo(path).completeBaseName());
    forEachGpsRecord(memory, size, [&gpx](const GpsRecord& r) { gpx.add(r); });
    gpx.finish();
    if (gpx.hasError()) {
        file.cancelWriting();
    }
    if (!commitOutput(host, file)) {
        return false;
    }
    if (gpx.leftOut() > 0) {
        host.say(complaint(QStringLiteral("%1: %2 records without a valid position left out")
                               .arg(path)
                               .arg(gpx.leftOut())));
    }
    return true;
}

// --- Settings.

// The settings as the window holds them right after start-up.
std::unique_ptr<MemoryForm> startupForm(CliHost& host) {
    auto form = std::make_unique<MemoryForm>();
    applyStartupDefaults(*form, host);
    return form;
}

// "Read from file" from `path`. A file that cannot be read is said so plainly instead of as
// "not a Veltromark configuration file".
bool loadConfiguration(CliHost& host, MemoryForm& form, const QString& path) {
    QFile file(path);
    if (!openInput(host, file)) {
        return false;
    }
    file.close();
    return importConfiguration(form, host, path);
}

// --- The tracker.

// The first tracker found, or a simulated one.
class Tracker {
  public:
    explicit Tracker(bool simulate) {
        if (simulate) {
            auto sim = std::make_unique<SimulatedTracker>();
            sim->setErasePollsUntilDone(kSimulatedErasePolls);
            transport_ = std::move(sim);
        } else {
            transport_ = std::make_unique<HidapiTransport>();
        }
        link_ = std::make_unique<DeviceLink>(*transport_);
    }
    DeviceLink& link() { return *link_; }

  private:
    std::unique_ptr<HidTransport> transport_;
    std::unique_ptr<DeviceLink> link_;
};

int status(bool ok) {
    return ok ? kExitSuccess : kExitFailed;
}

// --- The commands.

int runDefaults(Invocation& in) {
    const auto form = startupForm(in.host);
    return status(exportConfiguration(*form, in.host, in.arguments[0]));
}

int runEncode(Invocation& in) {
    const auto form = startupForm(in.host);
    if (!loadConfiguration(in.host, *form, in.arguments[0])) {
        return kExitFailed;
    }
    ConfigImage image{};
    if (!EncodeSettings(*form, in.host, image)) {
        return kExitFailed;
    }
    return status(writeFile(in.host, in.arguments[1], QByteArrayView(image.data(), image.size())));
}

int runDecode(Invocation& in) {
    const QString& path = in.arguments[0];
    const std::optional<QByteArray> bytes =
        readFile(in.host, path, static_cast<qint64>(kImageSize) + 1);
    if (!bytes) {
        return kExitFailed;
    }
    if (bytes->size() != static_cast<qsizetype>(kImageSize)) {
        const qint64 size = QFileInfo(path).size();
        in.host.say(complaint(QStringLiteral("%1 is %2 bytes; a configuration image is %3 bytes.")
                                  .arg(path)
                                  .arg(size)
                                  .arg(kImageSize)));
        return kExitFailed;
    }
    ConfigImage image{};
    std::copy(bytes->begin(), bytes->end(), image.begin());
    if (!CheckImage(image)) {
        in.host.say(complaint(QStringLiteral("%1: image checksum or end marker wrong; not a "
                                             "configuration image.")
                                  .arg(path)));
        return kExitFailed;
    }
    const auto form = startupForm(in.host);
    if (!DecodeImage(*form, in.host, image)) {
        return kExitFailed;
    }
    return status(exportConfiguration(*form, in.host, in.arguments[1]));
}

int runNmea(Invocation& in) {
    const QString& path = in.arguments[0];
    QFile dump(path);
    if (!openInput(in.host, dump)) {
        return kExitFailed;
    }
    if (dump.size() == 0 || dump.size() % static_cast<qint64>(kGpsBlockSize) != 0) {
        in.host.say(complaint(QStringLiteral("%1 is %2 bytes; a GPS memory dump is a whole number "
                                             "of %3-byte blocks.")
                                  .arg(path)
                                  .arg(dump.size())
                                  .arg(kGpsBlockSize)));
        return kExitFailed;
    }

    // The dump streams through in whole blocks, into the log and the track at once.
    QSaveFile log(in.arguments[1]);
    if (!openOutput(in.host, log)) {
        return kExitFailed;
    }
    const QString gpxPath = in.option("gpx");
    std::unique_ptr<QSaveFile> gpxFile;
    std::unique_ptr<GpxTrackWriter> gpx;
    if (!gpxPath.isEmpty()) {
        gpxFile = std::make_unique<QSaveFile>(gpxPath);
        if (!openOutput(in.host, *gpxFile)) {
            return kExitFailed;
        }
        gpx =
            std::make_unique<GpxTrackWriter>(gpxFile.get(), QFileInfo(gpxPath).completeBaseName());
    }
    qint64 records = 0;
    while (!dump.atEnd()) {
        const QByteArray chunk = dump.read(kDumpChunk);
        if (dump.error() != QFileDevice::NoError) {
            in.host.say(
                complaint(QStringLiteral("cannot read %1: %2").arg(path, dump.errorString())));
            return kExitFailed;  // the outputs are discarded, old files stay
        }
        const auto* memory = reinterpret_cast<const std::uint8_t*>(chunk.constData());
        const auto size = static_cast<std::size_t>(chunk.size());
        const QByteArray text = nmeaLog(memory, size);
        if (log.write(text) != text.size()) {
            log.cancelWriting();
            break;
        }
        forEachGpsRecord(memory, size, [&](const GpsRecord& r) {
            ++records;
            if (gpx) {
                gpx->add(r);
            }
        });
    }
    if (!commitOutput(in.host, log)) {
        return kExitFailed;
    }
    in.host.say(QStringLiteral("%1 records written to %2.").arg(records).arg(in.arguments[1]));
    if (gpx) {
        gpx->finish();
        if (gpx->hasError()) {
            gpxFile->cancelWriting();
        }
        if (!commitOutput(in.host, *gpxFile)) {
            return kExitFailed;
        }
        if (gpx->leftOut() > 0) {
            in.host.say(complaint(QStringLiteral("%1: %2 records without a valid position left out")
                                      .arg(gpxPath)
                                      .arg(gpx->leftOut())));
        }
    }
    return kExitSuccess;
}

int runReadConfig(Invocation& in) {
    Tracker tracker(in.simulate);
    const auto form = startupForm(in.host);
    ConfigImage readImage{};
    if (!Button_read_configClick(*form, in.host, tracker.link(), readImage)) {
        return kExitFailed;
    }
    in.host.finish();
    if (!exportConfiguration(*form, in.host, in.arguments[0])) {
        return kExitFailed;
    }
    if (in.has("image") && !writeFile(in.host, in.option("image"),
                                      QByteArrayView(readImage.data(), readImage.size()))) {
        return kExitFailed;
    }
    return kExitSuccess;
}

int runWriteConfig(Invocation& in) {
    const auto form = startupForm(in.host);
    if (!loadConfiguration(in.host, *form, in.arguments[0])) {
        return kExitFailed;
    }
    Tracker tracker(in.simulate);
    ConfigImage writeImage{};
    return status(Button_write_configClick(*form, in.host, tracker.link(), writeImage));
}

int runReadGps(Invocation& in) {
    Tracker tracker(in.simulate);
    in.host.answerFileDialog(FileDialog::SaveGpsLog, in.arguments[0]);
    GpsBuffer buffer;
    if (!Button_read_memoryClick(in.host, tracker.link(), buffer)) {
        return kExitFailed;
    }
    in.host.finish();
    if (in.has("dump") &&
        !writeFile(in.host, in.option("dump"), QByteArrayView(buffer.data(), buffer.size()))) {
        return kExitFailed;
    }
    if (in.has("gpx") && !writeGpx(in.host, in.option("gpx"), buffer.data(), buffer.size())) {
        return kExitFailed;
    }
    return kExitSuccess;
}

int runEraseGps(Invocation& in) {
    Tracker tracker(in.simulate);
    return status(Button_erase_memoryClick(in.host, tracker.link()));
}

int runUploadFirmware(Invocation& in) {
    if (in.arguments.isEmpty()) {
        in.host.setFirmware(in.simulate ? std::optional<QByteArray>(demoFirmware())
                                        : embeddedFirmware());
    } else {
        const QString& path = in.arguments[0];
        // One byte more than fits is enough for the upload to refuse a file that is too long.
        const std::optional<QByteArray> image =
            readFile(in.host, path, static_cast<qint64>(kFirmwareBufferSize) + 1);
        if (!image) {
            return kExitFailed;
        }
        const qint64 size = QFileInfo(path).size();
        if (size == 0) {
            in.host.say(
                complaint(QStringLiteral("%1 is empty; there is nothing to upload.").arg(path)));
            return kExitFailed;
        }
        const qint64 pages = (size + kPageSize - 1) / static_cast<qint64>(kPageSize);
        in.host.say(QStringLiteral("%1: %2 bytes, %3 pages.").arg(path).arg(size).arg(pages));
        in.host.setFirmware(*image);
    }
    Tracker tracker(in.simulate);
    const auto buffer = std::make_unique<FirmwareBuffer>();
    return status(Button_upload_firmwareClick(in.host, tracker.link(), *buffer));
}

// --- The command table.

struct Positional {
    const char* name;
    const char* help;
    bool optional = false;
};
struct ValueOption {
    const char* name;
    const char* valueName;
    const char* help;
};
struct Subcommand {
    const char* name;
    const char* summary;
    const char* description;
    std::vector<Positional> positionals;
    std::vector<ValueOption> options;
    bool device = false;
    int (*run)(Invocation&);
};

const std::vector<Subcommand>& commands() {
    static const std::vector<Subcommand> table = {
        {"defaults",
         "Write the start-up settings as a configuration file.",
         "Writes the settings the window starts with into a configuration file, as \"Save to "
         "file\" does. An existing file is updated: entries of its own are kept.",
         {{"OUT.cfg", "The configuration file to write."}},
         {},
         false,
         runDefaults},
        {"encode",
         "Validate a configuration file and encode it as an image.",
         "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
         "then validates and encodes the settings as \"Write config\" does, and writes the "
         "8192-byte configuration image. The first setting that fails its check is named and "
         "nothing is written.",
         {{"IN.cfg", "The configuration file to read."},
          {"OUT.bin", "The configuration image to write."}},
         {},
         false,
         runEncode},
        {"decode",
         "Decode a configuration image into a configuration file.",
         "Checks an 8192-byte configuration image (checksum, end marker, version) and decodes "
         "it onto the start-up settings as \"Read config\" does, then writes the settings as "
         "\"Save to file\" does.",
         {{"IN.bin", "The configuration image to read."},
          {"OUT.cfg", "The configuration file to write."}},
         {},
         false,
         runDecode},
        {"nmea",
         "Turn a GPS memory dump into an NMEA log (and a GPX track).",
         "Reads a GPS memory dump (a whole number of 256-byte blocks) and writes every valid "
         "record as a $GPRMC and a $GPGGA line, exactly as the GPS memory \"Read\" does. With "
         "--gpx, also writes the same records as a GPX 1.1 track.",
         {{"IN.bin", "The GPS memory dump to read."}, {"OUT.log", "The NMEA log to write."}},
         {{"gpx", "OUT.gpx", "Also write the records as a GPX track."}},
         false,
         runNmea},
        {"read-config",
         "Read the tracker's configuration into a configuration file.",
         "Reads the tracker's configuration as \"Read config\" does and writes it as a "
         "configuration file, as \"Save to file\" does.",
         {{"OUT.cfg", "The configuration file to write."}},
         {{"image", "OUT.bin", "Also write the configuration image as read."}},
         true,
         runReadConfig},
        {"write-config",
         "Write a configuration file to the tracker.",
         "Loads the configuration file onto the start-up settings as \"Read from file\" does, "
         "then validates, encodes and writes them to the tracker as \"Write config\" does.",
         {{"IN.cfg", "The configuration file to read."}},
         {},
         true,
         runWriteConfig},
        {"read-gps",
         "Download the tracker's GPS memory into an NMEA log.",
         "Downloads the tracker's whole GPS memory and writes every valid record to the NMEA "
         "log, as the GPS memory \"Read\" does.",
         {{"OUT.log", "The NMEA log to write."}},
         {{"dump", "OUT.bin", "Also write the GPS memory as downloaded."},
          {"gpx", "OUT.gpx", "Also write the records as a GPX track."}},
         true,
         runReadGps},
        {"erase-gps",
         "Erase the tracker's GPS memory.",
         "Erases the tracker's GPS memory and waits for the tracker to finish, as the GPS "
         "memory \"Erase\" does. There is no question first.",
         {},
         {},
         true,
         runEraseGps},
        {"upload-firmware",
         "Upload firmware to the tracker.",
         "Sends a firmware image to the tracker, as \"Upload firmware\" does: the given file "
         "(at most 112640 bytes), or else the image this program carries (with --simulate, a "
         "test image).",
         {{"FILE.bin", "The firmware image to send.", true}},
         {},
         true,
         runUploadFirmware},
    };
    return table;
}

QString synopsis(const Subcommand& c) {
    QStringList parts{QString::fromLatin1(c.name)};
    for (const Positional& p : c.positionals) {
        parts << (p.optional ? QStringLiteral("[%1]").arg(p.name) : QString::fromLatin1(p.name));
    }
    for (const ValueOption& o : c.options) {
        parts << QStringLiteral("[--%1 %2]").arg(o.name, o.valueName);
    }
    if (c.device) {
        parts << QStringLiteral("[--simulate]");
    }
    return parts.join(QLatin1Char(' '));
}

QString usageLine(const Subcommand& c) {
    return QStringLiteral("Usage: %1 %2").arg(kProgram, synopsis(c));
}

// Two columns, the first padded to `width`.
QString row(const QString& left, const QString& right, int width) {
    return QStringLiteral("  %1  %2\n").arg(left.leftJustified(width), right);
}

QString toolHelp() {
    QString text =
        QStringLiteral(
            "Usage: %1 COMMAND [ARGUMENTS] [OPTIONS]\n\n"
            "The Veltromark Configurator from the command line: the same reading, checking and "
            "writing\nof configurations, GPS memory and firmware as the window, for scripts, "
            "backups and many\ntrackers.\n\nCommands:\n")
            .arg(kProgram);
    int width = 0;
    for (const Subcommand& c : commands()) {
        width = std::max(width, static_cast<int>(qstrlen(c.name)));
    }
    for (const Subcommand& c : commands()) {
        text += row(QString::fromLatin1(c.name), QString::fromLatin1(c.summary), width);
    }
    text += QStringLiteral(
        "\nOptions:\n"
        "  -h, --help   Show this help; COMMAND --help shows the help of a command.\n"
        "  --version    Show the version.\n\n"
        "Device commands work on the first tracker found, or on a simulated tracker with\n"
        "--simulate. The activity log, messages and errors go to standard error.\n\n"
        "Exit status: 0 success, 1 the operation refused or failed, 2 bad usage.\n");
    return text;
}

// `text` broken into lines of at most `width` characters at blanks.
QString wrapped(const QString& text, int width) {
    QString out;
    qsizetype lineLength = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            out += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            out += QLatin1Char(' ');
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
    }
    return out + QLatin1Char('\n');
}

QString commandHelp(const Subcommand& c) {
    QString text =
        usageLine(c) + QStringLiteral("\n\n") + wrapped(QString::fromLatin1(c.description), 90);
    int width = 10;
    for (const Positional& p : c.positionals) {
        width = std::max(width, static_cast<int>(qstrlen(p.name)));
    }
    for (const ValueOption& o : c.options) {
        width = std::max(width, static_cast<int>(qstrlen(o.name) + qstrlen(o.valueName) + 3));
    }
    if (!c.positionals.empty()) {
        text += QStringLiteral("\nArguments:\n");
        for (const Positional& p : c.positionals) {
            text += row(QString::fromLatin1(p.name), QString::fromLatin1(p.help), width);
        }
    }
    text += QStringLiteral("\nOptions:\n");
    for (const ValueOption& o : c.options) {
        text += row(QStringLiteral("--%1 %2").arg(o.name, o.valueName), QString::fromLatin1(o.help),
                    width);
    }
    if (c.device) {
        text += row(QStringLiteral("--simulate"),
                    QStringLiteral("Work on a simulated tracker instead of a real one."), width);
    }
    text += row(QStringLiteral("-h, --help"), QStringLiteral("Show this help."), width);
    return text;
}

bool sameFile(const QString& a, const QString& b) {
    const auto key = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    };
    return key(a) == key(b);
}

int badUsage(CliHost& host, const QString& problem, const QString& hint) {
    host.say(complaint(problem));
    host.say(hint);
    return kExitBadUsage;
}

int runCommand(const Subcommand& command, const QStringList& arguments, CliHost& host,
               const std::function<void(const QByteArray&)>& out) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption simulate(QStringLiteral("simulate"));
    parser.addOption(help);
    if (command.device) {
        parser.addOption(simulate);
    }
    for (const ValueOption& o : command.options) {
        parser.addOption(QCommandLineOption(QString::fromLatin1(o.name),
                                            QString::fromLatin1(o.help),
                                            QString::fromLatin1(o.valueName)));
    }
    const QString hint =
        usageLine(command) + QStringLiteral("\nTry '%1 %2 --help'.").arg(kProgram, command.name);
    if (!parser.parse(arguments)) {
        return badUsage(host, QStringLiteral("%1: %2").arg(command.name, parser.errorText()), hint);
    }
    if (parser.isSet(help)) {
        out(commandHelp(command).toLocal8Bit());
        return kExitSuccess;
    }
    // The first positional argument is the command's own name.
    const QStringList given = parser.positionalArguments().mid(1);
    const auto required =
        static_cast<qsizetype>(std::count_if(command.positionals.begin(), command.positionals.end(),
                                             [](const Positional& p) { return !p.optional; }));
    const auto allowed = static_cast<qsizetype>(command.positionals.size());
    if (given.size() < required) {
        return badUsage(host,
                        QStringLiteral("%1: missing %2")
                            .arg(command.name, command.positionals[given.size()].name),
                        hint);
    }
    if (given.size() > allowed) {
        return badUsage(
            host, QStringLiteral("%1: unexpected argument '%2'").arg(command.name, given[allowed]),
            hint);
    }
    for (const ValueOption& o : command.options) {
        if (parser.isSet(o.name) && parser.value(o.name).isEmpty()) {
            return badUsage(
                host, QStringLiteral("%1: --%2 needs a file name").arg(command.name, o.name), hint);
        }
    }

    // Two arguments naming one file would have one output replace the other, or an output
    // replace its own input.
    QStringList files = given;
    for (const ValueOption& o : command.options) {
        if (parser.isSet(o.name)) {
            files << parser.value(o.name);
        }
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        for (qsizetype j = i + 1; j < files.size(); ++j) {
            if (sameFile(files[i], files[j])) {
                return badUsage(host,
                                QStringLiteral("%1: '%2' and '%3' name the same file")
                                    .arg(command.name, files[i], files[j]),
                                hint);
            }
        }
    }

    Invocation invocation{host, given, parser, command.device && parser.isSet(simulate)};
    if (invocation.simulate) {
        host.setSleepDivisor(kSimulatedSleepDivisor);
    }
    try {
        const int result = command.run(invocation);
        host.finish();
        return result;
    } catch (const ConversionError& e) {
        // The window shows this in its error box and ends the operation; so do we.
        host.applicationError(e.message());
        return kExitFailed;
    }
}

}  // namespace

int runCli(const QStringList& arguments, CliHost& host,
           const std::function<void(const QByteArray&)>& out) {
    // The command is the first argument that is not an option.
    const auto commandAt =
        std::find_if(arguments.begin() + std::min<qsizetype>(1, arguments.size()), arguments.end(),
                     [](const QString& a) { return !a.startsWith('-'); });
    if (commandAt == arguments.end()) {
        const QStringList options = arguments.mid(1);
        if (options.contains("-h") || options.contains("--help")) {
            out(toolHelp().toLocal8Bit());
            return kExitSuccess;
        }
        if (options == QStringList{"--version"}) {
            out(QStringLiteral("%1 %2\n")
                    .arg(kProgram, QLatin1String(kConfigVersion))
                    .toLocal8Bit());
            return kExitSuccess;
        }
        const QString hint = QStringLiteral("Try '%1 --help'.").arg(kProgram);
        if (options.isEmpty()) {
            return badUsage(host, QStringLiteral("no command given"), hint);
        }
        return badUsage(host, QStringLiteral("unknown option '%1'").arg(options.first()), hint);
    }
    for (const Subcommand& command : commands()) {
        if (*commandAt == QLatin1String(command.name)) {
            return runCommand(command, arguments, host, out);
        }
    }
    return badUsage(host, QStringLiteral("unknown command '%1'").arg(*commandAt),
                    QStringLiteral("Try '%1 --help' for the commands.").arg(kProgram));
}
