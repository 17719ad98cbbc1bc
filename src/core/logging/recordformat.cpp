#include "core/logging/recordformat.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/devices/units.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {
using Field = StampFormat::Field;
using Fields = StampFormat::Fields;

uchar LowerLatin1(uchar c)
{
    static const std::array<uchar, 256> table = [] {
        std::array<uchar, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const QChar lower = QChar(char16_t(i)).toLower();
            t[size_t(i)] = lower.unicode() < 256 ? uchar(lower.unicode()) : uchar(i);
        }
        return t;
    }();
    return table[c];
}

QByteArray LowerBytes(QByteArrayView v)
{
    QByteArray out(v.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < v.size(); ++i)
        out[i] = char(LowerLatin1(uchar(v[i])));
    return out;
}

bool IsDigit(uchar c) { return c >= '0' && c <= '9'; }
bool IsLetter(uchar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

const CatalogueModel* ModelNoCase(const QString& name)
{
    static const QHash<QString, const CatalogueModel*> index = [] {
        QHash<QString, const CatalogueModel*> h;
        for (const CatalogueModel& m : CatalogueModels())
            h.insert(QString::fromLatin1(m.name).toLower(), &m);
        return h;
    }();
    return index.value(name.toLower(), nullptr);
}

// Qt's date-time pattern syntax, compiled. The time zone ("t") is dropped
// together with the blank or brackets around it; a year always gets four digits.
Fields Compile(const QString& pattern)
{
    Fields out;
    auto literal = [&out](const QString& text) {
        if (text.isEmpty())
            return;
        if (!out.empty() && out.back().kind == Field::Literal)
            out.back().text += text;
        else
            out.push_back(Field{Field::Literal, 1, false, text});
    };
    const qsizetype n = pattern.size();
    bool hasAmPm = false;
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\'')) {
            if (i + 1 < n && pattern[i + 1] == QLatin1Char('\'')) {
                literal(QStringLiteral("'"));
                i += 2;
                continue;
            }
            QString text;
            qsizetype j = i + 1;
            for (; j < n; ++j) {
                if (pattern[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && pattern[j + 1] == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        ++j;
                        continue;
                    }
                    break;
                }
                text += pattern[j];
            }
            literal(text);
            i = j + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && pattern[i + run] == c)
            ++run;
        const auto width = quint8(std::min<qsizetype>(run, 2));
        switch (c.unicode()) {
        case 'd': out.push_back(run >= 3 ? Field{Field::DayName, 1, run >= 4, {}} : Field{Field::Day, width, false, {}}); break;
        case 'M': out.push_back(run >= 3 ? Field{Field::MonthName, 1, run >= 4, {}} : Field{Field::Month, width, false, {}}); break;
        case 'y': out.push_back(Field{Field::Year, 4, false, {}}); break;
        case 'H': out.push_back(Field{Field::Hour24, width, false, {}}); break;
        case 'h': out.push_back(Field{Field::Hour12, width, false, {}}); break;
        case 'm': out.push_back(Field{Field::Minute, width, false, {}}); break;
        case 's': out.push_back(Field{Field::Second, width, false, {}}); break;
        case 'z': out.push_back(Field{Field::Msec, 3, false, {}}); break;
        case 't': break;
        case 'A':
        case 'a': {
            // "AP"/"ap" or a lone "A"/"a"; longName marks upper case.
            const bool upper = c == QLatin1Char('A');
            for (qsizetype k = 0; k < run; ++k) {
                out.push_back(Field{Field::AmPm, 1, upper, {}});
                hasAmPm = true;
            }
            if (i + run < n && pattern[i + run].toLower() == QLatin1Char('p'))
                ++run;
            break;
        }
        default: literal(QString(run, c)); break;
        }
        i += run;
    }
    // "h" is a 12-hour clock only next to an AM/PM marker.
    for (Field& f : out) {
        if (f.kind == Field::Hour12 && !hasAmPm)
            f.kind = Field::Hour24;
        if (f.kind == Field::Literal)
            f.text.remove(QStringLiteral("()"));
    }
    // Outer blanks left where the time zone was.
    while (!out.empty() && out.back().kind == Field::Literal) {
        out.back().text = out.back().text.trimmed();
        if (!out.back().text.isEmpty())
            break;
        out.pop_back();
    }
    while (!out.empty() && out.front().kind == Field::Literal) {
        out.front().text = out.front().text.trimmed();
        if (!out.front().text.isEmpty())
            break;
        out.erase(out.begin());
    }
    // Counted once here: a stamp is parsed for every record of a file.
    for (Field& f : out) {
        if (f.kind != Field::Literal)
            continue;
        const QByteArray lit = f.text.toLatin1();
        for (qsizetype i = 0; i < lit.size(); ++i) {
            if (IsLetter(uchar(lit[i])) && (i == 0 || !IsLetter(uchar(lit[i - 1]))))
                ++f.words;
        }
    }
    return out;
}

