#include "canvasscene.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

class TestCanvasScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void freshCanvas();
    void backColorReplaces_data();
    void backColorReplaces();
    void renderShowsBothLayers_data();
    void renderShowsBothLayers();
    void layerOfAnotherSize_data();
    void layerOfAnotherSize();
    void resetKeepsTwoItems();
    void resetRestoresZoom_data();
    void resetRestoresZoom();

private:
    static void reset(CanvasScene &scene, QSize size = QSize(800, 600))
    {
        scene.setCanvasSize(size);
    }
};

void TestCanvasScene::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestCanvasScene::freshCanvas()
{
    CanvasScene scene;
    QVERIFY(scene.backgroundImage.isNull());
    QVERIFY(scene.photoImage.isNull());
    QVERIFY(scene.items().isEmpty());
    reset(scene);

    QCOMPARE(scene.sceneRect(), QRectF(-10, -10, 820, 620));
    QCOMPARE(scene.backgroundImage.size(), QSize(800, 600));
    QCOMPARE(scene.photoImage.size(), QSize(800, 600));
    QCOMPARE(scene.backgroundImage.format(), QImage::Format_ARGB32);
    QCOMPARE(scene.photoImage.format(), QImage::Format_ARGB32);

    QImage white(800, 600, QImage::Format_ARGB32);
    white.fill(Qt::white);
    QCOMPARE(scene.backgroundImage, white);
    QImage clear(800, 600, QImage::Format_ARGB32);
    clear.fill(0);
    QCOMPARE(scene.photoImage, clear);

    QCOMPARE(scene.backgroundItem->zValue(), -10000.0);
    QCOMPARE(scene.photoItem->zValue(), -9000.0);
    QCOMPARE(scene.photoItem->pixmap().size(), QSize(800, 600));
    auto *shadow
        = qobject_cast<QGraphicsDropShadowEffect *>(scene.backgroundItem->graphicsEffect());
    QVERIFY(shadow);
    QCOMPARE(shadow->color(), QColor(127, 127, 127, 255));
    QCOMPARE(shadow->blurRadius(), 12.0);
    QCOMPARE(shadow->offset(), QPointF(2.0, 2.0));
}

void TestCanvasScene::backColorReplaces_data()
{
    QTest::addColumn<QColor>("first");
    QTest::addColumn<QColor>("second");

    QTest::newRow("opaque over opaque") << QColor(Qt::black) << QColor(10, 120, 230);
    QTest::newRow("translucent over opaque") << QColor(Qt::white) << QColor(255, 0, 0, 100);
    QTest::newRow("translucent twice") << QColor(0, 0, 255, 100) << QColor(255, 0, 0, 100);
    QTest::newRow("fully transparent") << QColor(Qt::white) << QColor(0, 0, 0, 0);
}

// A colour change fills the background layer with exactly the new colour and leaves the
// photo layer and its item alone.
void TestCanvasScene::backColorReplaces()
{
    QFETCH(QColor, first);
    QFETCH(QColor, second);

    CanvasScene scene;
    reset(scene, QSize(64, 48));
    QImage layer = scene.photoLayer();
    layer.setPixel(5, 5, qRgba(1, 2, 3, 255));
    scene.setPhotoLayer(layer);
    QGraphicsPixmapItem *photoItem = scene.photoItem;
    const QImage photoBefore = scene.photoImage;

    scene.setBackColor(first);
    scene.setBackColor(second);

    QCOMPARE(scene.backColor(), second);
    QImage expected(64, 48, QImage::Format_ARGB32);
    expected.fill(second);
    QCOMPARE(scene.backgroundImage, expected);
    QCOMPARE(scene.backgroundItem->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
             expected);
    QCOMPARE(scene.photoItem, photoItem);
    QCOMPARE(scene.photoImage, photoBefore);
    QCOMPARE(scene.items().size(), 2);
}

void TestCanvasScene::renderShowsBothLayers_data()
{
    QTest::addColumn<QColor>("background");

    QTest::newRow("white") << QColor(Qt::white);
    QTest::newRow("opaque colour") << QColor(40, 80, 160);
    QTest::newRow("transparent") << QColor(0, 0, 0, 0);
    // the preview's drop shadow lies under the canvas and must not show through it
    QTest::newRow("translucent") << QColor(32, 80, 192, 90);
}

