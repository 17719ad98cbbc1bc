// Exporting a long data file: `vam-cli export` turns 1,000,000 two-channel
// records into CSV. For reference, pandas reads the same ".vam" file and
// writes it as CSV in the same run (when pandas is installed). The export's
// system calls are counted under strace when strace is installed.

#include "benchtools.h"

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {
constexpr int kRecords = 1000000;
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "export_csv: no temporary folder\n");
        return 1;
    }
    AppState state;
    ApplyDevice(state, QStringLiteral("A101"), 0);
    state.DeviceName = QStringLiteral("A101");
    const QString vam = dir.filePath(QStringLiteral("bench.vam"));
    const QString csv = dir.filePath(QStringLiteral("bench.csv"));
    if (!WriteSampleDataFile(state, vam, kRecords)) {
        std::fprintf(stderr, "export_csv: cannot write %s\n", qPrintable(vam));
        return 1;
    }
    const double megabytes = double(QFile(vam).size()) / (1 << 20);

    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/cli/vam-cli");
    const QStringList args{QStringLiteral("export"), vam, QStringLiteral("--csv"), csv};
    const ChildRun run = RunChild(cli, args);
    if (!run.started || run.exitCode != 0) {
        std::fprintf(stderr, "export_csv: vam-cli export failed (exit %d)\n", run.exitCode);
        return 1;
    }
    std::printf("export_csv: vam-cli export of %d two-channel records (%.1f MB) to CSV: %.3f s (%.3f s of CPU), "
                "peak RSS %.0f MB (target < 400 MB)\n",
                kRecords, megabytes, run.seconds, run.cpuSeconds, run.peakKb / 1024.0);

    const long calls = CountSystemCalls(cli, args);
    if (calls < 0)
        std::printf("export_csv: system calls not counted: strace not installed\n");
    else
        std::printf("export_csv: vam-cli export made %ld system calls = %.1f per 1000 records (target <= 300)\n", calls,
                    calls * 1000.0 / kRecords);

    const QString python = PythonWithPandas();
    if (python.isEmpty()) {
        std::printf("export_csv: pandas comparison skipped: pandas not installed (Debian: python3-pandas)\n");
        return 0;
    }
    // pandas is timed from inside Python, without its start-up and import,
    // while the export above includes vam-cli's start-up.
    QProcess pandas;
    pandas.start(python, {QStringLiteral("-c"),
                          QStringLiteral("import sys, time, pandas\n"
                                         "t, c = time.perf_counter(), time.process_time()\n"
                                         "df = pandas.read_csv(sys.argv[1], header=None, skiprows=1, quotechar=\"'\",\n"
                                         "                     encoding='latin-1')\n"
                                         "df.to_csv(sys.argv[2], index=False)\n"
                                         "print('%.3f %d %.3f' % (time.perf_counter() - t, len(df), time.process_time() - c))\n"),
                          vam, dir.filePath(QStringLiteral("pandas.csv"))});
    if (!pandas.waitForFinished(600000) || pandas.exitCode() != 0) {
        std::printf("export_csv: pandas failed: %s\n", pandas.readAllStandardError().constData());
        return 1;
    }
    const QList<QByteArray> answer = pandas.readAllStandardOutput().trimmed().split(' ');
    const double pandasSeconds = answer.value(0).toDouble();
    const double pandasCpu = answer.value(2).toDouble();
    // The CPU times compare the work done, whatever else runs on the machine.
    std::printf("export_csv: pandas read_csv + to_csv of the same file: %s rows in %.3f s (%.3f s of CPU); "
                "vam-cli export takes %.2f x that time (target <= 0.5 x) and %.2f x its CPU time\n",
                answer.value(1).constData(), pandasSeconds, pandasCpu, pandasSeconds > 0 ? run.seconds / pandasSeconds : 0.0,
                pandasCpu > 0 ? run.cpuSeconds / pandasCpu : 0.0);
    return 0;
}
