// Inputs the fuzzers (fuzz/) found to break a file reader, kept small, each
// with what the reader must do instead.

#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <malloc.h>

namespace {
// Bytes the heap hands out now, mapped blocks included.
size_t HeapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}
} // namespace

// A data file of megabytes of lines that hold no record (blank lines, text
// without items, a lone item) used to reserve table room for a row per line:
// tens of bytes of memory per byte of file before a single record was read.
// Only records take room; the record after them still loads.
TEST(FuzzRegressions, LinesWithoutRecordsReserveNoTableRoom)
{
    const struct {
        const char* name;
        QByteArray line;
    } cases[] = {
        {"blank lines", "\r\n"},
        {"text without items", "-- no items --\n"},
        {"a lone item", "'x'\r\n"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("empty.vam"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        {
            QByteArray text = "'A101'\r\n";
            while (text.size() < 2 * 1024 * 1024) // more than one read of the loader
                text += c.line;
            text += "'05/12/2026 08:30:01','1.1','u1','False','True','2.1','u2','False','True','last'\r\n";
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(f.write(text), text.size());
        }
        AppState state;
        ApplyDevice(state, QStringLiteral("A101"), 0);
        state.DeviceName = QStringLiteral("A101");
        LanguageTable language;
        DataFile file(state, language);
        LogTable table;

        const qint64 before = qint64(HeapInUse());
        const LoadResult r = file.LoadDataFile(table, path);
        const qint64 grown = qint64(HeapInUse()) - before;
        EXPECT_TRUE(r.loaded);
        EXPECT_EQ(r.records, 1);
        EXPECT_EQ(table.Info(0), QStringLiteral("last"));
        EXPECT_LT(grown, qint64(4) << 20) << "bytes kept by the table after loading one record";
    }
}
