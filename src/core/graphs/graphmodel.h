#pragma once
// What one graph window shows, without the window: its settings, the chart
// cells (rows 1..MaxGrafiekZichtbaar by 18 columns: 1 the low alarm line, 2
// the high alarm line, n + 2 data line n), the row labels, the series'
// visibility and legends, the selected point with its footnote, and the
// statistics of the selected line.
//
// A table graph reads its values from the logged table (LogTable) when a row
// is filled; an XY recorder takes the channels' current readings and moves
// its rows one to the left per reading. The cells live where they are drawn
// (GraphCells): the chart adaptor keeps them in the chart's own data, tests
// in memory.

#include "core/model/appstate.h"
#include "core/alarms/alarms.h"
#include "core/graphs/graphrows.h"
#include "core/graphs/graphsettings.h"
#include "core/logging/recordformat.h"

#include <QString>
#include <array>
#include <functional>
#include <limits>
#include <vector>

struct AppState;
class LanguageTable;
class LogTable;

constexpr int kGraphColumns = 18; // two alarm lines, then the 16 data lines
constexpr double kNullCell = std::numeric_limits<double>::quiet_NaN();
inline bool IsNullCell(double v) { return v != v; }

// The chart's data grid. Rows and columns are 1-based; a null cell is NaN
// and is not drawn.
class GraphCells {
public:
    virtual ~GraphCells() = default;
    // `rows` rows, every cell null.
    virtual void Reset(int rows) = 0;
    virtual int Rows() const = 0;
    virtual double Cell(int row, int column) const = 0;
    virtual void SetCell(int row, int column, double value) = 0;
    // Rows 2..Rows() of a column move to rows 1..Rows()-1.
    virtual void ShiftUp(int column);
    // Every row of a column gets `value`.
    virtual void FillColumn(int column, double value);
};

// The grid in memory.
class MemoryCells : public GraphCells {
public:
    void Reset(int rows) override;
    int Rows() const override { return rows_; }
    double Cell(int row, int column) const override;
    void SetCell(int row, int column, double value) override;
    void ShiftUp(int column) override;

private:
    int rows_ = 0;
    std::vector<double> cells_; // column-major
};

// One chart series: 1 low alarm, 2 high alarm, n + 2 data line n.
struct GraphSeries {
    bool Visible = false;
    QString Legend;
    int StatFlags = 0; // 1 minimum, 2 maximum, 4 mean (BepaalStatistiekVlag)
};

struct GraphStatistics {
    int Count = 0; // cells that are not null
    double Minimum = 0, Maximum = 0, Mean = 0;
};

class GraphModel {
public:
    // `table` may be null (an XY recorder does not need it).
    GraphModel(const AppState& state, const LanguageTable& language, GraphCells& cells, const LogTable* table);

    GraphSettings Settings;
    bool NieuweGrafiek = false;
    // Table graph: FirstReading, ShownPoints and the reading of every row.
    // XY recorder: ShownPoints counts the points since the last automatic print.
    GraphRows Rows;
    int SelectedSeries = 0, SelectedPoint = 0;
    std::array<QString, kMaxLinesPerGraph + 1> LineUnits; // 1..16
    // The present time for an XY recorder's labels (days since 1899-12-30).
    std::function<double()> clock;

    const GraphCells& Cells() const { return cells_; }
    int MaxRows() const { return Rows.Rows(); }
    bool IsRecorder() const { return Settings.XYrecorder; }

    // ---- Set-up
    // HerInitialiseerGrafiek: the settings applied to every series and row.
    void HerInitialiseerGrafiek();
    // StelNieuweGrafiekIn: the same for a new window, from the first reading.
    void StelNieuweGrafiekIn();
    // ReInitGrafiekData.
    void ReInitGrafiekData();
    // WisGrafiekGegevens: no rows in use, every data row empty.
    void WisGrafiekGegevens();
    // InstellenAlarmen: the two alarm columns and series.
    void InstellenAlarmen();

