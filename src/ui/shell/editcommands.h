#pragma once
// The commands that act on the active child window: the Edit menu (Copy,
// Delete, Delete All, the selection commands, Renumber, Exclude, Edit info,
// the relative clock) and Window > Font, with the toolbar buttons that share
// their actions. Each entry is enabled by the rules of the window it would
// act on; the main window only wires the actions into its menus.

#include "ui/commandgate.h"

#include <QObject>
#include <functional>

class QAction;
class QFont;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QWidget;
struct AppState;
class LanguageTable;
class TableWindow;
class TerminalWindow;
class ValueWindow;

class EditCommands : public QObject {
    Q_OBJECT
public:
    enum class Target { None, Table, Terminal, Value, Graph };

    EditCommands(AppState& state, const LanguageTable& language, QMdiArea& area, TableWindow& table,
                 TerminalWindow& terminal, QWidget* dialogParent);

    // The Edit menu's entries, in order.
    void FillMenu(QMenu* menu) const;
    void LaadStrings();

    // The window the commands act on: the current sub-window of the area.
    Target ActiveTarget() const;
    // Enables every entry by the rules of the active window.
    void Refresh();
    // A value window shows a reading: when it is the active window, Copy
    // becomes possible (its key works without opening the menu first).
    void ValueShown(ValueWindow* window);
    // The terminal's mouse rules: Copy and Delete All follow `enabled`.
    void SetTerminalEntries(bool enabled);
    // The Edit menu as the terminal's context menu, with the terminal's file
    // commands after it (the caller shows it and deletes it).
    QMenu* TerminalContextMenu(const QList<QAction*>& fileActions);

    QAction* CopyAction() const { return copy_; }
    QAction* DeleteAction() const { return delete_; }
    QAction* ClearAction() const { return clear_; } // Delete All; toolbar button 6
    QAction* SelectAllAction() const { return selectAll_; }
    QAction* DeselectAllAction() const { return deselectAll_; }
    QAction* InvertAction() const { return invert_; }
    QAction* RenumberAction() const { return renumber_; }
    QAction* ExcludeAction() const { return exclude_; }
    QAction* EditInfoAction() const { return editInfo_; }
    QAction* RelativeAction() const { return relative_; }
    QAction* ReferenceAction() const { return reference_; }
    QAction* FontAction() const { return font_; } // Window > Font; toolbar button 10

    // Replace the font dialog and the yes/no question (tests, scripted runs).
    std::function<bool(QFont& font)> fontChooser;
    std::function<int(const QString& title, const QString& text, bool withCancel)> ask;
    // Where the commands that ask or open a dialog wait for the reading under way.
    CommandGate gate;

Q_SIGNALS:
    // For the last-action panel ("Edit > Copy").
    void LastAction(const QString& text);

private:
    ValueWindow* ActiveValue() const;
    QMdiSubWindow* Active() const;
    void Copy();
    void Delete();
    void Clear();
    void ChooseFont();
    bool PickFont(QFont& font);
    QString EditCopyText() const;

    AppState& s_;
    const LanguageTable& lang_;
    QMdiArea& area_;
    TableWindow& table_;
    TerminalWindow& terminal_;
    QWidget* dialogParent_;
    QAction *copy_, *delete_, *clear_, *selectAll_, *deselectAll_, *invert_, *renumber_, *exclude_, *editInfo_,
        *relative_, *reference_, *font_;
};
