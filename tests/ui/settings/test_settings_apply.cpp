// What OK and Cancel of the settings dialog do to the running program: the
// real main window, its Data > Settings opening the real dialog, whose
// controls are set as a user sets them; then the value windows, the table's
// columns, the graphs, the logging run and the configuration written.

#include "comm/connection.h"
#include "core/devices/catalogue.h"
#include "core/graphs/graphmodel.h"
#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "support/fakeserialport.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphplot.h"
#include "ui/graphs/graphsettingsdialog.h"
#include "ui/graphs/graphwindow.h"
#include "ui/logging/tablewindow.h"
#include "ui/settings/settingsdialog.h"
#include "ui/shell/mainwindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"
#include "ui/values/valuewindowset.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString kPort1 = QStringLiteral("/dev/pts/91");
const QString kPort2 = QStringLiteral("/dev/pts/92");

struct Bench {
    Bench()
    {
        state.DocumentsFolder = dir.path();
        state.ApplyDefaults();
        state.FolderData = dir.path();
        state.LogFileName = dir.filePath(QStringLiteral("run.vam"));
        state.ConfigFileName = dir.filePath(QStringLiteral("VAM.CFG"));
        state.SerialPort = kPort1;
        state.PollValues = true;
        state.PollInterval = 1;
        state.LogInterval = 1;
        ApplyDevice(state, QStringLiteral("A101"), NowDays());
        state.DeviceName = QStringLiteral("A101");
        port->reply = [](const QByteArray&) { return QByteArray("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n"); };
        w.warningHandler = [this](const QString&, const QString& text) { warnings << text; };
        w.questionHandler = [this](const QString&, const QString& text, bool) {
            warnings << text;
            return int(QMessageBox::No);
        };
        w.fileChooser = [](const QString&, const QString&, const QString&, bool) { return QString(); };
        w.Conn().availablePorts = [] { return QStringList{kPort1, kPort2}; };
        w.SetDevice(QStringLiteral("A101"));
        w.show();
        w.ShowTable(true);
        w.Conn().InstellenCommPoort();
    }
    // Data > Settings: `edit` sets the dialog's controls once it is on
    // screen, then its OK (or Cancel) is clicked. The dialog's result; an
    // OK that fails is followed by Cancel, so a test never hangs on it.
    int Settings(const std::function<void(SettingsDialog&)>& edit, bool ok = true)
    {
        int result = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* d = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible())
                return; // the port scan runs before the dialog shows
            poll.stop();
            edit(*d);
            QTest::mouseClick(ok ? d->OkButton() : d->CancelButton(), Qt::LeftButton);
            if (d->isVisible())
                QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
            result = d->result();
        });
        poll.start(10);
        w.SettingsAction()->trigger();
        return result;
    }
    // The configuration as File > Save settings writes it.
    QByteArray WrittenSetUp()
    {
        w.WriteSetUp();
        QFile f(state.ConfigFileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // One logged reading of both channels, as the connection records it.
    void Log(int n)
    {
        state.LogCount = n;
        for (int ch = 1; ch <= 2; ++ch) {
            ChannelReading& r = state.Readings[ch];
            r.ReadingTime = 46000.5 + n * kOneSecond;
            r.ValueText = QString::number(ch * 1000 + n);
            r.UnitText = QStringLiteral("mV");
            r.HasValue = true;
        }
        w.Recorder().AppendTableRow(QString());
        w.Recorder().AppendRecord(QString());
    }
    bool Shown(int channel) const { return !w.Value(channel)->parentWidget()->isHidden(); }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    FakeSerialPort* port = new FakeSerialPort;
    MainWindow w{state, lang, port};
    QStringList warnings;
};

// A click on a switch of the channel grid, as the keyboard gives it.
void Toggle(SettingsDialog& d, int channel, int column)
{
    d.Tabs()->setCurrentIndex(PageMeasure);
    QTableWidget* grid = d.ChannelGrid();
    grid->setCurrentCell(channel - 1, column);
    QTest::keyClick(grid, Qt::Key_Space);
}
constexpr int kActivate = 1, kValue = 2;

void Type(QAbstractSpinBox* box, const QString& text)
{
    box->findChild<QLineEdit*>()->selectAll();
    QTest::keyClicks(box, text);
}

bool RunUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(20);
    return done();
}

} // namespace

