#include "views/tablewindow.h"

#include "core/appstate.h"
#include "core/datafile.h"
#include "core/logtable.h"
#include "i18n/languagetable.h"
#include "platform/ui/qtcolors.h"

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
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
enum Text { kTable = 21, kOk = 39, kCancel = 40, kSelectAll = 63, kCopy = 113, kEditInfo = 92, kEditRefused = 204,
            kRelativeClock = 205, kReferencePoint = 206, kMultipleLines = 222, kExclude = 278 };

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
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Column 0 is the number column; fixed row heights keep a long log fast.
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setHighlightSections(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    auto action = [this](auto slot, const QKeySequence& key = {}) {
        auto* a = new QAction(this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, slot);
        view_->addAction(a);
        return a;
    };
    actCopy_ = action([this] { CopyElementen(); }, QKeySequence::Copy);
    actSelectAll_ = action([this] { SelecteerAlles(); }, QKeySequence::SelectAll);
    actExclude_ = action([this] { Exclude(); });
    actEditInfo_ = action([this] { EditInfo(); });
    actRelative_ = action([this](bool on) { SetRelativeTime(on); });
    actRelative_->setCheckable(true);
    actReference_ = action([this] { SetReferencePoint(); });
    connect(view_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        if (i.row() < table_.Count())
            EditInfo();
    });
    LaadStrings();
    SetColor();
}

TableWindow::~TableWindow() = default;

// ---------------------------------------------------------------- set-up

void TableWindow::LaadStrings()
{
    actCopy_->setText(lang_[kCopy]);
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
    table_.SetLayout(s_);
    table_.LoadCaptions(lang_);
    s_.TableColumnCount = qint16(table_.InfoColumn());
    InitKolomBreedte();
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
    std::vector<std::pair<double, QString>> changes;
    changes.reserve(rows.size());
    for (int r : rows)
        changes.emplace_back(table_.Time(r), table_.Info(r));
    Report(file_->RewriteInfoTexts(changes));
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
    table_.SetRelativeTime(on);
}

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
