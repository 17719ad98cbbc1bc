#pragma once
// The meter connection: the serial port and its failures, the poll cycle that
// turns arriving text into recorded readings, and the Measure and logging
// commands. Free of widgets: the windows are reached through the RecordViews,
// StatusViews and UserPrompts interfaces (comm/commviews.h), so the
// same connection runs under the main window and in the command line.

#include "comm/portlisting.h"
#include "comm/seriallinereader.h"
#include "core/devices/commandprotocol.h"
#include "core/devices/parsercontext.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

struct AppState;
class LanguageTable;
class SerialPortService;
class CommViews;
class RecordViews;
class StatusViews;
class UserPrompts;

class Connection : public QObject, public ReadingSink {
    Q_OBJECT
public:
    enum Result : qint16 { ResultNone = 0, ResultOk = 1, ResultFailed = 2 };

    Connection(AppState& state, LanguageTable& language, SerialPortService& port, RecordViews& record,
               StatusViews& status, UserPrompts& prompts, QObject* parent = nullptr);
    // One object serving all three sides.
    Connection(AppState& state, LanguageTable& language, SerialPortService& port, CommViews& views,
               QObject* parent = nullptr);
    ~Connection() override;

    // ---- Port manager
    // The ports that open, as "COM1, COM3, /dev/ttyUSB0"; "" when none.
    QString ZoekSerielePoorten();
    void initCommPoort();
    // The port set up for changed settings, logging left alone and no tick
    // armed (the settings dialog is still open); false when it failed (reported).
    bool ApplyPortSettings();
    void InstellenCommPoort();
    void OpenCommPoort();
    void SluitCommPoort();
    void FoutmeldingOpenPoort();
    void FoutmeldingCommPoort();
    qint16 ActionResult() const { return actionResult_; }
    // The number after "COM" (0 when there is none).
    static int PortNumber(const QString& name);

    // ---- Receive loop
    void TimerOpvragen_Timer();
    void TimerPollingtest_Timer();
    void TimerComm_Timer();
    void PlaatsVerbindingsTijd();
    // Waits `ms` milliseconds (at most 65535; the caller's value is capped too).
    void WaitMilliseconds(int& ms);
    void PropagateReading(bool replace) override;
    void ShowPartialReading() override;
    void StopReplyWatchdog() override { TimerPollingtest.stop(); }
    void ShowStatus(const QString& text) override;
    void ShowWarning(const QString& title, const QString& text) override;
    void TerminalNote(const QString& text) override;

    // ---- Measure and logging
    void mnuDataMeasure_Click();
    void StartStopVerbinding();
    void StopVerbinding();
    void mnuDatalogging_Click();
    void ToevoegenStop();
    // Logging ends with its stop record; `why` goes to the status bar and the terminal.
    void StopLogging(const QString& why);
    void PlaatsAanduidingenCOM();
    void ShowLastAction(const QString& text);
    // Receive: the logger memory the meter prints, every record recorded.
    void mnuDataReceive_Click();
    // Transfer: everything the meter prints, captured unchanged into a text file.
    void mnuDataTransfer_Click();
    // Where Transfer writes ("" while it does not run).
    QString TransferFileName() const;

    // True while a poll cycle, a settings read or the Receive or Transfer loop
    // waits for the meter. Commands that run meanwhile come from inside that
    // wait: they must not start a second reader on the same port and buffers.
    bool InCycle() const { return busy_ > 0; }
    // Runs `action` once the reading under way has returned (at once when
    // none is). Re-opening the port for a new set-up goes through here, after
    // StopVerbinding has closed it and so ended the wait.
    void RunAfterCycle(std::function<void()> action);
    // A command that opens a window from the user's side: while a measuring
    // reading waits for the meter it runs once that reading has returned, so
    // the window cannot hold the poll cycle (and logging) for as long as it is
    // open. A wait that has received nothing while listening, or from a meter
    // that does not answer, ends at once for it. In Receive and Transfer it runs at once.
    void RunWhenReadingDone(std::function<void()> action);

    // Milliseconds on a steady clock: the poll tick and the log cadence count
    // on it (tests give it a clock of their own that moves).
    std::function<qint64()> msClock;
    // A listening reading that receives nothing for this long ends; the next
    // tick starts another (one tick apart, so nothing waits in between).
    int listenIdleMs = 1000;
    // Called with each reading recorded (a logged or received record; true:
    // the last record grew by a line) after the data file has it: publishing.
    std::function<void(bool replace)> readingRecorded;
    // True while polls go unanswered, or nothing arrives while listening.
    bool MeterSilent() const { return silentReported_; }
    // The text shown when the meter is silent.
    QString SilentMeterText() const;

    QTimer TimerOpvragen;    // the one-second poll tick
    QTimer TimerPollingtest; // the reply watchdog
    QTimer TimerComm;        // counts TickCount
    qint16 TickCount = 0;
    bool RetilePending = false;
    ChannelCodes ChannelPresent{};

    SerialLineReader& Reader() { return reader_; }
    ParserContext& Context() { return ctx_; }
    SerialPortService& Port() { return port_; }
    // Where the present ports come from (tests replace them).
    std::function<bool(const QString&)> portPresent;
    std::function<QList<PortEntry>()> portEntries; // the port list, the port in use included
    std::function<QStringList()> availablePorts;   // the names a scan tries: portEntries()' by default

Q_SIGNALS:
    // The connection stopped because the port failed or vanished.
    void ConnectionLost();
    // The meter fell silent (true), or spoke again after that (false).
    void MeterSilenceChanged(bool silent);

private:
    void OnPortError(int event);
    // The port vanished during a poll: asks Retry/Cancel; true when it is back.
    bool RecoverLostPort();
    void SendPoll();
    // One reading of the poll cycle; false when the caller must not go on
    // (a reading of its own was started inside it, or the connection was lost).
    bool RunCycle();
    // Starts the poll tick for the next whole second of its grid: the grid
    // keeps its phase however long a reading took.
    void ArmTick();
    void CheckSilence();
    void SendWakeUpBurst();
    void ApplyChannelFlags();
    QString PortTitle() const;
    QString CheckPortText() const;

    AppState& s_;
    LanguageTable& lang_;
    SerialPortService& port_;
    RecordViews& record_;
    StatusViews& status_;
    UserPrompts& prompts_;
    SerialLineReader reader_;
    ParserContext ctx_;
    qint16 actionResult_ = ResultNone;
    class BusyScope;
    void EndBusy();
    int busy_ = 0;
    std::vector<std::function<void()>> afterCycle_;
    bool inWatchdog_ = false;
    bool portGonePending_ = false;
    std::unique_ptr<class QFile> transferFile_;
    qint64 nextTickMs_ = 0;      // when the next poll tick is due
    qint64 logDueMs_ = 0;        // when the next record is due (log interval > 0)
    qint64 lastInputMs_ = 0;     // when the meter last sent anything
    int pollsSinceInput_ = 0;
    bool cycleInput_ = false;    // the reading under way has received something
    bool silentReported_ = false;
};
