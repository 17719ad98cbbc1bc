#pragma once
// The Log page of the settings dialog: the log interval, the number of points
// kept and the start-up switches.

#include <QWidget>

class IntervalBox;
class LanguageTable;
class QCheckBox;
class QLabel;
class QSpinBox;
class SettingsModel;

class LogPage : public QWidget {
    Q_OBJECT
public:
    LogPage(SettingsModel& model, const LanguageTable& language, QWidget* parent = nullptr);

    void LaadStrings();

    IntervalBox* LogInterval() const { return logBox_; }
    QSpinBox* Points() const { return points_; }
    QCheckBox* LimitToPointsCheck() const { return checkNumberOfValues_; }

private:
    SettingsModel& model_;
    const LanguageTable& lang_;

    QLabel *lblLogInterval_ = nullptr, *helpLog_ = nullptr;
    IntervalBox* logBox_ = nullptr;
    QCheckBox* checkNumberOfValues_ = nullptr;
    QSpinBox* points_ = nullptr;
    QCheckBox *checkLogAtStartup_ = nullptr, *checkLoadLastFile_ = nullptr, *checkDateStamp_ = nullptr,
              *checkStartReadAtStartup_ = nullptr;
};
