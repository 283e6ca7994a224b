#include "operations/gps_memory.h"

#include <QFileInfo>
#include <algorithm>
#include <span>

#include "gps/nmea_log.h"
#include "operations/operation_support.h"
#include "settings/output_file.h"
#include "settings/wording.h"

namespace {

constexpr int kGpsBlocks = static_cast<int>(kGpsMemorySize / kGpsBlockSize);
constexpr int kErasePolls = 20;
constexpr int kErasePollIntervalMs = 1000;

PageLoop readGpsPages(DeviceLink& link, ProgressSink& sink, GpsBuffer& buffer) {
    buffer.resize(kGpsMemorySize);
    return transferPages(sink, kGpsPages, PageDirection::Read, PageStop{"GPS memory download"},
                         [&](int p) { return link.readGpsPage(p, pageOf(buffer, p)); });
}

}  // namespace

bool readGpsMemory(DeviceLink& link, ProgressSink& sink, GpsBuffer& buffer) {
    return readGpsPages(link, sink, buffer) == PageLoop::Complete;
}

Outcome downloadGpsMemory(DeviceLink& link, ProgressSink& outer, const Wording& words,
                          const QString& path, GpsBuffer& buffer,
                          const GpsExtraOutputs& extraOutputs) {
    OperationSink sink(outer);
    // The new log goes to a temporary file beside the target, which it replaces only once it
    // is complete; a missing device never touches an existing file.
    OutputFile log(path);
    if (!log.open()) {
        // The box's own words, then which file and why on a line of their own.
        return sink.failure(
            Box{words.logNotCreatedTitle, words.logNotCreated + u'\n' + log.failure()});
    }
    buffer.assign(kGpsMemorySize, 0);

    LinkCloser closer(link);
    if (!link.openDevice(sink)) {
        return sink.failure();
    }
    const PageLoop loop = readGpsPages(link, sink, buffer);
    if (loop == PageLoop::Stopped) {
        // Stopped on purpose: no file is written, an existing log stays as it was.
        log.discard();
        if (QFileInfo::exists(path)) {
            sink.log(QStringLiteral("Existing log left as it was: %1.").arg(log.path()));
        }
        return sink.failure();
    }
    const bool complete = loop == PageLoop::Complete;

    // Records of the pages read so far; pages never read are zero and hold none.
    sink.progressStart(kGpsBlocks);
    QByteArray text;
    for (int b = 0; b < kGpsBlocks; ++b) {
        sink.progressStep();
        forEachGpsRecord(buffer.data() + b * kGpsBlockSize, kGpsBlockSize,
                         [&text](const GpsRecord& r) { text.append(nmeaSentences(r)); });
    }

    if (!complete) {
        sink.log("Tracker GPS memory read incomplete.");
        // The track is still in the tracker: a part of it must not replace a whole one.
        if (QFileInfo::exists(path)) {
            log.discard();
            sink.log(QStringLiteral("Existing log left as it was: %1.").arg(log.path()));
            return sink.failure();
        }
    }

    if (!log.write(text)) {
        sink.log(QStringLiteral("Cannot write %1").arg(log.failure()));
        return sink.failure();
    }
    std::vector<OutputFile*> outputs{&log};
    if (complete && extraOutputs && !extraOutputs(buffer, outputs)) {
        return sink.failure();  // it has said why; the log is dropped with the rest
    }
    if (const OutputFile* failed = commitAll(outputs)) {
        sink.log(QStringLiteral("Cannot write %1").arg(failed->failure()));
        return sink.failure();
    }
    if (!complete) {
        return sink.failure();
    }
    sink.log("Tracker GPS memory read success.");
    return sink.success();
}

namespace {

// Polls the erase status up to 20 times, a second apart, until the tracker reports done; the
// sink may stop the wait after any of the pauses.
PageLoop waitGpsErase(DeviceLink& link, ProgressSink& sink) {
    for (int poll = 1; poll <= kErasePolls; ++poll) {
        switch (link.pollGpsErase()) {
            case EraseStatus::ExchangeFailed:
                return PageLoop::Failed;
            case EraseStatus::Finished:
                return PageLoop::Complete;
            case EraseStatus::Erasing:
                sink.log("waiting for chip erase...");
                sink.wait(kErasePollIntervalMs);
                if (!sink.mayGoOn()) {
                    sink.log(QStringLiteral("Erase wait stopped after poll %1/%2. The tracker may "
                                            "still be erasing; its GPS memory is not usable "
                                            "until it has finished.")
                                 .arg(poll)
                                 .arg(kErasePolls));
                    return PageLoop::Stopped;
                }
                break;
        }
    }
    return PageLoop::Failed;
}

}  // namespace

Question eraseQuestion(const Wording& words) {
    return {QStringLiteral("Erase"),
            QStringLiteral("Erasing the tracker's GPS memory cannot be undone: a track not yet "
                           "downloaded %1 will be lost.\n\nErase the GPS memory now?")
                .arg(words.readGps)};
}

Outcome eraseGpsMemory(DeviceLink& link, ProgressSink& outer, const Wording& words,
                       const Confirm& confirm) {
    OperationSink sink(outer);
    LinkCloser closer(link);
    if (!link.openDevice(sink)) {
        return sink.failure();
    }
    if (!confirm(eraseQuestion(words))) {
        sink.log("Erase cancelled.");
        return sink.failure();
    }
    // A stop asked for before the request means the request is never sent.
    if (!sink.mayGoOn()) {
        sink.log("Erase stopped before it began; the GPS memory was not changed.");
        return sink.failure();
    }
    sink.log("Erasing tracker GPS memory. Please wait a few seconds.");
    if (!link.startGpsErase()) {
        sink.log("Erase error.");
        return sink.failure();
    }
    const PageLoop wait = waitGpsErase(link, sink);
    if (wait == PageLoop::Stopped) {
        return sink.failure();
    }
    const bool complete = wait == PageLoop::Complete;
    sink.log(complete ? "Erase complete." : "Erase error.");
    return complete ? sink.success() : sink.failure();
}
