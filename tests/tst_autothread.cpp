#include "autothread.h"
#include "btree.h"
#include "latestworker.h"
#include "layoutrun.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMutex>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

const QSize shapes[]
    = {{4000, 3000}, {3000, 4000}, {1920, 1080}, {2000, 2000}, {3000, 2000}, {4000, 1000}};

QList<QSize> photoSizes(int n)
{
    QList<QSize> sizes;
    for (int k = 0; k < n; k++)
        sizes.append(shapes[k % 6]);
    return sizes;
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

// A worker with the photos and canvas it lays out, and what it hands back.
struct Stage
{
    Stage(const QSize &canvas, int photoCount)
        : canvas(canvas)
        , sizes(photoSizes(photoCount))
    {
        QObject::connect(&worker, &AutoThread::progressPicture, &worker,
                         [this](quint64, const QImage &image) { picture = image; });
    }

    quint64 start(unsigned seed = 1) { return worker.startLayout(sizes, canvas, seed); }
    bool layout(unsigned seed)
    {
        const quint64 request = start(seed);
        if (!done.wait(20000) || done.last().first().value<quint64>() != request)
            return false;
        tree = done.last().at(1).value<LayoutTree>();
        return true;
    }

    QSize canvas;
    QList<QSize> sizes;
    AutoThread worker;
    QSignalSpy done {&worker, &AutoThread::layoutReady};
    LayoutTree tree;
    QImage picture; // the last progress picture
};

// Records the worker's signals in the order the GUI thread receives them.
class Recorder : public QObject
{
    Q_OBJECT

public:
    explicit Recorder(AutoThread *worker)
    {
        connect(worker, &AutoThread::progressValue, this, [this](quint64 request, int value) {
            requests << request;
            events.append(QString::number(value));
        });
        connect(worker, &AutoThread::progressPicture, this,
                [this](quint64 request, const QImage &) {
                    requests << request;
                    events.append("picture");
                });
        connect(worker, &AutoThread::layoutReady, this,
                [this](quint64 request, const LayoutTree &tree) {
                    requests << request;
                    events.append("tree");
                    received = tree;
                });
    }

    QStringList events;
    QSet<quint64> requests; // the requests the signals named
    LayoutTree received;
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
    void refitLayout_data();
    void refitLayout();
    void emphasis();
    void refittedDocument_data();
    void refittedDocument();
    void latestWorker_data();
    void latestWorker();
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
    QTRY_VERIFY(!recorder.received.isEmpty()); // the queued calls may still be on their way

    QStringList expected;
    for (int k = 0; k <= 100; k++) {
        expected.append(QString::number(k));
        if (k % 20 == 0)
            expected.append("picture");
    }
    expected << "0"
             << "tree";
    QCOMPARE(recorder.events, expected);
    QCOMPARE(recorder.received, stage.tree);
    QCOMPARE(recorder.requests, QSet<quint64> {stage.done.last().first().value<quint64>()});
    const BTree *tree = stage.tree.tree();
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

    QCOMPARE(stage.tree.tree()->count, 1u);
    QCOMPARE(int(stage.tree.tree()->root->w), 120);
    QCOMPARE(int(stage.tree.tree()->root->h), 90);
    const QImage image = stage.picture;
    QCOMPARE(image.size(), QSize(120, 90));
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
        layouts[run] = leavesOf(stage.tree.tree()->root);
        pictures[run] = stage.picture;
    }
    QCOMPARE(layouts[0], layouts[1]);
    QCOMPARE(pictures[0], pictures[1]);

    QVERIFY(stage.layout(778));
    QVERIFY(leavesOf(stage.tree.tree()->root) != layouts[0]);
}

// The command-line tool runs the sequence without a thread and without pictures; the tints
// must still be drawn, or the same seed would give another layout.
void TestAutoThread::threadlessRunMatchesWorker()
{
    Stage stage(QSize(1000, 700), 25);
    QVERIFY(stage.layout(4321));

    for (bool withPictures : {false, true}) {
        QList<int> progress;
        int pictures = 0;
        QImage last;
        LayoutCallbacks callbacks;
        callbacks.progress = [&](int value) { progress.append(value); };
        if (withPictures) {
            callbacks.picture = [&](const QImage &picture) {
                pictures++;
                last = picture;
            };
        }
        const LayoutTree plain = runLayout(stage.sizes, QSize(1000, 700), 4321u, callbacks);
        QCOMPARE(leavesOf(plain.tree()->root), leavesOf(stage.tree.tree()->root));
        QCOMPARE(progress.size(), 102);
        QCOMPARE(progress.last(), 0);
        QCOMPARE(pictures, withPictures ? 6 : 0);
        if (withPictures)
            QCOMPARE(last, stage.picture);
    }
}

