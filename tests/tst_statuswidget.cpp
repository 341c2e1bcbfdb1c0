#include "statuswidget.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

class TestStatusWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void styleSheet_data();
    void styleSheet();
    void fixedSizes_data();
    void fixedSizes();
    void shuffleButton();
    void shuffleIcon_data();
    void shuffleIcon();
};

void TestStatusWidget::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestStatusWidget::styleSheet_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QString>("name");

    QTest::newRow("upper-case hex digits") << QColor(0xAB, 0xCD, 0xEF) << "#abcdef";
    QTest::newRow("black") << QColor(Qt::black) << "#000000";
    QTest::newRow("translucent window") << QColor(0x12, 0x34, 0x56, 0x80) << "#123456";
}

// The strip takes the application palette as it is when the strip is built.
void TestStatusWidget::styleSheet()
{
    QFETCH(QColor, window);
    QFETCH(QString, name);

    const QString expected = "QProgressBar {text-align: center; border: 0px; background-color: "
                             + name + "}QProgressBar::chunk {background-color: #BBBBEE;}";

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    QCOMPARE(StatusWidget::progressStyleSheet(palette), expected);

    const QPalette old = QApplication::palette();
    QApplication::setPalette(palette);
    StatusWidget strip;
    QApplication::setPalette(old);
    QCOMPARE(strip.progressBar->styleSheet(), expected);
}

void TestStatusWidget::fixedSizes_data()
{
    QTest::addColumn<int>("width");

    QTest::newRow("narrow") << 120;
    QTest::newRow("panel") << 200;
    QTest::newRow("wide") << 900;
}

void TestStatusWidget::fixedSizes()
{
    QFETCH(int, width);

    StatusWidget strip;
    strip.resize(width, 80);
    strip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip));

    QCOMPARE(strip.shuffleButton->size(), QSize(48, 48));
    QCOMPARE(strip.progressBar->height(), 48);
    QVERIFY(strip.progressBar->x() > strip.shuffleButton->geometry().right());
    QCOMPARE(strip.undoButton->size(), QSize(24, 24));
    QCOMPARE(strip.redoButton->size(), QSize(24, 24));
    // Back over forward, left of the shuffle button.
    QCOMPARE(strip.redoButton->y(), strip.undoButton->geometry().bottom() + 1);
    QVERIFY(strip.undoButton->geometry().right() < strip.shuffleButton->x());
    // The bar takes what the buttons leave of the row.
    const int margins = strip.layout()->contentsMargins().left()
                        + strip.layout()->contentsMargins().right() + 2 * strip.layout()->spacing();
    QCOMPARE(strip.progressBar->width(),
             qMax(strip.progressBar->minimumSizeHint().width(), width - 24 - 48 - margins));
    QVERIFY(!strip.shuffleButton->icon().isNull());
    QCOMPARE(strip.progressBar->minimum(), 0);
    QCOMPARE(strip.progressBar->maximum(), 100);
}

// The flat shuffle button explains itself and shows the keyboard focus in the pixel around its
// icon.
void TestStatusWidget::shuffleButton()
{
    StatusWidget strip;
    strip.show();
    strip.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&strip));
    QCOMPARE(strip.shuffleButton->toolTip(), QStringLiteral("New layout"));

    strip.progressBar->setFocus();
    const QImage plain = strip.shuffleButton->grab().toImage();
    QTest::keyClick(strip.progressBar, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), strip.shuffleButton);
    const QImage focused = strip.shuffleButton->grab().toImage();
    QVERIFY(focused.pixel(0, 24) != plain.pixel(0, 24));
}

void TestStatusWidget::shuffleIcon_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QString>("file");

    QTest::newRow("ratio 1") << 1.0 << ":/resources/shuffle2.png";
    QTest::newRow("ratio 2") << 2.0 << ":/resources/shuffle2@2x.png";
}

// A screen of ratio 2 gets the icon's @2x drawing at the button's logical icon size, even when
// no such screen was there as the strip was built (this test runs at ratio 1).
void TestStatusWidget::shuffleIcon()
{
    QFETCH(qreal, ratio);
    QFETCH(QString, file);

    StatusWidget strip;
    QCOMPARE(strip.shuffleButton->iconSize(), QSize(46, 46));
    const QPixmap pixmap = strip.shuffleButton->icon().pixmap(QSize(46, 46), ratio);
    QCOMPARE(pixmap.devicePixelRatio(), ratio);
    QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(46, 46));
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(file).convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(TestStatusWidget)
#include "tst_statuswidget.moc"
