#include "ui/logging/tablewindow.h"

#include "core/model/appstate.h"
#include "core/printing/printroutines.h"
#include "core/logging/datafile.h"
#include "core/logging/logtable.h"
#include "core/help/languagetable.h"
#include "platform/ui/qtcolors.h"

#include <QFileInfo>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {
enum Text { kDeleteEntry = 10, kTable = 21, kOk = 39, kCancel = 40, kDeleteQuestion = 52, kDelete = 53, kDeleteAll = 54,
            kSelectAll = 63, kRenumber = 66, kCopy = 113, kEditInfo = 92, kEditRefused = 204, kRelativeClock = 205,
            kReferencePoint = 206, kMultipleLines = 222, kExclude = 278, kRecordsRemoved = 352 };

QString WithoutTrailingBreaks(QString s)
{
    while (s.endsWith(QLatin1Char('\n')) || s.endsWith(QLatin1Char('\r')))
        s.chop(1);
    return s;
}
} // namespace

// Turns the model's stored colour values into brushes for the view.
class ColorProxy : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::ForegroundRole)
            return QBrush(ToQColor(QIdentityProxyModel::data(index, LogTable::ForegroundValueRole).toUInt()));
        if (role == Qt::BackgroundRole)
            return QBrush(ToQColor(QIdentityProxyModel::data(index, LogTable::BackgroundValueRole).toUInt()));
        return QIdentityProxyModel::data(index, role);
    }
};

TableWindow::TableWindow(AppState& state, const LanguageTable& language, LogTable& table, DataFile* dataFile,
                         QWidget* parent)
    : QWidget(parent), s_(state), lang_(language), table_(table), file_(dataFile)
{
    setObjectName(QStringLiteral("frmTabel"));
    proxy_ = new ColorProxy(this);
    proxy_->setSourceModel(&table_);
    view_ = new QTableView(this);
    view_->setModel(proxy_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    // The menu is built when asked for, so its entries are enabled by the
    // rules as they stand then (the data-file rules change without a signal).
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, &TableWindow::ShowContextMenu);
    // Column 0 is the number column; fixed row heights keep a long log fast.
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setHighlightSections(false);
    // Column widths belong to the configuration: a width the user drags (or
    // double-clicks) changes it, the widths set by the program do not.
    view_->horizontalHeader()->viewport()->installEventFilter(this);
    connect(view_->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (headerPressed_)
            s_.ConfigChanged = true;
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    // No keys here: Ctrl+C, Del and Ctrl+A are the Edit menu's, which acts on
    // the table when it is the active window (a second binding of a key is
    // ambiguous, and Qt then runs neither).
    auto action = [this](auto slot) {
        auto* a = new QAction(this);
        connect(a, &QAction::triggered, this, slot);
        view_->addAction(a);
        return a;
    };
    auto separator = [this] {
        auto* a = new QAction(this);
        a->setSeparator(true);
        view_->addAction(a);
    };
    actCopy_ = action([this] { CopyElementen(); });
    actDelete_ = action([this] { RunGated(gate, [this] { WisTabelRij(); }); });
    separator();
    actSelectAll_ = action([this] { SelecteerAlles(); });
    separator();
    actExclude_ = action([this] { Exclude(); });
    actEditInfo_ = action([this] { RunGated(gate, [this] { EditInfo(); }); });
    actRenumber_ = action([this] { Renumber(); });
    separator();
    actRelative_ = action([this](bool on) { SetRelativeTime(on); });
    actRelative_->setCheckable(true);
    actReference_ = action([this] { SetReferencePoint(); });
    const auto refresh = [this] { UpdateEditActions(); };
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, refresh);
    connect(&table_, &QAbstractItemModel::rowsInserted, this, refresh);
    connect(&table_, &QAbstractItemModel::rowsRemoved, this, refresh);
    connect(&table_, &QAbstractItemModel::modelReset, this, refresh);
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.row() < table_.Count())
            RunGated(gate, [this] { EditInfo(); });
    });
    LaadStrings();
    SetColor();
    UpdateEditActions();
}

TableWindow::~TableWindow() = default;

// ---------------------------------------------------------------- set-up

