#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "platform/core/settingsstore.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(AppState, DefaultsComeFromTheSystemFields)
{
    AppState s;
    s.UserName = QStringLiteral("Ann Peeters");
    s.Organisation = QStringLiteral("Lab Gent");
    s.DocumentsFolder = QStringLiteral("/home/ann/Documents");
    s.SerialPort = QStringLiteral("COM7");
    s.TerminalColorIn = 0x123456;
    s.LogCount = 12;
    s.ApplyDefaults();
    EXPECT_EQ(s.SerialPort, QStringLiteral("COM1"));
    EXPECT_EQ(s.Baudrate, QStringLiteral("2400"));
    EXPECT_EQ(s.DeviceName, QStringLiteral("J7010"));
    EXPECT_EQ(s.Points, 30000);
    EXPECT_TRUE(s.RetainTableValues);
    EXPECT_TRUE(s.PrintAll);
    EXPECT_EQ(s.PrintOrientation, 1);
    EXPECT_EQ(s.SystemUser, QStringLiteral("Ann Peeters"));
    EXPECT_EQ(s.PrintOperator, QStringLiteral("Ann Peeters"));
    EXPECT_EQ(s.PrintCompany, QStringLiteral("Lab Gent"));
    EXPECT_EQ(s.FolderData, QStringLiteral("/home/ann/Documents/Velmark/VAM/Data"));
    EXPECT_EQ(s.FolderSettings, QStringLiteral("/home/ann/Documents/Velmark/VAM/Settings"));
    EXPECT_EQ(s.FolderHelp, QStringLiteral("/home/ann/Documents/Velmark/VAM/Help"));
    EXPECT_EQ(s.TerminalColorIn, 0x000000u);
    EXPECT_EQ(s.TerminalFontColor, s.TerminalColorIn);
    EXPECT_EQ(s.ValueColorAlarmHigh, 0x4080FFu) << "red 255, green 128, blue 64";
    EXPECT_EQ(s.GraphColorAxis, 0xC0C0C0u);
    EXPECT_EQ(s.ValueColorBackgroundInactive, 0x8000000Fu);
    EXPECT_EQ(s.ValueFactorHor, 0.5f);
    EXPECT_EQ(s.TerminalFontName, QStringLiteral("MS Courier"));
    EXPECT_EQ(s.LogCount, 12) << "run-time state is not a setting";
}

TEST(Colors, SystemColoursResolve)
{
    EXPECT_TRUE(IsSystemColor(SysColorButtonFace));
    EXPECT_EQ(ResolveColorFallback(0x0000FF), 0x0000FFu);
    EXPECT_EQ(ResolveColorFallback(SysColorButtonText), 0x000000u);
    EXPECT_EQ(ColorRed(MakeColor(255, 128, 64)), 255);
    EXPECT_EQ(ColorBlue(MakeColor(255, 128, 64)), 64);
}

TEST(DateTime, DaysRoundTrip)
{
    const struct { double days; const char* iso; } cases[] = {
        {0.0, "1899-12-30T00:00:00"},
        {2.0, "1900-01-01T00:00:00"},
        {45000.5, "2023-03-15T12:00:00"},
        {-1.25, "1899-12-29T06:00:00"},
        {46363.999999999, "2026-12-08T00:00:00"}, // rounding into the next day
    };
    for (const auto& c : cases) {
        const QDateTime dt = FromDays(c.days);
        EXPECT_EQ(dt.toString(Qt::ISODate), QString::fromLatin1(c.iso)) << c.days;
        if (c.days != 46363.999999999) {
            EXPECT_NEAR(ToDays(dt), c.days, 1e-9) << c.days;
        }
    }
    EXPECT_EQ(FormatTimeOfDay(45000.5 + kOneSecond * 75, QStringLiteral(":")), QStringLiteral("12:01:15"));
    EXPECT_EQ(FormatSecondsAsTime(75, QStringLiteral(":")), QStringLiteral("00:01:15"));
    EXPECT_EQ(FormatSecondsAsTime(-3, QStringLiteral(".")), QStringLiteral("00.00.00"));
}

TEST(SettingsStore, RoundTripInATemporaryLocation)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("VAM-CFG.conf"));
    {
        SettingsStore store(QStringLiteral("VAM-CFG"), file);
        AppState s;
        store.LoadPreferences(s);
        EXPECT_EQ(s.LastWindowArrange, TileHorizontal);
        EXPECT_TRUE(s.AutoArrange) << "default True";
        EXPECT_EQ(store.ConfigFileName(QStringLiteral("/x/VAM.CFG")), QStringLiteral("/x/VAM.CFG"));
        store.SaveLastWindowArrange(Cascade);
        store.SaveAutoArrange(false);
        store.SaveSettingsTab(3);
        store.SaveConfigFileName(QStringLiteral("/home/ann/Lab 2.CFG"));
        store.SaveRecentFiles({QStringLiteral("b.vam"), QStringLiteral("a.vam")});
        store.Sync();
    }
    SettingsStore again(QStringLiteral("VAM-CFG"), file);
    AppState s;
    again.LoadPreferences(s);
    EXPECT_EQ(s.LastWindowArrange, Cascade);
    EXPECT_FALSE(s.AutoArrange);
    EXPECT_EQ(s.SettingsTab, 3);
    EXPECT_EQ(again.Value(QStringLiteral("Settings"), QStringLiteral("AutoArrange")), QStringLiteral("False"));
    EXPECT_EQ(again.ConfigFileName(QString()), QStringLiteral("/home/ann/Lab 2.CFG"));
    EXPECT_EQ(again.RecentFiles(), (QStringList{QStringLiteral("b.vam"), QStringLiteral("a.vam")}));
    again.SaveRecentFiles({QStringLiteral("c.vam")});
    EXPECT_EQ(again.RecentFiles(), QStringList{QStringLiteral("c.vam")}) << "shorter list drops the old entries";
}

TEST(SettingsStore, BadStoredValuesFallBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("s.conf"));
    SettingsStore store(QStringLiteral("VAM-CFG"), file);
    store.SetValue(QStringLiteral("Settings"), QStringLiteral("LastWindowArrange"), QStringLiteral("9"));
    store.SetValue(QStringLiteral("Settings"), QStringLiteral("AutoArrange"), QStringLiteral("maybe"));
    store.SetValue(QStringLiteral("Settings"), QStringLiteral("Tab"), QStringLiteral("x"));
    AppState s;
    s.SettingsTab = 4;
    store.LoadPreferences(s);
    EXPECT_EQ(s.LastWindowArrange, TileHorizontal);
    EXPECT_TRUE(s.AutoArrange);
    EXPECT_EQ(s.SettingsTab, 0);
    EXPECT_TRUE(StoredBool(QStringLiteral("-1"), false));
    EXPECT_FALSE(StoredBool(QStringLiteral("0"), true));
}
