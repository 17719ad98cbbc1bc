#pragma once
// Runs a model's parser over scripted input and collects what it records.

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/decoder.h"
#include "core/devices/parsercontext.h"
#include "core/devices/scriptedreader.h"
#include "core/help/languagetable.h"

#include <QStringList>
#include <functional>
#include <ostream>

// Where the parsers' clock starts: 2026-03-02 10:00:00. It moves with the
// scripted reader's virtual clock (silences and time-outs), as a wall clock
// moves while a parser waits.
constexpr double kTestNow = 46083.0 + 10.0 / 24.0;

class RecordingSink : public ReadingSink {
public:
    explicit RecordingSink(const AppState& s) : state_(s) {}
    void PropagateReading(bool replace) override
    {
        ++readings;
        replaced += replace ? 1 : 0;
        values += CurrentValues(state_, readings);
        rowTimes << state_.Readings[1].ReadingTime; // the time a table row takes
    }
    void StopReplyWatchdog() override { ++watchdogStops; }
    int readings = 0;
    int replaced = 0;
    int watchdogStops = 0;
    QList<DecodedValue> values;
    QList<double> rowTimes;

private:
    const AppState& state_;
};

struct ParserRun {
    ParserRun(const ParserRun&) = delete; // the clock refers to this run's reader
    explicit ParserRun(const QString& model)
    {
        ApplyDevice(state, model, kTestNow);
        state.DeviceName = model;
        ctx.clock = [this] { return kTestNow + reader.Now() / kSecondsPerDay; };
    }
    // Feeds the chunks and runs receive cycles until the input is used up.
    ParserRun& Run(const QStringList& chunks)
    {
        for (const QString& c : chunks)
            reader.Append(c);
        RunReceiveCycles(ctx, reader);
        return *this;
    }
    AppState state;
    LanguageTable language;
    ScriptedLineReader reader;
    RecordingSink sink{state};
    ParserContext ctx{state, language, reader, sink};
};

// "reading/channel value unit [over] [extra] {info}" per recorded value, for
// readable comparisons.
inline QStringList Describe(const QList<DecodedValue>& values)
{
    QStringList out;
    for (const DecodedValue& v : values) {
        QString s = QStringLiteral("%1/%2 %3 %4").arg(v.reading).arg(v.channel).arg(v.value, v.unit);
        if (v.overRange)
            s += QStringLiteral(" OR");
        if (!v.extra.isEmpty())
            s += QStringLiteral(" [") + v.extra + QLatin1Char(']');
        if (!v.info.isEmpty())
            s += QStringLiteral(" {") + v.info + QLatin1Char('}');
        out << s;
    }
    return out;
}

// Decodes `text` in one piece, then split once at every position; every split
// must give the same readings. Returns the description of the whole-text run.
// `setup` adjusts the state (mode, channels in use) before each run.
QStringList DecodeEverySplit(const QString& model, const QString& text,
                             const std::function<void(AppState&)>& setup = {});

inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << l.join(QStringLiteral(" | ")).toStdString(); }
