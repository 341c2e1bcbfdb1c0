#include "collagefile.h"
#include "collageprint.h"
#include "imagecache.h"
#include "paperfixture.h"

#include <QFutureWatcher>
#include <QGuiApplication>
#include <QPageSize>
#include <QPrinter>
#include <QSignalSpy>
#include <QTest>

class TestPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placement_data();
    void placement();
    void renderSize_data();
    void renderSize();
    void printerFollowsTheCollage();
    void printedPageIsTheExportedPage_data();
    void printedPageIsTheExportedPage();
    void renderOffTheGuiThread();
    void cancel();

private:
    QTemporaryDir dir;
    CollageDocument a4; // landscape A4 at 300 dpi
};

void TestPrint::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    a4 = paper::collage(dir.path(), 9, QSize(3508, 2480), 300);
    QVERIFY(a4.hasLayout());
}

void TestPrint::placement_data()
{
    QTest::addColumn<QSizeF>("collage");
    QTest::addColumn<QSizeF>("area");
    QTest::addColumn<int>("fit");
    QTest::addColumn<QRectF>("target");
    QTest::addColumn<QRectF>("source");
    const int whole = int(PrintFit::Whole);
    const int fill = int(PrintFit::FillPage);
    QTest::newRow("wide on a tall page")
        << QSizeF(300, 200) << QSizeF(100, 200) << whole << QRectF(0, 200.0 / 3, 100, 200.0 / 3)
        << QRectF(0, 0, 300, 200);
    QTest::newRow("wide on a tall page, filled")
        << QSizeF(300, 200) << QSizeF(100, 200) << fill << QRectF(0, 0, 100, 200)
        << QRectF(100, 0, 100, 200);
    QTest::newRow("tall on a wide page") << QSizeF(200, 400) << QSizeF(1000, 500) << whole
                                         << QRectF(375, 0, 250, 500) << QRectF(0, 0, 200, 400);
    QTest::newRow("tall on a wide page, filled")
        << QSizeF(200, 400) << QSizeF(1000, 500) << fill << QRectF(0, 0, 1000, 500)
        << QRectF(0, 150, 200, 100);
    QTest::newRow("same shape") << QSizeF(400, 300) << QSizeF(800, 600) << whole
                                << QRectF(0, 0, 800, 600) << QRectF(0, 0, 400, 300);
    QTest::newRow("same shape, filled") << QSizeF(400, 300) << QSizeF(800, 600) << fill
                                        << QRectF(0, 0, 800, 600) << QRectF(0, 0, 400, 300);
    QTest::newRow("no page") << QSizeF(400, 300) << QSizeF(0, 600) << whole << QRectF() << QRectF();
}

// Whole keeps the shape, centred, and cuts nothing; FillPage covers the area and cuts an equal
// band from both ends of one side only.
void TestPrint::placement()
{
    QFETCH(QSizeF, collage);
    QFETCH(QSizeF, area);
    QFETCH(int, fit);
    QFETCH(QRectF, target);
    QFETCH(QRectF, source);
    const PrintPlacement placed = placeOnPage(collage, area, PrintFit(fit));
    const auto same = [](const QRectF &a, const QRectF &b) {
        return qAbs(a.x() - b.x()) < 1e-6 && qAbs(a.y() - b.y()) < 1e-6
               && qAbs(a.width() - b.width()) < 1e-6 && qAbs(a.height() - b.height()) < 1e-6;
    };
    QVERIFY2(same(placed.target, target), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                         .arg(placed.target.x())
                                                         .arg(placed.target.y())
                                                         .arg(placed.target.width())
                                                         .arg(placed.target.height())));
    QVERIFY(same(placed.source, source));
}

void TestPrint::renderSize_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("area");
    QTest::addColumn<int>("fit");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("A4 on A4 at 300 dpi")
        << QSize(3508, 2480) << QSize(3508, 2480) << int(PrintFit::Whole) << QSize(3508, 2480);
    QTest::newRow("small canvas, large page: the printer's pixels")
        << QSize(800, 600) << QSize(7016, 4961) << int(PrintFit::Whole) << QSize(6615, 4961);
    QTest::newRow("filled: the whole collage at the cover scale")
        << QSize(1000, 500) << QSize(1000, 1000) << int(PrintFit::FillPage) << QSize(2000, 1000);
    QTest::newRow("1200 dpi A3: at most the largest canvas")
        << QSize(4961, 3508) << QSize(19843, 14031) << int(PrintFit::Whole) << QSize(10000, 7071);
}

