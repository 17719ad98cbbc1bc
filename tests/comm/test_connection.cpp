#include "comm/commviews.h"
#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "support/fakeserialport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {
class RecordingViews : public CommViews {
public:
    void ShowValue(int channel) override { shown << channel; }
    void AppendTableRow(const QString& info) override { rows << info; }
    bool AppendRecord(const QString& info) override { records << info; return true; }
    void SetPanelText(int panel, const QString& text) override { panels[panel] = text; }
    void ShowWarning(const QString& title, const QString& text) override { warnings << title + QStringLiteral(" | ") + text; }
    Answer AskRetryCancel(const QString& title, const QString& text) override
    {
        questions << title + QStringLiteral(" | ") + text;
        return answers.isEmpty() ? Cancel : answers.takeFirst();
    }
    bool ScanProgress(const QString& caption, int position, int) override
    {
        captions << caption;
        return position < cancelAt;
    }
    QList<int> shown;
    QStringList rows, records, warnings, questions, captions;
    QMap<int, QString> panels;
    QList<Answer> answers;
    int cancelAt = 1000;
};

struct Rig {
    explicit Rig(const QString& model = QStringLiteral("A101"))
    {
        ApplyDevice(state, model, NowDays());
        state.DeviceName = model;
        state.SerialPort = QStringLiteral("/dev/pts/99");
        conn.portPresent = [this](const QString&) { return present; };
    }
    AppState state;
    LanguageTable lang;
    FakeSerialPort port;
    RecordingViews views;
    Connection conn{state, lang, port, views};
    bool present = true;
};

const QByteArray kPoll = ">5\r\n";
const QByteArray kReply = "7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n";
} // namespace

TEST(PortManager, ConfigurationRules)
{
    const struct { const char* port; const char* start; qint16 result; const char* device; int warning; } cases[] = {
        {"COM1", "", Connection::ResultOk, "/dev/ttyS0", 0},
        {"COM1", "COM4", Connection::ResultOk, "/dev/ttyS3", 0},       // the command-line port wins and is kept
        {"COM255", "", Connection::ResultOk, "/dev/ttyS254", 0},
        {"COM256", "", Connection::ResultFailed, "", 288},
        {"/dev/ttyUSB0", "", Connection::ResultOk, "/dev/ttyUSB0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        Rig r;
        r.state.SerialPort = QString::fromLatin1(c.port);
        r.state.StartPort = QString::fromLatin1(c.start);
        r.conn.InstellenCommPoort();
        EXPECT_EQ(r.conn.ActionResult(), c.result);
        EXPECT_EQ(r.port.Device(), QString::fromLatin1(c.device));
        if (*c.start) {
            EXPECT_EQ(r.state.SerialPort, QString::fromLatin1(c.start));
        }
        if (c.warning) {
            ASSERT_EQ(r.views.warnings.size(), 1);
            EXPECT_EQ(r.views.warnings[0], QStringLiteral("Serial port: COM256 | ") + r.lang[c.warning]);
            EXPECT_EQ(r.port.configures, 0) << "the port is not touched";
        }
    }
}

TEST(PortManager, ConfiguringAnOpenPortIsRefused)
{
    Rig r;
    r.conn.InstellenCommPoort();
    r.conn.OpenCommPoort();
    ASSERT_TRUE(r.port.IsOpen());
    r.state.SerialPort = QStringLiteral("COM2");
    r.conn.InstellenCommPoort();
    EXPECT_EQ(r.conn.ActionResult(), Connection::ResultFailed);
    EXPECT_EQ(r.port.Device(), QStringLiteral("/dev/pts/99"));
    EXPECT_TRUE(r.views.warnings.value(0).endsWith(QStringLiteral("The serial port is already in use!")));
}

TEST(PortManager, OpenFailureReportsAndStops)
{
    Rig r;
    r.port.failingDevices.insert(QStringLiteral("/dev/pts/99"));
    r.state.LogActive = r.state.LogNext = true;
    r.conn.mnuDataMeasure_Click();
    EXPECT_FALSE(r.state.Connected);
    EXPECT_FALSE(r.state.LogActive);
    EXPECT_EQ(r.conn.ActionResult(), Connection::ResultFailed);
    ASSERT_GE(r.views.warnings.size(), 1);
    EXPECT_TRUE(r.views.warnings[0].startsWith(QStringLiteral("A101 - /dev/pts/99 | Error opening '/dev/pts/99' !")));
}

TEST(PortManager, ScanListsPortsThatOpenAndStopsOnCancel)
{
    Rig r;
    r.conn.availablePorts = [] {
        return QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("/dev/ttyUSB0")};
    };
    r.port.failingDevices.insert(QStringLiteral("/dev/ttyS1")); // COM2 in use by another program
    EXPECT_EQ(r.conn.ZoekSerielePoorten(), QStringLiteral("COM1, COM3, /dev/ttyUSB0"));
    EXPECT_EQ(r.views.captions.value(1), QStringLiteral("Settings: Port COM2"));
    EXPECT_FALSE(r.port.IsOpen());

    r.views.cancelAt = 3;
    EXPECT_EQ(r.conn.ZoekSerielePoorten(), QStringLiteral("COM1"));
    EXPECT_TRUE(r.state.ProgressCancel);

    r.conn.availablePorts = [] { return QStringList(); };
    EXPECT_EQ(r.conn.ZoekSerielePoorten(), QString());
}

