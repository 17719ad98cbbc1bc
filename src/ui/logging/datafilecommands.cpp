#include "ui/logging/datafilecommands.h"

#include "core/model/appstate.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/logging/logtable.h"
#include "core/config/startup.h"
#include "core/help/languagetable.h"
#include "platform/core/settingsstore.h"
#include "ui/logging/tablewindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <cstdio>
#include <memory>

namespace {
enum Text {
    kOverwrite = 17, kSaveCurrentData = 55, kDataFiles = 81, kFileToSaveAs = 85, kFileToOpen = 86,
    kAllFiles = 114, kNewFileToSaveAs = 117, kHeldBack = 363,
};

bool SameFile(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}
} // namespace

DataFileCommands::DataFileCommands(AppState& state, const LanguageTable& language, DataFile& file, LogTable& rows,
                                   TableWindow& table, Hooks hooks, QObject* parent)
    : QObject(parent), s_(state), lang_(language), file_(file), rows_(rows), table_(table), hooks_(std::move(hooks))
{
}

QString DataFileCommands::Filter(bool withAll) const
{
    QString filter = lang_[kDataFiles] + QStringLiteral(" (*.vam)");
    if (withAll) {
        QString all = lang_[kAllFiles].section(QLatin1Char('|'), 0, 0);
        all.replace(QLatin1String("(*.*)"), QLatin1String("(*)")); // every file, with or without an extension
        filter += QStringLiteral(";;") + all;
    }
    return filter;
}

bool DataFileCommands::TableUnsaved() const
{
    if (file_.PendingRecords() > 0)
        return true;
    return rows_.Count() > 0 && SameFile(s_.LogFileName, UntitledDataFileName(s_));
}

bool DataFileCommands::AskSaveTable()
{
    if (!TableUnsaved())
        return true;
    const int answer = hooks_.ask(QStringLiteral("VAM"), lang_[kSaveCurrentData], true);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer != QMessageBox::Yes)
        return true;
    return SaveAs();
}

QString DataFileCommands::AskNewName(const QString& title)
{
    for (;;) {
        QString path = hooks_.chooseFile(title, s_.FolderData, Filter(false), true);
        if (path.isEmpty())
            return QString();
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".vam");
        if (QFileInfo::exists(path) && hooks_.ask(title, lang_[kOverwrite], false) != QMessageBox::Yes)
            continue; // another name, or cancel in the dialog
        return path;
    }
}

void DataFileCommands::ConfigurationSavedWhenChanged()
{
    if (s_.ConfigChanged)
        ConfigurationWritten();
}

void DataFileCommands::ConfigurationWritten()
{
    if (!hooks_.writeConfiguration)
        return;
    const CommandOutcome out = hooks_.writeConfiguration();
    if (!out.Ok && hooks_.inform)
        hooks_.inform(QStringLiteral("VAM"), out.Message);
}

void DataFileCommands::AddRecent(const QString& path)
{
    if (store_)
        UpdateRecentFiles(*store_, s_, path);
}

bool DataFileCommands::StartNewFile(const QString& path)
{
    if (s_.LogActive && hooks_.stopLogging)
        hooks_.stopLogging(); // the stop record ends the old file
    // The existing file of that name is kept as ".bak"; nothing is copied.
    if (!hooks_.report(file_.SaveDataFileAs(path, true)))
        return false;
    s_.CommandLineFile = true; // a re-read configuration must not name another file
    table_.InitieerTabel();
    s_.LogCount = 0;
    AddRecent(path);
    hooks_.refresh();
    return true;
}

bool DataFileCommands::New()
{
    if (!AskSaveTable())
        return false;
    const QString path = AskNewName(lang_[kNewFileToSaveAs]);
    if (path.isEmpty())
        return false;
    ConfigurationSavedWhenChanged();
    return StartNewFile(path);
}

bool DataFileCommands::NewForReceive()
{
    if (!AskSaveTable())
        return false;
    const QString path = AskNewName(lang_[kNewFileToSaveAs]);
    return !path.isEmpty() && StartNewFile(path);
}

bool DataFileCommands::Open()
{
    if (!AskSaveTable())
        return false;
    ConfigurationSavedWhenChanged();
    const QString path = hooks_.chooseFile(lang_[kFileToOpen], s_.FolderData, Filter(true), false);
    if (path.isEmpty()) {
        ConfigurationWritten();
        return false;
    }
    return OpenFile(path);
}

void DataFileCommands::Progress(int percent)
{
    if (hooks_.progress)
        hooks_.progress(percent);
}

