#include "core/logging/numericexport.h"

#include "core/devices/units.h"
#include "core/logging/csvexport.h"
#include "core/logging/logtable.h"
#include "core/model/appstate.h"
#include "core/model/datetime.h"

#include <QDateTime>
#include <QIODevice>
#include <charconv>
#include <cmath>
#include <limits>

namespace {
constexpr qsizetype kFlushAt = 1 << 20;
constexpr int kProgressEvery = 4096; // rows between two progress calls
constexpr int kProblemsTold = 20;    // told one by one; the rest as a count

QString ChannelName(const ExportScope& scope, int channel)
{
    const QString name = scope.names.value(channel - 1).trimmed();
    return name.isEmpty() ? QStringLiteral("CH") + QString::number(channel) : name;
}

bool InUse(const ExportScope& scope, int channel)
{
    return size_t(channel - 1) >= scope.inUse.size() || scope.inUse[size_t(channel - 1)];
}

} // namespace

ExportScope ExportScopeOf(const AppState& state, const LogTable& table, const LanguageTable* language)
{
    ExportScope scope;
    scope.table = &table;
    scope.language = language;
    for (int c = 1; c <= table.Channels(); ++c) {
        scope.names << (size_t(c) < state.Channels.size() ? state.Channel(c).Name : QString());
        scope.inUse.push_back(state.ChannelInUse(c));
    }
    return scope;
}

// ---------------------------------------------------------------- plan

ExportPlan::ExportPlan(const ExportScope& scope) : table_(scope.table), zone_(scope.zone)
{
    const LogTable& t = *table_;
    auto addRow = [&](int row) {
        if (IsStopRecord(t.Info(row), scope.language))
            ++stops_;
        else
            rows_.push_back(row);
    };
    if (scope.rows.empty()) {
        rows_.reserve(size_t(t.Count()));
        for (int r = 0; r < t.Count(); ++r)
            addRow(r);
    } else {
        for (int r : scope.rows)
            if (r >= 0 && r < t.Count())
                addRow(r);
    }

    channels_.resize(size_t(t.Channels()));
    for (int c = 1; c <= t.Channels(); ++c) {
        Channel& ch = channels_[size_t(c - 1)];
        ch.name = ChannelName(scope, c);
        ch.inUse = InUse(scope, c);
        // The first reading that is a number names the column's unit; a
        // channel with readings but no number takes the first reading's.
        bool any = false, number = false, temperature = !t.Extras();
        for (int r : rows_) {
            if (!t.HasReading(r, c))
                continue;
            if (!number) {
                const bool isNumber = !t.OverRange(r, c) && IsNumberText(QStringView(t.Value(r, c)).trimmed());
                if (!any || isNumber)
                    ch.unit = OneUnit(t.Unit(r, c));
                number = isNumber;
                any = true;
            }
            if (!temperature) {
                ch.temperatureUnit = t.CellText(r, t.ValueColumn(c) + 3);
                temperature = !ch.temperatureUnit.isEmpty();
            }
            if (number && temperature)
                break;
        }
        ch.off = !any;
    }
}

bool ExportPlan::Times(double& first, double& last) const
{
    bool found = false;
    for (int r : rows_) {
        if (!table_->HasTime(r))
            continue;
        const double t = table_->Time(r);
        first = found ? std::min(first, t) : t;
        last = found ? std::max(last, t) : t;
        found = true;
    }
    return found;
}

QString ExportPlan::ValueHeading(int channel) const
{
    const Channel& ch = channels_[size_t(channel - 1)];
    return ch.unit.isEmpty() ? ch.name : ch.name + QStringLiteral(" (") + ch.unit + QLatin1Char(')');
}

// ---------------------------------------------------------------- rows

ExportRows::ExportRows(const ExportPlan& plan, bool ownUnits, const ExportNotice& notice)
    : plan_(plan), notice_(notice), cells_(plan.Channels().size())
{
    for (const ExportPlan::Channel& ch : plan.Channels()) {
        values_.emplace_back(ownUnits ? QString() : ch.unit);
        temperatures_.emplace_back(ownUnits ? QString() : ch.temperatureUnit);
    }
}

