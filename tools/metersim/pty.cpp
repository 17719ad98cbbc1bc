#include "pty.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace {
QString Errno(const char* what) { return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno))); }

void SetRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return;
    cfmakeraw(&t);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
}
} // namespace

PtyMaster::~PtyMaster() { Close(); }

bool PtyMaster::Open()
{
    fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = Errno("posix_openpt");
        return false;
    }
    if (grantpt(fd_) != 0 || unlockpt(fd_) != 0) {
        error_ = Errno("grantpt/unlockpt");
        Close();
        return false;
    }
    const char* name = ptsname(fd_);
    if (!name) {
        error_ = Errno("ptsname");
        Close();
        return false;
    }
    slavePath_ = name;
    // Raw mode is a property of the slave side and outlives this open, as
    // long as the master stays open. Opening and closing the slave here also
    // puts the master into the hang-up state it reports while nobody holds
    // the slave, which is how a later open is detected (a master whose slave
    // was never opened reports nothing).
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error_ = Errno("open slave");
        Close();
        return false;
    }
    SetRaw(slave);
    ::close(slave);
    return true;
}

void PtyMaster::Close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool PtyMaster::SlaveOpen() const
{
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return !(p.revents & POLLHUP);
}

SlaveOpenWatch::SlaveOpenWatch(const QByteArray& slavePath)
{
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && inotify_add_watch(fd_, slavePath.constData(), IN_OPEN) < 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SlaveOpenWatch::~SlaveOpenWatch()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void SlaveOpenWatch::Drain() const
{
    char buf[4096];
    while (fd_ >= 0 && ::read(fd_, buf, sizeof buf) > 0) {
    }
}
