#pragma once
// The main window: a multiple-document area holding the child windows, with
// menus, toolbar and the five-panel status bar.

#include <QMainWindow>
#include <array>

class QMdiArea;
class QLabel;
struct AppState;
class LanguageTable;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 5;

    MainWindow(AppState& state, LanguageTable& language, QWidget* parent = nullptr);

    // Reloads every caption from the language table.
    void LaadStrings();
    QMdiArea* MdiArea() const { return mdi_; }
    QLabel* Panel(int index) const { return panels_.at(size_t(index)); }

private:
    AppState& state_;
    LanguageTable& lang_;
    QMdiArea* mdi_ = nullptr;
    std::array<QLabel*, kPanelCount> panels_{};
    QMenu* fileMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* exitAction_ = nullptr;
};
