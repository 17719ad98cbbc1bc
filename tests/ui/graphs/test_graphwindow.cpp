// A graph window on the offscreen platform: what is drawn where (the
// line's colour at the points, nothing in a gap), point selection with its
// footnote and table row, the close box, scrolling, and the XY recorder.

#include "core/model/appstate.h"
#include "core/alarms/alarms.h"
#include "core/model/datetime.h"
#include "core/graphs/graphmodel.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "ui/graphs/graphplot.h"
#include "ui/graphs/graphwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QRgb kRed = qRgb(255, 0, 0);

struct GraphWindowTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(state, "A101", t0);
        state.DeviceName = "A101";
        table.SetLayout(state);
    }
    void Log(int n, const QString& value, const QString& info = {})
    {
        for (int ch = 1; ch <= 2; ++ch) {
            ChannelReading& r = state.Readings[ch];
            r.ReadingTime = t0 + n * kOneSecond;
            r.ValueText = value;
            r.UnitText = "mV";
            r.HasValue = true;
        }
        state.LogCount = n;
        table.VulTabelAan(state, info);
    }
    GraphWindow& Window(int points = 50)
    {
        graph = std::make_unique<GraphWindow>(state, lang, &table, 1);
        GraphSettings& g = graph->Settings();
        g.MaxGrafiekZichtbaar = qint16(points);
        g.Lines[1].Input = 1;
        g.Lines[1].Colour = MakeColor(255, 0, 0);
        graph->StelNieuweGrafiekIn();
        graph->resize(700, 450);
        graph->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(graph.get()));
        return *graph;
    }
    QImage Picture()
    {
        graph->Plot()->RedrawNow();
        return graph->Plot()->grab().toImage();
    }
    // Pixels of a colour in a small box around a point.
    static int RedAround(const QImage& image, QPointF at, int half = 2, QRgb colour = kRed)
    {
        int n = 0;
        for (int dx = -half; dx <= half; ++dx)
            for (int dy = -half; dy <= half; ++dy) {
                const QPoint p = at.toPoint() + QPoint(dx, dy);
                if (image.rect().contains(p) && image.pixel(p) == colour)
                    ++n;
            }
        return n;
    }
    QWidget* Chart() const { return graph->Plot()->findChild<QWidget*>(); }

    double t0 = ToDays(QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0)));
    AppState state;
    LanguageTable lang;
    LogTable table;
    std::unique_ptr<GraphWindow> graph;
};

TEST_F(GraphWindowTest, TheLineIsDrawnAtItsPointsAndNotInAGap)
{
    for (int n = 1; n <= 40; ++n)
        Log(n, "50", n == 20 ? "!x" : "");
    Window();
    graph->HerladenGrafiek();
    const QImage image = Picture();
    GraphPlot& plot = *graph->Plot();
    for (int row : {2, 10, 18, 22, 30, 39}) {
        EXPECT_GT(RedAround(image, plot.PixelOf(row, 50)), 0) << "row " << row;
        EXPECT_EQ(RedAround(image, plot.PixelOf(row, 51)), 0) << "nothing above row " << row;
    }
    // Reading 20 is excluded: the line stops at 19 and starts again at 21,
    // with nothing of its colour anywhere in between.
    const int x19 = plot.PixelOf(19, 50).toPoint().x(), x21 = plot.PixelOf(21, 50).toPoint().x();
    ASSERT_GT(x21 - x19, 8);
    int between = 0;
    for (int x = x19 + 2; x <= x21 - 2; ++x)
        for (int y = 0; y < image.height(); ++y)
            between += image.pixel(x, y) == kRed ? 1 : 0;
    EXPECT_EQ(between, 0);
    // Past the last reading nothing is drawn.
    EXPECT_EQ(RedAround(image, plot.PixelOf(45, 50)), 0);
}

TEST_F(GraphWindowTest, AClickOnAPointSelectsItAndItsTableRow)
{
    for (int n = 1; n <= 10; ++n)
        Log(n, QString::number(n));
    Window();
    graph->HerladenGrafiek();
    graph->Plot()->RedrawNow();
    QSignalSpy rows(graph.get(), &GraphWindow::TableRowSelected);
    QTest::mouseClick(Chart(), Qt::LeftButton, {}, graph->Plot()->PixelOf(5, 5).toPoint());
    ASSERT_EQ(rows.count(), 1);
    EXPECT_EQ(rows.at(0).at(0).toInt(), 4);
    EXPECT_TRUE(graph->Plot()->FootnoteShown());
    EXPECT_TRUE(graph->Plot()->FootnoteText().startsWith("CH1: No.5(")) << graph->Plot()->FootnoteText().toStdString();
    EXPECT_EQ(graph->Model().SelectedPoint, 5);
    EXPECT_NE(graph->Plot()->MarkerSeries(), 0);

    // While measuring a click selects nothing: the marker, the selection and
    // the footnote all stay (not the marker gone and the rest left).
    state.Connected = true;
    QTest::mouseClick(Chart(), Qt::LeftButton, {}, graph->Plot()->PixelOf(7, 7).toPoint());
    EXPECT_NE(graph->Plot()->MarkerSeries(), 0);
    EXPECT_EQ(graph->Model().SelectedPoint, 5);
    EXPECT_TRUE(graph->Plot()->FootnoteShown());
    state.Connected = false;

    // A click on empty chart space clears the selection.
    QTest::mouseClick(Chart(), Qt::LeftButton, {}, graph->Plot()->PixelOf(40, 9).toPoint());
    EXPECT_FALSE(graph->Plot()->FootnoteShown());
    EXPECT_EQ(graph->Model().SelectedPoint, 0);

    // A double click asks for the settings.
    QSignalSpy settings(graph.get(), &GraphWindow::SettingsRequested);
    QTest::mouseDClick(Chart(), Qt::LeftButton, {}, graph->Plot()->PixelOf(40, 9).toPoint());
    EXPECT_EQ(settings.count(), 1);
}

