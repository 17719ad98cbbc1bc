#include "core/printing/printroutines.h"

#include "core/logging/logtable.h"
#include "core/help/languagetable.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <array>

namespace {
enum Texts { kAlarm = 119, kHighLimit = 120, kLowLimit = 121, kHighExceeded = 124, kLowExceeded = 125 };
constexpr double kValueSize = 24;
constexpr double kColumnGap = 3;
constexpr double kReportIndent = 10;
constexpr double kEventDrop = 5;
constexpr double kSampleWidth = 8;
constexpr double kLastColumnRoom = 30;

QString WithoutColon(QString text)
{
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text;
}

// The lines under a value: its alarm state and the enabled limits.
QStringList ValueAlarmLines(const LanguageTable& lang, const ValuePrint& v)
{
    QStringList lines;
    if (v.highTest && v.highAlarm)
        lines << WithoutColon(lang[kHighExceeded]);
    if (v.lowTest && v.lowAlarm)
        lines << WithoutColon(lang[kLowExceeded]);
    if (v.highTest)
        lines << lang[kAlarm] + QStringLiteral(", ") + lang[kHighLimit] + QStringLiteral(" = ") + v.highLimit;
    if (v.lowTest)
        lines << lang[kAlarm] + QStringLiteral(", ") + lang[kLowLimit] + QStringLiteral(" = ") + v.lowLimit;
    return lines;
}

// Value and unit in large type, an empty line, then the alarm lines.
void ValueBlock(PrintEngine& e, const ValuePrint& v)
{
    e.SetFontSize(kValueSize);
    e.X = e.Left() + PrintEngine::kLabelIndent;
    e.Print(v.value, true);
    e.Print(QStringLiteral(" ") + v.unit, false);
    e.EndLine();
    e.SetFontSize(PrintEngine::kFontSize);
    e.EndLine();
    for (const QString& text : ValueAlarmLines(e.Language(), v)) {
        e.X = e.Left() + PrintEngine::kLabelIndent;
        e.Print(text);
        e.EndLine();
    }
}
} // namespace

void PrintValue(PrintEngine& e, const PrintPageInfo& page, const ValuePrint& v)
{
    e.StartPage(page);
    ValueBlock(e, v);
}

void PrintValues(PrintEngine& e, const PrintPageInfo& page, const std::vector<ValuePrint>& values)
{
    if (values.empty())
        return;
    e.StartPage(page);
    e.SetFontSize(kValueSize);
    const double valueLine = e.LineHeight();
    e.SetFontSize(PrintEngine::kFontSize);
    const double line = e.LineHeight();
    double pageTop = e.Y;
    for (const ValuePrint& v : values) {
        // An empty line between blocks; the caption, the value, the empty
        // line under it, the alarm lines, and room for the line after them
        // (the page-end check of the last line).
        const double gap = e.Y > pageTop ? line : 0;
        const double height = valueLine + line * double(3 + ValueAlarmLines(e.Language(), v).size());
        if (gap > 0 && e.Y + gap + height >= e.BottomLimit()) {
            e.StartPage(page);
            pageTop = e.Y;
        } else {
            e.Y += gap;
        }
        e.X = e.Left();
        e.Print(v.caption, true);
        e.SetBold(false);
        e.EndLine();
        ValueBlock(e, v);
    }
}

std::vector<int> AllTableColumns(const LogTable& table)
{
    std::vector<int> columns(size_t(table.InfoColumn() + 1));
    for (size_t i = 0; i < columns.size(); ++i)
        columns[i] = int(i);
    return columns;
}

std::vector<int> AllTableRows(const LogTable& table)
{
    std::vector<int> rows(size_t(table.Count()));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    return rows;
}

std::vector<std::vector<size_t>> TableBands(const std::vector<double>& widths, const std::vector<int>& groups,
                                            double textWidth, bool repeatFirst)
{
    std::vector<std::vector<size_t>> bands;
    std::vector<size_t> band;
    double used = 0;
    for (size_t first = 0; first < widths.size();) {
        // A block: one column, or the columns of one channel (its value and its unit).
        size_t end = first + 1;
        while (end < widths.size() && end < groups.size() && groups[first] != 0 && groups[end] == groups[first])
            ++end;
        double need = 0;
        for (size_t i = first; i < end; ++i)
            // The last column wraps, so it needs only a start of room.
            need += (i + 1 == widths.size() ? std::min(widths[i], kLastColumnRoom) : widths[i]) + kColumnGap;
        const bool onlyRepeated = repeatFirst && !bands.empty() && band.size() == 1;
        if (!band.empty() && !onlyRepeated && used + need - kColumnGap > textWidth + 1e-9) {
            bands.push_back(band);
            band.clear();
            used = 0;
            if (repeatFirst) {
                band.push_back(0);
                used = widths[0] + kColumnGap;
            }
        }
        for (size_t i = first; i < end; ++i)
            band.push_back(i);
        used += need;
        first = end;
    }
    if (!band.empty())
        bands.push_back(band);
    return bands;
}

