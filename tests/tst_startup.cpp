#include "layoutrun.h"
#include "mainwindow.h"
#include "photoloader.h"
#include "projectfile.h"
#include "startup.h"
#include "translation.h"

#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

// What the desktop entry's %F hands the window at start.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sorting_data();
    void sorting();
    void photosAddedAsDropped();
    void projectOpened();

private:
    QTemporaryDir dir;
    QString writePhoto(const QString &name, QSize size);
};

void TestStartup::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setApplicationIdentity();
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
}

QString TestStartup::writePhoto(const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    const QString path = dir.filePath(name);
    return image.save(path, "JPEG") ? path : QString();
}

void TestStartup::sorting_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("project");
    QTest::addColumn<QStringList>("photos");

    const QString here = QDir::currentPath() + QLatin1Char('/');
    QTest::newRow("nothing") << QStringList() << QString() << QStringList();
    QTest::newRow("photos in order")
        << QStringList {"/p/b.jpg", "/p/a.JPG", "/p/folder"} << QString()
        << QStringList {"/p/b.jpg", "/p/a.JPG", "/p/folder"};
    QTest::newRow("relative") << QStringList {"c.jpg", "sub/x.vellomir"} << here + "sub/x.vellomir"
                              << QStringList();
    QTest::newRow("project wins") << QStringList {"/p/a.jpg", "/p/one.vellomir", "/p/b.jpg"}
                                  << "/p/one.vellomir" << QStringList();
    QTest::newRow("first project")
        << QStringList {"/p/one.VELLOMIR", "/p/two.vellomir"} << "/p/one.VELLOMIR" << QStringList();
    QTest::newRow("file uri") << QStringList {"file:///p/with%20space.jpg"} << QString()
                              << QStringList {"/p/with space.jpg"};
    QTest::newRow("suffix only in folder") << QStringList {"/p/x.vellomir/photo.jpg"} << QString()
                                           << QStringList {"/p/x.vellomir/photo.jpg"};
    QTest::newRow("empty argument")
        << QStringList {QString(), "/p/a.jpg"} << QString() << QStringList {"/p/a.jpg"};
}

void TestStartup::sorting()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, project);
    QFETCH(QStringList, photos);

    const StartupFiles files = startupFiles(arguments);
    QCOMPARE(files.project, project);
    QStringList paths;
    for (const QUrl &url : files.photos) {
        QVERIFY(url.isLocalFile());
        paths << url.toLocalFile();
    }
    QCOMPARE(paths, photos);
}

void TestStartup::photosAddedAsDropped()
{
    const QString a = writePhoto(QStringLiteral("a.jpg"), QSize(64, 48));
    const QString b = writePhoto(QStringLiteral("b.jpg"), QSize(48, 64));
    QVERIFY(!a.isEmpty() && !b.isEmpty());
    QFile text(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.close();

    MainWindow window;
    QUndoStack *history = window.session().undoStack();
    QVERIFY(history);
    QSignalSpy steps(history, &QUndoStack::indexChanged);
    openStartupFiles(window, startupFiles({a, text.fileName(), b}));
    QVERIFY(steps.wait(30000));
    QCOMPARE(history->count(), 1);
    QVERIFY(!history->isClean());
}

void TestStartup::projectOpened()
{
    CollageDocument document;
    QList<QSize> sizes;
    for (const QString &name : {QStringLiteral("p1.jpg"), QStringLiteral("p2.jpg")}) {
        const std::optional<PhotoRecord> record = createPhotoRecord(writePhoto(name, {60, 40}));
        QVERIFY(record);
        document.photos << *record;
        sizes << record->size;
    }
    document.canvasSize = document.requestedSize = QSize(300, 200);
    document.layout = runLayout(sizes, document.canvasSize, 7);
    const QString path = dir.filePath(QStringLiteral("holiday.vellomir"));
    QVERIFY(writeProjectFile(document, path));

    MainWindow window;
    openStartupFiles(window, startupFiles({path, dir.filePath(QStringLiteral("p1.jpg"))}));
    QVERIFY2(window.windowTitle().startsWith(QLatin1String("holiday[*]")),
             qPrintable(window.windowTitle()));
    QCOMPARE(window.session().undoStack()->count(), 0);
    QVERIFY(!window.isWindowModified());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
