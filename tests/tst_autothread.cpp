#include "autothread.h"
#include "canvasscene.h"
#include "layoutrun.h"
#include "photoloader.h"

#include <QImage>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace {

const QSize shapes[]
    = {{4000, 3000}, {3000, 4000}, {1920, 1080}, {2000, 2000}, {3000, 2000}, {4000, 1000}};

struct Photos
{
    explicit Photos(int n)
    {
        for (int k = 0; k < n; k++) {
            auto *record = new PhotoRecord(QStringLiteral("photo%1.jpg").arg(k));
            record->size = shapes[k % 6];
            list.append(record);
        }
    }
    ~Photos() { qDeleteAll(list); }

    QList<QSize> sizes() const
    {
        QList<QSize> result;
        for (const PhotoRecord *record : list)
            result.append(record->size);
        return result;
    }

    QList<PhotoRecord *> list;
};

using TreePtr = std::unique_ptr<BTree, void (*)(BTree *)>;

TreePtr newTree()
{
    return TreePtr(btree_new(), [](BTree *tree) {
        btree_clear(tree);
        std::free(tree);
    });
}

// Every leaf's photo number and rectangle, depth first: equal strings mean equal layouts.
QString leavesOf(const BNode *node)
{
    if (node->type != BNODE_LEAF)
        return leavesOf(node->a) + leavesOf(node->b);
    return QStringLiteral("%1:%2,%3,%4x%5 ")
        .arg(node->img)
        .arg(node->x)
        .arg(node->y)
        .arg(node->w)
        .arg(node->h);
}

// A scene, photos, an empty tree and a worker. The worker is destroyed first, so it never
// outlives what it borrows.
struct Stage
{
    Stage(const QSize &canvas, int photoCount)
        : photos(photoCount)
    {
        scene.canvasSize = canvas;
        scene.resetCanvas();
    }

    void start() { worker.startAuto(&scene, &photos.list, tree.get()); }
    bool layout(unsigned seed)
    {
        worker.setSeedSource([seed] { return seed; });
        btree_clear(tree.get());
        start();
        return done.wait(20000) && worker.wait(20000);
    }

    CanvasScene scene;
    Photos photos;
    TreePtr tree = newTree();
    AutoThread worker;
    QSignalSpy done {&worker, &AutoThread::renderedTree};
};

// Records the worker's signals in the order the GUI thread receives them.
class Recorder : public QObject
{
    Q_OBJECT

public:
    explicit Recorder(AutoThread *worker)
    {
        connect(worker, &AutoThread::progressValue, this,
                [this](int value) { events.append(QString::number(value)); });
        connect(worker, &AutoThread::renderedAuto, this, [this]() { events.append("picture"); });
        connect(worker, &AutoThread::renderedTree, this, [this](BTree *tree) {
            events.append("tree");
            received = tree;
        });
    }

    QStringList events;
    BTree *received = nullptr;
};

} // namespace

class TestAutoThread : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalOrder();
    void singlePhotoTint();
    void sameSeedSameLayout();
    void threadlessRunMatchesWorker();
    void emptyListEmitsNothing();
    void startWhileRunning();
    void startAfterHandover();
    void destroyWhileRunning();
};

void TestAutoThread::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The engine traces about a hundred lines per run; keep the report readable.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (type != QtDebugMsg)
                previous(type, context, text);
        });
}

void TestAutoThread::signalOrder()
{
    Stage stage(QSize(800, 600), 12);
    Recorder recorder(&stage.worker);
    QVERIFY(stage.layout(1234));
    QTRY_VERIFY(recorder.received); // the recorder's queued calls may still be on their way

    QStringList expected;
    for (int k = 0; k <= 100; k++) {
        expected.append(QString::number(k));
        if (k % 20 == 0)
            expected.append("picture");
    }
    expected << "0"
             << "tree";
    QCOMPARE(recorder.events, expected);
    BTree *tree = stage.tree.get();
    QCOMPARE(recorder.received, tree);
    QCOMPARE(tree->img, 12u);
    const char *why = nullptr;
    QVERIFY2(btree_check(tree, 1, &why) == 0, why);
    QCOMPARE(int(tree->root->w), 800);
    QCOMPARE(int(tree->root->h), 600);
}

void TestAutoThread::singlePhotoTint()
{
    Stage stage(QSize(120, 90), 1);
    QVERIFY(stage.layout(secondsSinceMidnight()));

    QCOMPARE(stage.tree->count, 1u);
    QCOMPARE(int(stage.tree->root->w), 120);
    QCOMPARE(int(stage.tree->root->h), 90);
    const QImage image = *stage.scene.photoImage;
    const QRgb tint = image.pixel(0, 0);
    QCOMPARE(qAlpha(tint), 255);
    for (int channel : {qRed(tint), qGreen(tint), qBlue(tint)})
        QVERIFY(channel >= 150 && channel <= 174);
    QImage uniform(image.size(), image.format());
    uniform.fill(tint);
    QCOMPARE(image, uniform);
}

