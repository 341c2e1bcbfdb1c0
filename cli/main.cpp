// vellomir-collage: the window's collage, made from the command line.
#include "btree.h"
#include "collagedocument.h"
#include "collagefile.h"
#include "collagerender.h"
#include "contentdetect.h"
#include "imagecache.h"
#include "layoutrun.h"
#include "papersize.h"
#include "photoadding.h"
#include "photoloader.h"
#include "photoscan.h"
#include "projectfile.h"

#include <QColor>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <unistd.h>
#include <variant>
#include <vector>

namespace {

enum ExitCode { Written = 0, BadInput = 1, NotWritten = 2 };
// Three canvas-sized layers are held at once; this keeps them within about 1.2 GB.
const int maxCanvasSide = 10000;
const int minCanvasSide = 100;
// Whether the libraries' Qt diagnostics reach stderr (--verbose).
bool qtChatter = false;

struct Options
{
    QStringList inputs;
    QString output; // with the suffix completed
    CollageFormat format = CollageFormat::Unsupported;
    QSize size {1795, 1205};
    FrameSettings frame;
    QColor background = Qt::white;
    unsigned seed = 0;
    bool list = false;
    bool quiet = false;
    bool verbose = false;
    bool previews = false; // --previews: photos may be drawn from their EXIF previews
    bool sizeGiven = false;
    CropMode crop = CropMode::Auto; // --crop
    bool cropGiven = false;
    // --emphasis PATH=N, in the order given: a later one for the same photo wins.
    QList<std::pair<QString, qreal>> emphasis;
    int dpi = defaultDpi; // --dpi: written into the file; with --paper, the pixels follow
    bool dpiGiven = false;
    double bleedMm = 0; // --bleed: PDF only
    QString project; // --project: render this project instead of laying out photos
    QString saveProject; // --save-project: also write the project of the collage made
};

QString listField(const QString &path);

// Messages name files, whose names may hold anything: escaped as --list escapes them, no
// name can split a message or send a terminal commands.
int fail(const QString &message, int code)
{
    std::fprintf(stderr, "vellomir-collage: %s\n", qPrintable(listField(message)));
    return code;
}

void warn(const QString &message)
{
    std::fprintf(stderr, "vellomir-collage: %s\n", qPrintable(listField(message)));
}

// The photos to try, and what was passed over before any photo was read.
struct Candidates
{
    QStringList files;
    QList<PhotoProblem> skipped;
};

// Files named on the command line are taken as they are; folders are read
// like Add Folder. A name in `undecodable` cannot be opened by the name Qt holds.
Candidates candidates(const QStringList &inputs, const QStringList &undecodable)
{
    Candidates found;
    for (const QString &input : inputs) {
        if (undecodable.contains(input)) {
            found.skipped.append({input, undecodableNameReason()});
        } else if (QFileInfo(input).isDir()) {
            const FolderScan scan = scanFolder(input);
            found.files << scan.files;
            found.skipped << scan.skipped;
        } else {
            found.files << input;
        }
    }
    return found;
}

// The arguments whose bytes do not survive decoding, as Qt decodes them.
QStringList undecodableArguments(int argc, char *argv[])
{
    QStringList names;
    for (int i = 1; i < argc; ++i) {
        if (!nameSurvivesDecoding(QByteArray(argv[i])))
            names << QFile::decodeName(argv[i]);
    }
    return names;
}

// WxH, each side within the canvas's bounds.
std::optional<QSize> parseSize(const QString &text)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false;
    bool okH = false;
    const int w = parts[0].toInt(&okW);
    const int h = parts[1].toInt(&okH);
    if (!okW || !okH || w < minCanvasSide || h < minCanvasSide || w > maxCanvasSide
        || h > maxCanvasSide)
        return std::nullopt;
    return QSize(w, h);
}

// The most a window slider of `base` gives at `size`: the window works at the smaller canvas
// workingCanvasSize() picks and scales the frame by as much on saving.
int frameLimit(int base, const QSize &size)
{
    const QSize working = workingCanvasSize(size);
    const double factor = std::min(double(size.width()) / working.width(),
                                   double(size.height()) / working.height());
    return int(std::lround(frameSliderMaximum(base, working) * factor));
}

