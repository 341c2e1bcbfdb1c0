#include "collagefile.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

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
    QTest::newRow("jpeg") << "c.jpg" << CollageFormat::Jpeg;
    QTest::newRow("png") << "c.png" << CollageFormat::Png;
}

void TestCollageFile::writesPrintResolution()
{
    QFETCH(QString, fileName);
    QFETCH(CollageFormat, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    QString error;
    QVERIFY2(writeCollage(sample(), path, format, &error), qPrintable(error));

    QImageReader reader(path);
    QCOMPARE(reader.format(), format == CollageFormat::Jpeg ? QByteArray("jpeg") : "png");
    const QImage back = reader.read();
    QCOMPARE(back.size(), QSize(64, 48));
    QCOMPARE(qRound(back.dotsPerMeterX() * 0.0254), 300);
    QCOMPARE(qRound(back.dotsPerMeterY() * 0.0254), 300);
}

void TestCollageFile::pngKeepsAlpha()
{
    QTemporaryDir dir;
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 255, 100));
    const QString path = dir.filePath("t.png");
    QVERIFY(writeCollage(image, path, CollageFormat::Png, nullptr));
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
    QString error;
    QVERIFY(!writeCollage(QImage(), path, CollageFormat::Jpeg, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!writeCollage(sample(), path, CollageFormat::Unsupported, &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("precious"));
}

void TestCollageFile::unwritableTarget()
{
    QTemporaryDir dir;
    QString error;
    // CI runs as root, so use targets that no permission can make writable.
    QVERIFY(!writeCollage(sample(), dir.filePath("missing/c.jpg"), CollageFormat::Jpeg, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
    error.clear();
    QVERIFY(!writeCollage(sample(), dir.filePath("folder.jpg"), CollageFormat::Jpeg, &error));
    QVERIFY(!error.isEmpty());
}

QTEST_MAIN(TestCollageFile)
#include "tst_collagefile.moc"
