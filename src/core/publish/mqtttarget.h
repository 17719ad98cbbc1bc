#pragma once
// The broker a publisher talks to and the topics it writes, from a command
// line's "mqtt://[user[:password]@]host[:port]/prefix" (mqtts:// for TLS) or
// from the window's settings.
//
// Topics: <prefix>/<bench>/readings (every reading, JSON), <prefix>/<bench>/last
// (the newest, retained), <prefix>/<bench>/<channel>/value (the channel's
// number as plain text, retained) and <prefix>/<bench>/status ("online", or
// "offline" as the will when the program goes away without a word).

#include "core/publish/mqttsettings.h"

#include <QByteArray>
#include <QString>

struct MqttTarget {
    QString host;
    int port = 0; // 0 = 1883, or 8883 with TLS
    bool tls = false;
    QString user;
    QString password;
    QString prefix; // "" or levels without a leading or trailing "/"
    QString bench;
    QString caFile; // "" = the system's certificates (TLS only)

    int Port() const { return port > 0 ? port : (tls ? 8883 : 1883); }
    // "host:port" ("[::1]:1883"), for messages; never with the password.
    QString Address() const;
    QByteArray ReadingsTopic() const { return Topic("readings"); }
    QByteArray LastTopic() const { return Topic("last"); }
    QByteArray StatusTopic() const { return Topic("status"); }
    QByteArray ValueTopic(int channel) const;

private:
    QByteArray Topic(const char* leaf) const;
};

// A broker URL into `target` (its bench left alone); false with the reason in
// `error`. The user and password may be percent-encoded ("p%40ss" for "p@ss").
bool ParseMqttUrl(const QString& url, MqttTarget& target, QString* error);
// "host", "host:port" or "[v6address]:port".
bool ParseBrokerAddress(const QString& text, QString& host, int& port, QString* error);
// A topic prefix: levels split by "/", none empty, no "+" or "#"; "" is allowed.
bool CheckTopicPrefix(const QString& prefix, QString* error);
// A bench name is one topic level: not empty, at most 64 characters, no "/",
// "+", "#" or control characters.
bool CheckBenchName(const QString& bench, QString* error);
// The bench name when none is given: the computer's name.
QString DefaultBenchName();

// The window's settings and the stored password as a target; false with the
// reason when the broker, prefix or bench is not valid.
bool TargetFromSettings(const MqttSettings& settings, const QString& password, MqttTarget& target,
                        QString* error);
