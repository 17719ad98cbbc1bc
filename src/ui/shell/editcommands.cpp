#include "ui/shell/editcommands.h"

#include "core/model/appstate.h"
#include "core/help/languagetable.h"
#include "platform/ui/icons.h"
#include "ui/graphs/graphwindow.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"

#include <QAction>
#include <QFontDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableView>

namespace {
enum Text {
    kEdit = 8, kCopy = 9, kDelete = 10, kDeleteAllQuestion = 52, kDeleteAll = 54, kFont = 62, kSelectAll = 63,
    kDeselectAll = 64, kInvert = 65, kRenumber = 66, kChangeFont = 87, kEditInfo = 92, kTipFont = 158,
    kRelativeClock = 205, kReferencePoint = 206, kExclude = 278,
};

QString NoAmpersand(QString text) { return text.remove(QLatin1Char('&')); }
} // namespace

EditCommands::EditCommands(AppState& state, const LanguageTable& language, QMdiArea& area, TableWindow& table,
                           TerminalWindow& terminal, QWidget* dialogParent)
    : QObject(dialogParent), s_(state), lang_(language), area_(area), table_(table), terminal_(terminal),
      dialogParent_(dialogParent)
{
    auto make = [this](const QString& icon = QString()) {
        auto* a = new QAction(this);
        if (!icon.isEmpty())
            a->setIcon(ToolbarIcon(icon));
        return a;
    };
    copy_ = make();
    delete_ = make();
    clear_ = make(QStringLiteral("Clear"));
    selectAll_ = make();
    deselectAll_ = make();
    invert_ = make();
    renumber_ = make();
    exclude_ = make();
    editInfo_ = make();
    relative_ = make();
    relative_->setCheckable(true);
    reference_ = make();
    font_ = make(QStringLiteral("Font"));

    connect(copy_, &QAction::triggered, this, &EditCommands::Copy);
    connect(delete_, &QAction::triggered, this, [this] { RunGated(gate, [this] { Delete(); }); });
    connect(clear_, &QAction::triggered, this, [this] { RunGated(gate, [this] { Clear(); }); });
    connect(selectAll_, &QAction::triggered, this, [this] {
        if (ActiveTarget() == Target::Terminal)
            terminal_.TextBox()->selectAll();
        else
            table_.SelecteerAlles();
        Refresh();
    });
    connect(deselectAll_, &QAction::triggered, this, [this] {
        if (ActiveTarget() == Target::Terminal) {
            QTextCursor c = terminal_.TextBox()->textCursor();
            c.clearSelection();
            terminal_.TextBox()->setTextCursor(c);
        } else {
            table_.DeselecteerAlles();
        }
        Refresh();
    });
    connect(invert_, &QAction::triggered, this, [this] { table_.InverteerSelectie(); Refresh(); });
    connect(renumber_, &QAction::triggered, this, [this] { table_.Renumber(); Refresh(); });
    connect(exclude_, &QAction::triggered, this, [this] { table_.Exclude(); });
    connect(editInfo_, &QAction::triggered, this, [this] { RunGated(gate, [this] { table_.EditInfo(); }); });
    connect(relative_, &QAction::triggered, this, [this](bool on) { table_.SetRelativeTime(on); });
    connect(&table_, &TableWindow::RelativeTimeChanged, relative_, &QAction::setChecked);
    connect(reference_, &QAction::triggered, this, [this] { table_.SetReferencePoint(); });
    connect(font_, &QAction::triggered, this, [this] { RunGated(gate, [this] { ChooseFont(); }); });

    connect(&area_, &QMdiArea::subWindowActivated, this, [this] { Refresh(); });
    connect(&table_, &TableWindow::EditCommandsChanged, this, &EditCommands::Refresh);
    connect(&terminal_, &TerminalWindow::SelectionChanged, this, [this] { Refresh(); });
    connect(&terminal_, &TerminalWindow::EditEntriesEnabled, this, &EditCommands::SetTerminalEntries);
    connect(terminal_.TextBox(), &QPlainTextEdit::textChanged, this, [this] {
        if (ActiveTarget() == Target::Terminal)
            Refresh();
    });
    relative_->setChecked(table_.RelativeTime());
    Refresh();
}

void EditCommands::FillMenu(QMenu* menu) const
{
    menu->addAction(copy_);
    menu->addAction(delete_);
    menu->addAction(clear_);
    menu->addSeparator();
    menu->addAction(selectAll_);
    menu->addAction(deselectAll_);
    menu->addAction(invert_);
    menu->addSeparator();
    menu->addAction(renumber_);
    menu->addAction(exclude_);
    menu->addAction(editInfo_);
    menu->addSeparator();
    menu->addAction(relative_);
    menu->addAction(reference_);
}

void EditCommands::LaadStrings()
{
    copy_->setText(lang_[kCopy]);
    delete_->setText(lang_[kDelete]);
    clear_->setText(lang_[kDeleteAll]);
    clear_->setToolTip(NoAmpersand(lang_[kDeleteAll]));
    selectAll_->setText(lang_[kSelectAll]);
    deselectAll_->setText(lang_[kDeselectAll]);
    invert_->setText(lang_[kInvert]);
    renumber_->setText(lang_[kRenumber]);
    exclude_->setText(lang_[kExclude]);
    editInfo_->setText(lang_[kEditInfo]);
    relative_->setText(lang_[kRelativeClock]);
    reference_->setText(lang_[kReferencePoint]);
    font_->setText(lang_[kFont]);
    font_->setToolTip(lang_[kTipFont]);
}

QMdiSubWindow* EditCommands::Active() const
{
    QMdiSubWindow* sub = area_.currentSubWindow();
    return sub && !sub->isHidden() ? sub : nullptr;
}