// PATH=N: the last "=" parts them, as a path may hold one too.
std::optional<std::pair<QString, qreal>> parseEmphasis(const QString &text)
{
    const qsizetype equals = text.lastIndexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    bool ok = false;
    const double value = text.mid(equals + 1).toDouble(&ok);
    if (!ok || nearestEmphasis(value) != value)
        return std::nullopt;
    return std::pair {text.left(equals), qreal(value)};
}

std::optional<int> parseBounded(const QString &text, int low, int high)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}

// The options the arguments give, or the exit code of a run that ends here: help, the
// version, or arguments that cannot be used, told on stderr.
std::variant<Options, int> parseArguments(const QCoreApplication &app)
{
    Options options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes a photo collage and writes it as JPEG or PNG."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("photos"),
        QStringLiteral("Photo files and folders of photos (JPEG, HEIF, AVIF, PNG, WebP, TIFF)."),
        QStringLiteral("PHOTO|FOLDER..."));
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("Output file (.jpg, .jpeg, .png or .pdf)."),
                                       QStringLiteral("OUT"));
    const QCommandLineOption sizeOpt(QStringLiteral("size"),
                                     QStringLiteral("Canvas size (default 1795x1205)."),
                                     QStringLiteral("WxH"));
    const QCommandLineOption paperOpt(
        QStringLiteral("paper"),
        QStringLiteral("Canvas of a paper size at --dpi, landscape unless --portrait: A5, A4, A3, "
                       "A2, Letter, Legal, Tabloid, 10x15cm, 13x18cm, 15x20cm, 20x30cm, 4x6in, "
                       "5x7in, 8x10in, or any WxH in mm, cm or in."),
        QStringLiteral("PAPER"));
    const QCommandLineOption dpiOpt(
        QStringLiteral("dpi"),
        QStringLiteral("Resolution on paper, written into the file (default 300)."),
        QStringLiteral("N"));
    const QCommandLineOption bleedOpt(
        QStringLiteral("bleed"),
        QStringLiteral("PDF only: background and edge photos go this far past the trim."),
        QStringLiteral("MM"));
    const QCommandLineOption portraitOpt(QStringLiteral("portrait"),
                                         QStringLiteral("Canvas taller than wide."));
    const QCommandLineOption frameOpt(QStringLiteral("frame"),
                                      QStringLiteral("Photo frame: rect, rounded or scallop."),
                                      QStringLiteral("TYPE"));
    const QCommandLineOption marginOpt(
        QStringLiteral("margin"),
        QStringLiteral(
            "Frame margin in pixels (default 0; at most 30, more in proportion on canvases "
            "the window works on smaller)."),
        QStringLiteral("A"));
    const QCommandLineOption paramOpt(
        QStringLiteral("param"),
        QStringLiteral(
            "Corner radius or scallop half-width in pixels (default 10; at most 40, scaled "
            "as the margin)."),
        QStringLiteral("B"));
    const QCommandLineOption backgroundOpt(
        QStringLiteral("background"),
        QStringLiteral("Background colour: #RRGGBB, #AARRGGBB or a name (default white)."),
        QStringLiteral("COLOR"));
    const QCommandLineOption seedOpt(
        QStringLiteral("seed"), QStringLiteral("Layout seed (default: seconds since midnight)."),
        QStringLiteral("N"));
    const QCommandLineOption emphasisOpt(
        QStringLiteral("emphasis"),
        QStringLiteral("Give the photo PATH N times the share of the canvas the layout aims at "
                       "for the others: N is 0.5, 1, 2 or 4 (default 1). Repeatable; with "
                       "--project the collage is refitted."),
        QStringLiteral("PATH=N"));
    const QCommandLineOption listOpt(
        QStringLiteral("list"),
        QStringLiteral("List the candidate files, tab-separated; makes no collage."));
    const QCommandLineOption quietOpt(QStringLiteral("quiet"),
                                      QStringLiteral("No progress and no seed line."));
    const QCommandLineOption verboseOpt(QStringLiteral("verbose"),
                                        QStringLiteral("Layout engine trace on stderr."));
    const QCommandLineOption projectOpt(
        QStringLiteral("project"),
        QStringLiteral("Render a saved project instead of photos; --size may change its size, "
                       "the layout refitted to a new shape."),
        QStringLiteral("FILE"));
    const QCommandLineOption saveProjectOpt(
        QStringLiteral("save-project"),
        QStringLiteral("Also write the project of the collage made (.vellomir)."),
        QStringLiteral("FILE"));
    const QCommandLineOption previewsOpt(
        QStringLiteral("previews"),
        QStringLiteral("Draw a photo from the small preview its EXIF carries where that covers "
                       "its cell: faster, a little softer."));
    const QCommandLineOption cropOpt(
        QStringLiteral("crop"),
        QStringLiteral("How tiles are cut from the photos: auto keeps the faces or the subject "
                       "in view, centre cuts around the middle (default auto; a project keeps "
                       "its own unless given)."),
        QStringLiteral("auto|centre"));
    parser.addOptions({outputOpt, sizeOpt, paperOpt, dpiOpt, bleedOpt, portraitOpt, frameOpt,
                       marginOpt, paramOpt, backgroundOpt, seedOpt, emphasisOpt, listOpt, quietOpt,
                       verboseOpt, projectOpt, saveProjectOpt, previewsOpt, cropOpt});

    if (!parser.parse(app.arguments()))
        return fail(parser.errorText(), BadInput);
    // process() alone knows Qt's own options; it prints them with the tool's and exits.
    if (parser.isSet(QStringLiteral("help-all")))
        parser.process(app);
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return Written;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("vellomir-collage %s\n", VELLOMIR_VERSION);
        return Written;
    }

    options.inputs = parser.positionalArguments();
    options.list = parser.isSet(listOpt);
    options.quiet = parser.isSet(quietOpt);
    options.previews = parser.isSet(previewsOpt);
    options.verbose = parser.isSet(verboseOpt);
    qtChatter = options.verbose;
    options.project = parser.value(projectOpt);
    if (parser.isSet(saveProjectOpt))
        options.saveProject = completeProjectName(parser.value(saveProjectOpt));
    if (!options.project.isEmpty() && !options.inputs.isEmpty())
        return fail(QStringLiteral("--project takes no photos or folders"), BadInput);
    if (options.inputs.isEmpty() && options.project.isEmpty())
        return fail(QStringLiteral("no photo or folder given"), BadInput);
    // The project holds its appearance; its options would otherwise be silently ignored.
    for (const QCommandLineOption &option : {frameOpt, marginOpt, paramOpt, backgroundOpt}) {
        if (!options.project.isEmpty() && parser.isSet(option))
            return fail(QStringLiteral("--%1 does not apply to --project: the project holds its "
                                       "appearance")
                            .arg(option.names().constFirst()),
                        BadInput);
    }
    if (options.list && !options.project.isEmpty())
        return fail(QStringLiteral("--list takes photos or folders, not --project"), BadInput);
    if (options.list && parser.isSet(emphasisOpt))
        return fail(QStringLiteral("--list makes no collage and takes no --emphasis"), BadInput);
    for (const QString &value : parser.values(emphasisOpt)) {
        const std::optional<std::pair<QString, qreal>> given = parseEmphasis(value);
        if (!given)
            return fail(QStringLiteral("bad --emphasis \"%1\": expected PATH=N, N one of 0.5, 1, "
                                       "2 or 4")
                            .arg(value),
                        BadInput);
        options.emphasis.append(*given);
    }
    if (options.list)
        return options;

    options.output = parser.value(outputOpt);
    if (options.output.isEmpty())
        return fail(QStringLiteral("no output file given (-o OUT)"), BadInput);
    // Checked before any photo is read, so a wrong name fails at once.
    options.format = completeCollageName(options.output);
    if (options.format == CollageFormat::Unsupported)
        return fail(
            QStringLiteral("unsupported output format \"%1\": use .jpg, .jpeg, .png or .pdf")
                .arg(options.output),
            BadInput);
    if (!options.saveProject.isEmpty() && sameFile(options.output, options.saveProject))
        return fail(
            QStringLiteral("-o and --save-project name the same file %1").arg(options.saveProject),
            BadInput);
    options.sizeGiven = parser.isSet(sizeOpt);
    const std::optional<QSize> size
        = parser.isSet(sizeOpt) ? parseSize(parser.value(sizeOpt)) : options.size;
    if (!size)
        return fail(QStringLiteral("bad --size \"%1\": expected WxH, each side %2 to %3")
                        .arg(parser.value(sizeOpt))
                        .arg(minCanvasSide)
                        .arg(maxCanvasSide),
                    BadInput);
    options.size = *size;
    options.cropGiven = parser.isSet(cropOpt);
    if (options.cropGiven) {
        const QString crop = parser.value(cropOpt);
        if (crop == QLatin1String("auto"))
            options.crop = CropMode::Auto;
        else if (crop == QLatin1String("centre"))
            options.crop = CropMode::Centre;
        else
            return fail(QStringLiteral("bad --crop \"%1\": expected auto or centre").arg(crop),
                        BadInput);
    }
    if (parser.isSet(dpiOpt)) {
        if (const std::optional<int> dpi = parseBounded(parser.value(dpiOpt), minDpi, maxDpi))
            options.dpi = *dpi;
        else
            return fail(QStringLiteral("bad --dpi \"%1\": expected %2 to %3")
                            .arg(parser.value(dpiOpt))
                            .arg(minDpi)
                            .arg(maxDpi),
                        BadInput);
    }
    options.dpiGiven = parser.isSet(dpiOpt);
    if (parser.isSet(paperOpt)) {
        if (options.sizeGiven)
            return fail(QStringLiteral("--paper and --size both give the canvas size; use one"),
                        BadInput);
        const std::optional<QSizeF> paper = parsePaper(parser.value(paperOpt));
        if (!paper)
            return fail(QStringLiteral("bad --paper \"%1\": expected a paper such as A4, "
                                       "10x15cm or 5x7in")
                            .arg(parser.value(paperOpt)),
                        BadInput);
        QSize pixels = paperPixels(*paper, options.dpi);
        if (pixels.width() < pixels.height())
            pixels.transpose();
        if (std::min(pixels.width(), pixels.height()) < minCanvasSide
            || std::max(pixels.width(), pixels.height()) > maxCanvasSide)
            return fail(QStringLiteral("--paper %1 at %2 dpi is %3x%4 pixels: each side must be "
                                       "%5 to %6")
                            .arg(parser.value(paperOpt))
                            .arg(options.dpi)
                            .arg(pixels.width())
                            .arg(pixels.height())
                            .arg(minCanvasSide)
                            .arg(maxCanvasSide),
                        BadInput);
        options.size = pixels;
        options.sizeGiven = true;
    }
    if (parser.isSet(bleedOpt)) {
        bool ok = false;
        options.bleedMm = parser.value(bleedOpt).toDouble(&ok);
        if (!ok || !(options.bleedMm >= 0 && options.bleedMm <= maxBleedMm))
            return fail(QStringLiteral("bad --bleed \"%1\": expected 0 to %2 mm")
                            .arg(parser.value(bleedOpt))
                            .arg(maxBleedMm),
                        BadInput);
        if (options.format != CollageFormat::Pdf)
            return fail(QStringLiteral("--bleed needs a .pdf output"), BadInput);
    }
    if (parser.isSet(portraitOpt) && options.size.width() > options.size.height())
        options.size.transpose();
    if (parser.isSet(frameOpt)) {
        const QString frame = parser.value(frameOpt);
        if (frame == QLatin1String("rect"))
            options.frame.type = FrameType::Rect;
        else if (frame == QLatin1String("rounded"))
            options.frame.type = FrameType::Rounded;
        else if (frame == QLatin1String("scallop"))
            options.frame.type = FrameType::Scallop;
        else
            return fail(
                QStringLiteral("bad --frame \"%1\": expected rect, rounded or scallop").arg(frame),
                BadInput);
    }
    // Beyond the window's own sliders a frame would swallow the photos.
    // The value given, or `current` when none is; nothing for one out of bounds, told.
    const auto bounded
        = [&](const QCommandLineOption &option, int sliderMax, int current) -> std::optional<int> {
        const int limit = frameLimit(sliderMax, options.size);
        if (!parser.isSet(option))
            return current;
        if (const std::optional<int> parsed = parseBounded(parser.value(option), 0, limit))
            return parsed;
        fail(QStringLiteral("bad --%1 \"%2\": expected 0 to %3 at %4x%5")
                 .arg(option.names().constFirst(), parser.value(option), QString::number(limit),
                      QString::number(options.size.width()),
                      QString::number(options.size.height())),
             BadInput);
        return std::nullopt;
    };
    const std::optional<int> margin = bounded(marginOpt, frameMarginBase, options.frame.a);
    if (!margin)
        return BadInput;
    options.frame.a = *margin;
    const std::optional<int> parameter = bounded(paramOpt, frameCurveBase, options.frame.b);
    if (!parameter)
        return BadInput;
    options.frame.b = *parameter;
    if (parser.isSet(backgroundOpt)) {
        const QColor colour(parser.value(backgroundOpt));
        if (!colour.isValid())
            return fail(QStringLiteral("bad --background \"%1\"").arg(parser.value(backgroundOpt)),
                        BadInput);
        options.background = colour;
    }
    if (parser.isSet(seedOpt)) {
        bool ok = false;
        options.seed = parser.value(seedOpt).toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("bad --seed \"%1\"").arg(parser.value(seedOpt)), BadInput);
    } else {
        options.seed = secondsSinceMidnight();
    }
    return options;
}

