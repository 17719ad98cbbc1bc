// Tells a damaged configuration from a sound one, and the texts that say so.
#include "core/config/configfile.h"
#include "core/config/configshared.h"
#include "core/help/languagetable.h"

using namespace configfile_detail;

namespace {

// The sections the writer always writes, in its order.
const char* const kWrittenSections[] = {"[COMMUNICATION]", "[DEVICE]", "[LOG]",    "[MAIN]",   "[TABLE]", "[TERMINAL]",
                                        "[PRINTER]",       "[SYSTEM]", "[ARRANGE]", "[COLORS]", "[NOTE]"};
// Key lines without a value named one by one; beyond these they are counted.
constexpr int kNamedLines = 5;

const QString& InfoHeader()
{
    static const QString info = QStringLiteral("[INFO]");
    return info;
}

// Control characters no configuration holds: what is left of a file the disk
// lost (zeros) or of one that never was text. Latin-1 letters are text.
bool HasControlBytes(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\r') || u == 0x7f)
            return true;
    }
    return false;
}

void AddOnce(QStringList& list, const QString& item)
{
    if (!list.contains(item))
        list << item;
}

} // namespace

namespace configfile_detail {

void DamageCheck::Line(int number, const QString& text, bool ended)
{
    lastLine_ = number;
    lastEnded_ = ended;
    if (HasControlBytes(text)) {
        if (binaryLines_++ == 0)
            firstBinary_ = number;
        if (IsSectionHeader(header_))
            AddOnce(reset_, QStringLiteral("part of ") + header_);
        return;
    }
    if (inNote_) {
        if (text == kEndNote) { // as the reader ends a note: the exact line
            inNote_ = false;
            noteEnded_ = true;
            header_.clear();
        }
        return;
    }
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    const bool first = !started_;
    started_ = true;
    const QString upper = text.toUpper();
    if (IsSectionHeader(upper) || upper == InfoHeader()) {
        anySection_ = true;
        writerFile_ = writerFile_ || (first && upper == InfoHeader());
        header_ = upper;
        seen_ << upper;
        inNote_ = upper == QLatin1String("[NOTE]");
        return;
    }
    if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
        header_ = trimmed; // an unknown section: skipped, not checked
        return;
    }
    // Every line of a known section is "Key = value" or a "(SUB-SECTION)".
    if (IsSectionHeader(header_) && !trimmed.startsWith(QLatin1Char('(')) && !trimmed.contains(QLatin1Char('=')))
        NoValue(number, trimmed);
}

void DamageCheck::NoValue(int number, const QString& text)
{
    if (noValueLines_++ >= kNamedLines)
        return;
    const QString key = text.left(40);
    details_ << QStringLiteral("line %1 in %2 has no value: '%3'").arg(number).arg(header_, key);
    AddOnce(reset_, header_ + QLatin1Char(' ') + key);
}

void DamageCheck::Finish(ConfigReport& report, qint64 size) const
{
    QStringList damage;
    QStringList reset = reset_;
    if (size == 0)
        damage << QStringLiteral("the file is empty");
    else if (!anySection_)
        damage << QStringLiteral("no recognisable section");
    if (binaryLines_ == 1)
        damage << QStringLiteral("bytes that are no text on line %1").arg(firstBinary_);
    else if (binaryLines_ > 1)
        damage << QStringLiteral("bytes that are no text on %1 lines from line %2").arg(binaryLines_).arg(firstBinary_);
    damage += details_;
    if (noValueLines_ > kNamedLines)
        damage << QStringLiteral("%1 more lines without a value").arg(noValueLines_ - kNamedLines);
    // The writer's whole file ends with the note's closing line; an open note
    // is cut off in any file.
    if (inNote_ || (writerFile_ && !noteEnded_)) {
        damage << QStringLiteral("cut off %1 line %2, in %3")
                      .arg(lastEnded_ ? QStringLiteral("after") : QStringLiteral("in the middle of"))
                      .arg(lastLine_)
                      .arg(header_);
        if (IsSectionHeader(header_))
            AddOnce(reset, QStringLiteral("part of ") + header_);
        for (const char* name : kWrittenSections)
            if (writerFile_ && !seen_.contains(QLatin1String(name)))
                reset << QLatin1String(name);
    }
    if (!damage.isEmpty() && (size == 0 || !anySection_))
        reset = QStringList{QStringLiteral("all settings")};
    report.Condition = damage.isEmpty() ? ConfigCondition::Sound : ConfigCondition::Damaged;
    report.Damage = damage;
    report.Reset = reset;
}

} // namespace configfile_detail

namespace {
enum Text { kDamaged = 358, kUnreadable = 359, kNotRead = 360, kKept = 361, kLeftAsItIs = 362 };
}

// The sentences come from the language table; what was found (line numbers,
// sections) stays in the words the reader gave it.
QString ConfigDamageText(const QString& path, const ConfigReport& report, const LanguageTable& lang)
{
    QString text;
    if (report.Condition == ConfigCondition::Damaged)
        text = lang[kDamaged].arg(path, report.Damage.join(QStringLiteral("; ")));
    else if (report.Condition == ConfigCondition::Unreadable)
        text = lang[kUnreadable].arg(path, report.Error);
    else
        return {};
    if (!report.Reset.isEmpty())
        text += QLatin1Char('\n') + lang[kNotRead].arg(report.Reset.join(QStringLiteral(", ")));
    return text;
}

QString ConfigKeptNotice(const LanguageTable& lang) { return lang[kKept]; }

QString ConfigLeftAsItIsText(const QString& path, const LanguageTable& lang) { return lang[kLeftAsItIs].arg(path); }
