#pragma once
// The meter side of a logger-memory print: the exact bytes each meter family
// prints for its memory (Latin-1, CR LF line ends, units in the meters' DOS
// code page), with plausible values (a slow sine with a little noise per
// channel, the same for the same seed). Record n is logged one interval after
// record n-1, starting at a fixed date.
//
// Alongside the bytes it tells what the program should show for every record,
// so that a print can be checked end to end.

#include <QByteArray>
#include <QList>
#include <QString>

// What the program shows for one channel of a logged record.
struct DumpValue {
    int channel = 0;
    QString value;  // "." as decimal point
    QString unit;
    QString extra;  // J70xx: the temperature with its unit
};

struct DumpRecord {
    int number = 0;   // the meter's record number: 1, 2, ...
    double time = 0;  // days since 1899-12-30
    QString info;     // the remark the record carries
    QList<DumpValue> values;
};

// One printed line; `record` is 0 for the banner, identification and header.
struct DumpLine {
    int record = 0;
    QByteArray bytes; // CR LF included
};

constexpr int kDumpIntervalSeconds = 60;
// The time of record 1: 28/02/2026 23:45:00 (the print crosses midnight after
// fifteen records).
double DumpStartTime();

// The records of a print of `records` records for `model` (a catalogue name;
// nothing for an unknown model). The P650 family's temperatures are given in
// "°C", the unit the meter is assumed to be set to.
QList<DumpRecord> LoggerRecords(const QString& model, int records, quint32 seed);
// The lines the meter prints for them, in order.
QList<DumpLine> LoggerDumpLines(const QString& model, int records, quint32 seed);
// The whole print as one block of bytes.
QByteArray LoggerDump(const QString& model, int records, quint32 seed);

// What the program sends to start the print: ">L" CR LF for the G40xx; for the
// J70xx the framed logger query "F", the framed ">P" and ">L" CR LF; "" for the
// families whose print the user starts on the meter.
QString DumpRequestCommand(const QString& model);
// The framed logger query the J70xx program sends first ("" for other models),
// and the meter's answer: "<F", the number of stored records as four digits,
// CR LF.
QByteArray DumpQuery(const QString& model);
QByteArray DumpQueryReply(const QString& model, int records);
