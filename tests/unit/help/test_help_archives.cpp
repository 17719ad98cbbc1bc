// The help archives as the build packs them: every language holds the same
// topics and pictures, every entry stays inside its language folder, every
// topic is well-formed and needs nothing from outside its archive, and each
// link or picture points at an entry (and anchor) that exists.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

#include <zip.h>

#include <map>
#include <memory>
#include <set>

namespace {

const char* const kLanguages[] = {"EN", "FR", "NL"};
const char* const kTopics[] = {"get_started.htm", "main_window.htm",    "data_windows.htm",
                               "settings.htm",    "graph_settings.htm", "print_window.htm"};
constexpr qint64 kMaxPictureBytes = 150 * 1024;

using Entries = std::map<QString, QByteArray>; // entry name -> contents ("" for folders)

QString ArchivePath(const QString& language)
{
#ifdef VAM_HELP_ARCHIVE_DIR
    return QStringLiteral(VAM_HELP_ARCHIVE_DIR "/help") + language + QStringLiteral(".zip");
#else
    return QString();
#endif
}

// Every entry of the archive with its contents; `error` says why there are none.
Entries ReadArchive(const QString& path, QString& error)
{
    Entries entries;
    int code = 0;
    std::unique_ptr<zip_t, decltype(&zip_discard)> z(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code),
                                                       &zip_discard);
    if (!z) {
        error = QStringLiteral("cannot open %1 (libzip error %2)").arg(path).arg(code);
        return entries;
    }
    const zip_int64_t count = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(z.get(), zip_uint64_t(i), 0, &st) != 0) {
            error = QStringLiteral("entry %1 unreadable").arg(i);
            return {};
        }
        QByteArray data(qsizetype(st.size), '\0');
        if (st.size > 0) {
            zip_file_t* f = zip_fopen_index(z.get(), zip_uint64_t(i), 0);
            const zip_int64_t got = f ? zip_fread(f, data.data(), st.size) : -1;
            if (f)
                zip_fclose(f);
            if (got != zip_int64_t(st.size)) {
                error = QStringLiteral("entry %1 cannot be read").arg(QString::fromUtf8(st.name));
                return {};
            }
        }
        entries[QString::fromUtf8(st.name)] = data;
    }
    return entries;
}

// Why an entry name may not be unpacked for language folder `root`; "" when fine.
QString EntryProblem(const QString& name, const QString& root)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || (name.size() >= 2 && name.at(1) == QLatin1Char(':')))
        return QStringLiteral("not a relative path");
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return QStringLiteral("a '.' or '..' part");
    }
    if (parts.first() != root)
        return QStringLiteral("outside ") + root;
    return QString();
}

// What a topic refers to, and the anchors it offers.
struct TopicScan {
    QStringList references; // href and src values
    std::set<QString> ids;
    QString error;          // not well-formed, or a script
};

TopicScan ScanTopic(const QByteArray& html)
{
    TopicScan scan;
    QXmlStreamReader xml(html);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("script"))
            scan.error = QStringLiteral("a script at line %1").arg(xml.lineNumber());
        for (const QXmlStreamAttribute& a : xml.attributes()) {
            if (a.name() == QLatin1String("href") || a.name() == QLatin1String("src"))
                scan.references << a.value().toString();
            else if (a.name() == QLatin1String("id"))
                scan.ids.insert(a.value().toString());
        }
    }
    if (xml.hasError())
        scan.error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    return scan;
}

// The entry a reference from `topic` points at, or why it cannot be followed.
// `fragment` receives the anchor after '#'.
QString ResolveReference(const QString& topic, const QString& reference, QString& fragment, QString& problem)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    if (reference.isEmpty() || reference.startsWith(QLatin1Char('/')) || reference.startsWith(QLatin1String("//"))
        || scheme.match(reference).hasMatch()) {
        problem = QStringLiteral("not a relative reference");
        return QString();
    }
    const qsizetype hash = reference.indexOf(QLatin1Char('#'));
    fragment = hash >= 0 ? reference.mid(hash + 1) : QString();
    const QString path = hash >= 0 ? reference.left(hash) : reference;
    if (path.isEmpty())
        return topic;
    const QString folder = topic.left(topic.lastIndexOf(QLatin1Char('/')));
    const QString target = QDir::cleanPath(folder + QLatin1Char('/') + path);
    if (target.section(QLatin1Char('/'), 0, 0) != topic.section(QLatin1Char('/'), 0, 0))
        problem = QStringLiteral("leaves the language folder");
    return target;
}

} // namespace

