#include "core/devices/catalogue.h"
#include "core/model/appstate.h"
#include "core/publish/publisher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A link whose connection the test makes, loses and acknowledges.
class ScriptedLink : public PublishLink {
public:
    struct Batch {
        quint64 epoch;
        std::vector<OutMessage> messages;
    };
    void Open(const MqttTarget& t) override { opened = t.bench; }
    void Send(quint64 epoch, const std::vector<OutMessage>& m) override { sent.push_back({epoch, m}); }
    void SyncFile(int fd) override
    {
        ::close(fd);
        ++syncs;
    }
    void Close(int) override { closed = true; }

    // The readings handed over, in order, as "seq" or "seq@epoch".
    QString Readings(bool withEpoch = false) const
    {
        QStringList out;
        for (const Batch& b : sent)
            for (const OutMessage& m : b.messages)
                if (m.seq)
                    out << QString::number(m.seq) + (withEpoch ? QStringLiteral("@%1").arg(b.epoch) : QString());
        return out.join(QLatin1Char(','));
    }
    // The retained messages, as "topic=payload" (the JSON of /last as its seq).
    QString Retained() const
    {
        QStringList out;
        for (const Batch& b : sent)
            for (const OutMessage& m : b.messages)
                if (m.retain) {
                    const bool json = m.payload.startsWith('{');
                    out << QString::fromUtf8(m.topic) + QLatin1Char('=')
                            + (json ? QStringLiteral("#%1").arg(QJsonDocument::fromJson(m.payload)
                                                                   .object()
                                                                   .value(QLatin1String("seq"))
                                                                   .toInteger())
                                    : QString::fromUtf8(m.payload));
                }
        return out.join(QLatin1Char(' '));
    }

    QString opened;
    std::vector<Batch> sent;
    int syncs = 0;
    bool closed = false;
};

struct PublisherTest : ::testing::Test {
    QTemporaryDir dir;
    AppState s;
    ScriptedLink* link = nullptr;
    std::unique_ptr<Publisher> pub;
    int value = 0;

    void Make(int capacity = Spool::kDefaultCapacity)
    {
        ApplyDevice(s, QStringLiteral("K231"), 0);
        s.DeviceName = QStringLiteral("K231");
        auto l = std::make_unique<ScriptedLink>();
        link = l.get();
        pub = std::make_unique<Publisher>(std::move(l), capacity);
        pub->sequenceFile = dir.filePath(QStringLiteral("sequence"));
        MqttTarget t;
        ASSERT_TRUE(ParseMqttUrl(QStringLiteral("mqtt://h/lab"), t, nullptr));
        t.bench = QStringLiteral("b");
        QString error;
        ASSERT_TRUE(pub->Start(t, dir.filePath(QStringLiteral("b.spool")), &error)) << error.toStdString();
    }
    // A reading of the K231's four channels, each value one more than the last.
    void Record(bool replace = false)
    {
        for (int ch = 1; ch <= 4; ++ch) {
            s.Readings[size_t(ch)].ValueText = QString::number(++value);
            s.Readings[size_t(ch)].UnitText = QStringLiteral("mV");
            s.Readings[size_t(ch)].HasValue = true;
            s.Readings[size_t(ch)].ReadingTime = 45000;
        }
        pub->Record(s, replace);
    }
    void Connect(quint64 epoch) { Q_EMIT link->Connected(epoch); }
    void Ack(quint64 epoch, quint64 seq) { Q_EMIT link->Acknowledged(epoch, seq); }
};

} // namespace

TEST_F(PublisherTest, ReadingsWaitForTheBrokerAndLeaveWhenAcknowledged)
{
    Make();
    EXPECT_EQ(link->opened, QLatin1String("b"));
    Record();
    Record();
    Record();
    EXPECT_EQ(link->Readings(), QString()) << "nothing handed over before the connection";
    EXPECT_EQ(pub->Waiting(), 3);
    Connect(1);
    EXPECT_EQ(link->Readings(), QLatin1String("1,2,3"));
    // Only the newest reading goes to the retained topics.
    EXPECT_EQ(link->Retained(), QLatin1String("lab/b/last=#3 lab/b/1/value=9 lab/b/2/value=10 lab/b/3/value=11 "
                                              "lab/b/4/value=12"));
    // Acknowledged out of order: the spool gives up its readings in order.
    Ack(1, 2);
    EXPECT_EQ(pub->Waiting(), 3);
    Ack(1, 1);
    EXPECT_EQ(pub->Waiting(), 1);
    QSignalSpy drained(pub.get(), &Publisher::Drained);
    Ack(1, 3);
    EXPECT_EQ(pub->Waiting(), 0);
    EXPECT_EQ(drained.count(), 1);
    Record();
    EXPECT_EQ(link->Readings(), QLatin1String("1,2,3,4")) << "connected: handed over at once";
}

