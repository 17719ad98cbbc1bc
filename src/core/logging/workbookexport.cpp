#include "core/logging/workbookexport.h"

#include "core/logging/logtable.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <xlsxwriter.h>

namespace {
constexpr lxw_row_t kRowsPerSheet = 1048576; // Excel's limit, the heading row included
constexpr int kProgressEvery = 4096;
// Excel counts days from 1899-12-30 as the logged times do, but reads
// serials before 1900-03-01 differently: such a time is left out.
constexpr double kFirstExcelDay = 61;

class Workbook {
public:
    Workbook(const ExportScope& scope, const RunInfo& run, const QString& path, const ExportNotice& notice,
             const ExportProgress& progress)
        : plan_(scope), run_(run), path_(path), notice_(notice), progress_(progress)
    {
    }

    ExportResult Write()
    {
        // Written beside the target and put in its place at the end: a
        // cancelled or failed export leaves what was there before.
        part_ = QFile::encodeName(path_ + QStringLiteral(".part"));
        // The workbook reaches its file only when it is closed: a folder that
        // cannot take it is told before the rows are written.
        QFile probe(QFile::decodeName(part_));
        if (!probe.open(QIODevice::WriteOnly))
            return Failed(probe.errorString());
        probe.close();
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.use_zip64 = LXW_TRUE;
        book_ = workbook_new_opt(part_.constData(), &options);
        if (!book_)
            return Failed(QStringLiteral("cannot start the workbook"));
        bold_ = workbook_add_format(book_);
        format_set_bold(bold_);
        time_ = workbook_add_format(book_);
        format_set_num_format(time_, "yyyy-mm-dd hh:mm:ss");

        ExportRows rows(plan_, false, notice_);
        const qint64 total = qint64(plan_.Rows().size());
        qint64 done = 0;
        lxw_worksheet* sheet = nullptr;
        lxw_row_t row = kRowsPerSheet;
        for (int r : plan_.Rows()) {
            if (row >= kRowsPerSheet) {
                sheet = ReadingsSheet();
                row = 1;
            }
            rows.Read(r);
            WriteRow(sheet, row++, r, rows);
            if (++done % kProgressEvery == 0 && progress_ && !progress_(done, total)) {
                result_.cancelled = true;
                break;
            }
        }
        if (!sheet)
            ReadingsSheet(); // the heading of an empty export
        rows.Finish();
        result_.rows = done;
        result_.stopRecords = plan_.StopRecords();
        result_.problems = rows.Problems();
        RunSheet(done);
        const lxw_error closed = workbook_close(book_);
        book_ = nullptr;
        if (result_.cancelled) {
            QFile::remove(QFile::decodeName(part_));
            return result_;
        }
        if (closed != LXW_NO_ERROR)
            return Failed(QString::fromUtf8(lxw_strerror(closed)));
        // One rename, which replaces an older file of that name.
        if (std::rename(part_.constData(), QFile::encodeName(path_).constData()) != 0)
            return Failed(QStringLiteral("cannot replace it with '%1'").arg(QFile::decodeName(part_)));
        if (progress_)
            progress_(done, total);
        return result_;
    }

    ~Workbook()
    {
        if (book_) {
            workbook_close(book_);
            QFile::remove(QFile::decodeName(part_));
        }
    }

private:
    const LogTable& Table() const { return plan_.Table(); }

    static void String(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t col, const QString& text, lxw_format* format = nullptr)
    {
        if (!text.isEmpty())
            worksheet_write_string(sheet, row, col, text.toUtf8().constData(), format);
    }

    // A new readings sheet with its heading row and column widths.
    lxw_worksheet* ReadingsSheet()
    {
        ++sheets_;
        const QByteArray name = sheets_ == 1 ? QByteArray("Readings") : "Readings " + QByteArray::number(sheets_);
        lxw_worksheet* sheet = workbook_add_worksheet(book_, name.constData());
        lxw_col_t col = 0;
        auto heading = [&](const QString& text, double minimum) {
            worksheet_set_column(sheet, col, col, std::max(minimum, text.size() * 1.1 + 2), nullptr);
            String(sheet, 0, col++, text, bold_);
        };
        heading(QStringLiteral("No"), 8);
        heading(QStringLiteral("Time"), 20);
        for (int c = 1; c <= int(plan_.Channels().size()); ++c) {
            const ExportPlan::Channel& ch = plan_.Channels()[size_t(c - 1)];
            heading(plan_.ValueHeading(c), 12);
            heading(ch.name + QStringLiteral(" flag"), 11);
            if (Table().Extras())
                heading(ch.name + QStringLiteral(" temperature")
                            + (ch.temperatureUnit.isEmpty() ? QString() : QStringLiteral(" (") + ch.temperatureUnit + QLatin1Char(')')),
                        12);
        }
        heading(QStringLiteral("Info"), 30);
        worksheet_freeze_panes(sheet, 1, 0);
        return sheet;
    }

