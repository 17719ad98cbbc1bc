#include "support/parserharness.h"

#include "core/model/datetime.h"
#include "core/devices/datalog.h"
#include "loggerdump.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
const QString kDeg = QStringLiteral("\u00B0C");
constexpr int kRecords = 40;

// One recorded reading as the table would hold it; a replacing reading
// overwrites the last row.
struct Row {
    int logCount = 0;
    QList<DecodedValue> values;
    QString info;
};

class DumpSink : public ReadingSink {
public:
    explicit DumpSink(AppState& s) : state_(s) {}
    void PropagateReading(bool replace) override
    {
        Row r{state_.LogCount, CurrentValues(state_, 0), state_.CurrentInfo};
        if (replace && !rows.isEmpty()) {
            rows.last() = r;
            ++replaced;
        } else {
            rows.append(r);
        }
        if (stopAfter > 0 && rows.size() >= stopAfter)
            state_.ReceiveMode = false; // the user switches Receive off
    }
    void ShowStatus(const QString& text) override { statuses << text; }
    void ShowWarning(const QString& title, const QString& text) override { warnings << title + QStringLiteral(": ") + text; }
    void TerminalNote(const QString& text) override { notes << text; }

    QList<Row> rows;
    int replaced = 0;
    int stopAfter = 0;
    QStringList statuses, warnings, notes;

private:
    AppState& state_;
};

struct Transfer {
    // `answerQuery`: a J70xx meter answers the logger query before printing.
    explicit Transfer(const QString& model, bool answerQuery = true)
    {
        ApplyDevice(state, model, kTestNow);
        state.DeviceName = model;
        state.DeviceUnit = kDeg;
        state.ReceiveMode = true;
        ctx.clock = [this] { return kTestNow + reader.Now() / kSecondsPerDay; };
        const QByteArray reply = DumpQueryReply(model, kRecords);
        if (answerQuery && !reply.isEmpty())
            reader.Append(QString::fromLatin1(reply));
    }
    // `chunk` 0: all at once.
    Transfer& Feed(const QByteArray& bytes, int chunk = 0, double silenceBefore = 0)
    {
        const QString text = QString::fromLatin1(bytes);
        if (chunk > 0)
            reader.AppendSplit(text, chunk);
        else
            reader.Append(text, silenceBefore);
        return *this;
    }
    Transfer& Run()
    {
        EXPECT_TRUE(RunTransfer(ctx));
        return *this;
    }
    AppState state;
    LanguageTable language;
    ScriptedLineReader reader;
    DumpSink sink{state};
    ParserContext ctx{state, language, reader, sink};
};

