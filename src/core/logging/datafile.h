#pragma once
// Data files (".vam"): date-stamped names, appending and safely rewriting
// records, loading a file into the table, and the file rules of the New,
// Open and Save-as commands. Nothing here shows a window: what the user
// should see comes back in a DataFileReport.
//
// A record that cannot be written (disk full, folder gone, no permission) is
// kept and written before the next one, so a passing failure loses nothing.
// A rewrite goes through "<file>.new" (flushed and synced) and replaces the
// data file in one rename; the previous version stays as "<file>.old".

#include "core/logging/loaddamage.h"
#include "core/logging/recordformat.h"

#include <QString>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

struct AppState;
class LanguageTable;
class LogTable;

struct DataFileReport {
    bool ok = true;
    // The first failure of a series: show `message` in a box titled `title`
    // (exclamation icon). Later failures of the same series only set `status`.
    // An ok report with a message is a warning: a damaged file that loaded.
    bool showMessage = false;
    QString title;
    QString message;
    QString status;         // for the status bar's message panel
    bool recovered = false; // records held back by an earlier failure are written now
};

struct LoadResult {
    bool loaded = false;     // the file existed and was read (maybe cancelled part-way)
    bool cancelled = false;
    int records = 0;         // = LogCount afterwards
    int unreadableTimes = 0; // records kept without a time stamp
    QString headerDevice;    // the device of the first header line
    DataFileReport report;   // why the file could not be read
    LoadDamage damage;
    // Not empty, yet nothing in it reads as a record: random bytes or garbage.
    bool NoReadableRecord() const { return loaded && records == 0 && damage.skippedLines > 0; }
};

// Percentage 0..100 read so far; return false to stop loading.
using LoadProgress = std::function<bool(int percent)>;

// ---- File names

// `name` with the date of `today` as "yymmdd" inserted before the first "."
// of its file name (appended when the file name has none). Dots in folder
// names are left alone: the dated file stays in the chosen folder.
QString DatestampedName(const QString& name, double today);
// LogFileName, dated when DatestampFileName is set.
QString CurrentDataFileName(const AppState& s, double today);
// True when `candidate` is `name` dated with a valid yymmdd (case-insensitive;
// relative names are taken relative to `folder`).
bool IsDatestampedNameOf(const QString& candidate, const QString& name, const QString& folder);
// FolderData + "/Untitled.vam".
QString UntitledDataFileName(const AppState& s);
// LogFileName := the untitled name; LogCount := 0.
void NewDataFileName(AppState& s);

// ---- File rules

// A path on another machine: "\\server\...", "//server/...", or a folder
// mounted from a network file system.
bool IsNetworkPath(const QString& path);
// The data file may not be edited or saved: read-only, or on a network.
bool IsReadOnlyDataFile(const QString& path);
// Editing the table is refused while date-stamped logging may have spread its
// rows over several files: only a table loaded from one exact file can be
// written back.
bool DatestampEditRefused(const AppState& s);
// Where records that could not be written are saved when nobody can be
// asked (a termination signal): "<folder>/<name> unsaved <yymmdd-hhmmss>.vam".
QString RecoveryFileName(const QString& folder, const QString& logFileName, double now);

// "<name>.bak" for "<name>.vam" (any case), else the name + ".bak".
QString BackupName(const QString& path);

class DataFile {
public:
    DataFile(AppState& state, const LanguageTable& language);

    // Today's date for date-stamped names (days since 1899-12-30).
    std::function<double()> clock;
    // Moves `from` over `to` in one step. Tests make it fail.
    std::function<bool(const QString& from, const QString& to)> renameFile;
    // How often loading reports its progress.
    int progressIntervalMs = 250;
    // While set, AppendRecord only queues the record, and RetryPending (or
    // the append that fills a block of kHeldBlock records) writes the queue in
    // one go: a caller that flushes shortly after does not open and close the
    // file once per record of a fast logger print.
    bool holdAppends = false;
    static constexpr int kHeldBlock = 512;

