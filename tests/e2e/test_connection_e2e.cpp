// The whole connection on a real pseudo-terminal: the program's serial port,
// poll cycle and parsers against vam-metersim, one model of each family.

#include "comm/commviews.h"
#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/devices/decoder.h"
#include "core/help/languagetable.h"
#include "support/metersimprocess.h"
#include "platform/serial/serialportservice.h"
#include "readingformats.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr quint32 kSeed = 5;

// The simulator of `model` with the test's seed.
class Sim : public MeterSimProcess {
public:
    explicit Sim(const QString& model, const QStringList& extra = {})
        : MeterSimProcess(QStringLiteral(METERSIM),
                          QStringList{QStringLiteral("--model"), model, QStringLiteral("--seed"), QString::number(kSeed)} + extra)
    {
    }
};

// Counts what is written to the port, with times, on top of the real port.
class CountingPort : public SerialPortService {
public:
    CountingPort() : inner_(CreateQtSerialPort(this))
    {
        connect(inner_, &SerialPortService::ReadyRead, this, &SerialPortService::ReadyRead);
        connect(inner_, &SerialPortService::BytesWritten, this, &SerialPortService::BytesWritten);
        connect(inner_, &SerialPortService::ErrorOccurred, this, &SerialPortService::ErrorOccurred);
        connect(inner_, &SerialPortService::Closed, this, &SerialPortService::Closed);
        clock.start();
    }
    bool Configure(const QString& d, const QString& s) override { return inner_->Configure(d, s); }
    QString Device() const override { return inner_->Device(); }
    bool Open() override { return inner_->Open(); }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    QByteArray ReadAll() override { return inner_->ReadAll(); }
    bool Write(const QByteArray& b) override
    {
        writes << qMakePair(clock.elapsed(), b);
        return inner_->Write(b);
    }
    qint64 InputCount() const override { return inner_->InputCount(); }
    qint64 OutputCount() const override { return inner_->OutputCount(); }
    void ClearBuffers() override { inner_->ClearBuffers(); }
    bool SetDtr(bool on) override { return inner_->SetDtr(on); }
    bool SetRts(bool on) override { return inner_->SetRts(on); }
    QString ErrorText() const override { return inner_->ErrorText(); }
    QList<QPair<qint64, QByteArray>> writes;
    QElapsedTimer clock;

private:
    SerialPortService* inner_;
};

// Every reading the connection records (shown or logged), as the user sees it.
class Views : public CommViews {
public:
    explicit Views(const AppState& s) : s_(s) {}
    void UpdateTitle() override { readings << Describe(CurrentValues(s_, 0)); }
    bool AppendRecord(const QString& info) override { ++logged; records << info; return true; }
    Answer AskRetryCancel(const QString&, const QString& text) override
    {
        questions << text;
        return Cancel;
    }
    void ShowWarning(const QString&, const QString& text) override { warnings << text; }
    static QString Describe(const QList<DecodedValue>& values)
    {
        QStringList parts;
        for (const DecodedValue& v : values)
            parts << QStringLiteral("%1 %2 %3 %4").arg(v.channel).arg(v.value, v.unit, v.extra);
        return parts.join(QStringLiteral(" | "));
    }
    QStringList readings, questions, warnings;
    int logged = 0;
    QStringList records; // the info of each record written

private:
    const AppState& s_;
};

QString Describe(const SimRecord& record)
{
    QStringList parts;
    for (const SimValue& v : record)
        parts << QStringLiteral("%1 %2 %3 %4").arg(v.channel).arg(v.value, v.unit, v.extra);
    return parts.join(QStringLiteral(" | "));
}

// What the meter's readings 0..count-1 must show, in order.
QStringList Expected(const QString& model, int count, bool polled)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        for (const SimRecord& r : MakeReading(model, i, kSeed, polled).records)
            out << Describe(r);
    return out;
}

struct Live {
    Live(const QString& model, const QString& path, bool poll)
    {
        ApplyDevice(state, model, NowDays());
        state.DeviceName = model;
        state.SerialPort = path;
        state.Baudrate = QStringLiteral("9600");
        state.PollValues = poll;
        state.PollInterval = 1;
        state.RetainTableValues = false;
        state.DeviceUnit = QStringLiteral("\u00B0C");
        state.EchoCommands = false;
        conn.InstellenCommPoort();
        conn.mnuDataMeasure_Click();
    }
    ~Live()
    {
        if (state.Connected)
            conn.StopVerbinding();
    }
    // Runs until `done` or `ms` pass, then stops the connection: closing the
    // port is what ends a wait the poll cycle may be in.
    bool RunUntil(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer t;
        t.start();
        bool result = false;
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (!done() && t.elapsed() < ms)
                return;
            check.stop();
            result = done();
            if (state.Connected)
                conn.StopVerbinding();
            loop.quit();
        });
        check.start(50);
        loop.exec();
        return result;
    }
    AppState state;
    LanguageTable lang;
    CountingPort* port = new CountingPort;
    Views views{state};
    Connection conn{state, lang, *port, views};
};

class Family : public ::testing::TestWithParam<const char*> {};
} // namespace

