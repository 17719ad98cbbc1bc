#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "support/fakeserialport.h"
#include "ui/shell/mainwindow.h"
#include "ui/logging/tablewindow.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Rig {
    Rig()
    {
        state.DocumentsFolder = dir.path();
        state.ApplyDefaults();
        state.LogFileName = dir.filePath(QStringLiteral("run.vam"));
        state.SerialPort = QStringLiteral("/dev/pts/98");
        state.PollValues = true;
        state.PollInterval = 1;
        ApplyDevice(state, QStringLiteral("A101"), NowDays());
        state.DeviceName = QStringLiteral("A101");
        port->reply = [](const QByteArray&) { return QByteArray("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n"); };
        window.warningHandler = [this](const QString& title, const QString& text) { warnings << title + QStringLiteral(" | ") + text; };
        window.show();
        window.Conn().InstellenCommPoort();
    }
    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    FakeSerialPort* port = new FakeSerialPort;
    MainWindow window{state, lang, port};
    QStringList warnings;
};
} // namespace

TEST(MainWindowLogging, MeasureAndLogFillTheTableTheFileAndThePanels)
{
    Rig r;
    r.window.MeasureAction()->trigger();
    ASSERT_TRUE(r.state.Connected);
    EXPECT_TRUE(r.window.MeasureAction()->isChecked());
    EXPECT_TRUE(r.window.LogAction()->isEnabled());
    EXPECT_FALSE(r.window.ReceiveAction()->isEnabled());
    EXPECT_TRUE(r.window.Panel(1)->isEnabled()) << "the poll countdown is live while connected";
    EXPECT_EQ(r.window.Panel(4)->text(), QStringLiteral("Last action: Read measurements"));

    r.window.LogAction()->trigger();
    ASSERT_TRUE(r.state.LogActive);
    for (int i = 0; i < 3; ++i) {
        r.state.LogNext = true;
        r.window.Conn().TimerOpvragen_Timer();
    }
    EXPECT_EQ(r.state.LogCount, 3);
    EXPECT_EQ(r.window.Panel(3)->text(), QStringLiteral("Log# 3"));
    // Three readings and the empty row numbered 4.
    EXPECT_EQ(r.window.Table()->Table().rowCount(), 4);

    r.window.MeasureAction()->trigger(); // stop: the stop record closes the run
    EXPECT_FALSE(r.state.Connected);
    EXPECT_FALSE(r.window.Panel(1)->isEnabled());
    QFile f(r.state.LogFileName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], QByteArray("'A101'\r"));
    EXPECT_TRUE(lines[1].contains("'7.01','pH','False','True','25.0'"));
    EXPECT_TRUE(lines[4].endsWith("'Stop'\r"));
}

TEST(MainWindowLogging, FailingDataFileKeepsTheRowAndSaysSo)
{
    Rig r;
    r.state.LogFileName = r.dir.filePath(QStringLiteral("missing-folder/run.vam"));
    r.window.MeasureAction()->trigger();
    r.window.LogAction()->trigger();
    r.state.LogNext = true;
    r.window.Conn().TimerOpvragen_Timer();
    EXPECT_EQ(r.state.LogCount, 1);
    EXPECT_EQ(r.window.Table()->Table().rowCount(), 2) << "the row stays";
    EXPECT_FALSE(r.window.Panel(4)->text().isEmpty());
    EXPECT_EQ(r.window.Data().PendingRecords(), 1) << "kept for the next attempt";
    EXPECT_EQ(r.warnings.size(), 1);
}
