#include "support/parserharness.h"
#include "core/devices/parsers.h"

#include <gtest/gtest.h>

namespace {
// "date TAB time TAB unit TAB values CR LF", as the meter prints it.
QString Line(const QString& unitAndValues, const QString& date = QStringLiteral("02/03/26"))
{
    return date + QStringLiteral("\t10:15:30\t") + unitAndValues + QStringLiteral("\r\n");
}

using StateSetup = std::function<void(AppState&)>;
void Listen(AppState& s) { s.PollValues = false; }
void Poll(AppState& s) { s.PollValues = true; }
void Ch2Unused(AppState& s) { s.PollValues = false; s.Channel(2).Use = false; }
} // namespace

TEST(ParseP670, Lines)
{
    const QString three = Line(QStringLiteral("mg/l\t7.01\t1.5E+03\t0.25"));
    const QStringList threeValues = {QStringLiteral("1/1 7.01 mg/l"), QStringLiteral("1/2 1.5E+03 mg/l"),
                                     QStringLiteral("1/3 0.25 mg/l")};
    const struct { const char* name; StateSetup setup; QString text; QStringList expected; } cases[] = {
        // The line's closing must not be read as an alarm flag of the last value.
        {"values with exponent", Listen, three, threeValues},
        {"alarm flags and meter charset", Listen, Line(QString::fromLatin1("\xe6S/cm\t12.5H\t99999 \t3.1L")),
         {QStringLiteral("1/1 12.5 \u00B5S/cm {Alarm CH1: H, Alarm CH3: L}"),
          QStringLiteral("1/2 99999 \u00B5S/cm OR {Alarm CH1: H, Alarm CH3: L}"),
          QStringLiteral("1/3 3.1 \u00B5S/cm {Alarm CH1: H, Alarm CH3: L}")}},
        {"channels in use take the columns", Ch2Unused, Line(QStringLiteral("mV\t-12.0\t-13.5")),
         {QStringLiteral("1/1 -12.0 mV"), QStringLiteral("1/3 -13.5 mV")}},
        {"identification", Listen, QStringLiteral("#17\t") + Line(QStringLiteral("pH\t7.00")),
         {QStringLiteral("1/1 7.00 pH")}},
        {"burst of two", Listen, Line(QStringLiteral("pH\t7.01\t7.02")) + Line(QStringLiteral("pH\t7.03")),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 7.02 pH"), QStringLiteral("2/1 7.03 pH")}},
        {"header, bad dates and noise are dropped", Listen,
         QStringLiteral("Date\tTime\tUnit\tCH1\r\n") + Line(QStringLiteral("pH\t7.0"), QStringLiteral("32/13/26"))
             + Line(QStringLiteral("pH\t7.0"), QStringLiteral("2/3")) + QStringLiteral("garbage\r\n")
             + QString(4, QChar(0)) + QStringLiteral("\r\n02/03/26\t10:15:30\tpH\t7.0"),
         {}},
        {"reading then noise is recorded once", Listen, three + QStringLiteral("\r\nnoise\r\n"), threeValues},
        {"polled reply closed on the line", Poll, three.chopped(2) + QStringLiteral("<5\r\n"), threeValues},
        {"polled reply closed on a line of its own", Poll, three + QStringLiteral("<5\r\n"), threeValues},
        {"two polled replies", Poll, Line(QStringLiteral("pH\t7.01<5")) + Line(QStringLiteral("pH\t7.02<5")),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("2/1 7.02 pH")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QStringLiteral("P672"), c.text, c.setup), c.expected);
    }
}

TEST(ParseP670, ShortLineClearsTheRestAndSetsIdentification)
{
    ParserRun run(QStringLiteral("P671"));
    run.state.Readings[5].ValueText = QStringLiteral("stale");
    run.reader.Append(QStringLiteral("#0815\t") + Line(QStringLiteral("pH\t7.01\t7.02")));
    bool complete = false;
    ParseP670(run.ctx, complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(run.state.IdentificationNumber, QStringLiteral("0815"));
    EXPECT_EQ(run.state.Readings[2].ValueText, QStringLiteral("7.02"));
    EXPECT_EQ(run.state.Readings[2].UnitText, QStringLiteral("pH"));
    EXPECT_TRUE(run.state.Readings[5].ValueText.isEmpty());
    EXPECT_TRUE(run.state.CurrentInfo.isEmpty());
}

TEST(ParseP670, PolledReplyStopsTheWatchdogOnce)
{
    ParserRun run(QStringLiteral("P6720"));
    run.state.PollValues = true;
    run.Run({Line(QStringLiteral("pH\t7.01")) + QStringLiteral("<5\r\n")});
    EXPECT_EQ(run.sink.readings, 1);
    EXPECT_EQ(run.sink.watchdogStops, 1);
}
