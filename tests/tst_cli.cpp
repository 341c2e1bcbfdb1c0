#include "facephotos.h"
#include "hostilefiles.h"
#include <QBuffer>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// `fileSizeLimit`, when not negative, fails the tool's writes past that many bytes in a file
// as a full disk fails them.
Run runTool(const QStringList &arguments, const QString &standardOutput = QString(),
            qint64 fileSizeLimit = -1)
{
    QProcess process;
    if (!standardOutput.isEmpty())
        process.setStandardOutputFile(standardOutput);
    if (fileSizeLimit >= 0)
        process.setChildProcessModifier([fileSizeLimit] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = rlim_t(fileSizeLimit);
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    process.start(QStringLiteral(VELLOMIR_COLLAGE), arguments);
    Run run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

QString orientationPhotos()
{
    return QStringLiteral(VELLOMIR_TEST_DATA "/exif-orientation");
}

QSize imageSize(const QString &path)
{
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.size();
}

bool writePhoto(const QString &path, const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path, "JPEG");
}

// A photo under a name given as bytes, which need not be valid in any encoding.
bool writePhotoBytes(const QByteArray &path, const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG"))
        return false;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// The share of a collage's pixels that are not the white background.
double photoShare(const QString &path)
{
    const QImage image(path);
    if (image.isNull())
        return 0.0;
    qint64 photo = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            photo += image.pixelColor(x, y).lightness() < 200;
    return double(photo) / (qint64(image.width()) * image.height());
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The share of a collage's pixels that stand out of the soft grey noise facephotos lays the
// face pictures on.
double pictureShare(const QString &path)
{
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return 0.0;
    qint64 picture = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            picture += std::abs(qRed(line[x]) - 125) > 30 || std::abs(qBlue(line[x]) - 135) > 30;
    }
    return double(picture) / (qint64(image.width()) * image.height());
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void badArguments_data();
    void badArguments();
    void informationOptions_data();
    void informationOptions();
    void listShowsUprightSizes();
    void listNamesTheFormat();
    void sameSeedSameFile();
    void traceOnlyWhenVerbose();
    void previewsComposeAsSaved();
    void outputSize_data();
    void outputSize();
    void pdfOutput();
    void corruptFileSkipped();
    void capsAtHundredPhotos();
    void unwritableOutput_data();
    void unwritableOutput();
    void projectOntoFullDisk();
    void outputsNameOneFile_data();
    void outputsNameOneFile();
    void projectOntoPipe_data();
    void projectOntoPipe();
    void projectRendersTheSameFile_data();
    void projectRendersTheSameFile();
    void projectRefits_data();
    void projectRefits();
    void damagedProject_data();
    void damagedProject();
    void projectWithoutUsablePhoto_data();
    void projectWithoutUsablePhoto();
    void projectOptions_data();
    void projectOptions();
    void duplicatesSkipped_data();
    void duplicatesSkipped();
    void folderLinksRead();
    void frameBounds_data();
    void frameBounds();
    void smallTilesKeepTheirPhotos_data();
    void smallTilesKeepTheirPhotos();
    void listToFullDevice();
    void listEscapesPaths_data();
    void listEscapesPaths();
    void undecodableNames_data();
    void undecodableNames();
    void undecodablePhotoLeftOut_data();
    void undecodablePhotoLeftOut();
    void damagedPhotoKept();
    void refusedWhenAdded_data();
    void refusedWhenAdded();
    void outputIsAPhoto_data();
    void outputIsAPhoto();
    void cropKeepsFaces_data();
    void cropKeepsFaces();
    void outputIsAnInputPassedOver_data();
    void outputIsAnInputPassedOver();

private:
    // A folder with one tall photo, its face near the top, composed once; empty when the
    // face pictures are not installed.
    QString portraitFolder();

    QTemporaryDir scratch;
};

void TestCli::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(scratch.isValid());
    // The tool keeps what it found in photos in its cache directory: the scratch's, never the
    // user's.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("cache"))));
    QVERIFY(QFile::exists(QStringLiteral(VELLOMIR_COLLAGE)));
}

void TestCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");

    const QString photos = orientationPhotos();
    const QString out = scratch.filePath(QStringLiteral("bad.jpg"));
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown option") << QStringList {"--bogus", photos, "-o", out};
    QTest::newRow("no output") << QStringList {photos};
    QTest::newRow("size without x") << QStringList {"--size", "1200", photos, "-o", out};
    QTest::newRow("size too small") << QStringList {"--size", "10x10", photos, "-o", out};
    QTest::newRow("size too large") << QStringList {"--size", "70000x500", photos, "-o", out};
    QTest::newRow("negative size") << QStringList {"--size", "-800x600", photos, "-o", out};
    QTest::newRow("frame name") << QStringList {"--frame", "oval", photos, "-o", out};
    QTest::newRow("negative margin") << QStringList {"--margin", "-1", photos, "-o", out};
    QTest::newRow("param not a number") << QStringList {"--param", "ten", photos, "-o", out};
    QTest::newRow("colour") << QStringList {"--background", "nocolour", photos, "-o", out};
    QTest::newRow("seed") << QStringList {"--seed", "-3", photos, "-o", out};
    QTest::newRow("crop") << QStringList {"--crop", "middle", photos, "-o", out};
    QTest::newRow("gif output") << QStringList {photos, "-o", scratch.filePath("c.gif")};
    QTest::newRow("missing photo")
        << QStringList {scratch.filePath(QStringLiteral("none.jpg")), "-o", out};
    QTest::newRow("empty folder") << QStringList {QDir::tempPath() + "/", "-o", out};
    const QString photo = photos + QStringLiteral("/Landscape_3.jpg");
    QTest::newRow("emphasis 3") << QStringList {"--emphasis", photo + "=3", photos, "-o", out};
    QTest::newRow("emphasis without a path") << QStringList {"--emphasis", "=2", photos, "-o", out};
    QTest::newRow("emphasis of no photo of the collage") << QStringList {
        "--emphasis", scratch.filePath(QStringLiteral("none.jpg=2")), photos, "-o", out};
    QTest::newRow("emphasis with --list")
        << QStringList {"--list", "--emphasis", photo + "=2", photos};
    QTest::newRow("list a project")
        << QStringList {"--list", "--project", scratch.filePath(QStringLiteral("p.vellomir"))};
    QTest::newRow("paper and size")
        << QStringList {"--paper", "A4", "--size", "800x600", photos, "-o", out};
    QTest::newRow("unknown paper") << QStringList {"--paper", "A9", photos, "-o", out};
    QTest::newRow("paper without unit") << QStringList {"--paper", "10x15", photos, "-o", out};
    QTest::newRow("paper past the largest canvas")
        << QStringList {"--paper", "A2", "--dpi", "600", photos, "-o", out};
    QTest::newRow("paper below the smallest canvas")
        << QStringList {"--paper", "0.5x0.5cm", photos, "-o", out};
    QTest::newRow("dpi too low") << QStringList {"--dpi", "10", photos, "-o", out};
    QTest::newRow("dpi not a number") << QStringList {"--dpi", "high", photos, "-o", out};
    QTest::newRow("bleed on a jpeg") << QStringList {"--bleed", "3", photos, "-o", out};
    QTest::newRow("bleed too large")
        << QStringList {"--bleed", "50", photos, "-o", scratch.filePath("bad.pdf")};
    QTest::newRow("bleed not a number")
        << QStringList {"--bleed", "nan", photos, "-o", scratch.filePath("bad.pdf")};
}

