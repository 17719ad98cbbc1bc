#pragma once
// The File menu's configuration commands: Save settings, Save settings as
// and Read settings. They collect the windows' set-up before writing, ask
// what must be asked (saving a changed set-up before another is read,
// overwriting a file) and hand a chosen configuration to the start-up pass.

#include <QObject>
#include <functional>

struct AppState;
struct CommandOutcome;
class LanguageTable;
class SettingsStore;

class ConfigCommands : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<QString(const QString& title, const QString& folder, const QString& filter, bool save)> chooseFile;
        std::function<int(const QString& title, const QString& text, bool withCancel)> ask;
        std::function<void(const QString& title, const QString& text)> warn;
        // The windows' set-up into the layout the writers use.
        std::function<void()> collectLayout;
        // Writers over that layout.
        std::function<CommandOutcome()> write;                       // to ConfigFileName
        std::function<CommandOutcome(const QString& path)> writeAs;  // to `path`, which becomes current
        std::function<CommandOutcome()> saveCommand;                 // write + recent files + status text
        // After a write: the status text, menus and captions.
        std::function<void(const QString& status)> done;
        // Reads the chosen configuration (the start-up pass).
        std::function<void()> reload;
    };

    ConfigCommands(AppState& state, LanguageTable& language, Hooks hooks, QObject* parent = nullptr);
    void SetStore(SettingsStore* store) { store_ = store; }

    // False when it could not be written (the user has been told).
    bool Save();
    // False when cancelled or refused.
    bool SaveAs();
    bool Read();

private:
    AppState& s_;
    LanguageTable& lang_;
    Hooks hooks_;
    SettingsStore* store_ = nullptr;
};
