#pragma once
// The program-wide state every component works on. One AppState is created
// by the application and passed by reference; there are no hidden globals.
// Channel arrays are 1-based like the channel numbers the user sees: element 0
// exists but is never used.

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <array>
#include <vector>

#include "core/model/colors.h"
#include "core/publish/mqttsettings.h"

constexpr int kMaxChannels = 16;
constexpr int kMaxGraphs = 16;
constexpr int kMaxLinesPerGraph = 16;
constexpr int kDefaultPointsNewConfig = 30000;
constexpr int kDefaultPointsFromFile = 100;

struct ChannelRecord {
    QString Name;        // "CH1", "CH2", ... after a device is selected
    bool Use = true;     // shown, tested and logged
    bool Value = true;   // has a value window
    ColorValue Color = 0; // taken over from the value window's text colour
};

struct ChannelReading {
    double ReadingTime = 0;   // days since 1899-12-30
    QString ValueText;        // as received, decimal point localised
    QString UnitText;
    QString ExtraText;        // J70xx temperature with unit
    bool OverRange = false;
    bool HasValue = false;
    // Alarm settings persist across readings and live in the configuration.
    QString AlarmHighLimit;
    QString AlarmLowLimit;
    bool AlarmLowTest = false;
    bool AlarmHighTest = false;
    bool AlarmHighAction = false;
    bool AlarmLowAction = false;
};

// Per-user interface preferences kept in the settings store, not in ".CFG".
enum WindowArrange : qint16 { TileHorizontal = 0, TileVertical = 1, Cascade = 2, ArrangeIcons = 3 };

// Everything the configuration file stores, with its value before any file is
// read. Kept apart so that File New can restore it in one assignment.
struct AppSettings {
    // ---- Communication
    QString SerialPort = QStringLiteral("COM1");
    QString Baudrate = QStringLiteral("2400");
    qint16 LanguageIndex = 0;

    // ---- Device
    QString DeviceName = QStringLiteral("J7010");
    bool PollValues = false;
    qint32 PollInterval = 0;
    QString DeviceUnit;
    bool RetainTableValues = true;

    // ---- Log
    QString LogFileName;
    QString LogFileWork;          // the date-stamped working name actually written
    qint32 LogInterval = 0;
    bool LimitToPoints = false;
    qint32 Points = kDefaultPointsNewConfig;
    bool ConnectAtStart = false;
    bool LogAtStart = false;
    bool LoadFileAtStart = false;
    bool DatestampFileName = false;

    // ---- Windows
    bool TableVisible = false;
    bool TerminalVisible = false;

    // ---- Printer
    QString PrintFont = QStringLiteral("Arial");
    bool PrintItalic = false;
    QString PrintOperator;
    QString PrintDivision;
    QString PrintSerial;
    QString PrintDeviceName;
    QString PrintCompany;
    bool PrintAll = true;
    bool PrintSelection = false;
    bool PrintAlarmReport = false;
    float OffsetTop = 0, OffsetBottom = 0, OffsetLeft = 0, OffsetRight = 0;
    qint16 PrintOrientation = 1;
    qint16 UsePrinter = 0;

    // ---- System
    QString SystemUser;
    QString SystemCompany;
    QString FolderData;
    QString FolderSettings;

    // ---- Arrange
    bool ManualWindowTile = false;
    float ValuePerHorRow = 4, GraphPerHorRow = 4;
    float ValueFactorHor = 0.5f, GraphFactorHor = 1, TableFactorHor = 1;
    float ValuePerVerCol = 8, GraphPerVerCol = 8;
    float ValueFactorVer = 1, GraphFactorVer = 1, TableFactorVer = 1;
    float TerminalFactor = 0.5f;

    // ---- Note
    QString NoteText;

    // ---- Publishing to an MQTT broker (section [MQTT])
    MqttSettings Mqtt;

    // ---- Colours (0x00BBGGRR, or a system colour with the high bit)
    ColorValue TerminalColorOut = 0xFF00FF;
    ColorValue TerminalColorIn = 0x000000;
    ColorValue TerminalColorBackground = 0xFFFFFF;
    ColorValue ValueColorForeground = 0x00FF00;
    ColorValue ValueColorBackgroundActive = 0x000000;
    ColorValue ValueColorBackgroundInactive = SysColorButtonFace;
    ColorValue ValueColorOverrange = 0x0000FF;
    ColorValue ValueColorAlarmHigh = MakeColor(255, 128, 64);
    ColorValue ValueColorAlarmLow = MakeColor(255, 128, 64);
    ColorValue UnitColorForeground = SysColorButtonText;
    ColorValue UnitColorBackground = SysColorButtonFace;
    ColorValue GraphColorForeground = 0x000000;
    ColorValue GraphColorAxis = MakeColor(192, 192, 192);
    ColorValue GraphColorBackground = 0xFFFFFF;
    ColorValue TableColorForeground = 0x000000;
    ColorValue TableColorBackground = 0xFFFFFF;
    ColorValue TableColorTextSpecial = 0x0000FF;

