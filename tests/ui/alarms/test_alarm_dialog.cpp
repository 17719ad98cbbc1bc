// Channel alarms on screen: the alarm dialog (key filter, normalised limits,
// the limit-order message, the table test), and the alarm test of every
// recorded reading (value window state, table colours, the beep).

#include "core/alarms/alarms.h"
#include "ui/alarms/alarmdialog.h"
#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"
#include "ui/logging/tablewindow.h"
#include "ui/values/valuewindow.h"
#include "ui/shell/windowrecorder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr ColorValue kOver = MakeColor(200, 0, 0);
constexpr ColorValue kLow = MakeColor(0, 0, 200);
constexpr ColorValue kHigh = MakeColor(200, 0, 200);
constexpr ColorValue kText = MakeColor(0, 200, 0);
constexpr ColorValue kTable = MakeColor(9, 9, 9);

struct AlarmUiTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(s, QStringLiteral("A101"), 45000);
        s.DeviceName = QStringLiteral("A101");
        s.ValueColorOverrange = kOver;
        s.ValueColorAlarmLow = kLow;
        s.ValueColorAlarmHigh = kHigh;
        s.ValueColorForeground = kText;
        s.TableColorForeground = kTable;
        rows.SetLayout(s);
        Beeper::hook = [this] { ++beeps; };
    }
    void TearDown() override { Beeper::hook = nullptr; }
    void Limits(int ch, bool lowTest, const char* low, bool highTest, const char* high, bool beep = true)
    {
        ChannelReading& r = s.Readings[ch];
        r.AlarmLowTest = lowTest;
        r.AlarmLowLimit = QString::fromLatin1(low);
        r.AlarmHighTest = highTest;
        r.AlarmHighLimit = QString::fromLatin1(high);
        r.AlarmLowAction = r.AlarmHighAction = beep;
    }
    void Reading(int ch, const char* value, bool over = false)
    {
        ChannelReading& r = s.Readings[ch];
        r.ValueText = QString::fromLatin1(value);
        r.UnitText = QStringLiteral("pH");
        r.OverRange = over;
        r.HasValue = true;
        r.ReadingTime = 45000.25;
    }
    ColorValue CellColour(int row, int ch) const
    {
        return rows.data(rows.index(row, rows.ValueColumn(ch)), LogTable::ForegroundValueRole).toUInt();
    }

    AppState s;
    LanguageTable lang;
    LogTable rows;
    int beeps = 0;
};

} // namespace

TEST_F(AlarmUiTest, EveryReadingIsTestedForTheValueWindowTableAndBeep)
{
    TableWindow table(s, lang, rows, nullptr);
    DataFile file(s, lang);
    ValueWindow value(s, lang, 1);
    WindowRecorder recorder(s, table, file, rows, [&](int ch) { return ch == 1 ? &value : nullptr; },
                            [](const DataFileReport&) { return true; });
    Limits(1, true, "2", true, "9");
    const QString up = AlarmIndication(false, true, value.AlarmHasSymbolFont());
    const QString down = AlarmIndication(true, false, value.AlarmHasSymbolFont());
    struct {
        const char* what;
        const char* value;
        bool over, connected;
        ColorValue text;    // the value's colour in the window
        QString indication;
        int beeps;
        ColorValue cell;    // in the table
    } cases[] = {
        {"equal to high", "9", false, true, kText, QStringLiteral(" "), 0, kTable},
        {"equal to low", "2", false, true, kText, QStringLiteral(" "), 0, kTable},
        {"high", "9.5", false, true, kHigh, up, 1, kHigh},
        {"low", "-1", false, true, kLow, down, 1, kLow},
        {"over range", "99999", true, true, kOver, QStringLiteral(" "), 0, kOver},
        {"high, disconnected", "12", false, false, kTable, up, 0, kHigh},
    };
    for (const auto& c : cases) {
        beeps = 0;
        s.Connected = c.connected;
        Reading(1, c.value, c.over);
        recorder.ShowValue(1);
        ++s.LogCount;
        recorder.AppendTableRow(QString());
        EXPECT_EQ(value.ValueLabel()->palette().color(QPalette::WindowText), ToQColor(c.text)) << c.what;
        EXPECT_EQ(value.AlarmLabel()->text(), c.indication) << c.what;
        EXPECT_EQ(beeps, c.beeps) << c.what;
        EXPECT_EQ(CellColour(rows.RowOfNumber(s.LogCount), 1), c.cell) << c.what;
    }
    // The beep switch off: the state shows, nothing sounds.
    s.Connected = true;
    Limits(1, true, "2", true, "9", false);
    beeps = 0;
    Reading(1, "20");
    recorder.ShowValue(1);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(value.AlarmLabel()->text(), up);
}

