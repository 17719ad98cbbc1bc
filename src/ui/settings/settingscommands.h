#pragma once
// Data > Settings from the main window: what the settings dialog reaches
// outside itself (the connection, the windows, the configuration), and what
// the windows take over after OK.

class MainWindow;
struct SettingsHooks;

// The hooks of the dialog opened from `frame`; a first start writes its
// set-up where the configuration belongs instead of asking for a name.
SettingsHooks MainWindowSettingsHooks(MainWindow& frame, bool firstStart);
// Runs the dialog; a running measurement ticks on however it closed, and
// after OK the windows take the new colours, caption and arrangement. True
// after OK.
bool RunMainWindowSettings(MainWindow& frame, bool firstStart);
