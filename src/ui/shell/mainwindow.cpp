#include "ui/shell/mainwindow.h"

#include "comm/connection.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "platform/serial/serialportservice.h"
#include "platform/ui/icons.h"
#include "platform/ui/qtcolors.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"
#include "ui/shell/windowrecorder.h"
#include "ui/config/layoutkeeper.h"
#include "ui/logging/datafilecommands.h"
#include "ui/shell/editcommands.h"
#include "ui/config/configcommands.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphwindow.h"
#include "ui/settings/settingsdialog.h"
#include "ui/alarms/alarmdialog.h"
#include "ui/printing/printdialog.h"
#include "ui/shell/aboutdialog.h"
#include "core/logging/datafile.h"
#include "core/config/commandline.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/config/startup.h"
#include "platform/core/settingsstore.h"
#include "core/logging/logtable.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QFileDialog>
#include <QScreen>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>
#include <QToolBar>
#include <QTimer>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

namespace {
enum Text {
    kFile = 0, kNew = 1, kOpen = 2, kSaveSettings = 3, kSaveAs = 4, kPrint = 5, kPrinterSettings = 6, kExit = 7,
    kEdit = 8, kCopy = 9, kDelete = 10, kData = 11, kLog = 12, kSettingsEntry = 13, kReceive = 32,
    kWindow = 57, kTileH = 58, kTileV = 59, kCascade = 60, kArrangeIcons = 61, kFont = 62, kToolbar = 78,
    kTerminal = 84, kHelp = 126, kContents = 142, kTransfer = 135, kVersion = 137, kSystemInfo = 145,
    kTipNew = 152, kTipOpen = 153, kTipSaveAs = 154, kTipPrint = 155, kTipSettings = 156, kTipGraphSettings = 157,
    kTipFont = 158, kTipSaveSettings = 159, kTipLog = 160, kTipReceive = 161, kTipTransfer = 162,
    kTipDisconnect = 163, kTipTerminal = 164, kTipCopy = 165, kReadMeasurements = 208, kLogMeasurements = 210,
    kStopLogging = 211, kSaveSettingsAs = 213, kReadSettings = 214, kView = 218, kGraphs = 219, kTable = 220,
    kValues = 221, kOpened = 277, kDatestamped = 230, kOverwrite = 17, kDataFiles = 81, kFileToSaveAs = 85,
    kFileToOpen = 86, kLoading = 80, kSelectAll = 63, kDeselectAll = 64, kInvert = 65, kEditInfo = 92,
    kRelativeClock = 205, kReferencePoint = 206, kExclude = 278, kAllFiles = 114, kOpenTextFile = 227,
    kSaveTextFile = 228,
};
const char* const kPanelKeys[MainWindow::kPanelCount] = {"Settings", "PollTime", "LogTime", "LogCounter", "Messages"};
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
    tableWin_->questionHandler = editCmds_->ask;
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
    graphs_->printRecorder = [this](GraphWindow& graph) { PrintRecorder(PrintSetup(), graph); };
    graphs_->helpHandler = [this](const QString& topic) { ShowHelpTopic(topic); };
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
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    resize(1100, 720);
    RebuildValueWindows();
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
    fileMenu_->addSeparator();
    actExit_ = fileMenu_->addAction(QString(), this, &QWidget::close);
    connect(actNew_, &QAction::triggered, this, [this] { fileCmds_->New(); });
    connect(actOpen_, &QAction::triggered, this, [this] { fileCmds_->Open(); });
    connect(actSaveAs_, &QAction::triggered, this, [this] { fileCmds_->SaveAs(); });
    connect(actSaveSettings_, &QAction::triggered, this, [this] { configCmds_->Save(); });
    connect(actSaveSettingsAs_, &QAction::triggered, this, [this] { configCmds_->SaveAs(); });
    connect(actReadSettings_, &QAction::triggered, this, [this] { configCmds_->Read(); });
    recentSeparator_ = fileMenu_->insertSeparator(actExit_);
    connect(actPrint_, &QAction::triggered, this, [this] { PrintCommand(PrintSetup()); });
    connect(actPrinterSettings_, &QAction::triggered, this, [this] { PrinterSettingsCommand(PrintSetup()); });

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
    actMeasure_ = dataMenu_->addAction(ToolbarIcon(QStringLiteral("ImageConnect")), QString(), this,
                                       [this] { conn_->mnuDataMeasure_Click(); });
    actLog_ = dataMenu_->addAction(ToolbarIcon(QStringLiteral("ImageLog")), QString(), this, [this] {
        InstellenKnoppenData();
        if (actLog_->isEnabled())
            conn_->mnuDatalogging_Click();
    });
    actReceive_ = dataMenu_->addAction(ToolbarIcon(QStringLiteral("Receive")), QString(), this, [this] {
        InstellenKnoppenData();
        if (actReceive_->isEnabled()) {
            // A logger print is received at full speed: the graphs wait and are rebuilt after it.
            if (!s_.ReceiveMode)
                graphs_->SetReceiving(true);
            conn_->mnuDataReceive_Click(); // returns when Receive has ended (or was only switched off)
            if (!s_.ReceiveMode && graphs_->Receiving())
                graphs_->SetReceiving(false);
        }
        RefreshIndications();
    });
    actTransfer_ = dataMenu_->addAction(ToolbarIcon(QStringLiteral("Transfer")), QString(), this, [this] {
        InstellenKnoppenData();
        if (actTransfer_->isEnabled())
            conn_->mnuDataTransfer_Click();
        RefreshIndications();
    });
    dataMenu_->addSeparator();
    actSettings_ = dataMenu_->addAction(ToolbarIcon(QStringLiteral("Settings")), QString(), this,
                                        [this] { OpenSettings(false); });
    for (QAction* a : {actMeasure_, actLog_, actReceive_, actTransfer_})
        a->setCheckable(true);

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
    actAbout_ = helpMenu_->addAction(QString(), this, [this] { ShowAbout(false); });
    actSystemInfo_ = helpMenu_->addAction(QString(), this, [this] { ShowAbout(true); });
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
    toolBar_->addAction(actMeasure_);
    toolBar_->addAction(actLog_);
    toolBar_->addAction(actReceive_);
    toolBar_->addAction(actTransfer_);
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

void MainWindow::BuildStatusBar()
{
    for (int i = 0; i < kPanelCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QLatin1String(kPanelKeys[i]));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(i == 0 ? 160 : 90);
        label->setContentsMargins(4, 0, 4, 0);
        statusBar()->addWidget(label, i == kPanelCount - 1 ? 1 : 0);
        panels_[size_t(i)] = label;
        if (i == 0)
            label->installEventFilter(this); // a click opens the settings on their first page
    }
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
    actMeasure_->setText(lang_[kReadMeasurements]);
    actReceive_->setText(lang_[kReceive]);
    actTransfer_->setText(lang_[kTransfer]);
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
    actReceive_->setToolTip(lang_[kTipReceive]);
    actTransfer_->setToolTip(lang_[kTipTransfer]);
    actViewTerminal_->setToolTip(lang_[kTipTerminal]);
    Q_UNUSED(kTipGraphSettings);
    Q_UNUSED(kTipCopy);
    Q_UNUSED(kTipLog);
    Q_UNUSED(kTipDisconnect);
    for (int ch = 1; ch < int(valueSubs_.size()); ++ch)
        if (ValueWindow* v = Value(ch))
            v->LaadStrings();
    ZetTitel();
    RefreshIndications();
}

