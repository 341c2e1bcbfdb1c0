#include "canvasscene.h"
#include "canvasview.h"
#include "collagerender.h"
#include "imagecache.h"
#include "mainwindow.h"
#include "photoloader.h"
#include "photoscan.h"
#include "sizewidget.h"
#include "statuswidget.h"
#include "translation.h"

#include <QAction>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <cmath>

// Drives the real window through the slots its dialogs would call, and
// through real drop events on the view.
class TestWorkflow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void idleWithoutPhotos();
    void folderOfManyPhotos();
    void folderFilters();
    void dropOrder();
    void dropWhileBusy();
    void shuffleDuringCycle();
    void frameChangeWhileIdle_data();
    void frameChangeWhileIdle();
    void frameChangesDuringLayout();
    void newCanvas_data();
    void newCanvas();
    void closeDuringRender();
    void saveSizes_data();
    void saveSizes();
    void saveRefusesUnknownSuffix();
    void saveAddedSuffixAsksBeforeReplacing_data();
    void saveAddedSuffixAsksBeforeReplacing();
    void saveShowsProgress();

private:
    static void writePhoto(const QString &path, QSize size, QColor color);
    static QStringList photoNames(const MainWindow &window);
    static void drop(MainWindow &window, const QList<QUrl> &urls);
};

// Every window starts from the defaults: choices one test makes are remembered.
void TestWorkflow::init()
{
    QSettings().clear();
}

void TestWorkflow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
}

void TestWorkflow::writePhoto(const QString &path, QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY(image.save(path, "JPG", 90));
}

QStringList TestWorkflow::photoNames(const MainWindow &window)
{
    QStringList names;
    for (const PhotoRecord &record : window.document.photos)
        names << QFileInfo(record.path).fileName();
    return names;
}

void TestWorkflow::drop(MainWindow &window, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = window.view->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.view->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.view->viewport(), &move);
    QDropEvent dropEvent(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window.view->viewport(), &dropEvent);
}

void TestWorkflow::idleWithoutPhotos()
{
    MainWindow window;
    QProgressBar *bar = window.statusWidget->progressBar;
    QVERIFY(!bar->isTextVisible());
    window.statusWidget->shuffleButton->click();
    QVERIFY(!window.busy());
    QVERIFY(!bar->isTextVisible());
    QVERIFY(window.newCanvasAct->isEnabled());
    QVERIFY(window.addPhotosAct->isEnabled());
    QVERIFY(window.addFolderAct->isEnabled());
}

void TestWorkflow::folderOfManyPhotos()
{
    QTemporaryDir dir;
    for (int i = 0; i < 150; ++i)
        writePhoto(dir.filePath(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'))),
                   i % 2 ? QSize(40, 30) : QSize(30, 40), QColor::fromHsv(i * 2, 200, 200));

    MainWindow window;
    QVERIFY(!window.saveAct->isEnabled());
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    QVERIFY(window.busy());
    QVERIFY(window.statusWidget->progressBar->isTextVisible());
    QVERIFY(!window.newCanvasAct->isEnabled());
    QVERIFY(window.exitAct->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 60000);
    QCOMPARE(window.document.photos.size(), 100);
    const QStringList names = photoNames(window);
    QCOMPARE(names.first(), QStringLiteral("p000.jpg"));
    QCOMPARE(names.last(), QStringLiteral("p099.jpg"));
    QVERIFY(!window.statusWidget->progressBar->isTextVisible());
    QCOMPARE(window.statusWidget->progressBar->value(), 0);
    QVERIFY(window.saveAct->isEnabled());
    QVERIFY(window.newCanvasAct->isEnabled());
}

void TestWorkflow::folderFilters()
{
    QTemporaryDir dir;
    writePhoto(dir.filePath("IMG_1.JPG"), QSize(40, 30), Qt::red);
    writePhoto(dir.filePath("img_2.jpeg"), QSize(40, 30), Qt::green);
    QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(dir.filePath("x.bmp")));
    QVERIFY(QDir(dir.path()).mkdir("sub.jpg"));
    writePhoto(dir.filePath("sub.jpg/inner.jpg"), QSize(40, 30), Qt::blue);
    QVERIFY(QFile::link(dir.filePath("IMG_1.JPG"), dir.filePath("link.jpg")));

    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    QCOMPARE(photoNames(window), QStringList({"IMG_1.JPG", "img_2.jpeg"}));
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
}

