#include "canvassettings.h"
#include "collagedocument.h"
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
    void pageShowsAppearanceQuietly();
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

    QWidget top;
    auto *layout = new QHBoxLayout(&top);
    auto *canvas = new QWidget(&top);
    canvas->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    auto *panel = new RightWidget(&top);
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

// After an undo or an opened project the page shows the collage's appearance; showing it must
// not announce it as a new choice, or every undo would make a step of its own.
void TestRightWidget::pageShowsAppearanceQuietly()
{
    RightWidget panel;
    CanvasSettings *page = panel.treeSettings->canvasSettings;
    QSignalSpy params(page, &CanvasSettings::paramChanged);
    QSignalSpy colours(page, &CanvasSettings::colorChanged);

    page->param1Slider->setValue(5); // a burst of moves still waiting for its timer
    page->showAppearance(QColor(0, 90, 200, 150), FrameSettings {FrameType::Rounded, 12, 33});
    QCOMPARE(page->param1Slider->value(), 12);
    QCOMPARE(page->param2Slider->value(), 33);
    QVERIFY(!params.wait(1500));
    QCOMPARE(colours.count(), 0);

    page->param2Slider->setValue(20);
    QVERIFY(params.wait(3000));
    QCOMPARE(params.last(), QVariantList({12, 20}));
}

QTEST_MAIN(TestRightWidget)
#include "tst_rightwidget.moc"
