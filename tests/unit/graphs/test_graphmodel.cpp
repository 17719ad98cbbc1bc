// The graph model over a logged table: filling rows (gaps, units, labels),
// the jump and the reload, statistics and the footnote, alarm lines, point
// selection, and the XY recorder.

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/graphs/graphmodel.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {

const QString kMicro(QChar(0x00B5));
const QString kDegreeC = QString(QChar(0x00B0)) + "C";

struct GraphModelTest : testing::Test {
    void SetUp() override { Use("A101"); }
    void Use(const QString& model)
    {
        ApplyDevice(state, model, t0);
        state.DeviceName = model;
        table.SetLayout(state);
    }
    // Reading n of channel 1 (channel 2 gets 100 + n), logged into the table.
    void Log(int n, const QString& value, const QString& unit = "mV", const QString& info = {}, bool over = false)
    {
        for (int ch = 1; ch <= 2; ++ch) {
            ChannelReading& r = state.Readings[ch];
            r.ReadingTime = t0 + n * kOneSecond;
            r.ValueText = ch == 1 ? value : QString::number(100 + n);
            r.UnitText = unit;
            r.OverRange = ch == 1 && over;
            r.HasValue = ch == 2 || !value.isEmpty() || over;
        }
        state.LogCount = n;
        table.VulTabelAan(state, info);
    }
    void LogValues(int count, int rows, bool live)
    {
        model.Settings.MaxGrafiekZichtbaar = qint16(rows);
        model.Settings.Lines[1].Input = 1;
        model.StelNieuweGrafiekIn();
        for (int n = 1; n <= count; ++n) {
            Log(n, QString::number(n));
            if (live)
                model.VulGrafiekAan(state.LogCount);
        }
    }
    // The readings drawn in rows 1..last of line 1 (0 for a gap).
    std::vector<int> Line1(int last) const
    {
        std::vector<int> out;
        for (int r = 1; r <= last; ++r) {
            const double v = cells.Cell(r, 3);
            out.push_back(IsNullCell(v) ? 0 : int(v));
        }
        return out;
    }
    static std::vector<int> Range(int first, int last)
    {
        std::vector<int> out;
        for (int n = first; n <= last; ++n)
            out.push_back(n);
        return out;
    }

    double t0 = ToDays(QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0)));
    AppState state;
    LanguageTable lang;
    LogTable table;
    MemoryCells cells;
    GraphModel model{state, lang, cells, &table};
};

TEST_F(GraphModelTest, OverRangeExcludedAndEmptyValuesLeaveGaps)
{
    model.Settings.Lines[1].Input = 1;
    model.Settings.Lines[2].Input = 2;
    model.StelNieuweGrafiekIn();
    struct {
        const char* name;
        QString value, info;
        bool over;
        bool gap;
    } const rows[] = {
        {"a value", "1.5", "", false, false},
        {"over range", "", "", true, true},
        {"excluded", "2", "!x", false, true},
        {"excluded in capitals", "2", "!X checked", false, true},
        {"no value", "", "", false, true},
        {"a value that is no number, from a damaged file", "x6.54", "", false, true},
        {"a value after the gaps", "2.5", "note", false, false},
    };
    int n = 0;
    for (const auto& r : rows)
        Log(++n, r.value, "mV", r.info, r.over);
    model.HerladenGrafiek();
    ASSERT_EQ(model.Rows.ShownPoints, n);
    n = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        ++n;
        const double v = cells.Cell(n, 3);
        EXPECT_EQ(IsNullCell(v), r.gap);
        if (!r.gap)
            EXPECT_DOUBLE_EQ(v, r.value.toDouble());
        // Channel 2 has a value in every row, but an excluded reading is a gap on every line.
        EXPECT_EQ(IsNullCell(cells.Cell(n, 4)), r.info.startsWith("!", Qt::CaseInsensitive)) << "line 2";
    }
}

