#pragma once
// The meter end of a pseudo-terminal: the master side the simulator reads and
// writes, and the slave path the program opens as its serial port.

#include <QByteArray>
#include <QString>

class PtyMaster {
public:
    PtyMaster() = default;
    ~PtyMaster();
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;

    // Opens a master (non-blocking) and puts the slave in raw mode without
    // echo. Leaves the pair in the "slave closed" state, so that the first
    // open by the program is seen by SlaveOpen(). False with Error() on failure.
    bool Open();
    void Close();

    int Fd() const { return fd_; }
    const QByteArray& SlavePath() const { return slavePath_; }
    const QString& Error() const { return error_; }

    // True while some process holds the slave open: the master then no longer
    // reports a hang-up.
    bool SlaveOpen() const;

private:
    int fd_ = -1;
    QByteArray slavePath_;
    QString error_;
};

// Watches the slave path for opens (inotify), so a program connecting is
// noticed at once instead of on the next probe. Optional: without it the
// simulator probes the master a few times a second.
class SlaveOpenWatch {
public:
    explicit SlaveOpenWatch(const QByteArray& slavePath);
    ~SlaveOpenWatch();
    SlaveOpenWatch(const SlaveOpenWatch&) = delete;
    SlaveOpenWatch& operator=(const SlaveOpenWatch&) = delete;
    int Fd() const { return fd_; }
    // Reads the pending events away.
    void Drain() const;

private:
    int fd_ = -1;
};
