#pragma once
// What the page layout draws on. All lengths are millimetres from the top
// left corner of the printable area; y is the top of a line of text. A
// QPainter on a printer or PDF writer prints; a recording canvas tests.

#include "core/model/colors.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QVariant>

struct PrintFontSpec {
    QString family;
    double pointSize = 10;
    bool bold = false;
    bool italic = false;
};

class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;
    // The printable area of one page.
    virtual QSizeF PageSize() const = 0;
    virtual void SetFont(const PrintFontSpec& font) = 0;
    virtual double TextWidth(const QString& text) const = 0;
    virtual double TextHeight(const QString& text) const = 0;
    // `text` with its top left corner at (x, y), in the current font.
    virtual void DrawText(double x, double y, const QString& text) = 0;
    // A horizontal line; style 0 solid, 1 dotted.
    virtual void DrawRule(double x1, double x2, double y, int style) = 0;
    // A filled rectangle (a legend's colour sample), colour 0x00BBGGRR.
    virtual void FillRect(const QRectF& rect, ColorValue color) = 0;
    // A picture (a QImage or QPixmap held in the variant) scaled into `rect`.
    virtual void DrawPicture(const QVariant& picture, const QRectF& rect) = 0;
    // Ends the page and starts the next one.
    virtual void NewPage() = 0;
};
