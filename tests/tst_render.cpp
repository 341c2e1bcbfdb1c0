#include "collagerender.h"
#include "hostilefiles.h"
#include "imagecache.h"
#include "memorybudget.h"
#include "photoframe.h"
#include "photoloader.h"
#include "renderthread.h"

#include "btree.h"

#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <atomic>

namespace {

struct Photos
{
    QList<PhotoRecord> list;
};

QColor colourOf(int i)
{
    return QColor::fromHsv((i * 47) % 360, 255, 90 + (i * 37) % 160);
}

// A hand-built tree: photos side by side on a canvas, leaf i showing photo i.
struct SideBySide
{
    explicit SideBySide(int n, QSize canvas)
    {
        nodes.resize(2 * n);
        tree.width = uint16_t(canvas.width());
        tree.height = uint16_t(canvas.height());
        BNode *parent = nullptr;
        int x = 0;
        for (int i = 0; i < n; ++i) {
            BNode *leaf = &nodes[i];
            leaf->type = BNODE_LEAF;
            leaf->img = i + 1;
            leaf->x = x;
            leaf->w = uint16_t((canvas.width() * (i + 1)) / n - x);
            leaf->h = uint16_t(canvas.height());
            x += leaf->w;
            if (i + 1 == n) {
                (parent ? parent->b : tree.root) = leaf;
                break;
            }
            BNode *side = &nodes[n + i];
            side->type = BNODE_SIDE;
            side->a = leaf;
            (parent ? parent->b : tree.root) = side;
            parent = side;
        }
        tree.img = uint32_t(n);
        tree.count = uint32_t(2 * n - 1);
    }
    QList<BNode> nodes;
    BTree tree {};
};

// The document a window would hold for these photos laid out side by side.
CollageDocument documentOf(const Photos &photos, const SideBySide &layout)
{
    CollageDocument document;
    document.photos = photos.list;
    document.canvasSize = document.requestedSize = QSize(layout.tree.width, layout.tree.height);
    document.layout = LayoutTree(&layout.tree);
    return document;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cachePolicy_data();
    void cachePolicy();
    void sharedEntry();
    void vanishedFile();
    void frameTypeFour();
    void everyCellShowsItsPhoto_data();
    void everyCellShowsItsPhoto();
    void scaledCellsTile();
    void largeTargetKeepsPreviewCache();
    void collageImageHasBackground();
    void threadHandsBackTheLayer();
    void startWhileRunning_data();
    void startWhileRunning();
    void nothingToRender();
    void destroyedWhileRunning();
    void snapshotMergesBack_data();
    void snapshotMergesBack();
    void failedPhotosLeaveTheCollage_data();
    void failedPhotosLeaveTheCollage();
    void everyPhotoFails();
    void threadHandsBackWhatWasDropped();
    void budgetBoundsWhatRunsAtOnce_data();
    void budgetBoundsWhatRunsAtOnce();

private:
    QString photo(const QString &name, const QSize &size, const QColor &colour);
    // Photos side by side on a scene of `canvas` size, photo i in colourOf(i).
    void rig(Photos &photos, int n, const QSize &photoSize);
    QTemporaryDir dir;
};

void TestRender::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

QString TestRender::photo(const QString &name, const QSize &size, const QColor &colour)
{
    const QString path = dir.filePath(name);
    if (!QFile::exists(path)) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        image.save(path, "jpg", 95);
    }
    return path;
}

void TestRender::rig(Photos &photos, int n, const QSize &photoSize)
{
    for (int i = 1; i <= n; ++i)
        photos.list << *createPhotoRecord(
            photo(QString("rig%1_%2x%3.jpg").arg(i).arg(photoSize.width()).arg(photoSize.height()),
                  photoSize, colourOf(i)));
}

