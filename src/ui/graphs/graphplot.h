#pragma once
// The chart of a graph window: the one place that knows the chart library
// (QCustomPlot). Every chart operation the graph window needs is mapped here
// once:
//   series 1..18         one QCPGraph each, holding one point per chart row
//                        (key = row, value = the cell; NaN leaves a gap), so
//                        the chart's data is the model's cell grid itself;
//   row labels           a text ticker over row numbers, at the labelled rows;
//   statistic lines      straight-line items at a series' minimum, maximum, mean;
//   footnote             a text element under the axis rect, taken out of the
//                        layout while hidden;
//   point marker         a one-point graph with a scatter style;
//   copy                 the chart rendered to a pixmap on the clipboard.
// Mouse: a click on a data point selects it, a click elsewhere selects
// "another element", a double click activates the chart.

#include "core/graphs/graphmodel.h"

#include <QColor>
#include <QPixmap>
#include <QSharedPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPGraph;
class QCPItemStraightLine;
class QCPTextElement;
class QCPAxisTickerText;
class QMouseEvent;
template <typename T> class QCPDataContainer;
class QCPGraphData;
class DivisionTicker;
class StatLegendItem;

class GraphPlot : public QWidget, public GraphCells {
    Q_OBJECT
public:
    explicit GraphPlot(QWidget* parent = nullptr);
    ~GraphPlot() override;

    // ---- GraphCells: rows 1..Rows(), columns (= series) 1..18
    void Reset(int rows) override;
    int Rows() const override { return rows_; }
    double Cell(int row, int column) const override;
    void SetCell(int row, int column, double value) override;
    void ShiftUp(int column) override;
    void FillColumn(int column, double value) override;

    // ---- Series
    void SetSeries(int series, bool visible, const QString& legend);
    bool SeriesVisible(int series) const;
    void SetSeriesColor(int series, const QColor& color);
    QColor SeriesColor(int series) const;
    // The minimum, maximum and mean lines of a series (flags 1, 2, 4), with
    // their legend entries' texts.
    void SetStatisticLines(int series, int flags, const GraphStatistics& statistics,
                           const std::array<QString, 3>& legends = {});
    // The legend's entries from top to bottom.
    QStringList LegendTexts() const;
    // A marker on a point; series 0 removes it.
    void SetMarker(int series, int row);
    int MarkerSeries() const { return markerSeries_; }

    // ---- Axes, legend, footnote, colours
    // The category axis labels: (row, text) at the labelled rows.
    void SetCategoryLabels(const std::vector<std::pair<int, QString>>& labels);
    // The rows whose labels are drawn (those with room beside their neighbours).
    std::vector<int> ShownLabelRows() const;
    void SetAxisTitles(const QString& category, const QString& value);
    // A value axis that scales itself, or a fixed one with `divisions`
    // labelled divisions of `subdivisions` parts each.
    void SetValueScale(bool automatic, double minimum, double maximum, int divisions, int subdivisions);
    void SetLegendVisible(bool visible);
    void SetFootnote(const QString& text, bool visible);
    QString FootnoteText() const;
    bool FootnoteShown() const;
    void SetColors(const QColor& background, const QColor& foreground, const QColor& axis);

    // ---- Drawing
    // Redraws at the next turn of the event loop (many changes, one redraw);
    // a hidden chart redraws when it is shown.
    void Refresh();
    // Redraws now.
    void RedrawNow();
    // Milliseconds the last redraw took (the chart's own timing).
    double LastRedrawMs() const;
    // The chart as a picture (the widget's size when 0).
    QPixmap Picture(int width = 0, int height = 0);
    // Clears the clipboard and puts the chart picture on it.
    void CopyToClipboard();
    // Where a (row, value) point lies in this widget's coordinates.
    QPointF PixelOf(double row, double value) const;
    // The value axis range drawn last.
    std::pair<double, double> ValueRange() const;

Q_SIGNALS:
    void PointSelected(int series, int row);
    void OtherSelected();
    void Activated();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCPGraph* Graph(int series) const;
    void BeforeReplot();
    void MouseRelease(QMouseEvent* event);
    void UpdateLegend();

    QCustomPlot* plot_ = nullptr;
    std::array<QCPGraph*, kGraphColumns + 1> graphs_{};
    std::array<QCPDataContainer<QCPGraphData>*, kGraphColumns + 1> data_{};
    std::array<std::array<QCPItemStraightLine*, 3>, kGraphColumns + 1> statLines_{};
    std::array<QString, kGraphColumns + 1> legends_;
    std::array<std::array<QString, 3>, kGraphColumns + 1> statTexts_;
    std::array<std::array<StatLegendItem*, 3>, kGraphColumns + 1> statLegend_{}; // owned by the legend
    QCPGraph* marker_ = nullptr;
    int markerSeries_ = 0, markerRow_ = 0;
    QCPTextElement* footnote_ = nullptr;
    bool footnoteShown_ = false;
    QSharedPointer<QCPAxisTickerText> categoryTicker_;
    // The row labels asked for; those that would overlap a neighbour at the
    // axis's width are left out (a date with its time is wide).
    std::vector<std::pair<int, QString>> labels_;
    int labelWidth_ = -1; // the axis width the shown labels were chosen for
    void ChooseLabels();
    QSharedPointer<DivisionTicker> divisionTicker_;
    bool autoScale_ = true;
    int rows_ = 0;
    bool pending_ = false; // a redraw asked for while hidden
    QPoint pressPos_;
};
