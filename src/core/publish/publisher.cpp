#include "core/publish/publisher.h"

#include "core/model/appstate.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <unistd.h>

namespace {
// The bench's line of the sequence file: "<bench, base64>\t<next>".
quint64 ReadSequence(const QString& path, const QString& bench)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = bench.toUtf8().toBase64() + '\t';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().toULongLong();
    return 0;
}

bool WriteSequence(const QString& path, const QString& bench, quint64 next)
{
    QByteArray out;
    const QByteArray key = bench.toUtf8().toBase64() + '\t';
    QFile old(path);
    if (old.open(QIODevice::ReadOnly))
        for (const QByteArray& line : old.readAll().split('\n'))
            if (!line.trimmed().isEmpty() && !line.startsWith(key))
                out += line + '\n';
    out += key + QByteArray::number(next) + '\n';
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(out) == out.size() && f.commit();
}

// Readings handed to the link in one call.
constexpr int kBatch = 50;
// A growing logger record goes out after this long without a new line.
constexpr int kPendingMs = 1000;
} // namespace

Publisher::Publisher(std::unique_ptr<PublishLink> link, int capacity, QObject* parent)
    : QObject(parent), link_(std::move(link)), spool_(capacity)
{
    connect(link_.get(), &PublishLink::Connected, this, &Publisher::OnConnected);
    connect(link_.get(), &PublishLink::Lost, this, &Publisher::OnLost);
    connect(link_.get(), &PublishLink::Acknowledged, this, &Publisher::OnAcknowledged);
    pendingTimer_.setSingleShot(true);
    pendingTimer_.setInterval(kPendingMs);
    connect(&pendingTimer_, &QTimer::timeout, this, [this] {
        CommitPending();
        Q_EMIT Changed();
    });
    housekeeping_.setInterval(1000);
    connect(&housekeeping_, &QTimer::timeout, this, &Publisher::Housekeep);
}

Publisher::~Publisher() { Stop(0); }

bool Publisher::Start(const MqttTarget& target, const QString& spoolPath, QString* error)
{
    Stop(0);
    if (!spool_.Open(spoolPath, error))
        return false;
    spool_.RaiseNextSeq(ReadSequence(sequenceFile, target.bench));
    savedSeq_ = spool_.NextSeq();
    housekeepings_ = 0;
    target_ = target;
    epoch_ = 0;
    inFlight_ = 0;
    acknowledged_.clear();
    retainedChannels_.clear();
    newestSeq_ = 0;
    dropped_ = 0;
    fullSaid_ = errorSaid_ = false;
    running_ = true;
    SetState(State::Connecting, QString());
    housekeeping_.start();
    link_->Open(target_);
    return true;
}

void Publisher::Record(const AppState& s, bool replace)
{
    if (!running_)
        return;
    if (!(replace && pending_))
        CommitPending();
    pending_ = std::make_unique<PublishedReading>(PublishedReadingOf(s, target_.bench));
    if (s.ReceiveMode) {
        pendingTimer_.start(); // the record may still grow
        return;
    }
    CommitPending();
    Q_EMIT Changed();
}

void Publisher::CommitPending()
{
    pendingTimer_.stop();
    if (!pending_)
        return;
    const std::unique_ptr<PublishedReading> reading = std::move(pending_);
    const quint64 seq = spool_.NextSeq();
    const QByteArray json = ReadingJson(*reading, seq, offsets_);
    switch (spool_.Append(seq, json)) {
    case Spool::Appended::Ok:
        fullSaid_ = errorSaid_ = false;
        newestSeq_ = seq;
        newestValues_.clear();
        for (const PublishedChannel& c : reading->channels)
            newestValues_.emplace_back(c.reading.channel, ValueText(c.reading.value));
        Pump();
        break;
    case Spool::Appended::Full:
        ++dropped_;
        if (!fullSaid_)
            Q_EMIT SpoolFull();
        fullSaid_ = true;
        break;
    case Spool::Appended::Failed:
        if (!errorSaid_)
            Q_EMIT SpoolError(spool_.Error());
        errorSaid_ = true;
        break;
    }
}

