#include "ui/graphs/graphplot.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <algorithm>
#include <cmath>
// The library's header uses the Qt keywords this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef foreach
#undef slots
#undef signals

// A fixed value axis: `divisions` labelled steps from the minimum to the
// maximum, each cut into `subdivisions` parts.
class DivisionTicker : public QCPAxisTicker {
public:
    double minimum = -100, maximum = 100;
    int divisions = 10, subdivisions = 1;

protected:
    double getTickStep(const QCPRange&) override { return (maximum - minimum) / std::max(divisions, 1); }
    int getSubTickCount(double) override { return std::max(subdivisions, 1) - 1; }
    QVector<double> createTickVector(double tickStep, const QCPRange&) override
    {
        QVector<double> ticks;
        for (int i = 0; i <= std::max(divisions, 1); ++i)
            ticks << minimum + i * tickStep;
        return ticks;
    }
};

namespace {
constexpr int kMarkerSize = 10;
const Qt::PenStyle kStatStyles[3] = {Qt::DashLine, Qt::DashLine, Qt::DashDotLine};
} // namespace

// A legend entry for a minimum, maximum or mean line: a sample of the line's
// pen and its text (the library's own entries belong to plottables only).
class StatLegendItem : public QCPAbstractLegendItem {
public:
    StatLegendItem(QCPLegend* legend, const QPen& pen, const QString& text)
        : QCPAbstractLegendItem(legend), pen_(pen), text_(text)
    {
    }
    const QString& text() const { return text_; }
    void SetText(const QString& text) { text_ = text; }
    void SetPen(const QPen& pen) { pen_ = pen; }

protected:
    void draw(QCPPainter* painter) override
    {
        painter->setFont(mFont);
        painter->setPen(QPen(mTextColor));
        const QSize icon = mParentLegend->iconSize();
        const QRect textRect = painter->fontMetrics().boundingRect(0, 0, 0, icon.height(), Qt::TextDontClip, text_);
        const int height = std::max(textRect.height(), icon.height());
        painter->drawText(mRect.x() + icon.width() + mParentLegend->iconTextPadding(), mRect.y(), textRect.width(),
                          height, Qt::TextDontClip, text_);
        const int y = mRect.y() + icon.height() / 2;
        painter->setPen(pen_);
        painter->drawLine(QLineF(mRect.x(), y, mRect.x() + icon.width(), y));
    }
    QSize minimumOuterSizeHint() const override
    {
        const QSize icon = mParentLegend->iconSize();
        const QRect textRect = QFontMetrics(mFont).boundingRect(0, 0, 0, icon.height(), Qt::TextDontClip, text_);
        return {icon.width() + mParentLegend->iconTextPadding() + textRect.width() + mMargins.left() + mMargins.right(),
                std::max(textRect.height(), icon.height()) + mMargins.top() + mMargins.bottom()};
    }

private:
    QPen pen_;
    QString text_;
};

GraphPlot::GraphPlot(QWidget* parent) : QWidget(parent)
{
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    plot_ = new QCustomPlot(this);
    box->addWidget(plot_);
    plot_->setInteractions(QCP::Interactions());
    plot_->setSelectionTolerance(8);
    plot_->legend->setVisible(false);
    plot_->legend->setFont(font());

    categoryTicker_.reset(new QCPAxisTickerText);
    categoryTicker_->setSubTickCount(0);
    plot_->xAxis->setTicker(categoryTicker_);
    divisionTicker_.reset(new DivisionTicker);
    // A resized window has room for other labels: chosen again, drawn once more.
    connect(plot_, &QCustomPlot::afterLayout, this, [this] {
        if (plot_->xAxis->axisRect()->width() != labelWidth_ && !labels_.empty()) {
            ChooseLabels();
            plot_->replot(QCustomPlot::rpQueuedReplot);
        }
    });

    for (int s = 1; s <= kGraphColumns; ++s) {
        QCPGraph* g = plot_->addGraph(plot_->xAxis, plot_->yAxis);
        // Thin straight lines draw fastest and crisp; a NaN cell breaks the line.
        g->setAntialiased(false);
        g->setAdaptiveSampling(true);
        g->setLineStyle(QCPGraph::lsLine);
        g->removeFromLegend();
        g->setVisible(false);
        graphs_[size_t(s)] = g;
        data_[size_t(s)] = g->data().data();
    }
    marker_ = plot_->addGraph(plot_->xAxis, plot_->yAxis);
    marker_->setLineStyle(QCPGraph::lsNone);
    marker_->removeFromLegend();
    marker_->setVisible(false);

    footnote_ = new QCPTextElement(plot_, QString());
    footnote_->setTextFlags(Qt::AlignCenter);

    connect(plot_, &QCustomPlot::beforeReplot, this, [this] { BeforeReplot(); });
    connect(plot_, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) { pressPos_ = e->pos(); });
    connect(plot_, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) { MouseRelease(e); });
    connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) { Q_EMIT Activated(); });
    Reset(99);
}

