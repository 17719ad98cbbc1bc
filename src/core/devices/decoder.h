#pragma once
// Offline decoding: captured meter output fed through a model's parser as if
// it arrived on the port while listening, each recorded reading collected.

#include <QString>
#include <QList>
#include <functional>

struct AppState;

struct DecodedValue {
    int reading = 0;   // 1, 2, ... in the order recorded
    int channel = 0;
    QString value;
    QString unit;
    bool overRange = false;
    QString extra;
    QString info;
    double time = 0;   // the reading's time stamp (days)
};

struct ParserContext;
class ScriptedLineReader;

// Runs the receive cycle until the reader has nothing more to give.
void RunReceiveCycles(ParserContext& ctx, ScriptedLineReader& reader);

// The values of every channel in use that carries a value: one recorded reading.
QList<DecodedValue> CurrentValues(const AppState& state, int readingNumber);

// The readings of a run as the table ends up holding them: a reading recorded
// as a replacement (a logger record printed one line per channel grows line
// by line) takes the place of the one before it. Each reading is handed on
// once, in its final form: when the next one starts, or at Finish.
class FinalReadings {
public:
    using Handler = std::function<void(const QList<DecodedValue>&)>;
    explicit FinalReadings(Handler onFinal) : onFinal_(std::move(onFinal)) {}
    // The current reading of `state` was recorded (PropagateReading).
    void Record(const AppState& state, bool replace);
    // No reading follows: hands on the last one.
    void Finish();
    // Readings recorded so far, each counted once.
    int Count() const { return count_; }

private:
    Handler onFinal_;
    QList<DecodedValue> pending_;
    bool hasPending_ = false;
    int count_ = 0;
};

// The channels in use while decoding a capture of `state.DeviceName` when the
// user named none: those of the usual set-up. A J70xx meter prints readings
// for the channels its settings switch on; offline there is no meter to ask,
// so every channel counts as present (the J7050M then prints five). A logger
// print (`datalog`) names the channel of every record: all stay in use.
void UseUsualChannels(AppState& state, bool datalog);

// Why a run recorded no reading, for the user to check the model, the channel
// set and the capture. `datalog`: a logger print was read (after RunTransfer:
// LogCount tells whether its header was seen).
QString NothingDecodedReason(const AppState& state, bool datalog);