QString Stamp(double days) { return FromDays(days).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")); }

QString Item(int channel, const QString& value, const QString& unit, const QString& extra, bool over = false)
{
    QString s = QStringLiteral("%1:%2 %3").arg(channel).arg(value, unit);
    if (over)
        s += QStringLiteral(" OR");
    if (!extra.isEmpty())
        s += QStringLiteral(" [") + extra + QLatin1Char(']');
    return s;
}

QString Describe(const Row& r)
{
    QStringList parts{QStringLiteral("#%1").arg(r.logCount)};
    if (!r.values.isEmpty())
        parts << Stamp(r.values.first().time);
    for (const DecodedValue& v : r.values) {
        parts << Item(v.channel, v.value, v.unit, v.extra, v.overRange);
        if (v.time != r.values.first().time) // every channel carries the record's time
            parts << QStringLiteral("@") + Stamp(v.time);
    }
    if (!r.info.isEmpty())
        parts << QStringLiteral("{") + r.info + QLatin1Char('}');
    return parts.join(QLatin1Char(' '));
}

QString Describe(const DumpRecord& d)
{
    QStringList parts{QStringLiteral("#%1").arg(d.number), Stamp(d.time)};
    for (const DumpValue& v : d.values)
        parts << Item(v.channel, v.value, v.unit, v.extra);
    if (!d.info.isEmpty())
        parts << QStringLiteral("{") + d.info + QLatin1Char('}');
    return parts.join(QLatin1Char(' '));
}

// One line per row, as a std::string so that a failure shows readable text.
template <typename T> std::string DescribeAll(const QList<T>& list)
{
    QStringList out;
    for (const T& x : list)
        out << Describe(x);
    return out.join(QLatin1Char('\n')).toStdString();
}
std::string Lines(const QStringList& lines) { return lines.join(QLatin1Char('\n')).toStdString(); }

// A row that holds only some of a record's channels (the rest of a printed
// record was lost) must still hold nothing but the record's own values.
bool IsPartOf(const Row& r, const DumpRecord& d, int number)
{
    if (r.logCount != number)
        return false;
    for (const DecodedValue& v : r.values) {
        bool found = false;
        for (const DumpValue& e : d.values)
            found = found || (e.channel == v.channel && e.value == v.value && e.unit == v.unit && e.extra == v.extra);
        if (!found || Stamp(v.time) != Stamp(d.time))
            return false;
    }
    return true;
}

// One model of every family and record layout.
const char* const kModels[] = {"G4020", "J7060", "A103", "H264", "H268", "K233", "L331", "N515", "N535", "P651", "P6720", "N335"};

QByteArray Concat(const QList<DumpLine>& lines)
{
    QByteArray out;
    for (const DumpLine& l : lines)
        out += l.bytes;
    return out;
}

// Rows against the records, with `lost` records missing and `partial` ones
// allowed to be incomplete or missing; every other record exactly once. The
// G40xx and J70xx count their rows rather than take the record number.
void ExpectRecords(const QString& model, const QList<Row>& rows, const QList<DumpRecord>& records, const QSet<int>& lost,
                   const QSet<int>& partial)
{
    const bool counting = model.startsWith(QLatin1String("G4")) || model.startsWith(QLatin1String("J7"));
    qsizetype at = 0;
    for (DumpRecord d : records) {
        if (lost.contains(d.number))
            continue;
        const bool present = at < rows.size() && !rows[at].values.isEmpty()
            && Stamp(rows[at].values.first().time) == Stamp(d.time);
        const bool isPartial = partial.contains(d.number);
        if (counting)
            d.number = int(at) + 1;
        if (isPartial) {
            if (present) {
                EXPECT_TRUE(IsPartOf(rows[at], d, d.number)) << Describe(rows[at]).toStdString();
                ++at;
            }
            continue;
        }
        ASSERT_LT(at, rows.size()) << "missing " << Describe(d).toStdString();
        EXPECT_EQ(Describe(rows[at]).toStdString(), Describe(d).toStdString());
        ++at;
    }
    EXPECT_EQ(at, rows.size()) << "extra rows";
}
} // namespace

TEST(DatalogRoundTrip, EveryModelRecordsEveryRecordHoweverItArrives)
{
    quint32 seed = 1;
    for (const CatalogueModel& m : CatalogueModels()) {
        const QString model = QString::fromLatin1(m.name);
        SCOPED_TRACE(m.name);
        const QByteArray dump = LoggerDump(model, kRecords, seed);
        const QList<DumpRecord> records = LoggerRecords(model, kRecords, seed);
        ASSERT_EQ(records.size(), kRecords);
        const std::string expected = DescribeAll(records);
        for (int chunk : {0, 1, 7, 13, 509}) {
            SCOPED_TRACE(chunk);
            Transfer t(model);
            t.Feed(dump, chunk).Run();
            EXPECT_EQ(DescribeAll(t.sink.rows), expected);
            EXPECT_EQ(t.state.LogCount, kRecords);
        }
        ++seed;
    }
}

