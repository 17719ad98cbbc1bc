#include "ui/config/layoutkeeper.h"

#include "core/model/appstate.h"
#include "core/config/configlayout.h"
#include "core/shell/windowarrange.h"
#include "ui/logging/tablewindow.h"
#include "ui/terminal/terminalwindow.h"
#include "ui/values/valuewindow.h"

#include <QEvent>
#include <QWindowStateChangeEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableView>
#include <cmath>

namespace {
constexpr int kTwips = 15;
const char* const kNormalGeometry = "vamNormalGeometry";

QSize ScreenSize(const QWidget& w)
{
    const QScreen* screen = w.screen();
    return screen ? screen->availableGeometry().size() : QSize(1280, 800);
}

int Px(float twips) { return int(std::lround(double(twips) / kTwips)); }

bool Stored(const WindowPlacement& w) { return w.Width > 0 && w.Height > 0; }
} // namespace

WindowPlacement PlacementOf(const QRect& normal, bool minimised, bool maximised)
{
    WindowPlacement w;
    w.Status = maximised ? 2 : (minimised ? 1 : 0);
    w.Top = float(normal.top() * kTwips);
    w.Left = float(normal.left() * kTwips);
    w.Height = float(normal.height() * kTwips);
    w.Width = float(normal.width() * kTwips);
    return w;
}

FontSpec FontSpecOf(const QFont& font, ColorValue color)
{
    FontSpec f;
    f.Name = font.family();
    f.Size = font.pointSizeF() > 0 ? float(font.pointSizeF()) : float(font.pixelSize() * 72.0 / 96.0);
    f.Bold = font.bold();
    f.Italic = font.italic();
    f.Strikethrough = font.strikeOut();
    f.Underline = font.underline();
    f.Color = color;
    return f;
}

QFont FontOf(const FontSpec& spec, const QFont& base)
{
    QFont f = base;
    if (!spec.Name.trimmed().isEmpty())
        f.setFamily(spec.Name.trimmed());
    // A size from a file may be anything; one the eye cannot use is left alone.
    if (spec.Size >= 4 && spec.Size <= 400)
        f.setPointSizeF(double(spec.Size));
    f.setBold(spec.Bold);
    f.setItalic(spec.Italic);
    f.setStrikeOut(spec.Strikethrough);
    f.setUnderline(spec.Underline);
    return f;
}

LayoutKeeper::LayoutKeeper(AppState& state, QMainWindow& main, QMdiArea& area, QObject* parent)
    : QObject(parent), s_(state), main_(main), area_(area)
{
}

void LayoutKeeper::Watch(QMdiSubWindow* sub)
{
    if (!sub)
        return;
    sub->installEventFilter(this);
    if (!sub->isMinimized() && !sub->isMaximized())
        sub->setProperty(kNormalGeometry, sub->geometry());
}

bool LayoutKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        if (sub && !sub->isMinimized() && !sub->isMaximized())
            sub->setProperty(kNormalGeometry, sub->geometry());
        if (sub && !IsQuiet() && sub->isVisible() && main_.isVisible())
            s_.ConfigChanged = true;
    } else if (event->type() == QEvent::WindowStateChange) {
        // Activation is a state change too, but not one the configuration keeps.
        const Qt::WindowStates kept = Qt::WindowMinimized | Qt::WindowMaximized;
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const auto* w = qobject_cast<QWidget*>(watched);
        if (!IsQuiet() && w && (change->oldState() & kept) != (w->windowState() & kept))
            s_.ConfigChanged = true;
    }
    return QObject::eventFilter(watched, event);
}

void LayoutKeeper::MainWindowChanged(bool spontaneous)
{
    if (spontaneous && !IsQuiet())
        s_.ConfigChanged = true;
}

QRect LayoutKeeper::NormalGeometry(const QMdiSubWindow* sub) const
{
    const QRect remembered = sub->property(kNormalGeometry).toRect();
    if ((sub->isMinimized() || sub->isMaximized()) && remembered.isValid())
        return remembered;
    return sub->geometry();
}