void TestAutoThread::emptyListEmitsNothing()
{
    Stage stage(QSize(400, 300), 0);
    QSignalSpy progress(&stage.worker, &AutoThread::progressValue);
    QSignalSpy pictures(&stage.worker, &AutoThread::progressPicture);
    stage.start();
    QVERIFY(!stage.worker.isRunning());
    QCoreApplication::processEvents();
    QCOMPARE(progress.count() + pictures.count() + stage.done.count(), 0);
}

// The latest request wins: a start while one runs is not dropped, it supersedes the running
// layout, whose tree and progress never arrive.
void TestAutoThread::startWhileRunning()
{
    Stage stage(QSize(1200, 800), 100);
    Recorder recorder(&stage.worker);
    const quint64 first = stage.start();
    const quint64 latest = stage.worker.startLayout(photoSizes(3), QSize(1200, 800), 5);
    QVERIFY(first != 0 && latest > first);
    QVERIFY(stage.done.wait(20000));
    QCOMPARE(stage.done.count(), 1);
    QCOMPARE(stage.done.last().first().value<quint64>(), latest);
    QCOMPARE(stage.done.last().at(1).value<LayoutTree>().photoCount(), 3);
    // Nothing else is on its way: a further layout is the next one to arrive.
    const quint64 next = stage.worker.startLayout(photoSizes(4), QSize(1200, 800), 5);
    QVERIFY(stage.done.wait(20000));
    QCOMPARE(stage.done.count(), 2);
    QCOMPARE(stage.done.last().first().value<quint64>(), next);
    QCOMPARE(stage.done.last().at(1).value<LayoutTree>().photoCount(), 4);
    // Whatever the superseded run said before it was told, it never handed back its tree; the
    // recorder hears of the trees through queued calls.
    QTRY_COMPARE(recorder.events.count("tree"), 2);
    QTest::qWait(20);
    QCOMPARE(recorder.events.count("tree"), 2);
    QVERIFY(recorder.requests.contains(latest));
}

// The window may ask again as soon as layoutReady() has reached it, while the worker thread is
// still on its way out of the run; that request must not be lost.
void TestAutoThread::startAfterHandover()
{
    QSemaphore handedOver;
    QSemaphore resume;
    bool first = true;
    Stage stage(QSize(400, 300), 5);
    connect(
        &stage.worker, &AutoThread::layoutReady, &stage.worker,
        [&](quint64, const LayoutTree &) {
            if (!first)
                return;
            first = false;
            handedOver.release();
            // hold the thread between the hand-over and its next wait
            resume.tryAcquire(1, 20000);
        },
        Qt::DirectConnection);
    stage.start();
    QVERIFY(handedOver.tryAcquire(1, 20000));
    stage.worker.startLayout(photoSizes(3), QSize(400, 300), 9);
    resume.release();
    QTRY_COMPARE_WITH_TIMEOUT(stage.done.count(), 2, 20000);
    QCOMPARE(stage.done.first().at(1).value<LayoutTree>().photoCount(), 5);
    QCOMPARE(stage.done.last().at(1).value<LayoutTree>().photoCount(), 3);
}

// The destructor supersedes the running layout and joins its thread: its tree never arrives,
// not even through a direct call from the thread on its way out.
void TestAutoThread::destroyWhileRunning()
{
    std::atomic<int> trees {0};
    QObject receiver;
    int queued = 0;
    {
        AutoThread worker;
        connect(
            &worker, &AutoThread::layoutReady, &worker, [&trees] { ++trees; },
            Qt::DirectConnection);
        connect(&worker, &AutoThread::layoutReady, &receiver, [&queued] { ++queued; });
        worker.startLayout(photoSizes(100), QSize(1200, 800), 3);
        QVERIFY(worker.isRunning());
    }
    QTest::qWait(50); // anything queued is delivered
    QCOMPARE(trees.load(), 0);
    QCOMPARE(queued, 0);
}

void TestAutoThread::latestWorker_data()
{
    QTest::addColumn<int>("requests"); // made while the first job runs
    QTest::addColumn<bool>("destroy"); // the worker goes while the first job runs
    QTest::addColumn<QStringList>("ran"); // the jobs that ran, and how they ended
    QTest::newRow("one job") << 0 << false << QStringList {"1 done"};
    QTest::newRow("a request while busy restarts")
        << 1 << false << QStringList {"1 superseded", "2 done"};
    QTest::newRow("the latest of many") << 3 << false << QStringList {"1 superseded", "4 done"};
    QTest::newRow("the destructor supersedes and joins")
        << 0 << true << QStringList {"1 superseded"};
}

