#include "btree.h"
#include "canvasscene.h"
#include "canvasview.h"
#include "collagerender.h"
#include "mainwindow.h"
#include "memorybudget.h"
#include "photoframe.h"
#include "photoscan.h"
#include "translation.h"
#include "windowparts.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <cmath>
#include <optional>

// Editing a collage by hand through the real view, with real mouse and key events.
class TestEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cropWindow_data();
    void cropWindow();
    void swapByDragging();
    void dropOutsideChangesNothing();
    void removeFromMenuAndKey();
    void moveCropAndSaveLarger();
    void cropDragWhileAnalysed_data();
    void cropDragWhileAnalysed();
    void escapeCancelsSwapWith_data();
    void escapeCancelsSwapWith();
    void sizeKeysRepeat_data();
    void sizeKeysRepeat();

private:
    static void settle(MainWindow &window)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!window.session().busy(), 30000);
    }
    static QPoint onView(MainWindow &window, const QPointF &scenePoint)
    {
        return window.canvasView()->mapFromScene(scenePoint);
    }
    static QColor colourAt(MainWindow &window, const QPointF &scenePoint)
    {
        return window.canvasScene()->photoLayer().pixelColor(scenePoint.toPoint());
    }
    static bool near(const QColor &a, const QColor &b)
    {
        return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24
               && std::abs(a.blue() - b.blue()) < 24;
    }
    static void drag(QWidget *viewport, QPoint from, QPoint to, Qt::MouseButton button,
                     Qt::KeyboardModifiers modifiers = {});
    // A portrait in red, green and blue thirds from top to bottom.
    static QImage bands(const QSize &size)
    {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        const int third = size.height() / 3;
        painter.fillRect(0, 0, size.width(), third, QColor(230, 20, 20));
        painter.fillRect(0, third, size.width(), third, QColor(20, 200, 20));
        painter.fillRect(0, 2 * third, size.width(), size.height() - 2 * third,
                         QColor(20, 20, 230));
        return image;
    }
    QTemporaryDir dir;
};

// Every window starts from the defaults: choices one test makes are remembered.
void TestEditing::init()
{
    QSettings().clear();
}

void TestEditing::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
}

void TestEditing::drag(QWidget *viewport, QPoint from, QPoint to, Qt::MouseButton button,
                       Qt::KeyboardModifiers modifiers)
{
    QTest::mousePress(viewport, button, modifiers, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(viewport, from + (to - from) * step / 4);
    QTest::mouseRelease(viewport, button, modifiers, to);
}

void TestEditing::cropWindow_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QPointF>("offset");
    QTest::addColumn<QRect>("window");

    QTest::newRow("centred, wider photo")
        << QSize(400, 100) << QSize(100, 100) << QPointF() << QRect(150, 0, 100, 100);
    QTest::newRow("centred, taller photo")
        << QSize(100, 300) << QSize(100, 100) << QPointF() << QRect(0, 100, 100, 100);
    QTest::newRow("moved a quarter left")
        << QSize(400, 100) << QSize(100, 100) << QPointF(-0.25, 0) << QRect(50, 0, 100, 100);
    QTest::newRow("stops at the edge")
        << QSize(400, 100) << QSize(100, 100) << QPointF(0.9, 0) << QRect(300, 0, 100, 100);
    QTest::newRow("no room across")
        << QSize(400, 100) << QSize(100, 100) << QPointF(0, 0.5) << QRect(150, 0, 100, 100);
    QTest::newRow("not a number") << QSize(100, 300) << QSize(100, 100) << QPointF(0, std::nan(""))
                                  << QRect(0, 100, 100, 100);
}

// The crop window a cell shows, and a drag's offset that never lets the background show.
void TestEditing::cropWindow()
{
    QFETCH(QSize, photo);
    QFETCH(QSize, cell);
    QFETCH(QPointF, offset);
    QFETCH(QRect, window);
    QCOMPARE(cropRect(photo, cell, offset), window);

    // Dragged far both ways, the photo stops with its edge on the cell's.
    const QPointF far = draggedCrop(photo, cell, QPointF(), QPointF(-10000, -10000));
    const QRect at = cropRect(photo, cell, far);
    QCOMPARE(at.right(), photo.width() - 1);
    QCOMPARE(at.bottom(), photo.height() - 1);
    const QRect back = cropRect(photo, cell, draggedCrop(photo, cell, far, QPointF(1e5, 1e5)));
    QCOMPARE(back.topLeft(), QPoint(0, 0));
}

