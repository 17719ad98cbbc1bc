#pragma once
// The damage loading found in a data file, and the words the window and
// vam-cli both use for it.

#include <QString>

struct LoadResult;
class LanguageTable;

// What loading found damaged. Skipped lines are neither blank, header nor
// record: garbage, or a record cut off (a quote left open or, at the end of
// the file, items missing). Records whose value holds digits but is no number
// ("x6.54") are kept: the table shows the text, graphs leave a gap and the
// CSV export an empty cell.
struct LoadDamage {
    int skippedLines = 0;
    int badValueLines = 0;
    int firstLine = 0; // 1-based line of the file of the first of them; 0: none
    int Lines() const { return skippedLines + badValueLines; }
};

// The words the window and vam-cli use for a loaded file's damage ("" for a
// sound file): "3 damaged line(s) skipped in FILE, the first at line 17."
// A file without a readable record says so in a second sentence.
QString DamageText(const LoadResult& result, const QString& path, const LanguageTable& lang);
// The question before such a file becomes the file logging appends to.
QString AdoptUnreadableQuestion(const LoadResult& result, const QString& path, const LanguageTable& lang);
