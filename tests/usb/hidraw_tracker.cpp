// A tracker on /dev/hidraw0 and /dev/hidraw1 without hardware, loaded into the program with
// LD_PRELOAD (under umockdev-run, which supplies the sysfs side that libudev reads).
//
// Opening one of the two nodes gives the program one end of a SOCK_SEQPACKET socket pair,
// which keeps report boundaries as hidraw does and wakes poll(). A thread serves the other end
// with a SimulatedTracker: 65-byte output reports in (report number 0 first), 64-byte input
// reports out. ioctl answers the report descriptor requests hidapi makes when it opens a node.
// Each node's tracker lives as long as the process, so a second open finds what the first
// one left.
//
// The environment chooses what goes wrong, as a comma-separated list of [hidrawN:]FAULT
// (hidraw0 when no node is named):
//   open=EACCES, open=EBUSY   opening the node fails with that error
//   noreply=N                 exchange N gets no reply; the wait for it ends at once, as if the
//                             program's time bound had passed, and the bound is recorded
//   short=N                   exchange N's reply is 63 bytes long
//   wrongcode=N               exchange N's reply carries the code 0x00
//   badsum=N                  exchange N's reply has its page sum one too high
//   wrongpage=N               the page written in exchange N is acknowledged but stored with
//                             a byte changed
//   eintr=N                   the first wait for exchange N's reply is cut short by a signal
//                             (poll fails with EINTR), as a caught Ctrl+C does
//   unplug=N                  the tracker is pulled out after the reply to exchange N: the
//                             next write fails with ENODEV and the node no longer opens
//   erasepolls=N              the GPS memory erase reports done at status poll N (default 1)
// Exchanges are counted from 1 per node over the whole process.
//
// With VM_HIDRAW_RECORDS set to a folder, each node writes there when the program closes it:
// hidrawN.events (opens, closes, refusals, time bounds, anything a real tracker would not
// take), hidrawN.eeprom (its configuration memory), hidrawN.firmware (the firmware pages
// received, in order) and hidrawN.gps (its GPS memory).
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sim/simulated_tracker.h"

namespace {

// A vendor-page (0xFF00) device with one 64-byte input and one 64-byte output report, without
// report numbers: the tracker's report descriptor.
constexpr std::array<std::uint8_t, 27> kDescriptor = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0x00, 0xFF, 0x75, 0x08,
    0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};

constexpr int kNodes = 2;

// The next definition of a libc call after ours (umockdev's, the sanitizers', or libc's own).
template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
using CloseCall = int (*)(int);
using WriteCall = ssize_t (*)(int, const void*, size_t);
using PollCall = int (*)(struct pollfd*, nfds_t, int);
using IoctlCall = int (*)(int, unsigned long, ...);
using OpenCall = int (*)(const char*, int, ...);
using OpenatCall = int (*)(int, const char*, int, ...);

struct Node {
    std::string name;  // "hidraw0"
    std::mutex mutex;
    std::condition_variable changed;
    std::unique_ptr<SimulatedTracker> tracker;

    int openErrno = 0;
    int unplugAfter = 0;
    bool unplugged = false;
    long interruptAt = 0;  // eintr=N

    int appFd = -1;    // the program's end while open
    int serveFd = -1;  // ours
    std::thread server;
    // Requests written by the program and requests the server has answered (or left
    // unanswered), so that a wait for a reply knows whether one is coming.
    long written = 0;
    long handled = 0;
    bool lastUnanswered = false;
    int waitedMs = 0;   // for the reply to the last request, which never came
    bool gone = false;  // the serving end is closed

    // A program that ends with a node still open must not be stopped by a joinable thread.
    ~Node() {
        if (server.joinable()) {
            server.detach();
        }
    }

    void gaveUp() {  // waiting for a reply: the program sends again, or closes
        if (waitedMs > 0) {
            event("no reply; the program waited at most " + std::to_string(waitedMs) + " ms");
            waitedMs = 0;
        }
    }

    void event(const std::string& line) {
        const char* dir = std::getenv("VM_HIDRAW_RECORDS");
        if (dir != nullptr) {
            std::ofstream(std::string(dir) + "/" + name + ".events", std::ios::app) << line << '\n';
        }
    }
    void dump(const std::string& suffix, const std::uint8_t* data, std::size_t size) {
        const char* dir = std::getenv("VM_HIDRAW_RECORDS");
        if (dir != nullptr) {
            std::ofstream(std::string(dir) + "/" + name + "." + suffix, std::ios::binary)
                .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        }
    }
    void dumpMemories() {
        dump("eeprom", tracker->eeprom().data(), tracker->eeprom().size());
        dump("gps", tracker->gpsMemory().data(), tracker->gpsMemory().size());
        std::string firmware;
        for (const SimulatedTracker::FirmwarePage& page : tracker->firmwarePages()) {
            firmware.append(reinterpret_cast<const char*>(page.data.data()), page.data.size());
        }
        dump("firmware", reinterpret_cast<const std::uint8_t*>(firmware.data()), firmware.size());
    }
};

