// Exports for data tools: the wide and long CSV layouts of a run that
// auto-ranges, goes over range, holds a damaged value and a switched-off
// channel and ends in a stop record; the zone offsets of the times; the
// workbook read back from its XML.

#include "core/logging/numericexport.h"
#include "core/logging/workbookexport.h"

#include "core/logging/csvexport.h"
#include "core/logging/logtable.h"
#include "core/model/datetime.h"
#include "platform/core/ziparchive.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QByteArray kMicroLatin1("\xB5");
const QByteArray kDegLatin1("\xB0");

double At(int y, int mo, int d, int h, int mi, int s) { return ToDays(QDate(y, mo, d), QTime(h, mi, s)); }

struct Reading {
    const char* value;
    QByteArray unit;
    bool over = false;
};

// A K231 run: CH1 pH once over range, CH2 switched off, CH3 from µS/cm to
// mS/cm, CH4 °C with a damaged value and one in another unit; the clocks go
// forward between the first and the second reading; a stop record ends it.
void FillRun(LogTable& table)
{
    table.SetLayout(QStringLiteral("K231"), 4);
    const QByteArray uS = kMicroLatin1 + "S/cm", degC = kDegLatin1 + "C";
    const struct {
        double time;
        Reading ch1, ch3, ch4;
        const char* info;
    } rows[] = {
        {At(2026, 3, 29, 1, 59, 59), {"7.01", "pH"}, {"845", uS}, {"25.0", degC}, "Alarm CH1: H"},
        {At(2026, 3, 29, 3, 0, 0), {"99999", "pH", true}, {"990", uS}, {"25.1", degC}, ""},
        {At(2026, 3, 29, 3, 0, 1), {"7,05", "pH"}, {"1.02", "mS/cm"}, {"x6.54", degC}, "calibrated, \"ok\""},
        {At(2026, 3, 29, 3, 0, 2), {"7.07", "pH"}, {"1.10", "mS/cm"}, {"25.3", degC}, ""},
        {At(2026, 3, 29, 3, 0, 3), {"7.10", "pH"}, {"1.21", "mS/cm"}, {"25.4", "mV"}, ""},
        {At(2026, 3, 29, 3, 0, 4), {"7.10", "pH"}, {"1.21", "mS/cm"}, {"25.4", "mV"}, "Stop"},
    };
    table.BeginBulk();
    for (const auto& r : rows) {
        LogTable::RawCell cells[4];
        cells[0] = {r.ch1.value, r.ch1.unit, {}, r.ch1.over, true};
        cells[2] = {r.ch3.value, r.ch3.unit, {}, r.ch3.over, true};
        cells[3] = {r.ch4.value, r.ch4.unit, {}, r.ch4.over, true};
        table.AppendBulk(r.time, true, cells, r.info);
    }
    table.EndBulk();
}

ExportScope Scope(const LogTable& table)
{
    ExportScope scope;
    scope.table = &table;
    scope.names = {QStringLiteral("pH, tank 1"), QString(), QStringLiteral("Cond \"A\"")};
    scope.zone = QTimeZone("Europe/Amsterdam");
    return scope;
}

QByteArray Csv(const ExportScope& scope, CsvLayout layout, QStringList* notices = nullptr, ExportResult* result = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ExportResult r = WriteNumericCsv(scope, layout, buffer, [&](const QString& line) {
        if (notices)
            *notices << line;
    });
    if (result)
        *result = r;
    return buffer.data();
}

TEST(NumericExport, WideLayout)
{
    LogTable table;
    FillRun(table);
    QStringList notices;
    ExportResult result;
    const QByteArray csv = Csv(Scope(table), CsvLayout::Wide, &notices, &result);
    const QByteArray expected =
        "No,Time,\"pH, tank 1 (pH)\",\"pH, tank 1 flag\",CH2,CH2 flag,\"Cond \"\"A\"\" (S/cm)\",\"Cond \"\"A\"\" flag\","
        "CH4 (\xC2\xB0" "C),CH4 flag,Info\r\n"
        "1,2026-03-29T01:59:59+01:00,7.01,,,off,0.000845,,25,,Alarm CH1: H\r\n"
        "2,2026-03-29T03:00:00+02:00,,over range,,off,0.00099,,25.1,,\r\n"
        "3,2026-03-29T03:00:01+02:00,7.05,,,off,0.00102,,,damaged,\"calibrated, \"\"ok\"\"\"\r\n"
        "4,2026-03-29T03:00:02+02:00,7.07,,,off,0.0011,,25.3,,\r\n"
        "5,2026-03-29T03:00:03+02:00,7.1,,,off,0.00121,,,other unit,\r\n";
    EXPECT_EQ(csv.toStdString(), expected.toStdString());
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.rows, 5);
    EXPECT_EQ(result.stopRecords, 1);
    EXPECT_EQ(result.problems, 2);
    ASSERT_EQ(notices.size(), 2);
    EXPECT_EQ(notices[0], QStringLiteral("No 3, CH4: 'x6.54' is no number; left empty"));
    EXPECT_EQ(notices[1], QStringLiteral("No 5, CH4: '25.4 mV' is not in \u00B0C; left empty"));
}

