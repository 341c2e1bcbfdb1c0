#include "autothread.h"
#include "canvasscene.h"
#include "layoutrun.h"
#include "photoloader.h"

#include <QImage>
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
    CanvasScene scene;
    scene.canvasSize = QSize(800, 600);
    scene.resetCanvas();
    Photos photos(12);
    TreePtr tree = newTree();
    AutoThread worker;
    worker.setSeedSource([] { return 1234u; });
    Recorder recorder(&worker);
    QSignalSpy done(&worker, &AutoThread::renderedTree);
    worker.startAuto(&scene, &photos.list, tree.get());
    QVERIFY(done.wait(20000));

    QStringList expected;
    for (int k = 0; k <= 100; k++) {
        expected.append(QString::number(k));
        if (k % 20 == 0)
            expected.append("picture");
    }
    expected << "0"
             << "tree";
    QCOMPARE(recorder.events, expected);
    QCOMPARE(recorder.received, tree.get());
    QCOMPARE(tree->img, 12u);
    const char *why = nullptr;
    QVERIFY2(btree_check(tree.get(), 1, &why) == 0, why);
    QCOMPARE(int(tree->root->w), 800);
    QCOMPARE(int(tree->root->h), 600);
}

void TestAutoThread::singlePhotoTint()
{
    CanvasScene scene;
    scene.canvasSize = QSize(120, 90);
    scene.resetCanvas();
    Photos photos(1);
    TreePtr tree = newTree();
    AutoThread worker;
    QSignalSpy done(&worker, &AutoThread::renderedTree);
    worker.startAuto(&scene, &photos.list, tree.get());
    QVERIFY(done.wait(20000));

    QCOMPARE(tree->count, 1u);
    QCOMPARE(int(tree->root->w), 120);
    QCOMPARE(int(tree->root->h), 90);
    const QImage image = *scene.photoImage;
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
    CanvasScene scene;
    scene.canvasSize = QSize(1200, 800);
    scene.resetCanvas();
    Photos photos(40);
    TreePtr tree = newTree();
    AutoThread worker;
    worker.setSeedSource([] { return 777u; });
    QSignalSpy done(&worker, &AutoThread::renderedTree);
    QString layouts[2];
    QImage pictures[2];
    for (int run = 0; run < 2; run++) {
        btree_clear(tree.get());
        worker.startAuto(&scene, &photos.list, tree.get());
        QVERIFY(done.wait(20000));
        QVERIFY(worker.wait(20000));
        layouts[run] = leavesOf(tree->root);
        pictures[run] = scene.photoImage->copy();
    }
    QCOMPARE(layouts[0], layouts[1]);
    QCOMPARE(pictures[0], pictures[1]);

    worker.setSeedSource([] { return 778u; });
    btree_clear(tree.get());
    worker.startAuto(&scene, &photos.list, tree.get());
    QVERIFY(done.wait(20000));
    QVERIFY(leavesOf(tree->root) != layouts[0]);
}

// The command-line tool runs the sequence without a thread and without a visible image; the
// tints must still be drawn, or the same seed would give another layout.

void TestAutoThread::threadlessRunMatchesWorker()
{
    CanvasScene scene;
    scene.canvasSize = QSize(1000, 700);
    scene.resetCanvas();
    Photos photos(25);
    TreePtr threaded = newTree();
    AutoThread worker;
    worker.setSeedSource([] { return 4321u; });
    QSignalSpy done(&worker, &AutoThread::renderedTree);
    worker.startAuto(&scene, &photos.list, threaded.get());
    QVERIFY(done.wait(20000));
    QVERIFY(worker.wait(20000));

    for (bool withImage : {false, true}) {
        TreePtr plain = newTree();
        QImage offscreen(1000, 700, QImage::Format_ARGB32);
        QImage *image = withImage ? &offscreen : nullptr;
        QList<int> progress;
        int pictures = 0;
        LayoutCallbacks callbacks;
        callbacks.progress = [&](int value) { progress.append(value); };
        callbacks.painted = [&]() { pictures++; };
        runLayout(plain.get(), photos.sizes(), QSize(1000, 700), 4321u,
                  LayoutCanvas {&image, nullptr}, callbacks);
        QCOMPARE(leavesOf(plain->root), leavesOf(threaded->root));
        QCOMPARE(progress.size(), 102);
        QCOMPARE(progress.last(), 0);
        QCOMPARE(pictures, 6);
        if (withImage)
            QCOMPARE(offscreen, *scene.photoImage);
    }
}

void TestAutoThread::emptyListEmitsNothing()
{
    CanvasScene scene;
    scene.canvasSize = QSize(400, 300);
    scene.resetCanvas();
    Photos photos(0);
    TreePtr tree = newTree();
    AutoThread worker;
    QSignalSpy progress(&worker, &AutoThread::progressValue);
    QSignalSpy pictures(&worker, &AutoThread::renderedAuto);
    QSignalSpy done(&worker, &AutoThread::renderedTree);
    worker.startAuto(&scene, &photos.list, tree.get());
    QVERIFY(!worker.isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(progress.count() + pictures.count() + done.count(), 0);
    QVERIFY(tree->root == nullptr);
    QCOMPARE(tree->count, 0u);
}

void TestAutoThread::startWhileRunning()
{
    CanvasScene scene;
    scene.canvasSize = QSize(1200, 800);
    scene.resetCanvas();
    Photos photos(100);
    Photos others(3);
    TreePtr tree = newTree();
    TreePtr second = newTree();
    AutoThread worker;
    QSignalSpy progress(&worker, &AutoThread::progressValue);
    QSignalSpy done(&worker, &AutoThread::renderedTree);
    QSignalSpy finished(&worker, &QThread::finished);
    worker.startAuto(&scene, &photos.list, tree.get());
    worker.startAuto(&scene, &others.list, second.get());
    QVERIFY(finished.wait(20000));
    QCoreApplication::processEvents();
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.first().first().value<BTree *>(), tree.get());
    QCOMPARE(progress.count(), 102);
    QCOMPARE(tree->img, 100u);
    QVERIFY(second->root == nullptr);
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
