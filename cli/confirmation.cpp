#include "cli/confirmation.h"

#include <optional>

#include "cli/cli_sink.h"
#include "cli/command.h"
#include "cli/stop_signal.h"

Confirm confirmation(Invocation& in, const QString& what) {
    return [&in, what](const Question& question) {
        // A stop signal before or at the question is a no: nothing is sent.
        if (stopSignalled()) {
            return false;
        }
        if (in.yes) {
            return true;
        }
        in.sink.finish();
        if (const std::optional<bool> answer = in.ask ? in.ask(question) : std::nullopt) {
            return *answer && !stopSignalled();
        }
        in.sink.say(complaint(
            QStringLiteral("no terminal to ask whether to %1: give --yes to go ahead").arg(what)));
        return false;
    };
}
