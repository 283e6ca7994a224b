#include "cli/commands.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <memory>
#include <optional>

#include "cli/cli_host.h"
#include "configfile/config_file.h"
#include "device/device_link.h"
#include "device/gps_record.h"
#include "device/hidapi_transport.h"
#include "image/decoder.h"
#include "image/encoder.h"
#include "image/image.h"
#include "operations/config_transfer.h"
#include "operations/firmware_resource.h"
#include "operations/firmware_upload.h"
#include "operations/gps_memory.h"
#include "operations/gpx_track.h"
#include "operations/nmea_log.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "sim/simulated_tracker.h"

QString complaint(const QString& text) {
    return QStringLiteral("veltromark-cli: ") + text;
}

namespace {

// The name GPX files written by this tool carry as their creator.
const QString kGpxCreator = QStringLiteral("veltromark-cli");

// A simulated tracker finishes its erase at this poll, so that a simulated run shows the
// waiting line without taking seconds.
constexpr int kSimulatedErasePolls = 2;
// ... and the pause between polls is this many times shorter than on a real tracker.
constexpr int kSimulatedSleepDivisor = 20;

// GPS memory dumps are read and decoded this many bytes at a time (whole blocks).
constexpr qint64 kDumpChunk = 64 * 1024;

// --- Files.

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
    GpxTrackWriter gpx(&file, QFileInfo(path).completeBaseName(), kGpxCreator);
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

// The tracker at --device, else the first tracker found, or a simulated one.
class Tracker {
  public:
    explicit Tracker(const Invocation& in) : Tracker(in.simulate, in.host) {
        link_->choosePath(in.device.toStdString());
    }
    Tracker(bool simulate, CliHost& host) {
        if (simulate) {
            auto sim = std::make_unique<SimulatedTracker>();
            sim->setErasePollsUntilDone(kSimulatedErasePolls);
            host.setSleepDivisor(kSimulatedSleepDivisor);
            transport_ = std::move(sim);
        } else {
            transport_ = std::make_unique<HidapiTransport>();
        }
        link_ = std::make_unique<DeviceLink>(*transport_);
    }
    DeviceLink& link() { return *link_; }
    HidTransport& transport() { return *transport_; }

  private:
    std::unique_ptr<HidTransport> transport_;
    std::unique_ptr<DeviceLink> link_;
};

int status(bool ok) {
    return ok ? kExitSuccess : kExitFailed;
}

}  // namespace

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
        gpx = std::make_unique<GpxTrackWriter>(gpxFile.get(), QFileInfo(gpxPath).completeBaseName(),
                                               kGpxCreator);
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
    Tracker tracker(in);
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
    Tracker tracker(in);
    ConfigImage writeImage{};
    return status(Button_write_configClick(*form, in.host, tracker.link(), writeImage));
}

int runReadGps(Invocation& in) {
    Tracker tracker(in);
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
    Tracker tracker(in);
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
    Tracker tracker(in);
    const auto buffer = std::make_unique<FirmwareBuffer>();
    return status(Button_upload_firmwareClick(in.host, tracker.link(), *buffer));
}

int runList(Invocation& in) {
    Tracker tracker(in);
    HidTransport& bus = tracker.transport();
    const std::vector<HidDeviceInfo> found = bus.describe(kTrackerVendorId, kTrackerProductId);
    if (found.empty()) {
        in.host.log(QStringLiteral("Veltromark not found."));
        return kExitFailed;
    }
    // Tab-separated, for people and for `cut`: path, serial number, product text, and whether
    // the tracker can be opened now. Opening it sends nothing.
    const auto field = [](const std::string& text) {
        return text.empty() ? QStringLiteral("-") : QString::fromStdString(text);
    };
    for (const HidDeviceInfo& device : found) {
        const OpenResult opened = bus.open(device.path);
        bus.close();
        const QString state = opened.opened ? QStringLiteral("can be opened")
                                            : QStringLiteral("cannot be opened: ") +
                                                  QString::fromStdString(opened.reason);
        in.out(QStringList{QString::fromStdString(device.path), field(device.serialNumber),
                           field(device.product), state}
                   .join(QLatin1Char('\t'))
                   .append(QLatin1Char('\n'))
                   .toLocal8Bit());
    }
    return kExitSuccess;
}
