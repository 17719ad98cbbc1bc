#pragma once
// The program's command line:
//   vam [cfg=NAME] [/comN | --port=DEVICE] [--model=MODEL] [--listen] [--connect] [FILE.vam]
// plus --help and --version. Options are case-insensitive; a file name keeps
// its case, since Linux file names are case-sensitive.

#include <QString>
#include <QStringList>

struct AppState;

struct CommandLineOptions {
    QString CommandLine;                         // lower-cased, the cfg option removed
    QString ConfigTag = QStringLiteral("CFG");   // "CFG" + the cfg= name
    QString StartPort;                           // "COMn" or a device path; "" when none
    QString FileName;                            // absolute, ".vam" appended; "" when none
    QString Model;                               // --model=
    bool Listen = false;
    bool Connect = false;
    bool Help = false;
    bool Version = false;
    QStringList Errors;                          // one line per unusable argument
};

// Parses the arguments after the program name. A relative file name is taken
// relative to `workingFolder` (the folder the program was started in).
CommandLineOptions ParseCommandLine(const QStringList& args, const QString& workingFolder);

// The parts the start-up pass takes over each time it runs: CommandLine,
// StartPort, and a named data file into LogFileName with CommandLineFile set,
// so that the configuration does not replace it.
void ApplyCommandLine(AppState& s, const CommandLineOptions& options);

// The text --help prints.
QString CommandLineUsage();