TEST(SettingsApply, ValueWindowsFollowTheChannelSwitches)
{
    enum Start { Shown, ClosedByUser, HiddenByLayout, NotInUse }; // channel 2's window before the dialog
    struct {
        const char* what;
        Start start;
        std::function<void(SettingsDialog&)> edit;
        bool shown2;
        const char* written; // channel 2's switches in the configuration
    } cases[] = {
        {"Value unticked", Shown, [](SettingsDialog& d) { Toggle(d, 2, kValue); }, false, "Use = 1\r\nValue = 0"},
        {"Activate unticked", Shown, [](SettingsDialog& d) { Toggle(d, 2, kActivate); }, false, "Use = 0\r\nValue = 1"},
        {"closed by the user, OK", ClosedByUser, [](SettingsDialog&) {}, false, "Use = 1\r\nValue = 0"},
        {"closed by the user, Value ticked again", ClosedByUser, [](SettingsDialog& d) { Toggle(d, 2, kValue); },
         true, "Use = 1\r\nValue = 1"},
        {"hidden by the layout read, OK", HiddenByLayout, [](SettingsDialog&) {}, false, "Use = 1\r\nValue = 1"},
        {"activated again", NotInUse, [](SettingsDialog& d) { Toggle(d, 2, kActivate); }, true,
         "Use = 1\r\nValue = 1"},
    };
    for (const auto& c : cases) {
        Bench b;
        b.state.Channel(2).Use = c.start != NotInUse;
        b.w.Values().Rebuild(); // the windows as a configuration with these switches starts them
        // Channel 1's window was closed by the user and none of these cases touches its switches.
        b.w.Value(1)->parentWidget()->close();
        if (c.start == ClosedByUser)
            b.w.Value(2)->parentWidget()->close();
        if (c.start == HiddenByLayout)
            b.w.Value(2)->parentWidget()->hide();
        ASSERT_EQ(b.Shown(2), c.start == Shown) << c.what;
        ASSERT_EQ(b.Settings(c.edit), QDialog::Accepted) << c.what;
        EXPECT_FALSE(b.Shown(1)) << c.what << ": a window the user closed stays closed";
        EXPECT_EQ(b.Shown(2), c.shown2) << c.what;
        const QByteArray cfg = b.WrittenSetUp();
        const qsizetype at = cfg.indexOf("[CHANNEL]\r\nIndex = 2\r\n");
        ASSERT_GE(at, 0) << c.what;
        const QByteArray section = cfg.mid(at, cfg.indexOf("[READINGS]", at) - at);
        EXPECT_TRUE(section.contains(c.written)) << c.what << "\n" << section.constData();
    }
}

TEST(SettingsApply, TheTableFollowsTheChannelsInUse)
{
    Bench b;
    b.w.Table()->View()->horizontalHeader()->resizeSection(0, 77); // a width the user chose
    struct {
        const char* what;
        int logged;  // the reading logged after OK
        bool hidden; // channel 2's columns
    } steps[] = {{"switched off", 2, true}, {"switched on again", 3, false}};
    b.Log(1);
    for (const auto& step : steps) {
        ASSERT_EQ(b.Settings([](SettingsDialog& d) { Toggle(d, 2, kActivate); }), QDialog::Accepted) << step.what;
        b.Log(step.logged);
        const LogTable& table = b.w.Table()->Table();
        for (int c = 0; c < table.columnCount(); ++c) {
            EXPECT_EQ(b.w.Table()->View()->isColumnHidden(c), table.ChannelOfColumn(c) == 2 && step.hidden)
                << step.what << ", column " << c;
        }
        b.w.Table()->SelectRows({step.logged - 1});
        const QString copied = b.w.Table()->SelectionText();
        EXPECT_TRUE(copied.contains(QStringLiteral("100%1").arg(step.logged))) << step.what << ": " << qPrintable(copied);
        EXPECT_EQ(copied.contains(QStringLiteral("200%1").arg(step.logged)), !step.hidden)
            << step.what << ": " << qPrintable(copied);
    }
    EXPECT_EQ(b.w.Table()->View()->horizontalHeader()->sectionSize(0), 77) << "the widths stay";
}

