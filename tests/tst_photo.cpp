#include "hostilefiles.h"
#include "photoloader.h"

#include <QBuffer>
#include <QDir>
#include <QFutureWatcher>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray jpegBytes(const QImage &image, int quality = 90, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A JPEG with a little-endian EXIF block holding just the orientation, right after SOI.
QByteArray withOrientation(const QByteArray &jpeg, int orientation)
{
    QByteArray tiff("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18);
    tiff += char(orientation);
    tiff += QByteArray(7, '\0');
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1", 2);
    app1 += char((payload.size() + 2) >> 8);
    app1 += char((payload.size() + 2) & 0xFF);
    return jpeg.left(2) + app1 + payload + jpeg.mid(2);
}

// Rewrites the frame header of a baseline (or progressive) JPEG to claim another size.
QByteArray claimingSize(QByteArray jpeg, int w, int h)
{
    int sof = int(jpeg.indexOf("\xFF\xC0"));
    if (sof < 0)
        sof = int(jpeg.indexOf("\xFF\xC2"));
    jpeg[sof + 5] = char(h >> 8);
    jpeg[sof + 6] = char(h & 0xFF);
    jpeg[sof + 7] = char(w >> 8);
    jpeg[sof + 8] = char(w & 0xFF);
    return jpeg;
}

// Four coloured quadrants, so a wrong turn or mirror shows.
QImage quadrants(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, Qt::red);
    p.fillRect(w / 2, 0, w - w / 2, h / 2, Qt::green);
    p.fillRect(0, h / 2, w / 2, h - h / 2, Qt::blue);
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, Qt::yellow);
    return image;
}

double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                   + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * x.width() * x.height());
}

QImage decode(const PhotoRecord &record, double scale = 1.0)
{
    return loadPhoto(PhotoLoader {record.path, scale, record.size.width(), record.size.height(),
                                  record.orientation, QSize()});
}

QString dataFile(const QString &name)
{
    return QStringLiteral(VELLOMIR_TEST_DATA "/exif-orientation/") + name;
}

} // namespace

class TestPhoto : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cameraFiles_data();
    void cameraFiles();
    void generatedOrientations_data();
    void generatedOrientations();
    void targetSize_data();
    void targetSize();
    void hostileFiles_data();
    void hostileFiles();
    void cutOffFiles_data();
    void cutOffFiles();
    void overAllocationLimit();
    void multiScanMemory_data();
    void multiScanMemory();
    void vanishedFile();
    void refusedFromTheHeader_data();
    void refusedFromTheHeader();
    void onlyRegularFiles_data();
    void onlyRegularFiles();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir dir;
};

void TestPhoto::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

QString TestPhoto::write(const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(bytes);
    return file.fileName();
}

void TestPhoto::cameraFiles_data()
{
    QTest::addColumn<QString>("scene");
    QTest::addColumn<int>("orientation");
    for (const QString &scene : {QStringLiteral("Landscape"), QStringLiteral("Portrait")})
        for (int n = 0; n <= 8; ++n)
            QTest::newRow(qPrintable(QString("%1_%2").arg(scene).arg(n))) << scene << n;
}

void TestPhoto::cameraFiles()
{
    QFETCH(QString, scene);
    QFETCH(int, orientation);
    const QSize upright = scene == "Landscape" ? QSize(225, 150) : QSize(150, 225);

    const std::optional<PhotoRecord> record
        = createPhotoRecord(dataFile(QString("%1_%2.jpg").arg(scene).arg(orientation)));
    QVERIFY(record);
    QCOMPARE(record->size, upright);
    QCOMPARE(record->orientation, qMax(1, orientation));

    const std::optional<PhotoRecord> reference = createPhotoRecord(dataFile(scene + "_1.jpg"));
    const QImage image = decode(*record);
    QCOMPARE(image.size(), upright);
    // The files differ only in the small digit they show; a wrong turn differs everywhere.
    QVERIFY2(meanDifference(image, decode(*reference)) < 12.0,
             qPrintable(QString::number(meanDifference(image, decode(*reference)))));
}

void TestPhoto::generatedOrientations_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QSize>("recordSize");
    for (int n = 1; n <= 8; ++n)
        QTest::addRow("orientation %d", n) << n << (n >= 5 ? QSize(300, 400) : QSize(400, 300));
    QTest::newRow("orientation 9 is ignored") << 9 << QSize(400, 300);
    QTest::newRow("orientation 0 is ignored") << 0 << QSize(400, 300);
}

