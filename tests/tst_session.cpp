#include "btree.h"
#include "collagerender.h"
#include "collagesession.h"
#include "facephotos.h"
#include "hostilefiles.h"
#include "memorybudget.h"
#include "projectfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>
#include <QUndoStack>

#include <algorithm>
#include <cmath>
#include <optional>

// The collage session without a window: the cycle, the history, editing and projects, driven
// through its methods and watched through its signals.
class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void addPaths_data();
    void addPaths();
    void cycle();
    void refusedWhileBusy_data();
    void refusedWhileBusy();
    void frameChangesWhileBusy_data();
    void frameChangesWhileBusy();
    void undoShufflesRestoresPixels();
    void frameChangesMergeIntoOneStep();
    void newCanvasIsAStep();
    void historyIsBounded();
    void canvasSizeKeepsThePhotos();
    void undecodablePhotoLeavesTheCollage();
    void sharpAtRatioTwo();
    void refitSteps_data();
    void refitSteps();
    void replacePhoto_data();
    void replacePhoto();
    void rotateWithUndo_data();
    void rotateWithUndo();
    void fullSizeProjectKeepsItsFrame();
    void quietByDefault_data();
    void quietByDefault();
    void facesKeptInView_data();
    void facesKeptInView();
    void editsWhileTilesMove_data();
    void editsWhileTilesMove();
    void changedPhotoAnalysedAgain_data();
    void changedPhotoAnalysedAgain();
    void boxesWaitForTheDrawing();

private:
    // `count` photos named `stem`00.jpg and on, each a plain colour of its own.
    static void writePhotos(const QString &folder, const QString &stem, int count,
                            QSize size = QSize(60, 40));
    // `count` photos, m0.png and on, each with a subject near a corner, so that its tile moves
    // off the centre once that is found; larger than their cells, so that tiles are drawn
    // again from the decodes held.
    static void writeSubjects(const QString &folder, int count);
    // Every box found and drawn too.
    static bool analysed(const CollageSession &session)
    {
        return QTest::qWaitFor(
            [&session] { return !session.busy() && !session.drawing() && !session.analysing(); },
            30000);
    }
    static bool settled(const CollageSession &session)
    {
        return QTest::qWaitFor([&session] { return !session.busy() && !session.drawing(); }, 30000);
    }
    // The files offered are read off the GUI thread; what was added is laid out next.
    static bool addingEnded(const CollageSession &session)
    {
        return QTest::qWaitFor(
            [&session] { return session.state() != CollageSession::State::Adding; }, 30000);
    }
    static QImage lastLayer(const QSignalSpy &layers)
    {
        return layers.isEmpty() ? QImage() : layers.last().first().value<QImage>();
    }
    static bool opaque(const QImage &layer, int step)
    {
        for (int y = 3; y < layer.height(); y += step)
            for (int x = 3; x < layer.width(); x += step)
                if (qAlpha(layer.pixel(x, y)) != 255)
                    return false;
        return !layer.isNull();
    }
    QTemporaryDir dir;
};

void TestSession::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
}

void TestSession::writeSubjects(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QImage image(i % 2 ? QSize(800, 400) : QSize(400, 800), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 50, 200, 120));
        QPainter(&image).fillRect(image.width() / 10, image.height() / 10, 80, 80, Qt::white);
        QVERIFY(image.save(QStringLiteral("%1/m%2.png").arg(folder).arg(i)));
    }
}

void TestSession::writePhotos(const QString &folder, const QString &stem, int count, QSize size)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QImage image(i % 3 ? size : size.transposed(), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 29 % 360, 220, 230));
        QVERIFY(
            image.save(QDir(folder).filePath(
                           QStringLiteral("%1%2.jpg").arg(stem).arg(i, 2, 10, QLatin1Char('0'))),
                       "JPG", 92));
    }
}

void TestSession::addPaths_data()
{
    // Made in the row's folder: "x/" a folder, "a=b" a link to b, a .bmp a bitmap, else a JPEG.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("many"); // and as many numbered JPEGs, p000.jpg and on
    QTest::addColumn<QStringList>("offered"); // "" is the row's folder
    QTest::addColumn<QStringList>("added"); // the names, in order, then "…" and the last
    QTest::addColumn<int>("notAdded");
    QTest::newRow("a folder's photos and links to them; its bitmap named, not its folders")
        << QStringList {"IMG_1.JPG", "img_2.jpeg",        "x.bmp",
                        "sub.jpg/",  "sub.jpg/inner.jpg", "link.jpg=sub.jpg/inner.jpg"}
        << 0 << QStringList {""} << QStringList {"IMG_1.JPG", "img_2.jpeg", "link.jpg"} << 1;
    QTest::newRow("folders first, then the files in their order")
        << QStringList {"B/", "B/b2.jpg", "B/b1.jpg", "a.jpg", "c.Jpeg", "p.bmp"} << 0
        << QStringList {"a.jpg", "B", "c.Jpeg", "p.bmp"}
        << QStringList {"b1.jpg", "b2.jpg", "a.jpg", "c.Jpeg"} << 1;
    QTest::newRow("at most a hundred")
        << QStringList() << 150 << QStringList {""}
        << QStringList {"p000.jpg", "p001.jpg", "…", "p099.jpg"} << 1; // one line for the fifty
    QTest::newRow("pictures of other formats are named")
        << QStringList {"a.gif", "b.SVG", "c.jpg", "notes.txt"} << 0 << QStringList {""}
        << QStringList {"c.jpg"} << 2;
    QTest::newRow("nothing usable")
        << QStringList {"p.bmp"} << 0 << QStringList {"p.bmp"} << QStringList() << 1;
}

