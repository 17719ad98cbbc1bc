#include "core/model/appstate.h"
#include "core/config/commandline.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/devices/catalogue.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "ui/shell/editcommands.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphplot.h"
#include "ui/graphs/graphsettingsdialog.h"
#include "ui/graphs/graphwindow.h"
#include <QComboBox>
#include <QDialog>
#include "core/config/startup.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "support/fakeserialport.h"
#include "ui/config/layoutkeeper.h"
#include "ui/shell/mainwindow.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLabel>
#include <QMdiArea>
#include <QMessageBox>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
// One installation: its documents folder and settings store outlive the
// program runs made in it.
struct Installation {
    Installation() : store(QStringLiteral("VAM-CFG"), dir.filePath(QStringLiteral("store.conf")))
    {
        env.DocumentsFolder = dir.filePath(QStringLiteral("Documents"));
        env.UserName = QStringLiteral("Ann");
        env.ProgramFolder = dir.path();
    }
    QTemporaryDir dir;
    CommandLineOptions options;
    StartupEnvironment env;
    SettingsStore store;
};

// One run of the program in an installation.
struct ProgramRun {
    explicit ProgramRun(Installation& in)
    {
        ApplyConfigTag(state, in.options.ConfigTag);
        ApplyInitialDefaults(state, in.store, in.env);
        w = std::make_unique<MainWindow>(state, lang, new FakeSerialPort);
        w->warningHandler = [](const QString&, const QString&) {};
        w->AttachStartup(&in.store, &in.options, &in.env);
        w->settingsRunner = [](bool) { return false; }; // the first start's dialog is tested elsewhere
        w->show();
        w->StartupPass();
    }
    QMdiSubWindow* Sub(QWidget* child) const { return qobject_cast<QMdiSubWindow*>(child->parentWidget()); }
    AppState state;
    LanguageTable lang;
    std::unique_ptr<MainWindow> w;
};
} // namespace

TEST(LayoutKeep, MovedWindowsAndChangedFontsComeBackAtTheNextStart)
{
    Installation in;
    QRect value1, table, terminal;
    QString valueFamily, terminalFamily;
    QList<int> widths;
    {
        ProgramRun r(in);
        r.state.AutoArrange = false; // the user's own placement
        r.w->SetDevice(QStringLiteral("A102"));
        r.w->ShowTable(true);
        r.w->ShowTerminal(true);
        r.state.ConfigChanged = false;

        QMdiSubWindow* v1 = r.Sub(r.w->Value(1));
        v1->setGeometry(30, 40, 260, 130);
        EXPECT_TRUE(r.state.ConfigChanged) << "moving a window changes the set-up";
        r.Sub(r.w->Value(2))->close(); // one value window shown, one closed
        r.Sub(r.w->Table())->setGeometry(10, 200, 480, 220);
        r.Sub(r.w->Terminal())->setGeometry(500, 200, 300, 180);

        QFont vf = r.w->Value(1)->ValueLabel()->font();
        vf.setFamily(QStringLiteral("DejaVu Serif"));
        vf.setItalic(true);
        r.w->Value(1)->ApplyFonts(vf, r.w->Value(1)->UnitLabel()->font());
        QFont tf = r.w->Terminal()->TextBox()->font();
        tf.setFamily(QStringLiteral("DejaVu Sans Mono"));
        tf.setBold(true);
        r.w->Terminal()->ApplyFont(tf);
        r.w->Table()->View()->setColumnWidth(1, 140);
        // A deleted table row (the table edited in the session).
        for (int n = 1; n <= 2; ++n) {
            r.state.LogCount = n;
            r.state.Readings[1].ReadingTime = NowDays() + n / 86400.0;
            r.state.Readings[1].ValueText = QString::number(n);
            r.state.Readings[1].HasValue = true;
            r.w->Recorder().AppendTableRow(QString());
            r.w->Recorder().AppendRecord(QString());
        }
        r.w->questionHandler = [](const QString&, const QString&, bool) { return int(QMessageBox::Yes); };
        r.w->MdiArea()->setActiveSubWindow(r.Sub(r.w->Table()));
        r.w->Table()->SelectRows({0});
        r.w->Edit().DeleteAction()->trigger();
        ASSERT_EQ(r.w->Table()->Table().Count(), 1);

        value1 = v1->geometry();
        table = r.Sub(r.w->Table())->geometry();
        terminal = r.Sub(r.w->Terminal())->geometry();
        valueFamily = r.w->Value(1)->ValueLabel()->font().family();
        terminalFamily = r.w->Terminal()->TextBox()->font().family();
        widths = r.w->Table()->KolomBreedtes();
        ASSERT_TRUE(r.w->ConfirmExit());
    }
    in.store.SaveAutoArrange(false);
    ProgramRun again(in);
    EXPECT_EQ(again.state.DeviceName, QStringLiteral("A102"));
    EXPECT_EQ(again.Sub(again.w->Value(1))->geometry(), value1);
    EXPECT_EQ(again.Sub(again.w->Table())->geometry(), table);
    EXPECT_EQ(again.Sub(again.w->Terminal())->geometry(), terminal);
    EXPECT_TRUE(again.Sub(again.w->Table())->isVisible());
    EXPECT_TRUE(again.Sub(again.w->Terminal())->isVisible());
    EXPECT_TRUE(again.Sub(again.w->Value(1))->isVisible()) << "a shown value window comes back shown";
    EXPECT_FALSE(again.Sub(again.w->Value(2))->isVisible()) << "a closed one stays closed";
    EXPECT_EQ(again.w->Value(1)->ValueLabel()->font().family(), valueFamily);
    EXPECT_TRUE(again.w->Value(1)->ValueLabel()->font().italic());
    EXPECT_EQ(again.w->Terminal()->TextBox()->font().family(), terminalFamily);
    EXPECT_TRUE(again.w->Terminal()->TextBox()->font().bold());
    EXPECT_EQ(again.w->Table()->KolomBreedtes().value(1), widths.value(1));
    EXPECT_FALSE(again.state.ConfigChanged) << "nothing to save right after the start";
}