GraphPlot::~GraphPlot() = default;

QCPGraph* GraphPlot::Graph(int series) const
{
    return series >= 1 && series <= kGraphColumns ? graphs_[size_t(series)] : nullptr;
}

// ---------------------------------------------------------------- cells

void GraphPlot::Reset(int rows)
{
    rows_ = std::max(rows, 0);
    QVector<QCPGraphData> empty(rows_);
    for (int r = 0; r < rows_; ++r)
        empty[r] = QCPGraphData(r + 1, kNullCell);
    for (int s = 1; s <= kGraphColumns; ++s)
        data_[size_t(s)]->set(empty, true);
    plot_->xAxis->setRange(0.5, rows_ + 0.5);
    SetMarker(0, 0);
}

double GraphPlot::Cell(int row, int column) const
{
    if (row < 1 || row > rows_ || column < 1 || column > kGraphColumns)
        return kNullCell;
    return (data_[size_t(column)]->constBegin() + (row - 1))->value;
}

void GraphPlot::SetCell(int row, int column, double value)
{
    if (row < 1 || row > rows_ || column < 1 || column > kGraphColumns)
        return;
    (data_[size_t(column)]->begin() + (row - 1))->value = value;
}

void GraphPlot::ShiftUp(int column)
{
    if (column < 1 || column > kGraphColumns || rows_ < 2)
        return;
    auto it = data_[size_t(column)]->begin();
    for (int r = 0; r + 1 < rows_; ++r)
        it[r].value = it[r + 1].value;
}

void GraphPlot::FillColumn(int column, double value)
{
    if (column < 1 || column > kGraphColumns)
        return;
    for (auto it = data_[size_t(column)]->begin(); it != data_[size_t(column)]->end(); ++it)
        it->value = value;
}

// ---------------------------------------------------------------- series

void GraphPlot::SetSeries(int series, bool visible, const QString& legend)
{
    QCPGraph* g = Graph(series);
    if (!g)
        return;
    g->setVisible(visible);
    g->setName(legend);
    legends_[size_t(series)] = legend;
    UpdateLegend();
}

bool GraphPlot::SeriesVisible(int series) const
{
    const QCPGraph* g = Graph(series);
    return g && g->visible();
}

void GraphPlot::UpdateLegend()
{
    // The legend lists the shown series in series order, each followed by
    // its minimum, maximum and mean lines.
    plot_->legend->clearItems();
    for (int s = 1; s <= kGraphColumns; ++s) {
        QCPGraph* g = graphs_[size_t(s)];
        if (g->visible() && !legends_[size_t(s)].isEmpty())
            g->addToLegend();
        for (size_t k = 0; k < 3; ++k) {
            StatLegendItem*& entry = statLegend_[size_t(s)][k];
            entry = nullptr;
            const QCPItemStraightLine* line = statLines_[size_t(s)][k];
            if (line && line->visible()) {
                entry = new StatLegendItem(plot_->legend, line->pen(), statTexts_[size_t(s)][k]);
                plot_->legend->addItem(entry);
            }
        }
    }
}

QStringList GraphPlot::LegendTexts() const
{
    QStringList texts;
    for (int i = 0; i < plot_->legend->itemCount(); ++i) {
        if (auto* p = qobject_cast<QCPPlottableLegendItem*>(plot_->legend->item(i)))
            texts << p->plottable()->name();
        else if (auto* st = dynamic_cast<StatLegendItem*>(plot_->legend->item(i)))
            texts << st->text();
    }
    return texts;
}

