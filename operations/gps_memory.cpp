#include "operations/gps_memory.h"

#include <QFileInfo>
#include <algorithm>
#include <span>

#include "operations/nmea_log.h"
#include "operations/operation_support.h"
#include "settings/output_file.h"

namespace {

constexpr int kGpsBlocks = static_cast<int>(kGpsMemorySize / kGpsBlockSize);
constexpr int kErasePolls = 20;
constexpr int kErasePollIntervalMs = 1000;

}  // namespace

bool ReadGpsMemory(Host& host, DeviceLink& link, GpsBuffer& buffer) {
    buffer.resize(kGpsMemorySize);
    return transferPages(host, kGpsPages, PageDirection::Read, PageEvents::RunBetweenPages,
                         [&](int p) { return link.ReadGpsPage(p, pageOf(buffer, p)); });
}

bool Button_read_memoryClick(Host& host, DeviceLink& link, GpsBuffer& buffer,
                             const GpsExtraOutputs& extraOutputs) {
    const std::optional<QString> path = host.chooseFile(FileDialog::SaveGpsLog);
    if (!path) {
        return false;
    }
    // The new log goes to a temporary file beside the target, which it replaces only once it
    // is complete; a missing device never touches an existing file.
    OutputFile log(*path);
    if (!log.open()) {
        host.messageBox("Blad otwarcia pliku", "Nie mozna otworzyc pliku docelowego.");
        return false;
    }
    buffer.assign(kGpsMemorySize, 0);

    LinkCloser closer(link);
    if (!link.OpenDevice(host)) {
        return false;
    }
    bool complete = false;
    {
        CommandButtonsDisabled disabled(host);
        complete = ReadGpsMemory(host, link, buffer);
    }

    // Records of the pages read so far; pages never read are zero and hold none.
    host.progressStart(kGpsBlocks);
    QByteArray text;
    for (int b = 0; b < kGpsBlocks; ++b) {
        host.progressStep();
        forEachGpsRecord(buffer.data() + b * kGpsBlockSize, kGpsBlockSize,
                         [&text](const GpsRecord& r) { text.append(nmeaSentences(r)); });
    }

    if (!complete) {
        host.log("Tracker GPS memory read incomplete.");
        // The track is still in the tracker: a part of it must not replace a whole one.
        if (QFileInfo::exists(*path)) {
            log.discard();
            host.log(QStringLiteral("Existing log left as it was: %1.").arg(log.path()));
            return false;
        }
    }

    if (!log.write(text)) {
        host.log(QStringLiteral("Tracker GPS memory log not written: %1.").arg(log.failure()));
        return false;
    }
    std::vector<OutputFile*> outputs{&log};
    if (complete && extraOutputs && !extraOutputs(buffer, outputs)) {
        return false;  // it has said why; the log is dropped with the rest
    }
    if (const OutputFile* failed = commitAll(outputs)) {
        host.log(QStringLiteral("Tracker GPS memory log not written: %1.").arg(failed->failure()));
        return false;
    }
    if (complete) {
        host.log("Tracker GPS memory read success.");
    }
    return complete;
}

bool WaitGpsErase(Host& host, DeviceLink& link) {
    for (int poll = 1; poll <= kErasePolls; ++poll) {
        switch (link.PollGpsErase()) {
            case EraseStatus::ExchangeFailed:
                return false;
            case EraseStatus::Finished:
                return true;
            case EraseStatus::Erasing:
                host.log("waiting for chip erase...");
                host.processEvents();
                host.sleep(kErasePollIntervalMs);
                break;
        }
    }
    return false;
}

bool Button_erase_memoryClick(Host& host, DeviceLink& link) {
    LinkCloser closer(link);
    if (!link.OpenDevice(host)) {
        return false;
    }
    CommandButtonsDisabled disabled(host);
    host.log("Erasing tracker GPS memory. Please wait a few seconds.");
    if (!link.StartGpsErase()) {
        host.log("Erase error.");
        return false;
    }
    const bool complete = WaitGpsErase(host, link);
    host.log(complete ? "Erase complete." : "Erase error.");
    return complete;
}
