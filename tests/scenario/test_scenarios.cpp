// The windowed program as a user drives it: the real main window (no hook
// replaced) on the system's serial port, against vam-metersim on a
// pseudo-terminal. Menu actions are triggered from the event loop, as a click
// is; the dialogs they open are real and are answered by a driver that finds
// them on screen, keeps them open a while, and closes them.

#include "comm/connection.h"
#include "core/devices/catalogue.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/help/languagetable.h"
#include "support/metersimprocess.h"
#include "support/pdftext.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "ui/graphs/graphmanager.h"
#include "core/graphs/graphsettings.h"
#include "ui/graphs/graphwindow.h"
#include "ui/printing/printdialog.h"
#include "ui/logging/tablewindow.h"
#include "ui/shell/editcommands.h"
#include "ui/shell/mainwindow.h"
#include "ui/values/valuewindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace {
class Sim : public MeterSimProcess {
public:
    explicit Sim(const QStringList& args)
        : MeterSimProcess(QStringLiteral(METERSIM), args + QStringList{QStringLiteral("--seed"), QStringLiteral("3")})
    {
    }
};

// Runs the event loop until `done` holds or `ms` have passed.
bool RunUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// Finds the modal window on screen, keeps it open `holdMs`, then closes it:
// a question or message with `button` (Escape's when unset), a dialog by
// Cancel (OK for a graph's settings, so the new graph stays).
class DialogDriver {
public:
    DialogDriver()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
        timer_.start(20);
    }
    int holdMs = 2000;
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    QList<QMessageBox::StandardButton> answers; // taken in turn before `button`
    QStringList seen; // class name | title of each window, in order
    QStringList texts; // the text of each message box

private:
    void Tick()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            current_ = nullptr;
            return;
        }
        if (modal != current_) {
            current_ = modal;
            shown_.start();
            seen << QString::fromLatin1(modal->metaObject()->className()) + QStringLiteral("|") + modal->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                texts << box->text();
            return;
        }
        if (shown_.elapsed() < holdMs)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const QMessageBox::StandardButton which = answers.isEmpty() ? button : answers.takeFirst();
            QAbstractButton* b = which != QMessageBox::NoButton ? box->button(which) : nullptr;
            if (b)
                b->click();
            else
                box->reject();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            if (QByteArray(modal->metaObject()->className()) == "GraphSettingsDialog")
                QMetaObject::invokeMethod(dialog, "accept");
            else
                dialog->reject();
        }
        current_ = nullptr;
    }
    QTimer timer_;
    QPointer<QWidget> current_;
    QElapsedTimer shown_;
};

struct Bench {
    explicit Bench(const QString& model, const QString& port)
    {
        state.DocumentsFolder = dir.path();
        state.ApplyDefaults();
        state.FolderData = dir.path();
        state.LogFileName = dir.filePath(QStringLiteral("run.vam"));
        ApplyDevice(state, model, NowDays());
        state.DeviceName = model;
        state.SerialPort = port;
        state.PollValues = true;
        state.PollInterval = 1;
        state.LogInterval = 1;
        window = std::make_unique<MainWindow>(state, lang);
        window->show();
        window->Conn().InstellenCommPoort();
    }
    // A user's click: the action runs from the event loop, perhaps inside a reading's wait.
    void Click(QAction* action)
    {
        QTimer::singleShot(0, action, [action] { action->trigger(); });
    }
    QByteArray FileText() const
    {
        QFile f(state.LogFileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    std::unique_ptr<MainWindow> window;
};

// The times at which LogCount went up, as a user sees the counter move.
struct RecordClock {
    explicit RecordClock(const AppState& s) : s_(s)
    {
        clock.start();
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            while (last_ < s_.LogCount) {
                ++last_;
                times << clock.elapsed();
            }
        });
        timer_.start(10);
    }
    qint64 LargestGap() const
    {
        qint64 gap = 0;
        for (int i = 1; i < times.size(); ++i)
            gap = qMax(gap, times[i] - times[i - 1]);
        return gap;
    }
    QList<qint64> times;
    QElapsedTimer clock;

private:
    const AppState& s_;
    int last_ = 0;
    QTimer timer_;
};
} // namespace

