#pragma once
// What a family parser works with: the shared state, the language table (for
// remark texts), the line reader it pulls text through, its own persistent
// receive buffer, and the place a completed reading is recorded.

#include "core/model/datetime.h"

#include <QString>
#include <functional>

struct AppState;
class LanguageTable;
class LineReader;

// Where completed readings go. The receive loop records them in the windows,
// the table and the data file; tests and the command line collect them.
class ReadingSink {
public:
    virtual ~ReadingSink() = default;
    // Records the current reading (`replace`: it replaces the last logged one).
    virtual void PropagateReading(bool replace) = 0;
    // One line of a reply that spans several lines: the value windows show
    // it at once; the row is recorded when the reply has ended.
    virtual void ShowPartialReading() {}
    // A reply is complete: the reply watchdog stops.
    virtual void StopReplyWatchdog() {}
    // A text for the status bar's message panel.
    virtual void ShowStatus(const QString& text) { Q_UNUSED(text); }
    // A warning message box (exclamation icon, OK).
    virtual void ShowWarning(const QString& title, const QString& text) { Q_UNUSED(title); Q_UNUSED(text); }
    // One line of the program's own (no line end) for the terminal window,
    // beside the meter's text: what was done with input that could not be
    // taken as it came.
    virtual void TerminalNote(const QString& text) { Q_UNUSED(text); }
};

// Receive buffers that survive between parser calls: text received but not yet parsed.
struct ParserBuffers {
    QString a100, n500, n335, k230, h260, j70xx, g40xx, p650, p670;
    void Clear() { *this = ParserBuffers(); }
    // Drops the unfinished last line of every buffer: once the port's input
    // has been emptied (before a poll), its rest will never arrive, and glued
    // to the next reply it would make a wrong reading.
    void DropUnfinishedLines();
};

struct ParserContext {
    ParserContext(AppState& s, const LanguageTable& l, LineReader& r, ReadingSink& k)
        : state(s), language(l), reader(r), sink(k)
    {
    }
    AppState& state;
    const LanguageTable& language;
    LineReader& reader;
    ReadingSink& sink;
    ParserBuffers buffers;
    // Captured text is being decoded: there is no meter to answer a request,
    // so exchanges that wait for one are skipped.
    bool offline = false;
    // The wall clock in days; tests replace it.
    std::function<double()> clock = [] { return NowDays(); };
};
