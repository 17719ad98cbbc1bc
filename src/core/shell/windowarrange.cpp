#include "core/shell/windowarrange.h"

#include "core/model/appstate.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The value window's digits fill its height until the width caps them at
// width / 80 against height / 25 (LayoutValueWindow): about 3:1.
constexpr double kValueAspect = 3.0;
// Shaped value windows leave at least this much of the area to the others.
constexpr double kMaxValueShare = 0.5;
constexpr float kMinFactor = 0.1f, kMaxFactor = 10.0f;
constexpr float kMinPerLine = 1.0f, kMaxPerLine = 64.0f;
// A minimised window that reports no size of its own.
constexpr QSize kDefaultIconSize(160, 26);

const AppSettings& BuiltIn()
{
    static const AppSettings defaults;
    return defaults;
}

ArrangeSettings FromSettings(const AppSettings& a, qint16 arrange)
{
    ArrangeSettings s;
    s.arrange = arrange;
    s.manual = a.ManualWindowTile;
    s.valuePerHorRow = a.ValuePerHorRow;
    s.graphPerHorRow = a.GraphPerHorRow;
    s.valueFactorHor = a.ValueFactorHor;
    s.graphFactorHor = a.GraphFactorHor;
    s.tableFactorHor = a.TableFactorHor;
    s.valuePerVerCol = a.ValuePerVerCol;
    s.graphPerVerCol = a.GraphPerVerCol;
    s.valueFactorVer = a.ValueFactorVer;
    s.graphFactorVer = a.GraphFactorVer;
    s.tableFactorVer = a.TableFactorVer;
    s.terminalFactor = a.TerminalFactor;
    return s;
}

// A factor from a file can be anything; NaN and infinity fall back to the
// built-in value, the rest is bounded so no band vanishes or swallows all.
double Factor(float v, float builtIn)
{
    return std::clamp(std::isfinite(v) ? v : builtIn, kMinFactor, kMaxFactor);
}

int PerLine(float v, float builtIn)
{
    return int(std::lround(std::clamp(std::isfinite(v) ? v : builtIn, kMinPerLine, kMaxPerLine)));
}

// The counts and factors of one tiling direction, in range.
struct Tiling {
    bool manual = false;
    int valuePerLine = 1, graphPerLine = 1;
    double valueFactor = 1, graphFactor = 1, tableFactor = 1, terminalFactor = 1;
};

Tiling Resolve(const ArrangeSettings& s, bool horizontal)
{
    const AppSettings& d = BuiltIn();
    const ArrangeSettings& u = s.manual ? s : ArrangeSettings();
    Tiling t;
    t.manual = s.manual;
    if (horizontal) {
        t.valuePerLine = PerLine(u.valuePerHorRow, d.ValuePerHorRow);
        t.graphPerLine = PerLine(u.graphPerHorRow, d.GraphPerHorRow);
        t.valueFactor = Factor(u.valueFactorHor, d.ValueFactorHor);
        t.graphFactor = Factor(u.graphFactorHor, d.GraphFactorHor);
        t.tableFactor = Factor(u.tableFactorHor, d.TableFactorHor);
    } else {
        t.valuePerLine = PerLine(u.valuePerVerCol, d.ValuePerVerCol);
        t.graphPerLine = PerLine(u.graphPerVerCol, d.GraphPerVerCol);
        t.valueFactor = Factor(u.valueFactorVer, d.ValueFactorVer);
        t.graphFactor = Factor(u.graphFactorVer, d.GraphFactorVer);
        t.tableFactor = Factor(u.tableFactorVer, d.TableFactorVer);
    }
    t.terminalFactor = Factor(u.terminalFactor, d.TerminalFactor);
    return t;
}

// Splits `length` pixels into parts proportional to `weights` (all above 0),
// none below its minimum. The parts add up to `length` exactly: the rounding
// remainder goes one pixel each to the parts that lost most to rounding. When
// the minimums alone need more than `length`, every part gets its minimum.
std::vector<int> Split(int length, const std::vector<double>& weights, const std::vector<int>& minimums)
{
    const size_t n = weights.size();
    const long long needed = std::accumulate(minimums.begin(), minimums.end(), 0LL);
    if (n == 0 || needed >= length)
        return minimums;

    // Parts that would fall below their minimum are pinned to it and the rest
    // is shared again among the others, until none falls below.
    std::vector<double> share(n);
    std::vector<bool> pinned(n, false);
    for (bool again = true; again;) {
        again = false;
        double freeLength = length, freeWeight = 0;
        for (size_t i = 0; i < n; ++i) {
            if (pinned[i])
                freeLength -= minimums[i];
            else
                freeWeight += weights[i];
        }
        if (freeWeight <= 0)
            break;
        for (size_t i = 0; i < n; ++i) {
            if (pinned[i])
                continue;
            share[i] = freeLength * weights[i] / freeWeight;
            if (share[i] < minimums[i]) {
                pinned[i] = true;
                again = true;
            }
        }
    }

    std::vector<int> parts(n);
    std::vector<size_t> losers;
    long long total = 0;
    for (size_t i = 0; i < n; ++i) {
        parts[i] = pinned[i] ? minimums[i] : std::max(minimums[i], int(std::floor(share[i])));
        if (!pinned[i])
            losers.push_back(i);
        total += parts[i];
    }
    std::stable_sort(losers.begin(), losers.end(), [&](size_t a, size_t b) {
        return share[a] - std::floor(share[a]) > share[b] - std::floor(share[b]);
    });
    for (size_t k = 0; total < length && !losers.empty(); ++k, ++total)
        ++parts[losers[k % losers.size()]];
    for (size_t i = n; total > length && i-- > 0;) {
        const int give = int(std::min<long long>(total - length, parts[i] - minimums[i]));
        parts[i] -= give;
        total -= give;
    }
    return parts;
}

