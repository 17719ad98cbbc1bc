#pragma once
// The logged records as CSV (RFC 4180), text for text, as earlier versions
// exported them (vam-cli export --raw): a header row, then per record its
// number, ISO 8601 time, one value/unit column pair per channel as the meter
// printed them (the J70xx family adds a temperature pair), and the info text;
// the stop record is a row too. Text is UTF-8, lines end in CR LF. A value
// that is no number ("x6.54", from a damaged file) is an empty cell. The
// export for data tools, numbers in one unit, is numericexport.h.

#include <QByteArray>
#include <QString>
#include <QStringView>

class LogTable;
class QIODevice;

// A field quoted when it holds a comma, a quote or a line break.
QByteArray CsvField(const QString& text);
// The same field appended to `out`, without a copy for plain ASCII.
void AppendCsvField(QByteArray& out, QStringView text);
// Writes every reading row; false when the device refused the bytes.
bool WriteCsv(const LogTable& table, QIODevice& out);
