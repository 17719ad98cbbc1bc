#pragma once
// A LineReader that replays scripted input: chunks of text, each optionally
// after a silence, on a virtual clock. The port closes when the script ends.
// Used by the tests and by offline decoding of captured meter output.

#include "core/devices/linereader.h"

#include <QList>

class ScriptedLineReader : public LineReader {
public:
    struct Chunk {
        QString text;
        double silenceBefore = 0; // seconds of silence before the chunk arrives
    };

    ScriptedLineReader() = default;
    explicit ScriptedLineReader(const QStringList& chunks);

    void Append(const QString& text, double silenceBefore = 0);
    // Text cut into pieces of at most `size` characters.
    void AppendSplit(const QString& text, int size);
    // Text cut after every line feed (and long lines into 4096-character
    // pieces), the way a meter printing line by line arrives.
    void AppendLines(const QString& text);

    bool CommConditiesOK() const override { return open_; }
    void Write(const QByteArray& bytes) override { written_ += bytes; }
    void ClearBuffers() override { ++clears_; }
    // Time passes on the virtual clock; chunks due meanwhile are not lost.
    void WaitMilliseconds(int ms) override { clock_ += ms / 1000.0; waited_ += ms; }
    void EchoSent(const QString& text) override { echoed_ += text; }

    void Close() { open_ = false; }
    const QByteArray& Written() const { return written_; }
    int Clears() const { return clears_; }
    bool AtEnd() const { return next_ >= chunks_.size(); }
    qsizetype Position() const { return next_; }
    double Now() const { return clock_; }
    int Dropped() const { return dropped_; }
    qint64 Waited() const { return waited_; }
    const QString& Echoed() const { return echoed_; }

protected:
    void WaitForInput(double maxSeconds) override;
    QString TakeInput() override;
    double ElapsedSeconds() const override { return clock_; }
    void OnDropped(int count) override { dropped_ += count; }

private:
    QList<Chunk> chunks_;
    qsizetype next_ = 0;
    bool ready_ = false; // chunks_[next_] has arrived
    bool open_ = true;
    bool timedOutAtEnd_ = false;
    double clock_ = 0;
    QByteArray written_;
    int clears_ = 0;
    int dropped_ = 0;
    qint64 waited_ = 0;
    QString echoed_;
};
