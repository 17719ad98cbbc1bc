#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/config/commandline.h"
#include "core/config/startup.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "support/fakeserialport.h"
#include "ui/shell/mainwindow.h"
#include "ui/logging/tablewindow.h"
#include "core/logging/logtable.h"
#include "core/logging/datafile.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
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
        w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
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
    const QString previous = QDir::currentPath();
    // Named in mixed case: the title shows the file's own name, not another
    // file of the same folder whose name differs by case.
    Start st({QStringLiteral("cfg=2"), QStringLiteral("Buffer_PH7")});
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
    w.StartupPass();
    EXPECT_TRUE(st.state.ConfigFileName.endsWith(QStringLiteral("/VAM.CFG2")));
    EXPECT_EQ(st.state.LogFileName, st.dir.filePath(QStringLiteral("Buffer_PH7.vam")));
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("/Buffer_PH7.vam"))) << w.windowTitle().toStdString();
    EXPECT_EQ(QDir::currentPath(), QFileInfo(st.dir.path()).canonicalFilePath()) << "the named file's folder is current";
    QDir::setCurrent(previous);
}

TEST(StartupUi, ExitWhileLoggingAsksAndNoKeepsRunning)
{
    Start st;
    auto* port = new FakeSerialPort;
    port->reply = [](const QByteArray&) { return QByteArray("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n"); };
    MainWindow w(st.state, st.lang, port);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
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

namespace {
QString WriteConfigFile(Start& st, const QByteArray& text)
{
    const QString folder = st.env.DocumentsFolder + QStringLiteral("/Velmark/VAM/Settings");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/VAM.CFG");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    return path;
}
} // namespace

TEST(StartupUi, TheChannelSetUpOfTheConfigurationSurvivesStartAndExit)
{
    Start st;
    const QString path = WriteConfigFile(st, "[DEVICE]\r\nDevice = A102\r\n[CHANNEL]\r\nIndex = 2\r\nName = Temp\r\n"
                                             "Use = 0\r\nValue = 0\r\n[CHANNEL]\r\nIndex = 1\r\nName = Left\r\n"
                                             "Use = 1\r\nValue = 1\r\n[READINGS]\r\nVisible = 1\r\n(ALARM)\r\nAlarmHighTest = 1\r\n"
                                             "AlarmHighLimit = 7.5\r\n");
    {
        MainWindow w(st.state, st.lang, new FakeSerialPort);
        w.warningHandler = [](const QString&, const QString&) {};
        w.AttachStartup(&st.store, &st.options, &st.env);
        w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
        w.StartupPass();
        ASSERT_EQ(st.state.DeviceName, QStringLiteral("A102"));
        EXPECT_EQ(st.state.Channel(2).Name, QStringLiteral("Temp"));
        EXPECT_FALSE(st.state.Channel(2).Use);
        EXPECT_FALSE(st.state.Channel(2).Value);
        EXPECT_EQ(st.state.Channel(1).Name, QStringLiteral("Left"));
        EXPECT_EQ(st.state.Readings[1].AlarmHighLimit, QStringLiteral("7.5"));
        // A change of device does reset the channels.
        w.SetDevice(QStringLiteral("A101"));
        EXPECT_EQ(st.state.Channel(2).Name, QStringLiteral("CH2"));
        w.SetDevice(QStringLiteral("A102"));
        st.state.Channel(2).Name = QStringLiteral("Temp");
        st.state.Channel(2).Use = st.state.Channel(2).Value = false;
        EXPECT_TRUE(w.ConfirmExit());
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray written = f.readAll();
    EXPECT_TRUE(written.contains("Index = 2\r\nName = Temp\r\nUse = 0\r\nValue = 0\r\n")) << written.constData();
}

TEST(StartupUi, ReadingTheSameConfigurationAgainEmptiesTheTable)
{
    Start st;
    WriteConfigFile(st, "[DEVICE]\r\nDevice = A101\r\n[TABLE]\r\nVisible = 1\r\n");
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
    w.StartupPass();
    for (int n = 1; n <= 3; ++n) {
        st.state.LogCount = n;
        st.state.Readings[1].ValueText = QString::number(n);
        st.state.Readings[1].HasValue = true;
        w.Recorder().AppendTableRow(QString());
    }
    ASSERT_EQ(w.Table()->Table().Count(), 3);
    w.StartupPass(); // Read settings of the same file
    EXPECT_EQ(st.state.LogCount, 0);
    EXPECT_EQ(w.Table()->Table().Count(), 0) << "no rows left for new readings to overwrite";
}

namespace {
// Logs `n` readings the way the connection does, into `folder`/run.vam.
void LogRecords(MainWindow& w, AppState& s, const QString& folder, int n)
{
    s.LogFileName = folder + QStringLiteral("/run.vam");
    s.DatestampFileName = false;
    for (int i = 1; i <= n; ++i) {
        s.LogCount = i;
        s.Readings[1].ReadingTime = 46000 + i / 86400.0;
        s.Readings[1].ValueText = QStringLiteral("7.0") + QString::number(i);
        s.Readings[1].UnitText = QStringLiteral("pH");
        s.Readings[1].HasValue = true;
        w.Recorder().AppendTableRow(QString());
        w.Recorder().AppendRecord(QString());
    }
}
int RecordLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    int records = 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        records += line.size() > 1 && line[0] == '\'' && line[1] >= '0' && line[1] <= '9';
    return records;
}
} // namespace

TEST(StartupUi, RecordsThatCouldNotBeWrittenAreOfferedAtExit)
{
    Start st;
    WriteConfigFile(st, "[DEVICE]\r\nDevice = A101\r\n");
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    QStringList warnings, asked;
    w.warningHandler = [&](const QString&, const QString& text) { warnings << text; };
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
    w.StartupPass();
    LogRecords(w, st.state, st.dir.filePath(QStringLiteral("stick")), 3);
    ASSERT_EQ(w.Data().PendingRecords(), 3);

    QList<int> answers = {QMessageBox::Cancel, QMessageBox::Yes, QMessageBox::Yes};
    w.questionHandler = [&](const QString&, const QString& text, bool) {
        asked << text;
        return answers.takeFirst();
    };
    const QString saved = st.dir.filePath(QStringLiteral("saved.vam"));
    QStringList choices = {st.dir.filePath(QStringLiteral("no/such/folder/x.vam")), saved};
    w.saveTableChooser = [&] { return choices.takeFirst(); };
    EXPECT_FALSE(w.ConfirmExit()) << "Cancel keeps the program running";
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("3 logged records could not be written to"))) << asked[0].toStdString();
    EXPECT_TRUE(w.ConfirmExit());
    EXPECT_EQ(asked.size(), 3) << "a failed save asks again";
    EXPECT_EQ(RecordLines(saved), 3);
    EXPECT_EQ(w.Data().PendingRecords(), 0);

    // The folder came back before exit: the records go where they belong.
    LogRecords(w, st.state, st.dir.filePath(QStringLiteral("stick")), 2);
    QDir().mkpath(st.dir.filePath(QStringLiteral("stick")));
    asked.clear();
    EXPECT_TRUE(w.ConfirmExit());
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(RecordLines(st.dir.filePath(QStringLiteral("stick/run.vam"))), 2);
}

