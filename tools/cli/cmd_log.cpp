#include "cli_args.h"
#include "cli_commands.h"
#include "cli_datafile.h"
#include "cli_mqtt.h"
#include "cli_output.h"
#include "cli_session.h"
#include "cli_usage.h"

#include "comm/commviews.h"
#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/serial/serialportservice.h"

#include <QCoreApplication>
#include <QTimer>
#include <memory>
#include <cstdio>

int RunLog(const QStringList& args)
{
    CliArgs a("log", args,
              {"--model", "--port", "--out", "--poll-interval", "--count", "--duration", "--mqtt", "--bench",
               "--mqtt-ca", "--mqtt-drain"},
              {"--listen"});
    int pollInterval = 1, count = 0;
    double duration = 0;
    if (!a.Ok() || !a.Number("--poll-interval", pollInterval, 1, 3599) || !a.Number("--count", count, 0)
        || !a.Number("--duration", duration, 0)) {
        a.Report();
        return UsageError("log");
    }
    const QString model = CliModelName(a.Value("--model")), port = a.Value("--port"), out = a.Value("--out");
    const bool listen = a.Has("--listen");
    if (model.isEmpty() || port.isEmpty())
        return UsageError("log");
    CliMqtt mqtt("log");
    if (!mqtt.Configure(a, out))
        return UsageError("log");
    if (!FindModel(model)) {
        std::fprintf(stderr, "vam-cli log: '%s' is not a supported model (see 'vam-cli models')\n", qPrintable(model));
        return 2;
    }

    AppState state;
    LanguageTable language;
    ApplyDevice(state, model, NowDays());
    state.DeviceName = model;
    state.SerialPort = port;
    state.PollValues = !listen;
    state.PollInterval = pollInterval;
    state.LogInterval = 0; // every complete reading is recorded
    state.EchoCommands = false;

    std::unique_ptr<CliDataFile> file;
    if (!out.isEmpty())
        file = std::make_unique<CliDataFile>(state, language, out, "log");
    ConsoleViews views(state, file.get(), "log", false);
    SerialPortService* serial = CreateQtSerialPort();
    Connection conn(state, language, *serial, views);
    conn.readingRecorded = [&](bool replace) { mqtt.Record(state, replace); };
    int exitCode = 0;
    auto finish = [&](int code) {
        exitCode = code;
        views.stopping = true;
        if (state.Connected)
            conn.StopVerbinding(); // closes the port, which ends any wait
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
    // Stopping adds the stop record; it must come after the reading being
    // recorded has reached the data file, so the stop waits for the event loop.
    views.onRecorded = [&] {
        if (count > 0 && views.recorded >= count)
            QTimer::singleShot(0, qApp, [&] { finish(0); });
    };
    QObject::connect(&conn, &Connection::ConnectionLost, qApp, [&] { finish(1); });
    QObject::connect(&conn, &Connection::MeterSilenceChanged, qApp, [&](bool silent) {
        std::fflush(stdout);
        if (silent)
            std::fprintf(stderr, "vam-cli log: %s\n", qPrintable(conn.SilentMeterText()));
        else
            std::fprintf(stderr, "vam-cli log: the meter answers again\n");
    });

    InstallSignalHandlers([&] { finish(0); });
    if (duration > 0)
        QTimer::singleShot(int(duration * 1000), qApp, [&] { finish(0); });

    conn.InstellenCommPoort();
    if (conn.ActionResult() == Connection::ResultFailed)
        return 1;
    conn.mnuDataMeasure_Click();
    if (!state.Connected)
        return 1;
    // Before the first reading, which comes with the next tick.
    if (!mqtt.Start()) {
        conn.StopVerbinding();
        return 1;
    }
    conn.mnuDatalogging_Click();
    QCoreApplication::exec();
    const bool silentAtEnd = conn.MeterSilent();
    std::fflush(stdout);
    if (file && !file->Finish() && exitCode == 0)
        exitCode = 1;
    mqtt.Finish();
    // A run that logged nothing, or ended with the meter silent, is no success.
    if (exitCode == 0 && silentAtEnd) {
        std::fprintf(stderr, "vam-cli log: the meter on %s did not answer; %d reading(s) logged\n", qPrintable(port),
                     views.recorded);
        exitCode = 1;
    } else if (exitCode == 0 && views.recorded == 0) {
        std::fprintf(stderr, "vam-cli log: no reading came from the meter on %s; nothing was logged\n", qPrintable(port));
        exitCode = 1;
    }
    return exitCode;
}
