#include "core/publish/spool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Payload(quint64 seq) { return "{\"seq\":" + QByteArray::number(seq) + ",\"x\":\"\xC3\xA9\"}"; }

QString Seqs(const std::vector<Spool::Entry>& entries)
{
    QStringList out;
    for (const Spool::Entry& e : entries) {
        out << QString::number(e.seq);
        EXPECT_EQ(e.payload, Payload(e.seq)) << e.seq;
    }
    return out.join(QLatin1Char(','));
}

void AppendRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(bytes);
}

struct SpoolTest : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("s.spool"));

    void Fill(Spool& s, int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(s.Append(s.NextSeq(), Payload(s.NextSeq())), Spool::Appended::Ok);
    }
};

} // namespace

TEST_F(SpoolTest, ReadingsLeaveInOrderOnlyWhenAcknowledged)
{
    {
        Spool s;
        ASSERT_TRUE(s.Open(path, nullptr));
        EXPECT_EQ(s.NextSeq(), 1u);
        Fill(s, 5);
        EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("1,2,3,4,5"));
        EXPECT_EQ(Seqs(s.Take(3, 2)), QLatin1String("3,4"));
        s.Acknowledge(2);
        EXPECT_EQ(s.Count(), 3);
        EXPECT_EQ(s.FirstSeq(), 3u);
        s.Acknowledge(1); // an older acknowledgement changes nothing
        EXPECT_EQ(s.FirstSeq(), 3u);
    }
    // A new run gets what was not acknowledged, read back from the file, and
    // numbers on.
    Spool s;
    ASSERT_TRUE(s.Open(path, nullptr));
    EXPECT_EQ(s.Loaded().waiting, 3);
    EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("3,4,5"));
    EXPECT_EQ(s.NextSeq(), 6u);
    s.Acknowledge(5);
    EXPECT_EQ(s.Count(), 0);
    s.Close();
    ASSERT_TRUE(s.Open(path, nullptr));
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.NextSeq(), 6u);
}

TEST_F(SpoolTest, TheAcknowledgementRidesWithTheNextReading)
{
    Spool s;
    ASSERT_TRUE(s.Open(path, nullptr));
    Fill(s, 2);
    s.Acknowledge(1);
    Fill(s, 1);
    // Had the program been killed now, the file already says reading 1 is gone.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("\nA 1\nR 3 ")) << bytes.constData();
    EXPECT_TRUE(s.Housekeep()) << "written since the last housekeeping";
    EXPECT_FALSE(s.Housekeep()) << "nothing new to sync";
    s.Acknowledge(3);
    EXPECT_TRUE(s.Housekeep()) << "the marker no reading carried";
}

TEST_F(SpoolTest, BoundedWithTheNumbersOfWhatDidNotFitKept)
{
    {
        Spool s(3);
        ASSERT_TRUE(s.Open(path, nullptr));
        Fill(s, 3);
        EXPECT_TRUE(s.IsFull());
        EXPECT_EQ(s.Append(4, Payload(4)), Spool::Appended::Full);
        EXPECT_EQ(s.Append(5, Payload(5)), Spool::Appended::Full);
        EXPECT_EQ(s.Count(), 3);
        EXPECT_EQ(s.NextSeq(), 6u);
        s.Acknowledge(1);
        EXPECT_EQ(s.Append(6, Payload(6)), Spool::Appended::Ok);
        EXPECT_EQ(s.Append(7, Payload(7)), Spool::Appended::Full);
        EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("2,3,6"));
    }
    // The gap stays: reading 7 was numbered, so the next one is 8.
    Spool s(3);
    ASSERT_TRUE(s.Open(path, nullptr));
    EXPECT_EQ(s.NextSeq(), 8u);
    EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("2,3,6"));
}