void TestWorkflow::dropOrder()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("B"));
    writePhoto(dir.filePath("B/b2.jpg"), QSize(40, 30), Qt::red);
    writePhoto(dir.filePath("B/b1.jpg"), QSize(40, 30), Qt::red);
    writePhoto(dir.filePath("a.jpg"), QSize(40, 30), Qt::green);
    writePhoto(dir.filePath("c.Jpeg"), QSize(40, 30), Qt::blue);
    QVERIFY(QImage(8, 8, QImage::Format_RGB32).save(dir.filePath("p.bmp")));

    MainWindow window;
    window.show();
    drop(window,
         {QUrl::fromLocalFile(dir.filePath("a.jpg")), QUrl::fromLocalFile(dir.filePath("B")),
          QUrl::fromLocalFile(dir.filePath("c.Jpeg"))});
    QCOMPARE(photoNames(window), QStringList({"b1.jpg", "b2.jpg", "a.jpg", "c.Jpeg"}));
    QVERIFY(window.busy()); // a drop lays out again
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);

    // a BMP adds nothing, and a drop of nothing usable keeps the layout
    const LayoutTree before = window.document.layout;
    drop(window, {QUrl::fromLocalFile(dir.filePath("p.bmp"))});
    QCOMPARE(window.document.photos.size(), 4);
    QVERIFY(!window.busy());
    QCOMPARE(window.document.layout, before);
}

