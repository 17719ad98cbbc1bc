#pragma once
// SIGTERM, SIGINT and SIGHUP (a shutdown, Ctrl+C, a logout or a closed
// terminal) delivered as a Qt signal on the event loop, so the program can end
// the way File Exit does: the connection stopped, the data file complete and
// the configuration written. The handler itself only writes the signal number
// into a pipe; everything else happens on the interface thread.

#include <QObject>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs handlers for `signalNumbers` (by default SIGTERM, SIGINT and
    // SIGHUP); one instance per process.
    explicit TerminationSignals(QObject* parent = nullptr);
    TerminationSignals(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~TerminationSignals() override;
    bool Installed() const { return notifier_ != nullptr; }

Q_SIGNALS:
    void Received(int signalNumber);

private:
    void OnReadable();
    QSocketNotifier* notifier_ = nullptr;
    std::vector<int> signals_;
};
