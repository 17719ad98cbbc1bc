// G40xx family (G4010, G4020, G4030). One printed line per reading:
//   date TAB time TAB value TAB unit TAB temperature TAB temperature unit ... CR LF
// Channel 1 takes the value, channel 2 the temperature. A polled reply starts
// with the line "<?{" CR LF. The buffer is emptied at the start of every poll.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

void DropFirstLine(QString& buffer)
{
    ReadToken(buffer, QLatin1Char('\n'), ConsumeDelimiter);
}
} // namespace

void ParseG40xx(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.g40xx;
    const bool measure = s.PollValues;
    const QString closing = measure ? s.EndString : kCrLf;
    complete = false;
    // A poll starts a new reply: what is left of an earlier one is stale. A
    // meter printing on its own may have sent its next reading already, in
    // the same read as the last one: that text is kept and parsed.
    if (measure)
        buffer.clear();
    float timeout = 0;
    ctx.reader.LeesLijnRs232_J70xx(buffer, closing, timeout);
    if (!ctx.reader.CommConditiesOK() || !TestSluitkode(buffer, closing))
        return;
    s.PollRetries = 0;
    if (measure)
        DropFirstLine(buffer);
    double t = TimestampNow(ctx);

    // Up to the reading line. A reply header starts the reply afresh; other
    // lines (blank lines, headers) are passed over, as the lines after them
    // arrived with them and would be lost with the buffer at the next call.
    for (;;) {
        timeout = 0;
        ctx.reader.LeesLijnRs232_J70xx(buffer, kCrLf, timeout);
        if (!ctx.reader.CommConditiesOK() || !buffer.contains(kCrLf))
            return;
        if (measure && !s.EndString.isEmpty() && buffer.contains(s.EndString)) {
            DropFirstLine(buffer);
            t = TimestampNow(ctx);
            continue;
        }
        if (buffer.left(3).contains(QLatin1Char('/')))
            break;
        DropFirstLine(buffer);
    }

    QString stop;
    const QString date = ReadToken(buffer, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
    // A refused line is dropped whole: its rest must not be read as the next
    // reading's start when the buffer is kept for the next call.
    if (date.mid(2, 1) != QLatin1String("/") || stop != QLatin1String("\t")) {
        DropFirstLine(buffer);
        return;
    }
    const QString time = ReadToken(buffer, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
    // A line that ends after the time carries no reading: recording it would
    // repeat the previous one.
    if (time.indexOf(QLatin1Char(':')) < 1 || stop != QLatin1String("\t")) {
        if (stop != QLatin1String("\r"))
            DropFirstLine(buffer);
        else
            SkipField(buffer);
        return;
    }
    ChannelReading& value = s.Readings[1];
    ParseValueUnit(ctx, value, buffer, t);
    ChannelReading& temperature = s.Readings[2];
    const QString tmp = ReadNumber(buffer, StopAtControl);
    if (!tmp.isEmpty()) {
        // Stamped and range-tested like the other families' temperatures.
        temperature.HasValue = true;
        temperature.ReadingTime = t;
        temperature.ValueText = MapMeterCharset(tmp);
        temperature.OverRange = !s.OverrangeMarker.isEmpty() && tmp.contains(s.OverrangeMarker);
        SkipField(buffer);
        temperature.UnitText = MapMeterCharset(ReadToken(buffer, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl));
    } else {
        SkipField(buffer);
        SkipField(buffer);
        ClearReading(temperature, t);
    }
    QString lineEnd = kCrLf;
    ReadToken(buffer, lineEnd, StopAtControl); // the rest of the line is not used
    SkipField(buffer);
    complete = true;
}
