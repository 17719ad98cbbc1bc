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
        if (FirstReading >= logCount)
            FirstReading = logCount - ShownPoints - 1;
        if (FirstReading + ShownPoints >= logCount)
            ShownPoints = logCount - FirstReading - 1;
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
    const int m = Rows();
    ShownPoints = m;
    FirstReading = logCount - m;
    if (FirstReading < 1) {
        ShownPoints -= 1 - FirstReading;
        FirstReading = 1;
    }
    Redraw();
}

void GraphRows::ScrollTo(int position, int logCount)
{
    const int m = Rows();
    FirstReading = logCount > kScrollRange ? int(static_cast<long long>(position) * logCount / kScrollRange) : position;
    FirstReading = std::max(FirstReading, 1);
    ShownPoints = FirstReading > logCount - m ? logCount - FirstReading : m;
    Redraw();
}

GraphRows::ScrollBar GraphRows::Bar(int logCount) const
{
    ScrollBar b;
    if (logCount >= kScrollRange) {
        b.maximum = kScrollRange;
        b.position = int(static_cast<long long>(kScrollRange) * FirstReading / logCount);
    } else {
        b.maximum = std::max(logCount, 0);
        b.position = FirstReading;
    }
    b.position = std::clamp(b.position, 0, b.maximum);
    return b;
}
