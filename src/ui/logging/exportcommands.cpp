#include "ui/logging/exportcommands.h"

#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "core/logging/numericexport.h"
#include "core/logging/workbookexport.h"
#include "core/model/appstate.h"
#include "ui/logging/tablewindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QSaveFile>

namespace {
// Language-table entries.
enum : int {
    kCancel = 40,
    kOverwrite = 17,
    kEntry = 376,
    kTitle = 377,
    kCsvFilter = 378,
    kWorkbookFilter = 379,
    kExporting = 380,
    kNotWritten = 381,
    kLeftEmpty = 382,
    kTableChanged = 383,
    kExported = 384,
    kSelectionTitle = 385,
};
constexpr int kProgressSteps = 1000;
} // namespace

ExportCommands::ExportCommands(AppState& state, const LanguageTable& language, LogTable& rows, TableWindow& table,
                               QMenu& fileMenu, QAction* before, QWidget* dialogParent)
    : QObject(dialogParent), s_(state), lang_(language), rows_(rows), table_(table), parent_(dialogParent)
{
    setObjectName(QStringLiteral("exportCommands"));
    action_ = new QAction(this);
    action_->setObjectName(QStringLiteral("actExport"));
    fileMenu.insertAction(before, action_);
    connect(action_, &QAction::triggered, this, [this] { RunGated(gate, [this] { Export(); }); });
    // The caption follows the language whenever the menu opens; the entry
    // is enabled while the table holds rows.
    connect(&fileMenu, &QMenu::aboutToShow, this, &ExportCommands::Refresh);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&rows_, signal, this, &ExportCommands::Refresh);
    connect(&rows_, &QAbstractItemModel::modelReset, this, &ExportCommands::Refresh);
    Refresh();
}

void ExportCommands::Refresh()
{
    action_->setText(lang_[kEntry]);
    action_->setEnabled(rows_.Count() > 0);
}

QString ExportCommands::ChooseFile(const QString& title, Kind& kind)
{
    const QString folder = lastFolder_.isEmpty() ? s_.FolderData : lastFolder_;
    // The data file's name offered, so an export is found beside its run.
    const QString dataFile = s_.LogFileWork.isEmpty() ? s_.LogFileName : s_.LogFileWork;
    const QString base = QFileInfo(dataFile).completeBaseName();
    const QString suggested = QDir(folder).filePath((base.isEmpty() ? QStringLiteral("export") : base)
                                                    + (kind == Kind::Workbook ? QStringLiteral(".xlsx")
                                                                              : QStringLiteral(".csv")));
    if (chooseFile)
        return chooseFile(title, suggested, kind);
    const QString csv = lang_[kCsvFilter], workbook = lang_[kWorkbookFilter];
    QFileDialog dialog(parent_, title, suggested, csv + QStringLiteral(";;") + workbook);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite); // asked below, in the program's words
    dialog.selectNameFilter(kind == Kind::Workbook ? workbook : csv);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    kind = dialog.selectedNameFilter() == workbook ? Kind::Workbook : Kind::Csv;
    return dialog.selectedFiles().value(0);
}

bool ExportCommands::Export()
{
    if (rows_.Count() == 0)
        return false;
    const std::vector<int> selected = table_.Geselecteerd();
    Kind kind = Kind::Csv;
    QString path = ChooseFile(selected.empty() ? lang_[kTitle] : lang_[kSelectionTitle].arg(selected.size()), kind);
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    const QString suffix = kind == Kind::Workbook ? QStringLiteral("xlsx") : QStringLiteral("csv");
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + suffix;
    lastFolder_ = QFileInfo(path).absolutePath();
    if (QFileInfo::exists(path)) {
        const int answer = ask ? ask(lang_[kTitle], lang_[kOverwrite])
                               : QMessageBox::question(parent_, lang_[kTitle], lang_[kOverwrite]);
        if (answer != QMessageBox::Yes)
            return false;
    }
    auto say = [this](const QString& text, bool warning) {
        if (inform)
            inform(lang_[kTitle], text, warning);
        else if (warning)
            QMessageBox::warning(parent_, lang_[kTitle], text);
        else
            QMessageBox::information(parent_, lang_[kTitle], text);
    };

    ExportScope scope = ExportScopeOf(s_, rows_, &lang_);
    scope.rows = selected;

    // Readings go on arriving while the progress dialog lets events through.
    // A row added at the end changes nothing here; a row put back into a
    // gap, rows deleted or a table loaded would move the rows under the
    // export, which then stops rather than write the wrong rows.
    const int lastRow = selected.empty() ? rows_.Count() - 1 : selected.back();
    bool changed = false;
    const QList<QMetaObject::Connection> watches{
        connect(&rows_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [&changed] { changed = true; }),
        connect(&rows_, &QAbstractItemModel::modelAboutToBeReset, this, [&changed] { changed = true; }),
        connect(&rows_, &QAbstractItemModel::rowsInserted, this,
                [&changed, lastRow](const QModelIndex&, int first) { changed = changed || first <= lastRow; }),
    };
    QPointer<QProgressDialog> dialog = new QProgressDialog(QString(), QString(lang_[kCancel]).remove(QLatin1Char('&')),
                                                           0, kProgressSteps, parent_);
    dialog->setWindowTitle(lang_[kTitle]);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(300);
    dialog->setAutoReset(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ExportProgress progress = [&](qint64 done, qint64 total) {
        if (!dialog)
            return !changed;
        dialog->setLabelText(lang_[kExporting].arg(total));
        dialog->setValue(total > 0 ? int(done * kProgressSteps / total) : kProgressSteps);
        QCoreApplication::processEvents();
        return !changed && dialog && !dialog->wasCanceled();
    };

    ExportResult result;
    if (kind == Kind::Workbook) {
        RunInfo run;
        run.model = s_.DeviceName;
        run.identification = s_.IdentificationNumber;
        run.dataFile = s_.LogFileWork.isEmpty() ? s_.LogFileName : s_.LogFileWork;
        run.configFile = s_.ConfigFileName;
        result = WriteWorkbook(scope, run, path, {}, progress);
    } else {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            result.ok = false;
            result.error = file.errorString();
        } else {
            result = WriteNumericCsv(scope, CsvLayout::Wide, file, {}, progress);
            if (result.ok && !result.cancelled && !file.commit()) {
                result.ok = false;
                result.error = file.errorString();
            }
        }
    }
    QApplication::restoreOverrideCursor();
    delete dialog;
    for (const QMetaObject::Connection& c : watches)
        disconnect(c);

    if (!result.ok) {
        say(lang_[kNotWritten].arg(QDir::toNativeSeparators(path), result.error), true);
        return false;
    }
    if (result.cancelled) {
        if (changed)
            say(lang_[kTableChanged], true);
        return false;
    }
    Q_EMIT LastAction(lang_[kExported].arg(result.rows).arg(QFileInfo(path).fileName()));
    if (result.problems > 0)
        say(lang_[kLeftEmpty].arg(result.problems), false);
    return true;
}
