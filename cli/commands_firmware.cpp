// The firmware command: upload-firmware.

#include <QByteArray>
#include <QFileInfo>
#include <memory>
#include <optional>

#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/confirmation.h"
#include "cli/files.h"
#include "cli/tracker.h"
#include "operations/firmware_resource.h"
#include "operations/firmware_upload.h"

static int runUploadFirmware(Invocation& in) {
    std::optional<QByteArray> firmware;
    if (in.arguments.isEmpty()) {
        firmware = in.simulate ? std::optional<QByteArray>(demoFirmware()) : embeddedFirmware();
    } else {
        const QString& path = in.arguments[0];
        // One byte more than fits is enough for the upload to refuse a file that is too long.
        const std::optional<QByteArray> image =
            readFile(in.sink, path, static_cast<qint64>(kFirmwareBufferSize) + 1);
        if (!image) {
            return kExitFailed;
        }
        const qint64 size = QFileInfo(path).size();
        if (size == 0) {
            in.sink.say(
                complaint(QStringLiteral("%1 is empty; there is nothing to upload.").arg(path)));
            return kExitFailed;
        }
        const qint64 pages = (size + kPageSize - 1) / static_cast<qint64>(kPageSize);
        in.sink.say(QStringLiteral("%1: %2 bytes, %3 pages.").arg(path).arg(size).arg(pages));
        firmware = image;
    }
    Tracker tracker(in);
    const auto buffer = std::make_unique<FirmwareBuffer>();
    return status(
        shown(in.sink, uploadFirmware(tracker.link(), in.sink, commandLineWording(), firmware,
                                      *buffer, confirmation(in, "upload the firmware"))));
}

const CliCommand uploadFirmwareCommand = {
    .name = "upload-firmware",
    .summary = "Upload firmware to the tracker.",
    .description =
        "Sends a firmware image to the tracker, as \"Upload firmware\" does: the given file "
        "(at most 112640 bytes), or else the image this program carries (with --simulate, a "
        "test image). The tracker's present firmware cannot be read back: once the tracker is "
        "found it asks first, on the terminal; without a terminal to ask on it needs --yes.",
    .arguments = {{.name = "FILE.bin", .help = "The firmware image to send.", .optional = true}},
    .worksOnTracker = true,
    .asks = true,
    .run = runUploadFirmware,
};
