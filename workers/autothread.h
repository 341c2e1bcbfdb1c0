#ifndef AUTOTHREAD_H
#define AUTOTHREAD_H

#include "collagedocument.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QSize>
#include <QThread>
#include <QWaitCondition>

// Makes layouts on a thread of its own. Each start hands over copies of the photo sizes, the
// canvas and the seed; the run reports its progress, sends each of the six progress pictures
// as an image and hands the finished tree back as a value.
class AutoThread : public QThread
{
    Q_OBJECT

public:
    explicit AutoThread(QObject *parent = nullptr);
    ~AutoThread() override;

    // Starts a layout over `sizes` (photo k is index k - 1). Nothing starts for an empty list
    // or while a run is in progress: one layout at a time, each finished by layoutReady().
    void startLayout(const QList<QSize> &sizes, const QSize &canvas, unsigned seed);

signals:
    void progressPicture(const QImage &picture);
    void progressValue(int value);
    void layoutReady(const LayoutTree &layout);

protected:
    void run() override;

private:
    QMutex mutex; // guards everything below
    QWaitCondition condition;
    QList<QSize> sizes;
    QSize canvas;
    unsigned seed = 0;
    bool pending = false; // a start waits for the thread
    bool working = false; // from a start until its layoutReady() has been sent
    bool abort = false;
};

#endif // AUTOTHREAD_H