void TestCli::badArguments()
{
    QFETCH(QStringList, arguments);

    QDir().mkpath(scratch.filePath(QStringLiteral("empty")));
    if (QString(QTest::currentDataTag()) == QLatin1String("empty folder"))
        arguments[0] = scratch.filePath(QStringLiteral("empty"));
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(!run.err.trimmed().isEmpty());
    QVERIFY2(run.err.trimmed().count(QLatin1Char('\n')) <= 1, qPrintable(run.err));
    QVERIFY(!QFile::exists(scratch.filePath(QStringLiteral("bad.jpg"))));
    QVERIFY(!QFile::exists(scratch.filePath(QStringLiteral("bad.pdf"))));
}

void TestCli::informationOptions_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");

    QTest::newRow("help") << "--help"
                          << "--save-project <FILE>";
    QTest::newRow("short help") << "-h"
                                << "--save-project <FILE>";
    QTest::newRow("help with Qt's options") << "--help-all"
                                            << "-platform";
    QTest::newRow("version") << "--version"
                             << "vellomir-collage " VELLOMIR_VERSION "\n";
    QTest::newRow("short version") << "-v"
                                   << "vellomir-collage " VELLOMIR_VERSION "\n";
}

void TestCli::informationOptions()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);

    const Run run = runTool({option});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.out.contains(expected), qPrintable(run.out));
    QCOMPARE(run.err, QString());
}

void TestCli::listShowsUprightSizes()
{
    const Run run = runTool({QStringLiteral("--list"), orientationPhotos()});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 18);
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 5);
        QCOMPARE(fields[0], QStringLiteral("ok"));
        QCOMPARE(fields[4], QStringLiteral("jpeg"));
        const QString name = QFileInfo(fields[1]).completeBaseName();
        const bool landscape = name.startsWith(QLatin1String("Landscape"));
        QCOMPARE(fields[2], landscape ? QStringLiteral("225x150") : QStringLiteral("150x225"));
        // The _0 files carry no orientation and count as upright.
        const int tagged = name.section(QLatin1Char('_'), 1).toInt();
        QCOMPARE(fields[3].toInt(), tagged == 0 ? 1 : tagged);
    }
}

// The format comes from what a file holds: every photo here has another format's name.
void TestCli::listNamesTheFormat()
{
    const QString dir = scratch.filePath(QStringLiteral("formats"));
    QVERIFY(QDir().mkpath(dir));
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    const QList<QPair<QString, QByteArray>> files {{"a.png", hostile::encoded(picture, "jpg")},
                                                   {"b.TIF", hostile::encoded(picture, "png")},
                                                   {"c.jpg", hostile::encoded(picture, "webp")},
                                                   {"d.webp", hostile::encoded(picture, "tiff")}};
    for (const auto &[name, bytes] : files)
        QVERIFY(writeBytes(dir + QLatin1Char('/') + name, bytes));
    const Run run = runTool({QStringLiteral("--list"), dir});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("ok\t%1/a.png\t60x40\t1\tjpeg\n"
                                     "ok\t%1/b.TIF\t60x40\t1\tpng\n"
                                     "ok\t%1/c.jpg\t60x40\t1\twebp\n"
                                     "ok\t%1/d.webp\t60x40\t1\ttiff\n")
                          .arg(dir));
}

void TestCli::sameSeedSameFile()
{
    const QString first = scratch.filePath(QStringLiteral("first.jpg"));
    const QString second = scratch.filePath(QStringLiteral("second.jpg"));
    const QStringList options {"--seed",       "4242",    "--frame",          "scallop",
                               "--margin",     "4",       "--param",          "12",
                               "--background", "#336699", orientationPhotos()};
    const Run a = runTool(options + QStringList {"-o", first});
    const Run b = runTool(options + QStringList {"-o", second});
    QCOMPARE(a.exitCode, 0);
    QCOMPARE(b.exitCode, 0);
    QCOMPARE(a.out, QStringLiteral("seed 4242\n"));
    QFile fa(first);
    QFile fb(second);
    QVERIFY(fa.open(QIODevice::ReadOnly));
    QVERIFY(fb.open(QIODevice::ReadOnly));
    const QByteArray bytes = fa.readAll();
    QVERIFY(!bytes.isEmpty());
    QVERIFY(bytes == fb.readAll());
}

// Photos without EXIF previews come out the same with --previews: the photo layer it draws is
// composed over the background exactly as a collage is.
void TestCli::previewsComposeAsSaved()
{
    const QString plain = scratch.filePath(QStringLiteral("plain.png"));
    const QString previews = scratch.filePath(QStringLiteral("previews.png"));
    const QStringList options {"--seed",   "77",      "--frame",          "rounded",
                               "--margin", "3",       "--background",     "#80336699",
                               "--size",   "600x400", orientationPhotos()};
    QCOMPARE(runTool(options + QStringList {"-o", plain}).exitCode, 0);
    QCOMPARE(runTool(options + QStringList {"--previews", "-o", previews}).exitCode, 0);
    const QImage a(plain);
    QVERIFY(!a.isNull());
    QCOMPARE(QImage(previews), a);
}

void TestCli::traceOnlyWhenVerbose()
{
    const QString out = scratch.filePath(QStringLiteral("trace.jpg"));
    const QStringList options {"--seed", "9", orientationPhotos(), "-o", out};
    const Run plain = runTool(options);
    QCOMPARE(plain.exitCode, 0);
    QCOMPARE(plain.out, QStringLiteral("seed 9\n"));
    QCOMPARE(plain.err, QString());

    const Run verbose = runTool(options + QStringList {"--verbose"});
    QCOMPARE(verbose.exitCode, 0);
    QCOMPARE(verbose.out, QStringLiteral("seed 9\n"));
    QVERIFY(verbose.err.contains(QLatin1String(" obj: ")));

    const Run quiet = runTool(options + QStringList {"--quiet"});
    QCOMPARE(quiet.exitCode, 0);
    QCOMPARE(quiet.out, QString());
    QCOMPARE(quiet.err, QString());
}

void TestCli::outputSize_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("default") << QStringList() << "default.jpg" << QSize(1795, 1205);
    QTest::newRow("portrait") << QStringList {"--portrait"} << "portrait.jpg" << QSize(1205, 1795);
    QTest::newRow("given size") << QStringList {"--size", "640x480"} << "given.png"
                                << QSize(640, 480);
    QTest::newRow("given size, portrait") << QStringList {"--size", "640x480", "--portrait"}
                                          << "given-portrait.jpg" << QSize(480, 640);
    QTest::newRow("tall size stays tall")
        << QStringList {"--size", "300x500", "--portrait"} << "tall.jpg" << QSize(300, 500);
    QTest::newRow("no suffix") << QStringList {"--size", "400x300"} << "plain" << QSize(400, 300);
    QTest::newRow("paper, landscape")
        << QStringList {"--paper", "A5", "--dpi", "100"} << "a5.jpg" << QSize(827, 583);
    QTest::newRow("paper, portrait")
        << QStringList {"--paper", "10x15cm", "--portrait", "--dpi", "150"} << "photo.png"
        << QSize(591, 886);
    QTest::newRow("paper of any size")
        << QStringList {"--paper", "5x3in", "--dpi", "120"} << "inches.jpg" << QSize(600, 360);
}

