#include "core/devices/catalogue.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/publish/readingjson.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <ctime>
#include <utility>

namespace {

const QString kMicro = QString(QChar(0x00B5));

AppState K231()
{
    AppState s;
    ApplyDevice(s, QStringLiteral("K231"), 0);
    s.DeviceName = QStringLiteral("K231");
    const double time = ToDays(QDate(2024, 5, 2), QTime(14, 3, 7));
    const char* values[] = {"", "6.78", "-80.5", "635.8", "24.1"};
    const QString units[] = {QString(), QStringLiteral("pH"), QStringLiteral("mV"), kMicro + QStringLiteral("S/cm"),
                             QString(QChar(0x00B0)) + QStringLiteral("C")};
    for (int ch = 1; ch <= 4; ++ch) {
        ChannelReading& r = s.Readings[size_t(ch)];
        r.ReadingTime = time;
        r.ValueText = QLatin1String(values[ch]);
        r.UnitText = units[ch];
        r.HasValue = true;
    }
    return s;
}

QJsonObject Parse(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json.constData();
    return doc.object();
}

QJsonObject Channel(const QJsonObject& reading, int channel)
{
    for (const QJsonValue& c : reading.value(QLatin1String("channels")).toArray())
        if (c.toObject().value(QLatin1String("channel")).toInt() == channel)
            return c.toObject();
    return {};
}

} // namespace

// Channel 3 of a K231 as the meter can print it, and what its object says.
TEST(ReadingJson, ChannelValuesAndFlags)
{
    struct Case {
        const char* what;
        QString value;
        QString unit;
        bool overRange, hasValue;
        const char* lowLimit;  // "" = no low test
        const char* highLimit; // "" = no high test
        QJsonValue expectValue;
        QString expectUnit;
        QJsonValue expectFlag;
    };
    const QJsonValue null(QJsonValue::Null);
    const Case cases[] = {
        {"micro prefix taken off", QStringLiteral("635.8"), kMicro + "S/cm", false, true, "", "", 635.8e-6,
         QStringLiteral("S/cm"), null},
        {"milli prefix taken off", QStringLiteral("1.413"), QStringLiteral("mS/cm"), false, true, "", "", 1.413e-3,
         QStringLiteral("S/cm"), null},
        {"decimal comma", QStringLiteral("12,5"), QStringLiteral("mV"), false, true, "", "", 12.5,
         QStringLiteral("mV"), null},
        {"over range", QStringLiteral("OR."), kMicro + "S/cm", true, true, "", "", null, QStringLiteral("S/cm"),
         QStringLiteral("over range")},
        {"damaged value", QStringLiteral("x6.54"), QStringLiteral("mV"), false, true, "", "", null,
         QStringLiteral("mV"), QStringLiteral("damaged")},
        {"no value", QString(), QString(), false, false, "", "", null, QString(), QStringLiteral("missing")},
        {"below the low limit", QStringLiteral("6.5"), QStringLiteral("mV"), false, true, "7", "", 6.5,
         QStringLiteral("mV"), QStringLiteral("alarm low")},
        {"above the high limit", QStringLiteral("9.5"), QStringLiteral("mV"), false, true, "", "9", 9.5,
         QStringLiteral("mV"), QStringLiteral("alarm high")},
        {"on the limit is no alarm", QStringLiteral("9"), QStringLiteral("mV"), false, true, "", "9", 9.0,
         QStringLiteral("mV"), null},
        {"over range is no alarm", QStringLiteral("OR."), QStringLiteral("mV"), true, true, "", "9", null,
         QStringLiteral("mV"), QStringLiteral("over range")},
        {"a damaged value is no alarm", QStringLiteral("x6.54"), QStringLiteral("mV"), false, true, "7", "", null,
         QStringLiteral("mV"), QStringLiteral("damaged")},
    };
    LocalOffsets offsets;
    for (const Case& c : cases) {
        AppState s = K231();
        ChannelReading& r = s.Readings[3];
        r.ValueText = c.value;
        r.UnitText = c.unit;
        r.OverRange = c.overRange;
        r.HasValue = c.hasValue;
        r.AlarmLowTest = *c.lowLimit != 0;
        r.AlarmLowLimit = QLatin1String(c.lowLimit);
        r.AlarmHighTest = *c.highLimit != 0;
        r.AlarmHighLimit = QLatin1String(c.highLimit);
        const QJsonObject o = Channel(Parse(ReadingJson(PublishedReadingOf(s, QStringLiteral("b")), 1, offsets)), 3);
        EXPECT_EQ(o.value(QLatin1String("value")), c.expectValue) << c.what;
        EXPECT_EQ(o.value(QLatin1String("unit")).toString(), c.expectUnit) << c.what;
        EXPECT_EQ(o.value(QLatin1String("flag")), c.expectFlag) << c.what;
    }
}

