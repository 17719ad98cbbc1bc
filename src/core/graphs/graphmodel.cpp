#include "core/graphs/graphmodel.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/graphs/graphunits.h"
#include "core/logging/logtable.h"
#include "core/devices/units.h"
#include "core/help/languagetable.h"

#include <algorithm>

namespace {
const QString kDegreeC = QString(QChar(0x00B0)) + QLatin1Char('C');
const QString kOverRange = QStringLiteral("OR.");
const QString kExcluded = QStringLiteral("!x");
enum Texts { kMeanText = 90, kHighLimit = 120, kLowLimit = 121 };
} // namespace

// ---------------------------------------------------------------- cells

void GraphCells::ShiftUp(int column)
{
    for (int r = 1; r < Rows(); ++r)
        SetCell(r, column, Cell(r + 1, column));
}

void GraphCells::FillColumn(int column, double value)
{
    for (int r = 1; r <= Rows(); ++r)
        SetCell(r, column, value);
}

void MemoryCells::Reset(int rows)
{
    rows_ = std::max(rows, 0);
    cells_.assign(size_t(rows_) * kGraphColumns, kNullCell);
}

double MemoryCells::Cell(int row, int column) const
{
    if (row < 1 || row > rows_ || column < 1 || column > kGraphColumns)
        return kNullCell;
    return cells_[size_t(column - 1) * size_t(rows_) + size_t(row - 1)];
}

void MemoryCells::SetCell(int row, int column, double value)
{
    if (row < 1 || row > rows_ || column < 1 || column > kGraphColumns)
        return;
    cells_[size_t(column - 1) * size_t(rows_) + size_t(row - 1)] = value;
}

void MemoryCells::ShiftUp(int column)
{
    if (column < 1 || column > kGraphColumns || rows_ < 2)
        return;
    const auto first = cells_.begin() + std::ptrdiff_t(size_t(column - 1) * size_t(rows_));
    std::move(first + 1, first + rows_, first);
}

// ---------------------------------------------------------------- model

GraphModel::GraphModel(const AppState& state, const LanguageTable& language, GraphCells& cells, const LogTable* table)
    : clock(&NowDays), s_(state), lang_(language), cells_(cells), table_(table)
{
    ApplySize();
}

QString GraphModel::NumberText(double v) { return ToLocaleDecimal(QString::number(v, 'g', 15)); }

void GraphModel::ApplySize()
{
    const int rows = std::clamp(int(Settings.MaxGrafiekZichtbaar), 1, kGraphPointsMax);
    if (rows != Rows.Rows())
        Rows.Resize(rows);
    recorderLabels_.assign(size_t(rows), QString());
    cells_.Reset(rows);
}

int GraphModel::ChannelOfInput(int input) const
{
    if (input <= 0)
        return 0;
    return input <= s_.ChannelCount ? input : input - s_.ChannelCount;
}

bool GraphModel::IsTemperatureInput(int input) const { return input > s_.ChannelCount; }

int GraphModel::ValueColumn(int input) const
{
    const int ch = ChannelOfInput(input);
    if (!table_ || ch < 1 || ch > table_->Channels())
        return -1;
    if (!IsTemperatureInput(input))
        return table_->ValueColumn(ch);
    return table_->Extras() ? table_->ValueColumn(ch) + 2 : -1;
}

QString GraphModel::ChannelName(int channel) const
{
    if (channel >= 1 && channel <= s_.ChannelCount && size_t(channel) < s_.Channels.size())
        return s_.Channel(channel).Name.trimmed();
    return QStringLiteral("CH%1").arg(channel);
}

QString GraphModel::LineUnit(int line) const
{
    if (!LineUnits[size_t(line)].isEmpty())
        return LineUnits[size_t(line)];
    const int input = Input(line);
    if (IsTemperatureInput(input))
        return kDegreeC;
    return input >= 1 && input <= kMaxChannels ? s_.Readings[size_t(input)].UnitText.trimmed() : QString();
}

bool GraphModel::AnyInput() const
{
    for (int line = 1; line <= kMaxLinesPerGraph; ++line)
        if (Input(line) > 0)
            return true;
    return false;
}

void GraphModel::SetSeries(int series, bool visible, const QString& legend)
{
    GraphSeries& s = series_[size_t(series)];
    if (s.Visible != visible || s.Legend != legend) {
        s.Visible = visible;
        s.Legend = legend;
        seriesChanged_ = true;
    }
}

