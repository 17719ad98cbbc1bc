#pragma once
// Keeps the window set-up the user arranges: takes the placement, state and
// fonts of the main window and its child windows into a ConfigLayout before
// the configuration is written, puts them back after it was read, and marks
// the configuration changed when the user moves or resizes a window.

#include "core/model/colors.h"

#include <QObject>
#include <QPointer>
#include <vector>

class QFont;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QWidget;
struct AppState;
struct ConfigLayout;
struct FontSpec;
struct WindowPlacement;
class TableWindow;
class TerminalWindow;

// The child windows as the main window holds them.
struct ChildWindows {
    std::vector<QMdiSubWindow*> Values; // by channel, [0] unused, null for none
    QMdiSubWindow* Table = nullptr;
    QMdiSubWindow* Terminal = nullptr;
};

// Lengths in the file are twips: 15 to a pixel.
WindowPlacement PlacementOf(const QRect& normal, bool minimised, bool maximised);
FontSpec FontSpecOf(const QFont& font, ColorValue color);
QFont FontOf(const FontSpec& spec, const QFont& base);

class LayoutKeeper : public QObject {
    Q_OBJECT
public:
    LayoutKeeper(AppState& state, QMainWindow& main, QMdiArea& area, QObject* parent = nullptr);

    // Follows a child window: its normal geometry is remembered (a minimised
    // or maximised window is stored with the size it comes back to) and a
    // move or resize outside a Quiet scope marks the configuration changed.
    void Watch(QMdiSubWindow* sub);

    // Moves made by the program itself (start-up, arranging) do not count as
    // the user's changes while one of these lives.
    class Quiet {
    public:
        explicit Quiet(LayoutKeeper& k) : k_(k) { ++k_.quiet_; }
        ~Quiet() { --k_.quiet_; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        LayoutKeeper& k_;
    };
    bool IsQuiet() const { return quiet_ > 0; }

    void Collect(ConfigLayout& layout, const ChildWindows& children) const;
    // Placements are checked against the room they must fit in; one that
    // does not fit becomes a normal window at 0, 0 with the screen's size.
    void Apply(const ConfigLayout& layout, const ChildWindows& children);

    // Arranges the shown child windows by the arrangement settings (value
    // windows first, in channel order); true when one moved.
    bool Arrange(const ChildWindows& children);
    // The frame of a value or terminal window by the "Extend frame" option.
    void ApplyFrameStyle(QMdiSubWindow* sub);

    // The main window moved or was resized by the user.
    void MainWindowChanged(bool spontaneous);

    // One watched child window's placement in the normal state (with the
    // state it is in), and a stored placement put back, checked as Apply
    // checks it; for windows kept outside ChildWindows (the graphs).
    WindowPlacement Take(const QMdiSubWindow* sub) const;
    void ApplyPlacement(QMdiSubWindow* sub, const WindowPlacement& stored);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect NormalGeometry(const QMdiSubWindow* sub) const;

    AppState& s_;
    QMainWindow& main_;
    QMdiArea& area_;
    int quiet_ = 0;
};
