#include <QCoreApplication>
#include <cstdio>

#include "cli/cli_sink.h"
#include "cli/command_line.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltromark-cli"));
    CliSink sink;
    return runCli(QCoreApplication::arguments(), sink, [](const QByteArray& text) {
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
        std::fflush(stdout);
    });
}
