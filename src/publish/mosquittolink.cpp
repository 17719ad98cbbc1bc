#include "publish/mosquittolink.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <mosquitto.h>
#include <mutex>
#include <poll.h>
#include <unistd.h>
#include <unordered_map>

namespace {

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        mosquitto_lib_init();
        // A write to a socket the broker closed must come back as an error,
        // not end the program (TLS writes do not ask for that themselves).
        std::signal(SIGPIPE, SIG_IGN);
    });
}

QString ErrorText(int rc, int savedErrno)
{
    switch (rc) {
    case MOSQ_ERR_ERRNO:
        return QString::fromLocal8Bit(std::strerror(savedErrno ? savedErrno : EIO));
    case MOSQ_ERR_CONN_LOST:
        return QStringLiteral("the connection was lost");
    case MOSQ_ERR_NO_CONN:
        return QStringLiteral("the connection was closed");
    case MOSQ_ERR_EAI:
        return QStringLiteral("the host name cannot be resolved");
    case MOSQ_ERR_TLS:
        return QStringLiteral("the TLS connection failed (certificate or protocol)");
    case MOSQ_ERR_KEEPALIVE:
        return QStringLiteral("the broker stopped answering");
    default:
        return QString::fromUtf8(mosquitto_strerror(rc));
    }
}

QString RefusalText(int rc)
{
    QString text = QString::fromUtf8(mosquitto_connack_string(rc));
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    if (rc == 4 || rc == 5) // bad user name or password; not authorised
        text += QStringLiteral(" (check the user and the password)");
    return text;
}

QByteArray ClientId(const QString& bench)
{
    QByteArray id = "vam-";
    for (const QChar c : bench) {
        if (id.size() >= 14)
            break;
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            id += char(c.unicode());
    }
    return id + '-' + QByteArray::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, '0');
}

} // namespace

// Lives in the link's thread; every libmosquitto call is made from there.
class LinkWorker : public QObject {
public:
    LinkWorker(MosquittoLink* link, const MosquittoLink::Timing& timing) : link_(link), timing_(timing)
    {
        // Children, so that they move to the link's thread with the worker.
        misc_ = new QTimer(this);
        misc_->setInterval(500);
        QObject::connect(misc_, &QTimer::timeout, this, [this] { Misc(); });
        retry_ = new QTimer(this);
        retry_->setSingleShot(true);
        QObject::connect(retry_, &QTimer::timeout, this, [this] { Connect(); });
        connectLimit_ = new QTimer(this);
        connectLimit_->setSingleShot(true);
        QObject::connect(connectLimit_, &QTimer::timeout, this, [this] {
            Fail(LinkProblem::Unreachable,
                 QStringLiteral("no answer within %1 s").arg(timing_.connectLimitMs / 1000.0), NextRetry());
        });
    }
    ~LinkWorker() override { Teardown(); }

    void Open(const MqttTarget& target)
    {
        target_ = target;
        closing_ = false;
        retryMs_ = timing_.retryFirstMs;
        Connect();
    }

    void Send(quint64 epoch, const std::vector<OutMessage>& messages)
    {
        if (!connected_ || epoch != epoch_ || !m_)
            return;
        for (const OutMessage& msg : messages) {
            int mid = 0;
            errno = 0;
            const int rc = mosquitto_publish(m_, &mid, msg.topic.constData(), int(msg.payload.size()),
                                             msg.payload.constData(), 1, msg.retain);
            if (rc != MOSQ_ERR_SUCCESS) {
                Fail(LinkProblem::Unreachable, ErrorText(rc, errno), NextRetry());
                return;
            }
            if (msg.seq)
                sent_[mid] = msg.seq;
        }
        UpdateWrite();
    }

    // Says offline and disconnects, within about half a second. The broker's
    // answers are read first: a socket closed with unread bytes is reset,
    // and the reset can overtake the disconnect, which makes the broker send
    // the will.
    void Shutdown()
    {
        closing_ = true;
        retry_->stop();
        if (connected_ && m_) {
            waitMid_ = 0;
            if (timing_.announce) {
                const QByteArray status = target_.StatusTopic();
                mosquitto_publish(m_, &waitMid_, status.constData(), 7, "offline", 1, true);
            }
            const int sock = mosquitto_socket(m_);
            QElapsedTimer spent;
            spent.start();
            while (m_ && sock >= 0 && (waitMid_ != 0 || mosquitto_want_write(m_)) && spent.elapsed() < 500) {
                pollfd p{sock, short(POLLIN | (mosquitto_want_write(m_) ? POLLOUT : 0)), 0};
                if (::poll(&p, 1, int(500 - spent.elapsed())) <= 0)
                    break;
                if ((p.revents & POLLOUT) && mosquitto_loop_write(m_, 64) != MOSQ_ERR_SUCCESS)
                    break;
                if ((p.revents & (POLLIN | POLLHUP | POLLERR)) && mosquitto_loop_read(m_, 64) != MOSQ_ERR_SUCCESS)
                    break;
            }
            if (m_ && mosquitto_socket(m_) >= 0)
                mosquitto_disconnect(m_);
        }
        Teardown();
    }

private:
    static void OnConnect(mosquitto*, void* self, int rc)
    {
        auto* w = static_cast<LinkWorker*>(self);
        w->connack_ = rc;
    }
    static void OnDisconnect(mosquitto*, void* self, int) { static_cast<LinkWorker*>(self)->dropped_ = true; }
    static void OnPublish(mosquitto*, void* self, int mid)
    {
        auto* w = static_cast<LinkWorker*>(self);
        if (mid == w->waitMid_)
            w->waitMid_ = 0;
        const auto it = w->sent_.find(mid);
        if (it == w->sent_.end())
            return;
        const quint64 seq = it->second, epoch = w->epoch_;
        w->sent_.erase(it);
        QMetaObject::invokeMethod(w->link_, [link = w->link_, epoch, seq] { Q_EMIT link->Acknowledged(epoch, seq); },
                                  Qt::QueuedConnection);
    }

