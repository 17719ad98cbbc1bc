#include "ui/publish/mqttpublishing.h"

#include "comm/connection.h"
#include "core/help/languagetable.h"
#include "core/model/appstate.h"
#include "core/publish/passwordstore.h"
#include "core/publish/publisher.h"
#include "publish/mosquittolink.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

namespace {
enum : int {
    kConnected = 394,
    kNotReached = 395,
    kRefused = 396,
    kWaiting = 397,
    kSpoolFull = 399,
};
constexpr int kPanelWidth = 460;
} // namespace

MqttPublishing::MqttPublishing(AppState& state, const LanguageTable& language, Connection& connection,
                               QStatusBar& bar, QObject* parent)
    : QObject(parent), passwords(std::make_unique<PasswordStore>()), s_(state), lang_(language)
{
    panel_ = new QLabel(&bar);
    panel_->setObjectName(QStringLiteral("MqttLink"));
    panel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel_->setContentsMargins(4, 0, 4, 0);
    panel_->hide();
    bar.addPermanentWidget(panel_);
    connection.readingRecorded = [this](bool replace) {
        if (s_.Mqtt != applied_ || (publisher_ && SpoolFolder() != appliedFolder_))
            Apply();
        if (publisher_)
            publisher_->Record(s_, replace);
    };
}

MqttPublishing::~MqttPublishing()
{
    // Stopping says offline and changes the state: not to a panel that may be gone.
    if (publisher_)
        publisher_->disconnect(this);
}

QString MqttPublishing::SpoolFolder() const
{
    const QString file = s_.LogFileWork.isEmpty() ? s_.LogFileName : s_.LogFileWork;
    if (!file.isEmpty())
        return QFileInfo(file).absolutePath();
    return s_.FolderData.isEmpty() ? QDir::currentPath() : s_.FolderData;
}

void MqttPublishing::Apply()
{
    const MqttSettings& m = s_.Mqtt;
    MqttTarget target;
    QString why;
    const bool valid = TargetFromSettings(m, QString(), target, &why);
    const QString password =
        valid && !m.User.isEmpty() ? passwords->Get(PasswordStore::KeyFor(m.User, target.Address())) : QString();
    const QString folder = SpoolFolder();
    if (publisher_ && m == applied_ && folder == appliedFolder_ && password == appliedPassword_)
        return; // nothing changed: the link goes on as it is
    if (publisher_)
        publisher_->disconnect(this);
    publisher_.reset(); // says offline and closes the old spool (its readings wait there)
    applied_ = m;
    appliedFolder_ = folder;
    appliedPassword_ = password;
    problem_.clear();
    spoolFull_.clear();
    spoolError_.clear();
    if (!m.Publish) {
        ShowState();
        return;
    }
    if (!valid) {
        problem_ = why;
        ShowState();
        return;
    }
    target.password = password;
    auto publisher = std::make_unique<Publisher>(std::make_unique<MosquittoLink>());
    connect(publisher.get(), &Publisher::Changed, this, &MqttPublishing::ShowState);
    connect(publisher.get(), &Publisher::SpoolFull, this, [this] {
        spoolFull_ = lang_[kSpoolFull].arg(publisher_->SpoolFile().Path()).arg(publisher_->SpoolFile().Capacity());
        ShowState();
    });
    connect(publisher.get(), &Publisher::SpoolError, this, [this](const QString& error) {
        spoolError_ = error;
        ShowState();
    });
    if (!publisher->Start(target, Spool::PathFor(folder, target.bench), &why)) {
        problem_ = why;
        ShowState();
        return;
    }
    publisher_ = std::move(publisher);
    ShowState();
}

void MqttPublishing::ShowState()
{
    if (!panel_)
        return;
    const bool on = s_.Mqtt.Publish;
    panel_->setVisible(on);
    if (!on)
        return;
    QString text;
    if (!publisher_) {
        text = QStringLiteral("MQTT: ") + problem_;
    } else {
        const QString address = publisher_->Target().Address();
        switch (publisher_->LinkState()) {
        case Publisher::State::Connected: text = lang_[kConnected].arg(address); break;
        case Publisher::State::Refused: text = lang_[kRefused].arg(address, publisher_->Problem()); break;
        case Publisher::State::Unreachable: text = lang_[kNotReached].arg(address, publisher_->Problem()); break;
        case Publisher::State::Connecting:
        case Publisher::State::Off: text = QStringLiteral("MQTT: ") + address + QStringLiteral(" ..."); break;
        }
        // Connected, a reading or two wait for their acknowledgement all the
        // time: only a backlog being sent is worth a word.
        const int waiting = publisher_->Waiting();
        if (waiting > (publisher_->LinkState() == Publisher::State::Connected ? 10 : 0))
            text += QStringLiteral(" - ") + lang_[kWaiting].arg(waiting);
        if (!publisher_->SpoolFile().IsFull())
            spoolFull_.clear();
        for (const QString& notice : {spoolFull_, spoolError_})
            if (!notice.isEmpty())
                text += QStringLiteral(" - ") + notice;
    }
    // The messages' panel keeps its room: a long reason is shortened in the
    // middle (the waiting readings at the end stay in sight), whole in the tip.
    panel_->setText(panel_->fontMetrics().elidedText(text, Qt::ElideMiddle, kPanelWidth));
    panel_->setToolTip(publisher_ ? text + QLatin1Char('\n') + publisher_->SpoolFile().Path() : text);
}