    // ---- Terminal font (taken from the terminal text when a configuration is read)
    QString TerminalFontName = QStringLiteral("MS Courier");
    int TerminalFontSize = 9;
    bool TerminalFontBold = false;
    bool TerminalFontItalic = false;
    bool TerminalFontStrikethrough = false;
    bool TerminalFontUnderline = false;
    ColorValue TerminalFontColor = 0x000000;
};

struct AppState : AppSettings {
    // Restores every setting to its default. The defaults that come from the
    // system (user, organisation, documents folder) are taken from the
    // program-path fields below, which start-up fills first.
    void ApplyDefaults();
    // The data and settings folders under the documents folder.
    QString DefaultFolderData() const;
    QString DefaultFolderSettings() const;

    // ---- Settings-store preferences
    qint16 LastWindowArrange = TileHorizontal;
    bool AutoArrange = true;
    // "Extend frame": value and terminal windows get a full sizable frame;
    // without it a slim tool-window frame (a title with its close box only).
    bool ExtendFrame = true;
    qint16 SettingsTab = 0;

    // ---- Program paths and names
    QString DocumentsFolder;
    QString FolderHelp;
    QString IconPath;
    QString ConfigTag = QStringLiteral("CFG");
    QString ConfigExtension = QStringLiteral(".CFG");
    QString DefaultConfigName = QStringLiteral("VAM.CFG");
    QString RegistryApp = QStringLiteral("VAM-CFG");
    QString ConfigFileName;
    QString ConfigFileTitle;
    QString UserName;
    QString Organisation;   // registered organisation ("" when none is known)
    QString SystemName;
    QString TimeSeparator = QStringLiteral(":");
    QString DateSeparator = QStringLiteral("/");
    QString CommandLine;
    QString StartPort;
    bool CommandLineFile = false;
    QString TimeFormat = QStringLiteral("hh:nn:ss");

    // ---- Family set-up, written only by SelectDeviceFamily
    QString PollCommand;
    QString EndString;
    QString OverrangeMarker;
    QString IdMarker;
    float ReadingTimeout = 3000;

    // ---- Channels: Channels[1..ChannelCount], Readings[1..16]
    qint16 ChannelCount = 0;
    qint16 ActiveChannelCount = 0;
    std::vector<ChannelRecord> Channels{1};
    QString ChannelsDevice; // the model the channel records were made for
    std::array<ChannelReading, kMaxChannels + 1> Readings{};

    // ---- Run-time state
    qint16 GraphCount = 0;
    qint16 ActiveGraph = 0;
    qint32 LogCount = 0;
    QString CurrentInfo;
    QString IdentificationNumber;
    qint16 TableColumnCount = 0;
    bool ConfigChanged = false;
    // The configuration file exists but could not be read, or is damaged: what
    // the program runs on is not what the file holds, so only an explicit
    // save writes it.
    bool ConfigUnreadable = false;
    bool Connected = false;
    bool LogActive = false;
    bool LogNext = false;
    bool ReceiveMode = false;
    bool TransferMode = false;
    bool LogMode = false;          // the data file is open for editing: no measuring
    bool DataFileReadOnly = false; // the data file is read-only or on a network: no editing or saving
    bool FileLoading = false;      // a data file is being loaded into the table
    qint16 ReceivedChannels = 0;   // channels a J70xx/G40xx reply carries
    double LogStartTime = 0;
    qint32 PollCountdown = 0;
    qint16 PollRetries = 0;
    bool SettingsOpen = false;
    bool EchoCommands = true;
    bool PortLost = false;
    qint16 MsgAnswer = 0;
    bool ProgressCancel = false;

    // Channel n's record (1-based); valid for 1..ChannelCount.
    ChannelRecord& Channel(int ch) { return Channels[static_cast<size_t>(ch)]; }
    const ChannelRecord& Channel(int ch) const { return Channels[static_cast<size_t>(ch)]; }
    bool ChannelInUse(int ch) const
    {
        return ch >= 1 && ch <= ChannelCount && size_t(ch) < Channels.size() && Channel(ch).Use;
    }
};

// Message-box answers stored in MsgAnswer.
enum MsgAnswerCode : qint16 { AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };
