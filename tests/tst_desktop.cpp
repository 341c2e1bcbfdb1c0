#include "canvasscene.h"
#include "canvassettings.h"
#include "canvasview.h"
#include "hostilefiles.h"
#include "mainwindow.h"
#include "photoscan.h"
#include "rightwidget.h"
#include "statuswidget.h"
#include "translation.h"
#include "treesettings.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The window as a desktop program: a view that fits, notices about files not added, and the
// choices it remembers.
class TestDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void viewFitsTheCanvas();
    void notAddedNotice_data();
    void notAddedNotice();
    void choicesRemembered();
    void canvasSizeKeepsThePhotos();
    void undecodablePhotoLeavesTheCollage();
    void sharpAtRatioTwo();
    void quietByDefault_data();
    void quietByDefault();
    void saveTakesTheFilterSuffix_data();
    void saveTakesTheFilterSuffix();

private:
    static void settle(MainWindow &window) { QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000); }
    static bool wholeCanvasShown(MainWindow &window)
    {
        CanvasView *view = window.view;
        const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
        return shown.adjusted(-1, -1, 1, 1).contains(window.scene->sceneRect())
               && !view->horizontalScrollBar()->isVisible()
               && !view->verticalScrollBar()->isVisible();
    }
};

void TestDesktop::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
}

void TestDesktop::init()
{
    QSettings().clear();
}

void TestDesktop::viewFitsTheCanvas()
{
    MainWindow window;
    window.resize(700, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(wholeCanvasShown(window));
    window.resize(900, 420);
    QTRY_VERIFY(wholeCanvasShown(window));
    window.applyNewCanvas(QSize(600, 1200));
    QTRY_VERIFY(wholeCanvasShown(window));

    window.actualSizeAct->trigger();
    QCOMPARE(window.view->transform().m11(), 1.0);
    window.zoomOutAct->trigger();
    QCOMPARE(window.view->transform().m11(), 0.8);
    window.resize(950, 450);
    QTRY_COMPARE(window.width(), 950);
    QCOMPARE(window.view->transform().m11(), 0.8); // a chosen zoom stays
    window.fitAct->trigger();
    QTRY_VERIFY(wholeCanvasShown(window));
}

void TestDesktop::notAddedNotice_data()
{
    QTest::addColumn<int>("good");
    QTest::addColumn<QStringList>("broken");
    QTest::addColumn<bool>("twice");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("broken files") << 3 << QStringList {"empty.jpg", "<b>bold.jpg"} << false
                                  << "2 files were not added:"
                                  << QStringList {"empty.jpg: not a usable image",
                                                  "<b>bold.jpg: not a usable image"};
    QTest::newRow("one file twice")
        << 2 << QStringList() << true
        << "One file was not added:" << QStringList {"g000.jpg: already in the collage"};
    QTest::newRow("beyond the hundredth")
        << 112 << QStringList() << false << "12 files were not added:"
        << QStringList {"g100.jpg: the collage already holds 100 photos", "…and 2 more"};
}

// One notice for everything not added, with the reasons, names shown as they are.
void TestDesktop::notAddedNotice()
{
    QFETCH(int, good);
    QFETCH(QStringList, broken);
    QFETCH(bool, twice);
    QFETCH(QString, summary);
    QFETCH(QStringList, listed);

    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (int i = 0; i < good; ++i)
        QVERIFY(image.save(dir.filePath(QStringLiteral("g%1.jpg").arg(i, 3, 10, QLatin1Char('0'))),
                           "JPG"));
    for (const QString &name : broken) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(name == QLatin1String("empty.jpg") ? QByteArray() : QByteArray("not a jpeg"));
        file.close();
    }
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    if (twice)
        window.addAndLayOut({dir.filePath("g000.jpg")});
    auto *notice = window.findChild<QMessageBox *>(QStringLiteral("notice"));
    QVERIFY(notice);
    QCOMPARE(notice->textFormat(), Qt::PlainText);
    const QString text = notice->text();
    QVERIFY2(text.startsWith(summary), qPrintable(text));
    for (const QString &line : listed) {
        const QString expected
            = line.startsWith(QChar(0x2026)) ? line : QDir::toNativeSeparators(dir.filePath(line));
        QVERIFY2(text.contains(expected), qPrintable(text));
    }
    QCOMPARE(window.document.photos.size(), qMin(good, 100));
    QCOMPARE(window.statusWidget->countLabel->text(),
             QStringLiteral("%1 photos").arg(qMin(good, 100)));
}

