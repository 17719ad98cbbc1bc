// The three connection modes driven through the Data menu, with every
// indication checked after each step: menu entries, toolbar buttons (the same
// actions), status panels and the title.

#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "loggerdump.h"
#include "support/fakeserialport.h"
#include "ui/shell/mainwindow.h"
#include "ui/logging/tablewindow.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {
const QByteArray kReply = "7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n";

struct Rig {
    Rig()
    {
        state.DocumentsFolder = dir.path();
        state.ApplyDefaults();
        state.LogFileName = dir.filePath(QStringLiteral("run.vam"));
        state.FolderData = dir.path();
        state.SerialPort = QStringLiteral("/dev/pts/97");
        state.Baudrate = QStringLiteral("9600");
        state.PollValues = true;
        state.PollInterval = 1;
        ApplyDevice(state, QStringLiteral("A101"), NowDays());
        state.DeviceName = QStringLiteral("A101");
        port->reply = [](const QByteArray& sent) { return sent == ">5\r\n" ? kReply : QByteArray(); };
        window.warningHandler = [this](const QString&, const QString& text) { warnings << text; };
        window.retryHandler = [this](const QString&, const QString& text) {
            warnings << text;
            return UserPrompts::Cancel;
        };
        window.transferFileChooser = [this] { return dir.filePath(QStringLiteral("capture.txt")); };
        window.fileChooser = [this](const QString&, const QString&, const QString&, bool) {
            return dir.filePath(QStringLiteral("logger.vam"));
        };
        window.show();
        window.Conn().InstellenCommPoort();
    }
    // "MLRT": which Data entries are enabled, then which are checked ("-" = no).
    QString Entries() const
    {
        QString enabled, checked;
        const QList<QAction*> actions{window.MeasureAction(), window.LogAction(), window.ReceiveAction(), window.TransferAction()};
        for (int i = 0; i < actions.size(); ++i) {
            enabled += actions[i]->isEnabled() ? QLatin1Char("MLRT"[i]) : QLatin1Char('-');
            checked += actions[i]->isChecked() ? QLatin1Char("MLRT"[i]) : QLatin1Char('-');
        }
        return enabled + QLatin1Char('/') + checked;
    }
    QString PanelTexts() const
    {
        QStringList t;
        for (int i = 0; i < MainWindow::kPanelCount; ++i)
            t << window.Panel(i)->text();
        return t.join(QLatin1String(" | "));
    }
    // Runs `during` from inside a mode's loop (the commands block while they run).
    static void During(const std::function<void()>& during) { QTimer::singleShot(20, during); }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    FakeSerialPort* port = new FakeSerialPort;
    MainWindow window{state, lang, port};
    QStringList warnings;
};
} // namespace

TEST(Modes, MeasureAndLoggingSteps)
{
    Rig r;
    EXPECT_EQ(r.Entries(), QStringLiteral("M-RT/----")) << "idle";
    EXPECT_FALSE(r.window.Panel(1)->isEnabled());

    r.window.MeasureAction()->trigger();
    EXPECT_EQ(r.Entries(), QStringLiteral("ML--/M---")) << "measuring";
    EXPECT_TRUE(r.window.Panel(1)->isEnabled());
    EXPECT_FALSE(r.window.Panel(2)->isEnabled()) << "no log countdown before logging";
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Last action: Read measurements"));
    r.window.Conn().TimerOpvragen_Timer();
    EXPECT_EQ(r.window.windowTitle(), QStringLiteral("A101, ") + QFileInfo(r.state.LogFileName).fileName());

    r.window.LogAction()->trigger();
    EXPECT_EQ(r.Entries(), QStringLiteral("ML--/ML--")) << "logging";
    EXPECT_TRUE(r.window.Panel(2)->isEnabled());
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Last action: Log measurements"));
    r.window.Conn().TimerOpvragen_Timer();
    EXPECT_EQ(r.window.Panel(3)->text(), QStringLiteral("Log# 1"));

    r.window.LogAction()->trigger();
    EXPECT_EQ(r.Entries(), QStringLiteral("ML--/M---")) << "logging off";
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Last action: Stop logging"));
    EXPECT_EQ(r.state.LogCount, 2) << "the stop record";

    r.window.MeasureAction()->trigger();
    EXPECT_EQ(r.Entries(), QStringLiteral("M-RT/----")) << "stopped";
    EXPECT_FALSE(r.window.Panel(1)->isEnabled());
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Idle: choose an action from the menu."));
    EXPECT_TRUE(r.warnings.isEmpty());
}

