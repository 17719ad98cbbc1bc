#pragma once
// The keyboard shortcuts desktop users expect on the File, Edit and Help
// menus. Each key belongs to one action of the main window: the Edit entries
// act on the active child window (table, terminal, value), so the table's own
// context entries show no second binding of the same key, which Qt would
// treat as ambiguous and ignore.

class MainWindow;

void ApplyDesktopShortcuts(MainWindow& window);
