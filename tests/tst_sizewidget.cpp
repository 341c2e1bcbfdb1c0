#include "sizewidget.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

class TestSizeWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void untouchedDefaults();
    void presets();
    void presetThenPortrait();
    void editAfterPreset();
    void spinBounds_data();
    void spinBounds();
    void orientationSwaps_data();
    void orientationSwaps();
    void typedPastBounds_data();
    void typedPastBounds();
    void orientationClicks_data();
    void orientationClicks();
    void translated_data();
    void translated();
    void paper_data();
    void paper();
};

void TestSizeWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSizeWidget::untouchedDefaults()
{
    SizeWidget dialog;
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.presetBox->count(), 16);
    QCOMPARE(dialog.presetBox->itemText(15), QStringLiteral("Custom"));
    QCOMPARE(dialog.presetBox->currentIndex(), 0);
    QVERIFY(dialog.landscapeButton->isChecked());
    QVERIFY(!dialog.portraitButton->isChecked());

    dialog.show();
    dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.canvasWidth, 800);
    QCOMPARE(dialog.canvasHeight, 600);
    QCOMPARE(dialog.orientation, 1);
    QCOMPARE(dialog.chosenSize(), QSize(800, 600));
}

// Every preset reaches the values unclipped by the spin boxes, landscape, in ascending
// order, with the label naming the size.
void TestSizeWidget::presets()
{
    SizeWidget dialog;
    QSize previous;
    for (int i = 0; i < dialog.presetBox->count() - 1; ++i) {
        dialog.presetBox->setCurrentIndex(i);
        const QSize size = dialog.presetBox->itemData(i, Qt::UserRole).toSize();
        QCOMPARE(dialog.canvasWidth, size.width());
        QCOMPARE(dialog.canvasHeight, size.height());
        QCOMPARE(dialog.chosenSize(), size);
        QVERIFY(size.width() >= size.height());
        QVERIFY(size.width() > previous.width() || size.height() > previous.height());
        QVERIFY(dialog.presetBox->itemText(i).contains(
            QStringLiteral("%1 x %2 px").arg(size.width(), 4).arg(size.height(), 4)));
        previous = size;
    }
    QCOMPARE(previous, QSize(5492, 3602));
}

void TestSizeWidget::presetThenPortrait()
{
    SizeWidget dialog;
    dialog.show();
    dialog.presetBox->setCurrentIndex(14);
    QTest::mouseClick(dialog.portraitButton, Qt::LeftButton);

    QVERIFY(dialog.portraitButton->isChecked());
    QVERIFY(!dialog.landscapeButton->isChecked());
    QCOMPARE(dialog.canvasWidth, 5492);
    QCOMPARE(dialog.canvasHeight, 3602);
    QCOMPARE(dialog.orientation, -1);
    QCOMPARE(dialog.chosenSize(), QSize(3602, 5492));
    // A preset chosen now comes upright too.
    dialog.presetBox->setCurrentIndex(0);
    QCOMPARE(dialog.chosenSize(), QSize(600, 800));
    QVERIFY(dialog.portraitButton->isChecked());
}

void TestSizeWidget::editAfterPreset()
{
    SizeWidget dialog;
    dialog.presetBox->setCurrentIndex(5);
    dialog.widthSpin->setValue(2000);
    QCOMPARE(dialog.presetBox->currentText(), QStringLiteral("Custom"));
    // Re-choosing Custom is no change and must not undo the edit.
    dialog.presetBox->setCurrentIndex(15);
    QCOMPARE(dialog.chosenSize(), QSize(2000, 1500));

    dialog.presetBox->setCurrentIndex(5);
    QCOMPARE(dialog.chosenSize(), QSize(2102, 1500));
    QCOMPARE(dialog.presetBox->currentText(), QStringLiteral("2102 x 1500 px  (13 x 18)cm"));
}

void TestSizeWidget::spinBounds_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("typed"); // width, then height; else given to showSize()
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<int>("preset"); // 15 is Custom
    QTest::addColumn<bool>("portrait");

    QTest::newRow("preset") << QSize(1795, 1205) << false << QSize(1795, 1205) << 3 << false;
    QTest::newRow("preset upright") << QSize(1205, 1795) << false << QSize(1205, 1795) << 3 << true;
    QTest::newRow("custom upright") << QSize(700, 1000) << false << QSize(700, 1000) << 15 << true;
    QTest::newRow("square") << QSize(1200, 1200) << false << QSize(1200, 1200) << 15 << false;
    QTest::newRow("too small") << QSize(10, 10) << false << QSize(400, 300) << 15 << false;
    QTest::newRow("too small upright") << QSize(10, 20) << false << QSize(300, 400) << 15 << true;
    QTest::newRow("negative") << QSize(-800, -600) << false << QSize(400, 300) << 15 << false;
    QTest::newRow("huge") << QSize(100000, 2000000000) << false << QSize(10000, 10000) << 15
                          << false;
    QTest::newRow("one side long")
        << QSize(12000, 3000) << false << QSize(10000, 3000) << 15 << false;
    QTest::newRow("typed preset") << QSize(1051, 1500) << true << QSize(1051, 1500) << 2 << true;
    QTest::newRow("typed smallest") << QSize(400, 300) << true << QSize(400, 300) << 15 << false;
    QTest::newRow("typed narrow") << QSize(300, 600) << true << QSize(300, 600) << 15 << true;
    QTest::newRow("typed huge") << QSize(100000, -5) << true << QSize(10000, 300) << 15 << false;
}

