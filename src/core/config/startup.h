#pragma once
// Program start-up, the recent-files list, the configuration commands of the
// File menu and shutdown, as far as they need no window. The main window
// runs these steps in order and shows what they return: every message comes
// back as text of the language table, nothing here opens a window.
//
// Once per run:   ParseCommandLine (core/commandline.h), ApplyConfigTag,
//                 SettingsStore(RegistryApp), ApplyInitialDefaults.
// Each start-up pass (at start and after a configuration switch):
//                 BeginStartupPass, ResolveConfigFileName, ApplyCommandLine,
//                 ReadConfig (core/configfile.h), ApplyFirstStartDefaults
//                 (no configuration yet), EnsureFolders,
//                 InstallHelpFiles, LoadRecentFiles, ApplyStartupFallbacks,
//                 PlanStartDataFile (+ DataFile::OpenDataFile, UpdateRecentFiles),
//                 FinishStartupPass.

#include <QList>
#include <QString>
#include <QStringList>

struct AppState;
struct ConfigLayout;
class LanguageTable;
class SettingsStore;

// ---------------------------------------------------------------- once per run

// What start-up takes from the system.
struct StartupEnvironment {
    QString DocumentsFolder;
    QString UserName;
    QString SystemName;
    QString ProgramFolder; // the executable's folder
    QString TimeSeparator = QStringLiteral(":");
    QString DateSeparator = QStringLiteral("/");
};
// The running program's environment (needs a QCoreApplication).
StartupEnvironment CurrentEnvironment();

// ConfigTag, and ConfigExtension, DefaultConfigName and RegistryApp made from
// it. The settings store is opened with RegistryApp afterwards.
void ApplyConfigTag(AppState& s, const QString& tag);

// The system facts, every default, the preferences of the settings store and
// IconPath.
void ApplyInitialDefaults(AppState& s, const SettingsStore& store, const StartupEnvironment& env);

// ---------------------------------------------------------------- each pass

// English texts, the locale's separators, "hh:nn:ss", and the start flags
// TableVisible, DataFileReadOnly, LogAtStart, ConnectAtStart and FileLoading
// cleared.
void BeginStartupPass(AppState& s, LanguageTable& lang, const StartupEnvironment& env);

// ConfigFileName := the store's "FileNameSettings" ("\\" read as "\"). When
// that is not an existing file: FolderSettings/DefaultConfigName, the folder
// created with its parents; `programFolder`/DefaultConfigName when it cannot be.
void ResolveConfigFileName(AppState& s, const SettingsStore& store, const QString& programFolder);

// Creates the data and settings folders when missing. One message (language
// entry "Error on creating the folder ...") per folder that cannot be made.
QStringList EnsureFolders(const AppState& s, const LanguageTable& lang);

// Without a device the J7010 is selected (true: the value windows must be
// rebuilt); without a port "COM1" is used and ConnectAtStart cleared.
bool ApplyStartupFallbacks(AppState& s, double now);

// A first start (no configuration yet) proposes what the settings dialog
// then shows: polling when the device (J7010 when none is chosen) has a poll
// command, since a meter that answers polls only would never be heard
// otherwise, and `usbAdapter` as the port unless it is "" (none found).
void ApplyFirstStartDefaults(AppState& s, const QString& usbAdapter);

// Which data file the pass loads.
struct StartDataFilePlan {
    bool Load = false;  // load LoadName with DataFile::OpenDataFile(RangeName)
    QString LoadName;   // LogFileName, or today's date-stamped name of it
    QString RangeName;  // the undated name for the date-stamp range check, or ""
    bool Recent = false; // add LogFileName to the recent files
};
// With LoadFileAtStart or a data file named on the command line: the file to
// load (LogFileName keeps the undated name). A date-stamped file of today
// that does not exist yet, or a new file named on the command line, is not
// loaded: logging creates it. Otherwise NewDataFileName.
StartDataFilePlan PlanStartDataFile(AppState& s, double today);

// LogActive := false, Connected := false, ConfigChanged := false; with
// ConnectAtStart, LogActive := LogAtStart and true: start the connection.
bool FinishStartupPass(AppState& s);

// ---------------------------------------------------------------- help files

