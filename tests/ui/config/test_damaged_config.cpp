// A damaged configuration at start: one warning names the file and what was
// not read from it, the writes nobody asked for (opening a data file, the
// exit, a termination signal) leave it byte for byte, and File > Save
// settings writes it and ends the protection.

#include "core/config/commandline.h"
#include "core/config/startup.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "platform/core/settingsstore.h"
#include "support/fakeserialport.h"
#include "ui/shell/mainwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(DamagedConfiguration, IsReportedAndKeptUntilSavedExplicitly)
{
    const struct Case {
        const char* what;
        QByteArray bytes;
        const char* reset; // named in the warning
        bool bySignal;     // EndOnSignal instead of File > Exit
    } cases[] = {
        {"an image saved over it", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) + QByteArray(900, '\xb7'),
         "all settings", false},
        {"cut off", "[INFO]\r\nFile = VAM.CFG\r\n[COMMUNICATION]\r\nSerial Port = COM2\r\nBaudr",
         "[LOG]", true},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const CommandLineOptions options = ParseCommandLine({}, dir.path());
        SettingsStore store(QStringLiteral("VAM-CFG"), dir.filePath(QStringLiteral("store.conf")));
        StartupEnvironment env;
        env.DocumentsFolder = dir.filePath(QStringLiteral("Documents"));
        env.ProgramFolder = dir.path();
        AppState state;
        LanguageTable lang;
        ApplyConfigTag(state, options.ConfigTag);
        ApplyInitialDefaults(state, store, env);
        const QString folder = env.DocumentsFolder + QStringLiteral("/Velmark/VAM/Settings");
        const QString path = folder + QStringLiteral("/VAM.CFG");
        ASSERT_TRUE(QDir().mkpath(folder));
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.bytes);
        }

        MainWindow w(state, lang, new FakeSerialPort);
        QStringList warnings;
        w.warningHandler = [&](const QString&, const QString& text) { warnings << text; };
        w.AttachStartup(&store, &options, &env);
        w.settingsRunner = [](bool) { return false; };
        w.fileChooser = [](const QString&, const QString&, const QString&, bool) { return QString(); };
        w.StartupPass();
        ASSERT_EQ(state.ConfigFileName, path) << c.what;
        ASSERT_EQ(warnings.size(), 1) << c.what << ": " << warnings.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(warnings[0].contains(path) && warnings[0].contains(QLatin1String(c.reset)))
            << c.what << ": " << warnings[0].toStdString();

        state.ConfigChanged = true;
        ASSERT_TRUE(w.OpenAction()->isEnabled());
        w.OpenAction()->trigger(); // Data > Open writes the set-up before and after the dialog
        testing::internal::CaptureStderr();
        if (c.bySignal)
            w.EndOnSignal();
        else
            EXPECT_TRUE(w.ConfirmExit()) << c.what;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(ReadBytes(path), c.bytes) << c.what;
        EXPECT_NE(said.find("left as it is"), std::string::npos) << c.what << ": " << said;
        EXPECT_EQ(warnings.size(), 1) << c.what << ": nothing more to answer at exit";

        w.SaveSettingsAction()->trigger();
        const QByteArray saved = ReadBytes(path);
        EXPECT_TRUE(saved.startsWith("[INFO]\r\n") && saved.endsWith("[END NOTE]\r\n")) << c.what;
        state.PollInterval = 42;
        EXPECT_TRUE(w.ConfirmExit()) << c.what;
        EXPECT_TRUE(ReadBytes(path).contains("Interval = 42\r\n")) << c.what << ": saved once, written at exit again";
    }
}