void TableWindow::LaadStrings()
{
    actCopy_->setText(lang_[kCopy]);
    actDelete_->setText(lang_[kDeleteEntry]);
    actRenumber_->setText(lang_[kRenumber]);
    actSelectAll_->setText(lang_[kSelectAll]);
    actExclude_->setText(lang_[kExclude]);
    actEditInfo_->setText(lang_[kEditInfo]);
    actRelative_->setText(lang_[kRelativeClock]);
    actReference_->setText(lang_[kReferencePoint]);
    LaadTabelKolomhoofden();
    LaadVensterTitel();
}

void TableWindow::LaadTabelKolomhoofden() { table_.LoadCaptions(lang_); }

void TableWindow::LaadVensterTitel()
{
    setWindowTitle(lang_[kTable]);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->setWindowTitle(lang_[kTable]);
}

void TableWindow::StelTabelIn()
{
    // The user's column widths stay while the columns are the same ones (a
    // file of the same meter opened, the settings confirmed).
    const int columnsBefore = table_.columnCount();
    const QList<int> widths = KolomBreedtes();
    table_.SetLayout(s_);
    table_.LoadCaptions(lang_);
    s_.TableColumnCount = qint16(table_.InfoColumn());
    InitKolomBreedte();
    if (columnsBefore > 0 && table_.columnCount() == columnsBefore)
        StelNieuweKolomBreedteIn(widths);
    ShowChannelColumns();
}

void TableWindow::ShowChannelColumns()
{
    for (int c = 0; c < table_.columnCount(); ++c) {
        const int channel = table_.ChannelOfColumn(c);
        view_->setColumnHidden(c, channel > 0 && !s_.ChannelInUse(channel));
    }
}

void TableWindow::InitKolomBreedte()
{
    auto* header = view_->horizontalHeader();
    for (int c = 0; c < table_.columnCount(); ++c) {
        int twips = 900;
        if (c == 0)
            twips = 600;
        else if (c == 1 || c == 2)
            twips = 1300;
        else if (c == table_.InfoColumn())
            twips = 2400;
        else if ((c - LogTable::kFirstChannelColumn) % 2 == 1)
            twips = 800; // unit columns
        header->resizeSection(c, twips / kTwipsPerPixel);
    }
}

void TableWindow::StelNieuweKolomBreedteIn(const QList<int>& twips)
{
    for (int c = 0; c < twips.size() && c < table_.columnCount(); ++c) {
        if (twips[c] > 0)
            view_->horizontalHeader()->resizeSection(c, std::max(1, twips[c] / kTwipsPerPixel));
    }
}

QList<int> TableWindow::KolomBreedtes() const
{
    QList<int> out;
    for (int c = 0; c < table_.columnCount(); ++c)
        out << view_->horizontalHeader()->sectionSize(c) * kTwipsPerPixel;
    return out;
}

void TableWindow::SetColor()
{
    table_.SetColors(s_.TableColorForeground, s_.TableColorBackground, s_.TableColorTextSpecial);
    QPalette p = view_->palette();
    p.setColor(QPalette::Base, ToQColor(s_.TableColorBackground));
    p.setColor(QPalette::Text, ToQColor(s_.TableColorForeground));
    view_->setPalette(p);
}

void TableWindow::ApplyFont(const QFont& font)
{
    view_->setFont(font);
    view_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
}

// ---------------------------------------------------------------- rows

void TableWindow::InitieerTabel()
{
    view_->clearSelection();
    table_.Clear();
}

void TableWindow::ScrollToRow(int row)
{
    if (row < 0)
        return;
    const QModelIndex i = proxy_->index(row, 0);
    view_->selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    if (isVisible())
        view_->scrollTo(i);
}

void TableWindow::VulTabelAan(const QString& info)
{
    table_.VulTabelAan(s_, info);
    ScrollToRow(table_.RowOfNumber(s_.LogCount));
}

void TableWindow::VernieuwLaatsteTabellijn(const QString& info)
{
    table_.VernieuwLaatsteTabellijn(s_, info);
    ScrollToRow(table_.RowOfNumber(s_.LogCount));
}

// ---------------------------------------------------------------- selection

