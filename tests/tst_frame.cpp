#include "photoframe.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

namespace {

// An image whose middle band (the part a centred crop keeps) is green and whose two ends
// along the long side are red and blue.
QImage bands(int w, int h, int keepFrom, int keepTo, bool horizontal)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(image.rect(), Qt::green);
    if (horizontal) {
        p.fillRect(QRect(0, 0, keepFrom, h), Qt::red);
        p.fillRect(QRect(keepTo, 0, w - keepTo, h), Qt::blue);
    } else {
        p.fillRect(QRect(0, 0, w, keepFrom), Qt::red);
        p.fillRect(QRect(0, keepTo, w, h - keepTo), Qt::blue);
    }
    return image;
}

QImage opaqueTile(int w, int h, QColor colour = QColor(10, 200, 30))
{
    QImage tile(w, h, QImage::Format_RGB32);
    tile.fill(colour);
    return tile;
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void prepareTileCrop_data();
    void prepareTileCrop();
    void prepareTileRefuses();
    void rectEdges_data();
    void rectEdges();
    void roundedCorners();
    void scallopEndPoints();
    void degenerateFrames_data();
    void degenerateFrames();
    void blend_data();
    void blend();
    void blendClipping();
};

void TestFrame::prepareTileCrop_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QSize>("tileSize");

    QTest::newRow("1200x800 in 400x400, crop from x=200")
        << bands(1200, 800, 200, 1000, true) << 400 << 400 << QSize(400, 400);
    QTest::newRow("600x900 in 300x200, crop 400 from y=250")
        << bands(600, 900, 250, 650, false) << 300 << 200 << QSize(300, 200);
    QTest::newRow("same aspect, nothing cropped")
        << bands(800, 400, 0, 800, true) << 400 << 200 << QSize(400, 200);
    QTest::newRow("smaller than the cell, scaled up")
        << bands(300, 200, 0, 300, true) << 600 << 400 << QSize(600, 400);
    // Crops whose truncated side would scale a column short of, or past, the cell.
    QTest::newRow("853x640 in 100x346, crop 184 from x=334")
        << bands(853, 640, 334, 518, true) << 100 << 346 << QSize(100, 346);
    QTest::newRow("853x640 in 217x102, crop 400 from y=120")
        << bands(853, 640, 120, 520, false) << 217 << 102 << QSize(217, 102);
}

void TestFrame::prepareTileCrop()
{
    QFETCH(QImage, image);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QSize, tileSize);
    const QImage tile = prepareTile(image, quint16(w), quint16(h));
    QCOMPARE(tile.size(), tileSize);
    // Only the kept band may reach the tile; the smooth scaling blends at most the rim.
    for (const QPoint &pt : {QPoint(1, 1), QPoint(w - 2, 1), QPoint(1, h - 2), QPoint(w - 2, h - 2),
                             QPoint(w / 2, h / 2)}) {
        const QColor c = tile.pixelColor(pt);
        QVERIFY2(c.green() > 200 && c.red() < 60 && c.blue() < 60,
                 qPrintable(QString("pixel %1,%2").arg(pt.x()).arg(pt.y())));
    }
}

void TestFrame::prepareTileRefuses()
{
    QVERIFY(prepareTile(QImage(), 100, 100).isNull());
    QVERIFY(prepareTile(opaqueTile(10, 10), 0, 100).isNull());
    QVERIFY(prepareTile(opaqueTile(10, 10), 100, 0).isNull());
    // A sliver of an image for a very wide cell still covers the whole cell.
    QCOMPARE(prepareTile(opaqueTile(1, 1000), 1000, 10).size(), QSize(1000, 10));
}

void TestFrame::rectEdges_data()
{
    QTest::addColumn<int>("a");
    QTest::newRow("a=0 keeps everything") << 0;
    QTest::newRow("a=5") << 5;
    QTest::newRow("a=30") << 30;
}

void TestFrame::rectEdges()
{
    QFETCH(int, a);
    const QImage tile = opaqueTile(100, 80);
    const QImage framed = PhotoFrame().apply(tile, FrameRect, a, 10);
    QCOMPARE(framed.format(), QImage::Format_ARGB32);
    QCOMPARE(framed.size(), tile.size());
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= a && x < 100 - a && y >= a && y < 80 - a;
            const QRgb px = framed.pixel(x, y);
            if (inside)
                QCOMPARE(px, tile.pixel(x, y) | 0xFF000000u);
            else
                QCOMPARE(qAlpha(px), 0);
        }
    }
}

void TestFrame::roundedCorners()
{
    const QImage framed = PhotoFrame().roundedFrame(opaqueTile(100, 80), 5, 20);
    QCOMPARE(framed.format(), QImage::Format_ARGB32);
    QCOMPARE(qAlpha(framed.pixel(2, 40)), 0); // margin
    QCOMPARE(qAlpha(framed.pixel(6, 6)), 0); // cut by the corner's arc
    QCOMPARE(qAlpha(framed.pixel(93, 73)), 0);
    QCOMPARE(qAlpha(framed.pixel(6, 40)), 255); // straight edge, inside
    QCOMPARE(qAlpha(framed.pixel(50, 6)), 255);
    QCOMPARE(qAlpha(framed.pixel(50, 40)), 255);
}

