#pragma once
// The MQTT page of the settings dialog: where the readings are published
// (broker, topic prefix, bench name, user and password, TLS) and a Test that
// connects once and says how it went, without waiting in the window: the
// answer comes when the broker gives it, at most ten seconds later.
//
// The page keeps its own copy of the settings; the dialog's OK applies it
// (the settings into the configuration, the password into the user's
// password file), Cancel leaves everything as it was.

#include "core/publish/mqttsettings.h"

#include <QWidget>

class LanguageTable;
class PasswordStore;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class MqttPage : public QWidget {
    Q_OBJECT
public:
    MqttPage(const MqttSettings& settings, PasswordStore& passwords, const LanguageTable& language,
             QWidget* parent = nullptr);

    void LaadStrings();

    MqttSettings Settings() const;
    QString Password() const;
    // "" when the settings can be used (or publishing is off); else the
    // reason, in the words of the language table's entry around it.
    QString Problem() const;
    // The settings and the password kept (the configuration is written by
    // the caller); false, with the reason, when the password file failed.
    bool Apply(MqttSettings& into, QString* error) const;

    QCheckBox* PublishCheck() const { return publish_; }
    QLineEdit* BrokerEdit() const { return broker_; }
    QLineEdit* PrefixEdit() const { return prefix_; }
    QLineEdit* BenchEdit() const { return bench_; }
    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QCheckBox* TlsCheck() const { return tls_; }
    QLineEdit* CaFileEdit() const { return caFile_; }
    QPushButton* TestButton() const { return test_; }
    QLabel* TestResult() const { return result_; }

Q_SIGNALS:
    // A Test has its answer (shown under the button).
    void TestFinished(bool ok);

private:
    void Test();
    void FollowSwitches();

    PasswordStore& passwords_;
    const LanguageTable& lang_;
    QCheckBox* publish_ = nullptr;
    QLabel *lblBroker_ = nullptr, *lblPrefix_ = nullptr, *lblBench_ = nullptr, *lblUser_ = nullptr,
           *lblTls_ = nullptr;
    QLineEdit *broker_ = nullptr, *prefix_ = nullptr, *bench_ = nullptr, *user_ = nullptr, *password_ = nullptr,
              *caFile_ = nullptr;
    QCheckBox* tls_ = nullptr;
    QPushButton* test_ = nullptr;
    QLabel* result_ = nullptr;
};