TEST(SettingsApply, GraphsAreSetUpAgainOnlyForAnotherLanguage)
{
    struct {
        const char* what;
        std::function<void(SettingsDialog&)> edit;
        bool kept;
    } cases[] = {
        {"intervals and channels",
         [](SettingsDialog& d) {
             Type(d.LogInterval(), QStringLiteral("5"));
             Toggle(d, 2, kValue);
         },
         true},
        {"another language", [](SettingsDialog& d) { d.LanguageList()->setCurrentIndex(LanguageTable::French); },
         false},
    };
    for (const auto& c : cases) {
        Bench b;
        b.w.Graphs().dialogRunner = [](GraphSettingsDialog& d) {
            d.EditCell(1, 1);
            d.InputList()->setCurrentIndex(1); // channel 1
            d.accept();
            return int(QDialog::Accepted);
        };
        GraphWindow* graph = b.w.Graphs().NewGraph(false);
        GraphWindow* recorder = b.w.Graphs().NewGraph(true);
        ASSERT_TRUE(graph && recorder);
        b.state.Connected = true; // a recorder draws while measuring
        for (int n = 1; n <= 250; ++n) {
            b.Log(n);
            b.w.Graphs().VulGrafiekAan(n, true);
            b.w.Graphs().VulGrafiekAan(n, false);
        }
        b.state.Connected = false;
        QTest::qWait(10); // the redraws the readings queued
        const int last = recorder->Model().MaxRows();
        ASSERT_DOUBLE_EQ(recorder->Plot()->Cell(last, 3), 1250) << c.what;
        const int printCount = recorder->Model().Rows.ShownPoints;
        // The user pages the table graph back to the middle of the run.
        QScrollBar* bar = graph->ScrollBar();
        bar->setValue((bar->minimum() + bar->maximum()) / 2);
        const int first = graph->Model().Rows.FirstReading;
        ASSERT_GT(first, 1) << c.what;
        ASSERT_LT(first + graph->Model().MaxRows() - 1, 250) << c.what;

        ASSERT_EQ(b.Settings(c.edit), QDialog::Accepted) << c.what;
        QTest::qWait(10); // a redraw the main window queued
        const bool kept = !IsNullCell(recorder->Plot()->Cell(last, 3));
        EXPECT_EQ(kept, c.kept) << c.what << ": the recorder's points";
        if (c.kept) {
            EXPECT_EQ(recorder->Model().Rows.ShownPoints, printCount) << c.what << ": the automatic-print count";
            EXPECT_EQ(graph->Model().Rows.FirstReading, first) << c.what << ": the table graph's page";
            EXPECT_EQ(graph->ScrollBar()->value(), bar->value()) << c.what;
        }
    }
}

