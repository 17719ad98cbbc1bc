#pragma once
// The Data menu's acquisition commands: Measure, Log, Receive and Transfer,
// as menu entries and toolbar buttons whose enabled, checked, icon and text
// states follow the connection's mode.

#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QMenu;
struct AppState;
class LanguageTable;
class Connection;
class GraphManager;

class DataCommands : public QObject {
    Q_OBJECT
public:
    DataCommands(AppState& state, const LanguageTable& language, Connection& conn, GraphManager& graphs,
                 std::function<void()> refresh, QObject* parent = nullptr);

    // The four entries, in menu order.
    void AddTo(QMenu* menu);
    // Enabled and checked states by the mode (InstellenKnoppenData).
    void UpdateStates();
    // States, icons, texts and tooltips that follow the mode.
    void Refresh();
    void LaadStrings();

    QAction* Measure() const { return measure_; }
    QAction* Log() const { return log_; }
    QAction* Receive() const { return receive_; }
    QAction* Transfer() const { return transfer_; }

    // The commands that would change the data file or the set-up under a
    // running logger print or capture (File > New, Open, the recent files...):
    // disabled while Receive or Transfer runs.
    std::function<QList<QAction*>()> fileActions;

private:
    AppState& s_;
    const LanguageTable& lang_;
    Connection& conn_;
    GraphManager& graphs_;
    std::function<void()> refresh_;
    QAction *measure_ = nullptr, *log_ = nullptr, *receive_ = nullptr, *transfer_ = nullptr;
};
