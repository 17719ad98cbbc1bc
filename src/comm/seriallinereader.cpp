#include "comm/seriallinereader.h"

#include "platform/serial/serialportservice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

SerialLineReader::SerialLineReader(SerialPortService& port) : port_(port) { clock_.start(); }

bool SerialLineReader::CommConditiesOK() const { return port_.IsOpen() && !stopped_; }

void SerialLineReader::BeginCycle(int idleLimitMs)
{
    idleLimitMs_ = qMax(0, idleLimitMs);
    stopped_ = false;
    inCycle_ = true;
}

void SerialLineReader::EndCycle()
{
    idleLimitMs_ = 0;
    stopped_ = false;
    inCycle_ = false;
}

void SerialLineReader::Interrupt()
{
    stopped_ = true;
    if (waiting_)
        waiting_->quit();
}

void SerialLineReader::Write(const QByteArray& bytes) { port_.Write(bytes); }

void SerialLineReader::ClearBuffers() { port_.ClearBuffers(); }

void SerialLineReader::EchoSent(const QString& text)
{
    if (onSent)
        onSent(text);
}

void SerialLineReader::OnReceived(const QString& text)
{
    if (onReceived)
        onReceived(text);
}

void SerialLineReader::OnDropped(int count)
{
    if (onDropped)
        onDropped(count);
}

double SerialLineReader::ElapsedSeconds() const { return clock_.nsecsElapsed() / 1e9; }

QString SerialLineReader::TakeInput() { return QString::fromLatin1(port_.ReadAll()); }

void SerialLineReader::WaitForPort(int ms, bool forWrites)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&port_, forWrites ? &SerialPortService::BytesWritten : &SerialPortService::ReadyRead, &loop,
                     &QEventLoop::quit);
    QObject::connect(&port_, &SerialPortService::Closed, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &SerialPortService::ErrorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    if (ms >= 0)
        timer.start(ms);
    QEventLoop* outer = waiting_;
    waiting_ = &loop;
    loop.exec();
    waiting_ = outer;
}

void SerialLineReader::WaitForInput(double maxSeconds)
{
    if (onPass)
        onPass();
    if (!port_.IsOpen() || stopped_)
        return;
    if (maxSeconds == 0 || port_.InputCount() > 0) {
        // Something is there or nothing may be waited for: let pending events run once.
        QCoreApplication::processEvents();
        return;
    }
    if (maxSeconds < 0 && idleLimitMs_ > 0) {
        WaitForPort(idleLimitMs_, false);
        if (port_.IsOpen() && port_.InputCount() == 0)
            stopped_ = true; // nothing came: the cycle ends, the next one tries again
        return;
    }
    WaitForPort(maxSeconds < 0 ? -1 : int(std::ceil(maxSeconds * 1000.0)), false);
}

void SerialLineReader::WachtenLedigenOutputBuffer()
{
    // A port that cannot drain (e.g. the other end stalls) releases the wait
    // after a few seconds; the reader goes on, and a closed port ends it.
    QElapsedTimer guard;
    guard.start();
    while (port_.IsOpen() && port_.OutputCount() > 0 && guard.elapsed() < 5000)
        WaitForPort(200, true);
    port_.SetRts(false);
}

void SerialLineReader::WaitMilliseconds(int ms)
{
    if (ms <= 0)
        return;
    ms = qMin(ms, 65535);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &loop, &QEventLoop::quit);
    loop.exec();
}
