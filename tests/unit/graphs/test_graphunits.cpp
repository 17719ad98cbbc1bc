// Units of graph lines: families and prefixes, the factor between two
// units, and value texts brought to a line's unit.

#include "core/graphs/graphunits.h"

#include <gtest/gtest.h>

namespace {

const QString kMicro(QChar(0x00B5));
const QString kOhmGlyph(QChar(0x00DB));

TEST(GraphUnits, ClassifiesFamiliesAndPrefixes)
{
    struct {
        QString unit;
        UnitFamily family;
        int exponent;
    } const cases[] = {
        {kMicro + "S/cm", UnitFamily::Conductance, -6},
        {"mS/cm", UnitFamily::Conductance, -3},
        {"S/cm", UnitFamily::Conductance, 0},
        {"S", UnitFamily::Conductance, 0},
        {"S.cm-1", UnitFamily::Conductance, 0},
        {"ng/l", UnitFamily::MassConcentration, -9},
        {kMicro + "g/l", UnitFamily::MassConcentration, -6},
        {"mg/l", UnitFamily::MassConcentration, -3},
        {"g/l", UnitFamily::MassConcentration, 0},
        {"g", UnitFamily::MassConcentration, 0},
        {"ppm", UnitFamily::Ratio, -6},
        {"ppt", UnitFamily::Ratio, -3},
        {"Ohm.cm", UnitFamily::Resistance, 0},
        {"kOhm .cm", UnitFamily::Resistance, 3},
        {"MOhm.cm", UnitFamily::Resistance, 6},
        {"k" + kOhmGlyph, UnitFamily::Resistance, 3},
        {kOhmGlyph + ".cm", UnitFamily::Resistance, 0},
        // A power of ten written before the unit counts as a prefix.
        {"e-3 S/cm", UnitFamily::Conductance, -3},
        {"E-6 S/cm", UnitFamily::Conductance, -6},
        {"e-3 mS/cm", UnitFamily::Conductance, -6},
        {"e-3 g/l", UnitFamily::MassConcentration, -3},
        // Not rescaled: other quantities, and words that only begin with a unit letter.
        {QString(QChar(0x00B0)) + "C", UnitFamily::None, 0},
        {"pH", UnitFamily::None, 0},
        {"mV", UnitFamily::None, 0},
        {"sec", UnitFamily::None, 0},
        {"gal", UnitFamily::None, 0},
        {"", UnitFamily::None, 0},
        {"e-", UnitFamily::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unit.toStdString());
        const UnitScale u = ClassifyUnit(c.unit);
        EXPECT_EQ(u.family, c.family);
        EXPECT_EQ(u.exponent, c.exponent);
    }
}

TEST(GraphUnits, ValuesAreBroughtToTheLineUnit)
{
    struct {
        const char* name;
        QString value, unit, lineUnit;
        bool ok;
        double expected;
    } const cases[] = {
        {"mS/cm on a " "\xc2\xb5S/cm line", "1.5", "mS/cm", kMicro + "S/cm", true, 1500},
        {"\xc2\xb5S/cm on a mS/cm line", "250", kMicro + "S/cm", "mS/cm", true, 0.25},
        {"same unit", "-0.5", "mS/cm", "mS/cm", true, -0.5},
        {"decimal comma", "1,25", "g/l", "mg/l", true, 1250},
        {"ppt on a ppm line", "2", "ppt", "ppm", true, 2000},
        {"kOhm on an Ohm line", "3", "kOhm.cm", "Ohm.cm", true, 3000},
        {"power of ten in the unit", "4", "e-3 S/cm", "mS/cm", true, 4},
        {"other family left alone", "7", "mg/l", "mS/cm", true, 7},
        {"no line unit yet", "2", "mS/cm", "", true, 2},
        {"9999 is a mark, not a value", "9999", "mS/cm", kMicro + "S/cm", true, 9999},
        {"empty", "", "mS/cm", "mS/cm", false, 0},
        {"no digits", "----", "mS/cm", "mS/cm", false, 0},
        {"damaged: a letter in front", "x6.54", "mS/cm", "mS/cm", false, 0},
        {"damaged: two points", "6.5.4", "mS/cm", "mS/cm", false, 0},
        {"a trailing minus", "1.5-", "mV", "mV", true, -1.5},
        {"an exponent", "1.234E-03", "mV", "mV", true, 0.001234},
        {"blanks around", "  12.5 ", " mS/cm ", "mS/cm", true, 12.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double v = -1;
        EXPECT_EQ(GraphValue(c.value, c.unit, c.lineUnit, v), c.ok);
        if (c.ok)
            EXPECT_DOUBLE_EQ(v, c.expected);
    }
}

TEST(GraphUnits, FactorIsAThousandPerPrefixStep)
{
    EXPECT_DOUBLE_EQ(UnitFactor("ng/l", "g/l"), 1e-9);
    EXPECT_DOUBLE_EQ(UnitFactor("g/l", "ng/l"), 1e9);
    EXPECT_DOUBLE_EQ(UnitFactor("MOhm.cm", "kOhm.cm"), 1000);
    EXPECT_DOUBLE_EQ(UnitFactor("mS/cm", "mg/l"), 1);
    EXPECT_DOUBLE_EQ(UnitFactor("pH", "pH"), 1);
}

} // namespace
