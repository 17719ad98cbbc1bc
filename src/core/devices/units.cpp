#include "core/devices/units.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace {
const QChar kMicro(0x00B5);
const QChar kDegree(0x00B0);

// The leading number of `s` read with "." as decimal point: blanks skipped,
// optional "+", digits, one ".", digits, an optional exponent. No number: 0.
double LeadingNumber(const QString& s)
{
    QByteArray num;
    int i = 0;
    const int n = s.size();
    auto skipBlanks = [&] {
        while (i < n && (s[i] == QLatin1Char(' ') || s[i] == QLatin1Char('\t')))
            ++i;
    };
    skipBlanks();
    if (i < n && s[i] == QLatin1Char('+'))
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        const QChar c = s[i];
        if (c.isDigit() && c.unicode() < 128) {
            num += char(c.unicode());
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            num += '.';
            point = true;
        } else if (c == QLatin1Char(' ')) {
            continue; // blanks inside a number are ignored
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    // Exponent: a marker, optional sign, at least one digit.
    if (i < n && IsExponentMarker(s[i])) {
        int j = i + 1;
        QByteArray exp = "e";
        if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-')))
            exp += char(s[j++].unicode());
        bool expDigits = false;
        while (j < n && s[j].isDigit() && s[j].unicode() < 128) {
            exp += char(s[j++].unicode());
            expDigits = true;
        }
        if (expDigits)
            num += exp;
    }
    bool ok = false;
    const double v = num.toDouble(&ok);
    return (ok && std::isfinite(v)) ? v : 0;
}

double SignedNumber(QString text, bool commaIsPoint)
{
    // Any minus sign negates, wherever the meter or the user put it; but the
    // minus of an exponent ("1.234E-03") is the exponent's own sign, and
    // dropping it would turn a small value into a large negative one.
    bool negative = false;
    for (qsizetype i = 0; i < text.size();) {
        const bool exponentSign = i > 0 && IsExponentMarker(text[i - 1]);
        if (text[i] == QLatin1Char('-') && !exponentSign) {
            text.remove(i, 1);
            negative = true;
        } else {
            ++i;
        }
    }
    if (commaIsPoint)
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    const double v = LeadingNumber(text);
    return negative ? -v : v;
}

bool EndsWithAny(const QString& s, std::initializer_list<const char*> tails)
{
    for (const char* t : tails)
        if (s.endsWith(QLatin1String(t)))
            return true;
    return false;
}

char16_t UnitAt(QStringView text, qsizetype i) { return text[i].unicode(); }
char16_t UnitAt(QByteArrayView text, qsizetype i) { return uchar(text[i]); }

bool IsAsciiDigit(char16_t u) { return u >= '0' && u <= '9'; }
bool IsSignOrBlank(char16_t u) { return u == '+' || u == '-' || u == ' ' || u == '\t'; }

// The grammar of LeadingNumber and SignedNumber, with nothing ignored.
template <typename View> bool WholeNumber(View text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && IsSignOrBlank(UnitAt(text, i)))
        ++i;
    bool digits = false, point = false;
    for (; i < n; ++i) {
        const char16_t u = UnitAt(text, i);
        if (IsAsciiDigit(u))
            digits = true;
        else if ((u == '.' || u == ',') && !point)
            point = true;
        else if (u != ' ')
            break;
    }
    if (!digits)
        return false;
    if (i < n && IsExponentMarker(QChar(UnitAt(text, i)))) {
        ++i;
        if (i < n && (UnitAt(text, i) == '+' || UnitAt(text, i) == '-'))
            ++i;
        while (i < n && IsAsciiDigit(UnitAt(text, i)))
            ++i;
    }
    while (i < n && IsSignOrBlank(UnitAt(text, i))) // a trailing minus
        ++i;
    return i == n;
}

template <typename View> bool HasDigit(View text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (IsAsciiDigit(UnitAt(text, i)))
            return true;
    }
    return false;
}

void DropExponent(QString& value)
{
    const int e = value.indexOf(QLatin1Char('E'));
    if (e >= 0)
        value.truncate(e);
}
} // namespace

bool IsExponentMarker(QChar c)
{
    return c == QLatin1Char('E') || c == QLatin1Char('e') || c == QLatin1Char('D') || c == QLatin1Char('d');
}

