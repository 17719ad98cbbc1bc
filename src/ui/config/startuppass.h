#pragma once
// One start-up pass of the main window: configuration, command line,
// folders, help files, the data file, the port, and the connection when
// configured. Runs at program start and again after File > Read settings.

class MainWindow;
struct AppState;
class LanguageTable;
class SettingsStore;
struct CommandLineOptions;
struct StartupEnvironment;
class Connection;
class LogTable;
class TableWindow;
class DataFile;
struct ConfigLayout;
class LayoutKeeper;

struct StartupPassParts {
    AppState& state;
    LanguageTable& language;
    SettingsStore& store;
    const CommandLineOptions& options;
    const StartupEnvironment& env;
    Connection& conn;
    LogTable& rows;
    TableWindow& table;
    DataFile& file;
    ConfigLayout& layout;
    LayoutKeeper& keeper;
};

void RunStartupPass(MainWindow& frame, const StartupPassParts& parts);