void TestRender::cachePolicy_data()
{
    QTest::addColumn<QSize>("photoSize");
    QTest::addColumn<QList<QSize>>("cells");
    QTest::addColumn<QList<QSize>>("decoded"); // null size: served by the cache

    QTest::newRow("4000x3000: load, reuse, reload")
        << QSize(4000, 3000) << QList<QSize> {{400, 400}, {500, 500}, {700, 700}}
        << QList<QSize> {{853, 640}, {}, {1493, 1120}};
    QTest::newRow("300x200 in a larger cell, loaded every time")
        << QSize(300, 200) << QList<QSize> {{400, 300}, {400, 300}}
        << QList<QSize> {{300, 200}, {300, 200}};
}

void TestRender::cachePolicy()
{
    QFETCH(QSize, photoSize);
    QFETCH(QList<QSize>, cells);
    QFETCH(QList<QSize>, decoded);

    Photos photos;
    const std::optional<PhotoRecord> record = createPhotoRecord(
        photo(QString("policy%1x%2.jpg").arg(photoSize.width()).arg(photoSize.height()), photoSize,
              Qt::darkCyan));
    QVERIFY(record);
    photos.list << *record;
    ImageCache cache;
    for (int i = 0; i < cells.size(); ++i) {
        const QList<RenderCell> layout {{1, QRect(QPoint(0, 0), cells.at(i))}};
        const QList<PhotoLoader> planned = planLoads(layout, photos.list, cache);
        QCOMPARE(planned.size(), decoded.at(i).isEmpty() ? 0 : 1);
        const qint64 before = cache.image(photos.list.first().path).cacheKey();
        QImage target(cells.at(i), QImage::Format_ARGB32);
        target.fill(Qt::transparent);
        renderCells(layout, photos.list, cache, FrameSettings(), target);
        const QImage after = cache.image(photos.list.first().path);
        if (decoded.at(i).isEmpty())
            QCOMPARE(after.cacheKey(), before);
        else
            QCOMPARE(after.size(), decoded.at(i));
    }
    QCOMPARE(cache.count(), 1);
}

void TestRender::sharedEntry()
{
    Photos photos;
    const QString path = photo("twice.jpg", QSize(800, 600), Qt::red);
    photos.list << *createPhotoRecord(path) << *createPhotoRecord(path);
    const QList<RenderCell> layout {{1, QRect(0, 0, 100, 100)}, {2, QRect(100, 0, 300, 300)}};
    ImageCache cache;
    const QList<PhotoLoader> planned = planLoads(layout, photos.list, cache);
    QCOMPARE(planned.size(), 1);
    QCOMPARE(planned.first().scale, loadScale(QSize(800, 600), QSize(300, 300)));

    QImage target(400, 300, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    renderCells(layout, photos.list, cache, FrameSettings(), target);
    QCOMPARE(cache.count(), 1);
    QVERIFY(qRed(target.pixel(50, 50)) > 200);
    QVERIFY(qRed(target.pixel(250, 150)) > 200);
}

void TestRender::vanishedFile()
{
    Photos photos;
    const QString path = dir.filePath("vanishing.jpg");
    QFile::copy(photo("vanish-src.jpg", QSize(200, 200), Qt::blue), path);
    photos.list << *createPhotoRecord(path)
                << *createPhotoRecord(photo("stays.jpg", {200, 200}, Qt::green));
    QFile::remove(path);
    ImageCache cache;
    QImage target(200, 100, QImage::Format_ARGB32);
    target.fill(0xFF102030u);
    renderCells({{1, QRect(0, 0, 100, 100)}, {2, QRect(100, 0, 100, 100)}}, photos.list, cache,
                FrameSettings(), target);
    QCOMPARE(target.pixel(50, 50), 0xFF102030u);
    QVERIFY(qGreen(target.pixel(150, 50)) > 200);
    // The failed load is cached as a null image, as any other result.
    QVERIFY(cache.contains(path) && cache.image(path).isNull());
}

void TestRender::frameTypeFour()
{
    Photos photos;
    photos.list << *createPhotoRecord(photo("four.jpg", QSize(100, 100), Qt::yellow));
    ImageCache cache;
    QImage target(100, 100, QImage::Format_ARGB32);
    target.fill(0xFF445566u);
    renderCells({{1, QRect(0, 0, 100, 100)}}, photos.list, cache,
                FrameSettings {FrameType(4), 0, 0}, target);
    QCOMPARE(target.pixel(50, 50), 0xFF445566u);
    QCOMPARE(cache.count(), 1);
}

void TestRender::everyCellShowsItsPhoto_data()
{
    QTest::addColumn<QSize>("target");
    QTest::addColumn<int>("frameType");
    QTest::newRow("working size") << QSize(300, 200) << 1;
    QTest::newRow("twice the size") << QSize(600, 400) << 2;
    QTest::newRow("odd scale") << QSize(451, 317) << 3;
}

void TestRender::everyCellShowsItsPhoto()
{
    QFETCH(QSize, target);
    QFETCH(int, frameType);
    // A 3x2 grid on 300x200 with uneven edges.
    const QList<int> xs {0, 97, 203, 300};
    const QList<int> ys {0, 111, 200};
    QList<RenderCell> cells;
    Photos photos;
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            const int n = int(photos.list.size()) + 1;
            photos.list << *createPhotoRecord(
                photo(QString("cell%1.jpg").arg(n), QSize(320, 240), colourOf(n)));
            cells.append({n, QRect(xs[c], ys[r], xs[c + 1] - xs[c], ys[r + 1] - ys[r])});
        }
    }
    // Opaque, as the layout's pale boxes leave the layer: a pixel no tile reached keeps it.
    const QRgb box = 0xFFA0B0C0u;
    QImage image(target, QImage::Format_ARGB32);
    image.fill(box);
    renderCellsScaled(cells, QSize(300, 200), photos.list,
                      FrameSettings {FrameType(frameType), 2, 4}, image);
    int uncovered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            uncovered += image.pixel(x, y) == box;
    QCOMPARE(uncovered, 0);
    for (const RenderCell &cell : scaleCells(cells, QSize(300, 200), target)) {
        const QColor got = image.pixelColor(cell.rect.center());
        const QColor want = colourOf(cell.img);
        QVERIFY2(qAbs(got.red() - want.red()) < 12 && qAbs(got.green() - want.green()) < 12
                     && qAbs(got.blue() - want.blue()) < 12,
                 qPrintable(QString("cell %1").arg(cell.img)));
        QCOMPARE(got.alpha(), 255);
    }
}

