#pragma once
// Where the window program publishes its readings, as the configuration keeps
// it (section [MQTT]). The password is not here: it lives in a file of its own
// that only the user can read (passwordstore.h), never in the configuration.

#include <QString>

struct MqttSettings {
    bool Publish = false;
    QString Broker;   // "host" or "host:port"
    QString Prefix;   // the topics' first levels, "lab" or "site/lab"
    QString Bench;    // "" = the computer's name
    QString User;
    bool Tls = false;
    QString CaFile;   // "" = the system's certificates

    bool operator==(const MqttSettings& o) const
    {
        return Publish == o.Publish && Broker == o.Broker && Prefix == o.Prefix && Bench == o.Bench
            && User == o.User && Tls == o.Tls && CaFile == o.CaFile;
    }
    bool operator!=(const MqttSettings& o) const { return !(*this == o); }
};