TEST_F(AlarmUiTest, DialogLoadsFiltersAndNormalises)
{
    Limits(2, true, "007", false, ",5");
    s.Readings[2].AlarmHighAction = false;
    AlarmDialog d(s, lang, 2, QStringLiteral("CH2: Value (pH)"), nullptr);
    d.show();
    EXPECT_EQ(d.windowTitle(), QStringLiteral("CH2: Value (pH)"));
    EXPECT_TRUE(d.LowEnable()->isChecked());
    EXPECT_TRUE(d.LowBeep()->isChecked());
    EXPECT_FALSE(d.HighBeep()->isChecked());
    EXPECT_FALSE(d.HighLimit()->isEnabled());
    d.HighEnable()->click();
    EXPECT_TRUE(d.HighLimit()->isEnabled());
    EXPECT_TRUE(d.HighBeep()->isEnabled());

    struct {
        const char* start;
        int caret;
        const char* keys;
        const char* result;
        int beeps;
    } typing[] = {
        {"", 0, "12.5", "12.5", 0},
        {"", 0, "-3,2", "-3,2", 0},
        {"", 0, "a1b", "1", 2},
        {"12", 2, "-", "12", 1},
        {"1.5", 3, ".", "1.5", 1},
        {"", 0, ".", "", 1},
        {"0", 1, "0", "0", 1},
    };
    for (const auto& t : typing) {
        beeps = 0;
        d.LowLimit()->setText(QString::fromLatin1(t.start));
        d.LowLimit()->setCursorPosition(t.caret);
        QTest::keyClicks(d.LowLimit(), QString::fromLatin1(t.keys));
        EXPECT_EQ(d.LowLimit()->text(), QString::fromLatin1(t.result)) << t.start << "+" << t.keys;
        EXPECT_EQ(beeps, t.beeps) << t.start << "+" << t.keys;
    }
    // Enter moves on and shows the normalised number.
    d.LowLimit()->setText(QStringLiteral("007"));
    d.LowLimit()->setFocus();
    QTest::keyClick(d.LowLimit(), Qt::Key_Return);
    EXPECT_EQ(d.LowLimit()->text(), QStringLiteral("7"));
    EXPECT_TRUE(d.isVisible());
}

TEST_F(AlarmUiTest, OkStoresLimitsOrKeepsTheDialogOpen)
{
    struct {
        const char* what;
        bool lowOn;
        const char* low;
        bool highOn;
        const char* high;
        bool closes;
    } cases[] = {
        {"5 and 5", true, "5", true, "5", false},
        {"low above high", true, "6", true, "5.5", false},
        {"in order", true, "4,9", true, "9.", true},
        {"only the low test", true, "6", false, "5", true},
    };
    for (const auto& c : cases) {
        Limits(1, false, "", false, "");
        s.ConfigChanged = false;
        QStringList warnings;
        QList<int> tested;
        AlarmDialog d(s, lang, 1, QStringLiteral("t"), [&](int ch) { tested << ch; });
        d.warningHandler = [&](const QString& title, const QString& text) { warnings << title + "|" + text; };
        d.show();
        if (c.lowOn)
            d.LowEnable()->click();
        if (c.highOn)
            d.HighEnable()->click();
        d.LowLimit()->setText(QString::fromLatin1(c.low));
        d.HighLimit()->setText(QString::fromLatin1(c.high));
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
        EXPECT_EQ(d.isVisible(), !c.closes) << c.what;
        EXPECT_EQ(warnings.isEmpty(), c.closes) << c.what;
        if (!c.closes) {
            EXPECT_EQ(warnings.value(0), QStringLiteral("t|Low limit is equal or higher than high limit!")) << c.what;
        }
        EXPECT_EQ(tested, c.closes ? QList<int>{1} : QList<int>{}) << c.what;
        EXPECT_EQ(s.ConfigChanged, c.closes) << c.what;
        // The record holds the new values either way.
        EXPECT_EQ(s.Readings[1].AlarmLowTest, c.lowOn) << c.what;
        EXPECT_EQ(s.Readings[1].AlarmLowLimit, NormaliseLimit(QString::fromLatin1(c.low))) << c.what;
    }
    EXPECT_EQ(s.Readings[1].AlarmLowLimit, QStringLiteral("6"));

    // Cancel copies nothing.
    AlarmDialog d(s, lang, 1, QStringLiteral("t"), nullptr);
    d.show();
    d.LowLimit()->setText(QStringLiteral("1"));
    QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(s.Readings[1].AlarmLowLimit, QStringLiteral("6"));
}

TEST_F(AlarmUiTest, TableTestRecoloursAColumnAndRestoresTheRecord)
{
    TableWindow table(s, lang, rows, nullptr);
    table.show();
    for (const char* v : {"1", "20", "5"}) {
        Reading(1, v);
        ++s.LogCount;
        table.VulTabelAan(QString());
    }
    Reading(1, "99999", true);
    ++s.LogCount;
    table.VulTabelAan(QString());
    Reading(1, "3.3");
    s.Connected = false;
    Limits(1, true, "2", true, "9");
    EXPECT_TRUE(RunTableAlarmTest(s, lang, table, 1, false, nullptr));
    const ColorValue expected[] = {kLow, kHigh, kTable, kOver};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(CellColour(row, 1), expected[row]) << row;
    EXPECT_EQ(s.Readings[1].ValueText, QStringLiteral("3.3"));
    EXPECT_FALSE(s.Readings[1].OverRange);
    EXPECT_TRUE(table.View()->isVisible());
    EXPECT_EQ(beeps, 0); // the table test never beeps

    // Both tests switched off in the dialog: the column is recoloured once.
    AlarmDialog d(s, lang, 1, QStringLiteral("t"),
                  [&](int ch) { RunTableAlarmTest(s, lang, table, ch, true, nullptr); });
    d.LowEnable()->click();
    d.HighEnable()->click();
    d.accept();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(CellColour(row, 1), kTable) << row;
    EXPECT_EQ(CellColour(3, 1), kOver);
    EXPECT_FALSE(RunTableAlarmTest(s, lang, table, 1, false, nullptr));
}
