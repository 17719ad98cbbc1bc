#include "cli_mqtt.h"

#include "cli_args.h"

#include "publish/mosquittolink.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

CliMqtt::~CliMqtt() = default;

bool CliMqtt::Configure(CliArgs& a, const QString& dataFile)
{
    double drain = 10;
    if (!a.Number("--mqtt-drain", drain, 0)) {
        a.Report();
        return false;
    }
    drainMs_ = int(std::min(drain, 86400.0) * 1000);
    if (!a.Has("--mqtt")) {
        for (const char* o : {"--bench", "--mqtt-ca", "--mqtt-drain"})
            if (a.Has(o)) {
                std::fprintf(stderr, "vam-cli %s: %s needs --mqtt\n", command_, o);
                return false;
            }
        return true;
    }
    QString error;
    if (!ParseMqttUrl(a.Value("--mqtt"), target_, &error)) {
        std::fprintf(stderr, "vam-cli %s: %s\n", command_, qPrintable(error));
        return false;
    }
    // A password kept out of the command line (and so out of the process list).
    if (!target_.user.isEmpty() && target_.password.isEmpty())
        target_.password = qEnvironmentVariable("VAM_MQTT_PASSWORD");
    target_.bench = a.Value("--bench", DefaultBenchName());
    if (!CheckBenchName(target_.bench, &error)) {
        std::fprintf(stderr, "vam-cli %s: %s\n", command_, qPrintable(error));
        return false;
    }
    target_.caFile = a.Value("--mqtt-ca");
    if (!target_.caFile.isEmpty()) {
        if (!target_.tls) {
            std::fprintf(stderr, "vam-cli %s: --mqtt-ca needs an mqtts:// broker\n", command_);
            return false;
        }
        if (!QFileInfo(target_.caFile).isReadable()) {
            std::fprintf(stderr, "vam-cli %s: the CA file '%s' cannot be read\n", command_, qPrintable(target_.caFile));
            return false;
        }
    }
    const QString folder = dataFile.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
        : QFileInfo(dataFile).absolutePath();
    spoolPath_ = Spool::PathFor(folder, target_.bench);
    enabled_ = true;
    return true;
}

bool CliMqtt::Start()
{
    if (!enabled_)
        return true;
    QDir().mkpath(QFileInfo(spoolPath_).absolutePath());
    publisher_ = std::make_unique<Publisher>(std::make_unique<MosquittoLink>());
    QObject::connect(publisher_.get(), &Publisher::Changed, [this] { Report(); });
    QObject::connect(publisher_.get(), &Publisher::SpoolFull, [this] {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "vam-cli %s: MQTT: the spool %s is full (%d readings): later readings are only in the data file\n",
                     command_, qPrintable(spoolPath_), publisher_->SpoolFile().Capacity());
    });
    QObject::connect(publisher_.get(), &Publisher::SpoolError, [this](const QString& why) {
        std::fflush(stdout);
        std::fprintf(stderr, "vam-cli %s: MQTT: %s; the readings are only in the data file\n", command_,
                     qPrintable(why));
    });
    QString error;
    if (!publisher_->Start(target_, spoolPath_, &error)) {
        std::fprintf(stderr, "vam-cli %s: MQTT: %s\n", command_, qPrintable(error));
        publisher_.reset();
        return false;
    }
    const Spool::LoadReport& loaded = publisher_->SpoolFile().Loaded();
    std::fprintf(stderr, "vam-cli %s: MQTT: publishing to %s as bench '%s' (topics %s/...), spool %s\n", command_,
                 qPrintable(target_.Address()), qPrintable(target_.bench),
                 target_.ReadingsTopic().chopped(int(sizeof "/readings") - 1).constData(), qPrintable(spoolPath_));
    if (loaded.waiting > 0)
        std::fprintf(stderr, "vam-cli %s: MQTT: %d reading(s) of an earlier run wait in the spool and are sent first\n",
                     command_, loaded.waiting);
    if (loaded.cutOff)
        std::fprintf(stderr, "vam-cli %s: MQTT: the spool's last line was cut off (an earlier run ended abruptly); "
                     "it was dropped\n", command_);
    if (loaded.damaged > 0)
        std::fprintf(stderr, "vam-cli %s: MQTT: %d damaged line(s) of the spool were skipped\n", command_,
                     loaded.damaged);
    return true;
}

void CliMqtt::Record(const AppState& s, bool replace)
{
    if (publisher_)
        publisher_->Record(s, replace);
}

// Said when the link's state changes, not at every retry.
void CliMqtt::Report()
{
    const Publisher::State state = publisher_->LinkState();
    // The reason of each retry is not news; another refusal is.
    if (state == said_ && !(state == Publisher::State::Refused && publisher_->Problem() != saidProblem_))
        return;
    said_ = state;
    saidProblem_ = publisher_->Problem();
    std::fflush(stdout);
    const QString address = target_.Address();
    switch (state) {
    case Publisher::State::Connected:
        if (connectedBefore_)
            std::fprintf(stderr, "vam-cli %s: MQTT: connected to %s again; %d waiting reading(s) are sent\n", command_,
                         qPrintable(address), publisher_->Waiting());
        else
            std::fprintf(stderr, "vam-cli %s: MQTT: connected to %s\n", command_, qPrintable(address));
        connectedBefore_ = true;
        break;
    case Publisher::State::Unreachable:
        std::fprintf(stderr, "vam-cli %s: MQTT: %s not reached (%s); readings wait in the spool\n", command_,
                     qPrintable(address), qPrintable(publisher_->Problem()));
        break;
    case Publisher::State::Refused:
        std::fprintf(stderr,
                     "vam-cli %s: MQTT: %s refused the connection: %s; logging goes on, readings wait in the spool\n",
                     command_, qPrintable(address), qPrintable(publisher_->Problem()));
        break;
    case Publisher::State::Off:
    case Publisher::State::Connecting:
        break;
    }
}

void CliMqtt::Finish()
{
    if (!publisher_)
        return;
    const int left = publisher_->Drain(drainMs_);
    publisher_->Stop(1000);
    std::fflush(stdout);
    if (publisher_->Dropped() > 0)
        std::fprintf(stderr, "vam-cli %s: MQTT: %llu reading(s) did not fit the full spool and were not published\n",
                     command_, static_cast<unsigned long long>(publisher_->Dropped()));
    if (left == 0)
        std::fprintf(stderr, "vam-cli %s: MQTT: every reading was acknowledged by the broker\n", command_);
    else
        std::fprintf(stderr,
                     "vam-cli %s: MQTT: %d reading(s) stay in the spool %s; they are sent at the next run with "
                     "the same bench and folder\n",
                     command_, left, qPrintable(spoolPath_));
    publisher_.reset();
}
