// The commands of the main window's menus and toolbar, each driven through
// its action as a user would, with its effect checked.

#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "support/fakeserialport.h"
#include "support/pdftext.h"
#include "ui/logging/datafilecommands.h"
#include "ui/shell/editcommands.h"
#include "ui/help/helpwindow.h"
#include "ui/shell/mainwindow.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"
#include "ui/settings/settingsdialog.h"
#include "ui/settings/settingscommands.h"
#include "ui/printing/pagesetupdialog.h"
#include "ui/printing/printdialog.h"
#include "ui/shell/aboutdialog.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphsettingsdialog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QUrl>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {
struct Rig {
    Rig()
    {
        state.DocumentsFolder = dir.path();
        state.ApplyDefaults();
        state.FolderData = dir.path();
        state.LogFileName = dir.filePath(QStringLiteral("run.vam"));
        ApplyDevice(state, QStringLiteral("A102"), t0);
        state.DeviceName = QStringLiteral("A102");
        w.warningHandler = [this](const QString&, const QString& text) { warnings << text; };
        w.questionHandler = [this](const QString& title, const QString& text, bool) {
            asked << title + QStringLiteral(": ") + text;
            return answer;
        };
        w.fileChooser = [this](const QString&, const QString&, const QString&, bool) { return chosen; };
        w.SetDevice(QStringLiteral("A102"));
        w.show();
        w.ShowTable(true);
    }
    // One logged reading, as the connection records it.
    void Log(int n)
    {
        state.LogCount = n;
        for (int c = 1; c <= 2; ++c) {
            ChannelReading& r = state.Readings[c];
            r.ReadingTime = t0 + n * kOneSecond;
            r.ValueText = QString::number(c * 10 + n);
            r.UnitText = QStringLiteral("mV");
            r.HasValue = true;
        }
        w.Recorder().AppendTableRow(QString());
        w.Recorder().AppendRecord(QString());
    }
    void Activate(QWidget* child) { w.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(child->parentWidget())); }
    QMdiSubWindow* Sub(QWidget* child) const { return qobject_cast<QMdiSubWindow*>(child->parentWidget()); }
    QByteArray Read(const QString& path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString Messages() const { return w.Panel(4)->text(); } // panels count from 0

    const double t0 = 46000.5;
    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    MainWindow w{state, lang, new FakeSerialPort};
    QStringList warnings, asked;
    int answer = QMessageBox::Yes;
    QString chosen;
};

// Which Edit entries are enabled, as letters: Copy, Delete, delete All,
// Select all, Deselect all, Invert, Renumber, Font.
QString Enabled(const EditCommands& e)
{
    const QList<QAction*> actions{e.CopyAction(),      e.DeleteAction(), e.ClearAction(),    e.SelectAllAction(),
                                  e.DeselectAllAction(), e.InvertAction(), e.RenumberAction(), e.FontAction()};
    QString out;
    for (int i = 0; i < actions.size(); ++i)
        out += actions[i]->isEnabled() ? QLatin1Char("CDASNIRF"[i]) : QLatin1Char('-');
    return out;
}
} // namespace

TEST(Commands, EditEntriesFollowTheActiveWindow)
{
    Rig r;
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* enabled;
    };
    const Case cases[] = {
        {"empty table", [&] { r.Activate(r.w.Table()); }, "-------F"},
        {"table with rows", [&] { r.Log(1); r.Log(2); }, "--AS-IRF"},
        {"a row selected", [&] { r.w.Table()->SelectRows({1}); }, "CDASNIRF"},
        {"empty terminal", [&] { r.w.ShowTerminal(true); r.Activate(r.w.Terminal()); }, "-------F"},
        {"terminal with text", [&] { r.w.Terminal()->ToevoegenTextBox("7.01 pH\r\n", 0); }, "CDAS---F"},
        {"value window without a value", [&] { r.Activate(r.w.Value(1)); }, "-------F"},
        {"value window with a value", [&] { r.state.Readings[1].ValueText = "7.01"; r.w.Recorder().ShowValue(1); r.w.Edit().Refresh(); }, "C------F"},
    };
    for (const Case& c : cases) {
        c.act();
        r.w.EditMenu()->aboutToShow(); // the menu brings itself up to date when it opens
        EXPECT_EQ(Enabled(r.w.Edit()), QString::fromLatin1(c.enabled)) << c.what;
    }
}

