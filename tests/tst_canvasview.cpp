#include "canvasscene.h"
#include "canvasview.h"

#include <QApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTest>
#include <QWheelEvent>

class TestCanvasView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void wheelZoom_data();
    void wheelZoom();
    void wheelNeverScrolls();
    void fitFollowsTheView_data();
    void fitFollowsTheView();
    void zoomSteps();
    void drop_data();
    void drop();

private:
    void wheel(QPoint angle);
    QSize viewport(const QSize &viewSize) const
    {
        return viewSize - QSize(2 * view->frameWidth(), 2 * view->frameWidth());
    }

    CanvasScene *scene = nullptr;
    CanvasView *view = nullptr;
};

void TestCanvasView::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestCanvasView::init()
{
    scene = new CanvasScene;
    scene->setCanvasSize(QSize(1200, 900));
    view = new CanvasView;
    view->setScene(scene);
    view->resize(500, 400);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
}

void TestCanvasView::cleanup()
{
    delete view;
    delete scene;
}

void TestCanvasView::wheel(QPoint angle)
{
    const QPointF pos = view->viewport()->rect().center();
    QWheelEvent event(pos, view->viewport()->mapToGlobal(pos), QPoint(), angle, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
    QVERIFY(event.isAccepted());
}

void TestCanvasView::wheelZoom_data()
{
    QTest::addColumn<qreal>("start");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("steps");
    QTest::addColumn<qreal>("expected");

    QTest::newRow("100 %, towards the user") << 1.0 << -120 << 1 << 0.912871;
    QTest::newRow("100 %, away from the user") << 1.0 << 120 << 1 << 1.0;
    QTest::newRow("95 %, away lands on 100 %") << 0.95 << 120 << 1 << 1.0;
    QTest::newRow("50 %, away") << 0.5 << 120 << 1 << 0.547723;
    QTest::newRow("25 % stops shrinking") << 0.25 << -120 << 1 << 0.25;
    QTest::newRow("26 % shrinks once more") << 0.26 << -120 << 1 << 0.237346;
    QTest::newRow("26 %, two notches") << 0.26 << -120 << 2 << 0.237346;
    QTest::newRow("fine wheel, eight steps") << 1.0 << -15 << 8 << 0.912871;
    QTest::newRow("no delta") << 0.6 << 0 << 1 << 0.6;
}

void TestCanvasView::wheelZoom()
{
    QFETCH(qreal, start);
    QFETCH(int, delta);
    QFETCH(int, steps);
    QFETCH(qreal, expected);

    view->setTransform(QTransform::fromScale(start, start));
    for (int i = 0; i < steps; ++i)
        wheel(QPoint(0, delta));

    const QTransform t = view->transform();
    QVERIFY2(qAbs(t.m11() - expected) < 1e-5, qPrintable(QString::number(t.m11(), 'g', 10)));
    QCOMPARE(t.m22(), t.m11());
    if (expected == 1.0)
        QCOMPARE(t.m11(), 1.0);
}

// The wheel belongs to the zoom: at the limits it does nothing at all rather than
// scrolling the canvas, and a sideways tilt neither zooms nor scrolls.
void TestCanvasView::wheelNeverScrolls()
{
    view->actualSize();
    QScrollBar *bar = view->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum() / 2);
    const int value = bar->value();
    const int horizontal = view->horizontalScrollBar()->value();

    wheel(QPoint(0, 120));
    wheel(QPoint(-120, 0));
    QCOMPARE(bar->value(), value);
    QCOMPARE(view->horizontalScrollBar()->value(), horizontal);
    QCOMPARE(view->transform().m11(), 1.0);
}

void TestCanvasView::fitFollowsTheView_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("viewSize");

    QTest::newRow("larger canvas, wide view") << QSize(1200, 900) << QSize(900, 400);
    QTest::newRow("larger canvas, tall view") << QSize(1200, 900) << QSize(400, 900);
    QTest::newRow("canvas smaller than the view") << QSize(300, 200) << QSize(700, 600);
}

// The whole canvas shows, margin included, without scroll bars and never beyond 100 %, until
// the wheel chooses a zoom; Fit follows the view again.
void TestCanvasView::fitFollowsTheView()
{
    QFETCH(QSize, canvas);
    QFETCH(QSize, viewSize);
    scene->setCanvasSize(canvas);
    view->canvasChanged();
    view->resize(viewSize);
    QTRY_VERIFY(view->viewport()->size().width() > 0);
    const auto whole = [this] {
        const QRectF shown = view->mapToScene(view->viewport()->rect()).boundingRect();
        return shown.adjusted(-1, -1, 1, 1).contains(scene->sceneRect())
               && !view->horizontalScrollBar()->isVisible()
               && !view->verticalScrollBar()->isVisible() && view->transform().m11() <= 1.0;
    };
    QTRY_VERIFY(whole());
    QVERIFY(view->followsWindow());

    wheel(QPoint(0, -120));
    QVERIFY(!view->followsWindow());
    const qreal chosen = view->transform().m11();
    view->resize(viewSize + QSize(100, 100));
    QTRY_COMPARE(view->viewport()->size(), viewport(viewSize + QSize(100, 100)));
    QCOMPARE(view->transform().m11(), chosen);

    view->fitToWindow();
    QVERIFY(view->followsWindow());
    QTRY_VERIFY(whole());
}

void TestCanvasView::zoomSteps()
{
    view->actualSize();
    QCOMPARE(view->transform().m11(), 1.0);
    QVERIFY(!view->followsWindow());
    view->zoomIn();
    QCOMPARE(view->transform().m11(), 1.25);
    for (int i = 0; i < 20; ++i)
        view->zoomIn();
    QCOMPARE(view->transform().m11(), 4.0);
    for (int i = 0; i < 40; ++i)
        view->zoomOut();
    QCOMPARE(view->transform().m11(), 0.1);
}

void TestCanvasView::drop_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("emissions");

    const QList<QUrl> three
        = {QUrl::fromLocalFile("/photos/b.jpg"), QUrl::fromLocalFile("/photos/holiday"),
           QUrl::fromLocalFile("/photos/a.JPG")};
    QTest::newRow("files and a folder") << three << QString() << 1;
    QTest::newRow("plain text") << QList<QUrl>() << QStringLiteral("/photos/a.jpg") << 0;
}

void TestCanvasView::drop()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(QString, text);
    QFETCH(int, emissions);

    QList<QList<QUrl>> received;
    connect(view, &CanvasView::urlsAdded, this,
            [&received](const QList<QUrl> &urlList) { received.append(urlList); });

    QMimeData mime;
    if (!urls.isEmpty())
        mime.setUrls(urls);
    if (!text.isEmpty())
        mime.setText(text);
    const QPointF pos = view->viewport()->rect().center();
    QDragEnterEvent enter(pos.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    QVERIFY(drop.isAccepted());

    QCOMPARE(received.size(), emissions);
    if (emissions)
        QCOMPARE(received.first(), urls);
}

QTEST_MAIN(TestCanvasView)
#include "tst_canvasview.moc"
