#pragma once
// The File menu's data-file commands: New, Open, Save as and the recent
// files, and the New step of Receive. Each asks what it must (the file name,
// overwriting, saving a table whose readings are not safe in a file of their
// own), keeps the recent-files list and the configuration up to date, and
// refreshes the table and the caption. The main window only wires them.

#include <QObject>
#include <functional>

struct AppState;
struct CommandOutcome;
struct DataFileReport;
class DataFile;
class LanguageTable;
class LogTable;
class SettingsStore;
class TableWindow;

class QWidget;

// The progress of loading a large data file, as a window-modal dialog with
// Cancel: -1 opens it, 0..100 moves it (false once cancelled), above 100 ends it.
std::function<bool(int)> LoadProgressDialog(QWidget* parent, const LanguageTable& language);

class DataFileCommands : public QObject {
    Q_OBJECT
public:
    // What the commands need of the main window.
    struct Hooks {
        // A file dialog: `save` chooses a name to write; "" when cancelled.
        std::function<QString(const QString& title, const QString& folder, const QString& filter, bool save)> chooseFile;
        // A question: returns QMessageBox::Yes, No or Cancel.
        std::function<int(const QString& title, const QString& text, bool withCancel)> ask;
        // Shows what a data-file operation reported; returns its ok flag.
        std::function<bool(const DataFileReport&)> report;
        // Writes the configuration as it stands (windows collected first).
        std::function<CommandOutcome()> writeConfiguration;
        // Logging is switched off before the data file changes.
        std::function<void()> stopLogging;
        // Caption, "Log#" panel and recent-files menu after a change.
        std::function<void()> refresh;
        // A loaded file shows its table.
        std::function<void()> showTable;
        // Loading a large file: progress in percent; false when cancelled.
        std::function<bool(int)> progress;
        std::function<void(const QString& title, const QString& text)> inform;
        // The file for a table whose records could not be written at exit ("" = cancelled).
        std::function<QString()> chooseRecoveryFile;
    };

    DataFileCommands(AppState& state, const LanguageTable& language, DataFile& file, LogTable& rows,
                     TableWindow& table, Hooks hooks, QObject* parent = nullptr);

    // The store that keeps the recent-files list (none: no list).
    void SetStore(SettingsStore* store) { store_ = store; }

    // File > New: asks the new file's name (overwriting asked, the old file
    // kept as ".bak"); the table starts empty and logging writes there. The
    // configuration is saved first when changed. False when cancelled.
    bool New();
    // The same for Receive, without the configuration.
    bool NewForReceive();
    // File > Open: the table is loaded from the chosen file. A damaged file
    // is warned about; one without a readable record becomes the file logging
    // writes to only when the user says Yes.
    bool Open();
    bool OpenFile(const QString& path);
    // File > Save as: the data file under another name.
    bool SaveAs();
    // A recent file chosen from the File menu.
    bool OpenRecent(const QString& path);

    // True when the table's readings are not safe in a data file of their
    // own: records that could not be written, or readings logged into the
    // untitled default file.
    bool TableUnsaved() const;
    // At exit: records held back because the data file could not be written
    // are retried, then offered for saving under another name. Without
    // `mayAsk` (a termination signal) the table is saved as a recovery file
    // in the first folder that takes it. False when the user chose Cancel.
    bool SaveHeldBackRecords(bool mayAsk);

private:
    // Asks "Do you wish to save the current data?" for an unsaved table;
    // false when the user cancelled.
    bool AskSaveTable();
    QString AskNewName(const QString& title);
    bool StartNewFile(const QString& path);
    void ConfigurationSavedWhenChanged();
    void ConfigurationWritten();
    void AddRecent(const QString& path);
    QString Filter(bool withAll) const;
    // The loading progress: -1 opens it, 101 ends it.
    void Progress(int percent);

    AppState& s_;
    const LanguageTable& lang_;
    DataFile& file_;
    LogTable& rows_;
    TableWindow& table_;
    Hooks hooks_;
    SettingsStore* store_ = nullptr;
};
