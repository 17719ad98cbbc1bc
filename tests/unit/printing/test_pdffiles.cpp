// The names of printed PDF files: the suffix a typed name lacks, and the
// numbered files an XY recorder prints into without asking.

#include "core/printing/pdffiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(PdfFiles, ATypedNameGetsThePdfSuffix)
{
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {
        {"/data/report", "/data/report.pdf"},
        {"/data/report.pdf", "/data/report.pdf"},
        {"/data/REPORT.PDF", "/data/REPORT.PDF"},
        {"/data/run 7.5", "/data/run 7.5.pdf"}, // a dot in the name is not a suffix
        {"/data/report.pdf.txt", "/data/report.pdf.txt.pdf"},
        {"", ""}, // cancelled stays cancelled
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithPdfSuffix(QString::fromUtf8(c.typed)), QString::fromUtf8(c.saved)) << c.typed;
}

TEST(PdfFiles, ARecorderPrintGoesToTheNextNumberAfterTheHighest)
{
    const struct {
        const char* name;
        QStringList existing;
        const char* next;
    } cases[] = {
        {"XY-recorder", {}, "XY-recorder 001.pdf"},
        {"XY-recorder", {"XY-recorder 001.pdf", "XY-recorder 002.pdf"}, "XY-recorder 003.pdf"},
        // After the highest, also when earlier ones were deleted.
        {"XY-recorder", {"XY-recorder 007.pdf"}, "XY-recorder 008.pdf"},
        // Other names and numbers that are no numbers do not count.
        {"XY-recorder",
         {"XY-recorder.pdf", "XY-recorder 01x.pdf", "Tank 009.pdf", "XY-recorder 004.txt", "XY-recorder 2 005.pdf"},
         "XY-recorder 001.pdf"},
        {"XY-recorder", {"XY-recorder 999.pdf"}, "XY-recorder 1000.pdf"},
        // Characters a file name cannot hold are replaced.
        {"Tank A/B: pH?", {}, "Tank A_B_ pH_ 001.pdf"},
        {"  ", {}, "recorder 001.pdf"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        for (const QString& name : c.existing) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        EXPECT_EQ(NextNumberedPdf(dir.path(), QString::fromUtf8(c.name)), dir.filePath(QString::fromUtf8(c.next)))
            << c.name << " after " << c.existing.join(", ").toStdString();
    }
}

} // namespace