TEST(LayoutKeep, PlacementsThatDoNotFitAreReplacedNotIgnored)
{
    // Each stored placement against the room it must fit in: the window
    // that does not fit becomes a normal window at 0, 0 with the screen's size.
    struct Case {
        const char* name;
        WindowPlacement stored;
        bool kept;
    };
    const Case cases[] = {
        {"fits", {0, 300, 450, 1500, 3000}, true},
        {"too low", {0, 300, 450, 200, 3000}, false},
        {"too narrow", {0, 300, 450, 1500, 250}, false},
        {"beyond the area", {0, 90000, 450, 1500, 3000}, false},
        {"maximised is taken as it is", {2, 90000, 90000, 100, 100}, true},
    };
    for (const Case& c : cases) {
        Installation in;
        ProgramRun r(in);
        r.state.AutoArrange = false;
        r.w->ShowTable(true);
        ConfigLayout layout;
        layout.Table.Window = c.stored;
        LayoutKeeper keeper(r.state, *r.w, *r.w->MdiArea());
        ChildWindows children;
        children.Table = r.Sub(r.w->Table());
        keeper.Apply(layout, children);
        const QRect g = children.Table->geometry();
        const QSize screen = r.w->screen()->availableGeometry().size();
        if (c.stored.Status == 2) {
            EXPECT_TRUE(children.Table->isMaximized()) << c.name;
        } else if (c.kept) {
            EXPECT_EQ(g, QRect(30, 20, 200, 100)) << c.name;
        } else {
            EXPECT_EQ(g, QRect(QPoint(0, 0), screen)) << c.name;
        }
    }
}

TEST(LayoutKeep, OnlyWhatTheConfigurationKeepsCountsAsAChange)
{
    Installation in;
    ProgramRun r(in);
    r.state.AutoArrange = false;
    r.w->SetDevice(QStringLiteral("A102"));
    r.w->ShowTable(true);
    struct Case {
        const char* what;
        std::function<void()> act;
        bool changed;
    };
    const Case cases[] = {
        {"activating a window", [&] { r.w->MdiArea()->setActiveSubWindow(r.Sub(r.w->Value(2))); }, false},
        {"arranging by the program", [&] { r.state.AutoArrange = true; r.w->RetileWindows(); r.state.AutoArrange = false; }, false},
        {"maximising a window", [&] { r.Sub(r.w->Table())->showMaximized(); }, true},
        {"resizing a window", [&] { r.Sub(r.w->Value(1))->resize(301, 151); }, true},
        {"closing a value window", [&] { r.Sub(r.w->Value(2))->close(); }, true},
        {"showing the value windows again", [&] { r.w->ViewValuesAction()->trigger(); }, true},
        {"hiding the table", [&] { r.Sub(r.w->Table())->close(); }, true},
        {"showing the terminal", [&] { r.w->ViewTerminalAction()->trigger(); }, true},
        {"showing the shown terminal", [&] { r.w->ViewTerminalAction()->trigger(); }, false},
    };
    for (const Case& c : cases) {
        r.state.ConfigChanged = false;
        c.act();
        EXPECT_EQ(r.state.ConfigChanged, c.changed) << c.what;
    }
}