QString LocaleDecimalSeparator()
{
    // Parsers ask for every number: format 1.1 only when the locale changed.
    thread_local QLocale cachedLocale(QLocale::c());
    thread_local QString cached = QStringLiteral(".");
    const QLocale now;
    if (now != cachedLocale) {
        QString s = now.toString(1.1, 'f', 1);
        s.remove(QLatin1Char('1'));
        cached = s.isEmpty() ? QStringLiteral(".") : s;
        cachedLocale = now;
    }
    return cached;
}

QString ToLocaleDecimal(const QString& text)
{
    const QString sep = LocaleDecimalSeparator();
    if (sep == QLatin1String("."))
        return text;
    QString out = text;
    out.replace(QLatin1Char('.'), sep);
    return out;
}

double TextToDouble(const QString& text) { return SignedNumber(text, true); }
float TextToSingle(const QString& text) { return float(TextToDouble(text)); }
double TextToValue(const QString& text) { return SignedNumber(text, false); }

bool IsNumberText(QStringView text) { return WholeNumber(text); }
bool IsGarbledNumber(QStringView text) { return !WholeNumber(text) && HasDigit(text); }
bool IsGarbledNumber(QByteArrayView latin1) { return !WholeNumber(latin1) && HasDigit(latin1); }

qint16 TextToInteger(const QString& text)
{
    const double v = std::nearbyint(TextToValue(text)); // round half to even, like the platform's conversion
    if (v >= std::numeric_limits<qint16>::max())
        return std::numeric_limits<qint16>::max();
    if (v <= std::numeric_limits<qint16>::min())
        return std::numeric_limits<qint16>::min();
    return qint16(v);
}

float RoundToStep(double value, double step)
{
    if (step == 0)
        step = 1;
    // Formatting with the pattern "0" rounds halves away from zero.
    return float(step * std::round(value / step));
}

QString NormaliseNumberText(const QString& input)
{
    if (input.isEmpty())
        return QStringLiteral("0");
    if (input.size() == 1 && !input[0].isDigit())
        return QStringLiteral("0");
    int signs = 0;
    while (signs < input.size() && (input[signs] == QLatin1Char('-') || input[signs] == QLatin1Char('+')))
        ++signs;
    const QString sign = input.left(signs);
    QString body = input.mid(signs);
    auto isSep = [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(','); };
    if (body.size() > 1) {
        if (isSep(body.front()))
            body.prepend(QLatin1Char('0'));
        if (isSep(body.back()))
            body.append(QLatin1Char('0'));
    }
    while (body.size() > 1 && body[0] == QLatin1Char('0') && body[1].isDigit())
        body.remove(0, 1);
    if (body.isEmpty() || (body.size() == 1 && !body[0].isDigit()))
        return QStringLiteral("0");
    QString result = sign + body;
    result.replace(QLatin1Char(','), QLatin1Char('.'));
    return ToLocaleDecimal(result);
}

NumericKey FilterNumericKey(KeyKind kind, QChar ch, const QString& text, int caret, int flags)
{
    switch (kind) {
    case KeyKind::Enter: return NumericKey::NextField;
    case KeyKind::Left:
    case KeyKind::Right:
    case KeyKind::Backspace: return NumericKey::Pass;
    case KeyKind::Other: return NumericKey::Refuse;
    case KeyKind::Character: break;
    }
    caret = qBound(0, caret, int(text.size()));
    const bool hasMinus = text.startsWith(QLatin1Char('-'));
    if (ch == QLatin1Char('-')) {
        const bool ok = !(flags & NoMinus) && !hasMinus && caret == 0;
        return ok ? NumericKey::Pass : NumericKey::Refuse;
    }
    if (ch == QLatin1Char('.') || ch == QLatin1Char(',')) {
        const bool hasSep = text.contains(QLatin1Char('.')) || text.contains(QLatin1Char(','));
        const bool ok = !(flags & NoDecimal) && !hasSep && caret > (hasMinus ? 1 : 0);
        return ok ? NumericKey::Pass : NumericKey::Refuse;
    }
    if (ch == QLatin1Char('0')) {
        QString after = text;
        after.insert(caret, ch);
        if (after.startsWith(QLatin1Char('-')))
            after.remove(0, 1);
        return after.startsWith(QLatin1String("00")) ? NumericKey::Refuse : NumericKey::Pass;
    }
    return (ch.isDigit() && ch.unicode() < 128) ? NumericKey::Pass : NumericKey::Refuse;
}