TEST(SettingsApply, LoggingGoesOnUnlessTheLineToTheMeterChanged)
{
    struct {
        const char* what;
        std::function<void(SettingsDialog&)> edit;
        const char* stopped; // in the status bar and the terminal; "" = logging goes on
        bool measuring;      // afterwards
    } cases[] = {
        {"log interval and a channel",
         [](SettingsDialog& d) {
             Type(d.LogInterval(), QStringLiteral("2"));
             Toggle(d, 2, kValue);
         },
         "", true},
        {"baud rate", [](SettingsDialog& d) { d.BaudList()->setCurrentText(QStringLiteral("9600")); },
         "Logging stopped by the new settings (Baud rate: 2400 \u2192 9600).", true},
        {"device", [](SettingsDialog& d) { d.DeviceList()->setCurrentText(QStringLiteral("A102")); },
         "Logging stopped by the new settings (Device: A101 \u2192 A102).", false},
    };
    for (const auto& c : cases) {
        Bench b;
        b.w.ShowTerminal(true);
        b.w.MeasureAction()->trigger();
        b.w.LogAction()->trigger();
        ASSERT_TRUE(b.state.Connected && b.state.LogActive) << c.what;
        ASSERT_TRUE(RunUntil([&] { return b.state.LogCount >= 1; }, 5000)) << c.what;
        const bool goesOn = !*c.stopped;
        ASSERT_EQ(b.Settings(c.edit), QDialog::Accepted) << c.what;
        EXPECT_EQ(b.state.LogActive, goesOn) << c.what;
        EXPECT_EQ(b.w.LogAction()->isChecked(), goesOn) << c.what;
        EXPECT_EQ(b.state.Connected, c.measuring) << c.what;
        EXPECT_TRUE(b.warnings.isEmpty()) << c.what << ": no box: " << qPrintable(b.warnings.join(' '));
        const QString said = QString::fromUtf8(c.stopped);
        if (!goesOn) {
            EXPECT_EQ(b.w.Panel(4)->text(), said) << c.what;
            EXPECT_TRUE(b.w.Terminal()->Text().contains(said)) << c.what;
        }
        QFile file(b.state.LogFileName);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.what;
        EXPECT_EQ(file.readAll().trimmed().endsWith("'Stop'"), !goesOn) << c.what << ": the run's stop record";
        if (goesOn) {
            // Readings go on being logged after OK.
            const int count = b.state.LogCount;
            EXPECT_TRUE(RunUntil([&] { return b.state.LogCount > count; }, 5000)) << c.what;
        }
    }
}

TEST(SettingsApply, CancelAfterAFailedOkPutsEverySettingBack)
{
    Bench b;
    b.state.Baudrate = QStringLiteral("9600");
    b.w.Conn().InstellenCommPoort();
    b.w.MeasureAction()->trigger();
    b.w.LogAction()->trigger();
    ASSERT_TRUE(b.state.Connected && b.state.LogActive);
    const qint32 points = b.state.Points;
    bool portOpenBehindTheDialog = true;
    const int result = b.Settings([&](SettingsDialog& d) {
        const int opens = b.port->opens; // the scan's are done
        d.DeviceList()->setCurrentText(QStringLiteral("H261 USB")); // a fixed 19200 bps
        d.PortList()->setCurrentText(kPort2);
        d.Points()->setValue(500);
        Type(d.LogInterval(), QStringLiteral("1:2:3:4"));
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
        ASSERT_TRUE(d.isVisible()) << "the bad interval keeps the dialog open";
        EXPECT_EQ(b.state.Baudrate, QStringLiteral("19200")) << "taken by the failed OK";
        QTest::qWait(1500); // the poll tick would have come by now
        portOpenBehindTheDialog = b.port->IsOpen() || b.port->opens != opens;
    }, false);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(portOpenBehindTheDialog);
    EXPECT_EQ(b.warnings, QStringList{QStringLiteral("Interval of time:\r\nIncorrect input!")});
    EXPECT_EQ(b.state.DeviceName, QStringLiteral("A101"));
    EXPECT_EQ(b.state.Baudrate, QStringLiteral("9600"));
    EXPECT_EQ(b.state.SerialPort, kPort1);
    EXPECT_EQ(b.state.Points, points);
    EXPECT_EQ(b.state.LogInterval, 1);
    // The port gets its old line back, and the run goes on.
    EXPECT_EQ(b.port->settings_, QStringLiteral("9600,N,8,1"));
    EXPECT_EQ(b.port->Device(), kPort1);
    EXPECT_TRUE(b.state.Connected && b.state.LogActive);
    const int count = b.state.LogCount;
    EXPECT_TRUE(RunUntil([&] { return b.state.LogCount > count; }, 5000));
    const QByteArray cfg = b.WrittenSetUp();
    EXPECT_TRUE(cfg.contains("Baudrate = 9600")) << cfg.constData();
    EXPECT_TRUE(cfg.contains("Device = A101")) << cfg.constData();
}
