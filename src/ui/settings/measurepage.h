#pragma once
// The Measure page of the settings dialog: the device, its unit, polling and
// the channel grid (which channels are used and shown as values).

#include <QWidget>

class IntervalBox;
class LanguageTable;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QTableWidget;
class SettingsModel;

class MeasurePage : public QWidget {
    Q_OBJECT
public:
    MeasurePage(SettingsModel& model, const LanguageTable& language, QWidget* parent = nullptr);

    void LaadStrings();
    void InitCboToestel();
    void InitialiseerKanaalOpties();
    void ZetComboUnitIndex();

    QComboBox* DeviceList() const { return cboToestel_; }
    QComboBox* UnitList() const { return comboUnit_; }
    QCheckBox* PollCheck() const { return checkOpvragen_; }
    IntervalBox* PollInterval() const { return pollBox_; }
    QTableWidget* ChannelGrid() const { return channels_; }

Q_SIGNALS:
    // The user chose another device and the model took it; this page's
    // channel rows and unit follow after the signal.
    void deviceChosen();

private:
    void DeviceChosen(const QString& name);

    SettingsModel& model_;
    const LanguageTable& lang_;
    bool filling_ = false; // lists being built: their signals are not the user's

    QLabel *lblDevice_ = nullptr, *lblUnit_ = nullptr, *helpMeasure_ = nullptr;
    QComboBox* cboToestel_ = nullptr;
    QComboBox* comboUnit_ = nullptr;
    QCheckBox* checkOpvragen_ = nullptr;
    IntervalBox* pollBox_ = nullptr;
    QGroupBox* channelsFrame_ = nullptr;
    QTableWidget* channels_ = nullptr;
};
