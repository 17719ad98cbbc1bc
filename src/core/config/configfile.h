#pragma once
// The configuration file (".CFG"): main sections in square brackets,
// "Key = value" lines, and window sub-sections in parentheses, as 8-bit
// Latin-1 text with CR LF line ends. The writer always writes the complete
// file in one fixed order and replaces the old file only once the new one is
// safely on disk. The reader is tolerant: keys in any case, unknown keys and
// sections skipped, every number validated, and each value it had to replace
// is noted in a report.
//
// Start-up and the File menu call ReadConfig and SaveConfiguration; the
// windows exchange their geometry, fonts and graph definitions through a
// ConfigLayout (core/configlayout.h).

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

struct AppState;
struct ConfigLayout;
class LanguageTable;

// ---------------------------------------------------------------- values

// False for "false", "faux", "vals", "onwaar", "falsch", "unwahr", "falso"
// and "0" (trimmed, any case); true for anything else, the empty text
// included. Data files use the same words for their flags.
bool ParseBool(QByteArrayView text);
bool ParseBool(QStringView text);
// The leading whole number, blanks ignored; any "-" in the text makes it
// negative. No number gives 0. `clean` tells whether the text was nothing but
// that number.
qint64 ParseInteger(QStringView text, bool* clean = nullptr);
// As ParseInteger, with "," or "." as the decimal separator and an optional
// exponent after any letter IsExponentMarker takes ("1E-05" and "1d-05" are
// one hundred-thousandth). Infinite when too large.
double ParseReal(QStringView text, bool* clean = nullptr);
// `value` when min <= value <= max, otherwise min.
qint64 ClampToRange(qint64 value, qint64 min, qint64 max);

// The part of a line before the first "=", trimmed and lower-cased; the value
// after it, trimmed. Without "=" both are the whole trimmed line.
QString KeyOf(QStringView line);
QString ValueOf(QStringView line);
// One of the fourteen main-section headers, or "[MQTT]", exactly as the
// writer writes them ("[INFO]" is not among them: its lines are skipped as
// unknown lines).
bool IsSectionHeader(QStringView line);

// The port a configuration names: `startPort` (from the command line) when
// given, a device path ("/dev/ttyUSB0") as it stands, otherwise "COM" + the
// number from the fourth character on, "COM1" when that is not 1..255.
// `valid` is false when the text had to be replaced or repaired.
QString NormalizePort(const QString& text, const QString& startPort, bool* valid = nullptr);
// The baud rate as decimal text: 19200 for the USB models, "2400" when the
// number is not 300..115200.
QString NormalizeBaud(const QString& text, const QString& deviceName, bool* valid = nullptr);

// A real as the file stores it: plain decimal notation (never an exponent,
// which an old reader would misread), with `decimalPoint` ("," or "."), and
// the fewest digits that read back to the same float (`single`) or double.
QString FormatReal(double value, bool single, QChar decimalPoint = QLatin1Char('.'));

// ---------------------------------------------------------------- writing

// The [INFO] lines and the decimal separator of the reals.
struct ConfigInfo {
    QString Date;    // long date of the user's locale
    QString Time;    // long time
    QString System;  // SystemName
    QString User;    // UserName
    QString Version; // "major.minor.revision"
    QChar DecimalPoint = QLatin1Char('.');
};
// Now, in the user's locale.
ConfigInfo CurrentConfigInfo(const AppState& s);

// The complete file. `lang` must hold the language of LanguageIndex: its
// entry 349 names it. `path` is written into the [INFO] section.
QByteArray FormatConfig(const AppState& s, const LanguageTable& lang, const ConfigLayout& layout,
                        const QString& path, const ConfigInfo& info);
// Writes the complete file to a temporary file beside `path`, syncs it to disk
// and renames it over `path`. On failure `path` is left as it was and `error`
// says why.
bool WriteConfig(const AppState& s, const LanguageTable& lang, const ConfigLayout& layout, const QString& path,
                 const ConfigInfo& info, QString* error = nullptr);
// WriteConfig with the current [INFO]; on success ConfigFileTitle := path and
// ConfigChanged := false.
bool SaveConfiguration(AppState& s, const LanguageTable& lang, const ConfigLayout& layout, const QString& path,
                       QString* error = nullptr);

// ---------------------------------------------------------------- reading

enum class ConfigReadStatus {
    Read,       // the whole file was read and applied
    NoFile,     // no file at `path`: the caller runs the new-configuration flow
    OpenFailed, // the file exists but cannot be opened: nothing was changed
    ReadFailed  // reading broke off: what came before is applied, ConfigChanged stays set
};

// A value the reader could not take as written.
struct ConfigIssue {
    int Line = 0;     // 1-based line of the file, 0 for the file as a whole
    QString Section;  // "[DEVICE]", "[GRAPHICS] 2 (LINE) 5", ...
    QString Key;      // as written
    QString Value;    // as written
    QString Problem;  // "out of range 1..3599", "not a number", ...
    enum Outcome { Replaced, Kept, Ignored } Result = Replaced;
    QString Used;     // the value used instead (Replaced) or left as it was (Kept)
    // "line 12 [DEVICE] Interval = 4000: out of range 1..3599; 1 used"
    QString ToText() const;
};

// What the file was as a whole. A damaged or unreadable file is not what the
// program runs on, so only an explicit save may replace it (ConfigUnreadable).
enum class ConfigCondition {
    Sound,     // read as written (single values may still have been replaced)
    Missing,   // no file: a first start
    Damaged,   // read, but not a whole configuration: empty, no section, bytes
               // that are no text, cut off, or key lines without a value
    Unreadable // could not be opened, or reading broke off
};

struct ConfigReport {
    QList<ConfigIssue> Issues;
    QString Error; // why the file could not be opened or read
    ConfigCondition Condition = ConfigCondition::Sound;
    QStringList Damage; // what is wrong with a damaged file, in file order
    // What was not taken from the file: "all settings", "[PRINTER]",
    // "part of [LOG]", "[DEVICE] Interval".
    QStringList Reset;
};

// The message about a damaged or unreadable configuration: the file, what is
// wrong with it and what was not taken from it ("" for a sound or missing one).
QString ConfigDamageText(const QString& path, const ConfigReport& report, const LanguageTable& lang);
// What the window adds to it: the file stays as it is until the user saves.
QString ConfigKeptNotice(const LanguageTable& lang);
// Said instead of writing it when a write the user did not ask for finds such a file.
QString ConfigLeftAsItIsText(const QString& path, const LanguageTable& lang);

// Reads `path` and applies it. Points := 100, GraphCount := 0 and LogCount := 0
// first; settings whose keys are missing keep their values. The device is
// selected (ApplyDevice) at the end of [DEVICE], and the language table is
// switched to the language the file names. Window sections go into `layout`:
// readings-window and graph slots are emptied first, the main, table and
// terminal entries keep what the file does not name. Placements are stored
// as read; the windows check them with ValidateWindowPlacement.
// A complete read clears ConfigChanged and sets ConfigFileTitle; the report
// tells whether the file was sound, and a damaged or unreadable one sets
// ConfigUnreadable.
ConfigReadStatus ReadConfig(AppState& s, LanguageTable& lang, ConfigLayout& layout, const QString& path,
                            ConfigReport* report = nullptr);

// A folder named in a configuration, or `fallback` when the name cannot be
// used here: a drive-letter, UNC or relative path from another system that
// does not exist on this one.
QString UsableFolder(const QString& folder, const QString& fallback);
