#include "platform/ui/qtcolors.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace {
QColor FromPlain(ColorValue c)
{
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}
} // namespace

QColor ToQColor(ColorValue c)
{
    if (!IsSystemColor(c))
        return FromPlain(c);
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const QPalette palette = QGuiApplication::palette();
        switch (c) {
        case SysColorButtonFace: return palette.color(QPalette::Button);
        case SysColorButtonText: return palette.color(QPalette::ButtonText);
        case SysColorWindow: return palette.color(QPalette::Base);
        case SysColorWindowText: return palette.color(QPalette::WindowText);
        default: break;
        }
    }
    return FromPlain(ResolveColorFallback(c));
}

ColorValue FromQColor(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return MakeColor(rgb.red(), rgb.green(), rgb.blue());
}
