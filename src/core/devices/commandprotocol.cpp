#include "core/devices/commandprotocol.h"

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/devices/linereader.h"
#include "core/devices/parsercontext.h"
#include "core/help/languagetable.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");
constexpr int kReadSettingsText = 290;
constexpr int kReadSuccessText = 291;
constexpr int kReadErrorText = 292;
constexpr int kCommErrorText = 299;
constexpr int kG40SettingsLength = 34;

quint8 Code(const QString& reply, int position1) // 1-based position, 0 past the end
{
    return (position1 >= 1 && position1 <= reply.size()) ? quint8(reply[position1 - 1].unicode() & 0xFF) : 0;
}

bool IsJ7050Pair(const QString& model) { return model == QLatin1String("J7050") || model == QLatin1String("J7050M"); }

int ModelChannelCount(const QString& model, int fallback)
{
    const CatalogueModel* m = FindModel(model);
    return m ? m->channelCount : fallback;
}

void ReportFailure(ParserContext& ctx)
{
    ctx.sink.ShowWarning(ctx.state.DeviceName + QStringLiteral(" - ") + ctx.state.SerialPort, ctx.language[kCommErrorText]);
}

bool IsSettingsReply(const QString& reply, int minLength, bool timedOut)
{
    return !timedOut && reply.startsWith(QLatin1String("<S")) && reply.size() >= minLength;
}
} // namespace

QChar CommandChecksum(const QString& command)
{
    unsigned sum = 0;
    for (QChar c : command)
        sum += c.unicode() & 0xFF;
    return QChar(char16_t(sum & 0xFF));
}

QString CommandFrame(const QString& command) { return command + CommandChecksum(command) + kCrLf; }

void SendWithChecksum(ParserContext& ctx, const QString& command)
{
    ctx.reader.ClearBuffers();
    const QString frame = CommandFrame(command);
    ctx.reader.Write(frame.toLatin1());
    if (ctx.state.EchoCommands)
        ctx.reader.EchoSent(frame);
}

void RequestReply(ParserContext& ctx, const QString& command, int minLength, QString& reply, bool& timedOut)
{
    ctx.reader.WaitMilliseconds(250);
    SendWithChecksum(ctx, QStringLiteral(">") + command);
    const QString expected = QStringLiteral("<") + command.left(1);
    timedOut = false;
    for (;;) {
        // Each read waits for new text: the binary reply may hold CR LF early,
        // and re-testing the old text would return at once without waiting.
        QString more;
        float timeout = 2.0f;
        ctx.reader.LeesLijnRs232_J70xx(more, kCrLf, timeout);
        reply += more;
        timedOut = timeout < 0;
        const qsizetype start = reply.indexOf(expected);
        if (start > 0)
            reply.remove(0, start); // an echo or noise in front of the reply
        if ((reply.size() >= minLength && start >= 0) || timedOut)
            return;
        if (!ctx.reader.CommConditiesOK()) {
            timedOut = true; // the port closed: no reply will come
            return;
        }
    }
}

int J70SettingsLength(const QString& model)
{
    static const struct { const char* model; int length; } kLengths[] = {
        {"J7010", 38}, {"J7020", 38}, {"J7030", 38}, {"J7410", 38}, {"J7420", 38}, {"J7430", 38},
        {"J7040", 46}, {"J7050M", 46}, {"J7050", 42}, {"J7060", 50},
    };
    for (const auto& l : kLengths)
        if (model == QLatin1String(l.model))
            return l.length;
    return 0;
}

ChannelCodes DecodeJ70Settings(const QString& model, const QString& reply)
{
    ChannelCodes codes{};
    int n = ModelChannelCount(model, 2);
    const bool pair = IsJ7050Pair(model);
    if (pair)
        n -= 2;
    for (int i = 1; i <= n && i <= kMaxChannels; ++i)
        codes[size_t(i)] = Code(reply, 9 + i);
    if (pair) {
        // The last two channels (rH2 and the power channel) share one flag byte.
        n += 2;
        int length = J70SettingsLength(model);
        if (reply.size() >= length + 2 && reply.endsWith(kCrLf))
            ++length;
        const quint8 flags = Code(reply, length - 2);
        codes[size_t(n - 1)] = (flags & 0x80) ? 8 : 0;
        codes[size_t(n)] = (flags & 0x20) ? 9 : 0;
    }
    return codes;
}

bool ReadJ70Settings(ParserContext& ctx, ChannelCodes& codes, bool& timedOut)
{
    AppState& s = ctx.state;
    SelectDeviceFamily(s, s.DeviceName);
    int minLength = J70SettingsLength(s.DeviceName);
    if (minLength == 0)
        minLength = 34 + 2 * s.ChannelCount; // a device that names itself like the family
    ctx.sink.ShowStatus(ctx.language[kReadSettingsText]);
    for (int tries = 3; tries > 0;) {
        QString reply;
        RequestReply(ctx, QStringLiteral("S"), minLength, reply, timedOut);
        if (IsSettingsReply(reply, minLength, timedOut)) {
            ctx.sink.ShowStatus(ctx.language[kReadSuccessText]);
            codes = DecodeJ70Settings(s.DeviceName, reply);
            return true;
        }
        ctx.sink.ShowStatus(ctx.language[kReadErrorText]);
        if (--tries == 0)
            ReportFailure(ctx);
    }
    return false;
}

bool ReadG40Settings(ParserContext& ctx, ChannelCodes& codes, bool& timedOut)
{
    ctx.sink.ShowStatus(ctx.language[kReadSettingsText]);
    QString reply;
    RequestReply(ctx, QStringLiteral("S"), kG40SettingsLength, reply, timedOut);
    if (!IsSettingsReply(reply, kG40SettingsLength, timedOut)) {
        ctx.sink.ShowStatus(ctx.language[kReadErrorText]);
        ReportFailure(ctx);
        return false;
    }
    ctx.sink.ShowStatus(ctx.language[kReadSuccessText]);
    codes[1] = 1;
    codes[2] = Code(reply, 9);
    return true;
}

void ApplyJ70Channels(AppState& s, const ChannelCodes& present)
{
    const int n = qMin<int>(s.ChannelCount, kMaxChannels);
    auto setChannel = [&](int ch, bool on) {
        if (size_t(ch) < s.Channels.size())
            s.Channel(ch).Use = s.Channel(ch).Value = on;
    };
    if (s.DeviceName == QLatin1String("J7050M")) {
        if (present[7])
            s.ReceivedChannels = present[6] ? 5 : 4;
        else if (present[6])
            s.ReceivedChannels = 4;
        else
            s.ReceivedChannels = qint16((present[1] ? 1 : 0) + (present[2] ? 1 : 0) + (present[3] ? 1 : 0));
        for (int ch = 1; ch <= n; ++ch)
            setChannel(ch, ch <= s.ReceivedChannels);
    } else {
        s.ReceivedChannels = 0;
        for (int ch = 1; ch <= n; ++ch) {
            const bool on = present[size_t(ch)] != 0;
            s.ReceivedChannels += on ? 1 : 0;
            setChannel(ch, on);
        }
    }
    s.ActiveChannelCount = 0;
    for (int ch = 1; ch <= n; ++ch)
        s.ActiveChannelCount += s.ChannelInUse(ch) ? 1 : 0;
}
