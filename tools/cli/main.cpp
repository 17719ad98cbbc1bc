// vam-cli: the command-line companion of VAM.

#include "cli_commands.h"
#include "cli_usage.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>


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
        return PrintOverview(stderr, 2);
    const QString command = args.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h"))
        return PrintOverview(stdout, 0);
    if (command == QLatin1String("--version")) {
        std::printf("vam-cli %s\n", VAM_VERSION);
        return 0;
    }
    if (args.size() == 2 && (args[1] == QLatin1String("--help") || args[1] == QLatin1String("-h"))
        && PrintCommandHelp(command))
        return 0;
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
    return PrintOverview(stderr, 2);
}