void TestCli::outputSize()
{
    QFETCH(QStringList, options);
    QFETCH(QString, name);
    QFETCH(QSize, expected);

    const QString out = scratch.filePath(name);
    const Run run = runTool(options + QStringList {orientationPhotos(), "-o", out});
    QCOMPARE(run.exitCode, 0);
    const QString written = QFileInfo(out).suffix().isEmpty() ? out + ".jpg" : out;
    QCOMPARE(imageSize(written), expected);
    // The resolution asked for, or 300, goes into the file.
    const int dpi
        = options.contains("--dpi") ? options.at(options.indexOf("--dpi") + 1).toInt() : 300;
    QCOMPARE(qRound(QImage(written).dotsPerMeterX() * 0.0254), dpi);
}

// A PDF of a paper is that paper, its bleed around it, and carries the file's name as title.
void TestCli::pdfOutput()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("poppler-utils are not installed (scripts/deps.sh)");
    const QString out = scratch.filePath(QStringLiteral("trip.pdf"));
    const Run run = runTool({"--paper", "A5", "--dpi", "100", "--bleed", "3", "--quiet",
                             orientationPhotos(), "-o", out});
    QCOMPARE(run.exitCode, 0);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QStringLiteral("-box"), out});
    QVERIFY(info.waitForFinished(30000));
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    // A5 landscape is 595.28 x 419.53 pt; 3 mm at 100 dpi is 12 pixels, 8.64 pt.
    QVERIFY2(text.contains(QRegularExpression("TrimBox:\\s+8.64\\s+8.64\\s+603.92\\s+428.17")),
             qPrintable(text));
    QVERIFY2(text.contains(QRegularExpression("MediaBox:\\s+0.00\\s+0.00\\s+612.56\\s+436.81")),
             qPrintable(text));
    QVERIFY(text.contains(QRegularExpression("Title:\\s+trip\n")));
}

void TestCli::corruptFileSkipped()
{
    const QString dir = scratch.filePath(QStringLiteral("mixed"));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(writePhoto(dir + "/a.jpg", QSize(120, 80), Qt::red));
    QVERIFY(writePhoto(dir + "/c.JPEG", QSize(60, 90), Qt::blue));
    QFile corrupt(dir + "/b.jpg");
    QVERIFY(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArray("\xff\xd8\xff\xe0 this is not a photo", 24));
    corrupt.close();
    // Not a photo name: a folder passes it by.
    QVERIFY(QImage(10, 10, QImage::Format_RGB32).save(dir + "/d.bmp"));

    const Run list = runTool({QStringLiteral("--list"), dir});
    QCOMPARE(list.exitCode, 0);
    const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QLatin1String("ok\t")));
    QVERIFY(lines[1].startsWith(QLatin1String("skipped\t") + dir + "/b.jpg\t"));
    QVERIFY(lines[2].startsWith(QLatin1String("ok\t")));

    const QString out = scratch.filePath(QStringLiteral("mixed.png"));
    const Run run = runTool({"--size", "300x200", dir, "-o", out});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.contains(QLatin1String("b.jpg")));
    QCOMPARE(imageSize(out), QSize(300, 200));
    // Both good photos are in it: red and blue both show somewhere.
    const QImage image(out);
    bool red = false;
    bool blue = false;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            const QColor c = image.pixelColor(x, y);
            red = red || (c.red() > 200 && c.blue() < 60);
            blue = blue || (c.blue() > 200 && c.red() < 60);
        }
    }
    QVERIFY(red);
    QVERIFY(blue);
}

void TestCli::capsAtHundredPhotos()
{
    const QString dir = scratch.filePath(QStringLiteral("many"));
    QVERIFY(QDir().mkpath(dir));
    for (int i = 0; i < 103; ++i)
        QVERIFY(writePhoto(dir + QStringLiteral("/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')),
                           i % 2 ? QSize(40, 30) : QSize(30, 40), Qt::green));
    const QString out = scratch.filePath(QStringLiteral("many.jpg"));
    const Run run = runTool({"--size", "800x600", "--quiet", dir, "-o", out});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(QLatin1String("3 left out")), qPrintable(run.err));
    QCOMPARE(imageSize(out), QSize(800, 600));
}

void TestCli::unwritableOutput_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder") << "missing";
    QTest::newRow("folder in the way") << "folder";
    QTest::newRow("read-only folder") << "readonly";
}

void TestCli::unwritableOutput()
{
    QFETCH(QString, kind);

    const QString base = scratch.filePath(QStringLiteral("unwritable-") + kind);
    QVERIFY(QDir().mkpath(base));
    QString out;
    const QByteArray previous("an earlier collage");
    if (kind == QLatin1String("missing")) {
        out = base + "/no/such/folder/c.jpg";
    } else if (kind == QLatin1String("folder")) {
        out = base + "/c.jpg";
        QVERIFY(QDir().mkpath(out));
    } else {
        if (geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        out = base + "/c.jpg";
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(previous);
        file.close();
        QVERIFY(QFile::setPermissions(base, QFile::ReadOwner | QFile::ExeOwner));
    }

    const Run run = runTool({"--size", "300x200", orientationPhotos(), "-o", out});
    if (kind == QLatin1String("readonly"))
        QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(!run.err.trimmed().isEmpty());
    if (kind == QLatin1String("folder")) {
        QVERIFY(QFileInfo(out).isDir());
    } else if (kind == QLatin1String("readonly")) {
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), previous);
        QCOMPARE(QDir(base).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

// The collage fits, the project does not: the old project stays and the run fails.
void TestCli::projectOntoFullDisk()
{
    const QString base = scratch.filePath(QStringLiteral("full-disk"));
    const QString photos = base + QLatin1Char('/') + QString(200, QLatin1Char('p'));
    QVERIFY(QDir().mkpath(photos) && QDir().mkpath(base + "/out"));
    for (int i = 0; i < 3; ++i)
        QVERIFY(writePhoto(photos + QStringLiteral("/%1.jpg").arg(i), QSize(40, 30), Qt::red));
    const QString collage = base + "/out/c.png";
    const QString project = base + "/out/p.vellomir";
    const QStringList arguments {"--size", "100x100", "--quiet",        photos,
                                 "-o",     collage,   "--save-project", project};
    QCOMPARE(runTool(arguments + QStringList {"--seed", "1"}).exitCode, 0);
    const QByteArray before = contents(project);
    const qint64 collageBytes = QFileInfo(collage).size();
    QVERIFY2(before.size() > 2 * collageBytes, "the project must outgrow the collage");

    const Run run = runTool(arguments + QStringList {"--seed", "2"}, QString(),
                            (collageBytes + before.size()) / 2);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(project), qPrintable(run.err));
    QCOMPARE(contents(project), before);
}

void TestCli::outputsNameOneFile_data()
{
    QTest::addColumn<QString>("project"); // relative to the test's folder, the collage out.png
    QTest::newRow("same name") << "out.png";
    QTest::newRow("another spelling") << "sub/../out.png";
    QTest::newRow("link to the collage") << "link.png";
}

// The project would be written over the collage; refused before any photo is read.
void TestCli::outputsNameOneFile()
{
    QFETCH(QString, project);
    const QString dir = scratch.filePath(QStringLiteral("one-file-") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(dir + "/sub"));
    const QString out = dir + "/out.png";
    QVERIFY(writeBytes(out, "an earlier collage"));
    QVERIFY(QFile::link(out, dir + "/link.png"));
    const Run run = runTool({"--quiet", orientationPhotos(), "-o", out, "--save-project",
                             dir + QLatin1Char('/') + project});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String("same file")), qPrintable(run.err));
    QCOMPARE(contents(out), QByteArray("an earlier collage"));
}

