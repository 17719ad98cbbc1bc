// Printing as a user prints: the print dialog over real windows, to a PDF
// file read back with pdftotext; the page setup's spins; the recorder's
// automatic print.

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/graphs/graphsettings.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "ui/printing/pagesetupdialog.h"
#include "ui/printing/printdialog.h"
#include "ui/graphs/graphwindow.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"
#include "support/pdftext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr double t0 = 46000.5;
constexpr double kOneSecond = 1.0 / 86400;

struct PrintTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(state, "A101", t0);
        state.DeviceName = "A101";
        state.LogFileName = dir.filePath("run.vam");
        state.FolderData = dir.path();
        state.PrintOperator = "Ann Smith";
        state.PrintCompany = "Acme Labs";
        state.PrintDivision = "Quality";
        state.PrintDeviceName = "Bench meter";
        state.PrintSerial = "SN-4711";
        state.PrintAll = false;
        table.SetLayout(state);
        table.LoadCaptions(lang);
        hooks.state = &state;
        hooks.language = &lang;
        hooks.activeWindow = [this] { return active; };
        hooks.graphs = [this] { return graphs; };
        hooks.valueWindows = [this] { return values; };
        hooks.table = [this] { return tableWindow.get(); };
        hooks.askPdfPath = [this] {
            ++asked;
            return pdf;
        };
        hooks.showMessage = [this](const QString& text) { messages << text; };
        // A place to keep the pages for a look (pdftoppm) when asked to.
        const QString keep = qEnvironmentVariable("VAM_PRINT_TEST_DIR");
        pdf = QDir(keep.isEmpty() ? dir.path() : keep)
                  .filePath(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name())
                            + ".pdf");
        QFile::remove(pdf);
    }
    void Log(int n, const QString& value)
    {
        for (int ch = 1; ch <= 2; ++ch) {
            ChannelReading& r = state.Readings[ch];
            r.ReadingTime = t0 + n * 60 * kOneSecond;
            r.ValueText = value;
            r.UnitText = "mV";
            r.HasValue = true;
        }
        state.LogCount = n;
        table.VulTabelAan(state, QString());
    }
    TableWindow& Table()
    {
        tableWindow = std::make_unique<TableWindow>(state, lang, table, nullptr);
        tableWindow->StelTabelIn();
        return *tableWindow;
    }
    GraphWindow& Graph(bool recorder = false)
    {
        auto g = std::make_unique<GraphWindow>(state, lang, &table, 1);
        GraphSettings& s = g->Settings();
        s.MaxGrafiekZichtbaar = 50;
        s.XYrecorder = recorder;
        s.Lines[1].Input = 1;
        s.Lines[1].Colour = MakeColor(255, 0, 0);
        g->StelNieuweGrafiekIn();
        g->resize(600, 360);
        graphs.push_back(g.get());
        graphOwner.push_back(std::move(g));
        return *graphs.back();
    }
    QString Print()
    {
        PrintDialog dialog(hooks);
        EXPECT_TRUE(dialog.Print()) << messages.join('\n').toStdString();
        return PdfText(pdf);
    }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    LogTable table;
    PrintHooks hooks;
    QWidget* active = nullptr;
    std::vector<GraphWindow*> graphs;
    std::vector<ValueWindow*> values;
    std::vector<std::unique_ptr<GraphWindow>> graphOwner;
    std::unique_ptr<TableWindow> tableWindow;
    QString pdf;
    int asked = 0;
    QStringList messages;
};