TEST(DatalogRoundTrip, TruncatedPrintKeepsTheRecordsBeforeTheCut)
{
    constexpr int kCutRecord = 6;
    for (const char* name : kModels) {
        const QString model = QString::fromLatin1(name);
        const QList<DumpLine> lines = LoggerDumpLines(model, 12, 3);
        const QList<DumpRecord> records = LoggerRecords(model, 12, 3);
        qsizetype cutLine = 0; // the last line of record kCutRecord
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (lines[i].record == kCutRecord)
                cutLine = i;
        const bool multiLine = lines[cutLine - 1].record == kCutRecord;
        const QByteArray& line = lines[cutLine].bytes;
        for (qsizetype keep : {qsizetype(1), line.size() / 2, line.size() - 2, line.size() - 1}) {
            SCOPED_TRACE(std::string(name) + " keeping " + std::to_string(keep));
            Transfer t(model);
            t.Feed(Concat(lines.mid(0, cutLine)) + line.left(keep)).Run();
            QSet<int> lost, partial;
            for (int n = kCutRecord + 1; n <= 12; ++n)
                lost.insert(n);
            (multiLine ? partial : lost).insert(kCutRecord);
            ExpectRecords(model, t.sink.rows, records, lost, partial);
            if (multiLine) { // the lines before the cut are there
                EXPECT_EQ(t.sink.rows.size(), kCutRecord);
            }
        }
    }
}

TEST(DatalogRoundTrip, DamagedRecordIsSkippedWithoutWrongValues)
{
    constexpr int kDamaged = 6;
    const struct {
        const char* name;
        QByteArray (*damage)(QByteArray);
        bool swallowsNext; // the next record's first line is lost with it
    } kinds[] = {
        {"garbled value", [](QByteArray l) { return l.replace(l.indexOf('.', l.indexOf('\t')), 1, "#"); }, false},
        {"NUL inside", [](QByteArray l) { return l.insert(l.size() / 2, '\0'); }, false},
        {"escape inside", [](QByteArray l) { return l.replace(l.size() / 2, 1, "\x1b"); }, false},
        {"line end lost", [](QByteArray l) { return l.left(l.size() - 2); }, true},
    };
    for (const char* name : kModels) {
        const QString model = QString::fromLatin1(name);
        const QList<DumpRecord> records = LoggerRecords(model, 12, 5);
        for (const auto& kind : kinds) {
            SCOPED_TRACE(std::string(name) + ": " + kind.name);
            QList<DumpLine> lines = LoggerDumpLines(model, 12, 5);
            for (DumpLine& l : lines) {
                if (l.record != kDamaged)
                    continue;
                const QByteArray damaged = kind.damage(l.bytes);
                ASSERT_NE(damaged, l.bytes);
                l.bytes = damaged;
            }
            Transfer t(model);
            t.Feed(Concat(lines), 11).Run();
            ExpectRecords(model, t.sink.rows, records, {kDamaged}, kind.swallowsNext ? QSet<int>{kDamaged + 1} : QSet<int>{});
        }
    }
}

TEST(DatalogRoundTrip, NoiseAndNulBytesBetweenRecordsAreSkipped)
{
    QByteArray blob; // a long burst without a line end
    for (int i = 0; i < 70000; ++i)
        blob += char(0x80 + i % 0x70);
    for (const char* name : kModels) {
        SCOPED_TRACE(name);
        const QString model = QString::fromLatin1(name);
        QByteArray noisy;
        int n = 0;
        for (const DumpLine& l : LoggerDumpLines(model, 10, 9)) {
            if (++n % 3 == 0)
                noisy += QByteArray("\xff\xfe\x01\x02garbage\x90", 12) + "\r\n";
            if (n % 4 == 0)
                noisy += QByteArray(3, '\0');
            if (n == 5)
                noisy += blob + "\r\n";
            noisy += l.bytes;
        }
        Transfer t(model);
        t.Feed(noisy, 4096).Run();
        EXPECT_EQ(DescribeAll(t.sink.rows), DescribeAll(LoggerRecords(model, 10, 9)));
    }
}

