// The CPU cost of publishing: 16-channel readings (a P651) logged to a data
// file as the window logs a measured reading, once to the file alone and
// once also published (QoS 1, through the spool) to a Mosquitto broker
// started for the run on this machine, in the same run. The time is the
// process's CPU time (every thread, the link's included) per 1,000 readings;
// the broker's own CPU time is told beside it. The event loop runs between
// readings, as it does between the readings of a measurement.
//
// Usage: bench_publish_cost [READINGS]

#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/datafile.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/publish/publisher.h"
#include "publish/mosquittolink.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

namespace {

double ProcessCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// User and system time of another process, in ms (from /proc).
double ChildCpuMs(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    double utime = 0, stime = 0;
    for (int i = 3; fields >> f; ++i) {
        if (i == 14)
            utime = std::stod(f);
        if (i == 15) {
            stime = std::stod(f);
            break;
        }
    }
    return (utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

int FreePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}

void SetReading(AppState& s, int i, double start)
{
    for (int ch = 1; ch <= 16; ++ch) {
        ChannelReading& r = s.Readings[size_t(ch)];
        r.ReadingTime = start + i * kOneSecond;
        r.ValueText = QString::number(100.0 + ch + 10.0 * std::sin((i + ch) / 60.0), 'f', 2);
        r.UnitText = QStringLiteral("mV");
        r.HasValue = true;
    }
    s.LogCount = i + 1;
}

// Logs `n` readings into `path`, each also to `publisher` when there is one;
// the CPU time in ms, the wait for the last acknowledgements included.
double Run(AppState& s, const LanguageTable& lang, const QString& path, int n, Publisher* publisher)
{
    s.LogFileName = s.LogFileWork = path;
    DataFile file(s, lang);
    const double start = ToDays(QDateTime(QDate(2026, 1, 5), QTime(8, 0, 0)));
    const double cpu = ProcessCpuMs();
    for (int i = 0; i < n; ++i) {
        SetReading(s, i, start);
        file.AppendRecord(QString());
        if (publisher)
            publisher->Record(s, false);
        QCoreApplication::processEvents();
    }
    if (publisher && publisher->Drain(120000) != 0)
        std::printf("bench_publish_cost: %d readings were not acknowledged\n", publisher->Waiting());
    return ProcessCpuMs() - cpu;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(100, std::atoi(argv[1])) : 10000;
    QTemporaryDir dir;
    const int port = FreePort();
    QFile conf(dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!conf.open(QIODevice::WriteOnly))
        return 1;
    conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n%2")
                   .arg(port)
                   .arg(::geteuid() == 0 ? QStringLiteral("user root\n") : QString())
                   .toUtf8());
    conf.close();
    QProcess broker;
    broker.setProcessChannelMode(QProcess::MergedChannels);
    broker.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), conf.fileName()});
    QByteArray said;
    while (!said.contains(" running") && broker.waitForReadyRead(5000))
        said += broker.readAll();
    if (!said.contains(" running")) {
        std::printf("bench_publish_cost: mosquitto did not start (install it: scripts/deps.sh)\n");
        return 1;
    }

    AppState s;
    LanguageTable lang;
    ApplyDevice(s, QStringLiteral("P651"), NowDays());
    s.DeviceName = QStringLiteral("P651");
    const double fileOnly = Run(s, lang, dir.filePath(QStringLiteral("file-only.vam")), n, nullptr);

    Publisher publisher(std::make_unique<MosquittoLink>());
    publisher.sequenceFile = dir.filePath(QStringLiteral("sequence"));
    MqttTarget target;
    ParseMqttUrl(QStringLiteral("mqtt://127.0.0.1:%1/bench").arg(port), target, nullptr);
    target.bench = QStringLiteral("p651");
    QString error;
    if (!publisher.Start(target, Spool::PathFor(dir.path(), target.bench), &error)) {
        std::printf("bench_publish_cost: %s\n", qPrintable(error));
        return 1;
    }
    QElapsedTimer waited;
    waited.start();
    while (publisher.LinkState() != Publisher::State::Connected && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const double brokerBefore = ChildCpuMs(broker.processId());
    const double published = Run(s, lang, dir.filePath(QStringLiteral("published.vam")), n, &publisher);
    const double brokerCpu = ChildCpuMs(broker.processId()) - brokerBefore;
    publisher.Stop(1000);
    broker.terminate();
    broker.waitForFinished(5000);

    const double per = 1000.0 / n;
    std::printf("bench_publish_cost: %d readings of 16 channels, CPU time per 1,000 readings\n", n);
    std::printf("  logging to the data file alone:          %8.1f ms\n", fileOnly * per);
    std::printf("  logging and publishing (QoS 1, spooled): %8.1f ms  (publishing adds %.1f ms, %.2f ms a reading)\n",
                published * per, (published - fileOnly) * per, (published - fileOnly) / n);
    std::printf("  the broker on the same machine:          %8.1f ms\n", brokerCpu * per);
    return 0;
}
