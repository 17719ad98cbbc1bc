#include "platform/ui/colorchooser.h"

#include "platform/ui/qtcolors.h"

#include <QColorDialog>

std::function<bool(ColorValue&)> ColorChooser::hook;

bool ChooseColor(QWidget* parent, ColorValue& color)
{
    if (ColorChooser::hook)
        return ColorChooser::hook(color);
    const QColor chosen = QColorDialog::getColor(ToQColor(color), parent);
    if (!chosen.isValid())
        return false; // cancelled
    color = FromQColor(chosen);
    return true;
}
