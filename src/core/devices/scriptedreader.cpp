#include "core/devices/scriptedreader.h"

ScriptedLineReader::ScriptedLineReader(const QStringList& chunks)
{
    for (const QString& c : chunks)
        Append(c);
}

void ScriptedLineReader::Append(const QString& text, double silenceBefore)
{
    chunks_.append(Chunk{text, silenceBefore});
}

void ScriptedLineReader::AppendSplit(const QString& text, int size)
{
    size = qMax(1, size);
    for (qsizetype i = 0; i < text.size(); i += size)
        Append(text.mid(i, size));
}

void ScriptedLineReader::AppendLines(const QString& text)
{
    constexpr qsizetype kPiece = 4096;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        end = (end < 0) ? text.size() : end + 1;
        end = qMin(end, start + kPiece);
        Append(text.mid(start, end - start));
        start = end;
    }
}

void ScriptedLineReader::WaitForInput(double maxSeconds)
{
    if (!open_ || ready_)
        return;
    if (next_ >= chunks_.size()) {
        // The script is over. The first limited wait runs into its time-out
        // (a meter that printed a short reading and fell silent); whoever
        // waits for more after that finds the port closed.
        if (maxSeconds > 0 && !timedOutAtEnd_) {
            clock_ += maxSeconds;
            timedOutAtEnd_ = true;
        } else if (maxSeconds != 0) {
            open_ = false;
        }
        return;
    }
    Chunk& c = chunks_[next_];
    if (maxSeconds >= 0 && c.silenceBefore > maxSeconds) {
        clock_ += maxSeconds;
        c.silenceBefore -= maxSeconds;
        return;
    }
    clock_ += c.silenceBefore;
    c.silenceBefore = 0;
    ready_ = true;
}

QString ScriptedLineReader::TakeInput()
{
    if (!ready_)
        return QString();
    ready_ = false;
    return chunks_[next_++].text;
}
