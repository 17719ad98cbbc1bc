// Offline decoding of a captured print: every reading once in its final form,
// the usual channel set-up when none is named, and a reason when nothing
// could be decoded.

#include "support/parserharness.h"

#include "core/devices/commandprotocol.h"
#include "core/devices/datalog.h"
#include "loggerdump.h"
#include "readingformats.h"

#include <gtest/gtest.h>

namespace {
// What a decode run hands on: each final reading as "channel value unit" items.
class FinalSink : public ReadingSink {
public:
    explicit FinalSink(const AppState& s) : state_(s) {}
    void PropagateReading(bool replace) override { final_.Record(state_, replace); }
    void TerminalNote(const QString& text) override { notes << text; }
    QList<QStringList> readings;
    QStringList notes;
    FinalReadings final_{[this](const QList<DecodedValue>& values) {
        QStringList items;
        for (const DecodedValue& v : values) {
            EXPECT_EQ(v.reading, readings.size() + 1);
            items << QStringLiteral("%1 %2 %3").arg(v.channel).arg(v.value, v.unit);
        }
        readings << items;
    }};

private:
    const AppState& state_;
};

struct Decode {
    explicit Decode(const QString& model, bool datalog)
    {
        ApplyDevice(state, model, kTestNow);
        state.DeviceName = model;
        state.DeviceUnit = QStringLiteral("\u00B0C");
        state.ReceiveMode = datalog;
        ctx.clock = [this] { return kTestNow + reader.Now() / kSecondsPerDay; };
        ctx.offline = true;
    }
    Decode& Run(const QByteArray& capture)
    {
        reader.AppendLines(QString::fromLatin1(capture));
        if (state.ReceiveMode)
            RunTransfer(ctx);
        else
            RunReceiveCycles(ctx, reader);
        sink.final_.Finish();
        return *this;
    }
    AppState state;
    LanguageTable language;
    ScriptedLineReader reader;
    FinalSink sink{state};
    ParserContext ctx{state, language, reader, sink};
};

QStringList Items(const QList<DumpValue>& values)
{
    QStringList items;
    for (const DumpValue& v : values)
        items << QStringLiteral("%1 %2 %3").arg(v.channel).arg(v.value, v.unit);
    return items;
}

std::string Text(const QList<QStringList>& readings)
{
    QStringList lines;
    for (const QStringList& r : readings)
        lines << r.join(QLatin1String(", "));
    return lines.join(QLatin1Char('\n')).toStdString();
}
} // namespace

TEST(DecodeCapture, LoggerRecordsArePrintedOnceInTheirFinalForm)
{
    // One line per record, one line per channel (H261), eight channels a line
    // (P671), one record per channel reading, naming any channel (J7050M).
    for (const char* name : {"K231", "H261", "H268", "P671", "P6720", "J7050M"}) {
        SCOPED_TRACE(name);
        const QString model = QString::fromLatin1(name);
        Decode d(model, true);
        UseUsualChannels(d.state, true);
        d.Run(LoggerDump(model, 500, 6));
        QList<QStringList> expected;
        for (const DumpRecord& r : LoggerRecords(model, 500, 6))
            expected << Items(r.values);
        EXPECT_EQ(d.sink.final_.Count(), 500);
        EXPECT_EQ(Text(d.sink.readings), Text(expected));
    }
}

TEST(DecodeCapture, FinalReadingsCountEveryReadingOnce)
{
    AppState s;
    ApplyDevice(s, QStringLiteral("H261"), kTestNow);
    QList<QList<DecodedValue>> handed;
    FinalReadings final([&handed](const QList<DecodedValue>& v) { handed << v; });
    auto record = [&](const char* value, bool replace) {
        s.Readings[1].ValueText = QString::fromLatin1(value);
        s.Readings[1].HasValue = true;
        final.Record(s, replace);
    };
    record("1", false);
    record("1a", true);
    record("1b", true);
    EXPECT_TRUE(handed.isEmpty()); // the reading may still grow
    record("2", false);
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(handed[0][0].value, QStringLiteral("1b"));
    final.Finish();
    final.Finish(); // nothing more to hand on
    ASSERT_EQ(handed.size(), 2);
    EXPECT_EQ(handed[1][0].value, QStringLiteral("2"));
    EXPECT_EQ(handed[1][0].reading, 2);
    EXPECT_EQ(final.Count(), 2);
}

