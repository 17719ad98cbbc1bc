#pragma once
// A graph window (frmGrafiek): the chart of a GraphModel above a horizontal
// scroll bar that pages through the logged readings (a table graph), or the
// chart alone (an XY recorder). The model holds the rows and texts; the
// window only shows them and passes the user's clicks back. It reaches the
// chart library only through GraphPlot.
//
// Closing the window with its close box hides it. A click on a point
// selects it (footnote, marker, the table row), a click elsewhere clears
// the selection, and a double click asks for the graph settings.

#include <QWidget>
#include <memory>
#include <vector>

class QScrollBar;
struct AppState;
struct GraphSettings;
class GraphModel;
class GraphPlot;
class LanguageTable;
class LogTable;
class PrintEngine;
struct AlarmReportInput;

class GraphWindow : public QWidget {
    Q_OBJECT
public:
    // A window in slot `index` (1..16). `table` may be null.
    GraphWindow(AppState& state, const LanguageTable& language, const LogTable* table, int index,
                QWidget* parent = nullptr);
    ~GraphWindow() override;

    int GrafiekIndex() const { return index_; }
    GraphModel& Model() const { return *model_; }
    GraphSettings& Settings() const;
    GraphPlot* Plot() const { return plot_; }
    QScrollBar* ScrollBar() const { return scroll_; }
    bool IsRecorder() const;
    // The caption a new window gets: "XY-recorder" or the graph text.
    static QString DefaultCaption(const LanguageTable& language, bool xyRecorder);

    // ---- The window's operations (the model does the work, then the chart follows)
    void StelNieuweGrafiekIn();
    void HerInitialiseerGrafiek();
    void VulGrafiekAan(int reading);
    void LadenGrafiek();
    void HerladenGrafiek();
    void UitschakelenMarkers();
    void SetColors();
    void CopyGrafiek();

    // ---- Printing
    // The chart and, beneath it, a colour sample and legend line per visible
    // series, on a page of its own.
    void PrintGrafiek(PrintEngine& engine);
    // This graph's alarm report on a page of its own.
    void AfdrukkenAlarmRapport(PrintEngine& engine) const;
    // A high or low alarm line is set (the alarm report has something to say).
    bool HasAlarmLine() const;
    // The values the alarm report examines, line by line.
    AlarmReportInput AlarmReport() const;
    // The title of its printed pages.
    QString PrintTitle() const;

Q_SIGNALS:
    void ClosedByUser(int index);
    // The chart was activated: open the graph settings.
    void SettingsRequested(int index);
    // A point was selected: select this row (0-based) of the table window.
    void TableRowSelected(int row);
    // An XY recorder with "Print Recorder" on has filled its width.
    void RecorderFull(int index);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplySettings();
    void Sync(bool labelsChanged);
    void UpdateLabels(bool all);
    void PointSelected(int series, int row);
    void OtherSelected();

    AppState& s_;
    const LanguageTable& lang_;
    const LogTable* table_;
    int index_;
    GraphPlot* plot_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    std::unique_ptr<GraphModel> model_;
    std::vector<int> tickRows_;     // the labelled rows
    std::vector<int> tickReadings_; // the reading each labelled row showed when labelled
};
