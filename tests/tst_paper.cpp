#include "collagefile.h"
#include "collagepdf.h"
#include "collagerender.h"
#include "imagecache.h"
#include "paperfixture.h"
#include "papersize.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

class TestPaper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void presetPixels_data();
    void presetPixels();
    void parse_data();
    void parse();
    void pdfPage_data();
    void pdfPage();
    void pdfShowsTheImage();
    void bleed_data();
    void bleed();
    void cancelledRender();

private:
    QTemporaryDir dir;
};

void TestPaper::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

void TestPaper::presetPixels_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QSize>("at300");
    QTest::addColumn<QSize>("at600");
    QTest::newRow("A5") << "A5" << QSize(1748, 2480) << QSize(3496, 4961);
    QTest::newRow("A4") << "A4" << QSize(2480, 3508) << QSize(4961, 7016);
    QTest::newRow("A3") << "A3" << QSize(3508, 4961) << QSize(7016, 9921);
    QTest::newRow("A2") << "A2" << QSize(4961, 7016) << QSize(9921, 14031);
    QTest::newRow("Letter") << "Letter" << QSize(2550, 3300) << QSize(5100, 6600);
    QTest::newRow("Legal") << "Legal" << QSize(2550, 4200) << QSize(5100, 8400);
    QTest::newRow("Tabloid") << "Tabloid" << QSize(3300, 5100) << QSize(6600, 10200);
    QTest::newRow("10x15cm") << "10x15cm" << QSize(1181, 1772) << QSize(2362, 3543);
    QTest::newRow("13x18cm") << "13x18cm" << QSize(1535, 2126) << QSize(3071, 4252);
    QTest::newRow("15x20cm") << "15x20cm" << QSize(1772, 2362) << QSize(3543, 4724);
    QTest::newRow("20x30cm") << "20x30cm" << QSize(2362, 3543) << QSize(4724, 7087);
    QTest::newRow("4x6in") << "4x6in" << QSize(1200, 1800) << QSize(2400, 3600);
    QTest::newRow("5x7in") << "5x7in" << QSize(1500, 2100) << QSize(3000, 4200);
    QTest::newRow("8x10in") << "8x10in" << QSize(2400, 3000) << QSize(4800, 6000);
}

// Every preset, its pixels at both resolutions, and the pixels lead back to the preset in
// either orientation, so a page made from them is the paper itself.
void TestPaper::presetPixels()
{
    QFETCH(QString, key);
    QFETCH(QSize, at300);
    QFETCH(QSize, at600);
    const std::optional<PaperPreset> preset = paperPreset(key);
    QVERIFY(preset);
    QCOMPARE(paperPixels(preset->millimetres, 300), at300);
    QCOMPARE(paperPixels(preset->millimetres, 600), at600);
    for (const QSize &pixels : {at300, at300.transposed()}) {
        const std::optional<QSizeF> paper = matchingPaper(pixels, 300);
        QVERIFY(paper);
        QCOMPARE(paper->width() < paper->height(), pixels.width() < pixels.height());
        QCOMPARE(QString::fromLatin1(matchingPreset(pixels, 300)->key), key);
    }
    QVERIFY(!matchingPaper(at300 + QSize(1, 0), 300));
}

void TestPaper::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSizeF>("millimetres"); // empty: refused
    QTest::newRow("preset") << "A4" << QSizeF(210, 297);
    QTest::newRow("any case") << "letter" << QSizeF(215.9, 279.4);
    QTest::newRow("photo preset") << "10x15cm" << QSizeF(100, 150);
    QTest::newRow("with blanks") << "10 x 15 cm" << QSizeF(100, 150);
    QTest::newRow("inches") << "5x7in" << QSizeF(127, 177.8);
    QTest::newRow("any size") << "9x13cm" << QSizeF(90, 130);
    QTest::newRow("decimals") << "8.5x11IN" << QSizeF(215.9, 279.4);
    QTest::newRow("millimetres, landscape") << "297x210mm" << QSizeF(297, 210);
    QTest::newRow("unknown name") << "A9" << QSizeF();
    QTest::newRow("no unit") << "10x15" << QSizeF();
    QTest::newRow("pixels") << "10x15px" << QSizeF();
    QTest::newRow("zero") << "0x15cm" << QSizeF();
    QTest::newRow("negative") << "-10x15cm" << QSizeF();
    QTest::newRow("past two metres") << "201x10cm" << QSizeF();
    QTest::newRow("huge") << "99999999999x1in" << QSizeF();
    QTest::newRow("empty") << "" << QSizeF();
}