// A path as one field of a --list record: tabs, line breaks and backslashes escaped, so
// that every record stays one line of tab-separated fields, and every other control character
// as \xHH, so that none reaches a terminal.
QString listField(const QString &path)
{
    QString field;
    field.reserve(path.size());
    for (const QChar c : path) {
        if (c == QLatin1Char('\\'))
            field += QLatin1String("\\\\");
        else if (c == QLatin1Char('\t'))
            field += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            field += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            field += QLatin1String("\\r");
        else if (c.category() == QChar::Other_Control)
            field += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            field += c;
    }
    return field;
}

// Why a file was not added, in the words of the list and of the collage run's messages.
QString notAddedReason(const NotAdded &file)
{
    return file.why == NotAddedWhy::AlreadyAdded ? QStringLiteral("already added") : file.reason;
}

int listCandidates(const Candidates &found)
{
    const auto put = [](const QString &record) {
        const QByteArray line = (record + QLatin1Char('\n')).toLocal8Bit();
        return std::fwrite(line.constData(), 1, size_t(line.size()), stdout) == size_t(line.size());
    };
    // The files as a collage would take them, without its cap: a listing holds them all.
    const PhotoAdditions additions = addPhotos({}, found.files, std::numeric_limits<int>::max());
    bool written = true;
    qsizetype added = 0;
    qsizetype notAdded = 0;
    for (qsizetype i = 0; i < found.files.size() && written; ++i) {
        if (notAdded < additions.notAdded.size() && additions.notAdded[notAdded].offered == i) {
            const NotAdded &file = additions.notAdded[notAdded++];
            written = put(
                QStringLiteral("skipped\t%1\t%2").arg(listField(file.path), notAddedReason(file)));
            continue;
        }
        const PhotoRecord &record = additions.photos[added];
        written = put(QStringLiteral("ok\t%1\t%2x%3\t%4\t%5")
                          .arg(listField(record.path), QString::number(record.size.width()),
                               QString::number(record.size.height()),
                               QString::number(record.orientation),
                               photoFormatName(additions.formats[added])));
        ++added;
    }
    for (const PhotoProblem &problem : found.skipped) {
        if (!written)
            break;
        written
            = put(QStringLiteral("skipped\t%1\t%2").arg(listField(problem.path), problem.reason));
    }
    // A full disk or a closed pipe shows at the latest when the last bytes go out.
    if (!written || std::fflush(stdout) != 0)
        return fail(QStringLiteral("cannot write the list: %1").arg(qt_error_string(errno)),
                    NotWritten);
    return Written;
}

