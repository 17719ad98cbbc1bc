#pragma once
// The settings dialog (frmInstellen): a modal, tabbed view over the
// SettingsModel. Every control writes its part of the model's draft as it
// changes; OK asks the model to check and apply the draft, Cancel (also the
// close box and Escape) to restore what it saved. What the dialog needs from
// the main window and the connection comes through SettingsHooks. Each tab is
// a page of its own; the dialog holds the buttons, the messages and what one
// page does to another.

#include "comm/portlisting.h"
#include "core/settings/settingsmodel.h"
#include "ui/settings/intervalbox.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class LanguageTable;
class CommunicationPage;
class MeasurePage;
class LogPage;
class WindowsPage;
class LanguagePage;
class SystemPage;
class ColoursPage;
class MqttPage;
class PasswordStore;

struct SettingsHooks : SettingsActions {
    std::function<void(const QString& topic)> showHelp;
    // What the system knows of its ports, shown beside their names.
    std::function<QList<PortEntry>()> portEntries;
    // Message boxes; when empty the platform's are shown.
    std::function<void(const QString& title, const QString& text)> warning;     // exclamation icon
    std::function<void(const QString& title, const QString& text)> information; // information icon
    std::function<bool(const QString& title, const QString& text)> askYesNo;
    // The folder browser, starting at `folder`; "" when cancelled.
    std::function<QString(const QString& folder)> chooseFolder;
};

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Opening is part of making the dialog: the model suspends polling,
    // closes the port and scans the ports.
    SettingsDialog(AppState& state, LanguageTable& language, SettingsHooks hooks, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    SettingsModel& Model() { return model_; }
    // Captions, grid headings and row names from the language table.
    void LaadStrings();

    // OK: checked and applied, or the message and the dialog stays open.
    void accept() override;
    // Cancel, the close box and Escape.
    void reject() override;

    // ---- Controls (tests drive them)
    QTabWidget* Tabs() const { return tabs_; }
    QComboBox* PortList() const;
    QPushButton* ScanButton() const;
    QComboBox* BaudList() const;
    QComboBox* DeviceList() const;
    QComboBox* UnitList() const;
    QCheckBox* PollCheck() const;
    IntervalBox* PollInterval() const;
    IntervalBox* LogInterval() const;
    QSpinBox* Points() const;
    QCheckBox* LimitToPointsCheck() const;
    QTableWidget* ChannelGrid() const;
    QComboBox* LanguageList() const;
    QTableWidget* InfoGrid() const;
    QTableWidget* ColorGrid() const;
    QCheckBox* ManualCheck() const;
    QCheckBox* ExtendFrameCheck() const;
    QCheckBox* AutoArrangeCheck() const;
    MqttPage* Mqtt() const { return mqtt_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QPushButton* HelpButton() const { return helpButton_; }

    // A click in a grid cell, as the mouse gives it.
    void InfoCellClicked(int row, int column);
    void ColorCellClicked(int row, int column);

private:
    void Focus(SettingsField field);
    void Warn(const QString& title, const QString& text);
    void Inform(const QString& title, const QString& text);
    bool AskYesNo(const QString& title, const QString& text);
    QString ChooseFolder(const QString& title, const QString& folder);

    AppState& s_;
    LanguageTable& lang_;
    SettingsHooks hooks_;
    SettingsModel model_;

    QTabWidget* tabs_ = nullptr;
    CommunicationPage* communication_ = nullptr;
    MeasurePage* measure_ = nullptr;
    LogPage* log_ = nullptr;
    WindowsPage* windows_ = nullptr;
    LanguagePage* language_ = nullptr;
    SystemPage* system_ = nullptr;
    ColoursPage* colours_ = nullptr;
    std::unique_ptr<PasswordStore> passwords_;
    MqttPage* mqtt_ = nullptr;
    QPushButton *okButton_ = nullptr, *cancelButton_ = nullptr, *helpButton_ = nullptr;
};

// Opens the dialog modally; true when it was closed with OK (everything
// applied), false after Cancel.
bool RunSettingsDialog(AppState& state, LanguageTable& language, const SettingsHooks& hooks, QWidget* parent);
