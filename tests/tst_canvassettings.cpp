#include "canvassettings.h"

#include <QColorDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

class TestCanvasSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sliderBurst_data();
    void sliderBurst();
    void colourDialog_data();
    void colourDialog();
    void frameButtons_data();
    void frameButtons();
    void frameSamples();
};

void TestCanvasSettings::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestCanvasSettings::sliderBurst_data()
{
    QTest::addColumn<QList<int>>("moves1");
    QTest::addColumn<QList<int>>("moves2");
    QTest::addColumn<int>("val1");
    QTest::addColumn<int>("val2");

    QTest::newRow("ten values of the margin")
        << QList<int> {1, 2, 3, 4, 5, 6, 7, 8, 9, 12} << QList<int>() << 12 << 10;
    QTest::newRow("margin then radius")
        << QList<int> {4, 5, 6, 7, 8} << QList<int> {11, 13, 15, 17, 40} << 8 << 40;
}

// A burst of slider steps asks for one render, a second after the last step, with both
// values; a timer that was not restarted would fire a second after the first step.
void TestCanvasSettings::sliderBurst()
{
    QFETCH(QList<int>, moves1);
    QFETCH(QList<int>, moves2);
    QFETCH(int, val1);
    QFETCH(int, val2);

    CanvasSettings page;
    QSignalSpy spy(&page, &CanvasSettings::paramChanged);
    // Timed from the last move, which is what the wait restarts on; a coarse timer may
    // fire up to 5 % early.
    QElapsedTimer clock;
    for (int value : moves1) {
        page.param1Slider->setValue(value);
        clock.start();
        QTest::qWait(50);
    }
    for (int value : moves2) {
        page.param2Slider->setValue(value);
        clock.start();
        QTest::qWait(50);
    }

    QVERIFY(spy.wait(3000));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 940, qPrintable(QString::number(elapsed)));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), val1);
    QCOMPARE(spy.at(0).at(1).toInt(), val2);
    QVERIFY(!spy.wait(1300));
}

void TestCanvasSettings::colourDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("cancelled") << false << QColor(10, 20, 30);
    QTest::newRow("translucent colour") << true << QColor(10, 20, 30, 100);
    QTest::newRow("opaque colour") << true << QColor(250, 128, 0);
}

void TestCanvasSettings::colourDialog()
{
    QFETCH(bool, accept);
    QFETCH(QColor, colour);

    CanvasSettings page;
    QSignalSpy spy(&page, &CanvasSettings::colorChanged);
    QColor opened;
    // The dialog is modal, so it is driven from inside its own event loop.
    QTimer driver;
    connect(&driver, &QTimer::timeout, &page, [&] {
        auto *dialog = page.findChild<QColorDialog *>();
        if (!dialog || !dialog->isVisible())
            return;
        driver.stop();
        opened = dialog->currentColor();
        dialog->setCurrentColor(colour);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
    driver.start(10);
    page.colorButton->click();

    QCOMPARE(opened, QColor(Qt::green));
    const QColor swatch = page.colorLabel->palette().color(QPalette::Window);
    if (accept) {
        QCOMPARE(spy.count(), 1);
        const QColor emitted = spy.at(0).at(0).value<QColor>();
        QCOMPARE(emitted, colour);
        QCOMPARE(emitted.alpha(), colour.alpha());
        QCOMPARE(swatch, colour);
    } else {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(swatch, QColor(Qt::white));
    }
    QVERIFY(page.colorLabel->autoFillBackground());
}

void TestCanvasSettings::frameButtons_data()
{
    QTest::addColumn<int>("button");

    QTest::newRow("rectangle") << 1;
    QTest::newRow("rounded") << 2;
    QTest::newRow("scalloped") << 3;
}

void TestCanvasSettings::frameButtons()
{
    QFETCH(int, button);

    CanvasSettings page;
    QPushButton *buttons[] = {page.frameButton1, page.frameButton2, page.frameButton3};
    QSignalSpy spy(&page, &CanvasSettings::photoFrameChanged);
    buttons[button - 1]->click();
    buttons[button - 1]->click();

    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toInt(), button);
    QCOMPARE(spy.at(1).at(0).toInt(), button);
}

// The samples show the three shapes: a full rectangle, then two shapes whose corners are
// cut away, and the two differ.
void TestCanvasSettings::frameSamples()
{
    CanvasSettings page;
    QImage samples[3];
    QPushButton *buttons[] = {page.frameButton1, page.frameButton2, page.frameButton3};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(buttons[i]->iconSize(), QSize(120, 80));
        samples[i] = buttons[i]->icon().pixmap(QSize(120, 80)).toImage();
        QCOMPARE(samples[i].size(), QSize(120, 80));
        QCOMPARE(samples[i].pixelColor(60, 40), QColor(200, 180, 200));
    }
    QCOMPARE(samples[0].pixelColor(0, 0), QColor(200, 180, 200));
    QCOMPARE(samples[1].pixelColor(0, 0).alpha(), 0);
    QCOMPARE(samples[2].pixelColor(0, 0).alpha(), 0);
    QVERIFY(samples[1] != samples[2]);
}

QTEST_MAIN(TestCanvasSettings)
#include "tst_canvassettings.moc"
