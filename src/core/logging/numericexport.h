#pragma once
// The logged readings as data tools read them: every value a number in its
// channel's one unit (numericreading.h), the reason for a missing number in
// a flag column, times in ISO 8601 with the zone's offset, and no row for the
// stop record that ends a logging run (it repeats the last values).
//
// Wide CSV: a row per reading: "No", "Time", per channel "<name> (<unit>)"
// and "<name> flag" (the J70xx family adds "<name> temperature (<unit>)"),
// then "Info". Long CSV: a row per reading and channel: "Time", "No",
// "Channel", "Name", "Value", "Unit", "Flag" (J70xx: "Temperature",
// "Temperature unit"), "Info"; each value in its own reading's one unit, so
// nothing is left out for its unit there. Headings are English whatever the
// user's language, as data tools match them. UTF-8, RFC 4180, CR LF.
//
// A value the wide layout cannot put in its column (another unit, a damaged
// number) is an empty cell with its flag, and is told through the notice.

#include "core/logging/numericreading.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <functional>
#include <vector>

class LanguageTable;
struct AppState;
class LogTable;
class QIODevice;

// What an export covers.
struct ExportScope {
    const LogTable* table = nullptr;
    std::vector<int> rows;   // ascending table rows; empty: every row
    QStringList names;       // channel n's name at n - 1; "CHn" where missing or empty
    std::vector<bool> inUse; // channel n at n - 1; a channel not listed is in use
    const LanguageTable* language = nullptr; // the table's word for the stop record
    QTimeZone zone = QTimeZone::systemTimeZone(); // where the logged local times were taken
};
// Every row of `table`, with the channel names and switches of `state`.
ExportScope ExportScopeOf(const AppState& state, const LogTable& table, const LanguageTable* language);

// The channels and rows of an export, worked out before the first line.
class ExportPlan {
public:
    struct Channel {
        QString name;
        QString unit;            // the one unit of its first reading with a number
        QString temperatureUnit; // J70xx: the unit of its first temperature
        bool inUse = true;       // a row without a reading of it says "off", not "missing"
        bool off = false;        // no reading in any exported row: "off" in every row
    };
    explicit ExportPlan(const ExportScope& scope);

    const LogTable& Table() const { return *table_; }
    const QTimeZone& Zone() const { return zone_; }
    const std::vector<Channel>& Channels() const { return channels_; } // channel n at n - 1
    const std::vector<int>& Rows() const { return rows_; }             // stop records left out
    int StopRecords() const { return stops_; }
    // The first and last time of the exported rows; false when none has one.
    bool Times(double& first, double& last) const;
    // "<name> (<unit>)", or the name alone for a channel without a unit.
    QString ValueHeading(int channel) const;

private:
    const LogTable* table_;
    QTimeZone zone_;
    std::vector<Channel> channels_;
    std::vector<int> rows_;
    int stops_ = 0;
};

// What the user is told: one sentence per line.
using ExportNotice = std::function<void(const QString& line)>;
// Rows written so far of `total`, a few times a second at most; false stops
// the export (Cancel).
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

struct ExportResult {
    bool ok = true;
    bool cancelled = false;
    QString error;          // why it failed
    qint64 rows = 0;        // readings written
    int stopRecords = 0;    // left out
    qint64 problems = 0;    // values left empty because they could not be converted
};

// The readings of a plan's rows, one row at a time.
class ExportRows {
public:
    struct Cell {
        ReadingFlag flag = ReadingFlag::None;
        double value = 0;           // with flag None
        const QString* unit = nullptr; // the value's unit
        bool hasTemperature = false;
        double temperature = 0;
    };
    // `ownUnits`: each value in its reading's own one unit (long layout)
    // instead of its channel's column unit.
    ExportRows(const ExportPlan& plan, bool ownUnits, const ExportNotice& notice);
    // Reads the cells of table row `row`.
    void Read(int row);
    const Cell& At(int channel) const { return cells_[size_t(channel - 1)]; }
    qint64 Problems() const { return problems_; }
    // Tells how many problems were not told one by one.
    void Finish();

private:
    // Counts a value that could not be put in its column; true when it is
    // to be told one by one (Say).
    bool Tell();
    void Say(int row, int channel, const QString& what);

    const ExportPlan& plan_;
    ExportNotice notice_;
    std::vector<ChannelValues> values_, temperatures_;
    std::vector<Cell> cells_;
    qint64 problems_ = 0;
};

// The shortest text that reads back as `value` ("0.0125", "1.413e-06").
void AppendNumber(QByteArray& out, double value);

enum class CsvLayout { Wide, Long };
// Writes the scope's readings; false (with error) when the device refused bytes.
ExportResult WriteNumericCsv(const ExportScope& scope, CsvLayout layout, QIODevice& out,
                             const ExportNotice& notice = {}, const ExportProgress& progress = {});
