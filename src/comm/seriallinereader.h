#pragma once
// The line reader on the real serial port. Every wait is a nested event loop
// woken by the port (data, bytes written, closing, errors) or a timer, so the
// interface keeps running and a silent meter costs no CPU.

#include "core/devices/linereader.h"

#include <QElapsedTimer>
#include <functional>

class QEventLoop;
class SerialPortService;

class SerialLineReader : public LineReader {
public:
    explicit SerialLineReader(SerialPortService& port);

    bool CommConditiesOK() const override;
    void Write(const QByteArray& bytes) override;
    void ClearBuffers() override;
    // Waits `ms` milliseconds (at most 65535), yielding.
    void WaitMilliseconds(int ms) override;
    void EchoSent(const QString& text) override;

    // Hooks to the windows: received and sent text for the terminal, a note
    // when unclosed text was dropped, and one call per wait pass (re-tiling).
    std::function<void(const QString&)> onReceived;
    std::function<void(const QString&)> onSent;
    std::function<void(int)> onDropped;
    std::function<void()> onPass;

    // Waits until everything written has left, then drops RTS.
    void WachtenLedigenOutputBuffer();

    // A reading of the poll cycle: a wait without a limit ends after
    // `idleLimitMs` without input, and the reading then ends as if the port
    // had closed, so a silent meter cannot hold the cycle (0: no limit).
    void BeginCycle(int idleLimitMs);
    void EndCycle();
    // A reading of the poll cycle is under way (between BeginCycle and EndCycle).
    bool InCycle() const { return inCycle_; }
    // Ends the reading under way at its next wait (the port stays open).
    void Interrupt();

protected:
    void WaitForInput(double maxSeconds) override;
    QString TakeInput() override;
    double ElapsedSeconds() const override;
    void DrainOutput() override { WachtenLedigenOutputBuffer(); }
    void OnReceived(const QString& text) override;
    void OnDropped(int count) override;

private:
    // Runs a nested event loop until the port signals, it closes, or `ms` pass (-1: no limit).
    void WaitForPort(int ms, bool forWrites);

    SerialPortService& port_;
    QElapsedTimer clock_;
    int idleLimitMs_ = 0;
    bool inCycle_ = false;
    bool stopped_ = false;
    QEventLoop* waiting_ = nullptr;
};
