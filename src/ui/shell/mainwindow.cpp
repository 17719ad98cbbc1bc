#include "ui/shell/mainwindow.h"
#include "ui/shell/shortcuts.h"

#include "comm/connection.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/config/startup.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "platform/core/settingsstore.h"
#include "platform/serial/serialportservice.h"
#include "platform/ui/icons.h"
#include "ui/alarms/alarmdialog.h"
#include "ui/config/configcommands.h"
#include "ui/config/layoutkeeper.h"
#include "ui/config/startuppass.h"
#include "ui/graphs/graphmanager.h"
#include "ui/logging/datafilecommands.h"
#include "ui/logging/exportcommands.h"
#include "ui/logging/tablewindow.h"
#include "ui/printing/printcommands.h"
#include "ui/printing/printdialog.h"
#include "ui/publish/mqttpublishing.h"
#include "ui/settings/settingscommands.h"
#include "ui/shell/datacommands.h"
#include "ui/shell/editcommands.h"
#include "ui/shell/recentfilesmenu.h"
#include "ui/shell/statuspanels.h"
#include "ui/shell/windowrecorder.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"
#include "ui/values/valuewindowset.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cstdio>

namespace {
enum Text {
    kFile = 0, kNew = 1, kOpen = 2, kSaveSettings = 3, kSaveAs = 4, kPrint = 5, kPrinterSettings = 6, kExit = 7,
    kEdit = 8, kData = 11, kSettingsEntry = 13, kWindow = 57, kTileH = 58, kTileV = 59, kCascade = 60,
    kArrangeIcons = 61, kToolbar = 78, kTerminal = 84, kHelp = 126, kContents = 142, kVersion = 137,
    kSystemInfo = 145, kTipNew = 152, kTipOpen = 153, kTipSaveAs = 154, kTipPrint = 155, kTipSettings = 156,
    kTipSaveSettings = 159, kTipTerminal = 164, kSaveSettingsAs = 213, kReadSettings = 214, kView = 218,
    kTable = 220, kValues = 221, kOpened = 277, kDatestamped = 230, kOpenTextFile = 227, kSaveTextFile = 228,
};
} // namespace