bool GraphModel::TakeSeriesChanged()
{
    const bool changed = seriesChanged_;
    seriesChanged_ = false;
    return changed;
}

bool GraphModel::TakePrintRequest()
{
    const bool r = printRequest_;
    printRequest_ = false;
    return r;
}

// ---------------------------------------------------------------- set-up

void GraphModel::HerInitialiseerGrafiek()
{
    ApplySize();
    UitschakelenMarkers();
    if (IsRecorder())
        Rows.ShownPoints = 0;
    else if (Rows.ShownPoints > MaxRows())
        Rows.ShownPoints = MaxRows();
    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        LineUnits[size_t(line)].clear();
        unitScan_[size_t(line)] = 0;
        const GraphLine& l = Settings.Lines[size_t(line)];
        GraphSeries& series = series_[size_t(line + 2)];
        series.StatFlags = (l.ShowMin ? 1 : 0) | (l.ShowMax ? 2 : 0) | (l.ShowMean ? 4 : 0);
        const int input = l.Input;
        const int ch = ChannelOfInput(input);
        if (input > 0 && !IsTemperatureInput(input) && s_.ChannelInUse(ch))
            SetSeries(line + 2, true, ChannelName(ch));
        else if (input > 0 && IsTemperatureInput(input) && s_.ChannelInUse(ch))
            SetSeries(line + 2, true, kDegreeC);
        else
            SetSeries(line + 2, false, QString());
    }
    seriesChanged_ = true; // statistic flags and colours too
    InstellenAlarmen();
    HertekenGrafiek();
}

void GraphModel::StelNieuweGrafiekIn()
{
    Rows.FirstReading = 1;
    HerInitialiseerGrafiek();
}

void GraphModel::ReInitGrafiekData()
{
    Rows.FirstReading = 1;
    WisGrafiekGegevens();
    HerInitialiseerGrafiek();
}

void GraphModel::WisGrafiekGegevens()
{
    Rows.ShownPoints = 0;
    Rows.Clear();
    ClearData();
}

void GraphModel::ClearData()
{
    for (int column = 3; column <= kGraphColumns; ++column)
        cells_.FillColumn(column, kNullCell);
    std::fill(recorderLabels_.begin(), recorderLabels_.end(), QString());
}

void GraphModel::InstellenAlarmen()
{
    cells_.FillColumn(1, Settings.AlarmLaag ? Settings.AlarmLaagWaarde : kNullCell);
    cells_.FillColumn(2, Settings.AlarmHoog ? Settings.AlarmHoogWaarde : kNullCell);
    SetSeries(2, Settings.AlarmHoog, Settings.AlarmHoog ? lang_[kHighLimit] : QString());
    SetSeries(1, Settings.AlarmLaag, Settings.AlarmLaag ? lang_[kLowLimit] : QString());
}

// ---------------------------------------------------------------- rows

int GraphModel::TableRowOf(int reading) const
{
    if (!table_ || reading < 1)
        return -1;
    // Readings are mostly asked for in order: try the row after the last one.
    for (int row : {rowHint_ + 1, rowHint_}) {
        if (row >= 0 && row < table_->Count() && table_->Number(row) == reading) {
            rowHint_ = row;
            return row;
        }
    }
    const int row = table_->RowOfNumber(reading);
    if (row >= 0)
        rowHint_ = row;
    return row;
}

GraphModel::RowValue GraphModel::ValueOfRow(int tableRow, int line, bool excluded, const QString& lineUnit) const
{
    RowValue r;
    const int input = Input(line);
    if (excluded || input <= 0) {
        // a gap on every line
    } else if (!IsTemperatureInput(input)) {
        // The cells themselves: the table keeps them trimmed, and an
        // over-range reading is a gap whatever text it carries.
        if (input <= table_->Channels() && table_->HasReading(tableRow, input)) {
            r.text = table_->Value(tableRow, input);
            r.unit = table_->Unit(tableRow, input);
            r.over = table_->OverRange(tableRow, input);
        }
    } else if (const int column = ValueColumn(input); column >= 0) {
        r.text = table_->CellText(tableRow, column);
        r.unit = table_->CellText(tableRow, column + 1);
    }
    r.over = r.over || r.text.startsWith(kOverRange);
    r.number = !r.over && !r.text.isEmpty() && GraphValue(r.text, r.unit, lineUnit, r.value);
    return r;
}

