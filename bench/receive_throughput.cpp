// How fast `vam-cli receive` records a logger print arriving at full speed
// over a pseudo-terminal: vam-metersim prints 20,000 K231 records as soon as
// the line opens; the time runs from the first record printed to the last.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 20000;
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/");
    QProcess sim;
    sim.start(dir + QStringLiteral("metersim/vam-metersim"),
              {QStringLiteral("--model"), QStringLiteral("K231"), QStringLiteral("--dump"), QString::number(records),
               QStringLiteral("--dump-now"), QStringLiteral("--seed"), QStringLiteral("4")});
    while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
    }
    const QString pty = QString::fromLatin1(sim.readLine().trimmed());
    if (pty.isEmpty()) {
        std::fprintf(stderr, "receive_throughput: the simulator did not start\n");
        return 1;
    }
    QProcess cli;
    cli.start(dir + QStringLiteral("cli/vam-cli"), {QStringLiteral("receive"), QStringLiteral("--model"), QStringLiteral("K231"),
                                                   QStringLiteral("--port"), pty, QStringLiteral("--count"),
                                                   QString::number(records)});
    QElapsedTimer clock;
    clock.start();
    qint64 first = -1, last = -1;
    QByteArray pending;
    int lines = 0;
    while (cli.state() != QProcess::NotRunning || cli.bytesAvailable() > 0) {
        if (!cli.waitForReadyRead(30000) && cli.bytesAvailable() == 0)
            break;
        pending += cli.readAllStandardOutput();
        const int n = int(pending.count('\n'));
        if (n > 0) {
            if (first < 0)
                first = clock.nsecsElapsed();
            last = clock.nsecsElapsed();
            lines += n;
            pending = pending.mid(pending.lastIndexOf('\n') + 1);
        }
    }
    cli.waitForFinished(5000);
    sim.closeWriteChannel();
    sim.kill();
    sim.waitForFinished(2000);
    const int got = lines / 2; // a K231 record shows two channels
    const double seconds = (last - first) / 1e9;
    std::printf("receive_throughput: %d of %d records in %.3f s = %.0f records/s (target >= 20000)\n", got, records,
                seconds, seconds > 0 ? got / seconds : 0.0);
    return got == records ? 0 : 1;
}
