// The table of logged readings: grid layout per device family, rows as the
// logging fills them, relative time, colours and the copy text.

#include "core/model/appstate.h"
#include "core/logging/csvexport.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QDateTime>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

double Days(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return ToDays(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

struct LogTableTest : testing::Test {
    void Use(const QString& model)
    {
        ApplyDevice(state, model, t0);
        state.DeviceName = model;
        table.SetLayout(state);
    }
    void Reading(int channel, const QString& value, const QString& unit, bool over = false, const QString& extra = {})
    {
        ChannelReading& r = state.Readings[channel];
        r.ValueText = value;
        r.UnitText = unit;
        r.OverRange = over;
        r.ExtraText = extra;
        r.HasValue = true;
        r.ReadingTime = t0;
    }
    void Log(int logNumber, const QString& info = {})
    {
        state.LogCount = logNumber;
        table.VulTabelAan(state, info);
    }
    QStringList Row(int row) const
    {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells << table.CellText(row, c);
        return cells;
    }

    AppState state;
    LogTable table;
    QAbstractItemModelTester tester{&table, QAbstractItemModelTester::FailureReportingMode::Fatal};
    double t0 = Days(2026, 12, 5, 8, 30, 0);
};

} // namespace

TEST_F(LogTableTest, ColumnsFollowTheDeviceFamily)
{
    LanguageTable lang;
    struct {
        const char* model;
        int columns;
        QStringList headings;
    } cases[] = {
        {"A101", 8, {"No", "Date", "Time", "CH1", "Unit", "CH2", "Unit", "Info"}},
        {"J7010", 12, {"No", "Date", "Time", "CH1", "Unit", "CH1", "\u00B0C", "CH2", "Unit", "CH2", "\u00B0C", "Info"}},
        {"J7050M", 3 + 5 * 4 + 1, {}}, // two channels fewer than its seven
        {"P651", 3 + 16 * 2 + 1, {}},
    };
    for (const auto& c : cases) {
        Use(QString::fromLatin1(c.model));
        table.LoadCaptions(lang);
        EXPECT_EQ(table.columnCount(), c.columns) << c.model;
        EXPECT_EQ(table.InfoColumn(), c.columns - 1) << c.model;
        for (int i = 0; i < c.headings.size(); ++i)
            EXPECT_EQ(table.headerData(i, Qt::Horizontal).toString(), c.headings[i]) << c.model << " " << i;
        EXPECT_EQ(table.ChannelOfColumn(table.ValueColumn(2) + 1), 2);
        EXPECT_EQ(table.ChannelOfColumn(table.InfoColumn()), 0);
        EXPECT_EQ(table.rowCount(), 1); // the empty row numbered 1
        EXPECT_EQ(table.CellText(0, 0), QStringLiteral("1"));
    }
}

TEST_F(LogTableTest, RowsFilledWhileLogging)
{
    Use(QStringLiteral("A101"));
    state.Channel(2).Use = false;
    Reading(1, QStringLiteral(" 7.01 "), QStringLiteral(" pH"));
    Reading(2, QStringLiteral("25.0"), QStringLiteral("\u00B0C"));
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    Log(1, QStringLiteral("  first  "));
    Reading(1, QStringLiteral("7.02"), QStringLiteral("pH"), true);
    Log(2);
    Log(3);
    // After the third reading: three readings and the empty row numbered 4.
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(inserted.count(), 3);
    const QString date = table.Stamps().FormatDate(t0), time = table.Stamps().FormatTime(t0);
    EXPECT_EQ(Row(0), QStringList({"1", date, time, "7.01", "pH", "", "", "first"}));
    EXPECT_EQ(Row(1), QStringList({"2", date, time, "OR.", "pH", "", "", ""}));
    EXPECT_EQ(Row(3), QStringList({"4", "", "", "", "", "", "", ""}));

    // Log numbers that jump (a logger transfer) leave numbered empty rows.
    Log(6);
    EXPECT_EQ(table.rowCount(), 7);
    EXPECT_EQ(Row(4).mid(0, 4), QStringList({"5", "", "", ""}));
    EXPECT_EQ(table.CellText(5, 3), QStringLiteral("OR."));

    // The last row rewritten in place; a channel without value keeps its cells.
    Reading(1, QStringLiteral("7.10"), QStringLiteral("pH"));
    state.Readings[1].HasValue = false;
    table.VernieuwLaatsteTabellijn(state, QStringLiteral("merged"));
    EXPECT_EQ(table.rowCount(), 7);
    EXPECT_EQ(table.CellText(5, 3), QStringLiteral("OR."));
    EXPECT_EQ(table.Info(5), QStringLiteral("merged"));

    state.LogCount = 0; // not logging: nothing to write, and row 0 is the heading
    table.VulTabelAan(state, QString());
    EXPECT_EQ(table.rowCount(), 7);
}

TEST_F(LogTableTest, J70xxTemperatureColumns)
{
    struct {
        const char* model;
        bool over;
        const char* extra;
        QStringList cells; // value, unit, temperature, temperature unit
    } cases[] = {
        {"J7010", false, "25.0\u00B0C", {"7.01", "pH", "25.0", "\u00B0C"}},
        {"J7010", false, " 77.1 \u00B0F", {"7.01", "pH", "77.1", "\u00B0F"}},
        {"J7010", false, "298.2K", {"7.01", "pH", "298.2", "K"}},
        {"J7010", true, "25.0\u00B0C", {"OR.", "pH", "OR.", "\u00B0C"}},
        {"J7050", true, "25.0\u00B0C", {"OR.", "pH", "25.0", "\u00B0C"}},
    };
    for (const auto& c : cases) {
        Use(QString::fromLatin1(c.model));
        table.Clear();
        Reading(1, QStringLiteral("7.01"), QStringLiteral("pH"), c.over, QString::fromUtf8(c.extra));
        Log(1);
        const int v = table.ValueColumn(1);
        EXPECT_EQ(Row(0).mid(v, 4), c.cells) << c.model << " " << c.extra;
    }
}

TEST_F(LogTableTest, RelativeClock)
{
    Use(QStringLiteral("A101"));
    Reading(1, QStringLiteral("1"), QStringLiteral("u"));
    Log(1);
    table.SetRelativeTime(true);
    struct {
        double reference;
        const char* day;
        const char* time;
    } cases[] = {
        {t0 - 1 - (3600 + 60 + 1) * kOneSecond, "+1", "01:01:01"},
        {t0, "+0", "00:00:00"},
        {t0 + 5 * kOneSecond, "-0", "00:00:05"},
        {t0 + 2 + 0.5, "-2", "12:00:00"},
    };
    for (const auto& c : cases) {
        table.SetReferenceTime(c.reference);
        EXPECT_EQ(table.CellText(0, 1), QString::fromLatin1(c.day));
        EXPECT_EQ(table.CellText(0, 2), QString::fromLatin1(c.time));
    }
    table.SetRelativeTime(false);
    EXPECT_EQ(table.CellText(0, 2), table.Stamps().FormatTime(t0));
}

TEST_F(LogTableTest, ColoursAndCopyText)
{
    Use(QStringLiteral("A101"));
    table.SetColors(0x111111, 0x222222, 0x0000FF);
    Reading(1, QStringLiteral("1.5"), QStringLiteral("mV"));
    Reading(2, QStringLiteral("2.5"), QStringLiteral("mV"));
    Log(1);
    Log(2, QStringLiteral("remark"));
    Log(3, QStringLiteral("!x excluded"));
    table.SetCellColor(0, 2, 0x00FF00);

    auto fg = [&](int r, int c) { return table.data(table.index(r, c), LogTable::ForegroundValueRole).toUInt(); };
    EXPECT_EQ(fg(0, 3), 0x111111u);
    EXPECT_EQ(fg(0, table.ValueColumn(2)), 0x00FF00u);      // the alarm colour of a value
    EXPECT_EQ(fg(1, 3), 0x111111u);
    EXPECT_EQ(fg(1, table.InfoColumn()), 0x0000FFu);        // special info
    EXPECT_EQ(fg(2, 0), 0x0000FFu);                         // an excluded row
    EXPECT_TRUE(table.data(table.index(2, 0), LogTable::ExcludedRole).toBool());
    EXPECT_EQ(table.data(table.index(1, 1), LogTable::BackgroundValueRole).toUInt(), 0x222222u);

    const QString d = table.Stamps().FormatDate(t0), t = table.Stamps().FormatTime(t0);
    EXPECT_EQ(table.CopyText({0, 2}, {0, 1, 2, 3, 4, 7}),
              "1\t" + d + "\t" + t + "\t1.5\tmV\t\r\n3\t" + d + "\t" + t + "\t1.5\tmV\t!x excluded");
}

TEST_F(LogTableTest, BulkRowsMatchLoggedRows)
{
    Use(QStringLiteral("A101"));
    const LogTable::RawCell cells[2] = {{" 7.01", "pH ", {}, false, true}, {"x", "y", {}, true, false}};
    table.BeginBulk();
    table.AppendBulk(t0, true, cells, " info ");
    table.AppendBulk(0, false, cells, "");
    table.EndBulk();
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(Row(0), QStringList({"1", table.Stamps().FormatDate(t0), table.Stamps().FormatTime(t0), "7.01", "pH", "", "", "info"}));
    EXPECT_EQ(Row(1).mid(0, 4), QStringList({"2", "", "", "7.01"}));
    table.RemoveRows(0, 1);
    EXPECT_EQ(table.CellText(0, 0), QStringLiteral("2")); // numbers stay with their readings
}

TEST_F(LogTableTest, CsvForDataTools)
{
    struct {
        const char* text;
        const char* field;
    } fields[] = {{"plain", "plain"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\r\nlines", "\"two\r\nlines\""},
                  {"\u00B0C", "\xC2\xB0" "C"}};
    for (const auto& f : fields)
        EXPECT_EQ(CsvField(QString::fromUtf8(f.text)), QByteArray(f.field)) << f.text;

    Use(QStringLiteral("J7010"));
    Reading(1, QStringLiteral("7,01"), QStringLiteral("pH"), false, QStringLiteral("25,0\u00B0C"));
    Reading(2, QStringLiteral("-80.5"), QStringLiteral("mV"), true, QStringLiteral("25.0\u00B0C"));
    Log(1, QStringLiteral("note, with comma"));
    // Damaged values are empty cells, never 0 or the text; a meter's mark stays.
    Reading(1, QStringLiteral("x6.54"), QStringLiteral("pH"), false, QStringLiteral("2x5.0\u00B0C"));
    Reading(2, QStringLiteral("----"), QStringLiteral("mV"), false, QStringLiteral("25.0\u00B0C"));
    Log(2);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteCsv(table, out));
    EXPECT_EQ(out.data(),
              "No,Time,CH1,CH1 unit,CH1 temperature,CH1 temperature unit,CH2,CH2 unit,CH2 temperature,CH2 temperature unit,Info\r\n"
              "1,2026-12-05T08:30:00,7.01,pH,25.0,\xC2\xB0" "C,OR.,mV,OR.,\xC2\xB0" "C,\"note, with comma\"\r\n"
              "2,2026-12-05T08:30:00,,pH,,\xC2\xB0" "C,----,mV,25.0,\xC2\xB0" "C,\r\n");
}

