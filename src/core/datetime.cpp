#include "core/datetime.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);

QString FirstSeparator(const QString& format, const char* fallback)
{
    for (QChar c : format) {
        if (!c.isLetterOrNumber() && c != QLatin1Char(' ') && c != QLatin1Char('\''))
            return QString(c);
    }
    return QString::fromLatin1(fallback);
}
} // namespace

double ToDays(const QDateTime& dt)
{
    const qint64 day = kEpoch.daysTo(dt.date());
    const double frac = dt.time().msecsSinceStartOfDay() / (kSecondsPerDay * 1000.0);
    // Before the epoch the fraction still counts forward from midnight, as in
    // the stored format (-1.25 is 1899-12-29 06:00).
    return day >= 0 ? day + frac : day - frac;
}

QDateTime FromDays(double days)
{
    double whole = std::trunc(days);
    double frac = std::fabs(days - whole);
    qint64 msecs = qint64(std::llround(frac * kSecondsPerDay * 1000.0));
    if (msecs >= qint64(kSecondsPerDay) * 1000) { // rounding reached the next midnight
        msecs = 0;
        whole += days >= 0 ? 1 : -1;
    }
    return QDateTime(kEpoch.addDays(qint64(whole)), QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

double NowDays() { return ToDays(QDateTime::currentDateTime()); }

namespace {
QString TwoDigits(qint64 n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }
QString HoursMinutesSeconds(qint64 h, qint64 m, qint64 s, const QString& sep)
{
    return TwoDigits(h) + sep + TwoDigits(m) + sep + TwoDigits(s);
}
} // namespace

QString FormatTimeOfDay(double days, const QString& sep)
{
    const QTime t = FromDays(days).time();
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
    const QDateTime dt = FromDays(days);
    const QLocale loc;
    // The long time format without the time-zone name.
    QString timeFormat = loc.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return loc.toString(dt.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + loc.toString(dt.time(), timeFormat.trimmed());
}

QString LocaleTimeSeparator() { return FirstSeparator(QLocale().timeFormat(QLocale::ShortFormat), ":"); }
QString LocaleDateSeparator() { return FirstSeparator(QLocale().dateFormat(QLocale::ShortFormat), "/"); }