std::array<Node, kNodes>& nodes() {
    static std::array<Node, kNodes> all;
    static std::once_flag configured;
    std::call_once(configured, [] {
        for (int i = 0; i < kNodes; ++i) {
            Node& node = all[static_cast<std::size_t>(i)];
            node.name = "hidraw" + std::to_string(i);
            node.tracker = std::make_unique<SimulatedTracker>();
            node.tracker->setRecording(false);
            node.tracker->setErasePollsUntilDone(1);
        }
        const char* faults = std::getenv("VM_HIDRAW_FAULTS");
        std::string list = faults ? faults : "";
        std::size_t at = 0;
        while (at < list.size()) {
            std::size_t end = list.find(',', at);
            if (end == std::string::npos) {
                end = list.size();
            }
            std::string item = list.substr(at, end - at);
            at = end + 1;
            Node* node = &all[0];
            if (item.rfind("hidraw", 0) == 0 && item.find(':') != std::string::npos) {
                node = &all[static_cast<std::size_t>(std::atoi(item.c_str() + 6)) % kNodes];
                item = item.substr(item.find(':') + 1);
            }
            const std::size_t equals = item.find('=');
            const std::string key = item.substr(0, equals);
            const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
            const int n = std::atoi(value.c_str());
            using Fault = SimulatedTracker::Fault;
            const auto inject = [&](Fault fault) {
                node->tracker->injectFault({fault, -1, -1, n});
            };
            if (key == "open") {
                node->openErrno = value == "EBUSY" ? EBUSY : EACCES;
            } else if (key == "noreply") {
                inject(Fault::NoReply);
            } else if (key == "short") {
                inject(Fault::ShortRead);
            } else if (key == "wrongcode") {
                inject(Fault::WrongCode);
            } else if (key == "badsum") {
                inject(Fault::BadPageSum);
            } else if (key == "wrongpage") {
                inject(Fault::StoredWrongly);
            } else if (key == "eintr") {
                node->interruptAt = n;
            } else if (key == "unplug") {
                node->unplugAfter = n;
            } else if (key == "erasepolls") {
                node->tracker->setErasePollsUntilDone(n);
            }
        }
    });
    return all;
}

Node* nodeForPath(const char* path) {
    if (path == nullptr || std::strncmp(path, "/dev/hidraw", 11) != 0 || path[11] < '0' ||
        path[11] >= '0' + kNodes || path[12] != '\0') {
        return nullptr;
    }
    return &nodes()[static_cast<std::size_t>(path[11] - '0')];
}

Node* nodeForFd(int fd) {
    if (fd < 0) {
        return nullptr;
    }
    for (Node& node : nodes()) {
        if (node.appFd == fd) {
            return &node;
        }
    }
    return nullptr;
}

// The tracker's side: one request in, one reply out, until the program closes its end or the
// tracker is pulled out.
void serve(Node* node, int fd) {
    std::array<std::uint8_t, 256> in{};
    for (;;) {
        const ssize_t n = recv(fd, in.data(), in.size(), 0);
        if (n <= 0) {
            break;
        }
        std::unique_lock lock(node->mutex);
        SimulatedTracker& tracker = *node->tracker;
        int replyLength = 0;
        std::array<std::uint8_t, kReplyPayloadSize> reply{};
        if (n != static_cast<ssize_t>(kReportSize) || in[0] != 0) {
            node->event("violation: output report of " + std::to_string(n) +
                        " bytes, report number " + std::to_string(in[0]));
        } else {
            tracker.write(std::span<const std::uint8_t, kReportSize>(in.data(), kReportSize));
            for (const std::string& v : tracker.violations()) {
                node->event("violation: " + v);
            }
            tracker.clearRecords();
            replyLength = tracker.read(reply, 0);
        }
        node->lastUnanswered = replyLength <= 0;
        if (replyLength > 0) {
            send(fd, reply.data(), static_cast<std::size_t>(replyLength), MSG_NOSIGNAL);
        }
        ++node->handled;
        if (node->unplugAfter > 0 && tracker.exchanges() >= node->unplugAfter && !node->unplugged) {
            // The reply is on its way; the next request finds the tracker gone.
            node->event("unplugged after exchange " + std::to_string(tracker.exchanges()));
            node->unplugged = true;
        }
        node->changed.notify_all();
    }
    std::lock_guard lock(node->mutex);
    shutdown(fd, SHUT_RDWR);
    static const auto realClose = real<CloseCall>("close");
    realClose(fd);
    node->gone = true;
    node->changed.notify_all();
}

