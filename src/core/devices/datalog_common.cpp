#include "core/devices/datalog.h"
#include "core/devices/datalog_common.h"

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/channelreaders.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/devices/readings.h"
#include "core/devices/tokenizer.h"
#include "core/help/languagetable.h"

#include <QDate>
#include <QRegularExpression>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
// Receive mode may be switched off without the port closing: look at it again
// at least this often while the meter is silent.
constexpr float kReadTimeoutSeconds = 1.0f;
constexpr int kReceiveOnText = 136;
constexpr int kWarningTexts[] = {293, 294, 295};
const QDate kEpoch(1899, 12, 30);

const QString kNumber = QStringLiteral(R"([+-]?(?:\d+\.?\d*|\.\d+))");

bool IsNumberRun(const QString& s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.'))
            return false;
    }
    return !s.isEmpty();
}

// The status text on one line.
QString OneLine(QString text)
{
    text.replace(kCrLf, QStringLiteral(" "));
    return text.simplified();
}
} // namespace

double ParseRecordDate(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('-'), QLatin1Char('/'));
    const QStringList parts = s.split(QLatin1Char('/'));
    if (parts.size() < 3)
        return 0;
    bool okDay = false, okMonth = false, okYear = false;
    const int day = TrimSpaces(parts[0]).toInt(&okDay);
    const int month = TrimSpaces(parts[1]).toInt(&okMonth);
    int year = TrimSpaces(parts[2]).toInt(&okYear);
    if (!okDay || !okMonth || !okYear)
        return 0;
    if (TrimSpaces(parts[2]).size() <= 2)
        year += year < 30 ? 2000 : 1900;
    const QDate date(year, month, day);
    return date.isValid() ? double(kEpoch.daysTo(date)) : 0;
}

double ParseRecordTime(double date, const QString& text, const QString& timeSeparator)
{
    const QString sep = timeSeparator.isEmpty() ? QStringLiteral(":") : timeSeparator;
    QString s = text;
    s.replace(QLatin1String(":"), sep);
    bool ok = false;
    const qsizetype first = s.indexOf(sep);
    if (first < 0)
        return date;
    const int hours = TrimSpaces(s.left(first)).toInt(&ok);
    if (!ok)
        return date;
    date += hours / 24.0;
    s.remove(0, first + sep.size());
    // "hh:mm" (no seconds) is a whole minute.
    const qsizetype second = s.indexOf(sep);
    const int minutes = TrimSpaces(second < 0 ? s : s.left(second)).toInt(&ok);
    if (!ok)
        return date;
    date += minutes / 1440.0;
    if (second < 0)
        return date;
    const int seconds = TrimSpaces(s.mid(second + sep.size(), 2)).toInt(&ok);
    if (!ok)
        return date;
    return date + seconds / kSecondsPerDay;
}

void ParseValueOnly(ParserContext& ctx, ChannelReading& rec, QString& text, double t)
{
    rec.ReadingTime = t;
    rec.ValueText = ReadNumber(text, StopAtControl);
    SkipField(text);
    const QString& marker = ctx.state.OverrangeMarker;
    rec.OverRange = !marker.isEmpty() && rec.ValueText.contains(marker);
    rec.HasValue = true;
}

bool RunTransfer(ParserContext& ctx)
{
    const auto family = ParserFamilyForModel(ctx.state.DeviceName);
    if (!family)
        return false;
    switch (*family) {
    case DeviceFamily::A100: TransferA100(ctx); break;
    case DeviceFamily::N500: TransferN500(ctx); break;
    case DeviceFamily::N335: TransferN335(ctx); break;
    case DeviceFamily::K230: TransferK230(ctx); break;
    case DeviceFamily::H260: TransferH260(ctx); break;
    case DeviceFamily::J70xx: TransferJ70xx(ctx); break;
    case DeviceFamily::G40xx: TransferG40xx(ctx); break;
    case DeviceFamily::P650: TransferP650(ctx); break;
    case DeviceFamily::P670: TransferP670(ctx); break;
    }
    return true;
}

