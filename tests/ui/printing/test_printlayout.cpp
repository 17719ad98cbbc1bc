// What a shown window puts on the page: a graph window's chart at the
// window's proportions, never a strip too thin to read.

#include "core/model/appstate.h"
#include "core/devices/catalogue.h"
#include "core/graphs/graphsettings.h"
#include "core/help/languagetable.h"
#include "core/logging/logtable.h"
#include "core/printing/printroutines.h"
#include "core/printing/recordingcanvas.h"
#include "ui/graphs/graphplot.h"
#include "ui/graphs/graphwindow.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(PrintLayout, AGraphWindowPrintsAtItsProportionsButNeverAsAThinStrip)
{
    AppState state;
    LanguageTable lang;
    ApplyDevice(state, "A101", 46000.5);
    state.DeviceName = "A101";
    LogTable table;
    table.SetLayout(state);
    table.LoadCaptions(lang);
    const struct {
        const char* what;
        QSize window;
        bool flattened; // printed taller than the window, at the minimum proportions
    } cases[] = {
        {"arranged under the value windows", QSize(550, 225), true},
        {"a strip across the screen", QSize(1100, 160), true},
        {"a square window", QSize(500, 500), false},
        {"a tall window", QSize(300, 700), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GraphWindow graph(state, lang, &table, 1);
        graph.Settings().Lines[1].Input = 1;
        graph.StelNieuweGrafiekIn();
        graph.resize(c.window);
        graph.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&graph));
        const QSize plot = graph.Plot()->size();
        ASSERT_GT(plot.width(), 0);

        RecordingCanvas canvas;
        canvas.pageSize = QSizeF(200, 287);
        PrintEngine engine(canvas, state, lang);
        engine.Start();
        graph.PrintGrafiek(engine);
        const RecordingCanvas::Item* picture = nullptr;
        for (const auto& i : canvas.items)
            if (i.kind == RecordingCanvas::Item::Picture)
                picture = &i;
        ASSERT_TRUE(picture);
        const double width = picture->x2 - picture->x, aspect = picture->height / width;
        const double shown = double(plot.height()) / plot.width();
        if (c.flattened)
            EXPECT_NEAR(aspect, kMinGraphAspect, 0.002) << "window " << shown;
        else
            EXPECT_NEAR(aspect, shown, 0.002);
        EXPECT_LE(picture->y + picture->height, engine.BottomLimit());
        if (aspect * (engine.Right() - engine.Left()) < engine.BottomLimit() - picture->y - 10)
            EXPECT_DOUBLE_EQ(width, engine.Right() - engine.Left()) << "the page's width";
        graph.hide();
    }
}

} // namespace
