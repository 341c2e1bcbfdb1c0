#include "collagesession.h"
#include "mainwindow.h"
#include "paperfixture.h"
#include "pdfpagedialog.h"
#include "printcontroller.h"
#include "projectfile.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPageSize>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>

// The window's way to paper: saves that carry the collage's resolution and page, the size
// and resolution changed as one step, and printing behind a progress dialog that cancels.
class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savesCarryThePage_data();
    void savesCarryThePage();
    void sizeAndResolutionAreOneStep_data();
    void sizeAndResolutionAreOneStep();
    void pdfPageDialog_data();
    void pdfPageDialog();
    void printFromTheWindow();
    void cancelPrint();

private:
    bool openA5(CollageSession &session) const;

    QTemporaryDir dir;
    QString project; // A5 landscape at 150 dpi
};

void TestPrinting::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    const CollageDocument a5 = paper::collage(dir.path(), 6, QSize(1240, 874), 150);
    QVERIFY(a5.hasLayout());
    project = dir.filePath(QStringLiteral("a5.vellomir"));
    QVERIFY(writeProjectFile(a5, project));
}

static bool idle(const CollageSession &session)
{
    return QTest::qWaitFor([&session] { return !session.busy() && !session.drawing(); }, 60000);
}

bool TestPrinting::openA5(CollageSession &session) const
{
    session.setRecoveryFolder(dir.filePath(QStringLiteral("recovery")));
    return session.openProject(project) && idle(session);
}

void TestPrinting::savesCarryThePage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("bleedMm");
    QTest::addColumn<QSizeF>("paper");
    QTest::addColumn<QSize>("pixels"); // the image saved
    QTest::addColumn<QSizeF>("media"); // points, for a PDF
    QTest::newRow("JPEG") << "a5.jpg" << 0.0 << QSizeF() << QSize(1240, 874) << QSizeF();
    QTest::newRow("PNG") << "a5.png" << 0.0 << QSizeF() << QSize(1240, 874) << QSizeF();
    QTest::newRow("PDF of the canvas")
        << "a5.pdf" << 0.0 << QSizeF() << QSize(1240, 874) << QSizeF(595.276, 419.528);
    // 3 mm at 150 dpi is 18 pixels, 8.64 points.
    QTest::newRow("PDF with bleed")
        << "bleed.pdf" << 3.0 << QSizeF() << QSize(1276, 910) << QSizeF(612.556, 436.808);
    QTest::newRow("PDF on A4 portrait")
        << "a4.pdf" << 0.0 << QSizeF(210, 297) << QSize(1240, 874) << QSizeF(595.276, 841.89);
}

// The session writes the document's resolution into JPEG and PNG, and a PDF gets the page
// chosen: the canvas's own with its bleed, or a paper the collage is fitted onto.
void TestPrinting::savesCarryThePage()
{
    QFETCH(QString, name);
    QFETCH(double, bleedMm);
    QFETCH(QSizeF, paper);
    QFETCH(QSize, pixels);
    QFETCH(QSizeF, media);
    CollageSession session;
    QVERIFY(openA5(session));
    QSignalSpy saved(&session, &CollageSession::collageSaved);
    QString path = dir.filePath(name);
    const CollageFormat format = completeCollageName(path);
    QVERIFY(session.saveCollage(path, format, {bleedMm, paper}));
    QVERIFY(saved.wait(60000));
    QCOMPARE(saved.first().first().value<SaveOutcome>().written.error(), QString());
    if (format != CollageFormat::Pdf) {
        const QImage image(path);
        QCOMPARE(image.size(), pixels);
        QVERIFY(qAbs(image.dotsPerMeterX() - 150 / 0.0254) < 2);
        return;
    }
    if (!paper::havePoppler())
        QSKIP("poppler-utils are not installed (scripts/deps.sh)");
    const std::optional<paper::PdfFacts> facts = paper::readPdf(path);
    QVERIFY(facts);
    QCOMPARE(facts->image, pixels);
    QCOMPARE(facts->title, QFileInfo(path).completeBaseName());
    QVERIFY2(
        qAbs(facts->media.width() - media.width()) < 0.5
            && qAbs(facts->media.height() - media.height()) < 0.5,
        qPrintable(QStringLiteral("%1 x %2").arg(facts->media.width()).arg(facts->media.height())));
    if (!paper.isEmpty()) {
        // Fitted across the page's width and centred: white above and below, the collage in
        // the middle.
        const QImage page = paper::rasterise(path, 20);
        QCOMPARE(page.pixel(page.width() / 2, 3), qRgb(255, 255, 255));
        QCOMPARE(page.pixel(page.width() / 2, page.height() - 3), qRgb(255, 255, 255));
        QVERIFY(page.pixel(page.width() / 2, page.height() / 2) != qRgb(255, 255, 255));
        QVERIFY(page.pixel(2, page.height() / 2) != qRgb(255, 255, 255));
    }
}

