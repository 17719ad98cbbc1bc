// VAM: data acquisition for Velmark meters.

#include "core/appstate.h"
#include "core/datafile.h"
#include "core/datetime.h"
#include "devices/catalogue.h"
#include "i18n/languagetable.h"
#include "platform/core/systeminfo.h"
#include "comm/connection.h"
#include "platform/ui/icons.h"
#include "views/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {
void PrintUsage()
{
    std::printf("Usage: vam [/comN | --port=DEVICE] [--model=MODEL] [--listen] [--connect]\n"
                "  /comN          use serial port COMn\n"
                "  --port=DEVICE  use the serial port DEVICE (e.g. /dev/ttyUSB0)\n"
                "  --model=MODEL  select the meter model (see 'vam-cli models')\n"
                "  --listen       the meter prints on its own (no polling)\n"
                "  --connect      start measuring at once\n"
                "  --help         show this text\n"
                "  --version      show the version\n");
}
} // namespace

int main(int argc, char** argv)
{
    // Answer --help and --version before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vam %s (Qt %s)\n", VAM_VERSION, qVersion());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage();
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VAM"));
    QApplication::setOrganizationName(QStringLiteral("Velmark"));
    QApplication::setWindowIcon(ToolbarIcon(QStringLiteral("App")));

    LanguageTable language;
    AppState state;
    state.UserName = SystemUserName();
    state.SystemName = SystemHostName();
    state.DocumentsFolder = DocumentsFolder();
    state.TimeSeparator = LocaleTimeSeparator();
    state.DateSeparator = LocaleDateSeparator();
    state.ApplyDefaults();
    state.PollValues = true;
    state.PollInterval = 1;

    bool connect = false;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (const QString& a : args) {
        if (a.startsWith(QLatin1String("--port=")))
            state.StartPort = a.mid(7);
        else if (a.startsWith(QLatin1String("/com"), Qt::CaseInsensitive))
            state.StartPort = a.mid(1).left(5).toUpper();
        else if (a.startsWith(QLatin1String("--model="))) {
            const QString model = a.mid(8);
            if (!FindModel(model)) {
                std::fprintf(stderr, "vam: '%s' is not a supported model (see 'vam-cli models')\n", qPrintable(model));
                return 2;
            }
            state.DeviceName = model;
        } else if (a == QLatin1String("--listen"))
            state.PollValues = false;
        else if (a == QLatin1String("--connect"))
            connect = true;
    }
    if (!state.StartPort.isEmpty())
        state.SerialPort = state.StartPort;
    ApplyDevice(state, state.DeviceName, NowDays());
    // Logged readings go to the data folder until the user names a file.
    QDir().mkpath(state.FolderData);
    if (state.LogFileName.isEmpty())
        NewDataFileName(state);

    MainWindow window(state, language);
    window.show();
    window.Conn().initCommPoort();
    if (connect)
        QTimer::singleShot(0, &window, [&window] { window.Conn().mnuDataMeasure_Click(); });
    return app.exec();
}
