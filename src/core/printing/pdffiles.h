#pragma once
// The names of printed PDF files.

#include <QString>

// `path` with ".pdf" added unless it ends so (in any case); "" stays "".
QString WithPdfSuffix(const QString& path);
// The next file of the numbered series "`name` 001.pdf", "`name` 002.pdf", ...
// in `folder`: one past the highest there. Characters a file name cannot hold
// become "_"; an empty name is "recorder".
QString NextNumberedPdf(const QString& folder, const QString& name);
