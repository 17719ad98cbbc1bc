// P650 family memory print, started on the meter. The meter prints its
// identification line, then a header with one "t" heading per temperature
// channel,
//   log# TAB d TAB h TAB t TAB t ... CR LF
// and one record per line, the fields of its printed reading behind the
// record number: date, time and one temperature per channel of the meter
// (16 on the P651, 12 on the P652), each followed directly by its alarm flag
// when a limit was crossed:
//   <record> TAB date TAB time TAB value[flag] TAB ... CR LF
// e.g. "3\t28/02/26\t23:47:00\t21.4\t21.9H\t...". The temperatures are in the
// unit the user set for the meter (DeviceUnit); channels not in use are
// cleared.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

namespace {
using namespace datalog;

bool ParseP650Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    if (f.size() != 3 + s.ChannelCount || !IsRecordNumber(f[0]) || !IsDateField(f[1]) || !IsTimeField(f[2]))
        return false;
    for (int ch = 1; ch <= s.ChannelCount; ++ch)
        if (!IsValueField(s, f[2 + ch], ValueShape::ExponentAlarm))
            return false;
    if (!RecordNumberInReach(ctx, f[0].toInt()))
        return false;
    const double t = RecordTime(ctx, f[1], f[2]);
    QString line = body;
    s.LogCount = ReadNumber(line, StopAtControl).toInt();
    SkipField(line);
    SkipField(line); // date
    SkipField(line); // time
    for (int ch = 1; ch <= s.ChannelCount; ++ch) {
        ChannelReading& rec = s.Readings[ch];
        QString alarm;
        ParseValueAlarm(ctx, rec, line, t, alarm);
        if (!s.ChannelInUse(ch)) {
            ClearReading(rec, t);
            continue;
        }
        rec.UnitText = DeviceTemperatureUnit(s.DeviceUnit);
        if (!alarm.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, QStringLiteral("Alarm CH%1: ").arg(ch) + alarm);
    }
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferP650(ParserContext& ctx)
{
    RecordPrint print;
    print.headings = {QStringLiteral("d"), QStringLiteral("h"), QStringLiteral("t")};
    print.identification = true;
    print.record = ParseP650Record;
    ReadRecordPrint(ctx, print);
}