bool Has(const Fields& f, std::initializer_list<Field::Kind> kinds)
{
    for (Field::Kind k : kinds) {
        if (std::none_of(f.begin(), f.end(), [k](const Field& x) { return x.kind == k; }))
            return false;
    }
    return true;
}

bool HasAny(const Fields& f, Field::Kind a, Field::Kind b)
{
    return std::any_of(f.begin(), f.end(), [&](const Field& x) { return x.kind == a || x.kind == b; });
}

bool StorableText(const QString& s)
{
    for (QChar c : s) {
        if (c.unicode() > 0xFF || c == QLatin1Char('\'') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return false;
    }
    return true;
}

QString Number(int v, int width) { return QString::number(v).rightJustified(width, QLatin1Char('0')); }

} // namespace

// ---------------------------------------------------------------- device layout

int LoggedChannelCount(const QString& deviceName, int channelCount)
{
    int n = std::clamp(channelCount, 0, kMaxChannels);
    if (deviceName.compare(QLatin1String("J7050M"), Qt::CaseInsensitive) == 0)
        n = std::max(0, n - 2);
    return n;
}

int LoggedChannelCount(const AppState& s) { return LoggedChannelCount(s.DeviceName, s.ChannelCount); }

bool HasExtraItem(const QString& deviceName)
{
    const CatalogueModel* m = ModelNoCase(deviceName);
    return m && m->family == DeviceFamily::J70xx;
}

bool OverRangeHidesTemperature(const QString& deviceName)
{
    return HasExtraItem(deviceName) && deviceName.compare(QLatin1String("J7050"), Qt::CaseInsensitive) != 0;
}

bool IsModelName(QByteArrayView item)
{
    static const QSet<QByteArray> names = [] {
        QSet<QByteArray> s;
        for (const CatalogueModel& m : CatalogueModels())
            s.insert(QByteArray(m.name).toLower());
        return s;
    }();
    if (item.isEmpty() || item.size() > 32)
        return false;
    return names.contains(LowerBytes(item));
}

bool IsFlagItem(QByteArrayView item)
{
    static const char* const words[] = {"true", "false", "waar", "onwaar", "vals", "vrai", "faux", "wahr",
                                        "falsch", "unwahr", "vero", "falso", "verdadero", "0", "1", "-1"};
    item = item.trimmed();
    for (const char* w : words) {
        if (item.compare(QByteArrayView(w), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool IsLoneItemLine(QByteArrayView line)
{
    line = line.trimmed();
    return line.size() >= 2 && line.front() == '\'' && line.back() == '\'' && QuoteCount(line) == 2;
}

qsizetype QuoteCount(QByteArrayView line)
{
    qsizetype n = 0;
    const char* p = line.data();
    const char* end = p + line.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\'', size_t(end - p))))) {
        ++n;
        ++p;
    }
    return n;
}

