#include "core/config/commandline.h"
#include "core/config/startup.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "platform/core/settingsstore.h"
#include "support/fakeserialport.h"
#include "ui/shell/mainwindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The File menu as the user sees it, top to bottom: each shown entry's text,
// "-" for a separator, "R" for a recent data file.
static QStringList Shape(const MainWindow& w)
{
    QStringList shape;
    for (QAction* a : w.menuBar()->actions().first()->menu()->actions()) {
        if (a->isVisible())
            shape << (a->isSeparator()                      ? QStringLiteral("-")
                      : w.RecentFileActions().contains(a) ? QStringLiteral("R")
                                                            : a->text());
    }
    return shape;
}

// The recent files sit just above Exit, a separator on either side: a click
// aimed at Exit, the last entry, never opens an old file.
TEST(FileMenu, RecentFilesSitBetweenSeparatorsAboveExit)
{
    struct Case {
        const char* what;
        QStringList stored;
        int reloads; // the list shown again, as after a save or an open
        QStringList tail;
    };
    const QString exitText = QStringLiteral("E&xit"), printer = QStringLiteral("Printer &settings");
    const QString r = QStringLiteral("R"), sep = QStringLiteral("-");
    const Case cases[] = {
        {"none: one separator above Exit", {}, 1, {printer, sep, exitText}},
        {"one", {QStringLiteral("a.vam")}, 0, {printer, sep, r, sep, exitText}},
        {"four, shown three times",
         {QStringLiteral("a.vam"), QStringLiteral("b.vam"), QStringLiteral("c.vam"), QStringLiteral("d.vam")}, 2,
         {printer, sep, r, r, r, r, sep, exitText}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const CommandLineOptions options = ParseCommandLine({}, dir.path());
        StartupEnvironment env;
        env.DocumentsFolder = dir.filePath(QStringLiteral("Documents"));
        env.ProgramFolder = dir.path();
        SettingsStore store(QStringLiteral("VAM-CFG"), dir.filePath(QStringLiteral("store.conf")));
        AppState state;
        LanguageTable lang;
        ApplyInitialDefaults(state, store, env);
        store.SaveRecentFiles(c.stored);
        MainWindow w(state, lang, new FakeSerialPort);
        w.warningHandler = [](const QString&, const QString&) {};
        w.settingsRunner = [](bool) { return false; };
        w.AttachStartup(&store, &options, &env);
        w.StartupPass();
        for (int i = 0; i < c.reloads; ++i)
            w.LoadRecentFilesMenu();

        const QStringList shape = Shape(w);
        const QString tail = shape.mid(shape.size() - c.tail.size()).join(QLatin1Char('|'));
        EXPECT_EQ(tail.toStdString(), c.tail.join(QLatin1Char('|')).toStdString())
            << "the whole menu: " << shape.join(QLatin1Char('|')).toStdString();
        ASSERT_EQ(w.RecentFileActions().size(), c.stored.size());
        for (int i = 0; i < c.stored.size(); ++i)
            EXPECT_EQ(w.RecentFileActions()[i]->text(), QStringLiteral("&%1 %2").arg(i + 1).arg(c.stored[i]))
                << "newest first, numbered";
    }
}