void TestPrinting::sizeAndResolutionAreOneStep_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("dpi");
    QTest::newRow("resolution alone") << QSize(1240, 874) << 300;
    QTest::newRow("A4 at 300 dpi") << QSize(3508, 2480) << 300;
    QTest::newRow("size alone") << QSize(1000, 1000) << 150;
}

// Choosing a paper changes the size and the resolution at once; one undo takes both back.
void TestPrinting::sizeAndResolutionAreOneStep()
{
    QFETCH(QSize, size);
    QFETCH(int, dpi);
    CollageSession session;
    QVERIFY(openA5(session));
    const CollageDocument before = session.document();
    session.resizeCanvas(size, dpi);
    QVERIFY(idle(session)); // a new shape is refitted off the GUI thread
    QCOMPARE(session.document().requestedSize, size);
    QCOMPARE(session.document().dpi, dpi);
    QCOMPARE(session.undoStack()->count(), 1);
    session.undo();
    QVERIFY(idle(session));
    QCOMPARE(session.document().requestedSize, before.requestedSize);
    QCOMPARE(session.document().dpi, before.dpi);
}

void TestPrinting::pdfPageDialog_data()
{
    QTest::addColumn<QString>("key"); // empty: the canvas's page
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QSizeF>("paper");
    QTest::addColumn<double>("bleedMm");
    QTest::newRow("the canvas, with bleed") << QString() << true << QSizeF() << 3.0;
    QTest::newRow("A4 landscape drops the bleed") << "A4" << true << QSizeF(297, 210) << 0.0;
    QTest::newRow("10x15cm portrait") << "10x15cm" << false << QSizeF(100, 150) << 0.0;
}

void TestPrinting::pdfPageDialog()
{
    QFETCH(QString, key);
    QFETCH(bool, landscape);
    QFETCH(QSizeF, paper);
    QFETCH(double, bleedMm);
    PdfPageDialog dialog(QSize(1240, 874), 150);
    QVERIFY(dialog.landscapeButton->isChecked()); // the canvas's orientation
    dialog.bleedSpin->setValue(3);
    if (!key.isEmpty())
        dialog.paperBox->setCurrentIndex(dialog.paperBox->findData(key));
    (landscape ? dialog.landscapeButton : dialog.portraitButton)->setChecked(true);
    QCOMPARE(dialog.paper(), paper);
    QCOMPARE(dialog.bleedMm(), bleedMm);
    QCOMPARE(dialog.bleedSpin->isEnabled(), key.isEmpty());
}

static std::unique_ptr<QPrinter> pdfPrinter(const QString &path, int dpi)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setResolution(dpi);
    printer->setPageSize(QPageSize(QPageSize::A5));
    printer->setPageOrientation(QPageLayout::Landscape);
    return printer;
}

// Print renders behind its progress dialog and sends one page; a second print waits for it.
void TestPrinting::printFromTheWindow()
{
    MainWindow window;
    window.session().setRecoveryFolder(dir.filePath(QStringLiteral("recovery")));
    QVERIFY(window.openProject(project));
    QVERIFY(idle(window.session()));
    QVERIFY(window.printing().printAction()->isEnabled());
    const QString path = dir.filePath(QStringLiteral("printed.pdf"));
    QSignalSpy ended(&window.printing(), &PrintController::printEnded);
    QVERIFY(window.printing().printWith(pdfPrinter(path, 150), PrintFit::Whole));
    QVERIFY(window.printing().progressDialog());
    QVERIFY(!window.printing().printWith(pdfPrinter(path, 150), PrintFit::Whole));
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended.first().first().toBool(), true);
    if (!paper::havePoppler())
        QSKIP("poppler-utils are not installed (scripts/deps.sh)");
    const std::optional<paper::PdfFacts> facts = paper::readPdf(path);
    QVERIFY(facts);
    QCOMPARE(facts->pages, 1);
    QVERIFY(qAbs(facts->media.width() - 595.276) < 0.5);
}

// Cancel in the progress dialog stops the render: nothing is printed, and the window can print
// again.
void TestPrinting::cancelPrint()
{
    MainWindow window;
    window.session().setRecoveryFolder(dir.filePath(QStringLiteral("recovery")));
    QVERIFY(window.openProject(project));
    QVERIFY(idle(window.session()));
    const QString path = dir.filePath(QStringLiteral("cancelled.pdf"));
    QSignalSpy ended(&window.printing(), &PrintController::printEnded);
    QVERIFY(window.printing().printWith(pdfPrinter(path, 1200), PrintFit::FillPage));
    const auto buttons = window.printing().progressDialog()->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    buttons.first()->click();
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended.first().first().toBool(), false);
    QVERIFY(!QFileInfo::exists(path));
    QTRY_VERIFY(!window.printing().progressDialog());
    QVERIFY(window.printing().printWith(pdfPrinter(path, 100), PrintFit::Whole));
    QVERIFY(ended.wait(60000));
    QCOMPARE(ended.last().first().toBool(), true);
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