EditCommands::Target EditCommands::ActiveTarget() const
{
    QMdiSubWindow* sub = Active();
    if (!sub)
        return Target::None;
    if (sub->widget() == &table_)
        return Target::Table;
    if (sub->widget() == &terminal_)
        return Target::Terminal;
    if (qobject_cast<ValueWindow*>(sub->widget()))
        return Target::Value;
    return Target::Graph;
}

ValueWindow* EditCommands::ActiveValue() const
{
    QMdiSubWindow* sub = Active();
    return sub ? qobject_cast<ValueWindow*>(sub->widget()) : nullptr;
}

void EditCommands::Refresh()
{
    const Target t = ActiveTarget();
    const bool table = t == Target::Table, terminal = t == Target::Terminal;
    const bool text = terminal && !terminal_.IsEmpty();
    copy_->setEnabled((table && table_.HasSelection()) || text || t == Target::Graph
                      || (t == Target::Value && ActiveValue() && !ActiveValue()->ValueLabel()->text().isEmpty()));
    delete_->setEnabled((table && table_.CanDelete()) || text);
    clear_->setEnabled((table && table_.CanClear()) || text);
    selectAll_->setEnabled((table && table_.HasRows()) || text);
    deselectAll_->setEnabled((table && table_.HasSelection()) || (terminal && terminal_.HasSelection()));
    invert_->setEnabled(table && table_.HasRows());
    renumber_->setEnabled(table && table_.CanRenumber());
    exclude_->setEnabled(table && table_.CanDelete());
    editInfo_->setEnabled(table && table_.CanDelete());
    relative_->setEnabled(table);
    reference_->setEnabled(table && table_.HasRows());
    font_->setEnabled(table || terminal || t == Target::Value);
}

void EditCommands::ValueShown(ValueWindow* window)
{
    if (!copy_->isEnabled() && window == ActiveValue())
        Refresh();
}

void EditCommands::SetTerminalEntries(bool enabled)
{
    copy_->setEnabled(enabled);
    clear_->setEnabled(enabled);
}

QMenu* EditCommands::TerminalContextMenu(const QList<QAction*>& fileActions)
{
    Refresh();
    // The right button pressed on the text decides Copy and Delete All.
    SetTerminalEntries(terminal_.HasSelection() || !terminal_.IsEmpty());
    auto* menu = new QMenu(dialogParent_);
    FillMenu(menu);
    menu->addSeparator();
    menu->addActions(fileActions);
    return menu;
}

QString EditCommands::EditCopyText() const
{
    return NoAmpersand(lang_[kEdit]) + QStringLiteral(" > ") + NoAmpersand(lang_[kCopy]);
}

void EditCommands::Copy()
{
    switch (ActiveTarget()) {
    case Target::Table:
        table_.CopyElementen();
        Q_EMIT LastAction(EditCopyText());
        break;
    case Target::Terminal:
        terminal_.CopyTerminal(); // reports its own last action
        break;
    case Target::Value:
        ActiveValue()->CopyWaarde();
        Q_EMIT LastAction(EditCopyText());
        break;
    case Target::Graph:
        if (auto* graph = qobject_cast<GraphWindow*>(Active()->widget())) {
            graph->CopyGrafiek(); // as a picture
            Q_EMIT LastAction(EditCopyText());
        }
        break;
    default:
        break;
    }
}

void EditCommands::Delete()
{
    if (ActiveTarget() == Target::Table)
        table_.WisTabelRij();
    else if (ActiveTarget() == Target::Terminal)
        terminal_.Clear();
    Refresh();
}

void EditCommands::Clear()
{
    if (ActiveTarget() == Target::Table) {
        // A fresh table on screen; the data file keeps every record. The rows
        // are shown selected while the question is asked; "No" gives back the
        // user's own selection, or a following Delete would empty the file.
        const std::vector<int> before = table_.Geselecteerd();
        table_.SelecteerAlles();
        const bool yes = ask ? ask(NoAmpersand(lang_[kDeleteAll]), lang_[kDeleteAllQuestion], false) == QMessageBox::Yes
                             : QMessageBox::question(dialogParent_, NoAmpersand(lang_[kDeleteAll]),
                                                     lang_[kDeleteAllQuestion]) == QMessageBox::Yes;
        if (!yes) {
            table_.SelectRows(before);
            Refresh();
            return;
        }
        table_.ClearTable();
        Q_EMIT LastAction(NoAmpersand(lang_[kEdit]) + QStringLiteral(" > ") + NoAmpersand(lang_[kDeleteAll]));
    } else if (ActiveTarget() == Target::Terminal) {
        terminal_.Clear();
    }
    Refresh();
}

bool EditCommands::PickFont(QFont& font)
{
    if (fontChooser)
        return fontChooser(font);
    bool ok = false;
    font = QFontDialog::getFont(&ok, font, dialogParent_, lang_[kChangeFont]);
    return ok;
}

void EditCommands::ChooseFont()
{
    switch (ActiveTarget()) {
    case Target::Value: {
        ValueWindow* v = ActiveValue();
        QFont f = v->ValueLabel()->font();
        if (PickFont(f)) {
            v->ApplyValueFont(f);
            s_.ConfigChanged = true;
        }
        break;
    }
    case Target::Terminal: {
        QFont f = terminal_.TextBox()->font();
        if (PickFont(f))
            terminal_.ApplyFont(f); // stores it as the terminal font
        break;
    }
    case Target::Table: {
        QFont f = table_.View()->font();
        if (PickFont(f)) {
            table_.ApplyFont(f);
            s_.ConfigChanged = true;
        }
        break;
    }
    default:
        break;
    }
}
