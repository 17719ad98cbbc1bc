#include "core/model/appstate.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"
#include "ui/values/valuewindow.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct ValueWindowTest : testing::Test {
    void SetUp() override
    {
        state.DeviceName = QStringLiteral("A101");
        state.ChannelCount = 1;
        state.Channels.resize(2);
        state.Channel(1).Name = QStringLiteral("CH1");
        // Distinct alarm colours so the low and high states can be told apart.
        state.ValueColorAlarmLow = MakeColor(0, 0, 200);
        state.ValueColorAlarmHigh = MakeColor(200, 0, 200);
    }
    void SetReading(const QString& value, const QString& unit, bool overRange = false)
    {
        ChannelReading& r = state.Readings[1];
        r.ValueText = value;
        r.UnitText = unit;
        r.OverRange = overRange;
        r.HasValue = true;
        r.ReadingTime = 45000.5;
    }
    static QColor TextColor(const QLabel* l) { return l->palette().color(QPalette::WindowText); }

    AppState state;
    LanguageTable lang;
};

} // namespace

TEST(QtColors, PlainAndSystemColours)
{
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(MakeColor(255, 128, 64)), QColor(255, 128, 64));
    const QPalette p = QGuiApplication::palette();
    EXPECT_EQ(ToQColor(SysColorButtonFace), p.color(QPalette::Button));
    EXPECT_EQ(ToQColor(SysColorButtonText), p.color(QPalette::ButtonText));
    EXPECT_EQ(ToQColor(0x80000011u), ToQColor(ResolveColorFallback(0x80000011u)));
    for (ColorValue c : {0x000000u, 0xFFFFFFu, 0x123456u})
        EXPECT_EQ(FromQColor(ToQColor(c)), c);
}

TEST_F(ValueWindowTest, CreationTagsTheWindowAndRecordsTheChannelColour)
{
    state.TableColorForeground = MakeColor(1, 2, 3);
    state.Channel(1).Color = 0;
    ValueWindow w(state, lang, 1);
    EXPECT_EQ(w.objectName(), QStringLiteral("meting1"));
    EXPECT_EQ(ValueWindow::ChannelFromTag(w.Tag()), 1);
    EXPECT_EQ(ValueWindow::ChannelFromTag(QStringLiteral("meting12")), 12);
    EXPECT_EQ(state.Channel(1).Color, MakeColor(1, 2, 3));
    EXPECT_EQ(w.Caption(), QStringLiteral("CH1: Value"));
    EXPECT_EQ(w.AlarmLabel()->text(), QStringLiteral(" "));
}

TEST_F(ValueWindowTest, ValueColourFollowsConnectionRangeAndAlarms)
{
    struct Case { const char* name; bool connected, overRange, low, high; ColorValue AppSettings::*text; ColorValue AppSettings::*back; };
    const Case cases[] = {
        {"normal", true, false, false, false, &AppSettings::ValueColorForeground, &AppSettings::ValueColorBackgroundActive},
        {"over range", true, true, false, false, &AppSettings::ValueColorOverrange, &AppSettings::ValueColorBackgroundActive},
        {"low alarm", true, false, true, false, &AppSettings::ValueColorAlarmLow, &AppSettings::ValueColorBackgroundActive},
        {"high alarm", true, false, false, true, &AppSettings::ValueColorAlarmHigh, &AppSettings::ValueColorBackgroundActive},
        {"over range wins", true, true, true, true, &AppSettings::ValueColorOverrange, &AppSettings::ValueColorBackgroundActive},
        {"low before high", true, false, true, true, &AppSettings::ValueColorAlarmLow, &AppSettings::ValueColorBackgroundActive},
        {"offline", false, true, true, false, &AppSettings::TableColorForeground, &AppSettings::ValueColorBackgroundInactive},
    };
    ValueWindow w(state, lang, 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.Connected = c.connected;
        SetReading(QStringLiteral("12.5"), QStringLiteral("mV"), c.overRange);
        w.SetAlarmStates(c.low, c.high);
        w.OpvullenMeting();
        EXPECT_EQ(TextColor(w.ValueLabel()), ToQColor(state.*c.text));
        EXPECT_EQ(w.ValueLabel()->palette().color(QPalette::Window), ToQColor(state.*c.back));
        EXPECT_EQ(w.ValueLabel()->text(), c.overRange ? QStringLiteral("OR.") : QStringLiteral("12.5"));
        EXPECT_EQ(TextColor(w.UnitLabel()), ToQColor(state.UnitColorForeground));
        EXPECT_EQ(TextColor(w.AlarmLabel()), ToQColor(state.UnitColorForeground));
        EXPECT_EQ(w.palette().color(QPalette::Window), ToQColor(state.UnitColorBackground));
    }
}

