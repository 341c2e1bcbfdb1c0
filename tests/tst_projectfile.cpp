#include "btree.h"
#include "collagerender.h"
#include "layoutrun.h"
#include "projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <future>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// What a layout draws: each leaf's photo, rectangle and laid-out size, in pre-order. Node ids
// are left out: a reloaded tree numbers its nodes in pre-order.
QString drawn(const BNode *node)
{
    if (node->type != BNODE_LEAF)
        return drawn(node->a) + drawn(node->b);
    return QString::asprintf("%d@%d,%d:%dx%d/%dx%d ", node->img, node->x, node->y, node->w, node->h,
                             node->img_w, node->img_h);
}

CollageDocument sample(const QString &folder, int count, const QSize &canvas, unsigned seed,
                       bool laidOut)
{
    CollageDocument document;
    for (int i = 0; i < count; ++i) {
        PhotoRecord photo;
        photo.path = i % 4 == 3 ? QStringLiteral("/elsewhere/%1.jpg").arg(i)
                                : QStringLiteral("%1/photos/%2.jpg").arg(folder).arg(i);
        // A phone's photos among a camera's, both ways up: the fairness rule has work to do.
        photo.size = i % 3 == 0   ? QSize(640, 480)
                     : i % 3 == 1 ? QSize(3000, 4000)
                                  : QSize(6000, 4000);
        photo.orientation = i % 8 + 1;
        photo.crop = QPointF(0.1 * (i % 5) - 0.2, -1.0 / (i + 3));
        // Emphasis changes the laid-out sizes the reader must compute again.
        photo.emphasis = i % 7 == 4 ? 4 : i % 7 == 5 ? 0.5 : 1;
        document.photos.append(photo);
    }
    document.canvasSize = canvas;
    document.requestedSize = canvas * 5;
    document.dpi = 150 + count;
    document.background = QColor(12, 34, 56, 78);
    document.frame = FrameSettings {FrameType::Scallop, 7, 25};
    document.seed = seed;
    if (laidOut)
        document.layout = runLayout(layoutSizes(document.photos), layoutEmphases(document.photos),
                                    canvas, seed);
    return document;
}

// A valid project of three photos, to be spoilt one value at a time.
QJsonObject project()
{
    return QJsonDocument::fromJson(R"({
        "format": "vellomir-project", "version": 1,
        "canvas": {"width": 800, "height": 600}, "requested": {"width": 2400, "height": 1800},
        "background": "#ff336699", "frame": {"type": 2, "margin": 3, "curve": 12}, "seed": 7,
        "photos": [{"path": "a.jpg", "width": 4000, "height": 3000, "orientation": 1,
                    "cropX": 0, "cropY": 0.25},
                   {"path": "/b.jpg", "width": 300, "height": 400, "orientation": 6,
                    "cropX": -0.5, "cropY": 0},
                   {"path": "c/d.jpg", "width": 1, "height": 65535, "orientation": 8,
                    "cropX": 1, "cropY": -1}],
        "tree": ["side", 1, "stack", 2, 3]})")
        .object();
}

QByteArray with(const char *key, const QJsonValue &value)
{
    QJsonObject object = project();
    object.insert(QLatin1String(key), value);
    return QJsonDocument(object).toJson();
}

QByteArray withPhoto(const char *key, const QJsonValue &value)
{
    QJsonObject object = project();
    QJsonArray photos = object.value(QLatin1String("photos")).toArray();
    QJsonObject photo = photos.at(1).toObject();
    photo.insert(QLatin1String(key), value);
    photos.replace(1, photo);
    object.insert(QLatin1String("photos"), photos);
    return QJsonDocument(object).toJson();
}

QJsonObject size(int width, int height)
{
    return {{QLatin1String("width"), width}, {QLatin1String("height"), height}};
}

QJsonObject frame(int type, int margin, int curve)
{
    return {{QLatin1String("type"), type},
            {QLatin1String("margin"), margin},
            {QLatin1String("curve"), curve}};
}

} // namespace

