#pragma once
// The readings a broker has not yet acknowledged, in a file beside the data
// file, so none is lost while the broker is away or the program is ended
// (even killed) and started again.
//
// The file is appended to only, one line per event:
//   VAMSPOOL 1                    the first line
//   R <seq> <crc> <payload>       a reading (its JSON; crc: CRC-16 of it, hex)
//   A <seq>                       every reading up to seq was acknowledged
//   N <seq>                       the next reading is numbered at least seq
// A reading costs one write and no other system call: the acknowledgement
// marker rides along with the next reading's line (or is written by the
// once-a-second housekeeping when no reading comes), and the file is synced
// to the disk by that housekeeping, not per reading. A line cut off by a
// crash is dropped when the file is opened again (the reading it held was
// never handed to the broker); a damaged line elsewhere is skipped and
// counted. Once everything is acknowledged and the file has grown past a
// mebibyte it is rewritten as a fresh file that keeps only the next number.
//
// Readings are numbered here: the numbers rise by one per reading and go on
// across runs, also past readings that did not fit (the spool is bounded),
// so a consumer sees the gap. Only one program uses a spool at a time (the
// file is locked while open).

#include <QByteArray>
#include <QString>
#include <deque>
#include <vector>

class Spool {
public:
    static constexpr int kDefaultCapacity = 1000000;

    struct Entry {
        quint64 seq = 0;
        QByteArray payload;
    };
    // What opening found of an earlier run.
    struct LoadReport {
        int waiting = 0;      // readings not acknowledged
        int damaged = 0;      // lines skipped
        bool cutOff = false;  // a cut-off last line was dropped
    };
    enum class Appended { Ok, Full, Failed };

    explicit Spool(int capacity = kDefaultCapacity);
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Opens the spool at `path` (created when missing). False, with the reason
    // in `error`, when it cannot be opened, is used by another program, or is
    // some other file.
    bool Open(const QString& path, QString* error);
    // Writes what is pending and closes the file (the lock goes with it).
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const QString& Path() const { return path_; }
    const LoadReport& Loaded() const { return loaded_; }

    // The number the next reading gets.
    quint64 NextSeq() const { return next_; }
    // Numbers below `seq` are used elsewhere (this bench's spool in another
    // folder): the next reading gets at least `seq`.
    void RaiseNextSeq(quint64 seq);
    // Keeps `payload` as reading `seq` (at least NextSeq(), which then moves
    // past it). Full: the spool holds Capacity() readings and this one is not
    // kept (its number is used all the same). Failed: the write failed (Error()).
    Appended Append(quint64 seq, const QByteArray& payload);
    int Count() const { return int(entries_.size()); }
    int Capacity() const { return capacity_; }
    bool IsFull() const { return Count() >= capacity_; }
    quint64 FirstSeq() const { return entries_.empty() ? 0 : entries_.front().seq; }
    quint64 LastSeq() const { return entries_.empty() ? 0 : entries_.back().seq; }
    // Up to `maxCount` readings from the first numbered `fromSeq` or later, in order.
    std::vector<Entry> Take(quint64 fromSeq, int maxCount);
    // The broker has every reading up to `seq`: they leave the spool.
    void Acknowledge(quint64 seq);
    // Once a second: the markers no reading carried are written, a drained
    // large file is rewritten. True when the file was written since the last
    // call, so that the caller has it synced.
    bool Housekeep();
    // The open file (for a sync on another thread: duplicate it first).
    int Handle() const { return fd_; }
    const QString& Error() const { return error_; }

    // The spool of `bench` in `folder`: "vam-mqtt-<bench>.spool", the bench
    // name reduced to letters, digits, '.', '-' and '_' (with a short hash when
    // that changed it, so two benches never share a file).
    static QString PathFor(const QString& folder, const QString& bench);

private:
    struct Index {
        quint64 seq;
        qint64 offset; // of the payload
        int length;
        QByteArray payload; // empty when not held in memory
    };

    bool Load(QString* error);
    bool WriteAll(const QByteArray& bytes);
    QByteArray Markers();
    bool Compact();

    int capacity_;
    QString path_;
    int fd_ = -1;
    qint64 size_ = 0;
    quint64 next_ = 1;
    quint64 acked_ = 0;
    bool ackPending_ = false;
    bool nextPending_ = false;
    bool written_ = false;
    qint64 heldBytes_ = 0;
    std::deque<Index> entries_;
    LoadReport loaded_;
    QString error_;
};