bool IsGarbledTemperature(QByteArrayView item)
{
    // The number as the table shows it: "°C", "°F" and "K" taken out.
    char number[64];
    if (item.size() > qsizetype(sizeof number))
        return IsGarbledNumber(item);
    qsizetype n = 0;
    for (qsizetype i = 0; i < item.size(); ++i) {
        const char c = item[i];
        if (c == '\xB0' && i + 1 < item.size() && (item[i + 1] == 'C' || item[i + 1] == 'F'))
            ++i;
        else if (c != 'K')
            number[n++] = c;
    }
    return IsGarbledNumber(QByteArrayView(number, n));
}

// ---------------------------------------------------------------- items

bool ItemCursor::Next(QByteArrayView& item)
{
    item = {};
    const char* open = static_cast<const char*>(std::memchr(p_, '\'', size_t(end_ - p_)));
    if (!open) {
        p_ = end_;
        return false;
    }
    const char* close = static_cast<const char*>(std::memchr(open + 1, '\'', size_t(end_ - open - 1)));
    if (!close) {
        p_ = end_;
        return false;
    }
    item = QByteArrayView(open + 1, close - open - 1);
    p_ = close + 1;
    return true;
}

int ItemCursor::Skip(int count)
{
    int n = 0;
    QByteArrayView dummy;
    while (n < count && Next(dummy))
        ++n;
    return n;
}

bool HasRecordShape(ItemCursor cursor)
{
    QByteArrayView value, unit, over, has;
    return cursor.Next(value) && cursor.Next(unit) && cursor.Next(over) && cursor.Next(has) && IsFlagItem(over)
        && IsFlagItem(has);
}

QString NextItem(QString& line)
{
    const qsizetype open = line.indexOf(QLatin1Char('\''));
    const qsizetype close = open < 0 ? -1 : line.indexOf(QLatin1Char('\''), open + 1);
    if (close < 0) {
        line.clear();
        return QString();
    }
    QString item = line.mid(open + 1, close - open - 1);
    line.remove(0, close + 1);
    return item;
}

QString PeekFirstItem(const QString& line)
{
    QString copy = line;
    return NextItem(copy);
}

namespace {
// One item appended as written, in one pass: Latin-1, a quote becomes "´",
// a line break a blank, a character beyond Latin-1 "?".
void AppendItemBytes(QByteArray& out, QStringView text)
{
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char* p = out.data() + at;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\'')
            *p++ = char(0xB4);
        else if (u == '\r' || u == '\n')
            *p++ = ' ';
        else
            *p++ = u < 0x100 ? char(u) : '?';
    }
}
} // namespace

QByteArray ItemBytes(const QString& text)
{
    QByteArray out;
    AppendItemBytes(out, text);
    return out;
}

QByteArray HeaderLine(const QString& deviceName) { return '\'' + ItemBytes(deviceName) + '\''; }

QByteArray RecordLine(const AppState& s, const QString& info, const StampFormat& format)
{
    QByteArray line;
    line.reserve(256);
    auto open = [&line] { line += line.isEmpty() ? "'" : ",'"; };
    auto add = [&](QStringView text) {
        open();
        AppendItemBytes(line, text);
        line += '\'';
    };
    add(format.Format(s.Readings[1].ReadingTime));
    const bool extra = HasExtraItem(s.DeviceName);
    const int n = LoggedChannelCount(s);
    for (int c = 1; c <= n; ++c) {
        const ChannelReading& r = s.Readings[size_t(c)];
        add(r.ValueText);
        add(r.UnitText);
        line += r.OverRange ? ",'True'" : ",'False'";
        line += r.HasValue ? ",'True'" : ",'False'";
        if (extra)
            add(r.ExtraText);
    }
    add(info);
    return line;
}

qint64 SecondKey(double days)
{
    const DayParts parts = SplitDays(days);
    return parts.day * qint64(kSecondsPerDay) + parts.msecs / 1000;
}

// ---------------------------------------------------------------- stamps

StampFormat::StampFormat() : StampFormat(QLocale()) {}