TEST_F(GraphModelTest, ALineKeepsTheUnitOfItsFirstValue)
{
    model.Settings.Lines[1].Input = 1;
    model.StelNieuweGrafiekIn();
    Log(1, "", "");                       // no value, no unit yet
    Log(2, "500", kMicro + "S/cm");       // the first unit
    Log(3, "1.5", "mS/cm");
    Log(4, "0.25", "mS/cm");
    Log(5, "800", kMicro + "S/cm");
    model.HerladenGrafiek();
    EXPECT_EQ(model.LineUnits[1], kMicro + "S/cm");
    EXPECT_TRUE(IsNullCell(cells.Cell(1, 3)));
    EXPECT_DOUBLE_EQ(cells.Cell(2, 3), 500);
    EXPECT_DOUBLE_EQ(cells.Cell(3, 3), 1500);
    EXPECT_DOUBLE_EQ(cells.Cell(4, 3), 250);
    EXPECT_DOUBLE_EQ(cells.Cell(5, 3), 800);
    EXPECT_EQ(model.Series(3).Legend, kMicro + "S/cm (CH1)");
    EXPECT_TRUE(model.Series(3).Visible);
}

TEST_F(GraphModelTest, RowLabelsFollowTheLabelChoice)
{
    model.Settings.Lines[1].Input = 1;
    Log(1, "1");
    Log(2, "2");
    const QString date = table.CellText(1, 1), time = table.CellText(1, 2);
    ASSERT_FALSE(date.isEmpty());
    const QString expected[] = {date + " " + time, time, date, "2"};
    for (int choice = 0; choice <= 3; ++choice) {
        model.Settings.LabelKeuze = qint16(choice);
        model.HerladenGrafiek();
        EXPECT_EQ(model.RowLabel(2), expected[choice]) << "label choice " << choice;
        EXPECT_EQ(model.RowLabel(3), "") << "an empty row";
    }
    // A graph without inputs labels nothing.
    model.Settings.Lines[1].Input = 0;
    model.HerladenGrafiek();
    EXPECT_EQ(model.RowLabel(1), "");
}

