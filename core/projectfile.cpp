#include "projectfile.h"

#include "btree.h"
#include "collagefile.h"
#include "collagelimits.h"
#include "collagerender.h"
#include "layoutrun.h"
#include "papersize.h"
#include "photoscan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLoggingCategory>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

/*
** The file is one JSON object:
**
**   {
**     "format": "vellomir-project",
**     "version": 1,
**     "canvas": {"width": 1200, "height": 800},       working size, as on screen
**     "requested": {"width": 3600, "height": 2400},   the size a save renders at
**     "dpi": 600,                                     its resolution on paper; 300 if absent
**     "background": "#ffffffff",                      #AARRGGBB
**     "frame": {"type": 2, "margin": 4, "curve": 10},
**     "seed": 41234,
**     "cropMode": "auto",                             written only then; absent: centre
**     "photos": [{"path": "trip/beach.jpg", "width": 4000, "height": 3000,
**                 "orientation": 6, "cropX": 0.1, "cropY": 0, "turns": 1, "emphasis": 2,
**                 "content": {"faces": [[0.4, 0.1, 0.2, 0.3]], "subject": [x, y, w, h]}}, ...],
**     "tree": ["side", 1, "stack", 2, 3]
**   }
**
** The tree is flat, in pre-order: "stack" (A above B) and "side" (A left of B) are cuts whose
** two parts follow, A first; a number is a leaf showing that photo (1-based, in the order of
** "photos"). A flat array keeps the JSON two levels deep whatever the tree's shape, and leaves
** a hostile file nothing to nest. An empty array is a collection not laid out yet. The
** geometry is not stored: it follows from the shape, the photo sizes and the canvas, so it is
** recomputed on reading and cannot disagree with them. Node ids are not stored either; they
** come back in pre-order, so a reloaded tree draws the same but may number its nodes
** differently.
*/

namespace {

Q_LOGGING_CATEGORY(lcProject, "vellomir.project", QtWarningMsg)

constexpr char formatName[] = "vellomir-project";
constexpr int formatVersion = 1;
constexpr char stackToken[] = "stack";
constexpr char sideToken[] = "side";

// vellomir-collage lays out at the size asked for, up to 10000 pixels a side; the window fits
// a larger canvas to its working size when it opens the project.
constexpr int maxRequestedSide = 10000;
constexpr int maxWorkingSide = 10000;
// Far beyond the appearance sliders, but a frame is drawn per tile and must stay cheap.
constexpr int maxFrameParameter = 1000;

// The most a frame slider ending at `sliderMax` gives on the project's canvas. The sliders work
// at workingCanvasSize() of the requested size; vellomir-collage lays out at the requested size
// itself, and its frame is as much larger.
int frameLimit(int sliderMax, const QSize &canvas, const QSize &requested)
{
    const QSize working = workingCanvasSize(requested);
    const double factor = std::min(double(canvas.width()) / working.width(),
                                   double(canvas.height()) / working.height());
    return int(std::lround(sliderMax * std::max(1.0, factor)));
}

// Why the file is refused, translated.
Failure refuse(const char *reason)
{
    return Failure {QCoreApplication::translate("ProjectFile", reason)};
}

// A JSON number that is a whole number in [lowest, highest]; JSON only has doubles, so 2.5,
// 1e300 and strings are all refused here.
std::optional<qint64> wholeNumber(const QJsonValue &value, qint64 lowest, qint64 highest)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < double(lowest)
        || number > double(highest))
        return std::nullopt;
    return qint64(number);
}

std::optional<QSize> sizeFrom(const QJsonValue &value, int highest)
{
    const QJsonObject object = value.toObject();
    const auto width = wholeNumber(object.value(QLatin1String("width")), 1, highest);
    const auto height = wholeNumber(object.value(QLatin1String("height")), 1, highest);
    if (!width || !height)
        return std::nullopt;
    return QSize(int(*width), int(*height));
}

