#include "ui/graphs/graphmanager.h"

#include "core/model/appstate.h"
#include "core/config/configlayout.h"
#include "core/graphs/graphmodel.h"
#include "core/help/languagetable.h"
#include "platform/ui/icons.h"
#include "ui/graphs/graphsettingsdialog.h"
#include "ui/graphs/graphwindow.h"
#include "ui/config/layoutkeeper.h"
#include "ui/logging/tablewindow.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>

namespace {
enum Texts { kGraphMenu = 20, kGraphSettings = 157, kRemove = 217, kGraphs = 219, kNewGraph = 233,
             kMaximumReached = 234, kRecorder = 243, kRemoveQuestion = 244 };
}

GraphManager::GraphManager(AppState& state, const LanguageTable& language, QMdiArea& area, const LogTable& table,
                           QObject* parent)
    : QObject(parent), s_(state), lang_(language), area_(area), table_(table)
{
    menu_ = new QMenu;
    actNew_ = new QAction(this);
    actNewRecorder_ = new QAction(this);
    actRemove_ = new QAction(this);
    actSettings_ = new QAction(ToolbarIcon(QStringLiteral("GraphSettings")), QString(), this);
    actView_ = new QAction(this);
    menu_->addAction(actNew_);
    menu_->addAction(actNewRecorder_);
    menu_->addAction(actRemove_);
    menu_->addAction(actSettings_);
    connect(actNew_, &QAction::triggered, this, [this] { RunGated(gate, [this] { NewGraph(false); }); });
    connect(actNewRecorder_, &QAction::triggered, this, [this] { RunGated(gate, [this] { NewGraph(true); }); });
    connect(actRemove_, &QAction::triggered, this, [this] { RunGated(gate, [this] { RemoveGraph(ActiveGraph()); }); });
    connect(actSettings_, &QAction::triggered, this, [this] { RunGated(gate, [this] { OpenSettings(ActiveGraph()); }); });
    connect(actView_, &QAction::triggered, this, [this] { ShowGraphs(); });
    connect(&area_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (const int slot = SlotOf(sub))
            s_.ActiveGraph = qint16(slot);
        UpdateActions();
    });
    LaadStrings();
    UpdateActions();
}

GraphManager::~GraphManager() { delete menu_; }

void GraphManager::LaadStrings()
{
    menu_->setTitle(lang_[kGraphMenu]);
    actNew_->setText(lang_[kNewGraph]);
    actNewRecorder_->setText(lang_[kRecorder]);
    actRemove_->setText(lang_[kRemove]);
    actSettings_->setText(lang_[kGraphSettings]);
    actSettings_->setToolTip(lang_[kGraphSettings]);
    actView_->setText(lang_[kGraphs]);
}

void GraphManager::UpdateActions()
{
    const bool active = ActiveGraph() != nullptr;
    actRemove_->setEnabled(active && !receiving_);
    actSettings_->setEnabled(active && !receiving_);
    actNew_->setEnabled(!receiving_);
    actNewRecorder_->setEnabled(!receiving_);
    actView_->setEnabled(Count() > 0);
    const int enabled = actSettings_->isEnabled() ? 1 : 0;
    if (enabled != settingsEnabled_) {
        settingsEnabled_ = enabled;
        Q_EMIT GraphSettingsEnabledChanged(enabled != 0);
    }
}

// ---------------------------------------------------------------- slots

GraphWindow* GraphManager::Graph(int slot) const
{
    if (slot < 1 || slot > kSlots || !Sub(slot))
        return nullptr;
    return qobject_cast<GraphWindow*>(Sub(slot)->widget());
}

int GraphManager::SlotOf(const QMdiSubWindow* sub) const
{
    for (int slot = 1; sub && slot <= kSlots; ++slot)
        if (Sub(slot) == sub)
            return slot;
    return 0;
}

GraphWindow* GraphManager::ActiveGraph() const
{
    // The active sub-window, or the last active one while a menu or dialog has the focus.
    return Graph(SlotOf(area_.activeSubWindow() ? area_.activeSubWindow() : area_.currentSubWindow()));
}

int GraphManager::Count() const
{
    int n = 0;
    for (int slot = 1; slot <= kSlots; ++slot)
        n += Sub(slot) ? 1 : 0;
    return n;
}

int GraphManager::FreeSlot() const
{
    for (int slot = 1; slot <= kSlots; ++slot)
        if (!Sub(slot))
            return slot;
    return 0;
}