// Opens a served node, or returns -2 when `path` is not one of ours.
int openNode(const char* path) {
    Node* node = nodeForPath(path);
    if (node == nullptr) {
        return -2;
    }
    std::lock_guard lock(node->mutex);
    if (node->unplugged) {
        errno = ENOENT;
        return -1;
    }
    if (node->openErrno != 0) {
        node->event(std::string("open refused: ") +
                    (node->openErrno == EBUSY ? "EBUSY" : "EACCES"));
        errno = node->openErrno;
        return -1;
    }
    if (node->appFd >= 0) {
        errno = EBUSY;  // this harness serves one open at a time
        return -1;
    }
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0) {
        return -1;
    }
    node->appFd = pair[0];
    node->serveFd = pair[1];
    node->written = node->handled = 0;
    node->lastUnanswered = false;
    node->gone = false;
    node->tracker->open(SimulatedTracker::kPath);
    node->server = std::thread(serve, node, pair[1]);
    node->event("open");
    return pair[0];
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    const int fd = openNode(path);
    if (fd != -2) {
        return fd;
    }
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = va_arg(ap, mode_t);
    va_end(ap);
    return real<OpenCall>("open")(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    const int fd = openNode(path);
    if (fd != -2) {
        return fd;
    }
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = va_arg(ap, mode_t);
    va_end(ap);
    return real<OpenCall>("open64")(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    const int fd = openNode(path);
    if (fd != -2) {
        return fd;
    }
    va_list ap;
    va_start(ap, flags);
    const mode_t mode = va_arg(ap, mode_t);
    va_end(ap);
    return real<OpenatCall>("openat")(dirfd, path, flags, mode);
}

int close(int fd) {
    static const auto realClose = real<CloseCall>("close");
    Node* node = nodeForFd(fd);
    const int result = realClose(fd);
    if (node != nullptr) {
        // The server sees the end of the stream and stops; wait for it, so that what it records
        // is on disk before the program goes on (or exits).
        node->server.join();
        std::lock_guard lock(node->mutex);
        node->appFd = -1;
        node->gaveUp();
        node->event("close");
        node->dumpMemories();
    }
    return result;
}

ssize_t write(int fd, const void* data, size_t size) {
    static const auto realWrite = real<WriteCall>("write");
    Node* node = nodeForFd(fd);
    if (node == nullptr) {
        return realWrite(fd, data, size);
    }
    std::lock_guard lock(node->mutex);
    node->gaveUp();
    if (node->unplugged) {
        shutdown(fd, SHUT_RDWR);  // the server sees the end and stops
    }
    // A hidraw node whose device is gone fails writes with ENODEV, not with SIGPIPE.
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0) {
        errno = ENODEV;
        return -1;
    }
    ++node->written;
    return n;
}

int poll(struct pollfd* fds, nfds_t count, int timeout) {
    static const auto realPoll = real<PollCall>("poll");
    Node* node = count == 1 ? nodeForFd(fds[0].fd) : nullptr;
    if (node != nullptr) {
        std::unique_lock lock(node->mutex);
        // Wait until the tracker has taken every request; then a reply is either on its way
        // or will never come.
        node->changed.wait_for(lock, std::chrono::seconds(10),
                               [node] { return node->gone || node->handled >= node->written; });
        if (node->interruptAt > 0 && node->written == node->interruptAt) {
            node->interruptAt = 0;
            errno = EINTR;
            return -1;
        }
        if (!node->gone && node->lastUnanswered && node->handled >= node->written) {
            node->waitedMs += timeout;
            fds[0].revents = 0;
            return 0;
        }
    }
    return realPoll(fds, count, timeout);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (nodeForFd(fd) != nullptr) {
        if (request == HIDIOCGRDESCSIZE) {
            *static_cast<int*>(arg) = static_cast<int>(kDescriptor.size());
            return 0;
        }
        if (request == HIDIOCGRDESC) {
            auto* descriptor = static_cast<hidraw_report_descriptor*>(arg);
            descriptor->size = kDescriptor.size();
            std::memcpy(descriptor->value, kDescriptor.data(), kDescriptor.size());
            return 0;
        }
        if (request == HIDIOCGRAWINFO) {
            auto* info = static_cast<hidraw_devinfo*>(arg);
            info->bustype = BUS_USB;
            info->vendor = static_cast<__s16>(kTrackerVendorId);
            info->product = static_cast<__s16>(kTrackerProductId);
            return 0;
        }
        errno = EINVAL;
        return -1;
    }
    static const auto realIoctl = real<IoctlCall>("ioctl");
    return realIoctl(fd, request, arg);
}

}  // extern "C"