class TestProjectFile : public QObject
{
    Q_OBJECT

    QTemporaryDir temp;

private slots:
    void roundTrip_data();
    void roundTrip();
    void movedWithItsPhotos();
    void unreadableDocumentNotWritten();
    void nameTooLongToReplace();
    void fullDiskKeepsTheOldFile_data();
    void fullDiskKeepsTheOldFile();
    void completeName_data();
    void completeName();
    void emphasis_data();
    void emphasis();
    void frameWithinTheSliders_data();
    void frameWithinTheSliders();
    void hostile_data();
    void hostile();
    void olderProjectsAt300();
    void notRegularFile_data();
    void notRegularFile();
    void seedCorpusOpens();
};

void TestProjectFile::roundTrip_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<bool>("laidOut");
    QTest::newRow("one photo") << 1 << QSize(800, 600) << 5u << true;
    QTest::newRow("seven photos") << 7 << QSize(1200, 900) << 123u << true;
    QTest::newRow("tall canvas") << 12 << QSize(300, 1200) << 0u << true;
    QTest::newRow("a hundred photos") << 100 << QSize(1200, 800) << 4294967295u << true;
    QTest::newRow("not laid out yet") << 5 << QSize(640, 480) << 9u << false;
    QTest::newRow("no photos") << 0 << QSize(800, 600) << 1u << false;
}

void TestProjectFile::roundTrip()
{
    QFETCH(int, count);
    QFETCH(QSize, canvas);
    QFETCH(unsigned, seed);
    QFETCH(bool, laidOut);
    const CollageDocument saved = sample(temp.path(), count, canvas, seed, laidOut);
    const QByteArray bytes = projectToJson(saved, temp.path());
    const Result<CollageDocument> load = projectFromJson(bytes, temp.path());
    QVERIFY2(load, qPrintable(load.error()));
    // Each photo shows its cell to other programs; the reader goes by the tree alone.
    QJsonObject root = QJsonDocument::fromJson(bytes).object();
    QJsonArray photos = root.value("photos").toArray();
    for (int i = 0; i < photos.size(); ++i) {
        QJsonObject photo = photos.at(i).toObject();
        const QRect cell = cellOf(saved, i);
        const QJsonArray shown = photo.value("cell").toArray();
        QCOMPARE(shown.isEmpty(), !laidOut);
        if (laidOut)
            QCOMPARE(QRect(shown[0].toInt(), shown[1].toInt(), shown[2].toInt(), shown[3].toInt()),
                     cell);
        photo.insert("cell", QJsonArray {1, 2, 3, 4});
        photos[i] = photo;
    }
    root.insert("photos", photos);
    const Result<CollageDocument> moved
        = projectFromJson(QJsonDocument(root).toJson(), temp.path());
    QVERIFY(moved && *moved == *load);
    const CollageDocument &loaded = *load;
    QCOMPARE(loaded.photos, saved.photos);
    QCOMPARE(loaded.canvasSize, saved.canvasSize);
    QCOMPARE(loaded.requestedSize, saved.requestedSize);
    QCOMPARE(loaded.dpi, saved.dpi);
    QCOMPARE(loaded.background.rgba(), saved.background.rgba());
    QVERIFY(loaded.frame == saved.frame);
    QCOMPARE(loaded.seed, saved.seed);
    QCOMPARE(loaded.hasLayout(), laidOut);
    if (laidOut) {
        QCOMPARE(drawn(loaded.layout.tree()->root), drawn(saved.layout.tree()->root));
        QCOMPARE(loaded.layout.canvasSize(), saved.layout.canvasSize());
        const char *why = nullptr;
        QVERIFY2(!btree_check(loaded.layout.tree(), 1, &why), why);
    }
}