void TestRender::scaledCellsTile()
{
    const QList<RenderCell> cells {{1, QRect(0, 0, 97, 200)},
                                   {2, QRect(97, 0, 106, 111)},
                                   {3, QRect(97, 111, 106, 89)},
                                   {4, QRect(203, 0, 97, 200)}};
    const QSize target(1237, 761);
    const QList<RenderCell> scaled = scaleCells(cells, QSize(300, 200), target);
    qint64 area = 0;
    for (int i = 0; i < scaled.size(); ++i) {
        area += qint64(scaled[i].rect.width()) * scaled[i].rect.height();
        for (int j = i + 1; j < scaled.size(); ++j)
            QVERIFY(!scaled[i].rect.intersects(scaled[j].rect));
    }
    QCOMPARE(area, qint64(target.width()) * target.height());
    QCOMPARE(scaled[1].rect.left(), scaled[0].rect.right() + 1);
    QCOMPARE(scaled[3].rect.right(), target.width() - 1);
}

void TestRender::largeTargetKeepsPreviewCache()
{
    Photos photos;
    rig(photos, 3, {900, 600});
    SideBySide layout(3, QSize(300, 100));
    ImageCache cache;
    QImage preview(300, 100, QImage::Format_ARGB32);
    preview.fill(Qt::transparent);
    renderCollage(&layout.tree, photos.list, cache, FrameSettings(), preview);
    const qint64 key = cache.image(photos.list.first().path).cacheKey();

    QImage print(1200, 400, QImage::Format_ARGB32);
    print.fill(Qt::transparent);
    renderCollage(&layout.tree, photos.list, cache, FrameSettings {FrameType::Rect, 10, 0}, print);
    QCOMPARE(cache.count(), 3);
    QCOMPARE(cache.image(photos.list.first().path).cacheKey(), key);
    // The margin grew with the canvas: 10 px at working size is 40 px here.
    QCOMPARE(qAlpha(print.pixel(39, 200)), 0);
    QCOMPARE(qAlpha(print.pixel(41, 200)), 255);
    QVERIFY(qAbs(print.pixelColor(200, 200).hue() - colourOf(1).hue()) < 8);
}