void TestPhoto::generatedOrientations()
{
    QFETCH(int, orientation);
    QFETCH(QSize, recordSize);
    // Stored so that the named orientation turns it into the upright quadrant picture.
    const QImage upright = quadrants(recordSize.width(), recordSize.height());
    QImage stored = upright;
    switch (orientation) {
    case 2:
        stored = upright.mirrored(true, false);
        break;
    case 3:
        stored = upright.mirrored(true, true);
        break;
    case 4:
        stored = upright.mirrored(false, true);
        break;
    case 5:
        stored = upright.transformed(QTransform().rotate(90)).mirrored(true, false);
        break;
    case 6:
        stored = upright.transformed(QTransform().rotate(-90));
        break;
    case 7:
        stored = upright.transformed(QTransform().rotate(-90)).mirrored(true, false);
        break;
    case 8:
        stored = upright.transformed(QTransform().rotate(90));
        break;
    default:
        break;
    }
    const QString path = write(QString("gen%1.jpg").arg(orientation),
                               withOrientation(jpegBytes(stored), orientation));

    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    QCOMPARE(record->orientation, orientation >= 1 && orientation <= 8 ? orientation : 1);
    QCOMPARE(record->size, recordSize);

    // Qt's own reading of the tag agrees with ours, and yet the reader must not turn the photo.
    const QImage image = decode(*record, 2.5);
    QCOMPARE(image.size(), QSize(int(recordSize.width() / 2.5), int(recordSize.height() / 2.5)));
    QVERIFY(meanDifference(image, upright.scaled(image.size())) < 10.0);
}

void TestPhoto::targetSize_data()
{
    QTest::addColumn<QSize>("upright");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QSize>("target");
    QTest::newRow("3000x4000 turned, scale 2.5")
        << QSize(3000, 4000) << 6 << 2.5 << QSize(1600, 1200);
    QTest::newRow("transpose exchanges too") << QSize(3000, 4000) << 5 << 2.5 << QSize(1600, 1200);
    QTest::newRow("half turn does not") << QSize(4000, 3000) << 3 << 2.5 << QSize(1600, 1200);
    QTest::newRow("scale 1 is full size") << QSize(4000, 3000) << 1 << 1.0 << QSize(4000, 3000);
    QTest::newRow("640.9 truncates to 640") << QSize(6409, 1009) << 1 << 10.0 << QSize(640, 100);
    QTest::newRow("scale below 1 is taken as 1") << QSize(300, 200) << 1 << 0.5 << QSize(300, 200);
}

void TestPhoto::targetSize()
{
    QFETCH(QSize, upright);
    QFETCH(int, orientation);
    QFETCH(double, scale);
    QFETCH(QSize, target);
    const PhotoLoader loader {"x.jpg",          scale,       upright.width(),
                              upright.height(), orientation, QSize()};
    QCOMPARE(loaderTarget(loader), target);
}

void TestPhoto::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("admitted");
    const QByteArray good = jpegBytes(quadrants(64, 48));
    QTest::newRow("zero bytes") << QByteArray() << false;
    QTest::newRow("truncated JPEG") << good.left(good.indexOf("\xFF\xDA") + 30) << true;
    QTest::newRow("text named .jpg") << QByteArray("this is not a photo\n") << false;
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        quadrants(30, 20).save(&buffer, "png");
    }
    QTest::newRow("PNG named .jpg") << png << true;
    QTest::newRow("header claims 65000x65000") << claimingSize(good, 65000, 65000) << true;
    QTest::newRow("header claims 0 width") << claimingSize(good, 0, 48) << false;
    QByteArray noise(20000, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (char &c : noise)
        c = char(rng.bounded(256));
    QTest::newRow("random bytes") << noise << false;
    QTest::newRow("random bytes after SOI") << QByteArray("\xFF\xD8\xFF", 3) + noise << false;
}

void TestPhoto::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, admitted);
    const QString path
        = write(QString("hostile_%1.jpg").arg(QTest::currentDataTag()).replace(' ', '_'), bytes);
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QCOMPARE(bool(record), admitted);
    if (!record)
        return;
    QVERIFY(record->size.width() >= 1 && record->size.width() <= maxPhotoSide);
    QVERIFY(record->orientation >= 1 && record->orientation <= 8);
    // Decoded as a render would ask for it, at most 1.6 times a 400 px cell.
    const double scale
        = qMax(1.0, qMin(record->size.width() / 640.0, record->size.height() / 640.0));
    const QImage image = decode(*record, scale);
    if (!image.isNull())
        QVERIFY((image.width() <= 640 && image.height() <= 640) || scale == 1.0);
}