void TestSession::addPaths()
{
    QFETCH(QStringList, files);
    QFETCH(int, many);
    QFETCH(QStringList, offered);
    QFETCH(QStringList, added);
    QFETCH(int, notAdded);
    QTemporaryDir row;
    const QDir folder(row.path());
    for (const QString &file : std::as_const(files)) {
        if (file.endsWith(QLatin1Char('/'))) {
            QVERIFY(folder.mkdir(file));
        } else if (file.contains(QLatin1Char('='))) {
            QVERIFY(QFile::link(folder.filePath(file.section(QLatin1Char('='), 1)),
                                folder.filePath(file.section(QLatin1Char('='), 0, 0))));
        } else {
            QImage image(40, 30, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(folder.filePath(file), file.endsWith(".bmp") ? "BMP" : "JPG"));
        }
    }
    for (int i = 0; i < many; ++i) {
        QImage image(i % 2 ? QSize(40, 30) : QSize(30, 40), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 2, 200, 200));
        QVERIFY(
            image.save(folder.filePath(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')))));
    }
    QStringList paths;
    for (const QString &path : std::as_const(offered))
        paths << (path.isEmpty() ? row.path() : folder.filePath(path));

    CollageSession session;
    QSignalSpy problems(&session, &CollageSession::photosNotAdded);
    session.addPaths(paths);
    QVERIFY(addingEnded(session));
    QCOMPARE(session.busy(), !added.isEmpty()); // what was added is laid out
    QStringList names;
    for (const PhotoRecord &record : session.document().photos)
        names << QFileInfo(record.path).fileName();
    if (added.contains(QStringLiteral("…")))
        names = names.mid(0, 2) << QStringLiteral("…") << names.last();
    QCOMPARE(names, added);
    QCOMPARE(problems.isEmpty() ? 0 : problems.first().first().value<QList<PhotoProblem>>().size(),
             notAdded);
    QVERIFY(settled(session));
    QCOMPARE(session.undoStack()->count(), added.isEmpty() ? 0 : 1);
    QCOMPARE(session.document().hasLayout(), !added.isEmpty());
}

// One cycle: the layout with its six progress pictures, then one render, and every cell shows
// its own photo. A shuffle asked for during it is refused.
void TestSession::cycle()
{
    const QString folder = dir.filePath(QStringLiteral("cycle"));
    writePhotos(folder, QStringLiteral("s"), 12);
    CollageSession session;
    QSignalSpy states(&session, &CollageSession::stateChanged);
    QSignalSpy pictures(&session, &CollageSession::progressPicture);
    QSignalSpy finished(&session, &CollageSession::layoutFinished);
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    session.addPaths({folder});
    QVERIFY(addingEnded(session));
    QCOMPARE(session.state(), CollageSession::State::LayingOut);
    session.shuffle();
    QVERIFY(settled(session));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(layers.count(), 1);
    QCOMPARE(pictures.count(), 6);
    QCOMPARE(session.undoStack()->count(), 1);
    QCOMPARE(states.at(0).first().value<CollageSession::State>(), CollageSession::State::Adding);
    QCOMPARE(states.at(1).first().value<CollageSession::State>(), CollageSession::State::LayingOut);
    QCOMPARE(states.last().first().value<CollageSession::State>(), CollageSession::State::Idle);

    const QImage layer = lastLayer(layers);
    const QList<RenderCell> cells = collectLeaves(session.document().layout.tree());
    QCOMPARE(cells.size(), 12);
    for (const RenderCell &cell : cells) {
        const QColor want = QColor::fromHsv((cell.img - 1) * 29 % 360, 220, 230);
        const QColor got = layer.pixelColor(cell.rect.center());
        QVERIFY2(qAbs(got.red() - want.red()) < 16 && qAbs(got.green() - want.green()) < 16
                     && qAbs(got.blue() - want.blue()) < 16 && got.alpha() == 255,
                 qPrintable(QStringLiteral("cell of photo %1").arg(cell.img)));
    }
}

void TestSession::refusedWhileBusy_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("rendering"); // else laying out
    for (const char *operation : {"add", "shuffle", "undo", "swap", "remove", "turn", "centre",
                                  "crop", "larger", "new canvas", "canvas size", "open", "save"}) {
        QTest::addRow("%s while laying out", operation) << QString(operation) << false;
        QTest::addRow("%s while rendering", operation) << QString(operation) << true;
    }
}

// What needs a finished layout is refused, and leaves the collage and its history as they were.
void TestSession::refusedWhileBusy()
{
    QFETCH(QString, operation);
    QFETCH(bool, rendering);
    const QString folder = dir.filePath(QStringLiteral("busy"));
    if (!QFileInfo::exists(folder)) {
        writePhotos(folder, QStringLiteral("b"), 4);
        writePhotos(dir.filePath(QStringLiteral("extra")), QStringLiteral("e"), 1);
        CollageDocument empty;
        empty.canvasSize = empty.requestedSize = QSize(300, 200);
        QVERIFY(writeProjectFile(empty, dir.filePath(QStringLiteral("other.vellomir"))));
    }
    CollageSession session;
    // Content boxes arriving meanwhile would be no change the operation made.
    session.setStartingChoices(QColor(), FrameSettings(), QSize(), defaultDpi, CropMode::Centre);
    session.setBackground(Qt::black); // a step that undo could take back
    session.addPaths({folder});
    QVERIFY(addingEnded(session));
    if (rendering) {
        QVERIFY(settled(session));
        session.setFrameParams(8, 10);
        QCOMPARE(session.state(), CollageSession::State::Rendering);
    } else {
        QCOMPARE(session.state(), CollageSession::State::LayingOut);
    }
    const CollageDocument before = session.document();
    const int steps = session.undoStack()->count();
    const QString saved = dir.filePath(QStringLiteral("refused.png"));
    bool started = false;
    if (operation == "add")
        session.addPaths({dir.filePath(QStringLiteral("extra"))});
    else if (operation == "shuffle")
        session.shuffle();
    else if (operation == "undo")
        session.undo();
    else if (operation == "swap")
        session.swapPhotos(0, 1);
    else if (operation == "remove")
        session.removePhoto(0);
    else if (operation == "turn")
        session.turnPhoto(0, 1);
    else if (operation == "centre")
        session.autoCropPhoto(0);
    else if (operation == "crop")
        session.setCrop(0, QPointF(0.2, 0));
    else if (operation == "larger")
        session.emphasisePhoto(0, 1);
    else if (operation == "new canvas")
        session.newCanvas(QSize(400, 300));
    else if (operation == "canvas size")
        session.resizeCanvas(QSize(400, 300));
    else if (operation == "open")
        started = bool(session.openProject(dir.filePath(QStringLiteral("other.vellomir"))));
    else if (operation == "save")
        started = session.saveCollage(saved, CollageFormat::Png);
    QVERIFY(!started);
    QCOMPARE(session.document(), before);
    QCOMPARE(session.undoStack()->index(), steps);

    QVERIFY(settled(session));
    QVERIFY(!QFile::exists(saved));
    QCOMPARE(session.document().photos, before.photos);
    QCOMPARE(session.document().requestedSize, before.requestedSize);
    QCOMPARE(session.document().background, QColor(Qt::black));
    QCOMPARE(session.undoStack()->count(), steps + (rendering ? 0 : 1));
    QCOMPARE(session.undoStack()->index(), session.undoStack()->count());
}

void TestSession::frameChangesWhileBusy_data()
{
    QTest::addColumn<QList<int>>("margins");
    QTest::addColumn<bool>("duringLayout");
    QTest::newRow("one change") << QList<int> {20} << false;
    // each change replaces the render of the one before: only the last one's layer comes
    QTest::newRow("changes during the render") << QList<int> {4, 8, 20} << false;
    // the cycle's own render draws with the last settings, and no render sees a half-built tree
    QTest::newRow("changes during the layout") << QList<int> {4, 8, 20} << true;
}

void TestSession::frameChangesWhileBusy()
{
    QFETCH(QList<int>, margins);
    QFETCH(bool, duringLayout);
    const QString folder = dir.filePath(QStringLiteral("frames"));
    if (!QFileInfo::exists(folder))
        writePhotos(folder, QStringLiteral("f"), 6, QSize(900, 600));
    CollageSession session;
    session.addPaths({folder});
    QVERIFY(addingEnded(session));
    if (!duringLayout)
        QVERIFY(settled(session));
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    for (int margin : std::as_const(margins))
        session.setFrameParams(margin, 10);
    QVERIFY(session.busy());
    QCOMPARE(session.state(),
             duringLayout ? CollageSession::State::LayingOut : CollageSession::State::Rendering);
    QVERIFY(settled(session));
    QCoreApplication::processEvents(); // a superseded render's result, were it sent
    QCOMPARE(layers.count(), 1);
    QCOMPARE(session.document().frame.a, 20);
    // the last margin, 20 px, leaves the canvas corner transparent
    const QImage layer = lastLayer(layers);
    QCOMPARE(qAlpha(layer.pixel(5, 5)), 0);
    QCOMPARE(qAlpha(layer.pixel(25, 25)), 255);
}

// Shuffle twice, undo twice: the first collage is back, pixel for pixel, without a layout.
void TestSession::undoShufflesRestoresPixels()
{
    const QString folder = dir.filePath(QStringLiteral("undo"));
    writePhotos(folder, QStringLiteral("d"), 12, QSize(90, 60));
    CollageSession session;
    unsigned nextSeed = 100;
    session.setSeedSource([&nextSeed] { return nextSeed++; });
    QSignalSpy layouts(&session, &CollageSession::layoutFinished);
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    session.addPaths({folder});
    // What the analysis finds belongs to every step; it is waited for to compare documents.
    QVERIFY(analysed(session));
    const QImage first = lastLayer(layers);
    const CollageDocument firstDocument = session.document();
    QCOMPARE(session.undoStack()->undoText(), QStringLiteral("Add Photos"));

    session.shuffle();
    QVERIFY(settled(session));
    const QImage second = lastLayer(layers);
    session.shuffle();
    QVERIFY(settled(session));
    QVERIFY(lastLayer(layers) != second);
    QCOMPARE(session.undoStack()->undoText(), QStringLiteral("Shuffle"));
    QCOMPARE(layouts.count(), 3);

    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(lastLayer(layers), second);
    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(lastLayer(layers), first);
    QCOMPARE(session.document(), firstDocument);
    QCOMPARE(layouts.count(), 3); // the trees came from the steps

    session.redo();
    QVERIFY(settled(session));
    QCOMPARE(lastLayer(layers), second);
    QCOMPARE(session.undoStack()->redoText(), QStringLiteral("Shuffle"));
}

// A run of slider moves is one step; a background change is another.
void TestSession::frameChangesMergeIntoOneStep()
{
    const QString folder = dir.filePath(QStringLiteral("merge"));
    writePhotos(folder, QStringLiteral("m"), 4);
    CollageSession session;
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    session.addPaths({folder});
    QVERIFY(settled(session));
    const QImage plain = lastLayer(layers);
    const int steps = session.undoStack()->count();

    for (int margin : {4, 8, 20})
        session.setFrameParams(margin, 10);
    QVERIFY(settled(session));
    session.setBackground(QColor(20, 40, 200, 120));
    QCOMPARE(session.undoStack()->count(), steps + 2);
    QCOMPARE(qAlpha(lastLayer(layers).pixel(5, 5)), 0);

    session.undo();
    QCOMPARE(session.document().background, QColor(Qt::white));
    QCOMPARE(session.undoStack()->undoText(), QStringLiteral("Frame Change"));
    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(session.document().frame, FrameSettings());
    QCOMPARE(lastLayer(layers), plain);
}

void TestSession::newCanvasIsAStep()
{
    const QString folder = dir.filePath(QStringLiteral("canvas"));
    writePhotos(folder, QStringLiteral("n"), 3);
    CollageSession session;
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    session.addPaths({folder});
    QVERIFY(settled(session));
    const QImage layer = lastLayer(layers);
    QVERIFY(session.cache().count() > 0);
    session.newCanvas(QSize(1795, 1205));
    QVERIFY(session.document().photos.isEmpty());
    QCOMPARE(session.document().canvasSize, QSize(1200, 805));
    QCOMPARE(session.cache().count(), 0);
    QVERIFY(lastLayer(layers).isNull());
    QCOMPARE(session.undoStack()->undoText(), QStringLiteral("New Canvas"));
    session.shuffle(); // nothing to lay out
    QVERIFY(!session.busy());

    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(session.document().photos.size(), 3);
    QCOMPARE(session.document().canvasSize, QSize(800, 600));
    QCOMPARE(lastLayer(layers), layer);
}

void TestSession::historyIsBounded()
{
    CollageSession session;
    for (int i = 0; i < 130; ++i)
        session.setBackground(QColor::fromHsv(i, 100, 100));
    QCOMPARE(session.undoStack()->count(), 100);
}

void TestSession::canvasSizeKeepsThePhotos()
{
    const QString folder = dir.filePath(QStringLiteral("size"));
    writePhotos(folder, QStringLiteral("c"), 5);
    CollageSession session;
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    QSignalSpy finished(&session, &CollageSession::layoutFinished);
    session.addPaths({folder});
    QVERIFY(settled(session));
    const QImage before = lastLayer(layers);
    session.resizeCanvas(QSize(1000, 1500));
    QVERIFY(settled(session));
    QCOMPARE(finished.count(), 1); // fitted, not laid out anew
    QCOMPARE(session.document().photos.size(), 5);
    QCOMPARE(session.document().canvasSize, QSize(600, 900));
    QCOMPARE(session.document().layout.canvasSize(), QSize(600, 900));
    QVERIFY(opaque(lastLayer(layers), 20));
    QCOMPARE(session.undoStack()->undoText(), QStringLiteral("Canvas Size"));
    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(lastLayer(layers), before);
}

// A photo whose header reads but whose data does not decode leaves the collage once drawn:
// no cell stays empty, it is named, and undo and redo never bring a hole back.
void TestSession::undecodablePhotoLeavesTheCollage()
{
    const QString folder = dir.filePath(QStringLiteral("damaged"));
    writePhotos(folder, QStringLiteral("u"), 3);
    QFile damaged(QDir(folder).filePath(QStringLiteral("u03.jpg")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(hostile::damagedScan(hostile::encoded(hostile::noise(64, 48), "JPG", true)));
    damaged.close();
    // Cut off near its end: it stays, drawn as far as it goes, and is named once.
    const QByteArray whole = hostile::encoded(hostile::noise(128, 128), "JPG");
    const qsizetype scan = whole.indexOf("\xFF\xDA");
    QFile cut(QDir(folder).filePath(QStringLiteral("u04.jpg")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(scan + (whole.size() - scan) * 9 / 10));
    cut.close();

    CollageSession session;
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    QSignalSpy leftOut(&session, &CollageSession::photosLeftOut);
    QSignalSpy damage(&session, &CollageSession::photosDamaged);
    session.addPaths({folder});
    QVERIFY(settled(session));
    QCOMPARE(session.document().photos.size(), 4);
    QCOMPARE(damage.count(), 1);
    const QList<PhotoProblem> cutOff = damage.first().first().value<QList<PhotoProblem>>();
    QCOMPARE(cutOff.size(), 1);
    QCOMPARE(QFileInfo(cutOff.first().path).fileName(), QStringLiteral("u04.jpg"));
    QCOMPARE(leftOut.count(), 1);
    const QList<PhotoProblem> problems = leftOut.first().first().value<QList<PhotoProblem>>();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(QFileInfo(problems.first().path).fileName(), QStringLiteral("u03.jpg"));
    QVERIFY2(problems.first().reason.startsWith(QLatin1String("cannot decode")),
             qPrintable(problems.first().reason));
    QVERIFY(opaque(lastLayer(layers), 25));
    session.shuffle();
    QVERIFY(settled(session));
    session.undo();
    QVERIFY(settled(session));
    QVERIFY(opaque(lastLayer(layers), 25));
    QCOMPARE(session.document().photos.size(), 4);
    QCOMPARE(damage.count(), 1);
}

// On a screen of two device pixels per canvas pixel the layer holds twice the pixels each way,
// so fine detail survives; a save at the working size is the same file as at ratio 1.
void TestSession::sharpAtRatioTwo()
{
    QImage stripes(1600, 1200, QImage::Format_RGB32);
    for (int x = 0; x < 1600; ++x) {
        const QRgb value = x % 2 ? qRgb(250, 250, 250) : qRgb(10, 10, 10);
        for (int y = 0; y < 1200; ++y)
            stripes.setPixel(x, y, value);
    }
    QVERIFY(stripes.save(dir.filePath("stripes.png")));
    QImage plain(60, 40, QImage::Format_RGB32);
    plain.fill(Qt::darkGreen);
    QVERIFY(plain.save(dir.filePath("plain.jpg"), "JPG"));

    QByteArray saved[2];
    for (int ratio : {2, 1}) {
        CollageSession session;
        session.setSeedSource([] { return 4242u; });
        session.setDeviceRatio(ratio);
        QSignalSpy layers(&session, &CollageSession::photoLayerReady);
        session.addPaths({dir.filePath("stripes.png"), dir.filePath("plain.jpg")});
        QVERIFY(settled(session));
        const QImage layer = lastLayer(layers);
        QCOMPARE(layer.size(), session.document().canvasSize * ratio);
        QCOMPARE(layer.devicePixelRatio(), qreal(ratio));
        // Across the middle of the stripes' cell, neighbouring pixels stay far apart at ratio
        // 2; at ratio 1 the stripes are finer than the layer and come out grey.
        const QRect cell = cellOf(session.document(), 0);
        const int y = ratio * cell.center().y();
        int contrasted = 0;
        for (int x = ratio * cell.left() + 20; x < ratio * cell.left() + 120; ++x)
            contrasted += std::abs(qGray(layer.pixel(x, y)) - qGray(layer.pixel(x + 1, y))) > 120;
        QVERIFY2(ratio == 2 ? contrasted > 80 : contrasted < 20,
                 qPrintable(QString::number(contrasted)));
        const QString path = dir.filePath(QStringLiteral("at%1.png").arg(ratio));
        QSignalSpy written(&session, &CollageSession::collageSaved);
        QVERIFY(session.saveCollage(path, CollageFormat::Png));
        QCOMPARE(session.state(), CollageSession::State::Saving);
        QVERIFY(written.wait(30000));
        QVERIFY(written.first().first().value<SaveOutcome>().written);
        QVERIFY(!session.busy());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        saved[ratio - 1] = file.readAll();
    }
    QVERIFY(!saved[0].isEmpty());
    QVERIFY(saved[0] == saved[1]);
}

// How far apart two shapes are: 1 for the same, 2 for one twice as wide for its height.
static qreal shapeGap(QSizeF a, QSizeF b)
{
    const qreal ratio = (a.width() / a.height()) / (b.width() / b.height());
    return std::max(ratio, 1 / ratio);
}

void TestSession::refitSteps_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("stepName"); // empty: refused, nothing changes
    QTest::newRow("canvas to portrait") << "portrait"
                                        << "Canvas Size";
    QTest::newRow("rotate") << "rotate"
                            << "Rotate Right";
    QTest::newRow("remove") << "remove"
                            << "Remove Photo";
    QTest::newRow("emphasis 2") << "larger"
                                << "Make Larger";
    QTest::newRow("emphasis 1/2") << "smaller"
                                  << "Make Smaller";
    QTest::newRow("smaller than 1/2") << "smallest"
                                      << "";
}

// Changes of shape or share refit the layout off the GUI thread: one step, refused while it
// runs, cells that follow their photos, and undo gives back the document as it was.
void TestSession::refitSteps()
{
    QFETCH(QString, operation);
    QFETCH(QString, stepName);
    const QString folder = dir.filePath(QStringLiteral("refit"));
    if (!QFileInfo::exists(folder))
        writePhotos(folder, QStringLiteral("r"), 9);
    CollageSession session;
    session.setSeedSource([] { return 1u; });
    session.addPaths({folder});
    QVERIFY(settled(session));
    if (operation == "smallest") {
        session.emphasisePhoto(0, -1);
        QVERIFY(settled(session));
    }
    // The photos' content boxes belong to every step: found first, they are in `before` too.
    QVERIFY(analysed(session));
    const CollageDocument before = session.document();
    const int steps = session.undoStack()->count();
    // photo 1 of the folder is landscape (60x40)
    if (operation == "portrait")
        session.resizeCanvas(QSize(1000, 1500));
    else if (operation == "rotate")
        session.turnPhoto(1, 1);
    else if (operation == "remove")
        session.removePhoto(0);
    else if (operation == "larger" || operation == "smaller" || operation == "smallest")
        session.emphasisePhoto(0, operation == "larger" ? 1 : -1);
    if (stepName.isEmpty()) {
        QCOMPARE(session.busy(), false);
        QCOMPARE(session.document(), before);
        QCOMPARE(session.undoStack()->count(), steps);
        return;
    }
    QCOMPARE(session.state(), CollageSession::State::LayingOut);
    session.emphasisePhoto(2, 1); // refused until the refit has ended
    session.swapPhotos(2, 3);
    QVERIFY(settled(session));
    const CollageDocument after = session.document();
    QCOMPARE(session.undoStack()->count(), steps + 1);
    QCOMPARE(session.undoStack()->undoText(), stepName);
    QVERIFY(after.hasLayout());
    const char *why = nullptr;
    QVERIFY2(btree_check(after.layout.tree(), 1, &why) == 0, why);
    QCOMPARE(after.photos.at(1).crop, before.photos.at(1).crop);
    // the old tree stretched to the new canvas, as the canvas once changed
    const CollageDocument stretched = fittedTo(before, after.canvasSize);
    qreal refitGap = 0;
    qreal stretchedGap = 0;
    for (int k = 0; k < after.photos.size(); ++k) {
        const QRect cell = cellOf(after, k);
        refitGap += shapeGap(cell.size(), after.photos.at(k).size);
        stretchedGap += shapeGap(cellOf(stretched, k).size(), after.photos.at(k).size);
        QVERIFY2(cell.width() >= 10 && cell.height() >= 10, qPrintable(QString::number(k)));
        if (operation == "portrait")
            QVERIFY2(shapeGap(cell.size(), after.photos.at(k).size) <= 2,
                     qPrintable(QString::number(k)));
    }
    if (operation == "portrait") {
        QCOMPARE(after.canvasSize, QSize(600, 900));
        QVERIFY(refitGap < stretchedGap);
    }
    if (operation == "rotate")
        QVERIFY(shapeGap(cellOf(after, 1).size(), after.photos.at(1).size) <= 1.5);
    const auto area = [](QRect r) { return r.width() * r.height(); };
    if (operation == "larger")
        QVERIFY(area(cellOf(after, 0)) > area(cellOf(before, 0)));
    if (operation == "smaller")
        QVERIFY(area(cellOf(after, 0)) < area(cellOf(before, 0)));

    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(session.document(), before);
    session.redo();
    QVERIFY(settled(session));
    QCOMPARE(session.document(), after);
}

void TestSession::rotateWithUndo_data()
{
    QTest::addColumn<int>("turns");
    QTest::addColumn<int>("orientation"); // as the camera tagged the file
    // The colours expected at the tile's top-left, top-right, bottom-right and bottom-left.
    QTest::addColumn<QList<QColor>>("corners");
    const QColor r(230, 20, 20), g(20, 200, 20), b(20, 20, 230), y(230, 230, 20);
    QTest::newRow("right") << 1 << 1 << QList<QColor> {y, r, g, b};
    QTest::newRow("left") << -1 << 1 << QList<QColor> {g, b, y, r};
    QTest::newRow("right of a photo tagged 6") << 1 << 6 << QList<QColor> {y, r, g, b};
}

// Rotate Left and Right turn a wrongly tagged photo; the layout follows its new shape, the
// turn is stored in the project, and undo turns it back.
void TestSession::rotateWithUndo()
{
    QFETCH(int, turns);
    QFETCH(int, orientation);
    QFETCH(QList<QColor>, corners);
    QTemporaryDir photos;
    // Quadrants red, green / yellow, blue, as upright after the tag.
    QImage upright(120, 80, QImage::Format_RGB32);
    const QColor quadrant[2][2]
        = {{QColor(230, 20, 20), QColor(20, 200, 20)}, {QColor(230, 230, 20), QColor(20, 20, 230)}};
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            upright.setPixelColor(x, y, quadrant[y / 40][x / 60]);
    // Stored as a camera tagged 6 would store it: turned a quarter the other way.
    const QImage stored
        = orientation == 6 ? upright.transformed(QTransform().rotate(-90)) : upright;
    QVERIFY(stored.save(photos.filePath("q.jpg"), "JPG", 98));
    if (orientation == 6) {
        // The tag goes in as an APP1 segment after SOI.
        QFile file(photos.filePath("q.jpg"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const QByteArray tiff("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"
                              "\0\0\0\0",
                              26);
        QByteArray app1 = QByteArray("Exif\0\0", 6) + tiff;
        QByteArray segment("\xFF\xE1", 2);
        segment.append(char((app1.size() + 2) >> 8)).append(char((app1.size() + 2) & 0xFF));
        bytes.insert(2, segment + app1);
        file.seek(0);
        file.write(bytes);
    }
    CollageSession session;
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    session.addPaths({photos.path()});
    QVERIFY(settled(session));
    QCOMPARE(session.document().photos.first().size, QSize(120, 80));
    const QImage before = lastLayer(layers);

    session.turnPhoto(0, turns);
    QVERIFY(settled(session));
    QCOMPARE(session.document().photos.first().size, QSize(80, 120));
    const QRect cell = cellOf(session.document(), 0);
    // The layout is fitted to the new shape.
    const BNode *leaf = btree_find_img(session.document().layout.tree()->root, 1);
    QCOMPARE(QSize(leaf->img_w, leaf->img_h), QSize(80, 120));
    const QImage layer = lastLayer(layers);
    const QPoint at[] = {cell.topLeft() + QPoint(4, 4), cell.topRight() + QPoint(-4, 4),
                         cell.bottomRight() - QPoint(4, 4), cell.bottomLeft() + QPoint(4, -4)};
    for (int k = 0; k < 4; ++k) {
        const QColor got = layer.pixelColor(at[k]);
        const QColor want = corners.at(k);
        QVERIFY2(std::abs(got.red() - want.red()) < 24 && std::abs(got.green() - want.green()) < 24
                     && std::abs(got.blue() - want.blue()) < 24,
                 qPrintable(QString::number(k)));
    }
    QCOMPARE(session.undoStack()->undoText(),
             turns < 0 ? QStringLiteral("Rotate Left") : QStringLiteral("Rotate Right"));

    // Stored with the project, and read back turned.
    const QString project = photos.filePath(QStringLiteral("turned.vellomir"));
    QVERIFY(session.saveProject(project));
    QVERIFY(!session.isModified());
    CollageSession reopened;
    QSignalSpy reopenedLayers(&reopened, &CollageSession::photoLayerReady);
    QVERIFY(reopened.openProject(project));
    QVERIFY(settled(reopened));
    QCOMPARE(lastLayer(reopenedLayers), layer);
    QCOMPARE(reopened.undoStack()->count(), 0);

    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(lastLayer(layers), before);
}

// A project laid out at its full size, as the command line makes them, opens on the smaller
// working canvas with its frame scaled alike, so a save draws the frame it was made with.
void TestSession::fullSizeProjectKeepsItsFrame()
{
    const QString folder = dir.filePath(QStringLiteral("fullsize"));
    writePhotos(folder, QStringLiteral("f"), 3);
    CollageSession made;
    made.setFrameParams(8, 10);
    made.addPaths({folder});
    QVERIFY(settled(made));
    const QString project = QDir(folder).filePath(QStringLiteral("made.vellomir"));
    QVERIFY(made.saveProject(project));
    const Result<CollageDocument> load = readProjectFile(project);
    QVERIFY(load);
    CollageDocument full = *load;
    full.requestedSize = QSize(3600, 2400);
    full = fittedTo(std::move(full), full.requestedSize);
    const QSize working = workingCanvasSize(full.requestedSize);
    QCOMPARE(working, QSize(1200, 800)); // a third of the canvas the frame was measured on
    full.frame.a = 24;
    full.frame.b = 30;
    QVERIFY(writeProjectFile(full, project));

    CollageSession opened;
    QVERIFY(opened.openProject(project));
    QVERIFY(settled(opened));
    QCOMPARE(opened.document().canvasSize, working);
    QCOMPARE(QPoint(opened.document().frame.a, opened.document().frame.b), QPoint(8, 10));
}

void TestSession::quietByDefault_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("heard");
    QTest::newRow("default") << QString() << false;
    QTest::newRow("vellomir.* enabled") << "vellomir.*=true" << true;
}

// A collage is made without a word on the terminal unless the categories are switched on;
// then the engine's trace comes back line for line.
void TestSession::quietByDefault()
{
    QFETCH(QString, rules);
    QFETCH(bool, heard);
    static QStringList said;
    said.clear();
    QLoggingCategory::setFilterRules(rules);
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (QByteArray(context.category).startsWith("vellomir") || !context.category
                || QByteArray(context.category) == "default")
                said << text;
        });
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(dir.filePath("quiet.jpg"), "JPG"));
    {
        CollageSession session;
        session.addPaths({dir.filePath("quiet.jpg")});
        QVERIFY(settled(session));
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    QCOMPARE(!said.isEmpty(), heard);
    if (heard) {
        QVERIFY(said.contains(QStringLiteral("layout ready")));
        QVERIFY(said.contains(QStringLiteral("nodes: 1 img: 1")));
    }
}

// A tall portrait, its face near the top, alone on a wide canvas: once analysed its tile is
// moved up to the face, without a step of its own and without holding up the layout.
void TestSession::facesKeptInView_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("shift"); // the tile's vertical crop: -1 towards the top, 0 centred
    QTest::addColumn<int>("steps"); // in the history afterwards
    QTest::newRow("analysed") << "" << -1 << 1;
    QTest::newRow("faces off") << "off" << 0 << 2;
    QTest::newRow("faces off, undone") << "off undo" << -1 << 2;
    QTest::newRow("hand crop") << "hand" << 1 << 2;
    QTest::newRow("automatic crop after a hand crop") << "hand auto" << -1 << 3;
    QTest::newRow("saved and reopened") << "reopen" << -1 << 1;
}

void TestSession::facesKeptInView()
{
    QFETCH(QString, edit);
    QFETCH(int, shift);
    QFETCH(int, steps);
    const facephotos::Photo photo = facephotos::tallPhoto(facephotos::sources().constFirst());
    if (photo.image.isNull())
        QSKIP("the face pictures of python3-skimage are not installed");
    const QString folder = dir.filePath(QStringLiteral("faces-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/astronaut.png");
    QVERIFY(photo.image.save(path));

    CollageSession session;
    session.setRecoveryFolder(folder);
    session.setStartingChoices(Qt::white, FrameSettings(), QSize(900, 300));
    QSignalSpy analysed(&session, &CollageSession::analysisFinished);
    session.addPaths({path});
    QVERIFY(settled(session));
    QVERIFY(session.analysing() || !analysed.isEmpty());
    QVERIFY(!analysed.isEmpty() || analysed.wait(30000));
    QVERIFY(settled(session)); // the tile moved to what was found
    QVERIFY(session.document().photos.at(0).content);
    QVERIFY(!session.document().photos.at(0).content->isEmpty());

    if (edit.startsWith(QLatin1String("off")))
        session.setCropMode(CropMode::Centre);
    if (edit.startsWith(QLatin1String("hand")))
        session.setCrop(0, QPointF(0, 0.3));
    QVERIFY(settled(session));
    if (edit.endsWith(QLatin1String("auto")))
        session.autoCropPhoto(0);
    if (edit.endsWith(QLatin1String("undo")))
        session.undo();
    if (edit == QLatin1String("reopen")) {
        const CollageDocument shown = session.document();
        const QString project = folder + QStringLiteral("/faces.vellomir");
        QVERIFY(session.saveProject(project));
        CollageSession reopened;
        reopened.setRecoveryFolder(folder);
        QVERIFY(reopened.openProject(project));
        QVERIFY(!reopened.analysing());
        QCOMPARE(reopened.document().photos, shown.photos);
    }
    QVERIFY(settled(session));
    const CollageDocument &document = session.document();
    QCOMPARE(session.undoStack()->count(), steps);
    const PhotoRecord &tile = document.photos.at(0);
    const qreal y = tileCrop(tile, tile.size, document.canvasSize, document.crop).y();
    QCOMPARE(y < -0.05 ? -1 : y > 0.05 ? 1 : 0, shift);
}

void TestSession::replacePhoto_data()
{
    QTest::addColumn<QString>("file"); // what photo 4 is replaced with
    QTest::addColumn<QString>("reason"); // why it is not taken; empty: replaced
    QTest::newRow("a new photo") << "new" << QString();
    QTest::newRow("the same photo") << "same" << QString();
    QTest::newRow("another photo of the collage") << "other"
                                                  << "already in the collage";
    QTest::newRow("not a photo") << "text"
                                 << "not a usable image";
}

// Replace Photo puts the file in the old photo's cell as one step, or tells why it cannot, as
// adding does, and changes nothing.
void TestSession::replacePhoto()
{
    QFETCH(QString, file);
    QFETCH(QString, reason);
    const QString folder = dir.filePath(QStringLiteral("replace"));
    if (!QFileInfo::exists(folder)) {
        writePhotos(folder, QStringLiteral("p"), 6);
        writePhotos(dir.filePath(QStringLiteral("replacement")), QStringLiteral("n"), 1,
                    QSize(40, 90));
    }
    CollageSession session;
    session.setSeedSource([] { return 1u; });
    session.addPaths({folder});
    QVERIFY(settled(session));
    QVERIFY(analysed(session));
    const CollageDocument before = session.document();
    const int steps = session.undoStack()->count();
    QString path = dir.filePath(QStringLiteral("replacement/n00.jpg"));
    if (file == "same")
        path = before.photos.at(4).path;
    else if (file == "other")
        path = before.photos.at(1).path;
    else if (file == "text") {
        path = dir.filePath(QStringLiteral("notes.jpg"));
        QFile notes(path);
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a picture");
    }
    QSignalSpy refused(&session, &CollageSession::photosNotAdded);
    session.replacePhoto(4, path);
    QVERIFY(settled(session));
    if (!reason.isEmpty()) {
        QCOMPARE(refused.count(), 1);
        const auto problems = refused.first().first().value<QList<PhotoProblem>>();
        QCOMPARE(problems.size(), 1);
        QCOMPARE(problems.first().reason, reason);
        QCOMPARE(session.document(), before);
        QCOMPARE(session.undoStack()->count(), steps);
        return;
    }
    QCOMPARE(refused.count(), 0);
    QCOMPARE(session.undoStack()->count(), steps + 1);
    QCOMPARE(session.undoStack()->undoText(), QStringLiteral("Replace Photo"));
    const CollageDocument after = session.document();
    QCOMPARE(after.photos.size(), before.photos.size());
    QCOMPARE(after.photos.at(4).path, path);
    const char *why = nullptr;
    QVERIFY2(btree_check(after.layout.tree(), 1, &why) == 0, why);
    session.undo();
    QVERIFY(settled(session));
    QCOMPARE(session.document(), before);
}

QTEST_MAIN(TestSession)
void TestSession::editsWhileTilesMove_data()
{
    QTest::addColumn<QString>("edit"); // made while the tiles the boxes moved are drawn
    QTest::addColumn<int>("photos"); // in the collage afterwards
    QTest::addColumn<int>("steps"); // done in the history afterwards
    QTest::newRow("none") << "" << 6 << 2;
    QTest::newRow("swap") << "swap" << 6 << 3;
    QTest::newRow("remove") << "remove" << 5 << 3;
    QTest::newRow("shuffle") << "shuffle" << 6 << 3;
    QTest::newRow("undo") << "undo" << 6 << 1;
}

// The boxes that arrive move their tiles without making the collage busy: an edit made while
// they are drawn is taken, and what is shown in the end is the collage as edited.
void TestSession::editsWhileTilesMove()
{
    QFETCH(QString, edit);
    QFETCH(int, photos);
    QFETCH(int, steps);
    // Each row's own files, so that no row finds the boxes of another in the cache.
    const QString folder = dir.filePath(QStringLiteral("moving-%1").arg(QTest::currentDataTag()));
    writeSubjects(folder, 6);
    CollageSession session;
    session.setRecoveryFolder(folder);
    session.setSeedSource([] { return 5u; });
    session.setStartingChoices(Qt::white, FrameSettings(), QSize(600, 400), defaultDpi,
                               CropMode::Centre);
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    session.addPaths({folder});
    QVERIFY(settled(session));
    // The analysis waits for memory until the collage is drawn and idle.
    std::optional<MemoryReservation> memory
        = MemoryBudget::decoding().reserve(MemoryBudget::decoding().total());
    session.setCropMode(CropMode::Auto);
    QVERIFY(settled(session));
    QVERIFY(session.analysing());

    bool edited = false;
    QList<CollageSession::State> states;
    connect(&session, &CollageSession::stateChanged, this,
            [&](CollageSession::State state) { states.append(state); });
    // Queued, so that it comes once the moved tiles are being drawn.
    connect(
        &session, &CollageSession::documentChanged, this,
        [&] {
            if (edited || session.busy() || !session.drawing())
                return;
            edited = true;
            QVERIFY(states.isEmpty());
            if (edit == QLatin1String("swap"))
                session.swapPhotos(0, 1);
            else if (edit == QLatin1String("remove"))
                session.removePhoto(0);
            else if (edit == QLatin1String("shuffle"))
                session.shuffle();
            else if (edit == QLatin1String("undo"))
                session.undo();
        },
        Qt::QueuedConnection);
    memory.reset();
    QVERIFY(analysed(session));
    QVERIFY(edited);
    QCOMPARE(states.isEmpty(), edit.isEmpty());

    const CollageDocument &document = session.document();
    QCOMPARE(document.photos.size(), photos);
    QCOMPARE(session.undoStack()->index(), steps);
    QVERIFY(std::any_of(document.photos.cbegin(), document.photos.cend(),
                        [](const PhotoRecord &p) { return p.content && !p.content->isEmpty(); }));
    ImageCache held = session.cache();
    const QImage shown = lastLayer(layers);
    QCOMPARE(shown, renderPhotoLayer(document, held, shown.size()));
}

void TestSession::changedPhotoAnalysedAgain_data()
{
    QTest::addColumn<bool>("changed");
    QTest::newRow("the same file") << false;
    QTest::newRow("the file changed") << true;
}

// A photo removed and added again keeps what was found in it, unless its file has changed
// since: then what the file shows now is found.
void TestSession::changedPhotoAnalysedAgain()
{
    QFETCH(bool, changed);
    const QString folder = dir.filePath(QStringLiteral("changed-%1").arg(int(changed)));
    QVERIFY(QDir().mkpath(folder));
    const auto write = [](const QString &path, const QPoint &subject) {
        QImage image(800, 400, QImage::Format_RGB32);
        image.fill(QColor(40, 90, 60));
        QPainter(&image).fillRect(QRect(subject, QSize(80, 80)), Qt::white);
        return image.save(path);
    };
    const QString path = folder + QStringLiteral("/a.png");
    QVERIFY(write(path, {60, 40}));
    QVERIFY(write(folder + QStringLiteral("/b.png"), {400, 200}));
    const auto contentOf = [&path](const CollageDocument &document) {
        for (const PhotoRecord &photo : document.photos) {
            if (photo.path == path)
                return photo.content;
        }
        return std::optional<ContentBox>();
    };
    CollageSession session;
    session.setRecoveryFolder(folder);
    session.addPaths({folder});
    QVERIFY(analysed(session));
    const std::optional<ContentBox> first = contentOf(session.document());
    QVERIFY(first && !first->isEmpty());
    const QList<PhotoRecord> &added = session.document().photos;
    session.removePhoto(added.constFirst().path == path ? 0 : 1);
    QVERIFY(settled(session));
    if (changed) {
        QVERIFY(write(path, {660, 280}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    }
    session.addPaths({path});
    QVERIFY(analysed(session));
    const std::optional<ContentBox> again = contentOf(session.document());
    QVERIFY(again && !again->isEmpty());
    QCOMPARE(*again == *first, !changed);
}

// Boxes found while the first drawing of a collage is under way move their tiles after it:
// they never take its place, which would keep a slow drawing from ever being shown.
void TestSession::boxesWaitForTheDrawing()
{
    const QString folder = dir.filePath(QStringLiteral("waiting"));
    writeSubjects(folder, 4);
    {
        // Analysed once, so that the boxes come from the cache at once the second time.
        CollageSession first;
        first.setRecoveryFolder(folder);
        first.addPaths({folder});
        QVERIFY(analysed(first));
    }
    CollageSession session;
    session.setRecoveryFolder(folder);
    session.setStartingChoices(Qt::white, FrameSettings(), QSize(), defaultDpi, CropMode::Centre);
    QSignalSpy layers(&session, &CollageSession::photoLayerReady);
    std::optional<MemoryReservation> memory
        = MemoryBudget::decoding().reserve(MemoryBudget::decoding().total());
    session.addPaths({folder});
    // The drawing waits for memory to decode the photos; the boxes are found meanwhile.
    QVERIFY(QTest::qWaitFor([&session] { return session.drawing(); }, 30000));
    session.setCropMode(CropMode::Auto);
    QVERIFY(QTest::qWaitFor([&session] { return !session.analysing(); }, 30000));
    QCOMPARE(session.state(), CollageSession::State::Rendering);
    memory.reset();
    QVERIFY(analysed(session));
    QCOMPARE(layers.count(), 2); // the first drawing, then its tiles moved
    ImageCache held = session.cache();
    const QImage shown = lastLayer(layers);
    QCOMPARE(shown, renderPhotoLayer(session.document(), held, shown.size()));
}

#include "tst_session.moc"