TEST(Commands, CopyTakesFromTheActiveWindowAndSaysSo)
{
    Rig r;
    r.Log(1);
    r.Log(2);
    r.Activate(r.w.Table());
    r.w.Table()->SelectRows({1});
    r.w.Edit().CopyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), r.w.Table()->SelectionText());
    EXPECT_EQ(r.Messages(), QStringLiteral("Last action: Edit > Copy"));

    r.w.ShowTerminal(true);
    r.w.Terminal()->ToevoegenTextBox(QStringLiteral("<5\r\n"), 0);
    r.Activate(r.w.Terminal());
    r.w.SetPanelText(5, QString());
    r.w.Edit().CopyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("<5\r\n"));
    EXPECT_EQ(r.Messages(), QStringLiteral("Last action: Edit > Copy"));

    r.state.Readings[2].ValueText = QStringLiteral("12.5");
    r.state.Readings[2].UnitText = QStringLiteral("mV");
    r.w.Recorder().ShowValue(2);
    r.Activate(r.w.Value(2));
    r.w.Edit().CopyAction()->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("12.5\tmV"));
}

TEST(Commands, TableDeleteRenumberAndClearThroughTheEditMenu)
{
    Rig r;
    for (int n = 1; n <= 3; ++n)
        r.Log(n);
    r.Activate(r.w.Table());
    r.w.Table()->SelectRows({2});
    r.w.Edit().DeleteAction()->trigger();
    ASSERT_EQ(r.asked.size(), 1);
    EXPECT_EQ(r.asked.last(), QStringLiteral("Delete: Do you wish to delete all selected points?\r\n\r\n"
                                             "1 record(s) will be removed from the data file ")
                                  + QFileInfo(r.state.LogFileName).fileName() + QStringLiteral("."));
    EXPECT_EQ(r.w.Table()->Table().Count(), 2);
    EXPECT_EQ(r.Read(r.state.LogFileName).count("\r\n"), 3) << "header and two records left";

    r.w.Edit().RenumberAction()->trigger();
    EXPECT_EQ(r.state.LogCount, 2);
    EXPECT_EQ(r.w.Table()->Table().Number(1), 2);

    r.answer = QMessageBox::No;
    r.w.Table()->SelectRows({1});
    r.w.Edit().ClearAction()->trigger(); // toolbar button 6
    EXPECT_EQ(r.w.Table()->Table().Count(), 2) << "no keeps the table";
    EXPECT_EQ(r.w.Table()->Geselecteerd(), std::vector<int>{1}) << "and the selection the user made";
    // Delete after a refused Delete All removes what the user selected, not every record.
    r.answer = QMessageBox::Yes;
    r.w.Edit().DeleteAction()->trigger();
    EXPECT_EQ(r.w.Table()->Table().Count(), 1);
    EXPECT_EQ(r.Read(r.state.LogFileName).count("\r\n"), 2) << "header and one record left";
    r.w.Table()->SelectRows({});
    r.answer = QMessageBox::Yes;
    r.w.Edit().ClearAction()->trigger();
    EXPECT_EQ(r.w.Table()->Table().Count(), 0);
    EXPECT_EQ(r.state.LogCount, 0);
    EXPECT_EQ(r.w.Panel(3)->text(), QStringLiteral("Log# 0"));
    EXPECT_EQ(r.Read(r.state.LogFileName).count("\r\n"), 2) << "the data file keeps its records";
}

