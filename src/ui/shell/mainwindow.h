#pragma once
// The main window (mdiVAM): the multiple-document area with the child
// windows, the menus, the toolbar and the five-panel status bar. It owns the
// serial port and the connection, and shows what the connection reports.

#include "comm/commviews.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressDialog;
class QToolBar;
class QTimer;
struct AppState;
class LanguageTable;
class SerialPortService;
class Connection;
class ValueWindow;
class ValueWindowSet;
class StatusPanels;
class DataCommands;
class TableWindow;
class SettingsStore;
struct ConfigLayout;
struct CommandLineOptions;
struct StartupEnvironment;
class TerminalWindow;
class LogTable;
class DataFile;
class WindowRecorder;
class DataFileCommands;
class EditCommands;
class GraphManager;
class ConfigCommands;
class LayoutKeeper;
class RecentFilesMenu;
struct ChildWindows;
struct SettingsHooks;
struct DataFileReport;
struct PrintHooks;
class AboutDialog;
class HelpWindow;
class QUrl;

class MainWindow : public QMainWindow, public StatusViews, public UserPrompts {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 5;

    // `port` is the serial port to use (the main window takes ownership);
    // null creates the system's serial port.
    MainWindow(AppState& state, LanguageTable& language, SerialPortService* port = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Reloads every caption from the language table.
    void LaadStrings();
    // Selects a model: channel records, value windows, readings; stops a running connection.
    void SetDevice(const QString& name);
    // Sets the title from the device, identification number and data file.
    void ZetTitel();
    // The Data menu's enabled and checked states.
    void InstellenKnoppenData();

    Connection& Conn() { return *conn_; }
    AppState& State() { return s_; }
    LanguageTable& Language() { return lang_; }
    // The store of per-user settings; null before the start-up is attached.
    SettingsStore* Store() const { return store_; }
    ConfigCommands& ConfigCmds() const { return *configCmds_; }
    // Writes the configuration as the windows stand; a failure is shown.
    void WriteSetUp();
    // The frame of every value window and the terminal by the "Extend frame" option.
    void ApplyFrameStyles();
    // The windows' placements into the configuration's layout, and back.
    void CollectLayout();
    void ApplyLayout();
    void LoadRecentFilesMenu();
    // Shows what a data-file operation reported; returns its ok flag.
    bool ShowReport(const DataFileReport& report);

    // Program start: the store of per-user settings, the command line and
    // the system facts the start-up pass works with (the main window keeps
    // pointers; all three outlive it).
    void AttachStartup(SettingsStore* store, const CommandLineOptions* options, const StartupEnvironment* env);
    // One start-up pass: configuration, folders, help files, data file, port,
    // and the connection when configured. Runs again after Read settings.
    void StartupPass();
    // The exit path: may ask to stop logging (a "no" keeps the program
    // running); stops the connection and writes the configuration.
    bool ConfirmExit();
    // The end on a termination signal: File Exit with nothing asked (the
    // connection stopped, held-back records saved, the configuration written),
    // then the event loop ends.
    void EndOnSignal();
    // Replaces the save dialog for a table whose records could not be written
    // at exit ("" = cancelled).
    std::function<QString()> saveTableChooser;
    QMdiArea* MdiArea() const { return mdi_; }
    QLabel* Panel(int index) const;
    ValueWindow* Value(int channel) const;
    // The value windows of the channels, in channel order.
    std::vector<ValueWindow*> ValueWindows() const;
    QAction* MeasureAction() const;
    QAction* LogAction() const;
    QAction* ReceiveAction() const;
    QAction* TransferAction() const;
    EditCommands& Edit() const { return *editCmds_; }
    GraphManager& Graphs() const { return *graphs_; }
    QMenu* EditMenu() const { return editMenu_; }
    QAction* ViewValuesAction() const { return actViewValues_; }
    QAction* ViewTerminalAction() const { return actViewTerminal_; }
    QAction* OpenTextAction() const { return actOpenText_; }
    QAction* SaveTextAction() const { return actSaveText_; }
    QAction* ArrangeAction(int arrange) const;
    // The settings dialog (Data > Settings, toolbar, the "Settings" panel,
    // and a first start without a configuration); true after OK.
    bool OpenSettings(bool firstStart);
    // Replaces the settings dialog (tests, scripted runs); gets firstStart.
    std::function<bool(bool firstStart)> settingsRunner;
    QAction* SettingsAction() const { return actSettings_; }
    // View > Values: the windows of the channels in use shown again, as they were.
    void ShowValueWindows();
    ValueWindowSet& Values() const { return *values_; }
    // The frame of a value or terminal window by the "Extend frame" option.
    void ApplyFrameStyle(QMdiSubWindow* sub);
    TableWindow* Table() const { return tableWin_; }
    TerminalWindow* Terminal() const { return terminalWin_; }
    // Shows or hides the terminal window (View menu).
    void ShowTerminal(bool visible);
    // Replaces the file dialog of Transfer (tests, scripted runs).
    std::function<QString()> transferFileChooser;
    // The PDF file of a print job; a save-file dialog when unset.
    std::function<QString()> pdfChooser;
    // Opens a help topic in the current language in the help window; the
    // missing-help message (with where the help should be) when it is not there.
    void ShowHelpTopic(const QString& topic);
    // Opens a help topic's address; the program's help window when unset.
    std::function<void(const QUrl&)> urlOpener;
    HelpWindow* Help() const;
    QAction* PrintAction() const { return actPrint_; }
    QAction* ExitAction() const { return actExit_; }
    QAction* HowToAction() const { return actHowTo_; }
    QAction* AboutAction() const { return actAbout_; }
    QAction* SystemInfoAction() const { return actSystemInfo_; }
    // Help > Version / System info: the about box, with the system facts shown for the second.
    void ShowAbout(bool systemInfo);
    // Runs the about box; exec() when unset.
    std::function<void(AboutDialog&)> aboutRunner;
    QAction* ContentsAction() const { return actContents_; }
    QAction* PrinterSettingsAction() const { return actPrinterSettings_; }
    DataFile& Data() { return *dataFile_; }
    // Shows or hides the table window (View menu).
    void ShowTable(bool visible);
    // The data-file commands of the File menu.
    DataFileCommands& FileCommands() { return *fileCmds_; }
    QAction* NewAction() const { return actNew_; }
    QAction* ReadSettingsAction() const { return actReadSettings_; }
    QAction* SaveSettingsAction() const { return actSaveSettings_; }
    QAction* SaveSettingsAsAction() const { return actSaveSettingsAs_; }
    QAction* OpenAction() const { return actOpen_; }
    QAction* SaveAsAction() const { return actSaveAs_; }
    QList<QAction*> RecentFileActions() const;
    // Replaces the file dialogs (tests, scripted runs): "" = cancelled.
    std::function<QString(const QString& title, const QString& folder, const QString& filter, bool save)> fileChooser;
    QString ChooseFile(const QString& title, const QString& folder, const QString& filter, bool save);

    // Where the connection records readings.
    RecordViews& Recorder();

    // ---- StatusViews, UserPrompts
    void TerminalAppend(const QString& text, ColorValue color) override;
    bool StartNewDataFile() override;
    QString AskTransferFileName() override;
    void ShowTerminalForTransfer(const QString& fileName) override;
    void SetPanelText(int panel, const QString& text) override;
    void UpdateTitle() override { ZetTitel(); }
    void RefreshIndications() override;
    void RetileWindows() override;
    void ShowWarning(const QString& title, const QString& text) override;
    Answer AskRetryCancel(const QString& title, const QString& text) override;
    bool ScanProgress(const QString& caption, int position, int maximum) override;
    void ScanFinished() override;

    // Replace the warning message box and the Retry/Cancel question (tests, scripted runs).
    std::function<void(const QString& title, const QString& text)> warningHandler;
    std::function<Answer(const QString& title, const QString& text)> retryHandler;
    // Replaces the yes/no(/cancel) questions: returns QMessageBox::Yes, No or Cancel.
    std::function<int(const QString& title, const QString& text, bool withCancel)> questionHandler;
    // Called with the arrangement the user chose in the Window menu (to store it).
    std::function<void(int)> onArrangementChosen;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void ApplyArrangement(int arrange);
    // Arranges the child windows now; true when one moved.
    bool Arrange();
    int Ask(const QString& title, const QString& text, bool withCancel);
    // Runs a command that opens a window once the meter reading under way has returned.
    void Gate(std::function<void()> command);
    // The file for a table whose records could not be written at exit ("" = cancelled).
    QString AskRecoveryFileName();
    // A save-file dialog under the "file to save as" title; `suffix` is added to a bare name.
    QString AskSaveName(const QString& folder, const QString& filter, const QString& suffix);
    ChildWindows Children() const;
    void BuildDataFileCommands();
    void BuildConfigCommands();
    // Stops the connection, deals with held-back records and writes the
    // configuration; false when the user chose to keep the program running.
    bool FinishExit(bool mayAsk);

    AppState& s_;
    LanguageTable& lang_;
    SerialPortService* port_ = nullptr;
    Connection* conn_ = nullptr;
    QMdiArea* mdi_ = nullptr;
    StatusPanels* panels_ = nullptr;
    ValueWindowSet* values_ = nullptr;
    DataCommands* dataCmds_ = nullptr;
    QPointer<QProgressDialog> progress_;
    std::unique_ptr<LogTable> table_;
    std::unique_ptr<ConfigLayout> layout_;
    SettingsStore* store_ = nullptr;
    const CommandLineOptions* options_ = nullptr;
    const StartupEnvironment* env_ = nullptr;
    RecentFilesMenu* recent_ = nullptr;
    std::unique_ptr<DataFile> dataFile_;
    WindowRecorder* recorder_ = nullptr;
    LayoutKeeper* layoutKeeper_ = nullptr;
    DataFileCommands* fileCmds_ = nullptr;
    EditCommands* editCmds_ = nullptr;
    GraphManager* graphs_ = nullptr;
    QTimer* graphReload_ = nullptr; // one redraw of the graphs after the table's rows changed
    ConfigCommands* configCmds_ = nullptr;
    TableWindow* tableWin_ = nullptr;
    TerminalWindow* terminalWin_ = nullptr;
    QPointer<QMdiSubWindow> terminalSub_;
    QPointer<QMdiSubWindow> tableSub_;

    QMenu *fileMenu_ = nullptr, *editMenu_ = nullptr, *viewMenu_ = nullptr, *dataMenu_ = nullptr,
          *windowMenu_ = nullptr, *helpMenu_ = nullptr;
    QAction *actNew_ = nullptr, *actOpen_ = nullptr, *actSaveAs_ = nullptr, *actSaveSettings_ = nullptr,
            *actSaveSettingsAs_ = nullptr, *actReadSettings_ = nullptr, *actPrint_ = nullptr,
            *actPrinterSettings_ = nullptr, *actExit_ = nullptr;
    QAction *actOpenText_ = nullptr, *actSaveText_ = nullptr;
    QAction *actViewValues_ = nullptr, *actViewTable_ = nullptr, *actViewGraphs_ = nullptr,
            *actViewTerminal_ = nullptr, *actViewToolbar_ = nullptr;
    QAction* actSettings_ = nullptr;
    QAction *actTileH_ = nullptr, *actTileV_ = nullptr, *actCascade_ = nullptr, *actArrangeIcons_ = nullptr;
    QAction *actHowTo_ = nullptr, *actContents_ = nullptr, *actAbout_ = nullptr, *actSystemInfo_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QPointer<HelpWindow> helpWindow_;
};
