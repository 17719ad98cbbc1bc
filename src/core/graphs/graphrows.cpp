#include "core/graphs/graphrows.h"

#include <algorithm>

GraphRows::GraphRows(int rows) { Resize(rows); }

void GraphRows::Resize(int rows) { reading_.assign(size_t(std::max(rows, 1)), 0); }

int GraphRows::ReadingAt(int row) const
{
    return row >= 1 && row <= Rows() ? reading_[size_t(row - 1)] : 0;
}

void GraphRows::Clear() { std::fill(reading_.begin(), reading_.end(), 0); }

void GraphRows::Redraw()
{
    const int rows = Rows();
    for (int k = 1; k <= rows; ++k) {
        const int r = FirstReading + k - 1;
        reading_[size_t(k - 1)] = k <= ShownPoints && r >= 1 ? r : 0;
    }
}

GraphRows::Added GraphRows::Add(int reading, int logCount)
{
    Added a;
    const int m = Rows();
    if (ShownPoints >= m && FirstReading <= logCount) {
        ShownPoints = (3 * m) / 4;
        FirstReading = FirstReading + m - ShownPoints;
        // The rows before the new reading end with the reading before it,
        // never short of it (that one would be seen nowhere).
        if (FirstReading + ShownPoints > logCount) {
            FirstReading = std::max(1, logCount - ShownPoints);
            ShownPoints = logCount - FirstReading;
        }
        Redraw();
        a.jumped = true;
    }
    ShownPoints = std::max(ShownPoints + 1, 1);
    if (ShownPoints <= m) {
        a.row = ShownPoints;
        reading_[size_t(a.row - 1)] = reading;
    }
    return a;
}

void GraphRows::Load(int logCount)
{
    // The last readings, the newest one included.
    const int m = Rows();
    ShownPoints = m;
    FirstReading = logCount - m + 1;
    if (FirstReading < 1) {
        ShownPoints = std::max(logCount, 0);
        FirstReading = 1;
    }
    Redraw();
}

namespace {
// The first reading of the last page: where the last scroll position goes.
int LastFirst(int logCount, int rows) { return std::max(1, logCount - rows + 1); }
} // namespace

void GraphRows::ScrollTo(int position, int logCount)
{
    // Positions run from the first reading to the first of the last page, so
    // the last position shows the last readings; above the 16-bit range the
    // positions are scaled (rounded, so a position maps back to itself).
    const int m = Rows();
    const int last = LastFirst(logCount, m);
    if (last > kScrollRange)
        FirstReading = 1 + int((static_cast<long long>(position) * (last - 1) + kScrollRange / 2) / kScrollRange);
    else
        FirstReading = position;
    FirstReading = std::clamp(FirstReading, 1, last);
    ShownPoints = std::clamp(logCount - FirstReading + 1, 0, m);
    Redraw();
}

GraphRows::ScrollBar GraphRows::Bar(int logCount) const
{
    ScrollBar b;
    const int last = LastFirst(logCount, Rows());
    if (last > kScrollRange) {
        b.maximum = kScrollRange;
        b.position = int((static_cast<long long>(FirstReading - 1) * kScrollRange + (last - 1) / 2) / (last - 1));
    } else {
        // Live readings may have moved the rows past the last page's start.
        b.maximum = std::max(last, FirstReading);
        b.position = FirstReading;
    }
    b.position = std::clamp(b.position, 0, b.maximum);
    return b;
}