// `n` windows in lines of at most `perLine`, balanced: the first lines take
// the one extra window each when they cannot all hold the same number.
std::vector<int> LineCounts(int n, int perLine)
{
    std::vector<int> counts;
    if (n <= 0)
        return counts;
    const int lines = (n + perLine - 1) / perLine;
    for (int i = 0; i < lines; ++i)
        counts.push_back(n / lines + (i < n % lines ? 1 : 0));
    return counts;
}

// The shape of the value windows when the built-in settings apply: windows
// per line and the thickness of their whole band, in pixels.
struct ValueShape {
    int perLine = 1;
    double band = 0;
};

ValueShape ShapeValues(int n, bool horizontal, int along, int across, bool othersShown)
{
    ValueShape best;
    double bestScore = HUGE_VAL;
    const double lengthAlong = std::max(along, 1), lengthAcross = std::max(across, 1);
    for (int perLine = 1; perLine <= n; ++perLine) {
        const int lines = (n + perLine - 1) / perLine;
        const int fullest = (n + lines - 1) / lines;
        const double windowAlong = lengthAlong / fullest;
        // A window's thickness for the 3:1 shape: its height when tiling
        // horizontally, its width when tiling vertically.
        const double wish = horizontal ? windowAlong / kValueAspect : windowAlong * kValueAspect;
        const double band = othersShown ? std::min(wish * lines, lengthAcross * kMaxValueShare) : lengthAcross;
        const double thickness = band / lines;
        const double aspect = horizontal ? windowAlong / thickness : thickness / windowAlong;
        const double score = std::abs(std::log(aspect / kValueAspect));
        if (score < bestScore) {
            bestScore = score;
            best = {perLine, band};
        }
    }
    return best;
}

struct Band {
    ArrangeKind kind;
    double weight;
    std::vector<size_t> items;
};

std::vector<QRect> TileWindows(const QRect& area, const std::vector<ArrangeItem>& items, const Tiling& t,
                               bool horizontal)
{
    std::vector<QRect> rects(items.size());
    std::vector<size_t> values, graphs, tables, terminals;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].minimised)
            continue;
        switch (items[i].kind) {
        case ArrangeKind::Value: values.push_back(i); break;
        case ArrangeKind::Graph: graphs.push_back(i); break;
        case ArrangeKind::Table: tables.push_back(i); break;
        case ArrangeKind::Terminal: terminals.push_back(i); break;
        }
    }
    const int along = std::max(0, horizontal ? area.width() : area.height());
    const int across = std::max(0, horizontal ? area.height() : area.width());

    std::vector<Band> bands;
    auto addLines = [&bands](ArrangeKind kind, const std::vector<size_t>& members, int perLine, double weight) {
        size_t next = 0;
        for (int count : LineCounts(int(members.size()), perLine)) {
            Band b{kind, weight, {}};
            b.items.assign(members.begin() + next, members.begin() + next + count);
            next += count;
            bands.push_back(b);
        }
    };
    addLines(ArrangeKind::Graph, graphs, t.graphPerLine, t.graphFactor);
    for (size_t i : tables)
        bands.push_back({ArrangeKind::Table, t.tableFactor, {i}});
    for (size_t i : terminals)
        bands.push_back({ArrangeKind::Terminal, t.terminalFactor, {i}});

    // The value lines come first, but a shaped value band's weight follows
    // from the others' total, so the others are gathered first.
    const double othersWeight = std::accumulate(bands.begin(), bands.end(), 0.0,
                                                [](double sum, const Band& b) { return sum + b.weight; });
    std::vector<Band> others;
    std::swap(bands, others);
    if (t.manual || values.empty()) {
        addLines(ArrangeKind::Value, values, t.valuePerLine, t.valueFactor);
    } else {
        const ValueShape shape = ShapeValues(int(values.size()), horizontal, along, across, othersWeight > 0);
        const int lines = int(LineCounts(int(values.size()), shape.perLine).size());
        // Weight w per line gives the lines lines*w / (lines*w + others) of the area.
        const double weight = othersWeight > 0 && across > shape.band
                                  ? shape.band * othersWeight / (lines * (across - shape.band))
                                  : 1.0;
        addLines(ArrangeKind::Value, values, shape.perLine, std::max(weight, 1e-6));
    }
    bands.insert(bands.end(), others.begin(), others.end());

    std::vector<double> weights;
    std::vector<int> minimums;
    for (const Band& b : bands) {
        const QSize least = MinimumWindowSize(b.kind);
        weights.push_back(b.weight);
        minimums.push_back(horizontal ? least.height() : least.width());
    }
    const std::vector<int> thickness = Split(across, weights, minimums);

    int bandStart = horizontal ? area.top() : area.left();
    for (size_t k = 0; k < bands.size(); ++k) {
        const Band& b = bands[k];
        const QSize least = MinimumWindowSize(b.kind);
        const std::vector<int> lengths = Split(along, std::vector<double>(b.items.size(), 1.0),
                                               std::vector<int>(b.items.size(),
                                                                horizontal ? least.width() : least.height()));
        int pos = horizontal ? area.left() : area.top();
        for (size_t j = 0; j < b.items.size(); ++j) {
            rects[b.items[j]] = horizontal ? QRect(pos, bandStart, lengths[j], thickness[k])
                                           : QRect(bandStart, pos, thickness[k], lengths[j]);
            pos += lengths[j];
        }
        bandStart += thickness[k];
    }
    return rects;
}

