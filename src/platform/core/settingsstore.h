#pragma once
// The per-user settings store: application name, section and key, held in a
// QSettings file (~/.config/Velmark/<application>.conf). Values are kept as
// text, as the store has always held them ("True", "2").

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;
struct AppState;

class SettingsStore {
public:
    static constexpr int kRecentFileCount = 4;

    // `application` is the registry application name ("VAM-CFG"); a non-empty
    // `filePath` stores everything in that file instead (tests).
    explicit SettingsStore(const QString& application, const QString& filePath = QString());
    ~SettingsStore();

    QString Value(const QString& section, const QString& key, const QString& fallback = QString()) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    bool Contains(const QString& section, const QString& key) const;

    // "LastWindowArrange", "AutoArrange", "ExtendFrame" and "Tab" of section "Settings" into the state.
    void LoadPreferences(AppState& state) const;
    void SaveLastWindowArrange(qint16 arrange);
    void SaveAutoArrange(bool on);
    void SaveExtendFrame(bool on);
    void SaveSettingsTab(qint16 tab);

    // "FileNameSettings": the last configuration file used.
    QString ConfigFileName(const QString& fallback) const;
    void SaveConfigFileName(const QString& path);

    // "Recent Files": RecentFile1..RecentFile4, newest first.
    QStringList RecentFiles() const;
    void SaveRecentFiles(const QStringList& files);

    // The organisation registered for this installation ("" when none).
    QString Organisation() const;

    void Sync();

private:
    std::unique_ptr<QSettings> settings_;
};

// Reads a stored boolean the way the store has written it ("True"/"False",
// or a number where non-zero is true).
bool StoredBool(const QString& text, bool fallback);
