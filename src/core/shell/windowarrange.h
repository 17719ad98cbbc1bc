#pragma once
// Where the main window's child windows go when they are arranged: one pure
// function from the area, the windows and the arrangement settings to one
// rectangle per window, so the geometry is checked without a window.
//
// Tiling horizontally stacks bands from top to bottom: the value windows in
// rows, then the graph windows in rows, then a full-width band for the table
// and one for the terminal. Tiling vertically is the same turned 90 degrees
// (columns from left to right). Rows are balanced (5 windows at 4 per row give
// rows of 3 and 2) and every window of a row shares its full length, so the
// bands fill the area without holes. A band's thickness is proportional to its
// factor; no window goes below its minimum size, and when the area is too small
// for the minimums the layout grows past the area (the area scrolls) instead of
// windows overlapping.
//
// Without the manual switch the built-in counts and factors are used, except
// that the value windows are shaped: their windows per row and their band are
// chosen so each value window comes as close as it can to 3:1 (where its
// digits fill both the height and the width), taking at most half the area
// when other windows share it.

#include <QRect>
#include <QSize>
#include <QtGlobal>
#include <vector>

struct AppState;

enum class ArrangeKind { Value, Graph, Table, Terminal };

struct ArrangeItem {
    ArrangeKind kind = ArrangeKind::Value;
    bool minimised = false;
    QSize size;   // current frame size; arranging icons keeps it
};

// The arrangement settings as read from the state. Any value is accepted
// (from a user's file: 0, negative, NaN, 1e9); arranging brings it into range.
struct ArrangeSettings {
    ArrangeSettings();   // the built-in defaults, tiling horizontally

    qint16 arrange;      // WindowArrange: 0 tile horizontally, 1 vertically, 2 cascade, 3 icons
    bool manual;         // use the counts and factors below instead of the built-in ones
    float valuePerHorRow, graphPerHorRow;
    float valueFactorHor, graphFactorHor, tableFactorHor;
    float valuePerVerCol, graphPerVerCol;
    float valueFactorVer, graphFactorVer, tableFactorVer;
    float terminalFactor;

    static ArrangeSettings From(const AppState& state);
};

// The smallest frame a window of this kind is given when tiled or cascaded.
QSize MinimumWindowSize(ArrangeKind kind);

// The offset between cascaded windows: about one title bar.
constexpr int kCascadeStep = 26;

// One rectangle per item, in the coordinates of `area` (pixels). An invalid
// QRect means "leave this window where it is": minimised windows when tiling
// or cascading, normal windows when arranging icons.
std::vector<QRect> ArrangeWindows(const QRect& area, const std::vector<ArrangeItem>& items,
                                  const ArrangeSettings& settings);
