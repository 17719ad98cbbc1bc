// Readings as numbers in one unit: the one unit of a unit, values moved
// across prefixes exactly, the flags of readings without a number, and the
// same rules applied to a live reading and to a table row.

#include "core/logging/numericreading.h"

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
const QString kMicro(QChar(0x00B5));
const QString kDegC = QStringLiteral("\u00B0C");

TEST(NumericReading, OneUnitTakesThePrefixOff)
{
    struct {
        QString unit, one;
    } const cases[] = {
        {kMicro + "S/cm", "S/cm"},
        {"mS/cm", "S/cm"},
        {"S/cm", "S/cm"},
        {"e-3 S/cm", "S/cm"},
        {"e-3 mS/cm", "S/cm"},
        {"mS/cm rel.", "S/cm rel."},
        {"ng/l", "g/l"},
        {kMicro + "g/l", "g/l"},
        {"mg/l", "g/l"},
        {"g/l", "g/l"},
        {"Ohm.cm", "Ohm.cm"},
        {"kOhm.cm", "Ohm.cm"},
        {"MOhm .cm", "Ohm .cm"},
        {"ppm", "ppm"},
        {"ppt", "ppm"},
        {"ppt rel.", "ppm rel."},
        {"pH", "pH"},
        {"mV", "mV"},
        {kDegC, kDegC},
        {" %", "%"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OneUnit(c.unit), c.one) << qPrintable(c.unit);
}

TEST(NumericReading, ValuesAndFlags)
{
    struct {
        const char* name;
        QString value, unit;
        bool overRange, hasValue;
        QString target;
        ReadingFlag flag;
        const char* exact; // the decimal the value must read as ("" when flagged)
    } const cases[] = {
        // Prefixes n, µ, m, none, k, M, each across one family.
        {"nano", "5", "ng/l", false, true, "g/l", ReadingFlag::None, "5e-9"},
        {"micro", "1.413", kMicro + "S/cm", false, true, "S/cm", ReadingFlag::None, "1.413e-6"},
        {"milli", "12.88", "mS/cm", false, true, "S/cm", ReadingFlag::None, "0.01288"},
        {"milli conc", "5.2", "mg/l", false, true, "g/l", ReadingFlag::None, "0.0052"},
        {"none", "0.5", "S/cm", false, true, "S/cm", ReadingFlag::None, "0.5"},
        {"kilo", "2.1", "kOhm.cm", false, true, "Ohm.cm", ReadingFlag::None, "2100"},
        {"mega", "1.5", "MOhm.cm", false, true, "Ohm.cm", ReadingFlag::None, "1.5e6"},
        {"ratio", "3.25", "ppt", false, true, "ppm", ReadingFlag::None, "3250"},
        {"power of ten", "1.2", "e-3 S/cm", false, true, "S/cm", ReadingFlag::None, "0.0012"},
        {"own unit", "7.01", "pH", false, true, "", ReadingFlag::None, "7.01"},
        {"decimal comma", "-1,5", "mV", false, true, "mV", ReadingFlag::None, "-1.5"},
        {"exponent", "-1.234E-03", "mS/cm", false, true, "S/cm", ReadingFlag::None, "-1.234e-6"},
        {"Fortran exponent", "2.5D+02", "mV", false, true, "mV", ReadingFlag::None, "250"},
        {"trailing minus", " 12.5-", "mV", false, true, "mV", ReadingFlag::None, "-12.5"},
        {"blanks", " +0.25 ", "pH", false, true, "pH", ReadingFlag::None, "0.25"},
        // No number.
        {"over range", "99999", "mS/cm", true, true, "S/cm", ReadingFlag::OverRange, ""},
        {"over range mark", "OR.", "", true, true, "S/cm", ReadingFlag::OverRange, ""},
        {"damaged", "x6.54", "pH", false, true, "pH", ReadingFlag::Damaged, ""},
        {"two points", "6.5.4", "pH", false, true, "pH", ReadingFlag::Damaged, ""},
        {"too large", "1e999", "mV", false, true, "mV", ReadingFlag::Damaged, ""},
        {"no reading mark", "----", "pH", false, true, "pH", ReadingFlag::Missing, ""},
        {"empty", "", "pH", false, true, "pH", ReadingFlag::Missing, ""},
        {"no value", "7.0", "pH", false, false, "pH", ReadingFlag::Missing, ""},
        {"other unit", "7.0", "pH", false, true, "mV", ReadingFlag::OtherUnit, ""},
        {"other family", "7.0", "mg/l", false, true, "S/cm", ReadingFlag::OtherUnit, ""},
        {"relative", "1.2", "mS/cm rel.", false, true, "S/cm", ReadingFlag::OtherUnit, ""},
    };
    for (const auto& c : cases) {
        double v = -42;
        const ReadingFlag flag = NumericValue({c.value, c.unit, c.overRange, c.hasValue}, c.target, v);
        EXPECT_EQ(int(flag), int(c.flag)) << c.name;
        if (*c.exact) {
            EXPECT_EQ(v, std::strtod(c.exact, nullptr)) << c.name << ": " << v;
        }
    }
}

TEST(NumericReading, FlagNamesAreTheColumnsWords)
{
    EXPECT_STREQ(FlagName(ReadingFlag::None), "");
    EXPECT_STREQ(FlagName(ReadingFlag::OverRange), "over range");
    EXPECT_STREQ(FlagName(ReadingFlag::Missing), "missing");
    EXPECT_STREQ(FlagName(ReadingFlag::Damaged), "damaged");
    EXPECT_STREQ(FlagName(ReadingFlag::Off), "off");
    EXPECT_STREQ(FlagName(ReadingFlag::OtherUnit), "other unit");
}

TEST(NumericReading, LiveReadingAsTheAcquisitionHoldsIt)
{
    AppState s;
    ApplyDevice(s, QStringLiteral("J7020"), 0);
    s.DeviceName = QStringLiteral("J7020");
    s.Channel(1).Name = QStringLiteral("Tank, left");
    s.Readings[1] = {};
    s.Readings[1].ValueText = QStringLiteral("845");
    s.Readings[1].UnitText = kMicro + "S/cm";
    s.Readings[1].ExtraText = QStringLiteral("25.1") + kDegC;
    s.Readings[1].HasValue = true;
    s.Readings[2].ValueText = QStringLiteral("7.0");
    s.Readings[2].UnitText = QStringLiteral("pH");
    s.Readings[2].HasValue = true;
    s.Channel(2).Use = false;

    const NumericReading one = NumericReadingOf(s, 1);
    EXPECT_EQ(one.channel, 1);
    EXPECT_EQ(one.name, QStringLiteral("Tank, left"));
    EXPECT_EQ(one.unit, QStringLiteral("S/cm"));
    ASSERT_TRUE(one.value.has_value());
    EXPECT_EQ(*one.value, 845e-6);
    ASSERT_TRUE(one.temperature.has_value());
    EXPECT_EQ(*one.temperature, 25.1);
    EXPECT_EQ(one.temperatureUnit, kDegC);

    const NumericReading off = NumericReadingOf(s, 2);
    EXPECT_EQ(int(off.flag), int(ReadingFlag::Off));
    EXPECT_FALSE(off.value.has_value());

    // J70xx over range hides the temperature as well.
    s.Readings[1].OverRange = true;
    const NumericReading over = NumericReadingOf(s, 1);
    EXPECT_EQ(int(over.flag), int(ReadingFlag::OverRange));
    EXPECT_FALSE(over.value.has_value());
    EXPECT_FALSE(over.temperature.has_value());
}

TEST(NumericReading, TableRowInTheColumnsUnit)
{
    LogTable table;
    table.SetLayout(QStringLiteral("K231"), 4);
    table.BeginBulk();
    LogTable::RawCell cells[4];
    cells[0] = {"845", "\xB5S/cm", {}, false, true};
    cells[1] = {"99999", "mS/cm", {}, true, true};
    cells[2] = {"1.2", "mS/cm", {}, false, true};
    table.AppendBulk(46000.5, true, cells, "");
    table.EndBulk();

    const NumericReading a = NumericReadingOf(table, 0, 1, QStringLiteral("CH1"), QStringLiteral("S/cm"));
    ASSERT_TRUE(a.value.has_value());
    EXPECT_EQ(*a.value, 845e-6);
    EXPECT_EQ(a.unit, QStringLiteral("S/cm"));
    EXPECT_EQ(int(NumericReadingOf(table, 0, 2, "CH2").flag), int(ReadingFlag::OverRange));
    // Without a column unit the reading's own one unit.
    const NumericReading c = NumericReadingOf(table, 0, 3, "CH3");
    EXPECT_EQ(c.unit, QStringLiteral("S/cm"));
    EXPECT_EQ(*c.value, 0.0012);
    EXPECT_EQ(int(NumericReadingOf(table, 0, 4, "CH4").flag), int(ReadingFlag::Missing));
}

TEST(NumericReading, StopRecord)
{
    LanguageTable language;
    qint16 dutch = LanguageTable::Dutch;
    language.SetLanguage(dutch);
    EXPECT_TRUE(IsStopRecord(QStringLiteral("Stop")));
    EXPECT_TRUE(IsStopRecord(QStringLiteral(" Stop "), &language));
    EXPECT_TRUE(IsStopRecord(language.Text(14), &language));
    EXPECT_FALSE(IsStopRecord(QString()));
    EXPECT_FALSE(IsStopRecord(QStringLiteral("Stopped by hand"), &language));
    AppState s;
    s.CurrentInfo = QStringLiteral("Stop");
    EXPECT_TRUE(IsStopRecord(s));
}
} // namespace
