#include "core/model/appstate.h"
#include "core/config/commandline.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/logging/datafile.h"
#include "core/config/startup.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "platform/core/ziparchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zip.h>

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Entry {
    QString name;
    QByteArray content;
    bool symlink = false;
};

// An archive made here, with names no careful packer would write.
void MakeZip(const QString& path, const QList<Entry>& entries)
{
    int error = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(z, nullptr);
    std::vector<QByteArray> keep; // the buffers must live until zip_close
    for (const Entry& e : entries) {
        keep.push_back(e.content);
        const QByteArray name = e.name.toUtf8();
        if (name.endsWith('/')) {
            ASSERT_GE(zip_dir_add(z, name.constData(), ZIP_FL_ENC_UTF_8), 0);
            continue;
        }
        zip_source_t* src = zip_source_buffer(z, keep.back().constData(), zip_uint64_t(keep.back().size()), 0);
        const zip_int64_t index = zip_file_add(z, name.constData(), src, ZIP_FL_ENC_UTF_8);
        ASSERT_GE(index, 0) << e.name.toStdString();
        if (e.symlink)
            zip_file_set_external_attributes(z, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, (S_IFLNK | 0777u) << 16);
    }
    ASSERT_EQ(zip_close(z), 0);
}

StartupEnvironment TestEnvironment(const QString& root)
{
    StartupEnvironment env;
    env.DocumentsFolder = root + QStringLiteral("/Documents");
    env.UserName = QStringLiteral("Ann Peeters");
    env.SystemName = QStringLiteral("labpc");
    env.ProgramFolder = root + QStringLiteral("/bin");
    return env;
}

} // namespace

// ---------------------------------------------------------------- command line

TEST(CommandLine, ParsesOptionsAndFileNames)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString existing = tmp.filePath(QStringLiteral("Lab Runs/Run1.VAM"));
    ASSERT_TRUE(WriteFile(existing, "x"));
    const QString existingFolder = tmp.filePath(QStringLiteral("Lab Runs"));
    const QString wf = QStringLiteral("/home/ann/Work");

    const struct {
        QStringList args;
        QString tag, port, file, commandLine;
        int errors;
    } cases[] = {
        {{"cfg=2"}, "CFG2", "", "", "", 0},
        {{"CFG=A"}, "CFGa", "", "", "", 0}, // taken from the lower-cased line
        {{"/com12"}, "CFG", "COM12", "", "/com12", 0},
        {{"/com123"}, "CFG", "COM123", "", "/com123", 0},
        {{"/com3x"}, "CFG", "COM3", "", "/com3x", 0},
        {{"/COM7:", "run"}, "CFG", "COM7", wf + "/run.vam", "/com7: run", 0},
        {{"/COM3", "data"}, "CFG", "COM3", wf + "/data.vam", "/com3 data", 0},
        {{"cfg=lab", "/com4", "Run"}, "CFGlab", "COM4", wf + "/Run.vam", "/com4 run", 0},
        {{"my", "data"}, "CFG", "", wf + "/my data.vam", "my data", 0},
        {{"  My Data.VAM  "}, "CFG", "", wf + "/My Data.VAM", "my data.vam", 0},
        {{"sub/Data"}, "CFG", "", wf + "/sub/Data.vam", "sub/data", 0},
        {{"../Old/Data.vam"}, "CFG", "", "/home/ann/Old/Data.vam", "../old/data.vam", 0},
        {{"a", "/com3", "b"}, "CFG", "COM3", wf + "/b.vam", "a /com3 b", 0},
        {{"--port=/dev/ttyUSB0"}, "CFG", "/dev/ttyUSB0", "", "--port=/dev/ttyusb0", 0},
        {{"--PORT=com7"}, "CFG", "COM7", "", "--port=com7", 0},
        {{existing}, "CFG", "", existing, existing.toLower(), 0},
        {{existingFolder}, "CFG", "", existingFolder + ".vam", existingFolder.toLower(), 0},
        {{"/srv/lab/New.vam"}, "CFG", "", "/srv/lab/New.vam", "/srv/lab/new.vam", 0},
        {{""}, "CFG", "", "", "", 0},
        {{"cfg=../x"}, "CFG", "", "", "", 1},
        {{"cfg="}, "CFG", "", "", "", 1},
        {{"--bogus"}, "CFG", "", "", "--bogus", 1},
        {{"/comx"}, "CFG", "", "", "/comx", 1},
        {{"--port="}, "CFG", "", "", "--port=", 1},
    };
    for (const auto& c : cases) {
        const CommandLineOptions o = ParseCommandLine(c.args, wf);
        const std::string what = c.args.join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(o.ConfigTag, c.tag) << what;
        EXPECT_EQ(o.StartPort, c.port) << what;
        EXPECT_EQ(o.FileName, c.file) << what;
        EXPECT_EQ(o.CommandLine, c.commandLine) << what;
        EXPECT_EQ(o.Errors.size(), c.errors) << what << ": " << o.Errors.join(QLatin1Char(';')).toStdString();
    }

    const CommandLineOptions flags = ParseCommandLine(
        {QStringLiteral("--listen"), QStringLiteral("--Connect"), QStringLiteral("--model=J7020"),
         QStringLiteral("--help"), QStringLiteral("--version")}, wf);
    EXPECT_TRUE(flags.Listen && flags.Connect && flags.Help && flags.Version);
    EXPECT_EQ(flags.Model, QStringLiteral("J7020"));
    EXPECT_TRUE(flags.FileName.isEmpty());
}

