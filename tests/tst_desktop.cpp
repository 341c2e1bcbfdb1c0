#include "canvasscene.h"
#include "canvassettings.h"
#include "canvasview.h"
#include "mainwindow.h"
#include "photoscan.h"
#include "rightwidget.h"
#include "statuswidget.h"
#include "translation.h"
#include "treesettings.h"
#include "windowparts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
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
    void saveTakesTheFilterSuffix_data();
    void saveTakesTheFilterSuffix();

private:
    static void settle(MainWindow &window)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    }
    static bool wholeCanvasShown(MainWindow &window)
    {
        CanvasView *view = window.canvasView();
        const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
        return shown.adjusted(-1, -1, 1, 1).contains(window.canvasScene()->sceneRect())
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
    window.session().newCanvas(QSize(600, 1200));
    QTRY_VERIFY(wholeCanvasShown(window));

    parts::action(window, "&Actual Size")->trigger();
    QCOMPARE(window.canvasView()->transform().m11(), 1.0);
    parts::action(window, "Zoom &Out")->trigger();
    QCOMPARE(window.canvasView()->transform().m11(), 0.8);
    window.resize(950, 450);
    QTRY_COMPARE(window.width(), 950);
    QCOMPARE(window.canvasView()->transform().m11(), 0.8); // a chosen zoom stays
    parts::action(window, "&Fit")->trigger();
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
        << 112 << QStringList() << false
        << "12 photos were not added: the collage holds at most 100" << QStringList();
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
    window.addPaths({dir.path()});
    settle(window);
    if (twice) {
        window.addPaths({dir.filePath("g000.jpg")});
        settle(window);
    }
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
    QCOMPARE(window.session().document().photos.size(), qMin(good, 100));
    QCOMPARE(parts::status(window)->countLabel->text(),
             QStringLiteral("%1 photos").arg(qMin(good, 100)));
}

void TestDesktop::choicesRemembered()
{
    {
        MainWindow window;
        window.session().setBackground(QColor(20, 80, 160, 200));
        window.session().setFrameType(FrameType::Scallop);
        window.session().setFrameParams(6, 22);
        window.session().newCanvas(QSize(1205, 1795));
    }
    MainWindow window;
    QCOMPARE(window.session().document().background, QColor(20, 80, 160, 200));
    QCOMPARE(window.canvasScene()->backColor(), QColor(20, 80, 160, 200));
    QCOMPARE(window.session().document().frame, (FrameSettings {FrameType::Scallop, 6, 22}));
    QCOMPARE(parts::panel(window)->treeSettings->canvasSettings->param2Slider->value(), 22);
    QCOMPARE(window.session().document().requestedSize, QSize(1205, 1795));
    QCOMPARE(window.canvasScene()->canvasSize(), QSize(604, 900));
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
    QTest::newRow("Export PDF keeps PDF") << "typed.jpg"
                                          << "pdf"
                                          << "typed.jpg.pdf";
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
