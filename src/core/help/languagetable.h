#pragma once
// The process-wide table of interface texts, filled for one of three
// languages at a time from data files compiled in as resources. Entries 0..349
// are the classic table (349 names the language); the program's later
// messages follow from 350.

#include <QString>
#include <array>

class LanguageTable {
public:
    static constexpr int kSize = 400;
    static constexpr int kLanguageNameIndex = 349;
    enum Language : qint16 { English = 0, French = 1, Dutch = 2 };

    LanguageTable();

    // Clears every entry and fills the table for `index`; any index other than
    // French or Dutch selects English and writes 0 back into `index`.
    void SetLanguage(qint16& index);
    // Tries English, French, Dutch in turn (loading each) and returns the first
    // whose own name equals `name` exactly; 0 without a match, with the last
    // tried table still loaded. Callers follow it with SetLanguage.
    qint16 LanguageIndexFromName(const QString& name);

    // Entry n ("" outside 0..kSize-1).
    const QString& Text(int n) const;
    const QString& operator[](int n) const { return Text(n); }

    qint16 CurrentLanguage() const { return current_; }
    // The command prefix of the language's help topics, kept for display.
    const QString& HelpCommand() const { return helpCommand_; }
    // The help sub-folder of the current language ("HelpEN", "HelpFR", "HelpNL").
    QString HelpFolderName() const;

private:
    std::array<QString, kSize> entries_;
    QString helpCommand_;
    qint16 current_ = English;
};

// The entries of one language's data file ("index<TAB>text" per line, "\r\n",
// "\t" and "\\" escaped). Exposed for tests.
std::array<QString, LanguageTable::kSize> ParseLanguageFile(const QByteArray& utf8, int* setCount = nullptr);
