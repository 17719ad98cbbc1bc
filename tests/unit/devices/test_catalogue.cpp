#include "core/model/appstate.h"
#include "core/devices/catalogue.h"

#include <gtest/gtest.h>
#include <QSet>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

struct FamilyCase {
    const char* model;
    int channels;
    const char* poll;
    const char* end;
    const char* overrange;
    float timeout;
};

// One model of each set-up row, plus every model whose channel count stands out.
const FamilyCase kFamilies[] = {
    {"A101", 2, ">5\r\n", "<5\r\n", "99999", 3000},
    {"E133", 2, ">5\r\n", "<5\r\n", "99999", 3000},
    {"P6710", 16, ">5\r\n", "<5\r\n", "99999", 3000},
    {"P672", 12, ">5\r\n", "<5\r\n", "99999", 3000},
    {"H262", 4, ">5\r\n", "<5\r\n", "99999", 5000},
    {"H264 USB", 8, ">5\r\n", "<5\r\n", "99999", 5000},
    {"H268", 6, ">5\r\n", "<5\r\n", "99999", 5000},
    {"N535", 4, ">?\r\n", "<?\r\n", "99999", 3000},
    {"N335", 4, "8", "\r\n", "99999", 3000},
    {"L331", 2, "8", "\r\n", "99999", 3000},
    {"L333", 5, "8", "\r\n", "99999", 3000},
    {"L332 bio-elec", 6, "8", "\r\n", "99999", 3000},
    {"K233", 4, "8", "\r\n", "99999", 3000},
    {"K235 < version 3.0", 8, "8", "\r\n", "99999", 3000},
    {"K238", 6, "8", "\r\n", "99999", 3000},
    {"P651", 16, "8", "\r\n", "99999", 3000},
    {"P652", 12, "8", "\r\n", "99999", 3000},
    {"J7030", 2, ">?\r\n", "<?{\r\n", "--", 5000},
    {"J7040", 6, ">?\r\n", "<?{\r\n", "--", 5000},
    {"J7050", 5, ">?\r\n", "<?{\r\n", "--", 5000},
    {"J7050M", 7, ">?\r\n", "<?{\r\n", "--", 5000},
    {"J7060", 8, ">?\r\n", "<?{\r\n", "--", 5000},
    {"G4020", 2, ">?\r\n", "<?{\r\n", "--", 5000},
};
} // namespace

TEST(Catalogue, EveryFamilySetUpAndChannelCount)
{
    for (const FamilyCase& c : kFamilies) {
        SCOPED_TRACE(c.model);
        AppState s;
        SelectDeviceFamily(s, QString::fromLatin1(c.model));
        EXPECT_EQ(s.ChannelCount, c.channels);
        EXPECT_EQ(s.PollCommand, QString::fromLatin1(c.poll));
        EXPECT_EQ(s.EndString, QString::fromLatin1(c.end));
        EXPECT_EQ(s.OverrangeMarker, QString::fromLatin1(c.overrange));
        EXPECT_EQ(s.ReadingTimeout, c.timeout);
    }
}

TEST(Catalogue, HoldsFiftyFourDistinctModelsEachWithAParser)
{
    QSet<QString> names;
    for (const CatalogueModel& m : CatalogueModels()) {
        names.insert(QString::fromLatin1(m.name));
        EXPECT_TRUE(ParserFamilyForModel(QString::fromLatin1(m.name)).has_value()) << m.name;
    }
    EXPECT_EQ(names.size(), 54);
    const QStringList order = DeviceListOrder();
    EXPECT_EQ(order.size(), 54);
    EXPECT_EQ(QSet<QString>(order.begin(), order.end()), names);
    EXPECT_FALSE(ParserFamilyForModel(QStringLiteral("a101")).has_value()) << "dispatch is exact";
}

TEST(Catalogue, IdMarkerPerFamilyAndKeptByJAndG)
{
    AppState s;
    SelectDeviceFamily(s, QStringLiteral("K231"));
    EXPECT_EQ(s.IdMarker, QStringLiteral("Identification No:"));
    SelectDeviceFamily(s, QStringLiteral("J7010"));
    EXPECT_EQ(s.IdMarker, QStringLiteral("Identification No:"));
    SelectDeviceFamily(s, QStringLiteral("A102"));
    EXPECT_EQ(s.IdMarker, QStringLiteral("#"));
    SelectDeviceFamily(s, QStringLiteral("G4010"));
    EXPECT_EQ(s.IdMarker, QStringLiteral("#"));
}

TEST(Catalogue, SwitchingJ70ToK230ChangesMarkers)
{
    AppState s;
    SelectDeviceFamily(s, QStringLiteral("J7020"));
    SelectDeviceFamily(s, QStringLiteral("K232"));
    EXPECT_EQ(s.OverrangeMarker, QStringLiteral("99999"));
    EXPECT_EQ(s.EndString, kCrLf);
}

TEST(Catalogue, UnknownNameOnlyResetsTimeout)
{
    AppState s;
    SelectDeviceFamily(s, QStringLiteral("H261"));
    SelectDeviceFamily(s, QStringLiteral("X999"));
    EXPECT_EQ(s.ReadingTimeout, 3000);
    EXPECT_EQ(s.ChannelCount, 4);
    EXPECT_EQ(s.PollCommand, QStringLiteral(">5\r\n"));
}