void TestDesktop::choicesRemembered()
{
    {
        MainWindow window;
        window.setBackground(QColor(20, 80, 160, 200));
        window.setFrameType(3);
        window.setFrameParams(6, 22);
        window.applyNewCanvas(QSize(1205, 1795));
    }
    MainWindow window;
    QCOMPARE(window.document.background, QColor(20, 80, 160, 200));
    QCOMPARE(window.scene->backColor(), QColor(20, 80, 160, 200));
    QCOMPARE(window.document.frame, (FrameSettings {3, 6, 22}));
    QCOMPARE(window.rightWidget->treeSettings->canvasSettings->param2Slider->value(), 22);
    QCOMPARE(window.document.requestedSize, QSize(1205, 1795));
    QCOMPARE(window.scene->canvasSize(), QSize(604, 900));
}

void TestDesktop::canvasSizeKeepsThePhotos()
{
    QTemporaryDir dir;
    for (int i = 0; i < 5; ++i) {
        QImage image(i % 2 ? QSize(60, 40) : QSize(40, 60), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 70, 255, 220));
        QVERIFY(image.save(dir.filePath(QStringLiteral("c%1.jpg").arg(i)), "JPG"));
    }
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    const QImage before = window.scene->photoLayer();
    window.resizeCanvas(QSize(1000, 1500));
    settle(window);
    QCOMPARE(window.document.photos.size(), 5);
    QCOMPARE(window.scene->canvasSize(), QSize(600, 900));
    QCOMPARE(window.document.layout.canvasSize(), QSize(600, 900));
    const QImage layer = window.scene->photoLayer();
    for (int y = 2; y < layer.height(); y += 20)
        for (int x = 2; x < layer.width(); x += 20)
            QCOMPARE(qAlpha(layer.pixel(x, y)), 255);
    QCOMPARE(window.undoAct->text(), QStringLiteral("&Undo Canvas Size"));
    window.undoAct->trigger();
    settle(window);
    QCOMPARE(window.scene->photoLayer(), before);
}