namespace datalog {

bool NextLine(ParserContext& ctx, QString& buffer, QString& line)
{
    for (;;) {
        if (!ctx.state.ReceiveMode || !ctx.reader.CommConditiesOK())
            return false;
        line = TakeLine(buffer);
        if (!line.isEmpty())
            return true;
        float timeout = kReadTimeoutSeconds;
        ctx.reader.LeesLijnRs232(buffer, kCrLf, timeout);
    }
}

bool CleanLine(const QString& line, QString& body)
{
    qsizetype begin = 0, end = line.size();
    while (begin < end && line[begin].unicode() < 32)
        ++begin;
    while (end > begin && (line[end - 1] == QLatin1Char('\r') || line[end - 1] == QLatin1Char('\n')))
        --end;
    body = line.mid(begin, end - begin);
    for (QChar c : body) {
        const char16_t u = c.unicode();
        if ((u < 32 && u != 9) || u == 127)
            return false;
    }
    return true;
}

QStringList Fields(const QString& body)
{
    QStringList fields = body.split(QLatin1Char('\t'));
    for (QString& f : fields)
        f = TrimSpaces(f);
    return fields;
}

bool IsHeaderLine(const QString& body)
{
    return body.left(4).toLower() == QLatin1String("log#") && (body.size() == 4 || body[4] == QLatin1Char('\t'));
}

bool HeaderMatches(const QString& body, const QStringList& initials)
{
    const QStringList headings = Fields(body).mid(1);
    if (headings.size() < initials.size())
        return false;
    for (qsizetype i = 0; i < initials.size(); ++i)
        if (!headings[i].toLower().startsWith(initials[i]))
            return false;
    return true;
}

bool IsRecordNumber(const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^\d{1,9}$)"));
    return re.match(field).hasMatch();
}

bool IsDateField(const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^\d{1,2}([/-])\d{1,2}\1(\d{2}|\d{4})$)"));
    return re.match(field).hasMatch();
}

bool IsTimeField(const QString& field)
{
    static const QRegularExpression re(QStringLiteral(R"(^\d{1,2}:\d{1,2}(:\d{1,2})?$)"));
    return re.match(field).hasMatch();
}

bool IsValueField(const AppState& s, const QString& field, ValueShape shape)
{
    static const QRegularExpression plain(QStringLiteral("^") + kNumber + QStringLiteral("$"));
    static const QRegularExpression minusExp(QStringLiteral("^") + kNumber + QStringLiteral(R"((?:E-\d{1,3})?$)"));
    static const QRegularExpression anyExp(QStringLiteral("^") + kNumber + QStringLiteral(R"((?:E[+-]\d{1,3})?$)"));
    static const QRegularExpression alarm(QStringLiteral("^") + kNumber + QStringLiteral(R"((?:E[+-]\d\d)?[^0-9.+\-E\s]?$)"));
    const QRegularExpression* re = &plain;
    switch (shape) {
    case ValueShape::Plain: re = &plain; break;
    case ValueShape::MinusExponent: re = &minusExp; break;
    case ValueShape::Exponent: re = &anyExp; break;
    case ValueShape::ExponentAlarm: re = &alarm; break;
    }
    if (re->match(field).hasMatch())
        return true;
    // Over range: the marker in place of a value, an alarm flag may follow.
    QString run = field;
    if (shape == ValueShape::ExponentAlarm && !run.isEmpty() && !IsNumberRun(run.right(1)))
        run.chop(1);
    return IsNumberRun(run) && !s.OverrangeMarker.isEmpty() && run.contains(s.OverrangeMarker);
}

int CheckLogRecord(const AppState& s, const QStringList& f)
{
    if (f.size() < 5 || !f[0].startsWith(QLatin1String("LOG.")) || !IsRecordNumber(f[0].mid(4))
        || !IsDateField(f[1]) || !IsTimeField(f[2]) || !IsValueField(s, f[3], ValueShape::MinusExponent)
        || f[4].isEmpty())
        return -1;
    // A record that swallowed the next one (its line end lost) is damaged too.
    for (qsizetype i = 1; i < f.size(); ++i)
        if (f[i].contains(QLatin1String("LOG.")))
            return -1;
    // What follows the unit and starts like a number is the temperature: a
    // damaged one spoils the record rather than ending up as a remark.
    if (f.size() >= 6 && !f[5].isEmpty() && QStringLiteral("+-.0123456789").contains(f[5][0]))
        return (IsValueField(s, f[5], ValueShape::Plain) && f.size() >= 7 && !f[6].isEmpty()) ? 7 : -1;
    return 5;
}