// Drag a tile onto another: the two photos exchange cells, one step of the history.
void TestEditing::swapByDragging()
{
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    QTemporaryDir photos;
    for (int i = 0; i < 4; ++i) {
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(colours[i]);
        QVERIFY(image.save(photos.filePath(QStringLiteral("s%1.jpg").arg(i)), "JPG", 95));
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.addPaths({photos.path()});
    settle(window);
    const QImage before = window.canvasScene()->photoLayer();
    const QPointF first = QRectF(cellOf(window.session().document(), 0)).center();
    const QPointF third = QRectF(cellOf(window.session().document(), 2)).center();
    QVERIFY(near(colourAt(window, first), Qt::red));

    drag(window.canvasView()->viewport(), onView(window, first), onView(window, third),
         Qt::LeftButton);
    settle(window);
    QVERIFY(near(colourAt(window, first), Qt::blue));
    QVERIFY(near(colourAt(window, third), Qt::red));
    QVERIFY(window.canvasScene()->dropTarget().isEmpty());
    QCOMPARE(parts::undo(window)->text(), QStringLiteral("&Undo Swap"));
    const QImage swapped = window.canvasScene()->photoLayer();

    parts::undo(window)->trigger();
    settle(window);
    QCOMPARE(window.canvasScene()->photoLayer(), before);
    parts::redo(window)->trigger();
    settle(window);
    QCOMPARE(window.canvasScene()->photoLayer(), swapped);
}

void TestEditing::dropOutsideChangesNothing()
{
    QTemporaryDir photos;
    for (int i = 0; i < 3; ++i) {
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 100, 255, 255));
        QVERIFY(image.save(photos.filePath(QStringLiteral("o%1.jpg").arg(i)), "JPG", 95));
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.addPaths({photos.path()});
    settle(window);
    const int steps = window.session().undoStack()->count();
    const QPointF first = QRectF(cellOf(window.session().document(), 0)).center();
    // Outside the canvas, and back onto the tile itself.
    drag(window.canvasView()->viewport(), onView(window, first), onView(window, QPointF(-8, -8)),
         Qt::LeftButton);
    drag(window.canvasView()->viewport(), onView(window, first),
         onView(window, first + QPointF(30, 0)), Qt::LeftButton);
    settle(window);
    QCOMPARE(window.session().undoStack()->count(), steps);
}

// Remove through the tile's menu, and through a click and the Delete key; undo brings the
// photo back, and removing the last one leaves the empty canvas.
void TestEditing::removeFromMenuAndKey()
{
    QTemporaryDir photos;
    for (int i = 0; i < 3; ++i) {
        QImage image(60 + 20 * i, 60, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 100, 255, 255));
        QVERIFY(image.save(photos.filePath(QStringLiteral("r%1.jpg").arg(i)), "JPG", 95));
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.addPaths({photos.path()});
    settle(window);
    const QImage full = window.canvasScene()->photoLayer();

    emit window.canvasView()->contextMenuAt(QRectF(cellOf(window.session().document(), 1)).center(),
                                            QPoint(10, 10));
    auto *menu = window.findChild<QMenu *>();
    QVERIFY(menu);
    const QList<QAction *> entries = menu->actions();
    QCOMPARE(entries.first()->text(), QStringLiteral("&Remove Photo"));
    entries.first()->trigger();
    menu->close();
    settle(window);
    QCOMPARE(window.session().document().photos.size(), 2);
    QCOMPARE(parts::undo(window)->text(), QStringLiteral("&Undo Remove Photo"));
    // The rest fills the canvas: no cell is empty.
    const QImage layer = window.canvasScene()->photoLayer();
    for (int y = 5; y < layer.height(); y += 30)
        for (int x = 5; x < layer.width(); x += 30)
            QCOMPARE(qAlpha(layer.pixel(x, y)), 255);

    for (int left = 2; left > 0; --left) {
        const QPoint tile = onView(window, QRectF(cellOf(window.session().document(), 0)).center());
        QTest::mouseClick(window.canvasView()->viewport(), Qt::LeftButton, {}, tile);
        QVERIFY(!window.canvasScene()->selection().isEmpty());
        QTest::keyClick(window.canvasView()->viewport(), Qt::Key_Delete);
        settle(window);
        QCOMPARE(window.session().document().photos.size(), left - 1);
    }
    QCOMPARE(window.canvasScene()->photoLayer().pixel(400, 300), 0u);

    for (int i = 0; i < 3; ++i) {
        parts::undo(window)->trigger();
        settle(window);
    }
    QCOMPARE(window.session().document().photos.size(), 3);
    QCOMPARE(window.canvasScene()->photoLayer(), full);
}

