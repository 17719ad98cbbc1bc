#include "core/logging/logtable.h"

#include "core/model/appstate.h"
#include "core/model/datetime.h"
#include "core/help/languagetable.h"

#include <algorithm>
#include <limits>

namespace {
enum CellFlag : quint8 { CellHasValue = 1, CellOverRange = 2 };
enum RowFlag : quint8 { RowHasTime = 1 };
enum Text { kNo = 22, kDate = 23, kTime = 24, kInfo = 25, kUnit = 100 };

const QString kDegC = QStringLiteral("\u00B0C");
const QString kDegF = QStringLiteral("\u00B0F");
const QString kOverRangeText = QStringLiteral("OR.");
const QString kExcludedMark = QStringLiteral("!x");

quint16 ClampLength(qsizetype n) { return quint16(std::min<qsizetype>(n, std::numeric_limits<quint16>::max())); }
} // namespace

// The temperature without its unit, as the table shows it.
QString TemperatureNumber(QString extra)
{
    extra.remove(kDegC);
    extra.remove(kDegF);
    extra.remove(QLatin1Char('K'));
    return extra.trimmed();
}

QString TemperatureUnit(const QString& extra)
{
    if (extra.contains(kDegF))
        return kDegF;
    if (extra.contains(kDegC))
        return kDegC;
    if (extra.contains(QLatin1Char('K')))
        return QStringLiteral("K");
    return QString();
}

LogTable::LogTable(QObject* parent) : QAbstractTableModel(parent)
{
    pool_.emplace_back();
    poolIndex_.insert(QString(), 0);
    captions_ = {QStringLiteral("No"), QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Info")};
}

// ---------------------------------------------------------------- layout

void LogTable::SetLayout(const QString& deviceName, int loggedChannels)
{
    const int channels = std::clamp(loggedChannels, 0, kMaxChannels);
    const bool extras = HasExtraItem(deviceName);
    const bool keep = channels == channels_ && extras == extras_;
    beginResetModel();
    device_ = deviceName;
    overRangeHidesTemperature_ = OverRangeHidesTemperature(deviceName);
    if (!keep) {
        channels_ = channels;
        extras_ = extras;
        rows_.clear();
        cells_.clear();
        text_.clear();
        lastNumber_ = 0;
    }
    lastUnit_.assign(size_t(channels_) + 1, QByteArray());
    lastUnitId_.assign(size_t(channels_) + 1, 0);
    endResetModel();
}

void LogTable::SetLayout(const AppState& s) { SetLayout(s.DeviceName, LoggedChannelCount(s)); }

int LogTable::ChannelOfColumn(int column) const
{
    if (column < kFirstChannelColumn || column >= InfoColumn())
        return 0;
    return (column - kFirstChannelColumn) / Stride() + 1;
}

void LogTable::LoadCaptions(const LanguageTable& lang)
{
    QString unit = lang[kUnit];
    unit.remove(QLatin1Char(':'));
    captions_ = {lang[kNo], lang[kDate], lang[kTime], lang[kInfo], unit.trimmed()};
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

void LogTable::SetColors(ColorValue foreground, ColorValue background, ColorValue special)
{
    foreground_ = foreground;
    background_ = background;
    special_ = special;
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {ForegroundValueRole, BackgroundValueRole});
}

// ---------------------------------------------------------------- rows

void LogTable::Clear()
{
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    cells_.clear();
    cells_.shrink_to_fit();
    lastNumber_ = 0;
    text_ = QString();
    pool_.resize(1);
    poolIndex_.clear();
    poolIndex_.insert(QString(), 0);
    colors_.resize(1);
    lastUnit_.assign(size_t(channels_) + 1, QByteArray());
    lastUnitId_.assign(size_t(channels_) + 1, 0);
    endResetModel();
}

void LogTable::Reserve(int rows)
{
    rows_.reserve(size_t(std::max(rows, 0)));
    cells_.reserve(size_t(std::max(rows, 0)) * size_t(channels_));
}

const LogTable::Cell* LogTable::CellAt(int row, int channel) const
{
    if (row < 0 || row >= Count() || channel < 1 || channel > channels_)
        return nullptr;
    return &cells_[size_t(row) * size_t(channels_) + size_t(channel - 1)];
}

LogTable::Cell* LogTable::CellAt(int row, int channel)
{
    return const_cast<Cell*>(static_cast<const LogTable*>(this)->CellAt(row, channel));
}

quint32 LogTable::Intern(const QString& text)
{
    if (text.isEmpty())
        return 0;
    const auto it = poolIndex_.constFind(text);
    if (it != poolIndex_.constEnd())
        return it.value();
    const auto id = quint32(pool_.size());
    pool_.push_back(text);
    poolIndex_.insert(text, id);
    return id;
}

quint32 LogTable::InternLatin1(QByteArrayView bytes)
{
    return bytes.isEmpty() ? 0 : Intern(QString::fromLatin1(bytes.data(), bytes.size()));
}

quint32 LogTable::AddText(QStringView text, quint16& length)
{
    length = ClampLength(text.size());
    const auto offset = quint32(text_.size());
    text_.append(text.left(length));
    return offset;
}

quint32 LogTable::AddLatin1(QByteArrayView bytes, quint16& length)
{
    length = ClampLength(bytes.size());
    const auto offset = quint32(text_.size());
    text_.append(QLatin1StringView(bytes.data(), length));
    return offset;
}

QString LogTable::Text(quint32 offset, quint16 length) const
{
    return length == 0 ? QString() : text_.mid(offset, length);
}

void LogTable::AppendNumbered(int count)
{
    const size_t old = rows_.size();
    rows_.resize(old + size_t(count));
    cells_.resize(rows_.size() * size_t(channels_));
    for (size_t r = old; r < rows_.size(); ++r)
        rows_[r].number = quint32(++lastNumber_);
}

int LogTable::RowOfNumber(int number) const
{
    if (number < 1 || number > lastNumber_ || rows_.empty())
        return -1;
    // Logging writes the last row; look there before searching.
    if (rows_.back().number == quint32(number))
        return Count() - 1;
    const int row = FirstRowFrom(number);
    return row < Count() && rows_[size_t(row)].number == quint32(number) ? row : -1;
}

int LogTable::FirstRowFrom(int number) const
{
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), quint32(number),
                                     [](const Row& r, quint32 n) { return r.number < n; });
    return int(it - rows_.begin());
}