// /com4, cfg=2 and a file name: every configuration yields COM4, the set is
// CFG2, and the named file beats the configuration's own data file.
TEST(Startup, CommandLineOverridesTheConfiguration)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const CommandLineOptions o =
        ParseCommandLine({QStringLiteral("/com4"), QStringLiteral("cfg=2"), QStringLiteral("Batch 7")}, tmp.path());

    AppState s;
    ApplyConfigTag(s, o.ConfigTag);
    EXPECT_EQ(s.ConfigExtension, QStringLiteral(".CFG2"));
    EXPECT_EQ(s.DefaultConfigName, QStringLiteral("VAM.CFG2"));
    EXPECT_EQ(s.RegistryApp, QStringLiteral("VAM-CFG2"));

    LanguageTable lang;
    ConfigLayout layout;
    s.DocumentsFolder = tmp.path();
    s.ApplyDefaults();
    s.SerialPort = QStringLiteral("COM9");
    s.LogFileName = tmp.filePath(QStringLiteral("Configured.vam"));
    const QString cfg = tmp.filePath(QStringLiteral("VAM.CFG2"));
    ASSERT_TRUE(WriteConfig(s, lang, layout, cfg, CurrentConfigInfo(s)));

    AppState t;
    t.DocumentsFolder = tmp.path();
    t.ApplyDefaults();
    ApplyCommandLine(t, o);
    ASSERT_EQ(ReadConfig(t, lang, layout, cfg), ConfigReadStatus::Read);
    EXPECT_EQ(t.SerialPort, QStringLiteral("COM4"));
    EXPECT_EQ(t.LogFileName, tmp.filePath(QStringLiteral("Batch 7.vam")));
    EXPECT_TRUE(t.CommandLineFile);
}

// ---------------------------------------------------------------- start-up pass

