#pragma once
// What the settings dialog edits, without a widget: a draft of the settings
// taken when the dialog opens, the lists it offers, the checks of OK in
// their order with their messages, applying the draft, and Cancel restoring
// what OK may already have changed. The dialog is a thin view over it.
//
// OK applies the device, language, port, system, baud, unit, arrangement,
// points and start-up switches before the port is re-initialised and the
// intervals are checked, so a later failure keeps the dialog open with those
// already taken; Cancel then puts back every setting as it was when the
// dialog opened. A successful OK changes only what the settings changed:
// logging goes on unless the line to the meter (port, baud rate, device)
// changed, the windows follow the channel switches, and the windows are
// retranslated only for another language.

#include "core/model/appstate.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

class LanguageTable;

// ---------------------------------------------------------------- intervals

struct IntervalRange {
    qint64 min;
    qint64 max;
};
constexpr IntervalRange kPollIntervalRange{1, 3599};
constexpr IntervalRange kLogIntervalRange{1, 86400};

// Seconds from "90", "1:30" (minutes and seconds) or "01:01:30" (hours,
// minutes, seconds); blanks around the text are ignored. Minutes and seconds
// after a colon are below 60. Anything else (empty, a sign, a letter, a
// fourth part) is no interval.
std::optional<qint64> ParseInterval(const QString& text);
// The one form the boxes show: "hh:mm:ss" (hours grow past two digits).
QString FormatInterval(qint64 seconds);
// The typed interval clamped into the range; none when it is no interval.
std::optional<qint64> IntervalValue(const QString& text, IntervalRange range);
// A text shown back in the normal form (clamped); unchanged when it is no interval.
QString NormaliseIntervalText(const QString& text, IntervalRange range);

// ---------------------------------------------------------------- grids

// The colour grid: one row per colour setting, named by a language-table text.
struct ColorRow {
    int text;
    ColorValue AppSettings::*color;
};
constexpr int kColorRowCount = 17;
const std::array<ColorRow, kColorRowCount>& ColorRows();

// The information grid.
enum class InfoRowKind { Editable, ReadOnly, Folder };
struct InfoRow {
    int text;
    InfoRowKind kind;
};
enum InfoRowIndex { InfoUser, InfoCompany, InfoNetwork, InfoSystem, InfoFolderData, InfoFolderSettings, kInfoRowCount };
const std::array<InfoRow, kInfoRowCount>& InfoRows();

// The pages in their order.
enum SettingsPage { PageCommunication, PageMeasure, PageLog, PageWindows, PageLanguage, PageSystem, PageColours,
                    PageMqtt, kSettingsPageCount };

// ---------------------------------------------------------------- the draft

struct SettingsDraft {
    int tab = 0;
    // Communication
    QStringList ports;
    QString port;           // "" = none chosen
    QString baud;           // "" = none chosen
    // Measure
    QString device;         // "" = none chosen
    bool pollValues = false;
    QString pollText;       // the interval boxes as typed
    QString unit;           // "" = none chosen
    std::vector<ChannelRecord> channels; // 1..count of `device`; [0] unused
    // Log
    QString logText;
    int points = kDefaultPointsNewConfig;
    bool limitToPoints = false, logAtStart = false, loadFileAtStart = false, datestampFileName = false,
         connectAtStart = false;
    // Language
    qint16 language = 0;
    // System: the values of the information grid, in row order
    std::array<QString, kInfoRowCount> info;
    // Windows
    bool manual = false, extendFrame = true, autoArrange = true;
    float valuePerHorRow = 4, graphPerHorRow = 4, valueFactorHor = 0.5f, graphFactorHor = 1, tableFactorHor = 1;
    float valuePerVerCol = 8, graphPerVerCol = 8, valueFactorVer = 1, graphFactorVer = 1, tableFactorVer = 1;
    float terminalFactor = 0.5f;
    // Colours, in the order of ColorRows()
    std::array<ColorValue, kColorRowCount> colors{};
};

