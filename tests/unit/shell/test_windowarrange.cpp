// Window arrangement: tiled windows never overlap and fill the area, rows keep
// their counts and factors, minimum sizes hold, cascades step and wrap, icons
// line up along the bottom.

#include "core/model/appstate.h"
#include "core/shell/windowarrange.h"

#include <cmath>
#include <limits>
#include <map>
#include <gtest/gtest.h>

// Readable rectangles in failure messages.
static void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

namespace {

using K = ArrangeKind;

std::vector<ArrangeItem> Windows(int values, int graphs, bool table, bool terminal)
{
    std::vector<ArrangeItem> items;
    // Interleaved the way a main window may list them, so the order of the
    // rectangles has to follow the items, not the kinds.
    if (terminal)
        items.push_back({K::Terminal, false, {}});
    for (int i = 0; i < values; ++i)
        items.push_back({K::Value, false, {}});
    if (table)
        items.push_back({K::Table, false, {}});
    for (int i = 0; i < graphs; ++i)
        items.push_back({K::Graph, false, {}});
    return items;
}

ArrangeSettings Manual(WindowArrange arrange, float factor, float perLine)
{
    ArrangeSettings s;
    s.arrange = arrange;
    s.manual = true;
    for (float* f : {&s.valueFactorHor, &s.graphFactorHor, &s.tableFactorHor, &s.valueFactorVer,
                     &s.graphFactorVer, &s.tableFactorVer, &s.terminalFactor})
        *f = factor;
    for (float* n : {&s.valuePerHorRow, &s.graphPerHorRow, &s.valuePerVerCol, &s.graphPerVerCol})
        *n = perLine;
    return s;
}

ArrangeSettings Auto(WindowArrange arrange)
{
    ArrangeSettings s;
    s.arrange = arrange;
    return s;
}

ArrangeSettings Unswitched(ArrangeSettings s)
{
    s.manual = false;
    return s;
}

// The built-in counts and factors taken as they are, unshaped.
ArrangeSettings BuiltInManual(WindowArrange arrange)
{
    ArrangeSettings s = Auto(arrange);
    s.manual = true;
    return s;
}

std::vector<ArrangeItem> Minimised(std::vector<ArrangeItem> items, size_t index)
{
    items[index].minimised = true;
    return items;
}

std::vector<ArrangeItem> Unminimised(std::vector<ArrangeItem> items, size_t index)
{
    items[index].minimised = false;
    return items;
}

long long AreaOf(const QRect& r) { return (long long)r.width() * r.height(); }

} // namespace

