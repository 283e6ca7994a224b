#pragma once

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A box that an operation, a rule or the decoder wants shown to the user. Only the window and
// the command line show it; everything below them returns it.
struct Box {
    enum class Kind {
        Information,  // information icon, one OK button
        Error,        // the application's error box: error icon, one OK button
    };
    QString title;
    QString text;
    Kind kind = Kind::Information;
    // How many lines the operation had logged when the box came up: the box is shown before
    // the lines logged after it.
    int afterLines = 0;

    bool operator==(const Box&) const = default;
};
using Boxes = std::vector<Box>;

// The modal box titled "Information".
inline Box informationBox(QString text) {
    return {QStringLiteral("Information"), std::move(text), Box::Kind::Information};
}
// The application's error box, titled with the application title.
inline Box errorBox(QString text) {
    return {QStringLiteral("Veltromark Configurator"), std::move(text), Box::Kind::Error};
}

// What an operation ended with: success, or failure with its reason; and the boxes it wants
// shown, in order.
struct Outcome {
    bool ok = false;
    QString failure;  // the reason, in the words the user sees; empty on success
    Boxes boxes;
    // The setting whose value the operation refused to write (the field at fault), so that the
    // window can lead the user to it; empty when no value was refused. (Its initializer lets
    // an outcome be written {ok, failure, boxes} without a warning.)
    std::string refusedSetting = {};

    // Adds boxes raised after `lines` lines of the log.
    void show(const Boxes& more, int lines) {
        for (Box box : more) {
            box.afterLines = lines;
            boxes.push_back(std::move(box));
        }
    }
    void show(Box box, int lines) { show(Boxes{std::move(box)}, lines); }
};

// A question an operation asks before a step that cannot be undone. The window shows it as a
// box with Yes and No, No the default; the command line asks on a terminal.
struct Question {
    QString title;
    QString text;  // lines separated by "\n"; the last one asks
};
// Answers a question: true to go ahead.
using Confirm = std::function<bool(const Question&)>;
