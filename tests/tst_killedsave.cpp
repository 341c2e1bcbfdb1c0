#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <memory>
#include <sys/resource.h>

// A project save killed at any point leaves the project as it was or as it was being saved,
// never anything between, with room on the disk and without.
class TestKilledSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killed_data();
    void killed();

private:
    // The process of a row: vellomir-collage making the collage and its project, or the
    // window's save, again and again, from `newProject` onto `target`.
    QProcess *start(bool window, const QString &target, qint64 fileLimit);
    QTemporaryDir dir;
    QStringList photos;
    QByteArray oldProject;
    QByteArray newProject;
    qint64 collageBytes = 0;
};

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

static bool put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void TestKilledSave::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    for (int i = 0; i < 60; ++i) {
        QImage image(i % 2 ? QSize(64, 48) : QSize(48, 64), QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i * 6, 200, 220));
        photos << dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        QVERIFY(image.save(photos.last()));
    }
    // Two projects of the same photos laid out from other seeds: the old one on disk, and the
    // new one every save writes.
    for (const char *seed : {"1", "2"}) {
        const QString project = dir.filePath(QStringLiteral("seed%1.vellomir").arg(seed));
        QProcess tool;
        tool.start(QStringLiteral(VELLOMIR_COLLAGE),
                   QStringList {"--quiet", "--size", "100x100", "--seed", seed, "-o",
                                dir.filePath("reference.jpg"), "--save-project", project}
                       + photos);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
    }
    oldProject = contents(dir.filePath("seed1.vellomir"));
    newProject = contents(dir.filePath("seed2.vellomir"));
    QVERIFY(!oldProject.isEmpty() && !newProject.isEmpty() && oldProject != newProject);
    collageBytes = QFileInfo(dir.filePath("reference.jpg")).size();
    QVERIFY(collageBytes < std::min(oldProject.size(), newProject.size()));
}

QProcess *TestKilledSave::start(bool window, const QString &target, qint64 fileLimit)
{
    auto *process = new QProcess(this);
    // A file-size limit fails the writes as a full disk does.
    process->setChildProcessModifier([fileLimit] {
        std::signal(SIGXFSZ, SIG_IGN);
        if (fileLimit > 0) {
            rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(fileLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
    });
    if (window)
        process->start(QStringLiteral(PROJECT_SAVER),
                       {dir.filePath("seed2.vellomir"), target, QStringLiteral("50")});
    else
        process->start(QStringLiteral(VELLOMIR_COLLAGE),
                       QStringList {"--quiet", "--size", "100x100", "--seed", "2", "-o",
                                    dir.filePath("killed.jpg"), "--save-project", target}
                           + photos);
    return process;
}

void TestKilledSave::killed_data()
{
    QTest::addColumn<bool>("window");
    QTest::addColumn<bool>("full");
    QTest::newRow("vellomir-collage") << false << false;
    QTest::newRow("vellomir-collage, full disk") << false << true;
    QTest::newRow("window's save") << true << false;
    QTest::newRow("window's save, full disk") << true << true;
}

void TestKilledSave::killed()
{
    QFETCH(bool, window);
    QFETCH(bool, full);
    const QString target = dir.filePath(QStringLiteral("target.vellomir"));
    // Room for the collage, not for the project.
    const qint64 limit = full ? (collageBytes + newProject.size()) / 2 : 0;

    // Unkilled, to learn how long a run takes and what it leaves.
    QVERIFY(put(target, oldProject));
    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<QProcess> whole(start(window, target, limit));
    QVERIFY(whole->waitForFinished(60000));
    const qint64 duration = timer.elapsed();
    QCOMPARE(whole->exitCode(), full ? 2 : 0);
    QCOMPARE(contents(target), full ? oldProject : newProject);
    // The collage fits; it is the project that cannot be written.
    if (full && !window)
        QVERIFY(whole->readAllStandardError().contains("cannot write " + target.toUtf8()));

    int old = 0;
    int renewed = 0;
    for (quint32 seed = 1; seed <= 12; ++seed) {
        QVERIFY(put(target, oldProject));
        // From a third of the run, where the collage is drawn, to a little after its end.
        const qint64 delay = duration / 3 + QRandomGenerator(seed).bounded(duration * 4 / 5 + 1);
        std::unique_ptr<QProcess> process(start(window, target, limit));
        QVERIFY(process->waitForStarted());
        // The kill is meant to land at a point of the run picked by the seed.
        QThread::msleep(quint64(delay));
        process->kill();
        QVERIFY(process->waitForFinished(60000));
        const QByteArray left = contents(target);
        QVERIFY2(left == oldProject || (!full && left == newProject),
                 qPrintable(QStringLiteral("seed %1, killed after %2 ms: %3 bytes")
                                .arg(seed)
                                .arg(delay)
                                .arg(left.size())));
        ++(left == oldProject ? old : renewed);
    }
    qDebug() << "kept the old project" << old << "times, the new one" << renewed;
}

QTEST_GUILESS_MAIN(TestKilledSave)

#include "tst_killedsave.moc"
