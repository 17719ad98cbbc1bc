// vam-metersim: one simulated Velmark meter on a pseudo-terminal, so that VAM
// and its end-to-end tests can talk to a "meter" without hardware.

#include "meterserver.h"
#include "pty.h"

#include "core/devices/catalogue.h"

#include <QString>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char kUsage[] =
    "Usage: vam-metersim --model MODEL [OPTIONS]\n"
    "Behaves as one meter of MODEL (see 'vam-cli models') on a pseudo-terminal.\n"
    "The first line on stdout is the slave path to open as the serial port.\n"
    "Runs until SIGTERM/SIGINT, or until its stdin ends when that is a pipe\n"
    "(the program that started it has gone); a terminal, /dev/null or a file\n"
    "on stdin is never read, so it keeps running in the background ('&').\n"
    "\n"
    "  --seed N          repeatable values (default 1)\n"
    "  --listen SECONDS  print a reading every SECONDS (fractions allowed)\n"
    "                    instead of waiting for the poll command\n"
    "  --dump N          print a logger memory of N records when the program\n"
    "                    requests it (at once on open for meters without a request)\n"
    "  --dump-now        print the logger memory as soon as the line is opened\n"
    "  --silent          never answer\n"
    "  --mute-polls      answer commands and settings requests, but no poll\n"
    "  --garbage         mix random bytes in between replies\n"
    "  --split           send replies in random pieces with small delays\n"
    "  --drop-after N    close the line and exit with 3 after N replies\n"
    "  --no-crlf         replies end with LF only or nothing\n"
    "  --ignore-stdin    keep running when a piped stdin ends too\n"
    "  --stdout          write to stdout instead of a pseudo-terminal and exit:\n"
    "                    --count N readings (default 10), or the --dump print\n"
    "  --count N         readings written by --stdout\n";

int UsageError(const char* fmt, const char* arg = "")
{
    std::fprintf(stderr, "vam-metersim: ");
    std::fprintf(stderr, fmt, arg);
    std::fprintf(stderr, "\nTry 'vam-metersim --help'.\n");
    return kExitUsage;
}

bool ToInt(const char* text, long long lo, long long hi, long long& out)
{
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && out >= lo && out <= hi;
}

// Only a pipe or a socket on stdin is a line to the program that started the
// simulator, whose end says that program has gone (a test harness, a script
// piping into it). A terminal is not: read from the background ("&" in an
// interactive shell) it stops the simulator with SIGTTIN. Nor is /dev/null,
// which a script gives its background jobs, or a file: both end at once.
bool StdinIsALine()
{
    struct stat st {};
    return ::fstat(STDIN_FILENO, &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    SimOptions opt;
    bool toStdout = false;
    int count = 10;
    bool haveDump = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        long long n = 0;
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (!std::strcmp(a, "--model")) {
            const char* v = value();
            if (!v)
                return UsageError("--model needs a model name");
            opt.model = QString::fromLocal8Bit(v);
        } else if (!std::strcmp(a, "--seed")) {
            const char* v = value();
            if (!v || !ToInt(v, 0, 0xFFFFFFFFLL, n))
                return UsageError("--seed needs a number from 0 to 4294967295");
            opt.seed = quint32(n);
        } else if (!std::strcmp(a, "--listen")) {
            const char* v = value();
            char* end = nullptr;
            const double s = v ? std::strtod(v, &end) : 0;
            if (!v || end == v || *end != '\0' || !(s >= 0.01 && s <= 86400))
                return UsageError("--listen needs a number of seconds from 0.01 to 86400");
            opt.listenSeconds = s;
        } else if (!std::strcmp(a, "--dump")) {
            const char* v = value();
            if (!v || !ToInt(v, 0, 10000000, n))
                return UsageError("--dump needs a number of records");
            opt.dumpRecords = int(n);
            haveDump = true;
        } else if (!std::strcmp(a, "--dump-now")) {
            opt.dumpNow = true;
        } else if (!std::strcmp(a, "--silent")) {
            opt.silent = true;
        } else if (!std::strcmp(a, "--mute-polls")) {
            opt.mutePolls = true;
        } else if (!std::strcmp(a, "--garbage")) {
            opt.garbage = true;
        } else if (!std::strcmp(a, "--split")) {
            opt.split = true;
        } else if (!std::strcmp(a, "--no-crlf")) {
            opt.noCrLf = true;
        } else if (!std::strcmp(a, "--drop-after")) {
            const char* v = value();
            if (!v || !ToInt(v, 0, 1000000000, n))
                return UsageError("--drop-after needs a number of replies");
            opt.dropAfter = int(n);
        } else if (!std::strcmp(a, "--ignore-stdin")) {
            opt.watchStdin = false;
        } else if (!std::strcmp(a, "--stdout")) {
            toStdout = true;
        } else if (!std::strcmp(a, "--count")) {
            const char* v = value();
            if (!v || !ToInt(v, 0, 10000000, n))
                return UsageError("--count needs a number of readings");
            count = int(n);
        } else {
            return UsageError("unknown option '%s'", a);
        }
    }
    if (opt.model.isEmpty())
        return UsageError("--model MODEL is required (see 'vam-cli models')");
    if (!FindModel(opt.model)) {
        std::fprintf(stderr, "vam-metersim: '%s' is not a supported model (see 'vam-cli models')\n",
                     opt.model.toLocal8Bit().constData());
        return kExitUsage;
    }
    if (opt.dumpNow && !haveDump)
        return UsageError("--dump-now needs --dump N");
    opt.watchStdin = opt.watchStdin && StdinIsALine();

    if (toStdout)
        return WriteAll(STDOUT_FILENO, MeterServer::StdoutText(opt, count)) ? kExitOk : kExitError;

    PtyMaster pty;
    if (!pty.Open()) {
        std::fprintf(stderr, "vam-metersim: cannot open a pseudo-terminal: %s\n", pty.Error().toLocal8Bit().constData());
        return kExitError;
    }
    // The caller reads this line to learn where to connect; it must not wait
    // in a buffer.
    std::printf("%s\n", pty.SlavePath().constData());
    std::fflush(stdout);
    MeterServer server(opt, pty);
    return server.Run();
}
