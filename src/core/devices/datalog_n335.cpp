// N335 memory print, started on the meter. The meter prints its
// identification line, then a header naming its four columns (pH, mV,
// conductivity in S/cm, celsius),
//   log# TAB d TAB h TAB p TAB m TAB s TAB c CR LF
// and one record per line: the four-digit record number, the date (day,
// month, four-digit year, separated by "-"), the time, and the four values,
// each followed directly by its exponent (conductivity) and alarm flag when
// it has one:
//   <record> TAB date TAB time TAB pH TAB mV TAB conductivity TAB temperature CR LF
// e.g. "0012\t28-02-2026\t23:56:00\t7.02\t-118.5\t1.413E-03\t25.1".
// The units are the meter's fixed ones; the exponent is moved into the
// conductivity unit as in the printed readings.

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

const char* const kUnits[] = {"pH", "mV", "S/cm", "\u00B0C"};
constexpr int kColumns = 4;

bool ParseN335Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    if (f.size() != 3 + kColumns || !IsRecordNumber(f[0]) || !IsDateField(f[1]) || !IsTimeField(f[2]))
        return false;
    for (int c = 0; c < kColumns; ++c)
        if (!IsValueField(s, f[3 + c], ValueShape::ExponentAlarm))
            return false;
    if (!RecordNumberInReach(ctx, f[0].toInt()))
        return false;
    const double t = RecordTime(ctx, f[1], f[2]);
    QString line = body;
    s.LogCount = ReadNumber(line, StopAtControl).toInt();
    SkipField(line);
    SkipField(line); // date
    SkipField(line); // time
    for (int ch = 1; ch <= kColumns && ch <= s.ChannelCount; ++ch) {
        ChannelReading& rec = s.Readings[ch];
        QString alarm;
        ParseValueAlarm(ctx, rec, line, t, alarm);
        if (!s.ChannelInUse(ch)) {
            ClearReading(rec, t);
            continue;
        }
        rec.UnitText = QString::fromUtf8(kUnits[ch - 1]);
        ScaleConductivityUnitSpaced(rec.ValueText, rec.UnitText);
        if (!alarm.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, QStringLiteral("Alarm ") + rec.UnitText + QStringLiteral(": ") + alarm);
    }
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferN335(ParserContext& ctx)
{
    RecordPrint print;
    print.headings = {QStringLiteral("d"), QStringLiteral("h"), QStringLiteral("p"), QStringLiteral("m"),
                      QStringLiteral("s"), QStringLiteral("c")};
    print.identification = true;
    print.record = ParseN335Record;
    ReadRecordPrint(ctx, print);
}
