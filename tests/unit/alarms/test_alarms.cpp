// Channel alarms: the strict channel test, the alarm colour, the beep rule,
// the table recolouring, and the graph alarm report with its inclusive
// comparisons.

#include "core/alarms/alarms.h"
#include "core/model/appstate.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <gtest/gtest.h>

namespace {

ChannelReading Reading(const char* value, bool over, bool lowTest, const char* low, bool highTest, const char* high)
{
    ChannelReading r;
    r.ValueText = QString::fromUtf8(value);
    r.HasValue = true;
    r.OverRange = over;
    r.AlarmLowTest = lowTest;
    r.AlarmLowLimit = QString::fromUtf8(low);
    r.AlarmHighTest = highTest;
    r.AlarmHighLimit = QString::fromUtf8(high);
    return r;
}

constexpr ColorValue kNormal = MakeColor(1, 2, 3);
constexpr ColorValue kOver = MakeColor(200, 0, 0);
constexpr ColorValue kLow = MakeColor(0, 0, 200);
constexpr ColorValue kHigh = MakeColor(200, 0, 200);
constexpr ColorValue kTable = MakeColor(9, 9, 9);

void DistinctColours(AppState& s)
{
    s.ValueColorOverrange = kOver;
    s.ValueColorAlarmLow = kLow;
    s.ValueColorAlarmHigh = kHigh;
    s.TableColorForeground = kTable;
}

} // namespace

TEST(ChannelAlarm, StrictSinglePrecisionTestOnlyWhenArmed)
{
    struct {
        const char* what;
        ChannelReading r;
        bool low, high;
        ColorValue colour;
    } cases[] = {
        {"inside", Reading("5", false, true, "1", true, "9"), false, false, kNormal},
        {"equal to high", Reading("9", false, true, "1", true, "9"), false, false, kNormal},
        {"equal to low", Reading("1,0", false, true, "1", true, "9"), false, false, kNormal},
        {"above high", Reading("9.01", false, true, "1", true, "9"), false, true, kHigh},
        {"below low", Reading("0.99", false, true, "1", true, "9"), true, false, kLow},
        {"negative below", Reading("-2,5", false, true, "-2", false, "0"), true, false, kLow},
        {"high test off", Reading("20", false, true, "1", false, "9"), false, false, kNormal},
        {"low test off", Reading("0", false, false, "1", true, "9"), false, false, kNormal},
        {"over range", Reading("99999", true, true, "1", true, "9"), false, false, kOver},
        {"over range below", Reading("-5", true, true, "1", true, "9"), false, false, kOver},
        {"no value", Reading("  ", false, true, "1", true, "-9"), false, false, kNormal},
        // A damaged value is no reading, not a 0 below the low limit.
        {"damaged value", Reading("x6.54", false, true, "1", true, "9"), false, false, kNormal},
        {"meter's no-reading mark", Reading("----", false, true, "1", true, "9"), false, false, kNormal},
        // Single precision: 0.1f as value and limit compare equal.
        {"single equal", Reading("0.1", false, true, "0.1", true, "0.100000001"), false, false, kNormal},
        // Low before high when limits cross.
        {"crossed limits", Reading("5", false, true, "8", true, "2"), true, true, kLow},
    };
    for (const auto& c : cases) {
        AppState s;
        DistinctColours(s);
        s.Readings[3] = c.r;
        EXPECT_EQ(TestLowAlarm(s, 3), c.low) << c.what;
        EXPECT_EQ(TestHighAlarm(s, 3), c.high) << c.what;
        EXPECT_EQ(AlarmColour(s, 3, kNormal), c.colour) << c.what;
    }
    AppState s;
    EXPECT_FALSE(TestLowAlarm(s, 0));
    EXPECT_FALSE(TestHighAlarm(s, 17));
    EXPECT_EQ(AlarmColour(s, 17, kNormal), kNormal);
}