StampFormat::StampFormat(const QLocale& locale) : locale_(locale)
{
    QString timePattern = locale.timeFormat(QLocale::LongFormat);
    date_ = Compile(locale.dateFormat(QLocale::ShortFormat));
    time_ = Compile(timePattern);
    am_ = LowerBytes(locale.amText().toLatin1());
    pm_ = LowerBytes(locale.pmText().toLatin1());

    // Everything the pattern can print must survive a Latin-1 file and read
    // back to the second; otherwise the fixed pattern is used.
    bool usable = Has(date_, {Field::Day, Field::Year}) && HasAny(date_, Field::Month, Field::MonthName)
        && Has(time_, {Field::Minute, Field::Second}) && HasAny(time_, Field::Hour24, Field::Hour12);
    for (int m = 1; usable && m <= 12; ++m) {
        for (int hour : {9, 21}) {
            const double d = ToDays(QDate(2026, m, 20 + m % 7), QTime(hour, 5, 7));
            usable = usable && StorableText(Render(date_, d)) && StorableText(Render(time_, d));
        }
    }
    if (!usable) {
        locale_ = QLocale::c();
        date_ = Compile(QStringLiteral("dd/MM/yyyy"));
        time_ = Compile(QStringLiteral("HH:mm:ss"));
        am_ = "am";
        pm_ = "pm";
    }
    for (auto fmt : {QLocale::ShortFormat, QLocale::LongFormat}) {
        for (int m = 1; m <= 12; ++m)
            monthNames_ << LowerBytes(locale_.monthName(m, fmt).toLatin1());
    }
    all_ = date_;
    all_.push_back(Field{Field::Literal, 1, false, QStringLiteral(" ")});
    all_.insert(all_.end(), time_.begin(), time_.end());
}

QString StampFormat::Render(const Fields& fields, double days) const
{
    const DayParts parts = SplitDays(days);
    const QDate date = CalendarDate(days);
    const int msecs = parts.msecs;
    const int secs = msecs / 1000;
    const int hour = secs / 3600;
    QString out;
    for (const Field& f : fields) {
        switch (f.kind) {
        case Field::Literal: out += f.text; break;
        case Field::Day: out += Number(date.day(), f.width); break;
        case Field::DayName: out += locale_.dayName(date.dayOfWeek(), f.longName ? QLocale::LongFormat : QLocale::ShortFormat); break;
        case Field::Month: out += Number(date.month(), f.width); break;
        case Field::MonthName: out += locale_.monthName(date.month(), f.longName ? QLocale::LongFormat : QLocale::ShortFormat); break;
        case Field::Year: out += Number(date.year(), 4); break;
        case Field::Hour24: out += Number(hour, f.width); break;
        case Field::Hour12: out += Number(hour % 12 == 0 ? 12 : hour % 12, f.width); break;
        case Field::Minute: out += Number(secs / 60 % 60, f.width); break;
        case Field::Second: out += Number(secs % 60, f.width); break;
        case Field::Msec: out += Number(msecs % 1000, 3); break;
        case Field::AmPm: {
            const QString t = hour < 12 ? locale_.amText() : locale_.pmText();
            out += f.longName ? t.toUpper() : t.toLower();
            break;
        }
        }
    }
    return out;
}

QString StampFormat::Format(double days) const { return Render(all_, days); }
QString StampFormat::FormatDate(double days) const { return Render(date_, days); }
QString StampFormat::FormatTime(double days) const { return Render(time_, days); }

