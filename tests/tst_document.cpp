#include "canvasscene.h"
#include "collagedocument.h"
#include "mainwindow.h"
#include "photoscan.h"
#include "statuswidget.h"
#include "translation.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

// The collage as a document: steps of the history and project files, through the real window.
class TestDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void undoShufflesRestoresPixels();
    void frameChangesMergeIntoOneStep();
    void undoRefusedWhileBusy();
    void newCanvasIsAStep();
    void newCanvasIsUntitled();
    void historyIsBounded();
    void projectRoundTrip();
    void openLeavesOutMissingPhotos();
    void openRefusesDamagedFile_data();
    void openRefusesDamagedFile();
    void unsavedChangesOnClose_data();
    void unsavedChangesOnClose();

private:
    void makePhotos(const QTemporaryDir &dir, int n);
    static void settle(MainWindow &window);
    // Answers the next message box with `button` and keeps its text.
    static void answerNextBox(MainWindow &window, QMessageBox::StandardButton button,
                              QString *text);
    unsigned nextSeed = 100;
};

// Every window starts from the defaults: choices one test makes are remembered.
void TestDocument::init()
{
    QSettings().clear();
}

void TestDocument::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
}

void TestDocument::makePhotos(const QTemporaryDir &dir, int n)
{
    for (int i = 0; i < n; ++i) {
        // Shapes and colours differ, so another layout gives other pixels.
        QImage image(i % 3 ? QSize(90, 60) : QSize(50, 80), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 29 % 360, 220, 230));
        QVERIFY(image.save(dir.filePath(QStringLiteral("d%1.jpg").arg(i, 2, 10, QLatin1Char('0'))),
                           "JPG", 92));
    }
}

void TestDocument::settle(MainWindow &window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.busy(), 30000);
}

void TestDocument::answerNextBox(MainWindow &window, QMessageBox::StandardButton button,
                                 QString *text)
{
    QTimer::singleShot(0, &window, [&window, button, text] {
        auto *box = window.findChild<QMessageBox *>();
        if (!box)
            return;
        if (text)
            *text = box->text();
        box->button(button)->click();
    });
}

// Shuffle twice, undo twice: the first collage is back, pixel for pixel, without a layout.
void TestDocument::undoShufflesRestoresPixels()
{
    QTemporaryDir dir;
    makePhotos(dir, 12);
    MainWindow window;
    window.seedSource = [this] { return nextSeed++; };
    QSignalSpy layouts(&window.autoThread, &AutoThread::layoutReady);
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    const QImage first = window.scene->photoLayer();
    const CollageDocument firstDocument = window.document;
    QCOMPARE(window.undoAct->text(), QStringLiteral("&Undo Add Photos"));

    window.shuffle();
    settle(window);
    const QImage second = window.scene->photoLayer();
    window.shuffle();
    settle(window);
    QVERIFY(window.scene->photoLayer() != second);
    QCOMPARE(window.undoAct->text(), QStringLiteral("&Undo Shuffle"));
    QCOMPARE(layouts.count(), 3);

    window.undoAct->trigger();
    settle(window);
    QCOMPARE(window.scene->photoLayer(), second);
    window.undoAct->trigger();
    settle(window);
    QCOMPARE(window.scene->photoLayer(), first);
    QCOMPARE(window.document, firstDocument);
    QCOMPARE(layouts.count(), 3); // the trees came from the steps

    window.redoAct->trigger();
    settle(window);
    QCOMPARE(window.scene->photoLayer(), second);
    QCOMPARE(window.redoAct->text(), QStringLiteral("&Redo Shuffle"));
}

// A run of slider moves is one step; a background change is another.
void TestDocument::frameChangesMergeIntoOneStep()
{
    QTemporaryDir dir;
    makePhotos(dir, 4);
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    const QImage plain = window.scene->photoLayer();
    const int steps = window.undoStack->count();

    for (int margin : {4, 8, 20})
        window.setFrameParams(margin, 10);
    settle(window);
    window.setBackground(QColor(20, 40, 200, 120));
    QCOMPARE(window.undoStack->count(), steps + 2);
    QCOMPARE(qAlpha(window.scene->photoLayer().pixel(5, 5)), 0);

    window.undoAct->trigger();
    QCOMPARE(window.document.background, QColor(Qt::white));
    QCOMPARE(window.scene->backColor(), QColor(Qt::white));
    QCOMPARE(window.undoAct->text(), QStringLiteral("&Undo Frame Change"));
    window.undoAct->trigger();
    settle(window);
    QCOMPARE(window.document.frame, FrameSettings());
    QCOMPARE(window.scene->photoLayer(), plain);
}

void TestDocument::undoRefusedWhileBusy()
{
    QTemporaryDir dir;
    makePhotos(dir, 6);
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    window.shuffle();
    QVERIFY(window.busy());
    QVERIFY(!window.undoAct->isEnabled());
    QVERIFY(!window.redoAct->isEnabled());
    window.setBackground(Qt::black); // a step while busy leaves undo off
    QVERIFY(!window.undoAct->isEnabled());
    settle(window);
    QVERIFY(window.undoAct->isEnabled());
    // The shuffle's step comes after the background's, and keeps the black background.
    QCOMPARE(window.undoAct->text(), QStringLiteral("&Undo Shuffle"));
    window.undoAct->trigger();
    settle(window);
    QCOMPARE(window.document.background, QColor(Qt::black));
}