TEST_F(PrintTest, AValueWindowPrintsTheHeaderTheValueAndItsAlarmState)
{
    ValueWindow value(state, lang, 1);
    ChannelReading& r = state.Readings[1];
    r.ValueText = "7.31";
    r.UnitText = "pH";
    r.HasValue = true;
    r.AlarmHighTest = true;
    r.AlarmHighLimit = "7";
    value.SetAlarmStates(false, true);
    value.OpvullenMeting();
    active = &value;
    const QString text = Print();
    EXPECT_EQ(asked, 1);
    for (const char* expected : {"Operator:", "Ann Smith", "Company:", "Acme Labs", "Division:", "Quality", "Device:",
                                 "Bench meter", "Serial number:", "SN-4711", "Channel number:", "7.31", "pH",
                                 "High limit exceeded", "Alarm, High limit = 7", "page 1"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("Low limit"));
    EXPECT_FALSE(text.contains("page 2"));
}

TEST_F(PrintTest, ALongTableRunsOntoASecondPageAndSelectionRestrictsTheRows)
{
    for (int n = 1; n <= 80; ++n)
        Log(n, QString::number(n * 1.5, 'f', 1));
    active = &Table();
    QString text = Print();
    EXPECT_TRUE(text.contains("page 1"));
    EXPECT_TRUE(text.contains("page 2"));
    EXPECT_EQ(text.count("Operator:"), text.count(QRegularExpression("page \\d+")));
    EXPECT_TRUE(text.contains(QRegularExpression("\\n80 .* 120.0 +mV")));

    state.PrintSelection = true;
    tableWindow->SelectRows({3, 4, 40});
    text = Print();
    QStringList numbers;
    const QRegularExpression row(QStringLiteral("(?:^|\\n)(\\d+) +\\S.* mV"));
    for (auto it = row.globalMatch(text); it.hasNext();)
        numbers << it.next().captured(1);
    EXPECT_EQ(numbers, QStringList({"4", "5", "41"})) << text.toStdString();
    EXPECT_FALSE(text.contains("page 2"));
}

TEST_F(PrintTest, AGraphPrintsItsLegendAndItsAlarmReportInOrder)
{
    const char* values[] = {"1", "6", "7", "2", "0.5", "3", "9"};
    for (int n = 1; n <= 7; ++n)
        Log(n, values[n - 1]);
    GraphWindow& graph = Graph();
    graph.Settings().AlarmHoog = true;
    graph.Settings().AlarmHoogWaarde = 5;
    graph.Settings().AlarmLaag = true;
    graph.Settings().AlarmLaagWaarde = 1;
    graph.HerInitialiseerGrafiek();
    graph.LadenGrafiek();
    active = &graph;
    state.PrintAlarmReport = true;
    const QString text = Print();
    EXPECT_TRUE(text.contains("CH1: mV")) << text.toStdString();
    EXPECT_TRUE(text.contains("High limit: 5"));
    EXPECT_TRUE(text.contains("page 2")); // the report has a page of its own
    // Events in the order the readings cross the limits.
    QStringList events;
    const QRegularExpression event(QStringLiteral("(High limit exceeded:|Low limit exceeded:|Recovered:)"));
    for (auto it = event.globalMatch(text); it.hasNext();)
        events << it.next().captured(1);
    EXPECT_EQ(events, QStringList({"Low limit exceeded:", "Recovered:", "High limit exceeded:", "Recovered:",
                                   "Low limit exceeded:", "Recovered:", "High limit exceeded:"}))
        << text.toStdString();
    EXPECT_TRUE(text.contains("00002"));
    EXPECT_TRUE(text.contains("Number of times the high limit was exceeded: 2"));
}

TEST_F(PrintTest, TheTerminalPrintsItsText)
{
    state.TerminalVisible = true;
    TerminalWindow terminal(state, lang);
    terminal.ToevoegenTextBox("first reply 7.01 pH\r\nsecond reply 7.02 pH\r\n", 0);
    active = &terminal;
    const QString text = Print();
    EXPECT_TRUE(text.contains("first reply 7.01 pH")) << text.toStdString();
    EXPECT_TRUE(text.contains("second reply 7.02 pH"));
    EXPECT_LT(text.indexOf("first reply"), text.indexOf("second reply"));
}

TEST_F(PrintTest, AllDataWindowsValuesThenGraphsThenTheTable)
{
    for (int n = 1; n <= 3; ++n)
        Log(n, QString::number(n));
    ValueWindow v2(state, lang, 2), v1(state, lang, 1);
    values = {&v2, &v1};
    Graph();
    Table();
    state.TableVisible = true;
    state.PrintAll = true;
    const QString text = Print();
    // The value windows share the first page, in the order of their channels.
    const int channel1 = text.indexOf("CH1: Value"), channel2 = text.indexOf("CH2: Value");
    const int graph = text.indexOf("run.vam: "), heading = text.indexOf(QRegularExpression("No +Date +Time"));
    EXPECT_GE(channel1, 0) << text.toStdString();
    EXPECT_GT(channel2, channel1);
    EXPECT_LT(channel2, text.indexOf("page 1"));
    EXPECT_GT(graph, channel2);
    EXPECT_GT(heading, graph);
    EXPECT_TRUE(text.contains("page 3"));
    EXPECT_FALSE(text.contains("page 4")) << "not a page per value window";
    EXPECT_EQ(asked, 1); // one job, one question
}

TEST_F(PrintTest, TheTwoSwitchesFollowTheWindowToPrint)
{
    Log(1, "1");
    TableWindow& tableWin = Table();
    GraphWindow& plain = Graph();
    TerminalWindow terminal(state, lang);
    ValueWindow value(state, lang, 1);
    GraphWindow& alarmed = Graph();
    alarmed.Settings().AlarmHoog = true;
    const struct {
        const char* name;
        bool all;
        QWidget* current;
        bool tableVisible, tableSelection, anyAlarm;
        bool selection, alarm;
    } cases[] = {
        {"terminal", false, &terminal, true, true, true, false, false},
        {"value", false, &value, true, true, true, false, false},
        {"table", false, &tableWin, false, false, true, true, false},
        {"graph without alarm line", false, &plain, true, true, true, false, false},
        {"graph with alarm line", false, &alarmed, true, false, true, false, true},
        {"all, table shown with a selection", true, nullptr, true, true, false, true, false},
        {"all, table hidden", true, nullptr, false, true, true, false, true},
        {"all, nothing selected", true, nullptr, true, false, true, false, true},
    };
    for (const auto& c : cases) {
        active = c.current;
        state.PrintAll = c.all;
        state.TableVisible = c.tableVisible;
        tableWin.SelectRows(c.tableSelection ? std::vector<int>{0} : std::vector<int>{});
        graphs = c.anyAlarm ? std::vector<GraphWindow*>{&plain, &alarmed} : std::vector<GraphWindow*>{&plain};
        PrintDialog dialog(hooks);
        EXPECT_EQ(dialog.SelectionCheck()->isEnabled(), c.selection) << c.name;
        EXPECT_EQ(dialog.AlarmReportCheck()->isEnabled(), c.alarm) << c.name;
    }
}

TEST_F(PrintTest, OpeningShowsTheSettingsAndTheSaveButtonFollowsChanges)
{
    state.PrintOrientation = 2;
    int saved = 0;
    hooks.saveConfiguration = [&] {
        ++saved;
        return true;
    };
    PrintDialog dialog(hooks);
    EXPECT_EQ(dialog.Tabs()->count(), 3);
    EXPECT_EQ(dialog.HeaderBox(94)->text(), "Ann Smith");
    EXPECT_TRUE(dialog.LandscapeOption()->isChecked());
    EXPECT_TRUE(dialog.OrientationPicture()->property("landscape").toBool());
    EXPECT_EQ(dialog.PrinterCombo()->itemText(dialog.PrinterCombo()->count() - 1), PdfPrinterName());
    EXPECT_TRUE(dialog.PaperLabel()->text().startsWith("Paper size: A4, 210 x 297 mm")
                || dialog.PrinterCombo()->currentIndex() != dialog.PrinterCombo()->count() - 1)
        << dialog.PaperLabel()->text().toStdString();
    EXPECT_FALSE(dialog.SaveButton()->isEnabled());
    dialog.HeaderBox(94)->setFocus();
    QTest::keyClicks(dialog.HeaderBox(94), " Jr");
    EXPECT_TRUE(dialog.SaveButton()->isEnabled());
    dialog.SaveButton()->click();
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(state.PrintOperator, "Ann Smith Jr");
    EXPECT_FALSE(dialog.SaveButton()->isEnabled());
    dialog.PortraitOption()->setChecked(true);
    EXPECT_FALSE(dialog.OrientationPicture()->property("landscape").toBool());
    EXPECT_TRUE(dialog.SaveButton()->isEnabled());
}

TEST_F(PrintTest, TheFontDialogTakesOverOnOkOnly)
{
    bool accept = false;
    hooks.chooseFont = [&](QFont& f, const QString& title) {
        EXPECT_EQ(title, "Change Font");
        f.setFamily("Courier");
        f.setItalic(true);
        return accept;
    };
    state.PrintFont = "Arial";
    PrintDialog dialog(hooks);
    dialog.FontButton()->click();
    EXPECT_EQ(state.PrintFont, "Arial");
    EXPECT_FALSE(dialog.SaveButton()->isEnabled());
    accept = true;
    dialog.FontButton()->click();
    EXPECT_EQ(state.PrintFont, "Courier");
    EXPECT_TRUE(state.PrintItalic);
    EXPECT_TRUE(state.ConfigChanged);
    EXPECT_TRUE(dialog.FontLabel()->text().startsWith("Courier, 10, italic"));
    EXPECT_TRUE(dialog.FontLabel()->font().italic());
}

TEST(PrintPrinters, AStoredIndexBeyondTheListFallsBackToTheDefault)
{
    const QStringList names = {"Office", "Lab", PdfPrinterName()};
    const struct {
        int stored;
        const char* defaultName;
        int expected;
    } cases[] = {{1, "Office", 1}, {0, "Lab", 0}, {7, "Lab", 1}, {3, "Office", 0}, {-1, "", 2}, {9, "Gone", 2}};
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePrinterIndex(c.stored, names, c.defaultName), c.expected) << c.stored << c.defaultName;
}

