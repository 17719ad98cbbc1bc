// Feeds arbitrary bytes to the configuration reader as a ".CFG" file. For
// one input in four, what it made of them goes through the writer: that file
// must read back without a single issue and be written again byte for byte
// (when it names a device). The reader never keeps a value the writer cannot
// express, and the writer never writes one the reader refuses.

#include "core/model/appstate.h"
#include "core/config/configfile.h"
#include "core/config/configlayout.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"

#include <QByteArrayAlgorithms>
#include <QDir>
#include <QFile>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
const QString& FilePath()
{
    static const QString path = [] {
        const QString p = QDir::temp().filePath(QStringLiteral("vam-fuzz-%1.CFG").arg(::getpid()));
        std::atexit([] { QFile::remove(FilePath()); });
        return p;
    }();
    return path;
}

bool WriteFile(const QByteArray& bytes)
{
    QFile f(FilePath());
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

ConfigInfo FixedInfo()
{
    ConfigInfo info;
    info.Date = QStringLiteral("Friday 3 May 2024");
    info.Time = QStringLiteral("10:11:12");
    info.System = QStringLiteral("fuzz");
    info.User = QStringLiteral("fuzz");
    info.Version = QStringLiteral("1.2.3");
    return info;
}

[[noreturn]] void Fail(const char* why, const QByteArray& detail = {})
{
    std::fprintf(stderr, "fuzz_config: %s\n%s\n", why, detail.constData());
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static LanguageTable lang;
    qint16 english = 0;
    lang.SetLanguage(english);

    // The state a new configuration leaves behind: the settings dialog it
    // passes through allows no interval under one second.
    AppState state;
    state.UserName = QStringLiteral("fuzz");
    state.DocumentsFolder = QDir::tempPath();
    state.ApplyDefaults();
    ApplyDevice(state, state.DeviceName, 0);
    state.PollInterval = 1;
    state.LogInterval = 1;
    ConfigLayout layout;

    if (!WriteFile(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))))
        Fail("cannot write the input file");
    ConfigReport report;
    if (ReadConfig(state, lang, layout, FilePath(), &report) != ConfigReadStatus::Read)
        Fail("a readable file was not read", report.Error.toLatin1());
    for (const ConfigIssue& issue : report.Issues)
        (void)issue.ToText();

    // The round trip costs several times the read (the written file is long):
    // one input in four, chosen by its bytes so that a failure reproduces.
    if (qChecksum(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size))) % 4 != 0)
        return 0;

    const QByteArray written = FormatConfig(state, lang, layout, FilePath(), FixedInfo());
    if (!WriteFile(written))
        Fail("cannot write the rewritten file");
    ConfigReport again;
    if (ReadConfig(state, lang, layout, FilePath(), &again) != ConfigReadStatus::Read)
        Fail("the rewritten file was not read", again.Error.toLatin1());
    if (!again.Issues.isEmpty())
        Fail("the rewritten file has issues", again.Issues.first().ToText().toLatin1());
    // Without a device the reader skips the channel sections by rule, while
    // the writer still writes the channels the last device left: those come
    // back as defaults, so only a file with a device must be stable.
    if (state.DeviceName.isEmpty())
        return 0;
    const QByteArray rewritten = FormatConfig(state, lang, layout, FilePath(), FixedInfo());
    if (rewritten != written)
        Fail("written twice, the file changed", written + "\n----\n" + rewritten);
    return 0;
}