// Deleted rows leave their numbers unused: the next reading continues after
// the highest number, until Renumber closes the gaps.
TEST_F(LogTableTest, DeleteKeepsNumbersAndRenumberClosesTheGaps)
{
    auto numbers = [&] {
        std::vector<int> out;
        for (int r = 0; r < table.Count(); ++r)
            out.push_back(table.Number(r));
        return out;
    };
    struct {
        const char* what;
        std::vector<int> deleted; // rows, ascending
        std::vector<int> left;    // numbers afterwards
    } cases[] = {
        {"one in the middle", {1}, {1, 3, 4, 5}},
        {"the last two", {3, 4}, {1, 2, 3}},
        {"scattered", {0, 2, 4}, {2, 4}},
        {"all", {0, 1, 2, 3, 4}, {}},
        {"none", {}, {1, 2, 3, 4, 5}},
    };
    Use(QStringLiteral("A101"));
    for (const auto& c : cases) {
        table.Clear();
        for (int n = 1; n <= 5; ++n) {
            Reading(1, QString::number(n), QStringLiteral("mV"));
            Log(n);
        }
        table.RemoveRows(c.deleted);
        EXPECT_EQ(numbers(), c.left) << c.what;
        EXPECT_EQ(table.rowCount(), int(c.left.size()) + 1) << c.what;
        EXPECT_EQ(table.CellText(table.Count(), 0), QStringLiteral("6")) << c.what; // the trailing row
        for (size_t i = 0; i < c.left.size(); ++i) {
            EXPECT_EQ(table.Value(int(i), 1), QString::number(c.left[i])) << c.what; // values moved with their rows
            EXPECT_EQ(table.RowOfNumber(c.left[i]), int(i)) << c.what;
        }
        for (int gone : c.deleted)
            EXPECT_EQ(table.RowOfNumber(gone + 1), -1) << c.what;

        // The next reading continues the numbering.
        Reading(1, QStringLiteral("six"), QStringLiteral("mV"));
        Log(6);
        std::vector<int> expected = c.left;
        expected.push_back(6);
        EXPECT_EQ(numbers(), expected) << c.what;
        EXPECT_EQ(table.Value(table.Count() - 1, 1), QStringLiteral("six")) << c.what;

        table.Renumber();
        const int k = int(expected.size());
        EXPECT_EQ(table.LastNumber(), k) << c.what;
        EXPECT_EQ(table.CellText(k - 1, 0), QString::number(k)) << c.what;
        EXPECT_EQ(table.CellText(k, 0), QString::number(k + 1)) << c.what;
        EXPECT_EQ(table.headerData(k, Qt::Vertical).toString(), QString::number(k + 1)) << c.what;
        Log(k + 1);
        EXPECT_EQ(table.Count(), k + 1) << c.what; // no empty rows for the old numbers
        EXPECT_EQ(table.Number(k), k + 1) << c.what;
    }
}

TEST_F(LogTableTest, ReadingForADeletedNumberGetsItsRowBack)
{
    Use(QStringLiteral("A101"));
    for (int n = 1; n <= 4; ++n) {
        Reading(1, QString::number(n), QStringLiteral("mV"));
        Log(n);
    }
    table.RemoveRows({1, 3}); // numbers 2 and 4
    struct {
        int logNumber;
        int row;
        std::vector<int> numbers;
    } cases[] = {
        {3, 1, {1, 3}},    // an existing row is rewritten in place
        {2, 1, {1, 2, 3}}, // a deleted one comes back between its neighbours
        {4, 3, {1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        Reading(1, QStringLiteral("again"), QStringLiteral("mV"));
        state.LogCount = c.logNumber;
        table.VernieuwLaatsteTabellijn(state, QString());
        std::vector<int> numbers;
        for (int r = 0; r < table.Count(); ++r)
            numbers.push_back(table.Number(r));
        EXPECT_EQ(numbers, c.numbers) << c.logNumber;
        EXPECT_EQ(table.Value(c.row, 1), QStringLiteral("again")) << c.logNumber;
        EXPECT_EQ(table.LastNumber(), 4);
    }
}