void TestWorkflow::dropWhileBusy()
{
    QTemporaryDir dir;
    writePhoto(dir.filePath("a.jpg"), QSize(40, 30), Qt::green);
    writePhoto(dir.filePath("b.jpg"), QSize(40, 30), Qt::blue);
    MainWindow window;
    window.show();
    drop(window, {QUrl::fromLocalFile(dir.filePath("a.jpg"))});
    QVERIFY(window.busy());
    drop(window, {QUrl::fromLocalFile(dir.filePath("b.jpg"))});
    QCOMPARE(window.document.photos.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
}

void TestWorkflow::shuffleDuringCycle()
{
    QTemporaryDir dir;
    for (int i = 0; i < 12; ++i)
        writePhoto(dir.filePath(QStringLiteral("s%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
                   QSize(60, 40), QColor::fromHsv(i * 30, 255, 255));
    MainWindow window;
    QSignalSpy trees(&window.autoThread, &AutoThread::layoutReady);
    QSignalSpy renders(&window.renderThread, &RenderThread::photoLayerReady);
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    window.shuffle(); // ignored: a layout is running
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
    QCOMPARE(trees.size(), 1);
    QCOMPARE(renders.size(), 1);

    // the full cycle leaves every cell showing its own photo
    const QList<RenderCell> cells = collectLeaves(window.document.layout.tree());
    QCOMPARE(cells.size(), 12);
    for (const RenderCell &cell : cells) {
        const QColor want = QColor::fromHsv((cell.img - 1) * 30, 255, 255);
        const QColor got = window.scene->photoLayer().pixelColor(cell.rect.center());
        QVERIFY2(qAbs(got.red() - want.red()) < 16 && qAbs(got.green() - want.green()) < 16
                     && qAbs(got.blue() - want.blue()) < 16 && got.alpha() == 255,
                 qPrintable(QStringLiteral("cell of photo %1").arg(cell.img)));
    }
}

void TestWorkflow::frameChangeWhileIdle_data()
{
    QTest::addColumn<QList<int>>("margins");
    QTest::addColumn<int>("redraws");
    QTest::newRow("one change") << QList<int> {20} << 1;
    // the first starts a redraw; the others arrive during it and give one more
    QTest::newRow("changes during the redraw") << QList<int> {4, 8, 20} << 2;
}

void TestWorkflow::frameChangeWhileIdle()
{
    QFETCH(QList<int>, margins);
    QFETCH(int, redraws);
    QTemporaryDir dir;
    for (int i = 0; i < 4; ++i)
        writePhoto(dir.filePath(QStringLiteral("f%1.jpg").arg(i)), QSize(60, 40),
                   QColor::fromHsv(i * 80, 255, 255));
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);

    QSignalSpy renders(&window.renderThread, &RenderThread::photoLayerReady);
    for (int margin : std::as_const(margins))
        window.setFrameParams(margin, 10);
    QVERIFY(window.busy()); // a redraw locks the editing actions too
    QVERIFY(!window.addPhotosAct->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
    QCOMPARE(renders.size(), redraws);
    // the last margin, 20 px, leaves the canvas corner transparent
    QCOMPARE(qAlpha(window.scene->photoLayer().pixel(5, 5)), 0);
    QVERIFY(window.addPhotosAct->isEnabled());
}

void TestWorkflow::frameChangesDuringLayout()
{
    QTemporaryDir dir;
    for (int i = 0; i < 6; ++i)
        writePhoto(dir.filePath(QStringLiteral("g%1.jpg").arg(i)), QSize(60, 40),
                   QColor::fromHsv(i * 50, 255, 255));
    MainWindow window;
    QSignalSpy renders(&window.renderThread, &RenderThread::photoLayerReady);
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    QVERIFY(window.busy());
    window.setFrameParams(4, 10);
    window.setFrameParams(8, 10);
    window.setFrameParams(20, 10);
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
    // the cycle's own render already used the last settings: nothing is lost,
    // nothing is drawn twice, and no render saw the half-built tree
    QCOMPARE(renders.size(), 1);
    QCOMPARE(qAlpha(window.scene->photoLayer().pixel(5, 5)), 0);
    QCOMPARE(qAlpha(window.scene->photoLayer().pixel(25, 25)), 255);
}

void TestWorkflow::newCanvas_data()
{
    QTest::addColumn<QSize>("typed");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QSize>("working");
    QTest::newRow("portrait") << QSize(1795, 1205) << true << true << QSize(604, 900);
    QTest::newRow("landscape") << QSize(1795, 1205) << false << true << QSize(1200, 805);
    QTest::newRow("square kept") << QSize(1200, 1200) << false << true << QSize(1200, 1200);
    QTest::newRow("small kept") << QSize(400, 300) << false << true << QSize(400, 300);
    QTest::newRow("canceled") << QSize(1795, 1205) << true << false << QSize(800, 600);
}

// Through the real dialog, as the menu reaches it.
void TestWorkflow::newCanvas()
{
    QFETCH(QSize, typed);
    QFETCH(bool, portrait);
    QFETCH(bool, accept);
    QFETCH(QSize, working);
    QTemporaryDir dir;
    writePhoto(dir.filePath("n.jpg"), QSize(60, 40), Qt::red);
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
    QVERIFY(window.cache.count() > 0);
    const QImage layer = window.scene->photoLayer();
    const LayoutTree layout = window.document.layout;
    window.undoStack->setClean(); // nothing to ask about

    bool shown = false;
    QTimer::singleShot(0, &window, [&] {
        auto *dialog = window.findChild<SizeWidget *>();
        if (!dialog)
            return;
        shown = true;
        dialog->widthSpin->setValue(typed.width());
        dialog->heightSpin->setValue(typed.height());
        if (portrait)
            dialog->portraitButton->click();
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    window.newCanvasAct->trigger();
    QVERIFY(shown);
    QVERIFY(!window.findChild<SizeWidget *>()); // the dialog is gone either way
    QCOMPARE(window.scene->canvasSize(), working);
    QCOMPARE(window.scene->photoLayer().size(), working);
    if (accept) {
        QCOMPARE(window.document.requestedSize, portrait ? typed.transposed() : typed);
        QVERIFY(window.document.photos.isEmpty());
        QCOMPARE(window.cache.count(), 0);
        window.shuffle();
        QVERIFY(!window.busy());
        return;
    }
    // a canceled dialog leaves everything as it was
    QCOMPARE(window.document.requestedSize, QSize(800, 600));
    QCOMPARE(window.document.photos.size(), 1);
    QVERIFY(window.cache.count() > 0);
    QCOMPARE(window.scene->photoLayer(), layer);
    QCOMPARE(window.document.layout, layout);
}

void TestWorkflow::closeDuringRender()
{
    QTemporaryDir dir;
    for (int i = 0; i < 30; ++i)
        writePhoto(dir.filePath(QStringLiteral("c%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
                   QSize(800, 600), QColor::fromHsv(i * 10, 255, 255));
    auto *window = new MainWindow;
    window->show();
    QSignalSpy trees(&window->autoThread, &AutoThread::layoutReady);
    window->addAndLayOut(scanPhotoFolder(dir.path()));
    QVERIFY(trees.wait(30000));
    QCoreApplication::processEvents(); // the render starts
    window->undoStack->setClean(); // closing asks about unsaved work otherwise
    window->close();
    delete window; // waits for both workers; the sanitizer run checks for leaks
}

void TestWorkflow::saveSizes_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("working");
    QTest::addColumn<bool>("withPhotos");
    QTest::newRow("default") << QSize(800, 600) << QSize(800, 600) << true;
    QTest::newRow("10x15 cm") << QSize(1795, 1205) << QSize(1200, 805) << true;
    QTest::newRow("20x30 cm portrait") << QSize(2398, 3602) << QSize(599, 900) << true;
    QTest::newRow("10x15 cm, no photos yet") << QSize(1795, 1205) << QSize(1200, 805) << false;
}

void TestWorkflow::saveSizes()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, working);
    QFETCH(bool, withPhotos);
    QTemporaryDir dir;
    for (int i = 0; i < 6; ++i)
        writePhoto(dir.filePath(QStringLiteral("v%1.jpg").arg(i)), QSize(400, 300),
                   QColor::fromHsv(i * 60, 220, 230));
    MainWindow window;
    if (!withPhotos) {
        // a layout of an earlier canvas stays in the tree after New Canvas
        window.addAndLayOut(scanPhotoFolder(dir.path()));
        QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
    }
    if (requested != QSize(800, 600))
        window.applyNewCanvas(requested);
    QCOMPARE(window.scene->canvasSize(), working);
    if (withPhotos) {
        window.addAndLayOut(scanPhotoFolder(dir.path()));
        QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
    }

    const QString path = dir.filePath("collage.png");
    QSignalSpy saved(&window, &MainWindow::collageSaved);
    QVERIFY(window.saveCollageAs(path));
    QVERIFY(saved.wait(30000));
    QCOMPARE(saved.first().first().toBool(), true);
    QVERIFY(!window.busy());
    QCOMPARE(window.saveDirPath, path);
    QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), requested);
    // The file says its colours are sRGB; the canvas is sRGB without saying so.
    QCOMPARE(image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    image.setColorSpace(QColorSpace());
    const QImage preview = window.scene->renderCanvas();
    if (!withPhotos) {
        QCOMPARE(image.pixel(requested.width() / 2, requested.height() / 2), qRgb(255, 255, 255));
        return;
    }
    if (requested == working) {
        QCOMPARE(image, preview); // the very image the preview shows
        return;
    }
    // the same layout, only sharper: scaled down it matches the preview
    const QImage down = image.scaled(working, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int y = 0; y < working.height(); ++y) {
        for (int x = 0; x < working.width(); ++x) {
            const QRgb a = down.pixel(x, y), b = preview.pixel(x, y);
            const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * working.width() * working.height());
    const double psnr = mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
    QVERIFY2(psnr >= 30, qPrintable(QString::number(psnr)));
}

void TestWorkflow::saveRefusesUnknownSuffix()
{
    QTemporaryDir dir;
    MainWindow window;
    QString shown;
    QTimer::singleShot(0, &window, [&] {
        if (auto *box = window.findChild<QMessageBox *>()) {
            shown = box->text();
            box->close();
        }
    });
    const QString path = dir.filePath("collage.gif");
    QVERIFY(!window.saveCollageAs(path));
    QVERIFY(shown.contains(QLatin1String("collage.gif")));
    QVERIFY(shown.contains(QLatin1String("PNG")));
    QVERIFY(!QFile::exists(path));
}

void TestWorkflow::saveAddedSuffixAsksBeforeReplacing_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::newRow("keep") << QMessageBox::No;
    QTest::newRow("replace") << QMessageBox::Yes;
}

// The dialog confirmed "collage", which did not exist; "collage.jpg" did.
void TestWorkflow::saveAddedSuffixAsksBeforeReplacing()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QTemporaryDir dir;
    const QString existing = dir.filePath("collage.jpg");
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    MainWindow window;
    QString asked;
    QTimer::singleShot(0, &window, [&] {
        if (auto *box = window.findChild<QMessageBox *>()) {
            asked = box->text();
            box->button(answer)->click();
        }
    });
    QSignalSpy saved(&window, &MainWindow::collageSaved);
    const QString before = window.saveDirPath;
    QCOMPARE(window.saveCollageAs(dir.filePath("collage")), answer == QMessageBox::Yes);
    QVERIFY(asked.contains(QLatin1String("collage.jpg")));
    if (answer == QMessageBox::Yes)
        QVERIFY(saved.wait(30000));
    // Only a folder the collage was written to becomes the next save's start.
    QCOMPARE(window.saveDirPath, answer == QMessageBox::Yes ? existing : before);
    QFile file(existing);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (answer == QMessageBox::No)
        QCOMPARE(file.readAll(), QByteArray("precious"));
    else
        QCOMPARE(QImage(existing).size(), QSize(800, 600));
}

void TestWorkflow::saveShowsProgress()
{
    QTemporaryDir dir;
    for (int i = 0; i < 8; ++i)
        writePhoto(dir.filePath(QStringLiteral("s%1.jpg").arg(i)), QSize(600, 400),
                   QColor::fromHsv(i * 40, 200, 220));
    MainWindow window;
    window.applyNewCanvas(QSize(1795, 1205));
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);

    // Every value the bar takes during the save, with what the window showed at that moment.
    struct Step
    {
        int value;
        bool busy;
        bool textVisible;
        bool saveEnabled;
    };
    QList<Step> steps;
    QProgressBar *bar = window.statusWidget->progressBar;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        steps.append({value, window.busy(), bar->isTextVisible(), window.saveAct->isEnabled()});
    });
    QSignalSpy saved(&window, &MainWindow::collageSaved);
    QVERIFY(window.saveCollageAs(dir.filePath("print.jpg")));
    QVERIFY(saved.wait(30000));

    QVERIFY(steps.size() >= 2);
    const Step last = steps.takeLast();
    QCOMPARE(last.value, 0); // reset when the save ends
    QCOMPARE(steps.last().value, 100);
    int previous = 0;
    for (const Step &step : std::as_const(steps)) {
        QVERIFY(step.value >= previous);
        previous = step.value;
        QVERIFY(step.busy);
        QVERIFY(step.textVisible);
        QVERIFY(!step.saveEnabled);
    }
    // a report still queued after the save must not leave the bar at 100
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isTextVisible());
    QVERIFY(window.saveAct->isEnabled());
}

QTEST_MAIN(TestWorkflow)
#include "tst_workflow.moc"
