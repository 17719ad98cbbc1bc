// H260 family memory print, started on the meter. The meter prints a header
//   log# TAB Date TAB Time TAB Channel TAB Value TAB Unit TAB Temp CR LF
// and then, for every logged record, one line per measured channel, as its
// printed readings are (one channel and the temperature per line), each
// prefixed with "Log# " and the record number:
//   Log# <record> TAB date TAB time TAB channel TAB value TAB unit TAB temperature CR LF
// e.g. "Log# 12\t28/02/26\t23:56:00\tCH2\t7.02\tpH\t25.1". The channel field
// names the channel as in the printed readings: "CH1".."CH6", "EC", and on the
// H268 "CH1-CH2" (rH2) and "EC-CH2" (power). The temperature goes to the last
// channel.
//
// The lines of one record share its number. The first line is recorded as a
// new reading; each further line with the same number adds its channel and
// replaces that reading, so the table ends with one complete row per record.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"

#include <QRegularExpression>

namespace {
using namespace datalog;

bool IsH268(const AppState& s) { return s.DeviceName.startsWith(QLatin1String("H268")); }

// The channel a channel field names on this meter; 0 for none.
int H260Channel(const AppState& s, const QString& field)
{
    QString text = field;
    const QString token = ReadToken(text, QLatin1Char(' '), ConsumeDelimiter | StopAtControl);
    const bool ec = token.contains(QLatin1String("EC"));
    const bool ch1 = token.contains(QLatin1String("CH1"));
    const bool ch2 = token.contains(QLatin1String("CH2"));
    if (ec && ch2)
        return IsH268(s) ? 4 : 0;
    if (ch1 && ch2)
        return IsH268(s) ? 3 : 0;
    if (token.startsWith(QLatin1String("CH"))) {
        // The numbered channels come first; rH2 and power (H268), EC and the
        // temperature take the slots after them.
        const int last = IsH268(s) ? 2 : s.ChannelCount - 2;
        const int n = token.size() == 3 ? token.right(1).toInt() : 0;
        return (n >= 1 && n <= last) ? n : 0;
    }
    if (token.startsWith(QLatin1String("EC")))
        return s.ChannelCount - 1;
    return 0;
}

int RecordNumber(const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^Log# (\d{1,9})$)"));
    const QRegularExpressionMatch m = re.match(field);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

bool ParseH260Line(ParserContext& ctx, GrowingRecord& record, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    if (f.size() != 7)
        return false;
    const int number = RecordNumber(f[0]);
    const int ch = H260Channel(s, f[3]);
    if (number < 0 || ch == 0 || !IsDateField(f[1]) || !IsTimeField(f[2])
        || !IsValueField(s, f[4], ValueShape::MinusExponent) || f[5].isEmpty() || !IsValueField(s, f[6], ValueShape::Plain))
        return false;
    if (!RecordNumberInReach(ctx, number))
        return false;
    const double t = RecordTime(ctx, f[1], f[2]);
    const bool replace = record.Begin(ctx, number);
    QString line = body;
    SkipField(line); // record number
    SkipField(line); // date
    SkipField(line); // time
    SkipField(line); // channel
    ParseValueUnit(ctx, s.Readings[ch], line, t);
    s.Readings[1].ReadingTime = t;
    if (!s.ChannelInUse(ch))
        ClearChannel(s.Readings[ch]);
    ApplyTemperature(ctx, s.ChannelCount, ReadNumber(line, StopAtControl), t);
    record.Record(ctx, replace);
    return true;
}
} // namespace

void TransferH260(ParserContext& ctx)
{
    GrowingRecord record;
    RecordPrint print;
    print.headings = {QStringLiteral("d"), QStringLiteral("t"), QStringLiteral("c"),
                      QStringLiteral("v"), QStringLiteral("u"), QStringLiteral("t")};
    print.record = [&record](ParserContext& c, const QString& body) { return ParseH260Line(c, record, body); };
    print.restart = [&record] { record.Restart(); };
    ReadRecordPrint(ctx, print);
}
