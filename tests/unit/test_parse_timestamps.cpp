// A reading is stamped with the time its text arrived, not the time the
// parser started waiting for it: a meter printing once a minute must not have
// every reading stamped a minute early.

#include "support/parserharness.h"

#include "core/datetime.h"
#include "devices/parsers.h"
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
        }
    }
}
