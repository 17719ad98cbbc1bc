#pragma once
// A serial port in memory: records what is written, replies on cue, and can
// fail to open, vanish or raise error events.

#include "platform/serial/serialportservice.h"

#include <QSet>
#include <QTimer>
#include <functional>

class FakeSerialPort : public SerialPortService {
public:
    using SerialPortService::SerialPortService;

    bool Configure(const QString& device, const QString& lineSettings) override
    {
        if (open_)
            return false;
        device_ = device;
        settings_ = lineSettings;
        ++configures;
        return true;
    }
    QString Device() const override { return device_; }
    bool Open() override
    {
        if (open_)
            return true;
        if (failingDevices.contains(device_) || device_.isEmpty())
            return false;
        open_ = true;
        ++opens;
        return true;
    }
    void Close() override
    {
        if (!open_)
            return;
        open_ = false;
        Q_EMIT Closed();
    }
    bool IsOpen() const override { return open_; }
    QByteArray ReadAll() override
    {
        QByteArray b = input_;
        input_.clear();
        return b;
    }
    bool Write(const QByteArray& bytes) override
    {
        if (!open_)
            return false;
        written += bytes;
        ++writes;
        if (reply) {
            const QByteArray r = reply(bytes);
            if (!r.isEmpty())
                Deliver(r);
        }
        return true;
    }
    qint64 InputCount() const override { return input_.size(); }
    qint64 OutputCount() const override { return 0; }
    void ClearBuffers() override { input_.clear(); }
    bool SetDtr(bool) override { return false; } // like a pseudo-terminal
    bool SetRts(bool) override { return false; }
    QString ErrorText() const override { return QStringLiteral("No such file or directory"); }

    // Input arrives from the event loop, as from a real port.
    void Deliver(const QByteArray& bytes)
    {
        QTimer::singleShot(0, this, [this, bytes] {
            if (!open_)
                return;
            input_ += bytes;
            Q_EMIT ReadyRead();
        });
    }
    // The device disappears (cable pulled).
    void Vanish()
    {
        open_ = false;
        Q_EMIT Closed();
        Q_EMIT ErrorOccurred(kPortGone);
    }

    std::function<QByteArray(const QByteArray&)> reply; // answer to each write
    QSet<QString> failingDevices;
    QByteArray written;
    QString settings_;
    int writes = 0, opens = 0, configures = 0;

private:
    QString device_;
    bool open_ = false;
    QByteArray input_;
};