void TestAutoThread::sameSeedSameLayout()
{
    Stage stage(QSize(1200, 800), 40);
    QString layouts[2];
    QImage pictures[2];
    for (int run = 0; run < 2; run++) {
        QVERIFY(stage.layout(777));
        layouts[run] = leavesOf(stage.tree->root);
        pictures[run] = stage.scene.photoImage->copy();
    }
    QCOMPARE(layouts[0], layouts[1]);
    QCOMPARE(pictures[0], pictures[1]);

    QVERIFY(stage.layout(778));
    QVERIFY(leavesOf(stage.tree->root) != layouts[0]);
}

// The command-line tool runs the sequence without a thread and without a visible image; the
// tints must still be drawn, or the same seed would give another layout.

void TestAutoThread::threadlessRunMatchesWorker()
{
    Stage stage(QSize(1000, 700), 25);
    QVERIFY(stage.layout(4321));

    for (bool withImage : {false, true}) {
        TreePtr plain = newTree();
        QImage offscreen(1000, 700, QImage::Format_ARGB32);
        QImage *image = withImage ? &offscreen : nullptr;
        QList<int> progress;
        int pictures = 0;
        LayoutCallbacks callbacks;
        callbacks.progress = [&](int value) { progress.append(value); };
        callbacks.painted = [&]() { pictures++; };
        runLayout(plain.get(), stage.photos.sizes(), QSize(1000, 700), 4321u,
                  LayoutCanvas {&image, nullptr}, callbacks);
        QCOMPARE(leavesOf(plain->root), leavesOf(stage.tree->root));
        QCOMPARE(progress.size(), 102);
        QCOMPARE(progress.last(), 0);
        QCOMPARE(pictures, 6);
        if (withImage)
            QCOMPARE(offscreen, *stage.scene.photoImage);
    }
}

void TestAutoThread::emptyListEmitsNothing()
{
    Stage stage(QSize(400, 300), 0);
    QSignalSpy progress(&stage.worker, &AutoThread::progressValue);
    QSignalSpy pictures(&stage.worker, &AutoThread::renderedAuto);
    stage.start();
    QVERIFY(!stage.worker.isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(progress.count() + pictures.count() + stage.done.count(), 0);
    QVERIFY(stage.tree->root == nullptr);
    QCOMPARE(stage.tree->count, 0u);
}

void TestAutoThread::startWhileRunning()
{
    Stage stage(QSize(1200, 800), 100);
    Photos others(3);
    TreePtr second = newTree();
    QSignalSpy progress(&stage.worker, &AutoThread::progressValue);
    QSignalSpy finished(&stage.worker, &QThread::finished);
    stage.start();
    stage.worker.startAuto(&stage.scene, &others.list, second.get());
    QVERIFY(finished.wait(20000));
    QCoreApplication::processEvents();
    QCOMPARE(stage.done.count(), 1);
    QCOMPARE(stage.done.first().first().value<BTree *>(), stage.tree.get());
    QCOMPARE(progress.count(), 102);
    QCOMPARE(stage.tree->img, 100u);
    QVERIFY(second->root == nullptr);
}

// The window may ask again as soon as renderedTree() has reached it, while the worker thread is
// still on its way out; that request must not be lost.
void TestAutoThread::startAfterHandover()
{
    // Declared before the stage, so that even a failed run never outlives them.
    Photos others(3);
    TreePtr second = newTree();
    QSemaphore handedOver;
    QSemaphore resume;
    bool first = true;
    Stage stage(QSize(400, 300), 5);
    connect(
        &stage.worker, &AutoThread::renderedTree, &stage.worker,
        [&](BTree *) {
            if (!first)
                return;
            first = false;
            handedOver.release();
            // hold the thread between the hand-over and its end
            resume.tryAcquire(1, 20000);
        },
        Qt::DirectConnection);
    stage.start();
    QVERIFY(handedOver.tryAcquire(1, 20000));
    stage.worker.startAuto(&stage.scene, &others.list, second.get());
    resume.release();
    QTRY_COMPARE_WITH_TIMEOUT(stage.done.count(), 2, 20000);
    QVERIFY(stage.worker.wait(20000));
    QCOMPARE(stage.done.last().first().value<BTree *>(), second.get());
    QCOMPARE(stage.tree->img, 5u);
    QCOMPARE(second->img, 3u);
}

// The destructor waits for the run, so the borrowed scene and tree outlive it.
void TestAutoThread::destroyWhileRunning()
{
    CanvasScene scene;
    scene.canvasSize = QSize(600, 400);
    scene.resetCanvas();
    Photos photos(60);
    TreePtr tree = newTree();
    {
        AutoThread worker;
        worker.startAuto(&scene, &photos.list, tree.get());
        QVERIFY(worker.isRunning());
    }
    QCOMPARE(tree->img, 60u);
    const char *why = nullptr;
    QVERIFY2(btree_check(tree.get(), 1, &why) == 0, why);
}

QTEST_MAIN(TestAutoThread)
#include "tst_autothread.moc"
