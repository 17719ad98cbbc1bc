#pragma once
// Reading values, units, temperatures and remarks out of printed lines into
// the channels' current readings. Shared by all family parsers.

#include <QString>

struct ChannelReading;
struct ParserContext;

// b when a is empty, else a + ", " + b.
QString JoinRemark(const QString& a, const QString& b);

// NormaliseUnit that adds the "relative mode" remark to CurrentInfo when the
// unit carried the meter's relative-mode mark.
QString NormaliseUnit(ParserContext& ctx, const QString& unit);

// The current time, one second later when it equals channel 1's last reading
// time and a reading has been logged (two logged readings never share a time).
// Whole seconds, as readings are stamped.
double TimestampNow(ParserContext& ctx);

// Value and unit of a field pair; exponent "E-" values get the unit "g/l".
void ParseValueUnit(ParserContext& ctx, ChannelReading& rec, QString& text, double t);
// Value with optional exponent and unit, scaled into the unit (K230 family).
void ParseValueUnitExp(ParserContext& ctx, ChannelReading& rec, QString& text, double t);
// Value, optional 4-character exponent and a one-character alarm flag.
void ParseValueAlarm(ParserContext& ctx, ChannelReading& rec, QString& text, double t, QString& alarm);

// The meter's identification number after IdMarker; "" without a marker.
// `text` loses everything up to the number's field when a number was found.
QString ExtractIdentification(ParserContext& ctx, QString& text);

// A temperature text for channel k: stored with "°C" when the channel is in
// use, the channel cleared otherwise; either way it counts as having a value.
void ApplyTemperature(ParserContext& ctx, int k, const QString& tmp, double t);

// Value and unit emptied and over-range false (time and has-value kept).
void ClearChannel(ChannelReading& rec);

// The remark field that ends a line (up to its CR), appended to CurrentInfo
// with "; " between remarks.
void AddLineRemark(ParserContext& ctx, QString& line);

// Waits for a whole line in `buffer` and takes it into `line`. False when the
// port closed or nothing complete arrived.
bool TakeNextLine(ParserContext& ctx, QString& buffer, QString& line);

// Waits until `buffer` holds the reply's closing text (EndString). A polled
// reply is waited for as a whole (waiting for CR LF while one is already
// buffered would spin); a printed line is given the reply's ending. False
// when the port closed.
bool WaitForReplyEnd(ParserContext& ctx, QString& buffer);

// Takes the buffer's first line (after WaitForReplyEnd) without the reply's
// closing text at its end, which is neither a value, a temperature nor part
// of a unit. A closing text on a line of its own, next in the buffer, goes
// too: it is no further reading. `replyEnded`, when given, tells whether the
// closing text was met (the line was the reply's last).
QString TakeReplyLine(ParserContext& ctx, QString& buffer, bool* replyEnded = nullptr);

// Counts a logged reading, records it, and empties the remark text.
void FinishReading(ParserContext& ctx);
