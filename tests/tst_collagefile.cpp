#include "collagefile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(CollageFormat)

class TestCollageFile : public QObject
{
    Q_OBJECT

private slots:
    void completeName_data();
    void completeName();
    void writesPrintResolution_data();
    void writesPrintResolution();
    void pngKeepsAlpha();
    void failureLeavesExistingFile();
    void unwritableTarget();
    void fullDisk_data();
    void fullDisk();
    void fileSizeLimit_data();
    void fileSizeLimit();
    void nameTooLongForTemporaryFile_data();
    void nameTooLongForTemporaryFile();
    void jpegFlattensOntoWhite_data();
    void jpegFlattensOntoWhite();

private:
    static QImage sample();
};

QImage TestCollageFile::sample()
{
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 30, 255));
    return image;
}

void TestCollageFile::completeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("completed");
    QTest::addColumn<CollageFormat>("format");

    QTest::newRow("jpg") << "/a/c.jpg"
                         << "/a/c.jpg" << CollageFormat::Jpeg;
    QTest::newRow("JPG") << "/a/c.JPG"
                         << "/a/c.JPG" << CollageFormat::Jpeg;
    QTest::newRow("jpeg") << "/a/c.jpeg"
                          << "/a/c.jpeg" << CollageFormat::Jpeg;
    QTest::newRow("JpEg") << "/a/c.JpEg"
                          << "/a/c.JpEg" << CollageFormat::Jpeg;
    QTest::newRow("pdf") << "/a/c.PDF"
                         << "/a/c.PDF" << CollageFormat::Pdf;
    QTest::newRow("png") << "/a/c.png"
                         << "/a/c.png" << CollageFormat::Png;
    QTest::newRow("no suffix") << "/a/collage"
                               << "/a/collage.jpg" << CollageFormat::Jpeg;
    QTest::newRow("dotted folder") << "/a/my.jpg/collage"
                                   << "/a/my.jpg/collage.jpg" << CollageFormat::Jpeg;
    QTest::newRow("gif") << "/a/c.gif"
                         << "/a/c.gif" << CollageFormat::Unsupported;
    QTest::newRow("double suffix") << "/a/c.jpg.txt"
                                   << "/a/c.jpg.txt" << CollageFormat::Unsupported;
}

void TestCollageFile::completeName()
{
    QFETCH(QString, name);
    QFETCH(QString, completed);
    QFETCH(CollageFormat, format);
    QCOMPARE(completeCollageName(name), format);
    QCOMPARE(name, completed);
}

void TestCollageFile::writesPrintResolution_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<CollageFormat>("format");
    QTest::addColumn<int>("dpi"); // 0: left at the default
    QTest::addColumn<int>("written");
    QTest::newRow("jpeg") << "c.jpg" << CollageFormat::Jpeg << 0 << 300;
    QTest::newRow("png") << "c.png" << CollageFormat::Png << 0 << 300;
    QTest::newRow("jpeg 600") << "c.jpg" << CollageFormat::Jpeg << 600 << 600;
    QTest::newRow("png 600") << "c.png" << CollageFormat::Png << 600 << 600;
    QTest::newRow("jpeg 72") << "c.jpg" << CollageFormat::Jpeg << 72 << 72;
    QTest::newRow("png 1200") << "c.png" << CollageFormat::Png << 1200 << 1200;
    QTest::newRow("png 254") << "c.png" << CollageFormat::Png << 254 << 254;
    QTest::newRow("jpeg past the bounds") << "c.jpg" << CollageFormat::Jpeg << 100000 << 1200;
}

void TestCollageFile::writesPrintResolution()
{
    QFETCH(QString, fileName);
    QFETCH(CollageFormat, format);
    QFETCH(int, dpi);
    QFETCH(int, written);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    SaveOptions options;
    if (dpi)
        options.dpi = dpi;
    const Result<void> saved = writeCollage(sample(), path, format, options);
    QVERIFY2(saved, qPrintable(saved.error()));

    QImageReader reader(path);
    QCOMPARE(reader.format(), format == CollageFormat::Jpeg ? QByteArray("jpeg") : "png");
    const QImage back = reader.read();
    QCOMPARE(back.size(), QSize(64, 48));
    QCOMPARE(qRound(back.dotsPerMeterX() * 0.0254), written);
    QCOMPARE(qRound(back.dotsPerMeterY() * 0.0254), written);
}

void TestCollageFile::pngKeepsAlpha()
{
    QTemporaryDir dir;
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 255, 100));
    const QString path = dir.filePath("t.png");
    QVERIFY(writeCollage(image, path, CollageFormat::Png));
    const QImage back(path);
    QCOMPARE(qAlpha(back.pixel(5, 5)), 100);
}

void TestCollageFile::failureLeavesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.jpg");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    const Result<void> nothing = writeCollage(QImage(), path, CollageFormat::Jpeg);
    QVERIFY(!nothing);
    QVERIFY(!nothing.error().isEmpty());
    QVERIFY(!writeCollage(sample(), path, CollageFormat::Unsupported));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
}

