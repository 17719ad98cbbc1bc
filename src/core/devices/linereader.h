#pragma once
// How parsers receive text from the meter. A parser never touches a port: it
// asks a LineReader to append arriving text to its buffer until a closing text
// has arrived. The waiting loop is shared; a subclass supplies the port (a
// serial port, or a scripted feed in tests and offline decoding).

#include <QByteArray>
#include <QString>

// True when `code` is empty or occurs in `text` (case-sensitive).
bool TestSluitkode(const QString& text, const QString& code);

class LineReader {
public:
    // Text without a closing text is never kept beyond this many characters:
    // the oldest is dropped (and reported) so garbage cannot grow without end.
    static constexpr int kMaxUnclosedText = 64 * 1024;

    virtual ~LineReader() = default;

    // Appends everything that arrives to `buffer` until `buffer` holds
    // `closing`, the port closes, or `timeout` seconds pass (0: no limit;
    // values up to 0.001 count as none). On expiry `timeout` becomes -1.
    void LeesLijnRs232(QString& buffer, const QString& closing, float& timeout);
    // The reader of the J70xx and G40xx parsers: the same contract.
    void LeesLijnRs232_J70xx(QString& buffer, const QString& closing, float& timeout)
    {
        LeesLijnRs232(buffer, closing, timeout);
    }

    // Waits, without a time limit, until text arrives or the port closes,
    // and appends what arrived to `text`. Raw capture uses it.
    void ReadSome(QString& text);

    // True while the port is open.
    virtual bool CommConditiesOK() const = 0;
    // Sends bytes to the meter.
    virtual void Write(const QByteArray& bytes) = 0;
    // Empties the port's input and output buffers.
    virtual void ClearBuffers() = 0;
    // Waits `ms` milliseconds, yielding (the interface stays responsive).
    virtual void WaitMilliseconds(int ms) = 0;
    // Sent text, for the terminal window (echo of sent commands).
    virtual void EchoSent(const QString& text) { Q_UNUSED(text); }

protected:
    // Waits, yielding, until input is there, the port closes or `maxSeconds`
    // pass (negative: no limit; 0: do not wait).
    virtual void WaitForInput(double maxSeconds) = 0;
    // Everything that has arrived, as Latin-1 text.
    virtual QString TakeInput() = 0;
    // A monotonic clock in seconds.
    virtual double ElapsedSeconds() const = 0;
    // Waits until everything written has left (before a reply is awaited).
    virtual void DrainOutput() {}
    // Received text, for the terminal window.
    virtual void OnReceived(const QString& text) { Q_UNUSED(text); }
    // `count` characters of unclosed text were dropped.
    virtual void OnDropped(int count) { Q_UNUSED(count); }
};