// The first job holds the thread until the test lets it go, so every request lands while it
// runs; under the destructor it runs until it is told it has been superseded.
void TestAutoThread::latestWorker()
{
    QFETCH(int, requests);
    QFETCH(bool, destroy);
    QFETCH(QStringList, ran);
    QMutex mutex;
    QStringList log;
    QSemaphore running;
    QSemaphore release;
    const auto job = [&](int number) {
        return [&, number](const std::atomic<bool> &superseded) {
            if (number == 1) {
                running.release();
                QElapsedTimer waited;
                waited.start();
                if (destroy) {
                    while (!superseded && waited.elapsed() < 20000)
                        QThread::msleep(1);
                } else {
                    release.acquire();
                }
            }
            QMutexLocker locker(&mutex);
            log << QStringLiteral("%1 %2").arg(number).arg(superseded ? "superseded" : "done");
        };
    };
    auto worker = std::make_unique<LatestWorker>();
    worker->request(job(1));
    QVERIFY(running.tryAcquire(1, 20000));
    if (destroy) {
        worker.reset();
        QCOMPARE(log, ran); // joined: the job has ended before the destructor returned
        return;
    }
    for (int k = 2; k <= requests + 1; ++k)
        worker->request(job(k));
    release.release();
    QVERIFY(QTest::qWaitFor(
        [&] {
            QMutexLocker locker(&mutex);
            return log.size() >= ran.size();
        },
        20000));
    QTest::qWait(20); // and nothing more runs
    QMutexLocker locker(&mutex);
    QCOMPARE(log, ran);
}

void TestAutoThread::refitLayout_data()
{
    QTest::addColumn<int>("laidOut"); // photos of the tree handed in; -1: an empty tree
    QTest::addColumn<int>("photos");
    QTest::addColumn<bool>("fresh"); // whether a fresh layout comes back
    QTest::newRow("landscape to portrait") << 20 << 20 << false;
    QTest::newRow("one photo") << 1 << 1 << false;
    QTest::newRow("empty tree") << -1 << 20 << true;
    QTest::newRow("a photo more") << 19 << 20 << true;
    QTest::newRow("nothing at all") << -1 << 0 << true;
}

void TestAutoThread::refitLayout()
{
    QFETCH(int, laidOut);
    QFETCH(int, photos);
    QFETCH(bool, fresh);
    const QSize portrait(800, 1200);
    const LayoutTree old
        = laidOut < 0 ? LayoutTree() : runLayout(photoSizes(laidOut), QSize(1200, 800), 5);
    const LayoutTree before = old;
    QStringList trace;
    QList<int> progress;
    LayoutCallbacks callbacks;
    callbacks.trace = [&trace](int channel, const char *text) {
        if (channel == BTREE_OUT_DEBUG)
            trace.append(QString::fromUtf8(text));
    };
    callbacks.progress = [&progress](int value) { progress.append(value); };
    const LayoutTree refitted = ::refitLayout(old, photoSizes(photos), portrait, 9, callbacks);
    QCOMPARE(old, before);
    QCOMPARE(::refitLayout(old, photoSizes(photos), portrait, 9), refitted);
    if (fresh) {
        QCOMPARE(refitted, runLayout(photoSizes(photos), portrait, 9));
        return;
    }
    const char *why = nullptr;
    QVERIFY2(btree_check(refitted.tree(), 1, &why) == 0, why);
    QCOMPARE(refitted.canvasSize(), portrait);
    QCOMPARE(refitted.photoCount(), photos);
    QVERIFY(trace.contains(QStringLiteral("REFIT SEED: 9")));
    QCOMPARE(progress.last(), 0);
}

namespace {

double cellArea(const LayoutTree &layout, int photo)
{
    const BNode *leaf = btree_find_img(layout.tree()->root, photo);
    return double(leaf->w) * leaf->h;
}

double cellArea(const CollageDocument &document, int photo)
{
    return cellArea(document.layout, photo);
}

} // namespace