MainWindow::MainWindow(AppState& state, LanguageTable& language, SerialPortService* port, QWidget* parent)
    : QMainWindow(parent), s_(state), lang_(language)
{
    setObjectName(QStringLiteral("mdiVAM"));
    port_ = port ? port : CreateQtSerialPort();
    port_->setParent(this);
    table_ = std::make_unique<LogTable>();
    layout_ = std::make_unique<ConfigLayout>();
    dataFile_ = std::make_unique<DataFile>(s_, lang_);
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    layoutKeeper_ = new LayoutKeeper(s_, *this, *mdi_, this);

    tableWin_ = new TableWindow(s_, lang_, *table_, dataFile_.get());
    tableSub_ = mdi_->addSubWindow(tableWin_);
    tableSub_->setWindowIcon(ToolbarIcon(QStringLiteral("App")));
    tableSub_->resize(600, 300);
    tableSub_->setVisible(s_.TableVisible);
    layoutKeeper_->Watch(tableSub_);
    connect(tableWin_, &TableWindow::ClosedByUser, this, [this] {
        s_.TableVisible = false;
        s_.ConfigChanged = true;
        actViewTable_->setChecked(false);
        RetileWindows();
    });
    connect(tableWin_, &TableWindow::StatusText, this, [this](const QString& t) { SetPanelText(PanelMessages, t); });
    tableWin_->StelTabelIn();
    recorder_ = new WindowRecorder(s_, *tableWin_, *dataFile_, *table_, [this](int ch) { return Value(ch); },
                                   [this](const DataFileReport& r) { return ShowReport(r); }, this);
    conn_ = new Connection(s_, lang_, *port_, *recorder_, *this, *this, this);
    BuildDataFileCommands();
    BuildConfigCommands();

    terminalWin_ = new TerminalWindow(s_, lang_);
    terminalSub_ = mdi_->addSubWindow(terminalWin_);
    terminalSub_->setWindowIcon(ToolbarIcon(QStringLiteral("Terminal")));
    terminalSub_->resize(600, 250);
    terminalSub_->setVisible(s_.TerminalVisible);
    layoutKeeper_->Watch(terminalSub_);
    connect(terminalWin_, &TerminalWindow::ClosedByUser, this, [this] {
        s_.TerminalVisible = false;
        actViewTerminal_->setChecked(false);
        if (s_.TransferMode)
            conn_->mnuDataTransfer_Click(); // no capture into a window nobody sees
        RetileWindows();
    });
    connect(terminalWin_, &TerminalWindow::ShownByCommand, this, [this] { RetileWindows(); });
    connect(terminalWin_, &TerminalWindow::LastAction, this, [this](const QString& t) { conn_->ShowLastAction(t); });
    editCmds_ = new EditCommands(s_, lang_, *mdi_, *tableWin_, *terminalWin_, this);
    editCmds_->ask = [this](const QString& title, const QString& text, bool withCancel) {
        return Ask(title, text, withCancel);
    };
    connect(editCmds_, &EditCommands::LastAction, this, [this](const QString& t) { conn_->ShowLastAction(t); });
    connect(recorder_, &WindowRecorder::ValueShown, editCmds_, &EditCommands::ValueShown);
    tableWin_->questionHandler = editCmds_->ask;
    editCmds_->gate = tableWin_->gate = [this](std::function<void()> command) { Gate(std::move(command)); };
    terminalWin_->questionHandler = editCmds_->ask;
    terminalWin_->fileChooser = [this](const QString& title, const QString& folder, const QString& filter, bool save) {
        return ChooseFile(title, folder, filter, save);
    };
    connect(terminalWin_, &TerminalWindow::ContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = editCmds_->TerminalContextMenu({actOpenText_, actSaveText_});
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(at);
    });
    connect(tableWin_, &TableWindow::LogCountChanged, this,
            [this](int n) { SetPanelText(PanelLogCounter, QStringLiteral("Log# ") + QString::number(n)); });
    graphs_ = new GraphManager(s_, lang_, *mdi_, *table_, this);
    graphs_->SetTableWindow(tableWin_);
    graphs_->SetLayoutKeeper(layoutKeeper_);
    graphs_->messageHandler = [this](const QString& title, const QString& text) { ShowWarning(title, text); };
    graphs_->confirmHandler = [this](const QString& title, const QString& text) {
        return Ask(title, text, false) == QMessageBox::Yes;
    };
    connect(graphs_, &GraphManager::ArrangeRequested, this, [this] { RetileWindows(); });
    graphs_->printRecorder = [this](GraphWindow& graph) { PrintRecorder(MainWindowPrintHooks(*this), graph); };
    graphs_->helpHandler = [this](const QString& topic) { ShowHelpTopic(topic); };
    graphs_->gate = editCmds_->gate;
    recorder_->SetGraphs(graphs_);
    // Any change of the table's rows (a load, Clear, Delete, Renumber) redraws
    // the graphs once, after the change is complete.
    graphReload_ = new QTimer(this);
    graphReload_->setSingleShot(true);
    graphReload_->setInterval(0);
    connect(graphReload_, &QTimer::timeout, graphs_, &GraphManager::HerladenGrafiek);
    connect(table_.get(), &QAbstractItemModel::modelReset, graphReload_, qOverload<>(&QTimer::start));
    connect(table_.get(), &QAbstractItemModel::rowsRemoved, graphReload_, qOverload<>(&QTimer::start));
    connect(tableWin_, &TableWindow::LogCountChanged, graphReload_, qOverload<>(&QTimer::start));
    ValueWindowSet::Hooks vh;
    vh.alarmDialog = [this](ValueWindow& value) {
        Gate([this, v = QPointer<ValueWindow>(&value)] {
            if (v)
                RunAlarmDialog(s_, lang_, *v, tableWin_, this, [this](const QString& t) { ShowHelpTopic(t); });
        });
    };
    vh.frameStyle = [this](QMdiSubWindow* sub) { ApplyFrameStyle(sub); };
    vh.retile = [this] { RetileWindows(); };
    dataCmds_ = new DataCommands(s_, lang_, *conn_, *graphs_, [this] { RefreshIndications(); }, this);
    values_ = new ValueWindowSet(s_, lang_, *mdi_, *layoutKeeper_, std::move(vh), this);
    BuildMenus();
    dataCmds_->fileActions = [this] { return recent_->Actions() + QList<QAction*>{actNew_, actOpen_, actSaveAs_, actReadSettings_}; };
    BuildToolBar();
    ApplyDesktopShortcuts(*this);
    BuildStatusBar();
    new MqttPublishing(s_, lang_, *conn_, *statusBar(), this); // found by its type where the settings change
    resize(1100, 720);
    values_->Rebuild();
    LaadStrings();
    RefreshIndications();
}

MainWindow::~MainWindow()
{
    // The connection's waits must not outlive the windows they update.
    if (s_.Connected || s_.ReceiveMode || s_.TransferMode)
        conn_->StopVerbinding();
}

void MainWindow::BuildMenus()
{
    fileMenu_ = menuBar()->addMenu(QString());
    actNew_ = fileMenu_->addAction(ToolbarIcon(QStringLiteral("New")), QString());
    actOpen_ = fileMenu_->addAction(ToolbarIcon(QStringLiteral("Open")), QString());
    actSaveAs_ = fileMenu_->addAction(ToolbarIcon(QStringLiteral("SaveAs")), QString());
    fileMenu_->addSeparator();
    actReadSettings_ = fileMenu_->addAction(QString());
    actSaveSettings_ = fileMenu_->addAction(ToolbarIcon(QStringLiteral("SaveSettings")), QString());
    actSaveSettingsAs_ = fileMenu_->addAction(QString());
    fileMenu_->addSeparator();
    actOpenText_ = fileMenu_->addAction(QString(), this, [this] { terminalWin_->OpenCommand(); });
    actSaveText_ = fileMenu_->addAction(QString(), this, [this] { terminalWin_->SaveCommand(); });
    fileMenu_->addSeparator();
    actPrint_ = fileMenu_->addAction(ToolbarIcon(QStringLiteral("Print")), QString());
    actPrinterSettings_ = fileMenu_->addAction(QString());
    actExit_ = fileMenu_->addAction(QString(), this, &QWidget::close);
    auto* exports = new ExportCommands(s_, lang_, *table_, *tableWin_, *fileMenu_, actPrint_, this);
    exports->gate = editCmds_->gate;
    connect(exports, &ExportCommands::LastAction, conn_, &Connection::ShowLastAction);
    connect(actNew_, &QAction::triggered, this, [this] { Gate([this] { fileCmds_->New(); }); });
    connect(actOpen_, &QAction::triggered, this, [this] { Gate([this] { fileCmds_->Open(); }); });
    connect(actSaveAs_, &QAction::triggered, this, [this] { Gate([this] { fileCmds_->SaveAs(); }); });
    connect(actSaveSettings_, &QAction::triggered, this, [this] { Gate([this] { configCmds_->Save(); }); });
    connect(actSaveSettingsAs_, &QAction::triggered, this, [this] { Gate([this] { configCmds_->SaveAs(); }); });
    connect(actReadSettings_, &QAction::triggered, this, [this] { Gate([this] { configCmds_->Read(); }); });
    recent_ = new RecentFilesMenu(
        *fileMenu_, actExit_, [this](const QString& path) { Gate([this, path] { fileCmds_->OpenRecent(path); }); }, this);
    connect(actPrint_, &QAction::triggered, this, [this] { Gate([this] { PrintCommand(MainWindowPrintHooks(*this)); }); });
    connect(actPrinterSettings_, &QAction::triggered, this,
            [this] { Gate([this] { PrinterSettingsCommand(MainWindowPrintHooks(*this)); }); });

    editMenu_ = menuBar()->addMenu(QString());
    editCmds_->FillMenu(editMenu_);
    connect(editMenu_, &QMenu::aboutToShow, editCmds_, &EditCommands::Refresh);

    viewMenu_ = menuBar()->addMenu(QString());
    actViewValues_ = viewMenu_->addAction(QString(), this, &MainWindow::ShowValueWindows);
    actViewTable_ = viewMenu_->addAction(QString(), this, [this](bool on) {
        ShowTable(on);
        s_.ConfigChanged = true; // the table's visibility is part of the set-up
    });
    actViewTable_->setCheckable(true);
    actViewTable_->setChecked(s_.TableVisible);
    actViewGraphs_ = graphs_->ViewGraphsAction();
    viewMenu_->addAction(actViewGraphs_);
    // Shows the terminal; only its close box hides it.
    actViewTerminal_ = viewMenu_->addAction(ToolbarIcon(QStringLiteral("Terminal")), QString(), this, [this] {
        conn_->ShowLastAction(actViewTerminal_->text());
        if (!s_.TerminalVisible)
            s_.ConfigChanged = true;
        ShowTerminal(true);
    });
    actViewTerminal_->setCheckable(true);
    actViewTerminal_->setChecked(s_.TerminalVisible);
    actViewToolbar_ = viewMenu_->addAction(QString());
    actViewToolbar_->setCheckable(true);
    actViewToolbar_->setChecked(true);

    menuBar()->addMenu(graphs_->Menu());
    dataMenu_ = menuBar()->addMenu(QString());
    connect(dataMenu_, &QMenu::aboutToShow, this, &MainWindow::InstellenKnoppenData);
    dataCmds_->AddTo(dataMenu_);
    dataMenu_->addSeparator();
    actSettings_ = dataMenu_->addAction(ToolbarIcon(QStringLiteral("Settings")), QString(), this,
                                        [this] { OpenSettings(false); });

    windowMenu_ = menuBar()->addMenu(QString());
    actTileH_ = windowMenu_->addAction(ToolbarIcon(QStringLiteral("TileH")), QString(), this, [this] { ApplyArrangement(TileHorizontal); });
    actTileV_ = windowMenu_->addAction(ToolbarIcon(QStringLiteral("TileV")), QString(), this, [this] { ApplyArrangement(TileVertical); });
    actCascade_ = windowMenu_->addAction(ToolbarIcon(QStringLiteral("Cascade")), QString(), this, [this] { ApplyArrangement(Cascade); });
    actArrangeIcons_ = windowMenu_->addAction(QString(), this, [this] { ApplyArrangement(ArrangeIcons); });
    windowMenu_->addSeparator();
    windowMenu_->addAction(editCmds_->FontAction());
    connect(windowMenu_, &QMenu::aboutToShow, editCmds_, &EditCommands::Refresh);

    helpMenu_ = menuBar()->addMenu(QString());
    actHowTo_ = helpMenu_->addAction(QString(), this, [this] { ShowHelpTopic(QStringLiteral("get_started.htm")); });
    actContents_ = helpMenu_->addAction(ToolbarIcon(QStringLiteral("Help")), QString(), this,
                                        [this] { ShowHelpTopic(QStringLiteral("main_window.htm")); });
    helpMenu_->addSeparator();
    actAbout_ = helpMenu_->addAction(QString(), this, [this] { Gate([this] { ShowAbout(false); }); });
    actSystemInfo_ = helpMenu_->addAction(QString(), this, [this] { Gate([this] { ShowAbout(true); }); });
}