QJsonObject sizeObject(const QSize &size)
{
    return {{QLatin1String("width"), size.width()}, {QLatin1String("height"), size.height()}};
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// "#RRGGBB" or "#AARRGGBB", nothing else: QColor would also take names and other spellings
// that this program never writes.
std::optional<QColor> colourFrom(const QJsonValue &value)
{
    const QString text = value.toString();
    if ((text.size() != 7 && text.size() != 9) || !text.startsWith(QLatin1Char('#')))
        return std::nullopt;
    QRgb argb = text.size() == 7 ? 0xffu : 0u; // shifted up into the alpha byte
    for (qsizetype i = 1; i < text.size(); ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0)
            return std::nullopt;
        argb = argb << 4 | QRgb(digit);
    }
    return QColor::fromRgba(argb);
}

// Relative when the photo lies in the project's folder or below it, so that the folder can be
// moved as a whole; a photo elsewhere keeps its absolute path, which survives moving the
// project file alone.
QString storedPath(const QString &path, const QDir &folder)
{
    const QString relative = folder.relativeFilePath(path);
    if (relative.isEmpty() || QDir::isAbsolutePath(relative) || relative == QLatin1String("..")
        || relative.startsWith(QLatin1String("../")))
        return path;
    return relative;
}

Result<PhotoRecord> photoFrom(const QJsonValue &value, const QDir &folder)
{
    const QJsonObject object = value.toObject();
    PhotoRecord photo;
    photo.path = object.value(QLatin1String("path")).toString();
    if (photo.path.isEmpty())
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "a photo has no path"));
    photo.path = QDir::cleanPath(folder.absoluteFilePath(photo.path));
    const auto width = wholeNumber(object.value(QLatin1String("width")), 1, maxPhotoSide);
    const auto height = wholeNumber(object.value(QLatin1String("height")), 1, maxPhotoSide);
    if (!width || !height)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "a photo's size is not usable"));
    photo.size = QSize(int(*width), int(*height));
    const auto orientation = wholeNumber(object.value(QLatin1String("orientation")), 1, 8);
    if (!orientation)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "a photo's orientation is not usable"));
    photo.orientation = int(*orientation);
    const QJsonValue cropX = object.value(QLatin1String("cropX"));
    const QJsonValue cropY = object.value(QLatin1String("cropY"));
    const auto inRange = [](const QJsonValue &v) {
        return v.isDouble() && std::isfinite(v.toDouble()) && std::fabs(v.toDouble()) <= 1.0;
    };
    if (!inRange(cropX) || !inRange(cropY))
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "a photo's crop is not usable"));
    photo.crop = QPointF(cropX.toDouble(), cropY.toDouble());
    // Written only for a photo the user turned; older files have none.
    const QJsonValue turns = object.value(QLatin1String("turns"));
    if (!turns.isUndefined()) {
        const auto quarter = wholeNumber(turns, 0, 3);
        if (!quarter)
            return refuse(QT_TRANSLATE_NOOP("ProjectFile", "a photo's turn is not usable"));
        photo.turns = int(*quarter);
    }
    // Written once the photo was analysed. A box that is not one is dropped: the photo is
    // analysed again rather than the project refused.
    photo.content = contentFromObject(object.value(QLatin1String("content")));
    // Written only when it is not 1. A number between the steps, or beyond them, as a later
    // version might write, takes the nearest step; anything else makes the file damaged.
    const QJsonValue emphasis = object.value(QLatin1String("emphasis"));
    if (!emphasis.isUndefined()) {
        if (!emphasis.isDouble() || !std::isfinite(emphasis.toDouble()) || emphasis.toDouble() <= 0)
            return refuse(QT_TRANSLATE_NOOP("ProjectFile", "a photo's emphasis is not usable"));
        photo.emphasis = nearestEmphasis(emphasis.toDouble());
    }
    return photo;
}

// The tree in pre-order, see above. Walked with a stack of its own: the engine's trees are
// balanced, but nothing here should depend on that.
QJsonArray treeTokens(const CollageDocument &document)
{
    QJsonArray tokens;
    if (!document.hasLayout())
        return tokens;
    std::vector<const BNode *> pending {document.layout.tree()->root};
    while (!pending.empty()) {
        const BNode *node = pending.back();
        pending.pop_back();
        if (node->type == BNODE_LEAF) {
            tokens.append(node->img);
            continue;
        }
        tokens.append(QLatin1String(node->type == BNODE_STACK ? stackToken : sideToken));
        pending.push_back(node->b);
        pending.push_back(node->a);
    }
    return tokens;
}

