// The page layout on a recording canvas: wrapping, page frames and header
// blocks, page breaks and numbers, margins, and what each printed thing lays out.

#include "core/model/appstate.h"
#include "core/logging/logtable.h"
#include "core/help/languagetable.h"
#include "core/printing/printroutines.h"
#include "core/printing/recordingcanvas.h"

#include <gtest/gtest.h>

namespace {

class PrintEngineTest : public ::testing::Test {
protected:
    PrintEngineTest()
    {
        canvas.pageSize = QSizeF(120, 200);
        state.OffsetLeft = 10;
        state.OffsetRight = 10;
        state.OffsetTop = 10;
        state.OffsetBottom = 10;
        state.PrintOperator = QStringLiteral("Ann");
        state.PrintCompany = QStringLiteral("Lab");
        state.PrintDivision = QStringLiteral("QC");
        state.PrintDeviceName = QStringLiteral("K230");
        state.PrintSerial = QStringLiteral("S-42");
        engine.clock = [this] { return now += 1.0 / 86400; }; // a clock that moves
        engine.Start();
    }

    // The text items drawn at (about) the height of `item`.
    static double Bottom(const RecordingCanvas::Item& i) { return i.y + 4; }

    AppState state;
    LanguageTable lang;
    RecordingCanvas canvas;
    PrintEngine engine{canvas, state, lang};
    double now = 45000.5;
};

TEST_F(PrintEngineTest, AWordLongerThanTheWidthGetsALineOfItsOwnAndRunsPast)
{
    const QString longWord(60, QLatin1Char('x')); // 120 mm against 100 mm of text width
    engine.Y = 50;
    engine.PrintWrapped(engine.Left(), engine.Right(), QStringLiteral("ab ") + longWord + QStringLiteral(" cd"));
    const auto* ab = canvas.Find(QStringLiteral("ab "));
    const auto* word = canvas.Find(longWord + QLatin1Char(' '));
    const auto* cd = canvas.Find(QStringLiteral("cd"));
    ASSERT_TRUE(ab && word && cd);
    EXPECT_DOUBLE_EQ(word->x, engine.Left());
    EXPECT_GT(word->y, ab->y);
    EXPECT_GT(word->x2, engine.Right());
    EXPECT_GT(cd->y, word->y);
    EXPECT_DOUBLE_EQ(cd->x, engine.Left());
}

TEST_F(PrintEngineTest, WrapsAfterEveryBreakCharacter)
{
    // 10 mm of room: "abcd" fits (8 mm) and the next piece wraps after the break character.
    const struct {
        const char* text;
        QStringList pieces;
    } cases[] = {
        {"abcd efgh", {"abcd ", "efgh"}},   {"abcd.efgh", {"abcd.", "efgh"}},  {"abcd-efgh", {"abcd-", "efgh"}},
        {"abcd/efgh", {"abcd/", "efgh"}},   {"abcd(efgh", {"abcd(", "efgh"}},  {"abc\"efgh", {"abc\"", "efgh"}},
        {"abcd\\efgh", {"abcd\\", "efgh"}}, {"abcd;efgh", {"abcd;", "efgh"}},  {"abcdefgh", {"abcdefgh"}},
    };
    for (const auto& c : cases) {
        canvas.items.clear();
        engine.Y = 50;
        engine.PrintWrapped(20, 30, QString::fromLatin1(c.text));
        QStringList pieces;
        double lastY = 0;
        for (const auto& i : canvas.Texts()) {
            pieces << i.text;
            EXPECT_DOUBLE_EQ(i.x, 20) << c.text; // every piece starts its own line here
            EXPECT_GT(i.y, lastY) << c.text;
            lastY = i.y;
        }
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
}

TEST_F(PrintEngineTest, ANoteWithCrLfRestartsAtTheNoteIndent)
{
    state.NoteText = QStringLiteral("first line\r\nsecond line");
    engine.StartPage({QStringLiteral("Table"), 0});
    const auto* note = canvas.Find(QStringLiteral("Note:"));
    const auto* first = canvas.Find(QStringLiteral("first line"));
    const auto* second = canvas.Find(QStringLiteral("second line"));
    ASSERT_TRUE(note && first && second);
    EXPECT_TRUE(note->bold);
    EXPECT_FALSE(first->bold) << "the note is a value: normal weight";
    EXPECT_FALSE(second->bold);
    EXPECT_DOUBLE_EQ(note->x, engine.Left() + PrintEngine::kLabelIndent);
    EXPECT_DOUBLE_EQ(first->x, engine.Left() + PrintEngine::kValueIndent);
    EXPECT_DOUBLE_EQ(second->x, engine.Left() + PrintEngine::kValueIndent);
    EXPECT_NEAR(second->y - first->y, 4, 1e-9); // the next line, no empty line for the CR LF pair
    EXPECT_FALSE(canvas.Find(QStringLiteral("\r")) || canvas.Find(QStringLiteral("\n")));
}

TEST_F(PrintEngineTest, PageFrameAndHeaderBlock)
{
    engine.StartPage({QStringLiteral("CH1"), 3});
    const QStringList lines = canvas.Lines(1);
    const auto* title = canvas.Find(QStringLiteral("CH1"));
    ASSERT_TRUE(title);
    EXPECT_TRUE(title->bold);
    EXPECT_DOUBLE_EQ(title->x, engine.Left());
    EXPECT_DOUBLE_EQ(title->y, engine.Top());
    // Date and time right-aligned on the title line.
    const auto texts = canvas.Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_DOUBLE_EQ(texts[1].y, engine.Top());
    EXPECT_NEAR(texts[1].x2, engine.Right(), 1e-9);
    EXPECT_TRUE(texts[1].text.contains(QStringLiteral(" - ")));
    const auto* page = canvas.Find(QStringLiteral("page 1"));
    ASSERT_TRUE(page);
    EXPECT_NEAR(page->x2, engine.Right(), 1e-9);
    EXPECT_GT(page->y, engine.BottomLimit());
    // Labels bold, values normal, in order; the channel only for a value window.
    const QStringList expected = {"Operator: Ann", "Company: Lab", "Division: QC", "Device: K230",
                                  "Serial number: S-42", "Channel number: 3"};
    int at = -1;
    for (const QString& e : expected) {
        const int found = lines.indexOf(e);
        EXPECT_GT(found, at) << e.toStdString() << " in " << lines.join('|').toStdString();
        at = found;
    }
    EXPECT_TRUE(canvas.Find(QStringLiteral("Operator:"))->bold);
    EXPECT_FALSE(canvas.Find(QStringLiteral("Ann"))->bold);
    EXPECT_DOUBLE_EQ(canvas.Find(QStringLiteral("Ann"))->x, engine.Left() + PrintEngine::kValueIndent);
    // A label longer than the label column keeps a blank before its value.
    const auto* label = canvas.Find(QStringLiteral("Channel number:"));
    ASSERT_TRUE(label);
    EXPECT_NEAR(canvas.Find(QStringLiteral("3"))->x, label->x2 + 2, 1e-9);
    int rules = 0;
    for (const auto& i : canvas.items)
        rules += i.kind == RecordingCanvas::Item::Rule;
    EXPECT_EQ(rules, 2); // under the title, above the device
}

TEST_F(PrintEngineTest, PageNumbersRestartInEveryJob)
{
    for (int job = 1; job <= 2; ++job) {
        canvas = RecordingCanvas();
        canvas.pageSize = QSizeF(120, 200);
        engine.Start();
        engine.StartPage({QStringLiteral("one"), 0});
        engine.StartPage({QStringLiteral("two"), 0});
        EXPECT_EQ(canvas.pages, 2) << job;
        EXPECT_TRUE(canvas.Find(QStringLiteral("page 1"), 1)) << job;
        EXPECT_TRUE(canvas.Find(QStringLiteral("page 2"), 2)) << job;
        EXPECT_EQ(engine.PageNumber(), 2) << job;
    }
}

TEST(PrintMargins, LimitWrapsAround)
{
    const struct {
        float value, maximum, expected;
    } cases[] = {{-0.1f, 66.7f, 66.7f}, {66.8f, 66.7f, 0}, {66.7f, 66.7f, 66.7f}, {0, 66.7f, 0}, {12.5f, 66.7f, 12.5f}};
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(LimitMargin(c.value, c.maximum), c.expected) << c.value;
}

TEST_F(PrintEngineTest, StartLimitsTheMarginsAndSetsTheBounds)
{
    state.OffsetTop = 70;     // above 200 / 3
    state.OffsetBottom = -1;  // negative
    state.OffsetLeft = 40.1f; // above 120 / 3
    state.OffsetRight = 5;
    engine.Start();
    EXPECT_FLOAT_EQ(state.OffsetTop, 0);
    EXPECT_FLOAT_EQ(state.OffsetBottom, float(200.0 / 3));
    EXPECT_FLOAT_EQ(state.OffsetLeft, 0);
    EXPECT_FLOAT_EQ(state.OffsetRight, 5);
    EXPECT_DOUBLE_EQ(engine.Left(), 0);
    EXPECT_DOUBLE_EQ(engine.Right(), 115);
    EXPECT_NEAR(engine.BottomLimit(), 200 - 200.0 / 3 - 1.25 * 4, 1e-4);
}

TEST(PrintTitles, FromTheTag)
{
    const struct {
        const char* tag;
        const char* caption;
        bool recorder;
        const char* expected;
    } cases[] = {
        {"meting2", "CH2", false, "CH2"},
        {"Terminal", "Terminal window", false, "Terminal window"},
        {"tabel", "", false, "run.vam"},
        {"grafiek1", "Graph", false, "run.vam: Graph"},
        {"grafiek2", "XY-recorder", true, "XY-recorder"},
        {"grafiek3", "Oven", true, "XY-recorder: Oven"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintPageTitle(c.tag, c.caption, c.recorder, "XY-recorder", "/HOME/Data/run.vam", "/home/data"),
                  QString::fromLatin1(c.expected))
            << c.tag;
    }
    EXPECT_EQ(PrintPageTitle("tabel", "", false, "", "/elsewhere/run.vam", "/home/data"), "/elsewhere/run.vam");
}

class PrintTableTest : public PrintEngineTest {
protected:
    void Fill(int rows)
    {
        canvas.pageSize = QSizeF(190, 200);
        engine.Start();
        table.SetLayout(QStringLiteral("A101"), 2);
        table.LoadCaptions(lang);
        const LogTable::RawCell cells[2] = {{"7.01", "pH", {}, false, true}, {"25.0", "C", {}, false, true}};
        table.BeginBulk();
        for (int i = 0; i < rows; ++i)
            table.AppendBulk(45000 + i / 1440.0, true, cells, QByteArray("row ") + QByteArray::number(i + 1));
        table.EndBulk();
    }
    LogTable table;
};

TEST_F(PrintTableTest, ALongTableBreaksPagesWithFrameHeaderAndHeadingsOnEach)
{
    Fill(120);
    PrintTable(engine, {QStringLiteral("run.vam"), 0}, table, AllTableColumns(table), AllTableRows(table));
    ASSERT_GE(canvas.pages, 3);
    for (int page = 1; page <= canvas.pages; ++page) {
        EXPECT_TRUE(canvas.Find(QStringLiteral("run.vam"), page)) << page;
        EXPECT_TRUE(canvas.Find(QStringLiteral("Operator:"), page)) << page;
        EXPECT_TRUE(canvas.Find(QStringLiteral("Serial number:"), page)) << page;
        EXPECT_TRUE(canvas.Find(QStringLiteral("page %1").arg(page), page)) << page;
        const auto* heading = canvas.Find(QStringLiteral("Info"), page);
        ASSERT_TRUE(heading) << page;
        EXPECT_TRUE(heading->bold);
    }
    // Every row once, in order, none below the bottom limit.
    int next = 1;
    for (const auto& i : canvas.Texts()) {
        if (i.text.startsWith(QStringLiteral("row "))) {
            EXPECT_EQ(i.text, QStringLiteral("row %1").arg(next++));
            EXPECT_LT(i.y + 4, engine.BottomLimit() + 1e-9);
        }
    }
    EXPECT_EQ(next, 121);
}

TEST_F(PrintTableTest, OnlyTheGivenRowsAndColumns)
{
    Fill(10);
    PrintTable(engine, {QStringLiteral("run.vam"), 0}, table, {0, 3, 4}, {2, 5});
    QStringList numbers;
    for (const auto& i : canvas.Texts()) {
        if (i.x == engine.Left() && !i.bold && i.text.size() <= 2)
            numbers << i.text;
    }
    EXPECT_EQ(numbers, QStringList({"3", "6"}));
    EXPECT_FALSE(canvas.Find(QStringLiteral("Info")));
    EXPECT_FALSE(canvas.Find(QStringLiteral("25.0")));
    EXPECT_TRUE(canvas.Find(QStringLiteral("pH")));
    // Columns do not overlap.
    const auto* no = canvas.Find(QStringLiteral("No"));
    const auto* ch1 = canvas.Find(QStringLiteral("CH1"));
    ASSERT_TRUE(no && ch1);
    EXPECT_GT(ch1->x, no->x2);
}

TEST(PrintTableBands, ColumnsWiderThanThePageGoIntoBands)
{
    using Bands = std::vector<std::vector<size_t>>;
    const struct {
        const char* what;
        std::vector<double> widths;
        std::vector<int> groups;
        double textWidth;
        bool repeatFirst;
        Bands expected;
    } cases[] = {
        {"all fit", {5, 10, 10}, {0, 0, 0}, 31, true, {{0, 1, 2}}},
        {"exactly fits (no gap after the last)", {5, 10, 10}, {0, 0, 0}, 31, false, {{0, 1, 2}}},
        {"one too wide", {5, 10, 10}, {0, 0, 0}, 30.9, false, {{0, 1}, {2}}},
        {"the number repeats", {5, 10, 10, 10}, {0, 0, 0, 0}, 20, true, {{0, 1}, {0, 2}, {0, 3}}},
        // 5 + 3 + 10 + 3 + 10 = 31 would not fit 28: the repeated number takes its room on every band.
        {"the repeated number counts", {5, 10, 10, 10}, {0, 0, 0, 0}, 28, true, {{0, 1}, {0, 2}, {0, 3}}},
        {"a value stays with its unit", {5, 10, 10, 6, 10, 6}, {0, 0, 1, 1, 2, 2}, 45, true, {{0, 1, 2, 3}, {0, 4, 5}}},
        {"the wrapping last column needs only a start", {5, 10, 200}, {0, 0, 0}, 60, true, {{0, 1, 2}}},
        {"a column wider than the page still prints", {5, 90, 10}, {0, 0, 0}, 50, true, {{0}, {0, 1}, {0, 2}}},
        {"no columns", {}, {}, 50, true, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TableBands(c.widths, c.groups, c.textWidth, c.repeatFirst), c.expected) << c.what;
}

TEST_F(PrintTableTest, AWideTableIsPrintedInBandsWithNothingCutOff)
{
    canvas.pageSize = QSizeF(120, 200); // 100 mm of text width
    engine.Start();
    table.SetLayout(QStringLiteral("H264"), 8);
    table.LoadCaptions(lang);
    std::vector<QByteArray> values;
    std::vector<LogTable::RawCell> cells;
    for (int ch = 1; ch <= 8; ++ch)
        values.push_back(QByteArray::number(ch * 11.5));
    for (const QByteArray& v : values)
        cells.push_back({v, "mV", {}, false, true});
    table.BeginBulk();
    for (int i = 0; i < 3; ++i)
        table.AppendBulk(45000 + i / 1440.0, true, cells.data(), "note");
    table.EndBulk();
    PrintTable(engine, {QStringLiteral("run.vam"), 0}, table, AllTableColumns(table), AllTableRows(table));
    ASSERT_GE(canvas.pages, 2);
    for (const auto& i : canvas.Texts())
        EXPECT_LE(i.x2, engine.Right() + 1e-9) << i.text.toStdString() << " on page " << i.page;
    for (int ch = 1; ch <= 8; ++ch) {
        const auto* heading = canvas.Find(QStringLiteral("CH%1").arg(ch));
        ASSERT_TRUE(heading) << ch;
        // Every value three times, on the page of its heading, with its unit right of it.
        int found = 0;
        for (const auto& i : canvas.Texts(heading->page))
            found += i.text == QString::number(ch * 11.5);
        EXPECT_EQ(found, 3) << ch;
    }
    // Each band's page starts with the frame, the header block and the number column.
    for (int page = 1; page <= canvas.pages; ++page) {
        EXPECT_TRUE(canvas.Find(QStringLiteral("Operator:"), page)) << page;
        EXPECT_TRUE(canvas.Find(QStringLiteral("No"), page)) << page;
    }
    EXPECT_TRUE(canvas.Find(QStringLiteral("note")));
}

TEST_F(PrintEngineTest, ValueWindowTextsInOrder)
{
    ValuePrint v;
    v.value = QStringLiteral("7.01");
    v.unit = QStringLiteral("pH");
    v.highTest = true;
    v.highAlarm = true;
    v.highLimit = QStringLiteral("7");
    v.lowTest = true;
    v.lowAlarm = false;
    v.lowLimit = QStringLiteral("4");
    PrintValue(engine, {QStringLiteral("CH1"), 1}, v);
    const QStringList lines = canvas.Lines(1);
    const int value = lines.indexOf(QStringLiteral("7.01  pH"));
    const int exceeded = lines.indexOf(QStringLiteral("High limit exceeded"));
    const int high = lines.indexOf(QStringLiteral("Alarm, High limit = 7"));
    const int low = lines.indexOf(QStringLiteral("Alarm, Low limit = 4"));
    EXPECT_GT(value, lines.indexOf(QStringLiteral("Channel number: 1"))) << lines.join('|').toStdString();
    EXPECT_GT(exceeded, value);
    EXPECT_GT(high, exceeded);
    EXPECT_GT(low, high);
    EXPECT_FALSE(lines.contains(QStringLiteral("Low limit exceeded")));
}

TEST_F(PrintEngineTest, AlarmReportEventsAreIndentedAndTheEventFollowsLower)
{
    const std::vector<AlarmReportLine> lines = {
        {AlarmReportLine::Text, QStringLiteral("Alarm report"), QString()},
        {AlarmReportLine::Empty, {}, {}},
        {AlarmReportLine::Text, QStringLiteral("High limit:"), QStringLiteral(" 5")},
        {AlarmReportLine::Event, QStringLiteral("High limit exceeded:"), QStringLiteral("CH1 (mV): 00001")},
        {AlarmReportLine::Event, QStringLiteral("Recovered:"), QStringLiteral("CH1 (mV): 00002")},
    };
    PrintAlarmReport(engine, {QStringLiteral("Graph"), 0}, lines);
    const auto* title = canvas.Find(QStringLiteral("Alarm report"));
    const auto* limit = canvas.Find(QStringLiteral(" 5"));
    const auto* exceeded = canvas.Find(QStringLiteral("High limit exceeded:"));
    const auto* event = canvas.Find(QStringLiteral("CH1 (mV): 00001"));
    const auto* recovered = canvas.Find(QStringLiteral("Recovered:"));
    ASSERT_TRUE(title && limit && exceeded && event && recovered);
    EXPECT_TRUE(title->bold);
    EXPECT_FALSE(limit->bold);
    EXPECT_DOUBLE_EQ(exceeded->x, engine.Left() + 10);
    EXPECT_DOUBLE_EQ(event->x, engine.Left() + 10);
    EXPECT_DOUBLE_EQ(event->y, exceeded->y + 5);
    EXPECT_GT(recovered->y, event->y);
}

TEST_F(PrintEngineTest, GraphPictureAcrossTheWidthAndALegendLinePerSeries)
{
    GraphPrint g;
    g.aspect = 0.5;
    g.legend = {{0x0000FF, QStringLiteral("CH1: mV")}, {0x00FF00, QStringLiteral("CH2: pH")}};
    PrintGraph(engine, {QStringLiteral("Graph"), 0}, g);
    const RecordingCanvas::Item* picture = nullptr;
    std::vector<const RecordingCanvas::Item*> samples;
    for (const auto& i : canvas.items) {
        if (i.kind == RecordingCanvas::Item::Picture)
            picture = &i;
        if (i.kind == RecordingCanvas::Item::Rect)
            samples.push_back(&i);
    }
    ASSERT_TRUE(picture);
    EXPECT_DOUBLE_EQ(picture->x2 - picture->x, engine.Right() - engine.Left());
    EXPECT_DOUBLE_EQ(picture->height, 50);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0]->colour, 0x0000FFu);
    const auto* first = canvas.Find(QStringLiteral("CH1: mV"));
    const auto* second = canvas.Find(QStringLiteral("CH2: pH"));
    ASSERT_TRUE(first && second);
    EXPECT_GT(first->y, picture->y + picture->height);
    EXPECT_GT(second->y, first->y);
    EXPECT_GT(first->x, samples[0]->x2);
}

TEST(PrintPaper, NamesOfCodes)
{
    EXPECT_EQ(PaperName(1), "Letter, 8 1/2 x 11 in.");
    EXPECT_EQ(PaperName(9), "A4, 210 x 297 mm");
    EXPECT_EQ(PaperName(41), "German Legal Fanfold, 8 1/2 x 13 in.");
    EXPECT_EQ(PaperName(256), "User-defined");
    EXPECT_EQ(PaperName(0), "User-defined");
}

} // namespace

