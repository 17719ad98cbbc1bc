// vam-cli print: the table of a data file as a PDF, through the program's
// own page layout, with the page header of a configuration's [PRINTER].

#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"
#include "cli_datafile.h"

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/printing/printroutines.h"
#include "ui/printing/paintercanvas.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <cstdio>

namespace {
// What a printer cannot print on: the margins are measured from inside it.
constexpr double kUnprintableMm = 5;
} // namespace

int RunPrint(const QStringList& args)
{
    const CliArgs a("print", args, {"--pdf", "--config", "--selection"}, {}, 1);
    if (!a.Ok()) {
        a.Report();
        return UsageError("print");
    }
    const QString path = a.Positional().value(0), pdf = a.Value("--pdf"), config = a.Value("--config"),
                  selection = a.Value("--selection");
    if (path.isEmpty() || pdf.isEmpty())
        return UsageError("print");
    int first = 1, last = std::numeric_limits<int>::max();
    if (!selection.isEmpty()) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+)-(\\d+)$")).match(selection);
        bool ok1 = false, ok2 = false;
        if (m.hasMatch()) {
            first = m.captured(1).toInt(&ok1);
            last = m.captured(2).toInt(&ok2);
        }
        if (!ok1 || !ok2 || first < 1 || last < first) {
            std::fprintf(stderr, "vam-cli print: --selection wants two log numbers N-M with 1 <= N <= M, not '%s'\n",
                         qPrintable(selection));
            return 2;
        }
    }
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "vam-cli print: '%s' does not exist\n", qPrintable(path));
        return 1;
    }

    AppState state;
    state.UserName = qEnvironmentVariable("USER");
    state.SystemName = QSysInfo::machineHostName();
    state.DocumentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    state.ApplyDefaults();
    LanguageTable language;
    if (!config.isEmpty()) {
        if (!QFile::exists(config)) {
            std::fprintf(stderr, "vam-cli print: '%s' does not exist\n", qPrintable(config));
            return 1;
        }
        ConfigLayout layout;
        ConfigReport report;
        if (ReadConfig(state, language, layout, config, &report) != ConfigReadStatus::Read) {
            std::fprintf(stderr, "vam-cli print: cannot read '%s': %s\n", qPrintable(config),
                         qPrintable(report.Error));
            return 1;
        }
    }
    // The data file decides the table's columns.
    const QString model = DataFileModel(path);
    if (model.isEmpty() || !FindModel(model)) {
        std::fprintf(stderr, "vam-cli print: no header line of '%s' names a supported meter\n", qPrintable(path));
        return 1;
    }
    ApplyDevice(state, model, NowDays());
    state.DeviceName = model;
    // The page header names the meter the file was logged from, unless the
    // configuration's page header names one itself.
    if (state.PrintDeviceName.trimmed().isEmpty())
        state.PrintDeviceName = model;
    DataFile file(state, language);
    LogTable table;
    const LoadResult loaded = file.LoadDataFile(table, path);
    if (!loaded.report.ok) {
        std::fprintf(stderr, "vam-cli print: %s\n", qPrintable(loaded.report.message.simplified()));
        return 1;
    }
    if (!SayLoadDamage(loaded, path, "print"))
        return 1;
    table.LoadCaptions(language);
    std::vector<int> rows;
    for (int row = 0; row < table.Count(); ++row) {
        const int number = table.Number(row);
        if (number >= first && number <= last)
            rows.push_back(row);
    }
    if (rows.empty()) {
        std::fprintf(stderr, "vam-cli print: no records numbered %d to %d in '%s'\n", first, last, qPrintable(path));
        return 1;
    }

    QPdfWriter writer(pdf);
    writer.setCreator(QStringLiteral("vam-cli"));
    writer.setTitle(QFileInfo(path).fileName());
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     state.PrintOrientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(kUnprintableMm, kUnprintableMm, kUnprintableMm, kUnprintableMm),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        std::fprintf(stderr, "vam-cli print: cannot write '%s'\n", qPrintable(pdf));
        return 1;
    }
    PainterCanvas canvas(painter, writer);
    PrintEngine engine(canvas, state, language);
    engine.Start();
    // Titled by the file's name alone, wherever the file lies.
    PrintTable(engine, {QFileInfo(path).fileName(), 0}, table, AllTableColumns(table), rows);
    if (!painter.end()) {
        std::fprintf(stderr, "vam-cli print: writing '%s' failed\n", qPrintable(pdf));
        return 1;
    }
    std::printf("%s: %d record(s) on %d page(s)\n", qPrintable(pdf), int(rows.size()), engine.PageNumber());
    return 0;
}