// Shift+drag moves a portrait's crop up; the print-size save shows the same part of it.
void TestEditing::moveCropAndSaveLarger()
{
    QTemporaryDir photos;
    QVERIFY(bands(QSize(300, 450)).save(photos.filePath("portrait.jpg"), "JPG", 95));
    MainWindow window;
    window.resize(1400, 1000);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Centred, whatever the analysis finds in the bands, so that the drags start there.
    window.session().setCropMode(CropMode::Centre);
    window.session().newCanvas(QSize(1600, 1200)); // worked on at 1200 x 900
    window.addPaths({photos.path()});
    settle(window);
    const QPointF centre(600, 450);
    QVERIFY(near(colourAt(window, centre), QColor(20, 200, 20)));

    drag(window.canvasView()->viewport(), onView(window, centre),
         onView(window, centre + QPointF(0, 400)), Qt::LeftButton, Qt::ShiftModifier);
    settle(window);
    QVERIFY(near(colourAt(window, centre), QColor(230, 20, 20)));
    // Dragged on, it stops with its top edge on the tile's.
    drag(window.canvasView()->viewport(), onView(window, centre),
         onView(window, centre + QPointF(0, 400)), Qt::LeftButton, Qt::ShiftModifier);
    settle(window);
    const PhotoRecord &photo = window.session().document().photos.first();
    QCOMPARE(cropRect(photo.size, QSize(1200, 900), photo.crop).top(), 0);
    // Centre crops, new canvas, photos added, two moves.
    QCOMPARE(window.session().undoStack()->count(), 5);
    QCOMPARE(parts::undo(window)->text(), QStringLiteral("&Undo Move Photo"));

    const QString path = dir.filePath("print.png");
    QSignalSpy saved(&window, &MainWindow::collageSaved);
    QVERIFY(window.saveCollageAs(path));
    QVERIFY(saved.wait(30000));
    const QImage print = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(print.size(), QSize(1600, 1200));
    const QImage down = print.scaled(1200, 900, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage preview = window.canvasScene()->renderCanvas();
    for (int y = 50; y < 900; y += 100)
        QVERIFY2(near(down.pixelColor(600, y), preview.pixelColor(600, y)),
                 qPrintable(QString::number(y)));

    // A double click centres it again.
    QTest::mouseDClick(window.canvasView()->viewport(), Qt::LeftButton, {}, onView(window, centre));
    settle(window);
    QVERIFY(near(colourAt(window, centre), QColor(20, 200, 20)));
    QCOMPARE(parts::undo(window)->text(), QStringLiteral("&Undo Automatic Crop"));
}

void TestEditing::escapeCancelsSwapWith_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("the next click swaps") << false;
    QTest::newRow("after Escape the next click selects") << true;
}

// Swap with... from the tile's menu waits for the partner's click; Escape gives it up.
void TestEditing::escapeCancelsSwapWith()
{
    QFETCH(bool, escape);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    QTemporaryDir photos;
    for (int i = 0; i < 3; ++i) {
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(colours[i]);
        QVERIFY(image.save(photos.filePath(QStringLiteral("w%1.jpg").arg(i)), "JPG", 95));
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.addPaths({photos.path()});
    settle(window);
    const CollageDocument &document = window.session().document();
    const int steps = window.session().undoStack()->count();
    const QPointF first = QRectF(cellOf(document, 0)).center();
    const QPointF third = QRectF(cellOf(document, 2)).center();

    emit window.canvasView()->contextMenuAt(first, QPoint(10, 10));
    auto *menu = window.findChild<QMenu *>();
    QVERIFY(menu);
    QAction *swapWith = nullptr;
    for (QAction *entry : menu->actions())
        if (entry->text() == QLatin1String("&Swap with..."))
            swapWith = entry;
    QVERIFY(swapWith && swapWith->isEnabled());
    swapWith->trigger();
    menu->close();
    QWidget *viewport = window.canvasView()->viewport();
    if (escape)
        QTest::keyClick(viewport, Qt::Key_Escape);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onView(window, third));
    settle(window);
    QCOMPARE(window.session().undoStack()->count(), steps + (escape ? 0 : 1));
    QVERIFY(near(colourAt(window, first), escape ? Qt::red : Qt::blue));
    // The clicked tile is marked as selected, or nothing is after a swap.
    const QRectF selection = window.canvasScene()->selection();
    QCOMPARE(selection.isEmpty(), !escape);
    if (escape)
        QVERIFY(QRectF(cellOf(document, 2)).contains(selection.center()));
}