// A note longer than the page: the header goes on on the next page, and every
// record that follows is printed on the paper, none past the bottom.
TEST_F(PrintEngineTest, ALongNoteContinuesAndTheRecordsStayOnThePaper)
{
    for (const int noteLines : {5, 65, 200}) {
        SCOPED_TRACE(noteLines);
        canvas.items.clear();
        canvas.pages = 1;
        QStringList note;
        for (int i = 1; i <= noteLines; ++i)
            note << QStringLiteral("note line %1").arg(i);
        state.NoteText = note.join(QStringLiteral("\r\n"));
        engine.Start();
        engine.StartPage({QStringLiteral("Table"), 0});
        for (int r = 1; r <= 10; ++r) {
            engine.Print(QStringLiteral("record %1").arg(r));
            engine.EndLine();
        }
        for (const QString& text : QStringList{QStringLiteral("note line %1").arg(noteLines), QStringLiteral("record 1"),
                                               QStringLiteral("record 10")}) {
            const auto* item = canvas.Find(text);
            ASSERT_TRUE(item) << text.toStdString();
            EXPECT_LT(item->y, engine.BottomLimit()) << text.toStdString() << " printed past the bottom";
            EXPECT_GE(item->y, engine.Top()) << text.toStdString();
        }
        if (noteLines > 65)
            EXPECT_GT(canvas.pages, 2);
    }
}

