#include "core/devices/units.h"

#include <gtest/gtest.h>
#include <QLocale>

namespace {
// Sets a default locale for one test and restores the previous one.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& l) : saved_(QLocale()) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(saved_); }
private:
    QLocale saved_;
};
const QLocale kComma(QLocale::Dutch, QLocale::Netherlands);
const QString kMicro = QStringLiteral("\u00B5");
} // namespace

TEST(Units, DecimalSeparatorFollowsLocale)
{
    {
        LocaleScope scope(QLocale::c());
        EXPECT_EQ(LocaleDecimalSeparator(), QStringLiteral("."));
        EXPECT_EQ(ToLocaleDecimal(QStringLiteral("7.02")), QStringLiteral("7.02"));
        EXPECT_EQ(NormaliseNumberText(QStringLiteral(".5")), QStringLiteral("0.5"));
    }
    {
        LocaleScope scope(kComma);
        EXPECT_EQ(LocaleDecimalSeparator(), QStringLiteral(","));
        EXPECT_EQ(ToLocaleDecimal(QStringLiteral("7.02")), QStringLiteral("7,02"));
        EXPECT_EQ(NormaliseNumberText(QStringLiteral(".5")), QStringLiteral("0,5"));
        EXPECT_DOUBLE_EQ(TextToDouble(ToLocaleDecimal(QStringLiteral("7.02"))), 7.02);
    }
    EXPECT_EQ(LocaleDecimalSeparator(), LocaleDecimalSeparator()) << "restored locale answers the same twice";
}

TEST(Units, TextToNumbers)
{
    const struct { const char* text; double asDouble; double asValue; int asInteger; } cases[] = {
        {"7.02", 7.02, 7.02, 7},
        {"7,02", 7.02, 7, 7},          // only the Double/Single reading takes a comma
        {"-1,5", -1.5, -1, -1},
        {"1.5-", -1.5, -1.5, -2},      // a trailing minus still negates; -1.5 rounds to even
        {"12.7", 12.7, 12.7, 13},
        {"  3.25 mS/cm", 3.25, 3.25, 3},
        {"1.234E-03", 0.001234, 0.001234, 0}, // the exponent's minus does not negate
        {"1.234e-03", 0.001234, 0.001234, 0}, // every exponent letter alike
        {"1.234D-03", 0.001234, 0.001234, 0}, // the Fortran exponent some meters print
        {"1.234d-03", 0.001234, 0.001234, 0},
        {"-2.5D+02", -250, -250, -250},
        {"-1,5d-02", -0.015, -1, -1},
        {"7D", 7, 7, 7},               // a letter without digits ends the number
        {"-1,5E-02", -0.015, -1, -1},
        {"+4", 4, 4, 4},
        {"", 0, 0, 0},
        {"abc", 0, 0, 0},
        {"99999", 99999, 99999, 32767}, // clamped, not wrapped
        {"--2", -2, -2, -2},
        {"2.5", 2.5, 2.5, 2},          // halves to even, like the platform's conversion
        {"1e999", 0, 0, 0},            // overflow reads as no number, never as infinity
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString t = QString::fromLatin1(c.text);
        EXPECT_NEAR(TextToDouble(t), c.asDouble, 1e-9);
        EXPECT_NEAR(TextToSingle(t), float(c.asDouble), 1e-4);
        EXPECT_NEAR(TextToValue(t), c.asValue, 1e-9);
        EXPECT_EQ(TextToInteger(t), c.asInteger);
    }
}

TEST(Units, RoundToStep)
{
    EXPECT_FLOAT_EQ(RoundToStep(7.3, 0.5), 7.5f);
    EXPECT_FLOAT_EQ(RoundToStep(7.3, 0), 7.0f);
    EXPECT_FLOAT_EQ(RoundToStep(7.24, 0.1), 7.2f);
    EXPECT_FLOAT_EQ(RoundToStep(-7.3, 0.5), -7.5f);
    EXPECT_FLOAT_EQ(RoundToStep(123, 50), 100.0f);
}