// Logging once a second goes on while the graph, alarm and print dialogs are
// open; a record a second, none late.
TEST(Scenario, LoggingGoesOnBehindTheDialogs)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--ignore-stdin")});
    ASSERT_FALSE(sim.Path().isEmpty());
    Bench b(QStringLiteral("H264"), sim.Path());
    DialogDriver dialogs;
    dialogs.holdMs = 2500;
    b.window->MeasureAction()->trigger();
    ASSERT_TRUE(b.state.Connected);
    RecordClock records(b.state);
    b.window->LogAction()->trigger();
    ASSERT_TRUE(b.state.LogActive);
    GraphManager& graphs = b.window->Graphs();
    // One round of the four dialogs takes about 15 s; VAM_SCENARIO_SECONDS
    // runs rounds for longer (the ten-minute check by hand).
    const int seconds = qEnvironmentVariableIntValue("VAM_SCENARIO_SECONDS");
    int rounds = 0;
    do {
        RunUntil([] { return false; }, 1500);
        b.Click(rounds == 0 ? graphs.NewGraphAction() : graphs.SettingsAction());
        RunUntil([] { return false; }, 3500);
        b.Click(graphs.SettingsAction());
        RunUntil([] { return false; }, 3500);
        QTimer::singleShot(0, b.window.get(), [&] { Q_EMIT b.window->Value(1)->AlarmDialogRequested(1); });
        RunUntil([] { return false; }, 3500);
        b.Click(b.window->PrintAction());
        RunUntil([] { return false; }, 3500);
        ++rounds;
    } while (records.clock.elapsed() < seconds * 1000LL);
    b.window->LogAction()->trigger(); // logging stops with its stop record
    const qint64 ran = records.clock.elapsed();

    EXPECT_EQ(dialogs.seen.size(), 4 * rounds) << dialogs.seen.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(dialogs.seen.contains(QStringLiteral("AlarmDialog|CH1 (pH): Alarm"))) << "titled with the channel";
    const int readings = records.times.size() - 1; // the last one is the stop record
    EXPECT_NEAR(readings, double(ran) / 1000.0, 2.0) << "a record a second over " << ran << " ms";
    std::printf("%d readings in %lld ms, %d rounds of dialogs, largest gap %lld ms\n", readings, ran, rounds,
                records.LargestGap());
    EXPECT_LE(records.LargestGap(), 1500) << "no record late behind a dialog";
    const QList<QByteArray> lines = b.FileText().split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[lines.size() - 2].endsWith("'Stop'\r"));
    b.window->MeasureAction()->trigger();
}

// A write error while logging is said without stopping the poll cycle: the
// records go on into the table and are kept for the file.
TEST(Scenario, AWriteErrorDoesNotHoldTheCycle)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("H264"), sim.Path());
    QDir(b.dir.path()).mkdir(QStringLiteral("sub"));
    b.state.LogFileName = b.dir.filePath(QStringLiteral("sub/run.vam"));
    DialogDriver dialogs;
    dialogs.holdMs = 4000;
    b.window->MeasureAction()->trigger();
    RecordClock records(b.state);
    b.window->LogAction()->trigger();
    ASSERT_TRUE(RunUntil([&] { return b.state.LogCount >= 2; }, 5000));
    QDir(b.dir.filePath(QStringLiteral("sub"))).removeRecursively(); // the folder goes away
    ASSERT_TRUE(RunUntil([&] { return !dialogs.seen.isEmpty(); }, 5000)) << "the error is said";
    const int atMessage = b.state.LogCount;
    RunUntil([] { return false; }, 3000); // the message is still open
    EXPECT_GE(b.state.LogCount, atMessage + 2) << "logging went on behind the message";
    EXPECT_LE(records.LargestGap(), 1500);
    EXPECT_GT(b.window->Data().PendingRecords(), 0) << "kept for the file";
    b.window->MeasureAction()->trigger();
}

