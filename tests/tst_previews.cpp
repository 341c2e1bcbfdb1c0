#include "collagerender.h"
#include "exifreader.h"
#include "imagecache.h"
#include "photoframe.h"
#include "photoloader.h"

#include "btree.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace {

// A picture with edges and gradients, so that a soft or shifted preview shows.
QImage picture(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(30, 90, 200));
    gradient.setColorAt(1, QColor(240, 200, 40));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 30, 40));
    painter.drawEllipse(
        QRectF(size.width() * 0.1, size.height() * 0.2, size.width() * 0.3, size.height() * 0.4));
    painter.setBrush(QColor(20, 140, 60));
    painter.drawRect(
        QRectF(size.width() * 0.6, size.height() * 0.5, size.width() * 0.3, size.height() * 0.3));
    return image;
}

QByteArray jpeg(const QImage &image, int quality = 90)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return bytes;
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// An APP1 EXIF segment: IFD0 with the orientation, IFD1 pointing at `thumbnail`. A non-zero
// `lengthSlack` makes the length claim more bytes than the block holds.
QByteArray exifSegment(const QByteArray &thumbnail, int orientation, int lengthSlack = 0)
{
    QByteArray tiff("II*\0", 4);
    put32(tiff, 8);
    // IFD0: one entry, then the link to IFD1.
    put16(tiff, 1);
    put16(tiff, 0x0112);
    put16(tiff, 3);
    put32(tiff, 1);
    put32(tiff, quint32(orientation));
    const quint32 ifd1 = 8 + 2 + 12 + 4;
    put32(tiff, ifd1);
    put16(tiff, 2);
    const quint32 data = ifd1 + 2 + 2 * 12 + 4;
    put16(tiff, 0x0201);
    put16(tiff, 4);
    put32(tiff, 1);
    put32(tiff, data);
    put16(tiff, 0x0202);
    put16(tiff, 4);
    put32(tiff, 1);
    put32(tiff, quint32(thumbnail.size() + lengthSlack));
    put32(tiff, 0);
    tiff += thumbnail;
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((payload.size() + 2) >> 8));
    segment.append(char((payload.size() + 2) & 0xFF));
    return segment + payload;
}

// The photo's JPEG with the segment right after its start of image.
QByteArray withSegment(const QByteArray &photo, const QByteArray &segment)
{
    return photo.left(2) + segment + photo.mid(2);
}

double psnr(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 0.0;
    double sum = 0.0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int dr = qRed(p[col]) - qRed(q[col]);
            const int dg = qGreen(p[col]) - qGreen(q[col]);
            const int db = qBlue(p[col]) - qBlue(q[col]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * x.width() * x.height());
    return mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

const QSize photoSize(1600, 1200);

} // namespace

class TestPreviews : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void thumbnailBytes_data();
    void thumbnailBytes();
    void decode_data();
    void decode();
    void onlyPhotoLayers();

private:
    QTemporaryDir dir;
};

void TestPreviews::thumbnailBytes_data()
{
    QTest::addColumn<int>("slack");
    QTest::addColumn<bool>("truncateSegment");
    QTest::addColumn<bool>("found");
    QTest::newRow("whole") << 0 << false << true;
    QTest::newRow("length past the block") << 1 << false << false;
    QTest::newRow("segment cut before the thumbnail") << 0 << true << false;
}

void TestPreviews::thumbnailBytes()
{
    QFETCH(int, slack);
    QFETCH(bool, truncateSegment);
    QFETCH(bool, found);
    const QByteArray thumbnail = jpeg(picture(QSize(160, 120)));
    QByteArray segment = exifSegment(thumbnail, 1, slack);
    if (truncateSegment) {
        // The segment's length still tells the truth: only the block it holds is short.
        segment.chop(thumbnail.size());
        const int length = int(segment.size()) - 2;
        segment[2] = char(length >> 8);
        segment[3] = char(length & 0xFF);
    }
    QByteArray file = withSegment(jpeg(picture(photoSize)), segment);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<QByteArray> read = ExifReader::jpegThumbnail(&buffer);
    QCOMPARE(read.has_value(), found);
    if (found)
        QCOMPARE(*read, thumbnail);
}

void TestPreviews::decode_data()
{
    QTest::addColumn<QSize>("thumbnailSize");
    QTest::addColumn<QSize>("cell"); // upright
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("previews");
    QTest::addColumn<bool>("fromPreview");
    const QSize thumb(160, 120);
    QTest::newRow("covering") << thumb << QSize(120, 90) << 1 << "" << true << true;
    QTest::newRow("cell at 1:1") << thumb << QSize(160, 120) << 1 << "" << true << true;
    QTest::newRow("shape off by under 1 %")
        << QSize(161, 120) << QSize(120, 90) << 1 << "" << true << true;
    QTest::newRow("letterboxed") << QSize(160, 106) << QSize(100, 75) << 1 << "" << true << false;
    QTest::newRow("smaller than the cell") << thumb << QSize(200, 150) << 1 << "" << true << false;
    QTest::newRow("one side short") << thumb << QSize(170, 100) << 1 << "" << true << false;
    QTest::newRow("truncated") << thumb << QSize(120, 90) << 1 << "truncate" << true << false;
    QTest::newRow("garbled") << thumb << QSize(120, 90) << 1 << "garble" << true << false;
    QTest::newRow("turned") << thumb << QSize(90, 120) << 6 << "" << true << true;
    QTest::newRow("turned, cell not covered")
        << thumb << QSize(150, 90) << 6 << "" << true << false;
    QTest::newRow("not asked for") << thumb << QSize(120, 90) << 1 << "" << false << false;
}

