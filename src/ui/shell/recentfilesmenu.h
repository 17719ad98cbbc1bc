#pragma once
// The data files opened last, as numbered entries of the File menu. They sit
// just above the menu's last command (Exit), a separator on either side, so a
// click aimed at Exit never opens an old file.

#include "core/config/startup.h"

#include <QList>
#include <QObject>
#include <functional>

class QAction;
class QMenu;

class RecentFilesMenu : public QObject {
public:
    // `last` is the menu's last command; `open` gets the path of a chosen entry.
    RecentFilesMenu(QMenu& menu, QAction* last, std::function<void(const QString& path)> open, QObject* parent);
    // The entries replaced by `items`, newest first, numbered &1, &2, ...
    void Show(const QList<RecentFileItem>& items);
    QList<QAction*> Actions() const { return actions_; }

private:
    QMenu& menu_;
    QAction* above_; // hidden without entries: one separator is left above `last`
    QAction* below_;
    std::function<void(const QString&)> open_;
    QList<QAction*> actions_;
};