// The line drops while logging: what was logged stays, closed by the stop
// record, and the user is asked once (the real question, answered Cancel).
TEST(Scenario, ADroppedLineEndsTheRunWithItsStopRecord)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--drop-after"), QStringLiteral("3"),
             QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("H264"), sim.Path());
    DialogDriver dialogs;
    dialogs.holdMs = 200;
    dialogs.button = QMessageBox::Cancel;
    b.window->MeasureAction()->trigger();
    b.window->LogAction()->trigger();
    ASSERT_TRUE(RunUntil([&] { return !b.state.Connected; }, 15000));
    RunUntil([] { return QApplication::activeModalWidget() == nullptr; }, 3000);
    const QByteArray text = b.FileText();
    EXPECT_EQ(text.count("\r\n'"), 4) << "three readings and the stop record\n" << text.toStdString();
    EXPECT_TRUE(text.endsWith("'Stop'\r\n"));
    EXPECT_EQ(dialogs.seen.size(), 1) << dialogs.seen.join(QStringLiteral("; ")).toStdString();
}

// A meter that never answers: said in the status bar, and the value windows
// show that no reading comes.
TEST(Scenario, ASilentMeterIsSaid)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--silent"), QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("H264"), sim.Path());
    DialogDriver dialogs;
    b.window->MeasureAction()->trigger();
    ASSERT_TRUE(b.state.Connected);
    // The poll's wait runs inside the event loop: what the user sees is
    // looked at from there, and Measure is stopped from there.
    QElapsedTimer clock;
    clock.start();
    qint64 saidAfter = -1;
    QString panel;
    bool noReading = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (saidAfter >= 0 || !b.window->Panel(4)->text().startsWith(QStringLiteral("No answer")))
            return;
        saidAfter = clock.elapsed();
        panel = b.window->Panel(4)->text();
        for (QLabel* l : b.window->Value(1)->findChildren<QLabel*>())
            noReading = noReading || l->text() == QStringLiteral("no reading");
        b.window->MeasureAction()->trigger(); // stop, which ends the wait
    });
    watcher.start(20);
    ASSERT_TRUE(RunUntil([&] { return saidAfter >= 0 && !b.state.Connected; }, 20000));
    EXPECT_LT(saidAfter, 12000) << "said after a few unanswered polls";
    EXPECT_TRUE(panel.startsWith(QStringLiteral("No answer from the H264 on ") + sim.Path())) << panel.toStdString();
    EXPECT_TRUE(noReading) << "the value window shows that no reading comes";
    EXPECT_TRUE(dialogs.seen.isEmpty()) << "a status, not a message box";
}

// Receive: the data file stays put while the logger print comes in.
TEST(Scenario, FileCommandsWaitForReceiveToEnd)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("K231"), QStringLiteral("--dump"), QStringLiteral("3000"),
             QStringLiteral("--dump-now"), QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("K231"), sim.Path());
    b.state.PollValues = false;
    const QString received = b.dir.filePath(QStringLiteral("received.vam"));
    // The file dialog of the New command that Receive starts with.
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            d->selectFile(received);
            static_cast<QDialog*>(d)->done(QDialog::Accepted);
        }
    });
    chooser.start(20);
    // Receive runs inside the event loop it waits in: what the user sees
    // meanwhile is looked at from there, and the user stops it from there.
    bool looked = false, newOn = true, openOn = true, saveAsOn = true, recentOn = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (looked || !b.state.ReceiveMode || b.state.LogCount < 10)
            return;
        looked = true;
        newOn = b.window->NewAction()->isEnabled();
        openOn = b.window->OpenAction()->isEnabled();
        saveAsOn = b.window->SaveAsAction()->isEnabled();
        for (QAction* a : b.window->RecentFileActions())
            recentOn = recentOn || a->isEnabled();
        b.window->ReceiveAction()->trigger(); // stop
    });
    watcher.start(20);
    b.Click(b.window->ReceiveAction());
    ASSERT_TRUE(RunUntil([&] { return looked && !b.state.ReceiveMode; }, 20000));
    EXPECT_FALSE(newOn);
    EXPECT_FALSE(openOn);
    EXPECT_FALSE(saveAsOn);
    EXPECT_FALSE(recentOn);
    EXPECT_TRUE(b.window->NewAction()->isEnabled()) << "back once Receive has ended";
    EXPECT_TRUE(b.window->OpenAction()->isEnabled());
    EXPECT_GE(b.window->Table()->Table().Count(), 10) << "the print came into the table";
}