void MainWindow::BuildToolBar()
{
    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("Toolbar"));
    toolBar_->setIconSize(QSize(24, 24));
    toolBar_->addAction(actNew_);
    toolBar_->addAction(actOpen_);
    toolBar_->addAction(actSaveAs_);
    toolBar_->addAction(actPrint_);
    toolBar_->addSeparator();
    toolBar_->addAction(editCmds_->ClearAction());
    toolBar_->addSeparator();
    toolBar_->addAction(actSettings_);
    toolBar_->addAction(graphs_->SettingsAction());
    toolBar_->addAction(editCmds_->FontAction());
    toolBar_->addAction(actSaveSettings_);
    toolBar_->addSeparator();
    for (QAction* a : {dataCmds_->Measure(), dataCmds_->Log(), dataCmds_->Receive(), dataCmds_->Transfer()})
        toolBar_->addAction(a);
    toolBar_->addSeparator();
    // The toolbar's terminal button only shows the window; it is never pressed.
    QAction* showTerminal = toolBar_->addAction(ToolbarIcon(QStringLiteral("Terminal")), QString(), this, [this] { ShowTerminal(true); });
    connect(actViewTerminal_, &QAction::changed, showTerminal, [this, showTerminal] { showTerminal->setToolTip(actViewTerminal_->toolTip()); });
    toolBar_->addSeparator();
    toolBar_->addAction(actTileH_);
    toolBar_->addAction(actTileV_);
    toolBar_->addAction(actCascade_);
    toolBar_->addSeparator();
    toolBar_->addAction(actContents_);
    connect(actViewToolbar_, &QAction::toggled, toolBar_, &QToolBar::setVisible);
}