std::vector<int> TableWindow::Geselecteerd() const
{
    std::vector<int> rows;
    const QItemSelection selection = view_->selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom() && r < table_.Count(); ++r)
            rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TableWindow::SelectRows(const std::vector<int>& rows)
{
    QItemSelection selection;
    const int last = proxy_->columnCount() - 1;
    for (size_t i = 0; i < rows.size();) {
        // Runs of consecutive rows become one range.
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        if (rows[i] >= 0 && rows[j] < table_.Count())
            selection.select(proxy_->index(rows[i], 0), proxy_->index(rows[j], last));
        i = j + 1;
    }
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void TableWindow::SelecteerAlles()
{
    if (table_.Count() == 0) {
        DeselecteerAlles();
        return;
    }
    const QItemSelection all(proxy_->index(0, 0), proxy_->index(table_.Count() - 1, proxy_->columnCount() - 1));
    view_->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
}

void TableWindow::DeselecteerAlles() { view_->clearSelection(); }

bool TableWindow::HasRows() const { return table_.Count() > 0; }

bool TableWindow::HasSelection() const
{
    const QItemSelectionModel* model = view_->selectionModel();
    if (!model->hasSelection())
        return false;
    // The trailing empty row alone is no selection of readings.
    const QItemSelection selection = model->selection();
    return std::any_of(selection.begin(), selection.end(),
                       [this](const QItemSelectionRange& range) { return range.top() < table_.Count(); });
}

void TableWindow::InverteerSelectie()
{
    const std::vector<int> selected = Geselecteerd();
    std::vector<int> inverted;
    size_t k = 0;
    for (int r = 0; r < table_.Count(); ++r) {
        if (k < selected.size() && selected[k] == r)
            ++k;
        else
            inverted.push_back(r);
    }
    SelectRows(inverted);
}

// ---------------------------------------------------------------- edit commands

bool TableWindow::EditRefused()
{
    if (DatestampEditRefused(s_)) {
        QMessageBox::warning(this, lang_[kTable], WithoutTrailingBreaks(lang_[kEditRefused]));
        return true;
    }
    return s_.DataFileReadOnly;
}

bool TableWindow::EditRefusedQuietly() const { return DatestampEditRefused(s_) || s_.DataFileReadOnly; }

int TableWindow::Ask(const QString& title, const QString& text)
{
    if (questionHandler)
        return questionHandler(title, text, false);
    return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
}

void TableWindow::Report(const DataFileReport& report)
{
    if (!report.ok && report.showMessage)
        QMessageBox::warning(this, report.title, report.message);
    if (!report.ok || report.recovered)
        Q_EMIT StatusText(report.status);
}

void TableWindow::WriteInfos(const std::vector<int>& rows)
{
    if (!file_ || rows.empty())
        return;
    // Each row's record by its place among the records of its second.
    std::vector<std::pair<DataFile::RecordRef, QString>> changes;
    for (const auto& [row, ref] : DataFile::RefsOfRows(table_, rows))
        changes.emplace_back(ref, table_.Info(row));
    Report(file_->RewriteInfoTextsOf(changes));
}

bool TableWindow::Exclude()
{
    const std::vector<int> rows = Geselecteerd();
    if (rows.empty() || EditRefused())
        return false;
    std::vector<int> changed;
    for (int r : rows) {
        if (!table_.Excluded(r)) {
            table_.SetInfo(r, QStringLiteral("!x") + table_.Info(r));
            changed.push_back(r);
        }
    }
    WriteInfos(changed);
    return true;
}

bool TableWindow::EditInfo()
{
    const std::vector<int> rows = Geselecteerd();
    if (rows.empty() || EditRefused())
        return false;
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("frmEditInfo"));
    dialog.setWindowTitle(lang_[kEditInfo]);
    auto* layout = new QVBoxLayout(&dialog);
    if (rows.size() > 1) {
        auto* warning = new QLabel(WithoutTrailingBreaks(lang_[kMultipleLines]), &dialog);
        warning->setObjectName(QStringLiteral("lblWarning"));
        layout->addWidget(warning);
    }
    auto* edit = new QLineEdit(table_.Info(rows.front()), &dialog);
    edit->setObjectName(QStringLiteral("txtInfo"));
    edit->selectAll();
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(lang_[kOk]);
    buttons->button(QDialogButtonBox::Cancel)->setText(lang_[kCancel]);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return ApplyInfo(rows, edit->text());
}

bool TableWindow::ApplyInfo(const std::vector<int>& rows, const QString& text)
{
    std::vector<int> valid;
    for (int r : rows) {
        if (r >= 0 && r < table_.Count()) {
            table_.SetInfo(r, text);
            valid.push_back(r);
        }
    }
    WriteInfos(valid);
    return !valid.empty();
}