TEST(ReadingJson, TheReadingAroundItsChannels)
{
    AppState s = K231();
    s.IdentificationNumber = QStringLiteral(" 1234 ");
    s.Channel(2).Use = false; // switched off: left out
    LocalOffsets offsets;
    const QByteArray json = ReadingJson(PublishedReadingOf(s, QStringLiteral("bench-3")), 17, offsets);
    const QJsonObject o = Parse(json);
    EXPECT_EQ(o.value(QLatin1String("seq")).toInteger(), 17);
    EXPECT_EQ(o.value(QLatin1String("model")).toString(), QLatin1String("K231"));
    EXPECT_EQ(o.value(QLatin1String("id")).toString(), QLatin1String("1234"));
    EXPECT_EQ(o.value(QLatin1String("bench")).toString(), QLatin1String("bench-3"));
    QStringList channels;
    for (const QJsonValue& c : o.value(QLatin1String("channels")).toArray())
        channels << QString::number(c.toObject().value(QLatin1String("channel")).toInt());
    EXPECT_EQ(channels.join(QLatin1Char(',')), QLatin1String("1,3,4"));

    // The local time with the zone's offset of that moment.
    const int offset = QDateTime(QDate(2024, 5, 2), QTime(14, 3, 7)).offsetFromUtc();
    const QString sign = offset < 0 ? QStringLiteral("-") : QStringLiteral("+");
    const QString expected = QStringLiteral("2024-05-02T14:03:07") + sign
        + QStringLiteral("%1:%2").arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0')).arg(std::abs(offset) / 60 % 60, 2, 10, QLatin1Char('0'));
    EXPECT_EQ(o.value(QLatin1String("time")).toString(), expected);

    s.IdentificationNumber.clear();
    s.Readings[1].ReadingTime = s.Readings[3].ReadingTime = s.Readings[4].ReadingTime = 0;
    const QJsonObject none = Parse(ReadingJson(PublishedReadingOf(s, QStringLiteral("b")), 1, offsets));
    EXPECT_TRUE(none.value(QLatin1String("id")).isNull());
    EXPECT_TRUE(none.value(QLatin1String("time")).toString().startsWith(QLatin1String("1899-12-30T00:00:00")));
}

// The offset is the zone's at the reading's time, east of UTC positive.
TEST(ReadingJson, TimesCarryTheirOffsetFromUtc)
{
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const double time = ToDays(QDate(2024, 5, 2), QTime(14, 3, 7));
    for (const auto& [tz, expected] : {std::pair{"XST-2", "2024-05-02T14:03:07+02:00"},
                                       std::pair{"YST5:30", "2024-05-02T14:03:07-05:30"},
                                       std::pair{"UTC0", "2024-05-02T14:03:07+00:00"}}) {
        qputenv("TZ", tz);
        tzset();
        LocalOffsets offsets; // a new zone: nothing cached
        EXPECT_EQ(IsoTimeWithOffset(time, offsets), QByteArray(expected)) << tz;
    }
    // A zone that moves its clocks: the offset follows within one run.
    qputenv("TZ", "XST-1XDT,M3.5.0,M10.5.0/3");
    tzset();
    LocalOffsets offsets;
    EXPECT_EQ(IsoTimeWithOffset(ToDays(QDate(2024, 3, 31), QTime(1, 30)), offsets), "2024-03-31T01:30:00+01:00");
    EXPECT_EQ(IsoTimeWithOffset(ToDays(QDate(2024, 3, 31), QTime(3, 30)), offsets), "2024-03-31T03:30:00+02:00");
    if (hadZone)
        qputenv("TZ", zone);
    else
        qunsetenv("TZ");
    tzset();
}

TEST(ReadingJson, NamesKeepTheirCharacters)
{
    AppState s = K231();
    const QString names[] = {QStringLiteral("Temp\u00E9rature \u00B0C"), QStringLiteral("Tank \"A\"\\B"),
                             QStringLiteral("tab\there"), QStringLiteral("\u6E29\u5EA6")};
    for (int ch = 1; ch <= 4; ++ch)
        s.Channel(ch).Name = names[ch - 1];
    LocalOffsets offsets;
    const QByteArray json = ReadingJson(PublishedReadingOf(s, QStringLiteral("Pr\u00FCfstand")), 1, offsets);
    EXPECT_TRUE(json.contains("Temp\xC3\xA9rature")) << "UTF-8, not escaped";
    const QJsonObject o = Parse(json);
    for (int ch = 1; ch <= 4; ++ch)
        EXPECT_EQ(Channel(o, ch).value(QLatin1String("name")).toString(), names[ch - 1]);
    EXPECT_EQ(o.value(QLatin1String("bench")).toString(), QStringLiteral("Pr\u00FCfstand"));
    EXPECT_EQ(Channel(o, 4).value(QLatin1String("unit")).toString(), QString(QChar(0x00B0)) + QStringLiteral("C"));
}

TEST(ReadingJson, ValueTopicsReadBackFromTheJson)
{
    AppState s = K231();
    s.Readings[2].OverRange = true;
    LocalOffsets offsets;
    const PublishedReading r = PublishedReadingOf(s, QStringLiteral("b"));
    const auto values = ChannelValuesOfJson(ReadingJson(r, 5, offsets));
    ASSERT_EQ(values.size(), 4u);
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i].first, r.channels[i].reading.channel);
        EXPECT_EQ(values[i].second, ValueText(r.channels[i].reading.value));
    }
    EXPECT_EQ(values[1].second, QByteArray()) << "no value: an empty payload";
    EXPECT_EQ(values[2].second, QByteArray("0.0006358"));
    EXPECT_TRUE(ChannelValuesOfJson("not json").empty());
}
