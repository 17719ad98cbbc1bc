#pragma once
// The graph settings dialog (frmGrafiekInstellen): value axis, time axis, the
// 16 data lines and the miscellaneous settings (name, legend, XY recorder,
// alarm lines) of one graph, on four tabs. It edits a GraphSettings: OK
// writes every field back, Cancel leaves it as it was. Number boxes never
// refuse a text; OK brings it into range and shows the value taken. The last
// tab used is kept in the user settings.

#include "core/model/colors.h"

#include <QDialog>
#include <array>
#include <vector>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;
class QToolButton;
struct AppState;
struct GraphSettings;
class LanguageTable;
class SettingsStore;

class GraphSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `store` keeps the last tab ("Graph settings", "Tab"); may be null.
    GraphSettingsDialog(const AppState& state, const LanguageTable& language, GraphSettings& graph,
                        SettingsStore* store, QWidget* parent = nullptr);
    ~GraphSettingsDialog() override;

    static QString HelpTopic() { return QStringLiteral("graph_settings.htm"); }
    // Opens a help topic (the help work supplies it); nothing happens while unset.
    std::function<void(const QString& topic)> helpHandler;

    // ---- The controls (tests and scripted runs fill them as a user would)
    QTabWidget* Tabs() const { return tabs_; }
    QCheckBox* AutoScaleBox() const { return autoScale_; }
    QLineEdit* MaximumBox() const { return maximum_; }
    QLineEdit* MinimumBox() const { return minimum_; }
    QLineEdit* DivisionsBox() const { return divisions_; }
    QLineEdit* SubdivisionsBox() const { return subdivisions_; }
    QLineEdit* ValueTitleBox() const { return valueTitle_; }
    QLineEdit* PointsBox() const { return points_; }
    QLineEdit* TimeTitleBox() const { return timeTitle_; }
    QLineEdit* TimeDivisionsBox() const { return timeDivisions_; }
    QRadioButton* LabelOption(int index) const { return labelOptions_.at(size_t(index)); }
    QLineEdit* NameBox() const { return name_; }
    QCheckBox* LegendBox() const { return legend_; }
    QCheckBox* RecorderBox() const { return recorder_; }
    QCheckBox* PrintRecorderBox() const { return printRecorder_; }
    QCheckBox* AlarmBox(bool high) const { return high ? alarmHigh_ : alarmLow_; }
    QLineEdit* AlarmValueBox(bool high) const { return high ? alarmHighValue_ : alarmLowValue_; }
    QPushButton* AlarmColourButton(bool high) const { return high ? alarmHighColour_ : alarmLowColour_; }
    QTableWidget* LineGrid() const { return grid_; }
    // The input list floating over an input cell while it is edited.
    QComboBox* InputList() const { return inputList_; }
    QPushButton* HelpButton() const { return help_; }
    // Whether a number box with its up/down buttons can be used.
    bool BoxUsable(QLineEdit* box) const;

    // What a click (or Enter or Space) on a grid cell does: row 1..16,
    // column 1 the input list, 2 the colour chooser, 3..5 the check marks.
    void EditCell(int row, int column);
    // The input list's text into its cell, and the list hidden.
    void CommitInput();

    void accept() override;
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildValueTab();
    QWidget* BuildTimeTab();
    QWidget* BuildLinesTab();
    QWidget* BuildMiscTab();
    QWidget* NumberRow(QLineEdit*& box, double step, double low, double high);
    void Step(QLineEdit* box, double direction);
    void Load();
    void ApplyRules();
    void BoundAlarms();
    void ShowColour(QPushButton* button, ColorValue c);
    void SetCheck(int row, int column, bool on);

    const AppState& s_;
    const LanguageTable& lang_;
    GraphSettings& graph_;
    SettingsStore* store_;
    QTabWidget* tabs_ = nullptr;
    QCheckBox *autoScale_ = nullptr, *legend_ = nullptr, *recorder_ = nullptr, *printRecorder_ = nullptr,
              *alarmHigh_ = nullptr, *alarmLow_ = nullptr;
    QLineEdit *maximum_ = nullptr, *minimum_ = nullptr, *divisions_ = nullptr, *subdivisions_ = nullptr,
              *valueTitle_ = nullptr, *points_ = nullptr, *timeTitle_ = nullptr, *timeDivisions_ = nullptr,
              *name_ = nullptr, *alarmHighValue_ = nullptr, *alarmLowValue_ = nullptr;
    std::array<QRadioButton*, 4> labelOptions_{};
    QPushButton *alarmHighColour_ = nullptr, *alarmLowColour_ = nullptr, *help_ = nullptr;
    ColorValue highColour_ = 0, lowColour_ = 0;
    std::vector<QWidget*> scaleWidgets_; // switched off while the axis scales itself
    QGroupBox* recorderFrame_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QComboBox* inputList_ = nullptr;
    int inputRow_ = 0; // the grid row the input list edits (1..16), 0 when hidden
};