TEST(DecodeCapture, J70xxChannelsAsTheSettingsReportThem)
{
    const struct {
        const char* model;
        QList<int> present;
        QList<int> inUse;
    } cases[] = {
        {"J7050M", {1, 2, 3, 4, 5, 6, 7}, {1, 2, 3, 4, 5}}, // rH2 and power present: five sent
        {"J7050M", {1, 2, 3, 7}, {1, 2, 3, 4}},
        {"J7050M", {1, 2, 3, 6}, {1, 2, 3, 4}},
        {"J7050M", {1, 3}, {1, 2}},
        {"J7040", {1, 3, 6}, {1, 3, 6}},
        {"J7010", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        AppState s;
        ApplyDevice(s, QString::fromLatin1(c.model), kTestNow);
        s.DeviceName = QString::fromLatin1(c.model);
        ChannelCodes present{};
        for (int ch : c.present)
            present[size_t(ch)] = 9;
        ApplyJ70Channels(s, present);
        QList<int> inUse;
        for (int ch = 1; ch <= s.ChannelCount; ++ch) {
            if (s.ChannelInUse(ch)) {
                inUse << ch;
                EXPECT_TRUE(s.Channel(ch).Value);
            }
        }
        EXPECT_EQ(inUse, c.inUse);
        EXPECT_EQ(s.ActiveChannelCount, c.inUse.size());
        EXPECT_EQ(s.ReceivedChannels, c.inUse.size());
    }
}

TEST(DecodeCapture, UsualChannelsDecodeWhatTheMeterPrints)
{
    for (const char* name : {"J7050M", "J7040", "K233"}) {
        SCOPED_TRACE(name);
        const QString model = QString::fromLatin1(name);
        Decode d(model, false);
        UseUsualChannels(d.state, false);
        QByteArray capture;
        QList<QStringList> expected;
        for (int i = 0; i < 4; ++i) {
            const SimReading r = MakeReading(model, i, 2, false);
            capture += r.text;
            for (const SimRecord& rec : r.records) {
                QStringList items;
                for (const SimValue& v : rec)
                    items << QStringLiteral("%1 %2 %3").arg(v.channel).arg(v.value, v.unit);
                expected << items;
            }
        }
        d.Run(capture);
        EXPECT_EQ(Text(d.sink.readings), Text(expected));
    }
}

TEST(DecodeCapture, NothingDecodedSaysWhy)
{
    const QByteArray k231Print = LoggerDump(QStringLiteral("K231"), 3, 1);
    const QByteArray k231Header = "Log#\tValue\tUnit\tCelsius\tComment\tHour\tDate\r\n";
    const struct {
        const char* name;
        const char* model;
        bool datalog;
        QByteArray capture;
        const char* reason;
        const char* note;
    } cases[] = {
        {"live, wrong model", "A101", false, ReadingLines(QStringLiteral("K231"), 0, 1, false),
         "no line has the layout of model A101", ""},
        {"live, empty capture", "K231", false, "", "no line has the layout of model K231", ""},
        {"print without a header", "K231", true, "1\t7.01\tpH\t25.0\t\t10:00:00\t01/03/26\r\n",
         "no logger header (a \"log#\" line with the headings of model K231) was seen", ""},
        {"another model's print", "A101", true, k231Print,
         "no logger header (a \"log#\" line with the headings of model A101) was seen",
         "\"log#\" line skipped: its headings are not those of model A101"},
        {"header, then no record", "K231", true, k231Header + "1\t7.01\tpH\r\n",
         "a logger header was seen, but no line after it is a record of model K231", ""},
        {"no LOG. record", "G4010", true, k231Print, "no \"LOG.\" line is a logger record of model G4010", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decode d(QString::fromLatin1(c.model), c.datalog);
        d.Run(c.capture);
        EXPECT_EQ(d.sink.final_.Count(), 0);
        EXPECT_EQ(NothingDecodedReason(d.state, c.datalog).toStdString(), c.reason);
        EXPECT_EQ(d.sink.notes.join(QLatin1Char('\n')).toStdString(), c.note);
    }
}
