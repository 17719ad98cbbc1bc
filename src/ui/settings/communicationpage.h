#pragma once
// The Communication page of the settings dialog: the serial port (with the
// scan that rebuilds its list) and the baud rate. The port box is editable,
// its text is the port used: a device the list does not show (a simulator's
// /dev/pts/7) can be typed. Its list shows beside each name what the system
// knows of the port.

#include <QList>
#include <QWidget>
#include <functional>

class LanguageTable;
class QComboBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTreeView;
class SettingsModel;
struct PortEntry;

class CommunicationPage : public QWidget {
    Q_OBJECT
public:
    // `portEntries` tells what is known of the ports; empty: the names alone.
    CommunicationPage(SettingsModel& model, const LanguageTable& language,
                      std::function<QList<PortEntry>()> portEntries = {}, QWidget* parent = nullptr);

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
    std::function<QList<PortEntry>()> portEntries_;
    bool filling_ = false; // lists being built: their signals are not the user's

    QLabel *lblPort_ = nullptr, *lblBaud_ = nullptr, *helpComm_ = nullptr;
    QComboBox* cboCommPoort_ = nullptr;
    QStandardItemModel* ports_ = nullptr; // name, what it is
    QTreeView* portView_ = nullptr;
    QComboBox* cboBaudrate_ = nullptr;
    QPushButton* btnScan_ = nullptr;
};
