#include "comm/connection.h"

#include "comm/commviews.h"
#include "comm/portnames.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/devices/channelreaders.h"
#include "core/devices/datalog.h"
#include "core/devices/parsers.h"
#include "core/devices/readings.h"
#include "core/help/languagetable.h"
#include "platform/serial/portlist.h"
#include "platform/serial/serialportservice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cmath>
#include <memory>
#include <optional>

namespace {
enum Text {
    kStop = 14, kSettingsMenu = 13, kSerialPort = 29, kPortInUse = 46, kCheck = 47, kOrSelectOther = 48,
    kIdle = 49, kErrorOpening = 51, kWaitingForData = 132, kLastAction = 207, kReadMeasurements = 208,
    kLogMeasurements = 210, kStopLogging = 211, kPortAbove255 = 288, kCommError = 299, kScanning = 300,
    kTransferOn = 133, kTransferOff = 134, kReceiveOn = 136, kReceiveOff = 147, kErrorOpeningFile = 51,
    kNoAnswer = 350,
};
constexpr int kMaxPortNumber = 255;
constexpr int kMaxPollRetries = 5;
constexpr qint64 kTickMs = 1000;
// Unanswered polls (and at least one reading time-out) before the meter is
// called silent; a listening connection after this long without a byte.
constexpr int kSilentPolls = 2;
constexpr qint64 kListenSilenceMs = 10000;

QString WithoutAmpersand(QString s) { return s.remove(QLatin1Char('&')); }
} // namespace

