// Graph windows under load, offscreen. One figure a line, "name value":
//   redraw_16_windows_ms        16 windows of 16 lines x 30,000 points with
//                               1 % gaps, all redrawn (the chart's own timing);
//   append_one_reading_us       one reading to 16 open table graphs of 16
//                               lines, averaged over 100,000 readings (99 and
//                               30,000 visible points);
//   load_overhead_two_graphs_pct  what two open graphs add to loading a
//                               1,000,000-record data file (rebuilt and drawn);
// with, for reference, the same reload done the plain way: every reading's
// row filled as it is replayed.

#include "benchtools.h"

#include "core/model/appstate.h"
#include "core/config/configlayout.h"
#include "core/logging/datafile.h"
#include "core/model/datetime.h"
#include "core/graphs/graphmodel.h"
#include "core/logging/logtable.h"
#include "core/devices/catalogue.h"
#include "core/help/languagetable.h"
#include "ui/graphs/graphmanager.h"
#include "ui/graphs/graphplot.h"
#include "ui/graphs/graphwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
constexpr int kWindows = 16;
constexpr int kPoints = 30000;
constexpr int kAppends = 100000;
constexpr int kRecords = 1000000;

void Figure(const char* name, double value) { std::printf("%s %.3f\n", name, value); }

void UseInputs(GraphSettings& g, int lines)
{
    for (int line = 1; line <= kMaxLinesPerGraph; ++line)
        g.Lines[size_t(line)].Input = qint16(line <= lines ? (line - 1) % 2 + 1 : 0);
}

// 16 windows, 16 lines x 30,000 points each, every line different, 1 % gaps.
void Redraw(AppState& state, const LanguageTable& lang)
{
    LogTable table;
    table.SetLayout(state);
    std::vector<std::unique_ptr<GraphWindow>> windows;
    for (int i = 1; i <= kWindows; ++i) {
        auto w = std::make_unique<GraphWindow>(state, lang, &table, i);
        w->Settings().MaxGrafiekZichtbaar = kPoints;
        UseInputs(w->Settings(), kMaxLinesPerGraph);
        w->StelNieuweGrafiekIn();
        GraphPlot& plot = *w->Plot();
        for (int column = 3; column <= kGraphColumns; ++column) {
            for (int row = 1; row <= kPoints; ++row) {
                const bool gap = (row * 7 + column * 13 + i) % 100 == 0;
                plot.SetCell(row, column,
                             gap ? kNullCell : column * 10 + 5 * std::sin(row * 0.002 * column + i) + (row % 7) * 0.1);
            }
        }
        w->resize(640, 400);
        w->show();
        windows.push_back(std::move(w));
    }
    QCoreApplication::processEvents();
    for (auto& w : windows)
        w->Plot()->RedrawNow(); // warm-up: fonts, label caches
    constexpr int kRounds = 5;
    std::vector<double> chart, wall;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        double sum = 0;
        for (auto& w : windows) {
            w->Plot()->RedrawNow();
            sum += w->Plot()->LastRedrawMs();
        }
        wall.push_back(double(t.nsecsElapsed()) / 1e6);
        chart.push_back(sum);
    }
    std::sort(chart.begin(), chart.end());
    std::sort(wall.begin(), wall.end());
    Figure("redraw_16_windows_ms", chart[kRounds / 2]);
    Figure("redraw_16_windows_wall_ms", wall[kRounds / 2]);
}