void TestRender::collageImageHasBackground()
{
    Photos photos;
    rig(photos, 3, {900, 600});
    SideBySide layout(3, QSize(300, 100));
    const QColor back(32, 80, 192, 90); // translucent: the saved value must be exact, not blended
    CollageDocument document = documentOf(photos, layout);
    document.frame = FrameSettings {FrameType::Rect, 10, 0};
    document.background = back;
    const QImage collage = renderCollageImage(document, {600, 200});
    QCOMPARE(collage.size(), QSize(600, 200));
    QCOMPARE(collage.format(), QImage::Format_ARGB32);
    QCOMPARE(collage.pixelColor(5, 100), back); // inside the scaled 20 px margin
    QCOMPARE(collage.pixelColor(100, 100).alpha(), 255);
    QVERIFY(qAbs(collage.pixelColor(100, 100).hue() - colourOf(1).hue()) < 8);
}

// The render draws from a snapshot of the owner's cache and hands its decodes back; the
// owner's cache is left alone until it merges them.
void TestRender::threadHandsBackTheLayer()
{
    Photos photos;
    rig(photos, 4, {640, 480});
    SideBySide layout(4, QSize(400, 300));
    ImageCache cache;
    RenderThread thread;
    QSignalSpy rendered(&thread, &RenderThread::renderFinished);
    QSignalSpy progress(&thread, &RenderThread::progressValue);
    const quint64 request = thread.startRender(documentOf(photos, layout), cache, QSize(400, 300));
    QVERIFY(request != 0);
    QVERIFY(rendered.wait(20000));
    QCOMPARE(rendered.first().first().value<quint64>(), request);
    const RenderedLayer result = rendered.first().at(1).value<RenderedLayer>();
    QCOMPARE(cache.count(), 0);
    QCOMPARE(result.decodes.size(), 4);
    cache.merge(result.decodes);
    QCOMPARE(cache.count(), 4);
    // Percent of the photos decoded, not their count, each naming the request.
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(1).toInt(), 100);
    for (const QList<QVariant> &report : std::as_const(progress))
        QCOMPARE(report.first().value<quint64>(), request);

    const QImage layer = result.render.image;
    QCOMPARE(layer.size(), QSize(400, 300));
    for (const RenderCell &cell : collectLeaves(&layout.tree)) {
        const QColor got = layer.pixelColor(cell.rect.center());
        QVERIFY(qAbs(got.hue() - colourOf(cell.img).hue()) < 8);
        QCOMPARE(got.alpha(), 255);
    }
}

void TestRender::startWhileRunning_data()
{
    QTest::addColumn<QList<int>>("margins"); // one render asked for with each, one after another
    QTest::newRow("one") << QList<int> {20};
    QTest::newRow("a frame change while it renders") << QList<int> {0, 20};
    QTest::newRow("several") << QList<int> {4, 8, 12, 20};
}

// The latest request wins: only the last render's layer arrives, drawn with its frame, and
// another start once it has arrived renders again.
void TestRender::startWhileRunning()
{
    QFETCH(QList<int>, margins);
    Photos photos;
    rig(photos, 6, {3000, 2000});
    SideBySide layout(6, QSize(1200, 400));
    ImageCache cache;
    RenderThread thread;
    QSignalSpy rendered(&thread, &RenderThread::renderFinished);
    CollageDocument document = documentOf(photos, layout);
    quint64 latest = 0;
    for (int margin : std::as_const(margins)) {
        document.frame = FrameSettings {FrameType::Rect, margin, 0};
        latest = thread.startRender(document, cache, QSize(1200, 400));
    }
    QVERIFY(rendered.wait(20000));
    QTest::qWait(50); // a superseded layer, were it sent
    QCOMPARE(rendered.count(), 1);
    QCOMPARE(rendered.first().first().value<quint64>(), latest);
    const QImage layer = rendered.first().at(1).value<RenderedLayer>().render.image;
    QCOMPARE(qAlpha(layer.pixel(5, 200)), 0); // inside the last margin
    QCOMPARE(qAlpha(layer.pixel(25, 200)), 255);

    const quint64 again = thread.startRender(document, cache, QSize(1200, 400));
    QVERIFY(again > latest);
    QVERIFY(rendered.wait(20000));
    QCOMPARE(rendered.count(), 2);
    QCOMPARE(rendered.last().first().value<quint64>(), again);
}

