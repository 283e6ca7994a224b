#pragma once

#include <QString>

#include "device/device_link.h"
#include "settings/host.h"

// "Page read: 3/256" and its siblings: the word, the 1-based page number, the page total.
inline QString pageLine(const char* what, int pageIndex, int pageCount) {
    return QStringLiteral("%1: %2/%3").arg(QLatin1String(what)).arg(pageIndex + 1).arg(pageCount);
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