TEST(StartupUi, ASignalSavesHeldBackRecordsWithoutAsking)
{
    Start st;
    WriteConfigFile(st, "[DEVICE]\r\nDevice = A101\r\n");
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    w.warningHandler = [](const QString&, const QString&) {};
    w.questionHandler = [](const QString&, const QString&, bool) -> int {
        ADD_FAILURE() << "nobody may be asked";
        return QMessageBox::Cancel;
    };
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
    w.StartupPass();
    LogRecords(w, st.state, st.dir.filePath(QStringLiteral("stick")), 4);
    w.EndOnSignal();
    const QStringList saved = QDir(st.state.FolderData).entryList({QStringLiteral("run unsaved *.vam")});
    ASSERT_EQ(saved.size(), 1);
    EXPECT_EQ(RecordLines(QDir(st.state.FolderData).filePath(saved[0])), 4);
    QFile cfg(st.state.ConfigFileName);
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cfg.readAll().contains("Device = A101\r\n")) << "the configuration was written";
}

TEST(StartupUi, AReceivedLoggerPrintIsWrittenInBlocks)
{
    Start st;
    WriteConfigFile(st, "[DEVICE]\r\nDevice = A101\r\n");
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    w.settingsRunner = [](bool) { return false; }; // no dialog in these tests
    w.StartupPass();
    const QString file = st.dir.filePath(QStringLiteral("run.vam"));
    st.state.ReceiveMode = true;
    LogRecords(w, st.state, st.dir.path(), 3);
    EXPECT_EQ(w.Data().PendingRecords(), 3) << "held for one write";
    QTest::qWait(300);
    EXPECT_EQ(w.Data().PendingRecords(), 0);
    EXPECT_EQ(RecordLines(file), 3);
    st.state.ReceiveMode = false; // measured readings are written at once
    LogRecords(w, st.state, st.dir.path(), 1);
    EXPECT_EQ(w.Data().PendingRecords(), 0);
    EXPECT_EQ(RecordLines(file), 4);
}

