// H260 family (H261..H264, H268, plain and USB). One printed line per channel:
//   [#<id>] date TAB time TAB channel TAB value TAB unit TAB temperature CR LF
// The channel field names the channel ("CH2", "EC", "CH1+CH2", ...); the
// temperature always goes to the last channel. Polled replies end with "<5"
// CR LF; printed lines get that ending so both take the same path. A polled
// reply is one reading of all its lines, and so is a block of lines printed
// at once; lines printed apart are a reading each.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// The channel a line's channel field names, 0 when unrecognised. Consumes the
// field. A number beyond this model's channels is unrecognised: it must never
// index past the channel array.
int ChannelFromToken(const AppState& s, QString& text)
{
    const QString tok = ReadToken(text, QLatin1Char(' '), ConsumeDelimiter | StopAtControl);
    SkipField(text);
    int ch = 0;
    if (tok.contains(QLatin1String("EC")) && tok.contains(QLatin1String("CH2")))
        ch = 4;
    else if (tok.contains(QLatin1String("CH1")) && tok.contains(QLatin1String("CH2")))
        ch = 3;
    else if (tok.startsWith(QLatin1String("CH")))
        ch = tok.right(1).at(0).digitValue(); // "CH" alone ends in 'H': -1
    else if (tok.startsWith(QLatin1String("EC")))
        ch = s.ChannelCount - 1;
    return (ch >= 1 && ch <= s.ChannelCount && ch <= kMaxChannels) ? ch : 0;
}

// Consumes the date and time fields; true when they look like a printed
// date ("02/03/26") and time ("10:15:30").
bool StartsWithDateAndTime(QString& line)
{
    const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const QString time = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    return LooksLikeDate(date) && LooksLikeTime(time);
}

// How long a printed block may pause between its lines: longer, and the
// next line is a print of its own.
constexpr float kBlockGapSeconds = 0.15f;

// The channel the buffer's next complete line names (0 when none).
int NextLineChannel(ParserContext& ctx, const QString& buffer)
{
    const qsizetype end = buffer.indexOf(kCrLf);
    if (end < 0)
        return 0;
    QString line = buffer.left(end + 2);
    SkipLeadingControls(line);
    ExtractIdentification(ctx, line); // consumed as the line itself will be
    if (!StartsWithDateAndTime(line))
        return 0;
    return ChannelFromToken(ctx.state, line);
}

// The temperature of a line whose channel field was not recognised. Value and
// unit normally still precede it and must not be taken for it; a line that
// carries a single field after the channel field has only the temperature.
QString TemperatureAfterUnknownChannel(QString& line)
{
    if (!line.left(line.indexOf(QLatin1Char('\r'))).contains(QLatin1Char('\t')))
        return ReadNumber(line, StopAtControl);
    SkipField(line); // value
    SkipField(line); // unit
    return ReadNumber(line, StopAtControl);
}
} // namespace

void ParseH260(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.h260;
    // A polled reply holds every channel, one line each, and ends with the
    // closing text: it is one reading with one time, recorded when it ends.
    const bool polled = s.PollValues && !s.EndString.isEmpty();
    double replyTime = -1; // the time of the reply's (or block's) first line; -1 before it
    quint32 blockChannels = 0; // listening: the channels the block under way holds
    for (;;) {
        if (!s.RetainTableValues && replyTime < 0)
            ClearReadings(s);
        if (!WaitForReplyEnd(ctx, buffer))
            return;
        bool replyEnded = false;
        QString line = TakeReplyLine(ctx, buffer, &replyEnded);
        SkipLeadingControls(line);
        const double t = replyTime >= 0 ? replyTime : TimestampNow(ctx);
        s.IdentificationNumber = ExtractIdentification(ctx, line);
        const bool moreOfReply = polled && !replyEnded;
        if (!StartsWithDateAndTime(line)) {
            // Noise or a header: no reading, whatever digits it holds.
            if (polled && !moreOfReply) {
                if (complete)
                    return;
                replyTime = -1;
            }
            continue;
        }
        const int ch = ChannelFromToken(s, line);
        QString tmp;
        if (ch != 0) {
            ChannelReading& rec = s.Readings[ch];
            ParseValueUnit(ctx, rec, line, t);
            if (rec.ValueText.isEmpty())
                SkipField(line); // the unit field, so the temperature is still found
            s.Readings[1].ReadingTime = t;
            if (!s.ChannelInUse(ch))
                ClearChannel(rec);
            tmp = ReadNumber(line, StopAtControl);
        } else {
            tmp = TemperatureAfterUnknownChannel(line);
        }
        if (!tmp.isEmpty())
            ApplyTemperature(ctx, s.ChannelCount, tmp, t);
        // A line with neither channel nor temperature (header, noise) is no
        // reading: recording it would repeat the previous one.
        if (ch != 0 || !tmp.isEmpty())
            complete = true;
        if (polled) {
            if (!moreOfReply) {
                if (complete)
                    return; // the caller records the whole reply as one row
                replyTime = -1;
            } else if (complete) {
                replyTime = t;
                ctx.sink.ShowPartialReading();
            }
            continue;
        }
        if (!complete)
            continue;
        if (ch != 0)
            blockChannels |= 1u << ch;
        // Lines printed at once are one reading with one time: the block has
        // ended when no further line follows within a moment.
        if (!buffer.contains(kCrLf)) {
            float gap = kBlockGapSeconds;
            ctx.reader.LeesLijnRs232(buffer, kCrLf, gap);
            if (!buffer.contains(kCrLf))
                return; // the caller records the block
        }
        const int next = NextLineChannel(ctx, buffer);
        if (next != 0 && (blockChannels & (1u << next))) {
            // A second line of a channel starts the next reading: none is lost.
            FinishReading(ctx);
            complete = false;
            blockChannels = 0;
            replyTime = -1;
        } else {
            replyTime = t;
            ctx.sink.ShowPartialReading();
        }
    }
}