struct HelpInstallResult {
    bool Skipped = false;  // the English help is already there
    int Files = 0;         // files unpacked
    QStringList Missing;   // archives found in none of the folders
    QStringList Refused;   // archive entries not unpacked (unsafe paths)
    QStringList Errors;    // archive failures, for a box titled "error"
};
// Where the help archives may be: the program folder, then the installed
// data folder (../share/vam beside bin/).
QStringList HelpArchiveFolders(const QString& programFolder);
// True when "helpEN/data_windows.htm" exists in `helpFolder` (names compared
// without case: archives made on other systems may spell them differently).
bool HelpFilesInstalled(const QString& helpFolder);
// Unless HelpFilesInstalled: creates `helpFolder` and unpacks helpEN.zip,
// helpNL.zip and helpFR.zip, each from the first of `archiveFolders` holding it.
HelpInstallResult InstallHelpFiles(const QString& helpFolder, const QStringList& archiveFolders);
// The file of help topic `topic` for language 0 (English), 1 (French) or 2
// (Dutch): in "helpEN", "helpFR" or "helpNL" of `helpFolder`, the English one
// when that language lacks it. "" when the help folder does not exist;
// otherwise a path even when no language has the topic (the browser says so).
QString HelpTopicPath(const QString& helpFolder, int languageIndex, const QString& topic);

// ---------------------------------------------------------------- recent files

// The folder part removed, compared without case, leading separators
// dropped and the rest in proper case; `path` unchanged when it does not
// contain `folder`. For captions and titles only: the result does not name
// the file on a case-sensitive system.
QString RelativeName(const QString& path, const QString& folder);
// How the recent-files list stores `path`: relative to `folderData` when it
// lies in it, otherwise the path itself; the case is kept.
QString RecentFileEntry(const QString& path, const QString& folderData);
// The file a stored entry names: a relative entry lies in `folderData`.
QString RecentFilePath(const QString& entry, const QString& folderData);
// `entry` first, then the others in their order without any naming the same
// file, at most four.
QStringList AddRecentFile(const QStringList& list, const QString& entry, const QString& folderData);
// Puts the data file `path` at the top of the stored list.
void UpdateRecentFiles(SettingsStore& store, const AppState& s, const QString& path);

struct RecentFileItem {
    QString Entry;   // as stored
    QString Path;    // the file it names
    QString Caption; // RelativeName of the file in FolderData
};
QList<RecentFileItem> LoadRecentFiles(const SettingsStore& store, const AppState& s);

// ---------------------------------------------------------------- commands

struct Question {
    bool Ask = false;
    QString Title; // "" for the application title
    QString Text;
};
// "Do you wish to save the settings?" (yes/no/cancel) when ConfigChanged.
Question SaveSettingsQuestion(const AppState& s, const LanguageTable& lang);
// At exit, while logging on an active connection: "Do you wish to stop the
// logging of the data?" (yes/no); no keeps the program running.
bool ShouldAskToStopLogging(const AppState& s);
Question StopLoggingQuestion(const AppState& s, const LanguageTable& lang);

struct CommandOutcome {
    bool Ok = true;
    QString Status;  // for the status bar
    QString Message; // to show when not Ok
};
// Writes the configuration to ConfigFileName, a damaged one included (after
// a yes to SaveSettingsQuestion, File > Save settings). A failure is reported:
// the caller must not quietly go on as if the set-up were saved.
CommandOutcome WriteSettings(AppState& s, const LanguageTable& lang, const ConfigLayout& layout);
// A write the user did not ask for (at exit, before a data file is opened):
// WriteSettings, unless the configuration file is damaged or could not be
// read (ConfigUnreadable): defaults must never replace a set-up that a
// passing failure hid. Then Status says the file was left as it is. Ok
// either way.
CommandOutcome WriteSettingsUnasked(AppState& s, const LanguageTable& lang, const ConfigLayout& layout);
// File > Save settings: WriteSettings, LogFileName to the recent files,
// "Settings saved!".
CommandOutcome SaveSettingsCommand(AppState& s, SettingsStore& store, const LanguageTable& lang,
                                   const ConfigLayout& layout);
// File > Save settings as `chosen` (overwriting already confirmed). The new
// file replaces an old one only when complete; ConfigFileName and the store
// follow only when the write succeeded.
CommandOutcome SaveSettingsAs(AppState& s, SettingsStore& store, const LanguageTable& lang,
                              const ConfigLayout& layout, const QString& chosen);
// File > Read settings, after AskSaveSettings: an existing `chosen` becomes
// ConfigFileName and is stored; Ok means reload the configuration.
// Otherwise "Non-existing file!" and ConfigFileName stays.
CommandOutcome ChooseConfiguration(AppState& s, SettingsStore& store, const LanguageTable& lang,
                                   const QString& chosen);

// The software-error message with "##", "**" and "$$" filled in.
QString SoftwareErrorText(const LanguageTable& lang, qint64 number, const QString& description,
                          const QString& source);
