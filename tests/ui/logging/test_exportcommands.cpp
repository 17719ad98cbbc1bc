// File > Export... in the main window: the table's rows, or the selection,
// as CSV or a workbook; overwriting asked; a table that changes under a long
// export stops it; a file that cannot be written is said.

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"
#include "support/fakeserialport.h"
#include "ui/logging/exportcommands.h"
#include "ui/logging/tablewindow.h"
#include "ui/shell/mainwindow.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <vector>

namespace {
struct ExportBench {
    ExportBench()
    {
        state.ApplyDefaults();
        state.FolderData = state.DocumentsFolder = dir.path();
        state.ConfigFileName = dir.filePath(QStringLiteral("VAM.CFG"));
        ApplyDevice(state, QStringLiteral("A101"), 0);
        state.DeviceName = QStringLiteral("A101");
        window = std::make_unique<MainWindow>(state, lang, new FakeSerialPort);
        window->SetDevice(QStringLiteral("A101"));
        commands = window->findChild<ExportCommands*>();
        commands->chooseFile = [this](const QString& title, const QString& suggested, ExportCommands::Kind& k) {
            titles << title;
            suggestions << QFileInfo(suggested).fileName();
            k = kind;
            return chosen;
        };
        commands->ask = [this](const QString&, const QString& text) {
            asked << text;
            return answer;
        };
        commands->inform = [this](const QString&, const QString& text, bool warning) {
            (warning ? warnings : notes) << text;
        };
        QObject::connect(commands, &ExportCommands::LastAction, [this](const QString& t) { lastAction = t; });
    }
    LogTable& Rows() { return window->Table()->Table(); }
    // `count` readings of "1.5 mV" then a stop record.
    void Fill(int count)
    {
        LogTable& t = Rows();
        t.BeginBulk();
        // One cell per channel of the table: a shorter array is read past its end.
        const std::vector<LogTable::RawCell> cells(size_t(t.Channels()), {"1.5", "mV", {}, false, true});
        for (int i = 0; i < count; ++i)
            t.AppendBulk(46000 + i / 86400.0, true, cells.data(), "");
        t.AppendBulk(46000 + count / 86400.0, true, cells.data(), "Stop");
        t.EndBulk();
    }
    QList<QByteArray> Lines(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        QList<QByteArray> lines = f.readAll().split('\n');
        lines.removeLast(); // after the last line end
        return lines;
    }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    std::unique_ptr<MainWindow> window;
    ExportCommands* commands = nullptr;
    QString chosen;
    ExportCommands::Kind kind = ExportCommands::Kind::Csv;
    int answer = QMessageBox::Yes;
    QStringList titles, suggestions, asked, warnings, notes;
    QString lastAction;
};
} // namespace

TEST(ExportCommands, TheEntryWaitsForReadingsAndFollowsTheLanguage)
{
    ExportBench b;
    QAction* entry = b.window->findChild<QAction*>(QStringLiteral("actExport"));
    ASSERT_TRUE(entry);
    QMenu* file = qobject_cast<QMenu*>(b.window->PrintAction()->associatedObjects().value(0));
    ASSERT_TRUE(file);
    const QList<QAction*> actions = file->actions();
    EXPECT_EQ(actions.indexOf(entry) + 1, actions.indexOf(b.window->PrintAction())) << "just before Print";
    Q_EMIT file->aboutToShow();
    EXPECT_FALSE(entry->isEnabled());
    EXPECT_EQ(entry->text(), QStringLiteral("Expor&t..."));
    b.Fill(3);
    qint16 french = LanguageTable::French;
    b.lang.SetLanguage(french);
    Q_EMIT file->aboutToShow();
    EXPECT_TRUE(entry->isEnabled());
    EXPECT_EQ(entry->text(), QStringLiteral("E&xporter..."));
}

