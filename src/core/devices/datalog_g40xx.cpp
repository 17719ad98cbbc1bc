// G40xx memory print. The program asks for it with ">L" CR LF; the meter then
// prints one record per line:
//   LOG.<record> TAB date TAB time TAB value TAB unit [TAB temperature TAB unit] [TAB remark ...] CR LF
// e.g. "LOG.0012\t28/02/26\t23:56:00\t7.02\tpH\t25.1\t\xf8C". Other lines
// (banner, blank lines) are skipped. The record number is not trusted for the
// log number: every record counts one up, so a print that restarts its
// numbering still fills the table in order. The meter prints slowly, so the
// reader gives it three seconds per record.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"

namespace {
using namespace datalog;

constexpr int kRecordWaitMs = 3000;
constexpr int kStartDelayMs = 500;

bool ParseG40Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    const int rest = CheckLogRecord(s, f);
    if (rest < 0)
        return false;
    QString line = body.mid(4);
    ReadNumber(line, StopAtControl); // the meter's own record number
    SkipField(line);
    ++s.LogCount;
    const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const QString time = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const double t = ParseRecordTime(ParseRecordDate(date), time, s.TimeSeparator);
    ParseValueUnit(ctx, s.Readings[1], line, t);
    if (rest == 7) // the temperature with its unit
        ParseValueUnit(ctx, s.Readings[2], line, t);
    for (const QString& remark : f.mid(rest))
        if (!remark.isEmpty())
            s.CurrentInfo = JoinRemark(s.CurrentInfo, remark);
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferG40xx(ParserContext& ctx)
{
    ShowTransferWarning(ctx);
    ctx.reader.WaitMilliseconds(kStartDelayMs);
    ctx.reader.ClearBuffers();
    SendEchoed(ctx, QStringLiteral(">L\r\n"));
    ReadLogRecords(ctx, kRecordWaitMs, ParseG40Record);
}