TEST(Startup, FirstStartCreatesTheFoldersAndUsesTheDefaultConfiguration)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const StartupEnvironment env = TestEnvironment(tmp.path());
    const QString base = env.DocumentsFolder + QStringLiteral("/Velmark/VAM");
    SettingsStore store(QStringLiteral("VAM-CFG"), tmp.filePath(QStringLiteral("VAM-CFG.conf")));
    store.SetValue(QStringLiteral("Settings"), QStringLiteral("AutoArrange"), QStringLiteral("False"));

    AppState s;
    LanguageTable lang;
    ApplyConfigTag(s, QStringLiteral("CFG"));
    ApplyInitialDefaults(s, store, env);
    EXPECT_EQ(s.SystemUser, QStringLiteral("Ann Peeters"));
    EXPECT_FALSE(s.AutoArrange);
    EXPECT_EQ(s.IconPath, env.ProgramFolder + QStringLiteral("/VAM-1.ico"));

    s.LanguageIndex = LanguageTable::French;
    s.ConnectAtStart = s.LogAtStart = s.TableVisible = true;
    BeginStartupPass(s, lang, env);
    EXPECT_EQ(s.LanguageIndex, LanguageTable::English);
    EXPECT_EQ(lang[LanguageTable::kLanguageNameIndex], QStringLiteral("English"));
    EXPECT_FALSE(s.ConnectAtStart || s.LogAtStart || s.TableVisible);

    ResolveConfigFileName(s, store, env.ProgramFolder);
    EXPECT_EQ(s.ConfigFileName, base + QStringLiteral("/Settings/VAM.CFG"));
    EXPECT_TRUE(QFileInfo(base + QStringLiteral("/Settings")).isDir());

    EXPECT_TRUE(EnsureFolders(s, lang).isEmpty());
    const HelpInstallResult help = InstallHelpFiles(s.FolderHelp, {tmp.filePath(QStringLiteral("nowhere"))});
    EXPECT_EQ(help.Missing.size(), 3);
    for (const char* folder : {"/Data", "/Settings", "/Help"})
        EXPECT_TRUE(QFileInfo(base + QLatin1String(folder)).isDir()) << folder;
}

TEST(Startup, ConfigurationFileNameFromTheStore)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString existing = tmp.filePath(QStringLiteral("Lab/Line 2.CFG"));
    ASSERT_TRUE(WriteFile(existing, "[COMMUNICATION]\r\n"));
    ASSERT_TRUE(WriteFile(tmp.filePath(QStringLiteral("odd\\name.CFG")), "x"));
    const QString blocked = tmp.filePath(QStringLiteral("file-not-folder"));
    ASSERT_TRUE(WriteFile(blocked, "x"));
    const QString settings = tmp.filePath(QStringLiteral("Settings"));

    const struct {
        const char* what;
        QString stored;          // "" = nothing stored
        QString folderSettings;
        QString expected;
    } cases[] = {
        {"stored and present", existing, settings, existing},
        {"stored but gone", tmp.filePath("gone/VAM.CFG"), settings, settings + "/VAM.CFG"},
        {"a folder is no file", tmp.filePath("Lab"), settings, settings + "/VAM.CFG"},
        {"Windows path from elsewhere", "C:\\\\Data\\\\VAM.CFG", settings, settings + "/VAM.CFG"},
        {"doubled backslashes read as one", tmp.filePath("odd\\\\name.CFG"), settings, tmp.filePath("odd\\name.CFG")},
        {"settings folder impossible", "", blocked + "/Settings", "/opt/vam/bin/VAM.CFG"},
    };
    for (const auto& c : cases) {
        QTemporaryDir storeDir;
        SettingsStore store(QStringLiteral("VAM-CFG"), storeDir.filePath(QStringLiteral("s.conf")));
        if (!c.stored.isEmpty())
            store.SaveConfigFileName(c.stored);
        AppState s;
        s.FolderSettings = c.folderSettings;
        ResolveConfigFileName(s, store, QStringLiteral("/opt/vam/bin"));
        EXPECT_EQ(s.ConfigFileName, c.expected) << c.what;
    }
}

