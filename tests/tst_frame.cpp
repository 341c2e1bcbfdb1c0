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

// A tile whose every pixel differs from its neighbours, so that a shifted or blended pixel shows.
QImage gradientTile(int w, int h)
{
    QImage tile(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            tile.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x + y * 3) % 256));
    return tile;
}

// The frames as they were cut before tiles shrank their frames: the shape painted into an
// ARGB32 image, the tile drawn into it SourceIn.
QImage earlierFrame(const QImage &tile, int type, int a, int b)
{
    QImage result(tile.size(), QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    const int w = tile.width();
    const int h = tile.height();
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 255));
    if (FrameType(type) == FrameType::Rect)
        painter.drawRect(QRect(a, a, w - 2 * a, h - 2 * a));
    else if (FrameType(type) == FrameType::Rounded)
        painter.drawRoundedRect(QRectF(a, a, w - 2.0 * a, h - 2.0 * a), b, b, Qt::AbsoluteSize);
    else
        painter.drawPath(PhotoFrame().scallopPath(w, h, a, b));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.drawImage(0, 0, tile);
    return result;
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
    void ordinaryTilesAsBefore_data();
    void ordinaryTilesAsBefore();
    void framesNeverEmptyATile_data();
    void framesNeverEmptyATile();
    void noDarkRim_data();
    void noDarkRim();
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
    const QImage framed = PhotoFrame().apply(tile, FrameType::Rect, a, 10);
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
    // Margins that would swallow the tile shrink to 3/8 of its shorter side.
    QTest::newRow("rect, 2a = height") << 1 << 20 << 0 << "margin 15";
    QTest::newRow("rounded, 2a > width") << 2 << 31 << 5 << "margin 15";
    QTest::newRow("scallop, 2a = height") << 3 << 20 << 8 << "margin 15";
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
    const QImage framed = PhotoFrame().apply(tile, FrameType(type), a, b);
    if (expect == "null") {
        QVERIFY(framed.isNull());
    } else if (expect == "margin 15") {
        QCOMPARE(framed.size(), tile.size());
        QCOMPARE(qAlpha(framed.pixel(14, 20)), 0);
        QCOMPARE(qAlpha(framed.pixel(30, 20)), 255);
        QCOMPARE(framed.pixel(30, 20), tile.pixel(30, 20));
    } else {
        QCOMPARE(framed, PhotoFrame().rectFrame(tile, a));
    }
    QVERIFY(PhotoFrame().apply(QImage(), FrameType(type), a, b).isNull());
}

void TestFrame::blend_data()
{
    QTest::addColumn<uint>("layer");
    QTest::addColumn<uint>("tile");
    QTest::addColumn<uint>("expected");
    // The tile's pixels replace the layer's exactly; the background blends with them later.
    QTest::newRow("transparent tile over opaque") << 0xFFC86432u << 0x00FFFFFFu << 0x00FFFFFFu;
    QTest::newRow("opaque white over anything") << 0x80102030u << 0xFFFFFFFFu << 0xFFFFFFFFu;
    QTest::newRow("opaque 128 over anything") << 0xFF000000u << 0xFF808080u << 0xFF808080u;
    QTest::newRow("opaque black") << 0xFFFFFFFFu << 0xFF000000u << 0xFF000000u;
    QTest::newRow("half alpha") << 0x10C8C8C8u << 0x80000000u << 0x80000000u;
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
    QCOMPARE(canvas.pixel(7, 8), 0xFF808080u);
    QCOMPARE(canvas.pixel(9, 9), 0xFFFFFFFFu);
    QCOMPARE(canvas.pixel(6, 9), 0xFF000000u);

    // A tile placed at a negative position keeps its own pixels aligned.
    canvas.fill(0xFF000000u);
    blendTile(canvas, t, -1, -1);
    QCOMPARE(canvas.pixel(0, 0), 0xFFFFFFFFu);
    QCOMPARE(canvas.pixel(4, 4), 0xFFFFFFFFu);
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

void TestFrame::ordinaryTilesAsBefore_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::newRow("rect 0") << 1 << QSize(120, 80) << 0 << 10;
    QTest::newRow("rect 30 on 80") << 1 << QSize(100, 80) << 30 << 10;
    QTest::newRow("rounded 0/15") << 2 << QSize(120, 80) << 0 << 15;
    QTest::newRow("rounded 6/40") << 2 << QSize(97, 143) << 6 << 40;
    QTest::newRow("rounded radius past half") << 2 << QSize(60, 50) << 3 << 40;
    QTest::newRow("scallop 0/8") << 3 << QSize(120, 80) << 0 << 8;
    QTest::newRow("scallop 4/12") << 3 << QSize(211, 157) << 4 << 12;
    QTest::newRow("scallop 30/40 on 400") << 3 << QSize(400, 300) << 30 << 40;
    QTest::newRow("scallop arcs just fit") << 3 << QSize(60, 41) << 0 << 20;
}

