#include "meterserver.h"

#include "loggerdump.h"
#include "pty.h"
#include "readingformats.h"

#include <QDateTime>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

namespace {
// Without inotify a program opening the line is noticed by probing the master
// this often; with it the probe is only a safety net.
constexpr int kProbeMs = 250;
constexpr int kProbeWithWatchMs = 1000;
// The program empties its input buffer right after opening the port: a print
// started at the very moment of the open would lose its first bytes.
constexpr int kDumpNowDelayMs = 500;
// Before the cable is "pulled", the last reply gets time to be read.
constexpr int kLingerMs = 300;

int gSignalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    const int saved = errno;
    [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &c, 1);
    errno = saved;
}

bool InstallSignalPipe()
{
    if (gSignalPipe[0] < 0 && ::pipe2(gSignalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

qint64 NowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// CR LF becomes LF, and about every other reply loses its last line end too.
QByteArray WithoutCrLf(QByteArray bytes, SimRandom& random)
{
    bytes.replace("\r\n", "\n");
    if (random.Chance(50) && bytes.endsWith('\n'))
        bytes.chop(1);
    return bytes;
}

// Line noise: a few random bytes, sometimes closed like a line.
QByteArray Garbage(SimRandom& random)
{
    QByteArray g;
    const int n = random.Between(1, 16);
    for (int i = 0; i < n; ++i)
        g += char(random.Below(256));
    if (random.Chance(50))
        g += "\r\n";
    return g;
}

// A request of several CR LF-terminated commands, one entry each.
QList<QByteArray> SplitCommands(const QByteArray& request)
{
    QList<QByteArray> out;
    qsizetype start = 0;
    while (start < request.size()) {
        const qsizetype end = request.indexOf("\r\n", start);
        const qsizetype stop = end < 0 ? request.size() : end + 2;
        out.append(request.mid(start, stop - start));
        start = stop;
    }
    return out;
}

constexpr quint64 kMisbehaviourStream = 0xBADC0FFEEULL;
} // namespace

MeterServer::MeterServer(const SimOptions& options, PtyMaster& pty)
    : opt_(options), pty_(pty), random_(quint64(options.seed) ^ kMisbehaviourStream)
{
    dropping_ = opt_.dropAfter == 0; // a cable pulled before the first reply
    poll_ = MeterPollCommand(opt_.model);
    if (HasCommandProtocol(opt_.model)) {
        settings_ = SimCommandFrame(">S");
        wakeUp_ = SimCommandFrame(QByteArray(24, '\0'));
    }
    // The last command of the logger request starts the print; a query before
    // it is answered with the record count, anything else is acknowledged silently.
    dumpQuery_ = DumpQuery(opt_.model);
    QList<QByteArray> steps = SplitCommands(DumpRequestCommand(opt_.model).toLatin1());
    if (!steps.isEmpty())
        dumpTrigger_ = steps.takeLast();
    for (const QByteArray& s : steps)
        if (s != dumpQuery_)
            dumpSteps_.append(s);
    // Families whose print is started on the meter itself: the simulated user
    // presses "print" when the program opens the line.
    if (opt_.dumpRecords >= 0 && dumpTrigger_.isEmpty())
        opt_.dumpNow = true;
}

QByteArray MeterServer::StdoutText(const SimOptions& o, int count)
{
    if (o.dumpRecords >= 0)
        return LoggerDump(o.model, o.dumpRecords, o.seed);
    SimRandom random(quint64(o.seed) ^ kMisbehaviourStream);
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        QByteArray reading = ReadingLines(o.model, i, o.seed, false);
        if (o.noCrLf)
            reading = WithoutCrLf(reading, random);
        out += reading;
        if (o.garbage && random.Chance(50))
            out += Garbage(random);
    }
    return out;
}

int MeterServer::Run()
{
    if (!InstallSignalPipe())
        return kExitError;
    SlaveOpenWatch watch(pty_.SlavePath());
    bool watchStdin = opt_.watchStdin;
    if (pty_.SlaveOpen()) {
        connected_ = true;
        OnConnected();
    }
    for (;;) {
        qint64 now = NowMs();
        if (dropping_ && output_.empty()) {
            if (dropAt_ < 0)
                dropAt_ = now + kLingerMs;
            if (now >= dropAt_) {
                pty_.Close();
                return kExitDropped;
            }
        }
        if (connected_) {
            if (dumpAt_ >= 0 && now >= dumpAt_) {
                dumpAt_ = -1;
                StartDump();
            }
            if (opt_.listenSeconds > 0 && nextListen_ >= 0 && now >= nextListen_) {
                SendReply(ReadingLines(opt_.model, readingIndex_++, opt_.seed, false, QDateTime::currentDateTime()));
                const qint64 step = qMax<qint64>(1, qint64(opt_.listenSeconds * 1000.0));
                nextListen_ += step;
                if (nextListen_ <= now)
                    nextListen_ = now + step; // fell behind (line closed or slow reader): no catching up
            }
            WriteOutput();
        }

        pollfd fds[4];
        int n = 0;
        fds[n++] = pollfd{gSignalPipe[0], POLLIN, 0};
        const int stdinIndex = watchStdin ? n : -1;
        if (watchStdin)
            fds[n++] = pollfd{STDIN_FILENO, POLLIN, 0};
        int masterIndex = -1, watchIndex = -1;
        int timeout = -1;
        auto limit = [&timeout, now](qint64 at) {
            const int ms = int(qBound<qint64>(0, at - now, qint64(60 * 60 * 1000)));
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        };
        if (connected_) {
            // A hung-up master reports POLLHUP on every poll(): it is only
            // watched while the program holds the line open.
            masterIndex = n;
            fds[n++] = pollfd{pty_.Fd(), short(POLLIN | (OutputDue() ? POLLOUT : 0)), 0};
            if (opt_.listenSeconds > 0 && nextListen_ >= 0)
                limit(nextListen_);
            if (!output_.empty() && output_.front().notBefore > now)
                limit(output_.front().notBefore);
            if (dumpAt_ >= 0)
                limit(dumpAt_);
        } else {
            if (watch.Fd() >= 0) {
                watchIndex = n;
                fds[n++] = pollfd{watch.Fd(), POLLIN, 0};
            }
            limit(now + (watch.Fd() >= 0 ? kProbeWithWatchMs : kProbeMs));
        }
        if (dropping_ && output_.empty())
            limit(dropAt_ < 0 ? now : dropAt_);

        if (::poll(fds, nfds_t(n), timeout) < 0) {
            if (errno == EINTR)
                continue;
            return kExitError;
        }
        if (fds[0].revents & POLLIN)
            return kExitOk;
        if (stdinIndex >= 0 && fds[stdinIndex].revents) {
            const short ev = fds[stdinIndex].revents;
            if (ev & POLLNVAL) {
                watchStdin = false; // no stdin at all: nothing to wait for
            } else {
                char buf[4096];
                const ssize_t got = ::read(STDIN_FILENO, buf, sizeof buf);
                if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                    return kExitOk;
            }
        }
        if (masterIndex >= 0) {
            const short ev = fds[masterIndex].revents;
            if (ev & POLLIN)
                ReadInput();
            if (connected_ && (ev & (POLLHUP | POLLERR)))
                OnHangUp();
            if (connected_ && (ev & POLLOUT))
                WriteOutput();
        }
        if (!connected_) {
            if (watchIndex >= 0 && fds[watchIndex].revents)
                watch.Drain();
            if (pty_.SlaveOpen()) {
                connected_ = true;
                OnConnected();
            }
        }
    }
}

void MeterServer::OnConnected()
{
    input_.clear();
    const qint64 now = NowMs();
    // The first reading follows one interval after the open, as if the meter
    // had just been switched to printing.
    nextListen_ = opt_.listenSeconds > 0 ? now + qint64(opt_.listenSeconds * 1000.0) : -1;
    dumpAt_ = (opt_.dumpNow && opt_.dumpRecords >= 0) ? now + kDumpNowDelayMs : -1;
}

void MeterServer::OnHangUp()
{
    // The program closed the port: whatever was on its way is gone with it.
    connected_ = false;
    output_.clear();
    input_.clear();
    dumpAt_ = -1;
}

void MeterServer::ReadInput()
{
    char buf[4096];
    for (;;) {
        const ssize_t got = ::read(pty_.Fd(), buf, sizeof buf);
        if (got > 0) {
            input_.append(buf, int(got));
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        OnHangUp(); // EIO: the slave side is closed
        return;
    }
    HandleCommands();
}

void MeterServer::HandleCommands()
{
    while (!input_.isEmpty()) {
        const QByteArray* known[] = {&poll_, &settings_, &wakeUp_, &dumpQuery_, &dumpTrigger_};
        const QByteArray* matched = nullptr;
        bool partial = false;
        for (const QByteArray* c : known) {
            if (c->isEmpty())
                continue;
            if (input_.startsWith(*c)) {
                matched = c;
                break;
            }
            partial = partial || c->startsWith(input_);
        }
        bool step = false;
        if (!matched) {
            for (const QByteArray& s : dumpSteps_) {
                if (input_.startsWith(s)) {
                    input_.remove(0, s.size());
                    step = true;
                    break;
                }
                partial = partial || s.startsWith(input_);
            }
        }
        if (step)
            continue;
        if (!matched) {
            if (partial)
                return; // the rest of the command is still on its way
            input_.remove(0, 1); // not a command: a real meter ignores it
            continue;
        }
        input_.remove(0, matched->size());
        if (matched == &poll_ && opt_.mutePolls)
            continue;
        if (matched == &poll_)
            SendReply(ReadingLines(opt_.model, readingIndex_++, opt_.seed, true, QDateTime::currentDateTime()));
        else if (matched == &settings_)
            SendReply(SettingsReply(opt_.model));
        else if (matched == &dumpQuery_)
            SendReply(DumpQueryReply(opt_.model, qMax(0, opt_.dumpRecords)));
        else if (matched == &dumpTrigger_ && opt_.dumpRecords >= 0)
            StartDump();
        // The wake-up burst needs no answer.
    }
}

QByteArray MeterServer::Misbehave(QByteArray bytes)
{
    if (opt_.noCrLf)
        bytes = WithoutCrLf(bytes, random_);
    return bytes;
}

void MeterServer::SendReply(QByteArray bytes)
{
    if (opt_.silent || dropping_ || bytes.isEmpty())
        return;
    bytes = Misbehave(bytes);
    if (opt_.split) {
        qint64 t = NowMs();
        if (!output_.empty())
            t = std::max(t, output_.back().notBefore);
        for (qsizetype at = 0; at < bytes.size();) {
            const int size = random_.Between(1, 12);
            t += random_.Between(2, 25);
            output_.push_back(Piece{bytes.mid(at, size), t});
            at += size;
        }
    } else {
        SendRaw(bytes);
    }
    if (opt_.garbage && random_.Chance(50))
        SendRaw(Garbage(random_));
    ++replies_;
    if (opt_.dropAfter >= 0 && replies_ >= opt_.dropAfter)
        dropping_ = true;
}

void MeterServer::SendRaw(const QByteArray& bytes)
{
    if (!bytes.isEmpty())
        output_.push_back(Piece{bytes, 0});
}

void MeterServer::StartDump()
{
    if (opt_.silent || dropping_)
        return;
    // Flow control only: the print is never split, garbled or shortened.
    SendRaw(LoggerDump(opt_.model, opt_.dumpRecords, opt_.seed));
    ++replies_;
    if (opt_.dropAfter >= 0 && replies_ >= opt_.dropAfter)
        dropping_ = true;
}

bool MeterServer::OutputDue() const { return !output_.empty() && output_.front().notBefore <= NowMs(); }

void MeterServer::WriteOutput()
{
    while (connected_ && !output_.empty()) {
        Piece& head = output_.front();
        if (head.notBefore > NowMs())
            return;
        const ssize_t put = ::write(pty_.Fd(), head.bytes.constData() + head.written, size_t(head.bytes.size() - head.written));
        if (put < 0) {
            if (errno == EAGAIN || errno == EINTR)
                return; // the line is full: wait for POLLOUT
            OnHangUp();
            return;
        }
        head.written += put;
        if (head.written < head.bytes.size())
            return;
        output_.pop_front();
    }
}