std::vector<QMdiSubWindow*> GraphManager::Windows() const
{
    std::vector<QMdiSubWindow*> out;
    for (int slot = 1; slot <= kSlots; ++slot)
        if (Sub(slot))
            out.push_back(Sub(slot));
    return out;
}

GraphWindow* GraphManager::CreateWindow(int slot, bool xyRecorder)
{
    auto* graph = new GraphWindow(s_, lang_, &table_, slot);
    graph->Settings().XYrecorder = xyRecorder;
    graph->Settings().Name = GraphWindow::DefaultCaption(lang_, xyRecorder);
    QMdiSubWindow* sub = area_.addSubWindow(graph);
    sub->setWindowIcon(ToolbarIcon(QStringLiteral("GraphSettings")));
    sub->resize(480, 320);
    subs_[size_t(slot)] = sub;
    if (keeper_)
        keeper_->Watch(sub);
    graph->setEnabled(!receiving_);
    connect(graph, &GraphWindow::ClosedByUser, this, [this] {
        s_.ConfigChanged = true;
        Q_EMIT ArrangeRequested();
        UpdateActions();
    });
    connect(graph, &GraphWindow::SettingsRequested, this,
            [this](int index) { RunGated(gate, [this, index] { OpenSettings(Graph(index)); }); });
    connect(graph, &GraphWindow::TableRowSelected, this, [this](int row) {
        if (tableWindow_)
            tableWindow_->SelectRows({row});
    });
    connect(graph, &GraphWindow::RecorderFull, this, [this](int index) {
        if (printRecorder && Graph(index))
            printRecorder(*Graph(index));
    });
    s_.GraphCount = qint16(Count());
    return graph;
}

void GraphManager::Destroy(int slot)
{
    QMdiSubWindow* sub = Sub(slot);
    subs_[size_t(slot)] = nullptr;
    if (sub) {
        area_.removeSubWindow(sub);
        delete sub;
    }
    s_.GraphCount = qint16(Count());
}

void GraphManager::RemoveAll()
{
    for (int slot = 1; slot <= kSlots; ++slot)
        Destroy(slot);
    UpdateActions();
}

// ---------------------------------------------------------------- commands

GraphWindow* GraphManager::NewGraph(bool xyRecorder)
{
    const int slot = FreeSlot();
    if (slot == 0) {
        const QString title = lang_[kNewGraph];
        if (messageHandler)
            messageHandler(title, lang_[kMaximumReached]);
        else
            QMessageBox::warning(area_.window(), title, lang_[kMaximumReached]);
        return nullptr;
    }
    GraphWindow* graph = CreateWindow(slot, xyRecorder);
    graph->Model().NieuweGrafiek = true;
    graph->StelNieuweGrafiekIn();
    graph->UitschakelenMarkers();
    graph->LadenGrafiek();
    Sub(slot)->show();
    area_.setActiveSubWindow(Sub(slot));
    Q_EMIT ArrangeRequested();
    if (!OpenSettings(graph)) {
        Destroy(slot);
        UpdateActions();
        Q_EMIT ArrangeRequested();
        return nullptr;
    }
    UpdateActions();
    return graph;
}

bool GraphManager::OpenSettings(GraphWindow* graph)
{
    if (!graph)
        return false;
    s_.ActiveGraph = qint16(graph->GrafiekIndex());
    const bool wasRecorder = graph->IsRecorder();
    // Readings go on while the dialog is open: it changes the graph only at OK.
    int result = QDialog::Rejected;
    {
        GraphSettingsDialog dialog(s_, lang_, graph->Settings(), store_, area_.window());
        dialog.helpHandler = helpHandler;
        result = dialogRunner ? dialogRunner(dialog) : dialog.exec();
    }
    if (result != QDialog::Accepted)
        return false;
    s_.ConfigChanged = true;
    graph->HerInitialiseerGrafiek();
    // A recorder turned into a table graph shows the table at once.
    if (wasRecorder && !graph->IsRecorder())
        graph->LadenGrafiek();
    return true;
}

bool GraphManager::RemoveGraph(GraphWindow* graph)
{
    if (!graph)
        return false;
    const int slot = graph->GrafiekIndex();
    const QString title = graph->windowTitle();
    const bool ok = confirmHandler ? confirmHandler(title, lang_[kRemoveQuestion])
                                   : QMessageBox::question(area_.window(), title, lang_[kRemoveQuestion],
                                                           QMessageBox::Ok | QMessageBox::Cancel,
                                                           QMessageBox::Cancel) == QMessageBox::Ok;
    if (!ok)
        return false;
    Destroy(slot);
    s_.ConfigChanged = true;
    UpdateActions();
    Q_EMIT ArrangeRequested();
    return true;
}

