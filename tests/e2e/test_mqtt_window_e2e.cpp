// The windowed program publishing to a Mosquitto broker of the test's own
// while it measures against the simulator: the link's state in the status
// bar, every reading at a lasting subscriber across a broker stop, the
// settings page's Test, and the window staying responsive while the broker
// does not answer.

#include "comm/connection.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/publish/passwordstore.h"
#include "core/publish/publisher.h"
#include "support/metersimprocess.h"
#include "support/mosquittobroker.h"
#include "ui/publish/mqttpublishing.h"
#include "ui/settings/mqttpage.h"
#include "ui/shell/mainwindow.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <set>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Runs the event loop for `ms`, or until `done` holds, checking on each event
// the loop handles (woken at the latest every 50 ms by a timer of its own).
bool RunUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() >= ms)
            loop.quit();
    });
    tick.start(50);
    if (!done())
        loop.exec();
    return done();
}

// The largest time the event loop was away, measured by a 20 ms timer.
struct LoopWatch {
    LoopWatch()
    {
        clock.start();
        QObject::connect(&timer, &QTimer::timeout, [this] {
            largest = std::max(largest, clock.restart());
        });
        timer.start(20);
    }
    QTimer timer;
    QElapsedTimer clock;
    qint64 largest = 0;
};

struct Window {
    Window(const QString& port, const MqttSettings& mqtt)
    {
        // The user's configuration folder (each bench's next number) is the test's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
        state.DocumentsFolder = dir.path();
        state.ApplyDefaults();
        state.FolderData = dir.path();
        state.LogFileName = dir.filePath(QStringLiteral("run.vam"));
        ApplyDevice(state, QStringLiteral("K231"), NowDays());
        state.DeviceName = QStringLiteral("K231");
        state.SerialPort = port;
        state.PollValues = true;
        state.PollInterval = 1;
        state.LogInterval = 1;
        state.Mqtt = mqtt;
        window = std::make_unique<MainWindow>(state, lang);
        window->show();
        window->Conn().InstellenCommPoort();
        publishing = window->findChild<MqttPublishing*>();
        publishing->Apply(); // as the start-up pass does
    }
    ~Window()
    {
        if (state.LogActive)
            window->LogAction()->trigger();
        if (state.Connected)
            window->MeasureAction()->trigger();
    }
    void Start()
    {
        window->MeasureAction()->trigger();
        window->LogAction()->trigger();
    }
    // The panel's whole text (the panel itself may shorten it).
    QString Panel() const { return publishing->Panel()->toolTip().section(QLatin1Char('\n'), 0, 0); }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    std::unique_ptr<MainWindow> window;
    MqttPublishing* publishing = nullptr;
};

MqttSettings Settings(int port, const QString& bench)
{
    MqttSettings m;
    m.Publish = true;
    m.Broker = QStringLiteral("127.0.0.1:%1").arg(port);
    m.Prefix = QStringLiteral("lab");
    m.Bench = bench;
    return m;
}

std::set<qint64> Seqs(const std::vector<MqttSubscriber::Message>& messages)
{
    std::set<qint64> seqs;
    for (const auto& m : messages)
        seqs.insert(QJsonDocument::fromJson(m.payload).object().value(QLatin1String("seq")).toInteger());
    return seqs;
}

MeterSimProcess K231()
{
    return MeterSimProcess(QStringLiteral(METERSIM),
                           {QStringLiteral("--model"), QStringLiteral("K231"), QStringLiteral("--ignore-stdin")});
}

} // namespace

