#include "collagedocument.h"
#include "collagerender.h"
#include "contentbox.h"
#include "contentdetect.h"
#include "facephotos.h"
#include "imagecache.h"
#include "layoutrun.h"
#include "photoframe.h"

#include <QtTest>

#include <atomic>

// The crop rule on plain boxes, and the detector on photos composed from Debian's faces.
class TestContentCrop : public QObject
{
    Q_OBJECT

private slots:
    void keeps_data();
    void keeps();
    void manualCropWins();
    void oddImagesGiveNoBox_data();
    void oddImagesGiveNoBox();
    void recall();
    void analysePhotos_data();
    void analysePhotos();
    void cacheIsBounded();
    void analysedAsDrawn_data();
    void analysedAsDrawn();
};

void TestContentCrop::keeps_data()
{
    QTest::addColumn<QSize>("image");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QList<QRectF>>("faces");
    QTest::addColumn<QList<QRectF>>("whole"); // faces the window must hold whole
    QTest::addColumn<QList<QRectF>>("outside"); // faces it must not touch

    const QRectF top(0.3, 0.02, 0.4, 0.08);
    QTest::newRow("tall photo, face near the top, wide cell")
        << QSize(400, 1200) << QSize(300, 100) << QList<QRectF> {top} << QList<QRectF> {top}
        << QList<QRectF> {};
    const QRectF bottom(0.3, 0.9, 0.4, 0.08);
    QTest::newRow("tall photo, face near the bottom")
        << QSize(400, 1200) << QSize(300, 100) << QList<QRectF> {bottom} << QList<QRectF> {bottom}
        << QList<QRectF> {};
    const QRectF large(0.02, 0.3, 0.2, 0.4);
    const QRectF small(0.85, 0.4, 0.1, 0.2);
    QTest::newRow("two faces too far apart keep the larger")
        << QSize(1200, 400) << QSize(100, 100) << QList<QRectF> {small, large}
        << QList<QRectF> {large} << QList<QRectF> {small};
    const QRectF a(0.05, 0.3, 0.1, 0.3);
    const QRectF b(0.2, 0.3, 0.08, 0.3);
    const QRectF far(0.9, 0.3, 0.08, 0.3);
    QTest::newRow("two near faces fit, the far one is left whole outside")
        << QSize(1200, 400) << QSize(150, 100) << QList<QRectF> {a, b, far} << QList<QRectF> {a, b}
        << QList<QRectF> {far};
}

void TestContentCrop::keeps()
{
    QFETCH(QSize, image);
    QFETCH(QSize, cell);
    QFETCH(QList<QRectF>, faces);
    QFETCH(QList<QRectF>, whole);
    QFETCH(QList<QRectF>, outside);
    ContentBox box;
    box.faces = faces;
    const QRect window = cropRect(image, cell, contentCrop(image, cell, box));
    const auto pixels = [&](const QRectF &r) {
        return QRectF(r.x() * image.width(), r.y() * image.height(), r.width() * image.width(),
                      r.height() * image.height());
    };
    for (const QRectF &face : whole)
        QVERIFY2(QRectF(window).contains(pixels(face)), "a face that fits is cut");
    for (const QRectF &face : outside)
        QVERIFY2(!QRectF(window).intersects(pixels(face)), "a face is cut");
    // Nothing found: the centre crop.
    QCOMPARE(contentCrop(image, cell, ContentBox()), QPointF());
}

void TestContentCrop::manualCropWins()
{
    PhotoRecord photo;
    photo.size = QSize(400, 1200);
    ContentBox box;
    box.faces = {QRectF(0.3, 0.02, 0.4, 0.08)};
    photo.content = box;
    // A reshuffle gives the photo other cells; the user's crop stays what he made.
    photo.crop = QPointF(0, 0.2);
    for (const QSize &cell : {QSize(300, 100), QSize(100, 80), QSize(200, 50)})
        QCOMPARE(tileCrop(photo, photo.size, cell, CropMode::Auto), photo.crop);
    photo.crop = QPointF();
    QVERIFY(tileCrop(photo, photo.size, QSize(300, 100), CropMode::Auto).y() < 0);
    QCOMPARE(tileCrop(photo, photo.size, QSize(300, 100), CropMode::Centre), QPointF());
}