TEST(Startup, DataFileAtStart)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const double today = 45000; // 2023-03-15
    const QString plain = tmp.filePath(QStringLiteral("Log.vam"));
    const QString dated = tmp.filePath(QStringLiteral("Log230315.vam"));
    const QString fresh = tmp.filePath(QStringLiteral("Fresh.vam"));
    ASSERT_TRUE(WriteFile(plain, "x"));
    const QString untitled = tmp.filePath(QStringLiteral("Data/Untitled.vam"));

    const struct {
        const char* what;
        QString logFile;
        bool loadAtStart, commandLine, datestamp;
        bool datedExists;
        bool load;
        QString loadName, rangeName, logAfter;
    } cases[] = {
        {"not configured", plain, false, false, false, false, false, "", "", untitled},
        {"no name", "", true, false, false, false, false, "", "", untitled},
        {"configured", plain, true, false, false, false, true, plain, "", plain},
        {"configured, file gone: reported by the open", fresh, true, false, false, false, true, fresh, "", fresh},
        {"date-stamped", plain, true, false, true, true, true, dated, plain, plain},
        {"date-stamped, first run today", plain, true, false, true, false, false, dated, plain, plain},
        {"named on the command line", plain, false, true, true, false, true, plain, "", plain},
        {"new file named on the command line", fresh, false, true, false, false, false, fresh, "", fresh},
    };
    for (const auto& c : cases) {
        QFile::remove(dated);
        if (c.datedExists) {
            ASSERT_TRUE(WriteFile(dated, "x"));
        }
        AppState s;
        s.FolderData = tmp.filePath(QStringLiteral("Data"));
        s.LogFileName = c.logFile;
        s.LoadFileAtStart = c.loadAtStart;
        s.CommandLineFile = c.commandLine;
        s.DatestampFileName = c.datestamp;
        const StartDataFilePlan plan = PlanStartDataFile(s, today);
        EXPECT_EQ(plan.Load, c.load) << c.what;
        if (!c.loadName.isEmpty()) {
            EXPECT_EQ(plan.LoadName, c.loadName) << c.what;
        }
        EXPECT_EQ(plan.RangeName, c.rangeName) << c.what;
        EXPECT_EQ(plan.Recent, c.logAfter != untitled) << c.what;
        EXPECT_EQ(s.LogFileName, c.logAfter) << c.what;
    }
}

TEST(Startup, FallbacksForDeviceAndPort)
{
    AppState s;
    s.DeviceName.clear();
    s.SerialPort.clear();
    s.ConnectAtStart = true;
    EXPECT_TRUE(ApplyStartupFallbacks(s, 45000));
    EXPECT_EQ(s.DeviceName, QStringLiteral("J7010"));
    EXPECT_EQ(s.SerialPort, QStringLiteral("COM1"));
    EXPECT_FALSE(s.ConnectAtStart);
    EXPECT_FALSE(ApplyStartupFallbacks(s, 45000)) << "a device is kept";
}

// ---------------------------------------------------------------- commands and exit

TEST(Startup, QuestionsAndMessages)
{
    LanguageTable lang;
    AppState s;
    s.FolderSettings = QStringLiteral("/home/ann/Documents/Velmark/VAM/Settings");
    s.ConfigFileName = s.FolderSettings + QStringLiteral("/lab line.cfg");
    EXPECT_FALSE(SaveSettingsQuestion(s, lang).Ask);
    s.ConfigChanged = true;
    const Question save = SaveSettingsQuestion(s, lang);
    EXPECT_TRUE(save.Ask);
    EXPECT_EQ(save.Title, QStringLiteral("lab line.cfg")) << "the name as it is";
    EXPECT_EQ(save.Text, QStringLiteral("Do you wish to save the settings?"));

    s.LogActive = s.Connected = true;
    EXPECT_TRUE(StopLoggingQuestion(s, lang).Ask);
    EXPECT_TRUE(StopLoggingQuestion(s, lang).Text.startsWith(QStringLiteral("Do you wish to stop the logging")));

    const QString error = SoftwareErrorText(lang, 91, QStringLiteral("bad ## and $$"), QStringLiteral("mdiVAM"));
    EXPECT_TRUE(error.contains(QStringLiteral("Nr. 91\r\n"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("Description = bad ## and $$\r\n"))) << "the description is shown as it is";
    EXPECT_TRUE(error.contains(QStringLiteral("Source = mdiVAM\r\n")));

    QTemporaryDir tmp;
    const QString blocked = tmp.filePath(QStringLiteral("plainfile"));
    ASSERT_TRUE(WriteFile(blocked, "x"));
    s.FolderData = blocked + QStringLiteral("/Data");
    s.FolderSettings = tmp.filePath(QStringLiteral("Settings"));
    const QStringList messages = EnsureFolders(s, lang);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(s.FolderData));
    EXPECT_TRUE(QFileInfo(s.FolderSettings).isDir());
}