TEST(DatalogRoundTrip, ReplacingFamiliesGrowOneRowPerRecord)
{
    // H261 prints CH1, CH2 and EC for every record; the CH2 line of record 3 is lost.
    QList<DumpLine> lines = LoggerDumpLines(QStringLiteral("H261"), 5, 2);
    const QList<DumpRecord> records = LoggerRecords(QStringLiteral("H261"), 5, 2);
    lines.removeIf([](const DumpLine& l) { return l.record == 3 && l.bytes.contains("\tCH2\t"); });
    Transfer t(QStringLiteral("H261"));
    t.Feed(Concat(lines)).Run();
    ExpectRecords(QStringLiteral("H261"), t.sink.rows, records, {}, {3});
    ASSERT_EQ(t.sink.rows.size(), 5);
    EXPECT_EQ(t.sink.rows[2].values.size(), 3); // CH1, EC and the temperature
    EXPECT_EQ(t.sink.replaced, 14 - 5);         // every further line of a record replaced it
}

TEST(DatalogRecordTime, DatesAndTimesOfRecords)
{
    const struct { const char* date; const char* time; const char* separator; const char* expected; } cases[] = {
        {"28/02/26", "23:45:30", ":", "28.02.2026 23:45:30"},
        {"28-02-26", "23:45:30", ":", "28.02.2026 23:45:30"},
        {"28-02-2026", "23:45:30", ":", "28.02.2026 23:45:30"},
        {"1/3/29", "7:05:09", ":", "01.03.2029 07:05:09"},
        {"1/3/30", "00:00:00", ":", "01.03.1930 00:00:00"},
        {"01/03/00", "12:00:00", ":", "01.03.2000 12:00:00"},
        {"01/03/99", "12:00:00", ":", "01.03.1999 12:00:00"},
        // The meter's ":" stands for whatever separator the locale uses.
        {"01/03/26", "10:15:30", ".", "01.03.2026 10:15:30"},
        // What does not convert leaves the stamp as far as it was built.
        {"31/02/26", "10:15:30", ":", "30.12.1899 10:15:30"},
        {"01/03", "10:15:30", ":", "30.12.1899 10:15:30"},
        {"01/03/26", "10:xx:30", ":", "01.03.2026 10:00:00"},
        {"01/03/26", "10:15", ":", "01.03.2026 10:15:00"}, // no seconds
        {"01/03/26", "23:56", ".", "01.03.2026 23:56:00"},
        {"01/03/26", "10:15:", ":", "01.03.2026 10:15:00"},
        {"01/03/26", "10:xx", ":", "01.03.2026 10:00:00"},
        {"01/03/26", "", ":", "01.03.2026 00:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        const double t = ParseRecordTime(ParseRecordDate(QString::fromLatin1(c.date)), QString::fromLatin1(c.time),
                                         QString::fromLatin1(c.separator));
        EXPECT_EQ(Stamp(t).toStdString(), c.expected);
    }
}

