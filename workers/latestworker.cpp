#include "latestworker.h"

#include <QMutexLocker>

LatestWorker::LatestWorker(QObject *parent)
    : QThread(parent)
{
}

LatestWorker::~LatestWorker()
{
    {
        QMutexLocker locker(&mutex);
        abort = true;
        pending = nullptr;
        superseded = true;
        condition.wakeOne();
    }
    wait();
}

void LatestWorker::request(Job job)
{
    if (!job)
        return;
    QMutexLocker locker(&mutex);
    pending = std::move(job);
    superseded = true; // the running job, if any; the next one starts with it cleared
    if (!isRunning())
        start(QThread::InheritPriority);
    else
        condition.wakeOne();
}

void LatestWorker::run()
{
    forever
    {
        QMutexLocker locker(&mutex);
        while (!pending && !abort)
            condition.wait(&mutex);
        if (abort)
            return;
        const Job job = std::exchange(pending, nullptr);
        superseded = false;
        locker.unlock();
        job(superseded);
    }
}
