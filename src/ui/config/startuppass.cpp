#include "ui/config/startuppass.h"

#include "comm/connection.h"
#include "core/config/commandline.h"
#include "core/config/configfile.h"
#include "core/config/startup.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "platform/core/settingsstore.h"
#include "ui/config/layoutkeeper.h"
#include "ui/logging/tablewindow.h"
#include "ui/shell/mainwindow.h"
#include "ui/publish/mqttpublishing.h"

#include <QDir>
#include <QFileInfo>

void RunStartupPass(MainWindow& w, const StartupPassParts& p)
{
    AppState& s = p.state;
    LanguageTable& lang = p.language;
    if (s.Connected || s.ReceiveMode || s.TransferMode)
        p.conn.StopVerbinding();
    if (p.conn.InCycle()) {
        // Read settings chosen while a reply is awaited: the old cycle ends
        // (the port is closed) before the new set-up opens the port again.
        p.conn.RunAfterCycle([&w] { w.StartupPass(); });
        return;
    }
    const LayoutKeeper::Quiet quiet(p.keeper);
    BeginStartupPass(s, lang, p.env);
    ResolveConfigFileName(s, p.store, p.env.ProgramFolder);
    ApplyCommandLine(s, p.options);
    if (!p.options.FileName.isEmpty())
        // Names typed later (a relative file name) are taken beside the named file.
        QDir::setCurrent(QFileInfo(p.options.FileName).absolutePath());
    ConfigReport report;
    const ConfigReadStatus status = ReadConfig(s, lang, p.layout, s.ConfigFileName, &report);
    if (status == ConfigReadStatus::NoFile)
        s.Points = kDefaultPointsNewConfig; // a new configuration
    else if (const QString damage = ConfigDamageText(s.ConfigFileName, report, lang); !damage.isEmpty())
        w.ShowWarning(QStringLiteral("VAM"), damage + QLatin1Char('\n') + ConfigKeptNotice(lang));
    if (s.LogCount == 0 && p.rows.Count() > 0)
        p.table.InitieerTabel(); // the rows of the old set-up are gone with their count

    // What the command line chose for this run.
    // (vam refuses a --model that names no model before a window opens.)
    if (const QString model = ValidateDeviceName(p.options.Model); !model.isEmpty())
        s.DeviceName = model;
    if (status == ConfigReadStatus::NoFile)
        ApplyFirstStartDefaults(s, FirstUsbAdapter(p.conn.portEntries()));
    if (p.options.Listen)
        s.PollValues = false;
    for (const QString& m : EnsureFolders(s, lang))
        w.ShowWarning(QStringLiteral("VAM"), m);
    const HelpInstallResult help = InstallHelpFiles(s.FolderHelp, HelpArchiveFolders(p.env.ProgramFolder));
    if (!help.Errors.isEmpty())
        w.ShowWarning(QStringLiteral("error"), help.Errors.join(QLatin1Char('\n')));
    ApplyStartupFallbacks(s, NowDays());
    w.SetDevice(s.DeviceName);
    w.LaadStrings();
    if (status == ConfigReadStatus::NoFile) {
        // A first start: the user sets the program up before it measures,
        // and that set-up becomes the configuration.
        w.show();
        if (w.OpenSettings(true))
            w.WriteSetUp();
    }
    w.LoadRecentFilesMenu();
    const StartDataFilePlan plan = PlanStartDataFile(s, NowDays());
    if (plan.Load) {
        const QString configured = s.LogFileName;
        s.LogFileName = plan.LoadName;
        w.ShowReport(p.file.OpenDataFile(p.rows, plan.RangeName).report);
        s.LogFileName = configured;
        p.table.StelTabelIn();
    }
    if (plan.Recent)
        UpdateRecentFiles(p.store, s, s.LogFileName);
    w.ShowTable(s.TableVisible);
    w.ShowTerminal(s.TerminalVisible);
    w.ApplyLayout();
    w.RetileWindows(); // when the windows are arranged automatically
    p.conn.initCommPoort();
    const bool connect = FinishStartupPass(s) || p.options.Connect;
    const bool logAtStart = s.LogActive;
    s.LogActive = false;
    if (connect) {
        p.conn.mnuDataMeasure_Click();
        if (s.Connected && logAtStart)
            p.conn.mnuDatalogging_Click();
    }
    w.ZetTitel();
    w.RefreshIndications();
    if (auto* publishing = w.findChild<MqttPublishing*>())
        publishing->Apply(); // what an earlier run left in the spool goes out now
}
