#pragma once
// The line format of ".vam" data files: items in single quotes separated by
// ",", lines ended by CR LF, 8-bit Latin-1 text. A header line names the
// device; a record line holds the time stamp, per logged channel its value,
// unit, over-range and has-value flags (and the temperature text for the J70xx
// family), then the info text.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QLocale>
#include <QString>
#include <vector>

struct AppState;

// Channels written per record: the channel count, two fewer for the J7050M
// (its last two channels are never logged). At most 16.
int LoggedChannelCount(const QString& deviceName, int channelCount);
int LoggedChannelCount(const AppState& s);
// The J70xx family writes a temperature item per channel (case-insensitive).
bool HasExtraItem(const QString& deviceName);
// The J70xx family without the J7050: an over-range reading hides the temperature too.
bool OverRangeHidesTemperature(const QString& deviceName);
// A header line's item: a model name of the catalogue, in any case.
bool IsModelName(QByteArrayView item);
// An over-range or has-value item as this and earlier writers wrote it, in
// any of their languages ("True", "Onwaar", "0").
bool IsFlagItem(QByteArrayView item);
// One item between quotes and nothing else: a header line, named or not.
bool IsLoneItemLine(QByteArrayView line);
// The quotes of a line: two per whole item, an odd one left open.
qsizetype QuoteCount(QByteArrayView line);
// A value that holds digits but is no number: see IsGarbledNumber. A
// temperature item is judged without its unit ("x25.0°C" is garbled).
bool IsGarbledTemperature(QByteArrayView item);

// Items of one line, read left to right: the text between the next pair of
// quotes; what lies between a closing and the next opening quote is ignored.
// An item whose closing quote is missing (a cut-off line) is not taken: its
// text may be incomplete.
class ItemCursor {
public:
    explicit ItemCursor(QByteArrayView line) : p_(line.data()), end_(line.data() + line.size()) {}
    // The next item; false (and an empty item) when no complete item is left.
    bool Next(QByteArrayView& item);
    // Skips items; returns how many were there.
    int Skip(int count);
    const char* Position() const { return p_; }

private:
    const char* p_;
    const char* end_;
};

// The items after a record's time stamp begin as a record's do: a value, a
// unit and two flags. Random bytes or stray text with quotes in it do not.
bool HasRecordShape(ItemCursor cursor);

// QString forms: NextItem consumes the item from `line`; both give "" past the end.
QString NextItem(QString& line);
QString PeekFirstItem(const QString& line);

// Record time stamps: the locale's short date and long time separated by a
// blank, always with a four-digit year and ASCII digits, so that a file read
// back gives the same second. A locale whose pattern would put characters
// outside Latin-1 (or a quote) into the file falls back to "dd/MM/yyyy HH:mm:ss".
class StampFormat {
public:
    StampFormat(); // the default locale
    explicit StampFormat(const QLocale& locale);

    QString Format(double days) const;     // date + " " + time
    QString FormatDate(double days) const; // "ddddd"
    QString FormatTime(double days) const; // "ttttt"

    // Reads a stamp written in this locale, a stamp in the fallback pattern,
    // a stamp from a two-digit-year writer of this locale (years within 20
    // years from now read as 20yy, else 19yy), or a plain number of days since
    // 1899-12-30. False for anything else.
    bool Parse(QByteArrayView text, double& days) const;
    bool ParseText(const QString& text, double& days) const;

    // One element of a compiled date or time pattern.
    struct Field {
        enum Kind : quint8 { Literal, Day, DayName, Month, MonthName, Year, Hour24, Hour12, Minute, Second, Msec, AmPm };
        Kind kind = Literal;
        quint8 width = 1;   // digits written (at least); 2 for "dd", 4 for a year
        bool longName = false; // "dddd", "MMMM"; for AM/PM: upper case
        QString text;       // a literal
        quint8 words = 0;   // a literal: its runs of letters, each standing for a word of a stamp
    };
    using Fields = std::vector<Field>;

private:
    QString Render(const Fields& fields, double days) const;
    bool ParseWith(const Fields& fields, QByteArrayView text, double& days) const;

    QLocale locale_;
    Fields date_, time_, all_;
    QByteArray am_, pm_;
    QList<QByteArray> monthNames_; // 24: short then long, lower case
};

// The whole second of a time, as a stamp shows it (milliseconds rounded as
// the formatter rounds them, then cut off): two times match "to the second"
// when their keys are equal.
qint64 SecondKey(double days);

// A header line without its CR LF: "'" + device + "'".
QByteArray HeaderLine(const QString& deviceName);
// A record line without its CR LF, from the current readings. Quotes inside
// items become "´" and line breaks blanks, so an item can never end early;
// characters outside Latin-1 become "?".
QByteArray RecordLine(const AppState& s, const QString& info, const StampFormat& format);
// One item as written: Latin-1, quotes and line breaks replaced.
QByteArray ItemBytes(const QString& text);
