#include "support/parserharness.h"
#include "core/devices/parsers.h"

#include <gtest/gtest.h>

// The G40xx parser empties its buffer at every call, so a script holds one
// reading line; what follows it in the same call is dropped by design.

namespace {
const QString kDegC = QString::fromLatin1("\xf8" "C");

QString Line(const QString& afterTime, const QString& date = QStringLiteral("02/03/26"),
             const QString& time = QStringLiteral("10:15:30"))
{
    return date + QLatin1Char('\t') + time + QLatin1Char('\t') + afterTime + QStringLiteral("\r\n");
}

using StateSetup = std::function<void(AppState&)>;
void Listen(AppState& s) { s.PollValues = false; }
void Poll(AppState& s) { s.PollValues = true; }
// Listening, with a value left from an earlier reading in channel 1.
void ListenStale(AppState& s)
{
    s.PollValues = false;
    s.Readings[1].ValueText = QStringLiteral("6.50");
    s.Readings[1].HasValue = true;
}
} // namespace

TEST(ParseG40xx, Lines)
{
    const QString reading = Line(QStringLiteral("7.01\tpH\t25.0\t") + kDegC + QStringLiteral("\tTref=25\t#3"));
    const QStringList expected = {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 25.0 \u00B0C")};
    const struct { const char* name; StateSetup setup; QString text; QStringList expected; } cases[] = {
        {"listen", Listen, reading, expected},
        {"poll reply", Poll, QStringLiteral("<?{\r\n") + reading, expected},
        {"stale line before the reply header", Poll, QStringLiteral("x\r\n<?{\r\n") + reading, expected},
        {"header before the reading", Listen, QStringLiteral("Velmark G4010\r\n\r\n") + reading, expected},
        {"over range value and temperature", Listen, Line(QStringLiteral("--\tmS/cm\t--\t") + kDegC),
         {QStringLiteral("1/1 -- mS/cm OR"), QStringLiteral("1/2 -- \u00B0C OR")}},
        {"no temperature", Listen, Line(QStringLiteral("512\t\xe6S/cm\t\t")), {QStringLiteral("1/1 512 \u00B5S/cm")}},
        {"one-digit day", Listen, Line(QStringLiteral("7.01\tpH\t25.0"), QStringLiteral("2/03/26")), {}},
        {"time without colon", Listen, Line(QStringLiteral("7.01\tpH\t25.0"), QStringLiteral("02/03/26"),
                                            QStringLiteral("101530")), {}},
        {"line ending after the time", ListenStale, QStringLiteral("02/03/26\t10:15:30\r\n"), {}},
        {"garbage, NUL bytes and a half line", Listen,
         QStringLiteral("garbage\r\n") + QString(3, QChar(0)) + QStringLiteral("\r\n02/03/26\t10:15:30\t7.0"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QStringLiteral("G4010"), c.text, c.setup), c.expected);
    }
}

TEST(ParseG40xx, TemperatureIsStampedAndRetriesReset)
{
    ParserRun run(QStringLiteral("G4030"));
    run.state.PollValues = true;
    run.state.PollRetries = 4;
    run.state.Readings[2].ReadingTime = 0;
    run.reader.Append(QStringLiteral("<?{\r\n") + Line(QStringLiteral("7.01\tpH\t25.0\t") + kDegC));
    bool complete = false;
    ParseG40xx(run.ctx, complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(run.state.PollRetries, 0);
    EXPECT_EQ(run.state.Readings[2].ReadingTime, kTestNow);
    EXPECT_TRUE(run.state.Readings[2].HasValue);
}