TEST(Commands, RelativeClockIsCheckedTheSameInBothMenus)
{
    Rig r;
    r.Log(1);
    r.Activate(r.w.Table());
    r.w.Edit().RelativeAction()->trigger();
    EXPECT_TRUE(r.w.Table()->RelativeClockAction()->isChecked());
    EXPECT_TRUE(r.w.Table()->RelativeTime());
    r.w.Table()->RelativeClockAction()->trigger();
    EXPECT_FALSE(r.w.Edit().RelativeAction()->isChecked());
    EXPECT_FALSE(r.w.Table()->RelativeTime());
}

TEST(Commands, TerminalTextFilesThroughTheFileMenu)
{
    Rig r;
    r.w.ShowTerminal(true);
    r.w.Terminal()->ToevoegenTextBox(QStringLiteral("first\r\n"), 0);
    r.chosen = r.dir.filePath(QStringLiteral("traffic.txt"));
    r.w.SaveTextAction()->trigger();
    EXPECT_EQ(r.Read(r.chosen), QByteArray("first\r\n"));

    r.w.Terminal()->ToevoegenTextBox(QStringLiteral("second\r\n"), 0);
    r.answer = QMessageBox::No;
    r.w.SaveTextAction()->trigger();
    EXPECT_EQ(r.Read(r.chosen), QByteArray("first\r\n")) << "no writes nothing";
    EXPECT_TRUE(r.asked.last().endsWith(QStringLiteral("Overwrite existing file?")));
    r.answer = QMessageBox::Yes;
    r.w.SaveTextAction()->trigger();
    EXPECT_EQ(r.Read(r.chosen), QByteArray("first\r\nsecond\r\n"));
    EXPECT_EQ(r.Read(r.dir.filePath(QStringLiteral("traffic.bak"))), QByteArray("first\r\n"));

    r.Sub(r.w.Terminal())->close(); // the close box hides it
    EXPECT_FALSE(r.state.TerminalVisible);
    r.chosen = r.dir.filePath(QStringLiteral("traffic.bak"));
    r.w.OpenTextAction()->trigger();
    EXPECT_TRUE(r.state.TerminalVisible) << "opening shows the terminal";
    EXPECT_EQ(r.w.Terminal()->Text(), QStringLiteral("first\n"));
    r.chosen.clear();
    r.w.OpenTextAction()->trigger();
    EXPECT_EQ(r.w.Terminal()->Text(), QStringLiteral("first\n")) << "a cancelled dialog changes nothing";
}

TEST(Commands, TerminalShowsByTheViewMenuHidesByItsCloseBoxAndMaximisesOnDoubleClick)
{
    Rig r;
    r.w.ViewTerminalAction()->trigger();
    EXPECT_TRUE(r.Sub(r.w.Terminal())->isVisible());
    r.w.ViewTerminalAction()->trigger();
    EXPECT_TRUE(r.Sub(r.w.Terminal())->isVisible()) << "the View command never hides";
    EXPECT_TRUE(r.w.ViewTerminalAction()->isChecked());
    QTest::mouseDClick(r.w.Terminal()->TextBox()->viewport(), Qt::LeftButton);
    EXPECT_TRUE(r.Sub(r.w.Terminal())->isMaximized());
    r.Sub(r.w.Terminal())->close();
    EXPECT_TRUE(r.Sub(r.w.Terminal())->isHidden());
    EXPECT_FALSE(r.w.ViewTerminalAction()->isChecked());
}

TEST(Commands, TerminalContextMenuIsTheEditMenuWithItsFileCommands)
{
    Rig r;
    r.w.ShowTerminal(true);
    r.Activate(r.w.Terminal());
    r.w.Terminal()->ToevoegenTextBox(QStringLiteral("abc\r\n"), 0);
    std::unique_ptr<QMenu> menu(r.w.Edit().TerminalContextMenu({r.w.OpenTextAction(), r.w.SaveTextAction()}));
    QStringList entries;
    for (QAction* a : menu->actions())
        if (!a->isSeparator() && a->isEnabled())
            entries << a->text();
    EXPECT_TRUE(entries.contains(QStringLiteral("&Copy")));
    EXPECT_TRUE(entries.contains(QStringLiteral("&Open text file")));
    EXPECT_TRUE(entries.contains(QStringLiteral("&Save to text file")));
    EXPECT_FALSE(entries.contains(QStringLiteral("&Renumber"))) << "table entries stay off";
}