void ExportRows::Read(int row)
{
    const LogTable& t = plan_.Table();
    for (int c = 1; c <= int(cells_.size()); ++c) {
        Cell& cell = cells_[size_t(c - 1)];
        const ExportPlan::Channel& ch = plan_.Channels()[size_t(c - 1)];
        ChannelValues& values = values_[size_t(c - 1)];
        cell.hasTemperature = false;
        cell.unit = &ch.unit;
        if (ch.off) {
            cell.flag = ReadingFlag::Off;
            continue;
        }
        const bool has = t.HasReading(row, c);
        if (!has && !ch.inUse) {
            cell.flag = ReadingFlag::Off;
            continue;
        }
        const QString value = has ? t.Value(row, c) : QString();
        const QString unit = has ? t.Unit(row, c) : QString();
        cell.flag = values.Read({value, unit, t.OverRange(row, c), has}, cell.value);
        if (cell.flag == ReadingFlag::None)
            cell.unit = &values.Unit();
        else if (cell.flag == ReadingFlag::OtherUnit && Tell())
            Say(row, c, QStringLiteral("'%1 %2' is not in %3").arg(value.trimmed(), unit.trimmed(), ch.unit));
        else if (cell.flag == ReadingFlag::Damaged && Tell())
            Say(row, c, QStringLiteral("'%1' is no number").arg(value.trimmed()));
        if (!t.Extras() || !has)
            continue;
        const int column = t.ValueColumn(c) + 2;
        const QString number = t.CellText(row, column), tunit = t.CellText(row, column + 1);
        ChannelValues& temps = temperatures_[size_t(c - 1)];
        const ReadingFlag tflag = temps.Read({number, tunit, false, !number.isEmpty()}, cell.temperature);
        cell.hasTemperature = tflag == ReadingFlag::None;
        if (tflag == ReadingFlag::OtherUnit && Tell())
            Say(row, c, QStringLiteral("temperature '%1 %2' is not in %3").arg(number, tunit, ch.temperatureUnit));
    }
}

bool ExportRows::Tell()
{
    // Counted always; only the first ones are worth the text (a channel that
    // switched units may give a million).
    return ++problems_ <= kProblemsTold && notice_;
}

void ExportRows::Say(int row, int channel, const QString& what)
{
    notice_(QStringLiteral("No %1, %2: %3; left empty")
                .arg(plan_.Table().Number(row))
                .arg(plan_.Channels()[size_t(channel - 1)].name, what));
}

void ExportRows::Finish()
{
    if (problems_ > kProblemsTold && notice_)
        notice_(QStringLiteral("%1 more value(s) could not be converted and were left empty")
                    .arg(problems_ - kProblemsTold));
}

// ---------------------------------------------------------------- times

void AppendNumber(QByteArray& out, double value)
{
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, value);
    out.append(text, r.ptr - text);
}

// ---------------------------------------------------------------- CSV

namespace {
class CsvWriter {
public:
    CsvWriter(const ExportScope& scope, QIODevice& out, const ExportNotice& notice, const ExportProgress& progress)
        : plan_(scope), out_(out), progress_(progress), offsets_(scope.zone)
    {
        notice_ = notice;
        buffer_.reserve(kFlushAt + 64 * 1024);
    }

    ExportResult Write(CsvLayout layout)
    {
        ExportRows rows(plan_, layout == CsvLayout::Long, notice_);
        layout == CsvLayout::Wide ? WideHeading() : LongHeading();
        const qint64 total = qint64(plan_.Rows().size());
        qint64 done = 0;
        for (int r : plan_.Rows()) {
            rows.Read(r);
            layout == CsvLayout::Wide ? WideRow(r, rows) : LongRows(r, rows);
            if (!Flush(false))
                return Failed();
            if (++done % kProgressEvery == 0 && progress_ && !progress_(done, total)) {
                result_.cancelled = true;
                break;
            }
        }
        if (!Flush(true))
            return Failed();
        if (progress_ && !result_.cancelled)
            progress_(done, total);
        rows.Finish();
        result_.rows = done;
        result_.stopRecords = plan_.StopRecords();
        result_.problems = rows.Problems();
        return result_;
    }

private:
    const LogTable& Table() const { return plan_.Table(); }