void TestCli::projectOntoPipe_data()
{
    QTest::addColumn<bool>("throughLink");
    QTest::newRow("named pipe") << false;
    QTest::newRow("link to a named pipe") << true;
}

// Renamed over a pipe, the project would replace it with a regular file.
void TestCli::projectOntoPipe()
{
    QFETCH(bool, throughLink);
    const QString dir = scratch.filePath(QStringLiteral("project-pipe-%1").arg(throughLink));
    QVERIFY(QDir().mkpath(dir));
    const QString pipe = dir + "/pipe.vellomir";
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString project = throughLink ? dir + "/link.vellomir" : pipe;
    QVERIFY(!throughLink || QFile::link(pipe, project));
    const Run run = runTool(
        {"--quiet", orientationPhotos(), "-o", dir + "/out.png", "--save-project", project});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(QLatin1String("not a regular file")), qPrintable(run.err));
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(pipe).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    QVERIFY(!throughLink || QFileInfo(project).isSymLink());
}

void TestCli::projectRendersTheSameFile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("defaults") << QStringList {"--seed", "11"};
    QTest::newRow("translucent scallops") << QStringList {
        "--seed", "12",           "--frame",   "scallop", "--margin", "3",         "--param",
        "9",      "--background", "#80205080", "--size",  "900x700",  "--portrait"};
    QTest::newRow("centre crops") << QStringList {"--seed", "13", "--crop", "centre"};
}

// A collage written with its project, and the project rendered again, give the same bytes.
void TestCli::projectRendersTheSameFile()
{
    QFETCH(QStringList, options);
    const QString collage = scratch.filePath(QStringLiteral("made.png"));
    const QString project = scratch.filePath(QStringLiteral("made"));
    const QString again = scratch.filePath(QStringLiteral("again.png"));
    const Run made = runTool(
        options + QStringList {"--save-project", project, "-o", collage, orientationPhotos()});
    QCOMPARE(made.exitCode, 0);
    QVERIFY(QFile::exists(project + QStringLiteral(".vellomir")));
    // Automatic crops are stored with a box for every photo, also those that showed nothing,
    // so that no later analysis can move a tile of the collage written.
    const QJsonObject root
        = QJsonDocument::fromJson(contents(project + QStringLiteral(".vellomir"))).object();
    const bool centre = options.contains(QStringLiteral("centre"));
    // Centre crops are what a project without the key has always meant.
    QCOMPARE(root.value("cropMode").toString(), centre ? QString() : QString("auto"));
    for (const QJsonValue &photo : root.value("photos").toArray())
        QCOMPARE(photo.toObject().contains("content"), !centre);
    const Run rendered
        = runTool({"--project", project + QStringLiteral(".vellomir"), "-o", again, "--quiet"});
    QCOMPARE(rendered.exitCode, 0);
    QFile a(collage);
    QFile b(again);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QVERIFY(a.readAll() == b.readAll());

    const Run larger = runTool({"--project", project + QStringLiteral(".vellomir"), "--size",
                                "1000x1000", "-o", again, "--quiet"});
    QCOMPARE(larger.exitCode, 0);
    QCOMPARE(imageSize(again), QSize(1000, 1000));
}

void TestCli::projectRefits_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("requested"); // of the project saved
    QTest::addColumn<int>("sameTree"); // 1 or 0; -1: either
    QTest::addColumn<double>("emphasis"); // of Landscape_3.jpg
    QTest::newRow("to portrait") << QStringList {"--size", "800x1200"} << QSize(800, 1200) << 0
                                 << 1.0;
    QTest::newRow("larger, same shape")
        << QStringList {"--size", "2400x1600"} << QSize(2400, 1600) << 1 << 1.0;
    QTest::newRow("emphasis") << QStringList {"--emphasis",
                                              orientationPhotos() + "/./Landscape_3.jpg=4"}
                              << QSize(1200, 800) << -1 << 4.0;
}

// A project rendered at a size of another shape, or with new emphases, is refitted, the same
// way every time, and --save-project stores the refitted collage; at its own shape it is only
// scaled.
void TestCli::projectRefits()
{
    QFETCH(QStringList, options);
    const QString made = scratch.filePath(QStringLiteral("landscape.vellomir"));
    QCOMPARE(runTool({"--quiet", "--seed", "5", "--size", "1200x800", orientationPhotos(), "-o",
                      scratch.filePath(QStringLiteral("landscape.png")), "--save-project", made})
                 .exitCode,
             0);
    QStringList images;
    QList<QJsonObject> projects;
    for (const QString &run : {QStringLiteral("first"), QStringLiteral("second")}) {
        images << scratch.filePath(run + QStringLiteral(".png"));
        const QString saved = scratch.filePath(run + QStringLiteral(".vellomir"));
        const Run refit = runTool(
            QStringList {"--quiet", "--project", made, "-o", images.last(), "--save-project", saved}
            + options);
        QVERIFY2(refit.exitCode == 0, qPrintable(refit.err));
        projects << QJsonDocument::fromJson(contents(saved)).object();
    }
    QVERIFY(contents(images.at(0)) == contents(images.at(1)));
    QCOMPARE(projects.at(0), projects.at(1));
    const QJsonObject before = QJsonDocument::fromJson(contents(made)).object();
    const QJsonObject after = projects.at(0);
    const auto size = [](const QJsonValue &value) {
        return QSize(value[QLatin1String("width")].toInt(), value[QLatin1String("height")].toInt());
    };
    QTEST(size(after[QLatin1String("requested")]), "requested");
    QFETCH(int, sameTree);
    if (sameTree >= 0)
        QCOMPARE(after[QLatin1String("tree")] == before[QLatin1String("tree")], sameTree == 1);
    const QSize canvas = size(after[QLatin1String("canvas")]);
    QFETCH(QSize, requested);
    QVERIFY2(std::abs(canvas.width() * requested.height() - canvas.height() * requested.width())
                 <= requested.width() + requested.height(),
             qPrintable(QStringLiteral("%1x%2").arg(canvas.width()).arg(canvas.height())));
    double emphasis = 1;
    for (const QJsonValue &photo : after[QLatin1String("photos")].toArray()) {
        if (photo[QLatin1String("path")].toString().endsWith(QLatin1String("Landscape_3.jpg")))
            emphasis = photo[QLatin1String("emphasis")].toDouble(1);
    }
    QTEST(emphasis, "emphasis");
    QCOMPARE(imageSize(images.at(0)), requested);
}