void TestFrame::scallopEndPoints()
{
    const QPainterPath path = PhotoFrame().scallopPath(120, 80, 0, 8);
    QCOMPARE(path.elementAt(0).x, 8.0);
    QCOMPARE(path.elementAt(0).y, 0.0);
    // Each cubic is three elements: two control points and the end point.
    QList<double> topEnds;
    for (int i = 3; i < path.elementCount(); i += 3) {
        if (path.elementAt(i).y != 0.0)
            break;
        topEnds << path.elementAt(i).x;
        QCOMPARE(path.elementAt(i - 1).y, 8.0); // control point bulges inwards by s
    }
    QList<double> expected;
    for (int x = 16; x <= 112; x += 16)
        expected << x;
    QCOMPARE(topEnds, expected);

    // The framed tile: the arcs' touching points are opaque, the arcs' middles cut away.
    const QImage framed = PhotoFrame().scallopFrame(opaqueTile(120, 80), 0, 8);
    QCOMPARE(qAlpha(framed.pixel(40, 40)), 255);
    QCOMPARE(qAlpha(framed.pixel(24, 1)), 0); // deepest point of an arc, 6 px in
    QVERIFY(qAlpha(framed.pixel(32, 1)) > 0);
}

void TestFrame::degenerateFrames_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<QString>("expect");
    QTest::newRow("type 4 gives nothing") << 4 << 0 << 10 << "null";
    QTest::newRow("type 0 gives nothing") << 0 << 0 << 10 << "null";
    QTest::newRow("rect, 2a = height") << 1 << 20 << 0 << "transparent";
    QTest::newRow("rounded, 2a > width") << 2 << 31 << 5 << "transparent";
    QTest::newRow("scallop, 2a = height") << 3 << 20 << 8 << "transparent";
    QTest::newRow("scallop b=0 is the inset rect") << 3 << 4 << 0 << "rect";
    QTest::newRow("scallop b<0 is the inset rect") << 3 << 4 << -3 << "rect";
}

void TestFrame::degenerateFrames()
{
    QFETCH(int, type);
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(QString, expect);
    const QImage tile = opaqueTile(60, 40);
    const QImage framed = PhotoFrame().apply(tile, type, a, b);
    if (expect == "null") {
        QVERIFY(framed.isNull());
    } else if (expect == "transparent") {
        QCOMPARE(framed.size(), tile.size());
        QImage clear(tile.size(), QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        QCOMPARE(framed, clear);
    } else {
        QCOMPARE(framed, PhotoFrame().rectFrame(tile, a));
    }
    QVERIFY(PhotoFrame().apply(QImage(), type, a, b).isNull());
}

void TestFrame::blend_data()
{
    QTest::addColumn<uint>("layer");
    QTest::addColumn<uint>("tile");
    QTest::addColumn<uint>("expected");
    QTest::newRow("transparent tile over opaque") << 0xFFC86432u << 0x00FFFFFFu << 0x00C76331u;
    QTest::newRow("opaque white over anything") << 0x80102030u << 0xFFFFFFFFu << 0xFFFEFEFEu;
    QTest::newRow("opaque 128 over anything") << 0xFF000000u << 0xFF808080u << 0xFF7F7F7Fu;
    QTest::newRow("opaque black") << 0xFFFFFFFFu << 0xFF000000u << 0xFF000000u;
    // (200 * 127 + 0 * 128) >> 8 = 99, alpha from the tile.
    QTest::newRow("half alpha") << 0x10C8C8C8u << 0x80000000u << 0x80636363u;
}

void TestFrame::blend()
{
    QFETCH(uint, layer);
    QFETCH(uint, tile);
    QFETCH(uint, expected);
    QImage canvas(4, 4, QImage::Format_ARGB32);
    canvas.fill(layer);
    QImage t(2, 2, QImage::Format_ARGB32);
    t.fill(tile);
    blendTile(canvas, t, 1, 1);
    QCOMPARE(canvas.pixel(1, 1), QRgb(expected));
    QCOMPARE(canvas.pixel(2, 2), QRgb(expected));
    QCOMPARE(canvas.pixel(0, 0), QRgb(layer));
    QCOMPARE(canvas.pixel(3, 3), QRgb(layer));
}

void TestFrame::blendClipping()
{
    QImage canvas(10, 10, QImage::Format_ARGB32);
    canvas.fill(0xFF000000u);
    QImage t(6, 6, QImage::Format_ARGB32);
    t.fill(0xFFFFFFFFu);
    t.setPixel(0, 0, 0xFF808080u);
    blendTile(canvas, t, 7, 8);
    QCOMPARE(canvas.pixel(7, 8), 0xFF7F7F7Fu);
    QCOMPARE(canvas.pixel(9, 9), 0xFFFEFEFEu);
    QCOMPARE(canvas.pixel(6, 9), 0xFF000000u);

    // A tile placed at a negative position keeps its own pixels aligned.
    canvas.fill(0xFF000000u);
    blendTile(canvas, t, -1, -1);
    QCOMPARE(canvas.pixel(0, 0), 0xFFFEFEFEu);
    QCOMPARE(canvas.pixel(4, 4), 0xFFFEFEFEu);
    QCOMPARE(canvas.pixel(5, 5), 0xFF000000u);

    // Out of reach entirely, and a layer in the wrong format: nothing changes.
    canvas.fill(0xFF000000u);
    const QImage before = canvas;
    blendTile(canvas, t, 20, 0);
    QCOMPARE(canvas, before);
    QImage rgb(4, 4, QImage::Format_RGB32);
    rgb.fill(Qt::black);
    blendTile(rgb, t, 0, 0);
    QCOMPARE(rgb.pixel(0, 0), 0xFF000000u);
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
