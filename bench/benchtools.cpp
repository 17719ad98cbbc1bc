#include "benchtools.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/logging/recordformat.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cmath>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <vector>

extern char** environ;

bool WriteSampleDataFile(AppState& s, const QString& path, int records)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const StampFormat stamps;
    const double start = ToDays(QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0)));
    QByteArray buffer = HeaderLine(s.DeviceName) + "\r\n";
    for (int i = 0; i < records; ++i) {
        ChannelReading& ph = s.Readings[1];
        ChannelReading& t = s.Readings[2];
        ph.ReadingTime = t.ReadingTime = start + i * kOneSecond;
        ph.ValueText = QString::number(7.0 + 0.5 * std::sin(i / 900.0), 'f', 2);
        ph.UnitText = QStringLiteral("pH");
        t.ValueText = QString::number(21.0 + 3.0 * std::sin(i / 3600.0), 'f', 1);
        t.UnitText = QStringLiteral("\u00B0C");
        ph.HasValue = t.HasValue = true;
        ph.OverRange = t.OverRange = (i % 5000 == 4999);
        buffer += RecordLine(s, i % 1000 == 0 ? QStringLiteral("calibrated") : QString(), stamps) + "\r\n";
        if (buffer.size() > (1 << 22)) {
            if (f.write(buffer) != buffer.size())
                return false;
            buffer.clear();
        }
    }
    return f.write(buffer) == buffer.size() && f.flush();
}

long StatusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

qint64 NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double SecondsSince(qint64 startNs) { return double(NowNs() - startNs) / 1e9; }

ChildRun RunChild(const QString& program, const QStringList& args, const QString& stdoutPath)
{
    ChildRun run;
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString& a : args)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : storage)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray out = QFile::encodeName(stdoutPath);
    if (!stdoutPath.isEmpty())
        posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const qint64 start = NowNs();
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return run;
    run.started = true;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = SecondsSince(start);
    run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakKb = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

long CountSystemCalls(const QString& program, const QStringList& args, const QString& stdoutPath)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        return -1;
    QTemporaryFile report;
    if (!report.open())
        return -1;
    QStringList straceArgs{QStringLiteral("-f"), QStringLiteral("-c"), QStringLiteral("-o"), report.fileName(), program};
    straceArgs += args;
    const ChildRun run = RunChild(strace, straceArgs, stdoutPath);
    if (!run.started || run.exitCode != 0)
        return -1;
    // The summary ends with "100.00 <seconds> <usecs> <calls> [errors] total".
    const QList<QByteArray> lines = report.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 4 && fields.last() == "total")
            return fields.value(3).toLong();
    }
    return -1;
}

QString PythonWithPandas()
{
    for (const QString& candidate : {QStringLiteral("python3"), QStringLiteral("/usr/bin/python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import pandas")});
        if (probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return candidate;
    }
    return QString();
}
