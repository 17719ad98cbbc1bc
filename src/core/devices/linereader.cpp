#include "core/devices/linereader.h"

bool TestSluitkode(const QString& text, const QString& code)
{
    return code.isEmpty() || text.contains(code);
}

void LineReader::LeesLijnRs232(QString& buffer, const QString& closing, float& timeout)
{
    DrainOutput();
    const bool limited = timeout > 0.001f;
    const double start = ElapsedSeconds();
    // The closing text may straddle the old buffer and new input: only the old
    // buffer's tail needs testing again.
    const int overlap = int(closing.size()) - 1;
    bool found = TestSluitkode(buffer, closing);
    QString received;
    for (;;) {
        double wait = -1;
        if (found)
            wait = 0;
        else if (limited)
            wait = qMax(0.0, start + timeout - ElapsedSeconds());
        WaitForInput(wait);
        if (CommConditiesOK()) {
            const QString in = TakeInput();
            if (!in.isEmpty()) {
                received += in;
                OnReceived(in);
            }
        }
        if (limited && ElapsedSeconds() - start >= timeout)
            timeout = -1;
        if (!found) {
            const QString tail = buffer.right(qMax(0, overlap)) + received;
            found = TestSluitkode(tail, closing);
        }
        if (!found && buffer.size() + received.size() > kMaxUnclosedText) {
            int drop = int(buffer.size() + received.size()) - kMaxUnclosedText;
            const int fromBuffer = qMin(drop, int(buffer.size()));
            buffer.remove(0, fromBuffer);
            received.remove(0, drop - fromBuffer);
            OnDropped(drop);
        }
        if (!CommConditiesOK() || timeout < 0 || found)
            break;
    }
    buffer += received;
}

void LineReader::ReadSome(QString& text)
{
    WaitForInput(-1);
    if (!CommConditiesOK())
        return;
    const QString in = TakeInput();
    if (!in.isEmpty()) {
        text += in;
        OnReceived(in);
    }
}
