// The graph settings dialog: numbers brought into range on OK, the rules that
// switch controls on and off, the line grid (inputs, colours, check marks),
// the alarm limits, the stored tab and the help button.

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/graphs/graphsettings.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "platform/ui/colorchooser.h"
#include "ui/graphs/graphsettingsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct GraphSettingsDialogTest : testing::Test {
    void SetUp() override { Use("A101"); }
    void Use(const QString& model)
    {
        ApplyDevice(state, model, NowDays());
        state.DeviceName = model;
        state.Readings[1].UnitText = "mS/cm";
    }
    std::unique_ptr<GraphSettingsDialog> Open(SettingsStore* store = nullptr)
    {
        return std::make_unique<GraphSettingsDialog>(state, lang, graph, store);
    }
    void TearDown() override { ColorChooser::hook = nullptr; }

    AppState state;
    LanguageTable lang;
    GraphSettings graph;
};

TEST_F(GraphSettingsDialogTest, NumberBoxesAreBroughtIntoRangeOnOk)
{
    struct {
        QLineEdit* (GraphSettingsDialog::*box)() const;
        QString typed, shown;
        qint16 GraphSettings::*field;
        qint16 expected;
    } const cases[] = {
        {&GraphSettingsDialog::PointsBox, "1.000", "1000", &GraphSettings::MaxGrafiekZichtbaar, 1000},
        {&GraphSettingsDialog::PointsBox, "30", "50", &GraphSettings::MaxGrafiekZichtbaar, 50},
        {&GraphSettingsDialog::TimeDivisionsBox, "0", "1", &GraphSettings::AantalTijdVerdelingen, 1},
        {&GraphSettingsDialog::TimeDivisionsBox, "25", "20", &GraphSettings::AantalTijdVerdelingen, 20},
        {&GraphSettingsDialog::DivisionsBox, "0", "1", &GraphSettings::AantalWaardenVerdelingen, 1},
        {&GraphSettingsDialog::SubdivisionsBox, "99", "20", &GraphSettings::AantalWaardenOnderverdelingen, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        graph = GraphSettings();
        auto d = Open();
        ((*d).*(c.box))()->setText(c.typed);
        d->accept();
        EXPECT_EQ(d->result(), QDialog::Accepted);
        EXPECT_EQ(graph.*(c.field), c.expected);
        EXPECT_EQ(((*d).*(c.box))()->text(), c.shown);
    }
}

TEST_F(GraphSettingsDialogTest, CancelChangesNothing)
{
    graph.Name = "Before";
    auto d = Open();
    d->NameBox()->setText("After");
    d->PointsBox()->setText("500");
    d->reject();
    EXPECT_EQ(graph.Name, "Before");
    EXPECT_EQ(graph.MaxGrafiekZichtbaar, 99);
}

TEST_F(GraphSettingsDialogTest, ControlsAreSwitchedOnAndOffByTheirBoxes)
{
    auto d = Open();
    struct {
        QCheckBox* box;
        std::vector<QWidget*> followers;
    } const rules[] = {
        {d->AutoScaleBox(), {d->MaximumBox(), d->MinimumBox(), d->DivisionsBox(), d->SubdivisionsBox()}},
        {d->RecorderBox(), {d->PrintRecorderBox()}},
        {d->AlarmBox(true), {d->AlarmValueBox(true), d->AlarmColourButton(true)}},
        {d->AlarmBox(false), {d->AlarmValueBox(false), d->AlarmColourButton(false)}},
    };
    for (const auto& r : rules) {
        for (const bool on : {true, false}) {
            r.box->setChecked(on);
            // The automatic scale switches its boxes off; the others switch theirs on.
            const bool usable = r.box == d->AutoScaleBox() ? !on : on;
            for (QWidget* w : r.followers)
                EXPECT_EQ(w->isEnabled(), usable) << r.box->text().toStdString() << (on ? " on" : " off");
        }
    }
}

TEST_F(GraphSettingsDialogTest, TheLineGrid)
{
    graph.Lines[1].Input = 1;
    graph.Lines[2].Input = 2;
    graph.Lines[2].ShowMax = 1;
    auto d = Open();
    QTableWidget* grid = d->LineGrid();
    EXPECT_EQ(grid->rowCount(), 16);
    EXPECT_EQ(grid->item(0, 1)->text(), "CH1 (mS/cm)");
    EXPECT_FALSE(grid->item(1, 4)->text().isEmpty());

    // An emptied input cell gives input 0.
    d->EditCell(1, 1);
    ASSERT_FALSE(d->InputList()->isHidden());
    EXPECT_EQ(d->InputList()->currentText(), "CH1 (mS/cm)");
    d->InputList()->setCurrentIndex(0);
    // Check marks toggle.
    d->EditCell(2, 4);
    d->EditCell(3, 3);
    d->EditCell(3, 3);
    d->EditCell(3, 5);
    EXPECT_TRUE(d->InputList()->isHidden()) << "another cell takes the input list's text";
    // The colour cell through the shared chooser: a cancelled choice keeps the colour.
    ColorChooser::hook = [](ColorValue& c) {
        c = MakeColor(1, 2, 3);
        return true;
    };
    d->EditCell(4, 2);
    ColorChooser::hook = [](ColorValue& c) {
        c = MakeColor(9, 9, 9);
        return false;
    };
    d->EditCell(5, 2);
    d->accept();
    EXPECT_EQ(graph.Lines[1].Input, 0);
    EXPECT_EQ(graph.Lines[2].Input, 2);
    EXPECT_EQ(graph.Lines[2].ShowMax, 0);
    EXPECT_EQ(graph.Lines[3].ShowMin, 0);
    EXPECT_EQ(graph.Lines[3].ShowMean, 1);
    EXPECT_EQ(graph.Lines[4].Colour, MakeColor(1, 2, 3));
    EXPECT_EQ(graph.Lines[5].Colour, kGraphLineColors[5]);
}

TEST_F(GraphSettingsDialogTest, TemperatureInputsOnlyForJ70Meters)
{
    struct {
        const char* model;
        int entries;
        int chosen;        // index in the list
        qint16 input;      // what OK makes of it
    } const cases[] = {
        {"A101", 3, 2, 2},
        {"J7010", 5, 3, 3}, // "CH1 (°C)": the temperature of channel 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        Use(c.model);
        graph = GraphSettings();
        auto d = Open();
        d->EditCell(1, 1);
        EXPECT_EQ(d->InputList()->count(), c.entries);
        d->InputList()->setCurrentIndex(c.chosen);
        d->accept();
        EXPECT_EQ(graph.Lines[1].Input, c.input);
    }
}

TEST_F(GraphSettingsDialogTest, AlarmLimits)
{
    graph.AlarmHoog = true;
    graph.AlarmHoogWaarde = 5;
    graph.AlarmLaag = true;
    graph.AlarmLaagWaarde = 4;
    auto d = Open();
    // The up button of the low limit stops at the high limit.
    QToolButton* up = d->AlarmValueBox(false)->parentWidget()->findChildren<QToolButton*>().value(0);
    ASSERT_NE(up, nullptr);
    up->click();
    up->click();
    EXPECT_EQ(d->AlarmValueBox(false)->text(), "5");

    // Switching the high alarm off keeps its value and colour.
    ColorChooser::hook = [](ColorValue& c) {
        c = MakeColor(0, 255, 0);
        return true;
    };
    d->AlarmColourButton(true)->click();
    d->AlarmValueBox(true)->setText("9");
    d->AlarmBox(true)->setChecked(false);
    d->AlarmColourButton(false)->click();
    d->accept();
    EXPECT_FALSE(graph.AlarmHoog);
    EXPECT_DOUBLE_EQ(graph.AlarmHoogWaarde, 5);
    EXPECT_EQ(graph.AlarmHoogKleur, kDefaultAlarmHighColour);
    EXPECT_TRUE(graph.AlarmLaag);
    EXPECT_DOUBLE_EQ(graph.AlarmLaagWaarde, 5);
    EXPECT_EQ(graph.AlarmLaagKleur, MakeColor(0, 255, 0));
}

TEST_F(GraphSettingsDialogTest, TheLastTabIsStoredAndHelpNamesItsTopic)
{
    QTemporaryDir dir;
    SettingsStore store("VAM-CFG", dir.filePath("store.conf"));
    {
        auto d = Open(&store);
        EXPECT_EQ(d->Tabs()->count(), 4);
        EXPECT_EQ(d->Tabs()->currentIndex(), 0);
        d->Tabs()->setCurrentIndex(2);
        d->reject();
    }
    EXPECT_EQ(store.Value("Graph settings", "Tab"), "2");
    auto d = Open(&store);
    EXPECT_EQ(d->Tabs()->currentIndex(), 2);
    QString topic;
    d->helpHandler = [&topic](const QString& t) { topic = t; };
    d->HelpButton()->click();
    EXPECT_EQ(topic, "graph_settings.htm");
}

TEST_F(GraphSettingsDialogTest, TheOtherFieldsGoBack)
{
    auto d = Open();
    d->ValueTitleBox()->setText("Value");
    d->TimeTitleBox()->setText("Time");
    d->AutoScaleBox()->setChecked(false);
    d->MaximumBox()->setText("1,5");
    d->MinimumBox()->setText("-2");
    d->LabelOption(2)->setChecked(true);
    d->LegendBox()->setChecked(true);
    d->RecorderBox()->setChecked(true);
    d->PrintRecorderBox()->setChecked(true);
    d->NameBox()->setText("Oven");
    d->accept();
    EXPECT_EQ(graph.TitelWaardenas, "Value");
    EXPECT_EQ(graph.TitelTijdsas, "Time");
    EXPECT_FALSE(graph.AutomatischeSchaal);
    EXPECT_DOUBLE_EQ(graph.GrafiekMaximum, 1.5);
    EXPECT_DOUBLE_EQ(graph.GrafiekMinimum, -2);
    EXPECT_EQ(graph.LabelKeuze, 2);
    EXPECT_TRUE(graph.LegendeKeuze);
    EXPECT_TRUE(graph.XYrecorder);
    EXPECT_TRUE(graph.AfdrukkenRecorder);
    EXPECT_EQ(graph.Name, "Oven");
}

} // namespace
