#pragma once
// The tokenizer every family parser is written in. All operations work on the
// front of a text variable, which they shorten.

#include <QString>

// CR, LF, TAB, BS and FF: the characters that end a field.
bool IsControlChar(QChar c);

enum TokenFlags { ConsumeDelimiter = 1, StopAtControl = 2 };

// Takes characters up to (not including) the first one in `delimiters`, or any
// control character with StopAtControl, or the end of `text`. Characters below
// the space are left out of the token. A delimiter that ended the token is
// removed as well with ConsumeDelimiter. `delimiters` is overwritten with the
// character that stopped the token ("" at the end of the text). Returns the
// token with surrounding spaces trimmed.
QString ReadToken(QString& text, QString& delimiters, int flags);
// Convenience for a single delimiter; `stop` receives the stopping character.
QString ReadToken(QString& text, QChar delimiter, int flags, QString* stop = nullptr);

// Drops characters up to the first of "+-0123456789." (stopping at a control
// character with StopAtControl), takes the run of such characters and returns
// it trimmed, with "." as the locale's decimal separator. "" when none.
QString ReadNumber(QString& text, int flags);

// Drops up to and including the next control character (and an LF after a CR).
// Empties a text without a control character.
void SkipField(QString& text);

// Drops leading control characters while at least two characters remain.
void SkipLeadingControls(QString& text);

// Removes every TAB, CR, LF and FF.
QString StripControls(const QString& text);

// Removes `text` up to and including its first CR LF and returns it; returns
// "" and leaves `text` alone when it holds no CR LF.
QString TakeLine(QString& text);

// The shapes of a printed date ("02/03/26", "02-03-2026", "02.03.26") and
// time ("10:15:30", "10:15"): digits with two date separators, or digits
// with colons. Lines from noise rarely pass both.
bool LooksLikeDate(const QString& text);
bool LooksLikeTime(const QString& text);

// Surrounding spaces (not other white space) removed.
QString TrimSpaces(const QString& text);
