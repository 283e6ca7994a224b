#include "operations/firmware_upload.h"
#include "operation_fixture.h"
#include "window_wording.h"

namespace {

using Fault = SimulatedTracker::Fault;

class UploadFirmwareTest : public OperationTest {
  protected:
    bool run() {
        return host
            .run([&] { return uploadFirmware(link, host, windowWords(), firmware, buffer, yes); })
            .ok;
    }

    // A firmware image whose every byte tells its position.
    static QByteArray image(int size) {
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i) {
            bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
        }
        return bytes;
    }

    FirmwareBuffer buffer{};
    std::optional<QByteArray> firmware;
};

TEST_F(UploadFirmwareTest, SendsEveryPageInOrder) {
    const struct {
        int size;
        int pages;
    } cases[] = {{45056, 1408}, {33, 2}, {32, 1}, {112640, 3520}};
    for (const auto& c : cases) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        const std::optional<QByteArray> firmware = image(c.size);
        buffer.fill(0xEE);  // left over from an earlier, larger image
        EXPECT_TRUE(host.run([&] {
                            return uploadFirmware(link, host, windowWords(), firmware, buffer, yes);
                        })
                        .ok)
            << c.size;

        QStringList want;
        want << kFound << pageLines("Page written", 1, c.pages, c.pages)
             << "Firmware upgrade success";
        EXPECT_EQ(host.logLines, want) << c.size;
        ASSERT_EQ(sim.firmwarePages().size(), static_cast<size_t>(c.pages));
        QByteArray sent;
        for (int p = 0; p < c.pages; ++p) {
            EXPECT_EQ(sim.firmwarePages()[p].index, p);
            sent.append(reinterpret_cast<const char*>(sim.firmwarePages()[p].data.data()), 32);
        }
        // The image exactly, then zeros to the end of the last page.
        EXPECT_EQ(sent.left(c.size), *firmware) << c.size;
        EXPECT_EQ(sent.mid(c.size), QByteArray(c.pages * 32 - c.size, '\0')) << c.size;
        // Nothing but the page stream: no version query before or after.
        EXPECT_EQ(sim.requests().size(), static_cast<size_t>(c.pages));
        EXPECT_EQ(host.progressPosition, 0);
        EXPECT_EQ(host.progressMaximum, c.pages);
        // Once before each page, and once more before the first: may the upload begin?
        EXPECT_EQ(host.processEventsCalls, c.pages + 1);
        EXPECT_EQ(host.events.first(), "log: " + QString(kFound));
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(UploadFirmwareTest, RefusedImagesSendNothing) {
    const struct {
        std::optional<QByteArray> firmware;
        const char* message;
    } cases[] = {
        {std::nullopt, "Firmware resource not found (FindResource)."},
        {image(112641), "Firmware file too long."},
    };
    for (const auto& c : cases) {
        SimulatedTracker sim;
        DeviceLink link{sim};
        RecordingSink host;
        const std::optional<QByteArray>& firmware = c.firmware;
        EXPECT_FALSE(host.run([&] {
                             return uploadFirmware(link, host, windowWords(), firmware, buffer,
                                                   yes);
                         })
                         .ok);
        EXPECT_EQ(host.informations, QStringList{c.message});
        EXPECT_EQ(host.logLines, QStringList{kFound});
        EXPECT_TRUE(sim.requests().empty());
        EXPECT_FALSE(link.isOpen());
    }
}

TEST_F(UploadFirmwareTest, FifthPageFails) {
    firmware = image(45056);
    sim.injectFault(fault(Fault::WrongCode, Command::FirmwarePageWrite, 4));
    EXPECT_FALSE(run());
    QStringList want;
    want << kFound << pageLines("Page written", 1, 4, 1408) << "Page write error: 5/1408"
         << "Firmware upgrade incomplete: the tracker now holds partial firmware. Uploading the "
            "firmware again puts it right.";
    EXPECT_EQ(host.logLines, want);
    EXPECT_EQ(host.progressPosition, 4);
    EXPECT_EQ(sim.requests().size(), 5u);
    expectClosed();
}

TEST_F(UploadFirmwareTest, NoDeviceLeavesTheButtonsAlone) {
    firmware = image(100);
    sim.setPresent(false);
    run();
    EXPECT_EQ(host.events,
              (QStringList{"log: " + QString(kNotFound), "log: " + QString(kNotFoundHint)}));
}

}  // namespace

#include "operations/firmware_resource.h"

namespace {

TEST(DemoFirmware, IsAFixed1408PageImage) {
    const QByteArray image = demoFirmware();
    EXPECT_EQ(image.size(), 45056);
    EXPECT_EQ(image, demoFirmware());
    EXPECT_GT(image.count('\0'), 0);
    EXPECT_LT(image.count('\0'), 1000);  // not a blank block: every page carries data
}

}  // namespace