TEST(Startup, ConfigurationCommandsKeepTheOldNameOnFailure)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    LanguageTable lang;
    ConfigLayout layout;
    SettingsStore store(QStringLiteral("VAM-CFG"), tmp.filePath(QStringLiteral("s.conf")));
    AppState s;
    s.DocumentsFolder = tmp.path();
    s.ApplyDefaults();
    const QString current = tmp.filePath(QStringLiteral("Current.CFG"));
    s.ConfigFileName = current;
    s.LogFileName = tmp.filePath(QStringLiteral("Run.vam"));

    CommandOutcome out = SaveSettingsCommand(s, store, lang, layout);
    EXPECT_TRUE(out.Ok);
    EXPECT_EQ(out.Status, QStringLiteral("Settings saved!"));
    EXPECT_EQ(store.RecentFiles(), QStringList{s.LogFileName});
    const QByteArray original = ReadFile(current);
    ASSERT_FALSE(original.isEmpty());

    out = SaveSettingsAs(s, store, lang, layout, tmp.filePath(QStringLiteral("no/such/folder/X.CFG")));
    EXPECT_FALSE(out.Ok);
    EXPECT_TRUE(out.Message.contains(QStringLiteral("no/such/folder/X.CFG")));
    EXPECT_EQ(s.ConfigFileName, current);
    EXPECT_TRUE(store.ConfigFileName(QString()).isEmpty());

    const QString other = tmp.filePath(QStringLiteral("Other.CFG"));
    ASSERT_TRUE(WriteFile(other, "old"));
    out = SaveSettingsAs(s, store, lang, layout, other);
    EXPECT_TRUE(out.Ok);
    EXPECT_EQ(s.ConfigFileName, other);
    EXPECT_EQ(store.ConfigFileName(QString()), other);
    EXPECT_NE(ReadFile(other), QByteArray("old"));

    out = ChooseConfiguration(s, store, lang, tmp.filePath(QStringLiteral("Missing.CFG")));
    EXPECT_FALSE(out.Ok);
    EXPECT_EQ(out.Message, QStringLiteral("Non-existing file!"));
    EXPECT_EQ(s.ConfigFileName, other);
    out = ChooseConfiguration(s, store, lang, current);
    EXPECT_TRUE(out.Ok);
    EXPECT_EQ(s.ConfigFileName, current);
    EXPECT_EQ(store.ConfigFileName(QString()), current);

    s.ConfigFileName = tmp.filePath(QStringLiteral("gone/VAM.CFG"));
    out = WriteSettings(s, lang, layout);
    EXPECT_FALSE(out.Ok) << "an exit that cannot save must say so";
    EXPECT_EQ(out.Message, QStringLiteral("An error occurred when writing the settings to '%1'!").arg(s.ConfigFileName));
}

