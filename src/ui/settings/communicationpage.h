#pragma once
// The Communication page of the settings dialog: the serial port (with the
// scan that rebuilds its list) and the baud rate.

#include <QWidget>

class LanguageTable;
class QComboBox;
class QLabel;
class QPushButton;
class SettingsModel;

class CommunicationPage : public QWidget {
    Q_OBJECT
public:
    CommunicationPage(SettingsModel& model, const LanguageTable& language, QWidget* parent = nullptr);

    void LaadStrings();
    void InitCboCommPoort();
    // The rates the draft's device offers; the USB models fix theirs.
    void InitCboBaudrate();

    QComboBox* PortList() const { return cboCommPoort_; }
    QPushButton* ScanButton() const { return btnScan_; }
    QComboBox* BaudList() const { return cboBaudrate_; }

private:
    SettingsModel& model_;
    const LanguageTable& lang_;
    bool filling_ = false; // lists being built: their signals are not the user's

    QLabel *lblPort_ = nullptr, *lblBaud_ = nullptr, *helpComm_ = nullptr;
    QComboBox* cboCommPoort_ = nullptr;
    QComboBox* cboBaudrate_ = nullptr;
    QPushButton* btnScan_ = nullptr;
};
