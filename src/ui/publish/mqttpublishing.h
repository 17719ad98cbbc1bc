#pragma once
// The window program's publishing: every reading the connection records goes
// to the broker the settings name (core/publish/publisher.h), through the
// spool beside the data file, and a panel of the status bar shows the link:
// connected, not reached or refused with the reason, and how many readings
// wait. It never waits on the network (the link has its own thread) and
// says nothing in a message box: a full spool is said in the panel.
//
// Apply follows the settings: after the start-up and Read settings, after
// the settings dialog's OK, and at the next reading when the settings or the
// data file's folder changed some other way.

#include "core/publish/mqttsettings.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

struct AppState;
class Connection;
class LanguageTable;
class PasswordStore;
class Publisher;
class QStatusBar;

class MqttPublishing : public QObject {
    Q_OBJECT
public:
    MqttPublishing(AppState& state, const LanguageTable& language, Connection& connection, QStatusBar& bar,
                   QObject* parent = nullptr);
    ~MqttPublishing() override;

    // Starts, restarts or stops publishing as the settings say.
    void Apply();
    // The panel's text (tests read it).
    QLabel* Panel() const { return panel_; }
    // The running publisher; null when publishing is off.
    Publisher* Active() const { return publisher_.get(); }
    // Where passwords are kept (tests point it elsewhere).
    std::unique_ptr<PasswordStore> passwords;

private:
    QString SpoolFolder() const;
    void ShowState();

    AppState& s_;
    const LanguageTable& lang_;
    QPointer<QLabel> panel_; // the status bar's
    std::unique_ptr<Publisher> publisher_;
    MqttSettings applied_;
    QString appliedFolder_;
    QString appliedPassword_;
    QString problem_;    // why publishing could not start
    QString spoolFull_;  // said until the spool has room again
    QString spoolError_; // said until publishing is set up again
};
