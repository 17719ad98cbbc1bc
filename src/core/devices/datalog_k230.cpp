// K230 family (K23x, L33x) memory print, started on the meter. The meter
// prints its identification line, then a header
//   Log# TAB Value TAB Unit TAB Celsius TAB Comment TAB Hour TAB Date CR LF
// and then one record per line in the order of those headings:
//   <record> TAB value[exponent] TAB unit TAB temperature TAB comment TAB time TAB date CR LF
// e.g. "12\t1.413E-03\tS/cm\t25.1\t\t23:56:00\t28/02/26". The value goes to
// channel 1 (its exponent moved into the unit, as in the printed readings),
// the temperature to the last channel, and a comment in front of the remark.
// The print starts only with a header whose headings begin with v, u, c, c, h
// and d; anything before it is ignored.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"

namespace {
using namespace datalog;

bool ParseK230Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    if (f.size() != 7 || !IsRecordNumber(f[0]) || !IsValueField(s, f[1], ValueShape::Exponent) || f[2].isEmpty()
        || !IsValueField(s, f[3], ValueShape::Plain) || !IsTimeField(f[5]) || !IsDateField(f[6]))
        return false;
    if (!RecordNumberInReach(ctx, f[0].toInt()))
        return false;
    QString line = body;
    s.LogCount = ReadNumber(line, StopAtControl).toInt();
    SkipField(line);
    ParseValueUnitExp(ctx, s.Readings[1], line, 0);
    s.Channel(1).Use = true;
    const int last = s.ChannelCount;
    ParseValueOnly(ctx, s.Readings[last], line, 0);
    s.Channel(last).Use = true;
    s.Readings[last].UnitText = QStringLiteral("\u00B0C");
    const QString comment = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    if (!comment.isEmpty())
        s.CurrentInfo = s.CurrentInfo.isEmpty() ? comment : JoinRemark(comment, s.CurrentInfo);
    const QString time = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const double t = RecordTime(ctx, date, time);
    for (int ch = 1; ch <= s.ChannelCount; ++ch)
        if (s.ChannelInUse(ch))
            s.Readings[ch].ReadingTime = t;
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferK230(ParserContext& ctx)
{
    RecordPrint print;
    print.headings = {QStringLiteral("v"), QStringLiteral("u"), QStringLiteral("c"),
                      QStringLiteral("c"), QStringLiteral("h"), QStringLiteral("d")};
    print.identification = true;
    print.record = ParseK230Record;
    ReadRecordPrint(ctx, print);
}
