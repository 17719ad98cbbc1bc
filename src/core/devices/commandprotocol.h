#pragma once
// The checksummed command protocol of the J70xx and G40xx meters, and the
// device-settings read that tells which channels the meter has switched on.
//
// A command frame is the command text, one checksum character (the sum of the
// command's character codes modulo 256) and CR LF. A reply frame is "<", the
// command letter and raw data bytes, usually ending in CR LF.

#include <QString>
#include <array>

struct AppState;
struct ParserContext;

// The checksum character of `command`.
QChar CommandChecksum(const QString& command);
// command + checksum + CR LF.
QString CommandFrame(const QString& command);

// Empties the port's buffers and sends the frame of `command` (echoed to the
// terminal when echoing is on). Sending errors are ignored.
void SendWithChecksum(ParserContext& ctx, const QString& command);

// Sends ">" + command and reads until a reply of at least `minLength`
// characters starting with "<" + the command's first letter has arrived, or a
// 2-second read times out (`timedOut`). Text before the reply start is dropped.
void RequestReply(ParserContext& ctx, const QString& command, int minLength, QString& reply, bool& timedOut);

// Channel codes learned from the meter, 1..16 (0 = absent); kept between connections.
using ChannelCodes = std::array<quint8, 17>;

// The minimum settings-reply length of a J70xx model (0 for other models).
int J70SettingsLength(const QString& model);

// Reads the J70xx settings (three tries), showing its progress through
// ctx.sink (status texts, and the communication error warning when every try
// failed). On success fills `codes` and returns true; otherwise `codes` keeps
// its previous values.
bool ReadJ70Settings(ParserContext& ctx, ChannelCodes& codes, bool& timedOut);
// The G40xx settings read (one try); codes[2] tells whether the temperature
// channel is present (codes[1] is always set).
bool ReadG40Settings(ParserContext& ctx, ChannelCodes& codes, bool& timedOut);

// Channel codes out of a J70xx settings reply (no length check beyond what is needed).
ChannelCodes DecodeJ70Settings(const QString& model, const QString& reply);

// The channels a J70xx meter sends, as its settings report them present: those
// are in use and shown, the others not (ReceivedChannels, ActiveChannelCount
// follow). The J7050M sends its first channels in order, rH2 and power last,
// so it sends five when both of those are present.
void ApplyJ70Channels(AppState& s, const ChannelCodes& present);