TEST(Catalogue, BaudRateRules)
{
    AppState s;
    s.Baudrate = QStringLiteral("9600");
    SelectDeviceFamily(s, QStringLiteral("H264 USB"));
    EXPECT_EQ(s.Baudrate, QStringLiteral("9600"));
    EXPECT_TRUE(HasFixedBaudRate(QStringLiteral("H264 USB")));
    SelectDeviceFamily(s, QStringLiteral("H261 USB"));
    EXPECT_EQ(s.Baudrate, QStringLiteral("19200"));
    SelectDeviceFamily(s, QStringLiteral("A101"));
    EXPECT_EQ(s.Baudrate, QStringLiteral("19200")) << "other models keep the rate";
    EXPECT_FALSE(HasFixedBaudRate(QStringLiteral("H264")));

    EXPECT_EQ(BaudRatesFor(QStringLiteral("J7010")).first(), QStringLiteral("1200"));
    EXPECT_EQ(BaudRatesFor(QStringLiteral("A101")).first(), QStringLiteral("300"));
    EXPECT_EQ(BaudRatesFor(QStringLiteral("A101")).size(), 10);
    EXPECT_EQ(BaudRatesFor(QStringLiteral("P6720")).size(), 8);
}

TEST(Catalogue, ValidateDeviceNameResolvesToAModelName)
{
    const struct { const char* in; const char* out; } cases[] = {
        {"a101", "A101"}, {"J7050M", "J7050M"}, {"j7050", "J7050"}, {"K23", "K231"}, {"k235", "K235"},
        {"K235 < VERSION 3.0", "K235 < version 3.0"}, {"h264 usb", "H264 USB"}, {"usb", "H261 USB"},
        {"USBJ70", ""}, // spans two names of the catalogue string: no model
        {"", ""}, {"Z100", ""}, {"A101 ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ValidateDeviceName(QString::fromLatin1(c.in)), QString::fromLatin1(c.out)) << c.in;
}

TEST(Catalogue, NameTests)
{
    EXPECT_TRUE(ChannelsComeFromDevice(QStringLiteral("G4030")));
    EXPECT_TRUE(ChannelsComeFromDevice(QStringLiteral("X-27")));
    EXPECT_FALSE(ChannelsComeFromDevice(QStringLiteral("P6710")));
    EXPECT_TRUE(IsJ70Device(QStringLiteral("J7060")));
    EXPECT_FALSE(IsJ70Device(QStringLiteral("J7410")));
    EXPECT_TRUE(IsJ70Device(QStringLiteral("ABC-37")));
    EXPECT_TRUE(UsesJ70WakeUp(QStringLiteral("J7410")));
    EXPECT_TRUE(IsG40Device(QStringLiteral("G4010")));
    EXPECT_TRUE(IsJ705x(QStringLiteral("J7050M")));
    EXPECT_FALSE(IsJ705x(QStringLiteral("J7060")));
    EXPECT_TRUE(HasUserUnit(QStringLiteral("P651")));
    EXPECT_FALSE(HasUserUnit(QStringLiteral("P671")));
    EXPECT_TRUE(IsHighSpeedOnly(QStringLiteral("J7050M")));
    EXPECT_FALSE(IsHighSpeedOnly(QStringLiteral("K231")));
    EXPECT_EQ(SpecialChannelLabel(QStringLiteral("H264"), 7), QStringLiteral("EC"));
    EXPECT_EQ(SpecialChannelLabel(QStringLiteral("H268 USB"), 4), QStringLiteral("\u00B5W"));
    EXPECT_EQ(SpecialChannelLabel(QStringLiteral("H261"), 4), QStringLiteral("\u00B0C"));
    EXPECT_EQ(SpecialChannelLabel(QStringLiteral("H261"), 2), QString());
}

TEST(Catalogue, ApplyDeviceRemakesChannelsAndKeepsAlarms)
{
    AppState s;
    ASSERT_TRUE(ApplyDevice(s, QStringLiteral("J7040"), 100.0));
    s.Channel(2).Use = false;
    s.Channel(2).Name = QStringLiteral("pH left");
    s.Readings[2].ValueText = QStringLiteral("7.01");
    s.Readings[2].HasValue = true;
    s.Readings[2].AlarmHighLimit = QStringLiteral("8");
    s.Readings[2].AlarmHighTest = true;

    ASSERT_TRUE(ApplyDevice(s, QStringLiteral("L332"), 200.0));
    ASSERT_EQ(s.ChannelCount, 5);
    ASSERT_EQ(s.Channels.size(), 6u);
    for (int ch = 1; ch <= 5; ++ch) {
        EXPECT_EQ(s.Channel(ch).Name, QStringLiteral("CH%1").arg(ch));
        EXPECT_TRUE(s.Channel(ch).Use);
        EXPECT_TRUE(s.Channel(ch).Value);
        EXPECT_EQ(s.Readings[ch].ReadingTime, 200.0);
    }
    EXPECT_EQ(s.ActiveChannelCount, 5);
    EXPECT_TRUE(s.Readings[2].ValueText.isEmpty());
    EXPECT_FALSE(s.Readings[2].HasValue);
    EXPECT_EQ(s.Readings[2].AlarmHighLimit, QStringLiteral("8"));
    EXPECT_TRUE(s.Readings[2].AlarmHighTest);

    EXPECT_FALSE(ApplyDevice(s, QString(), 300.0));
    EXPECT_EQ(s.ChannelCount, 5);
}

TEST(Catalogue, ResetReadingsCountsChannelsInUse)
{
    AppState s;
    ApplyDevice(s, QStringLiteral("K234"), 1.0);
    s.Channel(3).Use = false;
    s.Channel(8).Use = false;
    ResetReadings(s, 2.0);
    EXPECT_EQ(s.ActiveChannelCount, 6);
}
