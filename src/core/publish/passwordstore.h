#pragma once
// The passwords of brokers the window program publishes to. Not in the
// configuration (which is shared, mailed and printed): in a file of the
// user's own, readable by nobody else (mode 0600), beside the per-user
// settings: ~/.config/Velmark/vam-mqtt-passwords. One line per user and
// broker, the password base64-encoded so that any character survives (this
// hides it from a glance, it does not encrypt it: the file's mode protects it).

#include <QString>

class PasswordStore {
public:
    static QString DefaultPath();
    explicit PasswordStore(const QString& path = DefaultPath()) : path_(path) {}

    // "user@host:port".
    static QString KeyFor(const QString& user, const QString& address);
    // "" when none is kept.
    QString Get(const QString& key) const;
    // Keeps `password` for `key` ("" forgets it); false, with the reason,
    // when the file cannot be written.
    bool Set(const QString& key, const QString& password, QString* error);
    const QString& Path() const { return path_; }

private:
    QString path_;
};
