#include "core/logging/numericreading.h"

#include "core/devices/units.h"
#include "core/graphs/graphunits.h"
#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>

namespace {
const QString kStopWord = QStringLiteral("Stop"); // what the data file holds, in every language
constexpr int kStopText = 14;                     // the table's word for it

bool IsDigit(char16_t u) { return u >= '0' && u <= '9'; }

// A whole number text (IsNumberText) read with its decimal exponent moved by
// `shift`: the digits, point and exponent are copied to a plain C number and
// read once, so the result is the double nearest to the decimal value. False
// for a number out of range.
bool ReadShifted(QStringView text, int shift, double& value)
{
    char buf[96];
    int n = 0;
    bool negative = false;
    qsizetype i = 0;
    const qsizetype size = text.size();
    long exponent = 0;
    for (; i < size; ++i) {
        const char16_t u = text[i].unicode();
        if (u == '-') {
            negative = true;
        } else if (IsDigit(u)) {
            if (n < int(sizeof buf) - 24)
                buf[n++] = char(u);
            else if (!std::count(buf, buf + n, '.'))
                ++exponent; // digits past what the buffer holds: only their place counts
        } else if (u == '.' || u == ',') {
            if (n < int(sizeof buf) - 24)
                buf[n++] = '.';
        } else if (IsExponentMarker(QChar(u))) {
            ++i;
            bool expNegative = false;
            if (i < size && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
                expNegative = text[i++] == QLatin1Char('-');
            long e = 0;
            for (; i < size && IsDigit(text[i].unicode()); ++i)
                e = std::min(e * 10 + (text[i].unicode() - '0'), 100000L);
            exponent += expNegative ? -e : e;
            for (; i < size; ++i) // a trailing minus
                negative = negative || text[i] == QLatin1Char('-');
            break;
        }
        // "+" and blanks carry nothing
    }
    exponent += shift;
    const int written = std::snprintf(buf + n, sizeof buf - size_t(n), "e%ld", exponent);
    if (written <= 0)
        return false;
    n += written;
    double v = 0;
    const auto r = std::from_chars(buf, buf + n, v);
    if (r.ec != std::errc() || !std::isfinite(v))
        return false;
    value = negative ? -v : v;
    return true;
}

// The exponent OneUnit's text stands for within its family.
int ExponentOf(const QString& unit) { return ClassifyUnit(unit).exponent; }
} // namespace

const char* FlagName(ReadingFlag flag)
{
    switch (flag) {
    case ReadingFlag::None: return "";
    case ReadingFlag::OverRange: return "over range";
    case ReadingFlag::Missing: return "missing";
    case ReadingFlag::Damaged: return "damaged";
    case ReadingFlag::Off: return "off";
    case ReadingFlag::OtherUnit: return "other unit";
    }
    return "";
}

QString OneUnit(const QString& unit)
{
    const QString u = unit.trimmed();
    const UnitScale scale = ClassifyUnit(u);
    if (scale.family == UnitFamily::None)
        return u;
    if (scale.family == UnitFamily::Ratio) {
        const qsizetype at = u.indexOf(QLatin1String("pp"), 0, Qt::CaseInsensitive);
        return at < 0 ? u : QStringLiteral("ppm") + u.mid(at + 3);
    }
    if (scale.exponent == 0)
        return u;
    // The prefix is what comes before the family's unprefixed unit: the
    // shortest tail of the text that the graphs' rules read as exponent 0.
    for (qsizetype i = 1; i < u.size(); ++i) {
        const QString tail = u.mid(i).trimmed();
        const UnitScale t = ClassifyUnit(tail);
        if (t.family == scale.family && t.exponent == 0)
            return tail;
    }
    return u;
}

ReadingFlag ChannelValues::Read(const ReadingText& reading, double& value)
{
    if (reading.overRange)
        return ReadingFlag::OverRange;
    if (!reading.hasValue)
        return ReadingFlag::Missing;
    const QStringView text = reading.value.trimmed();
    if (!IsNumberText(text))
        return IsGarbledNumber(text) ? ReadingFlag::Damaged : ReadingFlag::Missing;
    const QStringView unit = reading.unit.trimmed();
    if (!known_ || unit != unit_) {
        known_ = true;
        unit_ = unit.toString();
        one_ = OneUnit(unit_);
        const QString& target = Unit();
        matches_ = one_ == target;
        shift_ = unit_ == target ? 0 : ExponentOf(unit_) - ExponentOf(target);
    }
    if (!matches_)
        return ReadingFlag::OtherUnit;
    return ReadShifted(text, shift_, value) ? ReadingFlag::None : ReadingFlag::Damaged;
}

ReadingFlag NumericValue(const ReadingText& reading, const QString& targetUnit, double& value)
{
    ChannelValues values(targetUnit);
    return values.Read(reading, value);
}

namespace {
void SetTemperature(NumericReading& r, const QString& number, const QString& unit)
{
    double t = 0;
    const ReadingText text{number, unit, false, true};
    if (!number.isEmpty() && NumericValue(text, unit, t) == ReadingFlag::None) {
        r.temperature = t;
        r.temperatureUnit = unit;
    }
}

NumericReading Make(int channel, const QString& name, const ReadingText& text, const QString& columnUnit)
{
    NumericReading r;
    r.channel = channel;
    r.name = name;
    r.unit = columnUnit.isEmpty() ? OneUnit(text.unit.toString()) : columnUnit;
    double v = 0;
    r.flag = NumericValue(text, r.unit, v);
    if (r.flag == ReadingFlag::None)
        r.value = v;
    return r;
}
} // namespace

NumericReading NumericReadingOf(const AppState& s, int channel)
{
    if (channel < 1 || channel > kMaxChannels) {
        NumericReading r;
        r.channel = channel;
        r.flag = ReadingFlag::Off;
        return r;
    }
    const ChannelReading& live = s.Readings[size_t(channel)];
    const QString name = size_t(channel) < s.Channels.size() ? s.Channel(channel).Name : QString();
    if (!s.ChannelInUse(channel)) {
        NumericReading r;
        r.channel = channel;
        r.name = name;
        r.flag = ReadingFlag::Off;
        return r;
    }
    NumericReading r = Make(channel, name, {live.ValueText, live.UnitText, live.OverRange, live.HasValue}, {});
    if (live.HasValue && !live.ExtraText.trimmed().isEmpty()
        && !(live.OverRange && OverRangeHidesTemperature(s.DeviceName)))
        SetTemperature(r, TemperatureNumber(live.ExtraText), TemperatureUnit(live.ExtraText));
    return r;
}

NumericReading NumericReadingOf(const LogTable& table, int row, int channel, const QString& name,
                                const QString& columnUnit)
{
    const QString value = table.Value(row, channel), unit = table.Unit(row, channel);
    NumericReading r = Make(channel, name, {value, unit, table.OverRange(row, channel), table.HasReading(row, channel)},
                            columnUnit);
    if (table.Extras() && table.HasReading(row, channel)) {
        const int column = table.ValueColumn(channel) + 2;
        SetTemperature(r, table.CellText(row, column), table.CellText(row, column + 1));
    }
    return r;
}

bool IsStopRecord(const QString& info, const LanguageTable* language)
{
    const QString text = info.trimmed();
    if (text == kStopWord)
        return true;
    return language && !language->Text(kStopText).isEmpty() && text == language->Text(kStopText);
}

bool IsStopRecord(const AppState& s, const LanguageTable* language) { return IsStopRecord(s.CurrentInfo, language); }