static_assert(MainWindow::kPanelCount == StatusPanels::kCount, "one count of status panels");

void MainWindow::BuildStatusBar()
{
    panels_ = new StatusPanels(s_, *statusBar(), [this] {
        s_.SettingsTab = 0;
        OpenSettings(false);
    }, this);
}

void MainWindow::LaadStrings()
{
    fileMenu_->setTitle(lang_[kFile]);
    actNew_->setText(lang_[kNew]);
    actOpen_->setText(lang_[kOpen]);
    actSaveAs_->setText(lang_[kSaveAs]);
    actReadSettings_->setText(lang_[kReadSettings]);
    actSaveSettings_->setText(lang_[kSaveSettings]);
    actSaveSettingsAs_->setText(lang_[kSaveSettingsAs]);
    actPrint_->setText(lang_[kPrint]);
    actPrinterSettings_->setText(lang_[kPrinterSettings]);
    actExit_->setText(lang_[kExit]);
    editMenu_->setTitle(lang_[kEdit]);
    editCmds_->LaadStrings();
    actOpenText_->setText(lang_[kOpenTextFile]);
    actSaveText_->setText(lang_[kSaveTextFile]);
    if (tableWin_)
        tableWin_->LaadStrings();
    if (terminalWin_)
        terminalWin_->LaadStrings();
    viewMenu_->setTitle(lang_[kView]);
    actViewValues_->setText(lang_[kValues]);
    actViewTable_->setText(lang_[kTable]);
    graphs_->LaadStrings();
    actViewTerminal_->setText(lang_[kTerminal]);
    actViewToolbar_->setText(lang_[kToolbar]);
    dataMenu_->setTitle(lang_[kData]);
    dataCmds_->LaadStrings();
    actSettings_->setText(lang_[kSettingsEntry]);
    windowMenu_->setTitle(lang_[kWindow]);
    actTileH_->setText(lang_[kTileH]);
    actTileV_->setText(lang_[kTileV]);
    actCascade_->setText(lang_[kCascade]);
    actArrangeIcons_->setText(lang_[kArrangeIcons]);
    helpMenu_->setTitle(lang_[kHelp]);
    actHowTo_->setText(QString(lang_[kHelp]).remove(QLatin1Char('&')) + QStringLiteral("..."));
    actContents_->setText(lang_[kContents]);
    actAbout_->setText(lang_[kVersion] + QStringLiteral("..."));
    actSystemInfo_->setText(lang_[kSystemInfo]);

    actNew_->setToolTip(lang_[kTipNew]);
    actOpen_->setToolTip(lang_[kTipOpen]);
    actSaveAs_->setToolTip(lang_[kTipSaveAs]);
    actPrint_->setToolTip(lang_[kTipPrint]);
    actSettings_->setToolTip(lang_[kTipSettings]);
    actSaveSettings_->setToolTip(lang_[kTipSaveSettings] + s_.ConfigFileName);
    actViewTerminal_->setToolTip(lang_[kTipTerminal]);
    for (ValueWindow* v : ValueWindows())
        v->LaadStrings();
    ZetTitel();
    RefreshIndications();
}