void GraphManager::ShowGraphs()
{
    bool shown = false;
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (GraphWindow* graph = Graph(slot); graph && Sub(slot)->isHidden()) {
            graph->Settings().Zichtbaar = true;
            Sub(slot)->show();
            shown = true;
        }
    }
    if (shown) {
        s_.ConfigChanged = true;
        Q_EMIT ArrangeRequested();
    }
}

// ---------------------------------------------------------------- readings

void GraphManager::VulGrafiekAan(int logCount, bool xyRecorders)
{
    if (receiving_)
        return;
    for (int slot = 1; slot <= kSlots; ++slot) {
        GraphWindow* graph = Graph(slot);
        if (graph && graph->IsRecorder() == xyRecorders)
            graph->VulGrafiekAan(logCount);
    }
}

void GraphManager::HerladenGrafiek()
{
    for (int slot = 1; slot <= kSlots; ++slot) {
        GraphWindow* graph = Graph(slot);
        if (graph && !graph->IsRecorder())
            graph->HerladenGrafiek();
    }
}

void GraphManager::SetReceiving(bool receiving)
{
    if (receiving == receiving_)
        return;
    receiving_ = receiving;
    for (int slot = 1; slot <= kSlots; ++slot)
        if (GraphWindow* graph = Graph(slot))
            graph->setEnabled(!receiving);
    if (!receiving)
        HerladenGrafiek();
    UpdateActions();
}

void GraphManager::SetColors()
{
    for (int slot = 1; slot <= kSlots; ++slot)
        if (GraphWindow* graph = Graph(slot))
            graph->SetColors();
}

void GraphManager::Reinitialise()
{
    for (int slot = 1; slot <= kSlots; ++slot) {
        GraphWindow* graph = Graph(slot);
        if (!graph)
            continue;
        if (graph->IsRecorder())
            graph->HerInitialiseerGrafiek();
        else
            graph->HerladenGrafiek();
    }
}

// ---------------------------------------------------------------- configuration

void GraphManager::Collect(ConfigLayout& layout) const
{
    for (int slot = 1; slot <= kSlots; ++slot) {
        GraphSettings& out = layout.Graphs[size_t(slot)];
        const GraphWindow* graph = Graph(slot);
        if (!graph) {
            out = GraphSettings();
            out.GrafiekIndex = 0; // an empty slot is not written
            continue;
        }
        const QMdiSubWindow* sub = Sub(slot);
        out = graph->Settings();
        out.GrafiekIndex = qint16(slot);
        const WindowPlacement w = keeper_ ? keeper_->Take(sub)
                                          : PlacementOf(sub->geometry(), sub->isMinimized(), sub->isMaximized());
        out.Top = w.Top;
        out.Left = w.Left;
        out.Height = w.Height;
        out.Width = w.Width;
        out.WindowState = w.Status;
        out.Zichtbaar = !sub->isHidden();
    }
}

void GraphManager::Apply(const ConfigLayout& layout)
{
    RemoveAll();
    for (int slot = 1; slot <= kSlots; ++slot) {
        const GraphSettings& in = layout.Graphs[size_t(slot)];
        if (in.GrafiekIndex != slot)
            continue;
        GraphWindow* graph = CreateWindow(slot, in.XYrecorder);
        graph->Settings() = in;
        graph->Model().NieuweGrafiek = false;
        graph->HerInitialiseerGrafiek();
        graph->LadenGrafiek();
        QMdiSubWindow* sub = Sub(slot);
        sub->setVisible(in.Zichtbaar);
        WindowPlacement w;
        w.Status = in.WindowState;
        w.Top = in.Top;
        w.Left = in.Left;
        w.Height = in.Height;
        w.Width = in.Width;
        if (keeper_) {
            const LayoutKeeper::Quiet quiet(*keeper_);
            keeper_->ApplyPlacement(sub, w);
        } else if (w.Width > 0 && w.Height > 0) {
            sub->setGeometry(int(w.Left / 15), int(w.Top / 15), int(w.Width / 15), int(w.Height / 15));
        }
        s_.ActiveGraph = qint16(slot);
    }
    s_.GraphCount = qint16(Count());
    UpdateActions();
    Q_EMIT ArrangeRequested();
}
