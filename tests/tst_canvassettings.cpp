#include "canvassettings.h"
#include "collagedocument.h"
#include "papersize.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
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
    void denseIcons_data();
    void denseIcons();
    void frameControls_data();
    void frameControls();
    void frameScale_data();
    void frameScale();
    void tooltips();
    void keyboardFocus();
};

namespace {

// Clicks the colour button, notes the colour the dialog opens at, and closes it with the
// colour given, accepted or not. The dialog is modal, so it is driven from its own loop.
QColor driveColourDialog(CanvasSettings &page, const QColor &colour, bool accept)
{
    QColor opened;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, &page, [&] {
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
    return opened;
}

} // namespace

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
    QTest::addColumn<QColor>("shown"); // by showAppearance; invalid: left at the start
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("cancelled") << QColor() << false << QColor(10, 20, 30);
    QTest::newRow("translucent colour") << QColor() << true << QColor(10, 20, 30, 100);
    QTest::newRow("opaque colour") << QColor() << true << QColor(250, 128, 0);
    QTest::newRow("shown, cancelled") << QColor(0, 90, 200, 150) << false << QColor(1, 2, 3);
    QTest::newRow("shown, then chosen") << QColor(0, 90, 200) << true << QColor(9, 8, 7, 6);
}

// The dialog opens at the background in use, alpha and all, and the next time at the one
// chosen.
void TestCanvasSettings::colourDialog()
{
    QFETCH(QColor, shown);
    QFETCH(bool, accept);
    QFETCH(QColor, colour);

    CanvasSettings page;
    const QColor start = shown.isValid() ? shown : QColor(Qt::white);
    if (shown.isValid())
        page.showAppearance(shown, FrameSettings());
    QSignalSpy spy(&page, &CanvasSettings::colorChanged);
    QCOMPARE(driveColourDialog(page, colour, accept), start);

    const QColor now = accept ? colour : start;
    const QColor swatch = page.colorLabel->palette().color(QPalette::Window);
    QCOMPARE(swatch, now);
    QCOMPARE(swatch.alpha(), now.alpha());
    QCOMPARE(spy.count(), accept ? 1 : 0);
    if (accept) {
        const QColor emitted = spy.at(0).at(0).value<QColor>();
        QCOMPARE(emitted, colour);
        QCOMPARE(emitted.alpha(), colour.alpha());
    }
    QVERIFY(page.colorLabel->autoFillBackground());
    QCOMPARE(driveColourDialog(page, Qt::black, false), now);
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
    QCOMPARE(spy.at(0).at(0).value<FrameType>(), FrameType(button));
    QCOMPARE(spy.at(1).at(0).value<FrameType>(), FrameType(button));
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

void TestCanvasSettings::denseIcons_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("picker");

    QTest::newRow("ratio 1") << 1.0 << ":/resources/color_picker.png";
    QTest::newRow("ratio 2") << 2.0 << ":/resources/color_picker@2x.png";
}

// On a screen of ratio 2 the page's icons have twice the pixels at their logical sizes: the
// picker's @2x drawing, and frame samples shaped at that density, the same shapes as at ratio 1
// (a corner or arc left at its 1x size would not shrink back onto them).
void TestCanvasSettings::denseIcons()
{
    QFETCH(qreal, ratio);
    QFETCH(QString, picker);

    CanvasSettings page;
    const QPixmap wheel = page.colorButton->icon().pixmap(QSize(32, 32), ratio);
    QCOMPARE(wheel.deviceIndependentSize(), QSizeF(32, 32));
    QCOMPARE(wheel.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(picker).convertToFormat(QImage::Format_ARGB32_Premultiplied));

    for (QPushButton *button : {page.frameButton1, page.frameButton2, page.frameButton3}) {
        const QPixmap dense = button->icon().pixmap(QSize(120, 80), ratio);
        QCOMPARE(dense.devicePixelRatio(), ratio);
        QCOMPARE(dense.size(), QSize(120, 80) * ratio);
        const QImage image = dense.toImage();
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(200, 180, 200));

        const QImage plain = button->icon()
                                 .pixmap(QSize(120, 80), 1.0)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32);
        const QImage reduced
            = image.scaled(120, 80, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_ARGB32);
        int worst = 0;
        for (int y = 0; y < 80; ++y) {
            for (int x = 0; x < 120; ++x)
                worst = qMax(worst, qAbs(qAlpha(reduced.pixel(x, y)) - qAlpha(plain.pixel(x, y))));
        }
        QVERIFY2(worst <= 64, qPrintable(button->toolTip()));
    }
}

