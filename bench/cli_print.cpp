// Printing a data file without a window: `vam-cli print` turns 1,000 and
// 10,000 two-channel records into a PDF through the page layout (target for
// 1,000: under 2 s). The page count is read back with pdfinfo when installed.

#include "benchtools.h"

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {
QString PageCount(const QString& pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(30000) || info.exitCode() != 0)
        return QStringLiteral("?");
    const auto m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(QString::fromLatin1(info.readAll()));
    return m.hasMatch() ? m.captured(1) : QStringLiteral("?");
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cli_print: no temporary folder\n");
        return 1;
    }
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/cli/vam-cli");
    for (int records : {1000, 10000}) {
        AppState state;
        ApplyDevice(state, QStringLiteral("A101"), 0);
        state.DeviceName = QStringLiteral("A101");
        const QString vam = dir.filePath(QStringLiteral("bench%1.vam").arg(records));
        const QString pdf = dir.filePath(QStringLiteral("bench%1.pdf").arg(records));
        if (!WriteSampleDataFile(state, vam, records)) {
            std::fprintf(stderr, "cli_print: cannot write %s\n", qPrintable(vam));
            return 1;
        }
        const ChildRun run = RunChild(cli, {QStringLiteral("print"), vam, QStringLiteral("--pdf"), pdf},
                                      dir.filePath(QStringLiteral("print.out")));
        if (!run.started || run.exitCode != 0) {
            std::fprintf(stderr, "cli_print: vam-cli print failed (exit %d)\n", run.exitCode);
            return 1;
        }
        std::printf("cli_print: vam-cli print of %d two-channel records: %.3f s (%.3f s of CPU), %s pages, "
                    "%.0f kB, peak RSS %.0f MB%s\n",
                    records, run.seconds, run.cpuSeconds, qPrintable(PageCount(pdf)), QFile(pdf).size() / 1024.0,
                    run.peakKb / 1024.0, records == 1000 ? " (target < 2 s)" : "");
    }
    return 0;
}