TEST(ExportCommands, AllRowsOrTheSelectionAsCsvOrWorkbook)
{
    ExportBench b;
    b.Fill(4);
    b.chosen = b.dir.filePath(QStringLiteral("all"));
    ASSERT_TRUE(b.commands->Export());
    const QList<QByteArray> all = b.Lines(b.chosen + QStringLiteral(".csv"));
    ASSERT_EQ(all.size(), 5) << "a heading and four readings, no stop record";
    EXPECT_TRUE(all[0].startsWith("No,Time,CH1 (mV),CH1 flag,"));
    EXPECT_TRUE(all[4].startsWith("4,")) << all[4].constData();
    EXPECT_EQ(b.titles.last(), QStringLiteral("Export table"));
    EXPECT_EQ(b.lastAction, QStringLiteral("Exported 4 readings to all.csv"));
    EXPECT_EQ(b.suggestions.last(), QStringLiteral("export.csv")) << "no data file yet";
    b.state.LogFileName = b.dir.filePath(QStringLiteral("run 7.vam"));

    b.window->Table()->SelectRows({1, 2});
    b.chosen = b.dir.filePath(QStringLiteral("two.csv"));
    ASSERT_TRUE(b.commands->Export());
    const QList<QByteArray> two = b.Lines(b.chosen);
    ASSERT_EQ(two.size(), 3);
    EXPECT_TRUE(two[1].startsWith("2,") && two[2].startsWith("3,"));
    EXPECT_EQ(b.titles.last(), QStringLiteral("Export the 2 selected rows"));
    EXPECT_EQ(b.suggestions.last(), QStringLiteral("run 7.csv")) << "the data file's name";

    b.kind = ExportCommands::Kind::Workbook;
    b.chosen = b.dir.filePath(QStringLiteral("book"));
    ASSERT_TRUE(b.commands->Export());
    QFile book(b.chosen + QStringLiteral(".xlsx"));
    ASSERT_TRUE(book.open(QIODevice::ReadOnly));
    EXPECT_EQ(book.read(2), QByteArray("PK"));
    EXPECT_TRUE(b.warnings.isEmpty()) << b.warnings.join(QStringLiteral("; ")).toStdString();
}

TEST(ExportCommands, OverwritingIsAsked)
{
    ExportBench b;
    b.Fill(2);
    b.chosen = b.dir.filePath(QStringLiteral("old.csv"));
    QFile old(b.chosen);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept");
    old.close();
    b.answer = QMessageBox::No;
    EXPECT_FALSE(b.commands->Export());
    EXPECT_EQ(b.asked, QStringList{QStringLiteral("Overwrite existing file?")});
    EXPECT_EQ(b.Lines(b.chosen).value(0), QByteArray());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("kept"));
    old.close();
    b.answer = QMessageBox::Yes;
    EXPECT_TRUE(b.commands->Export());
    EXPECT_EQ(b.Lines(b.chosen).size(), 3);
}

TEST(ExportCommands, ATableThatChangesUnderTheExportStopsIt)
{
    ExportBench b;
    b.Fill(10000);
    b.chosen = b.dir.filePath(QStringLiteral("moving.csv"));
    // Deleted while the progress lets events through.
    QTimer::singleShot(0, [&] { b.Rows().RemoveRows(0, 1); });
    EXPECT_FALSE(b.commands->Export());
    EXPECT_EQ(b.warnings, QStringList{QStringLiteral("The table changed during the export, which was stopped. Export again.")});
    EXPECT_FALSE(QFile::exists(b.chosen)) << "nothing half written";

    // Readings added at the end meanwhile change nothing of what is exported.
    b.warnings.clear();
    QTimer::singleShot(0, [&] {
        b.state.LogCount = b.Rows().LastNumber() + 1;
        b.state.Readings[1].ValueText = QStringLiteral("2.5");
        b.state.Readings[1].UnitText = QStringLiteral("mV");
        b.state.Readings[1].HasValue = true;
        b.Rows().VulTabelAan(b.state, QString());
    });
    const int before = b.Rows().Count();
    EXPECT_TRUE(b.commands->Export());
    EXPECT_TRUE(b.warnings.isEmpty()) << b.warnings.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(b.Rows().Count(), before + 1) << "the reading came in during the export";
    EXPECT_EQ(b.Lines(b.chosen).size(), 1 + 9999) << "the rows there were when it began, less the stop record";
}

TEST(ExportCommands, AFileThatCannotBeWrittenIsSaid)
{
    ExportBench b;
    b.Fill(2);
    for (ExportCommands::Kind kind : {ExportCommands::Kind::Csv, ExportCommands::Kind::Workbook}) {
        b.kind = kind;
        b.chosen = b.dir.filePath(QStringLiteral("no/such/folder/out"));
        b.warnings.clear();
        EXPECT_FALSE(b.commands->Export());
        ASSERT_EQ(b.warnings.size(), 1);
        EXPECT_TRUE(b.warnings[0].startsWith(QStringLiteral("The export could not be written to '"))) << b.warnings[0].toStdString();
    }
}