// The preset box and the orientation follow the numbers shown, out of bounds the numbers are
// clamped, and what is shown is chosen, read either way.
void TestSizeWidget::spinBounds()
{
    QFETCH(QSize, size);
    QFETCH(bool, typed);
    QFETCH(QSize, shown);
    QFETCH(int, preset);
    QFETCH(bool, portrait);

    SizeWidget dialog;
    dialog.showSize(QSize(1205, 1795)); // a state to leave
    if (typed) {
        dialog.widthSpin->setValue(size.width());
        dialog.heightSpin->setValue(size.height());
    } else {
        dialog.showSize(size);
    }
    QCOMPARE(QSize(dialog.widthSpin->value(), dialog.heightSpin->value()), shown);
    QCOMPARE(dialog.chosenSize(), shown);
    QCOMPARE(dialog.presetBox->currentIndex(), preset);
    QCOMPARE(dialog.portraitButton->isChecked(), portrait);
    QCOMPARE(dialog.landscapeButton->isChecked(), !portrait);
    QSize old(dialog.canvasWidth, dialog.canvasHeight);
    if (dialog.orientation == -1)
        old.transpose();
    QCOMPARE(old, shown);
}

void TestSizeWidget::orientationSwaps_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("preset upright") << QSize(1795, 1205) << "P" << QSize(1205, 1795);
    QTest::newRow("and back") << QSize(1795, 1205) << "PL" << QSize(1795, 1205);
    QTest::newRow("checked one again") << QSize(700, 1000) << "PP" << QSize(700, 1000);
    QTest::newRow("smallest") << QSize(400, 300) << "P" << QSize(300, 400);
    QTest::newRow("square") << QSize(1200, 1200) << "P" << QSize(1200, 1200);
}

void TestSizeWidget::orientationSwaps()
{
    QFETCH(QSize, size);
    QFETCH(QString, clicks);
    QFETCH(QSize, expected);

    SizeWidget dialog;
    dialog.showSize(size);
    const int preset = dialog.presetBox->currentIndex();
    for (QChar c : clicks)
        (c == 'P' ? dialog.portraitButton : dialog.landscapeButton)->click();
    QCOMPARE(dialog.chosenSize(), expected);
    QCOMPARE(dialog.portraitButton->isChecked(), clicks.endsWith('P'));
    QCOMPARE(dialog.presetBox->currentIndex(), preset);
}

void TestSizeWidget::typedPastBounds_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("width");

    QTest::newRow("over the maximum") << "12000" << 10000;
    QTest::newRow("far over") << "99999999999999999999999" << 10000;
    QTest::newRow("under the minimum") << "250" << 300;
}

// A number typed past a bound is shown clamped when the edit ends, not cut to its first digits.
void TestSizeWidget::typedPastBounds()
{
    QFETCH(QString, keys);
    QFETCH(int, width);

    SizeWidget dialog;
    dialog.widthSpin->selectAll();
    QTest::keyClicks(dialog.widthSpin, keys);
    QTest::keyClick(dialog.widthSpin, Qt::Key_Enter);
    QCOMPARE(dialog.widthSpin->text(), QString::number(width));
    QCOMPARE(dialog.chosenSize(), QSize(width, 600));
}

void TestSizeWidget::orientationClicks_data()
{
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("orientation");

    QTest::newRow("portrait") << "P" << -1;
    QTest::newRow("portrait, landscape") << "PL" << 1;
    QTest::newRow("landscape, portrait, portrait") << "LPP" << -1;
}

void TestSizeWidget::orientationClicks()
{
    QFETCH(QString, clicks);
    QFETCH(int, orientation);

    SizeWidget dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (QChar c : clicks)
        QTest::mouseClick(c == 'P' ? dialog.portraitButton : dialog.landscapeButton,
                          Qt::LeftButton);
    QCOMPARE(dialog.orientation, orientation);
    QCOMPARE(dialog.portraitButton->isChecked(), orientation == -1);
    QCOMPARE(dialog.landscapeButton->isChecked(), orientation == 1);
}

void TestSizeWidget::translated_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("sizeTitle");
    QTest::addColumn<QString>("preset2");

    QTest::newRow("German") << "de" << QString::fromUtf8("Größe") << "1500 x 1051 px   (9 x 13)cm";
    QTest::newRow("Bulgarian") << "bg" << QString::fromUtf8("Размери на платното")
                               << QString::fromUtf8("1500 x 1051 пкс   (9 x 13)см");
}

