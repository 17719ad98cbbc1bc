// K230 family (K23x, L331, L332, L333, "L332 bio-elec"). One printed line per
// measured channel:
//   lead TAB value[exponent] TAB unit TAB temperature TAB field TAB field TAB field [remark] CR LF
// with the date's "/" among the last seven characters. The first line's lead
// is a number of four or more digits; the later lines repeat it or leave the
// field empty. A print is one reading with the time of its first line. The
// temperature goes to the last channel, except on "K235 < version 3.0", where
// a "ppm" or "%" channel keeps its own temperature in the channel after it.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
// How long the rest of a print may lag behind its last line in use: longer,
// and what comes is a print of its own.
constexpr float kPrintGapSeconds = 0.15f;

bool AnyInUse(const AppState& s, int from, int to)
{
    for (int ch = from; ch <= to; ++ch)
        if (s.ChannelInUse(ch))
            return true;
    return false;
}

bool HasOwnTemperature(const AppState& s, const QString& unit)
{
    return s.DeviceName == QLatin1String("K235 < version 3.0")
        && (unit.startsWith(QLatin1String("ppm")) || unit.startsWith(QLatin1Char('%')));
}

// A line a reading is read from ends in the date.
bool HasDateAtEnd(const QString& line)
{
    return line.size() > 7 && line.right(7).contains(QLatin1Char('/'));
}

// True when `line` carries the record number of a print other than `record`.
bool OfAnotherPrint(QString line, const QString& record)
{
    const QString number = ReadNumber(line, StopAtControl);
    return number.size() > 3 && number != record;
}

// Takes the lines left of print `record`, those of the channels after the
// last one in use: left in the buffer, each would be read as a print of its
// own with its value in the first channel. A line of another print stays.
void SkipRestOfPrint(ParserContext& ctx, QString& buffer, const QString& record)
{
    for (;;) {
        if (!buffer.contains(kCrLf)) {
            float gap = kPrintGapSeconds;
            ctx.reader.LeesLijnRs232(buffer, kCrLf, gap);
            if (!ctx.reader.CommConditiesOK() || !buffer.contains(kCrLf))
                return;
        }
        const QString next = buffer.left(buffer.indexOf(kCrLf) + 2);
        if (!HasDateAtEnd(next) || OfAnotherPrint(next, record))
            return;
        TakeLine(buffer);
    }
}
} // namespace

void ParseK230(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.k230;
    complete = false;
    double t = 0; // taken when the first line has arrived, not while waiting for it
    const int last = s.ChannelCount; // the temperature channel
    QString lead;
    int ch = 1;
    bool nextPrint = false; // a line of the next print came before this one's last
    while (ch <= last - 1) {
        // The first line is always waited for, so that a set-up showing only
        // the temperature still reads one reading per printed reading.
        if (ch > 1 && !AnyInUse(s, ch, last - 1)) {
            for (; ch <= last - 1; ++ch)
                ClearReading(s.Readings[ch], t);
            SkipRestOfPrint(ctx, buffer, lead);
            break;
        }
        QString line;
        for (;;) {
            float timeout = 0;
            ctx.reader.LeesLijnRs232(buffer, kCrLf, timeout);
            if (!ctx.reader.CommConditiesOK())
                return;
            line = TakeLine(buffer);
            if (line.isEmpty())
                return; // nothing complete arrived
            if (!s.IdMarker.isEmpty() && line.contains(s.IdMarker)) {
                s.IdentificationNumber = ExtractIdentification(ctx, line);
            } else if (ch == 1) {
                lead.clear();
                if (!line.left(4).contains(QLatin1Char('\t'))) {
                    lead = ReadNumber(line, StopAtControl);
                    SkipField(line);
                }
            } else if (HasDateAtEnd(line) && OfAnotherPrint(line, lead)) {
                buffer.prepend(line); // it starts the next reading: none is lost or merged
                nextPrint = true;
                break;
            } else {
                SkipField(line);
            }
            if (HasDateAtEnd(line) && lead.size() > 3)
                break;
        }
        if (nextPrint) {
            // This print had no line for the channels left: they pass on
            // their last values only when the user asked for that.
            if (!s.RetainTableValues) {
                for (int k = ch; k <= last - 1; ++k)
                    ClearReading(s.Readings[k], t);
            }
            break;
        }
        if (ch == 1)
            t = TimestampNow(ctx);

        // A channel not in use still has its line parsed: its unit decides
        // where the next line goes. It leaves no value and no remark.
        const bool inUse = s.ChannelInUse(ch);
        const QString info = s.CurrentInfo;
        ChannelReading& rec = s.Readings[ch];
        ParseValueUnitExp(ctx, rec, line, t);
        const QString unit = rec.ValueText.isEmpty() ? QString() : rec.UnitText;
        if (!inUse) {
            s.CurrentInfo = info;
            ClearReading(rec, t);
        } else if (rec.ValueText.isEmpty()) {
            ClearReading(rec, t); // a line without a value must not show the last one
        }
        const QString tmp = ReadNumber(line, StopAtControl);
        if (!tmp.isEmpty()) {
            int target = last;
            if (HasOwnTemperature(s, unit))
                target = ++ch;
            if (ch > last)
                break;
            ApplyTemperature(ctx, target, tmp, t);
        }
        SkipField(line);
        QString stop;
        ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (stop != QLatin1String("\t"))
            break;
        ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (stop != QLatin1String("\t"))
            break;
        ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
        if (inUse)
            AddLineRemark(ctx, line);
        ++ch;
    }
    complete = ch > 1;
}
