// Feeds arbitrary bytes to the data-file loader as a ".vam" file. The first
// byte chooses the device (the shape of a record); the second the locale of
// the time stamps, the channels switched off, and whether a short rest is
// repeated past the loader's first read (so lines straddle its reads and the
// table's room is judged from a large file). The rest is the file. Every
// record must become one table row, every cell of the loaded table must be
// shown, and the table never takes much more memory than its rows need
// (scripts/fuzz.sh caps a single allocation).

#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QByteArrayAlgorithms>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {
const QString& FilePath()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("vam-fuzz-%1.vam").arg(::getpid()));
        std::atexit([] { QFile::remove(FilePath()); });
        return p;
    }();
    return path;
}

[[noreturn]] void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz_datafile: %s\n", why);
    std::abort();
}

// Locales whose stamps differ in order, separators, month names and AM/PM.
constexpr const char* kLocales[] = {"C", "en_US", "en_GB", "de_DE", "fr_FR", "nl_NL", "hu_HU", "ko_KR"};
constexpr int kLocaleCount = int(sizeof kLocales / sizeof kLocales[0]);
static_assert(kLocaleCount == 8, "three bits choose the locale");

// More than the loader reads at once.
constexpr qsizetype kLargeFile = (1 << 20) + 4096;

struct Loader {
    AppState state;
    LanguageTable language;
    LogTable table; // reused, as the table window's is
    // A data file reads its stamps in the locale it was made with.
    std::unique_ptr<DataFile> files[kLocaleCount];

    Loader()
    {
        for (int i = 0; i < kLocaleCount; ++i) {
            QLocale::setDefault(QLocale(QString::fromLatin1(kLocales[i])));
            files[i] = std::make_unique<DataFile>(state, language);
            files[i]->clock = [] { return 46083.5; };
        }
        QLocale::setDefault(QLocale::c());
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static Loader loader;
    const auto& models = CatalogueModels();
    const QString model = QString::fromLatin1(models[data[0] % models.size()].name);
    DataFile& file = *loader.files[data[1] & 7];
    // A large file is slow to load: only a short rest, and only one such
    // input in four (chosen by its bytes, so that a failure reproduces).
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool large = (data[1] & 0xC0) == 0xC0 && size - 2 <= 64 && qChecksum(input) % 4 == 0;

    AppState& s = loader.state;
    s = AppState();
    ApplyDevice(s, model, 46083.5);
    s.DeviceName = model;
    for (int ch = 1; ch <= s.ChannelCount && ch <= 3; ++ch)
        s.Channel(ch).Use = !(data[1] & (0x08 << (ch - 1)));

    {
        QByteArray text = input.sliced(2).toByteArray();
        if (large && !text.isEmpty())
            text = text.repeated(kLargeFile / text.size() + 1);
        QFile f(FilePath());
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(text) != text.size())
            Fail("cannot write the input file");
    }

    LogTable& table = loader.table;
    const LoadResult r = file.LoadDataFile(table, FilePath());
    if (!r.loaded || r.cancelled || !r.report.ok)
        Fail("a readable file was not loaded");
    if (r.records != table.Count() || s.LogCount != table.Count())
        Fail("records, LogCount and the table's rows disagree");
    if (r.unreadableTimes > r.records)
        Fail("more unreadable stamps than records");
    const int rows = large ? std::min(table.rowCount(), 64) : table.rowCount();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < table.columnCount(); ++column)
            (void)table.CellText(row, column);
    }
    return 0;
}