TEST(Modes, PointLimitSwitchesLoggingOff)
{
    Rig r;
    r.state.LimitToPoints = true;
    r.state.Points = 2;
    r.window.MeasureAction()->trigger();
    r.window.LogAction()->trigger();
    for (int i = 0; i < 3; ++i) {
        r.state.LogNext = r.state.LogActive;
        r.window.Conn().TimerOpvragen_Timer();
    }
    EXPECT_EQ(r.state.LogCount, 2);
    EXPECT_EQ(r.Entries(), QStringLiteral("ML--/M---"));
    EXPECT_FALSE(r.window.Panel(2)->isEnabled());
}

TEST(Modes, ReceiveRecordsTheLoggerPrint)
{
    Rig r;
    QString during;
    Rig::During([&] {
        during = r.Entries() + QLatin1Char(' ') + r.window.Panel(4)->text();
        r.port->Deliver(LoggerDump(QStringLiteral("A101"), 3, 1));
        QTimer::singleShot(200, [&] { r.window.ReceiveAction()->trigger(); });
    });
    r.window.ReceiveAction()->trigger(); // returns when Receive is switched off
    EXPECT_EQ(during, QStringLiteral("--R-/--R- Receive ON: "));
    EXPECT_EQ(r.state.LogCount, 3);
    EXPECT_EQ(r.window.Table()->Table().rowCount(), 4);
    EXPECT_EQ(r.state.LogFileName, r.dir.filePath(QStringLiteral("logger.vam"))) << "the New step asked the name";
    EXPECT_EQ(r.Entries(), QStringLiteral("M-RT/----"));
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Last action: Receive OFF"));
    EXPECT_FALSE(r.port->IsOpen());
}

TEST(Modes, TransferCapturesExactlyWhatArrives)
{
    Rig r;
    const QByteArray printed = QByteArray("T\xf8 25.0\r\n", 9) + QByteArray("half a li");
    QString during;
    Rig::During([&] {
        during = r.Entries() + QLatin1Char(' ') + r.window.Panel(4)->text();
        r.port->Deliver(printed);
        QTimer::singleShot(100, [&] { r.window.TransferAction()->trigger(); }); // stopped in mid-line
    });
    r.window.TransferAction()->trigger();
    EXPECT_EQ(during, QStringLiteral("---T/---T ") + r.lang[133]);
    QFile f(r.dir.filePath(QStringLiteral("capture.txt")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), printed);
    EXPECT_EQ(r.Entries(), QStringLiteral("M-RT/----"));
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Last action: Transfer OFF"));
    EXPECT_TRUE(r.state.TerminalVisible);
}

TEST(Modes, PortErrorInEachModeReturnsToIdle)
{
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        Rig r;
        if (mode == 0) {
            r.port->reply = [&r](const QByteArray&) {
                QTimer::singleShot(0, r.port, [&r] { r.port->Vanish(); });
                return QByteArray();
            };
            r.window.MeasureAction()->trigger();
            r.window.Conn().TimerOpvragen_Timer();
        } else {
            Rig::During([&r] { r.port->Vanish(); });
            (mode == 1 ? r.window.ReceiveAction() : r.window.TransferAction())->trigger();
        }
        EXPECT_EQ(r.Entries(), QStringLiteral("M-RT/----"));
        ASSERT_FALSE(r.warnings.isEmpty());
        EXPECT_EQ(r.warnings.first(), r.lang[299]);
        EXPECT_FALSE(r.state.Connected || r.state.ReceiveMode || r.state.TransferMode);
    }
}
