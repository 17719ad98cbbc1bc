// The table window under the offscreen platform: rows arriving while logging,
// the relative clock, selection, exclusion, info edits and deletes written
// back into the data file, renumbering and clearing, the context menu, and
// the clipboard text.

#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "ui/logging/tablewindow.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
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
    // Reading n, logged at second n of the run (or at `second`).
    void Log(int n, const QString& info = {}, int second = -1)
    {
        state.LogCount = n;
        for (int c = 1; c <= 2; ++c) {
            ChannelReading& r = state.Readings[c];
            r.ReadingTime = t0 + (second < 0 ? n : second) * kOneSecond;
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

    std::vector<int> Numbers() const
    {
        std::vector<int> out;
        for (int r = 0; r < table.Count(); ++r)
            out.push_back(table.Number(r));
        return out;
    }
    // Answers the table window's questions with `answer`, noting each one.
    void AnswerQuestions(int answer)
    {
        window.questionHandler = [this, answer](const QString& title, const QString& text, bool) {
            questions << title + QLatin1Char('|') + text;
            return answer;
        };
    }

    QStringList questions;
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

// Records logged within one second: Edit info and Delete reach the row the
// user chose, not the first record of that second in the file.
TEST_F(TableWindowTest, RecordsOfOneSecondAreToldApartByTheirOrder)
{
    for (int n = 1; n <= 4; ++n)
        Log(n, QStringLiteral("r%1").arg(n), n < 4 ? 1 : 2); // readings 1..3 share a second
    auto recordInfos = [&] {
        QStringList infos;
        for (const QByteArray& line : FileText().split('\n'))
            if (line.startsWith('\'') && line.contains("mV"))
                infos << QString::fromLatin1(line.split(',').last().trimmed().chopped(1).mid(1));
        return infos;
    };
    ASSERT_EQ(recordInfos(), (QStringList{"r1", "r2", "r3", "r4"}));
    window.SelectRows({2});
    OnNextModal([&](QWidget* w) {
        w->findChild<QLineEdit*>(QStringLiteral("txtInfo"))->setText(QStringLiteral("third"));
        static_cast<QDialog*>(w)->accept();
    });
    ASSERT_TRUE(window.EditInfo());
    EXPECT_EQ(recordInfos(), (QStringList{"r1", "r2", "third", "r4"}));
    AnswerQuestions(QMessageBox::Yes);
    window.SelectRows({1});
    ASSERT_TRUE(window.WisTabelRij());
    EXPECT_EQ(recordInfos(), (QStringList{"r1", "third", "r4"}));
    window.SelectRows({0, 1});
    ASSERT_TRUE(window.Exclude());
    EXPECT_EQ(recordInfos(), (QStringList{"!xr1", "!xthird", "r4"}));
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

TEST_F(TableWindowTest, DeleteAsksThenRemovesRowsAndRecords)
{
    struct {
        const char* what;
        std::vector<int> selected;
        int answer;
        const char* title;     // the question's title; null: nothing asked
        std::vector<int> left; // numbers afterwards
        bool deleted;
    } cases[] = {
        {"some rows", {1, 3}, QMessageBox::Yes, "Delete", {1, 3}, true},
        {"every row", {0, 1, 2, 3}, QMessageBox::Yes, "Delete All", {}, true},
        {"answered no", {0}, QMessageBox::No, "Delete", {1, 2, 3, 4}, false},
        {"nothing selected", {}, QMessageBox::Yes, nullptr, {1, 2, 3, 4}, false},
    };
    for (const auto& c : cases) {
        window.InitieerTabel();
        QFile::remove(state.LogFileName);
        QFile::remove(state.LogFileName + ".old");
        for (int n = 1; n <= 4; ++n)
            Log(n);
        const QByteArray before = FileText();
        const QList<QByteArray> lines = before.split('\n'); // header, records 1..4, ""
        questions.clear();
        AnswerQuestions(c.answer);
        window.SelectRows(c.selected);

        EXPECT_EQ(window.WisTabelRij(), c.deleted) << c.what;
        const QStringList asked = c.title
            ? QStringList(QString::fromLatin1(c.title) + "|Do you wish to delete all selected points?\r\n\r\n"
                          + QString::number(c.selected.size()) + " record(s) will be removed from the data file "
                          + QFileInfo(state.LogFileName).fileName() + ".")
            : QStringList();
        EXPECT_EQ(questions, asked) << c.what;
        EXPECT_EQ(Numbers(), c.left) << c.what;
        EXPECT_EQ(state.LogCount, 4) << c.what;
        EXPECT_EQ(table.CellText(table.Count(), 0), QStringLiteral("5")) << c.what;

        // The file loses exactly the deleted rows' records, byte for byte.
        QByteArray expected = lines[0] + '\n';
        for (int n : c.left)
            expected += lines[n] + '\n';
        EXPECT_EQ(FileText(), expected) << c.what;
        EXPECT_EQ(QFile::exists(state.LogFileName + ".old"), c.deleted) << c.what;
        if (c.deleted) {
            QFile old(state.LogFileName + ".old");
            ASSERT_TRUE(old.open(QIODevice::ReadOnly)) << c.what;
            EXPECT_EQ(old.readAll(), before) << c.what; // the previous version
        }
        EXPECT_FALSE(state.ConfigChanged) << c.what;

        // The next reading continues the numbering.
        Log(5);
        std::vector<int> next = c.left;
        next.push_back(5);
        EXPECT_EQ(Numbers(), next) << c.what;
        EXPECT_EQ(window.View()->currentIndex().row(), int(c.left.size())) << c.what;
    }
}

TEST_F(TableWindowTest, DeleteIsRefusedWhereEditingIs)
{
    for (int n = 1; n <= 3; ++n)
        Log(n);
    const QByteArray before = FileText();
    AnswerQuestions(QMessageBox::Yes);
    window.SelectRows({1});
    EXPECT_TRUE(window.CanDelete());

    // Date-stamped logging: UI text 204, nothing asked, nothing changes.
    state.DatestampFileName = true;
    EXPECT_FALSE(window.CanDelete());
    QString refusal;
    OnNextModal([&](QWidget* w) {
        refusal = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    EXPECT_FALSE(window.WisTabelRij());
    EXPECT_EQ(refusal, QStringLiteral("Tables with a automatic denominated filename cannot be edited!"));

    // A read-only data file: refused without a word.
    state.DatestampFileName = false;
    state.DataFileReadOnly = true;
    EXPECT_FALSE(window.CanDelete());
    EXPECT_FALSE(window.WisTabelRij());

    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(Numbers(), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(FileText(), before);
}

TEST_F(TableWindowTest, FailedDeleteIsReportedAndHeld)
{
    for (int n = 1; n <= 3; ++n)
        Log(n);
    const QByteArray before = FileText();
    file.renameFile = [](const QString&, const QString&) { return false; };
    AnswerQuestions(QMessageBox::Yes);
    QSignalSpy status(&window, &TableWindow::StatusText);
    QString message;
    OnNextModal([&](QWidget* w) {
        message = static_cast<QMessageBox*>(w)->text();
        static_cast<QMessageBox*>(w)->accept();
    });
    window.SelectRows({0});
    ASSERT_TRUE(window.WisTabelRij());
    EXPECT_TRUE(message.startsWith(lang[51])) << message.toStdString();
    EXPECT_EQ(status.count(), 1);
    EXPECT_EQ(Numbers(), std::vector<int>({2, 3}));
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(file.PendingRecords(), 1); // done before the next record is written
}

TEST_F(TableWindowTest, RenumberAndClearRestartTheNumbering)
{
    for (int n = 1; n <= 5; ++n)
        Log(n);
    AnswerQuestions(QMessageBox::Yes);
    window.SelectRows({1, 2});
    ASSERT_TRUE(window.WisTabelRij());
    ASSERT_EQ(Numbers(), std::vector<int>({1, 4, 5}));
    const QByteArray afterDelete = FileText();
    QSignalSpy logCount(&window, &TableWindow::LogCountChanged);

    // Renumber from the context menu's action: 1..3, the next reading is 4.
    window.RenumberAction()->trigger();
    EXPECT_EQ(Numbers(), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(state.LogCount, 3);
    EXPECT_EQ(window.View()->model()->data(window.View()->model()->index(3, 0)).toString(), QStringLiteral("4"));
    ASSERT_EQ(logCount.count(), 1);
    EXPECT_EQ(logCount.at(0).at(0).toInt(), 3);
    EXPECT_EQ(FileText(), afterDelete); // the file holds no numbers
    Log(state.LogCount + 1);
    EXPECT_EQ(Numbers(), std::vector<int>({1, 2, 3, 4}));
    EXPECT_EQ(window.View()->currentIndex().row(), 3);
    EXPECT_TRUE(window.Renumber()); // already in order: LogCount is left alone
    EXPECT_EQ(logCount.count(), 1);

    // Clear while logging: the table starts again at 1, the file keeps its records.
    state.LogActive = true;
    const QByteArray beforeClear = FileText();
    ASSERT_TRUE(window.CanClear());
    ASSERT_TRUE(window.ClearTable());
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(state.LogCount, 0);
    ASSERT_EQ(logCount.count(), 2);
    EXPECT_EQ(logCount.at(1).at(0).toInt(), 0);
    EXPECT_EQ(window.View()->model()->data(window.View()->model()->index(0, 0)).toString(), QStringLiteral("1"));
    EXPECT_EQ(FileText(), beforeClear);
    EXPECT_FALSE(window.CanClear());
    EXPECT_FALSE(window.ClearTable());

    Log(state.LogCount + 1);
    EXPECT_EQ(Numbers(), std::vector<int>({1}));
    const QList<QByteArray> lines = FileText().split('\n');
    EXPECT_TRUE(FileText().startsWith(beforeClear));
    ASSERT_EQ(lines.size(), beforeClear.count('\n') + 3);
    EXPECT_EQ(lines[lines.size() - 3], "'A101'\r"); // a new run in the same file
    EXPECT_FALSE(state.ConfigChanged);

    // Every row deleted: the numbering goes on until Clear restarts it.
    window.SelecteerAlles();
    ASSERT_TRUE(window.WisTabelRij());
    EXPECT_EQ(table.Count(), 0);
    EXPECT_FALSE(window.CanRenumber());
    EXPECT_TRUE(window.CanClear());
    EXPECT_TRUE(window.ClearTable());
    EXPECT_EQ(window.View()->model()->data(window.View()->model()->index(0, 0)).toString(), QStringLiteral("1"));
}

TEST_F(TableWindowTest, RelativeClockSwitchesStayInStep)
{
    Log(1);
    QSignalSpy changed(&window, &TableWindow::RelativeTimeChanged);
    struct {
        const char* what;
        std::function<void()> act;
        bool on;
        int signals;
    } steps[] = {
        {"main window on", [&] { window.SetRelativeTime(true); }, true, 1},
        {"main window on again", [&] { window.SetRelativeTime(true); }, true, 1},
        {"context menu off", [&] { window.RelativeClockAction()->trigger(); }, false, 2},
        {"context menu on", [&] { window.RelativeClockAction()->trigger(); }, true, 3},
        {"main window off", [&] { window.SetRelativeTime(false); }, false, 4},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(window.RelativeTime(), s.on) << s.what;
        EXPECT_EQ(table.RelativeTime(), s.on) << s.what;
        EXPECT_EQ(window.RelativeClockAction()->isChecked(), s.on) << s.what;
        ASSERT_EQ(changed.count(), s.signals) << s.what;
        EXPECT_EQ(changed.last().at(0).toBool(), s.on) << s.what;
    }
}

TEST_F(TableWindowTest, EditCommandsFollowRowsSelectionAndRules)
{
    // The context menu as it opens: its entries and their enabled state.
    auto menu = [&] {
        QStringList entries;
        QTimer::singleShot(0, [&] {
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(popup, nullptr);
            for (QAction* a : popup->actions()) {
                if (!a->isSeparator())
                    entries << a->text() + (a->isEnabled() ? "" : " (off)");
            }
            popup->close();
        });
        Q_EMIT window.View()->customContextMenuRequested(QPoint(5, 5));
        return entries;
    };
    QSignalSpy changed(&window, &TableWindow::EditCommandsChanged);
    struct {
        const char* what;
        std::function<void()> act;
        bool rows, selection, canDelete;
    } cases[] = {
        {"empty table", [] {}, false, false, false},
        {"rows", [&] { Log(1); Log(2); }, true, false, false},
        {"a row selected", [&] { window.SelectRows({1}); }, true, true, true},
        {"date-stamped", [&] { state.DatestampFileName = true; }, true, true, false},
        {"allowed again", [&] { state.DatestampFileName = false; }, true, true, true},
        {"only the empty row", [&] { window.View()->selectRow(2); }, true, false, false},
        {"cleared", [&] { window.ClearTable(); }, false, false, false},
    };
    for (const auto& c : cases) {
        c.act();
        EXPECT_EQ(window.HasRows(), c.rows) << c.what;
        EXPECT_EQ(window.HasSelection(), c.selection) << c.what;
        EXPECT_EQ(window.CanDelete(), c.canDelete) << c.what;
        EXPECT_EQ(window.CanRenumber(), c.rows) << c.what;
        const QStringList entries = menu();
        EXPECT_EQ(entries.mid(0, 2), QStringList({"&Copy", QString("Dele&te") + (c.canDelete ? "" : " (off)")})) << c.what;
        EXPECT_TRUE(entries.contains(QString("&Renumber") + (c.rows ? "" : " (off)"))) << c.what;
        EXPECT_TRUE(entries.contains("Relative clock")) << c.what;
    }
    // Rows and selection changes are signalled; the file rules are asked for.
    EXPECT_GE(changed.count(), 4);

    // A disabled entry does nothing.
    Log(1);
    window.UpdateEditActions();
    AnswerQuestions(QMessageBox::Yes);
    window.DeleteAction()->trigger();
    EXPECT_TRUE(questions.isEmpty());
    EXPECT_EQ(table.Count(), 1);
}

TEST_F(TableWindowTest, DraggedColumnWidthChangesTheConfiguration)
{
    // Widths the program sets are not a change of the configuration.
    window.InitKolomBreedte();
    window.StelNieuweKolomBreedteIn({600, 1500, 1500, 900});
    state.Channel(2).Use = false;
    window.StelTabelIn();
    EXPECT_FALSE(state.ConfigChanged);

    QHeaderView* header = window.View()->horizontalHeader();
    const int before = header->sectionSize(3);
    const int edge = header->sectionViewportPosition(3) + before - 1;
    const int y = header->height() / 2;
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + 20, y));
    QTest::mouseMove(header->viewport(), QPoint(edge + 40, y));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(edge + 40, y));
    EXPECT_EQ(header->sectionSize(3), before + 40);
    EXPECT_TRUE(state.ConfigChanged);

    state.ConfigChanged = false;
    window.InitKolomBreedte(); // after the release: the program's again
    EXPECT_FALSE(state.ConfigChanged);
}
