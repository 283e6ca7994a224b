#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>

#include "operations/config_backup.h"
#include "recording_sink.h"
#include "sim/simulated_tracker.h"

namespace {

constexpr std::int64_t kNoon = 1'800'000'000;  // 2027-01-15 08:00:00 UTC

// The sample image with another station address; its checksum right unless `damaged`.
ConfigImage withStation(const char (&call)[7], char ssid, bool damaged = false) {
    ConfigImage image = SimulatedTracker().eeprom();
    std::memcpy(image.data() + 14, call, 6);
    image[20] = static_cast<std::uint8_t>(ssid);
    writeU32(image, 0, imageChecksum(image) + (damaged ? 1 : 0));
    return image;
}

// Whatever bytes the image and the USB descriptor carry, the name holds letters, digits and
// "-" only, and reads back as what was written.
TEST(ConfigBackup, NamesAreSafeAndReadBack) {
    const struct {
        ConfigImage image;
        TrackerIdentity tracker;
        const char* name;
    } cases[] = {
        {withStation("N0CALL", '7'), {"", 107}, "000001-20270115T080000Z-N0CALL-7-fw107.bin"},
        {withStation("A/\\:*?", 'Z'),
         {"x y/z.\x01", std::nullopt},
         "000001-20270115T080000Z-A-X-snxyz-h1d9c8ceb.bin"},
        {withStation("\0\0\0\0\0\0", '0', true),
         {"", 106},
         "000001-20270115T080000Z-NOCALL-0-fw106-damaged.bin"},
        // Two serials that differ only where a name cannot follow them stay apart.
        {withStation("N0CALL", '7'),
         {"VM-0001", 107},
         "000001-20270115T080000Z-N0CALL-7-snVM0001-hb4058e67-fw107.bin"},
        {withStation("N0CALL", '7'),
         {"VM_0001", 107},
         "000001-20270115T080000Z-N0CALL-7-snVM0001-ha95d640b-fw107.bin"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        const SavedBackup saved = saveBackup(folder.path(), c.image, c.tracker, kNoon);
        ASSERT_TRUE(saved.backup) << saved.failure.toStdString();
        EXPECT_EQ(QFileInfo(saved.backup->path).fileName(), c.name);
        const std::vector<Backup> listed = listBackups(folder.path());
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].fileName(), c.name);
        EXPECT_EQ(listed[0].time.toSecsSinceEpoch(), kNoon);
    }
}

TEST(ConfigBackup, PrunedToTheLimitOldestFirstPerTracker) {
    QTemporaryDir folder;
    const ConfigImage image = SimulatedTracker().eeprom();
    ASSERT_TRUE(saveBackup(folder.path(), image, {"OTHER1", 107}, kNoon - 3600).backup);
    for (int i = 0; i < kBackupsKept + 2; ++i) {
        ASSERT_TRUE(saveBackup(folder.path(), image, {"SERIAL1", 107}, kNoon + i).backup);
    }
    // Two in the same second: neither replaces the other.
    const SavedBackup again = saveBackup(folder.path(), image, {"SERIAL1", 107}, kNoon + 60);
    const SavedBackup third = saveBackup(folder.path(), image, {"SERIAL1", 107}, kNoon + 60);
    ASSERT_TRUE(again.backup && third.backup);
    EXPECT_EQ(third.backup->number, kBackupsKept + 5);
    EXPECT_EQ(again.removed.size(), 1u);

    std::vector<std::int64_t> times;
    for (const Backup& b : listBackups(folder.path())) {
        times.push_back(b.time.toSecsSinceEpoch());
    }
    ASSERT_EQ(times.size(), static_cast<std::size_t>(kBackupsKept) + 1);
    EXPECT_EQ(times[0], kNoon - 3600);  // the other tracker's only backup stays
    EXPECT_EQ(times[1], kNoon + 4);     // the four oldest of this tracker are gone
    EXPECT_EQ(times.back(), kNoon + 60);

    // A limit of none still keeps the backup just made.
    EXPECT_EQ(saveBackup(folder.path(), image, {"OTHER1", 107}, kNoon, 0).removed.size(), 1u);
    EXPECT_EQ(listBackups(folder.path()).size(), static_cast<std::size_t>(kBackupsKept) + 1);
}

}  // namespace
