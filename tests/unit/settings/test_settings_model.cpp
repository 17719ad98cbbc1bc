// The settings dialog's model: interval entries, the draft taken at opening,
// the lists it offers, OK's checks in their order, and Cancel.

#include "core/settings/settingsmodel.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <gtest/gtest.h>
#include <optional>

TEST(SettingsIntervals, AcceptedFormsNormalFormAndRanges)
{
    struct {
        const char* text;
        std::optional<qint64> seconds;     // as parsed
        const char* poll;                  // shown back in the poll box ("" = no interval)
    } cases[] = {
        {"90", 90, "00:01:30"},
        {" 1:30 ", 90, "00:01:30"},
        {"01:01:30", 3690, "00:59:59"},
        {"0:0:5", 5, "00:00:05"},
        {"5000", 5000, "00:59:59"},
        {"0", 0, "00:00:01"},
        {"90:00", 5400, "00:59:59"},
        {"99999999999999999999", Q_INT64_C(999999999999), "00:59:59"},
        {"", std::nullopt, ""},
        {"abc", std::nullopt, ""},
        {"-5", std::nullopt, ""},
        {"+5", std::nullopt, ""},
        {"1.5", std::nullopt, ""},
        {"1:60", std::nullopt, ""},
        {"1:075", std::nullopt, ""},
        {"1:2:3:4", std::nullopt, ""},
        {"1::3", std::nullopt, ""},
        {":30", std::nullopt, ""},
        {"1 30", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(ParseInterval(text), c.seconds) << c.text;
        const std::optional<qint64> poll = IntervalValue(text, kPollIntervalRange);
        EXPECT_EQ(poll.has_value(), c.seconds.has_value()) << c.text;
        if (poll) {
            EXPECT_EQ(FormatInterval(*poll), QString::fromLatin1(c.poll)) << c.text;
        }
        EXPECT_EQ(NormaliseIntervalText(text, kPollIntervalRange), poll ? QString::fromLatin1(c.poll) : text);
    }
    EXPECT_EQ(IntervalValue(QStringLiteral("100000"), kLogIntervalRange), 86400);
    EXPECT_EQ(FormatInterval(86400), QStringLiteral("24:00:00"));
    EXPECT_EQ(FormatInterval(360000), QStringLiteral("100:00:00"));
}

namespace {

struct SettingsModelTest : testing::Test {
    void SetUp() override
    {
        s.ApplyDefaults();
        s.UserName = QStringLiteral("ann");
        s.SystemName = QStringLiteral("bench-pc");
        SelectDevice(s, QStringLiteral("A101"), 45000);
        s.DeviceName = QStringLiteral("A101");
        s.SerialPort = QStringLiteral("COM3");
        s.PollInterval = 10;
        s.LogInterval = 60;
        act.suspend = [this] { calls << QStringLiteral("suspend"); };
        act.scanPorts = [this] {
            calls << QStringLiteral("scan");
            return scan;
        };
        act.initPort = [this] {
            calls << QStringLiteral("initPort");
            return portOk;
        };
        act.configurePort = [this] { calls << QStringLiteral("configurePort"); };
        act.setDevice = [this](const QString& name) {
            calls << QStringLiteral("setDevice ") + name;
            SelectDevice(s, name, 45000);
            s.DeviceName = name;
        };
        act.rebuildTable = [this] { calls << QStringLiteral("rebuildTable"); };
        act.followChannels = [this](const std::vector<ChannelRecord>& before) {
            QString was; // the switches as they were: Use and Value of each channel
            for (size_t ch = 1; ch < before.size(); ++ch)
                was += QStringLiteral(" %1%2").arg(int(before[ch].Use)).arg(int(before[ch].Value));
            calls << QStringLiteral("followChannels") + was;
        };
        act.stopLogging = [this](const QString& why) { calls << QStringLiteral("stopLogging ") + why; };
        act.saveSettingsAs = [this] { calls << QStringLiteral("saveSettingsAs"); };
        act.testTableAlarms = [this](int ch) { calls << QStringLiteral("testTableAlarms %1").arg(ch); };
        act.savePreferences = [this] { calls << QStringLiteral("savePreferences"); };
        act.retranslate = [this] { calls << QStringLiteral("retranslate"); };
    }
    SettingsModel& Open()
    {
        model.emplace(s, lang, act);
        model->Open();
        return *model;
    }

    AppState s;
    LanguageTable lang;
    SettingsActions act;
    QString scan = QStringLiteral("COM1,  COM3 , /dev/ttyUSB0");
    bool portOk = true;
    QStringList calls;
    std::optional<SettingsModel> model;
};

} // namespace

TEST_F(SettingsModelTest, OpeningSuspendsAndTakesTheDraft)
{
    s.PollInterval = 5000;
    s.LogInterval = 0;
    s.Points = 7;
    s.Baudrate = QString();
    s.SettingsTab = 42;
    SettingsModel& m = Open();
    EXPECT_TRUE(s.SettingsOpen);
    EXPECT_EQ(calls, QStringList({"suspend", "scan"}));
    const SettingsDraft& d = m.Draft();
    EXPECT_EQ(d.ports, QStringList({"COM1", "COM3", "/dev/ttyUSB0"}));
    EXPECT_EQ(d.port, QStringLiteral("COM3"));
    EXPECT_EQ(d.baud, QStringLiteral("2400")); // an empty rate counts as 2400
    EXPECT_EQ(d.pollText, QStringLiteral("00:59:59"));
    EXPECT_EQ(d.logText, QStringLiteral("00:00:01"));
    EXPECT_EQ(d.points, 100);
    EXPECT_EQ(d.tab, kSettingsPageCount - 1);
    EXPECT_EQ(m.ChannelRows(), 2);
    EXPECT_EQ(d.info[InfoNetwork], QStringLiteral("ann"));
    EXPECT_EQ(d.info[InfoSystem], QStringLiteral("bench-pc"));
    EXPECT_EQ(d.colors[15], s.ValueColorOverrange);
    EXPECT_EQ(d.colors[16], s.GraphColorAxis);

    // The scan again: a port that went away leaves nothing chosen.
    scan = QStringLiteral("COM1");
    m.BuildPortList();
    EXPECT_EQ(m.Draft().ports, QStringList({"COM1"}));
    EXPECT_TRUE(m.Draft().port.isEmpty());
    m.Close();
    EXPECT_FALSE(s.SettingsOpen);
}

TEST_F(SettingsModelTest, NoDeviceGetsJ7010BeforeTheFieldsAreSaved)
{
    s.DeviceName.clear();
    SettingsModel& m = Open();
    EXPECT_EQ(s.DeviceName, QStringLiteral("J7010"));
    EXPECT_TRUE(calls.contains(QStringLiteral("setDevice J7010")));
    EXPECT_EQ(m.SavedDevice(), QStringLiteral("J7010"));
    m.Close(); // Cancel goes back to a device that was selected
    EXPECT_EQ(s.DeviceName, QStringLiteral("J7010"));
}

TEST_F(SettingsModelTest, OkChecksInOrderAndKeepsTheDialogOpen)
{
    struct {
        const char* what;
        std::function<void(SettingsDraft&)> edit;
        bool portOk;
        SettingsField field;
        const char* text;
        QStringList calls; // after opening
    } cases[] = {
        {"no device", [](SettingsDraft& d) { d.device.clear(); d.port.clear(); }, true, SettingsField::Device,
         "Choose the device which is connected!", {}},
        {"no port", [](SettingsDraft& d) { d.port.clear(); d.pollText = QStringLiteral("x"); }, true,
         SettingsField::Port, "Choose the serial port used for the connection!", {}},
        {"port fails", [](SettingsDraft& d) { d.pollText = QStringLiteral("x"); }, false, SettingsField::None, "",
         {"savePreferences", "initPort"}},
        {"bad poll", [](SettingsDraft& d) { d.pollText = QStringLiteral("x"); d.logText = QStringLiteral("y"); },
         true, SettingsField::PollInterval, "Poll for values every:\r\nIncorrect input!",
         {"savePreferences", "initPort"}},
        {"bad log", [](SettingsDraft& d) { d.logText = QStringLiteral("1:99"); }, true, SettingsField::LogInterval,
         "Interval of time:\r\nIncorrect input!", {"savePreferences", "initPort"}},
    };
    for (const auto& c : cases) {
        SetUp();
        SettingsModel& m = Open();
        calls.clear();
        portOk = c.portOk;
        c.edit(m.Draft());
        SettingsProblem p;
        EXPECT_FALSE(m.Ok(&p)) << c.what;
        EXPECT_EQ(p.field, c.field) << c.what;
        EXPECT_EQ(p.text, QString::fromLatin1(c.text)) << c.what;
        if (!p.text.isEmpty()) {
            EXPECT_EQ(p.title, QStringLiteral("Settings")) << c.what;
        }
        EXPECT_EQ(calls, c.calls) << c.what;
        EXPECT_FALSE(m.Confirmed()) << c.what;
        EXPECT_TRUE(s.SettingsOpen) << c.what;
        EXPECT_FALSE(s.ConfigChanged) << c.what;
    }
}

TEST_F(SettingsModelTest, OkAppliesTheDraft)
{
    SettingsModel& m = Open();
    calls.clear();
    SettingsDraft& d = m.Draft();
    d.tab = 3;
    d.port = QStringLiteral("/dev/ttyUSB0");
    d.baud = QStringLiteral("9600");
    d.pollValues = true;
    d.pollText = QStringLiteral("5000");
    d.logText = QStringLiteral("1:30");
    d.points = 250;
    d.limitToPoints = d.logAtStart = d.loadFileAtStart = d.datestampFileName = d.connectAtStart = true;
    d.info[InfoUser] = QStringLiteral("  Bea ");
    d.info[InfoCompany] = QStringLiteral("Lab ");
    d.info[InfoFolderData] = QStringLiteral(" /data ");
    d.info[InfoFolderSettings] = QStringLiteral("  ");
    d.manual = true;
    d.terminalFactor = 2;
    d.autoArrange = false;
    d.colors[0] = 0x123456;
    d.channels[2].Use = false;
    d.channels[1].Value = false;
    SettingsProblem p;
    ASSERT_TRUE(m.Ok(&p)) << p.text.toStdString();
    EXPECT_EQ(s.SettingsTab, 3);
    EXPECT_EQ(s.SerialPort, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(s.Baudrate, QStringLiteral("9600"));
    EXPECT_TRUE(s.PollValues);
    EXPECT_EQ(s.PollInterval, 3599);
    EXPECT_EQ(s.LogInterval, 90);
    EXPECT_EQ(s.Points, 250);
    EXPECT_TRUE(s.LimitToPoints && s.LogAtStart && s.LoadFileAtStart && s.DatestampFileName && s.ConnectAtStart);
    EXPECT_EQ(s.SystemUser, QStringLiteral("Bea"));
    EXPECT_EQ(s.SystemCompany, QStringLiteral("Lab"));
    EXPECT_EQ(s.FolderData, QStringLiteral("/data"));
    EXPECT_EQ(s.FolderSettings, s.DefaultFolderSettings());
    EXPECT_TRUE(s.ManualWindowTile);
    EXPECT_EQ(s.TerminalFactor, 2.0f);
    EXPECT_FALSE(s.AutoArrange);
    EXPECT_EQ(s.TerminalColorOut, 0x123456u);
    EXPECT_EQ(s.DeviceUnit, QStringLiteral("\u00B0C"));
    EXPECT_FALSE(s.Channel(2).Use);
    EXPECT_FALSE(s.Channel(1).Value);
    EXPECT_TRUE(s.ConfigChanged);
    // The same device and language: the windows follow the switches as they
    // were, and the table's alarm colours for the channels in use.
    EXPECT_EQ(calls, QStringList({"savePreferences", "initPort", "followChannels 11 11", "testTableAlarms 1"}));
    m.Close();
    EXPECT_EQ(s.PollInterval, 3599); // a confirmed dialog does not cancel
    EXPECT_FALSE(s.SettingsOpen);

    // Opened again, the clamped interval reads back.
    EXPECT_EQ(Open().Draft().pollText, QStringLiteral("00:59:59"));
}

TEST_F(SettingsModelTest, ChoosingADeviceRebuildsRowsAndOkSelectsIt)
{
    SettingsModel& m = Open();
    calls.clear();
    m.ChooseDevice(QStringLiteral("H261 USB"));
    EXPECT_EQ(m.ChannelRows(), 4);
    EXPECT_EQ(m.ChannelLabel(1), QStringLiteral("CH1"));
    EXPECT_EQ(m.ChannelLabel(3), QStringLiteral("EC"));
    EXPECT_EQ(m.ChannelLabel(4), QStringLiteral("\u00B0C"));
    EXPECT_EQ(m.Draft().baud, QStringLiteral("19200"));
    EXPECT_FALSE(m.BaudEnabled());
    EXPECT_TRUE(m.ChannelsEditable());
    EXPECT_FALSE(m.UnitEnabled());
    EXPECT_EQ(s.DeviceName, QStringLiteral("A101")); // nothing applied yet
    EXPECT_EQ(s.ChannelCount, 2);

    m.ChooseDevice(QStringLiteral("J7010"));
    EXPECT_FALSE(m.ChannelsEditable());
    EXPECT_TRUE(m.BaudEnabled());
    EXPECT_EQ(m.BaudList().first(), QStringLiteral("1200"));
    m.Draft().baud = QStringLiteral("600"); // not offered for J7010
    m.ChooseDevice(QStringLiteral("P651"));
    EXPECT_TRUE(m.UnitEnabled());
    EXPECT_EQ(m.ChannelRows(), 16);
    m.ChooseDevice(QStringLiteral("J7020"));
    EXPECT_TRUE(m.Draft().baud.isEmpty());

    // Back to the running device: its own channel records.
    s.Channel(2).Use = false;
    m.ChooseDevice(QStringLiteral("A101"));
    EXPECT_FALSE(m.Draft().channels[2].Use);

    m.ChooseDevice(QStringLiteral("K233"));
    m.Draft().channels[4].Use = false;
    SettingsProblem p;
    ASSERT_TRUE(m.Ok(&p));
    EXPECT_EQ(s.DeviceName, QStringLiteral("K233"));
    EXPECT_EQ(s.ChannelCount, 4);
    EXPECT_FALSE(s.Channel(4).Use);
    EXPECT_EQ(s.Baudrate, QStringLiteral("2400")); // none chosen
    EXPECT_EQ(s.PrintDeviceName, QStringLiteral("K233 Velmark"));
    EXPECT_EQ(calls, QStringList({"savePreferences", "initPort", "setDevice K233", "rebuildTable", "followChannels",
                                  "saveSettingsAs"}));
}

TEST_F(SettingsModelTest, CancelPutsBackEverySetting)
{
    struct {
        const char* what;
        bool okFirst; // a failed OK before Cancel
    } cases[] = {{"cancel", false}, {"failed OK, then cancel", true}};
    for (const auto& c : cases) {
        SetUp();
        s.Baudrate = QStringLiteral("9600");
        s.Channel(2).Value = false;
        calls.clear();
        const AppSettings was = s;
        SettingsModel& m = Open();
        m.ChooseDevice(QStringLiteral("H261 USB")); // its fixed rate replaces 9600
        m.Draft().port = QStringLiteral("COM1");
        m.Draft().pollText = QStringLiteral("20");
        m.Draft().logText = QStringLiteral("bad");
        m.Draft().points = 500;
        m.Draft().autoArrange = false;
        m.Draft().info[InfoUser] = QStringLiteral("Bea");
        m.Draft().colors[0] = 0x123456;
        m.Draft().tab = PageLog;
        m.ChooseLanguage(LanguageTable::French);
        if (c.okFirst) {
            EXPECT_FALSE(m.Ok(nullptr)) << c.what;
            EXPECT_EQ(s.DeviceName, QStringLiteral("H261 USB")) << c.what;
            EXPECT_EQ(s.Baudrate, QStringLiteral("19200")) << c.what;
            EXPECT_EQ(s.PollInterval, 20) << c.what;
        }
        calls.clear();
        m.Close();
        EXPECT_EQ(s.DeviceName, QStringLiteral("A101")) << c.what;
        EXPECT_EQ(s.ChannelCount, 2) << c.what;
        EXPECT_FALSE(s.Channel(2).Value) << c.what;
        EXPECT_EQ(s.Baudrate, QStringLiteral("9600")) << c.what;
        EXPECT_EQ(s.PollInterval, 10) << c.what;
        EXPECT_EQ(s.LogInterval, 60) << c.what;
        EXPECT_EQ(s.SerialPort, QStringLiteral("COM3")) << c.what;
        EXPECT_EQ(s.Points, kDefaultPointsNewConfig) << c.what;
        EXPECT_TRUE(s.AutoArrange) << c.what;
        EXPECT_EQ(s.SystemUser, was.SystemUser) << c.what;
        EXPECT_EQ(s.TerminalColorOut, was.TerminalColorOut) << c.what;
        EXPECT_EQ(s.SettingsTab, 0) << c.what;
        EXPECT_EQ(s.LanguageIndex, LanguageTable::English) << c.what;
        EXPECT_FALSE(s.SettingsOpen) << c.what;
        // The store gets the old preferences back, then the port its old set-up.
        EXPECT_EQ(calls, c.okFirst ? QStringList({"savePreferences", "configurePort"}) : QStringList({"configurePort"}))
            << c.what;
        EXPECT_EQ(lang[26], QStringLiteral("Settings")) << c.what;
    }
}

TEST_F(SettingsModelTest, LoggingStopsOnlyWhenTheLineToTheMeterChanged)
{
    struct {
        const char* what;
        bool logging;
        std::function<void(SettingsModel&)> edit;
        const char* stop; // what stopping says; "" = logging goes on
    } cases[] = {
        {"intervals and channels", true,
         [](SettingsModel& m) {
             m.Draft().logText = QStringLiteral("5");
             m.Draft().channels[2].Use = false;
         },
         ""},
        {"port", true, [](SettingsModel& m) { m.Draft().port = QStringLiteral("COM1"); },
         "Logging stopped by the new settings (Serial port: COM3 \u2192 COM1)."},
        {"baud rate", true, [](SettingsModel& m) { m.Draft().baud = QStringLiteral("9600"); },
         "Logging stopped by the new settings (Baud rate: 2400 \u2192 9600)."},
        {"device", true, [](SettingsModel& m) { m.ChooseDevice(QStringLiteral("A102")); },
         "Logging stopped by the new settings (Device: A101 \u2192 A102)."},
        {"port and device", true,
         [](SettingsModel& m) {
             m.Draft().port = QStringLiteral("COM1");
             m.ChooseDevice(QStringLiteral("H261 USB"));
         },
         "Logging stopped by the new settings (Serial port: COM3 \u2192 COM1; Baud rate: 2400 \u2192 19200; "
         "Device: A101 \u2192 H261 USB)."},
        {"port, not logging", false, [](SettingsModel& m) { m.Draft().port = QStringLiteral("COM1"); }, ""},
    };
    for (const auto& c : cases) {
        SetUp();
        s.LogActive = c.logging;
        SettingsModel& m = Open();
        c.edit(m);
        calls.clear();
        ASSERT_TRUE(m.Ok(nullptr)) << c.what;
        const QStringList stops = calls.filter(QStringLiteral("stopLogging"));
        EXPECT_EQ(stops, *c.stop ? QStringList{QStringLiteral("stopLogging ") + QString::fromUtf8(c.stop)}
                                 : QStringList()) << c.what;
        if (!stops.isEmpty()) {
            // The run ends before another device replaces the table's columns.
            EXPECT_EQ(calls.indexOf(stops[0]), calls.indexOf(QStringLiteral("initPort")) + 1) << c.what;
        }
    }
}

TEST_F(SettingsModelTest, LanguageNamesInTheirOwnWords)
{
    s.LanguageIndex = LanguageTable::Dutch;
    SettingsModel& m = Open();
    EXPECT_EQ(m.LanguageNames(), QStringList({"English", "Fran\u00E7ais", "Nederlands"}));
    EXPECT_EQ(lang.CurrentLanguage(), LanguageTable::Dutch);
    m.ChooseLanguage(LanguageTable::French);
    EXPECT_EQ(lang[26], QStringLiteral("Configuration"));
    calls.clear();
    SettingsProblem p;
    ASSERT_TRUE(m.Ok(&p));
    EXPECT_EQ(s.LanguageIndex, LanguageTable::French);
    EXPECT_TRUE(calls.contains(QStringLiteral("retranslate"))) << "another language: every window's captions";
}

TEST(SettingsGrids, RowsNamedInOrder)
{
    LanguageTable lang;
    AppState s;
    QStringList names;
    for (const ColorRow& row : ColorRows())
        names << lang[row.text];
    EXPECT_EQ(names.first(), QStringLiteral("Terminal, text Out"));
    EXPECT_EQ(names[6], QStringLiteral("Value, text when high alarm"));
    EXPECT_EQ(names[15], QStringLiteral("Value, text when out of range"));
    EXPECT_EQ(names.last(), QStringLiteral("Graph, axis"));
    // Each row's name tells the colour it sets.
    const struct {
        const char* name;
        ColorValue AppSettings::*color;
    } named[] = {
        {"Terminal, text Out", &AppSettings::TerminalColorOut},
        {"Terminal, text In", &AppSettings::TerminalColorIn},
        {"Terminal, background", &AppSettings::TerminalColorBackground},
        {"Value, text", &AppSettings::ValueColorForeground},
        {"Value, background when connected", &AppSettings::ValueColorBackgroundActive},
        {"Value, background when not connected", &AppSettings::ValueColorBackgroundInactive},
        {"Value, text when high alarm", &AppSettings::ValueColorAlarmHigh},
        {"Value, text when low alarm", &AppSettings::ValueColorAlarmLow},
        {"Unit, text", &AppSettings::UnitColorForeground},
        {"Unit, background", &AppSettings::UnitColorBackground},
        {"Graph, text", &AppSettings::GraphColorForeground},
        {"Graph, background", &AppSettings::GraphColorBackground},
        {"Table, text", &AppSettings::TableColorForeground},
        {"Table, background", &AppSettings::TableColorBackground},
        {"Table, text special info", &AppSettings::TableColorTextSpecial},
        {"Value, text when out of range", &AppSettings::ValueColorOverrange},
        {"Graph, axis", &AppSettings::GraphColorAxis},
    };
    ASSERT_EQ(std::size(named), ColorRows().size());
    for (size_t i = 0; i < ColorRows().size(); ++i) {
        EXPECT_EQ(names[int(i)], QString::fromLatin1(named[i].name)) << i;
        EXPECT_TRUE(ColorRows()[i].color == named[i].color) << named[i].name;
    }
    // Every colour setting has exactly one row: each row writes its own.
    AppSettings marked;
    for (size_t i = 0; i < ColorRows().size(); ++i)
        marked.*(ColorRows()[i].color) = ColorValue(0x100 + i);
    for (size_t i = 0; i < ColorRows().size(); ++i)
        EXPECT_EQ(marked.*(ColorRows()[i].color), ColorValue(0x100 + i)) << i;
    EXPECT_EQ(lang[InfoRows()[InfoFolderSettings].text], QStringLiteral("Folder Settings"));
    EXPECT_EQ(InfoRows()[InfoSystem].kind, InfoRowKind::ReadOnly);
}
