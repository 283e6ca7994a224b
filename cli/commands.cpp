#include "cli/commands.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "aprs/beacon_packets.h"
#include "cli/cli_sink.h"
#include "cli/confirmation.h"
#include "cli/files.h"
#include "cli/json_output.h"
#include "cli/stop_signal.h"
#include "cli/tracker.h"
#include "configfile/config_file.h"
#include "device/device_link.h"
#include "device/gps_record.h"
#include "device/hidapi_transport.h"
#include "image/compare.h"
#include "image/decoder.h"
#include "image/encoder.h"
#include "image/image.h"
#include "operations/config_backup.h"
#include "operations/config_transfer.h"
#include "operations/firmware_resource.h"
#include "operations/firmware_upload.h"
#include "operations/gps_memory.h"
#include "operations/gpx_track.h"
#include "operations/nmea_log.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "settings/output_file.h"
#include "settings/schema.h"
#include "settings/visible_text.h"
#include "sim/simulated_fault.h"
#include "sim/simulated_tracker.h"

namespace {

// --- Settings.

// The settings as the window holds them right after start-up.
std::unique_ptr<MemoryForm> startupForm(CliSink& sink) {
    auto form = std::make_unique<MemoryForm>();
    sink.show(applyStartupDefaults(*form));
    return form;
}

// "Read from file" from `path`. A file that cannot be read is said so plainly instead of as
// "not a Veltromark configuration file". What of the file the import could not take goes to
// `unread`, when given, and is otherwise said, also with --quiet: it is a problem, not
// progress.
bool loadConfiguration(CliSink& sink, MemoryForm& form, const QString& path,
                       std::vector<UnreadValue>* unread = nullptr) {
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

// "Read from file" for a write (write-config, encode): every value the file could not give is
// said, also with --quiet, and unless --accept-defaults any but the keys a file of another
// version may lack stops the command before anything is written.
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

// The lines `check` prints for the values a file could not give, one per value.
QStringList unreadLines(const std::vector<UnreadValue>& unread) {
    QStringList lines;
    for (const UnreadValue& value : unread) {
        lines << value.line();
    }
    return lines;
}

// "Save to file" into `out`, not yet put in place. A file that cannot be written is said as
// every output of the tool says it, in place of the window's error box.
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

// --- Results as JSON.

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

}  // namespace

int runDefaults(Invocation& in) {
    const auto form = startupForm(in.sink);
    return status(saveConfiguration(in.sink, *form, in.arguments[0]));
}

int runEncode(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadForWrite(in, *form)) {
        return kExitFailed;
    }
    ConfigImage image{};
    if (const std::optional<QString> refusal = EncodeSettings(*form, in.sink.now(), image)) {
        in.sink.show({informationBox(*refusal)});
        return kExitFailed;
    }
    return status(writeFile(in.sink, in.arguments[1], QByteArrayView(image.data(), image.size())));
}

