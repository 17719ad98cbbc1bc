#pragma once
// Date-time values are double-precision days since 1899-12-30, the time of day
// being the fraction. A stored value is a local calendar time already, so
// turning it into a date and a time of day (or back) needs no time zone: the
// calendar conversions below are plain QDate arithmetic and never ask the C
// library for the zone (which reads /etc/localtime on every call). Paths run
// once per record use them; FromDays, which builds a local-time QDateTime,
// is for the rare caller that needs one.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <QTimeZone>

class QDateTime;

constexpr double kSecondsPerDay = 86400.0;
constexpr double kOneSecond = 1.0 / kSecondsPerDay;

// ---- Calendar conversions (no time zone)

// A value split into its day (counted from 1899-12-30) and the milliseconds of
// that day, rounded to the nearest millisecond; a time that rounds up to
// midnight belongs to the next day. Before the epoch the fraction still counts
// forward from midnight (-1.25 is 1899-12-29 06:00). A value that is not a
// finite number, or lies millions of years away, splits as 0 and has no
// calendar date (an invalid QDate).
struct DayParts {
    qint64 day = 0;
    int msecs = 0;
};
DayParts SplitDays(double days);
QDate CalendarDate(double days);
QTime CalendarTime(double days);
double ToDays(QDate date, QTime time);
// "yyyy-MM-ddTHH:mm:ss" (ISO 8601 without a zone, milliseconds cut off), as
// QDateTime writes a local time; empty outside the years 1 to 9999.
QString FormatIsoDateTime(double days);
void AppendIsoDateTime(QByteArray& out, double days);

// ---- QDateTime and the wall clock

double ToDays(const QDateTime& dt); // the date and time the QDateTime shows
QDateTime FromDays(double days);    // a local-time QDateTime
double NowDays();                   // the local wall clock

// "hh:nn:ss" with the locale's time separator.
QString FormatTimeOfDay(double days, const QString& timeSeparator);
// A duration in seconds shown as a time of day ("00:01:15" for 75).
QString FormatSecondsAsTime(qint64 seconds, const QString& timeSeparator);
// "ddddd ttttt": the locale's short date and long time.
QString FormatShortDateLongTime(double days);

// The locale's separators: the character between hours and minutes, and
// between the date's first two parts (":" and "/" when the format has none).
QString LocaleTimeSeparator();
QString LocaleDateSeparator();

// ---- Offsets from UTC (a zone look-up once per stretch between clock changes)

// The offset of a zone at logged local times, worked out once per stretch
// between two of the zone's transitions: no look-up per record.
class LocalOffsets {
public:
    // The system's zone, as it is when the object is made.
    LocalOffsets();
    explicit LocalOffsets(const QTimeZone& zone) : zone_(zone) {}
    // Seconds east of UTC at the local time `days` (days since 1899-12-30).
    // A time a clock change made ambiguous takes the offset before the change.
    int SecondsAt(double days);

private:
    QTimeZone zone_;
    qint64 from_ = 1, to_ = 0; // the local milliseconds the cached offset holds for
    int offset_ = 0;
};
// "yyyy-MM-ddTHH:mm:ss+hh:mm"; nothing outside the years 1 to 9999.
void AppendIsoDateTimeWithOffset(QByteArray& out, double days, int offsetSeconds);