void TestPhoto::cutOffFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<bool>("damaged");
    const QByteArray baseline = hostile::encoded(hostile::noise(128, 128), "jpg");
    const QByteArray progressive = hostile::encoded(hostile::noise(128, 128), "jpg", true);
    const auto cut = [](const QByteArray &jpeg, double kept) {
        const qsizetype scan = jpeg.indexOf("\xFF\xDA");
        return jpeg.left(scan + qsizetype((jpeg.size() - scan) * kept));
    };
    QTest::newRow("whole") << baseline << true << false;
    QTest::newRow("whole, more after its end")
        << baseline + QByteArray(5000, '\x7F') << true << false;
    QTest::newRow("whole but its end marker") << baseline.chopped(2) << true << true;
    QTest::newRow("cut below its middle") << cut(baseline, 0.8) << true << true;
    QTest::newRow("progressive, cut in its last scans") << cut(progressive, 0.9) << true << true;
    QTest::newRow("cut above its middle") << cut(baseline, 0.3) << false << false;
}

// A file cut off partway decodes, grey where its data ran out: with most of the picture it is
// kept but named damaged, without it refused. Trailing bytes after the end are no damage.
void TestPhoto::cutOffFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, decodes);
    QFETCH(bool, damaged);
    const QString path = write(QString("cut_%1.jpg").arg(QTest::currentDataTag()), bytes);
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    const Result<DecodedPhoto> decoded
        = decodePhoto({path, 1.0, record->size.width(), record->size.height(), 1, QSize()});
    QCOMPARE(decoded && !decoded->image.isNull(), decodes);
    QCOMPARE(decoded.error().isEmpty(), decodes);
    QCOMPARE(decoded && !decoded->damage.isEmpty(), damaged);
}

// A photo above the reader's default allocation limit must still decode when asked for whole.
void TestPhoto::overAllocationLimit()
{
    QImageReader::setAllocationLimit(128);
    const QString path = write("big.jpg", jpegBytes(quadrants(6200, 6000), 50));
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    QCOMPARE(decode(*record).size(), QSize(6200, 6000));
    QCOMPARE(decode(*record, 8.0).size(), QSize(775, 750));
}

void TestPhoto::multiScanMemory_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("coefficients");
    QTest::addColumn<bool>("decodes");

    // 4:2:0 colour: 8x8 luma blocks, and chroma blocks covering 16x16 pixels.
    const QImage colour = quadrants(640, 480);
    QTest::newRow("baseline holds no coefficients") << jpegBytes(colour) << qint64(0) << true;
    QTest::newRow("progressive 640x480")
        << jpegBytes(colour, 90, true) << qint64((80 * 60 + 2 * 40 * 30) * 128) << true;
    QTest::newRow("progressive grey 100x50")
        << jpegBytes(quadrants(100, 50).convertToFormat(QImage::Format_Grayscale8), 90, true)
        << qint64(13 * 7 * 128) << true;
    // Three components at full resolution, the first scan carrying only one of them.
    const QByteArray separateScans("\xFF\xD8"
                                   "\xFF\xC0\x00\x11\x08\x03\xE8\x03\xE8\x03"
                                   "\x01\x11\x00\x02\x11\x00\x03\x11\x00"
                                   "\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00",
                                   31);
    QTest::newRow("baseline, components in separate scans")
        << separateScans << qint64(3 * 125 * 125 * 128) << false;
    QTest::newRow("progressive header claims 20000x20000")
        << claimingSize(jpegBytes(colour, 90, true), 20000, 20000)
        << qint64((2500 * 2500 + 2 * 1250 * 1250) * 128) << false;
    // Luma blocks are padded to the 2x2 sampling: 8125 becomes 8126.
    QTest::newRow("progressive header claims 65000x65000")
        << claimingSize(jpegBytes(colour, 90, true), 65000, 65000)
        << qint64(8126 * 8126 + 2 * 4063 * 4063) * 128 << false;
    QTest::newRow("frame cut short") << separateScans.left(12) << qint64(0) << false;
    QByteArray zeroSampling = separateScans;
    zeroSampling[13] = '\x01'; // horizontal factor 0
    QTest::newRow("sampling factor 0") << zeroSampling << qint64(0) << false;
    QTest::newRow("scan before any frame")
        << QByteArray("\xFF\xD8") + separateScans.mid(21) << qint64(0) << false;
    QTest::newRow("not a JPEG") << QByteArray("GIF89a\x01\x00\x01\x00", 10) << qint64(0) << false;
}

// A multi-scan file keeps the coefficients of the whole photo however small it is decoded,
// so a few hundred bytes claiming a huge size must not make the decoder take gigabytes.
void TestPhoto::multiScanMemory()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, coefficients);
    QFETCH(bool, decodes);

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(jpegCoefficientBytes(&buffer), coefficients);

    const QString path
        = write(QString("multiscan_%1.jpg").arg(QTest::currentDataTag()).replace(' ', '_'), bytes);
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    if (!record) {
        QVERIFY(!decodes);
        return;
    }
    const double scale
        = qMax(1.0, qMin(record->size.width() / 640.0, record->size.height() / 640.0));
    const QImage image = decode(*record, scale);
    QCOMPARE(!image.isNull(), decodes);
    if (decodes)
        QVERIFY(meanDifference(image, QImage::fromData(bytes)) < 1.0);
}

