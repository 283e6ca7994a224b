#include <QCoreApplication>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <optional>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/cli_sink.h"
#include "cli/command_line.h"

namespace {

bool onTerminal(FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

// Asks on the terminal: the question's lines on standard error, the last one followed by
// "[y/N]", and one line of answer from standard input; only "y" or "yes" go ahead. Nothing when
// standard input or standard error is not a terminal.
std::optional<bool> askOnTerminal(const Question& question) {
    if (!onTerminal(stdin) || !onTerminal(stderr)) {
        return std::nullopt;
    }
    const QStringList lines = question.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QString prompt = lines.join(QLatin1Char('\n')) + QStringLiteral(" [y/N] ");
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    // Ctrl+C at the question ends the tool, as at any prompt: nothing has been sent yet. (While
    // the tracker is in use it is otherwise only noted, and the line would wait for Enter.)
    const auto noted = std::signal(SIGINT, SIG_DFL);
    char answer[64] = {};
    const bool answered = std::fgets(answer, sizeof answer, stdin) != nullptr;
    std::signal(SIGINT, noted == SIG_ERR ? SIG_DFL : noted);
    if (!answered) {
        std::fputc('\n', stderr);  // end of input: the prompt's line is ended, and it is a no
        return false;
    }
    const QString given = QString::fromLocal8Bit(answer).trimmed().toLower();
    return given == QLatin1String("y") || given == QLatin1String("yes");
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltromark-cli"));
    CliSink sink;
    return runCli(
        QCoreApplication::arguments(), sink,
        [](const QByteArray& text) {
            std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
            std::fflush(stdout);
        },
        askOnTerminal);
}