TEST_F(PublisherTest, ALostConnectionIsSentAgainFromTheOldestReading)
{
    Make();
    Connect(1);
    Record();
    Record();
    Record();
    Ack(1, 1);
    Q_EMIT link->Lost(LinkProblem::Unreachable, QStringLiteral("the connection was lost"));
    EXPECT_EQ(pub->LinkState(), Publisher::State::Unreachable);
    EXPECT_EQ(pub->Problem(), QLatin1String("the connection was lost"));
    Ack(1, 2); // from the lost connection: too late to count
    Record();
    Connect(2);
    EXPECT_EQ(link->Readings(true), QLatin1String("1@1,2@1,3@1,2@2,3@2,4@2"));
    Ack(1, 2);
    EXPECT_EQ(pub->Waiting(), 3) << "an acknowledgement of another connection";
    for (quint64 seq : {2, 3, 4})
        Ack(2, seq);
    EXPECT_EQ(pub->Waiting(), 0);
    Q_EMIT link->Lost(LinkProblem::Refused, QStringLiteral("not authorised"));
    EXPECT_EQ(pub->LinkState(), Publisher::State::Refused);
    EXPECT_EQ(pub->Drain(5000), 0);
}

TEST_F(PublisherTest, AtMostAWindowIsUnacknowledged)
{
    Make();
    for (int i = 0; i < Publisher::kWindow + 50; ++i)
        Record();
    Connect(1);
    EXPECT_EQ(link->Readings().count(QLatin1Char(',')) + 1, Publisher::kWindow);
    EXPECT_EQ(link->Retained(), QString()) << "the newest reading is not handed over yet";
    Ack(1, 1);
    Ack(1, 2);
    EXPECT_EQ(link->Readings().count(QLatin1Char(',')) + 1, Publisher::kWindow + 2);
    for (quint64 seq = 3; seq <= quint64(Publisher::kWindow + 50); ++seq)
        Ack(1, seq);
    EXPECT_EQ(pub->Waiting(), 0);
    EXPECT_TRUE(link->Retained().startsWith(QStringLiteral("lab/b/last=#%1 ").arg(Publisher::kWindow + 50)));
}

TEST_F(PublisherTest, AGrowingLoggerRecordGoesOutOnceWhole)
{
    Make();
    Connect(1);
    s.ReceiveMode = true;
    Record();
    Record(true); // the same record, a line longer
    EXPECT_EQ(link->Readings(), QString()) << "kept back while it may grow";
    Record();     // the next record: the first is whole
    EXPECT_EQ(link->Readings(), QLatin1String("1"));
    const QJsonObject first = QJsonDocument::fromJson(link->sent[0].messages[0].payload).object();
    EXPECT_EQ(first.value(QLatin1String("channels")).toArray()[0].toObject().value(QLatin1String("value")).toDouble(),
              5.0) << "the grown record, not its first line";
    pub->Drain(0); // the end of the run: the last record goes too
    EXPECT_EQ(link->Readings(), QLatin1String("1,2"));
}

TEST_F(PublisherTest, AFullSpoolIsSaidOnceAndLeavesAGapInTheNumbers)
{
    Make(2);
    QSignalSpy full(pub.get(), &Publisher::SpoolFull);
    Record();
    Record();
    Record();
    Record();
    EXPECT_EQ(full.count(), 1);
    EXPECT_EQ(pub->Dropped(), 2u);
    Connect(1);
    Ack(1, 1);
    Ack(1, 2);
    Record();
    EXPECT_EQ(link->Readings(), QLatin1String("1,2,5"));
    Record();
    Record();
    EXPECT_EQ(full.count(), 2) << "full again after it had room";
}

TEST_F(PublisherTest, AChannelSwitchedOffLosesItsRetainedValue)
{
    Make();
    Connect(1);
    Record();
    s.Channel(2).Use = false;
    Record();
    const QString retained = link->Retained();
    EXPECT_TRUE(retained.endsWith(QLatin1String("lab/b/last=#2 lab/b/1/value=5 lab/b/3/value=7 lab/b/4/value=8 "
                                                "lab/b/2/value=")))
        << retained.toStdString();
}

TEST_F(PublisherTest, StoppingClosesTheLinkAndKeepsTheSpool)
{
    Make();
    Record();
    pub->Stop(0);
    EXPECT_TRUE(link->closed);
    EXPECT_FALSE(pub->Running());
    Record(); // after the stop: nothing
    Spool spool;
    ASSERT_TRUE(spool.Open(dir.filePath(QStringLiteral("b.spool")), nullptr));
    EXPECT_EQ(spool.Count(), 1);
}

TEST_F(PublisherTest, ASpoolInAnotherFolderNumbersOn)
{
    Make();
    Record();
    Record();
    pub->Stop(0);
    // The same bench, another data folder: a new spool, the numbers go on.
    auto l = std::make_unique<ScriptedLink>();
    ScriptedLink* other = l.get();
    Publisher next(std::move(l));
    next.sequenceFile = dir.filePath(QStringLiteral("sequence"));
    MqttTarget t = pub->Target();
    QTemporaryDir elsewhere;
    ASSERT_TRUE(next.Start(t, elsewhere.filePath(QStringLiteral("b.spool")), nullptr));
    next.Record(s, false);
    Q_EMIT other->Connected(1);
    EXPECT_EQ(other->Readings(), QLatin1String("3"));
    // Another bench keeps its own numbers.
    next.Stop(0);
    t.bench = QStringLiteral("c");
    ASSERT_TRUE(next.Start(t, elsewhere.filePath(QStringLiteral("c.spool")), nullptr));
    next.Record(s, false);
    Q_EMIT other->Connected(2);
    EXPECT_EQ(other->Readings(), QLatin1String("3,1"));
}
