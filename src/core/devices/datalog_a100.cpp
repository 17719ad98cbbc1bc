// A100 family memory print, started on the meter. The meter prints a header
//   log# TAB v TAB u TAB c TAB h TAB d CR LF
// (value, unit, celsius, hour, date) and then one record per line, the fields
// of its printed reading behind the record number:
//   <record> TAB value TAB unit TAB temperature TAB time TAB date CR LF
// e.g. "12\t7.02\tpH\t25.1\t23:56:00\t28/02/26". The value and its unit go to
// channel 1, the temperature to channel 2 ("°C").

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"

namespace {
using namespace datalog;

bool ParseA100Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    if (f.size() != 6 || !IsRecordNumber(f[0]) || !IsValueField(s, f[1], ValueShape::MinusExponent) || f[2].isEmpty()
        || !IsValueField(s, f[3], ValueShape::Plain) || !IsTimeField(f[4]) || !IsDateField(f[5]))
        return false;
    if (!RecordNumberInReach(ctx, f[0].toInt()))
        return false;
    const double t = RecordTime(ctx, f[5], f[4]);
    QString line = body;
    s.LogCount = ReadNumber(line, StopAtControl).toInt();
    SkipField(line);
    ParseValueUnit(ctx, s.Readings[1], line, t);
    if (!s.ChannelInUse(1))
        ClearChannel(s.Readings[1]);
    ApplyTemperature(ctx, 2, ReadNumber(line, StopAtControl), t);
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferA100(ParserContext& ctx)
{
    RecordPrint print;
    print.headings = {QStringLiteral("v"), QStringLiteral("u"), QStringLiteral("c"), QStringLiteral("h"),
                      QStringLiteral("d")};
    print.record = ParseA100Record;
    ReadRecordPrint(ctx, print);
}
