// J70xx family (J7010..J7060, J74x0). One printed line per channel in use:
//   date TAB time TAB value TAB unit TAB temperature TAB temperature unit
//   [TAB CHn] [TAB Tref=<reference temperature>] CR LF
// The channel field overrides the position of the line in the reading. A
// polled reply starts with the line "<?{" CR LF. The buffer is emptied when a
// poll starts and when a reply is refused.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
constexpr float kLineTimeout = 0.5f;

void DropFirstLine(QString& buffer)
{
    ReadToken(buffer, QLatin1Char('\n'), ConsumeDelimiter);
}

// The channel a J7050/J7050M line's quantity selects, or `ch` unchanged.
int ChannelByQuantity(const QString& buffer, int ch)
{
    const QString line = buffer.left(buffer.indexOf(QLatin1Char('\r'))).toLower();
    if (line.contains(QLatin1String("rh2")))
        ch = 4;
    if (line.contains(QString(QChar(0x00E6)) + QLatin1Char('w'))) // the meter's "µW"
        ch = 5;
    return ch;
}

// The fields after the temperature: the channel ("CH2") and the reference
// temperature ("Tref=25.0°C"), in either order.
void ParseTrailingFields(ParserContext& ctx, ChannelReading& r, QString& buffer, int& ch)
{
    const AppState& s = ctx.state;
    QString stop;
    do {
        stop = kCrLf;
        const QString f = TrimSpaces(ReadToken(buffer, stop, ConsumeDelimiter | StopAtControl));
        const bool endedInTab = stop == QLatin1String("\t");
        if (f.contains(QLatin1String("Tref"))) {
            // A reference temperature printed last is as valid as one in the
            // middle; only a TAB after it is left to drop.
            r.UnitText += QLatin1Char('@') + MapMeterCharset(TrimSpaces(f.mid(5)));
            if (endedInTab)
                SkipField(buffer);
        } else if (f.contains(QLatin1String("ch"), Qt::CaseInsensitive)) {
            const int n = TextToInteger(f.mid(2));
            if (n >= 1 && n <= s.ActiveChannelCount && n <= s.ChannelCount) {
                ch = n;
                if (s.DeviceName == QLatin1String("J7050M")) {
                    if (ch == 4)
                        ch = 1;
                    else if (ch == 5)
                        ch = 3;
                }
            }
        } else if (endedInTab) {
            SkipField(buffer);
        }
    } while (stop == QLatin1String("\t"));
}

// Value, unit and temperature of one line into channel `ch` (or the channel
// the line names). True when a value was stored.
bool ParseJ70xxLine(ParserContext& ctx, QString& buffer, int& ch, double t)
{
    AppState& s = ctx.state;
    if (s.DeviceName.left(4).toLower() == QLatin1String("j705"))
        ch = ChannelByQuantity(buffer, ch);
    ChannelReading r;
    ParseValueUnit(ctx, r, buffer, t);
    const QString tmp = ReadNumber(buffer, StopAtControl);
    if (!tmp.isEmpty()) {
        r.ExtraText = MapMeterCharset(tmp);
        SkipField(buffer);
        r.ExtraText += MapMeterCharset(ReadToken(buffer, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl));
    } else {
        SkipField(buffer);
        SkipField(buffer);
    }
    ParseTrailingFields(ctx, r, buffer, ch);
    if (ch < 1 || ch > s.ChannelCount || ch > kMaxChannels)
        return false;
    // The alarm settings of the channel stay.
    ChannelReading& rec = s.Readings[ch];
    rec.ReadingTime = r.ReadingTime;
    rec.ValueText = r.ValueText;
    rec.UnitText = r.UnitText;
    rec.ExtraText = r.ExtraText;
    rec.OverRange = r.OverRange;
    rec.HasValue = r.HasValue;
    return rec.HasValue;
}
} // namespace

void ParseJ70xx(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.j70xx;
    const bool measure = s.PollValues;
    const QString closing = measure ? s.EndString : kCrLf;
    complete = false;
    // A poll starts a new reply: what is left of an earlier one is stale. A
    // meter printing on its own may have sent its next reading already, in
    // the same read as the last one: that text is kept and parsed.
    if (measure)
        buffer.clear();
    float timeout = kLineTimeout;
    ctx.reader.LeesLijnRs232_J70xx(buffer, closing, timeout);
    if (!ctx.reader.CommConditiesOK() || !TestSluitkode(buffer, closing))
        return;
    s.PollRetries = 0;
    if (measure)
        DropFirstLine(buffer);
    double t = TimestampNow(ctx);
    int ch = 1;
    int pass = 1;
    bool first = true;
    bool gathered = false; // a line since the reading (re)started held a value

    // A reply header in the buffer starts the reading afresh.
    auto restartAtHeader = [&] {
        if (!measure || s.EndString.isEmpty() || !buffer.contains(s.EndString))
            return false;
        DropFirstLine(buffer);
        t = TimestampNow(ctx);
        pass = 1;
        ch = 1;
        first = true;
        gathered = false;
        return true;
    };

    for (; pass <= s.ChannelCount; ++pass) {
        if (pass > s.ActiveChannelCount)
            continue;
        timeout = kLineTimeout;
        ctx.reader.LeesLijnRs232_J70xx(buffer, kCrLf, timeout);
        if (!ctx.reader.CommConditiesOK())
            return;
        // A line cut off by the time-out would give a truncated value.
        if (!buffer.contains(kCrLf))
            break;
        restartAtHeader();
        if (pass == 1) {
            // Lines before the first reading line (blank lines, headers) are
            // passed over: the lines after them arrived with them and would
            // be lost with the buffer at the next call.
            for (;;) {
                timeout = kLineTimeout;
                ctx.reader.LeesLijnRs232_J70xx(buffer, kCrLf, timeout);
                if (!ctx.reader.CommConditiesOK() || !buffer.contains(kCrLf))
                    return;
                if (restartAtHeader())
                    continue;
                if (buffer.left(3).contains(QLatin1Char('/')))
                    break;
                DropFirstLine(buffer);
            }
        }
        while (ch < s.ChannelCount && !s.ChannelInUse(ch))
            ++ch;

        QString stop;
        const QString date = ReadToken(buffer, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (first && date.mid(2, 1) != QLatin1String("/")) {
            buffer.clear(); // the whole reply is refused, not just this line
            return;
        }
        if (stop != QLatin1String("\t") && !first)
            break;
        const QString time = ReadToken(buffer, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (first) {
            if (time.indexOf(QLatin1Char(':')) < 1) {
                buffer.clear();
                return;
            }
            first = false;
        }
        if (stop != QLatin1String("\t") && stop != QLatin1String("\r"))
            break;
        if (stop == QLatin1String("\t") && ParseJ70xxLine(ctx, buffer, ch, t))
            gathered = true;
        if (ch < s.ChannelCount)
            ++ch;
        SkipField(buffer);
    }
    // A reading of lines without values would repeat the previous one.
    complete = gathered;
}