TEST(Units, NormaliseNumberText)
{
    LocaleScope scope(QLocale::c());
    const struct { const char* in; const char* out; } cases[] = {
        {"", "0"}, {"x", "0"}, {".", "0"}, {"-", "0"}, {"7", "7"}, {".5", "0.5"}, {",5", "0.5"}, {"5.", "5.0"},
        {"007", "7"}, {"00.5", "0.5"}, {"0.50", "0.50"}, {"-.5", "-0.5"}, {"-007", "-7"}, {"-,", "0"}, {"100", "100"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormaliseNumberText(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(Units, NumericKeyFilter)
{
    using K = KeyKind;
    using R = NumericKey;
    const struct { K kind; char ch; const char* text; int caret; int flags; R expected; } cases[] = {
        {K::Enter, 0, "12", 2, 0, R::NextField},
        {K::Backspace, 0, "12", 2, 0, R::Pass},
        {K::Left, 0, "12", 2, 3, R::Pass},
        {K::Character, '5', "12", 2, 0, R::Pass},
        {K::Character, 'a', "12", 2, 0, R::Refuse},
        {K::Character, '-', "12", 0, 0, R::Pass},
        {K::Character, '-', "12", 1, 0, R::Refuse},      // not at the start
        {K::Character, '-', "-12", 0, 0, R::Refuse},     // already negative
        {K::Character, '-', "12", 0, NoMinus, R::Refuse},
        {K::Character, '.', "12", 2, 0, R::Pass},
        {K::Character, ',', "12", 1, 0, R::Pass},
        {K::Character, '.', "12", 0, 0, R::Refuse},      // not before the digits
        {K::Character, '.', "-12", 1, 0, R::Refuse},     // not right after the minus
        {K::Character, '.', "1.2", 3, 0, R::Refuse},     // one separator only
        {K::Character, '.', "12", 2, NoDecimal, R::Refuse},
        {K::Character, '0', "0", 1, 0, R::Refuse},       // second leading zero
        {K::Character, '0', "-0.5", 1, 0, R::Refuse},
        {K::Character, '0', "0.5", 3, 0, R::Pass},
        {K::Character, '0', "5", 1, 0, R::Pass},
        {K::Other, 0, "5", 1, 0, R::Refuse},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FilterNumericKey(c.kind, QLatin1Char(c.ch), QString::fromLatin1(c.text), c.caret, c.flags), c.expected)
            << "key '" << c.ch << "' into '" << c.text << "' at " << c.caret;
    }
}

TEST(Units, MeterCharsetAndUnitNormalisation)
{
    EXPECT_EQ(MapMeterCharset(QString::fromLatin1("\xe6S/cm \xf8" "C \xea")), kMicro + QStringLiteral("S/cm \u00B0C Ohm"));
    bool relative = true;
    EXPECT_EQ(NormaliseUnit(QStringLiteral("Conc%"), &relative), QStringLiteral("g/l"));
    EXPECT_FALSE(relative);
    EXPECT_EQ(NormaliseUnit(QString::fromLatin1("\xf8" "C"), &relative), QStringLiteral("\u00B0C"));
    EXPECT_EQ(NormaliseUnit(QStringLiteral("mV^"), &relative), QStringLiteral("mV rel."));
    EXPECT_TRUE(relative);
}

TEST(Units, ScaleConductivityUnit)
{
    const struct { const char* value; const char* unit; const char* outValue; QString outUnit; bool relative; } cases[] = {
        {"1.234E-03", "S/cm", "1.234", QStringLiteral("mS/cm"), false},
        {"5.6E-06", "S/cm", "5.6", kMicro + QStringLiteral("S/cm"), false},
        {"99999", "S/cm", "99999", QStringLiteral("mS/cm"), false},
        {"1.2E-03", "S/cm^", "1.2", QStringLiteral("mS/cm rel."), true},
        {"12.5E+00", "Ohm", "12.5", QStringLiteral("Ohm.cm"), false},
        {"1.5E+03", "Ohm", "1.5", QStringLiteral("kOhm.cm"), false},
        {"2.0E+06", "Ohm", "2.0", QStringLiteral("MOhm.cm"), false},
        {"300E+00", "ppm", "300", QStringLiteral("ppm"), false},
        {"1.3E+03", "ppm", "1.3", QStringLiteral("ppt"), false},
        {"4.1E-00", "W", "4.1", QStringLiteral("W"), false},
        {"4.1E-03", "W", "4.1", QStringLiteral("mW"), false},
        {"4.1E-06", "W", "4.1", kMicro + QStringLiteral("W"), false},
        {"99999", "W", "99999", QStringLiteral("W"), false},
        {"1.234E-03", "mS/cm", "1.234E-03", QStringLiteral("mS/cm"), false}, // already scaled: only the spaced variant rescales
        {"7.01", "pH", "7.01", QStringLiteral("pH"), false},
        {"1.5E+03", "Conc", "1.5E+03", QStringLiteral("g/l"), false},
        {"4.1E-03", "W^", "4.1E-03", QStringLiteral("W rel."), true},        // "W" must be the whole unit
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + c.unit);
        QString v = QString::fromLatin1(c.value), u = QString::fromLatin1(c.unit);
        bool relative = false;
        ScaleConductivityUnit(v, u, &relative);
        EXPECT_EQ(v, QString::fromLatin1(c.outValue));
        EXPECT_EQ(u, c.outUnit);
        EXPECT_EQ(relative, c.relative);
    }
}

TEST(Units, ScaleConductivityUnitSpaced)
{
    const struct { const char* value; QString unit; const char* outValue; QString outUnit; } cases[] = {
        {"1.234E-03", QStringLiteral("mS/cm"), "1.234", QStringLiteral("mS/cm")},
        {"1.234E-06", QStringLiteral("mS/cm"), "1.234", kMicro + QStringLiteral("S/cm")},
        {"1.234E-03", kMicro + QStringLiteral("S/cm"), "1.234", QStringLiteral("mS/cm")},
        {"99999", QStringLiteral("S/cm"), "99999", QStringLiteral("mS/cm")},
        {"12E+00", QStringLiteral("kOhm .cm"), "12", QStringLiteral("Ohm .cm")},
        {"12E+03", QStringLiteral("Ohm"), "12", QStringLiteral("kOhm .cm")},
        {"12E+06", QStringLiteral("MOhm .cm"), "12", QStringLiteral("MOhm .cm")},
        {"5E+00", QStringLiteral("ppt"), "5", QStringLiteral("ppm")},
        {"5E+03", QStringLiteral("ppm"), "5", QStringLiteral("ppt")},
        {"5E+03", QStringLiteral("S/cm^"), "5E+03", QStringLiteral("S/cm^")},
        {"7.0", QStringLiteral("pH"), "7.0", QStringLiteral("pH")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + c.unit.toStdString());
        QString v = QString::fromLatin1(c.value), u = c.unit;
        ScaleConductivityUnitSpaced(v, u);
        EXPECT_EQ(v, QString::fromLatin1(c.outValue));
        EXPECT_EQ(u, c.outUnit);
    }
}
