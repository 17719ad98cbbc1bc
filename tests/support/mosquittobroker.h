#pragma once
// A Mosquitto broker of the test's own (Debian's mosquitto) on a free port of
// the loopback, with its persistence in a temporary folder, stopped and
// started again on the same port and folder; and a subscriber with a lasting
// session (QoS 1, clean session off) that gathers what it receives. The
// broker ends with the test, also when the test fails.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "support/loopbackport.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mosquitto.h>
#include <mutex>
#include <unistd.h>
#include <vector>

class MosquittoBroker {
public:
    // With a user, the broker takes only that user with that password.
    explicit MosquittoBroker(const QString& user = QString(), const QString& password = QString())
    {
        port_ = FreeLoopbackPort();
        QString conf = QStringLiteral("listener %1 127.0.0.1\npersistence true\npersistence_location %2/\n"
                                      "log_dest stderr\nlog_type all\n")
                           .arg(port_)
                           .arg(dir_.path());
        // Started by root, mosquitto would become the user "mosquitto", who
        // may not enter the test's folder.
        if (::geteuid() == 0)
            conf += QStringLiteral("user root\n");
        if (user.isEmpty()) {
            conf += QStringLiteral("allow_anonymous true\n");
        } else {
            const QString passwords = dir_.filePath(QStringLiteral("passwords"));
            QProcess::execute(QStringLiteral("mosquitto_passwd"),
                              {QStringLiteral("-b"), QStringLiteral("-c"), passwords, user, password});
            conf += QStringLiteral("allow_anonymous false\npassword_file %1\n").arg(passwords);
        }
        QFile f(dir_.filePath(QStringLiteral("mosquitto.conf")));
        if (f.open(QIODevice::WriteOnly))
            f.write(conf.toUtf8());
    }
    ~MosquittoBroker() { Stop(); }
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    // Starts it and waits until it says it runs (at most 10 s); false when it did not.
    bool Start()
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), dir_.filePath(QStringLiteral("mosquitto.conf"))});
        QByteArray said;
        while (!said.contains(" running") && process_.waitForReadyRead(10000))
            said += process_.readAll();
        log_ += said;
        return said.contains(" running");
    }
    // Ends it as a service manager would (it saves its sessions first).
    void Stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
        log_ += process_.readAll();
    }
    int Port() const { return port_; }
    QString Log() { return QString::fromUtf8(log_ + process_.readAll()); }

private:

    QTemporaryDir dir_;
    QProcess process_;
    QByteArray log_;
    int port_ = 0;
};

// A subscriber with a lasting session: it reconnects by itself after the
// broker went away and gets what was published for it meanwhile.
class MqttSubscriber {
public:
    struct Message {
        QByteArray topic;
        QByteArray payload;
        bool retained;
    };

    MqttSubscriber(int port, const QByteArray& clientId, const QByteArray& topic) : topic_(topic)
    {
        mosquitto_lib_init();
        m_ = mosquitto_new(clientId.constData(), false, this);
        mosquitto_connect_callback_set(m_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, static_cast<MqttSubscriber*>(self)->topic_.constData(), 1);
        });
        mosquitto_subscribe_callback_set(m_, [](mosquitto*, void* self, int, int, const int*) {
            auto* s = static_cast<MqttSubscriber*>(self);
            std::lock_guard<std::mutex> lock(s->mutex_);
            ++s->subscribed_;
            s->changed_.notify_all();
        });
        mosquitto_message_callback_set(m_, [](mosquitto*, void* self, const mosquitto_message* msg) {
            auto* s = static_cast<MqttSubscriber*>(self);
            std::lock_guard<std::mutex> lock(s->mutex_);
            s->messages_.push_back({QByteArray(msg->topic),
                                    QByteArray(static_cast<const char*>(msg->payload), msg->payloadlen), msg->retain});
            s->changed_.notify_all();
        });
        mosquitto_reconnect_delay_set(m_, 1, 1, false);
        mosquitto_connect_async(m_, "127.0.0.1", port, 30);
        mosquitto_loop_start(m_);
    }
    ~MqttSubscriber()
    {
        mosquitto_disconnect(m_);
        mosquitto_loop_stop(m_, true);
        mosquitto_destroy(m_);
    }
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    // Waits (at most `ms`) until `done` holds for what was received; false when it did not.
    bool WaitFor(const std::function<bool(const std::vector<Message>&)>& done, int ms)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done(messages_); });
    }
    // Waits (at most `ms`) until the broker has confirmed the subscription.
    bool WaitSubscribed(int ms)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return subscribed_ > 0; });
    }
    std::vector<Message> Messages()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
    }

private:
    QByteArray topic_;
    mosquitto* m_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
    int subscribed_ = 0;
};
