// The graph commands on the offscreen platform: creating, configuring,
// cancelling, removing, hiding and showing graphs in their 16 slots, the
// enabled states, readings reaching the graphs, and graphs that round-trip
// through a configuration file.

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/model/datetime.h"
#include "core/graphs/graphmodel.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphplot.h"
#include "ui/graphs/graphsettingsdialog.h"
#include "ui/graphs/graphwindow.h"
#include "ui/config/layoutkeeper.h"
#include "ui/logging/tablewindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QRadioButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct GraphManagerTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(state, "A101", t0);
        state.DeviceName = "A101";
        table.SetLayout(state);
        main.setCentralWidget(area);
        main.resize(1200, 800);
        main.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
        manager.SetLayoutKeeper(&keeper);
        manager.SetTableWindow(tableWindow);
        tableWindow->StelTabelIn();
        manager.dialogRunner = [this](GraphSettingsDialog& d) {
            ++dialogs;
            if (configure)
                configure(d);
            if (answer == QDialog::Accepted)
                d.accept();
            return answer;
        };
        manager.messageHandler = [this](const QString& title, const QString& text) { messages << title + "|" + text; };
        manager.confirmHandler = [this](const QString& title, const QString&) {
            questions << title;
            return confirm;
        };
    }
    void Log(int n, const QString& value)
    {
        for (int ch = 1; ch <= 2; ++ch) {
            ChannelReading& r = state.Readings[ch];
            r.ReadingTime = t0 + n * kOneSecond;
            r.ValueText = value;
            r.UnitText = "mV";
            r.HasValue = true;
        }
        state.LogCount = n;
        table.VulTabelAan(state, {});
    }
    QMdiSubWindow* Sub(int slot) const { return qobject_cast<QMdiSubWindow*>(manager.Graph(slot)->parentWidget()); }

    double t0 = ToDays(QDateTime(QDate(2026, 3, 2), QTime(9, 0, 0)));
    AppState state;
    LanguageTable lang;
    LogTable table;
    QMainWindow main;
    QMdiArea* area = new QMdiArea;
    TableWindow* tableWindow = new TableWindow(state, lang, table, nullptr);
    LayoutKeeper keeper{state, main, *area};
    GraphManager manager{state, lang, *area, table};
    int dialogs = 0;
    int answer = QDialog::Accepted;
    bool confirm = true;
    std::function<void(GraphSettingsDialog&)> configure;
    QStringList messages, questions;
};

TEST_F(GraphManagerTest, NewGraphsTakeTheLowestFreeSlot)
{
    for (int i = 1; i <= 3; ++i)
        ASSERT_NE(manager.NewGraph(false), nullptr);
    EXPECT_EQ(state.GraphCount, 3);
    EXPECT_TRUE(state.ConfigChanged);
    ASSERT_TRUE(manager.RemoveGraph(manager.Graph(2)));
    EXPECT_EQ(questions, QStringList{"Graph"});
    EXPECT_EQ(manager.Graph(2), nullptr);
    EXPECT_EQ(state.GraphCount, 2);
    GraphWindow* again = manager.NewGraph(true);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GrafiekIndex(), 2);
    EXPECT_EQ(again->windowTitle(), "XY-recorder");
    EXPECT_EQ(again->objectName(), "grafiek2");
    EXPECT_EQ(manager.Windows().size(), 3u);
    EXPECT_EQ(state.GraphCount, 3);
}

TEST_F(GraphManagerTest, CancellingTheSettingsOfANewGraphRemovesIt)
{
    answer = QDialog::Rejected;
    EXPECT_EQ(manager.NewGraph(false), nullptr);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_EQ(state.GraphCount, 0);
    EXPECT_TRUE(area->subWindowList().isEmpty());
    EXPECT_FALSE(state.ConfigChanged);
    EXPECT_FALSE(state.SettingsOpen);
}

TEST_F(GraphManagerTest, TheSeventeenthGraphIsRefused)
{
    for (int i = 1; i <= 16; ++i)
        ASSERT_NE(manager.NewGraph(i % 2 == 0), nullptr) << i;
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(manager.NewGraph(false), nullptr);
    EXPECT_EQ(messages, QStringList{"New graph|" + lang[234]});
    EXPECT_EQ(dialogs, 16) << "no settings for a refused graph";
    EXPECT_EQ(manager.Count(), 16);
    EXPECT_EQ(state.GraphCount, 16);
}

TEST_F(GraphManagerTest, RemoveAsksFirst)
{
    GraphWindow* g = manager.NewGraph(false);
    confirm = false;
    EXPECT_FALSE(manager.RemoveGraph(g));
    EXPECT_EQ(manager.Count(), 1);
    confirm = true;
    area->setActiveSubWindow(Sub(1));
    manager.RemoveAction()->trigger();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_FALSE(manager.RemoveAction()->isEnabled());
}