void TestCli::projectWithoutUsablePhoto_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: a project whose photos are all gone
    QTest::newRow("photos all missing") << QByteArray();
    QTest::newRow("empty tree") << QByteArray(
        R"({"format": "vellomir-project", "version": 1, "canvas": {"width": 800, "height": 600},
            "requested": {"width": 800, "height": 600}, "background": "#ffffffff",
            "frame": {"type": 1, "margin": 0, "curve": 10}, "seed": 1, "photos": [],
            "tree": []})");
}

// Nothing to draw is no collage: an earlier one of that name stays.
void TestCli::projectWithoutUsablePhoto()
{
    QFETCH(QByteArray, bytes);
    const QString dir = scratch.filePath(QStringLiteral("no-usable-%1").arg(bytes.isEmpty()));
    QVERIFY(QDir().mkpath(dir));
    const QString project = dir + "/p.vellomir";
    if (bytes.isEmpty()) {
        const QString photo = dir + "/a.jpg";
        QVERIFY(writePhoto(photo, QSize(120, 80), Qt::red));
        QCOMPARE(runTool({"--quiet", photo, "-o", dir + "/first.png", "--save-project", project})
                     .exitCode,
                 0);
        QVERIFY(QFile::remove(photo));
    } else {
        QVERIFY(writeBytes(project, bytes));
    }
    const QString out = dir + "/out.png";
    QVERIFY(writeBytes(out, "an earlier collage"));
    const Run run = runTool({"--quiet", "--project", project, "-o", out});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QLatin1String("no usable photo")), qPrintable(run.err));
    QCOMPARE(contents(out), QByteArray("an earlier collage"));
}

void TestCli::projectOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("--quiet") << QStringList {"--quiet"} << 0;
    QTest::newRow("--background") << QStringList {"--background", "red"} << 1;
    QTest::newRow("--frame") << QStringList {"--frame", "rounded"} << 1;
    QTest::newRow("--margin") << QStringList {"--margin", "5"} << 1;
    QTest::newRow("--param") << QStringList {"--param", "5"} << 1;
}

// Quiet is quiet with a project too; the appearance options, which a project holds itself,
// are refused instead of silently ignored.
void TestCli::projectOptions()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    const QString dir = scratch.filePath(QStringLiteral("project-options"));
    QVERIFY(QDir().mkpath(dir));
    const QString project = dir + "/p.vellomir";
    // A photo far smaller than another has the engine tell how it lays it out larger.
    QVERIFY(writePhoto(dir + "/large.jpg", QSize(400, 300), Qt::red));
    QVERIFY(writePhoto(dir + "/small.jpg", QSize(40, 30), Qt::blue));
    if (!QFile::exists(project))
        QCOMPARE(runTool({"--quiet", dir + "/large.jpg", dir + "/small.jpg", "-o",
                          dir + "/first.png", "--save-project", project})
                     .exitCode,
                 0);
    const QString out = dir + "/out.png";
    QFile::remove(out);
    const Run run
        = runTool(QStringList {"--project", project, "-o", out, "--size", "500x400"} + options);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 0) {
        QCOMPARE(run.err, QString());
        QCOMPARE(run.out, QString());
    } else {
        QVERIFY2(run.err.contains(options.first()), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));
    }
}

void TestCli::damagedProject_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("not JSON") << QByteArray("{{{{");
    QTest::newRow("tree without photos")
        << QByteArray(R"({"format": "vellomir-project", "version": 1, "tree": [1]})");
}

void TestCli::damagedProject()
{
    QFETCH(QByteArray, bytes);
    const QString project = scratch.filePath(QStringLiteral("damaged.vellomir"));
    QFile file(project);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const QString out = scratch.filePath(QStringLiteral("never.png"));
    const Run run = runTool({"--project", project, "-o", out});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.contains(QLatin1String("damaged.vellomir")), qPrintable(run.err));
    QVERIFY(!QFile::exists(out));
}

void TestCli::frameBounds_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    // The window's sliders end at margin 30 and curve 40 on the 800x600 canvas, and at as
    // much of the shorter side on larger working canvases; a save at the requested size scales
    // them with it: 1795x1205 works at 1200x806 (margin 40), 2400x1800 at 1200x900 (curve 60).
    QTest::newRow("margin 700") << QStringList {"--margin", "700"} << 1;
    QTest::newRow("scallop curve 5000")
        << QStringList {"--frame", "scallop", "--param", "5000"} << 1;
    QTest::newRow("margin 30 at 800x600")
        << QStringList {"--size", "800x600", "--margin", "30"} << 0;
    QTest::newRow("margin 31 at 800x600")
        << QStringList {"--size", "800x600", "--margin", "31"} << 1;
    QTest::newRow("curve 41 at 800x600") << QStringList {"--size", "800x600", "--param", "41"} << 1;
    QTest::newRow("margin 60 at 1795x1205") << QStringList {"--margin", "60"} << 0;
    QTest::newRow("margin 61 at 1795x1205") << QStringList {"--margin", "61"} << 1;
    QTest::newRow("curve 120 at 2400x1800")
        << QStringList {"--size", "2400x1800", "--param", "120"} << 0;
    QTest::newRow("curve 121 at 2400x1800")
        << QStringList {"--size", "2400x1800", "--param", "121"} << 1;
    QTest::newRow("margin 60 at 1800x2400, portrait")
        << QStringList {"--size", "2400x1800", "--portrait", "--margin", "60"} << 0;
}

void TestCli::frameBounds()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    const QString out = scratch.filePath(QStringLiteral("bounds.png"));
    QFile::remove(out);
    const Run run = runTool(options + QStringList {"--quiet", orientationPhotos(), "-o", out});
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QFile::exists(out), exitCode == 0);
    if (exitCode == 1) {
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(run.err.contains(QLatin1String("expected 0 to")), qPrintable(run.err));
    }
}

void TestCli::smallTilesKeepTheirPhotos_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("rect") << QStringList {"--margin", "3", "--param", "20"};
    QTest::newRow("rounded") << QStringList {"--frame", "rounded", "--margin",
                                             "3",       "--param", "20"};
    QTest::newRow("scallop") << QStringList {"--frame", "scallop", "--margin",
                                             "3",       "--param", "20"};
    QTest::newRow("scallop, widest arcs") << QStringList {"--frame", "scallop", "--param", "40"};
}

