// The table window under the offscreen platform: rows arriving while logging,
// the relative clock, selection, exclusion and info edits written back into
// the data file, and the clipboard text.

#include "core/appstate.h"
#include "core/datafile.h"
#include "core/datetime.h"
#include "core/logtable.h"
#include "devices/catalogue.h"
#include "i18n/languagetable.h"
#include "views/tablewindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

struct TableWindowTest : testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ApplyDevice(state, QStringLiteral("A101"), t0);
        state.DeviceName = QStringLiteral("A101");
        state.LogFileName = dir.filePath(QStringLiteral("data.vam"));
        window.StelTabelIn();
        window.resize(600, 300);
        window.show();
    }
    // One logged reading, as PropagateReading records it.
    void Log(int n, const QString& info = {})
    {
        state.LogCount = n;
        for (int c = 1; c <= 2; ++c) {
            ChannelReading& r = state.Readings[c];
            r.ReadingTime = t0 + n * kOneSecond;
            r.ValueText = QString::number(c * 10 + n);
            r.UnitText = QStringLiteral("mV");
            r.HasValue = true;
        }
        window.VulTabelAan(info);
        ASSERT_TRUE(file.AppendRecord(info).ok);
    }
    QByteArray FileText() const
    {
        QFile f(state.LogFileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Answers the next modal dialog or message box; returns its text.
    void OnNextModal(std::function<void(QWidget*)> act)
    {
        QTimer::singleShot(0, [act] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            act(modal);
        });
    }

    QTemporaryDir dir;
    AppState state;
    LanguageTable lang;
    LogTable table;
    DataFile file{state, lang};
    TableWindow window{state, lang, table, &file};
    double t0 = ToDays(QDateTime(QDate(2026, 12, 5), QTime(8, 30, 0)));
};

} // namespace

TEST_F(TableWindowTest, RowsArriveWhileLogging)
{
    for (int n = 1; n <= 3; ++n)
        Log(n);
    QTableView* view = window.View();
    EXPECT_EQ(view->model()->rowCount(), 4);
    EXPECT_EQ(view->model()->columnCount(), 8);
    EXPECT_EQ(view->currentIndex().row(), 2); // the newest reading is the current row
    EXPECT_EQ(view->model()->data(view->model()->index(2, 3)).toString(), QStringLiteral("13"));
    EXPECT_EQ(view->model()->headerData(7, Qt::Horizontal).toString(), lang[25]);
    EXPECT_EQ(state.TableColumnCount, 7);

    // A channel that is not in use has its columns hidden.
    state.Channel(2).Use = false;
    window.StelTabelIn();
    EXPECT_TRUE(view->isColumnHidden(5));
    EXPECT_TRUE(view->isColumnHidden(6));
    EXPECT_FALSE(view->isColumnHidden(3));
    EXPECT_EQ(table.Count(), 3); // same shape: the rows stay

    // Widths round-trip through the configuration's twips.
    window.StelNieuweKolomBreedteIn({600, 1500, 1500, 900});
    EXPECT_EQ(window.KolomBreedtes().mid(0, 4), QList<int>({600, 1500, 1500, 900}));

    // Closing only hides.
    QSignalSpy closed(&window, &TableWindow::ClosedByUser);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(TableWindowTest, RelativeClockFromTheReferencePoint)
{
    for (int n = 1; n <= 3; ++n)
        Log(n);
    window.SelectRows({1});
    window.SetReferencePoint();
    window.RelativeClockAction()->trigger();
    EXPECT_TRUE(table.RelativeTime());
    const QAbstractItemModel* m = window.View()->model();
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), QStringLiteral("-0"));
    EXPECT_EQ(m->data(m->index(0, 2)).toString(), QStringLiteral("00:00:01"));
    EXPECT_EQ(m->data(m->index(2, 1)).toString(), QStringLiteral("+0"));
    EXPECT_EQ(m->data(m->index(2, 2)).toString(), QStringLiteral("00:00:01"));
    window.RelativeClockAction()->trigger();
    EXPECT_EQ(m->data(m->index(2, 2)).toString(), table.Stamps().FormatTime(t0 + 3 * kOneSecond));
}