void TestContentCrop::oddImagesGiveNoBox_data()
{
    QTest::addColumn<QImage>("image");
    QTest::newRow("1xN") << QImage(1, 900, QImage::Format_RGB32);
    QTest::newRow("Nx1") << QImage(900, 1, QImage::Format_ARGB32);
    QTest::newRow("null") << QImage();
    QImage flat(300, 200, QImage::Format_Grayscale16);
    flat.fill(Qt::gray);
    QTest::newRow("flat 16-bit grey") << flat;
    QImage clear(300, 200, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    QTest::newRow("transparent") << clear;
}

void TestContentCrop::oddImagesGiveNoBox()
{
    QFETCH(QImage, image);
    QVERIFY(detectContent(image).isEmpty());
}

void TestContentCrop::recall()
{
    const QList<facephotos::Photo> photos = facephotos::photos();
    if (photos.isEmpty())
        QSKIP("the face pictures of opencv-doc and python3-skimage are not installed");
    int faces = 0;
    int found = 0;
    for (const facephotos::Photo &photo : photos) {
        const ContentBox box = detectContent(photo.image.scaled(
            analysisSide, analysisSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        for (const QPointF &face : photo.faces) {
            ++faces;
            const QPointF share(face.x() / photo.image.width(), face.y() / photo.image.height());
            found += std::any_of(box.faces.cbegin(), box.faces.cend(),
                                 [&](const QRectF &r) { return r.contains(share); });
        }
    }
    // 0.76 when measured; a detector that lost its cascades finds none.
    QVERIFY2(found >= faces * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(found).arg(faces)));
}

void TestContentCrop::analysePhotos_data()
{
    QTest::addColumn<QString>("file"); // what the photo is
    QTest::addColumn<bool>("stale"); // whether the stamp is older than the file
    QTest::addColumn<bool>("stop"); // whether the caller stops the run
    QTest::addColumn<QString>("expected"); // found, fake (the cache's), none (no box)
    QTest::newRow("portrait") << "portrait" << false << false << "found";
    QTest::newRow("cached") << "cached" << false << false << "fake";
    QTest::newRow("cached, stopped") << "cached" << false << true << "fake";
    QTest::newRow("portrait, stopped") << "portrait" << false << true << "none";
    QTest::newRow("changed since stamped") << "portrait" << true << false << "none";
    QTest::newRow("missing") << "missing" << false << false << "none";
    QTest::newRow("damaged") << "damaged" << false << false << "none";
    QTest::newRow("damaged cache entry") << "corrupt" << false << false << "found";
}

// The entry the window calls off its GUI thread: boxes by file stamp, through the cache, and
// never one for a file other than the one asked about.
void TestContentCrop::analysePhotos()
{
    QFETCH(QString, file);
    QFETCH(bool, stale);
    QFETCH(bool, stop);
    QFETCH(QString, expected);
    const facephotos::Photo portrait = facephotos::tallPhoto(facephotos::sources().constFirst());
    if (portrait.image.isNull())
        QSKIP("the face pictures of python3-skimage are not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    const QString cacheDir = dir.filePath(QStringLiteral("cache"));
    if (file == QLatin1String("damaged")) {
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(QByteArray("\xff\xd8\xff\xe0 not a photo"));
    } else if (file != QLatin1String("missing")) {
        QVERIFY(portrait.image.save(path, "JPEG", 95));
    }
    ContentBox fake;
    fake.subject = QRectF(0.1, 0.2, 0.3, 0.4);
    if (file == QLatin1String("cached"))
        ContentCache(cacheDir).store(stampOf(path), fake);
    if (file == QLatin1String("corrupt")) {
        ContentCache(cacheDir).store(stampOf(path), fake);
        for (const QFileInfo &entry : QDir(cacheDir).entryInfoList(QDir::Files)) {
            QFile broken(entry.filePath());
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("{\"faces\": [[2, 2, 2, 2]]}");
        }
    }
    PhotoStamp stamp = stampOf(path);
    if (stale)
        stamp.modified -= 1000;

    std::atomic<int> told {0};
    ContentCallbacks callbacks;
    callbacks.found = [&](const PhotoContent &) { ++told; };
    callbacks.stop = [stop] { return stop; };
    ContentCache cache(cacheDir);
    const QList<PhotoContent> results = ::analysePhotos({stamp, stamp}, cache, callbacks);
    QCOMPARE(told.load(), 2);
    QCOMPARE(results.size(), 2);
    for (const PhotoContent &result : results) {
        QCOMPARE(result.photo, stamp);
        if (expected == QLatin1String("none")) {
            QVERIFY(!result.box);
        } else if (expected == QLatin1String("fake")) {
            QCOMPARE(result.box, std::optional<ContentBox>(fake));
        } else {
            QVERIFY(result.box);
            QVERIFY(!result.box->isEmpty());
            QVERIFY2(result.box->bounds().center().y() < 0.45, "the picture is at the top");
        }
    }
    // What was found is on disk for the next run; nothing is kept for a stamp not analysed.
    QCOMPARE(ContentCache(cacheDir).find(stamp), results.first().box);
}

// A long life of new photos leaves no more than the bound on disk, and the result stored last
// is always among them.
void TestContentCrop::cacheIsBounded()
{
    QTemporaryDir dir;
    ContentBox box;
    box.subject = QRectF(0.1, 0.2, 0.3, 0.4);
    PhotoStamp last;
    for (int i = 0; i < 40; ++i) {
        last = {dir.filePath(QStringLiteral("photo%1.jpg").arg(i)), 1000 + i, 1};
        ContentCache(dir.path(), 4).store(last, box);
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).size() <= 5);
    }
    QCOMPARE(ContentCache(dir.path(), 4).find(last), std::optional<ContentBox>(box));
}

void TestContentCrop::analysedAsDrawn_data()
{
    QTest::addColumn<QSize>("size"); // of the photo's file
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<bool>("shared"); // whether its decode for the collage is the analysis's too
    QTest::newRow("JPEG, sides of eighths") << QSize(1600, 4000) << QByteArray("jpg") << true;
    QTest::newRow("JPEG, odd sides") << QSize(1601, 4003) << QByteArray("jpg") << false;
    QTest::newRow("PNG") << QSize(800, 2000) << QByteArray("png") << false;
}

// A collage analyses its photos as it decodes them: it finds the boxes an analysis ahead of it
// finds and draws the collage they give, whichever decode the analysis worked on.
void TestContentCrop::analysedAsDrawn()
{
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QFETCH(bool, shared);
    const facephotos::Photo portrait = facephotos::tallPhoto(facephotos::sources().constFirst());
    if (portrait.image.isNull())
        QSKIP("the face pictures of python3-skimage are not installed");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("portrait.") + format);
    QVERIFY(portrait.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .save(path, format, 95));
    const QString flat = dir.filePath(QStringLiteral("flat.png"));
    QImage plain(1200, 800, QImage::Format_RGB32);
    plain.fill(QColor(40, 90, 160));
    QVERIFY(plain.save(flat));

    CollageDocument document;
    document.photos = {*createPhotoRecord(path), *createPhotoRecord(flat)};
    document.requestedSize = QSize(200, 150);
    document.canvasSize = document.requestedSize;
    document.crop = CropMode::Auto;
    document.layout
        = runLayout({document.photos[0].size, document.photos[1].size}, document.canvasSize, 3);
    const std::optional<ContentBox> ahead = analysePhoto(document.photos[0]);
    QVERIFY(ahead && !ahead->isEmpty());

    // Keeping the eighth never changes the photo's own decode.
    PhotoLoader loader = planLoads(collectLeaves(document.layout.tree()), document.photos,
                                   ImageCache(ImageCache::Retention::DrawOnly))
                             .constFirst();
    const QImage drawn = loadPhoto(loader);
    loader.keepEighth = true;
    const Result<DecodedPhoto> both = decodePhoto(loader);
    QVERIFY(both);
    QCOMPARE(both->image, drawn);
    QCOMPARE(!both->eighth.isNull(), shared);
    if (shared)
        QCOMPARE(both->eighth, analysisImage(document.photos[0]));

    ImageCache cache(ImageCache::Retention::DrawOnly);
    RenderOptions analysing;
    analysing.analyse = true;
    const DocumentRender render = renderDocument(document, cache, document.requestedSize,
                                                 RenderKind::Collage, {}, analysing);
    QCOMPARE(render.document.photos[0].content, ahead);
    QVERIFY(render.document.photos[1].content);
    const CollageDocument known
        = withContent(document, {{path, *ahead}, {flat, *render.document.photos[1].content}});
    QCOMPARE(render.image,
             renderDocument(known, cache, document.requestedSize, RenderKind::Collage).image);
}

QTEST_GUILESS_MAIN(TestContentCrop)
#include "tst_contentcrop.moc"
