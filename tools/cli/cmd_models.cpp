#include "cli_args.h"
#include "cli_commands.h"
#include "cli_usage.h"

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"

#include <cstdio>

namespace {
QString Escaped(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    s.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    s.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return s;
}
} // namespace

int RunModels(const QStringList& args)
{
    const CliArgs a("models", args, {});
    if (!a.Ok()) {
        a.Report();
        return UsageError("models");
    }
    for (const CatalogueModel& m : CatalogueModels()) {
        const QString name = QString::fromLatin1(m.name);
        AppState state;
        SelectDeviceFamily(state, name);
        const QString baud = ForcedBaudRate(name);
        const QString line = QStringList{name, FamilyName(m.family), QString::number(state.ChannelCount),
                                         Escaped(state.PollCommand), baud.isEmpty() ? QStringLiteral("-") : baud}
                                 .join(QLatin1Char('\t'));
        std::fputs(line.toUtf8().constData(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}
