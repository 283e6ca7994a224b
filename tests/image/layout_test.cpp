#include <gtest/gtest.h>

#include <map>
#include <set>

#include "image/decoder.h"
#include "image/encoder.h"
#include "image/layout.h"
#include "image_support.h"
#include "settings/schema.h"

TEST(ImageLayout, FieldsCoverOffsetsZeroTo1263OnceEach) {
    int next = 0;
    for (const ImageField& field : imageLayout()) {
        EXPECT_EQ(field.offset, next)
            << "gap or overlap before " << field.setting << " at " << field.offset;
        EXPECT_GT(field.size, 0) << field.offset;
        const int fixed = encodingSize(field.encoding);
        if (fixed != 0) {
            EXPECT_EQ(field.size, fixed) << field.offset;
        }
        next = field.end();
    }
    EXPECT_EQ(next, static_cast<int>(kImageFieldsEnd));
}

TEST(ImageLayout, EverySettingIsStoredExactlyOnceInAFieldOfItsKind) {
    std::map<std::string, int> stored;
    for (const ImageField& field : imageLayout()) {
        const bool header = field.encoding <= Encoding::Reserved;
        EXPECT_EQ(field.setting.empty(), header) << field.offset;
        EXPECT_EQ(!field.ssidSetting.empty(), field.encoding == Encoding::Address) << field.offset;
        for (const std::string* name : {&field.setting, &field.ssidSetting}) {
            if (name->empty()) {
                continue;
            }
            ++stored[*name];
            const SettingDef* s = findSetting(*name);
            ASSERT_NE(s, nullptr) << *name;
            const bool index = field.encoding == Encoding::U8Index ||
                               field.encoding == Encoding::U32Index ||
                               field.encoding == Encoding::MiceMessage;
            EXPECT_EQ(s->isChoice(), index) << *name;
            // What can be typed fits the field.
            if (field.encoding == Encoding::Text) {
                EXPECT_LE(s->maxLength, field.size - 1) << *name;
            } else if (field.encoding == Encoding::FixedText) {
                EXPECT_EQ(s->maxLength, field.size) << *name;
            } else if (field.encoding == Encoding::Character) {
                EXPECT_EQ(s->maxLength, 1) << *name;
            } else if (field.encoding == Encoding::Address) {
                EXPECT_LE(s->maxLength, name == &field.setting ? 6 : 2) << *name;
            }
        }
    }
    EXPECT_EQ(stored.size(), 225u);
    for (const SettingDef& s : settings()) {
        EXPECT_EQ(stored[s.name], 1) << s.name;
        EXPECT_EQ(findImageField(s.name), &imageField(s.name));
    }
    EXPECT_EQ(settings().size(), 225u);
}

// The offsets of the numbered blocks, as the layout's own tables list them.
TEST(ImageLayout, NumberedBlocksLieWhereTheTablesSay) {
    const int aliases[8][3] = {{168, 175, 176}, {177, 184, 185}, {186, 193, 194}, {195, 202, 203},
                               {204, 211, 212}, {213, 220, 221}, {222, 229, 230}, {231, 238, 239}};
    for (int k = 1; k <= 8; ++k) {
        int i = 0;
        for (const char* suffix : {"_name", "_traceable", "_enable"}) {
            EXPECT_EQ(imageField(familyName("Alias", k, suffix)).offset, aliases[k - 1][i++]);
        }
        EXPECT_EQ(imageField(familyName("Alias", k, "_ssid")).offset, aliases[k - 1][0]);
    }
    const int beacons[4][6] = {{240, 247, 254, 264, 268, 269},
                               {368, 375, 382, 392, 396, 397},
                               {496, 503, 510, 520, 524, 525},
                               {624, 631, 638, 648, 652, 653}};
    for (int k = 1; k <= 4; ++k) {
        int i = 0;
        for (const char* suffix :
             {"_dest_ssid", "_path1_ssid", "_path2_string", "_txrate", "_enable", "_message"}) {
            EXPECT_EQ(imageField(familyName("Beacon", k, suffix)).offset, beacons[k - 1][i++])
                << k << suffix;
        }
        EXPECT_EQ(imageField(familyName("Beacon", k, "_message")).end(), beacons[k - 1][5] + 99);
    }
    const int analog[5][7] = {{894, 895, 903, 911, 920, 929, 938},
                              {939, 940, 948, 956, 965, 974, 983},
                              {984, 985, 993, 1001, 1010, 1019, 1028},
                              {1029, 1030, 1038, 1046, 1055, 1064, 1073},
                              {1074, 1075, 1083, 1091, 1100, 1109, 1118}};
    for (int k = 1; k <= 5; ++k) {
        int i = 0;
        for (const char* suffix :
             {"_source", "_name", "_units", "_coefa", "_coefb", "_coefc", "_average"}) {
            EXPECT_EQ(imageField(familyName("Teleanalog", k, suffix)).offset, analog[k - 1][i++])
                << k << suffix;
        }
    }
    const int digital[8][4] = {{1119, 1120, 1127, 1134}, {1135, 1136, 1143, 1150},
                               {1151, 1152, 1159, 1166}, {1167, 1168, 1175, 1182},
                               {1183, 1184, 1191, 1198}, {1199, 1200, 1207, 1214},
                               {1215, 1216, 1223, 1230}, {1231, 1232, 1239, 1246}};
    for (int k = 1; k <= 8; ++k) {
        int i = 0;
        for (const char* suffix : {"_source", "_name", "_units", "_inverted"}) {
            EXPECT_EQ(imageField(familyName("Teledigital", k, suffix)).offset, digital[k - 1][i++])
                << k << suffix;
        }
    }
}