TEST(NumericExport, LongLayoutHasARowPerReadingAndChannel)
{
    LogTable table;
    FillRun(table);
    QStringList notices;
    const QList<QByteArray> lines = Csv(Scope(table), CsvLayout::Long, &notices).split('\n');
    ASSERT_EQ(lines.size(), 1 + 5 * 4 + 1); // heading, rows, the empty rest after the last line end
    EXPECT_EQ(lines[0], "Time,No,Channel,Name,Value,Unit,Flag,Info\r");
    EXPECT_EQ(lines[1], "2026-03-29T01:59:59+01:00,1,1,\"pH, tank 1\",7.01,pH,,Alarm CH1: H\r");
    EXPECT_EQ(lines[2], "2026-03-29T01:59:59+01:00,1,2,CH2,,,off,Alarm CH1: H\r");
    EXPECT_EQ(lines[3], "2026-03-29T01:59:59+01:00,1,3,\"Cond \"\"A\"\"\",0.000845,S/cm,,Alarm CH1: H\r");
    EXPECT_EQ(lines[5], "2026-03-29T03:00:00+02:00,2,1,\"pH, tank 1\",,pH,over range,\r");
    // Each reading in its own one unit: nothing to leave out for its unit.
    EXPECT_EQ(lines[20], "2026-03-29T03:00:03+02:00,5,4,CH4,25.4,mV,,\r");
    EXPECT_EQ(notices, QStringList{QStringLiteral("No 3, CH4: 'x6.54' is no number; left empty")});
    EXPECT_EQ(lines[21], "");
}

TEST(NumericExport, SelectionConfigurationAndStopWords)
{
    LogTable table;
    FillRun(table);
    ExportScope scope = Scope(table);
    scope.rows = {1, 5}; // the second reading and the stop record
    scope.inUse = {true, false, true, true};
    const QList<QByteArray> lines = Csv(scope, CsvLayout::Wide).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].startsWith("2,2026-03-29T03:00:00+02:00,,over range,,off,0.00099,")) << lines[1].constData();

    // CH1 is switched off in the configuration, yet its readings are data:
    // they are kept, and "off" only stands where it has none.
    scope.rows = {};
    scope.inUse = {false, true, true, true};
    const QList<QByteArray> all = Csv(scope, CsvLayout::Wide).split('\n');
    EXPECT_TRUE(all[1].startsWith("1,2026-03-29T01:59:59+01:00,7.01,,")) << all[1].constData();

    // A row without a reading of a channel: "off" when the configuration
    // switched the channel off, "missing" when it is in use.
    LogTable gaps;
    gaps.SetLayout(QStringLiteral("A101"), 1);
    gaps.BeginBulk();
    LogTable::RawCell cell{"1.5", "mV", {}, false, true};
    gaps.AppendBulk(46000, true, &cell, "");
    cell.hasValue = false;
    gaps.AppendBulk(46000.5, true, &cell, "");
    gaps.EndBulk();
    ExportScope gapScope;
    gapScope.table = &gaps;
    gapScope.zone = QTimeZone("UTC");
    EXPECT_TRUE(Csv(gapScope, CsvLayout::Wide).split('\n').value(2).startsWith("2,2025-12-09T12:00:00+00:00,,missing,"));
    gapScope.inUse = {false};
    EXPECT_TRUE(Csv(gapScope, CsvLayout::Wide).split('\n').value(2).startsWith("2,2025-12-09T12:00:00+00:00,,off,"));

    ExportPlan plan(scope);
    EXPECT_EQ(plan.Rows(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(plan.Channels()[1].off);
    EXPECT_FALSE(plan.Channels()[2].off);
    EXPECT_EQ(plan.Channels()[2].unit, QStringLiteral("S/cm"));
    double first = 0, last = 0;
    ASSERT_TRUE(plan.Times(first, last));
    EXPECT_EQ(first, At(2026, 3, 29, 1, 59, 59));
    EXPECT_EQ(last, At(2026, 3, 29, 3, 0, 3));
}

TEST(NumericExport, ColumnUnitIsTheFirstNumbersAndOverRangeOnlyRowsStillFlag)
{
    LogTable table;
    table.SetLayout(QStringLiteral("K231"), 4);
    table.BeginBulk();
    LogTable::RawCell cells[4];
    cells[0] = {"99999", "mS/cm", {}, true, true};
    table.AppendBulk(46000, true, cells, "");
    cells[0] = {"12.5", "\xB5S/cm", {}, false, true};
    table.AppendBulk(46000.1, true, cells, "");
    table.EndBulk();
    ExportScope scope;
    scope.table = &table;
    scope.zone = QTimeZone("UTC");
    const QList<QByteArray> lines = Csv(scope, CsvLayout::Wide).split('\n');
    EXPECT_TRUE(lines[0].startsWith("No,Time,CH1 (S/cm),CH1 flag,CH2,CH2 flag,")) << lines[0].constData();
    EXPECT_TRUE(lines[1].startsWith("1,2025-12-09T00:00:00+00:00,,over range,,off,")) << lines[1].constData();
    EXPECT_TRUE(lines[2].startsWith("2,2025-12-09T02:24:00+00:00,1.25e-05,,")) << lines[2].constData();
}

// A device that takes nothing.
class Refusing : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

TEST(NumericExport, ProgressCancelsAndAFailedWriteIsSaid)
{
    LogTable table;
    table.SetLayout(QStringLiteral("A101"), 1);
    table.BeginBulk();
    LogTable::RawCell cell{"1.5", "mV", {}, false, true};
    for (int i = 0; i < 10000; ++i)
        table.AppendBulk(46000 + i / 86400.0, true, &cell, "");
    table.EndBulk();
    ExportScope scope;
    scope.table = &table;
    scope.zone = QTimeZone("UTC");

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    std::vector<qint64> calls;
    ExportResult r = WriteNumericCsv(scope, CsvLayout::Wide, buffer, {}, [&](qint64 done, qint64 total) {
        calls.push_back(done);
        EXPECT_EQ(total, 10000);
        return done < 8000;
    });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.rows, 8192);
    EXPECT_EQ(calls, (std::vector<qint64>{4096, 8192}));

    Refusing refusing;
    refusing.open(QIODevice::WriteOnly);
    r = WriteNumericCsv(scope, CsvLayout::Wide, refusing);
    EXPECT_FALSE(r.ok);
}