ValueWindow* MainWindow::Value(int channel) const
{
    if (channel < 1 || channel >= int(valueSubs_.size()) || !valueSubs_[size_t(channel)])
        return nullptr;
    return qobject_cast<ValueWindow*>(valueSubs_[size_t(channel)]->widget());
}

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
    RebuildValueWindows();
    tableWin_->StelTabelIn();
    graphs_->Reinitialise(); // inputs name the new device's channels
    ZetTitel();
    RefreshIndications();
}

void MainWindow::RebuildValueWindows()
{
    for (auto& sub : valueSubs_)
        if (sub)
            sub->deleteLater();
    valueSubs_.assign(size_t(s_.ChannelCount) + 1, nullptr);
    for (int ch = 1; ch <= s_.ChannelCount; ++ch) {
        auto* value = new ValueWindow(s_, lang_, ch);
        QMdiSubWindow* sub = mdi_->addSubWindow(value);
        sub->setWindowIcon(ToolbarIcon(QStringLiteral("App")));
        sub->resize(260, 130);
        valueSubs_[size_t(ch)] = sub;
        value->LaadStrings();
        connect(value, &ValueWindow::AlarmDialogRequested, this, [this, value](int) {
            RunAlarmDialog(s_, lang_, *value, tableWin_, this, [this](const QString& t) { ShowHelpTopic(t); });
        });
        connect(value, &ValueWindow::ClosedByUser, this, [this](int) {
            s_.ConfigChanged = true; // the channel's window is no longer shown
            RetileWindows();
        });
        ApplyFrameStyle(sub);
        sub->setVisible(s_.ChannelInUse(ch) && s_.Channel(ch).Value);
        layoutKeeper_->Watch(sub);
    }
    RetileWindows();
}

