// The graph settings dialog's numbers and input texts.

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/graphs/graphsettings.h"
#include "core/graphs/graphsettingstext.h"
#include "core/devices/catalogue.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

const QString kDegreeC = QString(QChar(0x00B0)) + "C";

TEST(GraphSettingsText, NumbersAreBroughtIntoRange)
{
    struct {
        int (*convert)(const QString&);
        const char* name;
        QString text;
        int expected;
    } const cases[] = {
        {PointsFromText, "points: a dot as thousands separator", "1.000", 1000},
        {PointsFromText, "points: below 50", "30", 50},
        {PointsFromText, "points: empty", "", 50},
        {PointsFromText, "points: not a number", "abc", 50},
        {PointsFromText, "points: the most", "30.000", 30000},
        {PointsFromText, "points: too many", "40000", 30000},
        {PointsFromText, "points: plain", "75", 75},
        {TimeDivisionsFromText, "time divisions: zero", "0", 1},
        {TimeDivisionsFromText, "time divisions: 25", "25", 20},
        {TimeDivisionsFromText, "time divisions: 21", "21", 20},
        {TimeDivisionsFromText, "time divisions: a dot is dropped", "1.2", 12},
        {TimeDivisionsFromText, "time divisions: plain", "7", 7},
        {DivisionsFromText, "divisions: zero", "0", 1},
        {DivisionsFromText, "divisions: negative", "-4", 1},
        {DivisionsFromText, "divisions: 21", "21", 20},
        {DivisionsFromText, "divisions: plain", "5", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.convert(c.text), c.expected) << c.name;
    EXPECT_DOUBLE_EQ(GraphNumberFromText("-12,5"), -12.5);
    EXPECT_DOUBLE_EQ(GraphNumberFromText("100"), 100);
}

struct InputTextTest : testing::Test {
    void Use(const QString& model)
    {
        ApplyDevice(state, model, NowDays());
        state.DeviceName = model;
        state.Readings[1].UnitText = " mS/cm ";
        state.Readings[2].UnitText = "pH";
    }
    AppState state;
};

TEST_F(InputTextTest, InputTextsRoundTrip)
{
    struct {
        const char* model;
        int input;
        QString text;
    } const cases[] = {
        {"A101", 0, ""},
        {"A101", 1, "CH1 (mS/cm)"},
        {"A101", 2, "CH2 (pH)"},
        {"J7010", 3, "CH1 (" + kDegreeC + ")"},
        {"J7010", 4, "CH2 (" + kDegreeC + ")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.model << " input " << c.input);
        Use(c.model);
        EXPECT_EQ(GraphInputText(c.input, state), c.text);
        EXPECT_EQ(GraphInputFromText(c.text, state), c.input);
    }
}

// "CH2 (°C)" is the temperature input of channel 2 only where the input list
// offers temperature entries; elsewhere a channel whose own unit is °C keeps
// its channel (its temperature input has no column, so every point was empty).
TEST_F(InputTextTest, DegreeChannelIsTemperatureInputOnlyWhereOffered)
{
    struct {
        const char* model;
        int input;
    } const cases[] = {
        {"G4010", 2}, {"A101", 2}, {"H264", 2}, {"K231", 2}, {"N505", 2}, {"N335", 2},
        {"J7010", 4}, {"J7020", 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        Use(c.model);
        state.Readings[2].UnitText = kDegreeC;
        const QString text = "CH2 (" + kDegreeC + ")";
        EXPECT_EQ(GraphInputFromText(text, state), c.input);
        // What the grid shows for the input taken is the text chosen.
        EXPECT_EQ(GraphInputText(c.input, state), text);
    }
    Use("J7010");
    EXPECT_EQ(GraphInputFromText("CH", state), 0);
    EXPECT_EQ(GraphInputFromText("CH99", state), 32);
}

TEST_F(InputTextTest, TemperatureEntriesOnlyForJ70Meters)
{
    Use("A101");
    EXPECT_EQ(GraphInputChoices(state), QStringList({"", "CH1 (mS/cm)", "CH2 (pH)"}));
    Use("J7010");
    EXPECT_EQ(GraphInputChoices(state),
              QStringList({"", "CH1 (mS/cm)", "CH2 (pH)", "CH1 (" + kDegreeC + ")", "CH2 (" + kDegreeC + ")"}));
}

} // namespace

// A new graph's lines can be told apart from each other and from the alarm
// limits: no default line colour is near the limits' blue or red, nor near
// another line's colour.
TEST(GraphSettingsColours, DefaultLinesDifferFromTheLimitsAndEachOther)
{
    const auto distance = [](ColorValue a, ColorValue b) {
        const auto channel = [](ColorValue c, int shift) { return int((c >> shift) & 0xFF); };
        double sum = 0;
        for (int shift : {0, 8, 16})
            sum += std::pow(channel(a, shift) - channel(b, shift), 2);
        return std::sqrt(sum);
    };
    const GraphSettings g;
    for (int n = 1; n <= 16; ++n) {
        const ColorValue line = g.Lines[size_t(n)].Colour;
        SCOPED_TRACE(n);
        EXPECT_GT(distance(line, g.AlarmHoogKleur), 120.0) << "near the high limit";
        EXPECT_GT(distance(line, g.AlarmLaagKleur), 120.0) << "near the low limit";
        for (int m = 1; m < n; ++m)
            EXPECT_GT(distance(line, g.Lines[size_t(m)].Colour), 40.0) << "near line " << m;
    }
}