TEST(CodecSteps, DecoderSetsEverySettingOnceAndRunsFourHandlers) {
    std::map<std::string, int> set;
    int handlers = 0;
    for (const DecodeStep& step : decodeSteps()) {
        if (step.handler != nullptr) {
            ++handlers;
            continue;
        }
        const ImageField& field = imageField(step.setting);
        EXPECT_EQ(field.setting, step.setting);
        ++set[field.setting];
        if (!field.ssidSetting.empty()) {
            ++set[field.ssidSetting];
        }
    }
    EXPECT_EQ(handlers, 4);
    for (const SettingDef& s : settings()) {
        EXPECT_EQ(set[s.name], 1) << s.name;
    }
}

TEST(CodecSteps, EncoderStoresEverySettingOnceAndNamesEveryFailure) {
    std::map<std::string, int> stored;
    for (const EncodeStep& step : encodeSteps()) {
        const ImageField& field = imageField(step.setting);
        if (step.rule == Rule::NotEmpty || step.rule == Rule::Length) {
            EXPECT_FALSE(step.message.isEmpty()) << step.setting;
            continue;
        }
        ++stored[field.setting];
        if (!field.ssidSetting.empty()) {
            ++stored[field.ssidSetting];
        }
        const bool tested = step.rule != Rule::Store || field.encoding == Encoding::Address;
        EXPECT_EQ(step.message.isEmpty(), !tested) << step.setting;
        const bool text = field.encoding == Encoding::Text || field.encoding == Encoding::Address;
        EXPECT_EQ(step.title.isEmpty(), !text) << step.setting;
    }
    for (const SettingDef& s : settings()) {
        EXPECT_EQ(stored[s.name], 1) << s.name;
    }
}

// Bytes that the start-up settings must give, written down from the layout by hand.
TEST(GoldenImage, StartupSettingsGiveTheseBytes) {
    StartupForm f;
    ConfigImage image;
    image.fill(0xAA);  // whatever the buffer held before
    ASSERT_TRUE(f.host.encoded(EncodeSettings(f.form, f.host.now(), image)));
    using namespace std::string_literals;
    EXPECT_EQ(bytesAt(image, 6, 8), "v1.07\0\0\0"s);
    EXPECT_EQ(bytesAt(image, 14, 10), "NOCALL0\0\0\0"s);
    EXPECT_EQ(bytesAt(image, 24, 8), "\xFA\0\0\0\x90\x01\0\0"s);  // 250, 400
    EXPECT_EQ(bytesAt(image, 33, 19),
              "5223.08N\0"
              "01658.14E\0"s);
    EXPECT_EQ(bytesAt(image, 56, 2), "\x02\x04"s);     // serial console, GPS
    EXPECT_EQ(bytesAt(image, 68, 2), "\x3C\0"s);       // 60 s
    EXPECT_EQ(bytesAt(image, 92, 7), "      0"s);      // empty third path
    EXPECT_EQ(image[142], 7);                          // "Off Duty"
    EXPECT_EQ(bytesAt(image, 160, 4), "\x01\0\0\0"s);  // Digion "Yes"
    EXPECT_EQ(bytesAt(image, 168, 18),
              "WIDE1 1\x01\x01"
              "      0\0\0"s);  // aliases 1, 2
    EXPECT_EQ(bytesAt(image, 240, 24), "APVQ050WIDE1 1WIDE2 1\0\0\0"s);
    EXPECT_EQ(bytesAt(image, 264, 5), "\x1E\0\0\0\x02"s);  // 30 min, "GPS fixed"
    const std::string beacon1 = "/<gpsdate>z<gpslat>/<gpslong>>Veltromark U=<volt>V.";
    EXPECT_EQ(bytesAt(image, 269, static_cast<int>(beacon1.size()) + 1), beacon1 + '\0');
    EXPECT_EQ(bytesAt(image, 653, 99), std::string(99, '\0'));  // empty beacon 4 message
    EXPECT_EQ(bytesAt(image, 911, 27),
              "0\0\0\0\0\0\0\0\0"
              "0.075\0\0\0\0"
              "0\0\0\0\0\0\0\0\0"s);
    EXPECT_EQ(bytesAt(image, 1120, 14), "O1\0\0\0\0\0On\0\0\0\0\0"s);
    EXPECT_EQ(image[1251], 60);
    EXPECT_EQ(bytesAt(image, 1259, 5), "END\0\0"s);
    EXPECT_EQ(readU32(image, 0), imageChecksum(image));
    EXPECT_LT(readU16(image, 4), 10000);
    for (const ImageField& field : imageLayout()) {
        if (field.encoding == Encoding::Reserved) {
            EXPECT_EQ(bytesAt(image, field.offset, field.size), std::string(field.size, '\0'))
                << field.offset;
        }
    }
    EXPECT_TRUE(std::all_of(image.begin() + 1264, image.end(), [](auto b) { return b == 0; }));
}