// A graph loaded with five readings shows all five, the newest included.
TEST_F(GraphModelTest, FiveReadingsWith99PointsShowFive)
{
    LogValues(5, 99, false);
    model.LadenGrafiek();
    EXPECT_EQ(model.Rows.FirstReading, 1);
    EXPECT_EQ(model.Rows.ShownPoints, 5);
    EXPECT_EQ(Line1(6), (std::vector<int>{1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(model.ScrollBar().maximum, 1) << "one page: nothing to scroll";
    EXPECT_EQ(model.ScrollBar().position, 1);
}

TEST_F(GraphModelTest, LiveReadingsJumpAQuarterWidth)
{
    LogValues(100, 100, true);
    EXPECT_EQ(Line1(100), Range(1, 100));
    Log(101, "101");
    model.VulGrafiekAan(101);
    // Every reading stays in sight across the jump: 26..100, then 101.
    EXPECT_EQ(model.Rows.FirstReading, 26);
    EXPECT_EQ(model.Rows.ShownPoints, 76);
    std::vector<int> expected = Range(26, 101);
    expected.push_back(0);
    EXPECT_EQ(Line1(77), expected);
    EXPECT_EQ(model.RowLabel(76), table.CellText(100, 1) + " " + table.CellText(100, 2)) << "reading 101";
    EXPECT_EQ(model.RowLabel(75), table.CellText(99, 1) + " " + table.CellText(99, 2)) << "reading 100";
}

TEST_F(GraphModelTest, ReloadEqualsReplayingEveryReading)
{
    struct {
        int rows, readings;
    } const cases[] = {{50, 0}, {50, 10}, {50, 51}, {50, 1000}, {99, 1234}, {100, 101}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.readings << " readings");
        table.Clear();
        LogValues(c.readings, c.rows, false);
        model.HerladenGrafiek();
        const std::vector<int> reloaded = Line1(c.rows);
        const int first = model.Rows.FirstReading, shown = model.Rows.ShownPoints;
        model.ReInitGrafiekData();
        for (int r = 1; r <= c.readings; ++r)
            model.VulGrafiekAan(r);
        EXPECT_EQ(Line1(c.rows), reloaded);
        EXPECT_EQ(model.Rows.FirstReading, first);
        EXPECT_EQ(model.Rows.ShownPoints, shown);
        if (c.readings > 0)
            EXPECT_EQ(reloaded[size_t(shown - 1)], c.readings) << "the last reading is shown";
    }
}

TEST_F(GraphModelTest, ScrollingRereadsTheTable)
{
    LogValues(500, 100, false);
    model.HerladenGrafiek();
    model.ScrollTo(200);
    EXPECT_EQ(model.Rows.FirstReading, 200);
    EXPECT_EQ(Line1(100), Range(200, 299));
    // Past the last page: the last readings, a full page, the newest included.
    model.ScrollTo(450);
    EXPECT_EQ(model.Rows.FirstReading, 401);
    EXPECT_EQ(model.Rows.ShownPoints, 100);
    EXPECT_EQ(Line1(100), Range(401, 500));
}

TEST_F(GraphModelTest, StatisticsOfTheSelectedLine)
{
    model.Settings.Lines[1] = GraphLine{1, 1, 1, 1, 0};
    model.StelNieuweGrafiekIn();
    Log(1, "1");
    Log(2, "", "mV", "", true);
    Log(3, "3");
    Log(4, "2");
    model.HerladenGrafiek();
    const GraphModel::Selection sel = model.SelectPoint(3, 3);
    EXPECT_TRUE(sel.marker);
    EXPECT_EQ(sel.tableRow, 2);
    EXPECT_EQ(model.Footnote(),
              "CH1: No.3(" + table.CellText(2, 2) + "): 3mV [MIN: 1mV  MAX: 3mV  MEAN:2mV]");
    const GraphStatistics st = model.Statistics(3);
    EXPECT_EQ(st.Count, 3);
    EXPECT_DOUBLE_EQ(st.Mean, 2);

    // Only the switches that are on.
    model.Settings.Lines[1].ShowMax = 0;
    model.Settings.Lines[1].ShowMean = 0;
    model.BepaalMinMaxima();
    EXPECT_TRUE(model.Footnote().endsWith(" [MIN: 1mV  ]")) << model.Footnote().toStdString();

    // Not while a file is loading.
    state.FileLoading = true;
    model.BepaalMinMaxima();
    EXPECT_FALSE(model.Footnote().contains("["));
}

TEST_F(GraphModelTest, StatisticsWithEveryCellNullOmitTheMean)
{
    model.Settings.Lines[1] = GraphLine{1, 1, 1, 1, 0};
    model.StelNieuweGrafiekIn();
    for (int n = 1; n <= 3; ++n)
        Log(n, "", "mV", "", true);
    model.HerladenGrafiek();
    model.SelectPoint(3, 1);
    EXPECT_TRUE(model.Footnote().endsWith(" [MIN: mV  MAX: mV  ]")) << model.Footnote().toStdString();
    EXPECT_EQ(model.Statistics(3).Count, 0);
}

TEST_F(GraphModelTest, SelectionIsIgnoredWhileConnectedAndClearedByOtherClicks)
{
    LogValues(3, 50, false);
    model.HerladenGrafiek();
    state.Connected = true;
    EXPECT_FALSE(model.SelectPoint(3, 1).marker);
    EXPECT_FALSE(model.FootnoteVisible());
    state.Connected = false;
    EXPECT_TRUE(model.SelectPoint(3, 1).marker);
    EXPECT_TRUE(model.FootnoteVisible());
    EXPECT_EQ(model.SelectedSeries, 3);
    model.UitschakelenMarkers();
    EXPECT_FALSE(model.FootnoteVisible());
    EXPECT_EQ(model.SelectedSeries, 0);
    EXPECT_EQ(model.Footnote(), "");
}

TEST_F(GraphModelTest, AlarmLines)
{
    model.Settings.AlarmHoog = true;
    model.Settings.AlarmHoogWaarde = 5;
    model.Settings.AlarmLaag = false;
    model.Settings.AlarmLaagWaarde = -5;
    model.HerInitialiseerGrafiek();
    for (int r : {1, 50, model.MaxRows()}) {
        EXPECT_DOUBLE_EQ(cells.Cell(r, 2), 5);
        EXPECT_TRUE(IsNullCell(cells.Cell(r, 1)));
    }
    EXPECT_TRUE(model.Series(2).Visible);
    EXPECT_EQ(model.Series(2).Legend, "High limit");
    EXPECT_FALSE(model.Series(1).Visible);
    model.SelectPoint(2, 10);
    EXPECT_EQ(model.Footnote(), "High limit: 5 ");
    EXPECT_EQ(model.SelectedSeries, 0) << "an alarm line carries no statistics";
}

TEST_F(GraphModelTest, SeriesFollowInputsAndChannelUse)
{
    model.Settings.Lines[1].Input = 1;
    model.Settings.Lines[2].Input = 2;
    model.Settings.Lines[3].Input = 0;
    model.Settings.Lines[1].ShowMean = 1;
    model.Settings.Lines[2].ShowMin = 1;
    model.Settings.Lines[2].ShowMax = 1;
    state.Channel(2).Use = false;
    model.HerInitialiseerGrafiek();
    EXPECT_TRUE(model.Series(3).Visible);
    EXPECT_EQ(model.Series(3).Legend, "CH1");
    EXPECT_EQ(model.Series(3).StatFlags, 4);
    EXPECT_FALSE(model.Series(4).Visible) << "a channel not in use is not drawn";
    EXPECT_EQ(model.Series(4).StatFlags, 3);
    EXPECT_FALSE(model.Series(5).Visible);
    EXPECT_TRUE(model.TakeSeriesChanged());
    EXPECT_FALSE(model.TakeSeriesChanged());
}

TEST_F(GraphModelTest, TemperatureInputsReadTheTemperatureColumn)
{
    Use("J7010");
    model.Settings.Lines[1].Input = qint16(state.ChannelCount + 1); // temperature of channel 1
    model.StelNieuweGrafiekIn();
    for (int n = 1; n <= 2; ++n) {
        state.Readings[1].ExtraText = QString::number(20 + n) + ".5" + kDegreeC;
        Log(n, "7");
    }
    model.HerladenGrafiek();
    EXPECT_DOUBLE_EQ(cells.Cell(1, 3), 21.5);
    EXPECT_DOUBLE_EQ(cells.Cell(2, 3), 22.5);
    EXPECT_EQ(model.LineUnits[1], kDegreeC);
    EXPECT_EQ(model.Series(3).Legend, kDegreeC + " (CH1)");
}

// A table graph's alarm report reads what the line plots: its own input
// (a temperature line its temperature column) in the line's unit, and the
// events name the values in that unit.
TEST_F(GraphModelTest, AlarmSeriesIsWhatTheLinePlots)
{
    struct Row {
        QString value, unit, info;
        bool over;
    };
    struct {
        const char* what;
        const char* model;
        bool temperature;
        std::vector<Row> rows;
        QString name;
        std::vector<double> values;
        std::vector<QString> endings;
    } const cases[] = {
        {"temperature line", "J7010", true,
         {{"21.5", "", "", false}, {"30.5", "", "", false}, {"22.0", "", "", false}},
         "CH1 (" + kDegreeC + ")", {21.5, 30.5, 22.0}, {"; 21.5", "; 30.5", "; 22.0"}},
        {"range change", "A101", false,
         {{"500", kMicro + "S/cm", "", false}, {"1.5", "mS/cm", "", false}, {"900", kMicro + "S/cm", "", false}},
         "CH1 (" + kMicro + "S/cm)", {500, 1500, 900}, {"; 500", "; 1500", "; 900"}},
        {"over range, excluded and empty rows", "A101", false,
         {{"7", "pH", "", false}, {"", "pH", "", true}, {"8", "pH", "!x", false}, {"", "", "", false},
          {"6.5", "pH", "", false}},
         "CH1 (pH)", {7, 9999, 6.5}, {"; 7", "; OR.", "; 6.5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        state = AppState();
        table.Clear();
        Use(c.model);
        model.Settings = GraphSettings();
        model.Settings.Lines[1].Input = qint16(c.temperature ? state.ChannelCount + 1 : 1);
        model.StelNieuweGrafiekIn();
        int n = 0;
        for (const Row& r : c.rows) {
            if (c.temperature) {
                state.Readings[1].ExtraText = r.value + kDegreeC;
                Log(++n, "7", "pH", r.info, r.over);
            } else {
                Log(++n, r.value, r.unit, r.info, r.over);
            }
            model.VulGrafiekAan(n);
        }
        const AlarmReportSeries series = model.AlarmSeries(1);
        EXPECT_EQ(series.name, c.name);
        ASSERT_EQ(series.values.size(), c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_DOUBLE_EQ(series.values[i].value, c.values[i]) << i;
            const QString& event = series.values[i].event;
            EXPECT_TRUE(event.startsWith(c.name + ": 0000")) << event.toStdString();
            EXPECT_TRUE(event.endsWith(c.endings[i])) << event.toStdString();
        }
    }
}

struct RecorderTest : GraphModelTest {
    void SetUp() override
    {
        GraphModelTest::SetUp();
        model.Settings.XYrecorder = true;
        model.Settings.MaxGrafiekZichtbaar = 50;
        model.Settings.Lines[1].Input = 1;
        model.Settings.LabelKeuze = 3;
        // A clock that moves a second each time it is read.
        model.clock = [this] { return now += kOneSecond; };
        model.StelNieuweGrafiekIn();
        state.Connected = true;
    }
    void Reading(const QString& value, const QString& unit, bool over = false)
    {
        state.Readings[1].ValueText = value;
        state.Readings[1].UnitText = unit;
        state.Readings[1].OverRange = over;
        state.Readings[1].HasValue = true;
        model.VulGrafiekAan(state.LogCount);
    }
    double now = t0;
};

TEST_F(RecorderTest, ReadingsEnterAtTheRightAndMoveLeft)
{
    Reading("1", "mS/cm");
    Reading("500", kMicro + "S/cm");
    Reading("", "mS/cm", true);
    Reading("OR.", "mS/cm");
    const int m = model.MaxRows();
    EXPECT_DOUBLE_EQ(cells.Cell(m - 3, 3), 1);
    EXPECT_DOUBLE_EQ(cells.Cell(m - 2, 3), 0.5) << "brought to the first unit";
    EXPECT_TRUE(IsNullCell(cells.Cell(m - 1, 3)));
    EXPECT_TRUE(IsNullCell(cells.Cell(m, 3)));
    EXPECT_TRUE(IsNullCell(cells.Cell(m - 4, 3)));
    EXPECT_EQ(model.RowLabel(m - 3), "0");
    EXPECT_EQ(model.RowLabel(m), "3");
    EXPECT_EQ(model.RowLabel(m - 4), "");
}

TEST_F(RecorderTest, NothingHappensWithoutAConnection)
{
    state.Connected = false;
    Reading("1", "mS/cm");
    EXPECT_TRUE(IsNullCell(cells.Cell(model.MaxRows(), 3)));
    EXPECT_EQ(model.Rows.ShownPoints, 0);
}

TEST_F(RecorderTest, LabelsTakeTheClock)
{
    model.Settings.LabelKeuze = 1;
    model.HerInitialiseerGrafiek();
    Reading("1", "mS/cm");
    Reading("2", "mS/cm");
    const int m = model.MaxRows();
    const StampFormat stamps;
    EXPECT_EQ(model.RowLabel(m), stamps.FormatTime(now));
    EXPECT_EQ(model.RowLabel(m - 1), stamps.FormatTime(now - kOneSecond));
}

TEST_F(RecorderTest, AFullWidthAsksForAPrintOnlyWhenSet)
{
    for (bool print : {false, true}) {
        SCOPED_TRACE(print ? "print recorder on" : "print recorder off");
        model.Settings.AfdrukkenRecorder = print;
        model.HerInitialiseerGrafiek();
        for (int i = 1; i < model.MaxRows(); ++i)
            Reading(QString::number(i), "mS/cm");
        EXPECT_FALSE(model.TakePrintRequest());
        EXPECT_EQ(model.Rows.ShownPoints, model.MaxRows() - 1);
        Reading("1", "mS/cm");
        EXPECT_EQ(model.TakePrintRequest(), print);
        EXPECT_FALSE(model.TakePrintRequest());
        EXPECT_EQ(model.Rows.ShownPoints, 0);
    }
}

TEST_F(RecorderTest, SelectingAPointShowsItsLabelAndStatistics)
{
    model.Settings.Lines[1].ShowMax = 1;
    model.HerInitialiseerGrafiek();
    Reading("4", "mS/cm");
    Reading("6", "mS/cm");
    state.Connected = false;
    const int m = model.MaxRows();
    const GraphModel::Selection sel = model.SelectPoint(3, m - 1);
    EXPECT_FALSE(sel.marker);
    EXPECT_EQ(sel.tableRow, -1);
    EXPECT_EQ(model.Footnote(), "CH1: 4mS/cm: 0 [MAX: 6mS/cm  ]");
}

} // namespace
