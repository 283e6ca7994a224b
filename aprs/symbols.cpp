#include "aprs/symbols.h"

#include <array>

namespace {

constexpr char kFirstCode = '!';
constexpr char kLastCode = '~';
constexpr std::size_t kCodes = kLastCode - kFirstCode + 1;

// One name per symbol code from "!" to "~"; an empty name is a code without a symbol:
// unassigned, reserved, or one of the TNC stream switch characters "|" and "~", which a
// symbol may never use.
using SymbolTable = std::array<const char*, kCodes>;

// clang-format off
constexpr SymbolTable kPrimary = {
    /* ! */ "police station", /* " */ "", /* # */ "digipeater", /* $ */ "phone",
    /* % */ "DX cluster", /* & */ "HF gateway", /* ' */ "small aircraft",
    /* ( */ "mobile satellite station", /* ) */ "wheelchair", /* * */ "snowmobile",
    /* + */ "Red Cross", /* , */ "Boy Scouts", /* - */ "house", /* . */ "X",
    /* / */ "red dot", /* 0 */ "circle 0", /* 1 */ "circle 1", /* 2 */ "circle 2",
    /* 3 */ "circle 3", /* 4 */ "circle 4", /* 5 */ "circle 5", /* 6 */ "circle 6",
    /* 7 */ "circle 7", /* 8 */ "circle 8", /* 9 */ "circle 9", /* : */ "fire",
    /* ; */ "campground", /* < */ "motorcycle", /* = */ "railroad engine", /* > */ "car",
    /* ? */ "file server", /* @ */ "hurricane future prediction", /* A */ "aid station",
    /* B */ "BBS", /* C */ "canoe", /* D */ "", /* E */ "eyeball", /* F */ "farm vehicle",
    /* G */ "grid square", /* H */ "hotel", /* I */ "TCP/IP", /* J */ "", /* K */ "school",
    /* L */ "PC user", /* M */ "MacAPRS", /* N */ "NTS station", /* O */ "balloon",
    /* P */ "police", /* Q */ "", /* R */ "recreational vehicle", /* S */ "space shuttle",
    /* T */ "SSTV", /* U */ "bus", /* V */ "ATV", /* W */ "weather service site",
    /* X */ "helicopter", /* Y */ "yacht", /* Z */ "WinAPRS", /* [ */ "jogger",
    /* \ */ "DF triangle", /* ] */ "PBBS", /* ^ */ "large aircraft",
    /* _ */ "weather station", /* ` */ "dish antenna", /* a */ "ambulance",
    /* b */ "bicycle", /* c */ "incident command post", /* d */ "fire department",
    /* e */ "horse", /* f */ "fire truck", /* g */ "glider", /* h */ "hospital",
    /* i */ "IOTA", /* j */ "jeep", /* k */ "truck", /* l */ "laptop",
    /* m */ "Mic-E repeater", /* n */ "node", /* o */ "EOC", /* p */ "rover",
    /* q */ "grid square above 128 m", /* r */ "repeater", /* s */ "ship",
    /* t */ "truck stop", /* u */ "semi-trailer truck", /* v */ "van",
    /* w */ "water station", /* x */ "xAPRS", /* y */ "yagi at QTH", /* z */ "",
    /* { */ "", /* | */ "", /* } */ "", /* ~ */ "",
};

constexpr SymbolTable kAlternate = {
    /* ! */ "emergency", /* " */ "", /* # */ "digipeater", /* $ */ "bank",
    /* % */ "power plant", /* & */ "gateway", /* ' */ "crash site", /* ( */ "cloudy",
    /* ) */ "firenet", /* * */ "snow", /* + */ "church", /* , */ "Girl Scouts",
    /* - */ "house (HF)", /* . */ "ambiguous position", /* / */ "waypoint destination",
    /* 0 */ "circle", /* 1 */ "", /* 2 */ "", /* 3 */ "", /* 4 */ "", /* 5 */ "", /* 6 */ "",
    /* 7 */ "", /* 8 */ "network node", /* 9 */ "gas station", /* : */ "hail",
    /* ; */ "park", /* < */ "advisory", /* = */ "", /* > */ "vehicle", /* ? */ "info kiosk",
    /* @ */ "hurricane", /* A */ "box", /* B */ "blowing snow", /* C */ "Coast Guard",
    /* D */ "drizzle", /* E */ "smoke", /* F */ "freezing rain", /* G */ "snow shower",
    /* H */ "haze", /* I */ "rain shower", /* J */ "lightning", /* K */ "Kenwood radio",
    /* L */ "lighthouse", /* M */ "MARS", /* N */ "navigation buoy", /* O */ "balloon",
    /* P */ "parking", /* Q */ "earthquake", /* R */ "restaurant", /* S */ "satellite",
    /* T */ "thunderstorm", /* U */ "sunny", /* V */ "VORTAC", /* W */ "weather service site",
    /* X */ "pharmacy", /* Y */ "radio", /* Z */ "", /* [ */ "wall cloud", /* \ */ "",
    /* ] */ "", /* ^ */ "aircraft", /* _ */ "weather site", /* ` */ "rain",
    /* a */ "ARES", /* b */ "blowing dust", /* c */ "civil defence", /* d */ "DX spot",
    /* e */ "sleet", /* f */ "funnel cloud", /* g */ "gale flags", /* h */ "ham store",
    /* i */ "point of interest", /* j */ "work zone", /* k */ "SUV", /* l */ "area",
    /* m */ "milepost", /* n */ "triangle", /* o */ "small circle", /* p */ "partly cloudy",
    /* q */ "", /* r */ "restrooms", /* s */ "boat", /* t */ "tornado", /* u */ "truck",
    /* v */ "van", /* w */ "flooding", /* x */ "obstruction", /* y */ "Skywarn",
    /* z */ "shelter", /* { */ "fog", /* | */ "", /* } */ "", /* ~ */ "",
};
// clang-format on

bool isOverlay(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool isSymbolTable(char table) {
    return table == '/' || table == '\\' || isOverlay(table);
}

QString symbolName(AprsSymbol symbol) {
    if (!isSymbolTable(symbol.table) || symbol.code < kFirstCode || symbol.code > kLastCode) {
        return {};
    }
    const SymbolTable& table = symbol.primary() ? kPrimary : kAlternate;
    QString name = QString::fromLatin1(table[symbol.code - kFirstCode]);
    if (name.isEmpty() || !symbol.overlay()) {
        return name;
    }
    return name + QStringLiteral(" with overlay ") + QLatin1Char(symbol.overlay());
}
