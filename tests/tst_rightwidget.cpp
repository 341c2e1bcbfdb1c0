#include "canvasscene.h"
#include "canvassettings.h"
#include "rightwidget.h"
#include "statuswidget.h"
#include "treesettings.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedLayout>
#include <QStandardPaths>
#include <QTest>

class TestRightWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fixedWidth_data();
    void fixedWidth();
    void pageReachesScene();
};

void TestRightWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestRightWidget::fixedWidth_data()
{
    QTest::addColumn<QSize>("window");

    QTest::newRow("small") << QSize(500, 400);
    QTest::newRow("default") << QSize(840, 640);
    QTest::newRow("large") << QSize(1900, 1200);
}

// Beside a stretching canvas the panel keeps its width, and the strip sits on top of the
// pages with nothing between them.
void TestRightWidget::fixedWidth()
{
    QFETCH(QSize, window);

    CanvasScene scene;
    QWidget top;
    auto *layout = new QHBoxLayout(&top);
    auto *canvas = new QWidget(&top);
    canvas->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *panel = new RightWidget(&scene, &top);
    layout->addWidget(canvas);
    layout->addWidget(panel);
    top.resize(window);
    top.show();
    QVERIFY(QTest::qWaitForWindowExposed(&top));

    QCOMPARE(panel->width(), 200);
    const QRect strip = panel->statusWidget->geometry();
    const QRect pages = panel->treeSettings->geometry();
    QCOMPARE(strip.top(), 0);
    QCOMPARE(pages.top(), strip.bottom() + 1);
    QCOMPARE(panel->treeSettings->pageStack->currentWidget(), panel->treeSettings->canvasSettings);
    QVERIFY(panel->treeSettings->canvasSettings->isVisible());
}

void TestRightWidget::pageReachesScene()
{
    CanvasScene scene;
    scene.canvasSize = QSize(40, 30);
    scene.resetCanvas();
    RightWidget panel(&scene);
    CanvasSettings *page = panel.treeSettings->canvasSettings;
    QSignalSpy drawSpy(&scene, &CanvasScene::drawPhotos);

    page->frameButton3->click();
    QCOMPARE(scene.photoFrame, 3);
    QCOMPARE(drawSpy.count(), 1);

    page->param1Slider->setValue(12);
    page->param2Slider->setValue(33);
    QVERIFY(drawSpy.wait(3000));
    QCOMPARE(scene.frameParam1, 12);
    QCOMPARE(scene.frameParam2, 33);
    QCOMPARE(drawSpy.count(), 2);

    const QColor colour(0, 90, 200, 150);
    emit page->colorChanged(colour);
    QCOMPARE(scene.backColor, colour);
    QCOMPARE(scene.backgroundImage->pixelColor(20, 15), colour);
    QCOMPARE(drawSpy.count(), 2);
}

QTEST_MAIN(TestRightWidget)
#include "tst_rightwidget.moc"
