// J70xx memory print. The program first asks the meter how full its logger
// is with the framed request "F"; the meter answers "<F" and the number of
// stored records as four digits, CR LF. No answer means the meter is not
// listening: the user is told so, but the reader still listens, since the
// print can also be started on the meter. Then the framed command ">P" selects
// the whole memory for printing and ">L" CR LF starts the print.
//
// The meter prints one record per channel reading, one line each:
//   LOG.<record> TAB date TAB time TAB value TAB unit TAB temperature TAB unit
//     [TAB Tref=<reference temperature and unit>] TAB CH<channel> CR LF
// e.g. "LOG.0003\t28/02/26\t23:47:00\t1413\t\xe6S/cm\t25.1\t\xf8C\tTref=25.0\xf8C\tCH2".
// The value goes to the named channel (channel 1 when the record names none),
// the temperature with its unit to that channel's extra text, and a reference
// temperature is appended to the unit after "@", as in the printed readings.
// Every record counts the log number one up.

#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/channelreaders.h"
#include "core/devices/commandprotocol.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/tokenizer.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"

#include <QRegularExpression>

namespace {
using namespace datalog;

constexpr int kCommErrorText = 299;
constexpr int kFillReplyLength = 6; // "<F" and four digits

// The channel a "CH<n>" field names; 0 when the field names none, -1 when the
// number is no channel of this meter.
int ChannelField(const AppState& s, const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^CH(\d{1,2})$)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(field);
    if (!m.hasMatch())
        return 0;
    const int ch = m.captured(1).toInt();
    return (ch >= 1 && ch <= s.ChannelCount) ? ch : -1;
}

bool ParseJ70Record(ParserContext& ctx, const QString& body)
{
    AppState& s = ctx.state;
    const QStringList f = Fields(body);
    const int rest = CheckLogRecord(s, f);
    if (rest < 0)
        return false;
    int ch = 1;
    QString reference;
    QStringList remarks;
    for (const QString& field : f.mid(rest)) {
        const int named = ChannelField(s, field);
        if (named < 0)
            return false;
        if (named > 0)
            ch = named;
        else if (field.startsWith(QLatin1String("Tref"), Qt::CaseInsensitive))
            reference = MapMeterCharset(TrimSpaces(field.mid(5)));
        else if (!field.isEmpty())
            remarks << field;
    }

    QString line = body.mid(4);
    ReadNumber(line, StopAtControl); // the meter's own record number
    SkipField(line);
    ++s.LogCount;
    const QString date = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const QString time = ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl);
    const double t = ParseRecordTime(ParseRecordDate(date), time, s.TimeSeparator);
    ChannelReading r;
    ParseValueUnit(ctx, r, line, t);
    if (rest == 7) {
        r.ExtraText = MapMeterCharset(ReadNumber(line, StopAtControl));
        SkipField(line);
        r.ExtraText += MapMeterCharset(ReadToken(line, QLatin1Char('\t'), ConsumeDelimiter | StopAtControl));
    }
    if (!reference.isEmpty())
        r.UnitText += QLatin1Char('@') + reference;
    CopyReading(s.Readings[ch], r);
    for (const QString& remark : remarks)
        s.CurrentInfo = JoinRemark(s.CurrentInfo, remark);
    ctx.sink.PropagateReading(false);
    EndRecord(ctx);
    return true;
}
} // namespace

void TransferJ70xx(ParserContext& ctx)
{
    if (!ctx.offline) {
        QString reply;
        bool timedOut = false;
        RequestReply(ctx, QStringLiteral("F"), kFillReplyLength, reply, timedOut);
        if (!ctx.reader.CommConditiesOK())
            return;
        if (timedOut || !reply.startsWith(QLatin1String("<F")))
            ctx.sink.ShowWarning(ctx.state.DeviceName + QStringLiteral(" - ") + ctx.state.SerialPort,
                                 ctx.language[kCommErrorText]);
    }
    ShowTransferWarning(ctx);
    SendWithChecksum(ctx, QStringLiteral(">P"));
    SendEchoed(ctx, QStringLiteral(">L\r\n"));
    ReadLogRecords(ctx, 0, ParseJ70Record);
}
