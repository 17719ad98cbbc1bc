#include "cli_session.h"

#include "cli_datafile.h"
#include "cli_output.h"

#include "core/model/appstate.h"
#include "platform/core/terminationsignals.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <csignal>
#include <cstdio>

void ConsoleViews::Print()
{
    ++recorded;
    PrintValues(CurrentValues(s_, recorded), true);
    if (onRecorded)
        onRecorded();
}

void ConsoleViews::AppendTableRow(const QString& info)
{
    if (file_)
        file_->TableRow(info);
    if (s_.CurrentInfo == QLatin1String("Stop") || stopping)
        return; // the stop record closes a run; it carries no values
    Print();
}

void ConsoleViews::ReplaceLastTableRow(const QString& info)
{
    if (file_)
        file_->ReplaceTableRow(info);
    if (printReplacements_ && !stopping)
        Print(); // a record printed over several lines, completed line by line
}

bool ConsoleViews::AppendRecord(const QString& info) { return !file_ || file_->Record(info); }

bool ConsoleViews::RewriteLastRecord(int logCount, const QString& info)
{
    return !file_ || file_->RewriteRecord(logCount, info);
}

void ConsoleViews::ShowWarning(const QString& title, const QString& text)
{
    std::fflush(stdout); // what was printed before the message comes before it
    std::fprintf(stderr, "vam-cli %s: %s: %s\n", command_, qPrintable(title), qPrintable(text.simplified()));
}

CommViews::Answer ConsoleViews::AskRetryCancel(const QString& title, const QString& text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "vam-cli %s: %s: %s (the port has gone away)\n", command_, qPrintable(title),
                 qPrintable(text.simplified()));
    return Cancel;
}

void ConsoleViews::TerminalAppend(const QString& text, ColorValue)
{
    receivedBytes += text.size();
    if (onReceived)
        onReceived();
}

void BatchStdout()
{
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, qApp,
                     [] { std::fflush(stdout); });
}

void InstallSignalHandlers(const std::function<void()>& onSignal)
{
    auto* watcher = new TerminationSignals({SIGINT, SIGTERM}, qApp);
    QObject::connect(watcher, &TerminationSignals::Received, qApp, [onSignal](int) { onSignal(); });
}

void WatchForIdle(ConsoleViews& views, double seconds, const std::function<void()>& onIdle)
{
    auto* quiet = new QElapsedTimer;
    auto* timer = new QTimer(qApp);
    views.onReceived = [quiet] { quiet->start(); };
    QObject::connect(timer, &QTimer::timeout, qApp, [quiet, seconds, onIdle, timer] {
        if (quiet->isValid() && quiet->elapsed() >= qint64(seconds * 1000)) {
            timer->stop();
            onIdle();
        }
    });
    timer->start(qBound(20, int(seconds * 250), 250));
}