TEST(MqttWindowE2E, PublishesWhileMeasuringAndShowsTheLink)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start()) << qPrintable(broker.Log());
    MqttSubscriber sub(broker.Port(), "vam-window-lasting", "lab/window/readings");
    ASSERT_TRUE(sub.WaitSubscribed(5000));
    MeterSimProcess sim = K231();
    Window w(sim.Path(), Settings(broker.Port(), QStringLiteral("window")));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(broker.Port());
    EXPECT_TRUE(RunUntil([&] { return w.Panel() == w.lang[394].arg(address); }, 5000)) << qPrintable(w.Panel());
    w.Start();
    // The window measures only while the event loop runs.
    ASSERT_TRUE(RunUntil([&] { return sub.Messages().size() >= 3; }, 15000));

    broker.Stop();
    EXPECT_TRUE(RunUntil([&] { return w.Panel().contains(QLatin1String("wait to be published")); }, 8000))
        << qPrintable(w.Panel());
    EXPECT_TRUE(w.Panel().startsWith(w.lang[395].arg(address, QString()).chopped(1))) << qPrintable(w.Panel());
    RunUntil([] { return false; }, 3000);
    ASSERT_TRUE(broker.Start());
    EXPECT_TRUE(RunUntil([&] { return w.Panel() == w.lang[394].arg(address); }, 10000)) << qPrintable(w.Panel());
    w.window->LogAction()->trigger();
    const int logged = w.state.LogCount - 1; // the stop record is no reading
    ASSERT_TRUE(RunUntil([&] { return int(Seqs(sub.Messages()).size()) >= logged; }, 15000));
    const std::set<qint64> seqs = Seqs(sub.Messages());
    EXPECT_EQ(int(seqs.size()), logged);
    EXPECT_EQ(*seqs.begin(), 1);
    EXPECT_EQ(*seqs.rbegin(), logged);
}

TEST(MqttWindowE2E, StaysResponsiveWhileTheBrokerDoesNotAnswer)
{
    // A port that takes connections and never answers them: the worst a
    // broker can do to a client.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(silent, 16), 0);
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&a), &len);
    MeterSimProcess sim = K231();
    Window w(sim.Path(), Settings(ntohs(a.sin_port), QStringLiteral("silent")));
    LoopWatch watch;
    w.Start();
    RunUntil([] { return false; }, 13000); // past the link's 10 s connect limit
    ::close(silent);
    EXPECT_LE(watch.largest, 250) << "the window waited on the broker";
    EXPECT_GE(w.state.LogCount, 11) << "a reading a second went on";
    EXPECT_TRUE(w.Panel().contains(QLatin1String("no answer within 10 s"))) << qPrintable(w.Panel());
    EXPECT_TRUE(w.Panel().contains(w.lang[397].arg(w.publishing->Active()->Waiting()))) << qPrintable(w.Panel());
    std::printf("largest pause of the event loop: %lld ms, %d readings\n", watch.largest, w.state.LogCount);
}

TEST(MqttWindowE2E, TheSettingsTestSaysWhatTheBrokerAnswered)
{
    QTemporaryDir dir;
    MosquittoBroker broker(QStringLiteral("ann"), QStringLiteral("right"));
    ASSERT_TRUE(broker.Start()) << qPrintable(broker.Log());
    LanguageTable lang;
    PasswordStore store(dir.filePath(QStringLiteral("passwords")));
    MqttSettings m = Settings(broker.Port(), QStringLiteral("t"));
    m.User = QStringLiteral("ann");
    MqttPage page(m, store, lang);
    const QString address = QStringLiteral("127.0.0.1:%1").arg(broker.Port());
    for (const char* password : {"right", "wrong"}) {
        page.PasswordEdit()->setText(QLatin1String(password));
        QSignalSpy finished(&page, &MqttPage::TestFinished);
        page.TestButton()->click();
        ASSERT_TRUE(finished.wait(15000)) << password;
        const QString said = page.TestResult()->text();
        if (QByteArray(password) == "right") {
            EXPECT_TRUE(finished.at(0).at(0).toBool());
            EXPECT_EQ(said, lang[394].arg(address));
        } else {
            EXPECT_FALSE(finished.at(0).at(0).toBool());
            EXPECT_TRUE(said.startsWith(lang[396].arg(address, QString()))) << qPrintable(said);
            EXPECT_TRUE(said.contains(QLatin1String("check the user and the password"))) << qPrintable(said);
        }
    }
    // The test connection leaves the bench's status alone.
    EXPECT_FALSE(broker.Log().contains(QLatin1String("lab/t/status")));
}
