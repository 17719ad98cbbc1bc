#include "core/model/datetime.h"

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMsecsPerDay = 86400 * 1000;

QString FirstSeparator(const QString& format, const char* fallback)
{
    for (QChar c : format) {
        if (!c.isLetterOrNumber() && c != QLatin1Char(' ') && c != QLatin1Char('\''))
            return QString(c);
    }
    return QString::fromLatin1(fallback);
}

void AppendDigits(char*& p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        p[i] = char('0' + value % 10);
        value /= 10;
    }
    p += width;
}
} // namespace

// ---------------------------------------------------------------- calendar

namespace {
// Far beyond any calendar date, and where llround would overflow.
bool InRange(double days) { return std::isfinite(days) && std::fabs(days) <= 1e9; }
} // namespace

DayParts SplitDays(double days)
{
    if (!InRange(days))
        return {};
    double whole = std::trunc(days);
    qint64 msecs = qint64(std::llround(std::fabs(days - whole) * kSecondsPerDay * 1000.0));
    if (msecs >= kMsecsPerDay) { // rounding reached midnight: the next calendar day, also before the epoch
        msecs = 0;
        whole += 1;
    }
    return {qint64(whole), int(msecs)};
}

QDate CalendarDate(double days) { return InRange(days) ? kEpoch.addDays(SplitDays(days).day) : QDate(); }

QTime CalendarTime(double days) { return QTime::fromMSecsSinceStartOfDay(SplitDays(days).msecs); }

double ToDays(QDate date, QTime time)
{
    const qint64 day = kEpoch.daysTo(date);
    const double frac = (time.isValid() ? time.msecsSinceStartOfDay() : 0) / (kSecondsPerDay * 1000.0);
    return day >= 0 ? double(day) + frac : double(day) - frac;
}

void AppendIsoDateTime(QByteArray& out, double days)
{
    if (!InRange(days))
        return;
    const DayParts parts = SplitDays(days);
    int year = 0, month = 0, day = 0;
    kEpoch.addDays(parts.day).getDate(&year, &month, &day);
    if (year < 1 || year > 9999)
        return;
    const int secs = parts.msecs / 1000;
    char text[19];
    char* p = text;
    AppendDigits(p, year, 4);
    *p++ = '-';
    AppendDigits(p, month, 2);
    *p++ = '-';
    AppendDigits(p, day, 2);
    *p++ = 'T';
    AppendDigits(p, secs / 3600, 2);
    *p++ = ':';
    AppendDigits(p, secs / 60 % 60, 2);
    *p++ = ':';
    AppendDigits(p, secs % 60, 2);
    out.append(text, sizeof text);
}

QString FormatIsoDateTime(double days)
{
    QByteArray bytes;
    AppendIsoDateTime(bytes, days);
    return QString::fromLatin1(bytes);
}

// ---------------------------------------------------------------- QDateTime

double ToDays(const QDateTime& dt) { return ToDays(dt.date(), dt.time()); }

QDateTime FromDays(double days) { return QDateTime(CalendarDate(days), CalendarTime(days)); }

double NowDays()
{
    // Asking for the local time makes the C library look at the zone file on
    // every call. Zones change their offset only at whole minutes, so the
    // offset is looked up once a minute (and when TZ changes) and added to the
    // UTC clock, which costs no system call.
    struct Cache {
        qint64 minute = std::numeric_limits<qint64>::min();
        qint64 offsetMs = 0;
        QByteArray tz;
    };
    thread_local Cache cache;
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    const qint64 minute = utcMs >= 0 ? utcMs / 60000 : (utcMs - 59999) / 60000;
    const char* tz = std::getenv("TZ");
    if (minute != cache.minute || cache.tz != (tz ? tz : "")) {
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime);
        cache.minute = minute;
        cache.offsetMs = qint64(local.offsetFromUtc()) * 1000;
        cache.tz = tz ? QByteArray(tz) : QByteArray();
    }
    const qint64 localMs = utcMs + cache.offsetMs;
    const qint64 day = localMs >= 0 ? localMs / kMsecsPerDay : (localMs - kMsecsPerDay + 1) / kMsecsPerDay;
    const QDate unixEpoch(1970, 1, 1);
    return ToDays(unixEpoch.addDays(day), QTime::fromMSecsSinceStartOfDay(int(localMs - day * kMsecsPerDay)));
}

