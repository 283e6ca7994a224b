#include "sim/simulated_tracker.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

constexpr std::uint8_t code(Command command) {
    return static_cast<std::uint8_t>(command);
}

// Replies the tracker gives to a request it refuses.
constexpr std::uint8_t kRefused = 0x00;

}  // namespace

SimulatedTracker::Wait SimulatedTracker::realSleep() {
    return [](std::chrono::microseconds time) { std::this_thread::sleep_for(time); };
}

SimulatedTracker::SimulatedTracker()
    : eeprom_(sampleConfigurationImage()), gps_(sampleGpsMemory()) {}

// --- Bus -------------------------------------------------------------------------------------

std::vector<std::string> SimulatedTracker::enumerate(std::uint16_t vendor, std::uint16_t product) {
    std::vector<std::string> paths;
    auto add = [&](const std::vector<BusDevice>& devices) {
        for (const BusDevice& d : devices) {
            if (d.vendor == vendor && d.product == product) {
                paths.push_back(d.path);
            }
        }
    };
    add(before_);
    if (trackerReachable() && vendor == kTrackerVendorId && product == product_) {
        paths.emplace_back(kPath);
    }
    add(after_);
    return paths;
}

void SimulatedTracker::setPresent(bool present) {
    present_ = present;
    if (present) {
        unplugged_ = false;
    }
}

void SimulatedTracker::addDevice(const std::string& path, std::uint16_t vendor,
                                 std::uint16_t product, bool beforeTracker) {
    (beforeTracker ? before_ : after_).push_back({path, vendor, product});
}

OpenResult SimulatedTracker::open(const std::string& path) {
    close();
    openedPaths_.push_back(path);
    if (path == kPath) {
        if (!trackerReachable()) {
            return {false, "it was unplugged"};
        }
        if (!openFailure_.empty()) {
            return {false, openFailure_, openFailureKind_};
        }
        if (signalExchange_ == 0) {
            signalExchange_ = -1;
            std::raise(signal_);
        }
        openPath_ = path;
        return {true, {}};
    }
    auto named = [&](const BusDevice& d) { return d.path == path; };
    if (std::any_of(before_.begin(), before_.end(), named) ||
        std::any_of(after_.begin(), after_.end(), named)) {
        openPath_ = path;
        return {true, {}};
    }
    return {false, "no such device"};
}

void SimulatedTracker::close() {
    if (openPath_) {
        openPath_.reset();
        pending_.reset();
        ++closes_;
    }
}

bool SimulatedTracker::connectedToTracker() const {
    return openPath_ && *openPath_ == kPath && trackerReachable();
}

// --- Exchange --------------------------------------------------------------------------------

void SimulatedTracker::pass(std::chrono::microseconds time) {
    elapsed_ += time;
    if (wait_ && time.count() > 0) {
        wait_(time);
    }
}

std::optional<SimulatedTracker::Fault> SimulatedTracker::takeFault(std::uint8_t command,
                                                                   std::uint16_t page) {
    for (ArmedFault& armed : faults_) {
        const FaultRule& r = armed.rule;
        if (armed.used || (r.command >= 0 && r.command != command) ||
            (r.page >= 0 && r.page != page) || (r.exchange > 0 && r.exchange != exchanges_)) {
            continue;
        }
        armed.used = !r.repeat;
        return r.fault;
    }
    return std::nullopt;
}

int SimulatedTracker::write(std::span<const std::uint8_t, kReportSize> report) {
    if (unplugAfter_ > 0 && exchanges_ >= unplugAfter_) {
        unplugged_ = true;
    }
    if (!connectedToTracker()) {
        return -1;  // nothing open, another device, or the tracker is gone
    }
    Report request;
    std::copy(report.begin(), report.end(), request.begin());
    if (recording_) {
        requests_.push_back(request);
    }
    ++exchanges_;
    pending_.reset();
    if (exchanges_ == signalExchange_) {
        std::raise(signal_);
    }

    const std::optional<Fault> fault =
        takeFault(request[kCodeOffset], readU16(request, kPageIndexOffset));
    if (fault == Fault::ShortWrite) {
        return static_cast<int>(kReportSize) - 1;
    }
    if (fault == Fault::Unplug) {
        unplugged_ = true;
        return -1;
    }
    Report reply = handle(request);
    pendingLength_ = static_cast<int>(kReplyPayloadSize);
    if (fault) {
        switch (*fault) {
            case Fault::NoReply:
                return static_cast<int>(kReportSize);
            case Fault::ShortRead:
                pendingLength_ = static_cast<int>(kReplyPayloadSize) - 1;
                break;
            case Fault::WrongCode:
                reply[kCodeOffset] = kRefused;
                break;
            case Fault::BadPageSum:
                writeU16(reply, kPageSumOffset,
                         static_cast<std::uint16_t>(readU16(reply, kPageSumOffset) + 1));
                break;
            case Fault::OtherPageIndex:
                writeU16(reply, kPageIndexOffset,
                         static_cast<std::uint16_t>(readU16(reply, kPageIndexOffset) + 1));
                break;
            case Fault::StoredWrongly:
                if (request[kCodeOffset] == code(Command::EepromPageWrite) &&
                    reply[kCodeOffset] == request[kCodeOffset]) {
                    eeprom_[readU16(request, kPageIndexOffset) * kPageSize] ^= 0x01;
                }
                break;
            case Fault::ShortWrite:  // handled above
            case Fault::Unplug:
                break;
        }
    }
    pending_ = reply;
    pendingDelay_ = latency_;
    return static_cast<int>(kReportSize);
}

