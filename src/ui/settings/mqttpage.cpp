#include "ui/settings/mqttpage.h"

#include "core/help/languagetable.h"
#include "core/publish/mqtttarget.h"
#include "core/publish/passwordstore.h"
#include "publish/mosquittolink.h"
#include "ui/settings/settingsshared.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace settings_detail;

namespace {
enum : int {
    kPublish = 387,
    kBroker = 388,
    kPrefix = 389,
    kBench = 390,
    kUserPassword = 391,
    kTls = 392,
    kTest = 393,
    kConnected = 394,
    kNotReached = 395,
    kRefused = 396,
    kInvalid = 398,
};
constexpr int kTestMs = 10000;
} // namespace

MqttPage::MqttPage(const MqttSettings& m, PasswordStore& passwords, const LanguageTable& language, QWidget* parent)
    : QWidget(parent), passwords_(passwords), lang_(language)
{
    publish_ = new QCheckBox(this);
    publish_->setObjectName(QStringLiteral("CheckMqttPublish"));
    publish_->setChecked(m.Publish);
    broker_ = new QLineEdit(m.Broker, this);
    broker_->setObjectName(QStringLiteral("TextMqttBroker"));
    broker_->setPlaceholderText(QStringLiteral("localhost:1883"));
    prefix_ = new QLineEdit(m.Prefix, this);
    prefix_->setObjectName(QStringLiteral("TextMqttPrefix"));
    prefix_->setPlaceholderText(QStringLiteral("lab"));
    bench_ = new QLineEdit(m.Bench, this);
    bench_->setObjectName(QStringLiteral("TextMqttBench"));
    bench_->setPlaceholderText(DefaultBenchName()); // what an empty name publishes as
    user_ = new QLineEdit(m.User, this);
    user_->setObjectName(QStringLiteral("TextMqttUser"));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("TextMqttPassword"));
    password_->setEchoMode(QLineEdit::Password);
    MqttTarget target;
    if (!m.User.isEmpty() && ParseBrokerAddress(m.Broker, target.host, target.port, nullptr)) {
        target.tls = m.Tls;
        password_->setText(passwords_.Get(PasswordStore::KeyFor(m.User, target.Address())));
    }
    tls_ = new QCheckBox(this);
    tls_->setObjectName(QStringLiteral("CheckMqttTls"));
    tls_->setChecked(m.Tls);
    caFile_ = new QLineEdit(m.CaFile, this);
    caFile_->setObjectName(QStringLiteral("TextMqttCaFile"));
    test_ = new QPushButton(this);
    test_->setObjectName(QStringLiteral("CmdMqttTest"));
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("LblMqttTest"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lblBroker_ = new QLabel(this);
    lblPrefix_ = new QLabel(this);
    lblBench_ = new QLabel(this);
    lblUser_ = new QLabel(this);
    lblTls_ = new QLabel(this);
    auto* userRow = new QHBoxLayout;
    userRow->addWidget(user_);
    userRow->addWidget(password_);
    auto* tlsRow = new QHBoxLayout;
    tlsRow->addWidget(tls_);
    tlsRow->addWidget(caFile_, 1);
    auto* form = new QFormLayout;
    form->addRow(lblBroker_, broker_);
    form->addRow(lblPrefix_, prefix_);
    form->addRow(lblBench_, bench_);
    form->addRow(lblUser_, userRow);
    form->addRow(lblTls_, tlsRow);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test_);
    testRow->addWidget(result_, 1);
    auto* v = new QVBoxLayout(this);
    v->addWidget(publish_);
    v->addLayout(form);
    v->addLayout(testRow);
    v->addStretch(1);

    connect(publish_, &QCheckBox::toggled, this, &MqttPage::FollowSwitches);
    connect(tls_, &QCheckBox::toggled, this, &MqttPage::FollowSwitches);
    connect(test_, &QPushButton::clicked, this, &MqttPage::Test);
    FollowSwitches();
}

void MqttPage::LaadStrings()
{
    publish_->setText(lang_[kPublish]);
    lblBroker_->setText(lang_[kBroker]);
    lblPrefix_->setText(lang_[kPrefix]);
    lblBench_->setText(lang_[kBench]);
    lblUser_->setText(lang_[kUserPassword]);
    lblTls_->setText(lang_[kTls]);
    test_->setText(lang_[kTest]);
}

void MqttPage::FollowSwitches()
{
    caFile_->setEnabled(tls_->isChecked());
}

MqttSettings MqttPage::Settings() const
{
    MqttSettings m;
    m.Publish = publish_->isChecked();
    m.Broker = broker_->text().trimmed();
    m.Prefix = prefix_->text().trimmed();
    m.Bench = bench_->text().trimmed();
    m.User = user_->text().trimmed();
    m.Tls = tls_->isChecked();
    m.CaFile = caFile_->text().trimmed();
    return m;
}

QString MqttPage::Password() const { return password_->text(); }

QString MqttPage::Problem() const
{
    const MqttSettings m = Settings();
    if (!m.Publish)
        return QString();
    MqttTarget target;
    QString why;
    if (TargetFromSettings(m, Password(), target, &why))
        return QString();
    return lang_[kInvalid].arg(why);
}

bool MqttPage::Apply(MqttSettings& into, QString* error) const
{
    into = Settings();
    MqttTarget target;
    if (into.User.isEmpty() || !TargetFromSettings(into, Password(), target, nullptr))
        return true;
    const QString key = PasswordStore::KeyFor(into.User, target.Address());
    if (passwords_.Get(key) == Password())
        return true;
    return passwords_.Set(key, Password(), error);
}

void MqttPage::Test()
{
    MqttSettings m = Settings();
    MqttTarget target;
    QString why;
    if (!TargetFromSettings(m, Password(), target, &why)) {
        result_->setText(lang_[kInvalid].arg(why).section(QLatin1Char('\r'), 0, 0));
        Q_EMIT TestFinished(false);
        return;
    }
    test_->setEnabled(false);
    result_->setText(target.Address() + QStringLiteral(" ..."));
    ProbeBroker(target, kTestMs, this, [this, address = target.Address()](const QString& problem, bool refused) {
        test_->setEnabled(true);
        if (problem.isEmpty())
            result_->setText(lang_[kConnected].arg(address));
        else
            result_->setText(lang_[refused ? kRefused : kNotReached].arg(address, problem));
        Q_EMIT TestFinished(problem.isEmpty());
    });
}
