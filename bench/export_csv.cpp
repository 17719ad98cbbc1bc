// Exporting a long data file: `vam-cli export` turns 1,000,000 two-channel
// records into numeric CSV, long CSV, an Excel workbook and the raw CSV of
// earlier versions. For reference, pandas reads the same ".vam" file and
// writes it as CSV, and as an Excel workbook through openpyxl, in the same
// run (when pandas and openpyxl are installed). The export's system calls are
// counted under strace when strace is installed.

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

// pandas's part, timed from inside Python without its start-up and import
// (vam-cli's times include its start-up): "seconds rows cpu-seconds".
const char* const kPandasCsv = "import sys, time, pandas\n"
                               "t, c = time.perf_counter(), time.process_time()\n"
                               "df = pandas.read_csv(sys.argv[1], header=None, skiprows=1, quotechar=\"'\",\n"
                               "                     encoding='latin-1')\n"
                               "df.to_csv(sys.argv[2], index=False)\n"
                               "print('%.3f %d %.3f' % (time.perf_counter() - t, len(df), time.process_time() - c))\n";
// to_excel alone: reading the file is not part of it.
const char* const kPandasExcel = "import sys, time, pandas\n"
                                 "df = pandas.read_csv(sys.argv[1], header=None, skiprows=1, quotechar=\"'\",\n"
                                 "                     encoding='latin-1')\n"
                                 "t, c = time.perf_counter(), time.process_time()\n"
                                 "df.to_excel(sys.argv[2], index=False, engine='openpyxl')\n"
                                 "print('%.3f %d %.3f' % (time.perf_counter() - t, len(df), time.process_time() - c))\n";

struct PythonRun {
    bool ok = false;
    double seconds = 0, cpu = 0;
    QByteArray rows, error;
};

PythonRun RunPython(const QString& python, const char* script, const QStringList& args)
{
    QProcess p;
    p.start(python, QStringList{QStringLiteral("-c"), QString::fromLatin1(script)} + args);
    PythonRun r;
    if (!p.waitForFinished(3600000) || p.exitCode() != 0) {
        r.error = p.readAllStandardError();
        return r;
    }
    const QList<QByteArray> answer = p.readAllStandardOutput().trimmed().split(' ');
    r.ok = true;
    r.seconds = answer.value(0).toDouble();
    r.rows = answer.value(1);
    r.cpu = answer.value(2).toDouble();
    return r;
}

double Ratio(double a, double b) { return b > 0 ? a / b : 0.0; }
} // namespace

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
    if (!WriteSampleDataFile(state, vam, kRecords)) {
        std::fprintf(stderr, "export_csv: cannot write %s\n", qPrintable(vam));
        return 1;
    }
    const double megabytes = double(QFile(vam).size()) / (1 << 20);

    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/cli/vam-cli");
    const struct {
        const char* what;
        QStringList options;
    } exports[] = {
        {"numeric CSV", {QStringLiteral("--csv"), dir.filePath(QStringLiteral("bench.csv"))}},
        {"long CSV", {QStringLiteral("--long"), QStringLiteral("--csv"), dir.filePath(QStringLiteral("long.csv"))}},
        {"raw CSV", {QStringLiteral("--raw"), QStringLiteral("--csv"), dir.filePath(QStringLiteral("raw.csv"))}},
        {"Excel workbook", {QStringLiteral("--xlsx"), dir.filePath(QStringLiteral("bench.xlsx"))}},
    };
    ChildRun csvRun, xlsxRun;
    for (const auto& e : exports) {
        const QStringList args = QStringList{QStringLiteral("export"), vam} + e.options;
        const ChildRun run = RunChild(cli, args);
        if (!run.started || run.exitCode != 0) {
            std::fprintf(stderr, "export_csv: vam-cli export to %s failed (exit %d)\n", e.what, run.exitCode);
            return 1;
        }
        std::printf("export_csv: vam-cli export of %d two-channel records (%.1f MB) to %s: %.3f s (%.3f s of CPU), "
                    "peak RSS %.0f MB (target < 400 MB)\n",
                    kRecords, megabytes, e.what, run.seconds, run.cpuSeconds, run.peakKb / 1024.0);
        if (e.options.first() == QLatin1String("--csv"))
            csvRun = run;
        if (e.options.first() == QLatin1String("--xlsx"))
            xlsxRun = run;
        if (e.options.first() == QLatin1String("--long"))
            continue;
        const long calls = CountSystemCalls(cli, args);
        if (calls < 0)
            std::printf("export_csv: system calls not counted: strace not installed\n");
        else
            std::printf("export_csv: vam-cli export to %s made %ld system calls = %.1f per 1000 records (target <= 300)\n",
                        e.what, calls, calls * 1000.0 / kRecords);
    }

    const QString python = PythonWithPandas();
    if (python.isEmpty()) {
        std::printf("export_csv: pandas comparison skipped: pandas not installed (Debian: python3-pandas)\n");
        return 0;
    }
    const PythonRun csv = RunPython(python, kPandasCsv, {vam, dir.filePath(QStringLiteral("pandas.csv"))});
    if (!csv.ok) {
        std::printf("export_csv: pandas failed: %s\n", csv.error.constData());
        return 1;
    }
    // The CPU times compare the work done, whatever else runs on the machine.
    std::printf("export_csv: pandas read_csv + to_csv of the same file: %s rows in %.3f s (%.3f s of CPU); "
                "vam-cli export to numeric CSV takes %.2f x that time (target <= 0.5 x) and %.2f x its CPU time\n",
                csv.rows.constData(), csv.seconds, csv.cpu, Ratio(csvRun.seconds, csv.seconds),
                Ratio(csvRun.cpuSeconds, csv.cpu));

    QProcess probe;
    probe.start(python, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0) {
        std::printf("export_csv: pandas to_excel skipped: openpyxl not installed (Debian: python3-openpyxl)\n");
        return 0;
    }
    const PythonRun excel = RunPython(python, kPandasExcel, {vam, dir.filePath(QStringLiteral("pandas.xlsx"))});
    if (!excel.ok) {
        std::printf("export_csv: pandas to_excel failed: %s\n", excel.error.constData());
        return 1;
    }
    std::printf("export_csv: pandas to_excel (openpyxl) of the same data: %s rows in %.3f s (%.3f s of CPU); "
                "vam-cli export to a workbook, reading the file included, takes %.3f x that time (target <= 0.1 x) "
                "and %.3f x its CPU time\n",
                excel.rows.constData(), excel.seconds, excel.cpu, Ratio(xlsxRun.seconds, excel.seconds),
                Ratio(xlsxRun.cpuSeconds, excel.cpu));
    return 0;
}
