// The compiled-in icons on screens of ratio 2: every icon has its @2x drawing, and QIcon takes it.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QStandardPaths>
#include <QTest>

#include <cstdlib>

namespace {

const QString iconDir = QStringLiteral(":/resources");

// Mean of the absolute channel differences, premultiplied, over two images of one size.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 sum = 0;
    for (int y = 0; y < pa.height(); ++y) {
        const auto *la = reinterpret_cast<const QRgb *>(pa.constScanLine(y));
        const auto *lb = reinterpret_cast<const QRgb *>(pb.constScanLine(y));
        for (int x = 0; x < pa.width(); ++x) {
            sum += std::abs(qRed(la[x]) - qRed(lb[x])) + std::abs(qGreen(la[x]) - qGreen(lb[x]))
                   + std::abs(qBlue(la[x]) - qBlue(lb[x]))
                   + std::abs(qAlpha(la[x]) - qAlpha(lb[x]));
        }
    }
    return double(sum) / (4.0 * pa.width() * pa.height());
}

} // namespace

class TestIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void doubleDrawing_data();
    void doubleDrawing();
    void iconTakesDoubleDrawing_data();
    void iconTakesDoubleDrawing();
};

void TestIcons::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    // The icons the windows use, so an empty or misplaced resource list cannot pass.
    for (const char *name : {"shuffle2.png", "color_picker.png", "ico32.png", "logo128.png"})
        QVERIFY2(QFile::exists(iconDir + QLatin1Char('/') + QLatin1String(name)), name);
}

void TestIcons::doubleDrawing_data()
{
    QTest::addColumn<QString>("name");
    const QStringList files = QDir(iconDir).entryList({QStringLiteral("*.png")}, QDir::Files);
    for (const QString &file : files) {
        if (!file.endsWith(QLatin1String("@2x.png")))
            QTest::newRow(qPrintable(file)) << file.chopped(4);
    }
}

// Each @2x file is twice the 1x in each direction, shows the same picture, and is drawn at that
// size rather than enlarged from the 1x pixels.
void TestIcons::doubleDrawing()
{
    QFETCH(QString, name);

    const QImage single(iconDir + QLatin1Char('/') + name + QLatin1String(".png"));
    const QString doublePath = iconDir + QLatin1Char('/') + name + QLatin1String("@2x.png");
    QVERIFY2(QFile::exists(doublePath), qPrintable(doublePath));
    const QImage twice(doublePath);
    QVERIFY(!single.isNull());
    QVERIFY(!twice.isNull());
    QCOMPARE(twice.size(), single.size() * 2);
    QVERIFY(twice.hasAlphaChannel());

    const QImage reduced
        = twice.scaled(single.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QVERIFY2(meanDifference(reduced, single) < 8, "the @2x file shows another picture");
    for (const auto mode : {Qt::FastTransformation, Qt::SmoothTransformation}) {
        const QImage enlarged = single.scaled(twice.size(), Qt::IgnoreAspectRatio, mode);
        QVERIFY2(meanDifference(enlarged, twice) > 1, "the @2x file is the 1x enlarged");
    }
}

void TestIcons::iconTakesDoubleDrawing_data()
{
    doubleDrawing_data();
}

// QIcon finds the @2x file beside the named one on its own, and hands it out for ratio 2 at the
// logical size the buttons ask for; ratio 1 still gets the 1x file.
void TestIcons::iconTakesDoubleDrawing()
{
    QFETCH(QString, name);

    const QString path = iconDir + QLatin1Char('/') + name + QLatin1String(".png");
    const QSize logical = QImageReader(path).size();
    const QIcon icon(path);

    const QPixmap dense = icon.pixmap(logical, 2.0);
    QCOMPARE(dense.size(), logical * 2);
    QCOMPARE(dense.devicePixelRatio(), 2.0);
    QCOMPARE(dense.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(iconDir + QLatin1Char('/') + name + QLatin1String("@2x.png"))
                 .convertToFormat(QImage::Format_ARGB32_Premultiplied));

    const QPixmap plain = icon.pixmap(logical, 1.0);
    QCOMPARE(plain.size(), logical);
    QCOMPARE(plain.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

int main(int argc, char **argv)
{
    // QIcon looks for @2x files only when a screen has that ratio.
    qputenv("QT_SCALE_FACTOR", "2");
    QGuiApplication app(argc, argv);
    TestIcons test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_icons.moc"
