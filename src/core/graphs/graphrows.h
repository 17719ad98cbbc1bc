#pragma once
// Which reading each chart row of a table graph shows. A table graph keeps
// no copy of the readings: it knows the first reading shown (FirstReading),
// how many rows are in use (ShownPoints) and, per row, the reading drawn
// there; the values are read from the table when a row is filled.
//
// New readings go to the next row; when the rows are full the graph jumps
// forward by a quarter of its width, so a full redraw comes only every
// quarter width. The scroll bar's range is 16-bit: above 30,000 readings its
// positions are scaled.

#include <vector>

class GraphRows {
public:
    static constexpr int kScrollRange = 30000;

    explicit GraphRows(int rows = 99);

    int Rows() const { return int(reading_.size()); } // MaxGrafiekZichtbaar
    // A new number of rows: every row empty; ShownPoints kept.
    void Resize(int rows);

    int FirstReading = 1;
    int ShownPoints = 0;

    // The reading drawn in chart row `row` (1-based), 0 for none.
    int ReadingAt(int row) const;

    // Every row empty (the data rows cleared).
    void Clear();
    // Rows 1..ShownPoints show FirstReading onwards, the others nothing
    // (HertekenGrafiek).
    void Redraw();

    // VulGrafiekAan for reading `reading` with `logCount` readings logged:
    // the quarter-width jump when the rows are full (then `jumped` and every
    // row was laid out again), then the reading in the next row. `row` is 0
    // when the reading falls beyond the last row.
    struct Added {
        bool jumped = false;
        int row = 0;
    };
    Added Add(int reading, int logCount);

    // LadenGrafiek: the last Rows() readings (with few readings, from 1).
    void Load(int logCount);

    // The user moved the scroll bar to `position`.
    void ScrollTo(int position, int logCount);

    struct ScrollBar {
        int maximum = 0;
        int position = 0;
    };
    // AanpassenScrollBar.
    ScrollBar Bar(int logCount) const;

private:
    std::vector<int> reading_;
};
