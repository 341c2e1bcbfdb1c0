#include "collagerender.h"
#include "collagesession.h"
#include "recovery.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLockFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

// Recovery files: written after each change, offered once their process is gone, restored
// exactly, and gone once the collage is saved or closed.
class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void restoresTheLastStep_data();
    void restoresTheLastStep();
    void goneWhenSavedOrClosed_data();
    void goneWhenSavedOrClosed();
    void onlyFilesWithoutALivingOwner();
    void damagedFileIsSetAside_data();
    void damagedFileIsSetAside();

private:
    static QStringList cellsOf(const CollageDocument &document)
    {
        QStringList cells;
        for (const RenderCell &cell : collectLeaves(document.layout.tree()))
            cells << QStringLiteral("%1:%2,%3,%4x%5")
                         .arg(cell.img)
                         .arg(cell.rect.x())
                         .arg(cell.rect.y())
                         .arg(cell.rect.width())
                         .arg(cell.rect.height());
        return cells;
    }
    // Idle, with the photos' content boxes found: they belong to every step that is compared.
    static bool settled(const CollageSession &session)
    {
        return QTest::qWaitFor(
            [&session] { return !session.busy() && !session.analysing() && !session.drawing(); },
            30000);
    }
    // A session with `count` photos laid out, writing its recovery files into `folder`.
    bool makeCollage(CollageSession &session, const QString &folder, int count = 4);

    QTemporaryDir dir;
};

void TestRecovery::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    for (int i = 0; i < 6; ++i) {
        QImage image(i % 2 ? QSize(60, 40) : QSize(40, 60), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 60, 200, 200));
        QVERIFY(image.save(dir.filePath(QStringLiteral("photo%1.jpg").arg(i))));
    }
}

bool TestRecovery::makeCollage(CollageSession &session, const QString &folder, int count)
{
    session.setRecoveryFolder(folder);
    session.setSeedSource([] { return 7u; });
    QStringList files;
    for (int i = 0; i < count; ++i)
        files << dir.filePath(QStringLiteral("photo%1.jpg").arg(i));
    session.addPaths(files);
    return settled(session) && session.document().hasLayout();
}

// A crash after any kind of step: the recovery file gives back the collage of that step,
// modified, under its project's name.
void TestRecovery::restoresTheLastStep_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("asProject");
    QTest::newRow("layout") << "layout" << false;
    QTest::newRow("swap") << "swap" << false;
    QTest::newRow("frame, saved project") << "frame" << true;
    QTest::newRow("remove, saved project") << "remove" << true;
}

void TestRecovery::restoresTheLastStep()
{
    QFETCH(QString, step);
    QFETCH(bool, asProject);
    const QString folder = dir.filePath(QStringLiteral("restore-") + QTest::currentDataTag());
    const QString project = dir.filePath(QStringLiteral("saved.vellomir"));
    CollageDocument expected;
    QString written;
    {
        CollageSession crashed;
        QVERIFY(makeCollage(crashed, folder));
        if (asProject)
            QVERIFY(crashed.saveProject(project));
        if (step == "swap")
            crashed.swapPhotos(0, 2);
        else if (step == "frame")
            crashed.setFrame(FrameSettings {FrameType::Rounded, 6, 12});
        else if (step == "remove")
            crashed.removePhoto(1);
        QVERIFY(settled(crashed));
        expected = crashed.document();
        written = crashed.flushRecovery();
        QVERIFY(QFile::exists(written));
        // As a crash leaves it: the file stays, and its lock has no living owner.
        QFile copy(written);
        QVERIFY(copy.copy(written + QStringLiteral(".kept")));
    }
    QVERIFY(!QFile::exists(written)); // a clean end takes its file away
    QVERIFY(QFile::rename(written + QStringLiteral(".kept"), written));

    const QList<RecoveredCollage> left = RecoveryFile::leftBehind(folder);
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().projectPath,
             asProject ? QFileInfo(project).absoluteFilePath() : QString());
    CollageSession restored;
    restored.setRecoveryFolder(folder);
    const Result<ProjectOpening> opening = restored.restoreRecovery(left.first());
    QVERIFY2(opening, qPrintable(opening.error()));
    QVERIFY(settled(restored));
    // The same collage: the same photos, appearance and seed, every photo in the same cell.
    CollageDocument got = restored.document();
    QCOMPARE(cellsOf(got), cellsOf(expected));
    got.layout = expected.layout;
    QVERIFY(got == expected);
    QVERIFY(restored.isModified());
    QCOMPARE(restored.projectPath(), left.first().projectPath);
    // Kept until the collage is saved: a second crash right now loses nothing.
    QCOMPARE(restored.flushRecovery(), written);
    QVERIFY(QFile::exists(written));
    QVERIFY(RecoveryFile::leftBehind(folder).isEmpty()); // this process owns it now
}

