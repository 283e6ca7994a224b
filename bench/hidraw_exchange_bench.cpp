// What the real USB path adds to one exchange: a full GPS memory download (16,384 exchanges)
// through hidapi's hidraw backend (enumeration through libudev, then write, poll and read on
// /dev/hidraw0) against a tracker emulated below the library, and the same download with the
// simulated tracker as the transport itself. Both serve the same tracker logic, so the
// difference is what hidapi, the kernel-facing calls and the transport add. The goal is at
// most 50 µs per exchange, 5% of a 1 ms USB frame.
//
// The emulation is the one of the end-to-end tests: umockdev-run supplies the sysfs side and
// the preloaded tracker library serves the node. The program starts itself again inside it.
//
// Run: build/bench/hidraw_exchange_bench
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "device/device_link.h"
#include "device/hidapi_transport.h"
#include "operations/gps_memory.h"
#include "recording_sink.h"
#include "sim/simulated_tracker.h"

namespace {

constexpr int kRounds = 5;

// Microseconds per exchange of one full download through `transport`; negative when the
// download failed.
double microsPerExchange(HidTransport& transport) {
    DeviceLink link(transport);
    RecordingSink host;
    GpsBuffer buffer;
    if (!link.openDevice(host)) {
        return -1;
    }
    QElapsedTimer timer;
    timer.start();
    const bool complete = readGpsMemory(link, host, buffer);
    const double micros = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
    link.closeDevice();
    return complete ? micros / kGpsPages : -1;
}

// The median of `rounds` downloads.
template <typename Make>
double median(Make make) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        auto transport = make();
        times.push_back(microsPerExchange(*transport));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int startInsideTheEmulation(char** argv) {
    setenv("VM_BENCH_EMULATED", "1", 1);
    setenv("VM_HIDRAW_TRACKER", VM_HIDRAW_TRACKER, 1);
    const char* script = "LD_PRELOAD=\"$VM_HIDRAW_TRACKER${LD_PRELOAD:+:$LD_PRELOAD}\" exec \"$@\"";
    std::vector<char*> args = {const_cast<char*>(VM_UMOCKDEV_RUN),
                               const_cast<char*>("-d"),
                               const_cast<char*>(VM_DEVICES_DIR "/tracker0.umockdev"),
                               const_cast<char*>("--"),
                               const_cast<char*>("sh"),
                               const_cast<char*>("-c"),
                               const_cast<char*>(script),
                               const_cast<char*>("sh"),
                               argv[0],
                               nullptr};
    execv(VM_UMOCKDEV_RUN, args.data());
    std::perror("umockdev-run (Debian package umockdev)");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("VM_BENCH_EMULATED") == nullptr) {
        return startInsideTheEmulation(argv);
    }
    QCoreApplication application(argc, argv);

    const double direct = median([] {
        auto tracker = std::make_unique<SimulatedTracker>();
        tracker->setRecording(false);
        return tracker;
    });
    const double hidraw = median([] { return std::make_unique<HidapiTransport>(); });
    if (direct < 0 || hidraw < 0) {
        std::fprintf(stderr, "A download failed (direct %.1f, hidraw %.1f).\n", direct, hidraw);
        return 1;
    }
    std::printf("Full GPS download, %d exchanges, median of %d:\n", kGpsPages, kRounds);
    std::printf("  simulated tracker as the transport: %8.2f us per exchange\n", direct);
    std::printf("  hidapi + /dev/hidraw0 (emulated):   %8.2f us per exchange\n", hidraw);
    std::printf(
        "  added by the USB path:              %8.2f us per exchange (%.1fx; goal <= 50 us)\n",
        hidraw - direct, hidraw / direct);
    return hidraw - direct <= 50.0 ? 0 : 2;
}
