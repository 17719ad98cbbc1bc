// vam-cli log --mqtt against a real Mosquitto broker and the simulator: a
// lasting QoS 1 subscriber gets every reading although the broker is stopped
// for 3 s in the middle of the run; a broker that refuses the password is
// said and logging goes on; readings spooled by a run killed with SIGKILL
// are sent by the next run.

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/logging/numericreading.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/publish/spool.h"
#include "support/metersimprocess.h"
#include "support/mosquittobroker.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>

namespace {

const QString kPrefix = QStringLiteral("lab");

MeterSimProcess K231()
{
    return MeterSimProcess(QStringLiteral(METERSIM),
                           {QStringLiteral("--model"), QStringLiteral("K231"), QStringLiteral("--ignore-stdin")});
}

QStringList LogArgs(const QString& port, int count, const QString& out, int brokerPort, const QString& bench,
                    const QString& user = QString())
{
    const QString auth = user.isEmpty() ? QString() : user + QLatin1Char('@');
    return {QStringLiteral("log"),  QStringLiteral("--model"), QStringLiteral("K231"), QStringLiteral("--port"),
            port,                   QStringLiteral("--count"), QString::number(count), QStringLiteral("--out"),
            out,                    QStringLiteral("--mqtt"),
            QStringLiteral("mqtt://") + auth + QStringLiteral("127.0.0.1:%1/%2").arg(brokerPort).arg(kPrefix),
            QStringLiteral("--bench"), bench, QStringLiteral("--mqtt-drain"), QStringLiteral("20")};
}

// A vam-cli run that ends with the test.
struct Cli {
    QProcess p;
    // `config`: the user's configuration folder (where each bench's next
    // number is kept), the test's own.
    Cli(const QStringList& args, const QString& config, const QByteArray& password = QByteArray())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        if (!password.isEmpty())
            env.insert(QStringLiteral("VAM_MQTT_PASSWORD"), QString::fromUtf8(password));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(VAMCLI), args);
    }
    ~Cli()
    {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(2000);
        }
    }
    QString Err() { return QString::fromUtf8(p.readAllStandardError()); }
};

struct Reading {
    quint64 seq;
    QJsonObject json;
    QByteArray payload;
};

std::vector<Reading> Readings(const std::vector<MqttSubscriber::Message>& messages)
{
    std::vector<Reading> out;
    for (const auto& m : messages) {
        const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
        out.push_back({quint64(o.value(QLatin1String("seq")).toInteger()), o, m.payload});
    }
    return out;
}

std::set<quint64> Seqs(const std::vector<MqttSubscriber::Message>& messages)
{
    std::set<quint64> seqs;
    for (const Reading& r : Readings(messages))
        seqs.insert(r.seq);
    return seqs;
}

// The readings of a data file, stop records left out, as the export reads them.
struct FileReading {
    QString time;
    std::vector<std::optional<double>> values;
};
std::vector<FileReading> DataFileReadings(const QString& path)
{
    AppState state;
    LanguageTable language;
    ApplyDevice(state, QStringLiteral("K231"), NowDays());
    state.DeviceName = QStringLiteral("K231");
    DataFile file(state, language);
    LogTable table;
    file.LoadDataFile(table, path);
    std::vector<FileReading> out;
    for (int row = 0; row < table.Count(); ++row) {
        if (IsStopRecord(table.Info(row), &language))
            continue;
        FileReading r;
        r.time = FormatIsoDateTime(table.Time(row));
        for (int ch = 1; ch <= 4; ++ch)
            r.values.push_back(NumericReadingOf(table, row, ch, state.Channel(ch).Name).value);
        out.push_back(r);
    }
    return out;
}

// Waits (at most `ms`) until the spool at `path` holds `count` readings,
// woken by the changes of its folder and file.
// The readings a spool file holds, acknowledged or not.
int SpooledCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    int n = 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        n += line.startsWith("R ") && line.endsWith('}') ? 1 : 0;
    return n;
}

bool WaitForSpooled(const QString& path, int count, int ms)
{
    const auto spooled = [&] { return SpooledCount(path) >= count; };
    QFileSystemWatcher watcher({QFileInfo(path).absolutePath()});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&] {
        if (watcher.files().isEmpty() && QFile::exists(path))
            watcher.addPath(path);
        if (spooled())
            loop.quit();
    });
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &loop, [&] {
        if (spooled())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    if (QFile::exists(path))
        watcher.addPath(path);
    if (!spooled())
        loop.exec();
    return spooled();
}

} // namespace

