#include "sizewidget.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
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
    void orientationClicks_data();
    void orientationClicks();
    void translated_data();
    void translated();
};

void TestSizeWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestSizeWidget::untouchedDefaults()
{
    SizeWidget dialog;
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.presetBox->count(), 15);
    QCOMPARE(dialog.presetBox->currentIndex(), 0);
    QVERIFY(dialog.landscapeButton->isChecked());
    QVERIFY(!dialog.portraitButton->isChecked());

    dialog.show();
    dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.canvasWidth, 800);
    QCOMPARE(dialog.canvasHeight, 600);
    QCOMPARE(dialog.orientation, 1);
}

// Every preset reaches the values unclipped by the spin boxes, landscape, in ascending
// order, with the label naming the size.
void TestSizeWidget::presets()
{
    SizeWidget dialog;
    QSize previous;
    for (int i = 0; i < dialog.presetBox->count(); ++i) {
        dialog.presetBox->setCurrentIndex(i);
        const QSize size = dialog.presetBox->itemData(i, Qt::UserRole).toSize();
        QCOMPARE(dialog.canvasWidth, size.width());
        QCOMPARE(dialog.canvasHeight, size.height());
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
}

void TestSizeWidget::editAfterPreset()
{
    SizeWidget dialog;
    dialog.presetBox->setCurrentIndex(5);
    dialog.widthSpin->setValue(2000);
    // Re-choosing the current preset is no change and must not undo the edit.
    dialog.presetBox->setCurrentIndex(5);

    QCOMPARE(dialog.canvasWidth, 2000);
    QCOMPARE(dialog.canvasHeight, 1500);
    QCOMPARE(dialog.presetBox->currentIndex(), 5);
    QCOMPARE(dialog.presetBox->currentText(), QStringLiteral("2102 x 1500 px  (13 x 18)cm"));
}

void TestSizeWidget::spinBounds_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("too small") << 10 << 10 << QSize(400, 300);
    QTest::newRow("negative") << -800 << -600 << QSize(400, 300);
    QTest::newRow("smallest") << 400 << 300 << QSize(400, 300);
    QTest::newRow("portrait typed") << 600 << 900 << QSize(600, 900);
    QTest::newRow("largest") << SizeWidget::maxWidth << SizeWidget::maxHeight
                             << QSize(SizeWidget::maxWidth, SizeWidget::maxHeight);
    QTest::newRow("huge") << 100000 << 2000000000
                          << QSize(SizeWidget::maxWidth, SizeWidget::maxHeight);
}

void TestSizeWidget::spinBounds()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QSize, expected);

    SizeWidget dialog;
    dialog.widthSpin->setValue(width);
    dialog.heightSpin->setValue(height);
    QCOMPARE(QSize(dialog.canvasWidth, dialog.canvasHeight), expected);
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

QTEST_MAIN(TestSizeWidget)
#include "tst_sizewidget.moc"
