#pragma once
// The graph commands and the 16 graph slots, beside the windows they drive,
// so the main window only wires them:
//   - the actions New graph, New XY recorder, Remove and Graph settings (the
//     "&Graph" menu), View > Graphs, with their enabled state;
//   - graph windows in slots 1..16 (the lowest free one for a new graph; the
//     17th is refused with a message), whose close box hides them and whose
//     chart, activated, opens the graph settings;
//   - recorded readings to the graphs, a rebuild after the table changed,
//     graphs switched off during Receive;
//   - the graph blocks of the configuration, to and from the windows.
// Messages, the remove question and the settings dialog can be replaced
// (tests, scripted runs).

#include "ui/commandgate.h"
#include <QMdiSubWindow>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
struct AppState;
struct ConfigLayout;
class GraphSettingsDialog;
class GraphWindow;
class LanguageTable;
class LayoutKeeper;
class LogTable;
class SettingsStore;
class TableWindow;

class GraphManager : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlots = 16;

    GraphManager(AppState& state, const LanguageTable& language, QMdiArea& area, const LogTable& table,
                 QObject* parent = nullptr);
    ~GraphManager() override;

    // Optional companions: the table window (a selected point selects its
    // row), the layout keeper (placements, moves by the user), the settings
    // store (the settings dialog's last tab).
    void SetTableWindow(TableWindow* table) { tableWindow_ = table; }
    void SetLayoutKeeper(LayoutKeeper* keeper) { keeper_ = keeper; }
    void SetSettingsStore(SettingsStore* store) { store_ = store; }

    // ---- Actions and menu
    QMenu* Menu() const { return menu_; } // "&Graph": the first four actions
    QAction* NewGraphAction() const { return actNew_; }
    QAction* NewRecorderAction() const { return actNewRecorder_; }
    QAction* RemoveAction() const { return actRemove_; }
    QAction* SettingsAction() const { return actSettings_; }
    QAction* ViewGraphsAction() const { return actView_; }
    // Texts from the language table.
    void LaadStrings();
    // Remove and Graph settings need an active graph; View > Graphs a graph.
    void UpdateActions();

    // ---- Commands
    // New graph / New XY recorder: the window in the lowest free slot and its
    // settings; null when refused (16 graphs) or when the settings were cancelled.
    GraphWindow* NewGraph(bool xyRecorder);
    // Asks, then removes the graph; false when the user said Cancel.
    bool RemoveGraph(GraphWindow* graph);
    // The settings dialog for the graph; true when it ended with OK.
    bool OpenSettings(GraphWindow* graph);
    // View > Graphs: every hidden graph shown again.
    void ShowGraphs();
    // Every graph removed (a new configuration).
    void RemoveAll();

    GraphWindow* Graph(int slot) const;
    GraphWindow* ActiveGraph() const;
    int Count() const;
    // The graphs' sub-windows in slot order.
    std::vector<QMdiSubWindow*> Windows() const;

    // ---- Readings
    // A recorded reading: to the XY recorders (`xyRecorders`) or the table
    // graphs. Nothing while receiving.
    void VulGrafiekAan(int logCount, bool xyRecorders);
    // The table graphs rebuilt from the table (after loading a data file,
    // Clear, Delete or Renumber).
    void HerladenGrafiek();
    // Receive switches the graphs off; when it ends they are rebuilt.
    void SetReceiving(bool receiving);
    bool Receiving() const { return receiving_; }
    // The graph colours of the state applied to every graph.
    void SetColors();
    // Every graph set up again from its settings, the table graphs rebuilt
    // (after the device or the language changed: inputs and legends follow).
    void Reinitialise();

    // ---- Configuration
    void Collect(ConfigLayout& layout) const;
    // Replaces the graphs by those of the layout.
    void Apply(const ConfigLayout& layout);

    // Where the commands that open a dialog wait for the reading under way.
    CommandGate gate;

    // ---- Replaceable
    // The message of the 17th graph (title, text); a warning box when unset.
    std::function<void(const QString& title, const QString& text)> messageHandler;
    // The remove question (title, text): true for OK; an OK/Cancel box when unset.
    std::function<bool(const QString& title, const QString& text)> confirmHandler;
    // Runs the settings dialog and returns its result; exec() when unset.
    std::function<int(GraphSettingsDialog& dialog)> dialogRunner;
    // An XY recorder with "Print Recorder" on has filled its width (the
    // printing work prints it through the print dialog's automatic mode).
    std::function<void(GraphWindow& graph)> printRecorder;
    // The settings dialog's Help button (a topic file name).
    std::function<void(const QString& topic)> helpHandler;

Q_SIGNALS:
    // Windows were added, removed, shown or hidden: arrange them.
    void ArrangeRequested();
    // The Graph settings action changed its enabled state (toolbar button 9).
    void GraphSettingsEnabledChanged(bool enabled);

private:
    GraphWindow* CreateWindow(int slot, bool xyRecorder);
    void Destroy(int slot);
    int FreeSlot() const;
    QMdiSubWindow* Sub(int slot) const { return subs_[size_t(slot)]; }
    int SlotOf(const QMdiSubWindow* sub) const;

    AppState& s_;
    const LanguageTable& lang_;
    QMdiArea& area_;
    const LogTable& table_;
    TableWindow* tableWindow_ = nullptr;
    LayoutKeeper* keeper_ = nullptr;
    SettingsStore* store_ = nullptr;
    std::array<QPointer<QMdiSubWindow>, kSlots + 1> subs_{};
    QMenu* menu_ = nullptr;
    QAction *actNew_ = nullptr, *actNewRecorder_ = nullptr, *actRemove_ = nullptr, *actSettings_ = nullptr,
            *actView_ = nullptr;
    bool receiving_ = false;
    int settingsEnabled_ = -1; // the last state signalled
};
