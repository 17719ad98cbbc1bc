#include "ui/settings/settingscommands.h"

#include "comm/connection.h"
#include "core/model/appstate.h"
#include "platform/core/settingsstore.h"
#include "ui/alarms/alarmdialog.h"
#include "ui/config/configcommands.h"
#include "ui/graphs/graphmanager.h"
#include "ui/logging/tablewindow.h"
#include "ui/settings/settingsdialog.h"
#include "ui/shell/mainwindow.h"
#include "ui/publish/mqttpublishing.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindowset.h"

SettingsHooks MainWindowSettingsHooks(MainWindow& w, bool firstStart)
{
    AppState& s = w.State();
    Connection& conn = w.Conn();
    SettingsHooks h;
    h.suspend = [&conn] {
        conn.TimerOpvragen.stop();
        conn.SluitCommPoort();
    };
    h.scanPorts = [&conn] { return conn.ZoekSerielePoorten(); };
    h.portEntries = [&conn] { return conn.portEntries(); };
    // The tick waits for the dialog to close: armed now, it would open the
    // port behind a dialog that may still be cancelled.
    h.initPort = [&conn] { return conn.ApplyPortSettings(); };
    h.stopLogging = [&conn](const QString& why) { conn.StopLogging(why); };
    // The indications follow once the dialog has closed, whatever its outcome.
    h.configurePort = [&conn] { conn.InstellenCommPoort(); };
    h.setDevice = [&w](const QString& name) { w.SetDevice(name); };
    h.rebuildTable = [&w] { w.Table()->StelTabelIn(); };
    h.followChannels = [&w](const std::vector<ChannelRecord>& before) {
        w.ApplyFrameStyles();
        w.Values().FollowChannels(before);
        w.Table()->ShowChannelColumns();
    };
    if (firstStart)
        // A first set-up is written where the configuration belongs, not asked for.
        h.saveSettingsAs = [&w] { w.WriteSetUp(); };
    else
        h.saveSettingsAs = [&w] { w.ConfigCmds().SaveAs(); };
    h.testTableAlarms = [&w](int channel) {
        RunTableAlarmTest(w.State(), w.Language(), *w.Table(), channel, false, &w);
    };
    h.savePreferences = [&w, &s] {
        SettingsStore* store = w.Store();
        if (!store)
            return;
        store->SaveSettingsTab(s.SettingsTab);
        store->SaveAutoArrange(s.AutoArrange);
        store->SaveExtendFrame(s.ExtendFrame);
    };
    h.showHelp = [&w](const QString& topic) { w.ShowHelpTopic(topic); };
    h.retranslate = [&w] {
        w.LaadStrings();
        w.Graphs().Reinitialise();
    };
    if (w.warningHandler)
        h.warning = w.warningHandler;
    return h;
}

bool RunMainWindowSettings(MainWindow& w, bool firstStart)
{
    AppState& s = w.State();
    const bool ok = RunSettingsDialog(s, w.Language(), MainWindowSettingsHooks(w, firstStart), &w);
    w.Conn().PlaatsAanduidingenCOM(); // a running measurement ticks on
    if (ok) {
        s.ConfigChanged = true;
        w.Graphs().SetColors();
        w.Table()->SetColor();
        w.Terminal()->SetColors();
        w.ZetTitel();
        w.RefreshIndications();
        w.RetileWindows();
        if (auto* publishing = w.findChild<MqttPublishing*>())
            publishing->Apply();
    }
    return ok;
}