void TestProjectFile::movedWithItsPhotos()
{
    const QString before = temp.filePath(QStringLiteral("trip"));
    const QString after = temp.filePath(QStringLiteral("trip moved"));
    QVERIFY(QDir().mkpath(before));
    CollageDocument document = sample(before, 4, QSize(800, 600), 3, true);
    QVERIFY(writeProjectFile(document, before + QStringLiteral("/p.vellomir")));
    QVERIFY(QDir().rename(before, after));
    const Result<CollageDocument> load = readProjectFile(after + QStringLiteral("/p.vellomir"));
    QVERIFY2(load, qPrintable(load.error()));
    QCOMPARE(load->photos.at(0).path, after + QStringLiteral("/photos/0.jpg"));
    QCOMPARE(load->photos.at(3).path, QStringLiteral("/elsewhere/3.jpg"));
}

// Writing what the reader would refuse would report success for work that cannot be opened.
void TestProjectFile::unreadableDocumentNotWritten()
{
    const QString name = temp.filePath(QStringLiteral("kept.vellomir"));
    CollageDocument document = sample(temp.path(), 2, QSize(800, 600), 3, true);
    QVERIFY(writeProjectFile(document, name));
    document.canvasSize = QSize(10001, 5000);
    QVERIFY(!writeProjectFile(document, name));
    QVERIFY(readProjectFile(name));
    QVERIFY(!writeProjectFile(document, temp.filePath(QStringLiteral("no/such/folder/p"))));
}

// Replacing a file goes through a temporary name seven bytes longer than the file's own.
void TestProjectFile::nameTooLongToReplace()
{
    const QString name = temp.filePath(QString(240, QLatin1Char('p')) + ".vellomir");
    const CollageDocument document = sample(temp.path(), 2, QSize(800, 600), 3, true);
    QVERIFY(writeProjectFile(document, name));
    const Result<void> replaced = writeProjectFile(document, name);
    QVERIFY(!replaced);
    QVERIFY2(replaced.error().contains(QLatin1String("too long")), qPrintable(replaced.error()));
    QVERIFY(readProjectFile(name));
}

// A file-size limit fails writes as a full disk does, without a file system to fill.
void TestProjectFile::fullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<int>("room");
    QTest::newRow("nothing fits") << 0;
    QTest::newRow("the start fits") << 100;
}

void TestProjectFile::fullDiskKeepsTheOldFile()
{
    QFETCH(int, room);
    const QString name = temp.filePath(QStringLiteral("full-%1.vellomir").arg(room));
    QVERIFY(writeProjectFile(sample(temp.path(), 2, QSize(800, 600), 3, true), name));
    const QByteArray before = [&] {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    const CollageDocument changed = sample(temp.path(), 9, QSize(800, 600), 4, true);

    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(room);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const Result<void> written = writeProjectFile(changed, name);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!written);
    QVERIFY2(!written.error().isEmpty(), "a failed save gives its reason");
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    // Nor is the half-written temporary file left beside it.
    QCOMPARE(QDir(temp.path()).entryList({QFileInfo(name).fileName() + ".*"}, QDir::Files),
             QStringList());
}

void TestProjectFile::completeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("completed");
    QTest::newRow("bare") << "/a/trip"
                          << "/a/trip.vellomir";
    QTest::newRow("has the suffix") << "/a/trip.vellomir"
                                    << "/a/trip.vellomir";
    QTest::newRow("other suffix kept") << "/a/trip.json"
                                       << "/a/trip.json";
    QTest::newRow("dot in a folder") << "/a.b/trip"
                                     << "/a.b/trip.vellomir";
}

void TestProjectFile::completeName()
{
    QFETCH(QString, name);
    QFETCH(QString, completed);
    QCOMPARE(completeProjectName(name), completed);
}