void TestPhoto::vanishedFile()
{
    const QString path = write("gone.jpg", jpegBytes(quadrants(40, 30)));
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    QFile::remove(path);
    QVERIFY(decode(*record).isNull());
    QVERIFY(!createPhotoRecord(path).has_value());
}

void TestPhoto::refusedFromTheHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // empty: admitted
    const QByteArray progressive = hostile::encoded(quadrants(640, 480), "jpg", true);
    QTest::newRow("progressive 16128x12096, full-resolution colour")
        << hostile::claimingSize(progressive, 16128, 12096, 0x11)
        << "a progressive JPEG of 16128 x 12096 pixels needs 1117 MB to decode";
    QTest::newRow("progressive 18000x18000")
        << hostile::claimingSize(progressive, 18000, 18000)
        << "a progressive JPEG of 18000 x 18000 pixels needs 927 MB to decode";
    QTest::newRow("progressive 12000x12000")
        << hostile::claimingSize(progressive, 12000, 12000) << QString();
    QTest::newRow("PNG header of 30000x30000 named .jpg")
        << hostile::pngHeader(30000, 30000) << "30000 x 30000 pixels need 3434 MB to decode";
    QTest::newRow("PNG header of 10000x10000 named .jpg")
        << hostile::pngHeader(10000, 10000) << QString();
    QTest::newRow("PNG header of 70000x100")
        << hostile::pngHeader(70000, 100) << "70000 x 100 pixels, more than the 65535 a side";
    QTest::newRow("baseline 65000x65000")
        << hostile::claimingSize(jpegBytes(quadrants(64, 48)), 65000, 65000) << QString();
    // Probing such a file to its end took a minute for 16 GB, on the window's thread too.
    const QString markerless = QStringLiteral("the JPEG header runs on without a picture");
    QTest::newRow("JPEG start, then no marker")
        << QByteArray("\xFF\xD8\xFF") + QByteArray(2 << 20, '\0') << markerless;
    QTest::newRow("JPEG start and a segment, then no marker")
        << QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20)
               + QByteArray(2 << 20, '\x7F')
        << markerless;
}

// What the header alone shows cannot be decoded never takes a share of the layout.
void TestPhoto::refusedFromTheHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path
        = write(QString("header_%1.jpg").arg(QTest::currentDataTag()).replace(' ', '_'), bytes);
    const Result<PhotoReading> reading = readPhoto(path);
    QCOMPARE(bool(reading), reason.isEmpty());
    QVERIFY2(reading.error().startsWith(reason), qPrintable(reading.error()));
    QCOMPARE(createPhotoRecord(path).has_value(), reason.isEmpty());
}

void TestPhoto::onlyRegularFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    const QString notRegular = QStringLiteral("not a regular file");
    QTest::newRow("named pipe") << "fifo" << notRegular;
    QTest::newRow("link to a named pipe") << "fifo-link" << notRegular;
    QTest::newRow("device") << "/dev/zero" << notRegular;
    QTest::newRow("folder") << "folder" << notRegular;
    QTest::newRow("missing") << "missing" << QStringLiteral("no such file");
    QTest::newRow("link to a photo") << "photo-link" << QString();
}

// Opening a named pipe waits for a writer: the window's Add Photos froze in it.
void TestPhoto::onlyRegularFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString pipe = dir.filePath("pipe.jpg");
    if (!QFileInfo::exists(pipe))
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QString path = kind.startsWith('/') ? kind : dir.filePath(kind + ".jpg");
    if (kind == "fifo") {
        path = pipe;
    } else if (kind == "fifo-link") {
        QVERIFY(QFile::link(pipe, path) || QFileInfo(path).isSymLink());
    } else if (kind == "photo-link") {
        QVERIFY(QFile::link(write("linked.jpg", jpegBytes(quadrants(40, 30))), path)
                || QFileInfo(path).isSymLink());
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(path));
    }

    QFutureWatcher<Result<PhotoReading>> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(QtConcurrent::run(readPhoto, path));
    const bool returned = finished.wait(5000);
    if (!returned) {
        // Lets a reader stuck in open() go, so that the test can end.
        const int fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        ::close(fd);
        watcher.waitForFinished();
    }
    QVERIFY2(returned, "reading the photo blocked");
    const Result<PhotoReading> reading = watcher.result();
    QCOMPARE(bool(reading), reason.isEmpty());
    QCOMPARE(reading.error(), reason);
    if (reason.isEmpty())
        QCOMPARE(reading->record.size, QSize(40, 30));
    else
        QVERIFY(!decodePhoto(PhotoLoader {path, 1.0, 40, 30, 1, QSize()}));
}

QTEST_MAIN(TestPhoto)
#include "tst_photo.moc"