    int NextRetry()
    {
        const int ms = retryMs_;
        retryMs_ = std::min(retryMs_ * 2, timing_.retryLastMs);
        return ms;
    }

    void Connect()
    {
        Teardown();
        if (closing_)
            return;
        InitLibrary();
        m_ = mosquitto_new(ClientId(target_.bench).constData(), true, this);
        if (!m_) {
            Fail(LinkProblem::Unreachable, QString::fromLocal8Bit(std::strerror(errno)), NextRetry());
            return;
        }
        mosquitto_int_option(m_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        mosquitto_connect_callback_set(m_, &LinkWorker::OnConnect);
        mosquitto_disconnect_callback_set(m_, &LinkWorker::OnDisconnect);
        mosquitto_publish_callback_set(m_, &LinkWorker::OnPublish);
        if (!target_.user.isEmpty())
            mosquitto_username_pw_set(m_, target_.user.toUtf8().constData(),
                                      target_.password.isEmpty() ? nullptr : target_.password.toUtf8().constData());
        if (timing_.announce) {
            const QByteArray status = target_.StatusTopic();
            mosquitto_will_set(m_, status.constData(), 7, "offline", 1, true);
        }
        if (target_.tls) {
            int rc;
            if (!target_.caFile.isEmpty())
                rc = mosquitto_tls_set(m_, target_.caFile.toLocal8Bit().constData(), nullptr, nullptr, nullptr, nullptr);
            else
                rc = mosquitto_int_option(m_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
            if (rc != MOSQ_ERR_SUCCESS) {
                Fail(LinkProblem::Refused,
                     target_.caFile.isEmpty() ? QStringLiteral("TLS cannot be set up: ") + ErrorText(rc, errno)
                                              : QStringLiteral("the CA file %1 cannot be used").arg(target_.caFile),
                     timing_.refusedRetryMs);
                return;
            }
        }
        connack_ = -1;
        dropped_ = false;
        errno = 0;
        const int rc = mosquitto_connect_async(m_, target_.host.toUtf8().constData(), target_.Port(), timing_.keepAliveS);
        if (rc != MOSQ_ERR_SUCCESS) {
            Fail(LinkProblem::Unreachable, ErrorText(rc, errno), NextRetry());
            return;
        }
        const int sock = mosquitto_socket(m_);
        if (sock < 0) {
            Fail(LinkProblem::Unreachable, QStringLiteral("no socket"), NextRetry());
            return;
        }
        read_ = new QSocketNotifier(sock, QSocketNotifier::Read, this);
        QObject::connect(read_, &QSocketNotifier::activated, this, [this] { Read(); });
        write_ = new QSocketNotifier(sock, QSocketNotifier::Write, this);
        QObject::connect(write_, &QSocketNotifier::activated, this, [this] { Write(); });
        connectLimit_->start(timing_.connectLimitMs);
        misc_->start();
        UpdateWrite();
    }

    void Read()
    {
        if (!m_)
            return;
        errno = 0;
        const int rc = mosquitto_loop_read(m_, 64);
        After(rc, errno);
    }

    void Write()
    {
        if (!m_)
            return;
        errno = 0;
        // A TLS handshake under way goes on through the read side.
        int rc = !connected_ && target_.tls ? mosquitto_loop_read(m_, 1) : MOSQ_ERR_SUCCESS;
        if (rc == MOSQ_ERR_SUCCESS && m_)
            rc = mosquitto_loop_write(m_, 64);
        After(rc, errno);
    }

    void Misc()
    {
        if (!m_)
            return;
        errno = 0;
        int rc = mosquitto_loop_misc(m_);
        // TLS may hold decrypted bytes the socket no longer shows.
        if (rc == MOSQ_ERR_SUCCESS && target_.tls && m_)
            rc = mosquitto_loop_read(m_, 64);
        After(rc, errno);
    }

    // What a libmosquitto call brought about, once it has returned.
    void After(int rc, int savedErrno)
    {
        if (connack_ >= 0) {
            const int connack = connack_;
            connack_ = -1;
            if (connack != 0) {
                Fail(LinkProblem::Refused, RefusalText(connack), timing_.refusedRetryMs);
                return;
            }
            connected_ = true;
            ++epoch_;
            retryMs_ = timing_.retryFirstMs;
            connectLimit_->stop();
            if (timing_.announce) {
                const QByteArray status = target_.StatusTopic();
                mosquitto_publish(m_, nullptr, status.constData(), 6, "online", 1, true);
            }
            QMetaObject::invokeMethod(link_, [link = link_, epoch = epoch_] { Q_EMIT link->Connected(epoch); },
                                      Qt::QueuedConnection);
        }
        if (rc != MOSQ_ERR_SUCCESS || dropped_ || !m_ || mosquitto_socket(m_) < 0) {
            Fail(LinkProblem::Unreachable,
                 rc != MOSQ_ERR_SUCCESS ? ErrorText(rc, savedErrno) : QStringLiteral("the connection was closed"),
                 NextRetry());
            return;
        }
        UpdateWrite();
    }

    void UpdateWrite()
    {
        if (write_ && m_)
            write_->setEnabled(mosquitto_want_write(m_));
    }

    void Fail(LinkProblem problem, const QString& why, int retryMs)
    {
        Teardown();
        QMetaObject::invokeMethod(link_, [link = link_, problem, why] { Q_EMIT link->Lost(problem, why); },
                                  Qt::QueuedConnection);
        if (!closing_)
            retry_->start(retryMs);
    }

    void Teardown()
    {
        for (QSocketNotifier* n : {read_, write_}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
        read_ = write_ = nullptr;
        misc_->stop();
        connectLimit_->stop();
        if (m_)
            mosquitto_destroy(m_);
        m_ = nullptr;
        connected_ = false;
        sent_.clear();
    }

    MosquittoLink* link_;
    MosquittoLink::Timing timing_;
    MqttTarget target_;
    mosquitto* m_ = nullptr;
    QSocketNotifier* read_ = nullptr;
    QSocketNotifier* write_ = nullptr;
    QTimer* misc_;
    QTimer* retry_;
    QTimer* connectLimit_;
    quint64 epoch_ = 0;
    bool connected_ = false;
    bool closing_ = false;
    int connack_ = -1;   // the broker's answer, set while a libmosquitto call runs
    bool dropped_ = false;
    int retryMs_ = 1000;
    int waitMid_ = 0;    // the message Shutdown waits to see acknowledged
    std::unordered_map<int, quint64> sent_; // message id -> reading
};

MosquittoLink::MosquittoLink(QObject* parent) : MosquittoLink(Timing(), parent) {}

MosquittoLink::MosquittoLink(const Timing& timing, QObject* parent) : PublishLink(parent)
{
    InitLibrary();
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("mqtt"));
    worker_ = new LinkWorker(this, timing);
    worker_->moveToThread(thread_);
    QObject::connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();
}

MosquittoLink::~MosquittoLink()
{
    Close(0);
    if (stuck_)
        return; // the thread and its worker end with the process
    thread_->quit();
    if (thread_->wait(2000))
        delete thread_;
}

void MosquittoLink::Open(const MqttTarget& target)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, target] { w->Open(target); }, Qt::QueuedConnection);
}