void GraphPlot::SetSeriesColor(int series, const QColor& color)
{
    if (QCPGraph* g = Graph(series))
        g->setPen(QPen(color, 1));
    const size_t s = size_t(std::clamp(series, 0, kGraphColumns));
    for (size_t k = 0; k < 3; ++k) {
        if (QCPItemStraightLine* line = statLines_[s][k]) {
            QPen pen = line->pen();
            pen.setColor(color);
            line->setPen(pen);
            if (statLegend_[s][k])
                statLegend_[s][k]->SetPen(pen);
        }
    }
}

QColor GraphPlot::SeriesColor(int series) const
{
    const QCPGraph* g = Graph(series);
    return g ? g->pen().color() : QColor();
}

void GraphPlot::SetStatisticLines(int series, int flags, const GraphStatistics& st,
                                  const std::array<QString, 3>& legends)
{
    QCPGraph* g = Graph(series);
    if (!g)
        return;
    const double values[3] = {st.Minimum, st.Maximum, st.Mean};
    bool entriesChanged = false;
    for (int k = 0; k < 3; ++k) {
        QCPItemStraightLine*& line = statLines_[size_t(series)][size_t(k)];
        const bool on = (flags & (1 << k)) && st.Count > 0 && g->visible();
        const bool wasOn = line && line->visible();
        entriesChanged |= on != wasOn;
        statTexts_[size_t(series)][size_t(k)] = legends[size_t(k)];
        if (StatLegendItem* entry = statLegend_[size_t(series)][size_t(k)])
            entry->SetText(legends[size_t(k)]);
        if (!on) {
            if (line)
                line->setVisible(false);
            continue;
        }
        if (!line) {
            line = new QCPItemStraightLine(plot_);
            line->setSelectable(false);
            line->setPen(QPen(g->pen().color(), 1, kStatStyles[k]));
        }
        line->point1->setCoords(0, values[k]);
        line->point2->setCoords(1, values[k]);
        line->setVisible(true);
    }
    if (entriesChanged)
        UpdateLegend();
}

void GraphPlot::SetMarker(int series, int row)
{
    markerSeries_ = Graph(series) && row >= 1 && row <= rows_ ? series : 0;
    markerRow_ = markerSeries_ ? row : 0;
    marker_->data()->clear();
    marker_->setVisible(markerSeries_ != 0);
    if (markerSeries_) {
        const QColor c = SeriesColor(series);
        marker_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(c, 2), Qt::NoBrush, kMarkerSize));
        marker_->addData(row, Cell(row, series));
    }
}

// ---------------------------------------------------------------- axes

void GraphPlot::SetCategoryLabels(const std::vector<std::pair<int, QString>>& labels)
{
    labels_ = labels;
    ChooseLabels();
}

std::vector<int> GraphPlot::ShownLabelRows() const
{
    std::vector<int> rows;
    for (double row : categoryTicker_->ticks().keys())
        rows.push_back(int(row));
    return rows;
}

void GraphPlot::ChooseLabels()
{
    labelWidth_ = plot_->xAxis->axisRect()->width();
    const QCPRange range = plot_->xAxis->range();
    const QFontMetrics metrics(plot_->xAxis->tickLabelFont());
    QMap<double, QString> ticks;
    double lastRight = -1e300;
    for (const auto& [row, text] : labels_) {
        if (labelWidth_ > 0 && range.size() > 0) {
            const double x = (row - range.lower) / range.size() * labelWidth_;
            const double half = metrics.horizontalAdvance(text) / 2.0 + 6;
            if (x - half < lastRight)
                continue; // would run into the label before it
            lastRight = x + half;
        }
        ticks.insert(row, text);
    }
    categoryTicker_->setTicks(ticks);
}

void GraphPlot::SetAxisTitles(const QString& category, const QString& value)
{
    plot_->xAxis->setLabel(category);
    plot_->yAxis->setLabel(value);
}

void GraphPlot::SetValueScale(bool automatic, double minimum, double maximum, int divisions, int subdivisions)
{
    // Limits the other way round cannot make an axis: the axis scales itself then.
    autoScale_ = automatic || !(maximum > minimum) || !std::isfinite(maximum - minimum);
    if (autoScale_) {
        plot_->yAxis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
        plot_->yAxis->grid()->setSubGridVisible(false);
        return;
    }
    divisionTicker_->minimum = minimum;
    divisionTicker_->maximum = maximum;
    divisionTicker_->divisions = divisions;
    divisionTicker_->subdivisions = subdivisions;
    plot_->yAxis->setTicker(divisionTicker_);
    plot_->yAxis->setRange(minimum, maximum);
    plot_->yAxis->grid()->setSubGridVisible(subdivisions > 1);
}