// A one-line bar on stderr, redrawn in place; only used on a terminal.
class ProgressBar
{
public:
    explicit ProgressBar(bool enabled)
        : enabled(enabled)
    {
    }
    ~ProgressBar() { finish(); }

    void show(const char *stage, int done, int total)
    {
        if (!enabled || total <= 0)
            return;
        const std::lock_guard<std::mutex> guard(mutex);
        const int width = 30;
        const int filled = done * width / total;
        std::fprintf(stderr, "\r%-8s [%.*s%*s] %3d%%", stage, filled,
                     "##############################", width - filled, "", done * 100 / total);
        std::fflush(stderr);
        drawn = true;
    }
    void finish()
    {
        const std::lock_guard<std::mutex> guard(mutex);
        if (drawn)
            std::fputc('\n', stderr);
        drawn = false;
    }

private:
    bool enabled;
    bool drawn = false;
    std::mutex mutex;
};

void quietSink(int, const char *) { }

// Everything the engine says goes to stderr, so that stdout stays the tool's own.
void stderrSink(int channel, const char *text)
{
    if (channel == BTREE_OUT_DEBUG)
        std::fprintf(stderr, "%s\n", text);
    else
        std::fputs(text, stderr);
}

// The libraries' own diagnostics are for --verbose; stderr otherwise carries only this
// tool's messages and real failures.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (!qtChatter && type != QtCriticalMsg && type != QtFatalMsg)
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

