#ifndef AUTOTHREAD_H
#define AUTOTHREAD_H

#include "btree.h" // queued signals carry BTree*, which needs the complete type

#include <QAtomicInt>
#include <QList>
#include <QSize>
#include <QThread>

#include <functional>

class CanvasScene;
struct PhotoRecord;

// Makes one layout per start on its own thread: builds and optimises the tree, paints six
// progress pictures into the scene's photo layer (under the scene's photo lock) and hands the
// finished tree over with renderedTree().
class AutoThread : public QThread
{
    Q_OBJECT

public:
    explicit AutoThread(QObject *parent = nullptr);
    ~AutoThread() override;

    // Starts a run unless the list is empty or a run is in progress. A run that has already
    // handed its tree over no longer counts: the new one starts as soon as its thread is done.
    // The photo sizes are copied here, so the list may change once this returns; the tree must
    // be empty and stays the worker's until renderedTree() arrives.
    void startAuto(CanvasScene *scene, QList<PhotoRecord *> *photos, BTree *btree);
    // Replaces the time-of-day seed, for tests and reproducible runs.
    void setSeedSource(std::function<unsigned()> source);

signals:
    void renderedAuto();
    void renderedTree(BTree *btree);
    void progressValue(int pr);

protected:
    void run() override;

private:
    CanvasScene *scene = nullptr; // lent for one run; its photo layer is read under its lock
    QList<QSize> sizes; // the photos' upright sizes, in list order
    BTree *tree = nullptr;
    int canvasWidth = -1;
    int canvasHeight = -1;
    std::function<unsigned()> seedSource;
    QAtomicInt handedOver; // set by the run once it no longer reads the members
    bool startPending = false; // a start that waits for the thread to finish
};

#endif // AUTOTHREAD_H