TEST(Commands, WindowFontForTheActiveWindowIsKeptAsAChange)
{
    Rig r;
    r.w.ShowTerminal(true);
    r.w.Edit().fontChooser = [](QFont& f) {
        f.setFamily(QStringLiteral("DejaVu Serif"));
        f.setItalic(true);
        return true;
    };
    for (QWidget* target : {static_cast<QWidget*>(r.w.Terminal()), static_cast<QWidget*>(r.w.Value(2)),
                            static_cast<QWidget*>(r.w.Table())}) {
        r.state.ConfigChanged = false;
        r.Activate(target);
        r.w.Edit().Refresh();
        ASSERT_TRUE(r.w.Edit().FontAction()->isEnabled());
        r.w.Edit().FontAction()->trigger();
        EXPECT_TRUE(r.state.ConfigChanged) << target->metaObject()->className();
    }
    EXPECT_TRUE(r.w.Terminal()->TextBox()->font().italic());
    EXPECT_EQ(r.state.TerminalFontName, QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(r.w.Value(2)->ValueLabel()->font().italic());
    EXPECT_FALSE(r.w.Value(1)->ValueLabel()->font().italic()) << "only the active window";
    EXPECT_TRUE(r.w.Table()->View()->font().italic());
}

TEST(Commands, ViewValuesShowsTheSameWindowsAgain)
{
    Rig r;
    r.state.Readings[1].ValueText = QStringLiteral("7.01");
    r.w.Recorder().ShowValue(1);
    ValueWindow* before = r.w.Value(1);
    r.Sub(before)->close();
    EXPECT_TRUE(r.Sub(before)->isHidden());
    EXPECT_FALSE(r.state.Channel(1).Value);
    r.w.ViewValuesAction()->trigger();
    EXPECT_EQ(r.w.Value(1), before) << "not rebuilt";
    EXPECT_FALSE(r.Sub(before)->isHidden());
    EXPECT_TRUE(r.state.Channel(1).Value);
    EXPECT_EQ(before->ValueLabel()->text(), QStringLiteral("7.01")) << "the shown value stays";
}

TEST(Commands, WindowMenuArrangesWithoutOverlaps)
{
    Rig r;
    r.w.resize(1000, 700);
    r.w.ShowTerminal(true);
    for (int arrange : {TileHorizontal, TileVertical}) {
        r.w.ArrangeAction(arrange)->trigger();
        EXPECT_EQ(r.state.LastWindowArrange, arrange);
        QList<QRect> rects;
        for (QMdiSubWindow* sub : r.w.MdiArea()->subWindowList())
            if (sub->isVisible())
                rects << sub->geometry();
        ASSERT_EQ(rects.size(), 4); // two value windows, table, terminal
        for (int i = 0; i < rects.size(); ++i)
            for (int j = i + 1; j < rects.size(); ++j)
                EXPECT_FALSE(rects[i].intersects(rects[j])) << arrange << ": " << i << " and " << j;
    }
}

TEST(Commands, NewAsksTheFileNameAndStartsAnEmptyTable)
{
    Rig r;
    r.Log(1);
    r.state.LogFileName = r.dir.filePath(QStringLiteral("named.vam")); // readings safe in a named file
    r.w.NewAction()->trigger(); // cancelled in the dialog
    EXPECT_EQ(r.w.Table()->Table().Count(), 1);
    EXPECT_TRUE(r.asked.isEmpty());

    r.chosen = r.dir.filePath(QStringLiteral("next"));
    QFile old(r.chosen + QStringLiteral(".vam"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    r.w.NewAction()->trigger();
    EXPECT_EQ(r.asked.value(0), QStringLiteral("New file to save as ...: Overwrite existing file?"));
    EXPECT_EQ(r.state.LogFileName, r.chosen + QStringLiteral(".vam"));
    EXPECT_EQ(r.Read(r.dir.filePath(QStringLiteral("next.bak"))), QByteArray("old"));
    EXPECT_EQ(r.w.Table()->Table().Count(), 0);
    EXPECT_EQ(r.state.LogCount, 0);
    EXPECT_TRUE(r.w.windowTitle().contains(QStringLiteral("next.vam")));
}

TEST(Commands, OpenAsksToSaveAnUntitledTableFirst)
{
    Rig r;
    r.state.LogFileName = UntitledDataFileName(r.state);
    r.Log(1);
    r.Log(2);
    const QString other = r.dir.filePath(QStringLiteral("other.vam"));
    QFile::copy(r.state.LogFileName, other);
    r.answer = QMessageBox::Cancel;
    r.chosen = other;
    r.w.OpenAction()->trigger();
    EXPECT_EQ(r.asked.value(0), QStringLiteral("VAM: Do you wish to save the current data?"));
    EXPECT_EQ(r.state.LogFileName, UntitledDataFileName(r.state)) << "cancel opens nothing";

    r.answer = QMessageBox::No;
    r.w.OpenAction()->trigger();
    EXPECT_EQ(r.state.LogFileName, other);
    EXPECT_EQ(r.w.Table()->Table().Count(), 2);
    EXPECT_FALSE(r.w.FileCommands().TableUnsaved());
}

TEST(Commands, ExtendFrameDecidesTheFrameOfValueAndTerminalWindows)
{
    for (bool extend : {true, false}) {
        Rig r;
        r.state.ExtendFrame = extend;
        r.w.SetDevice(QStringLiteral("A102"));
        r.w.ShowTerminal(true);
        for (QWidget* child : {static_cast<QWidget*>(r.w.Value(1)), static_cast<QWidget*>(r.w.Terminal())}) {
            EXPECT_EQ(r.Sub(child)->windowFlags().testFlag(Qt::WindowMinMaxButtonsHint), extend) << extend;
            EXPECT_TRUE(r.Sub(child)->isVisible()) << extend;
        }
        EXPECT_TRUE(r.Sub(r.w.Table())->windowFlags().testFlag(Qt::WindowMinMaxButtonsHint)) << "the table keeps its frame";
    }
}

TEST(Commands, SettingsFromTheMenuRetranslateTheMainWindowAndThePanelOpensTheFirstPage)
{
    Rig r;
    r.state.StartPort = r.state.SerialPort = QStringLiteral("COM9"); // the only port: OK never asks for one
    r.state.SettingsTab = 2;
    int tabShown = -1;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        tabShown = d->Tabs()->currentIndex();
        d->LanguageList()->setCurrentIndex(LanguageTable::French);
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QTest::mouseClick(r.w.Panel(0), Qt::LeftButton); // the "Settings" panel
    EXPECT_EQ(tabShown, 0);
    EXPECT_EQ(r.state.LanguageIndex, LanguageTable::French);
    EXPECT_EQ(r.w.EditMenu()->title(), QStringLiteral("\u00C9&dition"));
    EXPECT_TRUE(r.state.ConfigChanged);

    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->reject();
    });
    r.w.SettingsAction()->trigger();
    EXPECT_EQ(r.state.LanguageIndex, LanguageTable::French) << "cancel keeps the language";
}

TEST(Commands, MeasuringGoesOnAfterTheSettingsDialog)
{
    Rig r;
    auto* port = new FakeSerialPort;
    port->reply = [](const QByteArray&) { return QByteArray("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n"); };
    MainWindow w(r.state, r.lang, port);
    w.warningHandler = [](const QString&, const QString&) {};
    r.state.StartPort = r.state.SerialPort = QStringLiteral("/dev/pts/96");
    r.state.PollValues = true;
    r.state.PollInterval = 1;
    w.SetDevice(QStringLiteral("A101"));
    w.Conn().InstellenCommPoort();
    w.MeasureAction()->trigger();
    ASSERT_TRUE(r.state.Connected);
    bool tickDuring = true;
    for (bool ok : {true, false}) {
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            tickDuring = w.Conn().TimerOpvragen.isActive() || !r.state.SettingsOpen;
            ok ? QTest::mouseClick(d->OkButton(), Qt::LeftButton) : d->reject();
        });
        w.SettingsAction()->trigger();
        EXPECT_FALSE(tickDuring) << "no poll while the set-up is being changed";
        EXPECT_FALSE(r.state.SettingsOpen);
        EXPECT_TRUE(r.state.Connected) << ok;
        EXPECT_TRUE(w.Conn().TimerOpvragen.isActive()) << (ok ? "after OK" : "after Cancel") << ": the poll tick runs again";
    }
}

