#include "core/publish/mqtttarget.h"

#include <QSysInfo>
#include <QUrl>

namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

bool HasControl(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

} // namespace

QString MqttTarget::Address() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(Port());
}

QByteArray MqttTarget::Topic(const char* leaf) const
{
    QByteArray t;
    if (!prefix.isEmpty())
        t = prefix.toUtf8() + '/';
    return t + bench.toUtf8() + '/' + leaf;
}

QByteArray MqttTarget::ValueTopic(int channel) const
{
    return Topic(QByteArray::number(channel).append("/value").constData());
}

bool CheckTopicPrefix(const QString& prefix, QString* error)
{
    if (prefix.isEmpty())
        return true;
    if (prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#')) || HasControl(prefix))
        return Fail(error, QStringLiteral("the topic prefix '%1' holds '+', '#' or a control character").arg(prefix));
    for (const QString& level : prefix.split(QLatin1Char('/')))
        if (level.isEmpty())
            return Fail(error, QStringLiteral("the topic prefix '%1' has an empty level").arg(prefix));
    return true;
}

bool CheckBenchName(const QString& bench, QString* error)
{
    if (bench.trimmed().isEmpty())
        return Fail(error, QStringLiteral("the bench name is empty"));
    if (bench.size() > 64)
        return Fail(error, QStringLiteral("the bench name is longer than 64 characters"));
    if (bench.contains(QLatin1Char('/')) || bench.contains(QLatin1Char('+')) || bench.contains(QLatin1Char('#'))
        || HasControl(bench))
        return Fail(error, QStringLiteral("the bench name '%1' holds '/', '+', '#' or a control character").arg(bench));
    return true;
}

bool ParseBrokerAddress(const QString& text, QString& host, int& port, QString* error)
{
    const QString t = text.trimmed();
    QString portText;
    if (t.startsWith(QLatin1Char('['))) {
        const qsizetype close = t.indexOf(QLatin1Char(']'));
        if (close < 0)
            return Fail(error, QStringLiteral("the broker address '%1' has no closing ']'").arg(text));
        host = t.mid(1, close - 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return Fail(error, QStringLiteral("the broker address '%1' is not host:port").arg(text));
        portText = rest.mid(1);
        if (rest.startsWith(QLatin1Char(':')) && portText.isEmpty())
            return Fail(error, QStringLiteral("the broker address '%1' has no port after ':'").arg(text));
    } else {
        const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0 && t.indexOf(QLatin1Char(':')) != colon)
            return Fail(error, QStringLiteral("write an IPv6 broker address in brackets: [%1]").arg(t));
        host = colon < 0 ? t : t.left(colon);
        if (colon >= 0) {
            portText = t.mid(colon + 1);
            if (portText.isEmpty())
                return Fail(error, QStringLiteral("the broker address '%1' has no port after ':'").arg(text));
        }
    }
    if (host.isEmpty())
        return Fail(error, QStringLiteral("no broker host is given"));
    if (host.contains(QLatin1Char(' ')) || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char('@'))
        || HasControl(host))
        return Fail(error, QStringLiteral("'%1' is no host name or address").arg(host));
    port = 0;
    if (!portText.isEmpty()) {
        bool ok = false;
        port = portText.toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return Fail(error, QStringLiteral("the port '%1' is not a number from 1 to 65535").arg(portText));
    }
    return true;
}

bool ParseMqttUrl(const QString& url, MqttTarget& target, QString* error)
{
    const QString text = url.trimmed();
    const qsizetype schemeEnd = text.indexOf(QLatin1String("://"));
    const QString scheme = schemeEnd < 0 ? QString() : text.left(schemeEnd).toLower();
    if (scheme != QLatin1String("mqtt") && scheme != QLatin1String("mqtts"))
        return Fail(error, QStringLiteral("'%1' is no broker address: write mqtt://[user[:password]@]host[:port]/prefix "
                                          "(mqtts:// for TLS)")
                               .arg(url));
    // The authority ends at the first "/" after the last "@": a password may
    // hold a "/" only percent-encoded, as in any URL.
    QString rest = text.mid(schemeEnd + 3);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'), std::max<qsizetype>(0, rest.lastIndexOf(QLatin1Char('@'))));
    QString authority = slash < 0 ? rest : rest.left(slash);
    QString path = slash < 0 ? QString() : rest.mid(slash + 1);
    if (path.contains(QLatin1Char('?')) || path.contains(QLatin1Char('#')))
        return Fail(error, QStringLiteral("the topic prefix in '%1' holds '?' or '#'").arg(url));
    MqttTarget t = target;
    t.tls = scheme == QLatin1String("mqtts");
    t.user.clear();
    t.password.clear();
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        t.user = QUrl::fromPercentEncoding(userInfo.left(colon < 0 ? userInfo.size() : colon).toUtf8());
        if (colon >= 0)
            t.password = QUrl::fromPercentEncoding(userInfo.mid(colon + 1).toUtf8());
        if (t.user.isEmpty())
            return Fail(error, QStringLiteral("a password is given without a user in the broker address"));
    }
    if (!ParseBrokerAddress(authority, t.host, t.port, error))
        return false;
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    t.prefix = QUrl::fromPercentEncoding(path.toUtf8());
    if (!CheckTopicPrefix(t.prefix, error))
        return false;
    target = t;
    return true;
}

QString DefaultBenchName()
{
    QString name = QSysInfo::machineHostName();
    name.remove(QLatin1Char('/')).remove(QLatin1Char('+')).remove(QLatin1Char('#'));
    return name.isEmpty() ? QStringLiteral("bench") : name.left(64);
}

bool TargetFromSettings(const MqttSettings& settings, const QString& password, MqttTarget& target, QString* error)
{
    MqttTarget t;
    if (!ParseBrokerAddress(settings.Broker, t.host, t.port, error))
        return false;
    t.tls = settings.Tls;
    t.caFile = settings.Tls ? settings.CaFile.trimmed() : QString();
    t.user = settings.User;
    t.password = settings.User.isEmpty() ? QString() : password;
    QString prefix = settings.Prefix.trimmed();
    while (prefix.startsWith(QLatin1Char('/')))
        prefix.remove(0, 1);
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    t.prefix = prefix;
    if (!CheckTopicPrefix(t.prefix, error))
        return false;
    t.bench = settings.Bench.trimmed().isEmpty() ? DefaultBenchName() : settings.Bench.trimmed();
    if (!CheckBenchName(t.bench, error))
        return false;
    target = t;
    return true;
}
