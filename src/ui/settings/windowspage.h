#pragma once
// The Windows page of the settings dialog: manual tiling with its counts and
// size factors per kind of window, the extended frame and auto-arrange.

#include <QWidget>

class LanguageTable;
class QCheckBox;
class QLabel;
class SettingsModel;

class WindowsPage : public QWidget {
    Q_OBJECT
public:
    WindowsPage(SettingsModel& model, const LanguageTable& language, QWidget* parent = nullptr);

    void LaadStrings();
    // The switches from the draft; the tiling boxes follow the manual one.
    void InitArrangeWindows();

    QCheckBox* ManualCheck() const { return checkManual_; }
    QCheckBox* ExtendFrameCheck() const { return checkExtendFrame_; }
    QCheckBox* AutoArrangeCheck() const { return checkAutoArrange_; }

private:
    SettingsModel& model_;
    const LanguageTable& lang_;

    QLabel *helpWindows_ = nullptr, *lblTileHor_ = nullptr, *lblTileVer_ = nullptr, *lblPerRow_ = nullptr,
           *lblHeight_ = nullptr, *lblPerCol_ = nullptr, *lblWidth_ = nullptr;
    QLabel *lblValueRow_ = nullptr, *lblGraphRow_ = nullptr, *lblTableRow_ = nullptr, *lblTerminalRow_ = nullptr;
    QWidget* arrangeGrid_ = nullptr;
    QCheckBox *checkManual_ = nullptr, *checkExtendFrame_ = nullptr, *checkAutoArrange_ = nullptr;
};
