#include "core/devices/datalog.h"
#include "support/parserharness.h"

#include <gtest/gtest.h>
#include <random>

namespace {
// Noise as a broken line delivers it: random bytes, with line ends, TABs and
// NUL bytes more frequent than chance so the parsers see many "lines".
QString Noise(quint32 seed, int size)
{
    std::mt19937 rng(seed);
    QString s;
    s.reserve(size);
    for (int i = 0; i < size; ++i) {
        const unsigned r = rng() % 300;
        if (r < 256)
            s += QChar(char16_t(r));
        else if (r < 270)
            s += QStringLiteral("\r\n");
        else if (r < 290)
            s += QLatin1Char('\t');
        else
            s += QLatin1Char(QLatin1Char("0123456789/:."[rng() % 13]));
    }
    return s;
}
} // namespace

TEST(DecodeGarbage, NoiseNeverBecomesAReading)
{
    for (const CatalogueModel& m : CatalogueModels()) {
        const QString model = QString::fromLatin1(m.name);
        for (quint32 seed : {1u, 2u}) {
            SCOPED_TRACE(m.name);
            const QString noise = Noise(seed, 60000);
            ParserRun live(model);
            live.reader.AppendLines(noise);
            RunReceiveCycles(live.ctx, live.reader);
            EXPECT_EQ(live.sink.readings, 0) << "seed " << seed << ": " << Describe(live.sink.values).join(QLatin1String(" | ")).toStdString();

            ParserRun logger(model);
            logger.state.ReceiveMode = true;
            logger.reader.AppendLines(noise);
            RunTransfer(logger.ctx);
            EXPECT_EQ(logger.sink.readings, 0) << "seed " << seed << " (logger memory)";
        }
    }
}

TEST(DecodeGarbage, UnclosedTextIsBounded)
{
    ParserRun run(QStringLiteral("K231"));
    run.reader.AppendSplit(QString(300000, QLatin1Char('x')), 4096);
    run.reader.Append(QStringLiteral("\r\n"));
    RunReceiveCycles(run.ctx, run.reader);
    EXPECT_EQ(run.sink.readings, 0);
    EXPECT_GE(run.reader.Dropped(), 300000 - 64 * 1024);
    EXPECT_LE(run.ctx.buffers.k230.size(), 64 * 1024 + 2);
}
