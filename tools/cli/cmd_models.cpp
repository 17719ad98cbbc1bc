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
    std::puts("MODEL\tFAMILY\tCHANNELS\tPOLL COMMAND\tBAUD RATE");
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
    // vam-cli has no baud-rate option: a "-" model is opened at the default rate.
    std::printf("\"-\" under BAUD RATE: set on the meter, not fixed by the model. Choose the same rate in VAM's "
                "settings (vam-cli opens the port at %s bps).\n",
                qPrintable(AppState().Baudrate));
    return 0;
}