// The kind of node a token stands for, and for a leaf its photo number; nothing for a token
// that is neither a cut nor a photo number in 1..photos.
struct Token
{
    uint32_t type;
    int photo;
};

std::optional<Token> tokenFrom(const QJsonValue &value, int photos)
{
    if (value.isString()) {
        const QString text = value.toString();
        if (text == QLatin1String(stackToken))
            return Token {BNODE_STACK, 0};
        if (text == QLatin1String(sideToken))
            return Token {BNODE_SIDE, 0};
        return std::nullopt;
    }
    const auto number = wholeNumber(value, 1, photos);
    if (!number)
        return std::nullopt;
    return Token {BNODE_LEAF, int(*number)};
}

// Whether the tokens make exactly one whole tree with every photo once. Counting open slots
// (one for the root, each cut fills one and opens two, a leaf fills one) checks the shape
// without building anything, so the builder below cannot fail half way.
std::optional<std::vector<Token>> treeShape(const QJsonArray &tokens, int photos)
{
    // A tree over n photos has n leaves and n - 1 cuts; checking the count first keeps a huge
    // array from being looked at token by token.
    if (photos == 0 || tokens.size() != 2 * qsizetype(photos) - 1)
        return std::nullopt;
    std::vector<Token> shape;
    shape.reserve(size_t(tokens.size()));
    std::vector<bool> seen(size_t(photos) + 1, false);
    qsizetype open = 1;
    for (const QJsonValue &value : tokens) {
        const std::optional<Token> token = tokenFrom(value, photos);
        if (!token || open == 0)
            return std::nullopt;
        --open;
        if (token->type == BNODE_LEAF) {
            if (seen[size_t(token->photo)])
                return std::nullopt;
            seen[size_t(token->photo)] = true;
        } else {
            open += 2;
        }
        shape.push_back(*token);
    }
    if (open != 0)
        return std::nullopt;
    return shape;
}

// Builds the checked shape through btree_attach, which numbers the nodes in pre-order; each
// leaf then takes the photo number the file gives it. Leaves are sized as the layout sized
// them, with the fairness rule and the emphases over the whole photo list, so the fit below
// gives the geometry that was saved.
LayoutTree buildTree(const std::vector<Token> &shape, const QList<PhotoRecord> &photos,
                     const QSize &canvas)
{
    const std::vector<BSize> sizes = leafSizes(photos);

    LayoutTree layout;
    BTree *tree = layout.tree();
    std::vector<std::pair<BNode *, int>> openSlots {{nullptr, BNODE_A}};
    for (const Token &token : shape) {
        const auto [parent, slot] = openSlots.back();
        openSlots.pop_back();
        BNode *node = token.type == BNODE_LEAF ? bnode_new_leaf(sizes[size_t(token.photo - 1)].w,
                                                                sizes[size_t(token.photo - 1)].h)
                                               : bnode_new(token.type);
        btree_attach(tree, parent, node, slot);
        if (token.type == BNODE_LEAF) {
            node->img = token.photo;
        } else {
            openSlots.emplace_back(node, BNODE_B);
            openSlots.emplace_back(node, BNODE_A);
        }
    }
    tree->width = uint16_t(canvas.width());
    tree->height = uint16_t(canvas.height());
    btree_visit_post(tree->root, bnode_update_depth);
    btree_fit(tree->root, tree->width, tree->height);
    btree_place(tree->root, 0, 0);
    return layout;
}

} // namespace

