// vam-cli config: reads a configuration file the way the program does and
// writes it back with the program's writer, so an old or hand-edited file is
// checked and brought up to date. Every value that had to be replaced is
// reported on stderr; a damaged or unreadable file is reported there, not
// written, and ends with exit status 1.

#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QFile>
#include <QSysInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>

int RunConfig(const QStringList& args)
{
    const CliArgs a("config", args, {"--out"}, {}, 1);
    if (!a.Ok()) {
        a.Report();
        return UsageError("config");
    }
    const QString path = a.Positional().value(0), out = a.Value("--out");
    if (path.isEmpty())
        return UsageError("config");
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "vam-cli config: '%s' does not exist\n", qPrintable(path));
        return 1;
    }

    // The state the program starts from before it reads a configuration.
    AppState state;
    state.UserName = qEnvironmentVariable("USER");
    state.SystemName = QSysInfo::machineHostName();
    state.DocumentsFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    state.ApplyDefaults();
    ApplyDevice(state, state.DeviceName, NowDays());
    // Keys an old file lacks are written from these values, so they must be
    // ones the reader accepts: no interval is shorter than a second.
    state.PollInterval = std::max(state.PollInterval, 1);
    state.LogInterval = std::max(state.LogInterval, 1);
    LanguageTable language;
    ConfigLayout layout;

    ConfigReport report;
    const ConfigReadStatus status = ReadConfig(state, language, layout, path, &report);
    for (const ConfigIssue& issue : report.Issues)
        std::fprintf(stderr, "vam-cli config: %s\n", issue.ToText().toLocal8Bit().constData());
    // A damaged file is not brought up to date: written back, what it lost
    // would be lost for good.
    if (status != ConfigReadStatus::Read || report.Condition != ConfigCondition::Sound) {
        // In English, whatever language the configuration chose: vam-cli speaks English.
        for (const QString& line : ConfigDamageText(path, report, LanguageTable()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            std::fprintf(stderr, "vam-cli config: %s\n", line.toLocal8Bit().constData());
        return 1;
    }

    const ConfigInfo info = CurrentConfigInfo(state);
    if (out.isEmpty() || out == QLatin1String("-")) {
        const QByteArray bytes = FormatConfig(state, language, layout, path, info);
        QFile stdoutFile;
        if (!stdoutFile.open(stdout, QIODevice::WriteOnly) || stdoutFile.write(bytes) != bytes.size()
            || !stdoutFile.flush()) {
            std::fprintf(stderr, "vam-cli config: writing failed: %s\n", qPrintable(stdoutFile.errorString()));
            return 1;
        }
        return 0;
    }
    QString error;
    if (!WriteConfig(state, language, layout, out, info, &error)) {
        std::fprintf(stderr, "vam-cli config: cannot write '%s': %s\n", qPrintable(out), qPrintable(error));
        return 1;
    }
    return 0;
}