namespace {
// Runs `act` on the modal dialog of type T once it is open.
template <typename T>
void OnDialog(std::function<void(T&)> act)
{
    QTimer::singleShot(0, [act] {
        if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget()))
            act(*d);
        else if (QApplication::activeModalWidget())
            QApplication::activeModalWidget()->close();
    });
}
} // namespace

TEST(Commands, FilePrintPrintsTheActiveWindowToTheChosenPdf)
{
    Rig r;
    ASSERT_TRUE(r.w.PrintAction()->isEnabled());
    ASSERT_TRUE(r.w.PrinterSettingsAction()->isEnabled());
    EXPECT_TRUE(r.w.findChild<QToolBar*>()->actions().contains(r.w.PrintAction()));
    for (int n = 1; n <= 3; ++n)
        r.Log(n);
    r.state.PrintOperator = QStringLiteral("Ann Smith");
    const QString pdf = r.dir.filePath(QStringLiteral("table.pdf"));
    int asked = 0;
    r.w.pdfChooser = [&] {
        ++asked;
        return pdf;
    };
    r.Activate(r.w.Table());
    OnDialog<PrintDialog>([](PrintDialog& d) {
        d.CurrentOption()->setChecked(true);
        d.accept();
    });
    r.w.PrintAction()->trigger();
    EXPECT_EQ(asked, 1) << "the PDF path is asked once per job";
    const QString text = PdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Ann Smith"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("page 1"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("23"))) << "the third row's second channel: " << qPrintable(text);
    EXPECT_FALSE(r.state.PrintAll);

    // Printer settings: the margins chosen there are kept.
    OnDialog<PageSetupDialog>([](PageSetupDialog& d) {
        d.Spin(PageSetupDialog::Top)->setValue(12);
        d.accept();
    });
    r.w.PrinterSettingsAction()->trigger();
    EXPECT_FLOAT_EQ(r.state.OffsetTop, 12);
}