WindowPlacement LayoutKeeper::Take(const QMdiSubWindow* sub) const
{
    return PlacementOf(NormalGeometry(sub), sub->isMinimized(), sub->isMaximized());
}

void LayoutKeeper::Collect(ConfigLayout& layout, const ChildWindows& children) const
{
    layout.Main = PlacementOf(main_.normalGeometry().isValid() ? main_.normalGeometry() : main_.geometry(),
                              main_.isMinimized(), main_.isMaximized());
    for (int ch = 1; ch < int(children.Values.size()) && ch < int(layout.Readings.size()); ++ch) {
        const QMdiSubWindow* sub = children.Values[size_t(ch)];
        const auto* value = sub ? qobject_cast<const ValueWindow*>(sub->widget()) : nullptr;
        if (!value)
            continue;
        ReadingsWindowLayout& r = layout.Readings[size_t(ch)];
        r.Visible = !sub->isHidden();
        r.Window = Take(sub);
        const ColorValue channelColor = size_t(ch) < s_.Channels.size() ? s_.Channel(ch).Color : 0;
        r.ValueFont = FontSpecOf(value->ValueLabel()->font(), channelColor);
        r.UnitFont = FontSpecOf(value->UnitLabel()->font(), s_.UnitColorForeground);
    }
    if (children.Table) {
        layout.Table.Window = Take(children.Table);
        if (const auto* table = qobject_cast<const TableWindow*>(children.Table->widget())) {
            layout.Table.Font = FontSpecOf(table->View()->font(), s_.TableColorForeground);
            const QList<int> widths = table->KolomBreedtes();
            layout.Table.ColumnWidths = QList<qint32>(widths.begin(), widths.end());
        }
    }
    if (children.Terminal) {
        layout.Terminal.Window = Take(children.Terminal);
        if (auto* terminal = qobject_cast<TerminalWindow*>(children.Terminal->widget()))
            terminal->StoreFont();
    }
}

void LayoutKeeper::ApplyPlacement(QMdiSubWindow* sub, const WindowPlacement& stored)
{
    if (!sub || !Stored(stored))
        return;
    WindowPlacement w = stored;
    const QSize room = area_.viewport()->size();
    const QSize screen = ScreenSize(main_);
    ValidateWindowPlacement(w, room.height() * double(kTwips), room.width() * double(kTwips),
                            screen.height() * double(kTwips), screen.width() * double(kTwips));
    if (sub->isMinimized() || sub->isMaximized())
        sub->showNormal();
    const QRect normal(Px(w.Left), Px(w.Top), Px(w.Width), Px(w.Height));
    sub->setGeometry(normal);
    sub->setProperty(kNormalGeometry, normal);
    if (sub->isHidden())
        return; // a hidden window takes its state when it is shown
    if (w.Status == 2)
        sub->showMaximized();
    else if (w.Status == 1)
        sub->showMinimized();
}

