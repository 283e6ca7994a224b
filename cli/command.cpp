#include "cli/command.h"

#include "cli/cli_sink.h"
#include "settings/visible_text.h"

QString complaint(const QString& text) {
    return QStringLiteral("veltromark-cli: ") + text;
}

bool shown(CliSink& sink, const Outcome& outcome) {
    if (!outcome.ok) {
        sink.writeHeldLog();
    }
    sink.show(outcome.boxes);
    return outcome.ok;
}

int status(bool ok) {
    return ok ? kExitSuccess : kExitFailed;
}

void printLine(Invocation& in, const QString& line) {
    in.out((visibleText(line) + u'\n').toUtf8());
}
