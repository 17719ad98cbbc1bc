#include "core/logging/csvexport.h"

#include "core/devices/units.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"

#include <QIODevice>
#include <QRegularExpression>

namespace {
constexpr qsizetype kFlushAt = 1 << 20;

// Values keep the decimal comma of the locale they were logged in; a data
// tool wants the point. A damaged value ("x6.54") is an empty cell: a data
// tool would read it as 0 or refuse the column.
QString PlainNumber(const QString& value)
{
    if (IsGarbledNumber(value))
        return QString();
    static const QRegularExpression commaNumber(QStringLiteral("^[-+]?\\d*,\\d+([eE][-+]?\\d+)?$"));
    if (value.contains(QLatin1Char(',')) && commaNumber.match(value).hasMatch())
        return QString(value).replace(QLatin1Char(','), QLatin1Char('.'));
    return value;
}

bool NeedsQuotes(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }
} // namespace

// One pass, without a copy for plain ASCII (nearly every field of a log).
void AppendCsvField(QByteArray& out, QStringView text)
{
    bool ascii = true, quote = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        ascii = ascii && u < 0x80;
        quote = quote || (u < 0x80 && NeedsQuotes(char(u)));
    }
    if (ascii && !quote) {
        const qsizetype at = out.size();
        out.resize(at + text.size());
        char* p = out.data() + at;
        for (QChar c : text)
            *p++ = char(c.unicode());
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    if (!quote) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
}

QByteArray CsvField(const QString& text)
{
    QByteArray out;
    AppendCsvField(out, text);
    return out;
}

bool WriteCsv(const LogTable& table, QIODevice& out)
{
    QByteArray buffer;
    buffer.reserve(kFlushAt + 64 * 1024);
    auto flush = [&](bool force) {
        if (!force && buffer.size() < kFlushAt)
            return true;
        const bool ok = out.write(buffer) == buffer.size();
        buffer.resize(0);
        return ok;
    };
    QList<QByteArray> header{"No", "Time"};
    for (int c = 1; c <= table.Channels(); ++c) {
        const QByteArray ch = "CH" + QByteArray::number(c);
        header << ch << ch + " unit";
        if (table.Extras())
            header << ch + " temperature" << ch + " temperature unit";
    }
    header << "Info";
    buffer += header.join(',') + "\r\n";
    for (int r = 0; r < table.Count(); ++r) {
        buffer += QByteArray::number(table.Number(r));
        buffer += ',';
        if (table.HasTime(r))
            AppendIsoDateTime(buffer, table.Time(r));
        for (int c = 1; c <= table.Channels(); ++c) {
            const int v = table.ValueColumn(c);
            buffer += ',';
            AppendCsvField(buffer, PlainNumber(table.CellText(r, v)));
            buffer += ',';
            AppendCsvField(buffer, table.CellText(r, v + 1));
            if (table.Extras()) {
                buffer += ',';
                AppendCsvField(buffer, PlainNumber(table.CellText(r, v + 2)));
                buffer += ',';
                AppendCsvField(buffer, table.CellText(r, v + 3));
            }
        }
        buffer += ',';
        AppendCsvField(buffer, table.Info(r));
        buffer += "\r\n";
        if (!flush(false))
            return false;
    }
    return flush(true);
}