void Publisher::Pump()
{
    while (state_ == State::Connected && inFlight_ < kWindow) {
        const std::vector<Spool::Entry> batch = spool_.Take(nextToSend_, std::min(kBatch, kWindow - inFlight_));
        if (batch.empty())
            break;
        std::vector<OutMessage> out;
        out.reserve(batch.size() + 2);
        const QByteArray topic = target_.ReadingsTopic();
        for (const Spool::Entry& e : batch)
            out.push_back({topic, e.payload, false, e.seq});
        if (batch.back().seq == spool_.LastSeq())
            AddRetained(out, batch.back());
        link_->Send(epoch_, out);
        inFlight_ += int(batch.size());
        nextToSend_ = batch.back().seq + 1;
    }
}

void Publisher::AddRetained(std::vector<OutMessage>& out, const Spool::Entry& newest)
{
    out.push_back({target_.LastTopic(), newest.payload, true, 0});
    const std::vector<std::pair<int, QByteArray>> values =
        newest.seq == newestSeq_ ? newestValues_ : ChannelValuesOfJson(newest.payload);
    std::set<int> channels;
    for (const auto& [channel, text] : values) {
        out.push_back({target_.ValueTopic(channel), text, true, 0});
        channels.insert(channel);
    }
    // A channel switched off since: its last value is no longer the bench's.
    for (const int channel : retainedChannels_)
        if (!channels.count(channel))
            out.push_back({target_.ValueTopic(channel), QByteArray(), true, 0});
    retainedChannels_ = std::move(channels);
}

void Publisher::OnConnected(quint64 epoch)
{
    epoch_ = epoch;
    inFlight_ = 0;
    acknowledged_.clear();
    nextToSend_ = 0; // the spool again from its oldest reading
    SetState(State::Connected, QString());
    Pump();
}

void Publisher::OnLost(LinkProblem problem, const QString& why)
{
    inFlight_ = 0;
    acknowledged_.clear();
    SetState(problem == LinkProblem::Refused ? State::Refused : State::Unreachable, why);
}

void Publisher::OnAcknowledged(quint64 epoch, quint64 seq)
{
    if (epoch != epoch_ || state_ != State::Connected)
        return;
    inFlight_ = std::max(0, inFlight_ - 1);
    acknowledged_.insert(seq);
    // The spool gives up its readings in order: one acknowledged ahead of an
    // older one waits for it.
    while (!acknowledged_.empty()) {
        const quint64 first = *acknowledged_.begin();
        if (spool_.Count() > 0 && first > spool_.FirstSeq())
            break;
        if (spool_.Count() > 0 && first == spool_.FirstSeq())
            spool_.Acknowledge(first);
        acknowledged_.erase(acknowledged_.begin());
    }
    Pump();
    Q_EMIT Changed();
    if (Waiting() == 0)
        Q_EMIT Drained();
}

QString Publisher::DefaultSequenceFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Velmark/vam-mqtt-sequence");
}

void Publisher::SaveSequence()
{
    if (spool_.NextSeq() != savedSeq_ && WriteSequence(sequenceFile, target_.bench, spool_.NextSeq()))
        savedSeq_ = spool_.NextSeq();
}

void Publisher::Housekeep()
{
    if (++housekeepings_ % 60 == 0)
        SaveSequence();
    if (spool_.Housekeep()) {
        const int fd = ::dup(spool_.Handle());
        if (fd >= 0)
            link_->SyncFile(fd);
    }
    if (!spool_.Error().isEmpty() && !spool_.IsOpen() && !errorSaid_) {
        errorSaid_ = true;
        Q_EMIT SpoolError(spool_.Error());
    }
}

int Publisher::Drain(int ms)
{
    CommitPending();
    if (!running_ || Waiting() == 0 || state_ == State::Refused || ms <= 0)
        return Waiting();
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &Publisher::Drained, &loop, &QEventLoop::quit);
    connect(this, &Publisher::Changed, &loop, [this, &loop] {
        if (state_ == State::Refused)
            loop.quit();
    });
    limit.start(ms);
    loop.exec();
    return Waiting();
}

void Publisher::Stop(int ms)
{
    if (!running_)
        return;
    CommitPending();
    running_ = false;
    housekeeping_.stop();
    link_->Close(ms);
    SaveSequence();
    spool_.Close();
    SetState(State::Off, QString());
}

void Publisher::SetState(State state, const QString& problem)
{
    const bool changed = state != state_ || problem != problem_;
    state_ = state;
    problem_ = problem;
    if (changed)
        Q_EMIT Changed();
}
