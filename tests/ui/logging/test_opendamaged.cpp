// Opening damaged data files through the main window's File commands.

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "support/fakeserialport.h"
#include "ui/logging/datafilecommands.h"
#include "ui/logging/tablewindow.h"
#include "ui/shell/mainwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Days as stamps: every locale reads them back.
QByteArray Record(int n, const char* value)
{
    return "'46000." + QByteArray::number(n) + "','" + value + "','mV','False','True','2','mV','False','True',''\r\n";
}
} // namespace

// One warning for a file that loaded with damage; a question, and nothing
// else, before a file without a readable record becomes the logging target.
TEST(OpenDamagedFile, WarnsAndAsksBeforeAdoptingAFileWithoutRecords)
{
    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    state.ApplyDefaults();
    state.FolderData = state.DocumentsFolder = dir.path();
    state.ConfigFileName = dir.filePath(QStringLiteral("VAM.CFG")); // opening writes it
    ApplyDevice(state, QStringLiteral("A101"), 0);
    state.DeviceName = QStringLiteral("A101");
    MainWindow w{state, lang, new FakeSerialPort};
    QStringList warnings, asked;
    int answer = QMessageBox::No;
    QString chosen;
    w.warningHandler = [&](const QString&, const QString& text) { warnings << text; };
    w.questionHandler = [&](const QString&, const QString& text, bool) {
        asked << text;
        return answer;
    };
    w.fileChooser = [&](const QString&, const QString&, const QString&, bool) { return chosen; };
    w.SetDevice(QStringLiteral("A101"));
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    };
    const QString damaged = write("damaged.vam", "'A101'\r\n" + Record(1, "1") + "garbage\r\n" + Record(2, "2")
                                                     + "#\r\n" + Record(3, "3") + "'46000.4','4");
    const QString warning = "3 damaged line(s) skipped in " + QDir::toNativeSeparators(damaged)
        + ", the first at line 3.";

    chosen = damaged;
    w.OpenAction()->trigger();
    w.FileCommands().OpenRecent(damaged);
    EXPECT_EQ(warnings, QStringList({warning, warning})) << "File > Open and a recent file alike";
    EXPECT_EQ(state.LogFileName, damaged);
    EXPECT_EQ(w.Table()->Table().Count(), 3);

    warnings.clear();
    chosen = write("noise.vam", "\x8f\x01garbage\x7f\r\n\xff\xfe 'x\r\n");
    w.OpenAction()->trigger();
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], "2 damaged line(s) skipped in " + QDir::toNativeSeparators(chosen) + ", the first at line 1."
                            "\r\n\r\n" + QDir::toNativeSeparators(chosen)
                            + " holds no readable record. Use it as the data file for logging anyway?");
    EXPECT_EQ(state.LogFileName, damaged) << "No keeps the previous data file";
    EXPECT_EQ(w.Table()->Table().Count(), 3) << "and its table";

    answer = QMessageBox::Yes;
    w.OpenAction()->trigger();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(state.LogFileName, chosen);
    EXPECT_EQ(w.Table()->Table().Count(), 0);
    EXPECT_TRUE(warnings.isEmpty()) << "the question is the one message";
}
