// A100 family (A10x, B11x, D121, E13x). One printed line per reading:
//   [#<id>] TAB value TAB unit TAB temperature TAB time TAB date CR LF
// with "/" among the last seven characters. Polled replies end with "<5" CR LF.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/tokenizer.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Reads the channels of one reading out of `text`; `ch` ends one past the
// last channel index walked.
bool ParseA100Block(ParserContext& ctx, QString& text, int& ch)
{
    AppState& s = ctx.state;
    const double t = TimestampNow(ctx);
    QString closing = s.EndString; // without its line end
    if (closing.endsWith(kCrLf))
        closing.chop(kCrLf.size());
    bool result = false;
    ch = 1;
    while (ch <= s.ChannelCount) {
        s.IdentificationNumber = ExtractIdentification(ctx, text);
        ChannelReading& rec = s.Readings[ch];
        ParseValueUnit(ctx, rec, text, t);
        if (rec.ValueText.isEmpty())
            SkipField(text);
        if (!s.ChannelInUse(ch))
            ClearChannel(rec);
        if (++ch > s.ChannelCount)
            break;
        const QString tmp = ReadNumber(text, StopAtControl);
        if (!tmp.isEmpty())
            ApplyTemperature(ctx, ch, tmp, t);
        SkipField(text);
        // The line ends in the time and the date; noise that happens to hold
        // a "/" near its end does not.
        QString stop;
        const QString time = ReadToken(text, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (stop != QLatin1String("\t") || !LooksLikeTime(time))
            break;
        QString date = ReadToken(text, QLatin1Char('\r'), ConsumeDelimiter | StopAtControl, &stop);
        // A polled reply may close on the date's line ("02/03/26<5"): the
        // closing text is no part of the date.
        if (!closing.isEmpty() && date.endsWith(closing))
            date = TrimSpaces(date.chopped(closing.size()));
        if (stop != QLatin1String("\r") || !LooksLikeDate(date))
            break;
        result = true;
        SkipField(text);
        ++ch;
    }
    return result;
}

bool IsReadingLine(const QString& line)
{
    return line.size() >= 8 && line.right(7).contains(QLatin1Char('/'));
}
} // namespace

void ParseA100(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.a100;
    int ch = 0;
    if (s.PollValues) {
        complete = false;
        buffer.clear();
        s.CurrentInfo.clear();
        float timeout = 0;
        ctx.reader.LeesLijnRs232(buffer, s.EndString, timeout);
        if (ctx.reader.CommConditiesOK())
            complete = ParseA100Block(ctx, buffer, ch);
        return;
    }
    for (;;) {
        QString line;
        if (!TakeNextLine(ctx, buffer, line))
            return; // the port closed, or nothing complete arrived
        if (!IsReadingLine(line))
            continue;
        complete = ParseA100Block(ctx, line, ch);
        // Without a reading yet, the rest of the reply is still on its way:
        // returning now would let the next poll empty the port under it.
        if (!buffer.contains(kCrLf) && complete)
            return;
        if (complete && ch > 1) { // burst: the next printed reading is waiting
            FinishReading(ctx);
            complete = false;
        }
    }
}