// An info text that wraps at the bottom of a page goes over with its row:
// never a continuation on a page of its own without the row's number.
TEST_F(PrintTableTest, AWrappedInfoStaysWithItsRow)
{
    canvas.pageSize = QSizeF(120, 200);
    engine.Start();
    table.SetLayout(QStringLiteral("A101"), 2);
    table.LoadCaptions(lang);
    const LogTable::RawCell cells[2] = {{"7.01", "pH", {}, false, true}, {"25.0", "C", {}, false, true}};
    table.BeginBulk();
    for (int i = 0; i < 80; ++i)
        table.AppendBulk(45000 + i / 1440.0, true, cells,
                         i == 0 ? QByteArray("calibrated")   // one line: the next rows' second lines meet the bottom
                                : QByteArray("calibrated after the buffer change, second part of note ") + QByteArray::number(i + 1));
    table.EndBulk();
    PrintTable(engine, {QStringLiteral("run.vam"), 0}, table, AllTableColumns(table), AllTableRows(table));
    ASSERT_GE(canvas.pages, 2);
    int pagesWithInfo = 0;
    for (int page = 1; page <= canvas.pages; ++page) {
        const auto* heading = canvas.Find(QStringLiteral("Info"), page);
        if (!heading)
            continue;
        ++pagesWithInfo;
        // The first info text under the headings begins a note: no page
        // starts with the rest of a note whose row is on the page before.
        const std::vector<RecordingCanvas::Item> texts = canvas.Texts(page);
        const RecordingCanvas::Item* first = nullptr;
        for (const auto& i : texts)
            if (!i.bold && std::abs(i.x - heading->x) < 1e-9 && i.y > heading->y && (!first || i.y < first->y))
                first = &i;
        if (!first)
            continue; // the headings of a page the last row filled up
        EXPECT_TRUE(first->text.startsWith(QStringLiteral("calibrated"))) << "page " << page << ": " << first->text.toStdString();
    }
    EXPECT_GE(pagesWithInfo, 2);
}

