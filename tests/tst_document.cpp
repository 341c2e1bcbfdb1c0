#include "canvasscene.h"
#include "collagedocument.h"
#include "mainwindow.h"
#include "photoscan.h"
#include "projectcontroller.h"
#include "settingsstore.h"
#include "translation.h"
#include "windowparts.h"

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

// The collage as a document in the window: the history's actions, project files with their
// dialogs and messages, and the question about unsaved changes.
class TestDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void undoRefusedWhileBusy();
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

// Idle, with what the analysis found in the photos in the document.
void TestDocument::settle(MainWindow &window)
{
    const CollageSession &session = window.session();
    QTRY_VERIFY_WITH_TIMEOUT(!session.busy() && !session.analysing() && !session.drawing(), 30000);
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

void TestDocument::undoRefusedWhileBusy()
{
    QTemporaryDir dir;
    makePhotos(dir, 6);
    MainWindow window;
    window.addPaths({dir.path()});
    settle(window);
    window.session().shuffle();
    QVERIFY(window.session().busy());
    QVERIFY(!parts::undo(window)->isEnabled());
    QVERIFY(!parts::redo(window)->isEnabled());
    window.session().setBackground(Qt::black); // a step while busy leaves undo off
    QVERIFY(!parts::undo(window)->isEnabled());
    settle(window);
    QVERIFY(parts::undo(window)->isEnabled());
    // The shuffle's step comes after the background's, and keeps the black background.
    QCOMPARE(parts::undo(window)->text(), QStringLiteral("&Undo Shuffle"));
    parts::undo(window)->trigger();
    settle(window);
    QCOMPARE(window.session().document().background, QColor(Qt::black));
}

// Save Project As through its dialog: the title names the project and marks unsaved changes,
// Save Project writes it again without asking, and the project opens as it was saved.
void TestDocument::projectRoundTrip()
{
    QTemporaryDir dir;
    makePhotos(dir, 9);
    const QString path = dir.filePath("trip.vellomir");
    QImage saved;
    {
        MainWindow window;
        CollageSession &session = window.session();
        window.addPaths({dir.path()});
        settle(window);
        session.setFrameType(FrameType::Rounded);
        session.setBackground(QColor(10, 20, 30));
        settle(window);
        QVERIFY(session.isModified());
        QTimer::singleShot(0, &window, [&window, path] {
            if (auto *dialog = window.findChild<QFileDialog *>()) {
                dialog->selectFile(path);
                static_cast<QDialog *>(dialog)->accept();
            }
        });
        QVERIFY(window.projects().saveProjectAs());
        QCOMPARE(window.projects().projectPath(), QFileInfo(path).absoluteFilePath());
        QVERIFY(!window.isWindowModified());
        QCOMPARE(window.windowTitle(), QStringLiteral("trip[*] \u2014 Vellomir 0.1.03"));
        session.setBackground(Qt::darkRed);
        QVERIFY(window.isWindowModified()); // the open project has unsaved changes
        QVERIFY(window.projects().saveProject());
        QVERIFY(!window.isWindowModified());
        saved = window.canvasScene()->renderCanvas();
    }
    MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Vellomir 0.1.03[*]"));
    QSignalSpy layouts(&window.session(), &CollageSession::layoutFinished);
    QVERIFY(window.openProject(path));
    settle(window);
    QCOMPARE(layouts.count(), 0);
    QCOMPARE(window.canvasScene()->renderCanvas(), saved);
    QCOMPARE(window.session().undoStack()->count(), 0);
    QVERIFY(!window.isWindowModified());
    QCOMPARE(SettingsStore().recentProjects().value(0), QFileInfo(path).absoluteFilePath());
}

void TestDocument::openLeavesOutMissingPhotos()
{
    QTemporaryDir dir;
    makePhotos(dir, 5);
    const QString path = dir.filePath("gap.vellomir");
    {
        MainWindow window;
        window.addPaths({dir.path()});
        settle(window);
        QVERIFY(window.session().saveProject(path));
    }
    QVERIFY(QFile::remove(dir.filePath("d03.jpg")));
    MainWindow window;
    QString text;
    answerNextBox(window, QMessageBox::Ok, &text);
    QVERIFY(window.openProject(path));
    QVERIFY2(text.contains(QLatin1String("d03.jpg")), qPrintable(text));
    settle(window);
    QCOMPARE(window.session().document().photos.size(), 4);
    QVERIFY(window.session().document().hasLayout());
    QCOMPARE(window.session().document().layout.photoCount(), 4);
    // Every cell still shows a photo: no hole where the missing one was.
    const QImage layer = window.canvasScene()->photoLayer();
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
    window.addPaths({dir.path()});
    settle(window);
    const CollageDocument before = window.session().document();
    QString text;
    answerNextBox(window, QMessageBox::Ok, &text);
    QVERIFY(!window.openProject(path));
    QVERIFY2(text.contains(QLatin1String("bad.vellomir")), qPrintable(text));
    QCOMPARE(window.session().document(), before);
    QCOMPARE(window.windowTitle(), QStringLiteral("Vellomir 0.1.03[*]"));
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
    window.session().setBackground(Qt::red);
    QString text;
    answerNextBox(window, answer, &text);
    QCOMPARE(window.close(), closed);
    QVERIFY(!text.isEmpty());
    QCOMPARE(window.isVisible(), !closed);
    QCOMPARE(window.session().document().background, QColor(Qt::red));
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