// The output and the project to write must not be any file given: a collage written over its
// own photo destroys it, and a photo refused or left out, or the project read, is still
// somebody's file. Returns the exit code, or -1 when both are clear.
int refuseOverwritingInputs(const Options &options, const QStringList &inputs)
{
    for (const QString &output : {options.output, options.saveProject}) {
        if (output.isEmpty())
            continue;
        if (const std::optional<QString> input = clashingFile(output, inputs))
            return fail(QStringLiteral("%1 is the input %2; choose another output file")
                            .arg(output, *input),
                        NotWritten);
    }
    return -1;
}

// Under CropMode::Auto, the document with the content boxes the cache holds for photos that
// have none, and the photos still without one, as they stand now. The render analyses those
// as it decodes them (RenderOptions::analyse): a photo that cannot be analysed gets an empty
// box, the centre crop it is drawn with, so that the project written of the collage opens to
// the same collage.
struct CachedContent
{
    CollageDocument document;
    QList<PhotoStamp> missing;
};

CachedContent withCachedContent(CollageDocument document, const ContentCache &cache)
{
    QList<PhotoStamp> missing;
    if (document.crop != CropMode::Auto)
        return {std::move(document), missing};
    QSet<QString> asked;
    QHash<QString, ContentBox> cached;
    for (const PhotoRecord &photo : std::as_const(document.photos)) {
        if (photo.content || asked.contains(photo.path))
            continue;
        asked.insert(photo.path);
        const PhotoStamp stamp = stampOf(photo.path);
        if (const std::optional<ContentBox> box = cache.find(stamp))
            cached.insert(photo.path, *box);
        else
            missing.append(stamp);
    }
    return {withContent(std::move(document), cached), missing};
}

