#include "image/layout.h"

#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "settings/schema.h"

namespace {

// Writes the rows of the layout in offset order; one call per row reads like the table.
class LayoutBuilder {
  public:
    void header(int offset, Encoding encoding, int size = 0) { add(offset, encoding, size, {}); }
    void reserved(int offset, int size) { add(offset, Encoding::Reserved, size, {}); }
    void u8(int offset, std::string setting) {
        add(offset, Encoding::U8Index, 0, std::move(setting));
    }
    void u32index(int offset, std::string setting) {
        add(offset, Encoding::U32Index, 0, std::move(setting));
    }
    void u16(int offset, std::string setting) { add(offset, Encoding::U16, 0, std::move(setting)); }
    void u32(int offset, std::string setting) { add(offset, Encoding::U32, 0, std::move(setting)); }
    void u8number(int offset, std::string setting) {
        add(offset, Encoding::U8Number, 0, std::move(setting));
    }
    void character(int offset, std::string setting) {
        add(offset, Encoding::Character, 0, std::move(setting));
    }
    void text(int offset, int size, std::string setting) {
        add(offset, Encoding::Text, size, std::move(setting));
    }
    void fixedText(int offset, int size, std::string setting) {
        add(offset, Encoding::FixedText, size, std::move(setting));
    }
    void mice(int offset, std::string setting) {
        add(offset, Encoding::MiceMessage, 0, std::move(setting));
    }
    void address(int offset, std::string call, std::string ssid) {
        add(offset, Encoding::Address, 0, std::move(call), std::move(ssid));
    }

    // One row of a numbered block: offset inside the block, and the setting name around the
    // number ("Beacon" 3 "_txrate").
    struct BlockRow {
        int offset;
        Encoding encoding;
        int size;  // only for texts and reserved bytes
        std::string_view suffix;
        std::string_view ssidSuffix = {};
    };

    // `count` blocks of `stride` bytes from `first`, numbered from 1.
    void blocks(int first, int stride, int count, std::string_view prefix,
                std::initializer_list<BlockRow> rows) {
        for (int k = 1; k <= count; ++k) {
            const int base = first + stride * (k - 1);
            for (const BlockRow& row : rows) {
                add(base + row.offset, row.encoding, row.size,
                    row.suffix.empty() ? std::string() : familyName(prefix, k, row.suffix),
                    row.ssidSuffix.empty() ? std::string() : familyName(prefix, k, row.ssidSuffix));
            }
        }
    }

    std::vector<ImageField> rows;