void LogTable::WriteRow(int row, const AppState& s, const QString& info)
{
    Row& r = rows_[size_t(row)];
    r.time = s.Readings[1].ReadingTime;
    r.flags |= RowHasTime;
    for (int c = 1; c <= channels_; ++c) {
        const ChannelReading& reading = s.Readings[size_t(c)];
        if (!s.ChannelInUse(c) || !reading.HasValue)
            continue;
        Cell& cell = *CellAt(row, c);
        cell.value = AddText(reading.ValueText.trimmed(), cell.valueLength);
        cell.unit = Intern(reading.UnitText.trimmed());
        if (extras_)
            cell.extra = AddText(reading.ExtraText.trimmed(), cell.extraLength);
        cell.flags = CellHasValue | (reading.OverRange ? CellOverRange : 0);
        cell.color = 0;
    }
    r.info = Intern(info.trimmed());
}

void LogTable::RowsChanged(int first, int last)
{
    Q_EMIT dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void LogTable::VulTabelAan(const AppState& s, const QString& info)
{
    const int n = s.LogCount;
    if (n < 1)
        return;
    const int old = Count();
    if (n > lastNumber_) {
        // The old trailing row becomes a reading row; the rows after it,
        // numbered up to n, are new.
        const int added = n - lastNumber_;
        beginInsertRows({}, old + 1, old + added);
        AppendNumbered(added);
        WriteRow(old + added - 1, s, info);
        endInsertRows();
        RowsChanged(old, old + added - 1);
        return;
    }
    int row = RowOfNumber(n);
    if (row < 0) {
        // Its row was deleted: the reading gets it back in number order.
        row = FirstRowFrom(n);
        beginInsertRows({}, row, row);
        Row fresh;
        fresh.number = quint32(n);
        rows_.insert(rows_.begin() + row, fresh);
        cells_.insert(cells_.begin() + std::ptrdiff_t(row) * channels_, size_t(channels_), Cell());
        WriteRow(row, s, info);
        endInsertRows();
        return;
    }
    WriteRow(row, s, info);
    RowsChanged(row, row);
}

void LogTable::VernieuwLaatsteTabellijn(const AppState& s, const QString& info) { VulTabelAan(s, info); }

void LogTable::RemoveRows(int first, int count)
{
    first = std::max(first, 0);
    count = std::min(count, Count() - first);
    if (count <= 0)
        return;
    beginRemoveRows({}, first, first + count - 1);
    rows_.erase(rows_.begin() + first, rows_.begin() + first + count);
    const auto cellFirst = cells_.begin() + std::ptrdiff_t(first) * channels_;
    cells_.erase(cellFirst, cellFirst + std::ptrdiff_t(count) * channels_);
    endRemoveRows();
}

void LogTable::RemoveRows(const std::vector<int>& rows)
{
    if (rows.empty())
        return;
    if (rows.back() - rows.front() + 1 == int(rows.size())) {
        RemoveRows(rows.front(), int(rows.size()));
        return;
    }
    // Scattered rows: one pass that keeps the others in order, instead of
    // one erase per run.
    beginResetModel();
    size_t kept = 0, next = 0;
    while (next < rows.size() && rows[next] < 0)
        ++next;
    const size_t stride = size_t(channels_);
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (next < rows.size() && rows[next] == int(r)) {
            ++next;
            continue;
        }
        if (kept != r) {
            rows_[kept] = rows_[r];
            std::copy_n(cells_.begin() + std::ptrdiff_t(r * stride), stride, cells_.begin() + std::ptrdiff_t(kept * stride));
        }
        ++kept;
    }
    rows_.resize(kept);
    cells_.resize(kept * stride);
    endResetModel();
}