void TestCanvasSettings::frameControls_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("clicked"); // else shown by showAppearance
    QTest::addColumn<QString>("label2");
    QTest::addColumn<bool>("enabled2");

    QTest::newRow("rectangle clicked") << 1 << true << "Corner: 12 px" << false;
    QTest::newRow("rounded clicked") << 2 << true << "Corner: 12 px" << true;
    QTest::newRow("scalloped clicked") << 3 << true << "Arc: 12 px" << true;
    QTest::newRow("rectangle shown") << 1 << false << "Corner: 12 px" << false;
    QTest::newRow("rounded shown") << 2 << false << "Corner: 12 px" << true;
    QTest::newRow("scalloped shown") << 3 << false << "Arc: 12 px" << true;
}

// The sample in use is marked, the sliders are named with their values, and a slider the
// frame has no use for is off.
void TestCanvasSettings::frameControls()
{
    QFETCH(int, type);
    QFETCH(bool, clicked);
    QFETCH(QString, label2);
    QFETCH(bool, enabled2);

    CanvasSettings page;
    // Start from another frame, so that nothing holds by chance.
    page.showAppearance(Qt::white,
                        FrameSettings {type == 3 ? FrameType::Rounded : FrameType::Scallop, 6, 12});
    if (clicked)
        page.frameButtons->button(type)->click();
    else
        page.showAppearance(Qt::white, FrameSettings {FrameType(type), 6, 12});

    QCOMPARE(page.frameType(), FrameType(type));
    QCOMPARE(page.frameButtons->checkedId(), type);
    const QList<QPushButton *> buttons {page.frameButton1, page.frameButton2, page.frameButton3};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(buttons[i]->isChecked(), i + 1 == type);
    QCOMPARE(page.param1Label->text(), QStringLiteral("Margin: 6 px"));
    QCOMPARE(page.param2Label->text(), label2);
    QVERIFY(page.param1Slider->isEnabled());
    QCOMPARE(page.param2Slider->isEnabled(), enabled2);
    QCOMPARE(page.param2Label->isEnabled(), enabled2);

    page.param2Slider->setValue(0);
    QCOMPARE(page.param2Label->text(), QString(label2).replace("12", "0"));
}

void TestCanvasSettings::frameScale_data()
{
    QTest::addColumn<QSize>("working");
    QTest::addColumn<QSize>("saved");
    QTest::addColumn<int>("unit"); // LengthUnit
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("a");
    QTest::addColumn<QString>("label1");
    QTest::addColumn<QString>("label2"); // b is 12
    QTest::addColumn<int>("max1");
    QTest::addColumn<int>("max2");
    const int px = int(LengthUnit::Pixels);
    const int in = int(LengthUnit::Inches);

    QTest::newRow("800x600") << QSize(800, 600) << QSize(800, 600) << px << 300 << 6
                             << "Margin: 6 px"
                             << "Corner: 12 px" << 30 << 40;
    QTest::newRow("1795x1205 saved from 1200x806")
        << QSize(1200, 806) << QSize(1795, 1205) << px << 300 << 11 << "Margin: 16 px"
        << "Corner: 18 px" << 40 << 54;
    QTest::newRow("A4 landscape in millimetres")
        << QSize(1200, 848) << QSize(3508, 2480) << int(LengthUnit::Millimetres) << 300 << 10
        << "Margin: 2.5 mm"
        << "Corner: 3.0 mm" << 42 << 57;
    QTest::newRow("inches are shown in mm too")
        << QSize(1200, 800) << QSize(1800, 1200) << in << 150 << 4 << "Margin: 1.0 mm"
        << "Corner: 3.0 mm" << 40 << 53;
    QTest::newRow("a small canvas keeps its range")
        << QSize(400, 300) << QSize(400, 300) << px << 300 << 30 << "Margin: 30 px"
        << "Corner: 12 px" << 30 << 40;
    QTest::newRow("a frame past the range is kept")
        << QSize(800, 600) << QSize(800, 600) << px << 300 << 100 << "Margin: 100 px"
        << "Corner: 12 px" << 100 << 40;
}