TEST_F(TableWindowTest, SelectionAndCopyText)
{
    for (int n = 1; n <= 4; ++n)
        Log(n, n == 2 ? QStringLiteral("note") : QString());
    window.SelecteerAlles();
    EXPECT_EQ(window.Geselecteerd(), std::vector<int>({0, 1, 2, 3})); // not the empty row
    window.SelectRows({0, 2});
    window.InverteerSelectie();
    EXPECT_EQ(window.Geselecteerd(), std::vector<int>({1, 3}));
    window.DeselecteerAlles();
    EXPECT_TRUE(window.Geselecteerd().empty());

    window.SelectRows({1, 3});
    window.CopyElementen();
    const QString d = table.Stamps().FormatDate(t0);
    const QString expected = "2\t" + d + "\t" + table.Stamps().FormatTime(t0 + 2 * kOneSecond) + "\t12\tmV\t22\tmV\tnote\r\n"
        + "4\t" + d + "\t" + table.Stamps().FormatTime(t0 + 4 * kOneSecond) + "\t14\tmV\t24\tmV\t";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
}

TEST_F(TableWindowTest, ExcludeAndEditInfoReachTheDataFile)
{
    for (int n = 1; n <= 3; ++n)
        Log(n);
    window.SelectRows({0, 2});
    ASSERT_TRUE(window.Exclude());
    EXPECT_TRUE(table.Excluded(0));
    EXPECT_FALSE(table.Excluded(1));
    EXPECT_TRUE(table.Excluded(2));
    QList<QByteArray> lines = FileText().split('\n');
    EXPECT_TRUE(lines[1].endsWith("'!x'\r"));
    EXPECT_TRUE(lines[2].endsWith("''\r"));
    EXPECT_TRUE(lines[3].endsWith("'!x'\r"));
    ASSERT_TRUE(window.Exclude()); // already excluded rows are not marked twice
    EXPECT_EQ(table.Info(0), QStringLiteral("!x"));

    // Edit info over two rows: the dialog warns, OK writes both.
    window.SelectRows({1, 2});
    QString warning;
    OnNextModal([&](QWidget* w) {
        warning = w->findChild<QLabel*>(QStringLiteral("lblWarning"))->text();
        w->findChild<QLineEdit*>(QStringLiteral("txtInfo"))->setText(QStringLiteral("calibrated"));
        static_cast<QDialog*>(w)->accept();
    });
    ASSERT_TRUE(window.EditInfo());
    EXPECT_TRUE(warning.startsWith(QStringLiteral("Warning: Multiple lines are selected!")));
    EXPECT_EQ(table.Info(1), QStringLiteral("calibrated"));
    lines = FileText().split('\n');
    EXPECT_TRUE(lines[2].endsWith("'calibrated'\r"));
    EXPECT_TRUE(lines[3].endsWith("'calibrated'\r"));
    EXPECT_TRUE(lines[1].endsWith("'!x'\r"));

    // Date-stamped logging: editing is refused with UI text 204 and nothing changes.
    state.DatestampFileName = true;
    const QByteArray before = FileText();
    QString refusal;
    OnNextModal([&](QWidget* w) {
        refusal = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    EXPECT_FALSE(window.Exclude());
    EXPECT_EQ(refusal, QStringLiteral("Tables with a automatic denominated filename cannot be edited!"));
    EXPECT_FALSE(table.Excluded(1));
    EXPECT_EQ(FileText(), before);

    // A read-only data file: refused without touching anything.
    state.DatestampFileName = false;
    state.DataFileReadOnly = true;
    EXPECT_FALSE(window.Exclude());
    EXPECT_FALSE(table.Excluded(1));
}

TEST_F(TableWindowTest, FailedWriteBackIsReported)
{
    Log(1);
    Log(2);
    file.renameFile = [](const QString&, const QString&) { return false; };
    QSignalSpy status(&window, &TableWindow::StatusText);
    QString message;
    OnNextModal([&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    window.SelectRows({0});
    ASSERT_TRUE(window.Exclude());
    EXPECT_TRUE(message.startsWith(lang[51])) << message.toStdString();
    ASSERT_EQ(status.count(), 1);
    EXPECT_FALSE(status.at(0).at(0).toString().isEmpty());
    EXPECT_EQ(file.PendingRecords(), 1); // written with the next record
}