void TestPaper::parse()
{
    QFETCH(QString, text);
    QFETCH(QSizeF, millimetres);
    const std::optional<QSizeF> parsed = parsePaper(text);
    QCOMPARE(bool(parsed), !millimetres.isEmpty());
    if (parsed) {
        QVERIFY(qAbs(parsed->width() - millimetres.width()) < 1e-9);
        QVERIFY(qAbs(parsed->height() - millimetres.height()) < 1e-9);
    }
}

void TestPaper::pdfPage_data()
{
    QTest::addColumn<QSize>("pixels"); // bleed included
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("bleed"); // pixels
    QTest::addColumn<QSizeF>("media"); // points
    QTest::addColumn<QSizeF>("trim");
    QTest::addColumn<QString>("title");
    QTest::newRow("A4 at 300") << QSize(2480, 3508) << 300 << 0 << QSizeF(595.276, 841.89)
                               << QSizeF(595.276, 841.89) << "Summer";
    QTest::newRow("A4 landscape at 300")
        << QSize(3508, 2480) << 300 << 0 << QSizeF(841.89, 595.276) << QSizeF(841.89, 595.276)
        << QString::fromUtf8("Sommer – Ölberg");
    QTest::newRow("10x15cm at 600") << QSize(3543, 2362) << 600 << 0 << QSizeF(425.197, 283.465)
                                    << QSizeF(425.197, 283.465) << "(brackets) \\ too";
    QTest::newRow("Letter at 150")
        << QSize(1275, 1650) << 150 << 0 << QSizeF(612, 792) << QSizeF(612, 792) << "";
    QTest::newRow("no paper") << QSize(1795, 1205) << 300 << 0 << QSizeF(430.8, 289.2)
                              << QSizeF(430.8, 289.2) << "Canvas";
    QTest::newRow("A5 with 3 mm bleed")
        << QSize(1748 + 70, 2480 + 70) << 300 << 35 << QSizeF(436.328, 612.076)
        << QSizeF(419.528, 595.276) << "Bleed";
}

// The page read back by another reader: its boxes within half a point, one page, the image
// at its own pixels and the title.
void TestPaper::pdfPage()
{
    if (!paper::havePoppler())
        QSKIP("poppler-utils are not installed (scripts/deps.sh)");
    QFETCH(QSize, pixels);
    QFETCH(int, dpi);
    QFETCH(int, bleed);
    QFETCH(QSizeF, media);
    QFETCH(QSizeF, trim);
    QFETCH(QString, title);

    QImage image(pixels, QImage::Format_ARGB32);
    image.fill(QColor(200, 100, 50, 128));
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    const Result<void> saved = writeCollage(image, path, CollageFormat::Pdf, {dpi, bleed, title});
    QVERIFY2(saved, qPrintable(saved.error()));
    const std::optional<paper::PdfFacts> facts = paper::readPdf(path);
    QVERIFY(facts);
    QCOMPARE(facts->pages, 1);
    QVERIFY2(
        qAbs(facts->media.width() - media.width()) < 0.5
            && qAbs(facts->media.height() - media.height()) < 0.5,
        qPrintable(QStringLiteral("%1 x %2").arg(facts->media.width()).arg(facts->media.height())));
    QVERIFY(qAbs(facts->trim.width() - trim.width()) < 0.5);
    QVERIFY(qAbs(facts->trim.height() - trim.height()) < 0.5);
    QVERIFY(qAbs(facts->trim.left() - (media.width() - trim.width()) / 2) < 0.5);
    QCOMPARE(facts->image, pixels);
    QCOMPARE(facts->title, title);
    QCOMPARE(pdfPageSize(pixels, {dpi, bleed, title}).toSize(), media.toSize());
}

