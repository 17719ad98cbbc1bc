#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"
#include "cli_datafile.h"
#include "cli_mqtt.h"
#include "cli_session.h"

#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
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
    bool mustBeNew = false; // transfer --new
};

// Parses the options shared by receive and transfer: receive (needModel)
// also takes the publishing options into `mqtt`, transfer --new. False after
// a message.
bool Parse(const char* command, const QStringList& args, Options& o, bool needModel, CliMqtt* mqtt = nullptr)
{
    CliArgs a = needModel ? CliArgs(command, args,
                                    {"--model", "--port", "--out", "--duration", "--idle-exit", "--count", "--mqtt",
                                     "--bench", "--mqtt-ca", "--mqtt-drain"})
                          : CliArgs(command, args, {"--model", "--port", "--out", "--duration", "--idle-exit", "--count"},
                                    {"--new"});
    if (!a.Ok() || !a.Number("--duration", o.duration, 0) || !a.Number("--idle-exit", o.idleExit, 0)
        || !a.Number("--count", o.count, 0)) {
        a.Report();
        return false;
    }
    o.model = CliModelName(a.Value("--model"));
    o.port = a.Value("--port");
    o.out = a.Value("--out");
    o.mustBeNew = a.Has("--new");
    if (o.port.isEmpty() || (needModel && o.model.isEmpty()))
        return false;
    if (mqtt && !mqtt->Configure(a, o.out))
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
    CliMqtt mqtt("receive");
    if (!Parse("receive", args, o, true, &mqtt))
        return UsageError("receive");
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
    if (!mqtt.Start())
        return 1;
    conn.readingRecorded = [&](bool replace) { mqtt.Record(state, replace); };
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
    mqtt.Finish();
    return exitCode;
}

int RunTransferCommand(const QStringList& args)
{
    Options o;
    if (!Parse("transfer", args, o, false) || o.out.isEmpty())
        return UsageError("transfer");
    // Said (or refused) before the port or the file is opened.
    QString notice;
    const bool writable = CheckAppendFile("transfer", o.out, o.mustBeNew, notice);
    if (!notice.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(notice));
    if (!writable)
        return 1;
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