QByteArray projectToJson(const CollageDocument &document, const QString &folder)
{
    const QDir dir(folder);
    // Each photo's cell, for programs that read projects: the reader goes by the tree.
    QHash<int, QRect> cells;
    if (document.hasLayout()) {
        for (const RenderCell &cell : collectLeaves(document.layout.tree()))
            cells.insert(cell.img - 1, cell.rect);
    }
    QJsonArray photos;
    for (qsizetype i = 0; i < document.photos.size(); ++i) {
        const PhotoRecord &photo = document.photos.at(i);
        QJsonObject object {{QLatin1String("path"), storedPath(photo.path, dir)},
                            {QLatin1String("width"), photo.size.width()},
                            {QLatin1String("height"), photo.size.height()},
                            {QLatin1String("orientation"), photo.orientation},
                            {QLatin1String("cropX"), photo.crop.x()},
                            {QLatin1String("cropY"), photo.crop.y()}};
        if (photo.turns)
            object.insert(QLatin1String("turns"), photo.turns);
        if (photo.content)
            object.insert(QLatin1String("content"), contentObject(*photo.content));
        if (photo.emphasis != 1)
            object.insert(QLatin1String("emphasis"), photo.emphasis);
        if (const QRect cell = cells.value(int(i)); !cell.isEmpty())
            object.insert(QLatin1String("cell"),
                          QJsonArray {cell.x(), cell.y(), cell.width(), cell.height()});
        photos.append(object);
    }
    const QJsonObject frame {{QLatin1String("type"), int(document.frame.type)},
                             {QLatin1String("margin"), document.frame.a},
                             {QLatin1String("curve"), document.frame.b}};
    QJsonObject root {
        {QLatin1String("format"), QLatin1String(formatName)},
        {QLatin1String("version"), formatVersion},
        {QLatin1String("canvas"), sizeObject(document.canvasSize)},
        {QLatin1String("requested"), sizeObject(document.requestedSize)},
        {QLatin1String("background"), document.background.name(QColor::HexArgb)},
        {QLatin1String("frame"), frame},
        {QLatin1String("seed"), qint64(document.seed)},
        {QLatin1String("photos"), photos},
        {QLatin1String("tree"), treeTokens(document)},
    };
    // Written only where it differs from what an older reader assumes, so a project saved
    // before keeps its bytes.
    if (document.dpi != defaultDpi)
        root.insert(QLatin1String("dpi"), document.dpi);
    if (document.crop == CropMode::Auto) // absent: centre
        root.insert(QLatin1String("cropMode"), QLatin1String("auto"));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Result<CollageDocument> projectFromJson(const QByteArray &bytes, const QString &folder)
{
    QJsonParseError parseError {};
    const QJsonDocument json = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !json.isObject())
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the file is damaged or not a project"));
    const QJsonObject root = json.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String(formatName))
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "not a Vellomir project"));
    const QJsonValue versionValue = root.value(QLatin1String("version"));
    const auto version = wholeNumber(versionValue, 1, formatVersion);
    if (!version) {
        if (versionValue.isDouble() && versionValue.toDouble() > formatVersion)
            return refuse(QT_TRANSLATE_NOOP("ProjectFile", "made by a newer version of Vellomir"));
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the project file is damaged"));
    }

    CollageDocument document;
    const auto canvas = sizeFrom(root.value(QLatin1String("canvas")), maxWorkingSide);
    const auto requested = sizeFrom(root.value(QLatin1String("requested")), maxRequestedSide);
    if (!canvas || !requested)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the canvas size is not usable"));
    document.canvasSize = *canvas;
    document.requestedSize = *requested;
    // Projects from before the resolution was chosen were saved at 300 dpi.
    if (const QJsonValue dpi = root.value(QLatin1String("dpi")); !dpi.isUndefined()) {
        const auto value = wholeNumber(dpi, minDpi, maxDpi);
        if (!value)
            return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the resolution is not usable"));
        document.dpi = int(*value);
    }

    const auto background = colourFrom(root.value(QLatin1String("background")));
    if (!background)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the background colour is not usable"));
    document.background = *background;

    const QJsonObject frame = root.value(QLatin1String("frame")).toObject();
    const auto type = wholeNumber(frame.value(QLatin1String("type")), 1, 3);
    const auto margin = wholeNumber(frame.value(QLatin1String("margin")), 0, maxFrameParameter);
    const auto curve = wholeNumber(frame.value(QLatin1String("curve")), 0, maxFrameParameter);
    if (!type || !margin || !curve)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the frame is not usable"));
    // Beyond the sliders' ends the window would draw a frame other than the one it shows.
    document.frame = FrameSettings {
        FrameType(*type),
        std::min(int(*margin), frameLimit(limits::maxFrameMargin, *canvas, *requested)),
        std::min(int(*curve), frameLimit(limits::maxFrameParameter, *canvas, *requested))};

    const auto seed = wholeNumber(root.value(QLatin1String("seed")), 0, 0xffffffffLL);
    if (!seed)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the project file is damaged"));
    document.seed = unsigned(*seed);
    // Projects from before automatic crops have none: their tiles stay centred, as saved.
    document.crop = root.value(QLatin1String("cropMode")).toString() == QLatin1String("auto")
                        ? CropMode::Auto
                        : CropMode::Centre;

    const QJsonValue photosValue = root.value(QLatin1String("photos"));
    if (!photosValue.isArray())
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the project file is damaged"));
    const QJsonArray photos = photosValue.toArray();
    if (photos.size() > maxCollagePhotos)
        return Failure {QCoreApplication::translate("ProjectFile", "more than %1 photos")
                            .arg(maxCollagePhotos)};
    const QDir dir(folder);
    for (const QJsonValue &value : photos) {
        Result<PhotoRecord> photo = photoFrom(value, dir);
        if (!photo)
            return Failure {photo.error()};
        document.photos.append(*std::move(photo));
    }

    const QJsonValue treeValue = root.value(QLatin1String("tree"));
    if (!treeValue.isArray())
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the project file is damaged"));
    const QJsonArray tokens = treeValue.toArray();
    if (tokens.isEmpty())
        return document;
    const auto shape = treeShape(tokens, int(document.photos.size()));
    if (!shape)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the layout does not match the photos"));
    document.layout = buildTree(*shape, document.photos, document.canvasSize);
    const char *why = nullptr;
    if (btree_check(document.layout.tree(), 1, &why)) {
        qCDebug(lcProject) << "tree refused:" << why;
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the layout does not match the photos"));
    }
    return document;
}

