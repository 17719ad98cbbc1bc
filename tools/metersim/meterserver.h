#pragma once
// One simulated meter on the master side of a pseudo-terminal: answers polls,
// settings and logger requests, prints on its own time base in listen mode and
// misbehaves on request. A single-threaded poll() loop; it sleeps whenever
// there is nothing to do.

#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>

#include "simrandom.h"

struct SimOptions {
    QString model;
    quint32 seed = 1;
    double listenSeconds = 0; // > 0: print a reading every so many seconds
    int dumpRecords = -1;     // >= 0: logger print of this many records
    bool dumpNow = false;     // print it as soon as the program opens the line
    bool silent = false;
    bool mutePolls = false; // answers commands and settings requests, but no poll
    bool garbage = false;
    bool split = false;
    bool noCrLf = false;
    int dropAfter = -1;       // >= 0: pull the cable after this many replies
    bool watchStdin = true;   // end when stdin, a pipe, reaches its end
};

// Exit codes of the simulator.
enum SimExit { kExitOk = 0, kExitError = 1, kExitUsage = 2, kExitDropped = 3 };

class PtyMaster;

class MeterServer {
public:
    MeterServer(const SimOptions& options, PtyMaster& pty);
    // Serves until a signal, the end of stdin or the dropped line; returns the exit code.
    int Run();

    // Output that would go to the line, turned into what --stdout prints:
    // `count` readings in the listen shape, or the logger print.
    static QByteArray StdoutText(const SimOptions& options, int count);

private:
    struct Piece {
        QByteArray bytes;
        qint64 notBefore = 0; // monotonic ms
        qsizetype written = 0;
    };

    void OnConnected();
    void OnHangUp();
    void ReadInput();
    void HandleCommands();
    void SendReply(QByteArray bytes);
    void SendRaw(const QByteArray& bytes);
    void WriteOutput();
    bool OutputDue() const;
    QByteArray Misbehave(QByteArray bytes);
    void AddGarbage();
    void StartDump();

    SimOptions opt_;
    PtyMaster& pty_;
    SimRandom random_;
    bool connected_ = false;
    QByteArray input_;
    std::deque<Piece> output_;
    int readingIndex_ = 0;
    int replies_ = 0;
    bool dropping_ = false;
    qint64 dropAt_ = -1;
    qint64 nextListen_ = -1;
    qint64 dumpAt_ = -1; // when the print starts by itself
    // The commands this meter understands, complete with their framing.
    QByteArray poll_;
    QByteArray settings_;
    QByteArray wakeUp_;
    QByteArray dumpQuery_;
    QByteArray dumpTrigger_;
    QList<QByteArray> dumpSteps_; // accepted without an answer
};