// Tiles the frame fits are cut exactly as before: the same alpha everywhere, and the tile's
// own colours wherever anything of it shows.
void TestFrame::ordinaryTilesAsBefore()
{
    QFETCH(int, type);
    QFETCH(QSize, size);
    QFETCH(int, a);
    QFETCH(int, b);
    const QImage tile = gradientTile(size.width(), size.height());
    const QImage before = earlierFrame(tile, type, a, b);
    const QImage framed = PhotoFrame().apply(tile, FrameType(type), a, b);
    QCOMPARE(framed.format(), QImage::Format_ARGB32);
    int shown = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb px = framed.pixel(x, y);
            QCOMPARE(qAlpha(px), qAlpha(before.pixel(x, y)));
            if (qAlpha(px) > 0) {
                QCOMPARE(px & RGB_MASK, tile.pixel(x, y) & RGB_MASK);
                ++shown;
            }
        }
    }
    QVERIFY(shown > 0);
}

void TestFrame::framesNeverEmptyATile_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    for (const int type : {1, 2, 3}) {
        const QByteArray name = QByteArray::number(type);
        QTest::newRow("type " + name + ", margin 700") << type << 700 << 10;
        QTest::newRow("type " + name + ", curve 5000") << type << 0 << 5000;
        QTest::newRow("type " + name + ", margin 3, curve 20") << type << 3 << 20;
        QTest::newRow("type " + name + ", margin 45, curve 60") << type << 45 << 60;
    }
}

// Every tile size up to 48 x 48, as a hundred photos on a small canvas give them.
void TestFrame::framesNeverEmptyATile()
{
    QFETCH(int, type);
    QFETCH(int, a);
    QFETCH(int, b);
    PhotoFrame framer;
    for (int w = 1; w <= 48; ++w) {
        for (int h = 1; h <= 48; ++h) {
            const QImage tile = opaqueTile(w, h);
            const QImage framed = framer.apply(tile, FrameType(type), a, b);
            const QString where = QString("%1x%2").arg(w).arg(h);
            QVERIFY2(framed.size() == tile.size(), qPrintable(where));
            // The middle of the tile always shows the photo, unblended once the frame's
            // curves have room to pass it by.
            const QRgb middle = framed.pixel(w / 2, h / 2);
            if (std::min(w, h) >= 12)
                QVERIFY2(middle == tile.pixel(w / 2, h / 2), qPrintable(where));
            else
                QVERIFY2(qAlpha(middle) > 128, qPrintable(where));
            // Scallops stay scallops where there is room for them: one arc each side at least.
            if (FrameType(type) == FrameType::Scallop && std::min(w, h) >= 24) {
                int cut = 0;
                for (int x = 0; x < w; ++x)
                    cut += qAlpha(framed.pixel(x, h / 2)) < 255;
                QVERIFY2(cut > 0 && cut < w, qPrintable(where));
            }
        }
    }
}

void TestFrame::noDarkRim_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QColor>("photo");
    QTest::addColumn<QColor>("background");
    for (const int type : {2, 3}) {
        const QByteArray name = type == 2 ? "rounded, " : "scallop, ";
        QTest::newRow(name + "white on white") << type << QColor(Qt::white) << QColor(Qt::white);
        QTest::newRow(name + "white on black") << type << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow(name + "grey on white") << type << QColor(128, 128, 128) << QColor(Qt::white);
        QTest::newRow(name + "red on blue") << type << QColor(230, 20, 10) << QColor(10, 20, 200);
    }
}

// The saved image is the background with the photo layer drawn over it. Wherever a tile shows
// its pixels are exact, and at the rim every channel lies between the photo's and the
// background's: nothing darker than both.
void TestFrame::noDarkRim()
{
    QFETCH(int, type);
    QFETCH(QColor, photo);
    QFETCH(QColor, background);
    const QImage tile = opaqueTile(90, 70, photo);
    QImage layer(100, 80, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    blendTile(layer, PhotoFrame().apply(tile, FrameType(type), 4, 12), 5, 5);
    QImage collage(layer.size(), QImage::Format_ARGB32);
    collage.fill(background);
    QPainter painter(&collage);
    painter.drawImage(0, 0, layer);
    painter.end();

    int rim = 0;
    for (int y = 0; y < collage.height(); ++y) {
        for (int x = 0; x < collage.width(); ++x) {
            const QRgb got = collage.pixel(x, y);
            const int alpha = qAlpha(layer.pixel(x, y));
            if (alpha == 255)
                QCOMPARE(got, photo.rgb());
            else if (alpha == 0)
                QCOMPARE(got, background.rgb());
            rim += alpha > 0 && alpha < 255;
            const QRgb p = photo.rgb();
            const QRgb g = background.rgb();
            for (const int shift : {16, 8, 0}) {
                const auto channel = [shift](QRgb v) { return int((v >> shift) & 0xFF); };
                const int low = std::min(channel(p), channel(g));
                const int high = std::max(channel(p), channel(g));
                QVERIFY2(channel(got) >= low && channel(got) <= high,
                         qPrintable(QString("pixel %1,%2: %3").arg(x).arg(y).arg(got, 8, 16)));
            }
        }
    }
    QVERIFY(rim > 0);
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