void TestPreviews::decode()
{
    QFETCH(QSize, thumbnailSize);
    QFETCH(QSize, cell);
    QFETCH(int, orientation);
    QFETCH(QString, damage);
    QFETCH(bool, previews);
    QFETCH(bool, fromPreview);

    const QImage stored = picture(photoSize);
    QImage small = stored.scaled(QSize(160, 120), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (thumbnailSize != small.size()) {
        // Letterboxed or stretched as some cameras store it.
        QImage framed(thumbnailSize, QImage::Format_RGB32);
        framed.fill(Qt::black);
        QPainter(&framed).drawImage(
            QRect(QPoint(0, 0), thumbnailSize),
            small.scaled(thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        small = framed;
    }
    QByteArray thumbnail = jpeg(small);
    if (damage == "truncate")
        thumbnail.truncate(thumbnail.size() / 2);
    else if (damage == "garble")
        for (qsizetype i = 2; i < thumbnail.size() - 2; ++i)
            thumbnail[i] = char(thumbnail.at(i) ^ 0x5A);
    const QString path = dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + ".jpg");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(withSegment(jpeg(stored), exifSegment(thumbnail, orientation)));
    }
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    QCOMPARE(record->orientation, orientation);

    const QList<RenderCell> cells {{1, QRect(QPoint(0, 0), cell)}};
    ImageCache cache(ImageCache::Retention::DrawOnly);
    const QList<PhotoLoader> planned = planLoads(cells, {*record}, cache, previews);
    QCOMPARE(planned.size(), 1);
    QCOMPARE(planned.first().previews, previews);
    PhotoLoader loader = planned.first();
    const Result<DecodedPhoto> result = decodePhoto(loader);
    QVERIFY2(result, qPrintable(result.error()));
    const DecodedPhoto &decoded = *result;
    loader.previews = false;
    const QImage photo = loadPhoto(loader);
    QVERIFY(!photo.isNull());

    // Every cell here asks for more than 160 x 120, so a preview shows by its size.
    const QSize upright = orientationSwapsSides(orientation) ? QSize(120, 160) : QSize(160, 120);
    if (!fromPreview) {
        QCOMPARE(decoded.image, photo);
        return;
    }
    QCOMPARE(decoded.image.size(),
             orientationSwapsSides(orientation) ? thumbnailSize.transposed() : thumbnailSize);
    QVERIFY(photo.size() != upright);
    // The tiles the cell shows, from either decode.
    const QImage fromThumbnail
        = prepareTile(decoded.image, quint16(cell.width()), quint16(cell.height()));
    const QImage fromPhoto = prepareTile(photo, quint16(cell.width()), quint16(cell.height()));
    const double quality = psnr(fromThumbnail, fromPhoto);
    QVERIFY2(quality >= 28.0, qPrintable(QString::number(quality)));
}

// The same document drawn as the screen's photo layer takes the preview; as the collage that
// is saved, it is drawn from the photo, exactly as from a file without a preview.
void TestPreviews::onlyPhotoLayers()
{
    const QImage stored = picture(photoSize);
    const QByteArray plain = jpeg(stored);
    const QByteArray thumbnail
        = jpeg(stored.scaled(QSize(160, 120), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const QString withPreview = dir.filePath("layer-preview.jpg");
    const QString without = dir.filePath("layer-plain.jpg");
    {
        QFile a(withPreview);
        QVERIFY(a.open(QIODevice::WriteOnly));
        a.write(withSegment(plain, exifSegment(thumbnail, 1)));
        QFile b(without);
        QVERIFY(b.open(QIODevice::WriteOnly));
        b.write(plain);
    }
    BNode leaf {};
    leaf.type = BNODE_LEAF;
    leaf.img = 1;
    leaf.w = 120;
    leaf.h = 90;
    BTree tree {};
    tree.width = 120;
    tree.height = 90;
    tree.img = 1;
    tree.count = 1;
    tree.root = &leaf;
    const auto render = [&](const QString &path, RenderKind kind) {
        CollageDocument document;
        document.photos = {*createPhotoRecord(path)};
        document.canvasSize = document.requestedSize = QSize(120, 90);
        document.layout = LayoutTree(&tree);
        ImageCache cache;
        return renderDocument(document, cache, QSize(120, 90), kind);
    };
    const QImage saved = render(withPreview, RenderKind::Collage).image;
    QCOMPARE(saved, render(without, RenderKind::Collage).image);
    const QImage layer = render(withPreview, RenderKind::PhotoLayer).image;
    const QImage plainLayer = render(without, RenderKind::PhotoLayer).image;
    QVERIFY(layer != plainLayer);
    QVERIFY(psnr(layer, plainLayer) >= 28.0);

    // A photo cut off partway is named damaged, also where its whole preview is drawn.
    const QString cut = dir.filePath("layer-cut.jpg");
    {
        QFile file(cut);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = withSegment(plain, exifSegment(thumbnail, 1));
        file.write(bytes.left(bytes.size() * 9 / 10));
    }
    for (const RenderKind kind : {RenderKind::PhotoLayer, RenderKind::Collage}) {
        const DocumentRender drawn = render(cut, kind);
        QVERIFY(drawn.dropped.isEmpty());
        QCOMPARE(drawn.damaged.size(), 1);
        QCOMPARE(drawn.damaged.first().path, cut);
    }
    QVERIFY(render(withPreview, RenderKind::PhotoLayer).damaged.isEmpty());
}

QTEST_GUILESS_MAIN(TestPreviews)

#include "tst_previews.moc"