int runCheck(Invocation& in) {
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

namespace {

// "Read config" from an image file: its size, checksum and end marker checked first.
bool loadImage(CliSink& sink, MemoryForm& form, const QString& path) {
    const std::optional<QByteArray> bytes =
        readFile(sink, path, static_cast<qint64>(kImageSize) + 1);
    if (!bytes) {
        return false;
    }
    if (bytes->size() != static_cast<qsizetype>(kImageSize)) {
        const qint64 size = QFileInfo(path).size();
        sink.say(complaint(QStringLiteral("%1 is %2 bytes; a configuration image is %3 bytes.")
                               .arg(path)
                               .arg(size)
                               .arg(kImageSize)));
        return false;
    }
    ConfigImage image{};
    std::copy(bytes->begin(), bytes->end(), image.begin());
    if (!CheckImage(image)) {
        sink.say(complaint(QStringLiteral("%1: image checksum or end marker wrong; not a "
                                          "configuration image.")
                               .arg(path)));
        return false;
    }
    return shown(sink, DecodeImage(form, image));
}

// True when the file at `path` holds a configuration image: an image's size, and its checksum
// and end marker right. A configuration file of that size is text and fails the checksum.
bool holdsImage(const QString& path) {
    QFile file(path);
    if (file.size() != static_cast<qint64>(kImageSize) || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.read(static_cast<qint64>(kImageSize));
    ConfigImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return bytes.size() == static_cast<qsizetype>(kImageSize) && CheckImage(image);
}

// One side of "diff": the tracker, an image (a .bin file, or a file that holds one) or a
// configuration file, each onto the start-up settings. What a configuration file could not
// give goes to `unread`, when given.
bool loadSide(Invocation& in, MemoryForm& form, const QString& side,
              std::vector<UnreadValue>* unread = nullptr) {
    if (side == QLatin1String("tracker")) {
        Tracker tracker(in);
        ConfigImage readImage{};
        const bool ok = shown(in.sink, readConfiguration(tracker.link(), in.sink, form, readImage));
        in.sink.finish();
        return ok;
    }
    const QFileInfo file(side);
    if (file.suffix().compare(QLatin1String("bin"), Qt::CaseInsensitive) == 0 ||
        (file.isFile() && holdsImage(side))) {
        return loadImage(in.sink, form, side);
    }
    return loadConfiguration(in.sink, form, side, unread);
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

int runDecode(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadImage(in.sink, *form, in.arguments[0])) {
        return kExitFailed;
    }
    return status(saveConfiguration(in.sink, *form, in.arguments[1]));
}

int runDiff(Invocation& in) {
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

int runBeacons(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadSide(in, *form, in.arguments[0])) {
        return kExitFailed;
    }
    SampleValues samples;
    samples.utcNow = QDateTime::currentDateTimeUtc();
    if (in.has("gps")) {
        // The last record of the dump, as the last record of a download.
        const std::optional<QByteArray> dump =
            readFile(in.sink, in.option("gps"), static_cast<qint64>(kGpsMemorySize));
        if (!dump) {
            return kExitFailed;
        }
        forEachGpsRecord(reinterpret_cast<const std::uint8_t*>(dump->constData()),
                         static_cast<std::size_t>(dump->size()), [&samples](const GpsRecord& r) {
                             samples.gps = GpsFix{r.latitude, r.longitude, r.time, r.date};
                         });
    }
    bool problems = false;
    for (const BeaconReport& beacon : readBeacons(*form, samples)) {
        for (const QString& line : describeBeacon(beacon)) {
            printLine(in, line);
        }
        problems = problems || !beacon.reading.ok();
    }
    return problems ? kExitFailed : kExitSuccess;
}

int runReadConfig(Invocation& in) {
    Tracker tracker(in);
    const auto form = startupForm(in.sink);
    ConfigImage readImage{};
    if (!shown(in.sink, readConfiguration(tracker.link(), in.sink, *form, readImage))) {
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

namespace {

// How the tool writes a backup back.
BackupPlan toolBackups() {
    return {defaultBackupFolder(), QStringLiteral("\"veltromark-cli restore %1\"")};
}

}  // namespace

int runWriteConfig(Invocation& in) {
    const auto form = startupForm(in.sink);
    if (!loadForWrite(in, *form)) {
        return kExitFailed;
    }
    Tracker tracker(in);
    ConfigImage writeImage{};
    return status(shown(
        in.sink, writeConfiguration(tracker.link(), in.sink, *form, writeImage, toolBackups())));
}

int runBackups(Invocation& in) {
    const QString folder = defaultBackupFolder();
    const std::vector<Backup> backups = listBackups(folder);
    if (backups.empty()) {
        in.sink.say(QStringLiteral("No configuration backups in %1.")
                        .arg(QDir::toNativeSeparators(folder)));
        return kExitSuccess;
    }
    // Newest first, tab-separated: time (UTC), station, firmware, USB serial, state, file.
    for (auto b = backups.rbegin(); b != backups.rend(); ++b) {
        // Each field written out visibly on its own, so that the tabs between them stay tabs.
        QStringList fields{
            b->time.toString(Qt::ISODate),
            b->station(),
            b->firmware ? QString::asprintf("%.2f", *b->firmware / 100.0) : QStringLiteral("-"),
            b->serial.isEmpty() ? QStringLiteral("-") : b->serial,
            b->damaged ? QStringLiteral("damaged") : QStringLiteral("good"),
            QDir::toNativeSeparators(b->path)};
        for (QString& field : fields) {
            field = visibleText(field);
        }
        in.out((fields.join(QLatin1Char('\t')) + u'\n').toUtf8());
    }
    return kExitSuccess;
}

int runRestore(Invocation& in) {
    // A path, or the name of a backup in the backups folder as "backups" lists it.
    QString path = in.arguments[0];
    if (!QFileInfo::exists(path) && !path.contains(QLatin1Char('/')) &&
        !path.contains(QLatin1Char('\\'))) {
        const QString inFolder = QDir(defaultBackupFolder()).filePath(path);
        if (QFileInfo::exists(inFolder)) {
            path = inFolder;
        }
    }
    if (!regularFile(in.sink, path)) {
        return kExitFailed;
    }
    QString failure;
    const std::optional<ConfigImage> image = loadBackup(path, &failure);
    if (!image) {
        in.sink.say(complaint(failure));
        return kExitFailed;
    }
    // The question comes once the tracker is found and its configuration read: it names the
    // tracker's serial number where the backup was made of another one.
    const Confirm ask =
        confirmation(in, QStringLiteral("restore %1").arg(QFileInfo(path).fileName()));
    Tracker tracker(in);
    in.sink.log(QStringLiteral("Restoring the backup %1.").arg(QDir::toNativeSeparators(path)));
    return status(shown(
        in.sink,
        restoreConfiguration(tracker.link(), in.sink, {path, *image}, toolBackups(),
                             [&ask](const RestoreCheck& check) { return ask(check.question); })));
}
