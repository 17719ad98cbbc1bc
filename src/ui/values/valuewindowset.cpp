#include "ui/values/valuewindowset.h"

#include "core/model/appstate.h"
#include "platform/ui/icons.h"
#include "ui/config/layoutkeeper.h"
#include "ui/values/valuewindow.h"

#include <QMdiArea>
#include <QMdiSubWindow>

ValueWindowSet::ValueWindowSet(AppState& state, LanguageTable& language, QMdiArea& mdi, LayoutKeeper& keeper,
                               Hooks hooks, QObject* parent)
    : QObject(parent), s_(state), lang_(language), mdi_(mdi), keeper_(keeper), hooks_(std::move(hooks))
{
}

void ValueWindowSet::Rebuild()
{
    for (auto& sub : subs_)
        if (sub)
            sub->deleteLater();
    subs_.assign(size_t(s_.ChannelCount) + 1, nullptr);
    for (int ch = 1; ch <= s_.ChannelCount; ++ch) {
        auto* value = new ValueWindow(s_, lang_, ch);
        QMdiSubWindow* sub = mdi_.addSubWindow(value);
        sub->setWindowIcon(ToolbarIcon(QStringLiteral("App")));
        sub->resize(260, 130);
        subs_[size_t(ch)] = sub;
        value->LaadStrings();
        connect(value, &ValueWindow::AlarmDialogRequested, this, [this, value](int) { hooks_.alarmDialog(*value); });
        connect(value, &ValueWindow::ClosedByUser, this, [this](int) {
            s_.ConfigChanged = true; // the channel's window is no longer shown
            hooks_.retile();
        });
        hooks_.frameStyle(sub);
        sub->setVisible(s_.ChannelInUse(ch) && s_.Channel(ch).Value);
        keeper_.Watch(sub);
    }
    hooks_.retile();
}

void ValueWindowSet::ShowAll()
{
    // The windows stay as they are (values shown, fonts chosen); hidden ones come back.
    for (int ch = 1; ch <= s_.ChannelCount && ch < int(subs_.size()); ++ch) {
        QMdiSubWindow* sub = subs_[size_t(ch)];
        if (!sub || !s_.ChannelInUse(ch))
            continue;
        s_.Channel(ch).Value = true;
        if (sub->isHidden()) {
            sub->show();
            s_.ConfigChanged = true;
        }
    }
    hooks_.retile();
}

void ValueWindowSet::FollowChannels(const std::vector<ChannelRecord>& before)
{
    for (int ch = 1; ch < int(subs_.size()); ++ch) {
        QMdiSubWindow* sub = subs_[size_t(ch)];
        if (!sub)
            continue;
        const bool wanted = s_.ChannelInUse(ch) && s_.Channel(ch).Value;
        const bool wasWanted = size_t(ch) < before.size() && before[size_t(ch)].Use && before[size_t(ch)].Value;
        if (!wanted)
            sub->hide();
        else if (!wasWanted)
            sub->show();
    }
    hooks_.retile();
}

ValueWindow* ValueWindowSet::Value(int channel) const
{
    if (channel < 1 || channel >= int(subs_.size()) || !subs_[size_t(channel)])
        return nullptr;
    return qobject_cast<ValueWindow*>(subs_[size_t(channel)]->widget());
}

std::vector<ValueWindow*> ValueWindowSet::Windows() const
{
    std::vector<ValueWindow*> wins;
    for (int ch = 1; ch < int(subs_.size()); ++ch)
        if (ValueWindow* v = Value(ch))
            wins.push_back(v);
    return wins;
}
