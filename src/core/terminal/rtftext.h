#pragma once
// Coloured text to and from rich-text (RTF) and plain-text files, for the
// terminal's Save and Open. Only what the terminal holds is kept: runs of text
// in one colour each, and one font for the whole text. The reader is written
// for our own files but reads other simple RTF (word-processor output) too:
// unknown control words and optional groups are skipped, and truncated or
// malformed input gives whatever text came before the damage.

#include "core/model/colors.h"

#include <QByteArray>
#include <QString>
#include <vector>

struct RtfRun {
    QString text;          // '\n' separates lines
    ColorValue color = 0;
    bool operator==(const RtfRun& o) const { return text == o.text && color == o.color; }
};

struct RtfFont {
    QString name;
    int pointSize = 0;     // 0: not given
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
};

struct RtfDocument {
    std::vector<RtfRun> runs;
    RtfFont font;
    QString PlainText() const;
};

// 7-bit ASCII RTF: Latin-1 letters as \'hh, everything else as \uN?.
QByteArray WriteRtf(const RtfDocument& doc);

// True when the data starts (after blanks) with "{\rtf".
bool LooksLikeRtf(const QByteArray& data);
// Text without a colour of its own (colour table entry 0, or an index past
// the table) gets `autoColor`. Adjacent text in the same colour is one run.
RtfDocument ReadRtf(const QByteArray& data, ColorValue autoColor = 0);

// Plain text as the meters write it: Latin-1, CR LF line ends. Characters
// outside Latin-1 become '?'.
QByteArray WritePlainText(const QString& text);
// CR LF, lone CR and lone LF all end a line ('\n' in the result).
QString ReadPlainText(const QByteArray& data);