// The labels tell what the saved file gets, the sliders end at the same share of larger
// canvases, and the values announced stay those of the working canvas the document holds.
void TestCanvasSettings::frameScale()
{
    QFETCH(QSize, working);
    QFETCH(QSize, saved);
    QFETCH(int, unit);
    QFETCH(int, dpi);
    QFETCH(int, a);
    QFETCH(QString, label1);
    QFETCH(QString, label2);
    QFETCH(int, max1);
    QFETCH(int, max2);

    CanvasSettings page;
    page.showCanvas(working, saved, LengthUnit(unit), dpi);
    page.showAppearance(Qt::white, FrameSettings {FrameType::Rounded, a, 12});
    page.showCanvas(working, saved, LengthUnit(unit), dpi); // again: the values stay
    QCOMPARE(page.param1Label->text(), label1);
    QCOMPARE(page.param2Label->text(), label2);
    QCOMPARE(page.param1Slider->maximum(), max1);
    QCOMPARE(page.param2Slider->maximum(), max2);
    QSignalSpy spy(&page, &CanvasSettings::paramChanged);
    page.emitParam();
    QCOMPARE(spy.at(0).at(0).toInt(), a);
    QCOMPARE(spy.at(0).at(1).toInt(), 12);
}

void TestCanvasSettings::tooltips()
{
    CanvasSettings page;
    QCOMPARE(page.colorButton->toolTip(), QStringLiteral("Background colour"));
    QCOMPARE(page.frameButton1->toolTip(), QStringLiteral("Rectangular frame"));
    QCOMPARE(page.frameButton2->toolTip(), QStringLiteral("Rounded frame"));
    QCOMPARE(page.frameButton3->toolTip(), QStringLiteral("Scalloped frame"));
}

// Tab walks the controls in reading order, the samples being one stop like radio buttons; a
// flat sample shows focus and selection by marks around its icon.
void TestCanvasSettings::keyboardFocus()
{
    CanvasSettings page;
    page.show();
    page.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&page));
    page.showAppearance(Qt::white, FrameSettings {FrameType::Rounded, 6, 12});

    const QList<QWidget *> order {page.colorButton,  page.frameButton1, page.param1Slider,
                                  page.param2Slider, page.keepFacesBox, page.colorButton};
    page.colorButton->setFocus();
    for (QWidget *expected : order) {
        QCOMPARE(QApplication::focusWidget(), expected);
        QTest::keyClick(expected, Qt::Key_Tab);
    }
    page.showAppearance(Qt::white, FrameSettings {FrameType::Rect, 6, 12});

    QPushButton *sample = page.frameButton2;
    const QRect icon(QPoint(4, 4), sample->iconSize());
    page.param1Slider->setFocus();
    const QImage plain = sample->grab().toImage();
    sample->setFocus();
    const QImage focused = sample->grab().toImage();
    sample->click();
    const QImage marked = sample->grab().toImage();
    QVERIFY(focused != plain);
    QVERIFY(marked != focused);
    // The rounded sample is transparent in its corners, opaque in its middle.
    const QRect middle = icon.adjusted(10, 10, -10, -10);
    QCOMPARE(focused.copy(middle), plain.copy(middle));
    QCOMPARE(marked.copy(middle), plain.copy(middle));
    QCOMPARE(plain.pixelColor(60 + 4, 40 + 4), QColor(200, 180, 200));
}

QTEST_MAIN(TestCanvasSettings)
#include "tst_canvassettings.moc"