void MosquittoLink::Send(quint64 epoch, const std::vector<OutMessage>& messages)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, epoch, messages] { w->Send(epoch, messages); },
                              Qt::QueuedConnection);
}

void MosquittoLink::SyncFile(int fd)
{
    QMetaObject::invokeMethod(
        worker_,
        [fd] {
            ::fdatasync(fd);
            ::close(fd);
        },
        Qt::QueuedConnection);
}

void MosquittoLink::Close(int ms)
{
    if (stuck_)
        return;
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_, done] {
            w->Shutdown();
            done->release();
        },
        Qt::QueuedConnection);
    // A worker caught in a long network call (a name that does not resolve)
    // is not waited for past the time given.
    if (!done->tryAcquire(1, std::max(ms, 0) + 500))
        stuck_ = true;
}

void ProbeBroker(const MqttTarget& target, int ms, QObject* context,
                 std::function<void(const QString& problem, bool refused)> done)
{
    MosquittoLink::Timing timing;
    timing.connectLimitMs = ms;
    timing.retryFirstMs = timing.retryLastMs = timing.refusedRetryMs = 3600 * 1000;
    timing.announce = false;
    auto* link = new MosquittoLink(timing, context);
    auto finish = [link, done](const QString& problem, bool refused) {
        QObject::disconnect(link, nullptr, nullptr, nullptr);
        done(problem, refused);
        // Not from inside the link's own signal.
        QTimer::singleShot(0, link, [link] {
            link->Close(0);
            link->deleteLater();
        });
    };
    QObject::connect(link, &PublishLink::Connected, context, [finish] { finish(QString(), false); });
    QObject::connect(link, &PublishLink::Lost, context, [finish](LinkProblem problem, const QString& why) {
        finish(why, problem == LinkProblem::Refused);
    });
    link->Open(target);
}
