#pragma once
// A graph line keeps the unit of the first value it receives. A meter that
// switches range prints the same quantity with another decimal prefix
// (mS/cm after µS/cm, kOhm.cm after Ohm.cm, ppt after ppm); such a value is
// brought to the line's unit before it is plotted, so the line does not jump
// by a factor 1000 at every range change.

#include <QString>

enum class UnitFamily { None, Conductance, MassConcentration, Resistance, Ratio };

// A unit's family and the power of ten of its prefix (mS/cm: Conductance, -3).
struct UnitScale {
    UnitFamily family = UnitFamily::None;
    int exponent = 0;
};

// Units are recognised in lower case by their leading characters. A unit
// that begins with "e-" and a number ("e-3 S/cm") counts that power of ten
// as part of its prefix.
UnitScale ClassifyUnit(const QString& unit);

// The factor that turns a value in `from` into one in `to`: a power of ten
// when both are of one family, 1 otherwise (unknown or unrelated units are
// plotted as they come).
double UnitFactor(const QString& from, const QString& to);

// The number a value text stands for, in the line's unit. False when the
// text is no number, "x6.54" included (nothing is plotted for it then). "9999" (a meter's
// over-limit mark) is never rescaled.
bool GraphValue(const QString& valueText, const QString& unit, const QString& lineUnit, double& value);
