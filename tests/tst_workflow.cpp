#include "canvasscene.h"
#include "canvasview.h"
#include "collagerender.h"
#include "imagecache.h"
#include "mainwindow.h"
#include "photoloader.h"
#include "photoscan.h"
#include "settingsstore.h"
#include "sizewidget.h"
#include "statuswidget.h"
#include "translation.h"
#include "windowparts.h"

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
    void dropOrder();
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
    static QStringList photoNames(MainWindow &window);
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

QStringList TestWorkflow::photoNames(MainWindow &window)
{
    QStringList names;
    for (const PhotoRecord &record : window.session().document().photos)
        names << QFileInfo(record.path).fileName();
    return names;
}

void TestWorkflow::drop(MainWindow &window, const QList<QUrl> &urls)
{
    QMimeData mime;
    mime.setUrls(urls);
    QWidget *viewport = window.canvasView()->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
    QDropEvent dropEvent(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &dropEvent);
}

void TestWorkflow::idleWithoutPhotos()
{
    MainWindow window;
    QProgressBar *bar = parts::status(window)->progressBar;
    QVERIFY(!bar->isTextVisible());
    parts::status(window)->shuffleButton->click();
    QVERIFY(!window.session().busy());
    QVERIFY(!bar->isTextVisible());
    QVERIFY(parts::action(window, "&New Canvas...")->isEnabled());
    QVERIFY(parts::action(window, "Add &Photo(s)...")->isEnabled());
    QVERIFY(parts::action(window, "Add &Folder...")->isEnabled());
}

void TestWorkflow::folderOfManyPhotos()
{
    QTemporaryDir dir;
    for (int i = 0; i < 150; ++i)
        writePhoto(dir.filePath(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'))),
                   i % 2 ? QSize(40, 30) : QSize(30, 40), QColor::fromHsv(i * 2, 200, 200));

    MainWindow window;
    QVERIFY(!parts::action(window, "&Save Collage As...")->isEnabled());
    window.addPaths({dir.path()});
    QVERIFY(window.session().busy());
    QVERIFY(parts::status(window)->progressBar->isTextVisible());
    QVERIFY(!parts::action(window, "&New Canvas...")->isEnabled());
    QVERIFY(parts::action(window, "E&xit")->isEnabled());

    QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 60000);
    QCOMPARE(window.session().document().photos.size(), 100);
    const QStringList names = photoNames(window);
    QCOMPARE(names.first(), QStringLiteral("p000.jpg"));
    QCOMPARE(names.last(), QStringLiteral("p099.jpg"));
    QVERIFY(!parts::status(window)->progressBar->isTextVisible());
    QCOMPARE(parts::status(window)->progressBar->value(), 0);
    QVERIFY(parts::action(window, "&Save Collage As...")->isEnabled());
    QVERIFY(parts::action(window, "&New Canvas...")->isEnabled());
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
    QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    QCOMPARE(photoNames(window), QStringList({"b1.jpg", "b2.jpg", "a.jpg", "c.Jpeg"}));
    QVERIFY(window.session().document().hasLayout()); // a drop lays out again

    // a BMP adds nothing, and a drop of nothing usable keeps the layout
    const LayoutTree before = window.session().document().layout;
    drop(window, {QUrl::fromLocalFile(dir.filePath("p.bmp"))});
    QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    QCOMPARE(window.session().document().photos.size(), 4);
    QCOMPARE(window.session().document().layout, before);
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
    window.addPaths({dir.path()});
    QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    QVERIFY(window.session().cache().count() > 0);
    const QImage layer = window.canvasScene()->photoLayer();
    const LayoutTree layout = window.session().document().layout;
    window.session().undoStack()->setClean(); // nothing to ask about

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
    parts::action(window, "&New Canvas...")->trigger();
    QVERIFY(shown);
    QVERIFY(!window.findChild<SizeWidget *>()); // the dialog is gone either way
    QCOMPARE(window.canvasScene()->canvasSize(), working);
    QCOMPARE(window.canvasScene()->photoLayer().size(), working);
    if (accept) {
        QCOMPARE(window.session().document().requestedSize, portrait ? typed.transposed() : typed);
        QVERIFY(window.session().document().photos.isEmpty());
        QCOMPARE(window.session().cache().count(), 0);
        window.session().shuffle();
        QVERIFY(!window.session().busy());
        return;
    }
    // a canceled dialog leaves everything as it was
    QCOMPARE(window.session().document().requestedSize, QSize(800, 600));
    QCOMPARE(window.session().document().photos.size(), 1);
    QVERIFY(window.session().cache().count() > 0);
    QCOMPARE(window.canvasScene()->photoLayer(), layer);
    QCOMPARE(window.session().document().layout, layout);
}

void TestWorkflow::closeDuringRender()
{
    QTemporaryDir dir;
    for (int i = 0; i < 30; ++i)
        writePhoto(dir.filePath(QStringLiteral("c%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
                   QSize(800, 600), QColor::fromHsv(i * 10, 255, 255));
    auto *window = new MainWindow;
    window->show();
    QSignalSpy trees(&window->session(), &CollageSession::layoutFinished);
    window->addPaths({dir.path()});
    QVERIFY(trees.wait(30000));
    QCoreApplication::processEvents(); // the render starts
    window->session().undoStack()->setClean(); // closing asks about unsaved work otherwise
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
        window.addPaths({dir.path()});
        QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    }
    if (requested != QSize(800, 600))
        window.session().newCanvas(requested);
    QCOMPARE(window.canvasScene()->canvasSize(), working);
    if (withPhotos) {
        window.addPaths({dir.path()});
        QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    }

    const QString path = dir.filePath("collage.png");
    QSignalSpy saved(&window, &MainWindow::collageSaved);
    QVERIFY(window.saveCollageAs(path));
    QVERIFY(saved.wait(30000));
    QCOMPARE(saved.first().first().toBool(), true);
    QVERIFY(!window.session().busy());
    QCOMPARE(SettingsStore().saveDir(), path);
    QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), requested);
    // The file says its colours are sRGB; the canvas is sRGB without saying so.
    QCOMPARE(image.colorSpace(), QColorSpace(QColorSpace::SRgb));
    image.setColorSpace(QColorSpace());
    const QImage preview = window.canvasScene()->renderCanvas();
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
    const QString before = SettingsStore().saveDir();
    QCOMPARE(window.saveCollageAs(dir.filePath("collage")), answer == QMessageBox::Yes);
    QVERIFY(asked.contains(QLatin1String("collage.jpg")));
    if (answer == QMessageBox::Yes)
        QVERIFY(saved.wait(30000));
    // Only a folder the collage was written to becomes the next save's start.
    QCOMPARE(SettingsStore().saveDir(), answer == QMessageBox::Yes ? existing : before);
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
    window.session().newCanvas(QSize(1795, 1205));
    window.addPaths({dir.path()});
    QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);

    // Every value the bar takes during the save, with what the window showed at that moment.
    struct Step
    {
        int value;
        bool busy;
        bool textVisible;
        bool saveEnabled;
    };
    QList<Step> steps;
    QProgressBar *bar = parts::status(window)->progressBar;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        steps.append({value, window.session().busy(), bar->isTextVisible(),
                      parts::action(window, "&Save Collage As...")->isEnabled()});
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
    QVERIFY(parts::action(window, "&Save Collage As...")->isEnabled());
}

QTEST_MAIN(TestWorkflow)
#include "tst_workflow.moc"
