// VAM: data acquisition for Velmark meters.

#include "core/appstate.h"
#include "core/datetime.h"
#include "devices/catalogue.h"
#include "i18n/languagetable.h"
#include "platform/core/systeminfo.h"
#include "views/mainwindow.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {
void PrintUsage()
{
    std::printf("Usage: vam [cfg=C] [/comN | --port=DEVICE] [--model=MODEL] [FILE.vam]\n"
                "  cfg=C          use the configuration variant C (files *.CFGC)\n"
                "  /comN          use serial port COMn\n"
                "  --port=DEVICE  use the serial port DEVICE (e.g. /dev/ttyUSB0)\n"
                "  --model=MODEL  select the meter model\n"
                "  FILE.vam       open this data file\n"
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

    LanguageTable language;
    AppState state;
    state.UserName = SystemUserName();
    state.SystemName = SystemHostName();
    state.DocumentsFolder = DocumentsFolder();
    state.TimeSeparator = LocaleTimeSeparator();
    state.DateSeparator = LocaleDateSeparator();
    state.ApplyDefaults();
    ApplyDevice(state, state.DeviceName, NowDays());

    MainWindow window(state, language);
    window.show();
    return app.exec();
}