// Emphasis goes with its photo through both runs; all 1, or none given, is the plain layout.
void TestAutoThread::emphasis()
{
    const QList<QSize> sizes = photoSizes(12);
    const QSize canvas(1200, 800);
    const LayoutTree plain = runLayout(sizes, canvas, 3);
    QCOMPARE(runLayout(sizes, QList<qreal>(12, 1.0), canvas, 3), plain);
    QCOMPARE(::refitLayout(plain, sizes, {1.0, 1.0}, canvas, 3),
             ::refitLayout(plain, sizes, canvas, 3));
    const QList<qreal> larger {1, 1, 1, 4}; // photo 4; the rest count as 1
    const LayoutTree fresh = runLayout(sizes, larger, canvas, 3);
    const LayoutTree refitted = ::refitLayout(plain, sizes, larger, canvas, 3);
    // 2000 x 2000 at its fair share, sqrt(12e6 / 8e6), times sqrt(4)
    QCOMPARE(int(btree_find_img(fresh.tree()->root, 4)->img_w), 4899);
    QVERIFY(cellArea(fresh, 4) > 2 * cellArea(plain, 4));
    QVERIFY(cellArea(refitted, 4) > 2 * cellArea(plain, 4));
}

void TestAutoThread::refittedDocument_data()
{
    QTest::addColumn<int>("photos");
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    QTest::addColumn<int>("turned"); // photo index turned a quarter before the refit; -1: none
    QTest::addColumn<int>("emphasised"); // photo index given emphasis 2; -1: none
    QTest::newRow("landscape to portrait")
        << 20 << QSize(1200, 800) << QSize(800, 1200) << -1 << -1;
    QTest::newRow("portrait to landscape, turned")
        << 15 << QSize(600, 900) << QSize(1200, 600) << 2 << -1;
    QTest::newRow("turned on its canvas") << 20 << QSize(1200, 800) << QSize(1200, 800) << 1 << -1;
    QTest::newRow("emphasised") << 12 << QSize(1200, 800) << QSize(1200, 800) << -1 << 4;
    QTest::newRow("to a square, emphasised")
        << 30 << QSize(1200, 800) << QSize(1000, 1000) << 6 << 7;
}

namespace {

// How far a cell's shape is from its photo's: 1 when they agree, 2 when one is twice as wide
// for its height as the other.
double misfit(const LayoutTree &layout, int photo, const QSize &size)
{
    const BNode *leaf = btree_find_img(layout.tree()->root, photo);
    const double ratio = (double(leaf->w) * size.height()) / (double(leaf->h) * size.width());
    return std::max(ratio, 1 / ratio);
}

} // namespace

// A refit gives every photo a cell of its present shape and share on the new canvas, keeps the
// crops, and comes out the same for the same seed. A stretch of the same layout has slivers.
void TestAutoThread::refittedDocument()
{
    QFETCH(int, photos);
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    QFETCH(int, turned);
    QFETCH(int, emphasised);
    for (unsigned seed : {2u, 3u, 4u}) {
        CollageDocument document;
        for (const QSize &size : photoSizes(photos)) {
            PhotoRecord photo;
            photo.size = size;
            photo.crop = QPointF(0.25, -0.125);
            document.photos << photo;
        }
        document.canvasSize = from;
        document.seed = seed;
        document.layout = runLayout(layoutSizes(document.photos), from, seed);
        if (turned >= 0)
            document = withTurnedPhoto(document, turned, 1);
        const CollageDocument stretched = fittedTo(document, to);
        if (emphasised >= 0)
            document.photos[emphasised].emphasis = 2;

        const CollageDocument refitted = refittedTo(document, to, seed);
        QCOMPARE(refittedTo(document, to, seed), refitted);
        QCOMPARE(refitted.photos, document.photos);
        QCOMPARE(refitted.canvasSize, to);
        QCOMPARE(refitted.layout.canvasSize(), to);
        const char *why = nullptr;
        QVERIFY2(btree_check(refitted.layout.tree(), 1, &why) == 0, why);
        double worst = 1;
        double worstStretched = 1;
        for (int k = 0; k < photos; ++k) {
            worst = std::max(worst, misfit(refitted.layout, k + 1, document.photos[k].size));
            worstStretched = std::max(worstStretched,
                                      misfit(stretched.layout, k + 1, document.photos[k].size));
        }
        const QByteArray figures = QByteArray::number(worst) + " refitted, "
                                   + QByteArray::number(worstStretched) + " stretched";
        QVERIFY2(worst < 2, figures.constData());
        const bool flipped = (from.width() - from.height()) * (to.width() - to.height()) < 0;
        if (flipped) // the case is a real one
            QVERIFY2(worstStretched > 2.5, figures.constData());
        if (turned >= 0)
            QVERIFY2(misfit(refitted.layout, turned + 1, document.photos[turned].size) < 1.5,
                     figures.constData());
        if (emphasised >= 0)
            QVERIFY(cellArea(refitted, emphasised + 1) > 1.5 * cellArea(stretched, emphasised + 1));
    }
}

QTEST_MAIN(TestAutoThread)
#include "tst_autothread.moc"
