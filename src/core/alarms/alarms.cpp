#include "core/alarms/alarms.h"

#include "core/model/appstate.h"
#include "core/logging/logtable.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"

namespace {
const QString kOverRange = QStringLiteral("OR.");

// Language-table entries of the report.
enum : int {
    kHighLimit = 120,
    kLowLimit = 121,
    kAlarmReport = 123,
    kHighExceeded = 124,
    kLowExceeded = 125,
    kRecovered = 127,
    kHighCount = 128,
    kHighNever = 129,
    kLowCount = 130,
    kLowNever = 131,
};

// Only a number is tested: a damaged value ("x6.54") or a meter's mark for
// no reading ("----") would read as 0 and raise a false low alarm.
bool Testable(const ChannelReading& r)
{
    return !r.OverRange && IsNumberText(r.ValueText.trimmed());
}

const ChannelReading* ReadingOf(const AppState& s, int channel)
{
    if (channel < 1 || channel > kMaxChannels)
        return nullptr;
    return &s.Readings[size_t(channel)];
}

QString NumberText(double v)
{
    return ToLocaleDecimal(QString::number(v, 'g', 15));
}
} // namespace

// ---------------------------------------------------------------- channel test

bool TestLowAlarm(const ChannelReading& r)
{
    return r.AlarmLowTest && Testable(r) && TextToSingle(r.ValueText) < TextToSingle(r.AlarmLowLimit);
}

bool TestHighAlarm(const ChannelReading& r)
{
    return r.AlarmHighTest && Testable(r) && TextToSingle(r.ValueText) > TextToSingle(r.AlarmHighLimit);
}

bool TestLowAlarm(const AppState& s, int channel)
{
    const ChannelReading* r = ReadingOf(s, channel);
    return r && TestLowAlarm(*r);
}

bool TestHighAlarm(const AppState& s, int channel)
{
    const ChannelReading* r = ReadingOf(s, channel);
    return r && TestHighAlarm(*r);
}

ColorValue AlarmColour(const AppState& s, int channel, ColorValue normal)
{
    const ChannelReading* r = ReadingOf(s, channel);
    if (!r)
        return normal;
    if (r->OverRange)
        return s.ValueColorOverrange;
    if (TestLowAlarm(*r))
        return s.ValueColorAlarmLow;
    if (TestHighAlarm(*r))
        return s.ValueColorAlarmHigh;
    return normal;
}

ChannelAlarmState TestChannelAlarms(const AppState& s, int channel)
{
    ChannelAlarmState a;
    const ChannelReading* r = ReadingOf(s, channel);
    if (!r)
        return a;
    a.low = TestLowAlarm(*r);
    a.high = TestHighAlarm(*r);
    a.beep = s.Connected && ((a.low && r->AlarmLowAction) || (a.high && r->AlarmHighAction));
    return a;
}

QString AlarmIndication(bool low, bool high, bool symbolFont)
{
    // Webdings draws "5" as an up and "6" as a down triangle.
    if (high)
        return symbolFont ? QStringLiteral("5") : QStringLiteral("\u25B2");
    if (low)
        return symbolFont ? QStringLiteral("6") : QStringLiteral("\u25BC");
    return QStringLiteral(" ");
}

// ---------------------------------------------------------------- limits

QString NormaliseLimit(const QString& text)
{
    return NormaliseNumberText(text.trimmed());
}

bool LimitsInOrder(const ChannelReading& r)
{
    if (!(r.AlarmHighTest && r.AlarmLowTest))
        return true;
    return TextToSingle(r.AlarmHighLimit) > TextToSingle(r.AlarmLowLimit);
}

// ---------------------------------------------------------------- table test

bool TestTableAlarms(AppState& s, LogTable& table, int channel, bool force,
                     const std::function<void(int, int)>& progress)
{
    if (channel < 1 || channel > kMaxChannels || channel > table.Channels())
        return false;
    ChannelReading& reading = s.Readings[size_t(channel)];
    if (!reading.AlarmHighTest && !reading.AlarmLowTest && !force)
        return false;
    const int rows = table.Count();
    if (progress)
        progress(0, rows);
    const ChannelReading saved = reading;
    const int column = table.ValueColumn(channel);
    for (int row = 0; row < rows; ++row) {
        const QString cell = table.CellText(row, column);
        reading.ValueText = cell;
        reading.OverRange = false;
        ColorValue colour = s.TableColorForeground;
        if (cell.contains(kOverRange))
            colour = s.ValueColorOverrange;
        else if (TestHighAlarm(reading))
            colour = s.ValueColorAlarmHigh;
        else if (TestLowAlarm(reading))
            colour = s.ValueColorAlarmLow;
        table.SetCellColor(row, channel, colour);
        if (progress)
            progress(row + 1, rows);
    }
    reading = saved;
    return true;
}

