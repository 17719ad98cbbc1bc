#pragma once
// The page layout's canvas on a printer or PDF writer: millimetres turned
// into device units, text measured with the device's own font metrics.
// Needs Qt Gui only, so vam-cli prints through it without widgets.

#include "core/printing/printcanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

class QPagedPaintDevice;

// The family a stored printer font name prints in: the name as the system
// resolves it (an alias such as "Arial" included), the system's sans font
// for no name.
QString PrinterFontFamily(const QString& stored);

class PainterCanvas : public PrintCanvas {
public:
    // `painter` is active on `device`.
    PainterCanvas(QPainter& painter, QPagedPaintDevice& device);

    QSizeF PageSize() const override;
    void SetFont(const PrintFontSpec& font) override;
    double TextWidth(const QString& text) const override;
    double TextHeight(const QString& text) const override;
    void DrawText(double x, double y, const QString& text) override;
    void DrawRule(double x1, double x2, double y, int style) override;
    void FillRect(const QRectF& rect, ColorValue colour) override;
    void DrawPicture(const QVariant& picture, const QRectF& rect) override;
    void NewPage() override;

private:
    double Px(double mm) const { return mm * dotsPerMm_; }

    QPainter& painter_;
    QPagedPaintDevice& device_;
    double dotsPerMm_ = 1;
    QFont font_;
    QFontMetricsF metrics_;
    QString requested_, resolved_; // the last family asked for, and what it prints in
};
