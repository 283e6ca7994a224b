#pragma once

#include <string>

#include "device/hid_transport.h"

struct hid_device_;

// The HID transport on hidapi: the same few calls on Linux (hidraw), Windows and macOS.
class HidapiTransport : public HidTransport {
  public:
    HidapiTransport();
    ~HidapiTransport() override;
    HidapiTransport(const HidapiTransport&) = delete;
    HidapiTransport& operator=(const HidapiTransport&) = delete;

    std::vector<std::string> enumerate(std::uint16_t vendor, std::uint16_t product) override;
    std::vector<HidDeviceInfo> describe(std::uint16_t vendor, std::uint16_t product) override;
    OpenResult open(const std::string& path) override;
    void close() override;
    int write(std::span<const std::uint8_t, kReportSize> report) override;
    int read(std::span<std::uint8_t, kReplyPayloadSize> payload, int timeoutMs) override;

  private:
    bool initialised_ = false;
    hid_device_* device_ = nullptr;
};

// The version of the hidapi library the program runs with, such as "0.13.1".
std::string hidapiVersion();
