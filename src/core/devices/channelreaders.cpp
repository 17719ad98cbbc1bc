#include "core/devices/channelreaders.h"

#include "core/model/appstate.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"

#include <cmath>

namespace {
constexpr int kRelativeModeText = 91;

bool IsOverRange(const ParserContext& ctx, const QString& value)
{
    return !ctx.state.OverrangeMarker.isEmpty() && value.contains(ctx.state.OverrangeMarker);
}

void AddRelativeRemark(ParserContext& ctx)
{
    ctx.state.CurrentInfo = JoinRemark(ctx.state.CurrentInfo, ctx.language[kRelativeModeText]);
}
} // namespace

QString JoinRemark(const QString& a, const QString& b)
{
    return a.isEmpty() ? b : a + QStringLiteral(", ") + b;
}

QString NormaliseUnit(ParserContext& ctx, const QString& unit)
{
    bool relative = false;
    const QString out = NormaliseUnit(unit, &relative);
    if (relative)
        AddRelativeRemark(ctx);
    return out;
}

double TimestampNow(ParserContext& ctx)
{
    const double now = std::floor(ctx.clock() * kSecondsPerDay + 1e-6) / kSecondsPerDay;
    if (now == ctx.state.Readings[1].ReadingTime && ctx.state.LogCount >= 1)
        return now + kOneSecond;
    return now;
}

void ParseValueUnit(ParserContext& ctx, ChannelReading& rec, QString& text, double t)
{
    rec.ReadingTime = t;
    rec.ValueText = ReadNumber(text, StopAtControl);
    if (rec.ValueText.isEmpty()) {
        SkipField(text);
        ClearReading(rec, t);
        return;
    }
    rec.HasValue = true;
    if (text.startsWith(QLatin1String("E-"))) {
        rec.ValueText += ReadToken(text, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
        rec.UnitText = QStringLiteral("g/l");
        SkipField(text);
    } else {
        SkipField(text);
        rec.UnitText = NormaliseUnit(ctx, MapMeterCharset(ReadToken(text, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl)));
    }
    rec.OverRange = IsOverRange(ctx, rec.ValueText);
}

void ParseValueUnitExp(ParserContext& ctx, ChannelReading& rec, QString& text, double t)
{
    rec.ReadingTime = t;
    rec.ValueText = ReadNumber(text, StopAtControl);
    if (rec.ValueText.isEmpty()) {
        SkipField(text);
        SkipField(text);
        ClearReading(rec, t); // no stale unit or value flag from an earlier reading
        return;
    }
    if (text.startsWith(QLatin1Char('E')))
        rec.ValueText += ReadToken(text, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    else
        SkipField(text);
    rec.UnitText = MapMeterCharset(ReadToken(text, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl));
    bool relative = false;
    ScaleConductivityUnit(rec.ValueText, rec.UnitText, &relative);
    if (relative)
        AddRelativeRemark(ctx);
    rec.OverRange = IsOverRange(ctx, rec.ValueText);
    rec.HasValue = true;
}

void ParseValueAlarm(ParserContext& ctx, ChannelReading& rec, QString& text, double t, QString& alarm)
{
    rec.ReadingTime = t;
    rec.ValueText = ReadNumber(text, StopAtControl);
    if (text.startsWith(QLatin1Char('E'))) {
        rec.ValueText += text.left(4);
        text.remove(0, qMin<qsizetype>(4, text.size()));
    }
    // The flag is one printed character; a blank or the field's end is no alarm.
    alarm.clear();
    if (!text.isEmpty() && !IsControlChar(text[0]))
        alarm = TrimSpaces(text.left(1));
    SkipField(text);
    rec.OverRange = IsOverRange(ctx, rec.ValueText);
    rec.HasValue = true;
}

QString ExtractIdentification(ParserContext& ctx, QString& text)
{
    const QString& marker = ctx.state.IdMarker;
    const qsizetype at = marker.isEmpty() ? -1 : text.indexOf(marker);
    if (at < 0)
        return QString();
    const QString saved = text;
    text.remove(0, at + marker.size());
    const QString number = ReadNumber(text, StopAtControl);
    if (number.isEmpty())
        text = saved;
    else
        SkipField(text);
    return number;
}

void ApplyTemperature(ParserContext& ctx, int k, const QString& tmp, double t)
{
    if (k < 1 || k > kMaxChannels)
        return;
    ChannelReading& rec = ctx.state.Readings[k];
    rec.HasValue = true;
    rec.ReadingTime = t;
    if (ctx.state.ChannelInUse(k)) {
        rec.ValueText = tmp;
        rec.UnitText = QStringLiteral("\u00B0C");
        rec.OverRange = IsOverRange(ctx, tmp);
    } else {
        ClearChannel(rec);
    }
}

void ClearChannel(ChannelReading& rec)
{
    rec.ValueText.clear();
    rec.UnitText.clear();
    rec.OverRange = false;
}

void FinishReading(ParserContext& ctx)
{
    if (ctx.state.LogNext)
        ++ctx.state.LogCount;
    ctx.sink.PropagateReading(false);
    // The remarks belonged to the reading just recorded: the next reading of
    // a burst must not carry an earlier reading's alarm or relative mode.
    ctx.state.CurrentInfo.clear();
}

void AddLineRemark(ParserContext& ctx, QString& line)
{
    AppState& s = ctx.state;
    const QString sep = s.CurrentInfo.isEmpty() ? QString() : QStringLiteral("; ");
    const QString remark = ReadToken(line, QLatin1Char('\r'), StopAtControl);
    if (!remark.isEmpty())
        s.CurrentInfo += sep + TrimSpaces(StripControls(remark));
}

bool TakeNextLine(ParserContext& ctx, QString& buffer, QString& line)
{
    float timeout = 0;
    ctx.reader.LeesLijnRs232(buffer, QStringLiteral("\r\n"), timeout);
    if (!ctx.reader.CommConditiesOK())
        return false;
    line = TakeLine(buffer);
    return !line.isEmpty();
}

bool WaitForReplyEnd(ParserContext& ctx, QString& buffer)
{
    const AppState& s = ctx.state;
    const QString crLf = QStringLiteral("\r\n");
    while (!buffer.contains(s.EndString)) {
        float timeout = 0;
        ctx.reader.LeesLijnRs232(buffer, s.PollValues ? s.EndString : crLf, timeout);
        if (!ctx.reader.CommConditiesOK())
            return false;
        if (!s.PollValues) {
            const qsizetype at = buffer.indexOf(crLf);
            if (at >= 0)
                buffer.replace(at, crLf.size(), s.EndString);
        }
    }
    return true;
}

QString TakeReplyLine(ParserContext& ctx, QString& buffer, bool* replyEnded)
{
    const QString& end = ctx.state.EndString;
    QString line = TakeLine(buffer);
    bool ended = false;
    if (!end.isEmpty()) {
        if (line.endsWith(end)) {
            line = line.chopped(end.size()) + QStringLiteral("\r\n");
            ended = true;
        }
        if (buffer.startsWith(end)) {
            buffer.remove(0, end.size());
            ended = true;
        }
    }
    if (replyEnded)
        *replyEnded = ended;
    return line;
}