void MainWindow::ZetTitel()
{
    QString file = s_.LogFileName;
    if (!s_.FolderData.isEmpty() && file.startsWith(s_.FolderData, Qt::CaseInsensitive))
        file = file.mid(s_.FolderData.size());
    while (file.startsWith(QLatin1Char('/')) || file.startsWith(QLatin1Char('\\')))
        file.remove(0, 1);
    file = file.toLower();
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

void MainWindow::InstellenKnoppenData()
{
    actMeasure_->setEnabled(true);
    actReceive_->setEnabled(true);
    actTransfer_->setEnabled(true);
    actLog_->setEnabled(false);
    for (QAction* a : {actMeasure_, actLog_, actReceive_, actTransfer_})
        a->setChecked(false);
    if (s_.Connected) {
        actMeasure_->setChecked(true);
        actLog_->setChecked(s_.LogActive);
        actLog_->setEnabled(!s_.LogMode);
        actReceive_->setEnabled(false);
        actTransfer_->setEnabled(false);
    } else if (s_.ReceiveMode) {
        actReceive_->setChecked(true);
        actMeasure_->setEnabled(false);
        actTransfer_->setEnabled(false);
    } else if (s_.TransferMode) {
        actTransfer_->setChecked(true);
        actMeasure_->setEnabled(false);
        actReceive_->setEnabled(false);
    }
}

void MainWindow::SetPanelStyle(int panel, bool active)
{
    QLabel* l = panels_[size_t(panel - 1)];
    l->setEnabled(active);
    l->setFrameStyle(QFrame::Panel | (active ? QFrame::Sunken : QFrame::Raised));
}

void MainWindow::RefreshIndications()
{
    InstellenKnoppenData();
    const bool connected = s_.Connected && actMeasure_->isEnabled();
    actMeasure_->setIcon(ToolbarIcon(connected ? QStringLiteral("ImageDisconnect") : QStringLiteral("ImageConnect")));
    actMeasure_->setToolTip(connected ? lang_[kTipDisconnect] : lang_[kReadMeasurements]);
    actLog_->setIcon(ToolbarIcon(s_.LogActive ? QStringLiteral("ImageLogging") : QStringLiteral("ImageLog")));
    actLog_->setText(s_.LogActive ? lang_[kStopLogging] : lang_[kLogMeasurements]);
    actLog_->setToolTip(lang_[kTipLog]);
    panels_[0]->setText(s_.SerialPort + QStringLiteral(", ") + s_.Baudrate + QStringLiteral(" bps."));
    if (!s_.LogActive)
        panels_[2]->setText(FormatSecondsAsTime(s_.LogInterval, s_.TimeSeparator));
    SetPanelStyle(2, s_.Connected);
    SetPanelStyle(3, s_.Connected && s_.LogActive);
    if (s_.Connected && panels_[3]->text().isEmpty())
        panels_[3]->setText(QStringLiteral("Log# ") + QString::number(s_.LogCount));
    for (int ch = 1; ch < int(valueSubs_.size()); ++ch)
        if (ValueWindow* v = Value(ch))
            v->SetColors();
}

RecordViews& MainWindow::Recorder() { return *recorder_; }

bool MainWindow::ShowReport(const DataFileReport& r)
{
    if (!r.ok && r.showMessage)
        ShowWarning(r.title, r.message);
    if ((!r.ok || r.recovered) && !r.status.isEmpty())
        SetPanelText(PanelMessages, r.status);
    return r.ok;
}

void MainWindow::TerminalAppend(const QString& text, ColorValue color) { terminalWin_->ToevoegenTextBox(text, color); }

bool MainWindow::StartNewDataFile() { return fileCmds_->NewForReceive(); }

QString MainWindow::ChooseFile(const QString& title, const QString& folder, const QString& filter, bool save)
{
    if (fileChooser)
        return fileChooser(title, folder, filter, save);
    QFileDialog dialog(this, title, folder, filter);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The overwrite question is the program's own, with its own wording.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

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
        return WriteSettings(s_, lang_, *layout_);
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
    h.progress = [this](int percent) {
        if (percent < 0) {
            loadProgress_ = new QProgressDialog(lang_[kLoading], QString(lang_[40]).remove(QLatin1Char('&')), 0, 100, this);
            loadProgress_->setWindowModality(Qt::WindowModal);
            loadProgress_->setMinimumDuration(300);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return true;
        }
        if (percent > 100) {
            QApplication::restoreOverrideCursor();
            delete loadProgress_;
            return true;
        }
        if (!loadProgress_)
            return true;
        loadProgress_->setValue(percent);
        QCoreApplication::processEvents();
        return !loadProgress_->wasCanceled();
    };
    h.inform = [this](const QString& title, const QString& text) {
        if (warningHandler)
            warningHandler(title, text);
        else
            QMessageBox::information(this, title, text);
    };
    fileCmds_ = new DataFileCommands(s_, lang_, *dataFile_, *table_, *tableWin_, std::move(h), this);
}

QString MainWindow::AskTransferFileName()
{
    if (transferFileChooser)
        return transferFileChooser();
    QFileDialog dialog(this, lang_[kFileToSaveAs], s_.FolderData, lang_[115] + QStringLiteral(" (*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
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

void MainWindow::SetPanelText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= kPanelCount)
        panels_[size_t(panel - 1)]->setText(text);
}

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

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == panels_[0] && event->type() == QEvent::MouseButtonRelease) {
        s_.SettingsTab = 0;
        OpenSettings(false);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

SettingsHooks MainWindow::MakeSettingsHooks(bool firstStart)
{
    SettingsHooks h;
    h.suspend = [this] {
        conn_->TimerOpvragen.stop();
        conn_->SluitCommPoort();
    };
    h.scanPorts = [this] { return conn_->ZoekSerielePoorten(); };
    h.initPort = [this] {
        conn_->initCommPoort();
        const bool ok = conn_->ActionResult() != Connection::ResultFailed;
        conn_->PlaatsAanduidingenCOM(); // a running measurement ticks on
        return ok;
    };
    h.configurePort = [this] {
        conn_->InstellenCommPoort();
        conn_->PlaatsAanduidingenCOM();
    };
    h.setDevice = [this](const QString& name) { SetDevice(name); };
    h.rebuildTable = [this] { tableWin_->StelTabelIn(); };
    h.showValueWindows = [this] {
        for (const auto& sub : valueSubs_)
            ApplyFrameStyle(sub);
        ApplyFrameStyle(terminalSub_);
        ShowValueWindows();
    };
    if (firstStart) {
        // A first set-up is written where the configuration belongs, not asked for.
        h.saveSettingsAs = [this] {
            CollectLayout();
            const CommandOutcome out = WriteSettings(s_, lang_, *layout_);
            if (!out.Ok)
                ShowWarning(QStringLiteral("VAM"), out.Message);
        };
    } else {
        h.saveSettingsAs = [this] { configCmds_->SaveAs(); };
    }
    h.testTableAlarms = [this](int channel) { RunTableAlarmTest(s_, lang_, *tableWin_, channel, false, this); };
    h.savePreferences = [this] {
        if (!store_)
            return;
        store_->SaveSettingsTab(s_.SettingsTab);
        store_->SaveAutoArrange(s_.AutoArrange);
        store_->SaveExtendFrame(s_.ExtendFrame);
    };
    h.showHelp = [this](const QString& topic) { ShowHelpTopic(topic); };
    h.retranslate = [this] {
        LaadStrings();
        graphs_->Reinitialise();
    };
    if (warningHandler)
        h.warning = warningHandler;
    return h;
}

bool MainWindow::OpenSettings(bool firstStart)
{
    if (settingsRunner)
        return settingsRunner(firstStart);
    const bool ok = RunSettingsDialog(s_, lang_, MakeSettingsHooks(firstStart), this);
    if (ok) {
        s_.ConfigChanged = true;
        graphs_->SetColors();
        tableWin_->SetColor();
        terminalWin_->SetColors();
        ZetTitel();
        RefreshIndications();
        RetileWindows();
    }
    return ok;
}

void MainWindow::ShowValueWindows()
{
    // The windows stay as they are (values shown, fonts chosen); hidden ones come back.
    for (int ch = 1; ch <= s_.ChannelCount && ch < int(valueSubs_.size()); ++ch) {
        QMdiSubWindow* sub = valueSubs_[size_t(ch)];
        if (!sub || !s_.ChannelInUse(ch))
            continue;
        s_.Channel(ch).Value = true;
        if (sub->isHidden()) {
            sub->show();
            s_.ConfigChanged = true;
        }
    }
    RetileWindows();
}

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

void MainWindow::ShowAbout(bool systemInfo)
{
    AboutDialog about(s_, lang_, MachineFacts::Current(), this);
    if (systemInfo)
        about.ShowSystemInfo();
    if (aboutRunner)
        aboutRunner(about);
    else
        about.exec();
}

void MainWindow::ShowHelpTopic(const QString& topic)
{
    const QString path = HelpTopicPath(s_.FolderHelp, s_.LanguageIndex, topic);
    if (path.isEmpty()) {
        ShowWarning(QStringLiteral("VAM"), QStringLiteral("The Help-files are not available!"));
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (urlOpener)
        urlOpener(url);
    else
        QDesktopServices::openUrl(url);
}

void MainWindow::ShowWarning(const QString& title, const QString& text)
{
    if (warningHandler)
        warningHandler(title, text);
    else
        QMessageBox::warning(this, title, text);
}

UserPrompts::Answer MainWindow::AskRetryCancel(const QString& title, const QString& text)
{
    if (retryHandler)
        return retryHandler(title, text);
    const auto b = QMessageBox::critical(this, title, text, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
    return b == QMessageBox::Retry ? Retry : Cancel;
}

bool MainWindow::ScanProgress(const QString& caption, int position, int maximum)
{
    if (!progress_) {
        progress_ = new QProgressDialog(lang_[300].trimmed(), QString(lang_[40]).remove(QLatin1Char('&')), 0, maximum, this);
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(0);
    }
    progress_->setWindowTitle(caption);
    progress_->setMaximum(maximum);
    progress_->setValue(position);
    QCoreApplication::processEvents();
    return !progress_->wasCanceled();
}

void MainWindow::ScanFinished()
{
    if (progress_)
        progress_->deleteLater();
}

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

int MainWindow::Ask(const QString& title, const QString& text, bool withCancel)
{
    if (questionHandler)
        return questionHandler(title, text, withCancel);
    auto buttons = QMessageBox::Yes | QMessageBox::No;
    if (withCancel)
        buttons |= QMessageBox::Cancel;
    return QMessageBox::question(this, title.isEmpty() ? QStringLiteral("VAM") : title, text, buttons);
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
    if (!SaveHeldBackRecords(mayAsk))
        return false;
    if (store_) {
        // The set-up is written without asking, as the user left it.
        CollectLayout();
        const CommandOutcome out = WriteSettingsAtExit(s_, lang_, *layout_);
        if (!out.Ok) {
            if (mayAsk)
                ShowWarning(QStringLiteral("VAM"), out.Message);
            else
                std::fprintf(stderr, "vam: %s\n", qPrintable(out.Message));
        }
        store_->Sync();
    }
    return true;
}

bool MainWindow::SaveHeldBackRecords(bool mayAsk)
{
    if (dataFile_->PendingRecords() == 0)
        return true;
    dataFile_->RetryPending(); // the folder may be back (a USB stick plugged in again)
    const int left = dataFile_->PendingRecords();
    if (left == 0)
        return true;
    const QString target = dataFile_->AppendTarget();
    if (!mayAsk) {
        // Nobody to ask: the whole table goes to a file of its own, in the
        // first folder that takes it.
        for (const QString& folder : {s_.FolderData, s_.DocumentsFolder, QDir::homePath(), QDir::tempPath()}) {
            const QString path = RecoveryFileName(folder, target, NowDays());
            if (!folder.isEmpty() && dataFile_->SaveTableAs(*table_, path).ok) {
                std::fprintf(stderr, "vam: %d records could not be written to '%s'; the table was saved as '%s'\n",
                             left, qPrintable(target), qPrintable(path));
                return true;
            }
        }
        std::fprintf(stderr, "vam: %d records could not be written to '%s' and are lost\n", left, qPrintable(target));
        return true;
    }
    const QString question =
        QStringLiteral("%1 logged records could not be written to '%2'.\r\n\r\n"
                       "Save the table under another name before the program ends?\r\n"
                       "(No ends the program without them; Cancel keeps it running.)")
            .arg(left)
            .arg(QDir::toNativeSeparators(target));
    for (;;) {
        const int answer = Ask(QStringLiteral("VAM"), question, true);
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer != QMessageBox::Yes)
            return true;
        QString chosen;
        if (saveTableChooser)
            chosen = saveTableChooser();
        else {
            QFileDialog dialog(this, lang_[kFileToSaveAs], s_.DocumentsFolder, lang_[kDataFiles] + QStringLiteral(" (*.vam)"));
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setDefaultSuffix(QStringLiteral("vam"));
            if (dialog.exec() == QDialog::Accepted)
                chosen = dialog.selectedFiles().value(0);
        }
        if (!chosen.isEmpty() && ShowReport(dataFile_->SaveTableAs(*table_, chosen)))
            return true;
    }
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
    if (s_.Connected || s_.ReceiveMode || s_.TransferMode)
        conn_->StopVerbinding();
    if (conn_->InCycle()) {
        // Read settings chosen while a reply is awaited: the old cycle ends
        // (the port is closed) before the new set-up opens the port again.
        conn_->RunAfterCycle([this] { StartupPass(); });
        return;
    }
    const LayoutKeeper::Quiet quiet(*layoutKeeper_);
    BeginStartupPass(s_, lang_, *env_);
    ResolveConfigFileName(s_, *store_, env_->ProgramFolder);
    ApplyCommandLine(s_, *options_);
    if (!options_->FileName.isEmpty())
        // Names typed later (a relative file name) are taken beside the named file.
        QDir::setCurrent(QFileInfo(options_->FileName).absolutePath());
    ConfigReport report;
    const ConfigReadStatus status = ReadConfig(s_, lang_, *layout_, s_.ConfigFileName, &report);
    if (status == ConfigReadStatus::NoFile)
        s_.Points = kDefaultPointsNewConfig; // a new configuration
    else if (status == ConfigReadStatus::OpenFailed || status == ConfigReadStatus::ReadFailed)
        ShowWarning(QStringLiteral("VAM"), lang_[51] + s_.ConfigFileName + QStringLiteral("' !"));
    if (s_.LogCount == 0 && table_->Count() > 0)
        tableWin_->InitieerTabel(); // the rows of the old set-up are gone with their count

    // What the command line chose for this run.
    // (vam refuses a --model that names no model before a window opens.)
    if (const QString model = ValidateDeviceName(options_->Model); !model.isEmpty())
        s_.DeviceName = model;
    if (options_->Listen)
        s_.PollValues = false;
    for (const QString& m : EnsureFolders(s_, lang_))
        ShowWarning(QStringLiteral("VAM"), m);
    const HelpInstallResult help = InstallHelpFiles(s_.FolderHelp, HelpArchiveFolders(env_->ProgramFolder));
    if (!help.Errors.isEmpty())
        ShowWarning(QStringLiteral("error"), help.Errors.join(QLatin1Char('\n')));
    ApplyStartupFallbacks(s_, NowDays());
    SetDevice(s_.DeviceName);
    LaadStrings();
    if (status == ConfigReadStatus::NoFile) {
        // A first start: the user sets the program up before it measures,
        // and that set-up becomes the configuration.
        show();
        if (OpenSettings(true)) {
            CollectLayout();
            const CommandOutcome out = WriteSettings(s_, lang_, *layout_);
            if (!out.Ok)
                ShowWarning(QStringLiteral("VAM"), out.Message);
        }
    }
    LoadRecentFilesMenu();
    const StartDataFilePlan plan = PlanStartDataFile(s_, NowDays());
    if (plan.Load) {
        const QString configured = s_.LogFileName;
        s_.LogFileName = plan.LoadName;
        ShowReport(dataFile_->OpenDataFile(*table_, plan.RangeName).report);
        s_.LogFileName = configured;
        tableWin_->StelTabelIn();
    }
    if (plan.Recent)
        UpdateRecentFiles(*store_, s_, s_.LogFileName);
    ShowTable(s_.TableVisible);
    ShowTerminal(s_.TerminalVisible);
    ApplyLayout();
    RetileWindows(); // when the windows are arranged automatically
    conn_->initCommPoort();
    const bool connect = FinishStartupPass(s_) || options_->Connect;
    const bool logAtStart = s_.LogActive;
    s_.LogActive = false;
    if (connect) {
        conn_->mnuDataMeasure_Click();
        if (s_.Connected && logAtStart)
            conn_->mnuDatalogging_Click();
    }
    ZetTitel();
    RefreshIndications();
}

ChildWindows MainWindow::Children() const
{
    ChildWindows c;
    c.Values.assign(valueSubs_.begin(), valueSubs_.end());
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

void MainWindow::LoadRecentFilesMenu()
{
    qDeleteAll(recentActions_);
    recentActions_.clear();
    if (!store_)
        return;
    int n = 0;
    for (const RecentFileItem& item : LoadRecentFiles(*store_, s_)) {
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(++n).arg(item.Caption), this);
        const QString path = item.Path;
        connect(a, &QAction::triggered, this, [this, path] { fileCmds_->OpenRecent(path); });
        fileMenu_->insertAction(recentSeparator_, a);
        recentActions_ << a;
    }
}

PrintHooks MainWindow::PrintSetup()
{
    PrintHooks h;
    h.state = &s_;
    h.language = &lang_;
    h.parent = this;
    h.activeWindow = [this]() -> QWidget* {
        QMdiSubWindow* sub = mdi_->activeSubWindow();
        return sub ? sub->widget() : nullptr;
    };
    h.valueWindows = [this] {
        std::vector<ValueWindow*> wins;
        for (int ch = 1; ch < int(valueSubs_.size()); ++ch)
            if (ValueWindow* v = Value(ch))
                wins.push_back(v);
        return wins;
    };
    h.graphs = [this] {
        std::vector<GraphWindow*> wins;
        for (QMdiSubWindow* sub : graphs_->Windows())
            if (auto* g = qobject_cast<GraphWindow*>(sub->widget()))
                wins.push_back(g);
        return wins;
    };
    h.table = [this] { return tableWin_; };
    h.saveConfiguration = [this] { return configCmds_->Save(); };
    if (pdfChooser)
        h.askPdfPath = pdfChooser;
    h.showHelp = [this](const QString& topic) { ShowHelpTopic(topic); };
    h.showMessage = [this](const QString& text) { ShowWarning(QStringLiteral("VAM"), text); };
    return h;
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