void GraphModel::FillRow(int row, int reading)
{
    const int tableRow = TableRowOf(reading);
    const bool excluded = tableRow >= 0 && table_->Info(tableRow).startsWith(kExcluded, Qt::CaseInsensitive);
    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        if (Input(line) <= 0)
            continue;
        double v = kNullCell;
        if (tableRow >= 0) {
            ControleGrafiekEenheid(line);
            const RowValue r = ValueOfRow(tableRow, line, excluded, LineUnits[size_t(line)]);
            if (r.number)
                v = r.value;
        }
        cells_.SetCell(row, line + 2, v);
    }
}

AlarmReportSeries GraphModel::AlarmSeries(int line) const
{
    AlarmReportSeries series;
    const int input = Input(line);
    if (!table_ || input <= 0)
        return series;
    // The unit the line plots in, also before the chart has drawn a row.
    QString unit = LineUnits[size_t(line)];
    int scan = 0;
    if (unit.isEmpty() && !IsTemperatureInput(input))
        unit = FirstTableUnit(input, scan);
    if (unit.isEmpty())
        unit = LineUnit(line);
    series.name = AlarmSeriesName(ChannelName(ChannelOfInput(input)), unit);
    for (int row = 0; row < table_->Count() && table_->Number(row) <= s_.LogCount; ++row) {
        const bool excluded = table_->Info(row).startsWith(kExcluded, Qt::CaseInsensitive);
        const RowValue r = ValueOfRow(row, line, excluded, unit);
        if (!r.number && !r.over)
            continue;
        // A value in another unit of the line's family is named as plotted.
        const bool asTyped = r.over || r.unit.trimmed() == unit;
        series.values.push_back(
            {r.over ? kAlarmOverRangeValue : r.value,
             TableAlarmEvent(series.name, table_->Number(row), table_->CellText(row, 1), table_->CellText(row, 2),
                             r.over ? kOverRange : asTyped ? r.text : NumberText(r.value))});
    }
    return series;
}

void GraphModel::FillRows()
{
    const int rows = MaxRows();
    for (int k = 1; k <= rows; ++k) {
        const int r = Rows.ReadingAt(k);
        if (r > 0)
            FillRow(k, r);
    }
}

void GraphModel::HertekenGrafiek()
{
    ClearData();
    if (!IsRecorder()) {
        Rows.Redraw();
        FillRows();
    }
    BepaalMinMaxima();
}

bool GraphModel::VulGrafiekAan(int reading)
{
    if (IsRecorder()) {
        if (!s_.Connected)
            return false;
        RecorderAppend();
        return true;
    }
    const GraphRows::Added a = Rows.Add(reading, s_.LogCount);
    if (a.jumped) {
        ClearData();
        FillRows();
        BepaalMinMaxima();
    } else if (a.row > 0) {
        FillRow(a.row, reading);
    }
    return true;
}

void GraphModel::RecorderAppend()
{
    const int last = MaxRows();
    bool first = true;
    for (int line = 1; line <= kMaxLinesPerGraph; ++line) {
        const int input = Input(line);
        if (input <= 0)
            continue;
        ControleGrafiekEenheid(line);
        cells_.ShiftUp(line + 2);
        if (first)
            std::move(recorderLabels_.begin() + 1, recorderLabels_.end(), recorderLabels_.begin());
        const int ch = ChannelOfInput(input);
        QString value, unit;
        bool over = false;
        if (ch >= 1 && ch <= kMaxChannels) {
            const ChannelReading& r = s_.Readings[size_t(ch)];
            if (IsTemperatureInput(input)) {
                value = r.ExtraText;
                unit = kDegreeC;
                over = r.OverRange && OverRangeHidesTemperature(s_.DeviceName);
            } else {
                value = r.ValueText;
                unit = r.UnitText;
                over = r.OverRange;
            }
        }
        value = value.trimmed();
        double v = kNullCell, x = 0;
        if (!over && !value.isEmpty() && !value.startsWith(kOverRange) &&
            GraphValue(value, unit, LineUnits[size_t(line)], x))
            v = x;
        cells_.SetCell(last, line + 2, v);
        if (first)
            recorderLabels_.back() = ClockLabel();
        first = false;
        if (SelectedSeries == line + 2 && footnoteVisible_)
            RefreshFootnote();
    }
    if (++Rows.ShownPoints >= last) {
        if (Settings.AfdrukkenRecorder)
            printRequest_ = true;
        Rows.ShownPoints = 0;
    }
}

void GraphModel::LadenGrafiek()
{
    if (IsRecorder())
        return;
    Rows.Load(s_.LogCount);
    HertekenGrafiek();
}