TEST(ChannelAlarm, BeepsOnlyWhileConnectedWithTheActionOn)
{
    struct {
        const char* what;
        const char* value;
        bool connected, lowAction, highAction;
        bool beep;
    } cases[] = {
        {"high alarm, high beep", "20", true, false, true, true},
        {"high alarm, only low beep", "20", true, true, false, false},
        {"low alarm, low beep", "-1", true, true, false, true},
        {"low alarm, only high beep", "-1", true, false, true, false},
        {"disconnected", "20", false, true, true, false},
        {"no alarm", "5", true, true, true, false},
    };
    for (const auto& c : cases) {
        AppState s;
        s.Connected = c.connected;
        s.Readings[1] = Reading(c.value, false, true, "0", true, "10");
        s.Readings[1].AlarmLowAction = c.lowAction;
        s.Readings[1].AlarmHighAction = c.highAction;
        EXPECT_EQ(TestChannelAlarms(s, 1).beep, c.beep) << c.what;
    }
}

TEST(ChannelAlarm, IndicationAndLimitForms)
{
    EXPECT_EQ(AlarmIndication(false, false, true), QStringLiteral(" "));
    EXPECT_EQ(AlarmIndication(false, true, true), QStringLiteral("5"));
    EXPECT_EQ(AlarmIndication(true, false, true), QStringLiteral("6"));
    EXPECT_EQ(AlarmIndication(true, false, false), QStringLiteral("\u25BC"));
    EXPECT_EQ(AlarmIndication(false, true, false), QStringLiteral("\u25B2"));

    struct {
        bool lowTest, highTest;
        const char *low, *high;
        bool ok;
    } orders[] = {
        {true, true, "5", "5", false},   {true, true, "6", "5", false}, {true, true, "4,9", "5", true},
        {false, true, "6", "5", true},   {true, false, "6", "5", true}, {true, true, "-1", "-0.5", true},
    };
    for (const auto& o : orders) {
        ChannelReading r = Reading("0", false, o.lowTest, o.low, o.highTest, o.high);
        EXPECT_EQ(LimitsInOrder(r), o.ok) << o.low << " " << o.high;
    }
}

namespace {
struct TableAlarmTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(s, QStringLiteral("A101"), 45000);
        s.DeviceName = QStringLiteral("A101");
        table.SetLayout(s);
        DistinctColours(s);
    }
    void Log(const char* value, bool over = false)
    {
        ChannelReading& r = s.Readings[1];
        r.ValueText = QString::fromLatin1(value);
        r.UnitText = QStringLiteral("pH");
        r.OverRange = over;
        r.HasValue = true;
        r.ReadingTime = 45000 + s.LogCount;
        ++s.LogCount;
        table.VulTabelAan(s, QString());
    }
    ColorValue Colour(int row) const
    {
        return table.data(table.index(row, table.ValueColumn(1)), LogTable::ForegroundValueRole).toUInt();
    }
    AppState s;
    LogTable table;
};
} // namespace

TEST_F(TableAlarmTest, RecoloursTheColumnAndRestoresTheRecord)
{
    for (const char* v : {"5", "12", "10", "-1", "0"})
        Log(v);
    Log("99999", true);
    s.Readings[1] = Reading("3.3", false, true, "0", true, "10");
    s.Readings[1].UnitText = QStringLiteral("mV");
    s.Connected = true;
    s.Readings[1].AlarmHighAction = true;
    const ChannelReading before = s.Readings[1];

    std::vector<std::pair<int, int>> steps;
    ASSERT_TRUE(TestTableAlarms(s, table, 1, false, [&](int i, int n) { steps.emplace_back(i, n); }));
    const ColorValue expected[] = {kTable, kHigh, kTable, kLow, kTable, kOver};
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(Colour(row), expected[row]) << row;
    EXPECT_EQ(steps.size(), 7u);
    EXPECT_EQ(steps.front(), std::make_pair(0, 6));
    EXPECT_EQ(steps.back(), std::make_pair(6, 6));
    EXPECT_EQ(s.Readings[1].ValueText, before.ValueText);
    EXPECT_EQ(s.Readings[1].UnitText, before.UnitText);
    EXPECT_EQ(s.Readings[1].OverRange, before.OverRange);

    // Both tests off: nothing, unless the limits were just edited.
    s.Readings[1].AlarmHighTest = s.Readings[1].AlarmLowTest = false;
    EXPECT_FALSE(TestTableAlarms(s, table, 1, false));
    EXPECT_EQ(Colour(1), kHigh);
    EXPECT_TRUE(TestTableAlarms(s, table, 1, true));
    EXPECT_EQ(Colour(1), kTable);
    EXPECT_EQ(Colour(5), kOver);

    // An empty table still runs, and a channel the table lacks does not.
    LogTable empty;
    empty.SetLayout(s);
    EXPECT_TRUE(TestTableAlarms(s, empty, 1, true));
    EXPECT_FALSE(TestTableAlarms(s, table, 3, true));
}