void TestRender::nothingToRender()
{
    Photos photos;
    SideBySide layout(1, QSize(100, 100));
    ImageCache cache;
    RenderThread thread;
    QSignalSpy rendered(&thread, &RenderThread::renderFinished);
    // A layout without its photos, photos without a layout, and an empty size.
    QCOMPARE(thread.startRender(documentOf(photos, layout), cache, QSize(100, 100)), quint64(0));
    photos.list << *createPhotoRecord(photo("single.jpg", {100, 100}, Qt::red));
    QCOMPARE(thread.startRender(documentOf(photos, layout), cache, QSize()), quint64(0));
    CollageDocument unlaid = documentOf(photos, layout);
    unlaid.layout = LayoutTree();
    QCOMPARE(thread.startRender(unlaid, cache, QSize(100, 100)), quint64(0));
    QTest::qWait(20);
    QCOMPARE(rendered.count(), 0);
}

// Closing the window mid-render: the owner's cache may go first, as the render holds only its
// snapshot, and the destructor joins without handing anything back.
void TestRender::destroyedWhileRunning()
{
    Photos photos;
    rig(photos, 6, {3000, 2000});
    SideBySide layout(6, QSize(1200, 400));
    auto cache = std::make_unique<ImageCache>();
    auto thread = std::make_unique<RenderThread>();
    QObject receiver;
    int received = 0;
    connect(thread.get(), &RenderThread::renderFinished, &receiver, [&received] { ++received; });
    QVERIFY(thread->startRender(documentOf(photos, layout), *cache, QSize(1200, 400)) != 0);
    cache.reset();
    thread.reset();
    QTest::qWait(50);
    QCOMPARE(received, 0);
}

void TestRender::snapshotMergesBack_data()
{
    // In the owner before the snapshot, stored through the snapshot ("!x": a failed decode),
    // and in the owner after the merge.
    QTest::addColumn<QStringList>("held");
    QTest::addColumn<QStringList>("decoded");
    QTest::addColumn<bool>("ownerClears"); // between the snapshot and the merge
    QTest::addColumn<QStringList>("after");
    QTest::newRow("new decodes come back")
        << QStringList {"a"} << QStringList {"b", "c"} << false << QStringList {"a", "b", "c"};
    QTest::newRow("a failed decode is remembered")
        << QStringList {"a"} << QStringList {"!b"} << false << QStringList {"a", "!b"};
    QTest::newRow("the snapshot keeps what the owner drops")
        << QStringList {"a"} << QStringList {"b"} << true << QStringList {"b"};
    QTest::newRow("nothing decoded")
        << QStringList {"a"} << QStringList() << false << QStringList {"a"};
}

void TestRender::snapshotMergesBack()
{
    QFETCH(QStringList, held);
    QFETCH(QStringList, decoded);
    QFETCH(bool, ownerClears);
    QFETCH(QStringList, after);
    const auto imageOf = [](const QString &name) {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(name.at(0).unicode() * 40 % 360, 200, 200));
        return image;
    };
    ImageCache owner;
    for (const QString &name : std::as_const(held))
        owner.store(name, imageOf(name));
    QVERIFY(owner.stored().isEmpty()); // only snapshots keep a journal
    ImageCache snapshot(owner);
    if (ownerClears)
        owner.clear();
    for (const QString &name : std::as_const(held))
        QCOMPARE(snapshot.image(name), imageOf(name));
    for (const QString &name : std::as_const(decoded)) {
        const bool failed = name.startsWith(QLatin1Char('!'));
        snapshot.store(name.mid(failed), failed ? QImage() : imageOf(name.mid(failed)));
    }
    QCOMPARE(snapshot.stored().size(), decoded.size());
    owner.merge(snapshot.stored());
    QCOMPARE(owner.count(), after.size());
    for (const QString &name : std::as_const(after)) {
        const bool failed = name.startsWith(QLatin1Char('!'));
        QVERIFY2(owner.contains(name.mid(failed)), qPrintable(name));
        QCOMPARE(owner.image(name.mid(failed)), failed ? QImage() : imageOf(name.mid(failed)));
    }
}