void TestProjectFile::emphasis_data()
{
    QTest::addColumn<QJsonValue>("stored"); // undefined: none written
    QTest::addColumn<qreal>("read");
    QTest::newRow("none") << QJsonValue(QJsonValue::Undefined) << 1.0;
    QTest::newRow("1 written by hand") << QJsonValue(1) << 1.0;
    QTest::newRow("half") << QJsonValue(0.5) << 0.5;
    QTest::newRow("four") << QJsonValue(4) << 4.0;
    QTest::newRow("between, nearer 4") << QJsonValue(3) << 4.0;
    QTest::newRow("between, nearer 1") << QJsonValue(1.4) << 1.0;
    QTest::newRow("beyond 4") << QJsonValue(1e300) << 4.0;
    QTest::newRow("below a half") << QJsonValue(1e-300) << 0.5;
}

// A photo's emphasis is read as one of its four steps and written back only when it is not 1,
// so a project without emphasis is written as it always was.
void TestProjectFile::emphasis()
{
    QFETCH(QJsonValue, stored);
    QFETCH(qreal, read);
    const Result<CollageDocument> load = projectFromJson(
        stored.isUndefined() ? QJsonDocument(project()).toJson() : withPhoto("emphasis", stored),
        temp.path());
    QVERIFY2(load, qPrintable(load.error()));
    QCOMPARE(load->photos.at(1).emphasis, read);
    QCOMPARE(load->photos.at(0).emphasis, 1.0);
    const QByteArray written = projectToJson(*load, temp.path());
    QCOMPARE(written.count("\"emphasis\""), read == 1 ? 0 : 1);
    const Result<CollageDocument> again = projectFromJson(written, temp.path());
    QVERIFY(again && *again == *load);
}

void TestProjectFile::frameWithinTheSliders_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QPoint>("stored"); // margin, curve
    QTest::addColumn<QPoint>("read");
    const QSize window(1200, 800);
    const QSize full(3600, 2400);
    QTest::newRow("within") << window << full << QPoint(3, 12) << QPoint(3, 12);
    QTest::newRow("at the ends") << window << full << QPoint(30, 40) << QPoint(30, 40);
    QTest::newRow("beyond") << window << full << QPoint(1000, 41) << QPoint(30, 40);
    // vellomir-collage lays out at the requested size: its sliders' ends are three times on.
    QTest::newRow("full size, within") << full << full << QPoint(90, 120) << QPoint(90, 120);
    QTest::newRow("full size, beyond") << full << full << QPoint(1000, 999) << QPoint(90, 120);
}

// A frame the sliders cannot show is read as their end, so what is drawn is what they show;
// one within them is read, and so written again, as it was.
void TestProjectFile::frameWithinTheSliders()
{
    QFETCH(QSize, canvas);
    QFETCH(QSize, requested);
    QFETCH(QPoint, stored);
    QFETCH(QPoint, read);
    QJsonObject object = project();
    object.insert(QLatin1String("canvas"), size(canvas.width(), canvas.height()));
    object.insert(QLatin1String("requested"), size(requested.width(), requested.height()));
    object.insert(QLatin1String("frame"), frame(2, stored.x(), stored.y()));
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    const Result<CollageDocument> load = projectFromJson(bytes, temp.path());
    QVERIFY2(load, qPrintable(load.error()));
    QCOMPARE(QPoint(load->frame.a, load->frame.b), read);
    if (read != stored)
        return;
    // Written as it was read, beside the cells shown to other programs.
    QJsonObject written = QJsonDocument::fromJson(projectToJson(*load, temp.path())).object();
    QJsonArray photos = written.value("photos").toArray();
    for (int i = 0; i < photos.size(); ++i) {
        QJsonObject photo = photos.at(i).toObject();
        QVERIFY(photo.contains("cell"));
        photo.remove("cell");
        photos[i] = photo;
    }
    written.insert("photos", photos);
    QCOMPARE(QJsonDocument(written).toJson(QJsonDocument::Indented), bytes);
}

