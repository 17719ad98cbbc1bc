#pragma once
// Meter text to displayable value and unit texts, and locale-independent
// number conversion. Values travel as text exactly as printed, with only the
// decimal point adapted to the user's locale.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The character the locale prints between the digits of 1.1.
QString LocaleDecimalSeparator();
// Every "." replaced by the locale's decimal separator.
QString ToLocaleDecimal(const QString& text);

// The letters that start a number's exponent: "E" and "e", and the Fortran
// "D" and "d" some meters print. Read as a letter ending the number instead,
// "1.234D-03" would come out 1000 times too large.
bool IsExponentMarker(QChar c);

// Read a number whatever the locale: every "-" (but an exponent's) removed and
// the result negated when there was one; "," read as "."; the leading number
// counts, the rest is ignored, and no number gives 0.
float TextToSingle(const QString& text);
double TextToDouble(const QString& text);
// As TextToDouble without the comma rule.
double TextToValue(const QString& text);
// TextToValue rounded to a 16-bit integer (clamped to its range).
qint16 TextToInteger(const QString& text);
// True when all of `text` is one number as TextToDouble reads it: signs and
// blanks around it, one decimal point or comma, an exponent; nothing left
// over. "x6.54" and "6.5.4" are none.
bool IsNumberText(QStringView text);
// A value that holds digits but is no number ("x6.54"): damage in a data
// file, never to be read as a value (TextToDouble would make it 0). Texts
// without digits ("----", "OR.") are the meters' own marks for no reading.
bool IsGarbledNumber(QStringView text);
bool IsGarbledNumber(QByteArrayView latin1);

// value rounded to a whole number of steps; a step of 0 counts as 1.
float RoundToStep(double value, double step);

// The canonical form of a number typed by the user ("" -> "0", ".5" -> "0.5",
// "007" -> "7"), with the locale's decimal separator.
QString NormaliseNumberText(const QString& text);

// What a numeric text box does with a typed key.
enum class NumericKey { Pass, Refuse, NextField };
enum NumericKeyFlags { NoMinus = 1, NoDecimal = 2 };
enum class KeyKind { Character, Enter, Left, Right, Backspace, Other };
// `caret` is the insertion position in `text`; `ch` is the typed character for
// KeyKind::Character. A refused key beeps and is swallowed by the caller.
NumericKey FilterNumericKey(KeyKind kind, QChar ch, const QString& text, int caret, int flags);

// The meters' DOS code page seen as Latin-1: "æ" -> "µ", "ø" -> "°", "ê" -> "Ohm".
QString MapMeterCharset(const QString& text);

// "Conc..." -> "g/l", "ø" -> "°", "^" -> " rel.". `relative` tells whether a
// "^" was replaced (the caller then adds the "relative mode" remark).
QString NormaliseUnit(const QString& unit, bool* relative = nullptr);

// Moves the exponent of a conductivity, resistivity, concentration or power
// value into its unit (K230 family). Normalises the unit first and keeps a
// " rel." suffix after a scaled unit.
void ScaleConductivityUnit(QString& value, QString& unit, bool* relative = nullptr);
// The variant of the N335 and the logger transfers: no normalisation, accepts
// units an earlier reading already scaled, writes "Ohm .cm" with a space.
void ScaleConductivityUnitSpaced(QString& value, QString& unit);

// The temperature unit the user chose for the P650 family ("°C", "°F", "K");
// "°C", the meter's own default, when none was chosen.
QString DeviceTemperatureUnit(const QString& deviceUnit);