TEST(StartupUi, AFirstStartShowsTheSettingsAndWritesTheirResult)
{
    Start st;
    MainWindow w(st.state, st.lang, new FakeSerialPort);
    w.warningHandler = [](const QString&, const QString&) {};
    w.AttachStartup(&st.store, &st.options, &st.env);
    QList<bool> shown;
    w.settingsRunner = [&](bool firstStart) {
        shown << firstStart;
        st.state.DeviceName = QStringLiteral("H261"); // what the user chose
        return true;
    };
    w.StartupPass();
    EXPECT_EQ(shown, QList<bool>{true});
    EXPECT_EQ(st.state.Points, 30000);
    QFile cfg(st.state.ConfigFileName);
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly)) << "the first set-up is written at once";
    EXPECT_TRUE(cfg.readAll().contains("Device = H261"));
    cfg.close();

    shown.clear();
    w.StartupPass(); // the next start finds the configuration
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(st.state.DeviceName, QStringLiteral("H261"));

    w.SettingsAction()->trigger();
    EXPECT_EQ(shown, QList<bool>{false});
}

// A first start proposes in its settings dialog what lets the meter be
// heard: polling, for a model that answers polls (--listen still wins), and
// the first USB serial adapter found as the port. The configuration written
// then is read as it is at the next start.
TEST(StartupUi, AFirstStartProposesPollingAndTheUsbAdapter)
{
    const QList<PortEntry> noAdapter{{QStringLiteral("/dev/ttyS0"), QStringLiteral("COM1"), false, false}};
    const QList<PortEntry> adapters{
        {QStringLiteral("/dev/ttyACM0"), QStringLiteral("Velmark"), true, false},
        {QStringLiteral("/dev/serial/by-id/usb-Velmark-if00"), QStringLiteral("\u2192 /dev/ttyACM0"), true, true},
        {QStringLiteral("/dev/ttyS0"), QStringLiteral("COM1"), false, false}};
    const struct {
        const char* what;
        QStringList args;
        QList<PortEntry> ports;
        bool poll;
        QString port;
    } cases[] = {
        {"a model that answers polls", {"--model=H264"}, noAdapter, true, "COM1"},
        {"no model named: the default device", {}, noAdapter, true, "COM1"},
        {"--listen", {"--model=H264", "--listen"}, noAdapter, false, "COM1"},
        {"a USB adapter plugged in", {"--model=K231"}, adapters, true, "/dev/ttyACM0"},
    };
    for (const auto& c : cases) {
        Start st(c.args);
        MainWindow w(st.state, st.lang, new FakeSerialPort);
        w.warningHandler = [](const QString&, const QString&) {};
        w.AttachStartup(&st.store, &st.options, &st.env);
        w.Conn().portEntries = [&c] { return c.ports; };
        bool proposedPoll = !c.poll;
        QString proposedPort;
        w.settingsRunner = [&](bool) {
            proposedPoll = st.state.PollValues;
            proposedPort = st.state.SerialPort;
            st.state.PollValues = !st.state.PollValues; // the user changes the proposal
            return true;
        };
        w.StartupPass();
        EXPECT_EQ(proposedPoll, c.poll) << c.what;
        EXPECT_EQ(proposedPort, c.port) << c.what;

        w.settingsRunner = [](bool) { return false; };
        st.state.PollValues = c.poll;
        w.StartupPass(); // the next start reads the configuration
        EXPECT_EQ(st.state.PollValues, !c.poll && !c.args.contains("--listen")) << c.what;
    }
}
