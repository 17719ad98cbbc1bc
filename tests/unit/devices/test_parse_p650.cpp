#include "support/parserharness.h"

#include <gtest/gtest.h>

namespace {
// Meter bytes as they arrive, NULs included.
template <size_t N> QString Bytes(const char (&text)[N]) { return QString::fromLatin1(text, N - 1); }

QString Line(const char* time, const char* values)
{
    return QStringLiteral("02/03/26\t") + QString::fromLatin1(time) + '\t' + QString::fromLatin1(values)
        + QStringLiteral("\r\n");
}

// Three probes connected; the meter prints a column for each channel in use.
void ThreeProbes(AppState& s)
{
    for (int ch = 4; ch <= s.ChannelCount; ++ch)
        s.Channel(ch).Use = false;
}
} // namespace

TEST(ParseP650, Lines)
{
    const QString first = Line("10:15:30", "21.5\t22.0\t-5.3");
    const QString second = Line("10:15:40", "21.6\t22.1\t-5.2");
    const QStringList both = {"1/1 21.5 \u00B0C", "1/2 22.0 \u00B0C", "1/3 -5.3 \u00B0C",
                              "2/1 21.6 \u00B0C", "2/2 22.1 \u00B0C", "2/3 -5.2 \u00B0C"};
    const struct {
        const char* name;
        std::function<void(AppState&)> setup;
        QString text;
        QStringList expected;
    } cases[] = {
        {"two lines in one block give two readings", ThreeProbes, first + second, both},
        {"the user's unit", [](AppState& s) { ThreeProbes(s); s.DeviceUnit = QStringLiteral("K"); },
         Line("10:15:30", "294.6\t295.2"), {"1/1 294.6 K", "1/2 295.2 K"}},
        {"alarms and over range stay with their reading", ThreeProbes,
         Line("10:15:30", "21.5H\t99999\t-5.3L") + second,
         {"1/1 21.5 \u00B0C {Alarm CH1: H, Alarm CH3: L}", "1/2 99999 \u00B0C OR {Alarm CH1: H, Alarm CH3: L}",
          "1/3 -5.3 \u00B0C {Alarm CH1: H, Alarm CH3: L}", "2/1 21.6 \u00B0C", "2/2 22.1 \u00B0C",
          "2/3 -5.2 \u00B0C"}},
        {"channel not in use takes no column", [](AppState& s) { ThreeProbes(s); s.Channel(2).Use = false; },
         Line("10:15:30", "21.5\t-5.3"), {"1/1 21.5 \u00B0C", "1/3 -5.3 \u00B0C"}},
        {"identification, noise and broken lines are passed over", ThreeProbes,
         Bytes("Identification No: 12345\r\n\0\0\0\x01\xff\r\n1/2\r\nab/\tjunk\r\nTemperatures\r\n") + first
             + second,
         both},
        {"half line waits", ThreeProbes, first + "02/03/26\t10:1", both.mid(0, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QStringLiteral("P652"), c.text, c.setup), c.expected);
    }
}

TEST(ParseP650, BurstRecordsAllButTheLastReadingItself)
{
    ParserRun run(QStringLiteral("P651"));
    run.state.DeviceUnit = QStringLiteral("\u00B0F");
    run.state.LogNext = true;
    run.Run({QStringLiteral("Identification No: 4711\r\n") + Line("10:15:30", "70.7\t71.6")
             + Line("10:15:40", "70.9\t71.8")});
    EXPECT_EQ(run.sink.readings, 2);
    EXPECT_EQ(run.sink.watchdogStops, 1); // only the last reading returns to the caller
    EXPECT_EQ(run.state.IdentificationNumber, QStringLiteral("4711"));
    ASSERT_EQ(run.sink.values.size(), 4);
    EXPECT_EQ(run.sink.values[3].unit, QStringLiteral("\u00B0F"));
    EXPECT_NEAR(run.sink.values[2].time - run.sink.values[0].time, kOneSecond, 1e-9); // same second, logged apart
}