QString MapMeterCharset(const QString& text)
{
    QString out = text;
    out.replace(QChar(0x00E6), kMicro);
    out.replace(QChar(0x00F8), kDegree);
    out.replace(QChar(0x00EA), QLatin1String("Ohm"));
    return out;
}

QString NormaliseUnit(const QString& unit, bool* relative)
{
    if (relative)
        *relative = false;
    if (unit.startsWith(QLatin1String("Conc")))
        return QStringLiteral("g/l");
    QString out = unit;
    out.replace(QChar(0x00F8), kDegree);
    if (out.contains(QLatin1Char('^'))) {
        out.replace(QLatin1Char('^'), QLatin1String(" rel."));
        if (relative)
            *relative = true;
    }
    return out;
}

void ScaleConductivityUnit(QString& value, QString& unit, bool* relative)
{
    unit = NormaliseUnit(unit, relative);
    const QString suffix = unit.contains(QLatin1String(" rel.")) ? QStringLiteral(" rel.") : QString();
    const QString head = unit.left(3);
    QString newUnit;
    bool dropExponent = false;
    if (head == QLatin1String("S/c")) {
        if (value.endsWith(QLatin1String("E-03"))) newUnit = QStringLiteral("mS/cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E-06"))) newUnit = QString(kMicro) + QStringLiteral("S/cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("9999"))) newUnit = QStringLiteral("mS/cm");
    } else if (head == QLatin1String("Ohm")) {
        if (value.endsWith(QLatin1String("E+00"))) newUnit = QStringLiteral("Ohm.cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E+03"))) newUnit = QStringLiteral("kOhm.cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E+06"))) newUnit = QStringLiteral("MOhm.cm"), dropExponent = true;
    } else if (head == QLatin1String("ppm")) {
        if (value.endsWith(QLatin1String("E+00"))) dropExponent = true; // unit unchanged
        else if (value.endsWith(QLatin1String("E+03"))) newUnit = QStringLiteral("ppt"), dropExponent = true;
    } else if (unit == QLatin1String("W")) {
        if (EndsWithAny(value, {"E-00", "E+00"})) newUnit = QStringLiteral("W"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E-03"))) newUnit = QStringLiteral("mW"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E-06"))) newUnit = QString(kMicro) + QStringLiteral("W"), dropExponent = true;
        else if (value.endsWith(QLatin1String("9999"))) newUnit = QStringLiteral("W");
    }
    if (dropExponent)
        DropExponent(value);
    if (!newUnit.isEmpty())
        unit = newUnit + suffix;
}

void ScaleConductivityUnitSpaced(QString& value, QString& unit)
{
    const QString head = unit.left(3);
    auto headIs = [&](std::initializer_list<QString> heads) {
        for (const QString& h : heads)
            if (head == h)
                return true;
        return false;
    };
    QString newUnit;
    bool dropExponent = false;
    if (headIs({QStringLiteral("S/c"), QStringLiteral("mS/"), QString(kMicro) + QStringLiteral("S/")})) {
        if (value.endsWith(QLatin1String("E-03"))) newUnit = QStringLiteral("mS/cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E-06"))) newUnit = QString(kMicro) + QStringLiteral("S/cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("9999"))) newUnit = QStringLiteral("mS/cm");
    } else if (headIs({QStringLiteral("Ohm"), QStringLiteral("kOh"), QStringLiteral("MOh")})) {
        if (value.endsWith(QLatin1String("E+00"))) newUnit = QStringLiteral("Ohm .cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E+03"))) newUnit = QStringLiteral("kOhm .cm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E+06"))) newUnit = QStringLiteral("MOhm .cm"), dropExponent = true;
    } else if (headIs({QStringLiteral("ppm"), QStringLiteral("ppt")})) {
        if (value.endsWith(QLatin1String("E+00"))) newUnit = QStringLiteral("ppm"), dropExponent = true;
        else if (value.endsWith(QLatin1String("E+03"))) newUnit = QStringLiteral("ppt"), dropExponent = true;
    }
    if (dropExponent)
        DropExponent(value);
    if (!newUnit.isEmpty())
        unit = newUnit;
}

QString DeviceTemperatureUnit(const QString& deviceUnit)
{
    return deviceUnit.isEmpty() ? QString(kDegree) + QLatin1Char('C') : deviceUnit;
}