// Edit > Delete All answered No leaves the user's selection, and the Delete
// that follows removes only that record from the file, after saying so.
TEST(Scenario, ARefusedDeleteAllKeepsTheSelection)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("H264"), sim.Path());
    b.window->MeasureAction()->trigger();
    b.window->LogAction()->trigger();
    ASSERT_TRUE(RunUntil([&] { return b.state.LogCount >= 4; }, 10000));
    b.window->MeasureAction()->trigger(); // stop: four readings and the stop record
    const int records = b.FileText().count("\r\n'") ;
    ASSERT_GE(records, 5);
    DialogDriver dialogs;
    dialogs.holdMs = 100;
    dialogs.answers = {QMessageBox::No, QMessageBox::Yes};
    b.window->ShowTable(true);
    b.window->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(b.window->Table()->parentWidget()));
    b.window->Table()->SelectRows({1});
    b.Click(b.window->Edit().ClearAction());
    ASSERT_TRUE(RunUntil([&] { return dialogs.seen.size() == 1 && !QApplication::activeModalWidget(); }, 5000));
    EXPECT_EQ(b.window->Table()->Geselecteerd(), std::vector<int>{1}) << "No gives back the selection";
    b.Click(b.window->Edit().DeleteAction());
    ASSERT_TRUE(RunUntil([&] { return dialogs.seen.size() == 2 && !QApplication::activeModalWidget(); }, 5000));
    ASSERT_EQ(dialogs.texts.size(), 2);
    EXPECT_TRUE(dialogs.texts[1].contains(QStringLiteral("1 record(s) will be removed from the data file run.vam")))
        << dialogs.texts[1].toStdString();
    EXPECT_EQ(b.FileText().count("\r\n'"), records - 1) << "one record removed, the others kept";
}