    static void Field(QByteArray& out, QStringView text)
    {
        out += ',';
        AppendCsvField(out, text);
    }
    void Field(QStringView text) { Field(buffer_, text); }

    void Time(QByteArray& out, int row)
    {
        if (!Table().HasTime(row))
            return;
        const double t = Table().Time(row);
        AppendIsoDateTimeWithOffset(out, t, offsets_.SecondsAt(t));
    }

    void WideHeading()
    {
        buffer_ += "No,Time";
        for (int c = 1; c <= int(plan_.Channels().size()); ++c) {
            const ExportPlan::Channel& ch = plan_.Channels()[size_t(c - 1)];
            Field(plan_.ValueHeading(c));
            Field(ch.name + QStringLiteral(" flag"));
            if (Table().Extras())
                Field(ch.name + QStringLiteral(" temperature")
                      + (ch.temperatureUnit.isEmpty() ? QString() : QStringLiteral(" (") + ch.temperatureUnit + QLatin1Char(')')));
        }
        buffer_ += ",Info\r\n";
    }

    void WideRow(int row, const ExportRows& rows)
    {
        buffer_ += QByteArray::number(Table().Number(row));
        buffer_ += ',';
        Time(buffer_, row);
        for (int c = 1; c <= int(plan_.Channels().size()); ++c) {
            const ExportRows::Cell& cell = rows.At(c);
            buffer_ += ',';
            if (cell.flag == ReadingFlag::None)
                AppendNumber(buffer_, cell.value);
            buffer_ += ',';
            buffer_ += FlagName(cell.flag);
            if (Table().Extras()) {
                buffer_ += ',';
                if (cell.hasTemperature)
                    AppendNumber(buffer_, cell.temperature);
            }
        }
        Field(Table().Info(row));
        buffer_ += "\r\n";
    }

    void LongHeading()
    {
        buffer_ += "Time,No,Channel,Name,Value,Unit,Flag";
        if (Table().Extras())
            buffer_ += ",Temperature,Temperature unit";
        buffer_ += ",Info\r\n";
    }

    void LongRows(int row, const ExportRows& rows)
    {
        // What every row of the reading repeats: its time and number, its info.
        QByteArray lead, info;
        Time(lead, row);
        lead += ',';
        lead += QByteArray::number(Table().Number(row));
        Field(info, Table().Info(row));
        for (int c = 1; c <= int(plan_.Channels().size()); ++c) {
            const ExportRows::Cell& cell = rows.At(c);
            buffer_ += lead;
            buffer_ += ',';
            buffer_ += QByteArray::number(c);
            Field(plan_.Channels()[size_t(c - 1)].name);
            buffer_ += ',';
            if (cell.flag == ReadingFlag::None)
                AppendNumber(buffer_, cell.value);
            Field(*cell.unit);
            buffer_ += ',';
            buffer_ += FlagName(cell.flag);
            if (Table().Extras()) {
                buffer_ += ',';
                if (cell.hasTemperature)
                    AppendNumber(buffer_, cell.temperature);
                Field(cell.hasTemperature ? plan_.Channels()[size_t(c - 1)].temperatureUnit : QString());
            }
            buffer_ += info;
            buffer_ += "\r\n";
        }
    }

    bool Flush(bool force)
    {
        if (!force && buffer_.size() < kFlushAt)
            return true;
        const bool ok = out_.write(buffer_) == buffer_.size();
        buffer_.resize(0);
        return ok;
    }

    ExportResult Failed()
    {
        result_.ok = false;
        result_.error = out_.errorString();
        return result_;
    }

    ExportPlan plan_;
    QIODevice& out_;
    ExportNotice notice_;
    ExportProgress progress_;
    LocalOffsets offsets_;
    QByteArray buffer_;
    ExportResult result_;
};
} // namespace

ExportResult WriteNumericCsv(const ExportScope& scope, CsvLayout layout, QIODevice& out, const ExportNotice& notice,
                             const ExportProgress& progress)
{
    CsvWriter writer(scope, out, notice, progress);
    return writer.Write(layout);
}
