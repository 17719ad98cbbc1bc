// Date-time values are local calendar times: turning them into text and back
// must give the same date and time in every time zone, on the days a zone
// skips or repeats an hour too, and the wall clock must follow the zone.

#include "core/logging/csvexport.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/logging/recordformat.h"

#include <QBuffer>
#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

namespace {

// Runs a test in another time zone and puts the old one back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")), old_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (had_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool had_;
    QByteArray old_;
};

constexpr double kMs = kOneSecond / 1000;

struct CalendarCase {
    double days;
    const char* iso; // "" where the value has no date of the years 1 to 9999
};

// 46110 is 2026-03-29 (Amsterdam skips 02:00-03:00), 46320 is 2026-10-25
// (02:00-03:00 comes twice), 45351 is 2024-02-29, -1400 is 1896-02-29.
const CalendarCase kCalendarCases[] = {
    {0.0, "1899-12-30T00:00:00"},
    {-1.25, "1899-12-29T06:00:00"},        // before the epoch the fraction counts forward
    {-0.5, "1899-12-30T12:00:00"},
    {-1400.75, "1896-02-29T18:00:00"},     // a leap day before the epoch
    {-1399.0, "1896-03-01T00:00:00"},
    {60.5, "1900-02-28T12:00:00"},         // 1900 is no leap year
    {61.0, "1900-03-01T00:00:00"},
    {36585.25, "2000-02-29T06:00:00"},
    {45351 + 86399.4 * kOneSecond, "2024-02-29T23:59:59"}, // milliseconds are cut off
    {45350.999999999, "2024-02-29T00:00:00"},              // rounding reaches midnight: the next day
    {45351.999999999, "2024-03-01T00:00:00"},
    {45352 - 0.5 * kMs, "2024-03-01T00:00:00"},            // half a millisecond before midnight
    {45352 - 0.6 * kMs, "2024-02-29T23:59:59"},
    {45352 - 0.4 * kMs, "2024-03-01T00:00:00"},
    {-1.999999999, "1899-12-30T00:00:00"},                 // the same before the epoch
    {-1400.999999999, "1896-03-01T00:00:00"},
    {46110 + 2.5 / 24, "2026-03-29T02:30:00"},             // in the hour Amsterdam skips
    {46110 + 3.5 / 24, "2026-03-29T03:30:00"},
    {46320 + 2.5 / 24, "2026-10-25T02:30:00"},             // in the hour Amsterdam repeats
    {std::numeric_limits<double>::quiet_NaN(), ""},
    {1e12, ""},
    {-693594.0, ""},                                       // the day before 0001-01-01
    {2958466.0, ""},                                       // 10000-01-01
};

} // namespace

TEST(DateTime, CalendarConversionsNeedNoTimeZone)
{
    for (const char* zone : {"UTC", "Europe/Amsterdam", "America/St_Johns"}) {
        ScopedTimeZone tz(zone);
        for (const CalendarCase& c : kCalendarCases) {
            const QString iso = QString::fromLatin1(c.iso);
            SCOPED_TRACE(testing::Message() << zone << " " << c.iso << " " << c.days);
            EXPECT_EQ(FormatIsoDateTime(c.days).toStdString(), c.iso);
            if (iso.isEmpty())
                continue;
            EXPECT_EQ(CalendarDate(c.days).toString(Qt::ISODate).toStdString(), iso.left(10).toStdString());
            EXPECT_EQ(FormatTimeOfDay(c.days, QStringLiteral(":")).toStdString(), iso.mid(11).toStdString());
            // Back to a value and out again: the same calendar time.
            const double back = ToDays(CalendarDate(c.days), CalendarTime(c.days));
            EXPECT_EQ(FormatIsoDateTime(back).toStdString(), c.iso);
            EXPECT_EQ(SecondKey(back), SecondKey(c.days));
        }
    }
}

TEST(DateTime, StampsKeepTheLoggedTimeOnDaysTheClockChanges)
{
    ScopedTimeZone tz("Europe/Amsterdam");
    const StampFormat stamps(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const struct {
        double days;
        const char* stamp;
    } cases[] = {{46110 + 2.5 / 24, "29/03/2026 02:30:00"}, {46320 + 2.5 / 24, "25/10/2026 02:30:00"},
                 {-1.25, "29/12/1899 06:00:00"}, {45351.999999999, "01/03/2024 00:00:00"},
                 {45352 - 0.5 * kMs, "01/03/2024 00:00:00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(stamps.Format(c.days).toStdString(), c.stamp);
        double back = 0;
        ASSERT_TRUE(stamps.Parse(c.stamp, back)) << c.stamp;
        EXPECT_EQ(FormatIsoDateTime(back).toStdString(), FormatIsoDateTime(c.days).toStdString()) << c.stamp;
    }
}

TEST(DateTime, NowDaysIsTheLocalWallClock)
{
    // Zones a whole, a half and a DST hour away from each other: a clock that
    // kept the previous zone's offset is off by hours.
    for (const char* zone : {"UTC", "Asia/Kolkata", "Europe/Amsterdam", "America/St_Johns", "UTC"}) {
        ScopedTimeZone tz(zone);
        for (int i = 0; i < 3; ++i) {
            const double before = ToDays(QDateTime::currentDateTime());
            const double now = NowDays();
            const double after = ToDays(QDateTime::currentDateTime());
            EXPECT_GE(now, before - kMs) << zone;
            EXPECT_LE(now, after + kMs) << zone;
        }
    }
}

TEST(CsvExport, TimesAreTheLoggedCalendarTimes)
{
    ScopedTimeZone tz("Europe/Amsterdam");
    LogTable table;
    table.SetLayout(QStringLiteral("A101"), 1);
    const LogTable::RawCell cell{"7.00", "pH", {}, false, true};
    table.BeginBulk();
    for (double t : {46110 + 2.5 / 24, 46320 + 2.5 / 24, -1.25, 45351.999999999})
        table.AppendBulk(t, true, &cell, {});
    table.AppendBulk(0, false, &cell, {}); // a record whose time could not be read
    table.EndBulk();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteCsv(table, out));
    EXPECT_EQ(out.data(), "No,Time,CH1,CH1 unit,Info\r\n"
                          "1,2026-03-29T02:30:00,7.00,pH,\r\n"
                          "2,2026-10-25T02:30:00,7.00,pH,\r\n"
                          "3,1899-12-29T06:00:00,7.00,pH,\r\n"
                          "4,2024-03-01T00:00:00,7.00,pH,\r\n"
                          "5,,7.00,pH,\r\n");
}

TEST(CsvExport, FieldsAreQuotedOnlyWhenNeeded)
{
    const struct {
        const char* text; // UTF-8
        const char* field;
    } cases[] = {
        {"", ""},
        {"7.00", "7.00"},
        {"\xC2\xB5S", "\xC2\xB5S"},                                      // beyond ASCII, nothing to quote
        {"5 \xC2\xB5S, \"raw\"", "\"5 \xC2\xB5S, \"\"raw\"\"\""},        // beyond ASCII and quoted
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"a\rb", "\"a\rb\""},
        {"a\nb", "\"a\nb\""},
        {"a,b", "\"a,b\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(QString::fromUtf8(c.text)).toStdString(), c.field) << c.text;
}