TEST_F(PrintTest, PageSetupSpinsWrapAroundAndOkStoresTheMargins)
{
    state.OffsetTop = 0;
    state.OffsetLeft = 12.3f;
    PageSetupDialog setup(state, lang, QSizeF(200, 270));
    EXPECT_EQ(setup.InfoLabel()->text(), "Values in mm,\nrelative to printable area! = 200.0 x 270.0 mm");
    MarginSpin* top = setup.Spin(PageSetupDialog::Top);
    MarginSpin* left = setup.Spin(PageSetupDialog::Left);
    const struct {
        MarginSpin* spin;
        int steps;
        double expected;
    } cases[] = {
        {top, -1, 90.0},  // down from 0: a third of the printable height
        {top, 1, 0.0},    // up past the maximum: 0
        {top, 1, 0.1},    {top, 1, 0.2}, {top, -3, 90.0},
        {left, 1, 12.4},  {left, -1, 12.3},
        {left, 600, 0.0}, // 72.3 > 66.6
        {left, -1, 66.6}, // a third of 200, shown with one decimal
    };
    for (const auto& c : cases) {
        c.spin->stepBy(c.steps);
        EXPECT_NEAR(c.spin->value(), c.expected, 1e-9) << c.steps;
    }
    EXPECT_EQ(left->text(), "66.6");
    setup.Spin(PageSetupDialog::Bottom)->setValue(100); // typed above the maximum
    setup.accept();
    EXPECT_FLOAT_EQ(state.OffsetTop, 90.0f);
    EXPECT_FLOAT_EQ(state.OffsetLeft, 66.6f);
    EXPECT_FLOAT_EQ(state.OffsetBottom, 0);
}