// The document with what the analysis finds now in the photos `missing` names, through the
// cache, for a render that cannot analyse as it decodes.
CollageDocument withAnalysedPhotos(CollageDocument document, const QList<PhotoStamp> &missing,
                                   ContentCache &cache, const Options &options)
{
    if (missing.isEmpty())
        return document;
    ProgressBar bar(!options.quiet && isatty(STDERR_FILENO));
    std::atomic<int> done {0};
    ContentCallbacks callbacks;
    callbacks.found
        = [&](const PhotoContent &) { bar.show("analyse", ++done, int(missing.size())); };
    QHash<QString, ContentBox> boxes;
    for (const PhotoContent &result : analysePhotos(missing, cache, callbacks))
        boxes.insert(result.photo.path, result.box.value_or(ContentBox()));
    return withContent(std::move(document), boxes);
}

// The photos with the emphases --emphasis gives them, each path matched to a photo as a file,
// by any name or link; or the first path that is none of the photos.
struct Emphasised
{
    QList<PhotoRecord> photos;
    QString unknown;
};

Emphasised emphasised(QList<PhotoRecord> photos, const Options &options)
{
    const auto file = [](const QString &path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    };
    QStringList files;
    for (const PhotoRecord &photo : std::as_const(photos))
        files << file(photo.path);
    for (const auto &[path, emphasis] : options.emphasis) {
        const qsizetype index = files.indexOf(file(path));
        if (index < 0)
            return {std::move(photos), path};
        photos[index].emphasis = emphasis;
    }
    return {std::move(photos), QString()};
}

int unknownEmphasised(const QString &path)
{
    return fail(QStringLiteral("bad --emphasis: %1 is not a photo of the collage").arg(path),
                BadInput);
}

// Whether a layout drawn at `to` would show visibly stretched: the shapes differ by more than
// one percent. Within that, a layout is drawn as it is, as it always was.
bool reshapes(const QSize &from, const QSize &to)
{
    const double ratio
        = (double(from.width()) * to.height()) / (double(from.height()) * to.width());
    return std::fabs(std::log(ratio)) > std::log(1.01);
}

