// Loading a long data file: 1,000,000 records of a two-channel meter are
// written to a temporary folder, then loaded into the table model the way the
// Open command does. For reference, the same file is read by a plain
// line-by-line reader, and the same records exported as CSV are read by
// pandas.read_csv when pandas is installed.

#include "benchtools.h"

#include "core/model/appstate.h"
#include "core/logging/csvexport.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

namespace {
constexpr int kRecords = 1000000;

// Starts a new peak-memory measurement (Linux: "5" resets the high-water mark).
bool ResetPeak()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

double Seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "load_datafile: no temporary folder\n");
        return 1;
    }
    AppState state;
    LanguageTable language;
    ApplyDevice(state, QStringLiteral("A101"), NowDays());
    state.DeviceName = QStringLiteral("A101");
    const QString path = dir.filePath(QStringLiteral("bench.vam"));

    QElapsedTimer timer;
    timer.start();
    if (!WriteSampleDataFile(state, path, kRecords)) {
        std::fprintf(stderr, "load_datafile: cannot write %s\n", qPrintable(path));
        return 1;
    }
    const double megabytes = double(QFile(path).size()) / (1 << 20);
    std::printf("load_datafile: generated %d two-channel records, %.1f MB, in %.2f s\n", kRecords, megabytes, Seconds(timer));

    // The program's load: one pass into the table model, with a progress callback.
    const long baseKb = StatusKb("VmRSS");
    const bool peakReset = ResetPeak();
    DataFile file(state, language);
    LogTable table;
    int progressCalls = 0;
    timer.restart();
    const LoadResult r = file.LoadDataFile(table, path, [&](int) {
        ++progressCalls;
        return true;
    });
    const double loadSeconds = Seconds(timer);
    // Without the reset the peak includes the generation above (which streams).
    const long peakKb = StatusKb("VmHWM");
    Q_UNUSED(peakReset);
    std::printf("load_datafile: LoadDataFile into the table model: %d records in %.3f s, peak RSS %.0f MB "
                "(%.0f MB above the %.0f MB before; target < 2 s and < 400 MB), %d progress updates\n",
                r.records, loadSeconds, peakKb / 1024.0, (peakKb - baseKb) / 1024.0, baseKb / 1024.0, progressCalls);
    if (r.records != kRecords || table.CellText(kRecords - 1, table.ValueColumn(2)).isEmpty()) {
        std::fprintf(stderr, "load_datafile: the table does not hold every record\n");
        return 1;
    }

    // Reference: reading the same lines without looking into them.
    timer.restart();
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::string line;
    long lines = 0, bytes = 0;
    while (std::getline(in, line)) {
        ++lines;
        bytes += long(line.size());
    }
    std::printf("load_datafile: plain line-by-line reader (std::getline, nothing kept): %ld lines in %.3f s\n", lines,
                Seconds(timer));

    // Reference: pandas reading the same records as CSV.
    const QString python = PythonWithPandas();
    if (python.isEmpty()) {
        std::printf("load_datafile: pandas.read_csv comparison skipped: pandas not installed\n");
        return 0;
    }
    const QString csvPath = dir.filePath(QStringLiteral("bench.csv"));
    QFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly) || !WriteCsv(table, csv)) {
        std::fprintf(stderr, "load_datafile: cannot write the CSV file\n");
        return 1;
    }
    csv.close();
    QProcess pandas;
    pandas.start(python,
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, time, pandas\n"
                                 "t = time.perf_counter()\n"
                                 "df = pandas.read_csv(sys.argv[1])\n"
                                 "print('%.3f %d' % (time.perf_counter() - t, len(df)))\n"),
                  csvPath});
    if (!pandas.waitForFinished(600000) || pandas.exitCode() != 0) {
        std::printf("load_datafile: pandas.read_csv failed: %s\n", pandas.readAllStandardError().constData());
        return 1;
    }
    const QList<QByteArray> answer = pandas.readAllStandardOutput().trimmed().split(' ');
    const double pandasSeconds = answer.value(0).toDouble();
    std::printf("load_datafile: pandas.read_csv of the same records as CSV: %s rows in %.3f s (LoadDataFile %.2fx %s)\n",
                answer.value(1).constData(), pandasSeconds,
                loadSeconds > 0 ? pandasSeconds / loadSeconds : 0.0, loadSeconds <= pandasSeconds ? "faster" : "slower");
    return 0;
}
