#pragma once
// The logger-memory readers ("Receive"): the meter prints the records of its
// logger memory, each with its own record number, date and time, and every
// record becomes one recorded reading stamped with the record's own time.
//
// Every reader pulls lines through ctx.reader and records each complete record
// with ctx.sink.PropagateReading. It returns when the port closes or
// ctx.state.ReceiveMode is switched off; records already recorded stay. Lines
// that are neither a header nor a well-formed record are skipped silently.

#include <QString>

struct ChannelReading;
struct ParserContext;

void TransferG40xx(ParserContext& ctx);
void TransferJ70xx(ParserContext& ctx);
void TransferA100(ParserContext& ctx);
void TransferH260(ParserContext& ctx);
void TransferK230(ParserContext& ctx);
void TransferN500(ParserContext& ctx);
void TransferP650(ParserContext& ctx);
void TransferP670(ParserContext& ctx);
void TransferN335(ParserContext& ctx);

// Runs the logger reader of ctx.state.DeviceName (exact model name). Returns
// false, reading nothing, when the model has none.
bool RunTransfer(ParserContext& ctx);

// Day, month and year separated by "/" or "-"; a two-digit year is 2000-2029
// for 00-29 and 1930-1999 for 30-99. Days since 1899-12-30; 0 when the text
// holds no two separators or is no date.
double ParseRecordDate(const QString& text);
// `date` plus the hours, minutes and seconds of `text` ("hh:mm:ss", or "hh:mm"
// for a whole minute; ":" stands for `timeSeparator`). A part that does not
// convert ends the sum: the date is kept as far as it was built.
double ParseRecordTime(double date, const QString& text, const QString& timeSeparator);

// A bare value field (no unit): Time := t, Value := the number, the field
// dropped, over-range tested, has-value set (also when no number was there).
void ParseValueOnly(ParserContext& ctx, ChannelReading& rec, QString& text, double t);