TEST(Startup, AnUnreadableConfigurationIsNotOverwrittenAtExit)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    LanguageTable lang;
    ConfigLayout layout;
    AppState s;
    s.DocumentsFolder = tmp.path();
    s.ApplyDefaults();
    // A folder where the file should be: it exists but cannot be read.
    s.ConfigFileName = tmp.filePath(QStringLiteral("VAM.CFG"));
    ASSERT_TRUE(QDir().mkpath(s.ConfigFileName));
    EXPECT_EQ(ReadConfig(s, lang, layout, s.ConfigFileName), ConfigReadStatus::OpenFailed);
    EXPECT_TRUE(s.ConfigUnreadable);
    const CommandOutcome atExit = WriteSettingsUnasked(s, lang, layout);
    EXPECT_TRUE(atExit.Ok) << atExit.Message.toStdString();
    EXPECT_TRUE(atExit.Status.contains(QStringLiteral("left as it is")));
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files), QStringList()) << "nothing written, not even a temporary file";

    // A file that cannot be opened (meaningless for root, who opens anything).
    const QString locked = tmp.filePath(QStringLiteral("Locked.CFG"));
    ASSERT_TRUE(WriteFile(locked, "[DEVICE]\r\nDevice = K231\r\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    s.ConfigFileName = locked;
    if (ReadConfig(s, lang, layout, locked) == ConfigReadStatus::OpenFailed) {
        EXPECT_TRUE(WriteSettingsUnasked(s, lang, layout).Ok);
        ::chmod(QFile::encodeName(locked).constData(), 0600);
        EXPECT_EQ(ReadFile(locked), QByteArray("[DEVICE]\r\nDevice = K231\r\n"));
    }
    ::chmod(QFile::encodeName(locked).constData(), 0600);

    // An explicit save writes it, and from then on exit does too.
    s.ConfigFileName = locked;
    EXPECT_TRUE(ReadConfig(s, lang, layout, locked) == ConfigReadStatus::Read);
    EXPECT_FALSE(s.ConfigUnreadable);
    s.ConfigUnreadable = true;
    EXPECT_TRUE(WriteSettings(s, lang, layout).Ok);
    EXPECT_FALSE(s.ConfigUnreadable);
    s.PollInterval = 77;
    EXPECT_TRUE(WriteSettingsUnasked(s, lang, layout).Ok);
    EXPECT_TRUE(ReadFile(locked).contains("Interval = 77\r\n"));
}

// ---------------------------------------------------------------- recent files

TEST(RecentFiles, RelativeNames)
{
    const QString data = QStringLiteral("/home/ann/Documents/Velmark/VAM/Data");
    const struct { QString path, folder, caption, entry; } cases[] = {
        {data + "/run 1.vam", data, "run 1.vam", "run 1.vam"},
        {data + "/Run1.vam", data, "Run1.vam", "Run1.vam"}, // as it is: run1.vam is another file
        {data + "/Sub/BATCH two.vam", data, "Sub/BATCH two.vam", "Sub/BATCH two.vam"},
        // Another case is another folder on this system.
        {"/HOME/ANN/documents/velmark/vam/data/x.vam", data, "/HOME/ANN/documents/velmark/vam/data/x.vam",
         "/HOME/ANN/documents/velmark/vam/data/x.vam"},
        {"/srv/Lab/Run.vam", data, "/srv/Lab/Run.vam", "/srv/Lab/Run.vam"},
        {data + "2/Run.vam", data, data + "2/Run.vam", data + "2/Run.vam"}, // a sibling folder is not inside
        {"/srv/Run.vam", "", "/srv/Run.vam", "/srv/Run.vam"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RelativeName(c.path, c.folder), c.caption) << c.path.toStdString();
        EXPECT_EQ(RecentFileEntry(c.path, c.folder), c.entry) << c.path.toStdString();
        if (!c.folder.isEmpty()) {
            EXPECT_EQ(RecentFilePath(c.entry, c.folder), c.path) << "the entry names the same file";
        }
    }
}

TEST(RecentFiles, NewestFirstWithoutDuplicatesAtMostFour)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    SettingsStore store(QStringLiteral("VAM-CFG"), tmp.filePath(QStringLiteral("s.conf")));
    AppState s;
    s.FolderData = tmp.filePath(QStringLiteral("Data"));
    const auto data = [&](const char* name) { return s.FolderData + QLatin1Char('/') + QLatin1String(name); };

    const struct { QString use; QStringList expected; } steps[] = {
        {data("a.vam"), {"a.vam"}},
        {data("b.vam"), {"b.vam", "a.vam"}},
        {"/srv/Lab/C.vam", {"/srv/Lab/C.vam", "b.vam", "a.vam"}},
        {data("d.vam"), {"d.vam", "/srv/Lab/C.vam", "b.vam", "a.vam"}},
        {data("e.vam"), {"e.vam", "d.vam", "/srv/Lab/C.vam", "b.vam"}},       // a.vam drops out
        {data("b.vam"), {"b.vam", "e.vam", "d.vam", "/srv/Lab/C.vam"}},       // moves to the top
        {data("B.vam"), {"B.vam", "b.vam", "e.vam", "d.vam"}},                // another file here
        {data("sub/../d.vam"), {"d.vam", "B.vam", "b.vam", "e.vam"}},         // same file, other spelling
        {"", {"d.vam", "B.vam", "b.vam", "e.vam"}},
    };
    for (const auto& step : steps) {
        UpdateRecentFiles(store, s, step.use);
        EXPECT_EQ(store.RecentFiles(), step.expected) << step.use.toStdString();
    }

    const QList<RecentFileItem> items = LoadRecentFiles(store, s);
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].Path, data("d.vam"));
    EXPECT_EQ(items[1].Path, data("B.vam")) << "the stored entry keeps the file's case";
    EXPECT_EQ(items[1].Caption, QStringLiteral("B.vam"));

    EXPECT_EQ(AddRecentFile({"x", "", "y", "x", "/d/z", "z", "w"}, "y", "/d"), (QStringList{"y", "x", "/d/z", "w"}))
        << "a hand-edited list loses its gaps and doubles";
}