void TestRender::failedPhotosLeaveTheCollage_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the file is gone by the time it is drawn
    QTest::addColumn<int>("position");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<RenderKind>("kind");
    const QByteArray png = hostile::encoded(hostile::noise(64, 48), "png");
    const QByteArray scans = hostile::encoded(hostile::noise(64, 48), "jpg", true);
    QTest::newRow("PNG header alone, first")
        << hostile::pngHeader(3000, 3000) << 0 << QSize(400, 100) << RenderKind::PhotoLayer;
    QTest::newRow("truncated PNG, last")
        << png.left(png.size() / 2) << 3 << QSize(400, 100) << RenderKind::PhotoLayer;
    QTest::newRow("damaged scan header, scaled collage")
        << hostile::damagedScan(scans) << 1 << QSize(1000, 250) << RenderKind::Collage;
    QTest::newRow("removed after adding, collage")
        << QByteArray() << 2 << QSize(400, 100) << RenderKind::Collage;
}

// A photo admitted from its header that then fails to decode leaves no hole: it leaves the
// collage, and the others fill the canvas.
void TestRender::failedPhotosLeaveTheCollage()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, position);
    QFETCH(QSize, size);
    QFETCH(RenderKind, kind);
    Photos photos;
    rig(photos, 3, {640, 480});
    const QString bad = dir.filePath(QString("bad_%1.jpg").arg(QTest::currentDataTag()));
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.isEmpty() ? hostile::encoded(hostile::noise(64, 48), "jpg") : bytes);
    file.close();
    const std::optional<PhotoRecord> record = createPhotoRecord(bad);
    QVERIFY(record);
    if (bytes.isEmpty())
        QVERIFY(QFile::remove(bad));
    photos.list.insert(position, *record);

    SideBySide layout(4, QSize(400, 100));
    CollageDocument document = documentOf(photos, layout);
    document.background = QColor(0, 0, 0, 0);
    ImageCache cache;
    const DocumentRender result = renderDocument(document, cache, size, kind);
    QCOMPARE(result.dropped.size(), 1);
    QCOMPARE(result.dropped.first().path, bad);
    QVERIFY(!result.dropped.first().reason.isEmpty());
    QCOMPARE(result.document.photos.size(), 3);
    QVERIFY(!result.document.photos.contains(*record));
    QVERIFY(result.document.hasLayout());

    QCOMPARE(result.image.size(), size);
    for (int y = 0; y < size.height(); y += 3)
        for (int x = 0; x < size.width(); x += 3)
            QVERIFY2(qAlpha(result.image.pixel(x, y)) == 255,
                     qPrintable(QString("hole at %1,%2").arg(x).arg(y)));
    const QList<RenderCell> cells = scaleCells(collectLeaves(result.document.layout.tree()),
                                               result.document.layout.canvasSize(), size);
    for (const RenderCell &cell : cells) {
        const PhotoRecord &shown = result.document.photos.at(cell.img - 1);
        const int number = QFileInfo(shown.path).baseName().mid(3).section('_', 0, 0).toInt();
        QVERIFY(qAbs(result.image.pixelColor(cell.rect.center()).hue() - colourOf(number).hue())
                < 8);
    }
}