    void WriteRow(lxw_worksheet* sheet, lxw_row_t row, int tableRow, const ExportRows& rows)
    {
        lxw_col_t col = 0;
        worksheet_write_number(sheet, row, col++, Table().Number(tableRow), nullptr);
        if (Table().HasTime(tableRow) && Table().Time(tableRow) >= kFirstExcelDay)
            worksheet_write_number(sheet, row, col, Table().Time(tableRow), time_);
        ++col;
        for (int c = 1; c <= int(plan_.Channels().size()); ++c) {
            const ExportRows::Cell& cell = rows.At(c);
            if (cell.flag == ReadingFlag::None)
                worksheet_write_number(sheet, row, col, cell.value, nullptr);
            ++col;
            if (cell.flag != ReadingFlag::None)
                worksheet_write_string(sheet, row, col, FlagName(cell.flag), nullptr);
            ++col;
            if (Table().Extras()) {
                if (cell.hasTemperature)
                    worksheet_write_number(sheet, row, col, cell.temperature, nullptr);
                ++col;
            }
        }
        String(sheet, row, col, Table().Info(tableRow));
    }

    void RunSheet(qint64 readings)
    {
        lxw_worksheet* sheet = workbook_add_worksheet(book_, "Run");
        worksheet_set_column(sheet, 0, 0, 22, nullptr);
        worksheet_set_column(sheet, 1, 1, 40, nullptr);
        worksheet_set_column(sheet, 2, 3, 14, nullptr);
        lxw_row_t row = 0;
        auto text = [&](const char* label, const QString& value) {
            worksheet_write_string(sheet, row, 0, label, bold_);
            String(sheet, row++, 1, value);
        };
        auto number = [&](const char* label, double value, lxw_format* format = nullptr) {
            worksheet_write_string(sheet, row, 0, label, bold_);
            worksheet_write_number(sheet, row++, 1, value, format);
        };
        text("Meter model", run_.model.isEmpty() ? Table().DeviceName() : run_.model);
        text("Identification", run_.identification);
        text("Data file", run_.dataFile.isEmpty() ? QString() : QFileInfo(run_.dataFile).absoluteFilePath());
        text("Configuration", run_.configFile.isEmpty() ? QString() : QFileInfo(run_.configFile).absoluteFilePath());
        double first = 0, last = 0;
        if (plan_.Times(first, last) && first >= kFirstExcelDay) {
            number("First reading", first, time_);
            number("Last reading", last, time_);
        } else {
            text("First reading", QString());
            text("Last reading", QString());
        }
        text("Time zone", QString::fromUtf8(plan_.Zone().id()) + QStringLiteral(" (times as logged, local)"));
        number("Readings", double(readings));
        number("Stop records left out", plan_.StopRecords());
        number("Values left empty", double(result_.problems));
        ++row;
        worksheet_write_string(sheet, row, 0, "Channel", bold_);
        worksheet_write_string(sheet, row, 1, "Name", bold_);
        worksheet_write_string(sheet, row, 2, "Unit", bold_);
        worksheet_write_string(sheet, row++, 3, "State", bold_);
        for (int c = 1; c <= int(plan_.Channels().size()); ++c) {
            const ExportPlan::Channel& ch = plan_.Channels()[size_t(c - 1)];
            worksheet_write_number(sheet, row, 0, c, nullptr);
            String(sheet, row, 1, ch.name);
            String(sheet, row, 2, ch.unit);
            worksheet_write_string(sheet, row++, 3, ch.off ? "off" : "in use", nullptr);
        }
    }

    ExportResult Failed(const QString& why)
    {
        result_.ok = false;
        result_.error = why;
        QFile::remove(QFile::decodeName(part_));
        return result_;
    }

    ExportPlan plan_;
    RunInfo run_;
    QString path_;
    QByteArray part_;
    ExportNotice notice_;
    ExportProgress progress_;
    ExportResult result_;
    lxw_workbook* book_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* time_ = nullptr;
    int sheets_ = 0;
};
} // namespace

ExportResult WriteWorkbook(const ExportScope& scope, const RunInfo& run, const QString& path, const ExportNotice& notice,
                           const ExportProgress& progress)
{
    Workbook book(scope, run, path, notice, progress);
    return book.Write();
}