bool StampFormat::ParseWith(const Fields& fields, QByteArrayView text, double& days) const
{
    const auto* p = reinterpret_cast<const uchar*>(text.data());
    const uchar* end = p + text.size();
    int day = -1, month = -1, year = -1, hour = -1, minute = -1, second = -1, msec = 0;
    int yearDigits = 0;
    int pm = -1; // -1: no marker, 0: am, 1: pm
    auto skipToAlnum = [&] {
        while (p < end && !IsDigit(*p) && !IsLetter(*p))
            ++p;
    };
    auto number = [&](int maxDigits, int& value, int* digits = nullptr) {
        skipToAlnum();
        int n = 0, v = 0;
        while (p < end && IsDigit(*p) && n < maxDigits) {
            v = v * 10 + (*p - '0');
            ++p;
            ++n;
        }
        if (digits)
            *digits = n;
        value = v;
        return n > 0;
    };
    auto word = [&](QByteArrayView& w) {
        skipToAlnum();
        const uchar* start = p;
        while (p < end && IsLetter(*p))
            ++p;
        w = QByteArrayView(reinterpret_cast<const char*>(start), p - start);
        return !w.isEmpty();
    };
    auto startsWithNoCase = [&](const QByteArray& what) {
        if (what.isEmpty() || end - p < what.size())
            return false;
        for (qsizetype i = 0; i < what.size(); ++i) {
            if (LowerLatin1(p[i]) != uchar(what[i]))
                return false;
        }
        return true;
    };

    for (const Field& f : fields) {
        QByteArrayView w;
        switch (f.kind) {
        case Field::Literal: {
            // Letters in a literal stand for words of the stamp; the rest is
            // separators, which the number and word readers skip.
            for (int k = 0; k < f.words; ++k) {
                if (!word(w))
                    return false;
            }
            break;
        }
        case Field::Day: if (!number(2, day)) return false; break;
        case Field::Month: if (!number(2, month)) return false; break;
        case Field::Year: if (!number(4, year, &yearDigits)) return false; break;
        case Field::Hour24:
        case Field::Hour12: if (!number(2, hour)) return false; break;
        case Field::Minute: if (!number(2, minute)) return false; break;
        case Field::Second: if (!number(2, second)) return false; break;
        case Field::Msec: if (!number(3, msec)) return false; break;
        case Field::DayName: if (!word(w)) return false; break;
        case Field::MonthName: {
            if (!word(w))
                return false;
            const qsizetype i = monthNames_.indexOf(LowerBytes(w));
            if (i < 0)
                return false;
            month = int(i % 12) + 1;
            break;
        }
        case Field::AmPm:
            while (p < end && *p == ' ')
                ++p;
            if (startsWithNoCase(am_) || startsWithNoCase("am")) {
                pm = 0;
            } else if (startsWithNoCase(pm_) || startsWithNoCase("pm")) {
                pm = 1;
            } else {
                return false;
            }
            while (p < end && (IsLetter(*p) || *p == '.'))
                ++p;
            break;
        }
    }
    if (day < 0 || month < 0 || year < 0 || hour < 0 || minute < 0 || second < 0)
        return false;
    if (yearDigits <= 2) {
        static const int thisYear = QDate::currentDate().year();
        year += 2000;
        if (year > thisYear + 20)
            year -= 100;
    }
    if (pm >= 0) {
        if (hour < 1 || hour > 12)
            return false;
        hour = hour % 12 + (pm ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    const QDate date(year, month, day);
    if (!date.isValid())
        return false;
    days = ToDays(date, QTime(hour, minute, second, msec));
    return true;
}

bool StampFormat::Parse(QByteArrayView text, double& days) const
{
    text = text.trimmed();
    if (text.isEmpty())
        return false;
    if (ParseWith(all_, text, days))
        return true;
    static const Fields fallback = [] {
        Fields f = Compile(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        return f;
    }();
    if (ParseWith(fallback, text, days))
        return true;
    // A number of days, as some older files hold.
    bool ok = false;
    QByteArray copy = text.toByteArray();
    copy.replace(',', '.');
    const double v = copy.toDouble(&ok);
    if (ok && std::isfinite(v) && std::fabs(v) < 3e6) {
        days = v;
        return true;
    }
    return false;
}

bool StampFormat::ParseText(const QString& text, double& days) const
{
    const QByteArray bytes = text.toLatin1();
    return Parse(QByteArrayView(bytes), days);
}
