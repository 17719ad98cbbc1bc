// The value rules of the configuration file: how a flag, an integer, a real,
// a key and a port or baud rate are read, and how a real is written.
#include "core/config/configfile.h"
#include "core/config/configshared.h"

#include "core/devices/catalogue.h"
#include "core/logging/logtable.h"
#include "core/devices/units.h"

#include <QLocale>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace {

constexpr qint64 kIntegerCeiling = 999999999999999LL; // beyond every range the file uses

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

QString FixedDigits(double v, int digits)
{
    const int exponent = int(std::floor(std::log10(std::fabs(v))));
    if (exponent >= digits) // round away the digits left of the point too
        v = QString::number(v, 'e', digits - 1).toDouble();
    QString text = QString::number(v, 'f', std::max(0, digits - 1 - exponent));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

} // namespace

namespace configfile_detail {

// Highest column index of the table grid for the current device.
int TableColumnCountFor(const AppState& s)
{
    LogTable table;
    table.SetLayout(s);
    return table.InfoColumn();
}

// The seventeen colours in file order (the graph background before its axis).
const std::array<ColourKey, 17>& ColourKeys()
{
    static const std::array<ColourKey, 17> keys = {{
        {"TerminalColorOut", &AppSettings::TerminalColorOut},
        {"TerminalColorIn", &AppSettings::TerminalColorIn},
        {"TerminalColorBackground", &AppSettings::TerminalColorBackground},
        {"ValueColorForeground", &AppSettings::ValueColorForeground},
        {"ValueColorBackgroundActive", &AppSettings::ValueColorBackgroundActive},
        {"ValueColorBackgroundInactive", &AppSettings::ValueColorBackgroundInactive},
        {"ValueColorOverrange", &AppSettings::ValueColorOverrange},
        {"ValueColorAlarmHigh", &AppSettings::ValueColorAlarmHigh},
        {"ValueColorAlarmLow", &AppSettings::ValueColorAlarmLow},
        {"UnitColorForeground", &AppSettings::UnitColorForeground},
        {"UnitColorBackground", &AppSettings::UnitColorBackground},
        {"GraphColorForeground", &AppSettings::GraphColorForeground},
        {"GraphColorBackground", &AppSettings::GraphColorBackground},
        {"GraphColorAxis", &AppSettings::GraphColorAxis},
        {"TableColorForeground", &AppSettings::TableColorForeground},
        {"TableColorBackground", &AppSettings::TableColorBackground},
        {"TableColorTextSpecial", &AppSettings::TableColorTextSpecial},
    }};
    return keys;
}

} // namespace configfile_detail

// ---------------------------------------------------------------- values

bool ParseBool(QByteArrayView text)
{
    text = text.trimmed();
    switch (text.size()) {
    case 1: return text[0] != '0';
    case 4: return !(qstrnicmp(text.data(), "vals", 4) == 0 || qstrnicmp(text.data(), "faux", 4) == 0);
    case 5: return !(qstrnicmp(text.data(), "false", 5) == 0 || qstrnicmp(text.data(), "falso", 5) == 0);
    case 6: return !(qstrnicmp(text.data(), "onwaar", 6) == 0 || qstrnicmp(text.data(), "falsch", 6) == 0
                     || qstrnicmp(text.data(), "unwahr", 6) == 0);
    default: return true;
    }
}

bool ParseBool(QStringView text)
{
    text = text.trimmed();
    return text.size() > 6 || ParseBool(QByteArrayView(text.toLatin1()));
}

qint64 ParseInteger(QStringView text, bool* clean)
{
    qint64 n = 0;
    int digits = 0, minus = 0;
    bool plus = false, junk = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('-')) {
            ++minus;
            continue;
        }
        if (IsBlank(c))
            continue;
        if (junk)
            continue;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            n = n < kIntegerCeiling / 10 ? n * 10 + (c.unicode() - '0') : kIntegerCeiling;
            ++digits;
        } else if (c == QLatin1Char('+') && digits == 0 && !plus) {
            plus = true;
        } else {
            junk = true; // the number ends here
        }
    }
    if (clean)
        *clean = digits > 0 && !junk && minus <= 1;
    return minus > 0 ? -n : n;
}