TEST(NumericExport, ZoneOffsetsAcrossClockChanges)
{
    struct {
        const char* zone;
        double time;
        int seconds;
        const char* text;
    } const cases[] = {
        {"Europe/Amsterdam", At(2026, 1, 15, 12, 0, 0), 3600, "2026-01-15T12:00:00+01:00"},
        {"Europe/Amsterdam", At(2026, 3, 29, 1, 59, 59), 3600, "2026-03-29T01:59:59+01:00"},
        {"Europe/Amsterdam", At(2026, 3, 29, 2, 30, 0), 3600, "2026-03-29T02:30:00+01:00"}, // the hour the clock skipped
        {"Europe/Amsterdam", At(2026, 3, 29, 3, 0, 0), 7200, "2026-03-29T03:00:00+02:00"},
        {"Europe/Amsterdam", At(2026, 3, 29, 3, 3, 0), 7200, "2026-03-29T03:03:00+02:00"},
        {"Europe/Amsterdam", At(2026, 10, 25, 1, 30, 0), 7200, "2026-10-25T01:30:00+02:00"},
        {"Europe/Amsterdam", At(2026, 10, 25, 3, 0, 0), 3600, "2026-10-25T03:00:00+01:00"},
        {"Europe/Amsterdam", At(2026, 7, 1, 0, 0, 0), 7200, "2026-07-01T00:00:00+02:00"},
        {"Europe/Amsterdam", At(2025, 12, 31, 23, 59, 59), 3600, "2025-12-31T23:59:59+01:00"},
        {"America/St_Johns", At(2026, 1, 15, 12, 0, 0), -12600, "2026-01-15T12:00:00-03:30"},
        {"UTC", At(2026, 7, 1, 12, 0, 0), 0, "2026-07-01T12:00:00+00:00"},
    };
    // One cache through the whole table, as an export uses it: forward,
    // back and forward again across the changes.
    LocalOffsets amsterdam(QTimeZone("Europe/Amsterdam"));
    for (const auto& c : cases) {
        LocalOffsets own{QTimeZone(c.zone)};
        const int seconds = QByteArray(c.zone) == "Europe/Amsterdam" ? amsterdam.SecondsAt(c.time) : own.SecondsAt(c.time);
        EXPECT_EQ(seconds, c.seconds) << c.text;
        QByteArray text;
        AppendIsoDateTimeWithOffset(text, c.time, seconds);
        EXPECT_EQ(text, QByteArray(c.text));
    }
}