void TestDocument::newCanvasIsAStep()
{
    QTemporaryDir dir;
    makePhotos(dir, 3);
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    const QImage layer = window.scene->photoLayer();
    window.applyNewCanvas(QSize(1795, 1205));
    QVERIFY(window.document.photos.isEmpty());
    QCOMPARE(window.scene->canvasSize(), QSize(1200, 805));
    QCOMPARE(window.undoAct->text(), QStringLiteral("&Undo New Canvas"));

    window.undoAct->trigger();
    settle(window);
    QCOMPARE(window.document.photos.size(), 3);
    QCOMPARE(window.scene->canvasSize(), QSize(800, 600));
    QCOMPARE(window.scene->photoLayer(), layer);
}

// Save Project after New Canvas must not put the empty canvas over the project it replaced.
void TestDocument::newCanvasIsUntitled()
{
    QTemporaryDir dir;
    makePhotos(dir, 3);
    const QString path = dir.filePath("kept.vellomir");
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    QVERIFY(window.writeProject(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    window.applyNewCanvas(QSize(1795, 1205));
    QCOMPARE(window.windowTitle(), QStringLiteral("Vellomir 0.1.03"));
    QCOMPARE(window.statusWidget->countLabel->text(), QStringLiteral("No photos"));
    bool asked = false;
    QTimer::singleShot(0, &window, [&] {
        if (auto *dialog = window.findChild<QFileDialog *>()) {
            asked = true;
            dialog->reject();
        }
    });
    QVERIFY(!window.saveProject());
    QVERIFY(asked);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestDocument::historyIsBounded()
{
    MainWindow window;
    for (int i = 0; i < 130; ++i)
        window.setBackground(QColor::fromHsv(i, 100, 100));
    QCOMPARE(window.undoStack->count(), 100);
}

void TestDocument::projectRoundTrip()
{
    QTemporaryDir dir;
    makePhotos(dir, 9);
    const QString path = dir.filePath("trip.vellomir");
    QImage saved;
    {
        MainWindow window;
        window.addAndLayOut(scanPhotoFolder(dir.path()));
        settle(window);
        window.setFrameType(2);
        window.setBackground(QColor(10, 20, 30));
        settle(window);
        QVERIFY(!window.undoStack->isClean());
        QVERIFY(window.writeProject(path));
        QVERIFY(!window.isWindowModified());
        QCOMPARE(window.windowTitle(), QStringLiteral("trip[*] \u2014 Vellomir 0.1.03"));
        window.setBackground(Qt::darkRed);
        QVERIFY(window.isWindowModified()); // the open project has unsaved changes
        QVERIFY(window.writeProject(path));
        saved = window.scene->renderCanvas();
    }
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Vellomir 0.1.03"));
    QSignalSpy layouts(&window.autoThread, &AutoThread::layoutReady);
    QVERIFY(window.openProject(path));
    settle(window);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(window.scene->renderCanvas(), saved);
    QCOMPARE(window.undoStack->count(), 0);
    QVERIFY(!window.isWindowModified());
    QCOMPARE(window.recentProjects.value(0), QFileInfo(path).absoluteFilePath());
}

void TestDocument::openLeavesOutMissingPhotos()
{
    QTemporaryDir dir;
    makePhotos(dir, 5);
    const QString path = dir.filePath("gap.vellomir");
    {
        MainWindow window;
        window.addAndLayOut(scanPhotoFolder(dir.path()));
        settle(window);
        QVERIFY(window.writeProject(path));
    }
    QVERIFY(QFile::remove(dir.filePath("d03.jpg")));
    MainWindow window;
    QString text;
    answerNextBox(window, QMessageBox::Ok, &text);
    QVERIFY(window.openProject(path));
    QVERIFY2(text.contains(QLatin1String("d03.jpg")), qPrintable(text));
    settle(window);
    QCOMPARE(window.document.photos.size(), 4);
    QVERIFY(window.document.hasLayout());
    QCOMPARE(window.document.layout.photoCount(), 4);
    // Every cell still shows a photo: no hole where the missing one was.
    const QImage layer = window.scene->photoLayer();
    for (int y = 10; y < layer.height(); y += 40)
        for (int x = 10; x < layer.width(); x += 40)
            QCOMPARE(qAlpha(layer.pixel(x, y)), 255);
}

void TestDocument::openRefusesDamagedFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n");
    QTest::newRow("another format") << QByteArray(R"({"format": "other", "version": 1})");
    QTest::newRow("newer version") << QByteArray(R"({"format": "vellomir-project", "version": 9})");
}

void TestDocument::openRefusesDamagedFile()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    makePhotos(dir, 3);
    const QString path = dir.filePath("bad.vellomir");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    MainWindow window;
    window.addAndLayOut(scanPhotoFolder(dir.path()));
    settle(window);
    const CollageDocument before = window.document;
    QString text;
    answerNextBox(window, QMessageBox::Ok, &text);
    QVERIFY(!window.openProject(path));
    QVERIFY2(text.contains(QLatin1String("bad.vellomir")), qPrintable(text));
    QCOMPARE(window.document, before);
    QCOMPARE(window.windowTitle(), QStringLiteral("Vellomir 0.1.03"));
}

void TestDocument::unsavedChangesOnClose_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("cancel") << QMessageBox::Cancel << false;
    QTest::newRow("discard") << QMessageBox::Discard << true;
}

void TestDocument::unsavedChangesOnClose()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(bool, closed);
    MainWindow window;
    window.show();
    QVERIFY(window.close()); // nothing to lose yet
    window.show();
    window.setBackground(Qt::red);
    QString text;
    answerNextBox(window, answer, &text);
    QCOMPARE(window.close(), closed);
    QVERIFY(!text.isEmpty());
    QCOMPARE(window.isVisible(), !closed);
    QCOMPARE(window.document.background, QColor(Qt::red));
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