std::vector<ValueWindow*> MainWindow::ValueWindows() const { return values_->Windows(); }

ValueWindow* MainWindow::Value(int channel) const { return values_->Value(channel); }

QAction* MainWindow::MeasureAction() const { return dataCmds_->Measure(); }
QAction* MainWindow::LogAction() const { return dataCmds_->Log(); }
QAction* MainWindow::ReceiveAction() const { return dataCmds_->Receive(); }
QAction* MainWindow::TransferAction() const { return dataCmds_->Transfer(); }

void MainWindow::SetDevice(const QString& name)
{
    if (name.isEmpty())
        return;
    if (s_.Connected || s_.ReceiveMode || s_.TransferMode)
        conn_->StopVerbinding();
    if (conn_->InCycle()) {
        // Chosen while a reply is awaited: the closed port ends that wait
        // first, then the device changes.
        conn_->RunAfterCycle([this, name] { SetDevice(name); });
        return;
    }
    SelectDevice(s_, name, NowDays());
    s_.DeviceName = name;
    values_->Rebuild();
    tableWin_->StelTabelIn();
    graphs_->Reinitialise(); // inputs name the new device's channels
    ZetTitel();
    RefreshIndications();
}

void MainWindow::ZetTitel()
{
    QString file = s_.LogFileName;
    // Shown as it is: names that differ by case are other files here.
    if (!s_.FolderData.isEmpty() && file.startsWith(s_.FolderData))
        file = file.mid(s_.FolderData.size());
    while (file.startsWith(QLatin1Char('/')) || file.startsWith(QLatin1Char('\\')))
        file.remove(0, 1);
    QString title = s_.DeviceName + QStringLiteral(", ") + file;
    if (!s_.IdentificationNumber.isEmpty())
        title = QStringLiteral("#") + s_.IdentificationNumber + QStringLiteral(": ") + title;
    if (s_.DatestampFileName && !s_.LogFileWork.isEmpty()) {
        if (s_.LogFileWork.compare(s_.LogFileName, Qt::CaseInsensitive) == 0)
            title += QStringLiteral(" (") + lang_[kDatestamped] + QLatin1Char(')');
        else
            title += QStringLiteral(" (") + lang_[kOpened] + QFileInfo(s_.LogFileWork).fileName() + QLatin1Char(')');
    }
    setWindowTitle(title);
}

void MainWindow::InstellenKnoppenData() { dataCmds_->UpdateStates(); }

void MainWindow::RefreshIndications()
{
    dataCmds_->Refresh();
    panels_->Refresh();
    for (ValueWindow* v : ValueWindows())
        v->SetColors();
}

RecordViews& MainWindow::Recorder() { return *recorder_; }

bool MainWindow::ShowReport(const DataFileReport& r)
{
    if (r.showMessage) // a failure, or a warning about a damaged file that loaded
        ShowWarning(r.title, r.message);
    if ((!r.ok || r.recovered) && !r.status.isEmpty())
        SetPanelText(PanelMessages, r.status);
    return r.ok;
}

void MainWindow::TerminalAppend(const QString& text, ColorValue color) { terminalWin_->ToevoegenTextBox(text, color); }

bool MainWindow::StartNewDataFile() { return fileCmds_->NewForReceive(); }

