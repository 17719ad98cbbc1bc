// vam-metersim on its pseudo-terminal, driven the way the program drives a
// port: open the slave path, send commands, read what comes back.

#include "loggerdump.h"
#include "readingformats.h"

#include <QDateTime>
#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <cstdlib>
#include <unistd.h>

namespace {
constexpr quint32 kSeed = 3;

class Sim {
public:
    // `setUp` may give the process another stdin before it starts.
    explicit Sim(const QStringList& args, const std::function<void(QProcess&)>& setUp = {})
    {
        if (setUp)
            setUp(process_);
        process_.start(QStringLiteral(METERSIM), args + QStringList{QStringLiteral("--seed"), QString::number(kSeed)});
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        path_ = process_.readLine().trimmed();
    }
    ~Sim()
    {
        Close();
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    const QByteArray& Path() const { return path_; }
    int Fd() const { return fd_; }
    bool Open()
    {
        fd_ = ::open(path_.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd_ >= 0;
    }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    void Send(const QByteArray& bytes) { ASSERT_EQ(::write(fd_, bytes.constData(), size_t(bytes.size())), bytes.size()); }
    // Everything that arrives until the line stays quiet for `quietMs`.
    QByteArray Receive(int quietMs = 300)
    {
        QByteArray in;
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, quietMs) > 0 && (p.revents & POLLIN)) {
            char buf[65536];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0)
                break;
            in.append(buf, int(n));
        }
        return in;
    }
    bool HungUp() const
    {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 1000) > 0 && (p.revents & POLLHUP);
    }
    // Exit code once finished, -1 if still running after `ms`.
    int Exit(int ms = 3000)
    {
        if (!process_.waitForFinished(ms))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -2;
    }
    QProcess& Process() { return process_; }

private:
    QProcess process_;
    QByteArray path_;
    int fd_ = -1;
};

// The polled reply of reading `index`, stamped with one of the seconds
// around the request.
bool IsPolledReply(const QString& model, int index, const QByteArray& reply, const QDateTime& before)
{
    for (int s = 0; s <= 2; ++s)
        if (reply == ReadingLines(model, index, kSeed, true, before.addSecs(s)))
            return true;
    return false;
}
} // namespace

TEST(MeterSimPty, AnswersPollsAcrossReopensAndNoise)
{
    for (const char* name : {"A101", "N525", "N335", "K231", "H268", "J7050", "G4020", "P652", "P6710"}) {
        const QString model = QString::fromLatin1(name);
        SCOPED_TRACE(name);
        Sim sim({QStringLiteral("--model"), model});
        ASSERT_TRUE(sim.Path().startsWith("/dev/")) << sim.Path().constData();
        const QByteArray poll = MeterPollCommand(model);
        for (int index = 0; index < 3; ++index) {
            // Every reading on a fresh open: the program may close and reopen the port.
            ASSERT_TRUE(sim.Open());
            QDateTime before = QDateTime::currentDateTime();
            if (index == 1) {
                // Noise and a command arriving in two pieces.
                sim.Send("xx\r\n");
                sim.Send(poll.left(1));
                ::usleep(50000);
                sim.Send(poll.mid(1));
            } else {
                sim.Send(poll);
            }
            EXPECT_TRUE(IsPolledReply(model, index, sim.Receive(150), before)) << "reading " << index;
            sim.Close();
        }
    }
}

TEST(MeterSimPty, AnswersAPollWithinFiftyMilliseconds)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("K231")});
    ASSERT_TRUE(sim.Open());
    // The best of a few tries: a loaded machine may delay one of them.
    qint64 best = 1000000;
    for (int attempt = 0; attempt < 5; ++attempt) {
        const auto start = std::chrono::steady_clock::now();
        sim.Send(MeterPollCommand(QStringLiteral("K231")));
        pollfd p{sim.Fd(), POLLIN, 0};
        ASSERT_GT(::poll(&p, 1, 2000), 0);
        const auto waited = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        best = std::min<qint64>(best, waited.count());
        sim.Receive(100);
    }
    EXPECT_LT(best, 50000) << "microseconds to the first byte of the reply";
}

TEST(MeterSimPty, CommandProtocol)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("J7050M"), QStringLiteral("--dump"), QStringLiteral("4")});
    ASSERT_TRUE(sim.Open());
    sim.Send(SimCommandFrame(QByteArray(24, '\0'))); // wake-up: no answer
    EXPECT_EQ(sim.Receive(), QByteArray());
    sim.Send(SimCommandFrame(">S"));
    EXPECT_EQ(sim.Receive(), SettingsReply(QStringLiteral("J7050M")));
    sim.Send(DumpQuery(QStringLiteral("J7050M")));
    EXPECT_EQ(sim.Receive(), DumpQueryReply(QStringLiteral("J7050M"), 4));
    sim.Send(DumpRequestCommand(QStringLiteral("J7050M")).toLatin1().mid(DumpQuery(QStringLiteral("J7050M")).size()));
    EXPECT_EQ(sim.Receive(), LoggerDump(QStringLiteral("J7050M"), 4, kSeed));
}

