// The trackers command: list.

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <string>
#include <vector>

#include "cli/cli_sink.h"
#include "cli/command_registry.h"
#include "cli/json_output.h"
#include "cli/tracker.h"
#include "device/device_link.h"
#include "settings/visible_text.h"

namespace {

// One tracker of "list --json": where it is, what it says it is, and whether it can be opened.
QJsonObject trackerJson(const HidDeviceInfo& device, const OpenResult& opened) {
    return {{QStringLiteral("path"), QString::fromStdString(device.path)},
            {QStringLiteral("serialNumber"), QString::fromStdString(device.serialNumber)},
            {QStringLiteral("product"), QString::fromStdString(device.product)},
            {QStringLiteral("canOpen"), opened.opened},
            {QStringLiteral("reason"), QString::fromStdString(opened.reason)}};
}

}  // namespace

static int runList(Invocation& in) {
    Tracker tracker(in);
    HidTransport& bus = tracker.transport();
    const std::vector<HidDeviceInfo> found = tracker.link().chooser().trackers();
    QJsonArray trackers;
    if (found.empty()) {
        in.sink.say(QStringLiteral("Veltromark not found."));
        in.sink.say(
            QStringLiteral("Is the tracker plugged in? The system sees no USB device with "
                           "vendor 0483 and product a04d."));
        if (in.json) {
            printJson(in, {{QStringLiteral("trackers"), trackers}});
        }
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
        if (in.json) {
            trackers.append(trackerJson(device, opened));
            continue;
        }
        const QString state = opened.opened ? QStringLiteral("can be opened")
                                            : QStringLiteral("cannot be opened: ") +
                                                  QString::fromStdString(opened.reason);
        // Tabs separate the fields; within them every control character is written out.
        in.out(QStringList{visibleText(QString::fromStdString(device.path)),
                           visibleText(field(device.serialNumber)),
                           visibleText(field(device.product)), visibleText(state)}
                   .join(QLatin1Char('\t'))
                   .append(QLatin1Char('\n'))
                   .toLocal8Bit());
    }
    if (in.json) {
        printJson(in, {{QStringLiteral("trackers"), trackers}});
    }
    return kExitSuccess;
}

const CliCommand listCommand = {
    .name = "list",
    .summary = "List the trackers found, and whether each can be opened.",
    .description =
        "Lists every tracker found, one line each with its device path, serial number, product "
        "text and whether it can be opened (and why not), separated by tabs. Nothing is sent to "
        "the trackers. Fails when no tracker is found.",
    .worksOnTracker = true,
    .takesDevicePath = false,
    .json = true,
    .run = runList,
};