    // Appends the current reading as a record to the day's data file, with a
    // header line first when the file is empty or LogCount is 1.
    DataFileReport AppendRecord(const QString& info);
    // Replaces the record of the table row numbered `logNumber` (found by its
    // time to the second) by the current reading. A ".copy" left by a datalog
    // transfer is put back first. When no record matches, the new one is
    // appended, so the reading is never lost from the file.
    DataFileReport RewriteLastRecord(const LogTable& table, int logNumber, const QString& info);
    DataFileReport RewriteLastRecord(double rowTime, const QString& info);
    // A table row's record in the file: its time to the second, and how many
    // rows before it carry that same second. Records logged within one second
    // are told apart by their order, as the table shows them, so an edit
    // reaches the row the user chose and not the first of that second.
    struct RecordRef {
        double time = 0;
        int occurrence = 0;
    };
    // The record of each of `rows` that has a time, as (row, record), in row order.
    static std::vector<std::pair<int, RecordRef>> RefsOfRows(const LogTable& table, const std::vector<int>& rows);
    // Sets the info text of these records; the other items stay byte for byte.
    DataFileReport RewriteInfoTextsOf(const std::vector<std::pair<RecordRef, QString>>& refsAndInfo);
    // The same by times alone: a time given n times names the first n records of that second.
    DataFileReport RewriteInfoTexts(const std::vector<std::pair<double, QString>>& timesAndInfo);
    // Removes these records; every other line stays byte for byte.
    DataFileReport DeleteRecordsOf(const std::vector<RecordRef>& records);
    DataFileReport DeleteRecords(const std::vector<double>& times);
    // Writes what earlier failures held back; ok when nothing is left.
    DataFileReport RetryPending();
    int PendingRecords() const { return int(pending_.size()); }

    // Rebuilds the table from `path` in one pass (LogCount, LogFileWork and
    // the current readings follow the last record). Nothing happens for an
    // empty or missing path. `progress` is called a few times per second.
    LoadResult LoadDataFile(LogTable& table, const QString& path, const LoadProgress& progress = {});

    // The Open command after LogFileName was set: loads it (message "Non-
    // existing file!" when there is none; a warning report for a damaged
    // file), sets DataFileReadOnly, and runs the date-stamp range check
    // against `previousName`; when that switches date-stamping off,
    // `datestampMessage` holds the information text.
    struct OpenResult {
        LoadResult load;
        DataFileReport report;
        QString datestampMessage;
    };
    OpenResult OpenDataFile(LogTable& table, const QString& previousName, const LoadProgress& progress = {});

    // Save as `chosen` (the user confirmed overwriting): refused on a network
    // path; an existing file is kept as ".bak"; the current data file is
    // copied to the new name unless `createNew`. LogFileName follows.
    DataFileReport SaveDataFileAs(const QString& chosen, bool createNew);

    // Writes every row of `table` to `path` as a complete data file (through
    // "<path>.new" and one rename), for records that could not reach the data
    // file: the table holds them all. Records still held back are dropped
    // then, and LogFileName follows `path`.
    DataFileReport SaveTableAs(const LogTable& table, const QString& path);

    // The file AppendRecord writes to now, and the one a rewrite changes.
    QString AppendTarget() const;
    QString RewriteTarget() const;
    const StampFormat& Stamps() const { return stamps_; }
    void ReloadLocale() { stamps_ = StampFormat(); }

private:
    struct Pending {
        enum Kind { Append, Replace, Info, Delete } kind = Append;
        QString path;
        QString device;
        bool header = false;
        QByteArray line;
        qint64 key = 0;
        int occurrence = 0; // Replace: which record of that second
        QString copyPath; // Replace: the datalog backup to put back first
        std::vector<std::pair<std::pair<qint64, int>, QByteArray>> infos; // Info: (key, occurrence), text
        int infoItem = 0; // Info: index of the info item in a record
        std::vector<std::pair<qint64, int>> deleted; // Delete: the records' (key, occurrence)
    };
    DataFileReport Submit(Pending op);
    DataFileReport RewriteRecord(const RecordRef& ref, const QString& info);
    DataFileReport Flush();
    bool WriteAppends(size_t count, QString& error);
    bool Rewrite(const Pending& op, QString& error);
    DataFileReport Failure(const QString& path, const QString& error) const;

    AppState& s_;
    const LanguageTable& lang_;
    StampFormat stamps_;
    std::deque<Pending> pending_;
    bool failing_ = false;
    QString lineEnded_; // the file the last append ended with a line end
};
