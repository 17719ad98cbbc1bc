#pragma once
// The data file of "--out FILE.vam": recorded readings go into a table and
// the file through the same operations the program uses, so the file is the
// one the program would have written. Records are not opened and closed one
// by one: they are written a block at a time, at the latest a tenth of a
// second after they were taken.

#include "core/logging/datafile.h"
#include "core/logging/logtable.h"

#include <QTimer>

struct AppState;
class LanguageTable;

// The model named by a data file's first header line, in catalogue
// spelling; "" when no header line names one.
QString DataFileModel(const QString& path);

// Says on stderr what loading `path` found damaged, in the window's words.
// The sound records are still used; false when the file holds no readable
// record at all.
bool SayLoadDamage(const LoadResult& loaded, const QString& path, const char* command);

class CliDataFile {
public:
    CliDataFile(AppState& state, const LanguageTable& language, const QString& path, const char* command);
    void TableRow(const QString& info);        // VulTabelAan
    void ReplaceTableRow(const QString& info); // VernieuwLaatsteTabellijn
    bool Record(const QString& info);          // AppendRecord
    bool RewriteRecord(int logNumber, const QString& info);
    // Writes what failures held back; false (said on stderr) when records are lost.
    bool Finish();

private:
    bool Said(const DataFileReport& report);

    AppState& s_;
    LogTable table_;
    DataFile file_;
    const char* command_;
    QTimer flushTimer_;
};
