#pragma once
// --mqtt of log and receive: every recorded reading published to a broker
// through the spool beside the data file (--out), or in the user's data
// folder without one. What the link does is said on stderr when it changes;
// at the end the run waits up to --mqtt-drain seconds (10 by default) for the
// broker to acknowledge what the spool holds, and says what stays in it.

#include "core/publish/publisher.h"

#include <QString>
#include <memory>

class CliArgs;
struct AppState;

class CliMqtt {
public:
    explicit CliMqtt(const char* command) : command_(command) {}
    ~CliMqtt();
    // Reads --mqtt, --bench, --mqtt-ca and --mqtt-drain (which the command
    // lets `args` take); false after a message (a usage error). Without
    // --mqtt nothing is published and the rest does nothing.
    bool Configure(CliArgs& args, const QString& dataFile);
    bool Enabled() const { return enabled_; }
    // Opens the spool and starts connecting; false after a message.
    bool Start();
    void Record(const AppState& s, bool replace);
    // The wait for the broker, then what stays in the spool; the link closed.
    void Finish();

private:
    void Report();

    const char* command_;
    bool enabled_ = false;
    MqttTarget target_;
    QString spoolPath_;
    int drainMs_ = 10000;
    std::unique_ptr<Publisher> publisher_;
    Publisher::State said_ = Publisher::State::Connecting;
    QString saidProblem_;
    bool connectedBefore_ = false;
};
