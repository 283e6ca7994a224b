#include "device/hidapi_transport.h"

#include <hidapi.h>

#include <QString>
#include <cerrno>
#include <chrono>

namespace {

constexpr const char* kPermissionDenied = "permission denied";
constexpr const char* kInUse = "it is in use by another program";
constexpr const char* kUnplugged = "it was unplugged";

// hidapi's last error outside a device (enumeration, opening) as a short reason in the
// program's words where we recognise it, otherwise as hidapi tells it.
OpenResult openErrorFromText() {
    const wchar_t* message = hid_error(nullptr);
    const QString text = message ? QString::fromWCharArray(message).trimmed() : QString();
    const QString lower = text.toLower();
    // Linux hidraw: "...: Permission denied".
    if (lower.contains("permission denied")) {
        return {false, kPermissionDenied, OpenFailure::PermissionDenied};
    }
    // Another program holds the device exclusively. Windows says "Access is denied." (any
    // user may open a HID device there, so nothing else denies it) or names a sharing
    // violation; macOS reports kIOReturnExclusiveAccess.
    if (lower.contains("access is denied") || lower.contains("busy") ||
        lower.contains("being used by another process") || lower.contains("0xe00002c5")) {
        return {false, kInUse, OpenFailure::InUse};
    }
    if (lower.contains("no such file") || lower.contains("not found")) {
        return {false, kUnplugged, OpenFailure::Other};
    }
    return {false, text.isEmpty() ? std::string("the system refused access") : text.toStdString(),
            OpenFailure::Other};
}

// Why hid_open_path failed. On Linux the error number of opening the hidraw node tells it
// whatever the language of the system's messages; elsewhere, and for numbers not known here,
// hidapi's text does.
OpenResult openError([[maybe_unused]] int errorNumber) {
#ifdef Q_OS_LINUX
    switch (errorNumber) {
        case EACCES:
        case EPERM:
            return {false, kPermissionDenied, OpenFailure::PermissionDenied};
        case EBUSY:
            return {false, kInUse, OpenFailure::InUse};
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return {false, kUnplugged, OpenFailure::Other};
        default:
            break;
    }
#endif
    return openErrorFromText();
}

}  // namespace

HidapiTransport::HidapiTransport() : initialised_(hid_init() == 0) {}

HidapiTransport::~HidapiTransport() {
    close();
    if (initialised_) {
        hid_exit();
    }
}

std::vector<std::string> HidapiTransport::enumerate(std::uint16_t vendor, std::uint16_t product) {
    std::vector<std::string> paths;
    for (HidDeviceInfo& device : describe(vendor, product)) {
        paths.push_back(std::move(device.path));
    }
    return paths;
}

std::vector<HidDeviceInfo> HidapiTransport::describe(std::uint16_t vendor, std::uint16_t product) {
    std::vector<HidDeviceInfo> devices;
    if (!initialised_) {
        return devices;
    }
    const auto text = [](const wchar_t* s) {
        return s ? QString::fromWCharArray(s).trimmed().toStdString() : std::string();
    };
    hid_device_info* const first = hid_enumerate(vendor, product);
    for (const hid_device_info* info = first; info != nullptr; info = info->next) {
        // hid_enumerate filters already; the check keeps a zero (wildcard) id from matching.
        if (info->path != nullptr && info->vendor_id == vendor && info->product_id == product) {
            devices.push_back({info->path, text(info->serial_number), text(info->product_string)});
        }
    }
    hid_free_enumeration(first);
    return devices;
}

OpenResult HidapiTransport::open(const std::string& path) {
    close();
    if (!initialised_) {
        return {false, "the HID library could not start"};
    }
    errno = 0;
    device_ = hid_open_path(path.c_str());
    if (device_ == nullptr) {
        return openError(errno);
    }
    return {true, {}};
}

void HidapiTransport::close() {
    if (device_ != nullptr) {
        hid_close(device_);
        device_ = nullptr;
    }
}

int HidapiTransport::write(std::span<const std::uint8_t, kReportSize> report) {
    if (device_ == nullptr) {
        return -1;
    }
    // Byte 0 is the report number 0: hidapi sends the 64 bytes after it as the one output
    // report the tracker has.
    return hid_write(device_, report.data(), report.size());
}

int HidapiTransport::read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) {
    if (device_ == nullptr) {
        return -1;
    }
    // Returns the payload without the report number, 0 on timeout, -1 on error or unplug.
#ifdef _WIN32
    return hid_read_timeout(device_, payload.data(), payload.size(), timeoutMs);
#else
    // The wait is a poll(), which a caught signal (the tool's Ctrl+C, only noted) cuts short
    // whatever the handler's flags: the tracker may still answer, so the wait goes on for the
    // time that is left, and a signal never turns into a missing reply.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (int left = timeoutMs;;) {
        errno = 0;
        const int read = hid_read_timeout(device_, payload.data(), payload.size(), left);
        if (read != -1 || errno != EINTR) {
            return read;
        }
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) {
            return 0;
        }
        left = static_cast<int>(remaining.count());
    }
#endif
}

std::string hidapiVersion() {
    const char* version = hid_version_str();
    return version != nullptr ? version : "";
}
