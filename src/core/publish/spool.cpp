#include "core/publish/spool.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kHeader = QByteArrayLiteral("VAMSPOOL 1\n");
// Readings appended in this run stay in memory up to this much, so that a
// broker keeping up never makes the spool read its file back.
constexpr qint64 kHeldBytes = 8 << 20;
// A drained spool is rewritten once its file is larger than this.
constexpr qint64 kCompactBytes = 1 << 20;
// One read of the file takes at most this much.
constexpr qint64 kReadBytes = 1 << 20;

QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

QByteArray Hex4(quint16 v)
{
    static const char hex[] = "0123456789abcdef";
    QByteArray out(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4)
        out[i] = hex[v & 15];
    return out;
}

bool ParseNumber(QByteArrayView text, quint64& value)
{
    if (text.isEmpty() || text.size() > 19)
        return false;
    quint64 v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + quint64(c - '0');
    }
    value = v;
    return true;
}

} // namespace

Spool::Spool(int capacity) : capacity_(std::max(1, capacity)) {}

Spool::~Spool() { Close(); }

QString Spool::PathFor(const QString& folder, const QString& bench)
{
    QString name;
    for (const QChar c : bench) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') || c == QLatin1Char('-')
            || c == QLatin1Char('_');
        name += plain ? c : QLatin1Char('_');
    }
    if (name != bench || name.startsWith(QLatin1Char('.')))
        name += QLatin1Char('-') + QString::fromLatin1(Hex4(qChecksum(bench.toUtf8())));
    return QDir(folder).filePath(QStringLiteral("vam-mqtt-") + name + QStringLiteral(".spool"));
}

bool Spool::Open(const QString& path, QString* error)
{
    Close();
    path_ = path;
    entries_.clear();
    loaded_ = LoadReport();
    next_ = 1;
    acked_ = 0;
    heldBytes_ = 0;
    ackPending_ = nextPending_ = written_ = false;
    const QByteArray name = QFile::encodeName(path);
    fd_ = ::open(name.constData(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("the spool %1 %2").arg(path, why);
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    };
    if (fd_ < 0)
        return fail(QStringLiteral("cannot be opened: ") + SystemError());
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? QStringLiteral("is in use by another program (the same bench is published "
                                                          "from this folder already)")
                                         : QStringLiteral("cannot be locked: ") + SystemError());
    QString why;
    if (!Load(&why))
        return fail(why);
    loaded_.waiting = Count();
    // A new file gets its first line; a drained large one starts afresh.
    if (size_ == 0 ? !WriteAll(kHeader) : (entries_.empty() && size_ > kCompactBytes && !Compact()))
        return fail(error_);
    written_ = false;
    return true;
}

bool Spool::Load(QString* error)
{
    QFile file;
    if (!file.open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        *error = QStringLiteral("cannot be read: ") + file.errorString();
        return false;
    }
    file.seek(0);
    QByteArray buffer;
    qint64 bufferStart = 0; // file offset of buffer[0]
    qint64 lineStart = 0;
    bool first = true;
    quint64 lastSeq = 0;
    std::deque<Index> entries;
    for (;;) {
        const QByteArray chunk = file.read(kReadBytes);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError) {
            *error = QStringLiteral("cannot be read: ") + file.errorString();
            return false;
        }
        const bool atEnd = chunk.isEmpty();
        buffer += chunk;
        qsizetype from = 0;
        for (qsizetype nl; (nl = buffer.indexOf('\n', from)) >= 0; from = nl + 1) {
            const QByteArrayView line(buffer.constData() + from, nl - from);
            lineStart = bufferStart + from;
            if (first) {
                first = false;
                if (line != QByteArrayView(kHeader).chopped(1)) {
                    *error = QStringLiteral("is no spool of this program (its first line is not '%1')")
                                 .arg(QString::fromLatin1(kHeader.trimmed()));
                    return false;
                }
                continue;
            }
            bool ok = false;
            quint64 seq = 0;
            if (line.size() > 2 && line[1] == ' ' && (line[0] == 'A' || line[0] == 'N')) {
                ok = ParseNumber(line.sliced(2), seq);
                if (ok && line[0] == 'A')
                    acked_ = std::max(acked_, seq);
                else if (ok)
                    next_ = std::max(next_, seq);
            } else if (line.size() > 2 && line[0] == 'R' && line[1] == ' ') {
                const qsizetype s1 = line.indexOf(' ', 2);
                const qsizetype s2 = s1 < 0 ? -1 : line.indexOf(' ', s1 + 1);
                if (s2 > 0 && s2 - s1 == 5 && ParseNumber(line.sliced(2, s1 - 2), seq) && seq > lastSeq) {
                    const QByteArrayView payload = line.sliced(s2 + 1);
                    ok = !payload.isEmpty() && line.sliced(s1 + 1, 4) == QByteArrayView(Hex4(qChecksum(payload)));
                    if (ok) {
                        entries.push_back({seq, lineStart + s2 + 1, int(payload.size()), QByteArray()});
                        lastSeq = seq;
                    }
                }
            }
            if (!ok)
                ++loaded_.damaged;
        }
        buffer.remove(0, from);
        bufferStart += from;
        if (atEnd)
            break;
    }
    size_ = bufferStart + buffer.size();
    if (!buffer.isEmpty()) {
        // A last line without its end: what a crash in the middle of a write
        // leaves. Cut off, so the next line starts on a line of its own.
        if (first && !kHeader.startsWith(buffer)) {
            *error = QStringLiteral("is no spool of this program (it holds no line)");
            return false;
        }
        loaded_.cutOff = true;
        if (::ftruncate(fd_, bufferStart) != 0) {
            *error = QStringLiteral("cannot be repaired: ") + SystemError();
            return false;
        }
        size_ = bufferStart;
        written_ = true;
    }
    next_ = std::max({next_, lastSeq + 1, acked_ + 1});
    while (!entries.empty() && entries.front().seq <= acked_)
        entries.pop_front();
    entries_ = std::move(entries);
    return true;
}