void GraphModel::HerladenGrafiek()
{
    if (IsRecorder())
        return; // a recorder holds the readings it saw, not the table's
    ReInitGrafiekData();
    const int logCount = s_.LogCount;
    for (int r = 1; r <= logCount; ++r)
        Rows.Add(r, logCount);
    ClearData();
    FillRows();
    BepaalMinMaxima();
}

void GraphModel::ScrollTo(int position)
{
    if (IsRecorder())
        return;
    Rows.ScrollTo(position, s_.LogCount);
    HertekenGrafiek();
}

GraphRows::ScrollBar GraphModel::ScrollBar() const { return Rows.Bar(s_.LogCount); }

// ---------------------------------------------------------------- labels

QString GraphModel::TableLabel(int tableRow) const
{
    switch (Settings.LabelKeuze) {
    case 1: return table_->CellText(tableRow, 2);
    case 2: return table_->CellText(tableRow, 1);
    case 3: return table_->CellText(tableRow, 0);
    default: return table_->CellText(tableRow, 1) + QLatin1Char(' ') + table_->CellText(tableRow, 2);
    }
}

QString GraphModel::ClockLabel() const
{
    const double now = clock ? clock() : NowDays();
    switch (Settings.LabelKeuze) {
    case 1: return stamps_.FormatTime(now);
    case 2: return stamps_.FormatDate(now);
    case 3: return QString::number(Rows.ShownPoints);
    default: return stamps_.Format(now);
    }
}

QString GraphModel::RowLabel(int row) const
{
    if (row < 1 || row > MaxRows())
        return QString();
    if (IsRecorder())
        return recorderLabels_[size_t(row - 1)];
    // A row is labelled when it was filled for at least one line.
    if (!AnyInput())
        return QString();
    const int tableRow = TableRowOf(Rows.ReadingAt(row));
    return tableRow >= 0 ? TableLabel(tableRow) : QString();
}

// ---------------------------------------------------------------- statistics

int GraphModel::StatisticRows() const
{
    // A recorder's rows move under it; every row it shows counts.
    return IsRecorder() ? MaxRows() : std::clamp(Rows.ShownPoints, 0, MaxRows());
}

GraphStatistics GraphModel::Statistics(int column) const
{
    GraphStatistics st;
    double sum = 0;
    const int rows = StatisticRows();
    for (int r = 1; r <= rows; ++r) {
        const double v = cells_.Cell(r, column);
        if (IsNullCell(v))
            continue;
        if (st.Count == 0 || v < st.Minimum)
            st.Minimum = v;
        if (st.Count == 0 || v > st.Maximum)
            st.Maximum = v;
        sum += v;
        ++st.Count;
    }
    if (st.Count > 0)
        st.Mean = sum / st.Count;
    return st;
}

std::array<QString, 3> GraphModel::StatisticLegends(int series, const GraphStatistics& st) const
{
    std::array<QString, 3> texts;
    if (series < 3 || series > kGraphColumns || st.Count == 0)
        return texts;
    const QString name = Series(series).Legend + QLatin1Char(' ');
    const QString mean = lang_[kMeanText].trimmed();
    // Six digits: a mean's fifteen would widen the legend over the chart.
    const auto number = [](double v) { return ToLocaleDecimal(QString::number(v, 'g', 6)); };
    texts[0] = name + QStringLiteral("MIN: ") + number(st.Minimum);
    texts[1] = name + QStringLiteral("MAX: ") + number(st.Maximum);
    texts[2] = name + mean + QLatin1Char(' ') + number(st.Mean);
    return texts;
}

void GraphModel::BepaalMinMaxima()
{
    footnote_ = footnoteBase_;
    if (s_.FileLoading || SelectedSeries <= 2 || SelectedSeries > kGraphColumns)
        return;
    const int line = SelectedSeries - 2;
    const GraphLine& l = Settings.Lines[size_t(line)];
    if (!l.ShowMin && !l.ShowMax && !l.ShowMean)
        return;
    const GraphStatistics st = Statistics(SelectedSeries);
    // The values are in the line's unit, whatever unit the last reading had.
    const QString unit = LineUnit(line);
    const auto number = [&st](double v) { return st.Count > 0 ? NumberText(v) : QString(); };
    QString text = QStringLiteral(" [");
    if (l.ShowMin)
        text += QStringLiteral("MIN: ") + number(st.Minimum) + unit + QStringLiteral("  ");
    if (l.ShowMax)
        text += QStringLiteral("MAX: ") + number(st.Maximum) + unit + QStringLiteral("  ");
    if (l.ShowMean && st.Count > 0)
        text += lang_[kMeanText] + NumberText(st.Mean) + unit;
    text += QLatin1Char(']');
    footnote_ += text;
}