std::vector<QRect> CascadeWindows(const QRect& area, const std::vector<ArrangeItem>& items)
{
    std::vector<QRect> rects(items.size());
    QSize least(0, 0);
    int count = 0;
    for (const ArrangeItem& item : items)
        if (!item.minimised) {
            least = least.expandedTo(MinimumWindowSize(item.kind));
            ++count;
        }
    if (count == 0)
        return rects;
    // As many steps as leave the largest minimum inside the area; the windows
    // after that start again at the top-left corner.
    const int room = std::min(area.width() - least.width(), area.height() - least.height());
    const int positions = std::clamp(room / kCascadeStep + 1, 1, count);
    const int shrink = (positions - 1) * kCascadeStep;
    int k = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].minimised)
            continue;
        const QSize size =
            QSize(area.width() - shrink, area.height() - shrink).expandedTo(MinimumWindowSize(items[i].kind));
        const int offset = (k++ % positions) * kCascadeStep;
        rects[i] = QRect(area.topLeft() + QPoint(offset, offset), size);
    }
    return rects;
}

std::vector<QRect> ArrangeIconRow(const QRect& area, const std::vector<ArrangeItem>& items)
{
    std::vector<QRect> rects(items.size());
    const int left = area.left(), right = area.left() + std::max(area.width(), 0);
    int rowBottom = area.top() + std::max(area.height(), 0);
    int x = left, rowHeight = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].minimised)
            continue;
        // An absurd size is bounded by the area so the row cannot run away.
        const QSize size = items[i].size.isEmpty()
                               ? kDefaultIconSize
                               : items[i].size.boundedTo(area.size().expandedTo(kDefaultIconSize));
        // Wrap upwards while a row fits above; past the top the row goes on
        // to the right instead of leaving the area upwards.
        if (x > left && x + size.width() > right && rowBottom - rowHeight - size.height() >= area.top()) {
            rowBottom -= rowHeight;
            x = left;
            rowHeight = 0;
        }
        rects[i] = QRect(QPoint(x, rowBottom - size.height()), size);
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
    return rects;
}

} // namespace

ArrangeSettings::ArrangeSettings()
    : arrange(TileHorizontal), manual(false),
      valuePerHorRow(BuiltIn().ValuePerHorRow), graphPerHorRow(BuiltIn().GraphPerHorRow),
      valueFactorHor(BuiltIn().ValueFactorHor), graphFactorHor(BuiltIn().GraphFactorHor),
      tableFactorHor(BuiltIn().TableFactorHor),
      valuePerVerCol(BuiltIn().ValuePerVerCol), graphPerVerCol(BuiltIn().GraphPerVerCol),
      valueFactorVer(BuiltIn().ValueFactorVer), graphFactorVer(BuiltIn().GraphFactorVer),
      tableFactorVer(BuiltIn().TableFactorVer), terminalFactor(BuiltIn().TerminalFactor)
{
}

ArrangeSettings ArrangeSettings::From(const AppState& state)
{
    return FromSettings(state, state.LastWindowArrange);
}

QSize MinimumWindowSize(ArrangeKind kind)
{
    return kind == ArrangeKind::Value ? QSize(120, 60) : QSize(160, 100);
}

std::vector<QRect> ArrangeWindows(const QRect& area, const std::vector<ArrangeItem>& items,
                                  const ArrangeSettings& settings)
{
    switch (settings.arrange) {
    case Cascade:
        return CascadeWindows(area, items);
    case ArrangeIcons:
        return ArrangeIconRow(area, items);
    case TileVertical:
        return TileWindows(area, items, Resolve(settings, false), false);
    default:   // TileHorizontal, and whatever else a settings store holds
        return TileWindows(area, items, Resolve(settings, true), true);
    }
}
