// P670 family (P671, P672, P6710, P6720). One printed line per reading:
//   [#<id>] date TAB time TAB unit TAB value1 TAB value2 ... CR LF
// one value field per channel in use, each with an optional 4-character
// exponent and a one-character alarm flag. Polled replies end with "<5" CR LF;
// printed lines get that ending so both take the same path.

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/parsers.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

#include <QDate>
#include <QStringList>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Day, month and year as the meter prints them ("02/03/26"); a meter set to
// the month-first order is accepted too.
bool IsPrintedDate(const QString& text)
{
    QString norm = text;
    norm.replace(QLatin1Char('-'), QLatin1Char('/')).replace(QLatin1Char('.'), QLatin1Char('/'));
    const QStringList parts = norm.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return false;
    int n[3];
    for (int i = 0; i < 3; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 4)
            return false;
        for (QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        n[i] = part.toInt();
    }
    const int year = n[2] < 100 ? 2000 + n[2] : n[2];
    return QDate(year, n[1], n[0]).isValid() || QDate(year, n[0], n[1]).isValid();
}

// Reads one reading line; true when a channel received a value.
bool ParseP670Line(ParserContext& ctx, QString& line)
{
    AppState& s = ctx.state;
    if (!s.IdMarker.isEmpty() && line.contains(s.IdMarker))
        s.IdentificationNumber = ExtractIdentification(ctx, line);
    SkipLeadingControls(line);
    QString stop;
    const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
    if (stop != QLatin1String("\t") || !IsPrintedDate(date))
        return false;
    ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop); // time
    if (stop != QLatin1String("\t"))
        return false;
    const QString unitField = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl, &stop);
    if (stop != QLatin1String("\t"))
        return false;
    const QString unit = NormaliseUnit(ctx, MapMeterCharset(unitField));
    const double t = TimestampNow(ctx);
    bool valued = false;
    for (int ch = 1; ch <= s.ChannelCount && ch <= kMaxChannels; ++ch) {
        ChannelReading& rec = s.Readings[ch];
        if (line.isEmpty() || !s.ChannelInUse(ch)) {
            ClearChannel(rec);
            continue;
        }
        rec.UnitText = unit;
        QString alarm;
        ParseValueAlarm(ctx, rec, line, t, alarm);
        if (!alarm.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, QStringLiteral("Alarm CH%1: %2").arg(ch).arg(alarm));
        if (!rec.ValueText.isEmpty())
            valued = true;
    }
    return valued;
}
} // namespace

void ParseP670(ParserContext& ctx, bool& complete)
{
    QString& buffer = ctx.buffers.p670;
    for (;;) {
        if (!WaitForReplyEnd(ctx, buffer))
            return;
        QString line = TakeReplyLine(ctx, buffer);
        if (ParseP670Line(ctx, line))
            complete = true;
        // Without a reading yet, the rest of the reply is still on its way:
        // returning now would let the next poll empty the port under it.
        if (!buffer.contains(kCrLf) && complete)
            return;
        if (complete) { // burst: the next printed reading is waiting
            FinishReading(ctx);
            complete = false;
        }
    }
}