// An info text longer than the room left wraps inside the margin, under its
// own heading, every word kept in order, and the next row starts below it.
TEST_F(PrintTableTest, ALongInfoTextWrapsInsideTheMargin)
{
    canvas.pageSize = QSizeF(190, 200); // 170 mm of text width: one band
    engine.Start();
    table.SetLayout(QStringLiteral("A101"), 2);
    table.LoadCaptions(lang);
    const struct {
        QByteArray info;
        int lines;
    } cases[] = {
        {"short", 1},
        {"buffer changed after the second calibration, electrode rinsed and stored wet overnight", 3},
        {"first line\r\nsecond line", 2},
        {"an_unbroken_word_that_is_wider_than_the_room_left", 1}, // alone on its line: runs past, nothing to break
    };
    const LogTable::RawCell cells[2] = {{"7.01", "pH", {}, false, true}, {"25.0", "C", {}, false, true}};
    table.BeginBulk();
    for (const auto& c : cases)
        table.AppendBulk(45000, true, cells, c.info);
    table.AppendBulk(45000, true, cells, "last");
    table.EndBulk();
    PrintTable(engine, {QStringLiteral("run.vam"), 0}, table, AllTableColumns(table), AllTableRows(table));
    ASSERT_EQ(canvas.pages, 1);
    const auto* heading = canvas.Find(QStringLiteral("Info"));
    ASSERT_TRUE(heading);
    ASSERT_LT(heading->x + 30, engine.Right()) << "room for a start of the info";
    std::vector<RecordingCanvas::Item> info; // the info column's pieces, top to bottom
    for (const auto& i : canvas.Texts())
        if (!i.bold && std::abs(i.x - heading->x) < 1e-9 && i.y > heading->y)
            info.push_back(i);
    size_t at = 0;
    for (size_t row = 0; row < std::size(cases); ++row) {
        const auto& c = cases[row];
        SCOPED_TRACE(c.info.toStdString());
        const auto* number = canvas.Find(QString::number(row + 1));
        ASSERT_TRUE(number);
        ASSERT_LE(at + size_t(c.lines), info.size());
        QString joined;
        for (int line = 0; line < c.lines; ++line) {
            const auto& piece = info[at + size_t(line)];
            EXPECT_NEAR(piece.y, number->y + line * 4, 1e-9) << "line " << line << " of the row";
            if (c.lines > 1)
                EXPECT_LE(piece.x2, engine.Right() + 1e-9) << piece.text.toStdString() << " runs past the margin";
            joined += piece.text;
        }
        EXPECT_EQ(joined.toStdString(), QString::fromLatin1(c.info).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).toStdString());
        at += size_t(c.lines);
        ASSERT_LT(at, info.size());
        EXPECT_GT(info[at].y, info[at - 1].y) << "the next row starts below the wrapped text";
    }
    EXPECT_EQ(info[at].text, QStringLiteral("last"));
}

