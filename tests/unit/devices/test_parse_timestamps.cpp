// A reading is stamped with the time its text arrived, not the time the
// parser started waiting for it: a meter printing once a minute must not have
// every reading stamped a minute early.

#include "support/parserharness.h"

#include "core/model/datetime.h"
#include "core/devices/parsers.h"
#include "readingformats.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace {
constexpr double kGap = 60; // seconds between two printed readings

QString Stamp(double days) { return FromDays(days).toString(QStringLiteral("hh:mm:ss")); }
} // namespace

TEST(ParseTimestamps, EveryFamilyStampsAReadingWhenItArrives)
{
    for (const bool polled : {false, true}) {
        for (const CatalogueModel& m : CatalogueModels()) {
            const QString model = QString::fromLatin1(m.name);
            SCOPED_TRACE(model.toStdString() + (polled ? ", polled" : ", listening"));
            ParserRun run(model);
            run.state.PollValues = polled;
            run.state.RetainTableValues = false;
            if (model == QLatin1String("J7050M")) { // five received channels, as its settings give
                run.state.Channel(6).Use = run.state.Channel(7).Use = false;
                run.state.ActiveChannelCount = 5;
            }
            QStringList expected;
            for (int k = 0; k < 3; ++k) {
                const SimReading r = MakeReading(model, k, 3, polled);
                // The whole reading arrives after a minute's silence.
                run.reader.Append(QString::fromLatin1(r.text), kGap);
                for (qsizetype i = 0; i < r.records.size(); ++i)
                    expected << Stamp(kTestNow + (k + 1) * kGap / kSecondsPerDay);
            }
            // Receive cycles as the poll tick runs them, until the script is over.
            for (int cycle = 0; cycle < 1000 && run.reader.CommConditiesOK(); ++cycle)
                LeesEnVerwerkRS232(run.ctx);
            QStringList got;
            int last = 0;
            for (const DecodedValue& v : run.sink.values) {
                if (v.reading != last)
                    got << Stamp(v.time);
                else
                    EXPECT_EQ(Stamp(v.time), got.last()) << "channel " << v.channel << " of reading " << v.reading;
                last = v.reading;
            }
            EXPECT_EQ(got.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
            QStringList rows;
            for (double t : run.sink.rowTimes)
                rows << Stamp(t);
            EXPECT_EQ(rows.join(QLatin1Char(' ')).toStdString(), expected.join(QLatin1Char(' ')).toStdString());
        }
    }
}

TEST(ParseTimestamps, LinesThatArriveLater)
{
    const QString n500 = QStringLiteral("10:15:30\t02/03/26\t7.01\tpH\t25.0\t\r\n");
    const QString k230 = QStringLiteral("0001\t7.01\tpH\t25.0\t\xb0C\t10:15:30\t02/03/26\r\n");
    const struct {
        const char* name;
        const char* model;
        bool polled;
        QList<int> unused;
        QList<std::pair<double, QString>> chunks; // silence before, text
        const char* stamp;                        // of the one recorded reading
    } cases[] = {
        // The channel that gives the table row its time is stamped too when it is not in use.
        {"N500, first channel not in use", "N515", false, {1, 4}, {{kGap, n500}}, "10:01:00"},
        {"K230, only the temperature shown", "K231", false, {1, 2, 3}, {{kGap, k230}}, "10:01:00"},
        // A reading of several lines is stamped when its first line arrives.
        {"N500, second line later", "N515", false, {}, {{kGap, n500}, {5, n500}}, "10:01:00"},
        {"K230, second line later", "K232", false, {3}, {{kGap, k230}, {5, k230.mid(4)}}, "10:01:00"},
        // A reply that starts afresh is stamped when the new reply arrives.
        {"N500, reply restarted", "N515", true, {}, {{0, QStringLiteral("<?\r\n") + n500}, {kGap, QStringLiteral("<?\r\n") + n500 + n500}},
         "10:01:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParserRun run(QString::fromLatin1(c.model));
        run.state.PollValues = c.polled;
        for (int ch : c.unused)
            run.state.Channel(ch).Use = false;
        for (const auto& [silence, text] : c.chunks)
            run.reader.Append(text, silence);
        for (int cycle = 0; cycle < 100 && run.reader.CommConditiesOK(); ++cycle)
            LeesEnVerwerkRS232(run.ctx);
        ASSERT_EQ(run.sink.rowTimes.size(), 1);
        EXPECT_EQ(Stamp(run.sink.rowTimes[0]).toStdString(), c.stamp);
        for (const DecodedValue& v : run.sink.values)
            EXPECT_EQ(Stamp(v.time).toStdString(), c.stamp) << "channel " << v.channel;
    }
}