double ParseReal(QStringView text, bool* clean)
{
    // Normalise to plain ASCII: "," is a decimal point, blanks go, and a "-"
    // makes the number negative unless it is an exponent's sign.
    QByteArray a;
    a.reserve(text.size());
    int minus = 0;
    for (const QChar c : text) {
        if (IsBlank(c))
            continue;
        if (c == QLatin1Char('-')) {
            const qsizetype n = a.size();
            if (n >= 2 && a[n - 1] == 'e' && (IsAsciiDigit(a[n - 2]) || a[n - 2] == '.')) {
                a += '-';
            } else {
                ++minus;
            }
            continue;
        }
        if (IsExponentMarker(c))
            a += 'e'; // one exponent letter, as the meters' numbers are read
        else
            a += c == QLatin1Char(',') ? '.' : (c.unicode() < 128 ? char(c.unicode()) : '?');
    }
    qsizetype p = 0;
    const qsizetype size = a.size();
    if (p < size && a[p] == '+')
        ++p;
    int mantissaDigits = 0;
    while (p < size && IsAsciiDigit(a[p])) {
        ++p;
        ++mantissaDigits;
    }
    if (p < size && a[p] == '.') {
        ++p;
        while (p < size && IsAsciiDigit(a[p])) {
            ++p;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) {
        if (clean)
            *clean = false;
        return 0;
    }
    if (p < size && a[p] == 'e') {
        qsizetype q = p + 1;
        if (q < size && (a[q] == '+' || a[q] == '-'))
            ++q;
        const qsizetype exponentStart = q;
        while (q < size && IsAsciiDigit(a[q]))
            ++q;
        if (q > exponentStart)
            p = q;
    }
    if (clean)
        *clean = p == size && minus <= 1;
    bool ok = false;
    double v = QByteArray(a.constData(), p).toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        // Only an overflow gets here: the text is a well-formed number.
        QByteArray mantissa = a.left(p);
        const bool zero = QByteArray(mantissa).replace('0', "").replace('.', "").replace('+', "").isEmpty();
        v = zero ? 0 : std::numeric_limits<double>::infinity();
    }
    return minus > 0 ? -v : v;
}

qint64 ClampToRange(qint64 value, qint64 min, qint64 max) { return value >= min && value <= max ? value : min; }

QString KeyOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return (eq < 0 ? line : line.left(eq)).trimmed().toString().toLower();
}

QString ValueOf(QStringView line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return (eq < 0 ? line : line.mid(eq + 1)).trimmed().toString();
}

bool IsSectionHeader(QStringView line)
{
    static const QStringList kHeaders = {
        QStringLiteral("[NOTE]"),   QStringLiteral("[TERMINAL]"), QStringLiteral("[PRINTER]"),
        QStringLiteral("[COMMUNICATION]"), QStringLiteral("[GRAPHICS]"), QStringLiteral("[TABLE]"),
        QStringLiteral("[DEVICE]"), QStringLiteral("[READINGS]"), QStringLiteral("[CHANNEL]"),
        QStringLiteral("[LOG]"),    QStringLiteral("[MAIN]"),     QStringLiteral("[SYSTEM]"),
        QStringLiteral("[ARRANGE]"), QStringLiteral("[COLORS]"), QStringLiteral("[MQTT]")};
    return line.startsWith(QLatin1Char('[')) && kHeaders.contains(line.toString());
}

QString NormalizePort(const QString& text, const QString& startPort, bool* valid)
{
    const QString port = (startPort.isEmpty() ? text : startPort).trimmed();
    if (port.startsWith(QLatin1Char('/'))) { // a device path: used as it stands
        if (valid)
            *valid = true;
        return port;
    }
    bool clean = false;
    const qint64 n = ParseInteger(QStringView(port).mid(qMin<qsizetype>(3, port.size())), &clean);
    if (n < 1 || n > 255) {
        if (valid)
            *valid = false;
        return QStringLiteral("COM1");
    }
    if (valid)
        *valid = clean && port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive);
    return QStringLiteral("COM") + QString::number(n);
}

QString NormalizeBaud(const QString& text, const QString& deviceName, bool* valid)
{
    bool clean = false;
    qint64 n = ParseInteger(text, &clean);
    if (HasFixedBaudRate(deviceName)) {
        n = 19200;
        clean = true;
    }
    const bool inRange = n >= 300 && n <= 115200;
    if (valid)
        *valid = inRange && clean;
    return inRange ? QString::number(n) : QStringLiteral("2400");
}

QString FormatReal(double value, bool single, QChar decimalPoint)
{
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    if (single)
        value = double(float(value));
    const int maxDigits = single ? 9 : 17;
    QString text;
    for (int digits = 1; digits <= maxDigits; ++digits) {
        text = FixedDigits(value, digits);
        const double back = text.toDouble();
        if (single ? float(back) == float(value) : back == value)
            break;
    }
    if (decimalPoint == QLatin1Char(','))
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}
