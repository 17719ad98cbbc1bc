// Damaged data files: what loading skips, keeps and counts, and logging on
// after a file that ends inside a record.

#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

struct DamagedFileTest : testing::Test {
    void SetUp() override
    {
        ApplyDevice(state, QStringLiteral("J7010"), 0); // two channels with a temperature each
        state.DeviceName = QStringLiteral("J7010");
        state.LogFileName = dir.filePath(QStringLiteral("data.vam"));
    }
    QByteArray Record(int n, const QByteArray& value = "7.0", const QByteArray& temperature = "298.1 K") const
    {
        return "'" + file.Stamps().Format(46000 + n * kOneSecond).toLatin1() + "','" + value
            + "','pH','False','True','25.0\xB0" "C','8.0','pH','False','True','" + temperature + "',''";
    }
    // Cut off inside channel 2's value, its quote left open.
    QByteArray CutRecord(int n) const { return Record(n).left(Record(n).indexOf("'8.") + 2); }
    LoadResult Load(const QByteArray& bytes)
    {
        QFile f(state.LogFileName);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        return file.LoadDataFile(table, state.LogFileName);
    }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    LogTable table;
    DataFile file{state, lang};
};

} // namespace

TEST_F(DamagedFileTest, SoundRecordsLoadAndDamageIsCounted)
{
    std::mt19937 random(7);
    QByteArray noise(64 * 1024, Qt::Uninitialized);
    for (char& c : noise)
        c = char(random());
    const QByteArray head = "'J7010'\r\n" + Record(1) + "\r\n";
    const struct {
        const char* name;
        QByteArray bytes;
        int records, skipped, badValues, firstLine;
    } cases[] = {
        {"sound file", head + Record(2) + "\r\n" + Record(3, "7.3", "77.0\xB0" "F") + "\r\n", 3, 0, 0, 0},
        {"only a header", "'J7010'\r\n", 0, 0, 0, 0},
        {"garbage line in the middle", head + "#%&\x01 garbage\r\n" + Record(2) + "\r\n", 2, 1, 0, 3},
        {"quoted text without a time", head + "'a note','in','five','quoted','items'\r\n'x','y'\r\n", 1, 2, 0, 3},
        {"values that are no number", head + Record(2, "x6.54") + "\r\n" + Record(3, "6.5.4") + "\r\n", 3, 0, 2, 3},
        {"a temperature that is no number", head + Record(2, "7.2", "x25.0\xB0" "C") + "\r\n", 2, 0, 1, 3},
        {"cut-off last record", head + Record(2) + "\r\n" + CutRecord(3), 2, 1, 0, 4},
        {"cut off right after the time", head + Record(2).left(Record(2).indexOf(',') + 1), 1, 1, 0, 3},
        {"whole last record without its line end", head + Record(2), 2, 0, 0, 0},
        {"quote left open inside the file", head + CutRecord(2) + "\r\n" + Record(3) + "\r\n", 2, 1, 0, 3},
        {"an older writer's quote in the info", head + Record(2).chopped(1) + "it's'\r\n", 2, 0, 0, 0},
        {"every kind", head + "junk\r\n" + Record(2, "x6.54") + "\r\n\r\n" + CutRecord(3), 2, 2, 1, 3},
        {"random bytes: every line but a blank one", noise, 0, 261, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LoadResult r = Load(c.bytes);
        EXPECT_EQ(r.records, c.records);
        EXPECT_EQ(r.damage.skippedLines, c.skipped);
        EXPECT_EQ(r.damage.badValueLines, c.badValues);
        EXPECT_EQ(r.damage.firstLine, c.firstLine);
        EXPECT_EQ(r.NoReadableRecord(), c.records == 0 && c.skipped > 0);
        for (int row = 0; row < table.Count(); ++row) // no row of empty fields
            EXPECT_EQ(table.Value(row, 2), QStringLiteral("8.0")) << "row " << row;
    }
}

// Logging on into a file that ends inside a record: the new record starts a
// line of its own instead of running on into the broken one.
TEST_F(DamagedFileTest, AppendingAfterACutOffRecordStartsANewLine)
{
    ASSERT_EQ(Load("'J7010'\r\n" + Record(1) + "\r\n" + CutRecord(2)).records, 1);
    state.LogCount = 2;
    state.Readings[1].ValueText = QStringLiteral("7.3");
    state.Readings[1].HasValue = true;
    ASSERT_TRUE(file.AppendRecord(QString()).ok);

    const LoadResult again = file.LoadDataFile(table, state.LogFileName);
    EXPECT_EQ(again.records, 2);
    EXPECT_EQ(again.damage.skippedLines, 1);
    EXPECT_EQ(table.Value(1, 1), QStringLiteral("7.3"));
}
