#include "cli_commands.h"
#include "cli_datafile.h"
#include "cli_output.h"

#include "comm/commviews.h"
#include "comm/connection.h"
#include "core/appstate.h"
#include "core/datetime.h"
#include "devices/catalogue.h"
#include "i18n/languagetable.h"
#include "platform/serial/serialportservice.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <memory>
#include <cstdio>
#include <unistd.h>

namespace {
int gSignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[1], &c, 1);
}

// The connection's views for a terminal: recorded readings go to stdout
// (and with --out to a data file), messages to stderr; a vanished port is
// given up at once.
class ConsoleViews : public CommViews {
public:
    ConsoleViews(const AppState& s, CliDataFile* file) : s_(s), file_(file) {}
    void AppendTableRow(const QString& info) override
    {
        if (file_)
            file_->TableRow(info);
        if (s_.CurrentInfo == QLatin1String("Stop") || stopping)
            return; // the stop record closes a run; it carries no values
        ++recorded;
        PrintValues(CurrentValues(s_, recorded), true);
        std::fflush(stdout);
        if (onRecorded)
            onRecorded();
    }
    void ReplaceLastTableRow(const QString& info) override
    {
        if (file_)
            file_->ReplaceTableRow(info);
    }
    bool AppendRecord(const QString& info) override { return !file_ || file_->Record(info); }
    bool RewriteLastRecord(int logCount, const QString& info) override
    {
        return !file_ || file_->RewriteRecord(logCount, info);
    }
    void ShowWarning(const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "vam-cli log: %s: %s\n", qPrintable(title), qPrintable(text.simplified()));
    }
    Answer AskRetryCancel(const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "vam-cli log: %s: %s (the port has gone away)\n", qPrintable(title), qPrintable(text.simplified()));
        return Cancel;
    }
    int recorded = 0;
    bool stopping = false;
    std::function<void()> onRecorded;

private:
    const AppState& s_;
    CliDataFile* file_;
};

int Usage()
{
    std::fprintf(stderr, "Usage: vam-cli log --model MODEL --port PORT [--listen] [--poll-interval S] [--count N] [--duration S] [--out FILE.vam]\n");
    return 2;
}
} // namespace

int RunLog(const QStringList& args)
{
    QString model, port, out;
    bool listen = false;
    int pollInterval = 1, count = 0;
    double duration = 0;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        bool ok = true;
        if (a == QLatin1String("--model") && !next.isEmpty()) model = args[++i];
        else if (a == QLatin1String("--port") && !next.isEmpty()) port = args[++i];
        else if (a == QLatin1String("--listen")) listen = true;
        else if (a == QLatin1String("--out") && !next.isEmpty()) out = args[++i];
        else if (a == QLatin1String("--poll-interval") && !next.isEmpty()) pollInterval = args[++i].toInt(&ok);
        else if (a == QLatin1String("--count") && !next.isEmpty()) count = args[++i].toInt(&ok);
        else if (a == QLatin1String("--duration") && !next.isEmpty()) duration = args[++i].toDouble(&ok);
        else return Usage();
        if (!ok || pollInterval < 1 || pollInterval > 3599 || count < 0 || duration < 0) {
            std::fprintf(stderr, "vam-cli log: invalid value for %s\n", qPrintable(a));
            return 2;
        }
    }
    if (model.isEmpty() || port.isEmpty())
        return Usage();
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
    ConsoleViews views(state, file.get());
    SerialPortService* serial = CreateQtSerialPort();
    Connection conn(state, language, *serial, views);
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

    if (::pipe(gSignalPipe) == 0) {
        auto* notifier = new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, [&] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(gSignalPipe[0], &c, 1);
            finish(0);
        });
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }
    if (duration > 0)
        QTimer::singleShot(int(duration * 1000), qApp, [&] { finish(0); });

    conn.InstellenCommPoort();
    if (conn.ActionResult() == Connection::ResultFailed)
        return 1;
    conn.mnuDataMeasure_Click();
    if (!state.Connected)
        return 1;
    conn.mnuDatalogging_Click();
    QCoreApplication::exec();
    std::fflush(stdout);
    if (file && !file->Finish() && exitCode == 0)
        exitCode = 1;
    return exitCode;
}