TEST(Commands, HelpOpensTheTopicInTheCurrentLanguage)
{
    Rig r;
    QList<QUrl> opened;
    r.w.urlOpener = [&](const QUrl& u) { opened << u; };
    r.state.FolderHelp = r.dir.filePath(QStringLiteral("Help"));
    r.w.ContentsAction()->trigger();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(r.warnings, QStringList{QStringLiteral("The Help-files are not available!\r\n\r\nVAM looks for them in ")
                                      + r.state.FolderHelp + QStringLiteral(".")});

    for (const char* f : {"helpEN/get_started.htm", "helpEN/main_window.htm", "helpNL/main_window.htm"}) {
        const QString path = r.state.FolderHelp + QLatin1Char('/') + QLatin1String(f);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    r.state.LanguageIndex = 2;
    r.w.ContentsAction()->trigger();
    r.w.HowToAction()->trigger(); // not translated: the English topic
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].toLocalFile(), r.state.FolderHelp + QStringLiteral("/helpNL/main_window.htm"));
    EXPECT_EQ(opened[1].toLocalFile(), r.state.FolderHelp + QStringLiteral("/helpEN/get_started.htm"));

    // The dialogs' Help buttons open their own topics.
    opened.clear();
    r.state.LanguageIndex = 0;
    r.w.Graphs().dialogRunner = [](GraphSettingsDialog& d) {
        d.HelpButton()->click();
        return int(QDialog::Rejected);
    };
    r.w.Graphs().NewGraph(false);
    const SettingsHooks hooks = MainWindowSettingsHooks(r.w, false);
    ASSERT_TRUE(hooks.showHelp);
    hooks.showHelp(QStringLiteral("settings.htm"));
    // A section: the topic's file, at that section.
    hooks.showHelp(QStringLiteral("settings.htm#mqtt"));
    QStringList topics;
    for (const QUrl& u : opened)
        topics << QFileInfo(u.toLocalFile()).fileName() + (u.hasFragment() ? "#" + u.fragment() : QString());
    EXPECT_EQ(topics, (QStringList{QStringLiteral("graph_settings.htm"), QStringLiteral("settings.htm"),
                                   QStringLiteral("settings.htm#mqtt")}));
}

