// How fast `vam-cli receive` records a logger print arriving at full speed
// over a pseudo-terminal: vam-metersim prints N records as soon as the line
// opens; the time runs from the first record printed to the last. A P651
// print (16 channels a record) is the long case, once printed only and once
// also written to a data file (--out); a K231 print (2 channels) is the
// short one. When strace is installed, the receiver's system calls are
// counted in a second run.
//
// Usage: bench_receive_throughput [RECORDS] [MODEL...]

#include "benchtools.h"

#include "core/devices/catalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {
QString ToolsDir() { return QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/"); }

// Starts the simulator with a logger print of `records` records; returns its
// pseudo-terminal, or "" when it did not start.
QString StartSimulator(QProcess& sim, const QString& model, int records)
{
    sim.start(ToolsDir() + QStringLiteral("metersim/vam-metersim"),
              {QStringLiteral("--model"), model, QStringLiteral("--dump"), QString::number(records),
               QStringLiteral("--dump-now"), QStringLiteral("--seed"), QStringLiteral("4")});
    while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
    }
    return QString::fromLatin1(sim.readLine().trimmed());
}

void StopSimulator(QProcess& sim)
{
    sim.closeWriteChannel();
    sim.kill();
    sim.waitForFinished(2000);
}

QStringList ReceiveArgs(const QString& model, const QString& pty, int records, const QString& out)
{
    QStringList args{QStringLiteral("receive"), QStringLiteral("--model"), model, QStringLiteral("--port"), pty,
                     QStringLiteral("--count"), QString::number(records)};
    if (!out.isEmpty())
        args << QStringLiteral("--out") << out;
    return args;
}

// Record lines in a data file: every line but the header.
long RecordLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return long(f.readAll().count('\n')) - 1;
}

// CPU seconds of the children that have ended and been waited for.
double ChildrenCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QString Case(const QString& model, const QString& out)
{
    return model + (out.isEmpty() ? QString() : QStringLiteral(" --out"));
}

// One timed run; false when records went missing.
bool Throughput(const QString& model, int records, const QString& out)
{
    QProcess sim;
    const QString pty = StartSimulator(sim, model, records);
    if (pty.isEmpty()) {
        std::fprintf(stderr, "receive_throughput: the simulator did not start\n");
        return false;
    }
    QProcess cli;
    if (!out.isEmpty())
        QFile::remove(out);
    cli.start(ToolsDir() + QStringLiteral("cli/vam-cli"), ReceiveArgs(model, pty, records, out));
    const double cpuBefore = ChildrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    qint64 first = -1, last = -1;
    QByteArray pending;
    long got = 0;
    while (cli.state() != QProcess::NotRunning || cli.bytesAvailable() > 0) {
        if (!cli.waitForReadyRead(30000) && cli.bytesAvailable() == 0)
            break;
        pending += cli.readAllStandardOutput();
        if (pending.contains('\n')) {
            if (first < 0)
                first = clock.nsecsElapsed();
            last = clock.nsecsElapsed();
            // Lines are "time, reading number, channel, ...": the last number is the count so far.
            const qsizetype end = pending.lastIndexOf('\n');
            const qsizetype start = pending.lastIndexOf('\n', end - 1) + 1;
            got = pending.mid(start, end - start).split('\t').value(1).toLong();
            pending = pending.mid(end + 1);
        }
    }
    cli.waitForFinished(5000);
    const double cpu = ChildrenCpuSeconds() - cpuBefore; // the receiver only: the simulator still runs
    StopSimulator(sim);
    const double seconds = (last - first) / 1e9;
    // The CPU time tells what the receiver costs when other programs share the machine.
    std::printf("receive_throughput: %s (%d channels): %ld of %d records in %.3f s = %.0f records/s "
                "(target >= 20000); vam-cli used %.3f s of CPU in all = %.0f records per CPU second\n",
                qPrintable(Case(model, out)), FindModel(model)->channelCount, got, records, seconds,
                seconds > 0 ? got / seconds : 0.0, cpu, cpu > 0 ? got / cpu : 0.0);
    if (!out.isEmpty() && RecordLines(out) != records) {
        std::fprintf(stderr, "receive_throughput: the data file holds %ld records\n", RecordLines(out));
        return false;
    }
    return got == records;
}

void SystemCalls(const QString& model, int records, const QString& out)
{
    QProcess sim;
    const QString pty = StartSimulator(sim, model, records);
    if (pty.isEmpty())
        return;
    if (!out.isEmpty())
        QFile::remove(out);
    const long calls = CountSystemCalls(ToolsDir() + QStringLiteral("cli/vam-cli"),
                                        ReceiveArgs(model, pty, records, out), QStringLiteral("/dev/null"));
    StopSimulator(sim);
    if (calls < 0)
        std::printf("receive_throughput: %s: system calls not counted: strace not installed or failed\n",
                    qPrintable(Case(model, out)));
    else
        std::printf("receive_throughput: %s: vam-cli receive made %ld system calls = %.1f per 1000 records "
                    "(target <= 300)\n",
                    qPrintable(Case(model, out)), calls, calls * 1000.0 / records);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 20000;
    QStringList models;
    for (int i = 2; i < argc; ++i)
        models << QString::fromLocal8Bit(argv[i]);
    if (models.isEmpty())
        models = {QStringLiteral("P651"), QStringLiteral("K231")};
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "receive_throughput: no temporary folder\n");
        return 1;
    }
    bool ok = true;
    for (const QString& model : models) {
        if (!FindModel(model) || records <= 0) {
            std::fprintf(stderr, "receive_throughput: unknown model %s or no records\n", qPrintable(model));
            return 2;
        }
        // The first model also writes a data file, as the program does while it receives.
        QStringList outs{QString()};
        if (model == models.first())
            outs << dir.filePath(QStringLiteral("received.vam"));
        for (const QString& out : outs) {
            ok = Throughput(model, records, out) && ok;
            SystemCalls(model, records, out);
        }
    }
    return ok ? 0 : 1;
}
