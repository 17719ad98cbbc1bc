#pragma once
// What the about box tells: the program and who it is registered to, and on
// request the machine it runs on and the places it keeps its files, as
// label/value pairs the box lays out (and a bug report can copy).

#include <QString>
#include <vector>

struct AppState;
class LanguageTable;

struct AboutFact {
    QString label, value;
};

// The machine as the running program sees it.
struct MachineFacts {
    QString qtVersion;    // the Qt library in use
    QString distribution; // "Debian GNU/Linux 12 (bookworm)"
    QString kernel;       // "linux 6.1.0-18-amd64"
    QString architecture; // "x86_64"
    QString host;
    static MachineFacts Current();
};

// Program name and version, what it is for, the user and organisation.
std::vector<AboutFact> ProgramFacts(const AppState& s, const LanguageTable& lang);
// The machine and the program's folders and configuration. Empty when the
// machine cannot be told (then the box says the information is unavailable).
std::vector<AboutFact> SystemFacts(const AppState& s, const LanguageTable& lang, const MachineFacts& machine);
// The facts as plain text, one "label: value" per line.
QString AboutText(const std::vector<AboutFact>& facts);