int SimulatedTracker::read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) {
    if (recording_) {
        readTimeouts_.push_back(timeoutMs);
    }
    if (!connectedToTracker()) {
        return -1;
    }
    const std::chrono::microseconds timeout = std::chrono::milliseconds(std::max(timeoutMs, 0));
    if (!pending_ || pendingDelay_ > timeout) {
        // Nothing yet: a reply on its way comes to a later read.
        pendingDelay_ -= std::min(pendingDelay_, timeout);
        pass(timeout);
        return 0;
    }
    pass(pendingDelay_);
    const Report reply = *pending_;
    pending_.reset();
    const int length = pendingLength_;
    // The HID layer hands over the payload without the report number.
    std::copy_n(reply.begin() + 1, length, payload.begin());
    if (unplugAfter_ > 0 && exchanges_ >= unplugAfter_) {
        unplugged_ = true;
    }
    return length;
}

// --- The tracker's firmware ------------------------------------------------------------------

void SimulatedTracker::violation(std::string what) {
    violations_.push_back(std::move(what));
}

// A request is taken only with report number 0, a page index below `pageLimit` and zeros from
// byte `zeroFrom` to the end.
bool SimulatedTracker::check(const Report& request, int pageLimit, std::size_t zeroFrom) {
    const int page = readU16(request, kPageIndexOffset);
    auto name = [&]() {
        char text[16];
        std::snprintf(text, sizeof text, "0x%02X", request[kCodeOffset]);
        return std::string("command ") + text;
    };
    bool ok = true;
    if (request[0] != 0) {
        violation(name() + ": report number " + std::to_string(request[0]));
        ok = false;
    }
    if (page >= pageLimit) {
        violation(name() + ": page index " + std::to_string(page) + " out of range");
        ok = false;
    }
    for (std::size_t i = zeroFrom; i < kReportSize; ++i) {
        if (request[i] != 0) {
            violation(name() + ": byte " + std::to_string(i) + " not zero");
            ok = false;
            break;
        }
    }
    return ok;
}

Report SimulatedTracker::handle(const Report& request) {
    const std::uint8_t command = request[kCodeOffset];
    const std::uint16_t page = readU16(request, kPageIndexOffset);
    Report reply{};
    reply[kCodeOffset] = kRefused;
    auto pageData = [&]() {
        return std::span<const std::uint8_t, kPageSize>(request.data() + kPageDataOffset,
                                                        kPageSize);
    };
    auto sumMatches = [&]() {
        if (pageSum(pageData()) == readU16(request, kPageSumOffset)) {
            return true;
        }
        violation("page " + std::to_string(page) + ": wrong page sum");
        return false;
    };
    auto replyPage = [&](const std::uint8_t* from) {
        reply[kCodeOffset] = command;
        writeU16(reply, kPageIndexOffset, page);
        std::copy_n(from, kPageSize, reply.begin() + kPageDataOffset);
        writeU16(reply, kPageSumOffset,
                 pageSum(std::span<const std::uint8_t, kPageSize>(reply.data() + kPageDataOffset,
                                                                  kPageSize)));
    };

    switch (command) {
        case code(Command::EepromPageWrite):
            if (check(request, kEepromPages, kPageSumOffset + 2) && sumMatches()) {
                std::copy_n(pageData().begin(), kPageSize, eeprom_.begin() + page * kPageSize);
                reply[kCodeOffset] = command;
                writeU16(reply, kPageIndexOffset, page);
            }
            break;
        case code(Command::EepromPageRead):
            if (check(request, kEepromPages, kPageDataOffset)) {
                replyPage(eeprom_.data() + page * kPageSize);
            }
            break;
        case code(Command::FirmwareVersionQuery):
            if (check(request, 1, kPageIndexOffset)) {
                reply[kCodeOffset] = command;
                writeU32(reply, kVersionOffset, firmwareVersion_);
            }
            break;
        case code(Command::FirmwarePageWrite):
            if (check(request, kFirmwarePages, kPageSumOffset + 2) && sumMatches()) {
                FirmwarePage received{page, {}};
                std::copy_n(pageData().begin(), kPageSize, received.data.begin());
                firmwarePages_.push_back(received);
                reply[kCodeOffset] = command;
                writeU16(reply, kPageIndexOffset, page);
            }
            break;
        case code(Command::GpsPageRead):
            if (check(request, kGpsPages, kPageDataOffset)) {
                replyPage(gps_.data() + static_cast<std::size_t>(page) * kPageSize);
            }
            break;
        case code(Command::GpsMemoryErase):
            if (check(request, 1, kPageIndexOffset)) {
                erasing_ = true;
                erasePolls_ = 0;
                reply[kCodeOffset] = command;
            }
            break;
        case code(Command::GpsEraseStatus):
            if (check(request, 1, kPageIndexOffset)) {
                reply[kCodeOffset] = command;  // still erasing
                if (erasing_) {
                    ++erasePolls_;
                    if (erasePollsUntilDone_ > 0 && erasePolls_ >= erasePollsUntilDone_) {
                        erasing_ = false;
                        std::fill(gps_.begin(), gps_.end(), 0xFF);
                    }
                }
                if (!erasing_) {
                    reply[kCodeOffset] = kEraseDone;
                }
            }
            break;
        default:
            violation("unknown command " + std::to_string(command));
            break;
    }
    return reply;
}
