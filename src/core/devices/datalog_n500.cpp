// N500 family memory print, started on the meter. One record per line holds
// every channel of the logged reading, in the order of the printed reading
// lines (time, date, then per value channel its value, unit and temperature),
// and ends with the remark, which may be empty. The N505, N515 and N525 log
// two value channels, each followed by its temperature:
//   log# TAB h TAB d TAB v TAB u TAB c TAB v TAB u TAB c TAB r CR LF
//   <record> TAB time TAB date TAB value TAB unit TAB temperature TAB value TAB unit TAB temperature TAB remark CR LF
// e.g. "7\t23:51:00\t28/02/26\t7.01\tpH\t25.0\t-118.5\tmV\t25.0\t". The N535
// measures no temperature and logs four value channels:
//   log# TAB h TAB d TAB v TAB u TAB v TAB u TAB v TAB u TAB v TAB u TAB r CR LF
//   <record> TAB time TAB date TAB (value TAB unit TAB) x4 remark CR LF
// Channels come in pairs as in the live readings: value, then its temperature.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"

namespace {
using namespace datalog;

struct N500Layout {
    int groups;        // value channels per record
    bool temperatures; // each value followed by its temperature
    int Width() const { return temperatures ? 3 : 2; }
};

N500Layout LayoutFor(const AppState& s)
{
    if (s.DeviceName == QLatin1String("N535"))
        return {s.ChannelCount, false};
    return {s.ChannelCount / 2, true};
}

QStringList Headings(const N500Layout& layout)
{
    QStringList h{QStringLiteral("h"), QStringLiteral("d")};
    for (int g = 0; g < layout.groups; ++g) {
        h << QStringLiteral("v") << QStringLiteral("u");
        if (layout.temperatures)
            h << QStringLiteral("c");
    }
    return h << QStringLiteral("r");
}

bool IsN500Record(const AppState& s, const N500Layout& layout, const QStringList& f)
{
    const int fields = 3 + layout.groups * layout.Width();
    if ((f.size() != fields && f.size() != fields + 1) || !IsRecordNumber(f[0]) || !IsTimeField(f[1])
        || !IsDateField(f[2]))
        return false;
    for (int g = 0; g < layout.groups; ++g) {
        const int at = 3 + g * layout.Width();
        if (!IsValueField(s, f[at], ValueShape::MinusExponent) || f[at + 1].isEmpty())
            return false;
        if (layout.temperatures && !IsValueField(s, f[at + 2], ValueShape::Plain))
            return false;
    }
    return true;
}

bool ParseN500Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const N500Layout layout = LayoutFor(s);
    const QStringList f = Fields(body);
    if (!IsN500Record(s, layout, f))
        return false;
    if (!RecordNumberInReach(ctx, f[0].toInt()))
        return false;
    const double t = RecordTime(ctx, f[2], f[1]);
    QString line = body;
    s.LogCount = ReadNumber(line, StopAtControl).toInt();
    SkipField(line);
    SkipField(line); // time
    SkipField(line); // date
    int ch = 1;
    for (int g = 0; g < layout.groups && ch <= s.ChannelCount; ++g) {
        ParseValueUnit(ctx, s.Readings[ch], line, t);
        if (!s.ChannelInUse(ch))
            ClearChannel(s.Readings[ch]);
        ++ch;
        if (layout.temperatures) {
            ApplyTemperature(ctx, ch, ReadNumber(line, StopAtControl), t);
            SkipField(line);
            ++ch;
        }
    }
    const QString remark = TrimSpaces(StripControls(ReadToken(line, QLatin1Char('\r'), StopAtControl)));
    if (!remark.isEmpty())
        s.CurrentInfo += (s.CurrentInfo.isEmpty() ? QString() : QStringLiteral("; ")) + remark;
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferN500(ParserContext& ctx)
{
    RecordPrint print;
    print.headings = Headings(LayoutFor(ctx.state));
    print.record = ParseN500Record;
    ReadRecordPrint(ctx, print);
}