void PrintTable(PrintEngine& e, const PrintPageInfo& page, const LogTable& table, const std::vector<int>& columns,
                const std::vector<int>& rows)
{
    PrintCanvas& canvas = e.Canvas();
    e.StartPage(page);
    e.SetBold(true);
    std::vector<QString> headings;
    std::vector<double> widths;
    for (int column : columns) {
        headings.push_back(table.headerData(column, Qt::Horizontal).toString());
        widths.push_back(canvas.TextWidth(headings.back()));
    }
    e.SetBold(false);
    for (int row : rows) {
        for (size_t i = 0; i < columns.size(); ++i)
            widths[i] = std::max(widths[i], canvas.TextWidth(table.CellText(row, columns[i])));
    }
    std::vector<int> groups;
    for (int column : columns)
        groups.push_back(table.ChannelOfColumn(column));
    const std::vector<std::vector<size_t>> bands =
        TableBands(widths, groups, e.Right() - e.Left(), !columns.empty() && columns[0] == 0);
    for (size_t b = 0; b < bands.size(); ++b) {
        const std::vector<size_t>& band = bands[b];
        if (b > 0)
            e.StartPage(page);
        std::vector<double> xs;
        double x = e.Left();
        for (size_t i : band) {
            xs.push_back(x);
            x += widths[i] + kColumnGap;
        }
        // The info text (the table's last column) wraps when it is wider than
        // the room left, and at its own line breaks.
        const auto cell = [&](size_t at, const QString& text) {
            const bool lineBreak = text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
            if (band[at] + 1 == columns.size() && (lineBreak || xs[at] + canvas.TextWidth(text) > e.Right())) {
                const double y = e.Y;
                e.PrintWrapped(xs[at], e.Right(), text);
                e.Y = std::max(e.Y, y);
            } else {
                canvas.DrawText(xs[at], e.Y, text);
            }
        };
        const auto headingRow = [&] {
            e.SetBold(true);
            for (size_t at = 0; at < band.size(); ++at)
                cell(at, headings[band[at]]);
            e.SetBold(false);
            e.PrintRule(e.Y + 1.1 * e.LineHeight());
            e.Y += 0.3 * e.LineHeight();
            e.EndLine();
        };
        // A row whose info text wraps starts on a page with room for all of
        // its lines, so the text never goes on without its row's number.
        const auto keepTogether = [&](int row) {
            const size_t last = band.size() - 1;
            if (band.empty() || band[last] + 1 != columns.size())
                return;
            QString info = table.CellText(row, columns[band[last]]);
            info.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
            const int breaks = int(info.count(QLatin1Char('\r')) + info.count(QLatin1Char('\n')));
            const double room = e.Right() - xs[last], width = canvas.TextWidth(info);
            if (room <= 0 || (width <= room && breaks == 0))
                return;
            const int lines = int(std::ceil(width / room)) + breaks;
            const double start = e.Y, probe = start + (lines - 1) * e.LineHeight();
            e.Y = probe;
            e.CheckPageEnd();
            if (e.Y == probe)
                e.Y = start; // it fits here
        };
        headingRow();
        e.onContinuedPage = headingRow;
        for (int row : rows) {
            keepTogether(row);
            for (size_t at = 0; at < band.size(); ++at)
                cell(at, table.CellText(row, columns[band[at]]));
            e.EndLine();
        }
        e.onContinuedPage = nullptr;
    }
}

void PrintTerminal(PrintEngine& e, const PrintPageInfo& page, const QString& text)
{
    e.StartPage(page);
    e.PrintWrapped(e.Left(), e.Right(), text);
    e.EndLine();
}

