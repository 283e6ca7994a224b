#pragma once

#include <QString>
#include <cstddef>
#include <span>
#include <type_traits>

#include "device/device_link.h"
#include "settings/host.h"

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
enum class PageEvents { Held, RunBetweenPages };

// One page loop of a device operation: the progress bar runs from 0 to `count`, `transfer(p)`
// moves the pages in ascending order with a log line each ("Page read: 1/256",
// "Page written: 1/256"), and the first page that fails ends the loop with its error line,
// without retry, the bar left where it stopped. After the last page the bar goes back to 0.
// True when every page went through.
template <typename Transfer>
bool transferPages(Host& host, int count, PageDirection direction, PageEvents events,
                   Transfer&& transfer) {
    const bool read = direction == PageDirection::Read;
    const char* done = read ? "Page read" : "Page written";
    const char* failed = read ? "Page read error" : "Page write error";
    host.progressStart(count);
    for (int p = 0; p < count; ++p) {
        if (events == PageEvents::RunBetweenPages) {
            host.processEvents();
        }
        if (!transfer(p)) {
            host.log(pageLine(failed, p, count));
            return false;
        }
        host.log(pageLine(done, p, count));
        host.progressStep();
    }
    host.progressReset();
    return true;
}

// Closes the link when the operation leaves its scope, on every way out.
class LinkCloser {
  public:
    explicit LinkCloser(DeviceLink& link) : link_(link) {}
    ~LinkCloser() { link_.CloseDevice(); }
    LinkCloser(const LinkCloser&) = delete;
    LinkCloser& operator=(const LinkCloser&) = delete;

  private:
    DeviceLink& link_;
};

// Disables the seven command buttons for its lifetime and enables them again on every way
// out, for the operations that let window events run between exchanges.
class CommandButtonsDisabled {
  public:
    explicit CommandButtonsDisabled(Host& host) : host_(host) {
        host_.setCommandButtonsEnabled(false);
    }
    ~CommandButtonsDisabled() { host_.setCommandButtonsEnabled(true); }
    CommandButtonsDisabled(const CommandButtonsDisabled&) = delete;
    CommandButtonsDisabled& operator=(const CommandButtonsDisabled&) = delete;

  private:
    Host& host_;
};