TEST(ReceiveLoop, PollModeCountsDownAndRecordsReplies)
{
    Rig r;
    r.state.PollValues = true;
    r.state.PollInterval = 10;
    r.port.reply = [](const QByteArray& sent) { return sent == kPoll ? kReply : QByteArray(); };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    ASSERT_TRUE(r.state.Connected);
    r.conn.TimerOpvragen_Timer(); // first tick: a poll at once
    EXPECT_EQ(r.port.written, kPoll);
    EXPECT_EQ(r.views.shown, (QList<int>{1, 2}));
    EXPECT_TRUE(r.views.rows.isEmpty()) << "shown, not logged";
    for (int tick = 1; tick <= 9; ++tick) {
        r.conn.TimerOpvragen_Timer();
        EXPECT_EQ(r.port.writes, 1) << "tick " << tick;
    }
    EXPECT_EQ(r.views.panels.value(CommViews::PanelPollTime), QStringLiteral("00:00:01"));
    r.conn.TimerOpvragen_Timer();
    EXPECT_EQ(r.port.writes, 2);
}

TEST(ReceiveLoop, LoggingRecordsUntilThePointLimit)
{
    Rig r;
    r.state.PollValues = true;
    r.state.PollInterval = 1;
    r.state.LimitToPoints = true;
    r.state.Points = 3;
    r.port.reply = [](const QByteArray&) { return kReply; };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    r.conn.mnuDatalogging_Click();
    ASSERT_TRUE(r.state.LogActive);
    for (int i = 0; i < 3; ++i) {
        r.state.LogNext = true; // as the log interval would
        r.conn.TimerOpvragen_Timer();
    }
    EXPECT_EQ(r.state.LogCount, 3);
    EXPECT_EQ(r.views.records.size(), 3);
    EXPECT_FALSE(r.state.LogActive) << "the third reading reached the limit";
    EXPECT_EQ(r.views.panels.value(CommViews::PanelLogCounter), QStringLiteral("Log# 3"));
    r.conn.TimerOpvragen_Timer();
    EXPECT_EQ(r.views.records.size(), 3) << "shown but no longer logged";
    EXPECT_EQ(r.views.shown.size(), 8);
    EXPECT_EQ(r.views.warnings, QStringList());
}

TEST(ReceiveLoop, StopWhileLoggingWritesTheStopRecord)
{
    Rig r;
    r.state.PollValues = true;
    r.port.reply = [](const QByteArray&) { return kReply; };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    r.conn.mnuDatalogging_Click();
    r.conn.TimerOpvragen_Timer();
    ASSERT_EQ(r.state.LogCount, 1);
    r.conn.mnuDataMeasure_Click();
    EXPECT_FALSE(r.state.Connected);
    EXPECT_EQ(r.views.records, (QStringList{QString(), QStringLiteral("Stop")}));
    EXPECT_EQ(r.views.rows.last(), QStringLiteral("Stop"));
    EXPECT_EQ(r.state.LogCount, 2);
    EXPECT_FALSE(r.port.IsOpen());
    EXPECT_FALSE(r.state.LogActive) << "logging ended with the measuring";
    r.conn.StopVerbinding(); // what File New, Receive and exit do next
    EXPECT_EQ(r.views.records.size(), 2) << "no second stop record";
    EXPECT_EQ(r.state.LogCount, 2);
}

