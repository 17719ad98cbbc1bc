#pragma once
// The link to a broker through libmosquitto. The client runs in a thread of
// its own with its own event loop: its socket on QSocketNotifiers, a timer
// for its keep-alive and the connect time limit. Whatever the network does
// (a host name that takes long to resolve, a broker that never answers), the
// thread that made the link only posts to it and gets signals back; nothing
// it calls waits on the network, except Close, which waits the time it is
// given.
//
// Each connection is a clean session: what a lost connection held is
// forgotten, and the publisher hands it over again. The will, retained on
// <prefix>/<bench>/status, says "offline"; a connection says "online" there
// first thing, and Close says "offline" before it disconnects.

#include "core/publish/publishlink.h"

#include <functional>

class QThread;
class LinkWorker;

class MosquittoLink : public PublishLink {
    Q_OBJECT
public:
    struct Timing {
        int connectLimitMs = 10000; // a connection not made by then is given up and tried again
        int retryFirstMs = 1000;    // after a loss; doubling up to retryLastMs
        int retryLastMs = 4000;
        int refusedRetryMs = 30000; // after the broker refused the connection
        int keepAliveS = 30;
        bool announce = true;       // the status topic and the will (a test connection leaves them alone)
    };

    explicit MosquittoLink(QObject* parent = nullptr);
    explicit MosquittoLink(const Timing& timing, QObject* parent = nullptr);
    ~MosquittoLink() override;

    void Open(const MqttTarget& target) override;
    void Send(quint64 epoch, const std::vector<OutMessage>& messages) override;
    void SyncFile(int fd) override;
    void Close(int ms) override;

private:
    QThread* thread_ = nullptr;
    LinkWorker* worker_ = nullptr;
    bool stuck_ = false; // the thread did not end in time: left to the end of the process
};

// The settings dialog's Test: connects once, then says how it went through
// `done` (on the caller's thread, at most `ms` later): "" when the broker
// accepted the connection, else why not. `refused`: the broker answered no.
void ProbeBroker(const MqttTarget& target, int ms, QObject* context,
                 std::function<void(const QString& problem, bool refused)> done);