void PrintGraph(PrintEngine& e, const PrintPageInfo& page, const GraphPrint& g)
{
    e.StartPage(page);
    const double line = e.LineHeight();
    double width = e.Right() - e.Left();
    double height = width * g.aspect;
    // The legend stays on the chart's page: the line under the chart, a line
    // per series, and the page-end check after the last (a millimetre to spare).
    const double room = e.BottomLimit() - e.Y - (double(g.legend.size()) + 2) * line - 1;
    if (height > room && room > 0) {
        height = room;
        width = g.aspect > 0 ? height / g.aspect : width;
    }
    e.PrintPicture(g.picture, e.Left(), e.Y, width, height);
    e.Y += height;
    e.EndLine();
    for (const GraphLegendLine& l : g.legend) {
        e.Canvas().FillRect(QRectF(e.Left(), e.Y + 0.2 * line, kSampleWidth, 0.6 * line), l.colour);
        e.X = e.Left() + kSampleWidth + 2;
        e.Print(l.text);
        e.EndLine();
    }
}

double PrintedGraphAspect(double windowWidth, double windowHeight)
{
    if (!(windowWidth > 0) || !(windowHeight > 0))
        return kMinGraphAspect;
    return std::max(windowHeight / windowWidth, kMinGraphAspect);
}

void PrintAlarmReport(PrintEngine& e, const PrintPageInfo& page, const std::vector<AlarmReportLine>& lines)
{
    e.StartPage(page);
    for (const AlarmReportLine& l : lines) {
        switch (l.kind) {
        case AlarmReportLine::Text:
            e.X = e.Left();
            if (!l.bold.isEmpty())
                e.Print(l.bold, true);
            if (!l.text.isEmpty())
                e.Print(l.text);
            e.EndLine();
            break;
        case AlarmReportLine::Empty:
            e.EndLine();
            break;
        case AlarmReportLine::Event:
            e.SetBold(false);
            e.PrintWrapped(e.Left() + kReportIndent, e.Right() - kReportIndent, l.bold);
            e.Y += kEventDrop;
            e.CheckPageEnd();
            e.PrintWrapped(e.Left() + kReportIndent, e.Right() - kReportIndent, l.text);
            e.EndLine();
            break;
        }
    }
}

QString PaperName(int code)
{
    static const std::array<const char*, 41> names = {
        "Letter, 8 1/2 x 11 in.", "Letter Small, 8 1/2 x 11 in.", "Tabloid, 11 x 17 in.", "Ledger, 17 x 11 in.",
        "Legal, 8 1/2 x 14 in.", "Statement, 5 1/2 x 8 1/2 in.", "Executive, 7 1/4 x 10 1/2 in.",
        "A3, 297 x 420 mm", "A4, 210 x 297 mm", "A4 Small, 210 x 297 mm", "A5, 148 x 210 mm", "B4, 250 x 354 mm",
        "B5, 182 x 257 mm", "Folio, 8 1/2 x 13 in.", "Quarto, 215 x 275 mm", "10 x 14 in.", "11 x 17 in.",
        "Note, 8 1/2 x 11 in.", "Envelope #9, 3 7/8 x 8 7/8 in.", "Envelope #10, 4 1/8 x 9 1/2 in.",
        "Envelope #11, 4 1/2 x 10 3/8 in.", "Envelope #12, 4 1/2 x 11 in.", "Envelope #14, 5 x 11 1/2 in.",
        "C size sheet", "D size sheet", "E size sheet", "Envelope DL, 110 x 220 mm", "Envelope C5, 162 x 229 mm",
        "Envelope C3, 324 x 458 mm", "Envelope C4, 229 x 324 mm", "Envelope C6, 114 x 162 mm",
        "Envelope C65, 114 x 229 mm", "Envelope B4, 250 x 353 mm", "Envelope B5, 176 x 250 mm",
        "Envelope B6, 176 x 125 mm", "Envelope, 110 x 230 mm", "Envelope Monarch, 3 7/8 x 7 1/2 in.",
        "Envelope, 3 5/8 x 6 1/2 in.", "U.S. Standard Fanfold, 14 7/8 x 11 in.",
        "German Standard Fanfold, 8 1/2 x 12 in.", "German Legal Fanfold, 8 1/2 x 13 in."};
    if (code >= 1 && code <= int(names.size()))
        return QString::fromLatin1(names[size_t(code - 1)]);
    return QStringLiteral("User-defined");
}
