#include "support/parserharness.h"
#include "core/devices/parsers.h"

#include <gtest/gtest.h>

// The J70xx parser empties its buffer at every call, so a script holds one
// reading (one line per channel in use); what follows it in the same call is
// dropped by design.

namespace {
const QString kDegC = QString::fromLatin1("\xf8" "C");

// "date TAB time TAB value TAB unit TAB temperature TAB °C [TAB trailing] CR LF".
QString Line(const QString& valueUnit, const QString& trailing = QString(),
             const QString& date = QStringLiteral("02/03/26"))
{
    return date + QStringLiteral("\t10:15:30\t") + valueUnit + QStringLiteral("\t25.0\t") + kDegC
        + (trailing.isEmpty() ? QString() : QLatin1Char('\t') + trailing) + QStringLiteral("\r\n");
}

using StateSetup = std::function<void(AppState&)>;
// Listen or poll, with only the channels `on` in use.
StateSetup Mode(bool poll, QList<int> on = {1, 2})
{
    return [=](AppState& s) {
        s.PollValues = poll;
        s.ActiveChannelCount = 0;
        for (int ch = 1; ch <= s.ChannelCount; ++ch) {
            s.Channel(ch).Use = on.contains(ch);
            s.ActiveChannelCount += s.Channel(ch).Use ? 1 : 0;
        }
    };
}

// As `base`, with a value left from an earlier reading in channel 1.
StateSetup WithStaleValue(StateSetup base)
{
    return [=](AppState& s) {
        base(s);
        s.Readings[1].ValueText = QStringLiteral("6.50");
        s.Readings[1].HasValue = true;
    };
}

// One run ending in a pause longer than the reader's time-out.
QStringList RunThenPause(const QString& model, const QString& text, const StateSetup& setup)
{
    ParserRun run(model);
    setup(run.state);
    run.reader.Append(text);
    run.reader.Append(QString(), 2.0);
    RunReceiveCycles(run.ctx, run.reader);
    return Describe(run.sink.values);
}
} // namespace

TEST(ParseJ70xx, Replies)
{
    const QString ch1 = Line(QStringLiteral("7.01\tpH"), QStringLiteral("CH1"));
    const QString ch2 = Line(QStringLiteral("-120.5\tmV"), QStringLiteral("CH2"));
    const QStringList both = {QStringLiteral("1/1 7.01 pH [25.0\u00B0C]"),
                              QStringLiteral("1/2 -120.5 mV [25.0\u00B0C]")};
    const struct {
        const char* name;
        const char* model;
        StateSetup setup;
        QString text;
        QStringList expected;
    } cases[] = {
        {"listen", "J7010", Mode(false), ch1 + ch2, both},
        {"channel field beats position", "J7010", Mode(false), ch2 + ch1, both},
        {"header and blank line before the reading", "J7020", Mode(false),
         QStringLiteral("Velmark J7020\r\n\r\n") + ch1 + ch2, both},
        {"poll reply", "J7010", Mode(true), QStringLiteral("<?{\r\n") + ch1 + ch2, both},
        {"stale line before the reply header", "J7010", Mode(true),
         QStringLiteral("7.00\tpH\r\n<?{\r\n") + ch1 + ch2, both},
        {"reference temperature first or last, exponent, over range", "J7030", Mode(false),
         Line(QStringLiteral("1.23E-03\tConc"), QStringLiteral("Tref=20.0") + kDegC + QStringLiteral("\tCH1"))
             + Line(QStringLiteral("----\tmV"), QStringLiteral("CH2\tTref=25.0") + kDegC),
         {QStringLiteral("1/1 1.23E-03 g/l@20.0\u00B0C [25.0\u00B0C]"),
          QStringLiteral("1/2 ---- mV@25.0\u00B0C OR [25.0\u00B0C]")}},
        {"J7050 rH2 goes to channel 4", "J7050", Mode(false, {1, 4}),
         Line(QStringLiteral("25.3\trH2")) + Line(QStringLiteral("7.01\tpH"), QStringLiteral("CH1")),
         {QStringLiteral("1/1 7.01 pH [25.0\u00B0C]"), QStringLiteral("1/4 25.3 rH2 [25.0\u00B0C]")}},
        {"J7050 microwatt goes to channel 5", "J7050", Mode(false, {2, 5}),
         Line(QString::fromLatin1("12.5\t\xe6W")) + Line(QStringLiteral("-120.5\tmV"), QStringLiteral("CH2")),
         {QStringLiteral("1/2 -120.5 mV [25.0\u00B0C]"), QStringLiteral("1/5 12.5 \u00B5W [25.0\u00B0C]")}},
        {"one-digit day rejects the reply", "J7010", Mode(false),
         Line(QStringLiteral("7.01\tpH"), QStringLiteral("CH1"), QStringLiteral("2/03/26")) + ch2, {}},
        {"one-digit day rejects the poll reply", "J7010", Mode(true),
         QStringLiteral("<?{\r\n") + Line(QStringLiteral("7.01\tpH"), QString(), QStringLiteral("2/03/26")) + ch2, {}},
        {"lines without a value record nothing", "J7010", WithStaleValue(Mode(false)),
         QStringLiteral("02/03/26\t10:15:30\r\n02/03/26\t10:15:31\r\n"), {}},
        {"garbage, NUL bytes and a half line", "J7010", Mode(false),
         QStringLiteral("garbage\r\n") + QString(3, QChar(0)) + QStringLiteral("\r\n02/03/26\t10:15:30\t7.0"), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeEverySplit(QLatin1String(c.model), c.text, c.setup), c.expected);
    }
}