TEST_F(GraphManagerTest, TheCloseBoxHidesAndViewGraphsShowsAgain)
{
    manager.NewGraph(false);
    state.ConfigChanged = false;
    QSignalSpy arrange(&manager, &GraphManager::ArrangeRequested);
    Sub(1)->close();
    EXPECT_TRUE(Sub(1)->isHidden());
    EXPECT_EQ(manager.Count(), 1);
    EXPECT_TRUE(state.ConfigChanged);
    EXPECT_EQ(arrange.count(), 1);
    EXPECT_TRUE(manager.ViewGraphsAction()->isEnabled());
    manager.ViewGraphsAction()->trigger();
    EXPECT_FALSE(Sub(1)->isHidden());
    EXPECT_TRUE(manager.Graph(1)->Settings().Zichtbaar);
    EXPECT_EQ(arrange.count(), 2);
}

TEST_F(GraphManagerTest, ActionsFollowTheActiveWindow)
{
    QSignalSpy enabled(&manager, &GraphManager::GraphSettingsEnabledChanged);
    EXPECT_FALSE(manager.RemoveAction()->isEnabled());
    EXPECT_FALSE(manager.SettingsAction()->isEnabled());
    EXPECT_FALSE(manager.ViewGraphsAction()->isEnabled());
    EXPECT_TRUE(manager.NewGraphAction()->isEnabled());
    EXPECT_EQ(manager.Menu()->actions().size(), 4);
    manager.NewGraphAction()->trigger();
    EXPECT_TRUE(manager.SettingsAction()->isEnabled());
    EXPECT_TRUE(manager.RemoveAction()->isEnabled());
    ASSERT_GE(enabled.count(), 1);
    EXPECT_TRUE(enabled.last().at(0).toBool());
    EXPECT_EQ(state.ActiveGraph, 1);

    QMdiSubWindow* tableSub = area->addSubWindow(tableWindow);
    tableSub->show();
    area->setActiveSubWindow(tableSub);
    EXPECT_FALSE(manager.SettingsAction()->isEnabled());
    EXPECT_FALSE(enabled.last().at(0).toBool());
    area->removeSubWindow(tableWindow);
}

TEST_F(GraphManagerTest, TheSettingsDialogConfiguresTheGraph)
{
    configure = [](GraphSettingsDialog& d) {
        d.PointsBox()->setText("1.000");
        d.TimeDivisionsBox()->setText("0");
        d.NameBox()->setText("Conductivity");
        d.EditCell(1, 1);
        d.InputList()->setCurrentIndex(1); // CH1
        d.EditCell(1, 3);                  // minimum shown
    };
    GraphWindow* g = manager.NewGraph(false);
    ASSERT_NE(g, nullptr);
    const GraphSettings& s = g->Settings();
    EXPECT_EQ(s.MaxGrafiekZichtbaar, 1000);
    EXPECT_EQ(s.AantalTijdVerdelingen, 1);
    EXPECT_EQ(s.Lines[1].Input, 1);
    EXPECT_EQ(s.Lines[1].ShowMin, 1);
    EXPECT_EQ(g->windowTitle(), "Conductivity");
    EXPECT_EQ(Sub(1)->windowTitle(), "Conductivity");
    EXPECT_EQ(g->Plot()->Rows(), 1000);
    EXPECT_TRUE(g->Plot()->SeriesVisible(3));

    // Activating the chart opens the settings again; OK applies them.
    configure = [](GraphSettingsDialog& d) { d.PointsBox()->setText("60"); };
    QWidget* chart = g->Plot()->findChild<QWidget*>();
    QTest::mouseDClick(chart, Qt::LeftButton, {}, chart->rect().center());
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(g->Plot()->Rows(), 60);
}

TEST_F(GraphManagerTest, ReadingsReachTheirGraphs)
{
    configure = [](GraphSettingsDialog& d) {
        d.EditCell(1, 1);
        d.InputList()->setCurrentIndex(1);
    };
    GraphWindow* graph = manager.NewGraph(false);
    GraphWindow* recorder = manager.NewGraph(true);
    const int last = recorder->Model().MaxRows();
    Log(1, "7");
    manager.VulGrafiekAan(1, true);
    EXPECT_TRUE(IsNullCell(recorder->Plot()->Cell(last, 3))) << "a recorder draws only while connected";
    state.Connected = true;
    manager.VulGrafiekAan(1, true);
    EXPECT_DOUBLE_EQ(recorder->Plot()->Cell(last, 3), 7);
    EXPECT_TRUE(IsNullCell(graph->Plot()->Cell(1, 3))) << "the table graph waits for its own call";
    manager.VulGrafiekAan(1, false);
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(1, 3), 7);

    // Receive switches the graphs off; at its end the table graphs are rebuilt.
    manager.SetReceiving(true);
    EXPECT_FALSE(graph->isEnabled());
    EXPECT_FALSE(manager.NewGraphAction()->isEnabled());
    Log(2, "8");
    manager.VulGrafiekAan(2, false);
    manager.VulGrafiekAan(2, true);
    EXPECT_TRUE(IsNullCell(graph->Plot()->Cell(2, 3)));
    EXPECT_TRUE(IsNullCell(recorder->Plot()->Cell(last - 2, 3)));
    manager.SetReceiving(false);
    EXPECT_TRUE(graph->isEnabled());
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(2, 3), 8);
    EXPECT_DOUBLE_EQ(recorder->Plot()->Cell(last, 3), 7) << "a recorder keeps what it drew";
}