bool RecordNumberInReach(ParserContext& ctx, int number)
{
    const qint64 last = qMax(0, ctx.state.LogCount);
    if (number <= last + kMaxRecordGap)
        return true;
    ctx.sink.TerminalNote(QStringLiteral("Log# %1 skipped: more than %2 records after Log# %3 (a damaged record number?)")
                              .arg(number)
                              .arg(kMaxRecordGap)
                              .arg(last));
    return false;
}

double RecordTime(const ParserContext& ctx, const QString& date, const QString& time)
{
    return ParseRecordTime(ParseRecordDate(date), time, ctx.state.TimeSeparator);
}

void EndRecord(ParserContext& ctx)
{
    ctx.state.CurrentInfo.clear();
    for (int ch = 1; ch <= kMaxChannels; ++ch)
        ctx.state.Readings[ch].HasValue = false;
}

void CopyReading(ChannelReading& dst, const ChannelReading& src)
{
    dst.ReadingTime = src.ReadingTime;
    dst.ValueText = src.ValueText;
    dst.UnitText = src.UnitText;
    dst.ExtraText = src.ExtraText;
    dst.OverRange = src.OverRange;
    dst.HasValue = src.HasValue;
}

bool GrowingRecord::Begin(ParserContext& ctx, int number)
{
    const bool continues = number == number_;
    if (continues) {
        for (int ch = 1; ch <= kMaxChannels; ++ch)
            CopyReading(ctx.state.Readings[ch], saved_[ch]);
        ctx.state.CurrentInfo = info_;
    }
    number_ = number;
    return continues;
}

void GrowingRecord::Record(ParserContext& ctx, bool replace)
{
    for (int ch = 1; ch <= kMaxChannels; ++ch)
        CopyReading(saved_[ch], ctx.state.Readings[ch]);
    info_ = ctx.state.CurrentInfo;
    ctx.state.LogCount = number_;
    ctx.sink.PropagateReading(replace);
    EndRecord(ctx);
}

void ReadRecordPrint(ParserContext& ctx, const RecordPrint& print)
{
    AppState& s = ctx.state;
    ClearReadings(s);
    s.CurrentInfo.clear();
    s.LogCount = -1;
    QString buffer, line, body;
    while (NextLine(ctx, buffer, line)) {
        if (line.size() < 8 || !CleanLine(line, body))
            continue;
        if (IsHeaderLine(body)) {
            if (HeaderMatches(body, print.headings)) {
                s.LogCount = 0;
                if (print.restart)
                    print.restart();
            } else {
                // Most likely another model's print: say why nothing comes of it.
                ctx.sink.TerminalNote(
                    QStringLiteral("\"log#\" line skipped: its headings are not those of model %1").arg(s.DeviceName));
            }
            continue;
        }
        if (print.identification && !s.IdMarker.isEmpty() && body.contains(s.IdMarker)) {
            s.IdentificationNumber = ExtractIdentification(ctx, body);
            continue;
        }
        if (s.LogCount >= 0 && !print.record(ctx, body))
            EndRecord(ctx); // a rejected line leaves nothing half-parsed behind
    }
}

void ReadLogRecords(ParserContext& ctx, int waitMs,
                    const std::function<bool(ParserContext&, const QString& body)>& record)
{
    ClearReadings(ctx.state);
    ctx.state.CurrentInfo.clear();
    QString buffer, line, body;
    while (NextLine(ctx, buffer, line)) {
        if (line.size() < 8 || !CleanLine(line, body) || !body.startsWith(QLatin1String("LOG.")))
            continue;
        if (!record(ctx, body)) {
            EndRecord(ctx);
            continue;
        }
        if (waitMs > 0)
            ctx.reader.WaitMilliseconds(waitMs);
    }
}

void ShowTransferWarning(ParserContext& ctx)
{
    QString text;
    for (int n : kWarningTexts)
        text += ctx.language[n];
    ctx.sink.ShowWarning(ctx.state.DeviceName + QStringLiteral(" - ") + ctx.state.SerialPort, text);
    ctx.sink.ShowStatus(ctx.language[kReceiveOnText] + OneLine(ctx.language[kWarningTexts[1]]));
}

void SendEchoed(ParserContext& ctx, const QString& text)
{
    ctx.reader.Write(text.toLatin1());
    if (ctx.state.EchoCommands)
        ctx.reader.EchoSent(text);
}

} // namespace datalog