    // ---- Rows
    // HertekenGrafiek: every row filled again from the table.
    void HertekenGrafiek();
    // VulGrafiekAan: one recorded reading. True when the chart changed.
    bool VulGrafiekAan(int reading);
    // LadenGrafiek: the last rows of the table (table graph).
    void LadenGrafiek();
    // HerladenGrafiek: as if every reading 1..LogCount arrived again in
    // order. The row arithmetic is replayed for every reading, but only the
    // rows that remain are read from the table.
    void HerladenGrafiek();
    // The user scrolled to `position`.
    void ScrollTo(int position);
    GraphRows::ScrollBar ScrollBar() const;
    // An XY recorder that has filled its width with "Print Recorder" on asks
    // to be printed; reading the flag clears it.
    bool TakePrintRequest();

    // ---- Labels and series
    QString RowLabel(int row) const;
    const GraphSeries& Series(int series) const { return series_[size_t(series)]; }
    // True once after the visibility or legend of a series changed.
    bool TakeSeriesChanged();
    // The rows that statistics cover: rows in use of a table graph, every
    // row of an XY recorder.
    int StatisticRows() const;
    GraphStatistics Statistics(int column) const;
    // The legend entries of a data series' minimum, maximum and mean lines:
    // the series' legend, the statistic and its value in the line's unit.
    std::array<QString, 3> StatisticLegends(int series, const GraphStatistics& statistics) const;

    // ---- Selection
    // What the window does after a point was selected.
    struct Selection {
        bool marker = false; // show the marker at SelectedSeries, SelectedPoint
        int tableRow = -1;   // select this row of the table window (0-based)
        bool refused = false; // while measuring: nothing changes, the marker neither
    };
    // A data point (series 1..18, row) was selected. Ignored while connected.
    Selection SelectPoint(int series, int row);
    // UitschakelenMarkers: no marker, the footnote empty and hidden.
    void UitschakelenMarkers();
    // BepaalMinMaxima: the statistics of the selected line after the footnote.
    void BepaalMinMaxima();
    const QString& Footnote() const { return footnote_; }
    bool FootnoteVisible() const { return footnoteVisible_; }

    // ---- Units (also used by the print-out)
    void InstellenGrafiekEenheid(int line);
    void ControleGrafiekEenheid(int line);
    // Input of a line: 0 none, 1..ChannelCount a channel, above a temperature.
    int Input(int line) const { return Settings.LineRef(line, 1); }
    // The channel an input belongs to (0 for none).
    int ChannelOfInput(int input) const;
    bool IsTemperatureInput(int input) const;
    // The table column of an input's value, -1 when the table has none.
    int ValueColumn(int input) const;

    // A table graph's alarm report of a line: every logged reading the line
    // plots, in the line's unit (an over-range reading as 9999), with event
    // texts that name the value in that unit.
    AlarmReportSeries AlarmSeries(int line) const;

    // Number text as the footnote shows it (general format, locale decimal).
    static QString NumberText(double v);

private:
    // What a table row gives a line: its value in the line's unit when the
    // row has a number for it, whether it is over range, and the cell texts.
    struct RowValue {
        bool number = false, over = false;
        double value = 0;
        QString text, unit;
    };
    RowValue ValueOfRow(int tableRow, int line, bool excluded, const QString& lineUnit) const;
    // The unit of the first table row from `row` on with one for the input;
    // `row` is left at that row.
    QString FirstTableUnit(int input, int& row) const;
    void FillRow(int row, int reading);
    void FillRows();
    int TableRowOf(int reading) const;
    QString TableLabel(int tableRow) const;
    QString ClockLabel() const;
    void SetSeries(int series, bool visible, const QString& legend);
    QString ChannelName(int channel) const;
    QString LineUnit(int line) const;
    bool AnyInput() const;
    void ClearData();
    void ApplySize();
    void RefreshFootnote();
    void RecorderAppend();

    const AppState& s_;
    const LanguageTable& lang_;
    GraphCells& cells_;
    const LogTable* table_;
    std::array<GraphSeries, kGraphColumns + 1> series_{};
    bool seriesChanged_ = true;
    std::vector<QString> recorderLabels_; // XY recorder: the label of every row
    std::array<int, kMaxLinesPerGraph + 1> unitScan_{}; // table rows searched for a unit
    QString footnoteBase_, footnote_;
    bool footnoteVisible_ = false;
    bool printRequest_ = false;
    mutable int rowHint_ = -1; // the table row found last, for runs of readings
    StampFormat stamps_;
};
