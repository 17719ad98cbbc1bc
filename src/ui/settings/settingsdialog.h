#pragma once
// The settings dialog (frmInstellen): a modal, tabbed view over the
// SettingsModel. Every control writes its part of the model's draft as it
// changes; OK asks the model to check and apply the draft, Cancel (also the
// close box and Escape) to restore what it saved. What the dialog needs from
// the main window and the connection comes through SettingsHooks.

#include "core/settings/settingsmodel.h"

#include <QAbstractSpinBox>
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class LanguageTable;

struct SettingsHooks : SettingsActions {
    std::function<void(const QString& topic)> showHelp;
    // Message boxes; when empty the platform's are shown.
    std::function<void(const QString& title, const QString& text)> warning;     // exclamation icon
    std::function<void(const QString& title, const QString& text)> information; // information icon
    std::function<bool(const QString& title, const QString& text)> askYesNo;
    // The folder browser, starting at `folder`; "" when cancelled.
    std::function<QString(const QString& folder)> chooseFolder;
};

// An interval box with its spin control: any text can be typed ("90",
// "1:30", "01:01:30"); leaving the box shows a valid entry in the normal
// form, clamped; the arrows step one second within the range.
class IntervalBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit IntervalBox(IntervalRange range, QWidget* parent = nullptr);
    void setText(const QString& text);
    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

Q_SIGNALS:
    void textEdited(const QString& text);

protected:
    StepEnabled stepEnabled() const override;

private:
    IntervalRange range_;
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
    QComboBox* PortList() const { return cboCommPoort_; }
    QPushButton* ScanButton() const { return btnScan_; }
    QComboBox* BaudList() const { return cboBaudrate_; }
    QComboBox* DeviceList() const { return cboToestel_; }
    QComboBox* UnitList() const { return comboUnit_; }
    QCheckBox* PollCheck() const { return checkOpvragen_; }
    IntervalBox* PollInterval() const { return pollBox_; }
    IntervalBox* LogInterval() const { return logBox_; }
    QSpinBox* Points() const { return points_; }
    QCheckBox* LimitToPointsCheck() const { return checkNumberOfValues_; }
    QTableWidget* ChannelGrid() const { return channels_; }
    QComboBox* LanguageList() const { return comboTaal_; }
    QTableWidget* InfoGrid() const { return info_; }
    QTableWidget* ColorGrid() const { return colors_; }
    QCheckBox* ManualCheck() const { return checkManual_; }
    QCheckBox* ExtendFrameCheck() const { return checkExtendFrame_; }
    QCheckBox* AutoArrangeCheck() const { return checkAutoArrange_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QPushButton* HelpButton() const { return helpButton_; }

    // A click in a grid cell, as the mouse gives it.
    void InfoCellClicked(int row, int column);
    void ColorCellClicked(int row, int column);

private:
    QWidget* BuildCommunicationPage();
    QWidget* BuildMeasurePage();
    QWidget* BuildLogPage();
    QWidget* BuildWindowsPage();
    QWidget* BuildLanguagePage();
    QWidget* BuildSystemPage();
    QWidget* BuildColoursPage();
    void InitCboCommPoort();
    void InitCboBaudrate();
    void InitCboToestel();
    void InitialiseerKanaalOpties();
    void ZetComboUnitIndex();
    void InitArrangeWindows();
    void LaadStringsFlexGrids();
    void FillInfoGrid();
    void FillColorGrid();
    void DeviceChosen(const QString& name);
    void Focus(SettingsField field);
    void Warn(const QString& title, const QString& text);
    void Inform(const QString& title, const QString& text);
    bool AskYesNo(const QString& title, const QString& text);
    void CreateFolderAsked(const QString& folder);

    AppState& s_;
    LanguageTable& lang_;
    SettingsHooks hooks_;
    SettingsModel model_;
    bool filling_ = false; // lists being built: their signals are not the user's

    QTabWidget* tabs_ = nullptr;
    // Communication
    QLabel *lblPort_ = nullptr, *lblBaud_ = nullptr, *helpComm_ = nullptr;
    QComboBox* cboCommPoort_ = nullptr;
    QComboBox* cboBaudrate_ = nullptr;
    QPushButton* btnScan_ = nullptr;
    // Measure
    QLabel *lblDevice_ = nullptr, *lblUnit_ = nullptr, *helpMeasure_ = nullptr;
    QComboBox* cboToestel_ = nullptr;
    QComboBox* comboUnit_ = nullptr;
    QCheckBox* checkOpvragen_ = nullptr;
    IntervalBox* pollBox_ = nullptr;
    QGroupBox* channelsFrame_ = nullptr;
    QTableWidget* channels_ = nullptr;
    // Log
    QLabel *lblLogInterval_ = nullptr, *helpLog_ = nullptr;
    IntervalBox* logBox_ = nullptr;
    QCheckBox* checkNumberOfValues_ = nullptr;
    QSpinBox* points_ = nullptr;
    QCheckBox *checkLogAtStartup_ = nullptr, *checkLoadLastFile_ = nullptr, *checkDateStamp_ = nullptr,
              *checkStartReadAtStartup_ = nullptr;
    // Windows
    QLabel *helpWindows_ = nullptr, *lblTileHor_ = nullptr, *lblTileVer_ = nullptr, *lblPerRow_ = nullptr,
           *lblHeight_ = nullptr, *lblPerCol_ = nullptr, *lblWidth_ = nullptr;
    QLabel *lblValueRow_ = nullptr, *lblGraphRow_ = nullptr, *lblTableRow_ = nullptr, *lblTerminalRow_ = nullptr;
    QWidget* arrangeGrid_ = nullptr;
    QCheckBox *checkManual_ = nullptr, *checkExtendFrame_ = nullptr, *checkAutoArrange_ = nullptr;
    // Language
    QLabel *lblLanguage_ = nullptr, *helpLanguage_ = nullptr;
    QComboBox* comboTaal_ = nullptr;
    // System, colours
    QLabel *helpSystem_ = nullptr;
    QTableWidget* info_ = nullptr;
    QTableWidget* colors_ = nullptr;
    // Buttons
    QPushButton *okButton_ = nullptr, *cancelButton_ = nullptr, *helpButton_ = nullptr;
};

// Opens the dialog modally; true when it was closed with OK (everything
// applied), false after Cancel.
bool RunSettingsDialog(AppState& state, LanguageTable& language, const SettingsHooks& hooks, QWidget* parent);