  private:
    void add(int offset, Encoding encoding, int size, std::string setting,
             std::string ssidSetting = {}) {
        const int fixed = encodingSize(encoding);
        rows.push_back(
            {offset, fixed ? fixed : size, encoding, std::move(setting), std::move(ssidSetting)});
    }
};

std::vector<ImageField> buildLayout() {
    using E = Encoding;
    LayoutBuilder t;
    t.header(kChecksumOffset, E::Checksum);
    t.header(kStampOffset, E::Stamp);
    t.header(kVersionOffset, E::VersionText);
    t.address(14, "Callsign", "Ssid");
    t.reserved(21, 1);  // zero after the station address
    t.reserved(22, 2);
    t.u32(24, "Txdelay");
    t.u32(28, "Quiettime");
    t.u8(32, "Quiettime_randomize");
    t.fixedText(33, 8, "Latitude");
    t.reserved(41, 1);  // zero ending the latitude
    t.fixedText(42, 9, "Longitude");
    t.reserved(51, 1);  // zero ending the longitude
    t.u8(52, "Ptt");
    t.u8(53, "Squelch");
    t.u8(54, "Busydetect");
    t.u8(55, "Consecutive_packets");
    t.u8(56, "Serial1_mode");
    t.u8(57, "Serial2_mode");
    t.u8(58, "RS485_mode");
    t.u8(59, "GPS_baudrate");
    t.u8(60, "Console_baudrate");
    t.u8(61, "Kiss_baudrate");
    t.u8(62, "Kiss_direction");
    t.u8(63, "Kiss_check");
    t.u8(64, "Gpspassthrough_baudrate");
    t.reserved(65, 1);
    t.u8(66, "Position_report_mode");
    t.reserved(67, 1);
    t.u16(68, "Position_report_interval");
    t.u16(70, "Position_fixlost_interval");
    t.u16(72, "Position_store_interval");
    t.u16(74, "Position_store_minspeed");
    t.u8(76, "Position_report_encoding");
    t.u8(77, "Position_time");
    t.address(78, "Position_path1", "Position_ssid1");
    t.address(85, "Position_path2", "Position_ssid2");
    t.address(92, "Position_path3", "Position_ssid3");
    t.character(99, "Position_symbol_code");
    t.character(100, "Position_symbol_table");
    t.text(101, 41, "Position_status_text");
    t.mice(142, "Mice_message");
    t.u8(143, "Position_coursespeed");
    t.u8(144, "Position_altitude");
    t.u8(145, "Position_reportonfixlost");
    t.u16(146, "Smartbeaconing_min_turn_angle");
    t.u16(148, "Smartbeaconing_turn_slope");
    t.u16(150, "Smartbeaconing_min_turn_time");
    t.u16(152, "Smartbeaconing_slow_speed");
    t.u16(154, "Smartbeaconing_slow_period");
    t.u16(156, "Smartbeaconing_fast_speed");
    t.u16(158, "Smartbeaconing_fast_period");
    t.u32index(160, "Digion");
    t.u32(164, "Floodtimeout");
    t.blocks(kAliasBlockOffset, kAliasBlockSize, kAliases, "Alias",
             {
                 {0, E::Address, 0, "_name", "_ssid"},
                 {7, E::U8Index, 0, "_traceable"},
                 {8, E::U8Index, 0, "_enable"},
             });
    t.blocks(kBeaconBlockOffset, kBeaconBlockSize, kBeacons, "Beacon",
             {
                 {0, E::Address, 0, "_dest_string", "_dest_ssid"},
                 {7, E::Address, 0, "_path1_string", "_path1_ssid"},
                 {14, E::Address, 0, "_path2_string", "_path2_ssid"},
                 {21, E::Reserved, 3, {}},
                 {24, E::U32, 0, "_txrate"},
                 {28, E::U8Index, 0, "_enable"},
                 {29, E::Text, 99, "_message"},
             });
    t.u8(752, "Weather_stationtype");
    t.address(753, "Weather_dest_string", "Weather_dest_ssid");
    t.address(760, "Weather_path1_string", "Weather_path1_ssid");
    t.address(767, "Weather_path2_string", "Weather_path2_ssid");
    t.reserved(774, 2);
    t.u32(776, "Weather_txrate");
    t.u8(780, "Weather_enable");
    t.u8(781, "Weather_position");
    t.text(782, 34, "Weather_comment");
    t.text(816, 24, "Teletitle");
    t.u8(840, "Tele_enable");
    t.u8(841, "Telemodule_enable");
    t.u8(842, "Bitsmodule_enable");
    t.address(843, "Teledata_dest_string", "Teledata_dest_ssid");
    t.address(850, "Teledata_path1_string", "Teledata_path1_ssid");
    t.address(857, "Teledata_path2_string", "Teledata_path2_ssid");
    t.u16(864, "Teledata_txrate_rf");
    t.reserved(866, 2);
    t.address(868, "Teleparams_dest_string", "Teleparams_dest_ssid");
    t.address(875, "Teleparams_path1_string", "Teleparams_path1_ssid");
    t.address(882, "Teleparams_path2_string", "Teleparams_path2_ssid");
    t.reserved(889, 1);
    t.u16(890, "Teleparams_txrate_rf");
    t.reserved(892, 2);
    t.blocks(kAnalogBlockOffset, kAnalogBlockSize, kAnalogChannels, "Teleanalog",
             {
                 {0, E::U8Index, 0, "_source"},
                 {1, E::Text, 8, "_name"},
                 {9, E::Text, 8, "_units"},
                 {17, E::Text, 9, "_coefa"},
                 {26, E::Text, 9, "_coefb"},
                 {35, E::Text, 9, "_coefc"},
                 {44, E::U8Index, 0, "_average"},
             });
    t.blocks(kDigitalBlockOffset, kDigitalBlockSize, kDigitalChannels, "Teledigital",
             {
                 {0, E::U8Index, 0, "_source"},
                 {1, E::Text, 7, "_name"},
                 {8, E::Text, 7, "_units"},
                 {15, E::U8Index, 0, "_inverted"},
             });
    t.u8(1247, "Zembor_output1");
    t.u8(1248, "Zembor_output2");
    t.u8(1249, "Zembor_output3");
    t.u8(1250, "Zembor_output4");
    t.u8number(1251, "Tele_holdoff");
    t.u8(1252, "Debug_rf");
    t.u8(1253, "Debug_ax25");
    t.u8(1254, "Debug_weather");
    t.u8(1255, "Debug_telemetry");
    t.u8(1256, "Debug_gps");
    t.u8(1257, "Debug_kiss");
    t.u8(1258, "Debug_thermo");
    t.header(kEndMarkerOffset, E::EndMarker);
    t.reserved(1262, 2);  // inside the checksum range
    return std::move(t.rows);
}

}  // namespace

int encodingSize(Encoding encoding) {
    switch (encoding) {
        case Encoding::U8Index:
        case Encoding::U8Number:
        case Encoding::Character:
        case Encoding::MiceMessage:
            return 1;
        case Encoding::Stamp:
        case Encoding::U16:
            return 2;
        case Encoding::EndMarker:
            return static_cast<int>(kEndMarker.size());
        case Encoding::Checksum:
        case Encoding::U32Index:
        case Encoding::U32:
            return 4;
        case Encoding::Address:
            return kAddressSize;
        case Encoding::VersionText:
            return kVersionFieldSize;
        case Encoding::Reserved:
        case Encoding::Text:
        case Encoding::FixedText:
            return 0;
    }
    return 0;
}

const std::vector<ImageField>& imageLayout() {
    static const std::vector<ImageField> rows = buildLayout();
    return rows;
}

const ImageField* findImageField(std::string_view setting) {
    static const auto bySetting = [] {
        std::unordered_map<std::string_view, const ImageField*> map;
        for (const ImageField& field : imageLayout()) {
            // Pointers, so that the keys view the rows' own strings.
            for (const std::string* name : {&field.setting, &field.ssidSetting}) {
                if (!name->empty()) {
                    map.emplace(*name, &field);
                }
            }
        }
        return map;
    }();
    const auto it = bySetting.find(setting);
    return it == bySetting.end() ? nullptr : it->second;
}

const ImageField& imageField(std::string_view setting) {
    const ImageField* field = findImageField(setting);
    if (field == nullptr) {
        throw std::out_of_range("no image field stores " + std::string(setting));
    }
    return *field;
}

const std::string* addressPartner(std::string_view setting) {
    const ImageField* field = findImageField(setting);
    if (field == nullptr || field->encoding != Encoding::Address) {
        return nullptr;
    }
    return field->setting == setting ? &field->ssidSetting : &field->setting;
}
