#include "ui/printing/paintercanvas.h"

#include <QFontInfo>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPixmap>

QString PrinterFontFamily(const QString& stored)
{
    // QFontInfo asks the system's font matching, which knows the aliases
    // (fontconfig's "Arial") that the list of installed families does not.
    if (!stored.trimmed().isEmpty()) {
        const QString resolved = QFontInfo(QFont(stored)).family();
        if (!resolved.isEmpty())
            return resolved;
    }
    QFont sans;
    sans.setStyleHint(QFont::SansSerif);
    return QFontInfo(QFont(sans.defaultFamily())).family();
}

PainterCanvas::PainterCanvas(QPainter& painter, QPagedPaintDevice& device)
    : painter_(painter), device_(device), dotsPerMm_(device.logicalDpiX() / 25.4), metrics_(QFont(), &device)
{
}

QSizeF PainterCanvas::PageSize() const
{
    return QSizeF(device_.width() / dotsPerMm_, device_.height() / dotsPerMm_);
}

void PainterCanvas::SetFont(const PrintFontSpec& font)
{
    // Resolved once per name, not for every text run.
    if (font.family != requested_ || resolved_.isEmpty()) {
        requested_ = font.family;
        resolved_ = PrinterFontFamily(font.family);
    }
    QFont f(resolved_);
    f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(false);
    f.setStrikeOut(false);
    // No ligatures: "fi" stays two letters for whoever searches or copies the PDF's text.
    f.setStyleStrategy(QFont::PreferNoShaping);
    if (f == font_)
        return;
    font_ = f;
    painter_.setFont(font_);
    metrics_ = QFontMetricsF(font_, &device_);
}

double PainterCanvas::TextWidth(const QString& text) const { return metrics_.horizontalAdvance(text) / dotsPerMm_; }

double PainterCanvas::TextHeight(const QString&) const { return metrics_.height() / dotsPerMm_; }

void PainterCanvas::DrawText(double x, double y, const QString& text)
{
    painter_.setPen(Qt::black);
    painter_.drawText(QPointF(Px(x), Px(y) + metrics_.ascent()), text);
}

void PainterCanvas::DrawRule(double x1, double x2, double y, int style)
{
    QPen pen(Qt::black, Px(0.25));
    if (style == 1)
        pen.setStyle(Qt::DotLine);
    painter_.setPen(pen);
    painter_.drawLine(QPointF(Px(x1), Px(y)), QPointF(Px(x2), Px(y)));
}

void PainterCanvas::FillRect(const QRectF& rect, ColorValue colour)
{
    // Stored colours are 0x00BBGGRR.
    const QColor c(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
    painter_.fillRect(QRectF(Px(rect.x()), Px(rect.y()), Px(rect.width()), Px(rect.height())), c);
}

void PainterCanvas::DrawPicture(const QVariant& picture, const QRectF& rect)
{
    const QRectF target(Px(rect.x()), Px(rect.y()), Px(rect.width()), Px(rect.height()));
    if (picture.metaType() == QMetaType::fromType<QImage>())
        painter_.drawImage(target, picture.value<QImage>());
    else if (picture.metaType() == QMetaType::fromType<QPixmap>())
        painter_.drawPixmap(target, picture.value<QPixmap>(), QRectF());
}

void PainterCanvas::NewPage() { device_.newPage(); }