TEST_F(GraphManagerTest, ReinitialisingFollowsTheLanguageAndTheTable)
{
    configure = [](GraphSettingsDialog& d) {
        d.AlarmBox(true)->setChecked(true);
        d.EditCell(1, 1);
        d.InputList()->setCurrentIndex(1);
    };
    GraphWindow* graph = manager.NewGraph(false);
    Log(1, "3");
    Log(2, "4");
    qint16 french = LanguageTable::French;
    lang.SetLanguage(french);
    manager.Reinitialise();
    EXPECT_EQ(graph->Model().Series(2).Legend, lang[120]);
    EXPECT_NE(lang[120], "High limit");
    EXPECT_DOUBLE_EQ(graph->Plot()->Cell(2, 3), 4);
}

TEST_F(GraphManagerTest, APointSelectsItsTableRow)
{
    configure = [](GraphSettingsDialog& d) {
        d.EditCell(1, 1);
        d.InputList()->setCurrentIndex(1);
    };
    for (int n = 1; n <= 5; ++n)
        Log(n, QString::number(n));
    GraphWindow* graph = manager.NewGraph(false);
    manager.HerladenGrafiek();
    Sub(1)->resize(700, 450);
    QCoreApplication::processEvents(); // the layout follows the new size
    graph->Plot()->RedrawNow();
    QWidget* chart = graph->Plot()->findChild<QWidget*>();
    QTest::mouseClick(chart, Qt::LeftButton, {}, graph->Plot()->PixelOf(3, 3).toPoint());
    EXPECT_EQ(tableWindow->Geselecteerd(), std::vector<int>{2});
}

// Every field a configuration stores.
void ExpectSameGraph(const GraphSettings& a, const GraphSettings& b)
{
    EXPECT_EQ(a.GrafiekIndex, b.GrafiekIndex);
    EXPECT_FLOAT_EQ(a.Top, b.Top);
    EXPECT_FLOAT_EQ(a.Left, b.Left);
    EXPECT_FLOAT_EQ(a.Height, b.Height);
    EXPECT_FLOAT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.WindowState, b.WindowState);
    EXPECT_EQ(a.Zichtbaar, b.Zichtbaar);
    EXPECT_EQ(a.TitelWaardenas, b.TitelWaardenas);
    EXPECT_EQ(a.AutomatischeSchaal, b.AutomatischeSchaal);
    EXPECT_DOUBLE_EQ(a.GrafiekMinimum, b.GrafiekMinimum);
    EXPECT_DOUBLE_EQ(a.GrafiekMaximum, b.GrafiekMaximum);
    EXPECT_EQ(a.AantalWaardenVerdelingen, b.AantalWaardenVerdelingen);
    EXPECT_EQ(a.AantalWaardenOnderverdelingen, b.AantalWaardenOnderverdelingen);
    EXPECT_EQ(a.TitelTijdsas, b.TitelTijdsas);
    EXPECT_EQ(a.MaxGrafiekZichtbaar, b.MaxGrafiekZichtbaar);
    EXPECT_EQ(a.AantalTijdVerdelingen, b.AantalTijdVerdelingen);
    EXPECT_EQ(a.LabelKeuze, b.LabelKeuze);
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.LegendeKeuze, b.LegendeKeuze);
    EXPECT_EQ(a.XYrecorder, b.XYrecorder);
    EXPECT_EQ(a.AfdrukkenRecorder, b.AfdrukkenRecorder);
    EXPECT_EQ(a.AlarmHoog, b.AlarmHoog);
    EXPECT_DOUBLE_EQ(a.AlarmHoogWaarde, b.AlarmHoogWaarde);
    EXPECT_EQ(a.AlarmHoogKleur, b.AlarmHoogKleur);
    EXPECT_EQ(a.AlarmLaag, b.AlarmLaag);
    EXPECT_DOUBLE_EQ(a.AlarmLaagWaarde, b.AlarmLaagWaarde);
    EXPECT_EQ(a.AlarmLaagKleur, b.AlarmLaagKleur);
    for (int n = 1; n <= kMaxLinesPerGraph; ++n) {
        const GraphLine &x = a.Lines[size_t(n)], &y = b.Lines[size_t(n)];
        EXPECT_EQ(x.Input, y.Input) << "line " << n;
        EXPECT_EQ(x.Colour, y.Colour) << "line " << n;
        EXPECT_EQ(x.ShowMin, y.ShowMin) << "line " << n;
        EXPECT_EQ(x.ShowMax, y.ShowMax) << "line " << n;
        EXPECT_EQ(x.ShowMean, y.ShowMean) << "line " << n;
    }
}