namespace {
QString TwoDigits(qint64 n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }
QString HoursMinutesSeconds(qint64 h, qint64 m, qint64 s, const QString& sep)
{
    return TwoDigits(h) + sep + TwoDigits(m) + sep + TwoDigits(s);
}
} // namespace

QString FormatTimeOfDay(double days, const QString& sep)
{
    const QTime t = CalendarTime(days);
    return HoursMinutesSeconds(t.hour(), t.minute(), t.second(), sep);
}

QString FormatSecondsAsTime(qint64 seconds, const QString& sep)
{
    if (seconds < 0)
        seconds = 0;
    seconds %= qint64(kSecondsPerDay);
    return HoursMinutesSeconds(seconds / 3600, (seconds / 60) % 60, seconds % 60, sep);
}

QString FormatShortDateLongTime(double days)
{
    const QLocale loc;
    // The long time format without the time-zone name.
    QString timeFormat = loc.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return loc.toString(CalendarDate(days), QLocale::ShortFormat) + QLatin1Char(' ')
        + loc.toString(CalendarTime(days), timeFormat.trimmed());
}

QString LocaleTimeSeparator() { return FirstSeparator(QLocale().timeFormat(QLocale::ShortFormat), ":"); }
QString LocaleDateSeparator() { return FirstSeparator(QLocale().dateFormat(QLocale::ShortFormat), "/"); }

namespace {
// Milliseconds from 1899-12-30 to 1970-01-01.
constexpr qint64 kUnixEpochMs = 25569 * kMsecsPerDay;
} // namespace

LocalOffsets::LocalOffsets() : zone_(QTimeZone::systemTimeZone()) {}

int LocalOffsets::SecondsAt(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return 0;
    const qint64 ms = qint64(std::llround(days * double(kMsecsPerDay)));
    if (ms >= from_ && ms < to_)
        return offset_;
    // A miss: the offset, and the stretch of local time it holds for, from
    // the zone's transitions before and after (met once per clock change).
    const QDateTime local(CalendarDate(days), CalendarTime(days), zone_);
    offset_ = zone_.isValid() ? local.offsetFromUtc() : 0;
    from_ = std::numeric_limits<qint64>::min();
    to_ = std::numeric_limits<qint64>::max();
    if (zone_.isValid() && zone_.hasTransitions()) {
        const qint64 utc = local.toMSecsSinceEpoch();
        const QTimeZone::OffsetData before = zone_.previousTransition(QDateTime::fromMSecsSinceEpoch(utc + 1, Qt::UTC));
        const QTimeZone::OffsetData after = zone_.nextTransition(QDateTime::fromMSecsSinceEpoch(utc, Qt::UTC));
        const qint64 shift = kUnixEpochMs + qint64(offset_) * 1000;
        if (before.atUtc.isValid())
            from_ = before.atUtc.toMSecsSinceEpoch() + shift;
        if (after.atUtc.isValid())
            to_ = after.atUtc.toMSecsSinceEpoch() + shift;
        // A local time the clock skipped is given the offset before the
        // change, which the change itself does not hold: it stands for itself
        // alone, and the times after it look again.
        const bool skipped = before.atUtc.isValid() && before.offsetFromUtc != offset_;
        if (skipped || ms < from_ || ms >= to_)
            from_ = ms, to_ = ms + 1;
    }
    return offset_;
}

void AppendIsoDateTimeWithOffset(QByteArray& out, double days, int offsetSeconds)
{
    const qsizetype before = out.size();
    AppendIsoDateTime(out, days);
    if (out.size() == before)
        return;
    const int magnitude = std::abs(offsetSeconds) / 60;
    char text[6];
    char* p = text;
    *p++ = offsetSeconds < 0 ? '-' : '+';
    AppendDigits(p, magnitude / 60, 2);
    *p++ = ':';
    AppendDigits(p, magnitude % 60, 2);
    out.append(text, sizeof text);
}