TEST(LayoutKeep, RecentFilesAndTheConfigurationFollowTheOpenedFile)
{
    Installation in;
    ProgramRun r(in);
    r.w->questionHandler = [](const QString&, const QString&, bool) { return int(QMessageBox::No); };
    QStringList files;
    for (const char* name : {"a.vam", "b.vam"}) {
        files << QDir(r.state.FolderData).filePath(QLatin1String(name));
        QFile f(files.last());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("'A101'\r\n'" + QByteArray(name) + "'\r\n");
    }
    for (const QString& file : files) {
        r.w->fileChooser = [file](const QString&, const QString&, const QString&, bool) { return file; };
        r.w->OpenAction()->trigger();
    }
    ASSERT_EQ(r.w->RecentFileActions().size(), 2);
    EXPECT_TRUE(r.w->RecentFileActions().value(0)->text().endsWith(QStringLiteral(" b.vam"))) << "newest first, named as it is";
    QFile cfg(r.state.ConfigFileName);
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly)) << "opening a file writes the configuration";
    EXPECT_TRUE(cfg.readAll().contains(QDir::toNativeSeparators(files.last()).toLatin1()));

    r.w->RecentFileActions().value(1)->trigger(); // a.vam again
    EXPECT_EQ(r.state.LogFileName, files.first());
    ASSERT_EQ(r.w->RecentFileActions().size(), 2) << "no duplicates";
    EXPECT_TRUE(r.w->RecentFileActions().value(0)->text().endsWith(QStringLiteral(" a.vam")));
}

TEST(LayoutKeep, ConfigurationCommandsAskOnlyWhatTheyMust)
{
    Installation in;
    ProgramRun r(in);
    QStringList asked;
    int answer = QMessageBox::Cancel;
    r.w->questionHandler = [&](const QString&, const QString& text, bool) {
        asked << text;
        return answer;
    };
    const QString other = QDir(r.state.FolderSettings).filePath(QStringLiteral("Other.CFG"));
    QFile f(other);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[DEVICE]\r\nDevice = H261\r\n");
    f.close();
    QString chosen = other;
    r.w->fileChooser = [&](const QString&, const QString&, const QString&, bool) { return chosen; };

    r.state.ConfigChanged = true;
    r.w->ReadSettingsAction()->trigger();
    EXPECT_EQ(asked, QStringList{QStringLiteral("Do you wish to save the settings?")});
    EXPECT_NE(r.state.DeviceName, QStringLiteral("H261")) << "cancel keeps the set-up";

    asked.clear();
    r.state.ConfigChanged = false;
    r.w->ReadSettingsAction()->trigger();
    EXPECT_TRUE(asked.isEmpty()) << "nothing to save, nothing asked";
    EXPECT_EQ(r.state.DeviceName, QStringLiteral("H261"));
    EXPECT_EQ(r.state.ConfigFileName, other);
    EXPECT_EQ(r.w->Value(4) != nullptr, true);

    r.w->SaveSettingsAction()->trigger();
    EXPECT_EQ(r.w->Panel(4)->text(), QStringLiteral("Settings saved!"));

    chosen = QDir(r.state.FolderSettings).filePath(QStringLiteral("Copy"));
    r.w->SaveSettingsAsAction()->trigger();
    EXPECT_EQ(r.state.ConfigFileName, chosen + QStringLiteral(".CFG"));
    EXPECT_TRUE(QFileInfo::exists(chosen + QStringLiteral(".CFG")));
    answer = QMessageBox::No;
    QFile::remove(other);
    QFile::copy(chosen + QStringLiteral(".CFG"), other);
    chosen = other;
    r.w->SaveSettingsAsAction()->trigger();
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_EQ(asked.last(), QStringLiteral("Overwrite existing file?"));
    EXPECT_EQ(r.state.ConfigFileName, QDir(r.state.FolderSettings).filePath(QStringLiteral("Copy.CFG"))) << "no keeps the file";
}

