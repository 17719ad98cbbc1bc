// Every catalogue model: what the simulated meter prints, decoded by vam-cli,
// must be exactly what the meter meant: 50 live readings and a 500-record
// logger print per model.

#include "core/devices/catalogue.h"
#include "loggerdump.h"
#include "readingformats.h"

#include <QDateTime>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {
constexpr quint32 kSeed = 9;

// Runs `sim | vam-cli decode ...` and returns decode's stdout lines.
QStringList Decode(const QStringList& simArgs, const QStringList& decodeArgs, int* exitCode)
{
    QProcess sim, cli;
    sim.setStandardOutputProcess(&cli);
    cli.setProcessEnvironment([] {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return e;
    }());
    sim.start(QStringLiteral(METERSIM), simArgs);
    cli.start(QStringLiteral(VAMCLI), QStringList{QStringLiteral("decode")} + decodeArgs + QStringList{QStringLiteral("-")});
    sim.waitForFinished(60000);
    cli.waitForFinished(60000);
    *exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    return QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString Value(int channel, const QString& value, const QString& unit, const QString& extra)
{
    return QStringLiteral("%1 %2 %3 %4").arg(channel).arg(value, unit, extra);
}

// The J7050M prints five lines a reading: its settings switch the others off.
QStringList ChannelArgs(const QString& model)
{
    return model == QLatin1String("J7050M") ? QStringList{QStringLiteral("--channels"), QStringLiteral("1-5")} : QStringList();
}

class Model : public ::testing::TestWithParam<int> {
protected:
    QString model() const { return QString::fromLatin1(CatalogueModels()[size_t(GetParam())].name); }
};
} // namespace

TEST_P(Model, FiftyLiveReadingsDecodeToThePrintedValues)
{
    const QString m = model();
    int code = 0;
    const QStringList lines = Decode({QStringLiteral("--model"), m, QStringLiteral("--stdout"), QStringLiteral("--count"),
                                      QStringLiteral("50"), QStringLiteral("--seed"), QString::number(kSeed)},
                                     QStringList{QStringLiteral("--model"), m} + ChannelArgs(m), &code);
    EXPECT_EQ(code, 0);
    // reading number -> its values, as decode printed them
    QMap<int, QStringList> got;
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        ASSERT_GE(f.size(), 7) << line.toStdString();
        got[f[0].toInt()] << Value(f[1].toInt(), f[2], f[3], f[5]);
    }
    QList<QStringList> expected;
    for (int i = 0; i < 50; ++i)
        for (const SimRecord& r : MakeReading(m, i, kSeed, false).records) {
            QStringList values;
            for (const SimValue& v : r)
                values << Value(v.channel, v.value, v.unit, v.extra);
            expected << values;
        }
    ASSERT_EQ(got.size(), expected.size());
    // Every value the meter printed for a reading is shown with it; channels
    // kept from earlier lines (H260: one channel per line) may show too.
    int n = 0;
    for (auto it = got.cbegin(); it != got.cend(); ++it, ++n)
        for (const QString& v : expected[n])
            EXPECT_TRUE(it.value().contains(v)) << "reading " << it.key() << ": " << v.toStdString() << " not in "
                                                << it.value().join(QLatin1String(" | ")).toStdString();
}

TEST_P(Model, LoggerPrintOfFiveHundredRecordsDecodes)
{
    const QString m = model();
    int code = 0;
    const QStringList lines = Decode({QStringLiteral("--model"), m, QStringLiteral("--stdout"), QStringLiteral("--dump"),
                                      QStringLiteral("500"), QStringLiteral("--seed"), QString::number(kSeed)},
                                     {QStringLiteral("--model"), m, QStringLiteral("--datalog")}, &code);
    EXPECT_EQ(code, 0);
    // record time -> the values of the last snapshot recorded for it (a record
    // printed over several lines is completed line by line)
    QMap<QString, QMap<int, QStringList>> byTime;
    for (const QString& line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        ASSERT_GE(f.size(), 8) << line.toStdString();
        byTime[f[0]][f[1].toInt()] << Value(f[2].toInt(), f[3], f[4], f[6]);
    }
    const QList<DumpRecord> records = LoggerRecords(m, 500, kSeed);
    ASSERT_EQ(records.size(), 500);
    ASSERT_EQ(byTime.size(), 500);
    for (const DumpRecord& r : records) {
        const QString stamp = QDateTime(QDate(1899, 12, 30), QTime(0, 0)).addSecs(qint64(r.time * 86400.0 + 0.5)).toString(Qt::ISODate);
        ASSERT_TRUE(byTime.contains(stamp)) << stamp.toStdString();
        QStringList values;
        for (const DumpValue& v : r.values)
            values << Value(v.channel, v.value, v.unit, v.extra);
        EXPECT_EQ(byTime[stamp].last(), values) << "record " << r.number;
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, Model, ::testing::Range(0, 54),
                         [](const ::testing::TestParamInfo<int>& i) {
                             return QString::fromLatin1(CatalogueModels()[size_t(i.param)].name)
                                 .replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"))
                                 .toStdString();
                         });