// A hundred photos on the smallest canvas: the frame shrinks on each tile of a few pixels,
// and every photo keeps some of its tile.
void TestCli::smallTilesKeepTheirPhotos()
{
    QFETCH(QStringList, options);
    const QString dir = scratch.filePath(QStringLiteral("hundred"));
    if (!QFileInfo::exists(dir)) {
        QVERIFY(QDir().mkpath(dir));
        for (int i = 0; i < 100; ++i)
            QVERIFY(writePhoto(dir + QStringLiteral("/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')),
                               i % 3 ? QSize(40, 30) : QSize(30, 40), Qt::darkGreen));
    }
    const QString out = scratch.filePath(QStringLiteral("hundred.png"));
    const Run run = runTool(
        options + QStringList {"--size", "100x100", "--seed", "5", "--quiet", dir, "-o", out});
    QCOMPARE(run.exitCode, 0);
    const double share = photoShare(out);
    QVERIFY2(share > 0.1, qPrintable(QString::number(share)));
}

void TestCli::listToFullDevice()
{
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        QSKIP("no /dev/full here");
    const Run run
        = runTool({QStringLiteral("--list"), orientationPhotos()}, QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(QLatin1String("No space left on device")), qPrintable(run.err));
}

void TestCli::listEscapesPaths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("listed");
    QTest::newRow("tab") << "a\tb.jpg"
                         << "a\\tb.jpg";
    QTest::newRow("newline") << "a\nb.jpg"
                             << "a\\nb.jpg";
    QTest::newRow("backslash") << "a\\b.jpg"
                               << "a\\\\b.jpg";
    QTest::newRow("backslash and n") << "a\\nb.jpg"
                                     << "a\\\\nb.jpg";
    QTest::newRow("all") << "\t\n\\.jpg"
                         << "\\t\\n\\\\.jpg";
    // A terminal takes these as commands: colours, a cleared screen, a changed title.
    QTest::newRow("escape") << "a\x1b[2Jb.jpg"
                            << "a\\x1b[2Jb.jpg";
    QTest::newRow("delete and bell") << "a\x7f\x07.jpg"
                                     << "a\\x7f\\x07.jpg";
}

// Every record is one line of four tab-separated fields, whatever the path holds.
void TestCli::listEscapesPaths()
{
    QFETCH(QString, name);
    QFETCH(QString, listed);
    const QString dir = scratch.filePath(QStringLiteral("escapes-") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(writePhoto(dir + QLatin1Char('/') + name, QSize(30, 20), Qt::red));
    const QString missing = dir + QLatin1Char('/') + QStringLiteral("gone ") + name;
    for (const QString &input : {dir, dir + QLatin1Char('/') + name, missing}) {
        const Run run = runTool({QStringLiteral("--list"), input});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        const QStringList fields = lines.first().split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), input == missing ? 3 : 5);
        QCOMPARE(fields[0], input == missing ? QStringLiteral("skipped") : QStringLiteral("ok"));
        QCOMPARE(fields[1], dir + QLatin1Char('/')
                                + (input == missing ? QStringLiteral("gone ") : QString())
                                + listed);
    }
    // Nor do the messages on stderr carry them.
    const Run run = runTool({"--quiet", dir, missing, "-o", dir + "/out.png"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains(QStringLiteral("gone ") + listed), qPrintable(run.err));
    for (const QChar c : run.err)
        QVERIFY2(c == QLatin1Char('\n') || (c.unicode() >= 0x20 && c.unicode() != 0x7F),
                 qPrintable(run.err));
}

void TestCli::undecodableNames_data()
{
    QTest::addColumn<bool>("inFolder");
    QTest::addColumn<bool>("list");
    QTest::newRow("folder, list") << true << true;
    QTest::newRow("folder, collage") << true << false;
    QTest::newRow("argument, list") << false << true;
    QTest::newRow("argument, collage") << false << false;
}

// A name whose bytes are not valid UTF-8 cannot be opened by the name Qt decodes for it: it is
// reported as skipped, with that reason, and the other photos are used.
void TestCli::undecodableNames()
{
    QFETCH(bool, inFolder);
    QFETCH(bool, list);
    const QString dir = scratch.filePath(QStringLiteral("undecodable"));
    QVERIFY(QDir().mkpath(dir));
    const QByteArray bad = QFile::encodeName(dir) + "/bad\xff\xfe.jpg";
    QVERIFY(writePhotoBytes(bad, QSize(40, 30), Qt::red));
    QVERIFY(writePhoto(dir + QStringLiteral("/good.jpg"), QSize(40, 30), Qt::blue));

    // The arguments go through a shell, which alone can hand over bytes that are no text.
    const QString out = scratch.filePath(QStringLiteral("undecodable.png"));
    QStringList tool {QStringLiteral(VELLOMIR_COLLAGE)};
    tool << (list ? QStringList {"--list"} : QStringList {"--size", "200x200", "-o", out});
    QString script = QStringLiteral("exec \"$@\"");
    if (!inFolder)
        script = QStringLiteral("exec \"$@\" \"$(printf '%s/bad\\377\\376.jpg' \"$DIR\")\" "
                                "\"$DIR/good.jpg\"");
    else
        tool << dir;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DIR"), dir);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("/bin/sh"), QStringList {"-c", script, "sh"} + tool);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    const QString reason = QStringLiteral("the name is not valid in the locale's encoding");
    if (list) {
        const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.filter(QStringLiteral("ok\t")).size(), 1);
        const QStringList skipped = lines.filter(QStringLiteral("skipped\t"));
        QCOMPARE(skipped.size(), 1);
        QVERIFY2(skipped.first().endsWith(QLatin1Char('\t') + reason), qPrintable(output));
    } else {
        QVERIFY2(errors.contains(reason), qPrintable(errors));
        QCOMPARE(imageSize(out), QSize(200, 200));
    }
}

void TestCli::undecodablePhotoLeftOut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("alone");
    const QByteArray png = hostile::encoded(hostile::noise(64, 48), "png");
    const QByteArray scans = hostile::encoded(hostile::noise(64, 48), "jpg", true);
    QTest::newRow("PNG header of 3000x3000 named .jpg") << hostile::pngHeader(3000, 3000) << false;
    QTest::newRow("truncated PNG named .jpg") << png.left(png.size() / 2) << false;
    QTest::newRow("progressive JPEG, damaged scan header") << hostile::damagedScan(scans) << false;
    QTest::newRow("nothing but it") << hostile::damagedScan(scans) << true;
    const QByteArray baseline = hostile::encoded(hostile::noise(64, 48), "jpg");
    const int scan = int(baseline.lastIndexOf("\xFF\xDA"));
    QTest::newRow("JPEG cut in its scan") << baseline.left(scan + 30) << false;
    QTest::newRow("JPEG cut at the end of its header") << baseline.left(scan + 14) << false;
    QTest::newRow("JPEG header claiming 65000x65000")
        << hostile::claimingSize(baseline, 65000, 65000) << false;
}