void TestCollageFile::unwritableTarget()
{
    QTemporaryDir dir;
    // CI runs as root, so use targets that no permission can make writable.
    const Result<void> missing
        = writeCollage(sample(), dir.filePath("missing/c.jpg"), CollageFormat::Jpeg);
    QVERIFY(!missing);
    QVERIFY(!missing.error().isEmpty());
    QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
    const Result<void> folder
        = writeCollage(sample(), dir.filePath("folder.jpg"), CollageFormat::Jpeg);
    QVERIFY(!folder);
    QVERIFY(!folder.error().isEmpty());
}

// A photo-like image: JPEG and PNG cannot squeeze it into the few bytes a buffer holds.
static QImage noisy(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    quint32 seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = seed | 0xFF000000u;
        }
    }
    return image;
}

void TestCollageFile::fullDisk_data()
{
    QTest::addColumn<CollageFormat>("format");
    QTest::addColumn<QSize>("size");
    QTest::newRow("jpeg") << CollageFormat::Jpeg << QSize(400, 300);
    QTest::newRow("png") << CollageFormat::Png << QSize(400, 300);
    // Small enough to stay in the device's buffer until the final flush.
    QTest::newRow("png in one buffer") << CollageFormat::Png << QSize(4, 4);
    QTest::newRow("pdf") << CollageFormat::Pdf << QSize(400, 300);
    QTest::newRow("pdf in one buffer") << CollageFormat::Pdf << QSize(4, 4);
}

// /dev/full takes no byte: every write fails as on a full disk.
void TestCollageFile::fullDisk()
{
    QFETCH(CollageFormat, format);
    QFETCH(QSize, size);
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly))
        QSKIP("no /dev/full here");
    const Result<void> encoded = encodeCollage(noisy(size.width(), size.height()), format, full);
    QVERIFY(!encoded);
    QCOMPARE(encoded.error(), QStringLiteral("No space left on device"));
}

// A file larger than the process may write: the system's reason, not "Unknown error", and the
// earlier file stays.
void TestCollageFile::fileSizeLimit_data()
{
    QTest::addColumn<CollageFormat>("format");
    QTest::newRow("jpeg") << CollageFormat::Jpeg;
    QTest::newRow("png") << CollageFormat::Png;
}

void TestCollageFile::fileSizeLimit()
{
    QFETCH(CollageFormat, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(format == CollageFormat::Png ? "big.png" : "big.jpg");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    rlimit before {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
    rlimit limited = before;
    limited.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const Result<void> written = writeCollage(noisy(600, 400), path, format);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(!written);
    QCOMPARE(written.error(), QStringLiteral("File too large"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
}

void TestCollageFile::nameTooLongForTemporaryFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fits");
    // The temporary file's name is the final name and seven more bytes.
    QTest::newRow("248 bytes") << QString(244, QLatin1Char('c')) + ".jpg" << true;
    QTest::newRow("249 bytes") << QString(245, QLatin1Char('c')) + ".jpg" << false;
    QTest::newRow("255 bytes") << QString(251, QLatin1Char('c')) + ".png" << false;
    QTest::newRow("128 characters, 252 bytes") << QString(124, QChar(0xE9)) + ".jpg" << false;
}

void TestCollageFile::nameTooLongForTemporaryFile()
{
    QFETCH(QString, name);
    QFETCH(bool, fits);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    CollageFormat format = completeCollageName(name);
    // A new file may be linked in under its name at once; one saved over goes through a
    // temporary name first.
    QVERIFY(writeCollage(sample(), path, format));
    const Result<void> written = writeCollage(sample(), path, format);
    QCOMPARE(bool(written), fits);
    if (!fits) {
        const QString error = written.error();
        QVERIFY2(error.contains(QLatin1String("too long")), qPrintable(error));
        QVERIFY2(error.contains(QLatin1String("temporary")), qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

void TestCollageFile::jpegFlattensOntoWhite_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("transparent") << QColor(0, 0, 0, 0) << QColor(255, 255, 255);
    QTest::newRow("transparent red") << QColor(255, 0, 0, 0) << QColor(255, 255, 255);
    // 32 * 90/255 + 255 * 165/255 = 176, and so on.
    QTest::newRow("translucent blue") << QColor(32, 80, 192, 90) << QColor(176, 193, 233);
    QTest::newRow("opaque") << QColor(32, 80, 192) << QColor(32, 80, 192);
}

void TestCollageFile::jpegFlattensOntoWhite()
{
    QFETCH(QColor, colour);
    QFETCH(QColor, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("flat.jpg");
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(colour);
    QVERIFY(writeCollage(image, path, CollageFormat::Jpeg));
    const QColor back = QImage(path).pixelColor(16, 16);
    QVERIFY2(qAbs(back.red() - expected.red()) <= 2 && qAbs(back.green() - expected.green()) <= 2
                 && qAbs(back.blue() - expected.blue()) <= 2,
             qPrintable(back.name()));
}

QTEST_MAIN(TestCollageFile)
#include "tst_collagefile.moc"
