#include "core/devices/commandprotocol.h"
#include "support/parserharness.h"

#include <gtest/gtest.h>

namespace {
class ProtocolSink : public RecordingSink {
public:
    using RecordingSink::RecordingSink;
    void ShowStatus(const QString& text) override { statuses << text; }
    void ShowWarning(const QString& title, const QString& text) override { warnings << title + QStringLiteral(" | ") + text; }
    QStringList statuses, warnings;
};

struct ProtocolRun {
    explicit ProtocolRun(const QString& model) : run(model) { run.state.SerialPort = QStringLiteral("COM3"); }
    ParserRun run;
    ProtocolSink sink{run.state};
    ParserContext ctx{run.state, run.language, run.reader, sink};
};

// A settings reply "<S" + data of `length` characters in all, channel codes
// at positions 10.. as given, the rest filled with "A".
QString SettingsReply(int length, const QList<int>& codes, bool crlf = true)
{
    QString r = QStringLiteral("<S");
    while (r.size() < length)
        r += QLatin1Char('A');
    for (int i = 0; i < codes.size(); ++i)
        r[9 + i] = QChar(char16_t(codes[i]));
    if (crlf) {
        r[length - 2] = QLatin1Char('\r');
        r[length - 1] = QLatin1Char('\n');
    }
    return r;
}

// A J7050 reply of `length` with bit 7 in byte 40 and bit 5 in byte 41
// (1-based): which of the two is read tells where the flag byte was looked for.
QString J7050Flags(int length)
{
    return SettingsReply(length, {1, 1, 1}).replace(39, 1, QChar(0x80)).replace(40, 1, QChar(0x20));
}
} // namespace

TEST(CommandProtocol, Framing)
{
    EXPECT_EQ(CommandChecksum(QStringLiteral(">S")).unicode(), 145);
    EXPECT_EQ(CommandFrame(QStringLiteral(">S")), QStringLiteral(">S") + QChar(145) + QStringLiteral("\r\n"));
    EXPECT_EQ(CommandChecksum(QString(24, QChar(0))).unicode(), 0) << "the wake-up burst's checksum is NUL";
    EXPECT_EQ(CommandChecksum(QString::fromLatin1("\xff\xff")).unicode(), 0xFE) << "sum modulo 256";

    ProtocolRun p(QStringLiteral("J7010"));
    SendWithChecksum(p.ctx, QStringLiteral(">L"));
    EXPECT_EQ(p.run.reader.Written(), QByteArray(">L") + char(0x8A) + "\r\n");
    EXPECT_EQ(p.run.reader.Clears(), 1);
    EXPECT_EQ(p.run.reader.Echoed(), QStringLiteral(">L") + QChar(0x8A) + QStringLiteral("\r\n"));
}

