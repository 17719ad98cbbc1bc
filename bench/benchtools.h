#pragma once
// Helpers the benchmarks share: a long sample data file written through the
// program's own record writer, child processes timed with their peak memory,
// system calls counted under strace, and the Python that has pandas.

#include <QString>
#include <QStringList>

struct AppState;

// Writes `records` two-channel records (pH and temperature, one a second from
// 2026-01-05 08:00, a header line first) to `path` as the program logs them.
// `s` must be set up for a two-channel device. False when the file cannot be written.
bool WriteSampleDataFile(AppState& s, const QString& path, int records);

// A line of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when absent.
long StatusKb(const char* key);

struct ChildRun {
    bool started = false;
    int exitCode = -1;
    double seconds = 0;
    double cpuSeconds = 0; // user + system
    long peakKb = 0;       // the child's peak resident memory
};
// Runs `program` with `args` to its end, stdout into `stdoutPath` ("" leaves it alone).
ChildRun RunChild(const QString& program, const QStringList& args, const QString& stdoutPath = QString());

// The system calls `program` and its threads make (strace -f -c); -1 when
// strace is not installed or failed.
long CountSystemCalls(const QString& program, const QStringList& args, const QString& stdoutPath = QString());

// A python3 that can import pandas (the Debian package lives in the system
// Python, which another python3 on PATH may hide); empty when none.
QString PythonWithPandas();

double SecondsSince(qint64 startNs);
qint64 NowNs();