void TestProjectFile::hostile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QString damaged = QStringLiteral("the file is damaged or not a project");
    const QString broken = QStringLiteral("the project file is damaged");
    const QString mismatch = QStringLiteral("the layout does not match the photos");
    const QString photoSize = QStringLiteral("a photo's size is not usable");
    const QString canvas = QStringLiteral("the canvas size is not usable");
    const QString frameError = QStringLiteral("the frame is not usable");
    const QString colour = QStringLiteral("the background colour is not usable");
    // Every row spoils a project that loads, so each fails for its own reason.
    QVERIFY(projectFromJson(QJsonDocument(project()).toJson(), temp.path()));

    QByteArray million = "[";
    for (int i = 0; i < 1000000; ++i)
        million += "\"side\",";
    million += "1]";
    QJsonArray crowd;
    for (int i = 0; i < 101; ++i)
        crowd.append(project().value(QLatin1String("photos")).toArray().at(0));

    QTest::newRow("empty") << QByteArray() << damaged;
    QTest::newRow("not JSON") << QByteArray("{\"format\": \"vellomir-project\",") << damaged;
    QTest::newRow("not an object") << QByteArray("[1, 2, 3]") << damaged;
    QTest::newRow("deep nesting")
        << QByteArray("{\"format\": \"vellomir-project\", \"version\": 1, \"tree\": ")
               + QByteArray(100000, '[') + QByteArray(100000, ']') + "}"
        << damaged;
    QTest::newRow("another format")
        << with("format", "vellomir-settings") << QStringLiteral("not a Vellomir project");
    QTest::newRow("newer version")
        << with("version", 2) << QStringLiteral("made by a newer version of Vellomir");
    QTest::newRow("version zero") << with("version", 0) << broken;
    QTest::newRow("photo twice in the tree")
        << with("tree", QJsonArray {"side", 1, "stack", 1, 3}) << mismatch;
    QTest::newRow("photo left out") << with("tree", QJsonArray {"side", 1, 2}) << mismatch;
    QTest::newRow("tokens after a whole tree")
        << with("tree", QJsonArray {1, "side", 2, "stack", 3}) << mismatch;
    QTest::newRow("tree left open")
        << with("tree", QJsonArray {"side", "side", "side", 1, 2}) << mismatch;
    QTest::newRow("photo number out of range")
        << with("tree", QJsonArray {"side", 1, "stack", 2, 4}) << mismatch;
    QTest::newRow("unknown cut") << with("tree", QJsonArray {"side", 1, "skew", 2, 3}) << mismatch;
    QTest::newRow("tree without photos") << with("photos", QJsonArray()) << mismatch;
    QTest::newRow("million-node tree")
        << with("tree", QJsonDocument::fromJson(million).array()) << mismatch;
    QTest::newRow("tree not an array") << with("tree", "side 1 stack 2 3") << broken;
    QTest::newRow("too many photos")
        << with("photos", crowd) << QStringLiteral("more than 100 photos");
    QTest::newRow("photo width 0") << withPhoto("width", 0) << photoSize;
    QTest::newRow("photo height negative") << withPhoto("height", -400) << photoSize;
    QTest::newRow("photo wider than the engine holds") << withPhoto("width", 65536) << photoSize;
    QTest::newRow("photo width fractional") << withPhoto("width", 300.5) << photoSize;
    QTest::newRow("orientation 9")
        << withPhoto("orientation", 9) << QStringLiteral("a photo's orientation is not usable");
    QTest::newRow("crop beyond the photo")
        << withPhoto("cropX", 1.5) << QStringLiteral("a photo's crop is not usable");
    QTest::newRow("empty path") << withPhoto("path", "") << QStringLiteral("a photo has no path");
    const QString emphasis = QStringLiteral("a photo's emphasis is not usable");
    QTest::newRow("emphasis 0") << withPhoto("emphasis", 0) << emphasis;
    QTest::newRow("emphasis negative") << withPhoto("emphasis", -2) << emphasis;
    QTest::newRow("emphasis as text") << withPhoto("emphasis", "large") << emphasis;
    QTest::newRow("emphasis null") << withPhoto("emphasis", QJsonValue()) << emphasis;
    QTest::newRow("canvas 0 wide") << with("canvas", size(0, 600)) << canvas;
    QTest::newRow("canvas beyond the largest") << with("canvas", size(10001, 900)) << canvas;
    QTest::newRow("requested enormous") << with("requested", size(10001, 4000)) << canvas;
    QTest::newRow("frame type 4") << with("frame", frame(4, 0, 10)) << frameError;
    QTest::newRow("frame curve enormous") << with("frame", frame(2, 0, 1001)) << frameError;
    QTest::newRow("colour by name") << with("background", "white") << colour;
    QTest::newRow("colour not hex") << with("background", "#ff00gg00") << colour;
    QTest::newRow("seed beyond 32 bits") << with("seed", 4294967296.0) << broken;
    const QString resolution = QStringLiteral("the resolution is not usable");
    QTest::newRow("dpi 0") << with("dpi", 0) << resolution;
    QTest::newRow("dpi past the largest") << with("dpi", 1201) << resolution;
    QTest::newRow("dpi fractional") << with("dpi", 300.5) << resolution;
    QTest::newRow("dpi as text") << with("dpi", "300") << resolution;
}

