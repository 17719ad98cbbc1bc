// VAM: data acquisition for Velmark meters.

#include "core/appstate.h"
#include "core/commandline.h"
#include "core/startup.h"
#include "devices/catalogue.h"
#include "i18n/languagetable.h"
#include "platform/core/settingsstore.h"
#include "platform/ui/icons.h"
#include "views/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Answer --help and --version before any window system is needed.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    {
        const CommandLineOptions early = ParseCommandLine(raw, QDir::currentPath());
        if (early.Version) {
            std::printf("vam %s (Qt %s)\n", VAM_VERSION, qVersion());
            return 0;
        }
        if (early.Help) {
            std::fputs(CommandLineUsage().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (!early.Errors.isEmpty()) {
            for (const QString& e : early.Errors)
                std::fprintf(stderr, "vam: %s\n", qPrintable(e));
            return 2;
        }
        if (!early.Model.isEmpty() && !FindModel(early.Model)) {
            std::fprintf(stderr, "vam: '%s' is not a supported model (see 'vam-cli models')\n", qPrintable(early.Model));
            return 2;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VAM"));
    QApplication::setOrganizationName(QStringLiteral("Velmark"));
    QApplication::setWindowIcon(ToolbarIcon(QStringLiteral("App")));

    const CommandLineOptions options = ParseCommandLine(raw, QDir::currentPath());
    const StartupEnvironment env = CurrentEnvironment();
    LanguageTable language;
    AppState state;
    ApplyConfigTag(state, options.ConfigTag);
    SettingsStore store(state.RegistryApp);
    ApplyInitialDefaults(state, store, env);

    MainWindow window(state, language);
    window.AttachStartup(&store, &options, &env);
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.StartupPass(); });
    const int code = app.exec();
    store.Sync();
    return code;
}
