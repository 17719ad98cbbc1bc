// The simulated meters' output read back by the program's own parsers: every
// catalogue model, printing on its own and answering polls, must give exactly
// the values the simulator meant to print.

#include "support/parserharness.h"

#include "core/devices/commandprotocol.h"
#include "core/devices/parsers.h"
#include "core/devices/units.h"
#include "readingformats.h"

#include <gtest/gtest.h>

namespace {
constexpr quint32 kSeed = 11;
// Spread over the slow sine, so auto-ranging units show both of their ranges.
const int kIndices[] = {0, 1, 60, 120, 181};

// The parser's state as a user would have it for this model.
void Prepare(ParserRun& run, bool polled)
{
    run.state.PollValues = polled;
    // Every H260 line is its own reading; without this the earlier lines'
    // channels would be recorded again with each later line.
    run.state.RetainTableValues = false;
    run.state.DeviceUnit = QStringLiteral("\u00B0C");
}

// Text as it arrives from a meter printing line by line; `gap` seconds of
// silence in front, as between two readings or two polls.
void Feed(ScriptedLineReader& reader, const QByteArray& bytes, double gap, bool wholeReply)
{
    const QString text = QString::fromLatin1(bytes);
    if (wholeReply) {
        reader.Append(text, gap);
        return;
    }
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype end = lf < 0 ? text.size() : lf + 1;
        reader.Append(text.mid(start, end - start), start == 0 ? gap : 0);
        start = end;
    }
}

// The simulator's intended values in the harness's Describe form.
QStringList Expected(const QList<SimReading>& readings)
{
    QStringList out;
    int number = 0;
    for (const SimReading& r : readings) {
        for (const SimRecord& rec : r.records) {
            ++number;
            for (const SimValue& v : rec) {
                QString s = QStringLiteral("%1/%2 %3 %4").arg(number).arg(v.channel).arg(ToLocaleDecimal(v.value), v.unit);
                if (!v.extra.isEmpty())
                    s += QStringLiteral(" [") + ToLocaleDecimal(v.extra) + QLatin1Char(']');
                out << s;
            }
        }
    }
    return out;
}

QString ModelName(const CatalogueModel& m) { return QString::fromLatin1(m.name); }
} // namespace

TEST(MeterSimFormats, EveryModelDecodesToThePrintedValues)
{
    for (const bool polled : {false, true}) {
        for (const CatalogueModel& m : CatalogueModels()) {
            const QString model = ModelName(m);
            SCOPED_TRACE(model.toStdString() + (polled ? ", polled" : ", listening"));
            ParserRun run(model);
            Prepare(run, polled);
            QList<SimReading> readings;
            for (int index : kIndices) {
                readings << MakeReading(model, index, kSeed, polled);
                ASSERT_FALSE(readings.last().records.isEmpty());
                // A polled reply arrives in one piece, a printed reading line by
                // line. The pause between readings outlasts the J70xx parser's
                // line time-out, which is what ends a reading of fewer lines
                // than channels.
                Feed(run.reader, readings.last().text, 0.75, polled);
            }
            run.reader.Append(QString(), 0.75); // the meter falls silent
            // Receive cycles as the poll tick runs them, until the script is over.
            for (int cycle = 0; cycle < 100 && run.reader.CommConditiesOK(); ++cycle)
                LeesEnVerwerkRS232(run.ctx);
            EXPECT_EQ(Describe(run.sink.values).join(QLatin1Char('\n')).toStdString(),
                      Expected(readings).join(QLatin1Char('\n')).toStdString());
        }
    }
}

TEST(MeterSimFormats, SameSeedSameBytesOtherSeedOtherValues)
{
    for (const CatalogueModel& m : CatalogueModels()) {
        const QString model = ModelName(m);
        SCOPED_TRACE(m.name);
        EXPECT_EQ(ReadingLines(model, 42, kSeed, false), ReadingLines(model, 42, kSeed, false));
        EXPECT_NE(ReadingLines(model, 42, kSeed, false), ReadingLines(model, 42, kSeed + 1, false));
    }
    EXPECT_TRUE(MakeReading(QStringLiteral("K999"), 0, kSeed, false).text.isEmpty());
}

TEST(MeterSimFormats, SpeaksTheProgramsCommands)
{
    for (const CatalogueModel& m : CatalogueModels()) {
        const QString model = ModelName(m);
        SCOPED_TRACE(m.name);
        ParserRun run(model);
        EXPECT_EQ(MeterPollCommand(model), run.state.PollCommand.toLatin1());
        if (!HasCommandProtocol(model)) {
            EXPECT_TRUE(SettingsReply(model).isEmpty());
            continue;
        }
        // The settings read at connection start, against the simulator's answer.
        run.reader.Append(QString::fromLatin1(SettingsReply(model)));
        ChannelCodes codes{};
        bool timedOut = true;
        const bool ok = m.family == DeviceFamily::J70xx ? ReadJ70Settings(run.ctx, codes, timedOut)
                                                        : ReadG40Settings(run.ctx, codes, timedOut);
        EXPECT_TRUE(ok);
        EXPECT_FALSE(timedOut);
        EXPECT_EQ(run.reader.Written(), SimCommandFrame(">S"));
        EXPECT_EQ(SimCommandFrame(">S"), CommandFrame(QStringLiteral(">S")).toLatin1());
        const int present = m.family == DeviceFamily::J70xx ? m.channelCount : 2;
        for (int ch = 1; ch <= present; ++ch)
            EXPECT_NE(codes[size_t(ch)], 0) << "channel " << ch;
    }
}