// ---------------------------------------------------------------- help archives

TEST(HelpFiles, UnpacksTheArchivesOnceInOrder)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString bin = tmp.filePath(QStringLiteral("bin"));
    const QString share = tmp.filePath(QStringLiteral("share/vam"));
    QDir().mkpath(bin);
    QDir().mkpath(share);
    MakeZip(bin + "/helpEN.zip", {{"helpEN/", {}}, {"helpEN/data_windows.htm", "<p>en</p>"}, {"helpEN/common.css", "en"}});
    MakeZip(share + "/helpNL.zip", {{"helpNL/data_windows.htm", "<p>nl</p>"}, {"helpEN/common.css", "nl"}});
    const QString help = tmp.filePath(QStringLiteral("Documents/Velmark/VAM/Help"));

    EXPECT_EQ(HelpArchiveFolders(bin), (QStringList{bin, tmp.filePath(QStringLiteral("share/vam"))}));
    EXPECT_FALSE(HelpFilesInstalled(help));
    HelpInstallResult r = InstallHelpFiles(help, HelpArchiveFolders(bin));
    EXPECT_FALSE(r.Skipped);
    EXPECT_EQ(r.Files, 4);
    EXPECT_EQ(r.Missing, QStringList{QStringLiteral("helpFR.zip")});
    EXPECT_TRUE(r.Errors.isEmpty()) << r.Errors.join(';').toStdString();
    EXPECT_EQ(ReadFile(help + "/helpEN/data_windows.htm"), QByteArray("<p>en</p>"));
    EXPECT_EQ(ReadFile(help + "/helpEN/common.css"), QByteArray("nl")) << "Dutch comes after English";
    EXPECT_TRUE(HelpFilesInstalled(help));

    // Installed: nothing is unpacked again, even with the French help missing.
    QFile::remove(help + "/helpNL/data_windows.htm");
    r = InstallHelpFiles(help, HelpArchiveFolders(bin));
    EXPECT_TRUE(r.Skipped);
    EXPECT_FALSE(QFileInfo::exists(help + "/helpNL/data_windows.htm"));

    // The folder name may come in another case from the packer.
    const QString other = tmp.filePath(QStringLiteral("OtherHelp"));
    ASSERT_TRUE(WriteFile(other + "/HelpEN/Data_Windows.htm", "x"));
    EXPECT_TRUE(HelpFilesInstalled(other));
}

TEST(HelpFiles, TopicPathFollowsTheLanguageAndFallsBackToEnglish)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString help = tmp.filePath(QStringLiteral("Help"));
    for (const char* f : {"helpEN/main_window.htm", "helpEN/settings.htm", "helpFR/main_window.htm",
                          "HelpNL/Settings.htm"})
        ASSERT_TRUE(WriteFile(help + "/" + f, "x"));
    struct Case {
        int language;
        const char* topic;
        const char* expected; // relative to the help folder; "" for none
    } const cases[] = {
        {0, "main_window.htm", "helpEN/main_window.htm"},
        {1, "main_window.htm", "helpFR/main_window.htm"},
        {1, "settings.htm", "helpEN/settings.htm"},   // French lacks it
        {2, "settings.htm", "HelpNL/Settings.htm"},   // other spelling on disk
        {2, "main_window.htm", "helpEN/main_window.htm"},
        {5, "main_window.htm", "helpEN/main_window.htm"}, // unknown language: English
        {1, "print_window.htm", "helpFR/print_window.htm"}, // nowhere: the browser says so
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpTopicPath(help, c.language, QLatin1String(c.topic)), help + "/" + QLatin1String(c.expected))
            << c.language << " " << c.topic;
    EXPECT_EQ(HelpTopicPath(tmp.filePath(QStringLiteral("missing")), 0, QStringLiteral("main_window.htm")), QString());
    EXPECT_EQ(HelpTopicPath(QString(), 0, QStringLiteral("main_window.htm")), QString());
}

