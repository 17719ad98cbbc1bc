#pragma once
// What the logger readers share: pulling lines, recognising well-formed
// records, stamping and finishing a record, and the two reading loops (the
// "LOG." records of the G40xx and J70xx, and the header-started prints of the
// record-number families).
//
// A record is checked field by field before it is parsed: a memory print is
// long and a serial line drops and garbles characters, and a damaged record
// must be skipped rather than recorded with a wrong value.

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "core/model/appstate.h"

struct ParserContext;

namespace datalog {

// Pulls the next complete line (CR LF included) into `line`. False when the
// transfer must end: the port closed or receive mode was switched off.
bool NextLine(ParserContext& ctx, QString& buffer, QString& line);

// The line without leading control characters (line noise, NUL bytes) and
// without its line end. False when a control character other than TAB is
// left inside: the line was damaged in transit.
bool CleanLine(const QString& line, QString& body);

// The TAB-separated fields of a line, surrounding spaces trimmed.
QStringList Fields(const QString& body);

// "log#" in any case, then a TAB or nothing: the header of a memory print.
bool IsHeaderLine(const QString& body);
// The header's headings begin, in order and compared in lower case, with
// `initials` (further headings may follow).
bool HeaderMatches(const QString& body, const QStringList& initials);

bool IsRecordNumber(const QString& field); // digits only
bool IsDateField(const QString& field);    // day, month, year with "/" or "-"
bool IsTimeField(const QString& field);    // hours:minutes[:seconds]

// What may follow the number in a value field, as the channel readers read it.
enum class ValueShape {
    Plain,         // the number only
    MinusExponent, // an optional "E-nn" (the "g/l" exponent of ParseValueUnit)
    Exponent,      // an optional "E+nn" or "E-nn"
    ExponentAlarm, // an optional "E+nn"/"E-nn", then an optional one-character alarm flag
};
// A number of the given shape, or a run of number characters holding the
// over-range marker (the meter prints that in place of a value).
bool IsValueField(const AppState& s, const QString& field, ValueShape shape);

// The fields of a "LOG." record (G40xx, J70xx): "LOG.<n>", date, time,
// value, unit, then optionally a temperature and its unit (a field there that
// starts like a number must be one). Returns the index
// of the first field after these (5 without, 7 with a temperature), or -1
// when the record is damaged.
int CheckLogRecord(const AppState& s, const QStringList& f);

// Record numbers may run ahead of the last record's by this much: the table
// holds a row for every number up to the highest, so one damaged number
// ("999999999") must not make it grow by a billion rows.
constexpr int kMaxRecordGap = 10000;
// True when record `number` may be recorded after the last one (LogCount);
// otherwise says in the terminal that the record is skipped.
bool RecordNumberInReach(ParserContext& ctx, int number);

// The record's time stamp from its date and time fields.
double RecordTime(const ParserContext& ctx, const QString& date, const QString& time);

// Clears what one record leaves behind: the remark and every channel's
// has-value flag (values and units stay for the next record to overwrite).
void EndRecord(ParserContext& ctx);

// The reading fields of a channel (not its alarm settings).
void CopyReading(ChannelReading& dst, const ChannelReading& src);

// A record printed as several lines that share one record number. The first
// line is recorded as a new reading; every further line adds its channels to
// the ones gathered so far and replaces that reading.
class GrowingRecord {
public:
    // Before a line of record `number` is parsed: puts the channels gathered
    // so far back when the line continues the record. Returns true then.
    bool Begin(ParserContext& ctx, int number);
    // After the line is parsed: keeps its channels and records the reading
    // (`replace`: as Begin returned).
    void Record(ParserContext& ctx, bool replace);
    // A new memory print starts: the next line begins a record.
    void Restart() { number_ = -1; }

private:
    int number_ = -1;
    std::array<ChannelReading, kMaxChannels + 1> saved_{};
    QString info_;
};

// A family whose memory print starts with a "log#" header.
struct RecordPrint {
    QStringList headings;         // initials the header's headings must begin with
    bool identification = false;  // lines holding IdMarker set IdentificationNumber
    // One cleaned line once a header started the print; false when it is no
    // well-formed record (it is then skipped).
    std::function<bool(ParserContext&, const QString& body)> record;
    std::function<void()> restart; // called when a matching header is seen
};
// LogCount is -1 until a matching header sets it to 0; lines before that are
// ignored, and the records set it to their own numbers.
void ReadRecordPrint(ParserContext& ctx, const RecordPrint& print);

// The "LOG." records of the G40xx and J70xx: `record` gets each cleaned line
// that begins with "LOG." and returns whether it was recorded; the reader then
// waits `waitMs` milliseconds.
void ReadLogRecords(ParserContext& ctx, int waitMs, const std::function<bool(ParserContext&, const QString& body)>& record);

// The warning that the transfer must be left to finish, and the matching
// status text.
void ShowTransferWarning(ParserContext& ctx);
// Sends `text` to the meter, echoed to the terminal when echoing is on.
void SendEchoed(ParserContext& ctx, const QString& text);

} // namespace datalog
