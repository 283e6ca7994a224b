#pragma once

#include <QString>
#include <optional>

// The window program's own command line, answered before any window or display exists so
// that --help and --version work on a machine without a desktop (and for help2man).
// Prints the help or the version to standard output and returns the exit status when the
// program should stop there; returns nothing when the window should start. Options it does
// not know are left alone: Qt's own (-platform, -style, ...) are taken by QApplication.
// `program` is the name the usage line shows.
std::optional<int> answerCommandLine(int argc, char** argv, const QString& program);
