// The GPS memory commands: read-gps, erase-gps, and nmea for a dump read before.

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <vector>

#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/confirmation.h"
#include "cli/files.h"
#include "cli/stop_signal.h"
#include "cli/tracker.h"
#include "gps/gps_record.h"
#include "gps/gpx_track.h"
#include "gps/nmea_log.h"
#include "operations/gps_memory.h"
#include "settings/output_file.h"

namespace {

// The name GPX files written by this tool carry as their creator.
const QString kGpxCreator = QStringLiteral("veltromark-cli");

// GPS memory dumps are read and decoded this many bytes at a time (whole blocks).
constexpr qint64 kDumpChunk = qint64{64} * 1024;

// A GPX track written a batch of records at a time: the XML goes to memory and from there,
// checked, into the file.
class GpxOutput {
  public:
    explicit GpxOutput(const QString& path) : path_(path), file_(path) {
        buffer_.open(QIODevice::WriteOnly);
        writer_ = std::make_unique<GpxTrackWriter>(&buffer_, QFileInfo(path).completeBaseName(),
                                                   kGpxCreator);
    }

    OutputFile& file() { return file_; }

    bool open(CliSink& sink) { return file_.open() || cannotWrite(sink, file_); }

    // Adds the records of a piece of GPS memory.
    bool add(CliSink& sink, const std::uint8_t* memory, std::size_t size) {
        forEachGpsRecord(memory, size, [this](const GpsRecord& r) { writer_->add(r); });
        return drain(sink);
    }

    bool finish(CliSink& sink) {
        writer_->finish();
        return drain(sink);
    }

    // Said once the track is in place.
    void reportLeftOut(CliSink& sink) const {
        if (writer_->leftOut() > 0) {
            sink.say(complaint(QStringLiteral("%1: %2 records without a valid position left out")
                                   .arg(path_)
                                   .arg(writer_->leftOut())));
        }
    }

  private:
    bool drain(CliSink& sink) {
        const bool ok = !writer_->hasError() && file_.write(bytes_);
        bytes_.clear();
        buffer_.seek(0);
        return ok || cannotWrite(sink, file_);
    }

    QString path_;
    OutputFile file_;
    QByteArray bytes_;
    QBuffer buffer_{&bytes_};
    std::unique_ptr<GpxTrackWriter> writer_;
};

}  // namespace

static int runReadGps(Invocation& in) {
    Tracker tracker(in);
    // The dump and the track are made ready beside the log and put in place with it.
    std::unique_ptr<OutputFile> dump;
    std::unique_ptr<GpxOutput> gpx;
    const auto extraOutputs = [&](const GpsBuffer& memory, std::vector<OutputFile*>& outputs) {
        in.sink.finish();
        if (in.has("dump")) {
            dump = std::make_unique<OutputFile>(in.option("dump"));
            if (!fill(in.sink, *dump, QByteArrayView(memory.data(), memory.size()))) {
                return false;
            }
            outputs.push_back(dump.get());
        }
        if (in.has("gpx")) {
            gpx = std::make_unique<GpxOutput>(in.option("gpx"));
            if (!gpx->open(in.sink) || !gpx->add(in.sink, memory.data(), memory.size()) ||
                !gpx->finish(in.sink)) {
                return false;
            }
            outputs.push_back(&gpx->file());
        }
        return true;
    };
    GpsBuffer buffer;
    if (!shown(in.sink, downloadGpsMemory(tracker.link(), in.sink, commandLineWording(),
                                          in.arguments[0], buffer, extraOutputs))) {
        return kExitFailed;
    }
    if (gpx) {
        gpx->reportLeftOut(in.sink);
    }
    return kExitSuccess;
}

const CliCommand readGpsCommand = {
    .name = "read-gps",
    .summary = "Download the tracker's GPS memory into an NMEA log.",
    .description =
        "Downloads the tracker's whole GPS memory and writes every valid record to the NMEA "
        "log, as the GPS memory \"Read\" does.",
    .arguments = {{.name = "OUT.log", .help = "The NMEA log to write."}},
    .options = {{.name = "dump",
                 .valueName = "OUT.bin",
                 .help = "Also write the GPS memory as downloaded."},
                {.name = "gpx",
                 .valueName = "OUT.gpx",
                 .help = "Also write the records as a GPX track."}},
    .worksOnTracker = true,
    .run = runReadGps,
};