void TestRecovery::goneWhenSavedOrClosed_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("saved") << "saved";
    QTest::newRow("undone to the saved state") << "undone";
    QTest::newRow("closed") << "closed";
}

void TestRecovery::goneWhenSavedOrClosed()
{
    QFETCH(QString, end);
    const QString folder = dir.filePath(QStringLiteral("gone-") + QTest::currentDataTag());
    QString written;
    {
        CollageSession session;
        QVERIFY(makeCollage(session, folder));
        written = session.flushRecovery();
        QVERIFY(QFile::exists(written));
        if (end == "saved") {
            QVERIFY(session.saveProject(dir.filePath(QStringLiteral("gone.vellomir"))));
            QVERIFY(session.flushRecovery().isEmpty());
            QVERIFY(!QFile::exists(written));
        } else if (end == "undone") {
            QVERIFY(session.saveProject(dir.filePath(QStringLiteral("gone.vellomir"))));
            session.setBackground(Qt::red);
            QVERIFY(!session.flushRecovery().isEmpty());
            session.undo();
            QVERIFY(session.flushRecovery().isEmpty());
        }
    }
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
}

// A file whose lock a living process holds is being written: it is not offered. One whose
// lock is gone, or was left by a dead process, is.
void TestRecovery::onlyFilesWithoutALivingOwner()
{
    const QString folder = dir.filePath(QStringLiteral("owners"));
    QVERIFY(QDir().mkpath(folder));
    const QString held = QDir(folder).filePath(QStringLiteral("1-held.recovery"));
    const QString free = QDir(folder).filePath(QStringLiteral("2-free.recovery"));
    for (const QString &name : {held, free}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{}");
    }
    QLockFile lock(held + QStringLiteral(".lock"));
    QVERIFY(lock.tryLock(0));
    const QList<RecoveredCollage> left = RecoveryFile::leftBehind(folder);
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().fileName, free);
}

void TestRecovery::damagedFileIsSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n\x1a\n", 8);
    QTest::newRow("no document") << QByteArray(R"({"project": "", "folder": "/"})");
    QTest::newRow("document of the wrong kind")
        << QByteArray(R"({"project": "", "folder": "/", "document": [1, 2]})");
    QTest::newRow("broken document")
        << QByteArray(R"({"project": 3, "folder": "/", "document": {"photos": 7}})");
}

void TestRecovery::damagedFileIsSetAside()
{
    QFETCH(QByteArray, bytes);
    const QString folder = dir.filePath(QStringLiteral("damaged-") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    const QString name = QDir(folder).filePath(QStringLiteral("99-untitled.recovery"));
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    const QList<RecoveredCollage> left = RecoveryFile::leftBehind(folder);
    QCOMPARE(left.size(), 1);
    CollageSession session;
    session.setRecoveryFolder(folder);
    const Result<ProjectOpening> opening = session.restoreRecovery(left.first());
    QVERIFY(!opening);
    QVERIFY(!opening.error().isEmpty());
    QVERIFY(session.document().photos.isEmpty());
    // Offered once: the file is kept aside for whoever wants to look at it.
    QVERIFY(RecoveryFile::leftBehind(folder).isEmpty());
    QVERIFY(QFile::exists(name + QStringLiteral(".damaged")));
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