TEST(HelpArchives, EntryNamesOutsideTheLanguageFolderAreFound)
{
    const struct {
        const char* name;
        bool fine;
    } cases[] = {
        {"helpEN/get_started.htm", true},
        {"helpEN/images/main_window.png", true},
        {"helpEN/", true},
        {"helpFR/get_started.htm", false},
        {"get_started.htm", false},
        {"/helpEN/get_started.htm", false},
        {"C:/helpEN/get_started.htm", false},
        {"helpEN\\get_started.htm", false},
        {"helpEN/../helpEN/get_started.htm", false},
        {"helpEN/./get_started.htm", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EntryProblem(QString::fromUtf8(c.name), QStringLiteral("helpEN")).isEmpty(), c.fine) << c.name;
}

TEST(HelpArchives, EveryLanguageHoldsTheTopicsAndEveryReferenceIsFound)
{
    const QString english = ArchivePath(QStringLiteral("EN"));
    ASSERT_FALSE(english.isEmpty()) << "built without the help archives' folder (help/CMakeLists.txt sets it)";
    std::set<std::string> englishFiles;
    std::map<std::string, std::set<QString>> englishAnchors; // topic -> its ids
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        const QString root = QStringLiteral("help") + QLatin1String(language);
        QString error;
        const Entries entries = ReadArchive(ArchivePath(QLatin1String(language)), error);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();

        std::set<std::string> files; // file entries without the language folder
        for (const auto& [name, data] : entries) {
            const QString problem = EntryProblem(name, root);
            EXPECT_TRUE(problem.isEmpty()) << name.toStdString() << ": " << problem.toStdString();
            if (!name.endsWith(QLatin1Char('/')))
                files.insert(name.section(QLatin1Char('/'), 1).toStdString());
        }
        for (const char* topic : kTopics)
            EXPECT_EQ(entries.count(root + QLatin1Char('/') + QLatin1String(topic)), 1u) << "missing " << topic;

        // The scans first: a link may point at an anchor of a later topic.
        std::map<QString, TopicScan> scans;
        for (const auto& [name, data] : entries) {
            if (name.endsWith(QLatin1String(".htm"))) {
                scans[name] = ScanTopic(data);
                EXPECT_TRUE(scans[name].error.isEmpty()) << name.toStdString() << ": "
                                                         << scans[name].error.toStdString();
            } else if (name.endsWith(QLatin1String(".css"))) {
                EXPECT_FALSE(data.contains("url(") || data.contains("@import")) << name.toStdString();
            } else if (name.endsWith(QLatin1String(".png"))) {
                EXPECT_LE(data.size(), kMaxPictureBytes) << name.toStdString();
            }
        }
        for (const auto& [topic, scan] : scans) {
            for (const QString& reference : scan.references) {
                QString fragment, problem;
                const QString target = ResolveReference(topic, reference, fragment, problem);
                const std::string where = topic.toStdString() + " -> " + reference.toStdString();
                EXPECT_TRUE(problem.isEmpty()) << where << ": " << problem.toStdString();
                if (!problem.isEmpty())
                    continue;
                EXPECT_EQ(entries.count(target), 1u) << where << ": no such entry";
                if (!fragment.isEmpty() && scans.count(target)) {
                    EXPECT_EQ(scans.at(target).ids.count(fragment), 1u) << where << ": no such anchor";
                }
            }
        }

        // French and Dutch are translations of the same pages, sections and pictures.
        std::map<std::string, std::set<QString>> anchors;
        for (const auto& [topic, scan] : scans)
            anchors[topic.section(QLatin1Char('/'), 1).toStdString()] = scan.ids;
        if (englishFiles.empty()) {
            englishFiles = files;
            englishAnchors = anchors;
        } else {
            EXPECT_EQ(files, englishFiles);
            for (const auto& [topic, ids] : englishAnchors)
                EXPECT_TRUE(anchors[topic] == ids) << topic << ": other sections than in English";
        }
    }
}