void MainWindow::BuildDataFileCommands()
{
    DataFileCommands::Hooks h;
    h.chooseFile = [this](const QString& title, const QString& folder, const QString& filter, bool save) {
        return ChooseFile(title, folder, filter, save);
    };
    h.ask = [this](const QString& title, const QString& text, bool withCancel) { return Ask(title, text, withCancel); };
    h.report = [this](const DataFileReport& r) { return ShowReport(r); };
    h.writeConfiguration = [this] {
        CollectLayout();
        return WriteSettingsUnasked(s_, lang_, *layout_);
    };
    h.stopLogging = [this] { conn_->mnuDatalogging_Click(); };
    h.refresh = [this] {
        SetPanelText(PanelLogCounter, QStringLiteral("Log# ") + QString::number(s_.LogCount));
        LoadRecentFilesMenu();
        ZetTitel();
        RefreshIndications();
    };
    h.showTable = [this] {
        if (!s_.TableVisible)
            ShowTable(true);
    };
    h.progress = LoadProgressDialog(this, lang_);
    h.inform = [this](const QString& title, const QString& text) {
        if (warningHandler)
            warningHandler(title, text);
        else
            QMessageBox::information(this, title, text);
    };
    h.chooseRecoveryFile = [this] { return AskRecoveryFileName(); };
    fileCmds_ = new DataFileCommands(s_, lang_, *dataFile_, *table_, *tableWin_, std::move(h), this);
}

void MainWindow::ShowTerminalForTransfer(const QString& fileName)
{
    terminalWin_->Clear();
    QString caption = fileName;
    if (!s_.FolderData.isEmpty() && caption.startsWith(s_.FolderData))
        caption = caption.mid(s_.FolderData.size() + 1);
    terminalWin_->SetCaptionFile(caption);
    ShowTerminal(true);
}

void MainWindow::ShowTerminal(bool visible)
{
    ApplyFrameStyle(terminalSub_);
    s_.TerminalVisible = visible;
    actViewTerminal_->setChecked(visible);
    terminalSub_->setVisible(visible);
    if (visible)
        terminalSub_->raise();
    RetileWindows();
}

void MainWindow::ShowTable(bool visible)
{
    s_.TableVisible = visible;
    actViewTable_->setChecked(visible);
    tableSub_->setVisible(visible);
    if (visible)
        tableSub_->raise();
    RetileWindows();
}

QLabel* MainWindow::Panel(int index) const { return panels_->Label(index); }

void MainWindow::SetPanelText(int panel, const QString& text) { panels_->SetText(panel, text); }

QAction* MainWindow::ArrangeAction(int arrange) const
{
    switch (arrange) {
    case TileVertical: return actTileV_;
    case Cascade: return actCascade_;
    case ArrangeIcons: return actArrangeIcons_;
    default: return actTileH_;
    }
}

void MainWindow::ApplyFrameStyle(QMdiSubWindow* sub) { layoutKeeper_->ApplyFrameStyle(sub); }

bool MainWindow::OpenSettings(bool firstStart)
{
    if (settingsRunner)
        return settingsRunner(firstStart);
    return RunMainWindowSettings(*this, firstStart);
}

void MainWindow::ApplyFrameStyles()
{
    for (const auto& sub : values_->SubWindows())
        ApplyFrameStyle(sub);
    ApplyFrameStyle(terminalSub_);
}

void MainWindow::WriteSetUp()
{
    CollectLayout();
    const CommandOutcome out = WriteSettings(s_, lang_, *layout_);
    if (!out.Ok)
        ShowWarning(QStringLiteral("VAM"), out.Message);
}

void MainWindow::ShowValueWindows() { values_->ShowAll(); }

void MainWindow::ApplyArrangement(int arrange)
{
    s_.LastWindowArrange = qint16(arrange);
    if (onArrangementChosen)
        onArrangementChosen(arrange);
    if (Arrange())
        s_.ConfigChanged = true; // the user's command moved windows
}

void MainWindow::RetileWindows()
{
    // Windows the user placed stay where they are unless arranging is automatic.
    if (s_.AutoArrange)
        Arrange();
}

bool MainWindow::Arrange() { return layoutKeeper_->Arrange(Children()); }

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    layoutKeeper_->MainWindowChanged(event->spontaneous());
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutKeeper_->MainWindowChanged(event->spontaneous());
    // During a wait the line reader re-tiles; otherwise re-tile right away.
    conn_->RetilePending = true;
    QTimer::singleShot(0, this, [this] {
        if (conn_->RetilePending) {
            conn_->RetilePending = false;
            RetileWindows();
        }
    });
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!ConfirmExit()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool MainWindow::ConfirmExit()
{
    if (ShouldAskToStopLogging(s_)) {
        const Question q = StopLoggingQuestion(s_, lang_);
        if (Ask(q.Title, q.Text, false) != QMessageBox::Yes)
            return false;
    }
    return FinishExit(true);
}

