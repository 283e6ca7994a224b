#pragma once

#include "settings/wording.h"

// The window's words, so that the messages the operations build read as the window shows them.
inline Wording windowWords() {
    return {"using \"Write config\" button",
            "using \"Upload firmware\" button",
            "with \"Read\"",
            "Firmware resource not found (FindResource).",
            "Blad otwarcia pliku",
            "Nie mozna otworzyc pliku docelowego."};
}
