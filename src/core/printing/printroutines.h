#pragma once
// One routine per printed thing, each starting its own page(s) with frame and
// header block. They take plain data, so they print the same from a window,
// from vam-cli, or in a test.

#include "core/alarms/alarms.h"
#include "core/printing/printengine.h"

#include <vector>

class LogTable;

struct ValuePrint {
    QString caption; // the window's caption: the heading of its block among others
    QString value, unit;
    bool highTest = false, highAlarm = false;
    bool lowTest = false, lowAlarm = false;
    QString highLimit, lowLimit;
};
// A value window: value and unit, the alarm state, the enabled limits.
void PrintValue(PrintEngine& engine, const PrintPageInfo& page, const ValuePrint& value);
// Several value windows together, in the given order, each under its
// caption; a block that does not fit the rest of a page goes whole onto the next.
void PrintValues(PrintEngine& engine, const PrintPageInfo& page, const std::vector<ValuePrint>& values);

// The table: the heading row (repeated on every page), then the given
// reading rows (indexes into the table) in the given grid columns, in bands
// when the columns are wider than the page.
void PrintTable(PrintEngine& engine, const PrintPageInfo& page, const LogTable& table,
                const std::vector<int>& columns, const std::vector<int>& rows);
// A table wider than the page is printed in bands of columns, one after the
// other, each on pages of its own, so no column is cut off at the page's edge.
// The columns (indexes into `widths`) of each band for a text width: adjacent
// columns of the same nonzero group (a channel's value and unit) stay
// together; `repeatFirst` puts column 0 (the record number) in front of
// every band, so a row can be found again.
std::vector<std::vector<size_t>> TableBands(const std::vector<double>& widths, const std::vector<int>& groups,
                                            double textWidth, bool repeatFirst);
// Every grid column, and every reading row (the trailing empty row left out).
std::vector<int> AllTableColumns(const LogTable& table);
std::vector<int> AllTableRows(const LogTable& table);

// The terminal's text, wrapped.
void PrintTerminal(PrintEngine& engine, const PrintPageInfo& page, const QString& text);

struct GraphLegendLine {
    ColorValue colour = 0;
    QString text; // name & ": " & unit
};
struct GraphPrint {
    QVariant picture;    // the chart as a QImage or QPixmap
    double aspect = 0.6; // its height / width
    std::vector<GraphLegendLine> legend;
};
// The chart across the text width and, beneath it, a colour sample and a
// legend line per visible series; a chart taller than the room left on the
// page is scaled down to it.
void PrintGraph(PrintEngine& engine, const PrintPageInfo& page, const GraphPrint& graph);
// The proportions (height / width) a chart is printed at: its window's, but
// never flatter than kMinGraphAspect, or a wide, low window (as arranged
// under a row of value windows) prints as a strip too thin to read. A window
// of no size (hidden) gets the minimum.
constexpr double kMinGraphAspect = 0.6;
double PrintedGraphAspect(double windowWidth, double windowHeight);

// A graph's alarm report on a page of its own.
void PrintAlarmReport(PrintEngine& engine, const PrintPageInfo& page, const std::vector<AlarmReportLine>& lines);

// The name of a printer paper code ("A4, 210 x 297 mm" for 9); 256 and
// unknown codes are "User-defined".
QString PaperName(int code);
