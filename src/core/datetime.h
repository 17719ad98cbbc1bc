#pragma once
// Date-time values are double-precision days since 1899-12-30, the time of day
// being the fraction. These helpers convert them to and from QDateTime (local
// time) and format them the way the program shows them.

#include <QString>

class QDateTime;

constexpr double kSecondsPerDay = 86400.0;
constexpr double kOneSecond = 1.0 / kSecondsPerDay;

double ToDays(const QDateTime& dt);
QDateTime FromDays(double days);
double NowDays();

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
