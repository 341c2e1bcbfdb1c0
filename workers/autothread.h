#ifndef AUTOTHREAD_H
#define AUTOTHREAD_H

#include "collagedocument.h"
#include "latestworker.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>

// Makes layouts on a thread of its own. Each start hands over copies of the photo sizes, the
// canvas and the seed; the run reports its progress, sends each of the six progress pictures
// as an image and hands the finished tree back as a value. Every signal names the request it
// answers: the latest request wins, and a layout superseded by a newer one is finished but
// never handed back.
class AutoThread : public QObject
{
    Q_OBJECT

public:
    explicit AutoThread(QObject *parent = nullptr);
    ~AutoThread() override;

    // Starts a layout over `sizes` and `emphasis` (photo k is index k - 1, see runLayout()) and
    // returns its request number; nothing starts for an empty list or canvas, and 0 comes back.
    quint64 startLayout(const QList<QSize> &sizes, const QSize &canvas, unsigned seed,
                        const QList<qreal> &emphasis = {});

    // Whether a layout is running or waiting; for tests.
    bool isRunning() const { return worker.isRunning(); }

signals:
    void progressPicture(quint64 request, const QImage &picture);
    void progressValue(quint64 request, int value);
    void layoutReady(quint64 request, const LayoutTree &layout);

private:
    quint64 requests = 0; // the last request number given
    LatestWorker worker; // last: joined before the rest goes
};

#endif // AUTOTHREAD_H
