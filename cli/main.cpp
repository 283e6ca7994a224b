#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <optional>
#ifdef _WIN32
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

#include "cli/cli_sink.h"
#include "cli/command_line.h"
#include "cli/stop_signal.h"

namespace {

bool onTerminal(FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// Waits for a line of answer on standard input; false once a stop signal came instead. The
// signals are only noted, so the wait looks for one every so often rather than block in a read
// that the signal would not end.
bool answerComes() {
#ifndef _WIN32
    pollfd input{fileno(stdin), POLLIN, 0};
    while (!stopSignalled()) {
        if (poll(&input, 1, 100) > 0) {
            return true;
        }
    }
    return false;
#else
    // Ctrl+C and the console's close end a console read on their own.
    return !stopSignalled();
#endif
}

// Asks on the terminal: the question's lines on standard error, the last one followed by
// "[y/N]", and one line of answer from standard input; only "y" or "yes" go ahead. Nothing when
// standard input or standard error is not a terminal. A stop signal at the question is a no:
// nothing has been sent yet, and the tool ends with 130.
std::optional<bool> askOnTerminal(const Question& question) {
    if (!onTerminal(stdin) || !onTerminal(stderr)) {
        return std::nullopt;
    }
    const QStringList lines = question.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString prompt = lines.join(QLatin1Char('\n')) + QStringLiteral(" [y/N] ");
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    char answer[64] = {};
    const bool answered =
        answerComes() && std::fgets(answer, sizeof answer, stdin) != nullptr && !stopSignalled();
    if (!answered) {
        std::fputc('\n', stderr);  // end of input or a stop: the prompt's line is ended, a no
        return false;
    }
    const QString given = QString::fromLocal8Bit(answer).trimmed().toLower();
    return given == QLatin1String("y") || given == QLatin1String("yes");
}

}  // namespace

int main(int argc, char* argv[]) {
    // First of all: no signal may find the tool without its handlers, not even while it starts.
    const StopSignals caught;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltromark-cli"));
    CliSink sink;
    return runCli(
        QCoreApplication::arguments(), sink,
        [](const QByteArray& text) { writeToStream(stdout, text); }, askOnTerminal);
}