// What opening, OK and Cancel do outside the settings: the connection, the
// windows and the per-user store. Any of them may be left empty.
struct SettingsActions {
    std::function<void()> suspend;                   // the port closed and the poll tick stopped
    std::function<QString()> scanPorts;              // "COM1, COM3": the ports that open
    std::function<bool()> initPort;                  // the port set up again; false when it failed (reported)
    std::function<void()> configurePort;             // the port set up again after Cancel
    std::function<void(const QString&)> setDevice;   // a model selected: channels, value windows
    std::function<void()> rebuildTable;              // the table set up for the device
    // The value windows and the table columns follow the channel switches;
    // `before` holds the switches as they were (empty after another device).
    std::function<void(const std::vector<ChannelRecord>& before)> followChannels;
    std::function<void(const QString& why)> stopLogging; // the run ends (its stop record), told as `why`
    std::function<void()> saveSettingsAs;            // after a device change
    std::function<void(int channel)> testTableAlarms;
    std::function<void()> savePreferences;           // SettingsTab, AutoArrange, ExtendFrame into the store
    std::function<void()> retranslate;               // another language: every window's captions, the graphs
};

// Which control a failed OK puts the focus on.
enum class SettingsField { None, Device, Port, PollInterval, LogInterval };

struct SettingsProblem {
    SettingsField field = SettingsField::None;
    QString title;
    QString text; // "" when the failure was reported already (the port)
};

class SettingsModel {
public:
    SettingsModel(AppState& state, LanguageTable& language, SettingsActions actions = {});

    // Opening: SettingsOpen set, the port closed, the device made J7010 when
    // there is none, the draft taken, the port list built.
    void Open();
    SettingsDraft& Draft() { return d_; }
    const SettingsDraft& Draft() const { return d_; }

    // ---- Lists
    // The ports to offer: the command-line port alone, or the scan's.
    void BuildPortList();
    bool PortFromCommandLine() const { return !s_.StartPort.isEmpty(); }
    QStringList BaudList() const;       // for the draft's device
    bool BaudEnabled() const;           // false for the USB models
    QStringList UnitList() const;
    bool UnitEnabled() const;           // the models with a user-chosen unit
    int ChannelRows() const { return int(d_.channels.size()) - 1; }
    QString ChannelLabel(int channel) const;
    bool ChannelsEditable() const;      // false when the meter says which channels exist
    // The three languages, each in its own words (loads each, then the draft's).
    QStringList LanguageNames();
    // The language shown while the dialog is open.
    void ChooseLanguage(qint16 index);
    // Another model chosen in the list: its channel rows, its forced baud rate.
    void ChooseDevice(const QString& name);
    // The read-only values of the information grid.
    QString InfoValue(int row) const { return d_.info[size_t(row)]; }

    // ---- Closing
    // True when everything was applied (the dialog closes); otherwise the
    // problem tells the message and the control to focus.
    bool Ok(SettingsProblem* problem);
    void Cancel();
    // The dialog goes away: SettingsOpen cleared; an unconfirmed dialog cancels.
    void Close();
    bool Confirmed() const { return confirmed_; }
    bool IsOpen() const { return open_; }

    // What Open saved (for Cancel).
    const QString& SavedDevice() const { return saved_.settings.DeviceName; }
    // Why logging cannot go on with the applied settings ("" when it can):
    // the serial port, the baud rate or the device is not what it was.
    QString LineChange() const;

private:
    // Everything OK may change, as it was when the dialog opened.
    struct Snapshot {
        AppSettings settings;
        qint16 settingsTab = 0;
        bool autoArrange = true, extendFrame = true;
        qint16 channelCount = 0;
        std::vector<ChannelRecord> channels;
        bool configChanged = false;
    };

    void TakeDraft();
    void DefaultChannels(const QString& name);
    QString InputError(int fieldText) const;

    AppState& s_;
    LanguageTable& lang_;
    SettingsActions act_;
    SettingsDraft d_;
    Snapshot saved_;
    bool open_ = false;
    bool confirmed_ = false;
    bool tried_ = false; // an OK got as far as storing preferences
};