// Admitted from its header, then failing to decode: the photo is reported and left out, and
// the others fill the canvas. Without any photo left nothing is written.
void TestCli::undecodablePhotoLeftOut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, alone);
    const QString dir = scratch.filePath(QStringLiteral("undecodable"));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(writePhoto(dir + "/a.jpg", QSize(120, 80), Qt::red));
    QVERIFY(writePhoto(dir + "/c.jpg", QSize(60, 90), Qt::blue));
    const QString bad = dir + "/b.jpg";
    QVERIFY(writeBytes(bad, bytes));
    const QString out = scratch.filePath(QStringLiteral("undecodable.png"));
    QFile::remove(out);

    const QStringList photos = alone ? QStringList {bad} : QStringList {dir};
    const Run run = runTool(
        QStringList {"--size", "300x200", "--background", "#00ff00", "--seed", "3", "-o", out}
        + photos);
    QVERIFY2(run.err.contains(QStringLiteral("skipped %1: cannot decode (").arg(bad)),
             qPrintable(run.err));
    if (alone) {
        QCOMPARE(run.exitCode, 1);
        QVERIFY(!QFile::exists(out));
        return;
    }
    QCOMPARE(run.exitCode, 0);
    // No hole shows the green background: every pixel is one of the two photos.
    const QImage image(out);
    QCOMPARE(image.size(), QSize(300, 200));
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QColor c = image.pixelColor(x, y);
            QVERIFY2(c.green() < 100, qPrintable(QString("hole at %1,%2").arg(x).arg(y)));
        }
    }
}

// A photo cut off below its middle is drawn as far as it goes, and named damaged.
void TestCli::damagedPhotoKept()
{
    const QString dir = scratch.filePath(QStringLiteral("damaged"));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(writePhoto(dir + "/a.jpg", QSize(120, 80), Qt::red));
    const QByteArray whole = hostile::encoded(hostile::noise(128, 128), "jpg");
    const QString cut = dir + "/b.jpg";
    QVERIFY(writeBytes(cut, whole.left(whole.size() * 9 / 10)));
    const QString out = scratch.filePath(QStringLiteral("damaged.png"));
    const Run run = runTool({"--quiet", "--size", "300x200", "-o", out, dir});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err.trimmed(),
             QStringLiteral("vellomir-collage: damaged %1: the file ends before the end of the "
                            "picture")
                 .arg(cut));
    QCOMPARE(imageSize(out), QSize(300, 200));
}

void TestCli::refusedWhenAdded_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: a named pipe
    QTest::addColumn<QString>("reason");
    const QByteArray progressive = hostile::encoded(hostile::noise(64, 48), "jpg", true);
    QTest::newRow("named pipe") << QByteArray() << "not a regular file";
    QTest::newRow("progressive 16128x12096, full-resolution colour")
        << hostile::claimingSize(progressive, 16128, 12096, 0x11)
        << "a progressive JPEG of 16128 x 12096 pixels needs 1117 MB to decode";
    QTest::newRow("PNG header of 30000x30000 named .jpg")
        << hostile::pngHeader(30000, 30000) << "30000 x 30000 pixels need 3434 MB to decode";
}

// Refused from what is known before decoding, with the real reason, and without ever blocking
// on a pipe: neither --list nor a collage waits for a writer.
void TestCli::refusedWhenAdded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString dir = scratch.filePath(QStringLiteral("refused-") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(dir));
    const QString good = dir + "/good.jpg";
    QVERIFY(writePhoto(good, QSize(120, 80), Qt::red));
    const QString refused = dir + "/refused.jpg";
    if (bytes.isEmpty())
        QCOMPARE(mkfifo(QFile::encodeName(refused).constData(), 0600), 0);
    else
        QVERIFY(writeBytes(refused, bytes));

    const Run list = runTool({"--list", good, refused});
    QCOMPARE(list.exitCode, 0);
    const QStringList lines = list.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[1].startsWith(QStringLiteral("skipped\t%1\t%2").arg(refused, reason)),
             qPrintable(lines[1]));

    const QString out = dir + "/out.png";
    const Run run = runTool({"--size", "200x200", good, refused, "-o", out});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(
        run.err.startsWith(QStringLiteral("vellomir-collage: skipped %1: %2").arg(refused, reason)),
        qPrintable(run.err));
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QCOMPARE(imageSize(out), QSize(200, 200));
}

void TestCli::outputIsAPhoto_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    const QString photo = QStringLiteral("choose another output file");
    QTest::newRow("same name") << "same" << photo;
    QTest::newRow("another spelling") << "dotted" << photo;
    QTest::newRow("symbolic link to the photo") << "symlink" << photo;
    QTest::newRow("hard link to the photo") << "hardlink" << photo;
    QTest::newRow("photo of a project") << "project" << photo;
    const QString notRegular = QStringLiteral("not a regular file");
    QTest::newRow("named pipe") << "pipe" << notRegular;
    QTest::newRow("link to a named pipe") << "pipe-link" << notRegular;
}

// A collage written over one of its photos destroys the photo; renamed over a pipe or a
// device, it replaces them.
void TestCli::outputIsAPhoto()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString dir = scratch.filePath(QStringLiteral("clash-") + kind);
    QVERIFY(QDir().mkpath(dir + "/sub"));
    const QString a = dir + "/a.jpg";
    const QString b = dir + "/b.jpg";
    QVERIFY(writePhoto(a, QSize(120, 80), Qt::red));
    QVERIFY(writePhoto(b, QSize(60, 90), Qt::blue));
    const QByteArray before = contents(a);
    QString out = a;
    if (kind == QLatin1String("dotted")) {
        out = dir + "/sub/../a.jpg";
    } else if (kind == QLatin1String("symlink")) {
        out = dir + "/link.jpg";
        QVERIFY(QFile::link(a, out));
    } else if (kind == QLatin1String("hardlink")) {
        out = dir + "/hard.jpg";
        QCOMPARE(::link(QFile::encodeName(a).constData(), QFile::encodeName(out).constData()), 0);
    } else if (kind.startsWith(QLatin1String("pipe"))) {
        out = dir + "/pipe.jpg";
        QCOMPARE(mkfifo(QFile::encodeName(out).constData(), 0600), 0);
        if (kind == QLatin1String("pipe-link")) {
            QVERIFY(QFile::link(out, dir + "/link.jpg"));
            out = dir + "/link.jpg";
        }
    }

    Run run;
    if (kind == QLatin1String("project")) {
        const QString project = dir + "/p.vellomir";
        QCOMPARE(runTool({"--quiet", a, b, "-o", dir + "/first.png", "--save-project", project})
                     .exitCode,
                 0);
        run = runTool({"--project", project, "-o", a});
    } else {
        run = runTool({a, b, "-o", out});
    }
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(contents(a), before);
    struct stat info;
    QVERIFY(!kind.startsWith(QLatin1String("pipe"))
            || (::stat(QFile::encodeName(out).constData(), &info) == 0 && S_ISFIFO(info.st_mode)));
}

void TestCli::outputIsAnInputPassedOver_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("photo refused from its header") << "refused";
    QTest::newRow("photo over the cap") << "cap";
    QTest::newRow("collage over the project") << "project";
    QTest::newRow("collage over a link to the project") << "project-link";
    QTest::newRow("project saved over itself") << "project-save";
}