// When nothing decodes, the layer is empty and the collage is its background.
void TestRender::everyPhotoFails()
{
    Photos photos;
    for (const char *name : {"none1.jpg", "none2.jpg"}) {
        const QString path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(hostile::pngHeader(500, 500));
        file.close();
        photos.list << *createPhotoRecord(path);
    }
    // A file taken twice is one problem.
    photos.list << photos.list.first();
    SideBySide layout(3, QSize(200, 100));
    CollageDocument document = documentOf(photos, layout);
    document.background = Qt::darkGreen;
    ImageCache cache;
    const DocumentRender layer
        = renderDocument(document, cache, {200, 100}, RenderKind::PhotoLayer);
    QCOMPARE(layer.dropped.size(), 2);
    QCOMPARE(layer.dropped.first().path, photos.list.first().path);
    QVERIFY(layer.document.photos.isEmpty());
    QCOMPARE(layer.image.size(), QSize(200, 100));
    QCOMPARE(layer.image.pixel(100, 50), 0u);
    const DocumentRender collage = renderDocument(document, cache, {300, 150}, RenderKind::Collage);
    QCOMPARE(collage.dropped.size(), 2);
    QCOMPARE(collage.image.pixelColor(150, 75), QColor(Qt::darkGreen));
}

void TestRender::threadHandsBackWhatWasDropped()
{
    Photos photos;
    rig(photos, 2, {640, 480});
    const QString bad = dir.filePath("thread_bad.jpg");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(hostile::pngHeader(800, 600));
    file.close();
    photos.list.insert(1, *createPhotoRecord(bad));
    SideBySide layout(3, QSize(300, 100));
    ImageCache cache;
    RenderThread thread;
    QSignalSpy finished(&thread, &RenderThread::renderFinished);
    thread.startRender(documentOf(photos, layout), cache, QSize(300, 100));
    QVERIFY(finished.wait(20000));
    QCOMPARE(finished.count(), 1);
    const RenderedLayer layer = finished.first().at(1).value<RenderedLayer>();
    const DocumentRender &result = layer.render;
    QCOMPARE(result.dropped.size(), 1);
    QCOMPARE(result.dropped.first().path, bad);
    QCOMPARE(result.document.photos.size(), 2);
    QCOMPARE(qAlpha(result.image.pixel(150, 50)), 255);
    // The failure is handed back too, so the owner does not try the file again.
    cache.merge(layer.decodes);
    QVERIFY(cache.contains(bad));
    QVERIFY(cache.image(bad).isNull());
}

void TestRender::budgetBoundsWhatRunsAtOnce_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QList<qint64>>("jobs");
    QTest::newRow("small jobs share it") << qint64(100) << QList<qint64>(40, 30);
    QTest::newRow("mixed") << qint64(100) << QList<qint64> {90, 20, 50, 50, 10, 100, 70, 5, 95};
    QTest::newRow("larger than the budget runs alone")
        << qint64(100) << QList<qint64> {500, 30, 30, 1000, 60, 0};
}

// Decodes wait for memory, not for a thread: on any number of threads, what the jobs hold at
// once never passes the budget.
void TestRender::budgetBoundsWhatRunsAtOnce()
{
    QFETCH(qint64, total);
    QFETCH(QList<qint64>, jobs);
    MemoryBudget budget(total);
    QThreadPool pool;
    pool.setMaxThreadCount(8);
    std::atomic<qint64> held {0};
    std::atomic<qint64> most {0};
    std::atomic<bool> wrongSize {false};
    QtConcurrent::blockingMap(&pool, jobs, [&](qint64 bytes) {
        const MemoryReservation reservation = budget.reserve(bytes);
        if (reservation.bytes() != qMin(bytes, total))
            wrongSize = true;
        const qint64 now = held += reservation.bytes();
        qint64 seen = most;
        while (now > seen && !most.compare_exchange_weak(seen, now)) { }
        // Some work, so that the jobs overlap.
        volatile double x = 0;
        for (int i = 0; i < 200000; ++i)
            x = x + i;
        held -= reservation.bytes();
    });
    QVERIFY(!wrongSize);
    QVERIFY(most <= total);
    QVERIFY(budget.peak() <= total);
    QCOMPARE(budget.inUse(), qint64(0));
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
