#pragma once
// The connection to a broker as the publisher sees it: messages handed over
// in order, each reading's acknowledgement reported back. The link keeps
// reconnecting by itself after a loss; each connection it makes has a number
// of its own (its epoch), and what was handed to an earlier connection is
// forgotten with it: the publisher hands it over again from its spool.
//
// Every signal arrives on the thread that made the link, and no call waits
// on the network (the real link, vam_publish's MosquittoLink, runs the
// network in a thread of its own); tests put a scripted link in its place.

#include "core/publish/mqtttarget.h"

#include <QObject>
#include <vector>

struct OutMessage {
    QByteArray topic;
    QByteArray payload;
    bool retain = false;
    quint64 seq = 0; // a reading whose acknowledgement is wanted; 0 for none
};

enum class LinkProblem { Unreachable, Refused };

class PublishLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts connecting to `target` (again after every loss, until Close).
    virtual void Open(const MqttTarget& target) = 0;
    // Publishes `messages` in order, QoS 1, on connection `epoch`; dropped
    // when that connection is no longer the link's.
    virtual void Send(quint64 epoch, const std::vector<OutMessage>& messages) = 0;
    // Has the file behind `fd` (a duplicate, closed by the link) synced to the disk.
    virtual void SyncFile(int fd) = 0;
    // Says the bench is offline and disconnects, waiting at most `ms` for it.
    virtual void Close(int ms) = 0;

Q_SIGNALS:
    void Connected(quint64 epoch);
    void Lost(LinkProblem problem, const QString& why);
    void Acknowledged(quint64 epoch, quint64 seq);
};
