#include "support/parserharness.h"
#include "core/devices/parsers.h"

#include <gtest/gtest.h>

namespace {
const QString kDeg = QStringLiteral("\u00B0C");
void Listen(AppState& s) { s.PollValues = false; }
} // namespace

TEST(ParseA100, ListenModeLines)
{
    const struct { const char* name; QString text; QStringList expected; } cases[] = {
        {"one reading", QStringLiteral("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 25.0 ") + kDeg}},
        {"identification", QStringLiteral("#1234\t-120.5\tmV\t21.3\t10:15:30\t02/03/26\r\n"),
         {QStringLiteral("1/1 -120.5 mV"), QStringLiteral("1/2 21.3 ") + kDeg}},
        {"over range", QStringLiteral("99999\tpH\t25.0\t10:15:30\t02/03/26\r\n"),
         {QStringLiteral("1/1 99999 pH OR"), QStringLiteral("1/2 25.0 ") + kDeg}},
        {"exponent gives g/l", QStringLiteral("1.23E-03\tConc\t20.1\t10:15:30\t02/03/26\r\n"),
         {QStringLiteral("1/1 1.23E-03 g/l"), QStringLiteral("1/2 20.1 ") + kDeg}},
        {"meter charset and relative mode", QString::fromLatin1("512\t\xe6S/cm^\t20.1\t10:15:30\t02/03/26\r\n"),
         {QStringLiteral("1/1 512 \u00B5S/cm rel. {relative mode}"), QStringLiteral("1/2 20.1 \u00B0C {relative mode}")}},
        {"short and slashless lines change nothing", QStringLiteral("7.0\r\nHeader line\r\n"), {}},
        {"burst of three", QStringLiteral("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\nNoise\r\n"
                                          "7.02\tpH\t25.1\t10:15:31\t02/03/26\r\n7.03\tpH\t25.2\t10:15:32\t02/03/26\r\n"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 25.0 ") + kDeg, QStringLiteral("2/1 7.02 pH"),
          QStringLiteral("2/2 25.1 ") + kDeg, QStringLiteral("3/1 7.03 pH"), QStringLiteral("3/2 25.2 ") + kDeg}},
        {"a burst's remarks stay with their own reading",
         QString::fromLatin1("512\t\xe6S/cm^\t20.1\t10:15:30\t02/03/26\r\n513\t\xe6S/cm\t20.2\t10:15:31\t02/03/26\r\n"),
         {QStringLiteral("1/1 512 \u00B5S/cm rel. {relative mode}"), QStringLiteral("1/2 20.1 \u00B0C {relative mode}"),
          QStringLiteral("2/1 513 \u00B5S/cm"), QStringLiteral("2/2 20.2 \u00B0C")}},
        {"half line at the end is kept back", QStringLiteral("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n7.02\tpH\t2"),
         {QStringLiteral("1/1 7.01 pH"), QStringLiteral("1/2 25.0 ") + kDeg}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QStringLiteral("A101"), c.text, Listen), c.expected);
    }
}

TEST(ParseA100, ChannelNotInUseIsCleared)
{
    ParserRun run(QStringLiteral("E131"));
    run.state.Channel(2).Use = false;
    run.Run({QStringLiteral("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n")});
    EXPECT_EQ(Describe(run.sink.values), QStringList{QStringLiteral("1/1 7.01 pH")});
}

TEST(ParseA100, PolledReplyIsParsedWhole)
{
    ParserRun run(QStringLiteral("A102"));
    run.state.PollValues = true;
    run.reader.Append(QStringLiteral("#77\t6.99\tpH\t24.8\t10:15:30\t02/03/26\r\n<5\r\n"));
    bool complete = false;
    ParseA100(run.ctx, complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(run.state.IdentificationNumber, QStringLiteral("77"));
    EXPECT_EQ(run.state.Readings[1].ValueText, QStringLiteral("6.99"));
    EXPECT_EQ(run.state.Readings[2].UnitText, kDeg);
    EXPECT_EQ(run.state.Readings[1].ReadingTime, kTestNow);
}

TEST(ParseA100, PolledReplyEndings)
{
    const QStringList reading{QStringLiteral("1/1 6.99 pH"), QStringLiteral("1/2 24.8 ") + kDeg};
    const struct { const char* name; QString text; QStringList expected; } cases[] = {
        {"closing on a line of its own", QStringLiteral("6.99\tpH\t24.8\t10:15:30\t02/03/26\r\n<5\r\n"), reading},
        {"closing right after the date", QStringLiteral("6.99\tpH\t24.8\t10:15:30\t02/03/26<5\r\n"), reading},
        {"blanks around the time and the date",
         QStringLiteral("6.99\tpH\t24.8\t 10:15:30 \t 02/03/26 \r\n<5\r\n"), reading},
        {"blanks, then the closing", QStringLiteral("6.99\tpH\t24.8\t 10:15:30 \t 02/03/26 <5\r\n"), reading},
        {"no date in front of the closing", QStringLiteral("6.99\tpH\t24.8\t10:15:30\t<5\r\n"), {}},
        {"a broken date in front of the closing", QStringLiteral("6.99\tpH\t24.8\t10:15:30\t02/0x/26<5\r\n"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QStringLiteral("A102"), c.text, [](AppState& s) { s.PollValues = true; }).join(QLatin1String(" | ")).toStdString(),
                  c.expected.join(QLatin1String(" | ")).toStdString());
    }
}
