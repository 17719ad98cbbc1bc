#pragma once
// vam-metersim in a process of its own, for tests that drive a program
// against it: the pseudo-terminal it opened (its first line of output), and
// at the end of the test its end (stdin closed, killed if it lingers), so no
// simulator outlives the test.

#include <QProcess>
#include <QString>
#include <QStringList>

class MeterSimProcess {
public:
    MeterSimProcess(const QString& program, const QStringList& args)
    {
        process_.start(program, args);
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        path_ = QString::fromLatin1(process_.readLine().trimmed());
    }
    ~MeterSimProcess()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(2000)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    MeterSimProcess(const MeterSimProcess&) = delete;
    MeterSimProcess& operator=(const MeterSimProcess&) = delete;
    const QString& Path() const { return path_; }

private:
    QProcess process_;
    QString path_;
};