// A file given is somebody's, whether or not it went into the collage.
void TestCli::outputIsAnInputPassedOver()
{
    QFETCH(QString, kind);
    const QString dir = scratch.filePath(QStringLiteral("passed-over-") + kind);
    QVERIFY(QDir().mkpath(dir + "/photos"));
    const QString a = dir + "/photos/a.jpg";
    QVERIFY(writePhoto(a, QSize(120, 80), Qt::red));
    const QString project = dir + "/p.png"; // a project may have any name
    if (kind.startsWith(QLatin1String("project")))
        QCOMPARE(
            runTool({"--quiet", a, "-o", dir + "/first.png", "--save-project", project}).exitCode,
            0);
    QString victim = project;
    QStringList arguments {"--quiet", "--project", project, "-o", project};
    if (kind == QLatin1String("refused")) {
        victim = dir + "/photos/b.jpg";
        QVERIFY(writeBytes(victim, "no photo at all"));
        arguments = QStringList {"--quiet", a, victim, "-o", victim};
    } else if (kind == QLatin1String("cap")) {
        for (int i = 0; i <= 100; ++i)
            QVERIFY(
                writePhoto(dir + QStringLiteral("/photos/p%1.jpg").arg(i, 3, 10, QLatin1Char('0')),
                           QSize(30, 20), Qt::green));
        victim = dir + QStringLiteral("/photos/p%1.jpg").arg(100, 3, 10, QLatin1Char('0'));
        arguments = QStringList {"--quiet", dir + "/photos", "-o", victim};
    } else if (kind == QLatin1String("project-link")) {
        QVERIFY(QFile::link(project, dir + "/link.png"));
        arguments.last() = dir + "/link.png";
    } else if (kind == QLatin1String("project-save")) {
        arguments.last() = dir + "/out.png";
        arguments << "--save-project" << project;
    }
    const QByteArray before = contents(victim);
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(QLatin1String("choose another output file")), qPrintable(run.err));
    QCOMPARE(contents(victim), before);
}

// A link in a folder to a photo elsewhere is read as the photo; a link to a pipe, a folder or
// nothing is passed over, and never blocks.
void TestCli::folderLinksRead()
{
    const QString dir = scratch.filePath(QStringLiteral("folder-links"));
    QVERIFY(QDir().mkpath(dir + "/folder") && QDir().mkpath(dir + "/elsewhere"));
    QVERIFY(writePhoto(dir + "/folder/own.jpg", QSize(60, 40), Qt::red));
    QVERIFY(writePhoto(dir + "/elsewhere/far.jpg", QSize(40, 60), Qt::blue));
    QCOMPARE(mkfifo(QFile::encodeName(dir + "/elsewhere/pipe.jpg").constData(), 0600), 0);
    QVERIFY(QFile::link(dir + "/elsewhere/far.jpg", dir + "/folder/link.jpg"));
    QVERIFY(QFile::link(dir + "/elsewhere/pipe.jpg", dir + "/folder/pipe.jpg"));
    QVERIFY(QFile::link(dir + "/elsewhere", dir + "/folder/sub.jpg"));
    QVERIFY(QFile::link(dir + "/none.jpg", dir + "/folder/dangling.jpg"));
    const Run run = runTool({"--list", dir + "/folder"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("ok\t%1/folder/link.jpg\t40x60\t1\tjpeg\n"
                                     "ok\t%1/folder/own.jpg\t60x40\t1\tjpeg\n")
                          .arg(dir));
}

void TestCli::duplicatesSkipped_data()
{
    QTest::addColumn<bool>("list");
    QTest::newRow("collage") << false;
    QTest::newRow("list") << true;
}

// The same file under another name, a link, or a folder holding it again, is one photo, in a
// collage and in the list alike.
void TestCli::duplicatesSkipped()
{
    QFETCH(bool, list);
    QTemporaryDir dir;
    const QString photo = dir.filePath(QStringLiteral("one.jpg"));
    QVERIFY(writePhoto(photo, QSize(60, 40), Qt::red));
    QVERIFY(writePhoto(dir.filePath(QStringLiteral("two.jpg")), QSize(60, 40), Qt::blue));
    QVERIFY(QFile::link(photo, dir.filePath(QStringLiteral("link.jpg"))));
    const QString out = dir.filePath(QStringLiteral("out.png"));
    QStringList arguments {photo, dir.filePath(QStringLiteral("link.jpg")),
                           dir.filePath(QStringLiteral("./one.jpg")), dir.path()};
    arguments << (list ? QStringList {"--list"} : QStringList {"-o", out, "--quiet"});
    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 0);
    // The folder gives one.jpg and its link again.
    const QString said = list ? run.out : run.err;
    const QString skipped = list ? QStringLiteral("skipped\t%1\talready added\n")
                                 : QStringLiteral("skipped %1: already added\n");
    QCOMPARE(said.count(QStringLiteral("already added")), 4);
    QVERIFY2(said.contains(skipped.arg(dir.filePath(QStringLiteral("link.jpg")))),
             qPrintable(said));
    if (list)
        QCOMPARE(run.out.count(QStringLiteral("ok\t")), 2);
}

QString TestCli::portraitFolder()
{
    const QString dir = scratch.filePath(QStringLiteral("portrait"));
    if (QFileInfo::exists(dir))
        return dir;
    const facephotos::Photo photo = facephotos::tallPhoto(facephotos::sources().constFirst());
    if (photo.image.isNull() || !QDir().mkpath(dir)
        || !photo.image.save(dir + QStringLiteral("/astronaut.png")))
        return QString();
    return dir;
}

void TestCli::cropKeepsFaces_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("reopen"); // empty: the collage itself; else its project's
    QTest::addColumn<bool>("faceShown");
    QTest::newRow("default") << QStringList() << QStringList() << true;
    QTest::newRow("auto") << QStringList {"--crop", "auto"} << QStringList() << true;
    QTest::newRow("centre") << QStringList {"--crop", "centre"} << QStringList() << false;
    QTest::newRow("auto project") << QStringList() << QStringList {"--quiet"} << true;
    QTest::newRow("centre project")
        << QStringList {"--crop", "centre"} << QStringList {"--quiet"} << false;
    QTest::newRow("centre project, rendered auto")
        << QStringList {"--crop", "centre"} << QStringList {"--crop", "auto"} << true;
    QTest::newRow("auto project, rendered centre")
        << QStringList() << QStringList {"--crop", "centre"} << false;
}

// One tall photo with its face near the top fills a wide canvas: an automatic crop shows the
// face, the centre crop only what lies below it.
void TestCli::cropKeepsFaces()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, reopen);
    QFETCH(bool, faceShown);
    const QString folder = portraitFolder();
    if (folder.isEmpty())
        QSKIP("the face pictures of python3-skimage are not installed");
    const QString out = scratch.filePath(QStringLiteral("portrait.png"));
    const QString project = scratch.filePath(QStringLiteral("portrait.vellomir"));
    QFile::remove(out);
    const Run made = runTool(options
                             + QStringList {"--size", "1200x400", "--seed", "1", "--save-project",
                                            project, folder, "-o", out});
    QCOMPARE(made.exitCode, 0);
    if (!reopen.isEmpty()) {
        QVERIFY(QFile::remove(out));
        QCOMPARE(runTool(reopen + QStringList {"--project", project, "-o", out}).exitCode, 0);
    }
    const double share = pictureShare(out);
    if (faceShown)
        QVERIFY2(share > 0.5, qPrintable(QString::number(share)));
    else
        QVERIFY2(share < 0.05, qPrintable(QString::number(share)));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