// The canvas a project is refitted on for a collage of `size`: the shape of `size` at the area
// of the project's canvas, so that frames keep their weight against the tiles; never larger
// than `size` itself.
QSize refitCanvas(const QSize &canvas, const QSize &size)
{
    const double scale = std::sqrt(double(canvas.width()) * canvas.height()
                                   / (double(size.width()) * size.height()));
    if (scale >= 1)
        return size;
    return QSize(std::max(1, int(std::lround(size.width() * scale))),
                 std::max(1, int(std::lround(size.height() * scale))));
}

// Renders the document at `size` and writes it, with its project when asked for. A photo that
// cannot be decoded is left out and reported; without any photo left nothing is written.
int renderAndWrite(const Options &options, const CollageDocument &document, const QSize &size)
{
    ContentCache analyses;
    CachedContent known = withCachedContent(document, analyses);
    ProgressBar bar(!options.quiet && isatty(STDERR_FILENO));
    // Nothing decoded is drawn twice here, so decodes are not kept: at a large size they
    // would hold more memory than the canvas.
    ImageCache cache(ImageCache::Retention::DrawOnly);
    SaveOptions saving;
    saving.dpi = document.dpi;
    saving.bleed = millimetrePixels(options.bleedMm, document.dpi);
    saving.title = QFileInfo(options.output).completeBaseName();
    RenderOptions paper;
    paper.bleed = saving.bleed;
    // Previews are only ever drawn into a photo layer, which is then composed as a collage is;
    // a layer has no bleed.
    const bool previews = options.previews && saving.bleed == 0;
    // A collage analyses as it decodes; previews are not what the analysis decodes.
    paper.analyse = !previews;
    if (previews) {
        known.document
            = withAnalysedPhotos(std::move(known.document), known.missing, analyses, options);
        known.missing.clear();
    }
    DocumentRender rendered = renderDocument(
        known.document, cache, size, previews ? RenderKind::PhotoLayer : RenderKind::Collage,
        [&bar](int done, int total) { bar.show("decode", done, total); }, paper);
    bar.finish();
    for (const PhotoStamp &stamp : std::as_const(known.missing)) {
        const auto photo = std::find_if(
            rendered.document.photos.cbegin(), rendered.document.photos.cend(),
            [&stamp](const PhotoRecord &record) { return record.path == stamp.path; });
        if (photo != rendered.document.photos.cend() && photo->content)
            analyses.store(stamp, *photo->content);
    }
    if (previews && !rendered.image.isNull())
        rendered.image = composeCollage(rendered.document, rendered.image);
    for (const PhotoProblem &problem : rendered.dropped)
        warn(QStringLiteral("skipped %1: cannot decode (%2)").arg(problem.path, problem.reason));
    for (const PhotoProblem &problem : rendered.damaged)
        warn(QStringLiteral("damaged %1: %2").arg(problem.path, problem.reason));
    if (rendered.image.isNull())
        return fail(QStringLiteral("not enough memory for a %1x%2 canvas")
                        .arg(size.width())
                        .arg(size.height()),
                    NotWritten);
    if (!document.photos.isEmpty() && rendered.document.photos.isEmpty())
        return fail(QStringLiteral("no photo could be decoded"), BadInput);

    if (const Result<void> written
        = writeCollage(rendered.image, options.output, options.format, saving);
        !written)
        return fail(QStringLiteral("cannot write %1: %2").arg(options.output, written.error()),
                    NotWritten);
    if (!options.saveProject.isEmpty()) {
        if (const Result<void> written = writeProjectFile(rendered.document, options.saveProject);
            !written)
            return fail(
                QStringLiteral("cannot write %1: %2").arg(options.saveProject, written.error()),
                NotWritten);
    }
    return Written;
}

