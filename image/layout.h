#pragma once

#include <string>
#include <string_view>
#include <vector>

// Where every setting lives in the configuration image: one row per field, ordered by
// offset, covering every byte from 0 to 1,263. Rows name their settings by control name, so
// "where is Beacon3_txrate stored" is answered by imageField("Beacon3_txrate").

enum class Encoding {
    // Header and trailer of the image.
    Checksum,     // u32: sum of the bytes at offsets 4 to 1,263
    Stamp,        // u16: configuration stamp, 0 to 9,999, drawn anew at every encoding
    VersionText,  // text(8): kConfigFormatVersion
    EndMarker,    // "END", no terminator
    Reserved,     // always zero
    // Settings.
    U8Index,    // item index of a choice as one byte (no item chosen: 255)
    U32Index,   // item index of a choice as u32 (Digion)
    U16,        // number field, unsigned 16-bit little-endian
    U32,        // number field, unsigned 32-bit little-endian
    U8Number,   // number field as one byte (Tele_holdoff)
    Character,  // one-character text field; an empty text is the zero byte
    Text,       // text followed by zeros up to the end of the field: size − 1 characters at most
    FixedText,  // exactly `size` characters; a reserved zero byte follows (Latitude, Longitude)
    Address,    // call (6 bytes, upper case, space padded) and SSID character "0" + SSID
    MiceMessage,  // 7 − item index of Mice_message
};

struct ImageField {
    int offset;
    int size;
    Encoding encoding;
    // The setting stored here (the call text of an address field); empty for header and
    // reserved bytes.
    std::string setting;
    // The SSID text setting of an address field; empty otherwise.
    std::string ssidSetting;

    int end() const { return offset + size; }
};

inline constexpr int kChecksumOffset = 0;
inline constexpr int kStampOffset = 4;
inline constexpr int kVersionOffset = 6;
inline constexpr int kVersionFieldSize = 8;
inline constexpr int kEndMarkerOffset = 1259;
inline constexpr std::string_view kEndMarker = "END";
inline constexpr int kAddressSize = 7;
inline constexpr int kAddressCallLength = 6;

// Blocks of the numbered families: first offset and size of one block.
inline constexpr int kAliasBlockOffset = 168;
inline constexpr int kAliasBlockSize = 9;
inline constexpr int kBeaconBlockOffset = 240;
inline constexpr int kBeaconBlockSize = 128;
inline constexpr int kAnalogBlockOffset = 894;
inline constexpr int kAnalogBlockSize = 45;
inline constexpr int kDigitalBlockOffset = 1119;
inline constexpr int kDigitalBlockSize = 16;

// Size of the encodings that have one; 0 for those whose size the row gives (texts, reserved).
int encodingSize(Encoding encoding);

// Every field from offset 0 to 1,263, ordered by offset.
const std::vector<ImageField>& imageLayout();

// The field that stores `setting` (as its setting or, for an address field, its SSID
// setting), or nullptr.
const ImageField* findImageField(std::string_view setting);

// The other setting of an address field: the SSID beside a call, the call beside an SSID;
// nullptr for a setting that is not part of an address.
const std::string* addressPartner(std::string_view setting);

// The same; throws std::out_of_range for a name that no field stores.
const ImageField& imageField(std::string_view setting);