TEST(LayoutKeep, GraphsMadeFromTheMenuFollowTheReadingsAndComeBackAtTheNextStart)
{
    Installation in;
    QRect placed;
    {
        ProgramRun r(in);
        r.state.AutoArrange = false;
        r.w->SetDevice(QStringLiteral("A102"));
        r.w->Graphs().dialogRunner = [](GraphSettingsDialog& d) {
            d.EditCell(1, 1); // line 1: the first input, channel 1
            d.InputList()->setCurrentIndex(1);
            d.accept();
            return int(QDialog::Accepted);
        };
        r.w->Graphs().NewGraphAction()->trigger();
        GraphWindow* graph = r.w->Graphs().Graph(1);
        ASSERT_NE(graph, nullptr);
        EXPECT_TRUE(r.w->Graphs().Windows().front()->isVisible());

        r.state.LogCount = 1;
        r.state.Readings[1].ReadingTime = NowDays();
        r.state.Readings[1].ValueText = QStringLiteral("7.25");
        r.state.Readings[1].HasValue = true;
        r.w->Recorder().AppendTableRow(QString());
        r.w->Recorder().UpdateGraphs(1, false); // as the connection records a reading
        EXPECT_DOUBLE_EQ(graph->Plot()->Cell(1, 3), 7.25);

        r.w->Graphs().Windows().front()->setGeometry(40, 50, 420, 260);
        placed = r.w->Graphs().Windows().front()->geometry();
        ASSERT_TRUE(r.w->ConfirmExit());
    }
    in.store.SaveAutoArrange(false);
    ProgramRun again(in);
    ASSERT_EQ(again.w->Graphs().Count(), 1);
    EXPECT_EQ(again.w->Graphs().Windows().front()->geometry(), placed);
    EXPECT_EQ(again.w->Graphs().Graph(1)->Settings().Lines[1].Input, 1);
}

// A configuration with fonts and no window placements (as vam-cli config
// writes one): the named fonts apply, and the exit writes them back.
TEST(LayoutKeep, NamedFontsApplyWithoutPlacements)
{
    Installation in;
    {
        AppState s;
        s.DocumentsFolder = in.env.DocumentsFolder;
        s.ApplyDefaults();
        ApplyDevice(s, QStringLiteral("A102"), NowDays());
        s.DeviceName = QStringLiteral("A102");
        s.TerminalFontName = QStringLiteral("DejaVu Sans Mono");
        s.TerminalFontBold = true;
        LanguageTable lang;
        ConfigLayout layout; // no placement stored anywhere
        layout.Readings[1].ValueFont = FontSpec{QStringLiteral("DejaVu Serif"), 30, true};
        const QString folder = in.env.DocumentsFolder + QStringLiteral("/Velmark/VAM/Settings");
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(WriteConfig(s, lang, layout, folder + QStringLiteral("/VAM.CFG"), CurrentConfigInfo(s)));
    }
    QString written;
    {
        ProgramRun r(in);
        ASSERT_EQ(r.state.DeviceName, QStringLiteral("A102"));
        const QFont f = r.w->Value(1)->ValueLabel()->font();
        EXPECT_EQ(f.family(), QStringLiteral("DejaVu Serif"));
        EXPECT_TRUE(f.bold());
        EXPECT_EQ(r.w->Terminal()->TextBox()->font().family(), QStringLiteral("DejaVu Sans Mono"));
        r.w->EndOnSignal();
        QFile cfg(r.state.ConfigFileName);
        ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
        written = QString::fromLatin1(cfg.readAll());
    }
    const qsizetype readings1 = written.indexOf(QStringLiteral("[READINGS]"));
    ASSERT_GE(readings1, 0);
    const QString section = written.mid(readings1, written.indexOf(QStringLiteral("[READINGS]"), readings1 + 1) - readings1);
    EXPECT_TRUE(section.contains(QStringLiteral("FontName = DejaVu Serif"))) << section.toStdString();
    EXPECT_TRUE(section.contains(QStringLiteral("FontBold = 1")) || section.contains(QStringLiteral("FontBold = True")))
        << section.toStdString();
}

// File > Open and a recent file keep the widths the user gave the table's
// columns, and the configuration written then holds them.
TEST(LayoutKeep, OpeningAFileKeepsTheColumnWidths)
{
    Installation in;
    ProgramRun r(in);
    r.w->SetDevice(QStringLiteral("A102"));
    r.w->ShowTable(true);
    r.w->questionHandler = [](const QString&, const QString&, bool) { return int(QMessageBox::No); };
    const QString file = QDir(r.state.FolderData).filePath(QStringLiteral("b.vam"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("'A102'\r\n");
    }
    r.w->Table()->View()->setColumnWidth(1, 140);
    r.w->fileChooser = [file](const QString&, const QString&, const QString&, bool) { return file; };
    r.w->OpenAction()->trigger();
    EXPECT_EQ(r.state.LogFileName, file);
    EXPECT_EQ(r.w->Table()->View()->columnWidth(1), 140) << "File > Open";
    r.w->RecentFileActions().value(0)->trigger();
    EXPECT_EQ(r.w->Table()->View()->columnWidth(1), 140) << "a recent file";
    QFile cfg(r.state.ConfigFileName);
    ASSERT_TRUE(cfg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(cfg.readAll().contains(QByteArray::number(140 * TableWindow::kTwipsPerPixel)))
        << "the configuration written holds the user's width";
}
