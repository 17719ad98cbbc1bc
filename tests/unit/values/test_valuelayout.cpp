#include "core/model/appstate.h"
#include "core/values/valuelayout.h"

#include <gtest/gtest.h>

TEST(ValueLayout, TwoRowWindowCapsTheDigitsByWidth)
{
    // 1000 / 25 = 40 points, but the width allows only 2000 / 80 = 25.
    const ValueWindowLayout l = LayoutValueWindow(2000, 1000, false, 10, 10);
    EXPECT_EQ(l.Rows, 2);
    EXPECT_EQ(l.ValueFontPt, 25);
    EXPECT_EQ(l.Value.Width, 1400);
    EXPECT_EQ(l.RowFontPt, 8);
    EXPECT_EQ(l.Unit.Left, 1460);
    EXPECT_EQ(l.Unit.Width, 540);
    EXPECT_EQ(l.Unit.Height, 500);
    EXPECT_FALSE(l.TemperatureVisible);
    EXPECT_EQ(l.Alarm.Top, 500);
}

TEST(ValueLayout, ThreeRowWindowPutsTheAlarmBelowTheTemperature)
{
    const ValueWindowLayout l = LayoutValueWindow(4000, 900, true, 10, 10);
    EXPECT_EQ(l.ValueFontPt, 36);   // 900 / 25, under the cap of 4000 / 80
    EXPECT_TRUE(l.TemperatureVisible);
    EXPECT_EQ(l.Temperature.Top, 300);
    EXPECT_EQ(l.Alarm.Top, 600);
}

TEST(ValueLayout, RulesThatDoNotApplyKeepTheCurrentFont)
{
    struct Case { int w, h, valueFont, rowFont, expectValue, expectRow; };
    const Case cases[] = {
        {2000, 24, 14, 9, 14, 4},   // too low for the height rule; width still caps and sets the row
        {99, 1000, 14, 9, 40, 9},   // too narrow for the cap and the row rule
        {99, 24, 14, 9, 14, 9},     // neither rule applies
        {2000, 60, 14, 9, 2, 9},    // digits of 2 points leave the row font alone
    };
    for (const Case& c : cases) {
        const ValueWindowLayout l = LayoutValueWindow(c.w, c.h, false, c.valueFont, c.rowFont);
        EXPECT_EQ(l.ValueFontPt, c.expectValue) << c.w << "x" << c.h;
        EXPECT_EQ(l.RowFontPt, c.expectRow) << c.w << "x" << c.h;
    }
}

TEST(ValueLayout, TinyWindowsNeverGiveNegativeSizesOrEmptyFonts)
{
    const int sizes[] = {0, 24, 25, 99, 100, 159, -15};
    for (int w : sizes)
        for (int h : sizes)
            for (bool j70 : {false, true})
                for (int currentFont : {0, -1, 8}) {
                    const ValueWindowLayout l = LayoutValueWindow(w, h, j70, currentFont, currentFont);
                    SCOPED_TRACE(testing::Message() << w << "x" << h << " j70=" << j70 << " font=" << currentFont);
                    EXPECT_GE(l.ValueFontPt, 1);
                    EXPECT_GE(l.RowFontPt, 1);
                    for (const TwipRect& r : {l.Value, l.Unit, l.Temperature, l.Alarm}) {
                        EXPECT_GE(r.Left, 0);
                        EXPECT_GE(r.Top, 0);
                        EXPECT_GE(r.Width, 0);
                        EXPECT_GE(r.Height, 0);
                    }
                }
}

TEST(ValueLayout, DisplayTexts)
{
    struct Case { const char* unit; const char* shown; };
    const Case units[] = {
        {"kOhm.cm", "kOhm .cm"}, {"Ohm.cm", "Ohm .cm"}, {"MOhm", "MOhm"}, {"mS/cm", "mS/cm"}, {"", ""},
    };
    for (const Case& c : units)
        EXPECT_EQ(DisplayUnitText(QString::fromLatin1(c.unit)), QString::fromLatin1(c.shown)) << c.unit;

    ChannelReading reading;
    reading.ValueText = QStringLiteral("7.01");
    EXPECT_EQ(DisplayValueText(reading), QStringLiteral("7.01"));
    reading.OverRange = true;
    EXPECT_EQ(DisplayValueText(reading), QStringLiteral("OR."));
}

TEST(ValueLayout, TemperatureModels)
{
    for (const char* model : {"J7010", "J7430", "J7050", "J7050M", "J7060"})
        EXPECT_TRUE(IsJ70ValueDevice(QString::fromLatin1(model))) << model;
    for (const char* model : {"A101", "G4010", "J7070", "K230", ""})
        EXPECT_FALSE(IsJ70ValueDevice(QString::fromLatin1(model))) << model;
}
