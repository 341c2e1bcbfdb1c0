#include "collagedocument.h"
#include "contentbox.h"
#include "contentdetect.h"
#include "facephotos.h"
#include "photoframe.h"

#include <QtTest>

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
    // 0.81 when measured; a detector that lost its cascades finds none.
    QVERIFY2(found >= faces * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(found).arg(faces)));
}

QTEST_GUILESS_MAIN(TestContentCrop)
#include "tst_contentcrop.moc"