bool MainWindow::FinishExit(bool mayAsk)
{
    if (s_.Connected || s_.ReceiveMode || s_.TransferMode)
        conn_->StopVerbinding();
    if (!fileCmds_->SaveHeldBackRecords(mayAsk))
        return false;
    if (store_) {
        // The set-up is written without asking, as the user left it.
        CollectLayout();
        const CommandOutcome out = WriteSettingsUnasked(s_, lang_, *layout_);
        if (!out.Ok && mayAsk)
            ShowWarning(QStringLiteral("VAM"), out.Message);
        else if (!out.Ok || !out.Status.isEmpty()) // a damaged configuration left alone is told, not asked
            std::fprintf(stderr, "vam: %s\n", qPrintable(out.Ok ? out.Status : out.Message));
        store_->Sync();
    }
    return true;
}

void MainWindow::EndOnSignal()
{
    if (conn_->InCycle()) {
        // Inside a wait for the meter: closing the port ends it, then the rest.
        conn_->StopVerbinding();
        conn_->RunAfterCycle([this] { EndOnSignal(); });
        return;
    }
    FinishExit(false);
    QCoreApplication::quit();
}

void MainWindow::AttachStartup(SettingsStore* store, const CommandLineOptions* options, const StartupEnvironment* env)
{
    store_ = store;
    graphs_->SetSettingsStore(store);
    fileCmds_->SetStore(store);
    configCmds_->SetStore(store);
    options_ = options;
    env_ = env;
    onArrangementChosen = [this](int arrange) {
        if (store_)
            store_->SaveLastWindowArrange(qint16(arrange));
    };
}

void MainWindow::StartupPass()
{
    if (!store_ || !options_ || !env_)
        return;
    RunStartupPass(*this, {s_, lang_, *store_, *options_, *env_, *conn_, *table_, *tableWin_, *dataFile_, *layout_,
                           *layoutKeeper_});
}

ChildWindows MainWindow::Children() const
{
    ChildWindows c;
    c.Values.assign(values_->SubWindows().begin(), values_->SubWindows().end());
    c.Table = tableSub_;
    c.Terminal = terminalSub_;
    return c;
}

void MainWindow::CollectLayout()
{
    layoutKeeper_->Collect(*layout_, Children());
    graphs_->Collect(*layout_);
}

void MainWindow::ApplyLayout()
{
    layoutKeeper_->Apply(*layout_, Children());
    graphs_->Apply(*layout_);
}

QList<QAction*> MainWindow::RecentFileActions() const { return recent_->Actions(); }

void MainWindow::LoadRecentFilesMenu()
{
    recent_->Show(store_ ? LoadRecentFiles(*store_, s_) : QList<RecentFileItem>());
}

void MainWindow::BuildConfigCommands()
{
    ConfigCommands::Hooks h;
    h.chooseFile = [this](const QString& title, const QString& folder, const QString& filter, bool save) {
        return ChooseFile(title, folder, filter, save);
    };
    h.ask = [this](const QString& title, const QString& text, bool withCancel) { return Ask(title, text, withCancel); };
    h.warn = [this](const QString& title, const QString& text) { ShowWarning(title, text); };
    h.collectLayout = [this] { CollectLayout(); };
    h.write = [this] { return WriteSettings(s_, lang_, *layout_); };
    h.writeAs = [this](const QString& path) { return SaveSettingsAs(s_, *store_, lang_, *layout_, path); };
    h.saveCommand = [this] { return ::SaveSettingsCommand(s_, *store_, lang_, *layout_); };
    h.done = [this](const QString& status) {
        SetPanelText(PanelMessages, status);
        LoadRecentFilesMenu();
        LaadStrings(); // the tooltip names the configuration file
    };
    h.reload = [this] { StartupPass(); };
    configCmds_ = new ConfigCommands(s_, lang_, std::move(h), this);
}
