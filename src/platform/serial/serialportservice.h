#pragma once
// The serial-port service the program needs: configure, open and close, read
// the whole input buffer, write, buffer counts, DTR and RTS, and error events.
// The production implementation sits on QSerialPort; tests substitute their own.

#include <QByteArray>
#include <QObject>
#include <QString>

class SerialPortService : public QObject {
    Q_OBJECT
public:
    // Error events numbered as the program reports them: numbers of 8 and more
    // are errors; kPortGone means the port or its USB adapter has gone away.
    enum ErrorEvent { kFirstErrorEvent = 8, kPortGone = 8002, kResourceError = 8015 };

    using QObject::QObject;
    ~SerialPortService() override = default;

    // `device` is a device path (/dev/ttyS0, /dev/ttyUSB0, /dev/pts/3);
    // `lineSettings` is "9600,N,8,1".
    virtual bool Configure(const QString& device, const QString& lineSettings) = 0;
    virtual QString Device() const = 0;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual QByteArray ReadAll() = 0;
    virtual bool Write(const QByteArray& bytes) = 0;
    virtual qint64 InputCount() const = 0;
    virtual qint64 OutputCount() const = 0;
    // Empties the input and output buffers.
    virtual void ClearBuffers() = 0;
    // A failed line-signal switch (a pseudo-terminal has none) is not a port failure.
    virtual bool SetDtr(bool on) = 0;
    virtual bool SetRts(bool on) = 0;
    virtual QString ErrorText() const = 0;

Q_SIGNALS:
    void ReadyRead();
    void BytesWritten();
    // An error event (number >= 8) while open; the port may be closed already.
    void ErrorOccurred(int event);
    void Closed();
};

// The production service over QSerialPort.
SerialPortService* CreateQtSerialPort(QObject* parent = nullptr);
