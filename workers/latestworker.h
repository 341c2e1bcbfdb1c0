#ifndef LATESTWORKER_H
#define LATESTWORKER_H

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <functional>

// A thread that carries out the latest job it was given. A request made while a job runs is
// never dropped: the running job is told it has been superseded, and the newest request runs
// as soon as it returns; requests in between are replaced. The destructor supersedes the
// running job, drops the one waiting and joins the thread, so no job outlives its owner.
//
// A job copies what it needs when it is made and hands its result back as a value (a queued
// signal); it reads `superseded` to stop early or to keep a stale result to itself.
class LatestWorker : public QThread
{
    Q_OBJECT

public:
    using Job = std::function<void(const std::atomic<bool> &superseded)>;

    explicit LatestWorker(QObject *parent = nullptr);
    ~LatestWorker() override;

    void request(Job job);

protected:
    void run() override;

private:
    QMutex mutex; // guards pending and abort
    QWaitCondition condition;
    Job pending;
    bool abort = false;
    std::atomic<bool> superseded {false}; // read by the running job without the lock
};

#endif // LATESTWORKER_H
