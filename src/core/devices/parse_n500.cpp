// N500 family (N505, N515, N525, N535). One printed line per value channel:
//   [#<id> TAB] time TAB date TAB value TAB unit TAB temperature TAB remark CR LF
// The temperature (the N535 prints none) goes to the channel after the value.
// A polled reply opens with the line "<?" CR LF.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// The buffer's text up to and including its first CR LF ("" without one).
QString FirstLine(const QString& buffer)
{
    const qsizetype eol = buffer.indexOf(kCrLf);
    return eol < 0 ? QString() : buffer.left(eol + 2);
}

void DropLine(QString& buffer)
{
    ReadToken(buffer, QLatin1Char('\n'), ConsumeDelimiter);
}

// Only a marker in the first line counts: one further on belongs to a later
// line, and cutting up to it would throw the lines before it away.
void ReadIdentification(ParserContext& ctx, QString& buffer)
{
    AppState& s = ctx.state;
    if (!s.IdMarker.isEmpty() && FirstLine(buffer).contains(s.IdMarker))
        s.IdentificationNumber = ExtractIdentification(ctx, buffer);
    else
        s.IdentificationNumber.clear();
}

// A reply header at the front of the buffer starts a new reading. One seen
// further on must not cost the data lines in front of it.
bool StartsReply(const AppState& s, const QString& buffer)
{
    return s.PollValues && !s.EndString.isEmpty() && FirstLine(buffer).contains(s.EndString);
}

// Drops one field; true when that finished the first line.
bool SkipFieldOfLine(QString& buffer)
{
    const qsizetype eol = buffer.indexOf(kCrLf);
    const qsizetype before = buffer.size();
    SkipField(buffer);
    return eol >= 0 && before - buffer.size() > eol;
}

} // namespace

void ParseN500(ParserContext& ctx, bool& complete)
{
    AppState& s = ctx.state;
    QString& buffer = ctx.buffers.n500;
    complete = false;
    if (s.PollValues) {
        buffer.clear();
        float timeout = 0;
        ctx.reader.LeesLijnRs232(buffer, s.EndString, timeout);
        if (!ctx.reader.CommConditiesOK())
            return;
        DropLine(buffer);
    }
    // Waits until the buffer holds a whole line; false when the port closed.
    auto waitLine = [&] {
        float timeout = 0;
        ctx.reader.LeesLijnRs232(buffer, kCrLf, timeout);
        return ctx.reader.CommConditiesOK();
    };
    auto startsWithTime = [&] { return buffer.left(3).contains(s.TimeSeparator); };

    // The reading is stamped when its first line has arrived: a meter that
    // prints once a minute keeps the parser waiting that long. Channels
    // cleared before then take the stamp with it.
    double t = 0;
    bool stamped = false;
    int ch = 1;
    auto stamp = [&] {
        t = TimestampNow(ctx);
        for (int c = 1; c < ch && c <= kMaxChannels; ++c)
            s.Readings[c].ReadingTime = t;
        stamped = true;
    };
    while (ch <= s.ChannelCount) {
        if (!s.ChannelInUse(ch)) {
            ClearReading(s.Readings[ch], stamped ? t : s.Readings[ch].ReadingTime);
            ++ch;
            continue;
        }
        if (!waitLine())
            return;
        if (StartsReply(s, buffer)) {
            DropLine(buffer);
            stamped = false;
            ch = 1;
            continue;
        }
        ReadIdentification(ctx, buffer);
        if (ch == 1) {
            // A reading starts at a line whose time comes first; anything in
            // front of it (headers, noise) is dropped field by field. Every
            // new line is waited for whole and may carry an identification.
            bool newLine = false;
            for (;;) {
                if (!waitLine())
                    return;
                if (newLine)
                    ReadIdentification(ctx, buffer);
                newLine = false;
                if (StartsReply(s, buffer)) {
                    DropLine(buffer);
                    newLine = true;
                    continue;
                }
                if (startsWithTime())
                    break;
                newLine = SkipFieldOfLine(buffer);
            }
        }
        // Fields are read from this line only, so a line that ends early
        // cannot take its missing fields from the next one.
        QString line = TakeLine(buffer);
        if (!stamped)
            stamp();
        QString stop;
        const QString time = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (stop != QLatin1String("\t") || !LooksLikeTime(time))
            break;
        const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
        if (stop != QLatin1String("\t") || !LooksLikeDate(date))
            break;
        ParseValueUnit(ctx, s.Readings[ch], line, t);
        if (s.DeviceName != QLatin1String("N535")) {
            const QString tmp = ReadNumber(line, StopAtControl);
            if (!tmp.isEmpty()) {
                if (++ch > s.ChannelCount)
                    break;
                ApplyTemperature(ctx, ch, tmp, t);
            }
            SkipField(line);
        }
        AddLineRemark(ctx, line);
        ++ch;
    }
    if (!stamped)
        stamp(); // no channel in use: nothing was waited for
    complete = ch > 1;
}
