#pragma once
// The logged readings as CSV (RFC 4180) for spreadsheets and data tools:
// a header row, then per reading its number, ISO 8601 time, one value/unit
// column pair per channel (the J70xx family adds a temperature pair), and
// the info text. Text is UTF-8, lines end in CR LF. A value that is no
// number ("x6.54", from a damaged file) is an empty cell.

#include <QByteArray>
#include <QString>

class LogTable;
class QIODevice;

// A field quoted when it holds a comma, a quote or a line break.
QByteArray CsvField(const QString& text);
// Writes every reading row; false when the device refused the bytes.
bool WriteCsv(const LogTable& table, QIODevice& out);