TEST(CommandProtocol, J70SettingsRead)
{
    const struct {
        const char* name;
        const char* model;
        QStringList chunks;
        bool ok;
        QList<int> codes; // channels 1.. when ok
    } cases[] = {
        {"J7060 complete", "J7060", {SettingsReply(50, {1, 2, 0, 4, 5, 0, 7, 8})}, true, {1, 2, 0, 4, 5, 0, 7, 8}},
        {"J7060 one short", "J7060", {SettingsReply(49, {1, 2, 0, 4, 5, 0, 7, 8})}, false, {}},
        {"noise before the reply", "J7010", {QStringLiteral("xx") + SettingsReply(38, {3, 0})}, true, {3, 0}},
        {"reply in pieces with CR LF inside", "J7040",
         {SettingsReply(46, {1, 13, 10, 0, 1, 1}).left(13), SettingsReply(46, {1, 13, 10, 0, 1, 1}).mid(13)}, true,
         {1, 13, 10, 0, 1, 1}},
        {"J7050 flag byte bit 7", "J7050", {SettingsReply(42, {1, 1, 1}).replace(39, 1, QChar(0x80))}, true, {1, 1, 1, 8, 0}},
        {"J7050M flags after a longer reply", "J7050M",
         {SettingsReply(48, {1, 0, 1, 1, 1}).replace(44, 1, QChar(0xA0))}, true, {1, 0, 1, 1, 1, 8, 9}},
        // The flag byte moves one on only from two characters past the minimum
        // with CR LF; byte 40 says channel 4, byte 41 channel 5.
        {"J7050 one longer: flags stay", "J7050", {J7050Flags(43)}, true, {1, 1, 1, 8, 0}},
        {"J7050 two longer: flags move", "J7050", {J7050Flags(44)}, true, {1, 1, 1, 0, 9}},
        {"wrong letter", "J7010", {SettingsReply(38, {1, 1}).replace(1, 1, QLatin1Char('T'))}, false, {}},
        {"silence", "J7010", {}, false, {}},
        {"garbage", "J7020", {QString::fromLatin1("\x00\xff<<S\r\n"), QString(200, QLatin1Char('z'))}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProtocolRun p(QString::fromLatin1(c.model));
        p.run.state.DeviceName = QString::fromLatin1(c.model);
        for (const QString& chunk : c.chunks)
            p.run.reader.Append(chunk);
        ChannelCodes codes{};
        codes[1] = 77; // kept when the read fails
        bool timedOut = false;
        const bool ok = ReadJ70Settings(p.ctx, codes, timedOut);
        EXPECT_EQ(ok, c.ok);
        EXPECT_TRUE(p.run.reader.Written().startsWith(QByteArray(">S") + char(145) + "\r\n"));
        if (ok) {
            for (int i = 0; i < c.codes.size(); ++i)
                EXPECT_EQ(codes[size_t(i + 1)], c.codes[i]) << "channel " << i + 1;
            EXPECT_EQ(p.sink.statuses.last(), QStringLiteral("Device settings: Read successfully"));
            EXPECT_TRUE(p.sink.warnings.isEmpty());
        } else {
            EXPECT_EQ(codes[1], 77);
            EXPECT_EQ(p.sink.statuses.last(), QStringLiteral("Error while reading the Device settings"));
            ASSERT_EQ(p.sink.warnings.size(), 1);
            EXPECT_TRUE(p.sink.warnings[0].startsWith(QString::fromLatin1(c.model) + QStringLiteral(" - COM3 | An error occurred while communicating")));
        }
    }
}

TEST(CommandProtocol, SettingsReadRetriesThenSucceeds)
{
    ProtocolRun p(QStringLiteral("J7010"));
    p.run.reader.Append(QStringLiteral("<S short\r\n"));
    p.run.reader.Append(SettingsReply(38, {0, 5}), 2.5); // after the first try timed out
    ChannelCodes codes{};
    bool timedOut = true;
    EXPECT_TRUE(ReadJ70Settings(p.ctx, codes, timedOut));
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(codes[1], 0);
    EXPECT_EQ(codes[2], 5);
    EXPECT_EQ(p.run.reader.Written().count(">S"), 2);
}

TEST(CommandProtocol, G40SettingsRead)
{
    for (int present : {0, 1}) {
        ProtocolRun p(QStringLiteral("G4020"));
        QString reply = SettingsReply(34, {});
        reply[8] = QChar(char16_t(present));
        p.run.reader.Append(reply);
        ChannelCodes codes{};
        bool timedOut = false;
        ASSERT_TRUE(ReadG40Settings(p.ctx, codes, timedOut));
        EXPECT_EQ(codes[1], 1);
        EXPECT_EQ(codes[2], present);
    }
    ProtocolRun p(QStringLiteral("G4010"));
    p.run.reader.Append(SettingsReply(33, {}));
    ChannelCodes codes{};
    bool timedOut = false;
    EXPECT_FALSE(ReadG40Settings(p.ctx, codes, timedOut));
    EXPECT_EQ(p.sink.warnings.size(), 1) << "one try, then the message";
    EXPECT_EQ(p.run.reader.Written().count(">S"), 1);
}
