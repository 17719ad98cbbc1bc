#include "ui/shell/recentfilesmenu.h"

#include <QAction>
#include <QMenu>

RecentFilesMenu::RecentFilesMenu(QMenu& menu, QAction* last, std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), menu_(menu), above_(menu.insertSeparator(last)), below_(menu.insertSeparator(last)),
      open_(std::move(open))
{
    above_->setVisible(false);
}

void RecentFilesMenu::Show(const QList<RecentFileItem>& items)
{
    qDeleteAll(actions_);
    actions_.clear();
    int n = 0;
    for (const RecentFileItem& item : items) {
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(++n).arg(item.Caption), this);
        const QString path = item.Path;
        connect(a, &QAction::triggered, this, [this, path] { open_(path); });
        menu_.insertAction(below_, a);
        actions_ << a;
    }
    above_->setVisible(!actions_.isEmpty());
}
