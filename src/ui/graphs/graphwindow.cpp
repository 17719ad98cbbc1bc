#include "ui/graphs/graphwindow.h"

#include "core/model/appstate.h"
#include "core/alarms/alarms.h"
#include "core/graphs/graphmodel.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"
#include "core/printing/printroutines.h"
#include "ui/graphs/graphplot.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {
enum Texts { kGraphText = 20, kRecorderText = 243 };
}

GraphWindow::GraphWindow(AppState& state, const LanguageTable& language, const LogTable* table, int index,
                         QWidget* parent)
    : QWidget(parent), s_(state), lang_(language), table_(table), index_(index)
{
    // Printing tells the windows apart by this tag.
    setObjectName(QStringLiteral("grafiek%1").arg(index));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    plot_ = new GraphPlot(this);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setSingleStep(1);
    scroll_->setPageStep(1);
    box->addWidget(plot_, 1);
    box->addWidget(scroll_);
    model_ = std::make_unique<GraphModel>(state, language, *plot_, table);
    model_->Settings.GrafiekIndex = qint16(index);

    connect(plot_, &GraphPlot::PointSelected, this, &GraphWindow::PointSelected);
    connect(plot_, &GraphPlot::OtherSelected, this, &GraphWindow::OtherSelected);
    connect(plot_, &GraphPlot::Activated, this, [this] { Q_EMIT SettingsRequested(index_); });
    // Only the user's moves reach here: the program sets the bar with its signals blocked.
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int position) {
        model_->ScrollTo(position);
        Sync(true);
    });
    resize(480, 320);
}

GraphWindow::~GraphWindow() = default;

GraphSettings& GraphWindow::Settings() const { return model_->Settings; }

bool GraphWindow::IsRecorder() const { return model_->IsRecorder(); }

QString GraphWindow::DefaultCaption(const LanguageTable& language, bool xyRecorder)
{
    return xyRecorder ? language[kRecorderText] : QString(language[kGraphText]).remove(QLatin1Char('&'));
}

// ---------------------------------------------------------------- operations

void GraphWindow::ApplySettings()
{
    const GraphSettings& g = Settings();
    if (g.Name.isEmpty())
        model_->Settings.Name = DefaultCaption(lang_, g.XYrecorder);
    setWindowTitle(g.Name);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->setWindowTitle(g.Name);
    plot_->SetLegendVisible(g.LegendeKeuze);
    plot_->SetAxisTitles(g.TitelTijdsas.trimmed(), g.TitelWaardenas.trimmed());
    plot_->SetValueScale(g.AutomatischeSchaal, g.GrafiekMinimum, g.GrafiekMaximum, g.AantalWaardenVerdelingen,
                         g.AantalWaardenOnderverdelingen);
    // InitScrollBar: a recorder keeps nothing to scroll through.
    scroll_->setVisible(!g.XYrecorder);
    scroll_->setEnabled(!g.XYrecorder);
    plot_->SetMarker(0, 0);
    SetColors();
    tickRows_.clear();
    const int rows = model_->MaxRows();
    const int step = std::max(rows / std::max(int(g.AantalTijdVerdelingen), 1), 1);
    for (int r = 1; r <= rows; r += step)
        tickRows_.push_back(r);
    tickReadings_.assign(tickRows_.size(), -1);
}

void GraphWindow::StelNieuweGrafiekIn()
{
    model_->StelNieuweGrafiekIn();
    ApplySettings();
    Sync(true);
}

void GraphWindow::HerInitialiseerGrafiek()
{
    model_->HerInitialiseerGrafiek();
    ApplySettings();
    Sync(true);
}

void GraphWindow::VulGrafiekAan(int reading)
{
    if (!model_->VulGrafiekAan(reading))
        return;
    if (model_->TakePrintRequest())
        Q_EMIT RecorderFull(index_);
    Sync(model_->IsRecorder());
}

void GraphWindow::LadenGrafiek()
{
    model_->LadenGrafiek();
    Sync(true);
}

void GraphWindow::HerladenGrafiek()
{
    model_->HerladenGrafiek();
    ApplySettings();
    Sync(true);
}

void GraphWindow::UitschakelenMarkers()
{
    model_->UitschakelenMarkers();
    plot_->SetMarker(0, 0);
    Sync(false);
}

void GraphWindow::SetColors()
{
    const GraphSettings& g = Settings();
    plot_->SetColors(ToQColor(s_.GraphColorBackground), ToQColor(s_.GraphColorForeground), ToQColor(s_.GraphColorAxis));
    for (int series = 1; series <= kGraphColumns; ++series)
        plot_->SetSeriesColor(series, ToQColor(g.SeriesColour(series)));
    plot_->Refresh();
}

void GraphWindow::CopyGrafiek() { plot_->CopyToClipboard(); }

// ---------------------------------------------------------------- printing

QString GraphWindow::PrintTitle() const
{
    return PrintPageTitle(objectName(), Settings().Name, IsRecorder(), lang_[kRecorderText], s_.LogFileName,
                          s_.FolderData);
}

namespace {
// A line's channel name and unit as the legend and the report name them.
struct LineName {
    QString channel, unit;
};
LineName NameOfLine(const AppState& s, const GraphModel& m, int line)
{
    const int input = m.Input(line);
    const int ch = m.ChannelOfInput(input);
    LineName n;
    n.channel = ch >= 1 && ch <= s.ChannelCount && size_t(ch) < s.Channels.size() ? s.Channel(ch).Name.trimmed()
                                                                                   : QStringLiteral("CH%1").arg(ch);
    n.unit = m.LineUnits[size_t(line)];
    if (n.unit.isEmpty() && m.IsTemperatureInput(input))
        n.unit = QStringLiteral("\u00B0C");
    else if (n.unit.isEmpty() && ch >= 1 && size_t(ch) < s.Readings.size())
        n.unit = s.Readings[size_t(ch)].UnitText.trimmed();
    return n;
}
} // namespace