TEST(DatalogRecords, FamilyDetails)
{
    const QByteArray k230Header = "Log#\tValue\tUnit\tCelsius\tComment\tHour\tDate\r\n";
    QByteArray p671 = "log#\tDate\tTime\tUnit\tChannel\tValues\r\n";
    for (const char* first : {"CH1", "CH9"}) {
        p671 += QByteArray("Log# 4\t01/03/26\t10:00:00\tpH^\t") + first;
        for (int i = 0; i < 8; ++i)
            p671 += "\t7.0" + QByteArray::number(i);
        p671 += "\r\n";
    }
    QStringList p671Rows{QStringLiteral("#4 01.03.2026 10:00:00")};
    for (int ch = 1; ch <= 16; ++ch)
        p671Rows[0] += QStringLiteral(" %1:7.0%2 pH rel.").arg(ch).arg((ch - 1) % 8);
    p671Rows[0] += QStringLiteral(" {relative mode}");

    const struct { const char* model; QByteArray text; QStringList expected; } cases[] = {
        {"G4020", "LOG.0001\t01/03/26\t10:00:00\t--.--\t\xe6S/cm\t25.0\t\xf8" "C\tCal due\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 1:--.-- \u00B5S/cm OR 2:25.0 \u00B0C {Cal due}")}},
        {"G4010", "LOG.0001\t01/03/26\t10:00:00\t7.01\tpH\r\n", {QStringLiteral("#1 01.03.2026 10:00:00 1:7.01 pH")}},
        {"J7010", "LOG.0001\t01/03/26\t10:00:00\t7.01\tpH\t25.0\t\xf8" "C\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 1:7.01 pH [25.0\u00B0C]")}},
        {"J7020", "LOG.0001\t01/03/26\t10:00:00\t1413\t\xe6S/cm\t25.0\t\xf8" "C\tTref=20.0\xf8" "C\tCH2\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 2:1413 \u00B5S/cm@20.0\u00B0C [25.0\u00B0C]")}},
        {"J7010", "LOG.0001\t01/03/26\t10:00:00\t7.01\tpH\t25.0\t\xf8" "C\tCH3\r\n", {}}, // no such channel
        {"K231", k230Header + "1\t512\t\xe6S/cm^\t20.1\tSample A\t10:00:00\t01/03/26\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 1:512 \u00B5S/cm rel. 4:20.1 \u00B0C {Sample A, relative mode}")}},
        {"K231", k230Header + "2\t99999\tpH\t25.0\t\t10:00:00\t01/03/26\r\n",
         {QStringLiteral("#2 01.03.2026 10:00:00 1:99999 pH OR 4:25.0 \u00B0C")}},
        {"K232", k230Header + "3\t12.5E+03\t\xea.cm\t25.0\t\t10:00:00\t01/03/26\r\n",
         {QStringLiteral("#3 01.03.2026 10:00:00 1:12.5 kOhm.cm 4:25.0 \u00B0C")}},
        {"K231", k230Header + "4\tpH\tpH\t25.0\t\t10:00:00\t01/03/26\r\n", {}}, // value is no number
        {"N335", "log#\td\th\tp\tm\ts\tc\r\n0001\t01-03-2026\t10:00:00\t7.01\t-120.5\t1.413E-03H\t25.0\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 1:7.01 pH 2:-120.5 mV 3:1.413 mS/cm 4:25.0 \u00B0C {Alarm mS/cm: H}")}},
        {"N505", "log#\th\td\tv\tu\tc\tv\tu\tc\tr\r\n1\t10:00:00\t01/03/26\t7.01\tpH\t25.0\t7.02\tpH\t25.1\tBuffer 7\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 1:7.01 pH 2:25.0 \u00B0C 3:7.02 pH 4:25.1 \u00B0C {Buffer 7}")}},
        {"A101", "log#\tv\tu\tc\th\td\r\n1\t1.23E-03\tConc\t20.1\t10:00:00\t01/03/26\r\n",
         {QStringLiteral("#1 01.03.2026 10:00:00 1:1.23E-03 g/l 2:20.1 \u00B0C")}},
        {"A101", "log#\tv\tu\tc\th\td\r\n12\t7.02\tpH\t25.1\t23:56\t28/02/26\r\n",
         {QStringLiteral("#12 28.02.2026 23:56:00 1:7.02 pH 2:25.1 \u00B0C")}},
        {"P671", p671, p671Rows},
        // CH3 is no probe input of the H261 (its third channel is EC).
        {"H261", "log#\tDate\tTime\tChannel\tValue\tUnit\tTemp\r\nLog# 1\t01/03/26\t10:00:00\tCH3\t7.01\tpH\t25.0\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + ": " + c.text.toStdString());
        Transfer t(QString::fromLatin1(c.model));
        t.Feed(c.text).Run();
        EXPECT_EQ(DescribeAll(t.sink.rows), Lines(c.expected));
    }
}

