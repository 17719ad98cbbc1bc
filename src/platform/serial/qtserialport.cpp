#include "platform/serial/serialportservice.h"

#include <QSerialPort>

namespace {
class QtSerialPort : public SerialPortService {
public:
    explicit QtSerialPort(QObject* parent) : SerialPortService(parent), port_(this)
    {
        connect(&port_, &QSerialPort::readyRead, this, &SerialPortService::ReadyRead);
        connect(&port_, &QSerialPort::bytesWritten, this, &SerialPortService::BytesWritten);
        connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
            // Switching a line signal the device lacks (a pseudo-terminal has
            // no RTS) and our own misuse are not line errors.
            if (e == QSerialPort::NoError || e == QSerialPort::UnsupportedOperationError
                || e == QSerialPort::TimeoutError || e == QSerialPort::NotOpenError || !port_.isOpen())
                return;
            int event = kFirstErrorEvent;
            if (e == QSerialPort::ResourceError || e == QSerialPort::PermissionError || e == QSerialPort::DeviceNotFoundError)
                event = kPortGone; // the device has gone away (cable pulled, adapter removed)
            if (event == kPortGone) {
                port_.close();
                Q_EMIT Closed();
            }
            Q_EMIT ErrorOccurred(event);
        });
    }

    bool Configure(const QString& device, const QString& lineSettings) override
    {
        if (port_.isOpen())
            return false;
        port_.setPortName(device);
        const QStringList parts = lineSettings.split(QLatin1Char(','));
        bool ok = false;
        const int baud = parts.value(0).trimmed().toInt(&ok);
        if (!ok || baud <= 0)
            return false;
        port_.setBaudRate(baud);
        port_.setParity(QSerialPort::NoParity);
        port_.setDataBits(QSerialPort::Data8);
        port_.setStopBits(QSerialPort::OneStop);
        port_.setFlowControl(QSerialPort::NoFlowControl);
        return true;
    }
    QString Device() const override { return port_.portName(); }
    bool Open() override
    {
        if (port_.isOpen())
            return true;
        port_.clearError();
        return port_.open(QIODevice::ReadWrite);
    }
    void Close() override
    {
        if (!port_.isOpen())
            return;
        port_.close();
        Q_EMIT Closed();
    }
    bool IsOpen() const override { return port_.isOpen(); }
    QByteArray ReadAll() override { return port_.isOpen() ? port_.readAll() : QByteArray(); }
    bool Write(const QByteArray& bytes) override { return port_.isOpen() && port_.write(bytes) == bytes.size(); }
    qint64 InputCount() const override { return port_.bytesAvailable(); }
    qint64 OutputCount() const override { return port_.bytesToWrite(); }
    void ClearBuffers() override
    {
        if (port_.isOpen())
            port_.clear(QSerialPort::AllDirections);
    }
    bool SetDtr(bool on) override { return port_.isOpen() && port_.setDataTerminalReady(on); }
    bool SetRts(bool on) override { return port_.isOpen() && port_.setRequestToSend(on); }
    QString ErrorText() const override { return port_.errorString(); }

private:
    QSerialPort port_;
};
} // namespace

SerialPortService* CreateQtSerialPort(QObject* parent) { return new QtSerialPort(parent); }