// Rasterised, the page shows the image the right way up and round, laid onto white as a JPEG.
void TestPaper::pdfShowsTheImage()
{
    if (!paper::havePoppler())
        QSKIP("poppler-utils are not installed (scripts/deps.sh)");
    QImage image(600, 300, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.fillRect(0, 0, 300, 150, Qt::red);
        painter.fillRect(300, 0, 300, 150, Qt::green);
        painter.fillRect(0, 150, 300, 150, Qt::blue);
    }
    const QString path = dir.filePath(QStringLiteral("quadrants.pdf"));
    QVERIFY(writeCollage(image, path, CollageFormat::Pdf, {100, 0, QString()}));
    const QImage page = paper::rasterise(path, 20); // 6 x 3 inches: 120 x 60
    QCOMPARE(page.size(), QSize(120, 60));
    const auto near = [](QRgb p, QColor c) {
        return qAbs(qRed(p) - c.red()) < 40 && qAbs(qGreen(p) - c.green()) < 40
               && qAbs(qBlue(p) - c.blue()) < 40;
    };
    QVERIFY(near(page.pixel(30, 15), Qt::red));
    QVERIFY(near(page.pixel(90, 15), Qt::green));
    QVERIFY(near(page.pixel(30, 45), Qt::blue));
    QVERIFY(near(page.pixel(90, 45), Qt::white));
}

void TestPaper::bleed_data()
{
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("type");
    QTest::newRow("no margin") << 0 << 1;
    QTest::newRow("margin") << 4 << 1;
    QTest::newRow("rounded with margin") << 3 << 2;
}

// With a bleed the collage grows by it on every side. Where the frame leaves a margin only the
// background reaches past the trim and inside it the page is the collage without bleed; with
// no margin the edge photos go on to the page's edge.
void TestPaper::bleed()
{
    QFETCH(int, margin);
    QFETCH(int, type);
    const QString folder = dir.filePath(QStringLiteral("bleed"));
    QDir().mkpath(folder);
    CollageDocument document = paper::collage(folder, 5, QSize(1000, 700), 300);
    QVERIFY(document.hasLayout());
    document.frame = FrameSettings {FrameType(type), margin, 10};
    const int bleed = 24;
    ImageCache cache(ImageCache::Retention::DrawOnly);
    const QImage plain
        = renderDocument(document, cache, document.requestedSize, RenderKind::Collage).image;
    RenderOptions options;
    options.bleed = bleed;
    const QImage bled
        = renderDocument(document, cache, document.requestedSize, RenderKind::Collage, {}, options)
              .image;
    QCOMPARE(bled.size(), document.requestedSize + QSize(2 * bleed, 2 * bleed));

    const QRgb background = document.background.rgba();
    const QList<QPoint> outside {
        {2, 2}, {bled.width() - 3, bled.height() / 2}, {bled.width() / 2, bled.height() - 3}};
    for (const QPoint &point : outside)
        QCOMPARE(bled.pixel(point) == background, margin > 0);
    if (margin > 0)
        QCOMPARE(bled.copy(QRect(QPoint(bleed, bleed), document.requestedSize)), plain);
}

// A render asked to stop gives no image, and stops before it has decoded every photo.
void TestPaper::cancelledRender()
{
    const QString folder = dir.filePath(QStringLiteral("cancel"));
    QDir().mkpath(folder);
    const CollageDocument document = paper::collage(folder, 12, QSize(1200, 900), 300);
    std::atomic<int> decoded {0};
    RenderOptions options;
    options.cancelled = [&decoded] { return decoded.load() >= 2; };
    ImageCache cache(ImageCache::Retention::DrawOnly);
    const DocumentRender render = renderDocument(
        document, cache, document.requestedSize, RenderKind::Collage,
        [&decoded](int, int) { ++decoded; }, options);
    QVERIFY(render.image.isNull());
    QVERIFY(render.dropped.isEmpty());
    QVERIFY2(decoded < 12, qPrintable(QString::number(decoded)));
}

QTEST_MAIN(TestPaper)
#include "tst_paper.moc"