TEST(MeterSimPty, LargeDumpOnOpenArrivesWhole)
{
    // Far more than the pseudo-terminal buffers: the simulator has to wait
    // for the reader instead of dropping bytes.
    Sim sim({QStringLiteral("--model"), QStringLiteral("P651"), QStringLiteral("--dump"), QStringLiteral("3000"),
             QStringLiteral("--dump-now")});
    ASSERT_TRUE(sim.Open());
    const QByteArray expected = LoggerDump(QStringLiteral("P651"), 3000, kSeed);
    ASSERT_GT(expected.size(), 100000);
    const QByteArray got = sim.Receive(1500);
    EXPECT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected);
}

// The end of a piped stdin means its starter has gone; any other stdin (a
// terminal, /dev/null as a script's background job gets, a file) is no input
// to wait for, so a simulator started with "&" keeps serving.
TEST(MeterSimPty, OnlyTheEndOfAPipedStdinEndsIt)
{
    QTemporaryFile emptyFile;
    ASSERT_TRUE(emptyFile.open());
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const QString terminalPath = QString::fromLatin1(::ptsname(master));
    const struct {
        const char* stdinIs;
        QStringList extra;
        std::function<void(QProcess&)> setUp;
        std::function<void(QProcess&)> endInput;
        bool ends;
    } cases[] = {
        {"a pipe, closed", {}, {}, [](QProcess& p) { p.closeWriteChannel(); }, true},
        {"a pipe, closed, with --ignore-stdin", {QStringLiteral("--ignore-stdin")}, {},
         [](QProcess& p) { p.closeWriteChannel(); }, false},
        {"/dev/null", {}, [](QProcess& p) { p.setStandardInputFile(QProcess::nullDevice()); }, {}, false},
        {"an empty file", {}, [&](QProcess& p) { p.setStandardInputFile(emptyFile.fileName()); }, {}, false},
        {"a terminal, Ctrl+D typed", {}, [&](QProcess& p) { p.setStandardInputFile(terminalPath); },
         [master](QProcess&) { ASSERT_EQ(::write(master, "\x04", 1), 1); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stdinIs);
        Sim sim(QStringList{QStringLiteral("--model"), QStringLiteral("A101")} + c.extra, c.setUp);
        ASSERT_TRUE(sim.Path().startsWith("/dev/"));
        if (c.endInput)
            c.endInput(sim.Process());
        if (c.ends) {
            EXPECT_EQ(sim.Exit(), 0);
            continue;
        }
        EXPECT_EQ(sim.Exit(700), -1) << "ended";
        ASSERT_TRUE(sim.Open());
        sim.Send(MeterPollCommand(QStringLiteral("A101")));
        EXPECT_FALSE(sim.Receive().isEmpty()) << "no answer to a poll";
        sim.Process().terminate();
        EXPECT_EQ(sim.Exit(), 0);
    }
    ::close(master);
}

TEST(MeterSimPty, ListensOnItsOwnTimeBase)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("G4010"), QStringLiteral("--listen"), QStringLiteral("0.1")});
    ASSERT_TRUE(sim.Open());
    const auto start = std::chrono::steady_clock::now();
    QByteArray got;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(700))
        got += sim.Receive(50);
    const int lines = int(got.count("\r\n"));
    EXPECT_GE(lines, 3);
    EXPECT_LE(lines, 8);
    EXPECT_FALSE(got.contains("<?{")); // printed lines carry no reply framing
}

TEST(MeterSimPty, EndsAsTold)
{
    {
        SCOPED_TRACE("cable pulled after two replies");
        Sim sim({QStringLiteral("--model"), QStringLiteral("K231"), QStringLiteral("--drop-after"), QStringLiteral("2")});
        ASSERT_TRUE(sim.Open());
        sim.Send("8");
        EXPECT_FALSE(sim.Receive().isEmpty());
        sim.Send("8");
        EXPECT_FALSE(sim.Receive().isEmpty());
        EXPECT_EQ(sim.Exit(), 3);
        EXPECT_TRUE(sim.HungUp());
    }
    {
        SCOPED_TRACE("terminated while the program holds the line");
        Sim sim({QStringLiteral("--model"), QStringLiteral("A101"), QStringLiteral("--silent")});
        ASSERT_TRUE(sim.Open());
        sim.Send(">5\r\n");
        EXPECT_EQ(sim.Receive(), QByteArray());
        sim.Process().terminate();
        EXPECT_EQ(sim.Exit(), 0);
    }
}