void TestPrint::renderSize()
{
    QFETCH(QSize, canvas);
    QFETCH(QSize, area);
    QFETCH(int, fit);
    QFETCH(QSize, pixels);
    QCOMPARE(printRenderSize(canvas, {area, 300}, PrintFit(fit)), pixels);
}

// A collage made for a paper asks the printer for that paper, turned as the collage is.
void TestPrint::printerFollowsTheCollage()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    preparePrinter(printer, a4, QStringLiteral("Trip"));
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(printer.docName(), QStringLiteral("Trip"));

    CollageDocument tall = a4;
    tall.requestedSize = QSize(1000, 1400); // no paper at 300 dpi
    preparePrinter(printer, tall, QString());
    QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::A4);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
}

void TestPrint::printedPageIsTheExportedPage_data()
{
    QTest::addColumn<int>("printerDpi");
    QTest::newRow("printer at the collage's resolution") << 300;
    QTest::newRow("printer at 600 dpi") << 600;
}

// Printing to a PDF printer on the collage's paper without margins gives the page Export PDF
// writes: the same size, and the same picture when both are rasterised.
void TestPrint::printedPageIsTheExportedPage()
{
    if (!paper::havePoppler())
        QSKIP("poppler-utils are not installed (scripts/deps.sh)");
    QFETCH(int, printerDpi);
    ImageCache cache(ImageCache::Retention::DrawOnly);
    const DocumentRender exported
        = renderDocument(a4, cache, a4.requestedSize, RenderKind::Collage);
    const QString exportPath = dir.filePath(QStringLiteral("exported.pdf"));
    const Result<void> saved = writeCollage(exported.image, exportPath, CollageFormat::Pdf,
                                            {a4.dpi, 0, QStringLiteral("Trip")});
    QVERIFY2(saved, qPrintable(saved.error()));

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString printPath = dir.filePath(QStringLiteral("printed.pdf"));
    printer.setOutputFileName(printPath);
    printer.setResolution(printerDpi);
    printer.setFullPage(true);
    preparePrinter(printer, a4, QStringLiteral("Trip"));
    const PrintRender render = renderPrint(a4, printPage(printer), PrintFit::Whole);
    QCOMPARE(render.image.size(),
             printRenderSize(a4.requestedSize, printPage(printer), PrintFit::Whole));
    QVERIFY(printCollage(printer, render));

    const std::optional<paper::PdfFacts> printed = paper::readPdf(printPath);
    const std::optional<paper::PdfFacts> written = paper::readPdf(exportPath);
    QVERIFY(printed && written);
    QVERIFY(qAbs(printed->media.width() - written->media.width()) < 0.5);
    QVERIFY(qAbs(printed->media.height() - written->media.height()) < 0.5);
    const QImage printedPage = paper::rasterise(printPath, 30);
    const QImage exportedPage = paper::rasterise(exportPath, 30);
    const double difference = paper::meanDifference(printedPage, exportedPage);
    QVERIFY2(difference < 4, qPrintable(QString::number(difference)));
}

// The render runs on the pool, reports the photos decoded, and hands back the collage.
void TestPrint::renderOffTheGuiThread()
{
    const PrintPage page {QSize(1754, 1240), 150};
    QFutureWatcher<PrintRender> watcher;
    QSignalSpy progress(&watcher, &QFutureWatcher<PrintRender>::progressValueChanged);
    QSignalSpy finished(&watcher, &QFutureWatcher<PrintRender>::finished);
    watcher.setFuture(startPrintRender(a4, page, PrintFit::Whole));
    QVERIFY(finished.wait(60000));
    QVERIFY(!watcher.isCanceled());
    QCOMPARE(watcher.progressMaximum(), int(a4.photos.size()));
    QVERIFY(!progress.isEmpty());
    const PrintRender render = watcher.result();
    QCOMPARE(render.image.size(), QSize(1754, 1240));
    QVERIFY(render.dropped.isEmpty());
}

// Cancel ends the future without a result; nothing is left running.
void TestPrint::cancel()
{
    QFuture<PrintRender> future = startPrintRender(a4, {QSize(7016, 4961), 600}, PrintFit::Whole);
    future.cancel();
    future.waitForFinished();
    QVERIFY(future.isCanceled());
    QCOMPARE(future.resultCount(), 0);
}

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