void TestCanvasScene::renderShowsBothLayers()
{
    QFETCH(QColor, background);

    CanvasScene scene;
    reset(scene);
    scene.setBackColor(background);
    const QRect photo(100, 50, 200, 150);
    QImage layer = scene.photoLayer();
    {
        QPainter painter(&layer);
        painter.fillRect(photo, QColor(0, 200, 0));
    }
    scene.setPhotoLayer(layer);

    const QImage image = scene.renderCanvas();
    QCOMPARE(image.size(), QSize(800, 600));
    QCOMPARE(image.format(), QImage::Format_ARGB32);

    const QPoint samples[] = {QPoint(0, 0),     QPoint(799, 0),  QPoint(0, 599),  QPoint(799, 599),
                              QPoint(400, 300), QPoint(99, 125), QPoint(300, 125)};
    for (const QPoint &pt : samples) {
        const QColor got = image.pixelColor(pt);
        // Translucent pixels go through premultiplied painting and may round by one.
        QVERIFY2(qAbs(got.alpha() - background.alpha()) <= 1,
                 qPrintable(got.name(QColor::HexArgb)));
        if (background.alpha() > 0) {
            QVERIFY2(qAbs(got.red() - background.red()) <= 2
                         && qAbs(got.green() - background.green()) <= 2
                         && qAbs(got.blue() - background.blue()) <= 2,
                     qPrintable(got.name(QColor::HexArgb)));
        }
    }
    QCOMPARE(image.pixelColor(photo.topLeft()), QColor(0, 200, 0));
    QCOMPARE(image.pixelColor(photo.bottomRight()), QColor(0, 200, 0));
}

void TestCanvasScene::layerOfAnotherSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("shown");

    QTest::newRow("the canvas size") << QSize(20, 10) << true;
    QTest::newRow("a render for an older canvas") << QSize(10, 20) << false;
    QTest::newRow("null") << QSize() << false;
}

// A render that was started for a canvas the user has since replaced must not show.
void TestCanvasScene::layerOfAnotherSize()
{
    QFETCH(QSize, size);
    QFETCH(bool, shown);

    CanvasScene scene;
    reset(scene, QSize(20, 10));
    QImage layer(size, QImage::Format_ARGB32);
    layer.fill(Qt::red);
    scene.setPhotoLayer(layer);
    QCOMPARE(scene.photoLayer().size(), QSize(20, 10));
    QCOMPARE(scene.photoLayer().pixelColor(3, 3) == QColor(Qt::red), shown);
    QCOMPARE(scene.photoItem->pixmap().toImage().pixelColor(3, 3) == QColor(Qt::red), shown);
}

// Repeated updates and resets replace the two items, never pile them up, and a new size
// reaches layers, items and scene rectangle alike.
void TestCanvasScene::resetKeepsTwoItems()
{
    CanvasScene scene;
    reset(scene);
    for (int i = 0; i < 3; ++i) {
        scene.setPhotoLayer(scene.photoLayer());
        scene.clearPhotoLayer();
        scene.setBackColor(Qt::blue);
        reset(scene);
    }
    QCOMPARE(scene.items().size(), 2);

    QImage red(800, 600, QImage::Format_ARGB32);
    red.fill(Qt::red);
    scene.setPhotoLayer(red);
    reset(scene, QSize(300, 1200));
    QCOMPARE(scene.items().size(), 2);
    QCOMPARE(scene.sceneRect(), QRectF(-10, -10, 320, 1220));
    QCOMPARE(scene.photoItem->pixmap().size(), QSize(300, 1200));
    QCOMPARE(scene.backgroundItem->pixmap().size(), QSize(300, 1200));
    QCOMPARE(scene.photoImage.pixel(150, 600), 0u);
    QCOMPARE(scene.renderCanvas().size(), QSize(300, 1200));
}

void TestCanvasScene::resetRestoresZoom_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<qreal>("zoomAfter");

    QTest::newRow("shown") << true << 1.0;
    QTest::newRow("hidden") << false << 0.5;
}

void TestCanvasScene::resetRestoresZoom()
{
    QFETCH(bool, visible);
    QFETCH(qreal, zoomAfter);

    CanvasScene scene;
    reset(scene);
    QGraphicsView view(&scene);
    if (visible) {
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }
    view.scale(0.5, 0.5);
    reset(scene, QSize(640, 480));
    QCOMPARE(view.transform().m11(), zoomAfter);
}

QTEST_MAIN(TestCanvasScene)
#include "tst_canvasscene.moc"