TEST_F(ValueWindowTest, MinimisedWindowShowsTheReadingInItsCaption)
{
    QMdiArea area;
    area.resize(600, 400);
    auto* w = new ValueWindow(state, lang, 1);
    QMdiSubWindow* sub = area.addSubWindow(w);
    area.show();
    sub->show();
    sub->showMinimized();
    ASSERT_TRUE(sub->isMinimized());

    SetReading(QStringLiteral("7.01"), QStringLiteral("pH"));
    w->OpvullenMeting();
    EXPECT_EQ(sub->windowTitle(), QStringLiteral("CH1: 7.01pH"));
    EXPECT_EQ(w->ValueLabel()->text(), QString());   // the labels wait for the window to come back

    sub->showNormal();
    w->OpvullenMeting();
    EXPECT_EQ(w->ValueLabel()->text(), QStringLiteral("7.01"));
    EXPECT_TRUE(sub->windowTitle().startsWith(QStringLiteral("CH1: Value @ ")));
}

TEST_F(ValueWindowTest, TemperatureRowOnlyForTemperatureMeters)
{
    struct Case { const char* device; bool temperature; };
    for (const Case& c : {Case{"J7010", true}, Case{"A101", false}}) {
        SCOPED_TRACE(c.device);
        state.DeviceName = QString::fromLatin1(c.device);
        SetReading(QStringLiteral("7.01"), QStringLiteral("pH"));
        state.Readings[1].ExtraText = QStringLiteral("25.0 C");
        ValueWindow w(state, lang, 1);
        w.resize(200, 90);
        w.show();
        w.OpvullenMeting();
        EXPECT_EQ(w.TemperatureLabel()->isVisible(), c.temperature);
        EXPECT_EQ(w.TemperatureLabel()->text(), c.temperature ? QStringLiteral("25.0 C") : QString());
        // The alarm indication takes the last row: the third with a temperature.
        const int rows = c.temperature ? 3 : 2;
        EXPECT_EQ(w.AlarmLabel()->y(), (90 * 15 / rows) * (rows - 1) / 15);
    }
}

TEST_F(ValueWindowTest, ChosenFontKeepsTheUnitSize)
{
    ValueWindow w(state, lang, 1);
    w.resize(200, 90);
    const int unitSize = w.UnitLabel()->font().pointSize();
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(40);
    chosen.setBold(true);
    w.ApplyValueFont(chosen);
    EXPECT_EQ(w.ValueLabel()->font().pointSize(), 40);
    EXPECT_EQ(w.UnitLabel()->font().pointSize(), unitSize);
    EXPECT_TRUE(w.UnitLabel()->font().bold());
    EXPECT_EQ(w.UnitLabel()->font().family(), chosen.family());
}

TEST_F(ValueWindowTest, CopyPutsTheShownValueTabUnitOnTheClipboard)
{
    ValueWindow w(state, lang, 1);
    SetReading(QStringLiteral("-0.5"), QStringLiteral("kOhm.cm"));
    w.SetAlarmIndication(QStringLiteral("x"));
    w.OpvullenMeting();
    EXPECT_EQ(w.AlarmLabel()->text(), QStringLiteral("x"));
    w.CopyWaarde();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("-0.5\tkOhm .cm"));

    w.WissenWaarden();
    EXPECT_EQ(w.AlarmLabel()->text(), QStringLiteral(" "));
    w.CopyWaarde();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("\t"));
}

TEST_F(ValueWindowTest, DoubleClickOnUnitOrAlarmAsksForTheAlarmDialog)
{
    ValueWindow w(state, lang, 1);
    w.show();
    QSignalSpy spy(&w, &ValueWindow::AlarmDialogRequested);
    QTest::mouseDClick(w.UnitLabel(), Qt::LeftButton);
    QTest::mouseDClick(w.AlarmLabel(), Qt::LeftButton);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
}

TEST_F(ValueWindowTest, ClosingHidesTheSubWindowInsteadOfDestroyingIt)
{
    QMdiArea area;
    auto* w = new ValueWindow(state, lang, 1);
    QPointer<QMdiSubWindow> sub = area.addSubWindow(w);
    area.show();
    sub->show();
    state.Channel(1).Value = true;
    QSignalSpy spy(w, &ValueWindow::ClosedByUser);

    sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(sub.isNull());
    EXPECT_FALSE(sub->isVisible());
    EXPECT_FALSE(state.Channel(1).Value);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
}
