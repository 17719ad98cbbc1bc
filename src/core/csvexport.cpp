#include "core/csvexport.h"

#include "core/datetime.h"
#include "core/logtable.h"

#include <QDateTime>
#include <QIODevice>
#include <QRegularExpression>

namespace {
// Values keep the decimal comma of the locale they were logged in; a data
// tool wants the point.
QString PlainNumber(const QString& value)
{
    static const QRegularExpression commaNumber(QStringLiteral("^[-+]?\\d*,\\d+([eE][-+]?\\d+)?$"));
    if (value.contains(QLatin1Char(',')) && commaNumber.match(value).hasMatch())
        return QString(value).replace(QLatin1Char(','), QLatin1Char('.'));
    return value;
}
} // namespace

QByteArray CsvField(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

bool WriteCsv(const LogTable& table, QIODevice& out)
{
    QByteArray buffer;
    auto flush = [&](bool force) {
        if (!force && buffer.size() < (1 << 20))
            return true;
        const bool ok = out.write(buffer) == buffer.size();
        buffer.clear();
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
            buffer += FromDays(table.Time(r)).toString(Qt::ISODate).toLatin1();
        for (int c = 1; c <= table.Channels(); ++c) {
            const int v = table.ValueColumn(c);
            buffer += ',';
            buffer += CsvField(PlainNumber(table.CellText(r, v)));
            buffer += ',';
            buffer += CsvField(table.CellText(r, v + 1));
            if (table.Extras()) {
                buffer += ',';
                buffer += CsvField(PlainNumber(table.CellText(r, v + 2)));
                buffer += ',';
                buffer += CsvField(table.CellText(r, v + 3));
            }
        }
        buffer += ',';
        buffer += CsvField(table.Info(r));
        buffer += "\r\n";
        if (!flush(false))
            return false;
    }
    return flush(true);
}