TEST(Commands, SystemInfoShowsTheMachineAndTheFoldersAndCopiesThem)
{
    Rig r;
    r.state.FolderSettings = r.dir.filePath(QStringLiteral("Settings"));
    bool ran = false;
    r.w.aboutRunner = [&](AboutDialog& d) {
        ran = true;
        EXPECT_TRUE(d.ProgramLabel()->text().contains(QStringLiteral(VAM_VERSION)));
        EXPECT_FALSE(d.SystemLabel()->isHidden());
        EXPECT_FALSE(d.SystemInfoButton()->isEnabled());
        EXPECT_TRUE(d.SystemLabel()->text().contains(r.state.FolderSettings.toHtmlEscaped()));
        d.CopyButton()->click();
        const QString copied = QApplication::clipboard()->text();
        EXPECT_TRUE(copied.contains(QStringLiteral("Folder Data: ") + r.state.FolderData)) << qPrintable(copied);
        EXPECT_TRUE(copied.contains(QStringLiteral("Qt: "))) << qPrintable(copied);
        // A picture of the box for a look, when asked for.
        if (const QString keep = qEnvironmentVariable("VAM_SHOT_DIR"); !keep.isEmpty()) {
            d.adjustSize();
            d.grab().save(QDir(keep).filePath(QStringLiteral("about.png")));
        }
    };
    r.w.SystemInfoAction()->trigger();
    EXPECT_TRUE(ran);

    // Version...: the system facts only on request.
    r.w.aboutRunner = [&](AboutDialog& d) {
        EXPECT_TRUE(d.SystemLabel()->isHidden());
        d.SystemInfoButton()->click();
        EXPECT_FALSE(d.SystemLabel()->isHidden());
    };
    r.w.AboutAction()->trigger();
}

