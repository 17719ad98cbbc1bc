#pragma once
// A connection run from the command line: the connection's views print
// recorded readings to stdout (and with --out into a data file), messages to
// stderr; a vanished port is given up at once. Ctrl+C and SIGTERM end a
// session cleanly (the port is closed, what was recorded stays).

#include "comm/commviews.h"

#include <QString>
#include <functional>

struct AppState;
class CliDataFile;

class ConsoleViews : public CommViews {
public:
    ConsoleViews(const AppState& s, CliDataFile* file, const char* command, bool printReplacements)
        : s_(s), file_(file), command_(command), printReplacements_(printReplacements)
    {
    }
    void AppendTableRow(const QString& info) override;
    void ReplaceLastTableRow(const QString& info) override;
    bool AppendRecord(const QString& info) override;
    bool RewriteLastRecord(int logCount, const QString& info) override;
    void ShowWarning(const QString& title, const QString& text) override;
    Answer AskRetryCancel(const QString& title, const QString& text) override;
    void TerminalAppend(const QString& text, ColorValue color) override;
    QString AskTransferFileName() override { return transferFile; }

    int recorded = 0;
    bool stopping = false;
    QString transferFile;
    qint64 receivedBytes = 0;
    std::function<void()> onRecorded;
    std::function<void()> onReceived;

private:
    void Print();

    const AppState& s_;
    CliDataFile* file_;
    const char* command_;
    bool printReplacements_;
};

// Prints to stdout in large blocks, flushed whenever the program is about to
// wait (for the port, a timer or a signal): a logger print arriving at full
// speed costs a few writes per thousand records, and nothing printed is held
// back while the meter is silent. Call before anything is printed.
void BatchStdout();

// Runs the event loop until `finish` is called (by a timer, a signal or the
// caller's own hooks); SIGINT and SIGTERM call `onSignal`.
void InstallSignalHandlers(const std::function<void()>& onSignal);

// Calls `onIdle` once nothing has arrived for `seconds` after something did.
void WatchForIdle(ConsoleViews& views, double seconds, const std::function<void()>& onIdle);
