#include "support/parserharness.h"
#include "core/logging/recordformat.h"
#include "core/devices/parsers.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {
const QString kDeg = QStringLiteral(" \u00B0C");

// "date TAB time TAB field TAB rest CR LF", as the meter prints it.
QString Line(const QString& field, const QString& rest)
{
    return QStringLiteral("02/03/26\t10:15:30\t") + field + QLatin1Char('\t') + rest + QStringLiteral("\r\n");
}

using StateSetup = std::function<void(AppState&)>;
void Listen(AppState& s) { s.PollValues = false; }
void Poll(AppState& s) { s.PollValues = true; }
void NoRetain(AppState& s) { s.PollValues = false; s.RetainTableValues = false; }
void Ch2Unused(AppState& s) { s.PollValues = false; s.Channel(2).Use = false; }
void Ch5Unused(AppState& s) { s.PollValues = false; s.Channel(5).Use = false; }
void Ch2UnusedPolled(AppState& s) { s.PollValues = true; s.Channel(2).Use = false; }
} // namespace

TEST(ParseH260, Lines)
{
    const QString ch1 = Line(QStringLiteral("CH1 pH"), QStringLiteral("7.01\tpH\t25.0"));
    const QString ch2 = Line(QStringLiteral("CH2 mV"), QStringLiteral("-120.5\tmV\t25.1"));
    const struct {
        const char* name;
        const char* model;
        StateSetup setup;
        QString text;
        QStringList expected;
    } cases[] = {
        {"channel field names the channel", "H261", Listen, ch2,
         {QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg}},
        {"EC is the channel before the temperature", "H264", Listen,
         Line(QStringLiteral("EC"), QStringLiteral("1.413\tmS/cm\t24.9")),
         {QStringLiteral("1/7 1.413 mS/cm"), QStringLiteral("1/8 24.9") + kDeg}},
        {"H264 CH5, over range", "H264", Listen, Line(QStringLiteral("CH5"), QStringLiteral("99999\tmV\t24.9")),
         {QStringLiteral("1/5 99999 mV OR"), QStringLiteral("1/8 24.9") + kDeg}},
        {"H268 combined fields", "H268", Listen,
         Line(QStringLiteral("CH1+CH2"), QStringLiteral("25.3\trH\t24.0"))
             + Line(QStringLiteral("EC+CH2"), QStringLiteral("12.5\t\xe6W\t24.0")),
         {QStringLiteral("1/3 25.3 rH"), QStringLiteral("1/4 12.5 \u00B5W"), QStringLiteral("1/6 24.0") + kDeg}},
        // Neither the value nor the unit of such a line is taken for the temperature.
        {"unrecognised field only updates the temperature", "H264", Listen,
         Line(QStringLiteral("XY"), QStringLiteral("7.01\tpH\t25.2")), {QStringLiteral("1/8 25.2") + kDeg}},
        {"a temperature-only line", "H264", Listen, Line(QStringLiteral("Temp"), QStringLiteral("25.3")),
         {QStringLiteral("1/8 25.3") + kDeg}},
        {"a channel beyond the model is unrecognised", "H261", Listen,
         Line(QStringLiteral("CH9"), QStringLiteral("7.01\tpH\t25.0")), {QStringLiteral("1/4 25.0") + kDeg}},
        {"no value still gives the temperature", "H261", Listen,
         Line(QStringLiteral("CH1"), QStringLiteral("Err\tpH\t25.0")),
         {QStringLiteral("1/4 25.0") + kDeg}},
        {"channel not in use is cleared", "H261", Ch2Unused, ch2, {QStringLiteral("1/4 25.1") + kDeg}},
        // Lines printed at once are one reading, however they arrive.
        {"a printed block is one reading", "H261", Listen, ch1 + ch2,
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg}},
        {"a printed block without retained values", "H261", NoRetain, ch1 + ch2,
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg}},
        {"a channel twice in a block starts the next reading", "H261", Listen, ch1 + ch2 + ch1,
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg,
          QStringLiteral("2/1 7.01 pH"), QStringLiteral("2/2 -120.5 mV"), QStringLiteral("2/4 25.0") + kDeg}},
        {"noise between readings records nothing twice", "H261", Listen,
         ch1 + QStringLiteral("Velmark H261\r\n\r\n"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/4 25.0") + kDeg}},
        {"garbage, NUL bytes and a half line", "H261", Listen,
         QStringLiteral("garbage\r\n") + QString(3, QChar(0)) + QStringLiteral("\r\n02/03/26\t10:15:30\tCH1\t7.0"), {}},
        {"polled reply closed on the line", "H262", Poll, ch1.chopped(2) + QStringLiteral("<5\r\n"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/4 25.0") + kDeg}},
        {"polled reply closed on a line of its own", "H262", Poll, ch2 + QStringLiteral("<5\r\n"),
         {QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg}},
        {"unclosed polled reply waits", "H262", Poll, ch2, {}},
        // A polled reply of several lines is one reading, not one per line.
        {"polled reply of several lines is one reading", "H261", Poll, ch1 + ch2.chopped(2) + QStringLiteral("<5\r\n"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg}},
        {"polled reply without retained values keeps all its lines", "H261",
         [](AppState& s) { s.PollValues = true; s.RetainTableValues = false; },
         ch1 + ch2 + QStringLiteral("<5\r\n") + ch2.chopped(2) + QStringLiteral("<5\r\n"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg,
          QStringLiteral("2/2 -120.5 mV"), QStringLiteral("2/4 25.1") + kDeg}},
        // The reply's closing text, given to a printed line, is no temperature and no part of a unit.
        {"printed line with an empty temperature field", "H261", Listen, Line(QStringLiteral("CH1"), QStringLiteral("7.01\tpH\t")),
         {QStringLiteral("1/1 7.01 pH")}},
        {"printed line ending after the unit", "H261", Listen, Line(QStringLiteral("CH1"), QStringLiteral("7.01\tpH")),
         {QStringLiteral("1/1 7.01 pH")}},
        {"polled line ending after the unit", "H262", Poll,
         Line(QStringLiteral("CH2"), QStringLiteral("-120.5\tmV")).chopped(2) + QStringLiteral("<5\r\n"),
         {QStringLiteral("1/2 -120.5 mV")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QLatin1String(c.model), c.text, c.setup), c.expected);
    }
}

// Printed apart, lines are readings of their own (the others carried
// forward); printed together, one reading with one time.
TEST(ParseH260, PrintedBlocksAndSeparatePrints)
{
    const QString ch1 = Line(QStringLiteral("CH1"), QStringLiteral("7.01\tpH\t25.0"));
    const QString ch2 = Line(QStringLiteral("CH2"), QStringLiteral("-120.5\tmV\t25.1"));
    ParserRun run(QStringLiteral("H261"));
    run.state.PollValues = false;
    run.reader.Append(ch1);
    run.reader.Append(ch2, 0.05); // same block: a short pause between lines
    run.reader.Append(ch1, 2.0);  // a print of its own
    run.reader.Append(ch2, 2.0);
    RunReceiveCycles(run.ctx, run.reader);
    EXPECT_EQ(Describe(run.sink.values),
              (QStringList{QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 -120.5 mV"), QStringLiteral("1/4 25.1") + kDeg,
                           QStringLiteral("2/1 7.01 pH"), QStringLiteral("2/2 -120.5 mV"), QStringLiteral("2/4 25.0") + kDeg,
                           QStringLiteral("3/1 7.01 pH"), QStringLiteral("3/2 -120.5 mV"), QStringLiteral("3/4 25.1") + kDeg}));
    ASSERT_EQ(run.sink.rowTimes.size(), 3);
    EXPECT_EQ(run.sink.rowTimes[0], kTestNow) << "the block takes the time of its first line";
    EXPECT_GT(run.sink.rowTimes[1], run.sink.rowTimes[0]);
    EXPECT_GT(run.sink.rowTimes[2], run.sink.rowTimes[1]);
}

TEST(ParseH260, IdentificationAndCompletion)
{
    ParserRun run(QStringLiteral("H263"));
    run.reader.Append(QStringLiteral("#0042\t") + Line(QStringLiteral("CH1"), QStringLiteral("6.98\tpH\t24.7")));
    bool complete = false;
    ParseH260(run.ctx, complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(run.state.IdentificationNumber, QStringLiteral("0042"));
    EXPECT_EQ(run.state.Readings[1].ValueText, QStringLiteral("6.98"));
    EXPECT_EQ(run.state.Readings[1].ReadingTime, kTestNow);
    EXPECT_EQ(run.sink.readings, 0); // a single line is recorded by the caller

    // A channel number beyond the model writes nothing past its channels.
    run.reader.Append(Line(QStringLiteral("CH9"), QStringLiteral("7.01\tpH\t25.0")));
    ParseH260(run.ctx, complete);
    EXPECT_TRUE(run.state.Readings[9].ValueText.isEmpty());
    EXPECT_FALSE(run.state.Readings[9].HasValue);
}

TEST(ParseH260, PolledReplyStopsTheWatchdogOnce)
{
    ParserRun run(QStringLiteral("H261"));
    run.state.PollValues = true;
    run.Run({Line(QStringLiteral("CH1"), QStringLiteral("7.01\tpH\t25.0")) + QStringLiteral("<5\r\n")});
    EXPECT_EQ(run.sink.readings, 1);
    EXPECT_EQ(run.sink.watchdogStops, 1);
}

// The data file writes every channel's stored value, shown or not: a channel
// switched off must keep none, whichever way its line came.
TEST(ParseH260, ChannelNotInUseStoresNoValue)
{
    const struct {
        const char* name;
        const char* model;
        StateSetup setup;
        int channel;
        QString text;
    } cases[] = {
        {"printed line", "H261", Ch2Unused, 2, Line(QStringLiteral("CH2 mV"), QStringLiteral("-120.5\tmV\t25.1"))},
        {"polled reply", "H262", Ch2UnusedPolled, 2,
         Line(QStringLiteral("CH2"), QStringLiteral("-120.5\tmV\t25.1")) + QStringLiteral("<5\r\n")},
        {"over range", "H264", Ch5Unused, 5, Line(QStringLiteral("CH5"), QStringLiteral("99999\tmV\t24.9"))},
    };
    const StampFormat stamps(QLocale::c());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParserRun run(QLatin1String(c.model));
        c.setup(run.state);
        run.Run({c.text});
        ASSERT_EQ(run.sink.readings, 1);
        QString line = QString::fromLatin1(RecordLine(run.state, QString(), stamps));
        QStringList items;
        while (!line.isEmpty())
            items << NextItem(line);
        // The stamp, then value, unit, over range and valid flag per channel.
        const int at = 1 + 4 * (c.channel - 1);
        ASSERT_GT(items.size(), at + 2);
        EXPECT_EQ(items.mid(at, 3), QStringList({QString(), QString(), QStringLiteral("False")}));
    }
}
