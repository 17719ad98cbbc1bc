#pragma once
// Where a completed reading is recorded in the program: the channel's value
// window, the table and the data file (graphs arrive here too). A logger
// print during Receive brings thousands of records a second: those are held
// and written a block at a time, at most a tenth of a second later.
// Each reading is tested against its channel's alarm limits here: the value
// window shows the state, the table cell gets the alarm colour, and an
// alarm whose beep is on beeps while connected.

#include "comm/commviews.h"

#include <QObject>
#include <functional>

class QTimer;
struct AppState;
struct DataFileReport;
class DataFile;
class GraphManager;
class LogTable;
class TableWindow;
class ValueWindow;

class WindowRecorder : public QObject, public RecordViews {
    Q_OBJECT
public:
    // `valueWindow` finds a channel's value window (null when it has none);
    // `report` shows what a data-file operation reported and returns its ok flag.
    WindowRecorder(AppState& state, TableWindow& table, DataFile& dataFile, LogTable& rows,
                   std::function<ValueWindow*(int)> valueWindow, std::function<bool(const DataFileReport&)> report,
                   QObject* parent = nullptr);

    // The graphs every recorded reading reaches (none: no graphs).
    void SetGraphs(GraphManager* graphs) { graphs_ = graphs; }

    void ClearValues() override;
    void ShowNoReading() override;
    void UpdateGraphs(int logCount, bool xyRecorders) override;
    void ShowValue(int channel) override;
    void AppendTableRow(const QString& info) override;
    void ReplaceLastTableRow(const QString& info) override;
    bool AppendRecord(const QString& info) override;
    bool RewriteLastRecord(int logCount, const QString& info) override;

Q_SIGNALS:
    // A value window shows a new reading (Copy may have become possible).
    void ValueShown(ValueWindow* window);

private:
    // The alarm colours of the row just written (LogCount).
    void ColourTableRow();

    AppState& s_;
    TableWindow& table_;
    DataFile& dataFile_;
    LogTable& rows_;
    std::function<ValueWindow*(int)> valueWindow_;
    std::function<bool(const DataFileReport&)> report_;
    GraphManager* graphs_ = nullptr;
    QTimer* flush_ = nullptr; // writes the records a Receive held back
};