TEST(HelpFiles, RefusesEntriesThatLeaveTheHelpFolder)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString help = tmp.filePath(QStringLiteral("home/Help"));
    const QString outside = tmp.filePath(QStringLiteral("outside"));
    QDir().mkpath(outside);
    QDir().mkpath(help);
    ASSERT_TRUE(QFile::link(outside, help + QStringLiteral("/linked")));
    const QString archive = tmp.filePath(QStringLiteral("bin/helpEN.zip"));
    QDir().mkpath(QFileInfo(archive).path());
    MakeZip(archive, {
        {"../evil.txt", "x"},
        {"helpEN/../../evil2.txt", "x"},
        {"..\\evil3.txt", "x"},
        {outside + "/absolute.txt", "x"},
        {"C:/evil4.txt", "x"},
        {"helpEN/link", outside.toUtf8(), true},
        {"linked/through.txt", "x"},
        {"helpEN/./ok.htm", "fine"},
    });

    const HelpInstallResult r = InstallHelpFiles(help, {QFileInfo(archive).path()});
    EXPECT_EQ(r.Files, 1);
    EXPECT_EQ(r.Refused.size(), 7) << r.Refused.join(QLatin1Char(';')).toStdString();
    EXPECT_TRUE(r.Errors.isEmpty()) << r.Errors.join(';').toStdString();
    EXPECT_EQ(ReadFile(help + "/helpEN/ok.htm"), QByteArray("fine"));
    EXPECT_TRUE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_FALSE(QFileInfo(help + "/helpEN/link").exists());
    for (const char* name : {"/evil.txt", "/evil2.txt", "/evil3.txt", "/home/evil.txt", "/home/evil2.txt"})
        EXPECT_FALSE(QFileInfo::exists(tmp.path() + QLatin1String(name))) << name;
}

TEST(HelpFiles, ArchiveOperations)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    ASSERT_TRUE(WriteFile(tmp.filePath("src/a.htm"), "A"));
    ASSERT_TRUE(WriteFile(tmp.filePath("src/sub/b.htm"), "B"));

    ZipResult r = ZipShellOperation(QStringLiteral("zipfolder"), tmp.filePath("src"), tmp.filePath("pack"));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.files, 2);
    ASSERT_TRUE(QFileInfo::exists(tmp.filePath("pack.zip"))) << "\".zip\" is added";
    r = ZipShellOperation(QStringLiteral("UNZIP"), tmp.filePath("pack"), tmp.filePath("out"));
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(ReadFile(tmp.filePath("out/sub/b.htm")), QByteArray("B"));

    r = ZipShellOperation(QStringLiteral("ZIPFILE"), tmp.filePath("src/sub/b.htm"), tmp.filePath("one.ZIP"));
    EXPECT_TRUE(r.ok);
    r = ZipShellOperation(QStringLiteral("UNZIP"), tmp.filePath("one.ZIP"), tmp.filePath("one"));
    EXPECT_EQ(ReadFile(tmp.filePath("one/b.htm")), QByteArray("B"));

    QDir().mkpath(tmp.filePath("empty"));
    r = ZipShellOperation(QStringLiteral("ZIPFOLDER"), tmp.filePath("empty"), tmp.filePath("empty.zip"));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(ReadFile(tmp.filePath("empty.zip")), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));

    r = ZipShellOperation(QStringLiteral("UNZIP"), tmp.filePath("missing.zip"), tmp.filePath("x"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QStringLiteral("missing.zip")));
    ASSERT_TRUE(WriteFile(tmp.filePath("broken.zip"), "not an archive"));
    r = ZipShellOperation(QStringLiteral("UNZIP"), tmp.filePath("broken.zip"), tmp.filePath("x"));
    EXPECT_FALSE(r.ok);

    EXPECT_TRUE(ZipShellOperation(QStringLiteral("UNZIP"), QString(), tmp.filePath("x")).ok) << "nothing to do";
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("x/anything")));
}