// ---------------------------------------------------------------- selection

void GraphModel::UitschakelenMarkers()
{
    SelectedSeries = SelectedPoint = 0;
    footnoteBase_.clear();
    footnote_.clear();
    footnoteVisible_ = false;
}

GraphModel::Selection GraphModel::SelectPoint(int series, int row)
{
    Selection sel;
    if (s_.Connected) {
        sel.refused = true;
        return sel;
    }
    UitschakelenMarkers();
    if (series < 1 || series > kGraphColumns || row < 1 || row > MaxRows())
        return sel;
    const double v = cells_.Cell(row, series);
    const QString value = IsNullCell(v) ? QString() : NumberText(v);
    if (series <= 2) {
        footnoteBase_ = lang_[series == 1 ? kLowLimit : kHighLimit] + QStringLiteral(": ") + value + QLatin1Char(' ');
        footnote_ = footnoteBase_;
        footnoteVisible_ = true;
        return sel;
    }
    SelectedSeries = series;
    SelectedPoint = row;
    footnoteVisible_ = true;
    RefreshFootnote();
    if (!IsRecorder()) {
        sel.marker = true;
        sel.tableRow = TableRowOf(Rows.ReadingAt(row));
    }
    return sel;
}

void GraphModel::RefreshFootnote()
{
    const int series = SelectedSeries, row = SelectedPoint;
    const int line = series - 2;
    const int input = Input(line);
    const double v = cells_.Cell(row, series);
    const QString value = IsNullCell(v) ? QString() : NumberText(v);
    const QString unit = IsTemperatureInput(input) ? kDegreeC : LineUnits[size_t(line)];
    const QString name = ChannelName(ChannelOfInput(input));
    if (IsRecorder()) {
        footnoteBase_ = name + QStringLiteral(": ") + value + unit + QStringLiteral(": ") + RowLabel(row);
    } else {
        // The reading actually drawn in the row (after a jump the last row
        // may hold a later reading than FirstReading + row - 1).
        const int reading = Rows.ReadingAt(row);
        const int tableRow = TableRowOf(reading);
        const QString time = tableRow >= 0 ? table_->CellText(tableRow, 2) : QString();
        footnoteBase_ = name + QStringLiteral(": No.") + QString::number(reading) + QLatin1Char('(') + time +
                        QStringLiteral("): ") + value + unit;
    }
    BepaalMinMaxima();
}

// ---------------------------------------------------------------- units

void GraphModel::InstellenGrafiekEenheid(int line)
{
    const int input = Input(line);
    if (input <= 0)
        return;
    QString& unit = LineUnits[size_t(line)];
    if (IsTemperatureInput(input)) {
        unit = kDegreeC;
        return;
    }
    if (IsRecorder()) {
        const QString u = input <= kMaxChannels ? s_.Readings[size_t(input)].UnitText.trimmed() : QString();
        if (!u.isEmpty())
            unit = u;
        return;
    }
    // Rows searched before are not searched again.
    const QString u = FirstTableUnit(input, unitScan_[size_t(line)]);
    if (!u.isEmpty())
        unit = u;
}

QString GraphModel::FirstTableUnit(int input, int& row) const
{
    const int column = ValueColumn(input);
    if (column < 0)
        return QString();
    for (; row < table_->Count(); ++row) {
        const QString u = table_->CellText(row, column + 1).trimmed();
        if (!u.isEmpty())
            return u;
    }
    return QString();
}

void GraphModel::ControleGrafiekEenheid(int line)
{
    const int input = Input(line);
    if (input <= 0)
        return;
    const int ch = ChannelOfInput(input);
    if (!IsTemperatureInput(input)) {
        if (!LineUnits[size_t(line)].isEmpty() || !s_.ChannelInUse(ch))
            return;
        InstellenGrafiekEenheid(line);
        const QString& unit = LineUnits[size_t(line)];
        SetSeries(line + 2, true,
                  unit.isEmpty() ? Series(line + 2).Legend
                                 : unit + QStringLiteral(" (") + ChannelName(ch) + QLatin1Char(')'));
        return;
    }
    InstellenGrafiekEenheid(line);
    SetSeries(line + 2, true, kDegreeC + QStringLiteral(" (") + ChannelName(ch) + QLatin1Char(')'));
}