// The labels are looked up under the dialog's own context, and a translated label still
// carries the preset's size.
void TestSizeWidget::translated()
{
    QFETCH(QString, locale);
    QFETCH(QString, sizeTitle);
    QFETCH(QString, preset2);

    QTranslator translator;
    QVERIFY(translator.load(":/translations/vellomir_" + locale));
    QApplication::installTranslator(&translator);
    SizeWidget dialog;
    QApplication::removeTranslator(&translator);

    QCOMPARE(dialog.sizeGroup->title(), sizeTitle);
    QCOMPARE(dialog.presetBox->itemText(2), preset2);
    dialog.presetBox->setCurrentIndex(2);
    QCOMPARE(QSize(dialog.canvasWidth, dialog.canvasHeight), QSize(1500, 1051));
}

void TestSizeWidget::paper_data()
{
    QTest::addColumn<QString>("steps"); // paper:KEY, dpi:N, unit:N (index), mm:WxH, px:WxH, P, L
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QString>("paper"); // the paper box's item data, empty for "No paper"
    QTest::addColumn<QString>("lengths"); // the two length boxes as shown

    QTest::newRow("untouched") << "" << QSize(800, 600) << 300 << ""
                               << "67.7 x 50.8";
    QTest::newRow("A4 comes landscape, in mm") << "paper:A4" << QSize(3508, 2480) << 300 << "A4"
                                               << "297.0 x 210.0";
    QTest::newRow("A4 portrait") << "P paper:A4" << QSize(2480, 3508) << 300 << "A4"
                                 << "210.0 x 297.0";
    QTest::newRow("A4 then portrait") << "paper:A4 P" << QSize(2480, 3508) << 300 << "A4"
                                      << "210.0 x 297.0";
    QTest::newRow("A4 then 600 dpi: the paper stays")
        << "paper:A4 dpi:600" << QSize(7016, 4961) << 600 << "A4"
        << "297.0 x 210.0";
    QTest::newRow("A2 at 600 dpi is clamped and no longer A2")
        << "dpi:600 paper:A2" << QSize(10000, 9921) << 600 << ""
        << "423.3 x 420.0";
    QTest::newRow("pixels, then dpi: the pixels stay")
        << "px:1500x1000 dpi:150" << QSize(1500, 1000) << 150 << ""
        << "254.0 x 169.3";
    QTest::newRow("4x6 in, in inches") << "paper:4x6in" << QSize(1800, 1200) << 300 << "4x6in"
                                       << "6.00 x 4.00";
    QTest::newRow("typed millimetres") << "unit:1 mm:210x297" << QSize(2480, 3508) << 300 << "A4"
                                       << "210.0 x 297.0";
    QTest::newRow("typed centimetres at 600")
        << "unit:2 dpi:600 mm:15x10" << QSize(3543, 2362) << 600 << "10x15cm"
        << "15.00 x 10.00";
    QTest::newRow("typed pixels leave the paper")
        << "paper:A4 px:3000x2480" << QSize(3000, 2480) << 300 << ""
        << "254.0 x 210.0";
    QTest::newRow("pixel preset after a paper")
        << "paper:A5 preset:3" << QSize(1795, 1205) << 300 << ""
        << "152.0 x 102.0";
}

// A paper gives its pixels at the DPI in the orientation chosen; lengths typed in a unit give
// the pixels; the paper box follows whatever the pixels are; and what is shown is chosen.
void TestSizeWidget::paper()
{
    QFETCH(QString, steps);
    QFETCH(QSize, pixels);
    QFETCH(int, dpi);
    QFETCH(QString, paper);
    QFETCH(QString, lengths);

    SizeWidget dialog;
    for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
        const QString value = step.section(':', 1);
        const QStringList pair = value.split('x');
        if (step == "P")
            dialog.portraitButton->click();
        else if (step == "L")
            dialog.landscapeButton->click();
        else if (step.startsWith("paper:"))
            dialog.paperBox->setCurrentIndex(dialog.paperBox->findData(value));
        else if (step.startsWith("preset:"))
            dialog.presetBox->setCurrentIndex(value.toInt());
        else if (step.startsWith("dpi:"))
            dialog.dpiSpin->setValue(value.toInt());
        else if (step.startsWith("unit:"))
            dialog.unitBox->setCurrentIndex(value.toInt());
        else if (step.startsWith("mm:")) {
            dialog.paperWidthSpin->setValue(pair[0].toDouble());
            dialog.paperHeightSpin->setValue(pair[1].toDouble());
        } else if (step.startsWith("px:")) {
            dialog.widthSpin->setValue(pair[0].toInt());
            dialog.heightSpin->setValue(pair[1].toInt());
        }
    }
    QCOMPARE(dialog.chosenSize(), pixels);
    QCOMPARE(dialog.chosenDpi(), dpi);
    QCOMPARE(dialog.paperBox->currentData().toString(), paper);
    QCOMPARE(bool(dialog.chosenPaper()), !paper.isEmpty());
    const auto number = [](const QDoubleSpinBox *spin) {
        return QString::number(spin->value(), 'f', spin->decimals());
    };
    QCOMPARE(number(dialog.paperWidthSpin) + " x " + number(dialog.paperHeightSpin), lengths);
    QCOMPARE(dialog.paperWidthSpin->isEnabled(), dialog.chosenUnit() != LengthUnit::Pixels);
}

QTEST_MAIN(TestSizeWidget)
#include "tst_sizewidget.moc"
