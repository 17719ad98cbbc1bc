#include "core/devices/tokenizer.h"

#include "core/devices/units.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

bool IsNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.';
}
} // namespace

bool IsControlChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == 13 || u == 10 || u == 9 || u == 8 || u == 12;
}

QString TrimSpaces(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == QLatin1Char(' '))
        ++b;
    while (e > b && text[e - 1] == QLatin1Char(' '))
        --e;
    return (b == 0 && e == text.size()) ? text : text.mid(b, e - b);
}

QString ReadToken(QString& text, QString& delimiters, int flags)
{
    QString token;
    qsizetype i = 0;
    bool stopped = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (delimiters.contains(c) || ((flags & StopAtControl) && IsControlChar(c))) {
            stopped = true;
            break;
        }
        if (c.unicode() >= 32)
            token += c;
    }
    const QChar stop = stopped ? text[i] : QChar();
    text.remove(0, i);
    if (stopped && delimiters.contains(stop) && (flags & ConsumeDelimiter) && !text.isEmpty())
        text.remove(0, 1);
    delimiters = stopped ? QString(stop) : QString();
    return TrimSpaces(token);
}

QString ReadToken(QString& text, QChar delimiter, int flags, QString* stop)
{
    QString d(delimiter);
    const QString token = ReadToken(text, d, flags);
    if (stop)
        *stop = d;
    return token;
}

QString ReadNumber(QString& text, int flags)
{
    qsizetype i = 0;
    while (i < text.size() && !IsNumberChar(text[i])) {
        if ((flags & StopAtControl) && IsControlChar(text[i]))
            break;
        ++i;
    }
    qsizetype j = i;
    while (j < text.size() && IsNumberChar(text[j]))
        ++j;
    const QString number = TrimSpaces(text.mid(i, j - i));
    text.remove(0, j);
    return ToLocaleDecimal(number);
}

void SkipField(QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && !IsControlChar(text[i]))
        ++i;
    if (i >= text.size()) {
        text.clear();
        return;
    }
    qsizetype end = i + 1;
    if (text[i] == QLatin1Char('\r') && end < text.size() && text[end] == QLatin1Char('\n'))
        ++end;
    text.remove(0, end);
}

void SkipLeadingControls(QString& text)
{
    qsizetype i = 0;
    while (text.size() - i >= 2 && IsControlChar(text[i]))
        ++i;
    text.remove(0, i);
}

QString StripControls(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u != 9 && u != 13 && u != 10 && u != 12)
            out += c;
    }
    return out;
}

QString TakeLine(QString& text)
{
    const qsizetype at = text.indexOf(kCrLf);
    if (at < 0)
        return QString();
    const QString line = text.left(at + 2);
    text.remove(0, at + 2);
    return line;
}

namespace {
// Only digits and `separators`, starting and ending with a digit, with
// `minSeparators`..`maxSeparators` separators of one kind.
bool DigitsWithSeparators(const QString& text, const char* separators, int minSeparators, int maxSeparators)
{
    if (text.size() < 3 || !text.front().isDigit() || !text.back().isDigit())
        return false;
    QChar used;
    int count = 0;
    for (QChar c : text) {
        if (c.unicode() >= '0' && c.unicode() <= '9')
            continue;
        if (!QByteArray(separators).contains(char(c.unicode() & 0x7F)) || c.unicode() > 127)
            return false;
        if (!used.isNull() && c != used)
            return false;
        used = c;
        ++count;
    }
    return count >= minSeparators && count <= maxSeparators;
}
} // namespace

bool LooksLikeDate(const QString& text) { return DigitsWithSeparators(text, "/-.", 2, 2); }
bool LooksLikeTime(const QString& text) { return DigitsWithSeparators(text, ":.", 1, 2); }
