// vam-cli: the command-line companion of VAM.

#include "cli_commands.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {
struct Command {
    const char* name;
    const char* synopsis; // the arguments
    const char* about;    // what it does, one or more indented lines
};
const Command kCommands[] = {
    {"models", "", "list the supported meter models (name, family, channels, poll command, baud rate)\n"},
    {"decode", "--model MODEL [--datalog] [--channels LIST] [--out FILE.vam] [FILE|-]",
     "decode captured meter output; one line per channel value:\n"
     "[record time] reading, channel, value, unit, over-range, extra, info\n"
     "--channels: only these channels are switched on, as the meter reports them\n"
     "--out also writes the readings to a VAM data file\n"},
    {"log", "--model MODEL --port PORT [--listen] [--poll-interval S] [--count N] [--duration S]\n    [--out FILE.vam]",
     "measure from a meter and print each reading with its time\n"},
    {"receive", "--model MODEL --port PORT [--duration S] [--idle-exit S] [--count N] [--out FILE.vam]",
     "read the meter's logger memory; prints every record as decode --datalog does\n"},
    {"transfer", "--port PORT --out FILE [--duration S] [--idle-exit S]",
     "capture everything the meter prints, byte for byte, into FILE\n"},
    {"export", "FILE.vam [--csv OUT] [--model MODEL]", "the records of a data file as CSV (to stdout without --csv)\n"},
    {"config", "FILE.CFG [--out OUT.CFG]",
     "read a configuration file and write it back (to stdout without --out);\n"
     "each value that was out of range or unreadable is reported on stderr\n"},
    {"print", "FILE.vam --pdf OUT.pdf [--config NAME.CFG] [--selection N-M]",
     "the table of a data file as a PDF, with the page header of the\n"
     "configuration's [PRINTER] section; --selection: log numbers N to M only\n"},
};

// `text`'s lines, each after `indent`.
QByteArray Indented(const char* text, const char* indent)
{
    QByteArray out;
    for (const QByteArray& line : QByteArray(text).split('\n'))
        if (!line.isEmpty())
            out += indent + line + '\n';
    return out;
}

int Usage(FILE* to, int code)
{
    std::fprintf(to, "Usage: vam-cli COMMAND [OPTIONS]\n       vam-cli COMMAND --help\nCommands:\n");
    for (const Command& c : kCommands) {
        const QByteArray head = QByteArray("  ") + c.name + (*c.synopsis ? " " : "");
        std::fprintf(to, "%s%s\n%s", head.constData(), QByteArray(c.synopsis).replace("\n    ", "\n      ").constData(),
                     Indented(c.about, "              ").constData());
    }
    std::fprintf(to, "  --version   show the version\n");
    return code;
}

// vam-cli COMMAND --help: that command's usage and what it does.
int CommandHelp(const Command& c)
{
    std::printf("Usage: vam-cli %s%s%s\n%s", c.name, *c.synopsis ? " " : "",
                QByteArray(c.synopsis).replace("\n    ", "\n      ").constData(),
                Indented(c.about, "  ").constData());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Only print needs fonts and a paint device; it needs no display.
    const bool print = argc > 1 && qstrcmp(argv[1], "print") == 0;
    if (print && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(print ? new QGuiApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("vam-cli"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return Usage(stderr, 2);
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h"))
        return Usage(stdout, 0);
    if (command == QLatin1String("--version")) {
        std::printf("vam-cli %s\n", VAM_VERSION);
        return 0;
    }
    if (args.size() == 2 && (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h"))) {
        for (const Command& c : kCommands)
            if (command == QLatin1String(c.name))
                return CommandHelp(c);
    }
    if (command == QLatin1String("models"))
        return RunModels(args.mid(1));
    if (command == QLatin1String("decode"))
        return RunDecode(args.mid(1));
    if (command == QLatin1String("log"))
        return RunLog(args.mid(1));
    if (command == QLatin1String("receive"))
        return RunReceive(args.mid(1));
    if (command == QLatin1String("transfer"))
        return RunTransferCommand(args.mid(1));
    if (command == QLatin1String("export"))
        return RunExport(args.mid(1));
    if (command == QLatin1String("config"))
        return RunConfig(args.mid(1));
    if (command == QLatin1String("print"))
        return RunPrint(args.mid(1));
    std::fprintf(stderr, "vam-cli: unknown command '%s'\n", qPrintable(command));
    return Usage(stderr, 2);
}
