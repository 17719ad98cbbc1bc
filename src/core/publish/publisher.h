#pragma once
// Every recorded reading published to a broker, none lost: a reading is
// numbered and kept in the spool the moment it is recorded, handed to the
// link in order while the broker is connected (at most a window of them
// unacknowledged at a time), and leaves the spool once the broker has
// acknowledged it and every reading before it. After a loss the link
// reconnects and the spool is sent again from its oldest reading, so a
// reading may arrive twice (with the same seq) but never not at all.
//
// Besides the JSON of every reading on <prefix>/<bench>/readings, the newest
// reading handed over also goes, retained, to <prefix>/<bench>/last and its
// channels' values to <prefix>/<bench>/<channel>/value (a backlog sent after
// a loss gives its retained topics only its newest reading).
//
// A logger record that a meter prints over several lines (Receive) grows:
// it is kept back until the next record starts or a second passes without
// it changing, so the broker gets it whole, once.

#include "core/publish/mqtttarget.h"
#include "core/publish/publishlink.h"
#include "core/publish/readingjson.h"
#include "core/publish/spool.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <set>

struct AppState;

class Publisher : public QObject {
    Q_OBJECT
public:
    enum class State { Off, Connecting, Connected, Unreachable, Refused };
    // Readings handed to the link and not yet acknowledged, at most.
    static constexpr int kWindow = 200;

    explicit Publisher(std::unique_ptr<PublishLink> link, int capacity = Spool::kDefaultCapacity,
                       QObject* parent = nullptr);
    ~Publisher() override;

    // Opens the spool at `spoolPath` (what an earlier run left in it is sent
    // first) and starts connecting. False, with the reason, when the spool
    // cannot be used.
    bool Start(const MqttTarget& target, const QString& spoolPath, QString* error);
    // The reading the acquisition has just recorded (`replace`: the last
    // record grew by a line).
    void Record(const AppState& s, bool replace);
    // Runs the event loop until the broker has acknowledged every reading,
    // at most `ms` (not at all when it refused the connection); the readings
    // still waiting.
    int Drain(int ms);
    // Says offline, disconnects (at most `ms`) and closes the spool.
    void Stop(int ms = 1000);

    bool Running() const { return running_; }
    State LinkState() const { return state_; }
    // Why the broker is not connected ("" when it is).
    const QString& Problem() const { return problem_; }
    // Readings not yet acknowledged (in the spool or kept back).
    int Waiting() const { return spool_.Count() + (pending_ ? 1 : 0); }
    // Readings not kept because the spool was full, in this run.
    quint64 Dropped() const { return dropped_; }
    const MqttTarget& Target() const { return target_; }
    const Spool& SpoolFile() const { return spool_; }

    // Where each bench's next number is kept for all its spools, so that a
    // spool started in another folder (another data folder, the window and
    // vam-cli) numbers on and a consumer never takes a new reading for a
    // repeat. Written when publishing stops and at most once a minute.
    static QString DefaultSequenceFile();
    QString sequenceFile = DefaultSequenceFile();

Q_SIGNALS:
    // The state or the number of waiting readings changed.
    void Changed();
    // The spool is full: from now on readings are not kept (said once until it has room again).
    void SpoolFull();
    // The spool could not be written or read (said once until it works again).
    void SpoolError(const QString& why);
    void Drained();

private:
    void CommitPending();
    void Pump();
    void AddRetained(std::vector<OutMessage>& out, const Spool::Entry& newest);
    void OnConnected(quint64 epoch);
    void OnLost(LinkProblem problem, const QString& why);
    void OnAcknowledged(quint64 epoch, quint64 seq);
    void Housekeep();
    void SetState(State state, const QString& problem);
    void SaveSequence();

    std::unique_ptr<PublishLink> link_;
    Spool spool_;
    MqttTarget target_;
    LocalOffsets offsets_;
    State state_ = State::Off;
    QString problem_;
    quint64 epoch_ = 0;
    quint64 nextToSend_ = 0;
    int inFlight_ = 0;
    std::set<quint64> acknowledged_; // beyond the spool's first reading
    std::unique_ptr<PublishedReading> pending_;
    QTimer pendingTimer_;
    QTimer housekeeping_;
    // The newest reading recorded in this run, for its retained value topics.
    quint64 newestSeq_ = 0;
    std::vector<std::pair<int, QByteArray>> newestValues_;
    std::set<int> retainedChannels_;
    quint64 dropped_ = 0;
    bool running_ = false;
    quint64 savedSeq_ = 0;
    int housekeepings_ = 0;
    bool fullSaid_ = false;
    bool errorSaid_ = false;
};
