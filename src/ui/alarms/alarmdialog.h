#pragma once
// The alarm dialog (FormAlarm) of one channel, the table's alarm test with
// its progress window, and the beep.

#include <QDialog>
#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct AppState;
class LanguageTable;
class TableWindow;
class ValueWindow;

// The system beep (an alarm, a refused key); the hook replaces it (tests).
struct Beeper {
    static std::function<void()> hook;
    static void Beep();
};

// Recolours the channel's table column by its limits (see TestTableAlarms)
// with a progress window, the grid hidden meanwhile. Returns whether it ran.
bool RunTableAlarmTest(AppState& state, const LanguageTable& language, TableWindow& table, int channel, bool force,
                       QWidget* parent);

class AlarmDialog : public QDialog {
    Q_OBJECT
public:
    // `testTable` recolours the table for the channel after OK applied new limits.
    AlarmDialog(AppState& state, const LanguageTable& language, int channel, const QString& title,
                std::function<void(int channel)> testTable, QWidget* parent = nullptr);

    // OK: the controls into the channel's record; limits out of order keep
    // the dialog open with the message.
    void accept() override;

    QCheckBox* HighEnable() const { return checkHigh_; }
    QCheckBox* LowEnable() const { return checkLow_; }
    QLineEdit* HighLimit() const { return textHigh_; }
    QLineEdit* LowLimit() const { return textLow_; }
    QCheckBox* HighBeep() const { return beepHigh_; }
    QCheckBox* LowBeep() const { return beepLow_; }
    QPushButton* OkButton() const { return okButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QPushButton* HelpButton() const { return helpButton_; }

    // Replace the message box and the help launcher (tests, the main window).
    std::function<void(const QString& title, const QString& text)> warningHandler;
    std::function<void(const QString& topic)> showHelp;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EnableFrame(bool high);

    AppState& s_;
    const LanguageTable& lang_;
    int channel_;
    std::function<void(int)> testTable_;
    QGroupBox *frameHigh_ = nullptr, *frameLow_ = nullptr;
    QCheckBox *checkHigh_ = nullptr, *checkLow_ = nullptr, *beepHigh_ = nullptr, *beepLow_ = nullptr;
    QLabel *labelHigh_ = nullptr, *labelLow_ = nullptr;
    QLineEdit *textHigh_ = nullptr, *textLow_ = nullptr;
    QPushButton *okButton_ = nullptr, *cancelButton_ = nullptr, *helpButton_ = nullptr;
};

// The dialog for a value window's channel, titled with its caption and unit;
// OK recolours the table's column when there is a table.
bool RunAlarmDialog(AppState& state, const LanguageTable& language, ValueWindow& window, TableWindow* table,
                    QWidget* parent, const std::function<void(const QString& topic)>& showHelp = {});