// The keys desktop users expect, each bound once in the window (a key bound
// twice is ambiguous and does nothing), and working on the active window.
TEST(Commands, DesktopShortcutsAreBoundOnceAndWork)
{
    Rig r;
    const struct {
        QAction* action;
        QKeySequence key;
    } expected[] = {
        {r.w.NewAction(), QKeySequence(QStringLiteral("Ctrl+N"))},
        {r.w.OpenAction(), QKeySequence(QStringLiteral("Ctrl+O"))},
        {r.w.SaveSettingsAction(), QKeySequence(QStringLiteral("Ctrl+S"))},
        {r.w.PrintAction(), QKeySequence(QStringLiteral("Ctrl+P"))},
        {r.w.ExitAction(), QKeySequence(QStringLiteral("Ctrl+Q"))},
        {r.w.Edit().CopyAction(), QKeySequence(QStringLiteral("Ctrl+C"))},
        {r.w.Edit().SelectAllAction(), QKeySequence(QStringLiteral("Ctrl+A"))},
        {r.w.Edit().DeleteAction(), QKeySequence(QStringLiteral("Del"))},
        {r.w.ContentsAction(), QKeySequence(QStringLiteral("F1"))},
    };
    QMap<QString, int> bound;
    for (QAction* a : r.w.findChildren<QAction*>())
        for (const QKeySequence& k : a->shortcuts())
            ++bound[k.toString()];
    for (const auto& e : expected) {
        EXPECT_TRUE(e.action->shortcuts().contains(e.key)) << e.key.toString().toStdString();
        EXPECT_EQ(bound.value(e.key.toString()), 1) << e.key.toString().toStdString() << " is bound more than once";
    }

    for (int n = 1; n <= 3; ++n)
        r.Log(n);
    r.Activate(r.w.Table());
    QApplication::setActiveWindow(&r.w); // shortcuts fire in the active window only
    r.w.Table()->View()->setFocus();
    QTest::keySequence(r.w.Table()->View(), QKeySequence(QStringLiteral("Ctrl+A")));
    EXPECT_EQ(r.w.Table()->Geselecteerd(), (std::vector<int>{0, 1, 2})) << "Ctrl+A in the table";
    r.answer = QMessageBox::No;
    ASSERT_TRUE(r.w.Edit().DeleteAction()->isEnabled());
    QTest::keySequence(r.w.Table()->View(), QKeySequence(QStringLiteral("Del")));
    ASSERT_EQ(r.asked.size(), 1) << "Del asks to delete the selected rows";
}

// Without a browser on the desktop the help still shows: the program's own
// window, with the topic's links, its pictures' folder and back/forward.
TEST(Commands, HelpShowsInTheProgramsOwnWindow)
{
    Rig r;
    r.state.FolderHelp = r.dir.filePath(QStringLiteral("Help"));
    QDir().mkpath(r.state.FolderHelp + QStringLiteral("/helpEN"));
    const QString main = r.state.FolderHelp + QStringLiteral("/helpEN/main_window.htm");
    const QString other = r.state.FolderHelp + QStringLiteral("/helpEN/settings.htm");
    for (const auto& [path, html] : {std::pair{main, QByteArray("<html><head><title>Main window</title></head><body>"
                                                                "<a href=\"settings.htm\">Settings</a><img src=\"shot.png\"></body></html>")},
                                     std::pair{other, QByteArray("<html><head><title>Settings</title></head><body>Ports</body></html>")}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(html);
    }
    r.w.ContentsAction()->trigger();
    HelpWindow* help = r.w.Help();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Browser()->source().toLocalFile(), main);
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Main window"));
    EXPECT_TRUE(help->Browser()->searchPaths().contains(r.state.FolderHelp + QStringLiteral("/helpEN")));
    Q_EMIT help->Browser()->anchorClicked(QUrl(QStringLiteral("settings.htm")));
    EXPECT_EQ(help->Browser()->source().toLocalFile(), other);
    ASSERT_TRUE(help->BackButton()->isEnabled());
    help->BackButton()->click();
    EXPECT_EQ(help->Browser()->source().toLocalFile(), main);
    EXPECT_TRUE(help->ForwardButton()->isEnabled());
    r.w.HowToAction()->trigger(); // another topic: the same window
    EXPECT_EQ(r.w.Help(), help);
}

// A value window made active before its first reading: Copy (and its key)
// works as soon as a reading shows, without opening the Edit menu first.
TEST(Commands, CopyOfAValueWorksOnceAReadingShows)
{
    Rig r;
    r.Activate(r.w.Value(2));
    EXPECT_FALSE(r.w.Edit().CopyAction()->isEnabled()) << "nothing to copy yet";
    r.state.Readings[2].ValueText = QStringLiteral("12.5");
    r.state.Readings[2].UnitText = QStringLiteral("mV");
    r.state.Readings[2].HasValue = true;
    r.w.Recorder().ShowValue(2);
    EXPECT_TRUE(r.w.Edit().CopyAction()->isEnabled());
}
