#pragma once
// A canvas that keeps what is drawn, with fixed-pitch metrics, so the page
// layout can be tested without a printer.

#include "core/printing/printcanvas.h"

#include <vector>

class RecordingCanvas : public PrintCanvas {
public:
    struct Item {
        enum Kind { Text, Rule, Rect, Picture };
        Kind kind = Text;
        int page = 1;
        double x = 0, y = 0, x2 = 0, height = 0; // a rule runs x..x2; a rect or picture is x, y, x2 - x, height
        QString text;
        bool bold = false, italic = false;
        double size = 0;
        ColorValue colour = 0;
    };

    QSizeF pageSize{190, 270};
    double charWidth = 2; // mm per character at 10 points
    std::vector<Item> items;
    int pages = 1;
    PrintFontSpec font;

    QSizeF PageSize() const override { return pageSize; }
    void SetFont(const PrintFontSpec& f) override { font = f; }
    double TextWidth(const QString& text) const override { return text.size() * charWidth * font.pointSize / 10; }
    double TextHeight(const QString&) const override { return 0.4 * font.pointSize; }
    void DrawText(double x, double y, const QString& text) override;
    void DrawRule(double x1, double x2, double y, int style) override;
    void FillRect(const QRectF& rect, ColorValue colour) override;
    void DrawPicture(const QVariant& picture, const QRectF& rect) override;
    void NewPage() override { ++pages; }

    // The texts drawn, in order (on `page`, or on every page for 0).
    std::vector<Item> Texts(int page = 0) const;
    // The first text item equal to `text`; null when there is none.
    const Item* Find(const QString& text, int page = 0) const;
    // The texts of one page joined line by line (items on the same y joined by a blank).
    QStringList Lines(int page) const;
};
