#include "core/settings/settingsmodel.h"

#include "core/config/configfile.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

namespace {
// Language-table entries.
enum : int {
    kSettings = 26,
    kPollEvery = 31,
    kLogInterval = 33,
    kChooseDevice = 41,
    kChoosePort = 42,
    kIncorrectInput = 45,
    kDeviceName = 28,
    kSerialPortName = 29,
    kBaudRateName = 30,
    kLoggingStopped = 365,
};

constexpr int kMinPoints = 100;
constexpr int kMaxPoints = 30000;
const QString kDefaultBaud = QStringLiteral("2400");
const QString kDefaultUnit = QStringLiteral("\u00B0C");
const QString kFirstStartDevice = QStringLiteral("J7010");

bool AllDigits(QStringView part)
{
    if (part.isEmpty())
        return false;
    for (QChar c : part)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

void Call(const std::function<void()>& f)
{
    if (f)
        f();
}

} // namespace

// ---------------------------------------------------------------- intervals

std::optional<qint64> ParseInterval(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char(':'));
    if (parts.size() > 3)
        return std::nullopt;
    qint64 seconds = 0;
    for (int i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (!AllDigits(part))
            return std::nullopt;
        // The leading part may be large ("5000", "90:00"); a longer number
        // than any interval is still clamped, not wrapped.
        const qint64 n = part.size() > 12 ? Q_INT64_C(999999999999) : part.toLongLong();
        if (i > 0 && (n >= 60 || part.size() > 2))
            return std::nullopt;
        seconds = seconds * 60 + n;
    }
    return seconds;
}