// ---------------------------------------------------------------- graph report

namespace {

class ReportWriter {
public:
    ReportWriter(const LanguageTable& lang, std::vector<AlarmReportLine>& out) : lang_(lang), out_(out) {}

    void Text(const QString& bold, const QString& text = QString())
    {
        out_.push_back({AlarmReportLine::Text, bold, text});
    }
    void Empty() { out_.push_back({AlarmReportLine::Empty, QString(), QString()}); }
    void Event(int heading, const QString& event)
    {
        out_.push_back({AlarmReportLine::Event, lang_[heading], event});
    }

private:
    const LanguageTable& lang_;
    std::vector<AlarmReportLine>& out_;
};

struct LineState {
    bool inHigh = false;
    bool inLow = false;
    int highCount = 0;
    int lowCount = 0;
};

} // namespace

std::vector<AlarmReportLine> BuildAlarmReport(const AlarmReportInput& in, const LanguageTable& lang)
{
    std::vector<AlarmReportLine> out;
    ReportWriter w(lang, out);
    w.Text(lang[kAlarmReport]);
    w.Empty();
    if (in.high)
        w.Text(lang[kHighLimit] + QLatin1Char(':'), QLatin1Char(' ') + NumberText(in.highLimit));
    if (in.low)
        w.Text(lang[kLowLimit] + QLatin1Char(':'), QLatin1Char(' ') + NumberText(in.lowLimit));

    for (const AlarmReportSeries& series : in.series) {
        LineState st;
        const auto closeHigh = [&](const QString& event) {
            if (!st.inHigh)
                return;
            w.Event(kRecovered, event);
            w.Empty();
            st.inHigh = false;
        };
        const auto closeLow = [&](const QString& event) {
            if (!st.inLow)
                return;
            w.Event(kRecovered, event);
            w.Empty();
            st.inLow = false;
        };
        for (const AlarmReportValue& v : series.values) {
            if (in.high) {
                if (v.value < in.highLimit) {
                    closeHigh(v.event);
                } else if (!st.inHigh) {
                    closeLow(v.event);
                    w.Event(kHighExceeded, v.event);
                    st.inHigh = true;
                    ++st.highCount;
                }
            }
            if (in.low) {
                if (v.value > in.lowLimit) {
                    closeLow(v.event);
                } else if (!st.inLow) {
                    w.Event(kLowExceeded, v.event);
                    st.inLow = true;
                    ++st.lowCount;
                }
            }
        }
        w.Empty();
        const QString prefix = series.name + QStringLiteral(": ");
        if (in.high) {
            w.Text(QString(), st.highCount == 0 ? prefix + lang[kHighNever]
                                                : prefix + lang[kHighCount] + QLatin1Char(' ')
                                                      + QString::number(st.highCount));
        }
        if (in.low) {
            w.Text(QString(), st.lowCount == 0 ? prefix + lang[kLowNever]
                                               : prefix + lang[kLowCount] + QStringLiteral("  ")
                                                     + QString::number(st.lowCount));
        }
    }
    return out;
}

QString AlarmSeriesName(const QString& channelName, const QString& unit)
{
    return channelName.trimmed() + QStringLiteral(" (") + unit + QLatin1Char(')');
}

QString RecorderAlarmEvent(const QString& channelName, const QString& unit, double value, const QString& label)
{
    return AlarmSeriesName(channelName, unit) + QStringLiteral(": ") + NumberText(value) + QStringLiteral("; ")
         + label;
}

QString TableAlarmEvent(const QString& seriesName, int number, const QString& date, const QString& time,
                        const QString& value)
{
    return seriesName + QStringLiteral(": ") + QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'))
         + QStringLiteral(": ") + date + QStringLiteral(" - ") + time + QStringLiteral("; ") + value;
}
