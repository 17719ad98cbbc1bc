// P670 family memory print, started on the meter. The meter prints a header
//   log# TAB Date TAB Time TAB Unit TAB Channel TAB Values CR LF
// and then every logged record as its printed reading (date, time, the one
// unit all channels share, then the channels' values), eight channels to a
// line: each line is prefixed with "Log# " and the record number and names
// the channel its first value belongs to:
//   Log# <record> TAB date TAB time TAB unit TAB CH<first> TAB value[exponent][flag] TAB ... CR LF
// e.g. "Log# 12\t28/02/26\t23:56:00\tpH\tCH9\t7.02\t7.11H\t...". A 16-channel
// meter prints two lines per record (CH1 and CH9), a 12-channel meter a line
// of eight and one of four.
//
// The first line of a record is recorded as a new reading; the next line with
// the same number adds its channels and replaces that reading, so the table
// ends with one complete row per record.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"

#include <QRegularExpression>

namespace {
using namespace datalog;

int RecordNumber(const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^Log# (\d{1,9})$)"));
    const QRegularExpressionMatch m = re.match(field);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

int FirstChannel(const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^CH(\d{1,2})$)"));
    const QRegularExpressionMatch m = re.match(field);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

bool ParseP670Line(ParserContext& ctx, GrowingRecord& record, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    if (f.size() < 6)
        return false;
    const int number = RecordNumber(f[0]);
    const int first = FirstChannel(f[4]);
    const int count = int(f.size()) - 5;
    if (number < 0 || first < 1 || first + count - 1 > s.ChannelCount || !IsDateField(f[1]) || !IsTimeField(f[2])
        || f[3].isEmpty())
        return false;
    for (int i = 5; i < f.size(); ++i)
        if (!IsValueField(s, f[i], ValueShape::ExponentAlarm))
            return false;
    if (!RecordNumberInReach(ctx, number))
        return false;
    const double t = RecordTime(ctx, f[1], f[2]);
    const bool replace = record.Begin(ctx, number);
    QString line = body;
    SkipField(line); // record number
    SkipField(line); // date
    SkipField(line); // time
    const QString printed = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    // The relative-mode remark is added once per record.
    const QString unit = replace ? NormaliseUnit(printed) : NormaliseUnit(ctx, printed);
    SkipField(line); // first channel
    for (int ch = first; ch < first + count; ++ch) {
        ChannelReading& rec = s.Readings[ch];
        QString alarm;
        ParseValueAlarm(ctx, rec, line, t, alarm);
        if (!s.ChannelInUse(ch)) {
            ClearChannel(rec);
            rec.HasValue = false;
            continue;
        }
        rec.UnitText = unit;
        if (!alarm.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, QStringLiteral("Alarm CH%1: ").arg(ch) + alarm);
    }
    record.Record(ctx, replace);
    return true;
}
} // namespace

void TransferP670(ParserContext& ctx)
{
    GrowingRecord record;
    RecordPrint print;
    print.headings = {QStringLiteral("d"), QStringLiteral("t"), QStringLiteral("u"), QStringLiteral("c"),
                      QStringLiteral("v")};
    print.record = [&record](ParserContext& c, const QString& body) { return ParseP670Line(c, record, body); };
    print.restart = [&record] { record.Restart(); };
    ReadRecordPrint(ctx, print);
}