TEST(NumericExport, NumbersAndFields)
{
    const struct {
        double value;
        const char* text;
    } numbers[] = {{0.0125, "0.0125"}, {1.413e-6, "1.413e-06"}, {2100, "2100"}, {-1.5, "-1.5"}, {1.5e6, "1500000"}, {0, "0"}};
    for (const auto& n : numbers) {
        QByteArray out;
        AppendNumber(out, n.value);
        EXPECT_EQ(out, QByteArray(n.text));
    }
    const struct {
        QString text;
        const char* field;
    } fields[] = {
        {"plain", "plain"},
        {"a, b", "\"a, b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""},
        {"\u00B5S/cm", "\xC2\xB5S/cm"},
        {"\u00B5S, cm", "\"\xC2\xB5S, cm\""},
    };
    for (const auto& f : fields)
        EXPECT_EQ(CsvField(f.text), QByteArray(f.field)) << qPrintable(f.text);
}

QByteArray ReadEntry(const QString& folder, const char* entry)
{
    QFile f(folder + QLatin1Char('/') + QLatin1String(entry));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(WorkbookExport, ReadBackFromItsXml)
{
    LogTable table;
    FillRun(table);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("run.xlsx"));
    RunInfo run;
    run.model = QStringLiteral("K231");
    run.identification = QStringLiteral("12345");
    run.dataFile = dir.filePath(QStringLiteral("run.vam"));
    QStringList notices;
    const ExportResult r = WriteWorkbook(Scope(table), run, path, [&](const QString& l) { notices << l; });
    ASSERT_TRUE(r.ok) << qPrintable(r.error);
    EXPECT_EQ(r.rows, 5);
    EXPECT_EQ(notices.size(), 2);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));

    const QString unpacked = dir.filePath(QStringLiteral("x"));
    const QString zip = dir.filePath(QStringLiteral("run.zip")); // the unpacker wants the name
    ASSERT_TRUE(QFile::copy(path, zip));
    const ZipResult unzipped = ZipShellOperation(QStringLiteral("UNZIP"), zip, unpacked);
    ASSERT_TRUE(unzipped.ok) << qPrintable(unzipped.error);
    const QByteArray book = ReadEntry(unpacked, "xl/workbook.xml");
    EXPECT_TRUE(book.contains("name=\"Readings\"") && book.contains("name=\"Run\"")) << book.constData();
    const QByteArray sheet = ReadEntry(unpacked, "xl/worksheets/sheet1.xml");
    // The heading frozen, numbers as numbers, the time a number with a style.
    EXPECT_TRUE(sheet.contains("ySplit=\"1\"")) << sheet.left(600).constData();
    EXPECT_TRUE(sheet.contains("<c r=\"C2\"><v>7.01</v></c>")) << sheet.constData();
    EXPECT_TRUE(sheet.contains("<c r=\"G2\"><v>0.000845</v></c>")) << sheet.constData();
    EXPECT_TRUE(sheet.contains("<c r=\"D3\" t=\"inlineStr\"><is><t>over range</t></is></c>")) << sheet.constData();
    EXPECT_TRUE(sheet.contains("<c r=\"B2\" s=\"2\"><v>46110.08332175926")) << sheet.constData();
    EXPECT_FALSE(sheet.contains("<row r=\"7\"")); // five readings, no stop record
    EXPECT_TRUE(sheet.contains("pH, tank 1 (pH)"));
    const QByteArray styles = ReadEntry(unpacked, "xl/styles.xml");
    EXPECT_TRUE(styles.contains("<b/>"));
    EXPECT_TRUE(styles.contains("yyyy-mm-dd hh:mm:ss"));
    const QByteArray info = ReadEntry(unpacked, "xl/worksheets/sheet2.xml");
    for (const char* text : {"Meter model", "K231", "12345", "run.vam", "Europe/Amsterdam", "Stop records left out"})
        EXPECT_TRUE(info.contains(text)) << text;
}

TEST(WorkbookExport, CancelAndFailureLeaveNoFile)
{
    LogTable table;
    table.SetLayout(QStringLiteral("A101"), 1);
    table.BeginBulk();
    LogTable::RawCell cell{"1.5", "mV", {}, false, true};
    for (int i = 0; i < 5000; ++i)
        table.AppendBulk(46000 + i / 86400.0, true, &cell, "");
    table.EndBulk();
    ExportScope scope;
    scope.table = &table;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("kept");
    old.close();
    ExportResult r = WriteWorkbook(scope, {}, path, {}, [](qint64, qint64) { return false; });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.xlsx")});
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("kept"));

    r = WriteWorkbook(scope, {}, dir.filePath(QStringLiteral("no/such/folder.xlsx")));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
}
} // namespace