QString FormatInterval(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> IntervalValue(const QString& text, IntervalRange range)
{
    const std::optional<qint64> v = ParseInterval(text);
    if (!v)
        return std::nullopt;
    return qBound(range.min, *v, range.max);
}

QString NormaliseIntervalText(const QString& text, IntervalRange range)
{
    const std::optional<qint64> v = IntervalValue(text, range);
    return v ? FormatInterval(*v) : text;
}

// ---------------------------------------------------------------- grids

const std::array<ColorRow, kColorRowCount>& ColorRows()
{
    static const std::array<ColorRow, kColorRowCount> rows{{
        {259, &AppSettings::TerminalColorOut},
        {260, &AppSettings::TerminalColorIn},
        {261, &AppSettings::TerminalColorBackground},
        {262, &AppSettings::ValueColorForeground},
        {263, &AppSettings::ValueColorBackgroundActive},
        {264, &AppSettings::ValueColorBackgroundInactive},
        {265, &AppSettings::ValueColorAlarmHigh},
        {266, &AppSettings::ValueColorAlarmLow},
        {267, &AppSettings::UnitColorForeground},
        {268, &AppSettings::UnitColorBackground},
        {269, &AppSettings::GraphColorForeground},
        {270, &AppSettings::GraphColorBackground},
        {271, &AppSettings::TableColorForeground},
        {272, &AppSettings::TableColorBackground},
        {273, &AppSettings::TableColorTextSpecial},
        {274, &AppSettings::ValueColorOverrange},
        {279, &AppSettings::GraphColorAxis},
    }};
    return rows;
}

const std::array<InfoRow, kInfoRowCount>& InfoRows()
{
    static const std::array<InfoRow, kInfoRowCount> rows{{
        {189, InfoRowKind::Editable},
        {190, InfoRowKind::Editable},
        {191, InfoRowKind::ReadOnly},
        {192, InfoRowKind::ReadOnly},
        {193, InfoRowKind::Folder},
        {194, InfoRowKind::Folder},
    }};
    return rows;
}

// ---------------------------------------------------------------- model

SettingsModel::SettingsModel(AppState& state, LanguageTable& language, SettingsActions actions)
    : s_(state), lang_(language), act_(std::move(actions))
{
}

void SettingsModel::Open()
{
    s_.SettingsOpen = true;
    open_ = true;
    confirmed_ = false;
    Call(act_.suspend);
    // The saved device is the one the program runs with, also when it had
    // none and J7010 was selected here: Cancel goes back to a set-up that
    // exists.
    if (s_.DeviceName.isEmpty()) {
        s_.DeviceName = kFirstStartDevice;
        if (act_.setDevice)
            act_.setDevice(s_.DeviceName);
    }
    saved_.settings = s_;
    saved_.settingsTab = s_.SettingsTab;
    saved_.autoArrange = s_.AutoArrange;
    saved_.extendFrame = s_.ExtendFrame;
    saved_.channelCount = s_.ChannelCount;
    saved_.channels = s_.Channels;
    saved_.configChanged = s_.ConfigChanged;
    tried_ = false;
    TakeDraft();
    BuildPortList();
}

void SettingsModel::TakeDraft()
{
    d_ = SettingsDraft();
    d_.tab = qBound(0, int(s_.SettingsTab), kSettingsPageCount - 1);
    d_.device = s_.DeviceName;
    d_.channels.assign(1, ChannelRecord());
    for (int ch = 1; ch <= s_.ChannelCount && size_t(ch) < s_.Channels.size(); ++ch)
        d_.channels.push_back(s_.Channel(ch));
    if (ChannelRows() == 0)
        DefaultChannels(d_.device);
    const QString baud = s_.Baudrate.isEmpty() ? kDefaultBaud : s_.Baudrate;
    d_.baud = BaudList().contains(baud) ? baud : QString();
    d_.unit = UnitList().contains(s_.DeviceUnit) ? s_.DeviceUnit : QString();
    d_.pollValues = s_.PollValues;
    d_.pollText = FormatInterval(qBound<qint64>(kPollIntervalRange.min, s_.PollInterval, kPollIntervalRange.max));
    d_.logText = FormatInterval(qBound<qint64>(kLogIntervalRange.min, s_.LogInterval, kLogIntervalRange.max));
    d_.points = qBound(kMinPoints, int(s_.Points), kMaxPoints);
    d_.limitToPoints = s_.LimitToPoints;
    d_.logAtStart = s_.LogAtStart;
    d_.loadFileAtStart = s_.LoadFileAtStart;
    d_.datestampFileName = s_.DatestampFileName;
    d_.connectAtStart = s_.ConnectAtStart;
    d_.language = s_.LanguageIndex;
    d_.info = {s_.SystemUser, s_.SystemCompany, s_.UserName, s_.SystemName, s_.FolderData, s_.FolderSettings};
    d_.manual = s_.ManualWindowTile;
    d_.extendFrame = s_.ExtendFrame;
    d_.autoArrange = s_.AutoArrange;
    d_.valuePerHorRow = s_.ValuePerHorRow;
    d_.graphPerHorRow = s_.GraphPerHorRow;
    d_.valueFactorHor = s_.ValueFactorHor;
    d_.graphFactorHor = s_.GraphFactorHor;
    d_.tableFactorHor = s_.TableFactorHor;
    d_.valuePerVerCol = s_.ValuePerVerCol;
    d_.graphPerVerCol = s_.GraphPerVerCol;
    d_.valueFactorVer = s_.ValueFactorVer;
    d_.graphFactorVer = s_.GraphFactorVer;
    d_.tableFactorVer = s_.TableFactorVer;
    d_.terminalFactor = s_.TerminalFactor;
    for (size_t i = 0; i < ColorRows().size(); ++i)
        d_.colors[i] = s_.*(ColorRows()[i].color);
}

void SettingsModel::BuildPortList()
{
    d_.ports.clear();
    if (PortFromCommandLine()) {
        d_.ports << s_.StartPort;
        d_.port = s_.StartPort;
        return;
    }
    const QString found = act_.scanPorts ? act_.scanPorts() : QString();
    for (const QString& name : found.split(QLatin1Char(','))) {
        const QString port = name.trimmed();
        if (!port.isEmpty() && !d_.ports.contains(port))
            d_.ports << port;
    }
    // A rescan keeps the port the user chose when it is still there.
    if (!d_.ports.contains(d_.port))
        d_.port = d_.ports.contains(s_.SerialPort) ? s_.SerialPort : QString();
}

QStringList SettingsModel::BaudList() const { return BaudRatesFor(d_.device); }

bool SettingsModel::BaudEnabled() const { return !HasFixedBaudRate(d_.device); }

QStringList SettingsModel::UnitList() const
{
    return {QStringLiteral("\u00B0C"), QStringLiteral("\u00B0F"), QStringLiteral("K")};
}

bool SettingsModel::UnitEnabled() const { return HasUserUnit(d_.device); }

QString SettingsModel::ChannelLabel(int channel) const
{
    const QString special = SpecialChannelLabel(d_.device, channel);
    return special.isEmpty() ? QStringLiteral("CH") + QString::number(channel) : special;
}

bool SettingsModel::ChannelsEditable() const { return !ChannelsComeFromDevice(d_.device); }

QStringList SettingsModel::LanguageNames()
{
    QStringList names;
    for (qint16 i = LanguageTable::English; i <= LanguageTable::Dutch; ++i) {
        qint16 index = i;
        lang_.SetLanguage(index);
        names << lang_[LanguageTable::kLanguageNameIndex];
    }
    lang_.SetLanguage(d_.language);
    return names;
}

void SettingsModel::ChooseLanguage(qint16 index)
{
    lang_.SetLanguage(index);
    d_.language = index;
}

void SettingsModel::DefaultChannels(const QString& name)
{
    const CatalogueModel* model = FindModel(name);
    const int count = model ? model->channelCount : 0;
    d_.channels.assign(1, ChannelRecord());
    for (int ch = 1; ch <= count; ++ch) {
        ChannelRecord r;
        r.Name = QStringLiteral("CH") + QString::number(ch);
        d_.channels.push_back(r);
    }
}

void SettingsModel::ChooseDevice(const QString& name)
{
    if (name == d_.device)
        return;
    d_.device = name;
    // Back to the device the program runs with: its own channel records.
    if (name == s_.DeviceName && s_.ChannelCount > 0) {
        d_.channels.assign(1, ChannelRecord());
        for (int ch = 1; ch <= s_.ChannelCount && size_t(ch) < s_.Channels.size(); ++ch)
            d_.channels.push_back(s_.Channel(ch));
    } else {
        DefaultChannels(name);
    }
    const QString forced = ForcedBaudRate(name);
    if (!forced.isEmpty())
        d_.baud = forced;
    else if (!BaudList().contains(d_.baud))
        d_.baud.clear();
}

QString SettingsModel::InputError(int fieldText) const
{
    return lang_[fieldText] + QStringLiteral(":\r\n") + lang_[kIncorrectInput];
}

bool SettingsModel::Ok(SettingsProblem* problem)
{
    SettingsProblem local;
    SettingsProblem& p = problem ? *problem : local;
    p = SettingsProblem();
    const auto fail = [&](SettingsField field, const QString& text) {
        p.field = field;
        p.title = lang_[kSettings];
        p.text = text;
        return false;
    };

    // 1. Page and colours.
    s_.SettingsTab = qint16(d_.tab);
    for (size_t i = 0; i < ColorRows().size(); ++i)
        s_.*(ColorRows()[i].color) = d_.colors[i];

    // 2. Device.
    if (d_.device.isEmpty())
        return fail(SettingsField::Device, lang_[kChooseDevice] + QLatin1Char('!'));
    s_.DeviceName = d_.device;

    // 3. Language.
    s_.LanguageIndex = d_.language;
    lang_.SetLanguage(s_.LanguageIndex);

    // 4. Port.
    if (PortFromCommandLine()) {
        s_.SerialPort = s_.StartPort;
    } else {
        if (d_.port.isEmpty())
            return fail(SettingsField::Port, lang_[kChoosePort] + QLatin1Char('!'));
        s_.SerialPort = d_.port;
    }

    // 5. System information; an emptied folder row is the default folder,
    // as the configuration reader has it.
    s_.SystemUser = d_.info[InfoUser].trimmed();
    s_.SystemCompany = d_.info[InfoCompany].trimmed();
    s_.FolderData = d_.info[InfoFolderData].trimmed();
    s_.FolderSettings = d_.info[InfoFolderSettings].trimmed();
    if (s_.FolderData.isEmpty())
        s_.FolderData = s_.DefaultFolderData();
    if (s_.FolderSettings.isEmpty())
        s_.FolderSettings = s_.DefaultFolderSettings();

    // 6. Baud rate and unit.
    s_.Baudrate = NormalizeBaud(d_.baud.isEmpty() ? kDefaultBaud : d_.baud, s_.DeviceName);
    s_.DeviceUnit = d_.unit.isEmpty() ? kDefaultUnit : d_.unit;

    // 7. Arrangement, points, start-up switches.
    s_.ManualWindowTile = d_.manual;
    s_.ValuePerHorRow = d_.valuePerHorRow;
    s_.GraphPerHorRow = d_.graphPerHorRow;
    s_.ValueFactorHor = d_.valueFactorHor;
    s_.GraphFactorHor = d_.graphFactorHor;
    s_.TableFactorHor = d_.tableFactorHor;
    s_.ValuePerVerCol = d_.valuePerVerCol;
    s_.GraphPerVerCol = d_.graphPerVerCol;
    s_.ValueFactorVer = d_.valueFactorVer;
    s_.GraphFactorVer = d_.graphFactorVer;
    s_.TableFactorVer = d_.tableFactorVer;
    s_.TerminalFactor = d_.terminalFactor;
    s_.ExtendFrame = d_.extendFrame;
    s_.AutoArrange = d_.autoArrange;
    tried_ = true;
    Call(act_.savePreferences);
    s_.Points = qBound(kMinPoints, d_.points, kMaxPoints);
    s_.LimitToPoints = d_.limitToPoints;
    s_.LogAtStart = d_.logAtStart;
    s_.LoadFileAtStart = d_.loadFileAtStart;
    s_.DatestampFileName = d_.datestampFileName;
    s_.ConnectAtStart = d_.connectAtStart;

    // 8. The port set up again; its failure was reported there.
    if (act_.initPort && !act_.initPort())
        return fail(SettingsField::None, QString());

    // 9. Intervals.
    const std::optional<qint64> poll = IntervalValue(d_.pollText, kPollIntervalRange);
    if (!poll)
        return fail(SettingsField::PollInterval, InputError(kPollEvery));
    s_.PollInterval = qint32(*poll);
    d_.pollText = FormatInterval(*poll);
    const std::optional<qint64> log = IntervalValue(d_.logText, kLogIntervalRange);
    if (!log)
        return fail(SettingsField::LogInterval, InputError(kLogInterval));
    s_.LogInterval = qint32(*log);
    d_.logText = FormatInterval(*log);

    // 10.
    s_.PollValues = d_.pollValues;
    s_.ConfigChanged = true;
    // Readings from another line or meter would not belong to the run:
    // it ends here, while the table still has the old device's columns.
    const QString lineChange = LineChange();
    if (s_.LogActive && !lineChange.isEmpty() && act_.stopLogging)
        act_.stopLogging(lang_[kLoggingStopped].arg(lineChange));

    // 11. A new device: its channels, value windows and print header. The
    // table is set up after the channel flags below, so the columns of the
    // channels switched off are hidden at once.
    const bool deviceChanged = s_.DeviceName != saved_.settings.DeviceName;
    if (deviceChanged) {
        if (act_.setDevice)
            act_.setDevice(s_.DeviceName);
        s_.PrintDeviceName = s_.DeviceName + QStringLiteral(" Velmark");
    }

    // 12. The channel page's flags.
    for (int ch = 1; ch <= s_.ChannelCount && ch <= ChannelRows() && size_t(ch) < s_.Channels.size(); ++ch) {
        s_.Channel(ch).Use = d_.channels[size_t(ch)].Use;
        s_.Channel(ch).Value = d_.channels[size_t(ch)].Value;
    }
    if (deviceChanged)
        Call(act_.rebuildTable);

    // 13. Graphs are set up again by the new device or language only: a
    // recorder would lose its points, a table graph its page.
    confirmed_ = true;
    if (s_.LanguageIndex != saved_.settings.LanguageIndex)
        Call(act_.retranslate);
    if (act_.followChannels)
        act_.followChannels(deviceChanged ? std::vector<ChannelRecord>() : saved_.channels);
    if (deviceChanged) {
        Call(act_.saveSettingsAs);
    } else if (act_.testTableAlarms) {
        for (int ch = 1; ch <= s_.ChannelCount; ++ch)
            if (s_.ChannelInUse(ch))
                act_.testTableAlarms(ch);
    }
    return true;
}

QString SettingsModel::LineChange() const
{
    const AppSettings& was = saved_.settings;
    QStringList changes;
    // "Baud rate: 2400 → 9600", named in the interface's language.
    const auto from = [&](int what, const QString& before, const QString& now) {
        if (before != now)
            changes << QString(lang_[what]).remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed()
                    + QStringLiteral(": ") + before + QStringLiteral(" \u2192 ") + now;
    };
    from(kSerialPortName, was.SerialPort, s_.SerialPort);
    from(kBaudRateName, was.Baudrate, s_.Baudrate);
    from(kDeviceName, was.DeviceName, s_.DeviceName);
    return changes.join(QStringLiteral("; "));
}

void SettingsModel::Cancel()
{
    // A failed OK may have applied part of the draft: all of it goes back.
    static_cast<AppSettings&>(s_) = saved_.settings;
    s_.SettingsTab = saved_.settingsTab;
    s_.AutoArrange = saved_.autoArrange;
    s_.ExtendFrame = saved_.extendFrame;
    s_.ChannelCount = saved_.channelCount;
    s_.Channels = saved_.channels;
    s_.ConfigChanged = saved_.configChanged;
    if (tried_)
        Call(act_.savePreferences);
    // The language shown while choosing goes; the program's stays.
    lang_.SetLanguage(s_.LanguageIndex);
    if (!s_.SerialPort.isEmpty())
        Call(act_.configurePort);
}

void SettingsModel::Close()
{
    if (!open_)
        return;
    if (!confirmed_)
        Cancel();
    open_ = false;
    s_.SettingsOpen = false;
}
