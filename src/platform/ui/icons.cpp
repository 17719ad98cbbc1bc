#include "platform/ui/icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
constexpr int kSize = 32;

QPixmap Canvas() { QPixmap p(kSize, kSize); p.fill(Qt::transparent); return p; }

void Plug(QPainter& p, bool connected)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(connected ? QColor(40, 170, 60) : QColor(200, 200, 200));
    const int gap = connected ? 0 : 6;
    p.drawRoundedRect(QRectF(3, 11, 10 - gap / 2.0, 10), 2, 2);
    p.drawRoundedRect(QRectF(19 + gap / 2.0, 11, 10 - gap / 2.0, 10), 2, 2);
    p.drawLine(13 - gap / 2, 14, 19 + gap / 2, 14);
    p.drawLine(13 - gap / 2, 18, 19 + gap / 2, 18);
}

void Log(QPainter& p, bool active)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(Qt::white);
    p.drawRect(6, 4, 20, 24);
    p.setPen(QPen(active ? QColor(210, 40, 40) : QColor(90, 90, 90), 2));
    for (int y = 10; y <= 22; y += 6)
        p.drawLine(10, y, 22, y);
    if (active) {
        p.setBrush(QColor(210, 40, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(24, 24), 5, 5);
    }
}

void Arrow(QPainter& p, bool down)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(60, 120, 210));
    QPainterPath path;
    if (down) {
        path.moveTo(16, 28); path.lineTo(6, 16); path.lineTo(12, 16); path.lineTo(12, 4);
        path.lineTo(20, 4); path.lineTo(20, 16); path.lineTo(26, 16); path.closeSubpath();
    } else {
        path.moveTo(28, 16); path.lineTo(16, 6); path.lineTo(16, 12); path.lineTo(4, 12);
        path.lineTo(4, 20); path.lineTo(16, 20); path.lineTo(16, 26); path.closeSubpath();
    }
    p.drawPath(path);
}

void Windows(QPainter& p, int kind)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(QColor(230, 236, 245));
    if (kind == 0) { p.drawRect(4, 4, 24, 11); p.drawRect(4, 17, 24, 11); }
    else if (kind == 1) { p.drawRect(4, 4, 11, 24); p.drawRect(17, 4, 11, 24); }
    else { p.drawRect(4, 4, 18, 14); p.drawRect(8, 9, 18, 14); p.drawRect(12, 14, 18, 14); }
}

QPixmap Draw(const QString& key)
{
    QPixmap pm = Canvas();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 2));
    if (key == QLatin1String("ImageConnect")) Plug(p, false);
    else if (key == QLatin1String("ImageDisconnect")) Plug(p, true);
    else if (key == QLatin1String("ImageLog")) Log(p, false);
    else if (key == QLatin1String("ImageLogging")) Log(p, true);
    else if (key == QLatin1String("Receive")) Arrow(p, true);
    else if (key == QLatin1String("Transfer")) Arrow(p, false);
    else if (key == QLatin1String("TileH")) Windows(p, 0);
    else if (key == QLatin1String("TileV")) Windows(p, 1);
    else if (key == QLatin1String("Cascade")) Windows(p, 2);
    else if (key == QLatin1String("Terminal")) {
        p.setBrush(QColor(30, 30, 30)); p.drawRect(3, 5, 26, 22);
        p.setPen(QPen(QColor(80, 220, 80), 2)); p.drawLine(7, 11, 12, 15); p.drawLine(12, 15, 7, 19); p.drawLine(14, 20, 22, 20);
    } else if (key == QLatin1String("New")) {
        p.setBrush(Qt::white); p.drawPolygon(QPolygon({QPoint(7, 3), QPoint(20, 3), QPoint(26, 9), QPoint(26, 29), QPoint(7, 29)}));
    } else if (key == QLatin1String("Open")) {
        p.setBrush(QColor(240, 200, 90)); p.drawRect(3, 9, 26, 18); p.drawRect(3, 6, 10, 4);
    } else if (key == QLatin1String("SaveAs") || key == QLatin1String("SaveSettings")) {
        p.setBrush(key == QLatin1String("SaveAs") ? QColor(70, 110, 190) : QColor(90, 150, 90));
        p.drawRect(4, 4, 24, 24); p.setBrush(Qt::white); p.drawRect(9, 4, 14, 9); p.drawRect(8, 18, 16, 10);
    } else if (key == QLatin1String("Print")) {
        p.setBrush(Qt::white); p.drawRect(9, 3, 14, 10); p.setBrush(QColor(160, 160, 160)); p.drawRect(3, 12, 26, 12);
        p.setBrush(Qt::white); p.drawRect(9, 20, 14, 9);
    } else if (key == QLatin1String("Clear")) {
        p.setPen(QPen(QColor(200, 40, 40), 3)); p.drawLine(8, 8, 24, 24); p.drawLine(24, 8, 8, 24);
    } else if (key == QLatin1String("Settings")) {
        p.setBrush(QColor(160, 160, 170)); p.drawEllipse(QPointF(16, 16), 11, 11); p.setBrush(Qt::white); p.drawEllipse(QPointF(16, 16), 4, 4);
    } else if (key == QLatin1String("GraphSettings")) {
        p.drawLine(5, 27, 27, 27); p.drawLine(5, 27, 5, 5); p.setPen(QPen(QColor(200, 60, 60), 2));
        p.drawPolyline(QPolygon({QPoint(6, 22), QPoint(12, 14), QPoint(18, 18), QPoint(26, 7)}));
    } else if (key == QLatin1String("Font")) {
        QFont f = p.font(); f.setBold(true); f.setPixelSize(24); p.setFont(f); p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("A"));
    } else if (key == QLatin1String("App")) {
        // A meter: a display with a value over a body with two buttons.
        p.setBrush(QColor(60, 90, 140)); p.drawRoundedRect(QRectF(4, 2, 24, 28), 4, 4);
        p.setBrush(Qt::black); p.drawRect(8, 6, 16, 10);
        p.setPen(QPen(QColor(80, 230, 80), 2)); p.drawLine(11, 11, 14, 11); p.drawLine(17, 11, 21, 11);
        p.setPen(QPen(QColor(40, 40, 40), 1)); p.setBrush(QColor(230, 230, 230));
        p.drawEllipse(QPointF(12, 23), 3, 3); p.drawEllipse(QPointF(20, 23), 3, 3);
    } else if (key == QLatin1String("Help")) {
        p.setBrush(QColor(60, 120, 210)); p.drawEllipse(QPointF(16, 16), 13, 13); p.setPen(Qt::white);
        QFont f = p.font(); f.setBold(true); f.setPixelSize(20); p.setFont(f); p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("?"));
    }
    return pm;
}
} // namespace

QIcon ToolbarIcon(const QString& key)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QIcon(Draw(key)));
    return *it;
}