TEST(ParseJ70xx, ReadingEndsAtTheTimeOut)
{
    const StateSetup all = [](AppState& s) { s.PollValues = false; };
    // J7050M: channel field 5 is channel 3 (all seven in use, one line printed).
    EXPECT_EQ(RunThenPause(QStringLiteral("J7050M"), Line(QStringLiteral("1.5\tmg/l"), QStringLiteral("CH5")), all),
              QStringList{QStringLiteral("1/3 1.5 mg/l [25.0\u00B0C]")});
    // A channel number beyond the channels in use keeps the line's position.
    EXPECT_EQ(RunThenPause(QStringLiteral("J7010"), Line(QStringLiteral("7.01\tpH"), QStringLiteral("CH9")), all),
              QStringList{QStringLiteral("1/1 7.01 pH [25.0\u00B0C]")});
    // A line cut off by the time-out is not read: a truncated value is worse than none.
    const QString halfLine = QStringLiteral("02/03/26\t10:15:30\t-12");
    const QString ch1 = Line(QStringLiteral("7.01\tpH"), QStringLiteral("CH1"));
    EXPECT_EQ(RunThenPause(QStringLiteral("J7010"), ch1 + halfLine, all),
              QStringList{QStringLiteral("1/1 7.01 pH [25.0\u00B0C]")});
}

TEST(ParseJ70xx, PollReplyResetsRetries)
{
    ParserRun run(QStringLiteral("J7410"));
    run.state.PollValues = true;
    run.state.PollRetries = 3;
    run.state.Readings[1].AlarmHighLimit = QStringLiteral("8");
    run.reader.Append(QStringLiteral("<?{\r\n") + Line(QStringLiteral("7.01\tpH"), QStringLiteral("CH1"))
                      + Line(QStringLiteral("-1.5\tmV"), QStringLiteral("CH2")));
    bool complete = false;
    ParseJ70xx(run.ctx, complete);
    EXPECT_TRUE(complete);
    EXPECT_EQ(run.state.PollRetries, 0);
    EXPECT_EQ(run.state.Readings[1].ExtraText, QStringLiteral("25.0\u00B0C"));
    EXPECT_EQ(run.state.Readings[1].AlarmHighLimit, QStringLiteral("8")); // alarm settings survive
    EXPECT_EQ(run.state.Readings[2].ReadingTime, kTestNow);
}