int makeCollage(const Options &options, const QStringList &files)
{
    CollageDocument document;
    PhotoAdditions additions = addPhotos({}, files, maxCollagePhotos);
    int leftOut = 0;
    for (const NotAdded &file : std::as_const(additions.notAdded)) {
        if (file.why == NotAddedWhy::CollageFull)
            ++leftOut;
        else
            warn(QStringLiteral("skipped %1: %2").arg(file.path, notAddedReason(file)));
    }
    QList<PhotoRecord> &photos = document.photos;
    photos = std::move(additions.photos);
    if (leftOut > 0)
        warn(QStringLiteral("a collage takes at most %1 photos; %2 left out")
                 .arg(maxCollagePhotos)
                 .arg(leftOut));
    if (photos.isEmpty())
        return fail(QStringLiteral("no usable photo"), BadInput);
    Emphasised given = emphasised(photos, options);
    if (!given.unknown.isEmpty())
        return unknownEmphasised(given.unknown);
    photos = std::move(given.photos);

    if (!options.quiet) {
        std::printf("seed %u\n", options.seed);
        std::fflush(stdout);
    }

    ProgressBar bar(!options.quiet && isatty(STDERR_FILENO));

    // The window's own layout run; without pictures it still makes the progress pictures'
    // draws, so a seed gives the window's layout.
    LayoutCallbacks callbacks;
    callbacks.trace = options.verbose ? stderrSink : quietSink;
    callbacks.progress = [&bar](int value) {
        if (value > 0) // the closing 0 only resets the window's bar
            bar.show("layout", value, 100);
    };
    document.canvasSize = document.requestedSize = options.size;
    document.dpi = options.dpi;
    document.background = options.background;
    document.frame = options.frame;
    document.seed = options.seed;
    document.crop = options.crop;
    document.layout = runLayout(layoutSizes(photos), layoutEmphases(photos), options.size,
                                options.seed, callbacks);
    bar.finish();

    // The same image the window saves: the background with the photo layer over it.
    return renderAndWrite(options, document, options.size);
}

// Renders a saved project: the same image the window saves for it, at its own size unless
// --size asks for another. A size of another shape, or new emphases, refit the layout, with
// the project's seed, rather than stretch it; --save-project then stores the refitted collage.
int renderProject(const Options &options)
{
    const Result<CollageDocument> load = readProjectFile(options.project);
    if (!load)
        return fail(QStringLiteral("cannot open %1: %2").arg(options.project, load.error()),
                    BadInput);
    const CheckedDocument checked = checkPhotos(*load);
    for (const PhotoProblem &problem : checked.leftOut)
        warn(QStringLiteral("skipped %1: %2").arg(problem.path, problem.reason));
    CollageDocument document = checked.document;
    if (options.cropGiven)
        document.crop = options.crop;
    // A blank canvas is no collage of the project's.
    if (document.photos.isEmpty())
        return fail(QStringLiteral("no usable photo"), BadInput);
    Emphasised given = emphasised(document.photos, options);
    if (!given.unknown.isEmpty())
        return unknownEmphasised(given.unknown);
    const QSize size = options.sizeGiven ? options.size : document.requestedSize;
    if (given.photos != document.photos || reshapes(document.canvasSize, size)) {
        const QSize canvas = reshapes(document.canvasSize, size)
                                 ? refitCanvas(document.canvasSize, size)
                                 : document.canvasSize;
        const unsigned seed = document.seed;
        document.photos = std::move(given.photos);
        document = refittedTo(std::move(document), canvas, seed);
    }
    document.requestedSize = size;
    if (options.dpiGiven)
        document.dpi = options.dpi;

    // Every photo the project names, also those left out: a photo that has changed is still
    // somebody's photo.
    QStringList inputs {options.project};
    for (const PhotoRecord &photo : std::as_const(load->photos))
        inputs << photo.path;
    if (const int refused = refuseOverwritingInputs(options, inputs); refused >= 0)
        return refused;
    return renderAndWrite(options, document, size);
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(messageHandler);
    // Painting needs a GUI application, never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellomir-collage"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLOMIR_VERSION));

    const QStringList undecodable = undecodableArguments(argc, argv);
    const std::variant<Options, int> parsed = parseArguments(app);
    if (const int *exitCode = std::get_if<int>(&parsed))
        return *exitCode;
    const Options &options = std::get<Options>(parsed);

    if (!options.project.isEmpty())
        return renderProject(options);
    const Candidates found = candidates(options.inputs, undecodable);
    if (options.list)
        return listCandidates(found);
    QStringList inputs = found.files;
    for (const PhotoProblem &problem : found.skipped)
        inputs << problem.path;
    if (const int refused = refuseOverwritingInputs(options, inputs); refused >= 0)
        return refused;
    for (const PhotoProblem &problem : found.skipped)
        warn(QStringLiteral("skipped %1: %2").arg(problem.path, problem.reason));
    return makeCollage(options, found.files);
}
