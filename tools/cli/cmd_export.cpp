#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"
#include "cli_datafile.h"

#include "core/model/appstate.h"
#include "core/logging/csvexport.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/logging/recordformat.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QFile>
#include <cstdio>

int RunExport(const QStringList& args)
{
    const CliArgs a("export", args, {"--csv", "--model"}, {}, 1);
    if (!a.Ok()) {
        a.Report();
        return UsageError("export");
    }
    const QString path = a.Positional().value(0), csv = a.Value("--csv");
    QString model = CliModelName(a.Value("--model"));
    if (path.isEmpty())
        return UsageError("export");
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "vam-cli export: '%s' does not exist\n", qPrintable(path));
        return 1;
    }
    if (model.isEmpty())
        model = DataFileModel(path);
    if (model.isEmpty()) {
        std::fprintf(stderr, "vam-cli export: no header line names the meter; give it with --model MODEL\n");
        return 2;
    }
    if (!FindModel(model)) {
        std::fprintf(stderr, "vam-cli export: '%s' is not a supported model (see 'vam-cli models')\n", qPrintable(model));
        return 2;
    }

    AppState state;
    LanguageTable language;
    ApplyDevice(state, model, NowDays());
    state.DeviceName = model;
    DataFile file(state, language);
    LogTable table;
    const LoadResult loaded = file.LoadDataFile(table, path);
    if (!loaded.report.ok) {
        std::fprintf(stderr, "vam-cli export: %s\n", qPrintable(loaded.report.message.simplified()));
        return 1;
    }
    if (!SayLoadDamage(loaded, path, "export"))
        return 1;

    QFile out;
    const bool opened = csv.isEmpty() || csv == QLatin1String("-")
        ? out.open(stdout, QIODevice::WriteOnly)
        : (out.setFileName(csv), out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!opened) {
        std::fprintf(stderr, "vam-cli export: cannot write '%s': %s\n", qPrintable(csv), qPrintable(out.errorString()));
        return 1;
    }
    if (!WriteCsv(table, out) || !out.flush()) {
        std::fprintf(stderr, "vam-cli export: writing failed: %s\n", qPrintable(out.errorString()));
        return 1;
    }
    if (loaded.unreadableTimes > 0)
        std::fprintf(stderr, "vam-cli export: %d record(s) without a readable time\n", loaded.unreadableTimes);
    return 0;
}