// Logging ended before its first reading was recorded has nothing to close:
// a stop record alone would be a run without readings.
TEST(ReceiveLoop, LoggingEndedBeforeItsFirstReadingWritesNoStop)
{
    const struct {
        const char* name;
        std::function<void(Connection&)> end;
    } cases[] = {
        {"log command again", [](Connection& c) { c.mnuDatalogging_Click(); }},
        {"measure off", [](Connection& c) { c.mnuDataMeasure_Click(); }},
        {"connection stopped", [](Connection& c) { c.StopVerbinding(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r;
        r.state.PollValues = true;
        r.port.reply = [](const QByteArray&) { return kReply; };
        r.conn.InstellenCommPoort();
        r.conn.mnuDataMeasure_Click();
        r.conn.mnuDatalogging_Click();
        ASSERT_TRUE(r.state.LogActive);
        c.end(r.conn);
        r.conn.TimerOpvragen_Timer(); // a reading that follows is shown, not logged
        EXPECT_FALSE(r.state.LogActive);
        EXPECT_EQ(r.views.rows, QStringList());
        EXPECT_EQ(r.views.records, QStringList());
        EXPECT_EQ(r.state.LogCount, 0);
    }
}

TEST(ReceiveLoop, ACommandInsideTheWaitStartsNoSecondCycle)
{
    // Logging is switched on while the reply is half in: that restarts the
    // poll tick, and the tick fires inside the wait.
    Rig r;
    r.state.PollValues = true;
    r.port.reply = [&r](const QByteArray&) {
        if (r.port.writes > 1)
            return QByteArray();
        r.port.Deliver("7.0");
        QTimer::singleShot(0, &r.port, [&r] {
            r.conn.mnuDatalogging_Click();
            r.conn.TimerOpvragen_Timer();
            r.port.Deliver("1\tpH\t25.0\t10:15:30\t02/03/26\r\n<5\r\n");
        });
        return QByteArray();
    };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    r.conn.TimerOpvragen_Timer();
    EXPECT_EQ(r.port.writes, 1) << "one poll, one cycle";
    EXPECT_EQ(r.state.Readings[1].ValueText, QStringLiteral("7.01"));
    EXPECT_EQ(r.state.LogCount, 1);
    EXPECT_EQ(r.views.records.size(), 1);
    EXPECT_TRUE(r.conn.TimerOpvragen.isActive()) << "the tick runs again after the cycle";
}

TEST(ReceiveLoop, ReopeningWaitsUntilTheCycleHasEnded)
{
    // Read settings or a device change chosen while a reply is awaited.
    Rig r;
    r.state.PollValues = true;
    bool ranInsideCycle = true;
    int runs = 0;
    r.port.reply = [&](const QByteArray&) {
        if (r.port.writes == 1)
            QTimer::singleShot(0, &r.port, [&] {
                r.conn.StopVerbinding();
                r.conn.RunAfterCycle([&] {
                    ++runs;
                    ranInsideCycle = r.conn.InCycle();
                    r.conn.mnuDataMeasure_Click();
                });
                EXPECT_EQ(runs, 0) << "deferred while the old cycle waits";
            });
        return QByteArray();
    };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    r.conn.TimerOpvragen_Timer();
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(ranInsideCycle);
    EXPECT_TRUE(r.state.Connected) << "the new connection runs";
    EXPECT_TRUE(r.port.IsOpen());
    EXPECT_EQ(r.port.opens, 2);
    r.conn.RunAfterCycle([&] { ++runs; });
    EXPECT_EQ(runs, 2) << "outside a cycle an action runs at once";
}

TEST(ReceiveLoop, AGivenUpPortIsClosedAgainByReceive)
{
    // The port vanished during Measure and the user cancelled; the adapter is
    // plugged back in and Receive runs, then stops.
    Rig r;
    r.state.PortLost = true;
    r.conn.InstellenCommPoort();
    QTimer::singleShot(0, &r.port, [&r] { r.conn.mnuDataReceive_Click(); }); // Receive off
    r.conn.mnuDataReceive_Click();
    EXPECT_FALSE(r.state.ReceiveMode);
    EXPECT_FALSE(r.state.PortLost);
    EXPECT_FALSE(r.port.IsOpen()) << "stopping Receive closes the port";
    r.conn.InstellenCommPoort();
    EXPECT_EQ(r.conn.ActionResult(), Connection::ResultOk) << "no 'already in use' for the next mode";
}

TEST(ReceiveLoop, WatchdogResendsThenPauses)
{
    for (const char* model : {"A101", "J7010"}) {
        SCOPED_TRACE(model);
        Rig r(QString::fromLatin1(model));
        r.state.PollValues = true;
        r.state.Connected = true;
        r.conn.InstellenCommPoort();
        r.conn.OpenCommPoort();
        r.state.PollRetries = 1; // the tick's own poll
        for (int i = 0; i < 4; ++i)
            r.conn.TimerPollingtest_Timer();
        EXPECT_EQ(r.state.PollRetries, 5);
        EXPECT_EQ(r.port.writes, 4);
        r.port.written.clear();
        const int before = r.port.writes;
        r.conn.TimerPollingtest_Timer(); // the pause (and the wake-up burst for J7 models)
        EXPECT_EQ(r.state.PollRetries, 0);
        if (QByteArray(model).startsWith("J7"))
            EXPECT_EQ(r.port.written, QByteArray(24, '\0') + QByteArray(1, '\0') + "\r\n");
        else
            EXPECT_EQ(r.port.writes, before);
    }
}

TEST(ReceiveLoop, TickCountWraps)
{
    Rig r;
    r.conn.TickCount = 32767;
    r.conn.TimerComm_Timer();
    EXPECT_EQ(r.conn.TickCount, 0);
}

TEST(ReceiveLoop, VanishedPortAsksRetryThenGivesUp)
{
    Rig r;
    r.state.PollValues = true;
    r.port.reply = [&r](const QByteArray&) {
        QTimer::singleShot(0, &r.port, [&r] { r.port.Vanish(); });
        return QByteArray();
    };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    r.present = false;
    r.views.answers = {CommViews::Retry, CommViews::Cancel};
    r.conn.TimerOpvragen_Timer();
    EXPECT_EQ(r.views.questions.size(), 2) << "Retry with the port still absent asks again";
    EXPECT_TRUE(r.views.questions[0].startsWith(QStringLiteral("/dev/pts/99 | An error occurred")));
    EXPECT_TRUE(r.state.PortLost);
    EXPECT_FALSE(r.state.Connected);
    EXPECT_FALSE(r.conn.TimerOpvragen.isActive());
}

TEST(ReceiveLoop, VanishedPortComesBackOnRetry)
{
    Rig r;
    r.state.PollValues = true;
    int polls = 0;
    r.port.reply = [&](const QByteArray&) {
        if (++polls == 1)
            QTimer::singleShot(0, &r.port, [&r] { r.port.Vanish(); });
        else
            return kReply;
        return QByteArray();
    };
    r.conn.InstellenCommPoort();
    r.conn.mnuDataMeasure_Click();
    r.views.answers = {CommViews::Retry};
    r.conn.TimerOpvragen_Timer();
    EXPECT_TRUE(r.state.Connected);
    EXPECT_TRUE(r.port.IsOpen());
    r.conn.TimerOpvragen_Timer();
    EXPECT_EQ(r.views.shown, (QList<int>{1, 2}));
}

// The poll tick driven as the timer would fire it, on a clock that moves:
// each reading takes its time, so a tick re-armed after the reading (and not
// on its grid) would slip by that time every second.
TEST(ReceiveLoop, LogCadenceHoldsOverFiveMinutes)
{
    struct Case {
        const char* what;
        bool poll;
        int logInterval;
        int records; // in 300 s
    };
    const Case cases[] = {
        {"poll, 1 s", true, 1, 300},
        {"listen, 1 s", false, 1, 300},
        {"poll, 5 s", true, 5, 60},
        {"listen, 7 s", false, 7, 43},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig r;
        qint64 now = 0, latency = 0;
        r.conn.msClock = [&] { return now; };
        r.state.PollValues = c.poll;
        r.state.PollInterval = 1;
        r.state.LogInterval = c.logInterval;
        QList<qint64> recordTimes;
        r.port.reply = [&](const QByteArray& sent) {
            now += latency; // the meter takes its time to answer
            return sent == kPoll ? kReply : QByteArray();
        };
        r.conn.InstellenCommPoort();
        r.conn.mnuDataMeasure_Click();
        ASSERT_TRUE(r.state.Connected);
        r.conn.mnuDatalogging_Click();
        int ticks = 0;
        while (now < 300000 && ticks < 1000) {
            now += r.conn.TimerOpvragen.interval(); // the tick fires when it was armed for
            latency = 80 + (ticks * 37) % 400;      // 80..479 ms
            if (!c.poll) {
                now += latency;
                r.port.Deliver("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n");
            }
            const int before = r.state.LogCount;
            r.conn.TimerOpvragen_Timer();
            if (r.state.LogCount > before)
                recordTimes << now;
            ++ticks;
        }
        EXPECT_NEAR(recordTimes.size(), c.records, 1);
        for (int i = 1; i < recordTimes.size(); ++i)
            ASSERT_LE(recordTimes[i] - recordTimes[i - 1], c.logInterval * 1000 + 500) << "record " << i;
    }
}

// A meter that never answers: the status bar and the terminal say so after a
// few unanswered polls, the value windows show that no reading comes, and it
// is said once until the meter answers again.
TEST(ReceiveLoop, SilentMeterIsReportedOnceAndClearedWhenItAnswers)
{
    struct SilenceViews : RecordingViews {
        void ShowNoReading() override { ++noReading; }
        void TerminalAppend(const QString& text, ColorValue) override { terminal += text; }
        int noReading = 0;
        QString terminal;
    };
    for (const bool poll : {true, false}) {
        SCOPED_TRACE(poll ? "poll" : "listen");
        AppState state;
        LanguageTable lang;
        FakeSerialPort port;
        SilenceViews views;
        ApplyDevice(state, QStringLiteral("A101"), NowDays());
        state.DeviceName = QStringLiteral("A101");
        state.SerialPort = QStringLiteral("/dev/pts/99");
        state.PollValues = poll;
        state.PollInterval = 1;
        state.ReadingTimeout = 20; // the real waits stay short; the test's clock says how long they took
        Connection conn(state, lang, port, views);
        conn.listenIdleMs = 20;
        qint64 now = 0;
        conn.msClock = [&] { return now; };
        QList<bool> changes;
        QObject::connect(&conn, &Connection::MeterSilenceChanged, [&](bool silent) { changes << silent; });
        conn.InstellenCommPoort();
        conn.mnuDataMeasure_Click();
        ASSERT_TRUE(conn.MeterSilent() == false);
        // The reading's wait ends by itself: the fake port never answers.
        for (int tick = 0; tick < 30 && !conn.MeterSilent(); ++tick) {
            now += 1000;
            conn.TimerOpvragen_Timer();
            if (poll)
                now += 3000; // the wait for the reply
        }
        ASSERT_TRUE(conn.MeterSilent());
        EXPECT_EQ(changes, QList<bool>{true});
        EXPECT_EQ(views.noReading, 1);
        EXPECT_TRUE(views.panels.value(CommViews::PanelMessages).startsWith(QStringLiteral("No answer from the A101 on /dev/pts/99")))
            << views.panels.value(CommViews::PanelMessages).toStdString();
        EXPECT_TRUE(views.terminal.contains(QStringLiteral("No answer from the A101")));
        now += 1000;
        conn.TimerOpvragen_Timer();
        EXPECT_EQ(changes.size(), 1) << "said once";
        // The meter speaks again.
        port.reply = [](const QByteArray& sent) { return sent == kPoll ? kReply : QByteArray(); };
        if (!poll)
            port.Deliver("7.01\tpH\t25.0\t10:15:30\t02/03/26\r\n");
        now += 1000;
        conn.TimerOpvragen_Timer();
        EXPECT_EQ(changes, (QList<bool>{true, false}));
        EXPECT_FALSE(conn.MeterSilent());
        EXPECT_EQ(views.panels.value(CommViews::PanelMessages), QStringLiteral("Last action: Read measurements"));
        EXPECT_TRUE(views.warnings.isEmpty()) << "a status, not a message box";
    }
}

// A command that opens a window, given while a reading waits: it runs when
// the reading has returned, not inside it (where its dialog would hold the
// cycle); a listening wait that has received nothing ends for it at once.
TEST(ReceiveLoop, ACommandGivenDuringAReadingRunsAfterIt)
{
    for (const bool listen : {true, false}) {
        SCOPED_TRACE(listen ? "listen" : "poll");
        Rig r;
        r.state.PollValues = !listen;
        r.state.PollInterval = 1;
        r.state.ReadingTimeout = 300;
        r.conn.listenIdleMs = 3000;
        r.port.reply = [](const QByteArray&) { return QByteArray(); }; // nothing comes
        r.conn.InstellenCommPoort();
        r.conn.mnuDataMeasure_Click();
        ASSERT_TRUE(r.state.Connected);
        bool ran = false, ranInside = true;
        QElapsedTimer clock;
        qint64 ranAt = -1;
        QTimer::singleShot(50, [&] {
            r.conn.RunWhenReadingDone([&] {
                ran = true;
                ranInside = r.conn.InCycle();
                ranAt = clock.elapsed();
            });
        });
        clock.start();
        r.conn.TimerOpvragen_Timer(); // the reading waits; the command comes in meanwhile
        EXPECT_TRUE(ran);
        EXPECT_FALSE(ranInside) << "not inside the reading";
        if (listen)
            EXPECT_LT(ranAt, 1000) << "a listening wait with nothing received ends for it";
        else
            EXPECT_GE(ranAt, 300) << "a poll's reply is waited for";
        ran = false;
        r.conn.RunWhenReadingDone([&] { ran = true; });
        EXPECT_TRUE(ran) << "at once when no reading waits";
    }
}