TEST(MqttE2E, K231ReadingsReachALastingSubscriberAcrossABrokerStop)
{
    QTemporaryDir dir;
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start()) << qPrintable(broker.Log());
    MqttSubscriber sub(broker.Port(), "vam-e2e-lasting", "lab/k231/readings");
    ASSERT_TRUE(sub.WaitSubscribed(5000));
    MeterSimProcess sim = K231();
    const QString out = dir.filePath(QStringLiteral("k231.vam"));
    Cli cli(LogArgs(sim.Path(), 12, out, broker.Port(), QStringLiteral("k231")), dir.path());

    // Three readings through, then the broker goes away for 3 s.
    ASSERT_TRUE(sub.WaitFor([](const auto& m) { return m.size() >= 3; }, 20000));
    broker.Stop();
    QTest::qWait(3000);
    ASSERT_TRUE(broker.Start()) << qPrintable(broker.Log());

    ASSERT_TRUE(cli.p.waitForFinished(60000));
    const QString err = cli.Err();
    EXPECT_EQ(cli.p.exitCode(), 0) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("not reached"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("every reading was acknowledged"))) << qPrintable(err);
    ASSERT_TRUE(sub.WaitFor([](const auto& m) { return Seqs(m).size() >= 12; }, 20000)) << qPrintable(err);

    const std::vector<Reading> got = Readings(sub.Messages());
    std::map<quint64, QByteArray> bySeq;
    for (const Reading& r : got) {
        // A reading sent again after the loss repeats its seq with the same message.
        const auto [it, fresh] = bySeq.emplace(r.seq, r.payload);
        EXPECT_TRUE(fresh || it->second == r.payload) << "seq " << r.seq << " with two messages";
        const QJsonArray channels = r.json.value(QLatin1String("channels")).toArray();
        ASSERT_EQ(channels.size(), 4) << r.payload.constData();
        for (const QJsonValue& c : channels)
            EXPECT_TRUE(c.toObject().value(QLatin1String("value")).isDouble()) << r.payload.constData();
        EXPECT_EQ(r.json.value(QLatin1String("bench")).toString(), QLatin1String("k231"));
        EXPECT_EQ(r.json.value(QLatin1String("model")).toString(), QLatin1String("K231"));
    }
    ASSERT_EQ(bySeq.size(), 12u);
    EXPECT_EQ(bySeq.begin()->first, 1u);
    EXPECT_EQ(bySeq.rbegin()->first, 12u);

    // The data file and the messages hold the same readings, in the same order.
    const std::vector<FileReading> file = DataFileReadings(out);
    ASSERT_EQ(file.size(), 12u);
    size_t i = 0;
    for (const auto& [seq, payload] : bySeq) {
        const QJsonObject o = QJsonDocument::fromJson(payload).object();
        EXPECT_TRUE(o.value(QLatin1String("time")).toString().startsWith(file[i].time)) << seq;
        const QJsonArray channels = o.value(QLatin1String("channels")).toArray();
        for (int ch = 0; ch < 4; ++ch) {
            ASSERT_TRUE(file[i].values[size_t(ch)].has_value());
            EXPECT_EQ(channels[ch].toObject().value(QLatin1String("value")).toDouble(), *file[i].values[size_t(ch)])
                << "seq " << seq << " channel " << ch + 1;
        }
        ++i;
    }
}

TEST(MqttE2E, RefusedPasswordIsSaidAndLoggingGoesOn)
{
    QTemporaryDir dir;
    MosquittoBroker broker(QStringLiteral("bench"), QStringLiteral("right"));
    ASSERT_TRUE(broker.Start()) << qPrintable(broker.Log());
    MeterSimProcess sim = K231();
    const QString out = dir.filePath(QStringLiteral("refused.vam"));
    Cli cli(LogArgs(sim.Path(), 3, out, broker.Port(), QStringLiteral("r1"), QStringLiteral("bench")), dir.path(),
            "wrong");
    ASSERT_TRUE(cli.p.waitForFinished(60000));
    const QString err = cli.Err();
    EXPECT_EQ(cli.p.exitCode(), 0) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("refused the connection"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("check the user and the password"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("3 reading(s) stay in the spool"))) << qPrintable(err);
    // Said once, not at every attempt.
    EXPECT_EQ(err.count(QLatin1String("refused the connection")), 1) << qPrintable(err);
    EXPECT_EQ(DataFileReadings(out).size(), 3u);
}

TEST(MqttE2E, ARunKilledWhileBufferingHasItsSpoolSentByTheNextRun)
{
    QTemporaryDir dir;
    MosquittoBroker broker; // not started yet: the first run buffers
    const QString out = dir.filePath(QStringLiteral("killed.vam"));
    const QString spool = dir.filePath(QStringLiteral("vam-mqtt-kill.spool"));
    {
        MeterSimProcess sim = K231();
        Cli cli(LogArgs(sim.Path(), 100, out, broker.Port(), QStringLiteral("kill")), dir.path());
        // Until four readings are in the spool, told by the file's changes.
        ASSERT_TRUE(cli.p.waitForStarted());
        ASSERT_TRUE(WaitForSpooled(spool, 4, 20000)) << qPrintable(cli.Err());
        ::kill(pid_t(cli.p.processId()), SIGKILL);
        ASSERT_TRUE(cli.p.waitForFinished(5000));
    }
    // The spool has every reading recorded before the kill (the data file of
    // vam-cli may miss the last tenth of a second: it writes in blocks).
    const size_t killed = size_t(SpooledCount(spool));
    ASSERT_GE(killed, 4u);
    EXPECT_LE(DataFileReadings(out).size(), killed);

    ASSERT_TRUE(broker.Start()) << qPrintable(broker.Log());
    MqttSubscriber sub(broker.Port(), "vam-e2e-after-kill", "lab/kill/readings");
    ASSERT_TRUE(sub.WaitSubscribed(5000));
    MeterSimProcess sim = K231();
    Cli cli(LogArgs(sim.Path(), 2, out, broker.Port(), QStringLiteral("kill")), dir.path());
    ASSERT_TRUE(cli.p.waitForFinished(60000));
    const QString err = cli.Err();
    EXPECT_TRUE(err.contains(QStringLiteral("reading(s) of an earlier run wait in the spool"))) << qPrintable(err);
    // Every reading of both runs, numbered on from the killed run.
    const size_t all = killed + 2;
    ASSERT_TRUE(sub.WaitFor([all](const auto& m) { return Seqs(m).size() >= all; }, 20000)) << qPrintable(err);
    const std::set<quint64> seqs = Seqs(sub.Messages());
    EXPECT_EQ(seqs.size(), all);
    EXPECT_EQ(*seqs.begin(), 1u);
    EXPECT_EQ(*seqs.rbegin(), quint64(all));
    Spool left;
    ASSERT_TRUE(left.Open(spool, nullptr));
    EXPECT_EQ(left.Count(), 0);
    EXPECT_EQ(left.NextSeq(), quint64(all + 1));
}