// ---------------------------------------------------------------- graph report

namespace {
AlarmReportSeries Series(std::initializer_list<double> values)
{
    AlarmReportSeries s{QStringLiteral("CH1 (pH)"), {}};
    for (double v : values)
        s.values.push_back({v, QStringLiteral("e") + QString::number(v)});
    return s;
}
using L = AlarmReportLine;
L T(const char* bold, const char* text = "") { return {L::Text, QString::fromUtf8(bold), QString::fromUtf8(text)}; }
L E(const char* heading, const char* event) { return {L::Event, QString::fromUtf8(heading), QString::fromUtf8(event)}; }
L Blank() { return {L::Empty, {}, {}}; }
std::vector<L> Heading(std::vector<L> rest)
{
    std::vector<L> all{T("Alarm report"), Blank()};
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}
} // namespace

TEST(AlarmReport, EventsCountersAndSummaries)
{
    LanguageTable lang;
    struct {
        const char* what;
        bool high, low;
        std::initializer_list<double> values;
        std::vector<L> lines;
    } cases[] = {
        {"no limits", false, false, {1, 20}, Heading({Blank()})},
        {"never exceeded",
         true,
         true,
         {5, 6},
         Heading({T("High limit:", " 10"), T("Low limit:", " 0"), Blank(),
                  T("", "CH1 (pH): High limit has not been exceeded."),
                  T("", "CH1 (pH): Low limit has not been exceeded.")})},
        {"equal counts, recovers",
         true,
         false,
         {10, 11, 9.5, 10},
         Heading({T("High limit:", " 10"), E("High limit exceeded:", "e10"), E("Recovered:", "e9.5"), Blank(),
                  E("High limit exceeded:", "e10"), Blank(),
                  T("", "CH1 (pH): Number of times the high limit was exceeded: 2")})},
        {"high then low",
         true,
         true,
         {12, -3},
         Heading({T("High limit:", " 10"), T("Low limit:", " 0"), E("High limit exceeded:", "e12"),
                  E("Recovered:", "e-3"), Blank(), E("Low limit exceeded:", "e-3"), Blank(),
                  T("", "CH1 (pH): Number of times the high limit was exceeded: 1"),
                  T("", "CH1 (pH): Number of times the low limit was exceeded:  1")})},
        {"low then high",
         true,
         true,
         {0, 10},
         Heading({T("High limit:", " 10"), T("Low limit:", " 0"), E("Low limit exceeded:", "e0"),
                  E("Recovered:", "e10"), Blank(), E("High limit exceeded:", "e10"), Blank(),
                  T("", "CH1 (pH): Number of times the high limit was exceeded: 1"),
                  T("", "CH1 (pH): Number of times the low limit was exceeded:  1")})},
        {"over range as 9999",
         true,
         false,
         {9999},
         Heading({T("High limit:", " 10"), E("High limit exceeded:", "e9999"), Blank(),
                  T("", "CH1 (pH): Number of times the high limit was exceeded: 1")})},
    };
    for (const auto& c : cases) {
        AlarmReportInput in;
        in.high = c.high;
        in.highLimit = 10;
        in.low = c.low;
        in.lowLimit = 0;
        in.series.push_back(Series(c.values));
        const std::vector<L> got = BuildAlarmReport(in, lang);
        ASSERT_EQ(got.size(), c.lines.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].kind, c.lines[i].kind) << c.what << " line " << i;
            EXPECT_EQ(got[i].bold, c.lines[i].bold) << c.what << " line " << i;
            EXPECT_EQ(got[i].text, c.lines[i].text) << c.what << " line " << i;
        }
    }
}

TEST(AlarmReport, EventTexts)
{
    EXPECT_EQ(TableAlarmEvent("pH probe (pH)", 2, "02-03-2026", "09:00:02", "OR."),
              QStringLiteral("pH probe (pH): 00002: 02-03-2026 - 09:00:02; OR."));
    EXPECT_EQ(RecorderAlarmEvent(QStringLiteral("CH2 "), QStringLiteral("mV"), 12, QStringLiteral("08:30")),
              QStringLiteral("CH2 (mV): 12; 08:30"));
}