void GraphWindow::PrintGrafiek(PrintEngine& engine)
{
    plot_->RedrawNow();
    // Drawn afresh at a print size, in the window's proportions when it is shown.
    const QSize shown = plot_->isVisible() ? plot_->size() : QSize();
    const int width = 1000;
    const int height = int(std::lround(width * PrintedGraphAspect(shown.width(), shown.height())));
    const QPixmap picture = plot_->Picture(width, height);
    GraphPrint g;
    g.picture = QVariant::fromValue(picture.toImage());
    g.aspect = picture.width() > 0 ? double(picture.height()) / picture.width() : 0.6;
    const GraphSettings& set = Settings();
    // Colours resolved here: the page has no system colours.
    const auto colour = [&](int series) { return FromQColor(ToQColor(set.SeriesColour(series))); };
    if (set.AlarmHoog)
        g.legend.push_back({colour(2), lang_[120] + QStringLiteral(": ") + GraphModel::NumberText(set.AlarmHoogWaarde)});
    if (set.AlarmLaag)
        g.legend.push_back({colour(1), lang_[121] + QStringLiteral(": ") + GraphModel::NumberText(set.AlarmLaagWaarde)});
    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        if (model_->Input(line) <= 0 || !model_->Series(line + 2).Visible)
            continue;
        const LineName n = NameOfLine(s_, *model_, line);
        g.legend.push_back({colour(line + 2), n.channel + QStringLiteral(": ") + n.unit});
    }
    PrintGraph(engine, {PrintTitle(), 0}, g);
}

bool GraphWindow::HasAlarmLine() const { return Settings().AlarmHoog || Settings().AlarmLaag; }

AlarmReportInput GraphWindow::AlarmReport() const
{
    const GraphSettings& set = Settings();
    AlarmReportInput in;
    in.high = set.AlarmHoog;
    in.highLimit = set.AlarmHoogWaarde;
    in.low = set.AlarmLaag;
    in.lowLimit = set.AlarmLaagWaarde;
    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        const int input = model_->Input(line);
        if (input <= 0)
            continue;
        if (!IsRecorder()) {
            in.series.push_back(model_->AlarmSeries(line));
            continue;
        }
        const LineName n = NameOfLine(s_, *model_, line);
        AlarmReportSeries series;
        series.name = AlarmSeriesName(n.channel, n.unit);
        for (int row = 1; row <= model_->MaxRows(); ++row) {
            const double v = model_->Cells().Cell(row, line + 2);
            if (std::isnan(v))
                continue;
            series.values.push_back({v, RecorderAlarmEvent(n.channel, n.unit, v, model_->RowLabel(row))});
        }
        in.series.push_back(std::move(series));
    }
    return in;
}

void GraphWindow::AfdrukkenAlarmRapport(PrintEngine& engine) const
{
    PrintAlarmReport(engine, {PrintTitle(), 0}, BuildAlarmReport(AlarmReport(), lang_));
}

// ---------------------------------------------------------------- the chart follows the model

void GraphWindow::UpdateLabels(bool all)
{
    // Only the labelled rows carry text; a row is labelled again when
    // another reading moved into it.
    bool changed = all;
    for (size_t i = 0; i < tickRows_.size(); ++i) {
        const int reading = model_->IsRecorder() ? 0 : model_->Rows.ReadingAt(tickRows_[i]);
        if (reading != tickReadings_[i]) {
            tickReadings_[i] = reading;
            changed = true;
        }
    }
    if (!changed)
        return;
    std::vector<std::pair<int, QString>> labels;
    labels.reserve(tickRows_.size());
    for (int row : tickRows_)
        labels.emplace_back(row, model_->RowLabel(row));
    plot_->SetCategoryLabels(labels);
}

void GraphWindow::Sync(bool labelsChanged)
{
    GraphModel& m = *model_;
    if (m.TakeSeriesChanged()) {
        for (int series = 1; series <= kGraphColumns; ++series) {
            const GraphSeries& s = m.Series(series);
            plot_->SetSeries(series, s.Visible, s.Legend);
        }
    }
    for (int series = 3; series <= kGraphColumns; ++series) {
        const int flags = m.Series(series).StatFlags;
        const GraphStatistics st = flags ? m.Statistics(series) : GraphStatistics{};
        plot_->SetStatisticLines(series, flags, st, m.StatisticLegends(series, st));
    }
    UpdateLabels(labelsChanged);
    plot_->SetFootnote(m.Footnote(), m.FootnoteVisible());
    if (!m.IsRecorder()) {
        const GraphRows::ScrollBar bar = m.ScrollBar();
        const QSignalBlocker block(scroll_);
        scroll_->setRange(0, bar.maximum);
        scroll_->setValue(bar.position);
    }
    plot_->Refresh();
}

void GraphWindow::PointSelected(int series, int row)
{
    const GraphModel::Selection sel = model_->SelectPoint(series, row);
    if (sel.refused)
        return; // the marker stays with the selection and its footnote
    plot_->SetMarker(sel.marker ? series : 0, row);
    if (sel.tableRow >= 0)
        Q_EMIT TableRowSelected(sel.tableRow);
    Sync(false);
}

void GraphWindow::OtherSelected() { UitschakelenMarkers(); }

void GraphWindow::closeEvent(QCloseEvent* event)
{
    // The close box only hides the window; Remove deletes it.
    event->ignore();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
    Settings().Zichtbaar = false;
    Q_EMIT ClosedByUser(index_);
}
