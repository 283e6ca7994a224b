#include "app/program_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "app/app_info.h"

namespace {

void print(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char** argv, const QString& program) {
    QStringList arguments{program};
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }

    // A core application only, so nothing connects to a display. It is given the bare
    // program name so that the usage line does not show the path it was started from.
    QByteArray name = program.toLocal8Bit();
    char* coreArgv[] = {name.data(), nullptr};
    int coreArgc = 1;
    QCoreApplication core(coreArgc, coreArgv);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("%1: reads the Veltromark APRS tracker's configuration over USB, edits it "
                       "on tabbed pages, validates and writes it back, saves and loads "
                       "configuration files, uploads firmware and downloads the tracker's GPS "
                       "track memory into an NMEA log.\n\n"
                       "The tracker is found on USB by itself; veltromark-cli does the same "
                       "from the command line.")
            .arg(kApplicationTitle));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // Unknown options are not an error here: they may be Qt's, which QApplication takes.
    parser.parse(arguments);
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        print(parser.helpText());
        return 0;
    }
    if (parser.isSet(version)) {
        print(QStringLiteral("%1 %2\n").arg(program, kVersionText));
        return 0;
    }
    return std::nullopt;
}