bool DataFileCommands::OpenFile(const QString& path)
{
    if (s_.LogActive && hooks_.stopLogging)
        hooks_.stopLogging();
    const QString previous = s_.LogFileName, previousWork = s_.LogFileWork;
    const bool previousDatestamp = s_.DatestampFileName;
    s_.LogFileName = path;
    Progress(-1);
    const DataFile::OpenResult result = file_.OpenDataFile(rows_, previous, hooks_.progress);
    Progress(101);
    if (result.load.NoReadableRecord()) {
        // Nothing in it reads as a record: logging appends to it only when the user says so.
        if (hooks_.ask(lang_[kFileToOpen], AdoptUnreadableQuestion(result.load, path, lang_), false) != QMessageBox::Yes) {
            // Logging keeps writing where it did, and the table shows that file again.
            s_.LogFileName = previous;
            s_.DatestampFileName = previousDatestamp;
            Progress(-1);
            file_.LoadDataFile(rows_, previousWork, hooks_.progress);
            Progress(101);
            s_.LogFileWork = previousWork;
            s_.DataFileReadOnly = IsReadOnlyDataFile(previous);
            table_.StelTabelIn();
            hooks_.refresh();
            return false;
        }
    } else {
        hooks_.report(result.report); // failures, and the warning about a damaged file
    }
    if (!QFileInfo::exists(path))
        s_.LogFileName = previous; // a vanished file does not become the file to log into
    if (!result.datestampMessage.isEmpty() && hooks_.inform)
        hooks_.inform(lang_[kFileToOpen], result.datestampMessage);
    if (result.load.loaded) {
        AddRecent(path);
        // Names typed later (a relative file name) are taken beside the opened file.
        QDir::setCurrent(QFileInfo(path).absolutePath());
    }
    table_.StelTabelIn();
    hooks_.refresh();
    if (result.load.loaded && hooks_.showTable)
        hooks_.showTable();
    ConfigurationWritten();
    return result.load.loaded;
}

bool DataFileCommands::SaveAs()
{
    const QString path = AskNewName(lang_[kFileToSaveAs]);
    if (path.isEmpty())
        return false;
    // Records that never reached the file are only in the table: the table is saved.
    const DataFileReport r = file_.PendingRecords() > 0 ? file_.SaveTableAs(rows_, path) : file_.SaveDataFileAs(path, false);
    if (!hooks_.report(r))
        return false;
    AddRecent(path);
    hooks_.refresh();
    return true;
}

bool DataFileCommands::OpenRecent(const QString& path)
{
    if (!AskSaveTable())
        return false;
    ConfigurationSavedWhenChanged();
    return OpenFile(path);
}

bool DataFileCommands::SaveHeldBackRecords(bool mayAsk)
{
    if (file_.PendingRecords() == 0)
        return true;
    file_.RetryPending(); // the folder may be back (a USB stick plugged in again)
    const int left = file_.PendingRecords();
    if (left == 0)
        return true;
    const QString target = file_.AppendTarget();
    if (!mayAsk) {
        // Nobody to ask: the whole table goes to a file of its own, in the
        // first folder that takes it.
        for (const QString& folder : {s_.FolderData, s_.DocumentsFolder, QDir::homePath(), QDir::tempPath()}) {
            const QString path = RecoveryFileName(folder, target, NowDays());
            if (!folder.isEmpty() && file_.SaveTableAs(rows_, path).ok) {
                std::fprintf(stderr, "vam: %d records could not be written to '%s'; the table was saved as '%s'\n",
                             left, qPrintable(target), qPrintable(path));
                return true;
            }
        }
        std::fprintf(stderr, "vam: %d records could not be written to '%s' and are lost\n", left, qPrintable(target));
        return true;
    }
    const QString question = lang_[kHeldBack].arg(left).arg(QDir::toNativeSeparators(target));
    for (;;) {
        const int answer = hooks_.ask(QStringLiteral("VAM"), question, true);
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer != QMessageBox::Yes)
            return true;
        const QString chosen = hooks_.chooseRecoveryFile ? hooks_.chooseRecoveryFile() : QString();
        if (!chosen.isEmpty() && hooks_.report(file_.SaveTableAs(rows_, chosen)))
            return true;
    }
}

std::function<bool(int)> LoadProgressDialog(QWidget* parent, const LanguageTable& lang)
{
    auto dialog = std::make_shared<QPointer<QProgressDialog>>();
    return [dialog, parent, &lang](int percent) {
        QPointer<QProgressDialog>& progress = *dialog;
        if (percent < 0) {
            progress = new QProgressDialog(lang[80], QString(lang[40]).remove(QLatin1Char('&')), 0, 100, parent);
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(300);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return true;
        }
        if (percent > 100) {
            QApplication::restoreOverrideCursor();
            delete progress;
            return true;
        }
        if (!progress)
            return true;
        progress->setValue(percent);
        QCoreApplication::processEvents();
        return !progress->wasCanceled();
    };
}