// 100,000 readings logged, each handed to 16 open table graphs.
void Append(AppState& state, const LanguageTable& lang, int points, const char* name)
{
    LogTable table;
    table.SetLayout(state);
    table.Reserve(kAppends);
    QMdiArea area;
    area.resize(1600, 1000);
    area.show();
    GraphManager manager(state, lang, area, table);
    ConfigLayout layout;
    for (int slot = 1; slot <= kWindows; ++slot) {
        GraphSettings& g = layout.Graphs[size_t(slot)];
        g.GrafiekIndex = qint16(slot);
        g.MaxGrafiekZichtbaar = qint16(points);
        UseInputs(g, kMaxLinesPerGraph);
    }
    state.LogCount = 0;
    manager.Apply(layout);
    QCoreApplication::processEvents();
    qint64 ns = 0;
    QElapsedTimer t;
    for (int n = 1; n <= kAppends; ++n) {
        for (int ch = 1; ch <= 2; ++ch) {
            ChannelReading& r = state.Readings[size_t(ch)];
            r.ReadingTime = NowDays();
            r.ValueText = QString::number(ch * 100 + (n % 997) * 0.01, 'f', 2);
            r.UnitText = ch == 1 ? QStringLiteral("pH") : QStringLiteral("mV");
            r.HasValue = true;
        }
        state.LogCount = n;
        table.VulTabelAan(state, QString());
        t.start();
        manager.VulGrafiekAan(n, false);
        ns += t.nsecsElapsed();
    }
    Figure(name, double(ns) / kAppends / 1000.0);
    manager.RemoveAll();
}

// A long data file loaded with two graphs open, then the graphs rebuilt and drawn.
bool Load(AppState& state, const LanguageTable& lang)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("graphs.vam"));
    if (!dir.isValid() || !WriteSampleDataFile(state, path, kRecords)) {
        std::fprintf(stderr, "graph_redraw: cannot write the sample data file\n");
        return false;
    }
    LogTable table;
    table.SetLayout(state);
    std::vector<std::unique_ptr<GraphWindow>> graphs;
    for (int points : {99, kPoints}) {
        auto w = std::make_unique<GraphWindow>(state, lang, &table, int(graphs.size()) + 1);
        w->Settings().MaxGrafiekZichtbaar = qint16(points);
        UseInputs(w->Settings(), 2);
        w->StelNieuweGrafiekIn();
        w->resize(640, 400);
        w->show();
        graphs.push_back(std::move(w));
    }
    QCoreApplication::processEvents();

    DataFile file(state, lang);
    QElapsedTimer t;
    t.start();
    const LoadResult r = file.LoadDataFile(table, path);
    const double loadMs = double(t.nsecsElapsed()) / 1e6;
    if (r.records != kRecords) {
        std::fprintf(stderr, "graph_redraw: %d of %d records loaded\n", r.records, kRecords);
        return false;
    }
    t.restart();
    for (auto& g : graphs) {
        g->HerladenGrafiek();
        g->Plot()->RedrawNow();
    }
    const double graphsMs = double(t.nsecsElapsed()) / 1e6;
    Figure("load_1m_records_ms", loadMs);
    Figure("load_graphs_rebuilt_and_drawn_ms", graphsMs);
    Figure("load_overhead_two_graphs_pct", 100.0 * graphsMs / loadMs);

    // Reference: the same rebuild filling every replayed reading's row.
    t.restart();
    for (auto& g : graphs) {
        GraphModel& m = g->Model();
        m.ReInitGrafiekData();
        for (int reading = 1; reading <= state.LogCount; ++reading)
            m.VulGrafiekAan(reading);
    }
    Figure("reload_filling_every_reading_ms", double(t.nsecsElapsed()) / 1e6);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppState state;
    LanguageTable lang;
    ApplyDevice(state, QStringLiteral("A101"), NowDays());
    state.DeviceName = QStringLiteral("A101");

    // A part may be named to run it alone: redraw, append or load.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto run = [&only](const char* part) { return only.isEmpty() || only == QLatin1String(part); };
    if (run("redraw"))
        Redraw(state, lang);
    if (run("append")) {
        Append(state, lang, 99, "append_one_reading_us");
        Append(state, lang, kPoints, "append_one_reading_30000_points_us");
    }
    return !run("load") || Load(state, lang) ? 0 : 1;
}