// File > Export while logging: the file dialog answered with a CSV name,
// logging goes on behind it, and the export holds the table's readings as
// numbers; after the run, the selection as a workbook; the stop record is
// no row of either.
TEST(Scenario, FileExportWhileLogging)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("H264"), sim.Path());
    QAction* exportAction = b.window->findChild<QAction*>(QStringLiteral("actExport"));
    ASSERT_TRUE(exportAction);
    QString name;
    QString filter;
    int dialogs = 0;
    QTimer chooser;
    QPointer<QFileDialog> typedInto; // the name is typed, then OK once the dialog shows it
    int ticks = 0;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        if (d != typedInto) {
            ++dialogs;
            typedInto = d;
            if (!filter.isEmpty())
                d->selectNameFilter(filter);
            d->setDirectory(b.dir.path());
            if (auto* typed = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                typed->setText(name);
            ticks = 0;
        } else if (QFileInfo(d->selectedFiles().value(0)).fileName() == name || ++ticks > 100) {
            static_cast<QDialog*>(d)->done(QDialog::Accepted); // after 5 s whatever it shows: no hang
        }
    });
    chooser.start(50);
    b.window->MeasureAction()->trigger();
    RecordClock records(b.state);
    b.window->LogAction()->trigger();
    ASSERT_TRUE(RunUntil([&] { return b.state.LogCount >= 3; }, 10000));

    name = QStringLiteral("while.csv");
    b.Click(exportAction);
    const QString csv = b.dir.filePath(name);
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(csv) && !QApplication::activeModalWidget(); }, 10000))
        << "dialogs " << dialogs << ", files " << QDir(b.dir.path()).entryList().join(QLatin1Char(' ')).toStdString()
        << ", enabled " << exportAction->isEnabled() << ", modal "
        << (QApplication::activeModalWidget() ? QApplication::activeModalWidget()->metaObject()->className() : "none");
    EXPECT_EQ(dialogs, 1);
    ASSERT_TRUE(RunUntil([&] { return b.state.LogCount >= 6; }, 10000)) << "logging went on";
    EXPECT_LE(records.LargestGap(), 1500);
    b.window->MeasureAction()->trigger(); // stop, with the stop record
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    ASSERT_GE(lines.size(), 4) << "a heading and the readings logged before the export";
    EXPECT_TRUE(lines[0].startsWith("No,Time,CH1 (")) << lines[0].constData();
    const QList<QByteArray> first = lines[1].split(',');
    bool number = false;
    first.value(2).toDouble(&number);
    EXPECT_TRUE(number) << lines[1].constData();

    // The last two rows selected (a reading and the stop record) as a workbook.
    const int rows = b.window->Table()->Table().Count();
    b.window->Table()->SelectRows({rows - 2, rows - 1});
    name = QStringLiteral("selection.xlsx");
    filter = b.lang[379];
    b.Click(exportAction);
    const QString book = b.dir.filePath(name);
    ASSERT_TRUE(RunUntil([&] { return QFile::exists(book) && !QApplication::activeModalWidget(); }, 10000))
        << "dialogs " << dialogs << ", files " << QDir(b.dir.path()).entryList().join(QLatin1Char(' ')).toStdString();
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess read;
    read.start(python, {QStringLiteral("-c"), QStringLiteral("import sys, openpyxl\n"
                                                             "ws = openpyxl.load_workbook(sys.argv[1])['Readings']\n"
                                                             "print(ws.max_row, type(ws.cell(2, 2).value).__name__)\n"),
                        book});
    if (read.waitForFinished(60000) && read.exitCode() == 0)
        EXPECT_EQ(read.readAllStandardOutput().trimmed(), QByteArray("2 datetime")) << "a heading and one reading";
    else
        std::printf("openpyxl not available: the workbook was not read back\n");
}

// An unattended XY recorder that prints itself each time it is full, on the
// PDF file (the printer of a machine without one): numbered files in the data
// folder, and no question waits for an answer.
TEST(Scenario, AFullRecorderPrintsToNumberedPdfFilesWithoutAsking)
{
    Sim sim({QStringLiteral("--model"), QStringLiteral("H264"), QStringLiteral("--ignore-stdin")});
    Bench b(QStringLiteral("H264"), sim.Path());
    b.state.UsePrinter = qint16(PrinterNames().size() - 1);
    DialogDriver dialogs;
    dialogs.holdMs = 100;
    GraphManager& graphs = b.window->Graphs();
    b.Click(graphs.NewRecorderAction());
    ASSERT_TRUE(RunUntil([&] { return graphs.Count() == 1 && !QApplication::activeModalWidget(); }, 5000));
    GraphWindow* recorder = graphs.Graph(1);
    ASSERT_NE(recorder, nullptr);
    recorder->Settings().MaxGrafiekZichtbaar = 3;
    recorder->Settings().AfdrukkenRecorder = true;
    recorder->HerInitialiseerGrafiek();
    const QDir data(b.state.FolderData);
    const auto printed = [&] { return data.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name); };
    b.window->MeasureAction()->trigger();
    const bool two = RunUntil([&] { return printed().size() >= 2; }, 20000);
    b.window->MeasureAction()->trigger();
    ASSERT_TRUE(two) << dialogs.seen.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(printed().mid(0, 2),
              QStringList({QStringLiteral("XY-recorder 001.pdf"), QStringLiteral("XY-recorder 002.pdf")}));
    EXPECT_EQ(dialogs.seen, QStringList{QStringLiteral("GraphSettingsDialog|Graph settings")})
        << "nothing but the graph settings";
    const QString text = PdfText(data.filePath(QStringLiteral("XY-recorder 002.pdf")));
    EXPECT_TRUE(text.contains(QStringLiteral("XY-recorder"))) << text.toStdString();
}