bool Spool::WriteAll(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = QStringLiteral("the spool %1 cannot be written: %2").arg(path_, SystemError());
            // No half line may stay for the next line to run on from.
            if (::ftruncate(fd_, size_) != 0) {
            }
            return false;
        }
        p += n;
        left -= n;
    }
    size_ += bytes.size();
    written_ = true;
    return true;
}

QByteArray Spool::Markers()
{
    QByteArray out;
    if (ackPending_)
        out += "A " + QByteArray::number(acked_) + '\n';
    if (nextPending_)
        out += "N " + QByteArray::number(next_) + '\n';
    return out;
}

Spool::Appended Spool::Append(quint64 seq, const QByteArray& payload)
{
    if (fd_ < 0)
        return Appended::Failed;
    seq = std::max(seq, next_);
    next_ = seq + 1;
    if (IsFull()) {
        nextPending_ = true; // the number is used: said in the file by the housekeeping
        return Appended::Full;
    }
    const QByteArray markers = Markers();
    QByteArray line;
    line.reserve(markers.size() + payload.size() + 32);
    line += markers;
    line += "R ";
    line += QByteArray::number(seq);
    line += ' ';
    line += Hex4(qChecksum(payload));
    line += ' ';
    const qint64 payloadOffset = size_ + line.size();
    line += payload;
    line += '\n';
    if (!WriteAll(line)) {
        nextPending_ = true;
        return Appended::Failed;
    }
    ackPending_ = nextPending_ = false;
    const bool hold = heldBytes_ + payload.size() <= kHeldBytes;
    entries_.push_back({seq, payloadOffset, int(payload.size()), hold ? payload : QByteArray()});
    if (hold)
        heldBytes_ += payload.size();
    return Appended::Ok;
}

void Spool::RaiseNextSeq(quint64 seq)
{
    if (seq <= next_)
        return;
    next_ = seq;
    nextPending_ = true;
}

std::vector<Spool::Entry> Spool::Take(quint64 fromSeq, int maxCount)
{
    std::vector<Entry> out;
    auto it = std::lower_bound(entries_.begin(), entries_.end(), fromSeq,
                               [](const Index& e, quint64 seq) { return e.seq < seq; });
    while (it != entries_.end() && int(out.size()) < maxCount) {
        if (!it->payload.isEmpty()) {
            out.push_back({it->seq, it->payload});
            ++it;
            continue;
        }
        // Readings not held in memory are read back in one go, as many in a
        // row as fit one read.
        auto last = it;
        qint64 end = it->offset + it->length;
        while (std::next(last) != entries_.end() && int(out.size() + (last - it) + 1) < maxCount
               && std::next(last)->payload.isEmpty() && std::next(last)->offset + std::next(last)->length - it->offset <= kReadBytes) {
            ++last;
            end = last->offset + last->length;
        }
        QByteArray block(end - it->offset, Qt::Uninitialized);
        qint64 got = 0;
        while (got < block.size()) {
            const ssize_t n = ::pread(fd_, block.data() + got, size_t(block.size() - got), it->offset + got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        if (got < block.size()) {
            error_ = QStringLiteral("the spool %1 cannot be read: %2").arg(path_, SystemError());
            return out;
        }
        for (auto e = it;; ++e) {
            out.push_back({e->seq, block.mid(e->offset - it->offset, e->length)});
            if (e == last)
                break;
        }
        it = std::next(last);
    }
    return out;
}

void Spool::Acknowledge(quint64 seq)
{
    if (seq <= acked_)
        return;
    acked_ = seq;
    ackPending_ = true;
    while (!entries_.empty() && entries_.front().seq <= seq) {
        heldBytes_ -= entries_.front().payload.size();
        entries_.pop_front();
    }
}

bool Spool::Housekeep()
{
    if (fd_ < 0)
        return false;
    if (entries_.empty() && size_ > kCompactBytes)
        Compact();
    else if (ackPending_ || nextPending_) {
        if (WriteAll(Markers()))
            ackPending_ = nextPending_ = false;
    }
    const bool written = written_;
    written_ = false;
    return written;
}

bool Spool::Compact()
{
    // A fresh file in place of the old one, written whole before it replaces
    // it: a crash leaves the one or the other, never a spool without its
    // next number.
    QSaveFile fresh(path_);
    const QByteArray bytes = kHeader + "N " + QByteArray::number(next_) + '\n';
    if (!fresh.open(QIODevice::WriteOnly) || fresh.write(bytes) != bytes.size() || !fresh.flush()
        || ::fsync(fresh.handle()) != 0 || !fresh.commit()) {
        error_ = QStringLiteral("the spool %1 cannot be rewritten: %2").arg(path_, fresh.errorString());
        return false;
    }
    // The old file is gone from the folder: writing on into it would lose
    // what is written, so without the new one the spool is closed.
    ::close(fd_);
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = QStringLiteral("the spool %1 cannot be opened again: %2").arg(path_, SystemError());
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        return false;
    }
    size_ = bytes.size();
    ackPending_ = nextPending_ = false;
    written_ = false;
    return true;
}

void Spool::Close()
{
    if (fd_ < 0)
        return;
    Housekeep();
    ::fdatasync(fd_);
    ::close(fd_);
    fd_ = -1;
}
