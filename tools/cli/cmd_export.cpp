// vam-cli export: a data file's readings for data tools. By default CSV with
// every channel a numeric column in one unit and a flag column; --long one
// row per reading and channel; --xlsx an Excel workbook; --raw the
// record-for-record texts of earlier versions.

#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"
#include "cli_datafile.h"

#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/csvexport.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/logging/numericexport.h"
#include "core/logging/workbookexport.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {
void Say(const QString& line) { std::fprintf(stderr, "vam-cli export: %s\n", qPrintable(line)); }

// The summary of what was left out or empty, when there is anything to say.
void SayResult(const ExportResult& r)
{
    if (r.stopRecords > 0)
        Say(QStringLiteral("%1 stop record(s) left out (they repeat the last reading)").arg(r.stopRecords));
}

// Writes to stdout or through a file that replaces OUT only when complete.
bool WriteText(const QString& target, const std::function<bool(QIODevice&)>& write)
{
    if (target.isEmpty() || target == QLatin1String("-")) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly)) {
            Say(QStringLiteral("cannot write to standard output"));
            return false;
        }
        if (!write(out) || !out.flush()) {
            Say(QStringLiteral("writing failed: %1").arg(out.errorString()));
            return false;
        }
        return true;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        Say(QStringLiteral("cannot write '%1': %2").arg(target, out.errorString()));
        return false;
    }
    if (!write(out) || !out.commit()) {
        Say(QStringLiteral("writing '%1' failed: %2").arg(target, out.errorString()));
        return false;
    }
    return true;
}
} // namespace

int RunExport(const QStringList& args)
{
    const CliArgs a("export", args, {"--csv", "--xlsx", "--model", "--config"}, {"--long", "--raw"}, 1);
    if (!a.Ok()) {
        a.Report();
        return UsageError("export");
    }
    const QString path = a.Positional().value(0), csv = a.Value("--csv"), xlsx = a.Value("--xlsx"),
                  config = a.Value("--config");
    const bool raw = a.Has("--raw"), longLayout = a.Has("--long");
    QString model = CliModelName(a.Value("--model"));
    if (path.isEmpty())
        return UsageError("export");
    if ((raw && (longLayout || !xlsx.isEmpty())) || (longLayout && !xlsx.isEmpty()) || (!xlsx.isEmpty() && a.Has("--csv"))) {
        Say(QStringLiteral("choose one of --csv, --long and --raw (CSV) or --xlsx (workbook)"));
        return UsageError("export");
    }
    if (!QFile::exists(path)) {
        Say(QStringLiteral("'%1' does not exist").arg(path));
        return 1;
    }
    if (model.isEmpty())
        model = DataFileModel(path);
    if (model.isEmpty()) {
        Say(QStringLiteral("no header line names the meter; give it with --model MODEL"));
        return 2;
    }
    if (!FindModel(model)) {
        Say(QStringLiteral("'%1' is not a supported model (see 'vam-cli models')").arg(model));
        return 2;
    }

    AppState state;
    LanguageTable language;
    bool named = false; // the configuration's channel names and switches apply
    if (!config.isEmpty()) {
        if (!QFile::exists(config)) {
            Say(QStringLiteral("'%1' does not exist").arg(config));
            return 1;
        }
        ConfigLayout layout;
        ConfigReport report;
        if (ReadConfig(state, language, layout, config, &report) != ConfigReadStatus::Read) {
            Say(QStringLiteral("cannot read '%1': %2").arg(config, report.Error));
            return 1;
        }
        named = state.DeviceName == model;
        if (!named)
            Say(QStringLiteral("'%1' is set up for the %2, the data file holds the %3: its channel names are not used")
                    .arg(config, state.DeviceName, model));
    }
    if (!named) {
        ApplyDevice(state, model, NowDays());
        state.DeviceName = model;
    }
    DataFile file(state, language);
    LogTable table;
    const LoadResult loaded = file.LoadDataFile(table, path);
    if (!loaded.report.ok) {
        Say(loaded.report.message.simplified());
        return 1;
    }
    if (!SayLoadDamage(loaded, path, "export"))
        return 1;

    const ExportScope scope = ExportScopeOf(state, table, &language);
    bool ok = true;
    ExportResult result;
    if (!xlsx.isEmpty()) {
        RunInfo run;
        run.model = model;
        run.dataFile = path;
        run.configFile = config;
        result = WriteWorkbook(scope, run, xlsx, Say);
        if (!result.ok)
            Say(QStringLiteral("cannot write '%1': %2").arg(xlsx, result.error));
        ok = result.ok;
    } else if (raw) {
        ok = WriteText(csv, [&](QIODevice& out) { return WriteCsv(table, out); });
    } else {
        ok = WriteText(csv, [&](QIODevice& out) {
            result = WriteNumericCsv(scope, longLayout ? CsvLayout::Long : CsvLayout::Wide, out, Say);
            return result.ok;
        });
    }
    if (!ok)
        return 1;
    SayResult(result);
    if (loaded.unreadableTimes > 0)
        Say(QStringLiteral("%1 record(s) without a readable time").arg(loaded.unreadableTimes));
    return 0;
}
