#include "core/printing/recordingcanvas.h"

#include <QStringList>
#include <cmath>

void RecordingCanvas::DrawText(double x, double y, const QString& text)
{
    Item i;
    i.kind = Item::Text;
    i.page = pages;
    i.x = x;
    i.y = y;
    i.x2 = x + TextWidth(text);
    i.text = text;
    i.bold = font.bold;
    i.italic = font.italic;
    i.size = font.pointSize;
    items.push_back(i);
}

void RecordingCanvas::DrawRule(double x1, double x2, double y, int)
{
    Item i;
    i.kind = Item::Rule;
    i.page = pages;
    i.x = x1;
    i.x2 = x2;
    i.y = y;
    items.push_back(i);
}

void RecordingCanvas::FillRect(const QRectF& rect, ColorValue colour)
{
    Item i;
    i.kind = Item::Rect;
    i.page = pages;
    i.x = rect.left();
    i.y = rect.top();
    i.x2 = rect.right();
    i.height = rect.height();
    i.colour = colour;
    items.push_back(i);
}

void RecordingCanvas::DrawPicture(const QVariant&, const QRectF& rect)
{
    Item i;
    i.kind = Item::Picture;
    i.page = pages;
    i.x = rect.left();
    i.y = rect.top();
    i.x2 = rect.right();
    i.height = rect.height();
    items.push_back(i);
}

std::vector<RecordingCanvas::Item> RecordingCanvas::Texts(int page) const
{
    std::vector<Item> out;
    for (const Item& i : items) {
        if (i.kind == Item::Text && (page == 0 || i.page == page))
            out.push_back(i);
    }
    return out;
}

const RecordingCanvas::Item* RecordingCanvas::Find(const QString& text, int page) const
{
    for (const Item& i : items) {
        if (i.kind == Item::Text && i.text == text && (page == 0 || i.page == page))
            return &i;
    }
    return nullptr;
}

QStringList RecordingCanvas::Lines(int page) const
{
    QStringList lines;
    double lastY = -1e9;
    for (const Item& i : Texts(page)) {
        if (std::abs(i.y - lastY) < 0.01 && !lines.isEmpty())
            lines.back() += QLatin1Char(' ') + i.text;
        else
            lines.append(i.text);
        lastY = i.y;
    }
    return lines;
}
