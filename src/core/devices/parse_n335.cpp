// N335. A printout starts with a column header naming the units,
//   "   #" TAB date TAB time TAB unit TAB unit ... CR LF
// followed by one line per reading:
//   record TAB date TAB time TAB value[exponent][alarm] TAB ... CR LF
// where the record number has four digits. Columns belong to the channels in
// use, in order. A channel without a printed unit takes pH, mV, S/cm, °C.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// The header's units go into the records of the channels in use; every later
// reading rescales them.
void ReadColumnUnits(AppState& s, QString& line)
{
    for (int i = 0; i < 3; ++i) // the "#", date and time headings
        ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    for (int ch = 1; ch <= s.ChannelCount; ++ch) {
        if (s.ChannelInUse(ch)) {
            const QString unit = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
            s.Readings[ch].UnitText = MapMeterCharset(unit);
        }
    }
}

// Reads the values of a data line (record number already taken); true when
// any channel got a value.
bool ReadValues(ParserContext& ctx, QString& line)
{
    AppState& s = ctx.state;
    QString stop;
    ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop); // date
    if (stop != QLatin1String("\t"))
        return false;
    ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop); // time
    if (stop != QLatin1String("\t"))
        return false;
    static const QString kDefaultUnits[] = {QStringLiteral("pH"), QStringLiteral("mV"), QStringLiteral("S/cm"),
                                            QStringLiteral("\u00B0C")};
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
        if (rec.UnitText.isEmpty() && ch <= 4)
            rec.UnitText = kDefaultUnits[ch - 1];
        ScaleConductivityUnitSpaced(rec.ValueText, rec.UnitText);
        if (!alarm.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, QStringLiteral("Alarm %1: %2").arg(rec.UnitText, alarm));
        if (!rec.ValueText.isEmpty())
            any = true;
    }
    return any;
}
} // namespace

void ParseN335(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.n335;
    for (;;) {
        QString line;
        if (!TakeNextLine(ctx, buffer, line))
            return; // the port closed, or nothing complete arrived
        // Each line is judged on its own: a record number seen earlier must
        // not turn a header or identification line into data, which would
        // also make the outcome depend on how the text arrived.
        QString lead;
        if (!s.IdMarker.isEmpty() && line.contains(s.IdMarker)) {
            s.IdentificationNumber = ExtractIdentification(ctx, line);
        } else if (line.startsWith(QLatin1String("   #"))) {
            ReadColumnUnits(s, line);
        } else {
            lead = ReadNumber(line, StopAtControl);
            SkipField(line);
        }
        if (lead.size() == 4 && line.size() > 7 && ReadValues(ctx, line))
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