TEST(WindowArrange, TilingFillsTheAreaWithoutOverlap)
{
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    const WindowArrange H = TileHorizontal, V = TileVertical;
    struct Case {
        const char* name;
        QRect area;
        int values, graphs;
        bool table, terminal;
        ArrangeSettings settings;
        int maxPerLine;        // value and graph windows in one row or column
        bool fits;             // the minimums fit: the windows fill the area exactly
        double minAspect = 0;  // of the value windows, when shaped
        double maxAspect = 1e9;
    };
    const QRect big(7, 11, 1601, 997);   // odd sizes and an offset origin catch rounding and origin slips
    const QRect wide(0, 0, 1600, 1000);
    const Case cases[] = {
        {"1 value, auto H", big, 1, 0, false, false, Auto(H), 1, true},
        {"8 values, auto V", big, 8, 0, false, false, Auto(V), 8, true},
        // Shaped towards 3:1: a lone value window is no thin strip, many are no slivers.
        {"1 value + all, auto H", wide, 1, 1, true, true, Auto(H), 1, true, 2.5, 4},
        {"3 values + all, auto H", wide, 3, 1, true, true, Auto(H), 3, true, 2.5, 3.5},
        {"16 values + all, auto H", wide, 16, 4, true, true, Auto(H), 16, true, 2, 4},
        {"1 value + all, auto V", wide, 1, 1, true, true, Auto(V), 1, true, 0.75, 3},
        {"4 values + all, auto V", wide, 4, 1, true, true, Auto(V), 4, true, 2.5, 3.5},
        {"16 values + all, auto V", wide, 16, 4, true, true, Auto(V), 16, true, 2, 4},
        {"3 values + 4 graphs, 1 per 2, H", big, 3, 4, true, true, Manual(H, 1, 2), 2, true},
        {"8 values + 4 graphs, 2 per 3, V", big, 8, 4, true, true, Manual(V, 2, 3), 3, true},
        {"16 values, 1 per 4, H", big, 16, 0, false, false, Manual(H, 1, 4), 4, true},
        {"16 values + table, 1 per 5, V", big, 16, 0, true, false, Manual(V, 1, 5), 5, true},
        {"only graphs and table, H", big, 0, 4, true, false, Manual(H, 1, 3), 3, true},
        {"factors and counts 0", big, 8, 4, true, true, Manual(H, 0, 0), 1, false},
        {"factors and counts NaN", big, 8, 4, true, true, Manual(V, nan, nan), 8, true},
        {"factors and counts negative", big, 3, 1, true, true, Manual(H, -3, -7), 1, true},
        {"factors and counts huge", big, 16, 16, true, true, Manual(V, 1e9f, 1e9f), 16, false},
        {"factors infinite", big, 4, 2, true, true, Manual(H, inf, 2), 2, true},
        {"tiny area, auto H", QRect(0, 0, 100, 50), 8, 4, true, true, Auto(H), 8, false},
        {"tiny area, manual V", QRect(3, 4, 90, 40), 3, 1, true, true, Manual(V, 1, 2), 2, false},
        {"empty area", QRect(0, 0, 0, 0), 2, 1, true, false, Auto(H), 2, false},
        {"unknown arrangement tiles horizontally", big, 3, 1, true, false, Auto(WindowArrange(9)), 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ArrangeItem> items = Windows(c.values, c.graphs, c.table, c.terminal);
        const std::vector<QRect> rects = ArrangeWindows(c.area, items, c.settings);
        ASSERT_EQ(rects.size(), items.size());
        long long covered = 0;
        std::map<std::pair<K, int>, int> perLine;   // windows per row (per column) of each kind
        for (size_t i = 0; i < rects.size(); ++i) {
            const QRect& r = rects[i];
            ASSERT_TRUE(r.isValid()) << i;
            EXPECT_TRUE(r.size() == r.size().expandedTo(MinimumWindowSize(items[i].kind))) << i;
            EXPECT_TRUE(r.left() >= c.area.left() && r.top() >= c.area.top()) << i;
            EXPECT_TRUE(!c.fits || c.area.contains(r)) << i;
            for (size_t j = 0; j < i; ++j)
                EXPECT_FALSE(r.intersects(rects[j])) << i << " overlaps " << j;
            covered += AreaOf(r);
            ++perLine[{items[i].kind, c.settings.arrange == V ? r.left() : r.top()}];
            if (items[i].kind == K::Value) {
                EXPECT_GE(double(r.width()) / r.height(), c.minAspect) << i;
                EXPECT_LE(double(r.width()) / r.height(), c.maxAspect) << i;
            }
        }
        EXPECT_TRUE(!c.fits || covered == AreaOf(c.area));
        for (const auto& [line, count] : perLine)
            EXPECT_LE(count, c.maxPerLine);
    }
}

TEST(WindowArrange, FactorTwoGivesTwiceTheShare)
{
    // One kind at factor 2 against the rest at 1: its band (one row or
    // column) is twice as thick as a band at factor 1.
    struct Case {
        const char* name;
        WindowArrange arrange;
        float ArrangeSettings::*doubled;
        K kind, reference;
    };
    const Case cases[] = {
        {"value row", TileHorizontal, &ArrangeSettings::valueFactorHor, K::Value, K::Table},
        {"graph row", TileHorizontal, &ArrangeSettings::graphFactorHor, K::Graph, K::Value},
        {"table row", TileHorizontal, &ArrangeSettings::tableFactorHor, K::Table, K::Graph},
        {"terminal row", TileHorizontal, &ArrangeSettings::terminalFactor, K::Terminal, K::Table},
        {"value column", TileVertical, &ArrangeSettings::valueFactorVer, K::Value, K::Graph},
        {"graph column", TileVertical, &ArrangeSettings::graphFactorVer, K::Graph, K::Terminal},
        {"table column", TileVertical, &ArrangeSettings::tableFactorVer, K::Table, K::Value},
        {"terminal column", TileVertical, &ArrangeSettings::terminalFactor, K::Terminal, K::Value},
    };
    const QRect area(0, 0, 1500, 1400);
    const std::vector<ArrangeItem> items = Windows(2, 1, true, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ArrangeSettings s = Manual(c.arrange, 1, 4);
        s.*c.doubled = 2;
        const std::vector<QRect> rects = ArrangeWindows(area, items, s);
        auto thickness = [&](K kind) {
            for (size_t i = 0; i < items.size(); ++i)
                if (items[i].kind == kind)
                    return c.arrange == TileVertical ? rects[i].width() : rects[i].height();
            return 0;
        };
        // Four bands at 1 + 1 + 1 + 2: 1400 / 5 and 2 * 1400 / 5 (1500 when vertical).
        const int unit = (c.arrange == TileVertical ? 1500 : 1400) / 5;
        EXPECT_NEAR(thickness(c.reference), unit, 1);
        EXPECT_NEAR(thickness(c.kind), 2 * unit, 1);
    }
}

TEST(WindowArrange, SimpleLayoutsExactly)
{
    struct Case {
        const char* name;
        std::vector<ArrangeItem> items;
        ArrangeSettings settings;
        std::vector<QRect> expected;
    };
    const Case cases[] = {
        {"1 value fills the area", Windows(1, 0, false, false), Auto(TileHorizontal), {QRect(0, 0, 1200, 900)}},
        {"1 value fills the area, vertical", Windows(1, 0, false, false), Manual(TileVertical, 3, 2),
         {QRect(0, 0, 1200, 900)}},
        // Built-in counts and factors: 0.5 for the value row against 1 for the table.
        {"2 values + table, built-in factors", Windows(2, 0, true, false), BuiltInManual(TileHorizontal),
         {QRect(0, 0, 600, 300), QRect(600, 0, 600, 300), QRect(0, 300, 1200, 600)}},
        // Shaped: side by side at 3:1, 600 x 200.
        {"2 values + table, auto", Windows(2, 0, true, false), Auto(TileHorizontal),
         {QRect(0, 0, 600, 200), QRect(600, 0, 600, 200), QRect(0, 200, 1200, 700)}},
        // Shaped: alone, three full-width rows of 1200 x 300 (4:1 is nearer 3:1 than 600 x 450).
        {"3 values alone, auto", Windows(3, 0, false, false), Auto(TileHorizontal),
         {QRect(0, 0, 1200, 300), QRect(0, 300, 1200, 300), QRect(0, 600, 1200, 300)}},
        {"5 values at 4 per row balance 3 + 2", Windows(5, 0, false, false), Manual(TileHorizontal, 1, 4),
         {QRect(0, 0, 400, 450), QRect(400, 0, 400, 450), QRect(800, 0, 400, 450), QRect(0, 450, 600, 450),
          QRect(600, 450, 600, 450)}},
        // Without the manual switch the user's counts and factors play no part.
        // Shaped values 600 x 200; the graph row, the table and the terminal
        // share the other 700 as 1 : 1 : 0.5.
        {"auto ignores the user's values", Windows(2, 2, true, true), Unswitched(Manual(TileHorizontal, 3, 1)),
         {QRect(0, 760, 1200, 140), QRect(0, 0, 600, 200), QRect(600, 0, 600, 200), QRect(0, 480, 1200, 280),
          QRect(0, 200, 600, 280), QRect(600, 200, 600, 280)}},
        {"NaN falls back to the built-in values", Windows(2, 0, true, false),
         Manual(TileHorizontal, std::nanf(""), std::nanf("")),
         {QRect(0, 0, 600, 300), QRect(600, 0, 600, 300), QRect(0, 300, 1200, 600)}},
        // A minimised window stays; the other two share the row.
        {"minimised left alone", Minimised(Windows(3, 0, true, false), 1), BuiltInManual(TileHorizontal),
         {QRect(0, 0, 600, 300), QRect(), QRect(600, 0, 600, 300), QRect(0, 300, 1200, 600)}},
        // The value row's share (900 * 0.1 / 3.1 = 29) is below its minimum of
        // 60; the graph and the table share the other 840 as 1 : 2.
        {"a band held at its minimum leaves the rest in proportion", Windows(1, 1, true, false),
         [] {
             ArrangeSettings s = Manual(TileHorizontal, 1, 4);
             s.valueFactorHor = 0.1f;
             s.tableFactorHor = 2;
             return s;
         }(),
         {QRect(0, 0, 1200, 60), QRect(0, 340, 1200, 560), QRect(0, 60, 1200, 280)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ArrangeWindows(QRect(0, 0, 1200, 900), c.items, c.settings), c.expected);
    }
}

TEST(WindowArrange, CascadeStepsAndWraps)
{
    struct Case {
        const char* name;
        QRect area;
        std::vector<ArrangeItem> items;
        int positions;    // windows before the steps start again at the corner
        QSize size;       // of every window
    };
    const Case cases[] = {
        {"3 windows", QRect(5, 6, 800, 600), Windows(2, 0, true, false), 3, QSize(748, 548)},
        {"one window fills the area", QRect(0, 0, 800, 600), Windows(0, 0, true, false), 1, QSize(800, 600)},
        // (600 - 100) / 26 = 19 steps fit above the graph's minimum height.
        {"30 windows wrap", QRect(0, 0, 800, 600), Windows(16, 12, true, true), 20, QSize(306, 106)},
        {"value windows only use their smaller minimum", QRect(0, 0, 800, 300), Windows(16, 0, false, false), 10,
         QSize(566, 66)},
        {"tiny area keeps the minimum", QRect(0, 0, 100, 50), Windows(1, 1, false, false), 1, QSize(100, 50)},
        {"minimised windows are skipped", QRect(0, 0, 800, 600), Minimised(Windows(2, 1, true, false), 0), 3,
         QSize(748, 548)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Tiling settings play no part, however odd.
        const ArrangeSettings s = Manual(Cascade, std::nanf(""), 0);
        const std::vector<QRect> rects = ArrangeWindows(c.area, c.items, s);
        ASSERT_EQ(rects.size(), c.items.size());
        int k = 0;
        for (size_t i = 0; i < rects.size(); ++i) {
            if (c.items[i].minimised) {
                EXPECT_FALSE(rects[i].isValid()) << i;
                continue;
            }
            const int offset = (k++ % c.positions) * kCascadeStep;
            EXPECT_EQ(rects[i].topLeft(), c.area.topLeft() + QPoint(offset, offset)) << i;
            EXPECT_EQ(rects[i].size(), c.size.expandedTo(MinimumWindowSize(c.items[i].kind))) << i;
            if (c.area.width() >= 160 && c.area.height() >= 100) {
                EXPECT_TRUE(c.area.contains(rects[i])) << i;
            }
        }
    }
}

TEST(WindowArrange, IconsLineUpAlongTheBottom)
{
    auto icons = [](std::vector<QSize> sizes) {
        std::vector<ArrangeItem> items;
        for (const QSize& size : sizes)
            items.push_back({K::Graph, true, size});
        return items;
    };
    struct Case {
        const char* name;
        QRect area;
        std::vector<ArrangeItem> items;
        std::vector<QRect> expected;
    };
    const Case cases[] = {
        {"one row", QRect(10, 20, 800, 600), icons({QSize(150, 30), QSize(150, 30), QSize(200, 40)}),
         {QRect(10, 590, 150, 30), QRect(160, 590, 150, 30), QRect(310, 580, 200, 40)}},
        {"wraps upwards above the tallest", QRect(0, 0, 400, 300),
         icons({QSize(150, 30), QSize(150, 40), QSize(150, 30), QSize(150, 30)}),
         {QRect(0, 270, 150, 30), QRect(150, 260, 150, 40), QRect(0, 230, 150, 30), QRect(150, 230, 150, 30)}},
        {"normal windows untouched", QRect(0, 0, 800, 600),
         Unminimised(icons({QSize(150, 30), QSize(150, 30), QSize(150, 30)}), 1),
         {QRect(0, 570, 150, 30), QRect(), QRect(150, 570, 150, 30)}},
        {"no size: the default icon", QRect(0, 0, 800, 600), icons({QSize(0, 0), QSize(-5, 20)}),
         {QRect(0, 574, 160, 26), QRect(160, 574, 160, 26)}},
        // The third row sits on the second's 30, not on the first's 40.
        {"each row as high as its tallest", QRect(0, 0, 300, 300),
         icons({QSize(150, 40), QSize(150, 30), QSize(150, 30), QSize(150, 30), QSize(150, 30)}),
         {QRect(0, 260, 150, 40), QRect(150, 270, 150, 30), QRect(0, 230, 150, 30), QRect(150, 230, 150, 30),
          QRect(0, 200, 150, 30)}},
        {"no room above: the row goes on", QRect(0, 0, 200, 50), icons({QSize(150, 30), QSize(150, 30)}),
         {QRect(0, 20, 150, 30), QRect(150, 20, 150, 30)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ArrangeWindows(c.area, c.items, Auto(ArrangeIcons)), c.expected);
    }
}

TEST(WindowArrange, SettingsComeFromTheState)
{
    AppState state;
    state.LastWindowArrange = TileVertical;
    state.ManualWindowTile = true;
    state.GraphPerVerCol = 3;
    state.TerminalFactor = 2.5f;
    const ArrangeSettings s = ArrangeSettings::From(state);
    EXPECT_EQ(s.arrange, TileVertical);
    EXPECT_TRUE(s.manual);
    EXPECT_EQ(s.graphPerVerCol, 3.0f);
    EXPECT_EQ(s.terminalFactor, 2.5f);
    EXPECT_EQ(s.valueFactorHor, 0.5f);
    EXPECT_EQ(s.valuePerVerCol, 8.0f);
}
