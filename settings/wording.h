#pragma once

#include <QString>

// What the messages of an operation call the controls of the program that runs it: the window
// names its buttons and boxes, the command-line tool its commands. Each fills in its own, so
// that nothing below them speaks of either.
struct Wording {
    // How a configuration is written, ending "…or write new configuration <this>.".
    QString writeConfiguration;
    // How firmware is uploaded, ending "You need to upload new firmware <this>.".
    QString uploadFirmware;
    // How the GPS memory is downloaded, in the erase question: "a track not yet downloaded
    // <this> will be lost".
    QString readGps;
    // Said when the program carries no firmware image to upload.
    QString noFirmware;
    // The title and first line of the box when the GPS log cannot be created; the line after
    // them names the file and why.
    QString logNotCreatedTitle;
    QString logNotCreated;
};