void LayoutKeeper::Apply(const ConfigLayout& layout, const ChildWindows& children)
{
    const Quiet quiet(*this);
    WindowPlacement main = layout.Main;
    if (Stored(main)) {
        const QSize screen = ScreenSize(main_);
        ValidateWindowPlacement(main, screen.height() * double(kTwips), screen.width() * double(kTwips),
                                screen.height() * double(kTwips), screen.width() * double(kTwips));
        if (main_.isMaximized() || main_.isMinimized())
            main_.showNormal();
        main_.setGeometry(Px(main.Left), Px(main.Top), Px(main.Width), Px(main.Height));
        // A program that starts minimised looks as if it did not start.
        if (main.Status == 2)
            main_.showMaximized();
    }
    for (int ch = 1; ch < int(children.Values.size()) && ch < int(layout.Readings.size()); ++ch) {
        QMdiSubWindow* sub = children.Values[size_t(ch)];
        auto* value = sub ? qobject_cast<ValueWindow*>(sub->widget()) : nullptr;
        if (!value)
            continue;
        const ReadingsWindowLayout& r = layout.Readings[size_t(ch)];
        if (r.ValueFont.Named || r.UnitFont.Named || Stored(r.Window)) {
            value->ApplyFonts(FontOf(r.ValueFont, value->ValueLabel()->font()),
                              FontOf(r.UnitFont, value->UnitLabel()->font()));
            if (size_t(ch) < s_.Channels.size())
                s_.Channel(ch).Color = r.ValueFont.Color;
        }
        if (!Stored(r.Window))
            continue; // no placement for this channel: the arrangement places it
        if (!r.Visible)
            sub->hide();
        ApplyPlacement(sub, r.Window);
    }
    if (children.Table) {
        ApplyPlacement(children.Table, layout.Table.Window);
        if (auto* table = qobject_cast<TableWindow*>(children.Table->widget())) {
            if (layout.Table.Font.Named || Stored(layout.Table.Window)) // the defaults stay until a file names a font
                table->ApplyFont(FontOf(layout.Table.Font, table->View()->font()));
            if (!layout.Table.ColumnWidths.isEmpty())
                table->StelNieuweKolomBreedteIn(
                    QList<int>(layout.Table.ColumnWidths.begin(), layout.Table.ColumnWidths.end()));
        }
    }
    if (children.Terminal) {
        ApplyPlacement(children.Terminal, layout.Terminal.Window);
        if (auto* terminal = qobject_cast<TerminalWindow*>(children.Terminal->widget()))
            terminal->ApplyStateFont();
    }
}

bool LayoutKeeper::Arrange(const ChildWindows& children)
{
    const Quiet quiet(*this);
    const QRect area = area_.viewport()->rect();
    if (area.width() < 50 || area.height() < 50)
        return false; // not laid out yet
    // Value windows first in channel order, then the others as the area lists them.
    std::vector<QMdiSubWindow*> subs;
    for (QMdiSubWindow* sub : children.Values)
        if (sub && !sub->isHidden())
            subs.push_back(sub);
    for (QMdiSubWindow* sub : area_.subWindowList())
        if (!sub->isHidden() && !qobject_cast<ValueWindow*>(sub->widget()))
            subs.push_back(sub);
    std::vector<ArrangeItem> items;
    for (QMdiSubWindow* sub : subs) {
        ArrangeItem item;
        item.kind = sub == children.Table       ? ArrangeKind::Table
                    : sub == children.Terminal  ? ArrangeKind::Terminal
                    : qobject_cast<ValueWindow*>(sub->widget()) ? ArrangeKind::Value
                                                                : ArrangeKind::Graph;
        item.minimised = sub->isMinimized();
        item.size = sub->size();
        items.push_back(item);
    }
    const std::vector<QRect> rects = ArrangeWindows(area, items, ArrangeSettings::From(s_));
    bool moved = false;
    for (size_t i = 0; i < subs.size() && i < rects.size(); ++i) {
        if (!rects[i].isValid())
            continue;
        if (subs[i]->isMaximized())
            subs[i]->showNormal();
        if (subs[i]->geometry() != rects[i]) {
            subs[i]->setGeometry(rects[i]);
            moved = true;
        }
    }
    return moved;
}

void LayoutKeeper::ApplyFrameStyle(QMdiSubWindow* sub)
{
    if (!sub)
        return;
    const bool hidden = sub->isHidden();
    // Without the extended frame the window is a slim tool window: a title
    // with its close box only (the area's sub-windows cannot be real tool windows).
    const Qt::WindowFlags flags =
        s_.ExtendFrame ? Qt::WindowFlags(Qt::SubWindow)
                       : Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (sub->windowFlags() != flags) {
        sub->setWindowFlags(flags);
        if (!hidden)
            sub->show(); // changing the flags hides a window
    }
}