TEST_F(GraphManagerTest, GraphsRoundTripThroughAConfigurationFile)
{
    // Two graphs and an XY recorder, each set up differently.
    const std::function<void(GraphSettingsDialog&)> setups[] = {
        [](GraphSettingsDialog& d) {
            d.NameBox()->setText("Tank A");
            d.AutoScaleBox()->setChecked(false);
            d.MinimumBox()->setText("-12,5");
            d.MaximumBox()->setText("250");
            d.DivisionsBox()->setText("5");
            d.SubdivisionsBox()->setText("4");
            d.ValueTitleBox()->setText("mV");
            d.TimeTitleBox()->setText("time of day");
            d.PointsBox()->setText("500");
            d.LabelOption(1)->setChecked(true);
            d.LegendBox()->setChecked(true);
            d.AlarmBox(true)->setChecked(true);
            d.AlarmValueBox(true)->setText("200");
            d.EditCell(1, 1);
            d.InputList()->setCurrentIndex(1);
            d.EditCell(1, 5);
            d.EditCell(2, 1);
            d.InputList()->setCurrentIndex(2);
        },
        [](GraphSettingsDialog& d) {
            d.NameBox()->setText("Tank B");
            d.AlarmBox(false)->setChecked(true);
            d.AlarmValueBox(false)->setText("-3");
            d.EditCell(16, 1);
            d.InputList()->setCurrentIndex(2);
            d.EditCell(16, 3);
            d.EditCell(16, 4);
        },
        [](GraphSettingsDialog& d) {
            d.PrintRecorderBox()->setChecked(true);
            d.LabelOption(3)->setChecked(true);
            d.EditCell(1, 1);
            d.InputList()->setCurrentIndex(1);
        },
    };
    for (int i = 0; i < 3; ++i) {
        configure = setups[i];
        ASSERT_NE(manager.NewGraph(i == 2), nullptr);
    }
    configure = nullptr;
    Sub(1)->setGeometry(10, 20, 400, 300);
    Sub(2)->setGeometry(420, 20, 380, 310);
    Sub(3)->setGeometry(30, 340, 500, 260);
    Sub(2)->close(); // hidden

    ConfigLayout written;
    manager.Collect(written);
    EXPECT_EQ(written.Graphs[4].GrafiekIndex, 0);
    EXPECT_EQ(written.Graphs[2].Zichtbaar, false);
    EXPECT_FLOAT_EQ(written.Graphs[1].Left, 150);
    QTemporaryDir dir;
    const QString path = dir.filePath("VAM.CFG");
    QString error;
    ASSERT_TRUE(WriteConfig(state, lang, written, path, CurrentConfigInfo(state), &error)) << error.toStdString();

    manager.RemoveAll();
    EXPECT_EQ(manager.Count(), 0);
    ConfigLayout read;
    ASSERT_EQ(ReadConfig(state, lang, read, path), ConfigReadStatus::Read);
    EXPECT_EQ(state.GraphCount, 3);
    manager.Apply(read);
    EXPECT_EQ(manager.Count(), 3);
    EXPECT_TRUE(Sub(2)->isHidden());
    EXPECT_FALSE(Sub(1)->isHidden());
    EXPECT_TRUE(manager.Graph(3)->IsRecorder());
    EXPECT_EQ(manager.Graph(1)->windowTitle(), "Tank A");
    EXPECT_EQ(dialogs, 3) << "reading a configuration opens no settings";

    ConfigLayout again;
    manager.Collect(again);
    for (int slot = 1; slot <= 3; ++slot) {
        SCOPED_TRACE(testing::Message() << "graph " << slot);
        ExpectSameGraph(again.Graphs[size_t(slot)], written.Graphs[size_t(slot)]);
    }
    EXPECT_DOUBLE_EQ(again.Graphs[1].GrafiekMinimum, -12.5);
    EXPECT_EQ(again.Graphs[1].Lines[1].ShowMean, 1);
    EXPECT_EQ(again.Graphs[2].Lines[16].Input, 2);
}

} // namespace