TEST_F(SpoolTest, ACutOffLastLineIsDroppedAndTheRestKept)
{
    {
        Spool s;
        ASSERT_TRUE(s.Open(path, nullptr));
        Fill(s, 3);
    }
    AppendRaw(path, "R 4 1a2b {\"seq\":4,\"x"); // a write that was cut off
    {
        Spool s;
        ASSERT_TRUE(s.Open(path, nullptr));
        EXPECT_TRUE(s.Loaded().cutOff);
        EXPECT_EQ(s.Loaded().damaged, 0);
        EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("1,2,3"));
        EXPECT_EQ(s.NextSeq(), 4u);
        Fill(s, 1);
    }
    Spool s;
    ASSERT_TRUE(s.Open(path, nullptr));
    EXPECT_FALSE(s.Loaded().cutOff);
    EXPECT_EQ(s.Loaded().damaged, 0);
    EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("1,2,3,4"));
}

TEST_F(SpoolTest, DamagedLinesAreSkippedAndCounted)
{
    {
        Spool s;
        ASSERT_TRUE(s.Open(path, nullptr));
        Fill(s, 3);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    const qsizetype second = bytes.indexOf("\"seq\":2");
    bytes[second + 6] = '7'; // a changed byte: its checksum no longer fits
    bytes.insert(bytes.indexOf("R 3"), QByteArray(5, '\0') + '\n');
    f.resize(0);
    f.write(bytes);
    f.close();
    Spool s;
    ASSERT_TRUE(s.Open(path, nullptr));
    EXPECT_EQ(s.Loaded().damaged, 2);
    EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("1,3"));
    EXPECT_EQ(s.NextSeq(), 4u);
}

TEST_F(SpoolTest, ADrainedLargeSpoolStartsAfreshAndKeepsItsNumber)
{
    Spool s;
    ASSERT_TRUE(s.Open(path, nullptr));
    const QByteArray big(200 * 1024, 'x');
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(s.Append(s.NextSeq(), big), Spool::Appended::Ok);
    s.Acknowledge(7);
    s.Housekeep();
    EXPECT_GT(QFile(path).size(), 1 << 20) << "a reading still waits: nothing rewritten";
    s.Acknowledge(8);
    s.Housekeep();
    EXPECT_LT(QFile(path).size(), 100);
    Fill(s, 1); // the rewritten file takes appends
    EXPECT_EQ(s.LastSeq(), 9u);
    s.Close();
    ASSERT_TRUE(s.Open(path, nullptr));
    EXPECT_EQ(s.NextSeq(), 10u);
    EXPECT_EQ(Seqs(s.Take(0, 10)), QLatin1String("9"));
}

TEST_F(SpoolTest, OneProgramAtATimeAndNoOtherFile)
{
    Spool first;
    ASSERT_TRUE(first.Open(path, nullptr));
    Spool second;
    QString error;
    EXPECT_FALSE(second.Open(path, &error));
    EXPECT_TRUE(error.contains(QLatin1String("in use"))) << error.toStdString();
    first.Close();
    EXPECT_TRUE(second.Open(path, &error));
    second.Close();

    const QString other = dir.filePath(QStringLiteral("notes.txt"));
    AppendRaw(other, "my notes\n");
    EXPECT_FALSE(second.Open(other, &error));
    EXPECT_TRUE(error.contains(QLatin1String("no spool"))) << error.toStdString();
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("my notes\n")) << "left as it was";
}

TEST(SpoolPath, OneFilePerBenchBesideTheDataFile)
{
    EXPECT_EQ(Spool::PathFor(QStringLiteral("/data"), QStringLiteral("bench-3_a.b")),
              QLatin1String("/data/vam-mqtt-bench-3_a.b.spool"));
    const QString a = Spool::PathFor(QStringLiteral("/data"), QStringLiteral("Pr\u00FCf stand"));
    const QString b = Spool::PathFor(QStringLiteral("/data"), QStringLiteral("Pr\u00E4f stand"));
    EXPECT_TRUE(a.startsWith(QLatin1String("/data/vam-mqtt-Pr_f_stand-"))) << a.toStdString();
    EXPECT_NE(a, b) << "benches that read alike keep files of their own";
    EXPECT_FALSE(Spool::PathFor(QStringLiteral("/data"), QStringLiteral("..")).contains(QLatin1String("/../")));
}