void LogTable::Renumber()
{
    for (size_t r = 0; r < rows_.size(); ++r)
        rows_[r].number = quint32(r + 1);
    lastNumber_ = Count();
    // The trailing row's number changes too.
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0));
    Q_EMIT headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

int LogTable::Number(int row) const
{
    if (row >= 0 && row < Count())
        return int(rows_[size_t(row)].number);
    return row >= 0 ? lastNumber_ + 1 : 0;
}

bool LogTable::HasTime(int row) const
{
    return row >= 0 && row < Count() && (rows_[size_t(row)].flags & RowHasTime);
}

double LogTable::Time(int row) const { return HasTime(row) ? rows_[size_t(row)].time : 0.0; }

bool LogTable::HasReading(int row, int channel) const
{
    const Cell* c = CellAt(row, channel);
    return c && (c->flags & CellHasValue);
}

QString LogTable::Value(int row, int channel) const
{
    const Cell* c = CellAt(row, channel);
    return c ? Text(c->value, c->valueLength) : QString();
}

QString LogTable::Unit(int row, int channel) const
{
    const Cell* c = CellAt(row, channel);
    return c ? pool_[c->unit] : QString();
}

QString LogTable::Extra(int row, int channel) const
{
    const Cell* c = CellAt(row, channel);
    return c ? Text(c->extra, c->extraLength) : QString();
}

bool LogTable::OverRange(int row, int channel) const
{
    const Cell* c = CellAt(row, channel);
    return c && (c->flags & CellOverRange);
}

QString LogTable::Info(int row) const
{
    return row >= 0 && row < Count() ? pool_[rows_[size_t(row)].info] : QString();
}

bool LogTable::Excluded(int row) const { return Info(row).startsWith(kExcludedMark); }

void LogTable::SetInfo(int row, const QString& info)
{
    if (row < 0 || row >= Count())
        return;
    rows_[size_t(row)].info = Intern(info.trimmed());
    RowsChanged(row, row);
}

void LogTable::SetCellColor(int row, int channel, ColorValue color)
{
    Cell* c = CellAt(row, channel);
    if (!c)
        return;
    auto it = std::find(colors_.begin() + 1, colors_.end(), color);
    if (it == colors_.end()) {
        if (colors_.size() > 255)
            return; // more alarm colours than anyone configures
        colors_.push_back(color);
        it = colors_.end() - 1;
    }
    c->color = quint8(it - colors_.begin());
    const QModelIndex i = index(row, ValueColumn(channel));
    Q_EMIT dataChanged(i, i, {ForegroundValueRole});
}

void LogTable::ClearCellColors()
{
    for (Cell& c : cells_)
        c.color = 0;
    colors_.resize(1);
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {ForegroundValueRole});
}

// ---------------------------------------------------------------- relative clock

void LogTable::SetRelativeTime(bool on)
{
    relative_ = on;
    Q_EMIT dataChanged(index(0, 1), index(rowCount() - 1, 2));
}

void LogTable::SetReferenceTime(double days)
{
    reference_ = days;
    if (relative_)
        Q_EMIT dataChanged(index(0, 1), index(rowCount() - 1, 2));
}

void LogTable::ReloadLocale()
{
    stamps_ = StampFormat();
    Q_EMIT dataChanged(index(0, 1), index(rowCount() - 1, 2));
}

// ---------------------------------------------------------------- display