void GraphPlot::SetLegendVisible(bool visible) { plot_->legend->setVisible(visible); }

void GraphPlot::SetFootnote(const QString& text, bool visible)
{
    footnote_->setText(text);
    if (visible == footnoteShown_)
        return;
    footnoteShown_ = visible;
    if (visible) {
        plot_->plotLayout()->addElement(plot_->plotLayout()->rowCount(), 0, footnote_);
    } else {
        plot_->plotLayout()->take(footnote_);
        plot_->plotLayout()->simplify();
    }
}

QString GraphPlot::FootnoteText() const { return footnote_->text(); }

bool GraphPlot::FootnoteShown() const { return footnoteShown_; }

void GraphPlot::SetColors(const QColor& background, const QColor& foreground, const QColor& axis)
{
    plot_->setBackground(background);
    plot_->legend->setBrush(background);
    plot_->legend->setTextColor(foreground);
    plot_->legend->setBorderPen(QPen(foreground));
    footnote_->setTextColor(foreground);
    for (QCPAxis* a : {plot_->xAxis, plot_->yAxis}) {
        a->setBasePen(QPen(foreground));
        a->setTickPen(QPen(foreground));
        a->setSubTickPen(QPen(foreground));
        a->setTickLabelColor(foreground);
        a->setLabelColor(foreground);
        a->grid()->setPen(QPen(axis, 1, Qt::SolidLine));
        a->grid()->setSubGridPen(QPen(axis, 1, Qt::DotLine));
        a->grid()->setZeroLinePen(QPen(axis, 1, Qt::SolidLine));
    }
}

// ---------------------------------------------------------------- drawing

void GraphPlot::BeforeReplot()
{
    if (markerSeries_) {
        // The rows under the marker may have moved on.
        marker_->data()->clear();
        marker_->addData(markerRow_, Cell(markerRow_, markerSeries_));
    }
    if (!autoScale_)
        return;
    bool found = false;
    QCPRange range;
    for (int s = 1; s <= kGraphColumns; ++s) {
        QCPGraph* g = graphs_[size_t(s)];
        if (!g->visible())
            continue;
        bool ok = false;
        const QCPRange r = g->getValueRange(ok);
        if (!ok)
            continue;
        range = found ? QCPRange(std::min(range.lower, r.lower), std::max(range.upper, r.upper)) : r;
        found = true;
    }
    if (!found)
        return;
    // A little room above and below, and some height for a flat line.
    const double margin = range.size() > 0 ? range.size() * 0.05 : std::max(std::abs(range.lower) * 0.05, 0.5);
    plot_->yAxis->setRange(range.lower - margin, range.upper + margin);
}

void GraphPlot::Refresh()
{
    if (!isVisible()) {
        pending_ = true;
        return;
    }
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void GraphPlot::RedrawNow()
{
    pending_ = false;
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

void GraphPlot::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (pending_) {
        pending_ = false;
        plot_->replot(QCustomPlot::rpQueuedReplot);
    }
}

double GraphPlot::LastRedrawMs() const { return plot_->replotTime(false); }

QPixmap GraphPlot::Picture(int width, int height) { return plot_->toPixmap(width, height); }

void GraphPlot::CopyToClipboard()
{
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setPixmap(Picture());
}

QPointF GraphPlot::PixelOf(double row, double value) const
{
    const QPointF p(plot_->xAxis->coordToPixel(row), plot_->yAxis->coordToPixel(value));
    return plot_->mapTo(this, p.toPoint());
}

std::pair<double, double> GraphPlot::ValueRange() const
{
    return {plot_->yAxis->range().lower, plot_->yAxis->range().upper};
}

void GraphPlot::MouseRelease(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || (event->pos() - pressPos_).manhattanLength() > 4)
        return;
    int index = -1;
    QCPAbstractPlottable* p = plot_->plottableAt(event->pos(), false, &index);
    if (p == marker_ && markerSeries_) {
        Q_EMIT PointSelected(markerSeries_, markerRow_);
        return;
    }
    for (int s = 1; s <= kGraphColumns; ++s) {
        if (p && p == graphs_[size_t(s)] && index >= 0) {
            Q_EMIT PointSelected(s, index + 1);
            return;
        }
    }
    Q_EMIT OtherSelected();
}