// Marks a reading under way; the actions queued meanwhile run when the
// outermost one ends.
class Connection::BusyScope {
public:
    explicit BusyScope(Connection& c) : c_(c) { ++c_.busy_; }
    ~BusyScope() { c_.EndBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Connection& c_;
};

void Connection::EndBusy()
{
    if (--busy_ > 0)
        return;
    // An action may start a new reading and queue further actions: take the
    // queue as it is now.
    std::vector<std::function<void()>> actions;
    actions.swap(afterCycle_);
    for (auto& action : actions)
        action();
}

void Connection::RunWhenReadingDone(std::function<void()> action)
{
    if (!InCycle() || s_.ReceiveMode || s_.TransferMode) {
        action();
        return;
    }
    afterCycle_.push_back(std::move(action));
    // Nothing to lose: a listening wait with nothing received yet, or a poll to a meter known to be silent.
    if (reader_.InCycle() && !cycleInput_ && (!s_.PollValues || silentReported_))
        reader_.Interrupt();
}

void Connection::RunAfterCycle(std::function<void()> action)
{
    if (!InCycle()) {
        action();
        return;
    }
    afterCycle_.push_back(std::move(action));
}

Connection::Connection(AppState& state, LanguageTable& language, SerialPortService& port, CommViews& views, QObject* parent)
    : Connection(state, language, port, views, views, views, parent)
{
}

Connection::Connection(AppState& state, LanguageTable& language, SerialPortService& port, RecordViews& record,
                       StatusViews& status, UserPrompts& prompts, QObject* parent)
    : QObject(parent), s_(state), lang_(language), port_(port), record_(record), status_(status), prompts_(prompts),
      reader_(port),
      ctx_(state, language, reader_, *this)
{
    portPresent = PortPresent;
    portEntries = [this] { return SystemPortEntries(s_.SerialPort); };
    availablePorts = [this] {
        QStringList names;
        for (const PortEntry& e : portEntries())
            names << e.name;
        return names;
    };
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    msClock = [steady] { return steady->elapsed(); };
    TimerOpvragen.setInterval(1000);
    TimerOpvragen.setTimerType(Qt::PreciseTimer); // the log cadence is counted on this tick
    TimerPollingtest.setInterval(2000);
    TimerComm.setInterval(1000);
    connect(&TimerOpvragen, &QTimer::timeout, this, &Connection::TimerOpvragen_Timer);
    connect(&TimerPollingtest, &QTimer::timeout, this, &Connection::TimerPollingtest_Timer);
    connect(&TimerComm, &QTimer::timeout, this, &Connection::TimerComm_Timer);
    connect(&port_, &SerialPortService::ErrorOccurred, this, &Connection::OnPortError);
    TimerPollingtest.start();
    TimerComm.start();

    reader_.onReceived = [this](const QString& text) {
        cycleInput_ = true;
        lastInputMs_ = msClock();
        pollsSinceInput_ = 0;
        status_.TerminalAppend(text, s_.TerminalColorIn);
    };
    reader_.onSent = [this](const QString& text) { status_.TerminalAppend(text, s_.TerminalColorOut); };
    reader_.onPass = [this] {
        if (RetilePending) {
            RetilePending = false;
            status_.RetileWindows();
        }
    };
}

Connection::~Connection() = default;

QString Connection::PortTitle() const { return s_.DeviceName + QStringLiteral(" - ") + s_.SerialPort; }

QString Connection::CheckPortText() const { return lang_[kCheck] + s_.SerialPort + lang_[kOrSelectOther]; }

int Connection::PortNumber(const QString& name)
{
    bool ok = false;
    const int n = name.mid(3).trimmed().toInt(&ok);
    return ok ? n : 0;
}

// ---------------------------------------------------------------- port manager

QString Connection::ZoekSerielePoorten()
{
    s_.ProgressCancel = false;
    const QString title = WithoutAmpersand(lang_[kSettingsMenu]);
    const QStringList candidates = availablePorts();
    QStringList found;
    for (int i = 0; i < candidates.size(); ++i) {
        if (!prompts_.ScanProgress(title + QStringLiteral(": Port ") + candidates[i], i + 1, int(candidates.size()))) {
            s_.ProgressCancel = true;
            break;
        }
        if (port_.IsOpen())
            continue; // our own open port is not free to try
        if (!port_.Configure(PortDevicePath(candidates[i]), s_.Baudrate + QStringLiteral(",N,8,1")) || !port_.Open())
            continue;
        port_.Close();
        found << candidates[i];
    }
    prompts_.ScanFinished();
    return found.join(QStringLiteral(", "));
}

void Connection::initCommPoort()
{
    s_.LogActive = false;
    ApplyPortSettings();
}

bool Connection::ApplyPortSettings()
{
    TimerOpvragen.stop();
    InstellenCommPoort();
    if (actionResult_ != ResultFailed)
        status_.SetPanelText(StatusViews::PanelMessages, lang_[kIdle]);
    else
        status_.SetPanelText(StatusViews::PanelSettings, CheckPortText());
    return actionResult_ != ResultFailed;
}

void Connection::InstellenCommPoort()
{
    if (!s_.StartPort.isEmpty())
        s_.SerialPort = s_.StartPort;
    const QString title = lang_[kSerialPort] + QStringLiteral(": ") + s_.SerialPort;
    if (port_.IsOpen()) {
        prompts_.ShowWarning(title, lang_[kPortInUse]);
        actionResult_ = ResultFailed;
        return;
    }
    if (PortNumber(s_.SerialPort) > kMaxPortNumber) {
        prompts_.ShowWarning(title, lang_[kPortAbove255]);
        actionResult_ = ResultFailed;
        return;
    }
    port_.Configure(PortDevicePath(s_.SerialPort), s_.Baudrate + QStringLiteral(",N,8,1"));
    actionResult_ = ResultOk;
}

void Connection::OpenCommPoort()
{
    actionResult_ = ResultOk;
    if (port_.IsOpen())
        return;
    if (port_.Device().isEmpty() || !port_.Open()) {
        FoutmeldingOpenPoort();
        actionResult_ = ResultFailed;
        return;
    }
    portGonePending_ = false;
    // A port without line signals (a pseudo-terminal) still works.
    port_.SetDtr(true);
    port_.SetRts(false);
}

void Connection::SluitCommPoort()
{
    if (s_.PortLost)
        return;
    port_.Close();
}

void Connection::FoutmeldingOpenPoort()
{
    TimerOpvragen.stop();
    s_.LogActive = s_.Connected = s_.LogNext = false;
    status_.SetPanelText(StatusViews::PanelSettings, CheckPortText());
    QString text = lang_[kErrorOpening] + s_.SerialPort + QStringLiteral("' !");
    const QString reason = port_.ErrorText();
    if (!reason.isEmpty() && reason != QLatin1String("Unknown error"))
        text += QStringLiteral("\r\n\r\n") + reason; // e.g. no permission to use the device
    prompts_.ShowWarning(PortTitle(), text);
    PlaatsAanduidingenCOM();
}

void Connection::FoutmeldingCommPoort()
{
    TimerOpvragen.stop();
    if (s_.LogActive)
        ToevoegenStop(); // the run ends here: the data file says so
    s_.LogActive = s_.Connected = s_.LogNext = false;
    StopVerbinding();
    status_.SetPanelText(StatusViews::PanelSettings, CheckPortText());
    prompts_.ShowWarning(PortTitle(), lang_[kCommError]);
    Q_EMIT ConnectionLost();
}

void Connection::OnPortError(int event)
{
    if (event < SerialPortService::kFirstErrorEvent)
        return;
    if (event == SerialPortService::kPortGone || event >= SerialPortService::kResourceError) {
        if (!s_.Connected && (s_.ReceiveMode || s_.TransferMode)) {
            // The reception or capture loop ends with the port; the user is told why.
            FoutmeldingCommPoort();
            return;
        }
        if (!s_.Connected || s_.PortLost)
            return;
        // Handled where the poll cycle can resume or stop cleanly.
        portGonePending_ = true;
        if (!InCycle())
            QTimer::singleShot(0, this, [this] {
                if (portGonePending_ && !InCycle() && s_.Connected && !RecoverLostPort())
                    Q_EMIT ConnectionLost();
            });
        return;
    }
    if (port_.IsOpen())
        FoutmeldingCommPoort();
}

bool Connection::RecoverLostPort()
{
    for (;;) {
        const UserPrompts::Answer answer = prompts_.AskRetryCancel(s_.SerialPort, lang_[kCommError]);
        port_.Close();
        QCoreApplication::processEvents();
        if (answer == UserPrompts::Retry) {
            if (!portPresent(s_.SerialPort))
                continue;
            portGonePending_ = false;
            OpenCommPoort();
            if (port_.IsOpen())
                return true;
            return false; // the open failure has been reported and the connection stopped
        }
        portGonePending_ = false;
        s_.PortLost = true;
        StopVerbinding();
        port_.Close();
        return false;
    }
}

// ---------------------------------------------------------------- receive loop

void Connection::SendPoll()
{
    // A J70xx reply times out within a second, so the cycle ends long before
    // the watchdog could fire: the tick itself wakes a meter that left five
    // polls unanswered, or it would never be woken.
    if (s_.PollRetries >= kMaxPollRetries && UsesJ70WakeUp(s_.DeviceName)) {
        s_.PollRetries = 0;
        SendWakeUpBurst();
    }
    port_.SetRts(true);
    port_.ClearBuffers();
    ctx_.buffers.DropUnfinishedLines();
    if (!port_.Write(s_.PollCommand.toLatin1()) && !port_.IsOpen())
        portGonePending_ = true;
    ++s_.PollRetries;
    ++pollsSinceInput_;
    if (s_.EchoCommands)
        status_.TerminalAppend(s_.PollCommand, s_.TerminalColorOut);
}

void Connection::TimerOpvragen_Timer()
{
    // A tick that arrives while a reading waits (the timer was restarted by a
    // command run inside that wait) must not start a cycle inside the cycle.
    if (!s_.Connected) {
        TimerOpvragen.stop();
        return;
    }
    if (InCycle())
        return;
    const qint64 now = msClock();
    if (nextTickMs_ <= now + kTickMs / 2)
        nextTickMs_ += kTickMs; // the tick that was due has come
    if (!port_.IsOpen()) {
        OpenCommPoort();
        if (!port_.IsOpen())
            return;
    }
    bool due = false;
    if (--s_.PollCountdown <= 0) {
        due = true;
        s_.PollCountdown = s_.PollValues ? s_.PollInterval : 1;
    }
    if (s_.LogActive && !s_.LogNext) {
        if (s_.LogInterval <= 0) {
            // Every reading recorded: a polled meter gives one per poll, not one per tick.
            s_.LogNext = due || !s_.PollValues;
        } else if (now + kTickMs / 2 >= logDueMs_) {
            // Due one interval after the last record was due, not after it
            // was taken, so the cadence does not slip by a reading's time.
            // Records missed behind the settings dialog are not made up.
            const qint64 step = qint64(s_.LogInterval) * 1000;
            logDueMs_ += step;
            if (logDueMs_ + kTickMs / 2 <= now)
                logDueMs_ += ((now - logDueMs_) / step + 1) * step;
            s_.LogNext = true;
        }
    }
    PlaatsVerbindingsTijd();
    if ((due || s_.LogNext) && !s_.SettingsOpen && !RunCycle())
        return;
    CheckSilence();
    if (s_.PollValues)
        TimerPollingtest.stop();
    if (s_.Connected)
        ArmTick();
}

bool Connection::RunCycle()
{
    TimerOpvragen.stop();
    std::optional<BusyScope> busy(std::in_place, *this);
    cycleInput_ = false;
    // A poll is sent again by the watchdog until the retries are used up;
    // then the reading ends and the tick polls afresh.
    reader_.BeginCycle(s_.PollValues ? qMax(1, int(s_.ReadingTimeout)) * (kMaxPollRetries + 1) : listenIdleMs);
    if (!s_.PollValues) {
        TimerPollingtest.setInterval(1000);
        TimerPollingtest.start();
    } else {
        TimerPollingtest.setInterval(qMax(1, int(s_.ReadingTimeout)));
        TimerPollingtest.start();
        SendPoll();
    }
    if (!s_.SettingsOpen && !portGonePending_)
        LeesEnVerwerkRS232(ctx_);
    reader_.EndCycle();
    busy.reset(); // actions queued during the wait run now
    if (InCycle())
        return false; // one of them started a reading of its own, which carries on
    if (portGonePending_ && s_.Connected && !RecoverLostPort()) {
        Q_EMIT ConnectionLost();
        return false;
    }
    return true;
}

void Connection::ArmTick()
{
    const qint64 now = msClock();
    // A tick that fell due during a reading runs at once; older ones are
    // skipped. The grid keeps its phase either way.
    if (nextTickMs_ + kTickMs <= now)
        nextTickMs_ += (now - nextTickMs_) / kTickMs * kTickMs;
    TimerOpvragen.start(int(qBound<qint64>(1, nextTickMs_ - now, kTickMs)));
}

QString Connection::SilentMeterText() const
{
    return lang_[kNoAnswer].arg(s_.DeviceName, s_.SerialPort,
             FormatTimeOfDay(NowDays() - double(msClock() - lastInputMs_) / 1000.0 / kSecondsPerDay, s_.TimeSeparator));
}

void Connection::CheckSilence()
{
    if (!s_.Connected || s_.ReceiveMode || s_.TransferMode)
        return;
    const qint64 quiet = msClock() - lastInputMs_;
    const bool silent = s_.PollValues ? pollsSinceInput_ >= kSilentPolls && quiet >= qint64(s_.ReadingTimeout)
                                      : quiet >= kListenSilenceMs;
    if (silent == silentReported_)
        return;
    silentReported_ = silent;
    if (silent) {
        const QString text = SilentMeterText();
        ShowStatus(text);
        TerminalNote(text);
        record_.ShowNoReading();
    } else {
        ShowLastAction(lang_[kReadMeasurements]);
    }
    Q_EMIT MeterSilenceChanged(silent);
}

void Connection::TimerPollingtest_Timer()
{
    if (s_.PortLost || inWatchdog_)
        return;
    inWatchdog_ = true; // the drain and the wake-up wait yield: no second watchdog inside
    if (port_.IsOpen() && port_.InputCount() == 0 && s_.PollValues && s_.Connected && TimerPollingtest.interval() >= 1) {
        if (s_.PollRetries >= kMaxPollRetries) {
            s_.PollRetries = 0;
            if (UsesJ70WakeUp(s_.DeviceName))
                SendWakeUpBurst();
        } else {
            port_.SetRts(true);
            port_.SetDtr(true);
            port_.Write(s_.PollCommand.toLatin1());
            ++s_.PollRetries;
            ++pollsSinceInput_;
            if (s_.EchoCommands)
                status_.TerminalAppend(s_.PollCommand, s_.TerminalColorOut);
            reader_.WachtenLedigenOutputBuffer();
        }
    }
    if (port_.IsOpen() && s_.Connected) {
        PlaatsVerbindingsTijd();
        CheckSilence(); // a reading waits for the re-sent polls: tell the user meanwhile
    }
    inWatchdog_ = false;
}

void Connection::TimerComm_Timer() { TickCount = TickCount >= 32767 ? 0 : qint16(TickCount + 1); }

void Connection::SendWakeUpBurst()
{
    SendWithChecksum(ctx_, QString(24, QChar(0)));
    int ms = 5000;
    WaitMilliseconds(ms);
}

void Connection::WaitMilliseconds(int& ms)
{
    if (ms > 65535)
        ms = 65535;
    reader_.WaitMilliseconds(ms);
}

void Connection::PlaatsVerbindingsTijd()
{
    if (!s_.Connected)
        return;
    status_.SetPanelText(StatusViews::PanelPollTime, s_.PollValues ? FormatSecondsAsTime(s_.PollCountdown, s_.TimeSeparator)
                                                                : lang_[kWaitingForData]);
    if (s_.LogActive) {
        const double left = s_.LogInterval > 0 ? double(logDueMs_ - msClock()) / 1000.0 : 0.0;
        status_.SetPanelText(StatusViews::PanelLogTime, FormatSecondsAsTime(qint64(std::ceil(qMax(0.0, left) - 1e-6)), s_.TimeSeparator));
    }
}

void Connection::PropagateReading(bool replace)
{
    status_.UpdateTitle();
    ShowPartialReading(); // the value windows, as for each line of a longer reply
    record_.UpdateGraphs(s_.LogCount, true);
    if (!s_.LogNext && !s_.ReceiveMode)
        return;
    if (!replace) {
        record_.AppendTableRow(s_.CurrentInfo);
        record_.AppendRecord(s_.CurrentInfo);
    } else {
        record_.ReplaceLastTableRow(s_.CurrentInfo);
        record_.RewriteLastRecord(s_.LogCount, s_.CurrentInfo);
    }
    if (readingRecorded)
        readingRecorded(replace);
    record_.UpdateGraphs(s_.LogCount, false);
    s_.LogNext = false;
    status_.SetPanelText(StatusViews::PanelLogCounter, QStringLiteral("Log# ") + QString::number(s_.LogCount));
    if (s_.LimitToPoints && s_.LogCount >= s_.Points) {
        s_.LogActive = false;
        PlaatsAanduidingenCOM();
    }
}

void Connection::ShowPartialReading()
{
    for (int ch = 1; ch <= s_.ChannelCount && ch <= kMaxChannels; ++ch) {
        if (s_.ChannelInUse(ch) && s_.Channel(ch).Value && s_.Readings[ch].HasValue)
            record_.ShowValue(ch);
    }
}

void Connection::ShowStatus(const QString& text) { status_.SetPanelText(StatusViews::PanelMessages, text); }

void Connection::ShowWarning(const QString& title, const QString& text) { prompts_.ShowWarning(title, text); }

// In the colour of sent text: the program's own words, not the meter's.
void Connection::TerminalNote(const QString& text)
{
    status_.TerminalAppend(text + QStringLiteral("\r\n"), s_.TerminalColorOut);
}

// ---------------------------------------------------------------- measure and logging

void Connection::ShowLastAction(const QString& text)
{
    status_.SetPanelText(StatusViews::PanelMessages,
                        text.isEmpty() ? lang_[kIdle] : lang_[kLastAction] + WithoutAmpersand(text));
}

void Connection::mnuDataMeasure_Click()
{
    StartStopVerbinding();
    if (s_.Connected) {
        s_.Connected = true;
        PlaatsAanduidingenCOM();
        ShowLastAction(lang_[kReadMeasurements]);
        const double now = NowDays();
        for (int ch = 1; ch <= s_.ChannelCount && ch <= kMaxChannels; ++ch)
            ClearReading(s_.Readings[ch], now);
        record_.ClearValues();
    } else {
        s_.Connected = s_.ReceiveMode = s_.TransferMode = false;
        PlaatsAanduidingenCOM();
        ShowLastAction(QString());
    }
}

void Connection::StartStopVerbinding()
{
    s_.PortLost = false;
    s_.PollRetries = 0;
    if (!s_.LogMode && !s_.DeviceName.isEmpty()) {
        s_.Connected = !s_.Connected;
        if (s_.Connected) {
            s_.LogNext = false;
            s_.PollCountdown = 0; // the first cycle runs on the first tick
            lastInputMs_ = msClock();
            nextTickMs_ = lastInputMs_ + kTickMs;
            pollsSinceInput_ = 0;
            silentReported_ = false;
            ArmTick();
            OpenCommPoort();
            if (actionResult_ == ResultFailed) {
                // The open failure has been reported: one message, not a second one.
                s_.Connected = false;
                TimerOpvragen.stop();
            }
        } else {
            SluitCommPoort();
            TimerOpvragen.stop();
            ToevoegenStop();
            // Logging ends with the measuring: left on, a later New or
            // Receive would append a second stop record.
            s_.LogActive = false;
            s_.LogNext = false;
        }
        port_.ClearBuffers();
        ctx_.buffers.Clear(); // text of an earlier connection must not glue onto the first reply
        BusyScope busy(*this);
        if (s_.Connected && IsJ70Device(s_.DeviceName)) {
            TimerOpvragen.stop();
            bool timedOut = false;
            if (!ReadJ70Settings(ctx_, ChannelPresent, timedOut)) {
                s_.Connected = false;
                SluitCommPoort();
            } else {
                ApplyChannelFlags();
                ArmTick();
            }
        }
        if (s_.Connected && IsG40Device(s_.DeviceName)) {
            TimerOpvragen.stop();
            bool timedOut = false;
            if (!ReadG40Settings(ctx_, ChannelPresent, timedOut)) {
                s_.Connected = false;
                SluitCommPoort();
            } else {
                s_.ReceivedChannels = ChannelPresent[2] ? 2 : 0;
                if (s_.ChannelCount >= 2) {
                    s_.Channel(2).Use = true;
                    s_.Channel(2).Value = true;
                }
                status_.RetileWindows();
                ArmTick();
            }
        }
    }
    PlaatsAanduidingenCOM();
}

void Connection::ApplyChannelFlags()
{
    ApplyJ70Channels(s_, ChannelPresent);
    status_.RetileWindows();
}

void Connection::StopVerbinding()
{
    if (s_.LogActive)
        ToevoegenStop();
    if (s_.TransferMode)
        mnuDataTransfer_Click();
    if (s_.ReceiveMode)
        mnuDataReceive_Click();
    s_.Connected = s_.ReceiveMode = s_.TransferMode = false;
    s_.LogActive = false;
    SluitCommPoort();
    TimerOpvragen.stop();
    PlaatsAanduidingenCOM();
}

void Connection::mnuDatalogging_Click()
{
    s_.LogNext = false;
    if (s_.LogActive)
        ToevoegenStop();
    s_.LogActive = !s_.LogActive;
    if (s_.LogActive) {
        ShowLastAction(lang_[kLogMeasurements]);
        logDueMs_ = msClock() + qint64(qMax(0, s_.LogInterval)) * 1000;
        s_.LogNext = true;
    } else {
        ShowLastAction(lang_[kStopLogging]);
    }
    PlaatsAanduidingenCOM();
}

void Connection::ToevoegenStop()
{
    if (!s_.LogActive || s_.LogCount < 1)
        return;
    double stop = std::floor(NowDays() * kSecondsPerDay + 1e-6) / kSecondsPerDay;
    if (stop == s_.Readings[1].ReadingTime)
        stop += kOneSecond;
    s_.CurrentInfo = lang_[kStop];
    s_.Readings[1].ReadingTime = stop;
    ++s_.LogCount;
    record_.AppendTableRow(s_.CurrentInfo);
    record_.AppendRecord(QStringLiteral("Stop"));
}

void Connection::StopLogging(const QString& why)
{
    if (!s_.LogActive)
        return;
    ToevoegenStop();
    s_.LogActive = s_.LogNext = false;
    ShowStatus(why);
    TerminalNote(why);
    status_.RefreshIndications();
}

void Connection::PlaatsAanduidingenCOM()
{
    TimerOpvragen.stop();
    if (!s_.StartPort.isEmpty())
        s_.SerialPort = s_.StartPort;
    status_.SetPanelText(StatusViews::PanelSettings, s_.SerialPort + QStringLiteral(", ") + s_.Baudrate + QStringLiteral(" bps."));
    status_.RefreshIndications();
    if (s_.Connected && !InCycle())
        ArmTick();
}

void Connection::mnuDataReceive_Click()
{
    if (s_.ReceiveMode) {
        // The reception loop sees the flag (or the closed port) and ends.
        s_.ReceiveMode = false;
        SluitCommPoort();
        ShowLastAction(lang_[kReceiveOff]);
        PlaatsAanduidingenCOM();
        return;
    }
    if (!prompts_.StartNewDataFile())
        return;
    // A port given up earlier (Cancel after it vanished) is a fresh start
    // now: left set, the port would never be closed again.
    s_.PortLost = false;
    s_.ReceiveMode = true;
    InstellenCommPoort();
    if (actionResult_ != ResultFailed)
        OpenCommPoort();
    PlaatsAanduidingenCOM();
    if (actionResult_ == ResultFailed) {
        s_.ReceiveMode = false;
        PlaatsAanduidingenCOM();
        return;
    }
    port_.ClearBuffers();
    TimerOpvragen.stop();
    status_.SetPanelText(StatusViews::PanelSettings, s_.SerialPort + QStringLiteral(", ") + s_.Baudrate + QStringLiteral(" bps."));
    status_.SetPanelText(StatusViews::PanelMessages, lang_[kReceiveOn]);
    ctx_.buffers.Clear();
    BusyScope busy(*this);
    while (s_.ReceiveMode) {
        s_.CurrentInfo.clear();
        if (!RunTransfer(ctx_)) {
            // This model prints no logger memory.
            s_.ReceiveMode = false;
            SluitCommPoort();
            break;
        }
        if (!port_.IsOpen()) {
            // The port closed under the reader (stopped, or the line vanished).
            s_.ReceiveMode = false;
            break;
        }
    }
    PlaatsAanduidingenCOM();
}

QString Connection::TransferFileName() const { return transferFile_ ? transferFile_->fileName() : QString(); }

void Connection::mnuDataTransfer_Click()
{
    if (s_.TransferMode) {
        // Whatever has arrived is in the file already; closing flushes it.
        if (transferFile_)
            transferFile_->close();
        transferFile_.reset();
        SluitCommPoort();
        ShowLastAction(lang_[kTransferOff]);
        s_.TransferMode = false;
        PlaatsAanduidingenCOM();
        return;
    }
    const QString fileName = prompts_.AskTransferFileName();
    if (fileName.isEmpty())
        return;
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        prompts_.ShowWarning(PortTitle(), lang_[kErrorOpeningFile] + fileName + QStringLiteral("' !\r\n\r\n") + file->errorString());
        return;
    }
    transferFile_ = std::move(file);
    s_.PortLost = false; // as for Receive
    s_.TransferMode = true;
    s_.TerminalVisible = true;
    status_.ShowTerminalForTransfer(fileName);
    PlaatsAanduidingenCOM();
    InstellenCommPoort();
    if (actionResult_ != ResultFailed)
        OpenCommPoort();
    if (actionResult_ == ResultFailed) {
        transferFile_.reset();
        s_.TransferMode = false;
        PlaatsAanduidingenCOM();
        return;
    }
    port_.ClearBuffers();
    TimerOpvragen.stop();
    status_.SetPanelText(StatusViews::PanelSettings, s_.SerialPort + QStringLiteral(", ") + s_.Baudrate + QStringLiteral(" bps."));
    status_.SetPanelText(StatusViews::PanelMessages, lang_[kTransferOn]);
    for (int panel : {StatusViews::PanelLogTime, StatusViews::PanelPollTime, StatusViews::PanelLogCounter})
        status_.SetPanelText(panel, QString());
    QFile* out = transferFile_.get();
    BusyScope busy(*this);
    while (s_.TransferMode && port_.IsOpen()) {
        // Waits for the next piece (no spinning); the reader shows it in the
        // terminal. The file gets the bytes exactly as the meter sent them.
        QString piece;
        reader_.ReadSome(piece);
        if (piece.isEmpty())
            continue;
        if (!s_.TransferMode || transferFile_.get() != out)
            break;
        const QByteArray bytes = piece.toLatin1();
        if (out->write(bytes) != bytes.size() || !out->flush()) {
            prompts_.ShowWarning(PortTitle(), lang_[kErrorOpeningFile] + out->fileName() + QStringLiteral("' !\r\n\r\n") + out->errorString());
            mnuDataTransfer_Click();
            return;
        }
    }
    if (s_.TransferMode && !port_.IsOpen())
        mnuDataTransfer_Click(); // the line went away: the file keeps what arrived
}