TEST_F(PrintTest, AFullXYRecorderPrintsItselfWithoutTheDialog)
{
    GraphWindow& recorder = Graph(true);
    state.Connected = true;
    for (int i = 1; i <= 5; ++i) {
        state.Readings[1].ValueText = QString::number(i * 10);
        state.Readings[1].UnitText = "mV";
        state.Readings[1].HasValue = true;
        recorder.VulGrafiekAan(state.LogCount);
    }
    recorder.Settings().AlarmHoog = true;
    recorder.Settings().AlarmHoogWaarde = 35;
    state.PrintAlarmReport = true;
    ASSERT_TRUE(PrintRecorder(hooks, recorder)) << messages.join('\n').toStdString();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->objectName() == "formPrint" && w->isVisible());
    // Nobody asked for the PDF file: the next of the recorder's numbered files.
    EXPECT_EQ(asked, 0);
    ASSERT_TRUE(PrintRecorder(hooks, recorder));
    EXPECT_EQ(QDir(dir.path()).entryList({"*.pdf"}), QStringList({"XY-recorder 001.pdf", "XY-recorder 002.pdf"}));
    const QString text = PdfText(dir.filePath("XY-recorder 001.pdf"));
    EXPECT_TRUE(text.contains("XY-recorder")) << text.toStdString();
    EXPECT_TRUE(text.contains("High limit exceeded:"));
    EXPECT_TRUE(text.contains("CH1 (mV): 40; "));
}

TEST_F(PrintTest, ACancelledPdfPathPrintsNothing)
{
    ValueWindow value(state, lang, 1);
    state.Readings[1].HasValue = true;
    active = &value;
    pdf.clear();
    PrintDialog dialog(hooks);
    EXPECT_FALSE(dialog.Print());
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.isEmpty());

    // A PDF that cannot be written: nothing printed, and the message names the file.
    pdf = dir.filePath(QStringLiteral("no such folder/out.pdf"));
    EXPECT_FALSE(dialog.Print());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(pdf)) << qPrintable(messages[0]);
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

} // namespace
