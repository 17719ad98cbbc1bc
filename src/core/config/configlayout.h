#pragma once
// The window side of a configuration: placements, fonts, table columns and
// graph definitions, as the configuration file stores them. The windows copy
// their state in before a save and take it over after a read; the file module
// itself never touches a window. Lengths are in twips (15 per pixel).

#include "core/model/appstate.h"
#include "core/graphs/graphsettings.h"

#include <QList>
#include <QString>
#include <array>

struct WindowPlacement {
    qint16 Status = 0; // 0 normal, 1 minimised, 2 maximised
    float Top = 0, Left = 0, Height = 0, Width = 0;
};

// Checks a placement read from a file against the room it has to fit in:
// `limitHeight` x `limitWidth` (the screen for the main window, the main
// window's client area for a child; 0 skips the position check). A window
// whose top or left lies beyond the limit, or that is lower or narrower than
// 300 twips, becomes a normal window at 0, 0 with the screen's size. A
// maximised window is taken as it is. Returns false when it was reset.
bool ValidateWindowPlacement(WindowPlacement& w, double limitHeight, double limitWidth, double screenHeight,
                             double screenWidth);

struct FontSpec {
    QString Name = QStringLiteral("Arial");
    float Size = 10;
    bool Bold = false;
    bool Italic = false;
    bool Strikethrough = false;
    bool Underline = false;
    ColorValue Color = 0; // the control's text colour
    // A configuration named this font (it has a (FONT) part). A named font
    // applies whether or not the window's placement is stored: files written
    // by vam-cli config carry fonts without placements.
    bool Named = false;
};

struct ReadingsWindowLayout {
    bool Visible = true;
    WindowPlacement Window;
    FontSpec ValueFont{QStringLiteral("Arial"), 24, true}; // the digits
    FontSpec UnitFont{QStringLiteral("Arial"), 12};
};

struct TableLayout {
    WindowPlacement Window;
    FontSpec Font;
    QList<qint32> ColumnWidths; // from column 0; a missing or 0 width means the default
};

// The terminal's text font is kept in the terminal font settings of AppState.
struct TerminalLayout {
    WindowPlacement Window;
};

struct ConfigLayout {
    WindowPlacement Main;
    std::array<ReadingsWindowLayout, kMaxChannels + 1> Readings{}; // 1..16
    TableLayout Table;
    TerminalLayout Terminal;
    // Slots 1..16. A save writes, in slot order, each slot whose GrafiekIndex
    // equals its number; a read fills slots 1..GraphCount and empties the rest.
    std::array<GraphSettings, kMaxGraphs + 1> Graphs{};
};
