#include "platform/core/settingsstore.h"

#include "core/model/appstate.h"

#include <QSettings>

namespace {
QString Path(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }
const QString kSettings = QStringLiteral("Settings");
const QString kRecent = QStringLiteral("Recent Files");
} // namespace

bool StoredBool(const QString& text, bool fallback)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? n != 0 : fallback;
}

SettingsStore::SettingsStore(const QString& application, const QString& filePath)
    : settings_(filePath.isEmpty() ? std::make_unique<QSettings>(QStringLiteral("Velmark"), application)
                                   : std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::Value(const QString& section, const QString& key, const QString& fallback) const
{
    return settings_->value(Path(section, key), fallback).toString();
}

void SettingsStore::SetValue(const QString& section, const QString& key, const QString& value)
{
    settings_->setValue(Path(section, key), value);
}

bool SettingsStore::Contains(const QString& section, const QString& key) const
{
    return settings_->contains(Path(section, key));
}

void SettingsStore::LoadPreferences(AppState& s) const
{
    bool ok = false;
    const int arrange = Value(kSettings, QStringLiteral("LastWindowArrange")).toInt(&ok);
    s.LastWindowArrange = (ok && arrange >= TileHorizontal && arrange <= ArrangeIcons) ? qint16(arrange) : qint16(TileHorizontal);
    s.AutoArrange = StoredBool(Value(kSettings, QStringLiteral("AutoArrange"), QStringLiteral("True")), true);
    s.ExtendFrame = StoredBool(Value(kSettings, QStringLiteral("ExtendFrame"), QStringLiteral("True")), true);
    const int tab = Value(kSettings, QStringLiteral("Tab")).toInt(&ok);
    s.SettingsTab = (ok && tab >= 0 && tab < 32) ? qint16(tab) : qint16(0);
}

void SettingsStore::SaveLastWindowArrange(qint16 arrange)
{
    SetValue(kSettings, QStringLiteral("LastWindowArrange"), QString::number(arrange));
}

void SettingsStore::SaveExtendFrame(bool on)
{
    SetValue(kSettings, QStringLiteral("ExtendFrame"), on ? QStringLiteral("True") : QStringLiteral("False"));
}

void SettingsStore::SaveAutoArrange(bool on)
{
    SetValue(kSettings, QStringLiteral("AutoArrange"), on ? QStringLiteral("True") : QStringLiteral("False"));
}

void SettingsStore::SaveSettingsTab(qint16 tab) { SetValue(kSettings, QStringLiteral("Tab"), QString::number(tab)); }

QString SettingsStore::ConfigFileName(const QString& fallback) const
{
    return Value(kSettings, QStringLiteral("FileNameSettings"), fallback);
}

void SettingsStore::SaveConfigFileName(const QString& path) { SetValue(kSettings, QStringLiteral("FileNameSettings"), path); }

QStringList SettingsStore::RecentFiles() const
{
    QStringList files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString f = Value(kRecent, QStringLiteral("RecentFile%1").arg(i));
        if (!f.isEmpty())
            files << f;
    }
    return files;
}

void SettingsStore::SaveRecentFiles(const QStringList& files)
{
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString key = QStringLiteral("RecentFile%1").arg(i);
        if (i <= files.size())
            SetValue(kRecent, key, files.at(i - 1));
        else
            settings_->remove(Path(kRecent, key));
    }
}

QString SettingsStore::Organisation() const { return Value(kSettings, QStringLiteral("Organisation")); }

void SettingsStore::Sync() { settings_->sync(); }
