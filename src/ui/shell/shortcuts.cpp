#include "ui/shell/shortcuts.h"

#include "ui/shell/editcommands.h"
#include "ui/shell/mainwindow.h"

#include <QAction>
#include <QKeySequence>

void ApplyDesktopShortcuts(MainWindow& w)
{
    const struct {
        QAction* action;
        QKeySequence key;
    } keys[] = {
        {w.NewAction(), QKeySequence::New},
        {w.OpenAction(), QKeySequence::Open},
        {w.SaveSettingsAction(), QKeySequence::Save},
        {w.PrintAction(), QKeySequence::Print},
        {w.ExitAction(), QKeySequence(Qt::CTRL | Qt::Key_Q)}, // Quit has no binding on some desktops
        {w.Edit().CopyAction(), QKeySequence::Copy},
        {w.Edit().SelectAllAction(), QKeySequence::SelectAll},
        {w.Edit().DeleteAction(), QKeySequence::Delete},
        {w.ContentsAction(), QKeySequence::HelpContents},
    };
    // Text boxes (the terminal, a dialog's fields) keep their own editing
    // keys: they claim them before a window shortcut fires.
    for (const auto& k : keys)
        k.action->setShortcut(k.key);
}