void TestEditing::sizeKeysRepeat_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<qreal>("emphasis");
    QTest::newRow("larger twice") << QList<int> {Qt::Key_Plus, Qt::Key_Plus} << qreal(4);
    QTest::newRow("smaller, then larger") << QList<int> {Qt::Key_Minus, Qt::Key_Equal} << qreal(1);
}

// + and - on a selected tile step its photo's size again and again: the selection follows the
// photo to the cell the refit gives it.
void TestEditing::sizeKeysRepeat()
{
    QFETCH(QList<int>, keys);
    QFETCH(qreal, emphasis);
    QTemporaryDir photos;
    for (int i = 0; i < 4; ++i) {
        QImage image(90, 60, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 80, 255, 255));
        QVERIFY(image.save(photos.filePath(QStringLiteral("k%1.jpg").arg(i)), "JPG", 95));
    }
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.addPaths({photos.path()});
    settle(window);
    const QString photo = window.session().document().photos.at(2).path;
    QTest::mouseClick(window.canvasView()->viewport(), Qt::LeftButton, {},
                      onView(window, QRectF(cellOf(window.session().document(), 2)).center()));
    for (const int key : keys) {
        QTest::keyClick(window.canvasView()->viewport(), Qt::Key(key));
        settle(window);
        const CollageDocument &now = window.session().document();
        QCOMPARE(now.photos.at(2).path, photo);
        QCOMPARE(window.canvasScene()->selection().center(), QRectF(cellOf(now, 2)).center());
    }
    QCOMPARE(window.session().document().photos.at(2).emphasis, emphasis);
}

void TestEditing::cropDragWhileAnalysed_data()
{
    QTest::addColumn<bool>("foundFirst"); // the box is found before the drag, or during it
    QTest::newRow("placed by what was found") << true;
    QTest::newRow("found while it is dragged") << false;
}

// Shift+drag moves a photo from where its tile shows it, also when what was found in it placed
// it there, and a box that arrives during the drag leaves the photo where the drag took it.
void TestEditing::cropDragWhileAnalysed()
{
    QFETCH(bool, foundFirst);
    QTemporaryDir photos;
    // What is found in it is where its bands meet.
    QVERIFY(bands(QSize(1200, 1800)).save(photos.filePath("portrait.jpg"), "JPG", 95));
    MainWindow window;
    window.resize(1400, 1000);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CollageSession &session = window.session();
    session.newCanvas(QSize(1600, 1200)); // worked on at 1200 x 900, the photo at 1:1
    if (!foundFirst)
        session.setCropMode(CropMode::Centre);
    window.addPaths({photos.path()});
    const auto analysed = [&session] {
        return QTest::qWaitFor(
            [&] { return !session.busy() && !session.drawing() && !session.analysing(); }, 30000);
    };
    std::optional<MemoryReservation> memory;
    if (!foundFirst) {
        QVERIFY(analysed());
        // The analysis waits for memory until the drag has begun.
        memory = MemoryBudget::decoding().reserve(MemoryBudget::decoding().total());
        session.setCropMode(CropMode::Auto);
        settle(window);
    }
    QVERIFY(foundFirst ? analysed() : session.analysing());
    const CollageDocument &document = session.document();
    const PhotoRecord &shown = document.photos.first();
    const QPointF start = tileCrop(shown, shown.size, QSize(1200, 900), document.crop);
    QCOMPARE(start.isNull(), !foundFirst);

    const QPointF centre(600, 450);
    QWidget *viewport = window.canvasView()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::ShiftModifier, onView(window, centre));
    QTest::mouseMove(viewport, onView(window, centre + QPointF(0, 50)));
    if (memory) {
        memory.reset();
        QVERIFY(analysed());
        QVERIFY(session.document().photos.first().content);
    }
    QTest::mouseMove(viewport, onView(window, centre + QPointF(0, 90)));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::ShiftModifier,
                        onView(window, centre + QPointF(0, 90)));
    settle(window);
    QCOMPARE(parts::undo(window)->text(), QStringLiteral("&Undo Move Photo"));
    // Down by 90 pixels of the photo's 1800.
    const QPointF crop = session.document().photos.first().crop;
    QVERIFY2(std::abs(crop.y() - (start.y() - 0.05)) < 0.005,
             qPrintable(QStringLiteral("%1 from %2").arg(crop.y()).arg(start.y())));
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