bool TableWindow::WisTabelRij()
{
    const std::vector<int> rows = Geselecteerd();
    if (rows.empty() || EditRefused())
        return false;
    const bool all = int(rows.size()) == table_.Count();
    std::vector<DataFile::RecordRef> refs;
    for (const auto& rowRef : DataFile::RefsOfRows(table_, rows))
        refs.push_back(rowRef.second);
    // The question says what the answer does: these records leave the data file.
    QString question = WithoutTrailingBreaks(lang_[kDeleteQuestion]);
    if (file_ && !refs.empty() && !file_->RewriteTarget().isEmpty())
        question += QStringLiteral("\r\n\r\n")
                    + lang_[kRecordsRemoved].arg(refs.size()).arg(QFileInfo(file_->RewriteTarget()).fileName());
    if (Ask(lang_[all ? kDeleteAll : kDelete], question) != QMessageBox::Yes)
        return false;
    table_.RemoveRows(rows);
    if (file_ && !refs.empty())
        Report(file_->DeleteRecordsOf(refs));
    return true;
}

bool TableWindow::Renumber()
{
    if (!CanRenumber())
        return false;
    table_.Renumber();
    if (s_.LogCount != table_.Count()) {
        s_.LogCount = table_.Count();
        Q_EMIT LogCountChanged(s_.LogCount);
    }
    return true;
}

bool TableWindow::ClearTable()
{
    if (!CanClear())
        return false;
    InitieerTabel();
    s_.LogCount = 0;
    Q_EMIT LogCountChanged(0);
    return true;
}

bool TableWindow::CanDelete() const { return HasSelection() && !EditRefusedQuietly(); }

bool TableWindow::CanRenumber() const { return HasRows(); }

// Also after every row was deleted: the numbering still has to start again.
bool TableWindow::CanClear() const { return HasRows() || table_.LastNumber() > 0 || s_.LogCount > 0; }

void TableWindow::UpdateEditActions()
{
    const bool canDelete = CanDelete(), canRenumber = CanRenumber();
    actDelete_->setEnabled(canDelete);
    actRenumber_->setEnabled(canRenumber);
    const int state = int(canDelete) | int(canRenumber) << 1 | int(CanClear()) << 2 | int(HasSelection()) << 3;
    if (state != editState_) {
        editState_ = state;
        Q_EMIT EditCommandsChanged();
    }
}

void TableWindow::ShowContextMenu(const QPoint& pos)
{
    UpdateEditActions();
    QMenu menu(this);
    menu.addActions(view_->actions());
    menu.exec(view_->viewport()->mapToGlobal(pos));
}

QString TableWindow::SelectionText() const
{
    std::vector<int> columns;
    for (int c = 0; c < table_.columnCount(); ++c) {
        if (!view_->isColumnHidden(c))
            columns.push_back(c);
    }
    return table_.CopyText(Geselecteerd(), columns);
}

void TableWindow::CopyElementen() const { QGuiApplication::clipboard()->setText(SelectionText()); }

// ---------------------------------------------------------------- relative clock

void TableWindow::SetRelativeTime(bool on)
{
    actRelative_->setChecked(on);
    if (on == table_.RelativeTime())
        return;
    table_.SetRelativeTime(on);
    Q_EMIT RelativeTimeChanged(on);
}

bool TableWindow::RelativeTime() const { return table_.RelativeTime(); }

void TableWindow::SetReferencePoint()
{
    int row = view_->currentIndex().isValid() ? view_->currentIndex().row() : 0;
    const std::vector<int> selected = Geselecteerd();
    if (!selected.empty())
        row = selected.front();
    if (!table_.HasTime(row))
        row = 0;
    if (table_.HasTime(row))
        table_.SetReferenceTime(table_.Time(row));
}

bool TableWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_->horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            headerPressed_ = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            headerPressed_ = false;
    }
    return QWidget::eventFilter(watched, event);
}

void TableWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->hide();
    else
        hide();
    s_.TableVisible = false;
    Q_EMIT ClosedByUser();
}

void TableWindow::PrintTabel(PrintEngine& engine, bool selectionOnly) const
{
    std::vector<int> columns;
    for (int column : AllTableColumns(table_)) {
        if (!view_->isColumnHidden(column))
            columns.push_back(column);
    }
    const std::vector<int> rows = selectionOnly ? Geselecteerd() : AllTableRows(table_);
    PrintTable(engine, {PrintPageTitle(objectName(), {}, false, {}, s_.LogFileName, s_.FolderData), 0}, table_,
               columns, rows);
}
