// P650 family (P651, P652). One printed line per reading:
//   date TAB time TAB value[alarm] TAB value[alarm] ... CR LF
// with one temperature per channel in use, all in the unit the user chose.
// Identification lines ("Identification No: 12345") come on their own.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Reads the temperatures of a date-first line; true when any channel got one.
bool ReadTemperatures(ParserContext& ctx, QString& line)
{
    AppState& s = ctx.state;
    QString stop;
    const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
    if (stop != QLatin1String("\t") || !LooksLikeDate(date))
        return false;
    const QString time = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
    if (stop != QLatin1String("\t") || !LooksLikeTime(time))
        return false;
    const QString unit = DeviceTemperatureUnit(s.DeviceUnit);
    const double t = TimestampNow(ctx);
    bool any = false;
    for (int ch = 1; ch <= s.ChannelCount; ++ch) {
        ChannelReading& rec = s.Readings[ch];
        if (!s.ChannelInUse(ch)) {
            ClearChannel(rec);
            continue;
        }
        QString alarm;
        ParseValueAlarm(ctx, rec, line, t, alarm);
        if (!alarm.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, QStringLiteral("Alarm CH%1: %2").arg(ch).arg(alarm));
        if (!rec.ValueText.isEmpty()) {
            rec.UnitText = unit;
            any = true;
        }
    }
    return any;
}
} // namespace

void ParseP650(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.p650;
    for (;;) {
        QString line;
        if (!TakeNextLine(ctx, buffer, line))
            return; // the port closed, or nothing complete arrived
        if (!s.IdMarker.isEmpty() && line.contains(s.IdMarker))
            s.IdentificationNumber = ExtractIdentification(ctx, line);
        if (line.size() >= 8 && line.left(3).contains(QLatin1Char('/')) && ReadTemperatures(ctx, line))
            complete = true;
        // Without a reading yet, the rest of the reply is still on its way:
        // returning now would let the next poll empty the port under it.
        if (!buffer.contains(kCrLf) && complete)
            return;
        if (complete) { // burst: the next printed line is waiting
            FinishReading(ctx);
            complete = false;
        }
    }
}
