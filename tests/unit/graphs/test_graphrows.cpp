// Which reading each row of a table graph shows: the quarter-width jump,
// loading the last readings, scrolling, and the scaled scroll bar.

#include "core/graphs/graphrows.h"

#include <gtest/gtest.h>

namespace {

// Rows 1..ShownPoints as a list of readings, "first..last" when contiguous.
std::vector<int> Shown(const GraphRows& g)
{
    std::vector<int> out;
    for (int k = 1; k <= g.Rows(); ++k)
        out.push_back(g.ReadingAt(k));
    return out;
}

// A graph of `rows` rows whose rows 1..shown show first onwards.
GraphRows Filled(int rows, int first, int shown)
{
    GraphRows g(rows);
    g.FirstReading = first;
    g.ShownPoints = shown;
    g.Redraw();
    return g;
}

struct AddCase {
    const char* name;
    int rows, first, shown;   // before
    int reading, logCount;
    bool jumped;
    int firstAfter, shownAfter, row;
    int firstDrawn, lastDrawn; // rows 1..(row - 1) show these readings after a jump
};

TEST(GraphRows, AddJumpsAQuarterWhenFull)
{
    const AddCase cases[] = {
        {"room left: next row", 100, 1, 5, 6, 6, false, 1, 6, 6, 1, 5},
        // 1..100 shown, reading 101 arrives: 26..100 redrawn, 101 in row 76.
        {"live jump", 100, 1, 100, 101, 101, true, 26, 76, 76, 26, 100},
        // Replaying with the final LogCount keeps reading 100.
        {"replay jump", 100, 1, 100, 101, 1000, true, 26, 76, 76, 26, 100},
        // The jump would pass the last reading: it stops before it.
        {"jump capped by LogCount", 100, 90, 100, 120, 100, true, 25, 76, 76, 25, 99},
        {"odd width truncates", 99, 1, 99, 100, 100, true, 26, 75, 75, 26, 99},
        {"empty after an empty load", 99, 1, -1, 1, 1, false, 1, 1, 1, 0, 0},
    };
    for (const AddCase& c : cases) {
        SCOPED_TRACE(c.name);
        GraphRows g = Filled(c.rows, c.first, c.shown);
        const GraphRows::Added a = g.Add(c.reading, c.logCount);
        EXPECT_EQ(a.jumped, c.jumped);
        EXPECT_EQ(g.FirstReading, c.firstAfter);
        EXPECT_EQ(g.ShownPoints, c.shownAfter);
        EXPECT_EQ(a.row, c.row);
        EXPECT_EQ(g.ReadingAt(c.row), c.reading);
        if (c.firstDrawn > 0) {
            EXPECT_EQ(g.ReadingAt(1), c.firstDrawn);
            EXPECT_EQ(g.ReadingAt(c.row - 1), c.lastDrawn);
        }
        EXPECT_EQ(g.ReadingAt(c.row + 1), 0); // nothing after the new reading
    }
}

TEST(GraphRows, AReadingPastTheLastRowIsNotDrawn)
{
    // Full, but the first reading lies beyond LogCount: no jump, no row.
    GraphRows g = Filled(50, 60, 50);
    const GraphRows::Added a = g.Add(61, 55);
    EXPECT_FALSE(a.jumped);
    EXPECT_EQ(a.row, 0);
    EXPECT_EQ(Shown(g), Shown(Filled(50, 60, 50)));
}

TEST(GraphRows, LiveAppendsRedrawOnlyEveryQuarterWidth)
{
    GraphRows g(100);
    int jumps = 0;
    for (int r = 1; r <= 1000; ++r)
        jumps += g.Add(r, r).jumped ? 1 : 0;
    // The first jump at 101, then one every quarter width (25 or 26 readings).
    EXPECT_EQ(jumps, 36);
    EXPECT_EQ(g.FirstReading, 901);
    EXPECT_EQ(g.ReadingAt(g.ShownPoints), 1000);
}

TEST(GraphRows, LoadShowsTheLastReadings)
{
    struct {
        int rows, logCount, first, shown;
    } const cases[] = {
        {99, 5, 1, 5},       // few readings: every one, the newest included
        {99, 0, 1, 0},       // nothing logged
        {100, 100, 1, 100},
        {100, 250, 151, 100},
        {50, 51, 2, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.logCount << " readings");
        GraphRows g(c.rows);
        g.Load(c.logCount);
        EXPECT_EQ(g.FirstReading, c.first);
        EXPECT_EQ(g.ShownPoints, c.shown);
        for (int k = 1; k <= c.rows; ++k)
            EXPECT_EQ(g.ReadingAt(k), k <= c.shown ? c.first + k - 1 : 0) << "row " << k;
    }
}

TEST(GraphRows, ScrollingAndTheScaledScrollBar)
{
    struct {
        const char* name;
        int rows, logCount, position;
        int first, shown;
        int barMaximum, barPosition; // the bar set back from the result
    } const cases[] = {
        {"middle of 100,000 readings", 99, 100000, 15000, 49952, 99, 30000, 15000},
        // The last position shows the last readings, not an empty chart.
        {"the last position shows the last page", 100, 1000, 901, 901, 100, 901, 901},
        {"beyond the last position", 100, 1000, 950, 901, 100, 901, 901},
        {"position 0 shows from reading 1", 99, 1000, 0, 1, 99, 902, 1},
        {"a last page starting at 30,000 is not scaled", 99, 30098, 100, 100, 99, 30000, 100},
        {"the last of 30,100 readings, scaled", 99, 30100, 30000, 30002, 99, 30000, 30000},
        {"the last of 100,000 readings", 99, 100000, 30000, 99902, 99, 30000, 30000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GraphRows g(c.rows);
        g.ScrollTo(c.position, c.logCount);
        EXPECT_EQ(g.FirstReading, c.first);
        EXPECT_EQ(g.ShownPoints, c.shown);
        EXPECT_EQ(g.ReadingAt(1), c.shown > 0 ? c.first : 0);
        const GraphRows::ScrollBar bar = g.Bar(c.logCount);
        EXPECT_EQ(bar.maximum, c.barMaximum);
        EXPECT_EQ(bar.position, c.barPosition);
    }
}

TEST(GraphRows, RedrawAndClear)
{
    GraphRows g = Filled(10, 7, 3);
    EXPECT_EQ(Shown(g), (std::vector<int>{7, 8, 9, 0, 0, 0, 0, 0, 0, 0}));
    g.Clear();
    EXPECT_EQ(Shown(g), std::vector<int>(10, 0));
    g.Resize(4);
    EXPECT_EQ(g.Rows(), 4);
    EXPECT_EQ(g.ReadingAt(0), 0);
    EXPECT_EQ(g.ReadingAt(5), 0);
}

} // namespace
