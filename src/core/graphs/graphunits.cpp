#include "core/graphs/graphunits.h"

#include "core/devices/units.h"

#include <cmath>
#include <initializer_list>

namespace {
struct Prefix {
    const char16_t* text;
    int exponent;
    bool whole; // the unit must be exactly this text (a lone "s" or "g")
};

bool Matches(const QString& unit, const Prefix& p)
{
    const QString text = QString::fromUtf16(p.text);
    return p.whole ? unit == text : unit.startsWith(text);
}

bool Find(const QString& unit, std::initializer_list<Prefix> prefixes, int& exponent)
{
    for (const Prefix& p : prefixes) {
        if (Matches(unit, p)) {
            exponent = p.exponent;
            return true;
        }
    }
    return false;
}
} // namespace

UnitScale ClassifyUnit(const QString& unit)
{
    QString u = unit.toLower();
    int scale = 0;
    // "e-3 S/cm": a power of ten written in front of the unit.
    if (u.startsWith(QLatin1String("e-")) && u.size() > 2 && u.at(2).isDigit()) {
        int i = 2;
        int digits = 0;
        while (i < u.size() && u.at(i).isDigit() && digits < 3) {
            scale = scale * 10 + u.at(i).digitValue();
            ++i;
            ++digits;
        }
        scale = -scale;
        u = u.mid(i).trimmed();
    }
    UnitScale r;
    int e = 0;
    // Longer and more specific texts first: "ms" is milli-siemens before "s", "mo" mega-ohm.
    if (Find(u, {{u"ppm", -6, false}, {u"ppt", -3, false}}, e))
        r.family = UnitFamily::Ratio;
    else if (Find(u, {{u"m\u00fb", 6, false}, {u"k\u00fb", 3, false}, {u"\u00fb.", 0, false}, {u" \u00fb", 0, false},
                      {u"\u00fb", 0, false}, {u"mo", 6, false}, {u"ko", 3, false}, {u"oh", 0, false}},
                  e))
        r.family = UnitFamily::Resistance;
    else if (Find(u, {{u"\u00b5s", -6, false}, {u"ms", -3, false}, {u"s/", 0, false}, {u"s.", 0, false},
                      {u"s ", 0, false}, {u" s", 0, false}, {u"s", 0, true}},
                  e))
        r.family = UnitFamily::Conductance;
    else if (Find(u, {{u"ng", -9, false}, {u"\u00b5g", -6, false}, {u"mg", -3, false}, {u"g/", 0, false},
                      {u"g.", 0, false}, {u" g", 0, false}, {u"g", 0, true}},
                  e))
        r.family = UnitFamily::MassConcentration;
    if (r.family != UnitFamily::None)
        r.exponent = e + scale;
    return r;
}

double UnitFactor(const QString& from, const QString& to)
{
    if (from == to)
        return 1.0;
    const UnitScale a = ClassifyUnit(from), b = ClassifyUnit(to);
    if (a.family == UnitFamily::None || a.family != b.family)
        return 1.0;
    return std::pow(10.0, a.exponent - b.exponent);
}

bool GraphValue(const QString& valueText, const QString& unit, const QString& lineUnit, double& value)
{
    // A damaged value ("x6.54") would read as 0: a false point, not a gap.
    const QString text = valueText.trimmed();
    if (!IsNumberText(text))
        return false;
    value = TextToDouble(text);
    if (!std::isfinite(value))
        return false;
    if (value != 9999.0 && !lineUnit.isEmpty())
        value *= UnitFactor(unit.trimmed(), lineUnit);
    return true;
}
