#pragma once
// Offline decoding: captured meter output fed through a model's parser as if
// it arrived on the port while listening, each recorded reading collected.

#include <QString>
#include <QList>

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