static int runEraseGps(Invocation& in) {
    Tracker tracker(in);
    return status(shown(in.sink, eraseGpsMemory(tracker.link(), in.sink, commandLineWording(),
                                                confirmation(in, "erase the GPS memory"))));
}

const CliCommand eraseGpsCommand = {
    .name = "erase-gps",
    .summary = "Erase the tracker's GPS memory.",
    .description =
        "Erases the tracker's GPS memory and waits for the tracker to finish, as the GPS "
        "memory \"Erase\" does. Once the tracker is found it asks first, on the terminal; "
        "without a terminal to ask on it needs --yes.",
    .worksOnTracker = true,
    .asks = true,
    .run = runEraseGps,
};

static int runNmea(Invocation& in) {
    const QString& path = in.arguments[0];
    QFile dump(path);
    if (!openInput(in.sink, dump)) {
        return kExitFailed;
    }
    if (dump.size() == 0 || dump.size() % static_cast<qint64>(kGpsBlockSize) != 0) {
        in.sink.say(complaint(QStringLiteral("%1 is %2 bytes; a GPS memory dump is a whole number "
                                             "of %3-byte blocks.")
                                  .arg(path)
                                  .arg(dump.size())
                                  .arg(kGpsBlockSize)));
        return kExitFailed;
    }

    // The dump streams through in whole blocks, into the log and the track at once; both are
    // put in place only when both are complete.
    OutputFile log(in.arguments[1]);
    if (!log.open()) {
        return status(cannotWrite(in.sink, log));
    }
    std::unique_ptr<GpxOutput> gpx;
    if (in.has("gpx")) {
        gpx = std::make_unique<GpxOutput>(in.option("gpx"));
        if (!gpx->open(in.sink)) {
            return kExitFailed;
        }
    }
    qint64 records = 0;
    while (!dump.atEnd()) {
        // A stop signal drops the outputs half made; old files stay.
        if (stopSignalled()) {
            in.sink.say(complaint(QStringLiteral("stopped; nothing was written.")));
            return kExitFailed;
        }
        const QByteArray chunk = dump.read(kDumpChunk);
        if (dump.error() != QFileDevice::NoError) {
            in.sink.say(
                complaint(QStringLiteral("cannot read %1: %2").arg(path, dump.errorString())));
            return kExitFailed;  // the outputs are dropped, old files stay
        }
        const auto* memory = reinterpret_cast<const std::uint8_t*>(chunk.constData());
        const auto size = static_cast<std::size_t>(chunk.size());
        if (!log.write(nmeaLog(memory, size))) {
            return status(cannotWrite(in.sink, log));
        }
        if (gpx && !gpx->add(in.sink, memory, size)) {
            return kExitFailed;
        }
        forEachGpsRecord(memory, size, [&records](const GpsRecord&) { ++records; });
    }
    if ((gpx && !gpx->finish(in.sink)) ||
        !commitOutputs(in.sink, {&log, gpx ? &gpx->file() : nullptr})) {
        return kExitFailed;
    }
    in.sink.say(QStringLiteral("%1 records written to %2.").arg(records).arg(in.arguments[1]));
    if (gpx) {
        gpx->reportLeftOut(in.sink);
    }
    return kExitSuccess;
}

const CliCommand nmeaCommand = {
    .name = "nmea",
    .summary = "Turn a GPS memory dump into an NMEA log (and a GPX track).",
    .description =
        "Reads a GPS memory dump (a whole number of 256-byte blocks) and writes every valid "
        "record as a $GPRMC and a $GPGGA line, exactly as the GPS memory \"Read\" does. With "
        "--gpx, also writes the same records as a GPX 1.1 track.",
    .arguments = {{.name = "IN.bin", .help = "The GPS memory dump to read."},
                  {.name = "OUT.log", .help = "The NMEA log to write."}},
    .options = {{.name = "gpx",
                 .valueName = "OUT.gpx",
                 .help = "Also write the records as a GPX track."}},
    .run = runNmea,
};
