#include "comm/connection.h"
#include "core/appstate.h"
#include "core/commandline.h"
#include "core/startup.h"
#include "i18n/languagetable.h"
#include "platform/core/settingsstore.h"
#include "support/fakeserialport.h"
#include "views/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Start {
    explicit Start(const QStringList& args = {})
        : options(ParseCommandLine(args, dir.path())), store(QStringLiteral("VAM-CFG"), dir.filePath(QStringLiteral("store.conf")))
    {
        env.DocumentsFolder = dir.filePath(QStringLiteral("Documents"));
        env.UserName = QStringLiteral("Ann");
        env.ProgramFolder = dir.path();
        ApplyConfigTag(state, options.ConfigTag);
        ApplyInitialDefaults(state, store, env);
    }
    QTemporaryDir dir;
    CommandLineOptions options;
    StartupEnvironment env;
    SettingsStore store;
    AppState state;
    LanguageTable lang;
};
} // namespace

TEST(StartupUi, FirstStartMakesTheFoldersAndExitWritesTheConfiguration)
{
    Start st;
    {
        MainWindow w(st.state, st.lang, new FakeSerialPort);
        w.warningHandler = [](const QString&, const QString&) {};
        w.AttachStartup(&st.store, &st.options, &st.env);
        w.StartupPass();
        const QString base = st.env.DocumentsFolder + QStringLiteral("/Velmark/VAM/");
        for (const char* folder : {"Data", "Settings"})
            EXPECT_TRUE(QDir(base + QLatin1String(folder)).exists()) << folder;
        EXPECT_EQ(st.state.ConfigFileName, base + QStringLiteral("Settings/VAM.CFG"));
        EXPECT_TRUE(w.ConfirmExit());
    }
    QFile cfg(st.state.ConfigFileName);
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cfg.readAll().contains("[COMMUNICATION]\r\n"));
}

TEST(StartupUi, CommandLineChoosesTheConfigurationSetAndTheDataFile)
{
    Start st({QStringLiteral("cfg=2"), QStringLiteral("run1")});
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.StartupPass();
    EXPECT_TRUE(st.state.ConfigFileName.endsWith(QStringLiteral("/VAM.CFG2")));
    EXPECT_EQ(st.state.LogFileName, st.dir.filePath(QStringLiteral("run1.vam")));
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("run1.vam")));
}

TEST(StartupUi, ExitWhileLoggingAsksAndNoKeepsRunning)
{
    Start st;
    auto* port = new FakeSerialPort;
    port->reply = [](const QByteArray&) { return QByteArray("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n"); };
    MainWindow w(st.state, st.lang, port);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.StartupPass();
    st.state.SerialPort = st.state.StartPort = QStringLiteral("/dev/pts/96");
    st.state.DeviceName = QStringLiteral("A101");
    w.SetDevice(QStringLiteral("A101"));
    w.Conn().InstellenCommPoort();
    w.MeasureAction()->trigger();
    w.LogAction()->trigger();
    ASSERT_TRUE(st.state.LogActive);
    QStringList asked;
    w.questionHandler = [&](const QString&, const QString& text, bool) {
        asked << text;
        return int(QMessageBox::No);
    };
    EXPECT_FALSE(w.ConfirmExit());
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(st.state.Connected) << "a no keeps measuring and logging";
    w.questionHandler = [](const QString&, const QString&, bool) { return int(QMessageBox::Yes); };
    EXPECT_TRUE(w.ConfirmExit());
    EXPECT_FALSE(st.state.Connected);
}
