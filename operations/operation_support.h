#pragma once

#include <QString>
#include <cstddef>
#include <span>
#include <type_traits>

#include "device/device_link.h"
#include "settings/outcome.h"
#include "settings/progress_sink.h"

// "Page read: 3/256" and its siblings: the word, the 1-based page number, the page total.
inline QString pageLine(const char* what, int pageIndex, int pageCount) {
    return QStringLiteral("%1: %2/%3").arg(QLatin1String(what)).arg(pageIndex + 1).arg(pageCount);
}

// Page `p` of a buffer as the link reads or writes it.
template <typename Bytes>
auto pageOf(Bytes& bytes, int p) {
    return std::span<std::remove_pointer_t<decltype(bytes.data())>, kPageSize>(
        bytes.data() + static_cast<std::size_t>(p) * kPageSize, kPageSize);
}

enum class PageDirection { Read, Write };

// Whether Stop (or Ctrl+C) may end a page loop between pages. A loop that may be stopped
// names itself for the line that says where it stopped ("Configuration read stopped before
// page 5/256."); one that must not (a write: a half-written tracker is worse than a finished
// one) has no name, and goes on whatever the sink answers.
struct PageStop {
    const char* loop = nullptr;
};
inline constexpr PageStop kNeverStop{};

enum class PageLoop { Complete, Failed, Stopped };

// One page loop of a device operation: the progress bar runs from 0 to `count`, `transfer(p)`
// moves the pages in ascending order with a log line each ("Page read: 1/256",
// "Page written: 1/256"), and the first page that fails ends the loop with its error line,
// without retry, the bar left where it stopped. After the last page the bar goes back to 0.
// Before each page the sink may let window events run and says whether to go on; a loop that
// may be stopped then ends with its stop line, the bar left where it stopped.
template <typename Transfer>
PageLoop transferPages(ProgressSink& sink, int count, PageDirection direction, PageStop stop,
                       Transfer&& transfer) {
    const bool read = direction == PageDirection::Read;
    const char* done = read ? "Page read" : "Page written";
    const char* failed = read ? "Page read error" : "Page write error";
    sink.progressStart(count);
    for (int p = 0; p < count; ++p) {
        if (!sink.mayGoOn() && stop.loop != nullptr) {
            sink.log(QStringLiteral("%1 stopped before page %2/%3.")
                         .arg(QLatin1String(stop.loop))
                         .arg(p + 1)
                         .arg(count));
            return PageLoop::Stopped;
        }
        if (!transfer(p)) {
            sink.log(pageLine(failed, p, count));
            return PageLoop::Failed;
        }
        sink.log(pageLine(done, p, count));
        sink.progressStep();
    }
    sink.progressReset();
    return PageLoop::Complete;
}

// Closes the link when the operation leaves its scope, on every way out.
class LinkCloser {
  public:
    explicit LinkCloser(DeviceLink& link) : link_(link) {}
    ~LinkCloser() { link_.closeDevice(); }
    LinkCloser(const LinkCloser&) = delete;
    LinkCloser& operator=(const LinkCloser&) = delete;

  private:
    DeviceLink& link_;
};

// The sink of one operation: passes everything on, and counts and keeps the lines logged, so
// that the operation can place its boxes among them and name its failure.
class OperationSink : public ProgressSink {
  public:
    explicit OperationSink(ProgressSink& sink) : sink_(sink) {}

    void log(const QString& line) override {
        ++lines_;
        last_ = line;
        sink_.log(line);
    }
    void progressStart(int maximum) override { sink_.progressStart(maximum); }
    void progressStep() override { sink_.progressStep(); }
    void progressReset() override { sink_.progressReset(); }
    bool mayGoOn() override { return sink_.mayGoOn(); }
    std::int64_t now() override { return sink_.now(); }
    void wait(int milliseconds) override { sink_.wait(milliseconds); }

    int lines() const { return lines_; }

    // `outcome` (its boxes so far) as a success.
    Outcome success(Outcome outcome = {}) const {
        outcome.ok = true;
        return outcome;
    }
    // A failure named by the last line logged.
    Outcome failure(Outcome outcome = {}) const {
        outcome.ok = false;
        outcome.failure = last_;
        return outcome;
    }
    // A failure named by `box`, which is shown.
    Outcome failure(Box box, Outcome outcome = {}) const {
        outcome.ok = false;
        outcome.failure = box.text;
        outcome.show(std::move(box), lines_);
        return outcome;
    }

  private:
    ProgressSink& sink_;
    int lines_ = 0;
    QString last_;
};
