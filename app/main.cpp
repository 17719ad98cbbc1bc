// VAM: data acquisition for Velmark meters.

#include "core/model/appstate.h"
#include "core/config/commandline.h"
#include "core/config/startup.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "platform/core/terminationsignals.h"
#include "platform/ui/icons.h"
#include "ui/shell/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <exception>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
// An error that reaches the event loop is shown with the software-error
// message; the user chooses to abort, retry or ignore. Logged readings are
// safe either way: every record is in the data file once it is logged.
class VamApplication : public QApplication {
public:
    using QApplication::QApplication;
    LanguageTable* language = nullptr;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            return Report(e.what(), receiver);
        } catch (...) {
            return Report("unknown error", receiver);
        }
    }

private:
    bool Report(const char* what, QObject* receiver)
    {
        const QString source = receiver ? QString::fromLatin1(receiver->metaObject()->className()) : QString();
        const QString text = language ? SoftwareErrorText(*language, 0, QString::fromLocal8Bit(what), source)
                                      : QString::fromLocal8Bit(what);
        const auto answer = QMessageBox::critical(nullptr, QStringLiteral("VAM"), text,
                                                  QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        if (answer == QMessageBox::Abort)
            QCoreApplication::exit(3);
        return false;
    }
};
} // namespace

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
        if (!early.Model.isEmpty() && ValidateDeviceName(early.Model).isEmpty()) {
            std::fprintf(stderr, "vam: '%s' is not a supported model (see 'vam-cli models')\n", qPrintable(early.Model));
            return 2;
        }
    }

    VamApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VAM"));
    QApplication::setOrganizationName(QStringLiteral("Velmark"));
    // Ties the window to its menu entry: its Wayland app id is the entry's name.
    QGuiApplication::setDesktopFileName(QStringLiteral(VAM_APP_ID));
    QApplication::setWindowIcon(ToolbarIcon(QStringLiteral("App")));

    const CommandLineOptions options = ParseCommandLine(raw, QDir::currentPath());
    const StartupEnvironment env = CurrentEnvironment();
    LanguageTable language;
    app.language = &language;
    AppState state;
    ApplyConfigTag(state, options.ConfigTag);
    SettingsStore store(state.RegistryApp);
    ApplyInitialDefaults(state, store, env);

    MainWindow window(state, language);
    window.AttachStartup(&store, &options, &env);
    window.show();
    // A shutdown, a logout or Ctrl+C ends the program as File Exit does.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::Received, &window, [&window](int) { window.EndOnSignal(); });
    QTimer::singleShot(0, &window, [&window] { window.StartupPass(); });
    const int code = app.exec();
    store.Sync();
    return code;
}
