#include "cli_commands.h"
#include "cli_datafile.h"
#include "cli_session.h"

#include "comm/connection.h"
#include "core/appstate.h"
#include "core/datetime.h"
#include "devices/catalogue.h"
#include "i18n/languagetable.h"
#include "platform/serial/serialportservice.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {
struct Options {
    QString model, port, out;
    double duration = 0, idleExit = 0;
    int count = 0;
};

// Parses the options shared by receive and transfer; false after a message.
bool Parse(const char* command, const QStringList& args, Options& o, bool needModel)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasNext = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--model") && hasNext) o.model = args[++i];
        else if (a == QLatin1String("--port") && hasNext) o.port = args[++i];
        else if (a == QLatin1String("--out") && hasNext) o.out = args[++i];
        else if (a == QLatin1String("--duration") && hasNext) o.duration = args[++i].toDouble(&ok);
        else if (a == QLatin1String("--idle-exit") && hasNext) o.idleExit = args[++i].toDouble(&ok);
        else if (a == QLatin1String("--count") && hasNext) o.count = args[++i].toInt(&ok);
        else {
            std::fprintf(stderr, "vam-cli %s: unknown option '%s'\n", command, qPrintable(a));
            return false;
        }
        if (!ok || o.duration < 0 || o.idleExit < 0 || o.count < 0) {
            std::fprintf(stderr, "vam-cli %s: invalid value for %s\n", command, qPrintable(a));
            return false;
        }
    }
    if (o.port.isEmpty() || (needModel && o.model.isEmpty()))
        return false;
    if (needModel && !FindModel(o.model)) {
        std::fprintf(stderr, "vam-cli %s: '%s' is not a supported model (see 'vam-cli models')\n", command,
                     qPrintable(o.model));
        return false;
    }
    return true;
}
} // namespace

int RunReceive(const QStringList& args)
{
    Options o;
    if (!Parse("receive", args, o, true)) {
        std::fprintf(stderr, "Usage: vam-cli receive --model MODEL --port PORT [--duration S] [--idle-exit S] [--count N] [--out FILE.vam]\n");
        return 2;
    }
    BatchStdout();
    AppState state;
    LanguageTable language;
    ApplyDevice(state, o.model, NowDays());
    state.DeviceName = o.model;
    state.SerialPort = o.port;
    state.EchoCommands = false;
    std::unique_ptr<CliDataFile> file;
    if (!o.out.isEmpty())
        file = std::make_unique<CliDataFile>(state, language, o.out, "receive");
    ConsoleViews views(state, file.get(), "receive", true);
    SerialPortService* serial = CreateQtSerialPort();
    Connection conn(state, language, *serial, views);
    int exitCode = 0;
    bool finishing = false;
    auto finish = [&](int code) {
        if (finishing)
            return;
        finishing = true;
        exitCode = code;
        views.stopping = true;
        if (state.ReceiveMode)
            conn.mnuDataReceive_Click(); // switches Receive off and closes the port
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
    views.onRecorded = [&] {
        if (o.count > 0 && views.recorded >= o.count)
            QTimer::singleShot(0, qApp, [&] { finish(0); });
    };
    QObject::connect(&conn, &Connection::ConnectionLost, qApp, [&] { finish(1); });
    InstallSignalHandlers([&] { finish(0); });
    if (o.duration > 0)
        QTimer::singleShot(int(o.duration * 1000), qApp, [&] { finish(0); });
    if (o.idleExit > 0)
        WatchForIdle(views, o.idleExit, [&] {
            if (views.recorded > 0)
                finish(0);
        });
    QTimer::singleShot(0, qApp, [&] {
        conn.mnuDataReceive_Click(); // runs until Receive is switched off or the port closes
        if (!finishing)
            finish(state.PortLost || conn.ActionResult() == Connection::ResultFailed ? 1 : 0);
    });
    QCoreApplication::exec();
    std::fflush(stdout);
    if (file && !file->Finish() && exitCode == 0)
        exitCode = 1;
    return exitCode;
}

int RunTransferCommand(const QStringList& args)
{
    Options o;
    if (!Parse("transfer", args, o, false) || o.out.isEmpty()) {
        std::fprintf(stderr, "Usage: vam-cli transfer --port PORT --out FILE [--duration S] [--idle-exit S]\n");
        return 2;
    }
    AppState state;
    LanguageTable language;
    state.DeviceName = o.model;
    state.SerialPort = o.port;
    state.EchoCommands = false;
    ConsoleViews views(state, nullptr, "transfer", false);
    views.transferFile = o.out;
    SerialPortService* serial = CreateQtSerialPort();
    Connection conn(state, language, *serial, views);
    int exitCode = 0;
    bool finishing = false;
    auto finish = [&](int code) {
        if (finishing)
            return;
        finishing = true;
        exitCode = code;
        if (state.TransferMode)
            conn.mnuDataTransfer_Click(); // closes the file with everything that arrived
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
    QObject::connect(&conn, &Connection::ConnectionLost, qApp, [&] { finish(1); });
    InstallSignalHandlers([&] { finish(0); });
    if (o.duration > 0)
        QTimer::singleShot(int(o.duration * 1000), qApp, [&] { finish(0); });
    if (o.idleExit > 0)
        WatchForIdle(views, o.idleExit, [&] { finish(0); });
    QTimer::singleShot(0, qApp, [&] {
        conn.mnuDataTransfer_Click(); // captures until stopped or the port closes
        if (!finishing)
            finish(conn.ActionResult() == Connection::ResultFailed || !state.TransferMode ? 1 : 0);
    });
    QCoreApplication::exec();
    std::fprintf(stderr, "vam-cli transfer: %lld bytes written to %s\n", views.receivedBytes, qPrintable(o.out));
    return exitCode;
}