TEST(DatalogRecords, P650AlarmFlagsBecomeRemarks)
{
    QByteArray text = "Identification No: 2417\r\nlog#\td\th\tt\tt\tt\tt\tt\tt\tt\tt\tt\tt\tt\tt\r\n7\t01/03/26\t10:00:00";
    for (int ch = 1; ch <= 12; ++ch)
        text += ch == 2 ? "\t21.9H" : ch == 5 ? "\t18.0L" : "\t21.0";
    Transfer t(QStringLiteral("P652"));
    t.state.Channel(3).Use = false;
    t.Feed(text + "\r\n").Run();
    ASSERT_EQ(t.sink.rows.size(), 1);
    const Row& r = t.sink.rows[0];
    EXPECT_EQ(r.info, QStringLiteral("Alarm CH2: H, Alarm CH5: L"));
    EXPECT_EQ(r.values.size(), 11); // channel 3 is not in use
    EXPECT_EQ(r.values[1].value, QStringLiteral("21.9"));
    EXPECT_EQ(r.values[1].unit, kDeg);
    EXPECT_EQ(t.state.IdentificationNumber, QStringLiteral("2417"));
}

TEST(DatalogRecords, RecordNumberFarAheadIsSkippedWithANote)
{
    const QByteArray k230 = "Log#\tValue\tUnit\tCelsius\tComment\tHour\tDate\r\n";
    auto k230Record = [](int n) { return QByteArray::number(n) + "\t7.01\tpH\t25.0\t\t10:00:00\t01/03/26\r\n"; };
    auto k230Row = [](int n) { return QStringLiteral("#%1 01.03.2026 10:00:00 1:7.01 pH 4:25.0 \u00B0C").arg(n); };
    const QByteArray h261 = "log#\tDate\tTime\tChannel\tValue\tUnit\tTemp\r\n";
    auto h261Line = [](int n, const char* field) {
        return "Log# " + QByteArray::number(n) + "\t01/03/26\t10:00:00\t" + field + "\t7.01\tpH\t25.0\r\n";
    };
    const struct {
        const char* name;
        const char* model;
        QByteArray text;
        QStringList rows;
        QStringList notes;
    } cases[] = {
        {"a wild number after the header", "K231", k230 + k230Record(999999999) + k230Record(1),
         {k230Row(1)}, {"Log# 999999999 skipped: more than 10000 records after Log# 0 (a damaged record number?)"}},
        {"a wild number between records", "K231", k230 + k230Record(1) + k230Record(999999999) + k230Record(2),
         {k230Row(1), k230Row(2)}, {"Log# 999999999 skipped: more than 10000 records after Log# 1 (a damaged record number?)"}},
        {"gaps up to the limit are kept", "K231", k230 + k230Record(10000) + k230Record(20001) + k230Record(20000),
         {k230Row(10000), k230Row(20000)}, {"Log# 20001 skipped: more than 10000 records after Log# 10000 (a damaged record number?)"}},
        {"records counting down are kept", "K231", k230 + k230Record(5) + k230Record(3), {k230Row(5), k230Row(3)}, {}},
        {"a wild line inside a record of several lines", "H261",
         h261 + h261Line(1, "CH1") + h261Line(999999999, "CH2") + h261Line(1, "EC"),
         {QStringLiteral("#1 01.03.2026 10:00:00 1:7.01 pH 3:7.01 pH 4:25.0 \u00B0C")},
         {"Log# 999999999 skipped: more than 10000 records after Log# 1 (a damaged record number?)"}},
        {"A100 family", "A101",
         "log#\tv\tu\tc\th\td\r\n123456\t7.02\tpH\t25.1\t23:56:00\t28/02/26\r\n", {},
         {"Log# 123456 skipped: more than 10000 records after Log# 0 (a damaged record number?)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transfer t(QString::fromLatin1(c.model));
        t.Feed(c.text).Run();
        EXPECT_EQ(DescribeAll(t.sink.rows), Lines(c.rows));
        EXPECT_EQ(Lines(t.sink.notes), Lines(c.notes));
    }
}

TEST(DatalogRecords, EveryRecordNumberFamilySkipsAWildNumber)
{
    static const QRegularExpression number(QStringLiteral("\\d+"));
    for (const char* name : kModels) {
        const QString model = QString::fromLatin1(name);
        if (model.startsWith(QLatin1String("G4")) || model.startsWith(QLatin1String("J7")))
            continue; // they count their records
        SCOPED_TRACE(name);
        QList<DumpLine> lines = LoggerDumpLines(model, 3, 4);
        for (DumpLine& l : lines) {
            if (l.record == 2) {
                QString text = QString::fromLatin1(l.bytes);
                const QRegularExpressionMatch m = number.match(text);
                ASSERT_TRUE(m.hasMatch());
                l.bytes = text.replace(m.capturedStart(), m.capturedLength(), QStringLiteral("999999")).toLatin1();
            }
        }
        Transfer t(model);
        t.Feed(Concat(lines)).Run();
        ExpectRecords(model, t.sink.rows, LoggerRecords(model, 3, 4), {2}, {});
        ASSERT_FALSE(t.sink.notes.isEmpty());
        for (const QString& note : t.sink.notes)
            EXPECT_TRUE(note.startsWith(QStringLiteral("Log# 999999 skipped"))) << note.toStdString();
    }
}

TEST(DatalogK230, HeaderStartsThePrint)
{
    const QByteArray header = "Log#\tValue\tUnit\tCelsius\tComment\tHour\tDate\r\n";
    const QByteArray rec1 = "1\t7.01\tpH\t25.0\t\t10:00:00\t01/03/26\r\n";
    const QByteArray rec2 = "2\t7.02\tpH\t25.1\t\t10:01:00\t01/03/26\r\n";
    const QString row1 = QStringLiteral("#1 01.03.2026 10:00:00 1:7.01 pH 4:25.0 \u00B0C");
    const QString row2 = QStringLiteral("#2 01.03.2026 10:01:00 1:7.02 pH 4:25.1 \u00B0C");
    const struct { const char* name; QByteArray text; QStringList expected; int logCount; } cases[] = {
        {"no header: nothing", rec1 + rec2, {}, -1},
        {"header alone", header, {}, 0},
        {"records before the header ignored", rec1 + header + rec2, {row2}, 2},
        {"headings in any case", "LOG#\tvalue\tUNIT\tcelsius\tcomment\thour\tdate\r\n" + rec1, {row1}, 1},
        {"headings out of order", "Log#\tUnit\tValue\tCelsius\tComment\tHour\tDate\r\n" + rec1, {}, -1},
        {"heading missing", "Log#\tValue\tUnit\tCelsius\tComment\tHour\r\n" + rec1, {}, -1},
        {"a second print starts again", header + rec2 + header + rec1, {row2, row1}, 1},
        {"identification line", "Identification No: 4711\r\n" + header + rec1, {row1}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Transfer t(QStringLiteral("K231"));
        t.Feed(c.text, 5).Run();
        EXPECT_EQ(DescribeAll(t.sink.rows), Lines(c.expected));
        EXPECT_EQ(t.state.LogCount, c.logCount);
    }
}

TEST(DatalogG40xx, EveryRecordCountsOneWhateverItsNumber)
{
    Transfer t(QStringLiteral("G4020"));
    t.state.LogCount = 5;
    t.Feed("G4020 MEMORY\r\nLOG.0100\t01/03/26\t10:00:00\t1413\t\xe6S/cm\t25.0\t\xf8" "C\r\n"
           "LOG.0007\t01/03/26\t10:01:00\t1412\t\xe6S/cm\t25.0\t\xf8" "C\r\n"
           "LOG.\t01/03/26\t10:02:00\t1411\t\xe6S/cm\t25.0\t\xf8" "C\r\n"
           "LOG.0007\t01/03/26\t10:03:00\t1410\t\xe6S/cm\t25.0\t\xf8" "C\r\n").Run();
    QList<int> counts;
    for (const Row& r : t.sink.rows)
        counts << r.logCount;
    EXPECT_EQ(counts, (QList<int>{6, 7, 8})); // the record without a number is damaged
    EXPECT_EQ(t.reader.Written(), QByteArray(">L\r\n"));
    EXPECT_EQ(t.reader.Echoed(), QStringLiteral(">L\r\n"));
    EXPECT_GE(t.reader.Waited(), 500 + 3 * 3000);
    ASSERT_EQ(t.sink.warnings.size(), 1);
    EXPECT_TRUE(t.sink.warnings[0].startsWith(QStringLiteral("G4020 - COM1: The table window")));
    EXPECT_TRUE(t.sink.warnings[0].endsWith(QStringLiteral("Ortherwise you risk to loose data.\r\n")));
    EXPECT_EQ(t.sink.statuses, QStringList{QStringLiteral(
                                   "Receive ON: Please wait to stop the receive function until the Log# on the status bar stops counting.")});
}

TEST(DatalogJ70xx, AsksTheLoggerFirstAndListensEvenWithoutAnAnswer)
{
    const QByteArray dump = LoggerDump(QStringLiteral("J7010"), 4, 1);
    {
        Transfer t(QStringLiteral("J7010"));
        t.Feed(dump).Run();
        EXPECT_EQ(t.reader.Written(), DumpRequestCommand(QStringLiteral("J7010")).toLatin1());
        EXPECT_EQ(t.sink.warnings.size(), 1);
        EXPECT_EQ(t.sink.rows.size(), 4);
    }
    {
        Transfer t(QStringLiteral("J7010"), false);
        t.Feed(dump, 0, 5.0).Run(); // the user starts the print on the meter later
        ASSERT_EQ(t.sink.warnings.size(), 2);
        EXPECT_TRUE(t.sink.warnings[0].contains(QStringLiteral("An error occurred while communicating")));
        EXPECT_EQ(t.sink.rows.size(), 4);
    }
}

TEST(DatalogStop, ReceiveOffOrPortClosedEndsTheTransfer)
{
    const QString model = QStringLiteral("A101");
    const QByteArray dump = LoggerDump(model, 10, 4);
    {
        Transfer t(model);
        t.state.ReceiveMode = false;
        t.Feed(dump).Run();
        EXPECT_TRUE(t.sink.rows.isEmpty());
        EXPECT_FALSE(t.reader.AtEnd());
    }
    {
        Transfer t(model);
        t.sink.stopAfter = 3;
        t.Feed(dump, 0).Feed("5\t7.00\tpH\t25.0\t10:00:00\t01/03/26\r\n").Run();
        EXPECT_EQ(t.sink.rows.size(), 3);
        EXPECT_FALSE(t.reader.AtEnd()); // returned without waiting for more
    }
    {
        Transfer t(model);
        t.reader.Close();
        t.Feed(dump).Run();
        EXPECT_TRUE(t.sink.rows.isEmpty());
    }
    {
        Transfer t(model);
        t.state.DeviceName = QStringLiteral("X999");
        EXPECT_FALSE(RunTransfer(t.ctx));
    }
}

TEST(DatalogDump, RepeatableForASeed)
{
    for (const char* name : kModels) {
        SCOPED_TRACE(name);
        const QString model = QString::fromLatin1(name);
        EXPECT_EQ(LoggerDump(model, 30, 7), LoggerDump(model, 30, 7));
        EXPECT_NE(LoggerDump(model, 30, 7), LoggerDump(model, 30, 8));
        for (const DumpLine& l : LoggerDumpLines(model, 30, 7)) {
            EXPECT_TRUE(l.bytes.endsWith("\r\n"));
            EXPECT_EQ(l.bytes.count('\n'), 1);
        }
    }
    EXPECT_EQ(DumpRequestCommand(QStringLiteral("A101")), QString());
    EXPECT_EQ(DumpRequestCommand(QStringLiteral("G4010")), QStringLiteral(">L\r\n"));
    EXPECT_EQ(DumpQueryReply(QStringLiteral("J7060"), 12), QByteArray("<F0012\r\n"));
}