TEST_P(Family, PollModeShowsTheMetersValues)
{
    const QString model = QString::fromLatin1(GetParam());
    Sim sim(model);
    ASSERT_FALSE(sim.Path().isEmpty());
    Live live(model, sim.Path(), true);
    ASSERT_TRUE(live.state.Connected) << live.views.warnings.join(QLatin1Char('\n')).toStdString();
    const QStringList expected = Expected(model, 3, true);
    ASSERT_TRUE(live.RunUntil([&] { return live.views.readings.size() >= expected.size(); }, 15000))
        << live.views.readings.size() << " of " << expected.size();
    EXPECT_EQ(live.views.readings.mid(0, expected.size()), expected);
}

TEST_P(Family, ListenModeShowsTheMetersValues)
{
    const QString model = QString::fromLatin1(GetParam());
    Sim sim(model, {QStringLiteral("--listen"), QStringLiteral("0.4")});
    Live live(model, sim.Path(), false);
    ASSERT_TRUE(live.state.Connected);
    ASSERT_TRUE(live.RunUntil([&] { return live.views.readings.size() >= 4; }, 15000));
    // Printing started before the port opened: every reading shown must be
    // one the meter printed, whichever came first.
    const QStringList printed = Expected(model, 80, false);
    for (const QString& r : live.views.readings)
        EXPECT_TRUE(printed.contains(r)) << r.toStdString();
}

TEST_P(Family, SplitRepliesGiveTheSameReadings)
{
    const QString model = QString::fromLatin1(GetParam());
    Sim sim(model, {QStringLiteral("--split")});
    Live live(model, sim.Path(), true);
    ASSERT_TRUE(live.state.Connected);
    const QStringList expected = Expected(model, 2, true);
    ASSERT_TRUE(live.RunUntil([&] { return live.views.readings.size() >= expected.size(); }, 15000));
    EXPECT_EQ(live.views.readings.mid(0, expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(OneModelPerFamily, Family,
                         ::testing::Values("A101", "N515", "N335", "K232", "H264", "J7040", "G4020", "P652", "P6710"));

TEST(ConnectionE2E, SilentMeterIsPolledEveryReadingTimeoutThenPaused)
{
    Sim sim(QStringLiteral("E131"), {QStringLiteral("--silent")});
    Live live(QStringLiteral("E131"), sim.Path(), true);
    ASSERT_TRUE(live.state.Connected);
    live.RunUntil([] { return false; }, 17500);
    QList<qint64> polls;
    for (const auto& w : live.port->writes)
        if (w.second == ">5\r\n")
            polls << w.first;
    // One poll by the tick and four re-sends 3 s apart; the fifth watchdog
    // firing sends nothing, so a sixth poll comes no sooner than 6 s later.
    ASSERT_GE(polls.size(), 5);
    for (int i = 1; i < 5; ++i)
        EXPECT_NEAR(double(polls[i] - polls[i - 1]), 3000.0, 400.0) << "re-send " << i;
    if (polls.size() > 5) {
        EXPECT_GE(polls[5] - polls[4], 5600);
    }
}

TEST(ConnectionE2E, J70xxMeterThatStopsAnsweringGetsTheWakeUpBurst)
{
    Sim sim(QStringLiteral("J7010"), {QStringLiteral("--mute-polls")});
    Live live(QStringLiteral("J7010"), sim.Path(), true);
    ASSERT_TRUE(live.state.Connected) << "the settings are still answered";
    const QByteArray burst = QByteArray(25, '\0') + "\r\n";
    live.RunUntil([&] {
        for (const auto& w : live.port->writes)
            if (w.second == burst)
                return true;
        return false;
    }, 40000);
    QList<qint64> polls;
    qint64 burstAt = -1;
    for (const auto& w : live.port->writes) {
        if (w.second == burst)
            burstAt = w.first;
        else if (w.second == ">?\r\n" && burstAt < 0)
            polls << w.first;
    }
    // The reply times out within a second, so the poll tick (every second)
    // asks again; the sixth poll is preceded by the burst.
    ASSERT_EQ(polls.size(), 5) << "five unanswered polls before the burst";
    ASSERT_GE(burstAt, 0);
    EXPECT_GT(burstAt, polls[4]);
    EXPECT_LT(burstAt - polls[4], 3000);
}

TEST(ConnectionE2E, DroppedLineEndsTheConnectionKeepingWhatWasLogged)
{
    Sim sim(QStringLiteral("A102"), {QStringLiteral("--drop-after"), QStringLiteral("3")});
    Live live(QStringLiteral("A102"), sim.Path(), true);
    ASSERT_TRUE(live.state.Connected);
    live.conn.mnuDatalogging_Click();
    ASSERT_TRUE(live.RunUntil([&] { return !live.state.Connected; }, 15000));
    // Three readings, and the stop record that ends every run.
    ASSERT_EQ(live.views.logged, 4);
    EXPECT_EQ(live.views.records.last(), QStringLiteral("Stop"));
    // The vanished line is reported with the communication error message.
    const QStringList told = live.views.questions + live.views.warnings;
    ASSERT_FALSE(told.isEmpty());
    EXPECT_EQ(told.first(), live.lang[299]);
    EXPECT_EQ(live.views.readings, Expected(QStringLiteral("A102"), 3, true));
}