// "All data windows": the value windows share pages in the order given, each
// block whole on one page, none past the bottom, no page left empty. Page
// heights in steps of 3 mm put the page ends at every point of a block.
TEST_F(PrintEngineTest, ValueWindowsTogetherSeveralOnAPage)
{
    struct Case {
        int count;
        double pageHeight;
        int pages; // 0: not counted
    };
    std::vector<Case> cases = {{3, 200, 1}, {14, 200, 4}};
    for (double height = 150; height <= 210; height += 3)
        cases.push_back({14, height, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 values, page %2 mm").arg(c.count).arg(c.pageHeight).toStdString());
        canvas = RecordingCanvas();
        canvas.pageSize = QSizeF(120, c.pageHeight);
        engine.Start();
        std::vector<ValuePrint> values;
        int alarmLines = 0;
        for (int ch = 1; ch <= c.count; ++ch) {
            ValuePrint v;
            v.caption = QStringLiteral("CH%1 (pH): Value").arg(ch);
            v.value = QStringLiteral("%1.01").arg(ch);
            v.unit = QStringLiteral("pH");
            // Blocks of 0, 2 and 4 alarm lines.
            v.highTest = v.highAlarm = ch % 3 != 1;
            v.lowTest = v.lowAlarm = ch % 3 == 0;
            v.highLimit = QStringLiteral("7");
            v.lowLimit = QStringLiteral("4");
            alarmLines += ch % 3 == 1 ? 0 : ch % 3 == 2 ? 2 : 4;
            values.push_back(v);
        }
        PrintValues(engine, {QStringLiteral("Values"), 0}, values);
        if (c.pages > 0)
            EXPECT_EQ(canvas.pages, c.pages);
        EXPECT_FALSE(canvas.Find(QStringLiteral("Channel number:"))) << "each block names its channel";
        int lastPage = 1;
        double lastY = 0, firstY = 0;
        for (int ch = 1; ch <= c.count; ++ch) {
            const auto* caption = canvas.Find(values[size_t(ch - 1)].caption);
            const auto* value = canvas.Find(values[size_t(ch - 1)].value);
            ASSERT_TRUE(caption && value) << ch;
            EXPECT_TRUE(caption->bold);
            EXPECT_DOUBLE_EQ(caption->x, engine.Left());
            EXPECT_EQ(value->size, 24);
            EXPECT_EQ(value->page, caption->page) << ch;
            EXPECT_GT(value->y, caption->y) << ch;
            EXPECT_TRUE(caption->page > lastPage || (caption->page == lastPage && caption->y > lastY)) << "in order";
            if (ch == 1)
                firstY = caption->y;
            else if (caption->page > lastPage)
                EXPECT_DOUBLE_EQ(caption->y, firstY) << ch << ": the first block of a page under the header";
            lastPage = caption->page;
            lastY = caption->y;
        }
        EXPECT_EQ(lastPage, canvas.pages) << "no empty page at the end";
        // A block's lines go on the page of its caption.
        int limits = 0, captionPage = 0;
        for (const auto& i : canvas.Texts()) {
            if (!i.text.startsWith(QStringLiteral("page ")))
                EXPECT_LT(i.y + 4, engine.BottomLimit()) << i.text.toStdString() << " on page " << i.page;
            if (i.text.startsWith(QStringLiteral("CH")))
                captionPage = i.page;
            if (i.text.startsWith(QStringLiteral("Alarm, ")) || i.text.contains(QStringLiteral("limit exceeded"))) {
                ++limits;
                EXPECT_EQ(i.page, captionPage) << i.text.toStdString();
            }
        }
        EXPECT_EQ(limits, alarmLines);
        for (int page = 1; page <= canvas.pages; ++page)
            EXPECT_TRUE(canvas.Find(QStringLiteral("Values"), page)) << "the frame on page " << page;
    }
}

// A chart prints at its window's proportions, never flatter than the minimum,
// and no taller than the room its page has left.
TEST_F(PrintEngineTest, GraphProportionsFollowTheWindowWithinThePage)
{
    const struct {
        const char* what;
        double windowWidth, windowHeight;
        double aspect;
    } windows[] = {
        {"a wide, low window", 550, 190, kMinGraphAspect},
        {"a strip", 1200, 100, kMinGraphAspect},
        {"hidden: no size", 0, 0, kMinGraphAspect},
        {"a square window keeps its proportions", 400, 400, 1.0},
        {"a tall window", 300, 900, 3.0},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.what);
        EXPECT_DOUBLE_EQ(PrintedGraphAspect(w.windowWidth, w.windowHeight), w.aspect);
        canvas = RecordingCanvas();
        canvas.pageSize = QSizeF(120, 200);
        engine.Start();
        GraphPrint g;
        g.aspect = w.aspect;
        g.legend = {{0x0000FF, QStringLiteral("CH1: mV")}};
        PrintGraph(engine, {QStringLiteral("Graph"), 0}, g);
        const RecordingCanvas::Item* picture = nullptr;
        for (const auto& i : canvas.items)
            if (i.kind == RecordingCanvas::Item::Picture)
                picture = &i;
        ASSERT_TRUE(picture);
        const double width = picture->x2 - picture->x;
        EXPECT_NEAR(picture->height / width, w.aspect, 1e-9) << "drawn at the picture's proportions";
        EXPECT_LE(width, engine.Right() - engine.Left() + 1e-9);
        const auto* legend = canvas.Find(QStringLiteral("CH1: mV"));
        ASSERT_TRUE(legend);
        EXPECT_EQ(legend->page, 1) << "the legend stays on the chart's page";
        EXPECT_LT(legend->y + 4, engine.BottomLimit());
        if (w.aspect * (engine.Right() - engine.Left()) < engine.BottomLimit() - picture->y - 8)
            EXPECT_DOUBLE_EQ(width, engine.Right() - engine.Left()) << "the page's width when it fits";
        else
            EXPECT_GE(legend->y + 4, engine.BottomLimit() - 2 * 4) << "down to the page's bottom";
    }
}
