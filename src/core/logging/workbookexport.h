#pragma once
// The logged readings as an Excel workbook, written with libxlsxwriter in
// its constant-memory mode (a row at a time through a temporary file, so a
// million records take no more memory than a few rows). Sheet "Readings":
// the wide layout of numericexport.h, values as numbers, times as date-times
// (local time, as logged), the heading row bold and frozen. Sheet "Run":
// what the data file and the configuration say about the run. A sheet holds
// at most 1,048,575 readings; more go on to "Readings 2" and so on.

#include "core/logging/numericexport.h"

struct RunInfo {
    QString model;
    QString identification; // the meter's identification number, when one was seen
    QString dataFile;
    QString configFile;     // "" when none was read
};

// Writes `path` (replacing it); not ok, with the reason in `error`, when the
// workbook could not be written. A cancelled or failed export leaves what
// was there before.
ExportResult WriteWorkbook(const ExportScope& scope, const RunInfo& run, const QString& path,
                           const ExportNotice& notice = {}, const ExportProgress& progress = {});
