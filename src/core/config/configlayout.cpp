#include "core/config/configlayout.h"

bool ValidateWindowPlacement(WindowPlacement& w, double limitHeight, double limitWidth, double screenHeight,
                             double screenWidth)
{
    if (w.Status == 2)
        return true;
    const bool positionChecked = limitHeight > 0 && limitWidth > 0;
    const bool placed = !positionChecked || (w.Top < limitHeight && w.Left < limitWidth);
    if (placed && w.Height >= 300 && w.Width >= 300)
        return true;
    w.Status = 0;
    w.Top = 0;
    w.Left = 0;
    w.Height = float(screenHeight);
    w.Width = float(screenWidth);
    return false;
}
