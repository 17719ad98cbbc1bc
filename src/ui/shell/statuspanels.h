#pragma once
// The main window's five-panel status bar: port and speed, poll time, log
// time, log counter and messages. A click on the first panel opens the
// settings on their first page.

#include <QObject>
#include <array>
#include <functional>

class QLabel;
class QStatusBar;
struct AppState;

class StatusPanels : public QObject {
    Q_OBJECT
public:
    static constexpr int kCount = 5;
    StatusPanels(const AppState& state, QStatusBar& bar, std::function<void()> settingsClicked,
                 QObject* parent = nullptr);
    // Panel 1..kCount.
    void SetText(int panel, const QString& text);
    // The port, the log time and the counter, raised or sunk by the mode.
    void Refresh();
    QLabel* Label(int index) const { return labels_.at(size_t(index)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetStyle(int panel, bool active);

    const AppState& s_;
    std::function<void()> settingsClicked_;
    std::array<QLabel*, kCount> labels_{};
};