Result<CollageDocument> readProjectFile(const QString &fileName)
{
    // Looked at before opening: opening a pipe or a device could block or never end.
    const QFileInfo info(fileName);
    if (!info.exists())
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the file does not exist"));
    if (!info.isFile())
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "not a regular file"));
    if (info.size() > maxProjectBytes)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the file is too large for a project"));

    // The name could be given to a pipe between the look and the open: opening without
    // blocking and looking again at what was opened closes that gap.
    const QByteArray localName = QFile::encodeName(info.absoluteFilePath());
    const int fd = ::open(localName.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Failure {QCoreApplication::translate("ProjectFile", "cannot read the file: %1")
                            .arg(qt_error_string(errno))};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure {QCoreApplication::translate("ProjectFile", "cannot read the file: %1")
                            .arg(file.errorString())};
    }
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "not a regular file"));
    // A file that grew since the look is still read no further than the limit.
    const QByteArray bytes = file.read(maxProjectBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Failure {QCoreApplication::translate("ProjectFile", "cannot read the file: %1")
                            .arg(file.errorString())};
    if (bytes.size() > maxProjectBytes)
        return refuse(QT_TRANSLATE_NOOP("ProjectFile", "the file is too large for a project"));
    return projectFromJson(bytes, info.absolutePath());
}

Result<void> writeProjectFile(const CollageDocument &document, const QString &fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    const QByteArray bytes = projectToJson(document, folder);
    // A file that would not open again is not written: saving must not report success for
    // work that is lost.
    if (const Result<CollageDocument> check = projectFromJson(bytes, folder); !check)
        return Failure {
            QCoreApplication::translate("ProjectFile", "the project cannot be stored: %1")
                .arg(check.error())};
    if (Result<void> replaceable = replaceableTarget(fileName); !replaceable)
        return replaceable;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Failure {saveFailureReason(file)};
    // The bytes sit in the file's buffer until the flush: a full disk shows only there, and
    // commit() would still put the short file in the old one's place.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = fileFailureReason(file.error(), file.errorString());
        file.cancelWriting();
        return Failure {reason};
    }
    if (!file.commit())
        return Failure {saveFailureReason(file)};
    return {};
}

QString completeProjectName(const QString &fileName)
{
    if (QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        return fileName;
    return fileName + QLatin1Char('.') + QLatin1String(projectSuffix);
}