// A photo whose header reads but whose data does not decode leaves the collage once drawn:
// no cell stays empty, the notice names it, and undo and redo never bring a hole back.
void TestDesktop::undecodablePhotoLeavesTheCollage()
{
    QTemporaryDir dir;
    for (int i = 0; i < 3; ++i) {
        QImage image(60, 40, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 90, 255, 220));
        QVERIFY(image.save(dir.filePath(QStringLiteral("u%1.jpg").arg(i)), "JPG"));
    }
    QFile damaged(dir.filePath("u3.jpg"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(hostile::damagedScan(hostile::encoded(hostile::noise(64, 48), "JPG", true)));
    damaged.close();

    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    QCOMPARE(window.document.photos.size(), 3);
    auto *notice = window.findChild<QMessageBox *>(QStringLiteral("notice"));
    QVERIFY(notice);
    QVERIFY2(notice->text().contains(QLatin1String("u3.jpg: cannot decode")),
             qPrintable(notice->text()));
    const auto full = [&window] {
        const QImage layer = window.scene->photoLayer();
        for (int y = 3; y < layer.height(); y += 25)
            for (int x = 3; x < layer.width(); x += 25)
                if (qAlpha(layer.pixel(x, y)) != 255)
                    return false;
        return true;
    };
    QVERIFY(full());
    window.shuffle();
    settle(window);
    window.undoAct->trigger();
    settle(window);
    QVERIFY(full());
    QCOMPARE(window.document.photos.size(), 3);
}

// On a screen of two device pixels per canvas pixel the layer holds twice the pixels each way,
// so fine detail survives; a save at the working size is the same file as at ratio 1.
void TestDesktop::sharpAtRatioTwo()
{
    QTemporaryDir dir;
    QImage stripes(1600, 1200, QImage::Format_RGB32);
    for (int x = 0; x < 1600; ++x) {
        const QRgb value = x % 2 ? qRgb(250, 250, 250) : qRgb(10, 10, 10);
        for (int y = 0; y < 1200; ++y)
            stripes.setPixel(x, y, value);
    }
    QVERIFY(stripes.save(dir.filePath("stripes.png")));
    QImage plain(60, 40, QImage::Format_RGB32);
    plain.fill(Qt::darkGreen);
    QVERIFY(plain.save(dir.filePath("plain.jpg"), "JPG"));

    QByteArray saved[2];
    for (int ratio : {2, 1}) {
        MainWindow window;
        window.seedSource = [] { return 4242u; };
        window.setDeviceRatio(ratio);
        window.addAndLayOut({dir.filePath("stripes.png"), dir.filePath("plain.jpg")});
        settle(window);
        const QImage layer = window.scene->photoLayer();
        QCOMPARE(layer.size(), window.document.canvasSize * ratio);
        QCOMPARE(layer.devicePixelRatio(), qreal(ratio));
        // Across the middle of the stripes' cell, neighbouring pixels stay far apart at ratio
        // 2; at ratio 1 the stripes are finer than the layer and come out grey.
        const QRect cell = cellOf(window.document, 0);
        const int y = ratio * cell.center().y();
        int contrasted = 0;
        for (int x = ratio * cell.left() + 20; x < ratio * cell.left() + 120; ++x)
            contrasted += std::abs(qGray(layer.pixel(x, y)) - qGray(layer.pixel(x + 1, y))) > 120;
        QVERIFY2(ratio == 2 ? contrasted > 80 : contrasted < 20,
                 qPrintable(QString::number(contrasted)));
        const QString path = dir.filePath(QStringLiteral("at%1.png").arg(ratio));
        QSignalSpy written(&window, &MainWindow::collageSaved);
        QVERIFY(window.saveCollageAs(path));
        QVERIFY(written.wait(30000));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        saved[ratio - 1] = file.readAll();
    }
    QVERIFY(!saved[0].isEmpty());
    QVERIFY(saved[0] == saved[1]);
}

void TestDesktop::quietByDefault_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("heard");
    QTest::newRow("default") << QString() << false;
    QTest::newRow("vellomir.* enabled") << "vellomir.*=true" << true;
}

// A collage is made without a word on the terminal unless the categories are switched on;
// then the trace comes back line for line as it was.
void TestDesktop::quietByDefault()
{
    QFETCH(QString, rules);
    QFETCH(bool, heard);
    static QStringList said;
    said.clear();
    QLoggingCategory::setFilterRules(rules);
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (QByteArray(context.category).startsWith("vellomir") || !context.category
                || QByteArray(context.category) == "default")
                said << text;
        });
    QTemporaryDir dir;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(dir.filePath("q.jpg"), "JPG"));
    {
        MainWindow window;
        window.addAndLayOut({dir.filePath("q.jpg")});
        settle(window);
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(!said.isEmpty(), heard);
    if (heard) {
        QVERIFY(said.contains(QStringLiteral("MainWindow::drawPhotos")));
        QVERIFY(said.contains(QStringLiteral("nodes: 1 img: 1")));
    }
}

void TestDesktop::saveTakesTheFilterSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("written");
    QTest::newRow("PNG filter") << "plain"
                                << "png"
                                << "plain.png";
    QTest::newRow("JPEG filter") << "plain"
                                 << "jpg"
                                 << "plain.jpg";
    QTest::newRow("suffix typed wins") << "typed.jpeg"
                                       << "png"
                                       << "typed.jpeg";
}

void TestDesktop::saveTakesTheFilterSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, suffix);
    QFETCH(QString, written);
    QTemporaryDir dir;
    MainWindow window;
    QSignalSpy saved(&window, &MainWindow::collageSaved);
    QVERIFY(window.saveCollageAs(dir.filePath(typed), suffix));
    QVERIFY(saved.wait(30000));
    QVERIFY(QFile::exists(dir.filePath(written)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