// Projects saved before the resolution was kept open at the 300 dpi their files were saved at.
void TestProjectFile::olderProjectsAt300()
{
    const Result<CollageDocument> older
        = projectFromJson(QJsonDocument(project()).toJson(), temp.path());
    QVERIFY(older);
    QCOMPARE(older->dpi, 300);
    const Result<CollageDocument> newer = projectFromJson(with("dpi", 600), temp.path());
    QVERIFY(newer);
    QCOMPARE(newer->dpi, 600);
}

void TestProjectFile::hostile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const Result<CollageDocument> load = projectFromJson(bytes, temp.path());
    QVERIFY(!load);
    QCOMPARE(load.error(), error);
}

void TestProjectFile::notRegularFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");
    const QString notRegular = QStringLiteral("not a regular file");
    const QString pipe = temp.filePath(QStringLiteral("pipe.vellomir"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile huge(temp.filePath(QStringLiteral("huge.vellomir")));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(maxProjectBytes + 1));
    QTest::newRow("folder") << temp.path() << notRegular;
    QTest::newRow("pipe") << pipe << notRegular;
    QTest::newRow("/dev/null") << "/dev/null" << notRegular;
    QTest::newRow("/dev/zero") << "/dev/zero" << notRegular;
    QTest::newRow("too large") << huge.fileName()
                               << QStringLiteral("the file is too large for a project");
    QTest::newRow("missing") << temp.filePath(QStringLiteral("none"))
                             << QStringLiteral("the file does not exist");
}

void TestProjectFile::notRegularFile()
{
    QFETCH(QString, name);
    QFETCH(QString, error);
    auto reading = std::async(std::launch::async, [&] { return readProjectFile(name); });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        QFile writer(name); // a reader blocked on a pipe is let go by a writer
        writer.open(QIODevice::WriteOnly);
        QFAIL("reading blocked");
    }
    const Result<CollageDocument> load = reading.get();
    QVERIFY(!load);
    QCOMPARE(load.error(), error);
}

// The fuzzer starts from these; a seed the reader refuses would leave it nowhere to start.
void TestProjectFile::seedCorpusOpens()
{
    const QDir corpus(QStringLiteral(VELLOMIR_FUZZ_CORPUS));
    const QStringList seeds = corpus.entryList(QDir::Files);
    QVERIFY(!seeds.isEmpty());
    for (const QString &seed : seeds)
        QVERIFY2(readProjectFile(corpus.filePath(seed)), qPrintable(seed));
}

QTEST_MAIN(TestProjectFile)
#include "tst_projectfile.moc"