QString LogTable::CellText(int row, int column) const
{
    if (row < 0 || row > Count() || column < 0 || column > InfoColumn())
        return QString();
    if (column == 0)
        return QString::number(Number(row));
    if (row == Count())
        return QString(); // the trailing empty row
    if (column == 1 || column == 2) {
        if (!HasTime(row))
            return QString();
        const double t = Time(row);
        if (!relative_)
            return column == 1 ? stamps_.FormatDate(t) : stamps_.FormatTime(t);
        const qint64 diff = SecondKey(t) - SecondKey(reference_);
        const qint64 magnitude = diff < 0 ? -diff : diff;
        if (column == 1)
            return QLatin1Char(diff < 0 ? '-' : '+') + QString::number(magnitude / qint64(kSecondsPerDay));
        return FormatSecondsAsTime(magnitude % qint64(kSecondsPerDay), QStringLiteral(":"));
    }
    if (column == InfoColumn())
        return Info(row);
    const int channel = ChannelOfColumn(column);
    const Cell* c = CellAt(row, channel);
    if (!c || !(c->flags & CellHasValue))
        return QString();
    const bool over = c->flags & CellOverRange;
    switch ((column - kFirstChannelColumn) % Stride()) {
    case 0: return over ? kOverRangeText : Text(c->value, c->valueLength);
    case 1: return pool_[c->unit];
    case 2: return over && overRangeHidesTemperature_ ? kOverRangeText : TemperatureNumber(Text(c->extra, c->extraLength));
    default: return TemperatureUnit(Text(c->extra, c->extraLength));
    }
}

QString LogTable::CopyText(const std::vector<int>& rows, const std::vector<int>& columns) const
{
    QString out;
    bool firstRow = true;
    for (int r : rows) {
        if (!firstRow)
            out += QLatin1String("\r\n");
        firstRow = false;
        bool firstCell = true;
        for (int c : columns) {
            if (!firstCell)
                out += QLatin1Char('\t');
            firstCell = false;
            out += CellText(r, c);
        }
    }
    return out;
}

ColorValue LogTable::Foreground(int row, int column) const
{
    if (row >= Count())
        return foreground_;
    if (Excluded(row) || (column == InfoColumn() && rows_[size_t(row)].info != 0))
        return special_;
    const int channel = ChannelOfColumn(column);
    if (channel > 0 && column == ValueColumn(channel)) {
        const Cell* c = CellAt(row, channel);
        if (c && c->color)
            return colors_[c->color];
    }
    return foreground_;
}

// ---------------------------------------------------------------- bulk

void LogTable::BeginBulk()
{
    beginResetModel();
}

void LogTable::AppendBulk(double time, bool hasTime, const RawCell* cells, QByteArrayView info)
{
    Row row;
    row.time = time;
    row.number = quint32(++lastNumber_);
    row.flags = hasTime ? RowHasTime : 0;
    row.info = InternLatin1(info.trimmed());
    rows_.push_back(row);
    for (int c = 1; c <= channels_; ++c) {
        const RawCell& raw = cells[c - 1];
        Cell cell;
        if (raw.hasValue) {
            cell.value = AddLatin1(raw.value.trimmed(), cell.valueLength);
            const QByteArrayView unit = raw.unit.trimmed();
            if (unit == QByteArrayView(lastUnit_[size_t(c)])) {
                cell.unit = lastUnitId_[size_t(c)];
            } else {
                cell.unit = InternLatin1(unit);
                lastUnit_[size_t(c)] = unit.toByteArray();
                lastUnitId_[size_t(c)] = cell.unit;
            }
            if (extras_)
                cell.extra = AddLatin1(raw.extra.trimmed(), cell.extraLength);
            cell.flags = CellHasValue | (raw.overRange ? CellOverRange : 0);
        }
        cells_.push_back(cell);
    }
}

void LogTable::EndBulk()
{
    endResetModel();
}

// ---------------------------------------------------------------- model

int LogTable::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count() + 1; }

int LogTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : InfoColumn() + 1; }

QVariant LogTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row(), column = index.column();
    switch (role) {
    case Qt::DisplayRole: return CellText(row, column);
    case ForegroundValueRole: return QVariant::fromValue<quint32>(Foreground(row, column));
    case BackgroundValueRole: return QVariant::fromValue<quint32>(background_);
    case ExcludedRole: return Excluded(row);
    case TimeRole: return HasTime(row) ? QVariant(Time(row)) : QVariant();
    default: return {};
    }
}

QVariant LogTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(Number(section));
    if (section < kFirstChannelColumn)
        return captions_.value(section);
    if (section == InfoColumn())
        return captions_.value(3);
    const int channel = ChannelOfColumn(section);
    switch ((section - kFirstChannelColumn) % Stride()) {
    case 0:
    case 2: return QStringLiteral("CH") + QString::number(channel);
    case 1: return captions_.value(4, QStringLiteral("Unit"));
    default: return kDegC;
    }
}

Qt::ItemFlags LogTable::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