TEST_F(GraphWindowTest, TheCloseBoxOnlyHides)
{
    QMdiArea area;
    area.resize(900, 600);
    area.show();
    Window();
    QMdiSubWindow* sub = area.addSubWindow(graph.release());
    auto* window = qobject_cast<GraphWindow*>(sub->widget());
    sub->show();
    QSignalSpy closed(window, &GraphWindow::ClosedByUser);
    sub->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(sub->isHidden());
    EXPECT_FALSE(window->Settings().Zichtbaar);
    EXPECT_EQ(area.subWindowList().size(), 1);
}

TEST_F(GraphWindowTest, TheScrollBarPagesThroughTheReadings)
{
    for (int n = 1; n <= 200; ++n)
        Log(n, QString::number(n));
    Window(50);
    graph->HerladenGrafiek();
    QScrollBar* bar = graph->ScrollBar();
    EXPECT_TRUE(bar->isVisible());
    // The replayed jumps left the rows at 157..200: the bar reaches them.
    EXPECT_EQ(bar->maximum(), 157);
    EXPECT_EQ(bar->value(), graph->Model().Rows.FirstReading);
    bar->setValue(10); // as the user drags it
    EXPECT_EQ(graph->Model().Rows.FirstReading, 10);
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(1, 3), 10);
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(50, 3), 59);
    // A reading that arrives into full rows jumps a quarter; the bar follows
    // without scrolling the rows again.
    Log(201, "201");
    graph->VulGrafiekAan(201);
    EXPECT_EQ(graph->Model().Rows.FirstReading, 23);
    EXPECT_EQ(bar->value(), 23);
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(37, 3), 59);
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(38, 3), 201);
}

TEST_F(GraphWindowTest, AnXYRecorderHasNoScrollBarAndFollowsTheReadings)
{
    Window(50);
    graph->Settings().XYrecorder = true;
    graph->HerInitialiseerGrafiek();
    EXPECT_FALSE(graph->ScrollBar()->isVisible());
    state.Connected = true;
    for (int i = 1; i <= 3; ++i) {
        state.Readings[1].ValueText = QString::number(i * 10);
        state.Readings[1].UnitText = "mV";
        state.Readings[1].HasValue = true;
        graph->VulGrafiekAan(state.LogCount);
    }
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(50, 3), 30);
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(48, 3), 10);
    const QImage image = Picture();
    EXPECT_GT(RedAround(image, graph->Plot()->PixelOf(49, 20)), 0);
}

TEST_F(GraphWindowTest, AlarmLinesAndColoursFromTheSettings)
{
    for (int n = 1; n <= 10; ++n)
        Log(n, QString::number(n));
    Window();
    GraphSettings& g = graph->Settings();
    g.AlarmHoog = true;
    g.AlarmHoogWaarde = 8;
    g.AlarmHoogKleur = MakeColor(0, 0, 255);
    g.LegendeKeuze = true;
    graph->HerInitialiseerGrafiek();
    graph->HerladenGrafiek();
    const QImage image = Picture();
    EXPECT_GT(RedAround(image, graph->Plot()->PixelOf(30, 8), 1, qRgb(0, 0, 255)), 0);
    EXPECT_TRUE(graph->Plot()->SeriesVisible(2));
    EXPECT_FALSE(graph->Plot()->SeriesVisible(1));
    EXPECT_EQ(graph->Plot()->SeriesColor(3), QColor(255, 0, 0));
    const auto [low, high] = graph->Plot()->ValueRange();
    EXPECT_LT(low, 1);
    EXPECT_GT(high, 10);

    // A fixed scale keeps its limits.
    g.AutomatischeSchaal = false;
    g.GrafiekMinimum = -20;
    g.GrafiekMaximum = 40;
    graph->HerInitialiseerGrafiek();
    Picture();
    EXPECT_EQ(graph->Plot()->ValueRange(), std::make_pair(-20.0, 40.0));
}

