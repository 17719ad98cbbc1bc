#pragma once
// The value windows of the main window's document area, one per channel of
// the current device (index 0 unused). Rebuilt when the device changes; each
// window's alarm dialog and close box reach the rest through the hooks.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class ValueWindow;
class LayoutKeeper;
struct AppState;
struct ChannelRecord;
class LanguageTable;

class ValueWindowSet : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(ValueWindow&)> alarmDialog; // the window's alarm limits dialog
        std::function<void(QMdiSubWindow*)> frameStyle; // the frame by the "Extend frame" option
        std::function<void()> retile;                  // the windows are arranged again
    };
    ValueWindowSet(AppState& state, LanguageTable& language, QMdiArea& mdi, LayoutKeeper& keeper, Hooks hooks,
                   QObject* parent = nullptr);

    // One window per channel of the device, shown by the channel's settings.
    void Rebuild();
    // View > Values: the windows of the channels in use shown again, as they were.
    void ShowAll();
    // After the settings: a window only for a channel in use with "Value"
    // ticked; one whose switches were on already (`before`, by channel) stays
    // as the user left it, so a closed window stays closed.
    void FollowChannels(const std::vector<ChannelRecord>& before);
    ValueWindow* Value(int channel) const;
    // The windows in channel order.
    std::vector<ValueWindow*> Windows() const;
    // The sub-windows, index = channel (0 unused), for the arrangement and the layout.
    const std::vector<QPointer<QMdiSubWindow>>& SubWindows() const { return subs_; }

private:
    AppState& s_;
    LanguageTable& lang_;
    QMdiArea& mdi_;
    LayoutKeeper& keeper_;
    Hooks hooks_;
    std::vector<QPointer<QMdiSubWindow>> subs_;
};