// The minimum, maximum and mean lines are named in the legend under their
// line, and their values follow the readings.
TEST_F(GraphWindowTest, StatisticLinesAreInTheLegend)
{
    for (int n = 1; n <= 4; ++n)
        Log(n, QString::number(n * 2));
    Window();
    GraphSettings& g = graph->Settings();
    g.LegendeKeuze = true;
    g.AlarmHoog = true;
    g.AlarmHoogWaarde = 7;
    g.Lines[1].ShowMin = 1;
    g.Lines[1].ShowMean = 1;
    graph->HerInitialiseerGrafiek();
    graph->HerladenGrafiek();
    Picture();
    EXPECT_EQ(graph->Plot()->LegendTexts(),
              QStringList({"High limit", "mV (CH1)", "mV (CH1) MIN: 2", "mV (CH1) MEAN: 5"}));

    Log(5, "20");
    graph->VulGrafiekAan(5);
    Picture();
    EXPECT_EQ(graph->Plot()->LegendTexts(),
              QStringList({"High limit", "mV (CH1)", "mV (CH1) MIN: 2", "mV (CH1) MEAN: 8"}));

    // A mean of many digits is given to six.
    Log(6, "1");
    graph->VulGrafiekAan(6);
    Picture();
    EXPECT_EQ(graph->Plot()->LegendTexts().value(3), "mV (CH1) MEAN: 6.83333");

    // Switched off: the entries leave the legend with their lines.
    g.Lines[1].ShowMin = 0;
    g.Lines[1].ShowMean = 0;
    graph->HerInitialiseerGrafiek();
    Picture();
    EXPECT_EQ(graph->Plot()->LegendTexts(), QStringList({"High limit", "mV (CH1)"}));
}

// The alarm report of a table graph agrees with its chart: a line in µS/cm
// that plots 1.5 mS/cm at 1500 exceeds a high limit of 1000.
TEST_F(GraphWindowTest, AlarmReportComparesWhatTheChartPlots)
{
    const QString micro = QString(QChar(0x00B5)) + "S/cm";
    const std::pair<QString, QString> readings[] = {{"500", micro}, {"1.5", "mS/cm"}, {"900", micro}};
    int n = 0;
    for (const auto& [value, unit] : readings) {
        ChannelReading& r = state.Readings[1];
        r.ReadingTime = t0 + ++n * kOneSecond;
        r.ValueText = value;
        r.UnitText = unit;
        r.HasValue = true;
        state.LogCount = n;
        table.VulTabelAan(state, {});
    }
    Window();
    GraphSettings& g = graph->Settings();
    g.AlarmHoog = true;
    g.AlarmHoogWaarde = 1000;
    graph->HerInitialiseerGrafiek();
    graph->HerladenGrafiek();
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(2, 3), 1500);
    QStringList texts;
    for (const AlarmReportLine& l : BuildAlarmReport(graph->AlarmReport(), lang))
        texts << l.bold + l.text;
    EXPECT_TRUE(texts.contains("CH1 (" + micro + "): Number of times the high limit was exceeded: 1")) << texts.join('|').toStdString();
    // The event names the value in the line's unit.
    EXPECT_EQ(texts.filter("; 1500").size(), 1) << texts.join('|').toStdString();
}

TEST_F(GraphWindowTest, CopyPutsThePictureOnTheClipboard)
{
    Window();
    QApplication::clipboard()->setText("old");
    graph->CopyGrafiek();
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
    EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
}

} // namespace

TEST(GraphPlotLabels, LabelsThatWouldOverlapAreLeftOutAndComeBackWithRoom)
{
    struct Case {
        const char* what;
        int width;
        QString text;
        bool all;
    };
    const Case cases[] = {
        {"short labels, wide chart", 1600, QStringLiteral("%1"), true},
        {"date and time, narrow chart", 400, QStringLiteral("7 Dec 2026 07:03:%1"), false},
    };
    for (const Case& c : cases) {
        GraphPlot plot;
        plot.resize(c.width, 300);
        plot.show();
        plot.Reset(20);
        std::vector<std::pair<int, QString>> labels;
        for (int row = 1; row <= 20; ++row)
            labels.emplace_back(row, c.text.arg(row, 2, 10, QLatin1Char('0')));
        plot.RedrawNow(); // lays the axis out
        plot.SetCategoryLabels(labels);
        const std::vector<int> shown = plot.ShownLabelRows();
        ASSERT_FALSE(shown.empty()) << c.what;
        EXPECT_EQ(shown.front(), 1) << c.what;
        EXPECT_EQ(shown.size() == labels.size(), c.all) << c.what << ": " << shown.size();
        if (!c.all) {
            // What is left has room: the widest label fits between two shown rows.
            const double perRow = double(c.width) / 20;
            const int width = QFontMetrics(plot.font()).horizontalAdvance(labels.front().second);
            for (size_t i = 1; i < shown.size(); ++i)
                EXPECT_GE((shown[i] - shown[i - 1]) * perRow, width * 0.8) << c.what;
        }
    }
}
