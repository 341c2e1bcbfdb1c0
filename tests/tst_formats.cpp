// Every photo format the collection takes, generated here: HEIF and AVIF through libheif's own
// encoders, the others through Qt's writers, with orientations and damage added by hand.
#include "collagerender.h"
#include "exifreader.h"
#include "hostilefiles.h"
#include "imagecache.h"
#include "photoformat.h"
#include "photoloader.h"
#include "photoscan.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace {

QImage quadrants(int w, int h,
                 const QList<QColor> &colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow})
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h / 2, colours.at(0));
    p.fillRect(w / 2, 0, w - w / 2, h / 2, colours.at(1));
    p.fillRect(0, h / 2, w / 2, h - h / 2, colours.at(2));
    p.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, colours.at(3));
    return image;
}

// The image a file stores so that `orientation` turns it into `upright`.
QImage storedFor(const QImage &upright, int orientation)
{
    switch (orientation) {
    case 2:
        return upright.mirrored(true, false);
    case 3:
        return upright.mirrored(true, true);
    case 4:
        return upright.mirrored(false, true);
    case 5:
        return upright.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return upright.transformed(QTransform().rotate(-90));
    case 7:
        return upright.transformed(QTransform().rotate(-90)).mirrored(true, false);
    case 8:
        return upright.transformed(QTransform().rotate(90));
    default:
        return upright;
    }
}

// Whether each quarter of `image` shows its colour, sampled at the quarter's centre.
bool showsQuadrants(const QImage &image,
                    const QList<QColor> &colours = {Qt::red, Qt::green, Qt::blue, Qt::yellow})
{
    const int w = image.width();
    const int h = image.height();
    const QPoint centres[]
        = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i) {
        const QColor seen = image.pixelColor(centres[i]);
        const QColor &want = colours.at(i);
        if (qAbs(seen.red() - want.red()) > 60 || qAbs(seen.green() - want.green()) > 60
            || qAbs(seen.blue() - want.blue()) > 60) {
            qWarning() << "quarter" << i << "is" << seen << "not" << want;
            return false;
        }
    }
    return true;
}

QByteArray qtEncoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    writer.write(image);
    return bytes;
}

// A bare EXIF block, as PNG and WebP carry it: little-endian, IFD0 holding the orientation.
QByteArray exifBlock(int orientation)
{
    QByteArray tiff("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18);
    tiff += char(orientation);
    tiff += QByteArray(7, '\0');
    return tiff;
}

QByteArray pngWithExif(const QImage &stored, int orientation)
{
    const QByteArray png = qtEncoded(stored, "png");
    if (orientation == 0)
        return png;
    // After the signature and IHDR (8 + 25 bytes).
    return png.left(33) + hostile::pngChunk("eXIf", exifBlock(orientation)) + png.mid(33);
}

QByteArray riffChunk(const QByteArray &fourcc, const QByteArray &data)
{
    QByteArray chunk = fourcc + QByteArray(4, '\0') + data;
    qToLittleEndian(quint32(data.size()), chunk.data() + 4);
    if (data.size() % 2)
        chunk += '\0';
    return chunk;
}

// Qt writes a simple WebP; the extended one carries the EXIF chunk after the image's.
QByteArray webpWithExif(const QImage &stored, int orientation)
{
    const QByteArray simple = qtEncoded(stored, "webp");
    if (orientation == 0)
        return simple;
    QByteArray header(12, '\0');
    header[0] = 0x08; // EXIF present
    // The canvas, less one, in 24 bits each.
    qToLittleEndian(quint32(stored.width() - 1), header.data() + 4);
    qToLittleEndian(quint32(stored.height() - 1), header.data() + 7);
    const QByteArray body = riffChunk("VP8X", header.left(10)) + simple.mid(12)
                            + riffChunk("EXIF", exifBlock(orientation));
    QByteArray riff = "RIFF" + QByteArray(4, '\0') + "WEBP" + body;
    qToLittleEndian(quint32(riff.size() - 8), riff.data() + 4);
    return riff;
}

// The offset of a little-endian TIFF's first-directory entry for `tag`; -1 when there is none.
qsizetype tiffEntry(const QByteArray &tiff, quint16 tag)
{
    const quint32 directory = qFromLittleEndian<quint32>(tiff.constData() + 4);
    const quint16 count = qFromLittleEndian<quint16>(tiff.constData() + directory);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = directory + 2 + 12 * i;
        if (qFromLittleEndian<quint16>(tiff.constData() + entry) == tag)
            return entry;
    }
    return -1;
}

// Qt writes the Orientation tag of every TIFF: set to `orientation` by hand, the file holds
// exactly what a camera or scanner would write.
QByteArray tiffWithOrientation(const QImage &stored, int orientation)
{
    QByteArray tiff = qtEncoded(stored, "tiff");
    const qsizetype entry = tiffEntry(tiff, 0x0112);
    if (!tiff.startsWith("II") || entry < 0)
        return QByteArray();
    qToLittleEndian(quint16(orientation), tiff.data() + entry + 8);
    return tiff;
}

struct ContextFree
{
    void operator()(heif_context *context) const { heif_context_free(context); }
};
struct EncoderRelease
{
    void operator()(heif_encoder *encoder) const { heif_encoder_release(encoder); }
};
struct ImageRelease
{
    void operator()(heif_image *image) const { heif_image_release(image); }
};
struct OptionsFree
{
    void operator()(heif_encoding_options *options) const { heif_encoding_options_free(options); }
};

std::unique_ptr<heif_image, ImageRelease> heifImage(const QImage &source)
{
    const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
    heif_image *image = nullptr;
    heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                      &image);
    std::unique_ptr<heif_image, ImageRelease> held(image);
    heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < rgb.height(); ++y)
        memcpy(plane + qsizetype(y) * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    return held;
}

struct HeifRecipe
{
    heif_compression_format codec = heif_compression_HEVC;
    int orientation = 1; // written as the container's rotation and mirror
    QImage thumbnail; // encoded as the thumbnail, scaled to fit thumbnailBox
    int thumbnailBox = 0;
    int exifOrientation = 0; // an EXIF block inside, which the container overrules
};

bool canEncode(heif_compression_format codec)
{
    return heif_have_encoder_for_format(codec) && heif_have_decoder_for_format(codec);
}

QByteArray heifEncoded(const QImage &stored, const HeifRecipe &recipe)
{
    const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    heif_encoder *rawEncoder = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), recipe.codec, &rawEncoder).code
        != heif_error_Ok)
        return QByteArray();
    const std::unique_ptr<heif_encoder, EncoderRelease> encoder(rawEncoder);
    heif_encoder_set_lossy_quality(encoder.get(), 90);
    const std::unique_ptr<heif_encoding_options, OptionsFree> options(
        heif_encoding_options_alloc());
    options->image_orientation = heif_orientation(recipe.orientation);
    const auto image = heifImage(stored);
    heif_image_handle *handle = nullptr;
    if (heif_context_encode_image(context.get(), image.get(), encoder.get(), options.get(), &handle)
            .code
        != heif_error_Ok)
        return QByteArray();
    if (!recipe.thumbnail.isNull()) {
        heif_image_handle *thumbnail = nullptr;
        heif_context_encode_thumbnail(context.get(), heifImage(recipe.thumbnail).get(), handle,
                                      encoder.get(), options.get(), recipe.thumbnailBox,
                                      &thumbnail);
        heif_image_handle_release(thumbnail);
    }
    if (recipe.exifOrientation) {
        const QByteArray exif = QByteArray("Exif\0\0", 6) + exifBlock(recipe.exifOrientation);
        heif_context_add_exif_metadata(context.get(), handle, exif.constData(), int(exif.size()));
    }
    heif_image_handle_release(handle);

    QByteArray bytes;
    heif_writer writer {1, [](heif_context *, const void *data, size_t size, void *out) {
                            static_cast<QByteArray *>(out)->append(static_cast<const char *>(data),
                                                                   qsizetype(size));
                            return heif_error {heif_error_Ok, heif_suberror_Unspecified, ""};
                        }};
    heif_context_write(context.get(), &writer, &bytes);
    return bytes;
}

// Every 'ispe' box (the image's stored size) rewritten to claim w x h.
QByteArray claimingHeifSize(QByteArray heif, quint32 w, quint32 h)
{
    for (qsizetype at = heif.indexOf("ispe"); at >= 0; at = heif.indexOf("ispe", at + 4)) {
        qToBigEndian(w, heif.data() + at + 8);
        qToBigEndian(h, heif.data() + at + 12);
    }
    return heif;
}

QByteArray pngHeaderOfDepth(int w, int h, int depth)
{
    QByteArray png = hostile::pngHeader(w, h);
    QByteArray header(13, '\0');
    qToBigEndian(quint32(w), header.data());
    qToBigEndian(quint32(h), header.data() + 4);
    header[8] = char(depth);
    header[9] = 6;
    return png.left(8) + hostile::pngChunk("IHDR", header) + png.mid(33);
}

// A cell asks for the working canvas's decode, where a thumbnail that covers it may stand in.
PhotoLoader loaderFor(const PhotoRecord &record, double scale = 1.0, const QSize &cell = {})
{
    return {record.path,        scale, record.size.width(), record.size.height(),
            record.orientation, cell,  !cell.isEmpty()};
}

} // namespace

Q_DECLARE_METATYPE(PhotoFormat)

class TestFormats : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void detection_data();
    void detection();
    void orientations_data();
    void orientations();
    void thumbnails_data();
    void thumbnails();
    void pixelFormats_data();
    void pixelFormats();
    void hostileFiles_data();
    void hostileFiles();
    void everyPhotoAppears();
    void collageOfEveryFormat();
    void corpusReplay();
    void folderScan();
    void dialogFilters();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir dir;
};

void TestFormats::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(dir.isValid());
    for (const char *format : {"png", "webp", "tiff"})
        QVERIFY2(QImageReader::supportedImageFormats().contains(format), format);
}

QString TestFormats::write(const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(QString(name).replace(' ', '_')));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

void TestFormats::detection_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<PhotoFormat>("format");
    // The major brand, a minor version of 0, the compatible brands.
    const auto ftyp = [](const QByteArray &major, const QByteArray &compatible) {
        const QByteArray brands = major + QByteArray(4, '\0') + compatible;
        QByteArray box(4, '\0');
        qToBigEndian(quint32(8 + brands.size()), box.data());
        return box + "ftyp" + brands;
    };
    QTest::newRow("JPEG") << QByteArray("\xFF\xD8\xFF\xE0", 4) << PhotoFormat::Jpeg;
    QTest::newRow("PNG") << QByteArray("\x89PNG\r\n\x1A\n\0\0", 10) << PhotoFormat::Png;
    QTest::newRow("WebP") << QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16) << PhotoFormat::Webp;
    QTest::newRow("RIFF wave") << QByteArray("RIFF\0\0\0\0WAVEfmt ", 16) << PhotoFormat::Unknown;
    QTest::newRow("TIFF II") << QByteArray("II*\0\x08\0\0\0", 8) << PhotoFormat::Tiff;
    QTest::newRow("TIFF MM") << QByteArray("MM\0*\0\0\0\x08", 8) << PhotoFormat::Tiff;
    QTest::newRow("BigTIFF") << QByteArray("II+\0\x08\0\0\0", 8) << PhotoFormat::Tiff;
    QTest::newRow("heic") << ftyp("heic", "mif1heic") << PhotoFormat::Heif;
    QTest::newRow("mif1 with heic") << ftyp("mif1", "mif1heic") << PhotoFormat::Heif;
    QTest::newRow("mif1 alone") << ftyp("mif1", "mif1") << PhotoFormat::Heif;
    QTest::newRow("avif") << ftyp("avif", "avifmif1miaf") << PhotoFormat::Avif;
    QTest::newRow("mif1 with avif") << ftyp("mif1", "mif1avif") << PhotoFormat::Avif;
    QTest::newRow("mp4") << ftyp("isom", "isomavc1") << PhotoFormat::Unknown;
    // A brand beyond the box's own size is not the file's.
    QByteArray shortBox = ftyp("mp42", "") + "heic";
    QTest::newRow("brand past the box") << shortBox << PhotoFormat::Unknown;
    QTest::newRow("GIF") << QByteArray("GIF89a\x01\0\x01\0", 10) << PhotoFormat::Unknown;
    QTest::newRow("empty") << QByteArray() << PhotoFormat::Unknown;
    QTest::newRow("ftyp cut short") << QByteArray("\0\0\0\x18"
                                                  "ftyphe",
                                                  10)
                                    << PhotoFormat::Unknown;
}

void TestFormats::detection()
{
    QFETCH(QByteArray, head);
    QFETCH(PhotoFormat, format);
    QCOMPARE(photoFormatOf(head), format);
}

void TestFormats::orientations_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<int>("orientation"); // 0: the file carries none
    QTest::addColumn<int>("recorded");
    for (int n = 0; n <= 8; ++n) {
        for (const char *suffix : {"png", "webp", "tiff"})
            QTest::addRow("%s %d", suffix, n) << suffix << n << qMax(1, n);
        // The container turns them as they are decoded: recorded upright as they are.
        if (n >= 1) {
            QTest::addRow("heic %d", n) << "heic" << n << 1;
            QTest::addRow("avif %d", n) << "avif" << n << 1;
        }
    }
    QTest::newRow("heic 1, EXIF says 6") << "heic" << -6 << 1;
}

void TestFormats::orientations()
{
    QFETCH(QString, suffix);
    QFETCH(int, orientation);
    QFETCH(int, recorded);
    const QImage upright = quadrants(96, 64);
    const QImage stored = storedFor(upright, qMax(orientation, 1));
    QByteArray bytes;
    PhotoFormat format = PhotoFormat::Unknown;
    if (suffix == "png") {
        bytes = pngWithExif(stored, orientation);
        format = PhotoFormat::Png;
    } else if (suffix == "webp") {
        bytes = webpWithExif(stored, orientation);
        format = PhotoFormat::Webp;
    } else if (suffix == "tiff") {
        bytes = orientation ? tiffWithOrientation(stored, orientation) : qtEncoded(stored, "tiff");
        format = PhotoFormat::Tiff;
    } else {
        HeifRecipe recipe;
        recipe.codec = suffix == "avif" ? heif_compression_AV1 : heif_compression_HEVC;
        if (!canEncode(recipe.codec))
            QSKIP("libheif has no encoder for the format");
        recipe.orientation = qMax(orientation, 1);
        recipe.exifOrientation = orientation < 0 ? -orientation : 0;
        format = suffix == "avif" ? PhotoFormat::Avif : PhotoFormat::Heif;
        bytes = heifEncoded(stored, recipe);
    }
    QVERIFY(!bytes.isEmpty());
    const QString path = write(QString("orientation_%1.%2").arg(orientation).arg(suffix), bytes);

    const Result<PhotoReading> reading = readPhoto(path);
    QVERIFY2(reading, qPrintable(reading.error()));
    QCOMPARE(reading->format, format);
    QCOMPARE(reading->record.orientation, recorded);
    QCOMPARE(reading->record.size, upright.size());

    // Whole, and reduced as a render asks for it.
    for (const double scale : {1.0, 2.0}) {
        const Result<DecodedPhoto> decoded = decodePhoto(loaderFor(reading->record, scale));
        QVERIFY2(decoded, qPrintable(decoded.error()));
        QCOMPARE(decoded->image.size(), upright.size() / scale);
        QVERIFY(showsQuadrants(decoded->image));
    }
}

void TestFormats::thumbnails_data()
{
    QTest::addColumn<QString>("thumbnail"); // none, intact or damaged
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<bool>("thumbnailShown");
    QTest::addColumn<QSize>("decoded");
    // The photo is 480x320; its thumbnail, in other colours, 120x80.
    QTest::newRow("small cell") << "intact" << QSize(60, 40) << true << QSize(96, 64);
    QTest::newRow("cell the thumbnail's size")
        << "intact" << QSize(120, 80) << true << QSize(120, 80);
    QTest::newRow("cell a pixel wider") << "intact" << QSize(121, 80) << false << QSize(193, 129);
    QTest::newRow("no cell known") << "intact" << QSize() << false << QSize(480, 320);
    QTest::newRow("no thumbnail") << "none" << QSize(60, 40) << false << QSize(96, 64);
    QTest::newRow("damaged thumbnail") << "damaged" << QSize(60, 40) << false << QSize(96, 64);
}

// A cell no larger than the file's thumbnail is drawn from the thumbnail, decoded instead of
// the photo; the memory reserved for it is the thumbnail's.
void TestFormats::thumbnails()
{
    QFETCH(QString, thumbnail);
    QFETCH(QSize, cell);
    QFETCH(bool, thumbnailShown);
    QFETCH(QSize, decoded);
    if (!canEncode(heif_compression_HEVC))
        QSKIP("libheif has no HEVC encoder");
    const QList<QColor> thumbnailColours {Qt::cyan, Qt::magenta, Qt::white, Qt::black};
    HeifRecipe recipe;
    const bool withThumbnail = thumbnail != "none";
    if (withThumbnail) {
        recipe.thumbnail = quadrants(480, 320, thumbnailColours);
        recipe.thumbnailBox = 120;
    }
    QByteArray bytes = heifEncoded(quadrants(480, 320), recipe);
    if (thumbnail == "damaged") {
        // The thumbnail's decoder configuration, the second, loses its parameter sets.
        const qsizetype hvcC = bytes.indexOf("hvcC", bytes.indexOf("hvcC") + 4);
        QVERIFY(hvcC > 0);
        bytes[hvcC + 4 + 22] = 0;
    }
    const QString path = write(QString("thumbnail_%1.heic").arg(thumbnail), bytes);
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    QCOMPARE(record->size, QSize(480, 320));
    const std::optional<PhotoHeader> header = readPhotoHeader(path);
    QVERIFY(header);
    const QList<QSize> thumbnails = withThumbnail ? QList<QSize> {QSize(120, 80)} : QList<QSize>();
    QCOMPARE(header->thumbnails, thumbnails);

    const PhotoLoader loader = loaderFor(*record, loadScale(record->size, cell), cell);
    const QImage image = loadPhoto(loader);
    QCOMPARE(image.size(), decoded);
    QVERIFY(showsQuadrants(image, thumbnailShown
                                      ? thumbnailColours
                                      : QList<QColor> {Qt::red, Qt::green, Qt::blue, Qt::yellow}));
    const qint64 wholeDecode = qint64(480) * 320 * 4;
    QCOMPARE(loaderDecodeBytes(*header, loader) < wholeDecode,
             thumbnailShown || thumbnail == "damaged");

    // A save decodes the photo itself, whatever thumbnail would cover its cell.
    PhotoLoader saving = loader;
    saving.previews = false;
    QVERIFY(showsQuadrants(loadPhoto(saving),
                           QList<QColor> {Qt::red, Qt::green, Qt::blue, Qt::yellow}));
}

void TestFormats::pixelFormats_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QColor>>("colours");
    QTest::addColumn<bool>("transparentQuarter");
    const QList<QColor> standard {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    const QImage picture = quadrants(80, 60);
    QTest::newRow("16-bit PNG") << qtEncoded(picture.convertToFormat(QImage::Format_RGBX64), "png")
                                << QSize(80, 60) << standard << false;
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QList<QColor> greys;
    for (const QPoint &centre : {QPoint(20, 15), QPoint(60, 15), QPoint(20, 45), QPoint(60, 45)})
        greys << grey.pixelColor(centre);
    QTest::newRow("grey PNG") << qtEncoded(grey, "png") << QSize(80, 60) << greys << false;
    QImage withAlpha = picture.convertToFormat(QImage::Format_ARGB32);
    {
        QPainter p(&withAlpha);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(40, 30, 40, 30, Qt::transparent);
    }
    QTest::newRow("PNG with alpha")
        << qtEncoded(withAlpha, "png") << QSize(80, 60) << standard << true;
    QTest::newRow("WebP with alpha")
        << qtEncoded(withAlpha, "webp") << QSize(80, 60) << standard << true;
    QTest::newRow("16-bit TIFF") << qtEncoded(picture.convertToFormat(QImage::Format_RGBA64),
                                              "tiff")
                                 << QSize(80, 60) << standard << false;

    // Two pages: the first is the photo, the second another size and other colours, its file
    // appended and its directory linked from the end of the first one's.
    const QByteArray first = qtEncoded(picture, "tiff");
    QByteArray second
        = qtEncoded(quadrants(30, 50, {Qt::black, Qt::white, Qt::cyan, Qt::magenta}), "tiff");
    const quint32 shift = quint32(first.size());
    const quint32 secondDirectory = qFromLittleEndian<quint32>(second.constData() + 4);
    const quint16 secondEntries = qFromLittleEndian<quint16>(second.constData() + secondDirectory);
    static const int typeSize[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    const QByteArray original = second;
    for (int i = 0; i < secondEntries; ++i) {
        char *entry = second.data() + secondDirectory + 2 + 12 * i;
        const quint16 tag = qFromLittleEndian<quint16>(entry);
        const quint16 type = qFromLittleEndian<quint16>(entry + 2);
        const quint32 count = qFromLittleEndian<quint32>(entry + 4);
        const bool outOfLine = type < 13 && qint64(typeSize[type]) * count > 4;
        const quint32 value = qFromLittleEndian<quint32>(entry + 8);
        if (outOfLine)
            qToLittleEndian(value + shift, entry + 8);
        if (tag != 273) // StripOffsets, LONGs as Qt writes them
            continue;
        if (!outOfLine)
            qToLittleEndian(value + shift, entry + 8);
        for (quint32 k = 0; outOfLine && k < count; ++k)
            qToLittleEndian(qFromLittleEndian<quint32>(original.constData() + value + 4 * k)
                                + shift,
                            second.data() + value + 4 * k);
    }
    QByteArray multi = first;
    const quint32 firstDirectory = qFromLittleEndian<quint32>(first.constData() + 4);
    const quint16 firstEntries = qFromLittleEndian<quint16>(first.constData() + firstDirectory);
    qToLittleEndian(secondDirectory + shift, multi.data() + firstDirectory + 2 + 12 * firstEntries);
    multi += second;
    QTest::newRow("two-page TIFF") << multi << QSize(80, 60) << standard << false;
}

void TestFormats::pixelFormats()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QList<QColor>, colours);
    QFETCH(bool, transparentQuarter);
    const QString path = write(QString("pixels_%1").arg(QTest::currentDataTag()), bytes);
    const Result<PhotoReading> reading = readPhoto(path);
    QVERIFY2(reading, qPrintable(reading.error()));
    QCOMPARE(reading->record.size, size);
    const QImage image = loadPhoto(loaderFor(reading->record));
    QCOMPARE(image.size(), size);
    // The cache keeps 8 bits a channel.
    QVERIFY(image.depth() <= 32);
    QList<QColor> expected = colours;
    if (transparentQuarter) {
        QCOMPARE(qAlpha(image.pixel(3 * size.width() / 4, 3 * size.height() / 4)), 0);
        expected[3] = image.pixelColor(3 * size.width() / 4, 3 * size.height() / 4);
    }
    QVERIFY(showsQuadrants(image, expected));
}

void TestFormats::hostileFiles_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason"); // empty: admitted; the decode may still fail
    const QString unusable = QStringLiteral("not a usable image");
    const QImage picture = hostile::noise(96, 64);

    const QByteArray png = qtEncoded(picture, "png");
    QTest::newRow("PNG truncated") << "png" << png.left(png.size() / 2) << QString();
    QTest::newRow("PNG signature alone") << "png" << png.left(8) << unusable;
    QTest::newRow("PNG 0 wide") << "png" << hostile::pngHeader(0, 64) << unusable;
    QTest::newRow("PNG claims 20000x20000")
        << "png" << hostile::pngHeader(20000, 20000)
        << "20000 x 20000 pixels need 1526 MB to decode, more than the 1024 MB";
    QTest::newRow("PNG claims 16384x16385")
        << "png" << hostile::pngHeader(16384, 16385) << "16384 x 16385 pixels need 1025 MB";
    QTest::newRow("16-bit PNG claims 12000x12000")
        << "png" << pngHeaderOfDepth(12000, 12000, 16) << "12000 x 12000 pixels need 1099 MB";
    // After the image data, where the decoder reads it last.
    QTest::newRow("PNG, eXIf chunk claims 2 GB") << "png"
                                                 << png.left(png.size() - 12)
                                                        + QByteArray("\x7F\xFF\xFF\xF0"
                                                                     "eXIfII*\0",
                                                                     12)
                                                        + png.right(12)
                                                 << QString();

    const QByteArray webp = qtEncoded(picture, "webp");
    QTest::newRow("WebP truncated") << "webp" << webp.left(webp.size() / 2) << QString();
    QTest::newRow("WebP RIFF header alone") << "webp" << webp.left(12) << unusable;
    QByteArray webpHuge = webpWithExif(picture, 6);
    webpHuge.replace(webpHuge.indexOf("VP8X") + 12, 6, QByteArray(6, '\xFF'));
    QTest::newRow("WebP canvas claims 16777216 a side") << "webp" << webpHuge << unusable;
    QByteArray webpExif = webpWithExif(picture, 6);
    qToLittleEndian(quint32(0xFFFFFFF0), webpExif.data() + webpExif.indexOf("EXIF") + 4);
    QTest::newRow("WebP, EXIF chunk claims 4 GB") << "webp" << webpExif << QString();

    const QByteArray tiff = qtEncoded(picture, "tiff");
    // Its directory comes last, after the image data.
    QTest::newRow("TIFF truncated") << "tiff" << tiff.left(tiff.size() / 2) << unusable;
    QTest::newRow("TIFF header alone") << "tiff" << tiff.left(8) << unusable;
    QByteArray tiffFar = tiff;
    qToLittleEndian(quint32(0x7FFFFFF0), tiffFar.data() + 4);
    QTest::newRow("TIFF directory beyond the end") << "tiff" << tiffFar << unusable;
    const auto tiffClaiming = [&tiff](quint32 w, quint32 h) {
        QByteArray bytes = tiff;
        for (const auto &[tag, value] : {std::pair<quint16, quint32> {256, w}, {257, h}}) {
            char *entry = bytes.data() + tiffEntry(bytes, tag);
            // SHORT or LONG, as Qt wrote it
            if (qFromLittleEndian<quint16>(entry + 2) == 3)
                qToLittleEndian(quint16(value), entry + 8);
            else
                qToLittleEndian(value, entry + 8);
        }
        return bytes;
    };
    QTest::newRow("TIFF 0 wide") << "tiff" << tiffClaiming(0, 64) << unusable;
    QTest::newRow("TIFF claims more rows than it holds")
        << "tiff" << tiffClaiming(96, 2000) << QString();
    QTest::newRow("TIFF claims 60000x60000")
        << "tiff" << tiffClaiming(60000, 60000) << "60000 x 60000 pixels need 13733 MB";
    QByteArray tiffLoop = tiff;
    {
        const quint32 directory = qFromLittleEndian<quint32>(tiff.constData() + 4);
        const quint16 count = qFromLittleEndian<quint16>(tiff.constData() + directory);
        qToLittleEndian(directory, tiffLoop.data() + directory + 2 + 12 * count);
    }
    QTest::newRow("TIFF directory linking to itself") << "tiff" << tiffLoop << QString();

    if (!canEncode(heif_compression_HEVC) || !canEncode(heif_compression_AV1))
        return;
    for (const auto codec : {heif_compression_HEVC, heif_compression_AV1}) {
        HeifRecipe recipe;
        recipe.codec = codec;
        recipe.thumbnail = picture;
        recipe.thumbnailBox = 32;
        const QByteArray heif = heifEncoded(picture, recipe);
        const QString suffix = codec == heif_compression_AV1 ? "avif" : "heic";
        const QByteArray name = suffix.toLatin1();
        const QByteArray first = heif.left(heif.indexOf("meta") - 4);
        // Its boxes do not fit the file.
        QTest::addRow("%s truncated", name.data())
            << suffix << heif.left(heif.size() / 2) << unusable;
        QByteArray overwritten = heif;
        const qsizetype data = heif.indexOf("mdat") + 4;
        overwritten.replace(data + 40, 60, QByteArray(60, '\xA5'));
        QTest::addRow("%s coded data overwritten", name.data())
            << suffix << overwritten << QString();
        QTest::addRow("%s first box alone", name.data()) << suffix << first << unusable;
        QTest::addRow("%s claims 0x0", name.data())
            << suffix << claimingHeifSize(heif, 0, 0) << unusable;
        QTest::addRow("%s claims 40000x40000", name.data())
            << suffix << claimingHeifSize(heif, 40000, 40000) << unusable;
        QTest::addRow("%s claims 16000x16000", name.data())
            << suffix << claimingHeifSize(heif, 16000, 16000)
            << "16000 x 16000 pixels need 1954 MB";
        QTest::addRow("%s claims half its size", name.data())
            << suffix << claimingHeifSize(heif, 48, 32) << QString();
        QByteArray noise(4000, Qt::Uninitialized);
        QRandomGenerator random(11);
        for (char &c : noise)
            c = char(random.bounded(256));
        QTest::addRow("%s noise after the first box", name.data())
            << suffix << first + noise << unusable;
    }
}

// Damaged and lying files in every format are refused with a reason or decode to an image
// or an error, never a crash or a hang.
void TestFormats::hostileFiles()
{
    QFETCH(QString, suffix);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString path
        = write(QString("hostile_%1.%2").arg(QTest::currentDataTag(), suffix), bytes);
    const Result<PhotoReading> reading = readPhoto(path);
    if (!reason.isEmpty()) {
        QVERIFY2(reading.error().startsWith(reason), qPrintable(reading.error()));
        QVERIFY(!reading);
        return;
    }
    QVERIFY2(reading, qPrintable(reading.error()));
    QVERIFY(reading->record.orientation >= 1 && reading->record.orientation <= 8);
    const PhotoRecord &record = reading->record;
    const PhotoLoader loader
        = loaderFor(record, loadScale(record.size, QSize(40, 30)), QSize(40, 30));
    const Result<DecodedPhoto> decoded = decodePhoto(loader);
    QVERIFY(decoded ? !decoded->image.isNull() : !decoded.error().isEmpty());
    if (decoded)
        QVERIFY(decoded->image.width() <= record.size.width()
                && decoded->image.height() <= record.size.height());
}

// A photo under the refusal limit always appears, also above the image readers' default
// allocation limit of 128 MB.
void TestFormats::everyPhotoAppears()
{
    QImageReader::setAllocationLimit(128);
    QImage big(7000, 5000, QImage::Format_RGB32);
    big.fill(Qt::darkGreen);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(90); // little compression: quick to write
        QVERIFY(writer.write(big));
    }
    big = QImage();
    const QString path = write("35-megapixels.png", bytes);
    const std::optional<PhotoRecord> record = createPhotoRecord(path);
    QVERIFY(record);
    ImageCache cache(ImageCache::Retention::DrawOnly);
    QImage target(350, 250, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    const RenderProblems problems
        = renderCells({{1, QRect(0, 0, 350, 250)}}, {*record}, cache, FrameSettings(), target);
    QVERIFY(problems.failed.isEmpty());
    QCOMPARE(target.pixelColor(175, 125), QColor(Qt::darkGreen));
}

// Six photos, one of each format, stored sideways where the format can say so: every tile of
// the render shows its photo upright.
void TestFormats::collageOfEveryFormat()
{
    if (!canEncode(heif_compression_HEVC) || !canEncode(heif_compression_AV1))
        QSKIP("libheif has no encoder for HEIC or AVIF");
    const QImage upright = quadrants(120, 80);
    const QImage sideways = storedFor(upright, 6);
    HeifRecipe heic;
    heic.orientation = 6;
    HeifRecipe avif = heic;
    avif.codec = heif_compression_AV1;
    const QList<QPair<QString, QByteArray>> files {
        {"a.JPG", hostile::encoded(upright, "jpg")}, {"b.HEIC", heifEncoded(sideways, heic)},
        {"c.avif", heifEncoded(sideways, avif)},     {"d.Png", pngWithExif(sideways, 6)},
        {"e.webp", webpWithExif(sideways, 6)},       {"f.tif", tiffWithOrientation(sideways, 6)},
    };
    QList<PhotoRecord> photos;
    QList<RenderCell> cells;
    QVERIFY(QDir().mkpath(dir.filePath("every")));
    for (const auto &[name, bytes] : files) {
        const std::optional<PhotoRecord> record = createPhotoRecord(write("every/" + name, bytes));
        QVERIFY2(record, qPrintable(name));
        photos << *record;
        cells << RenderCell {int(photos.size()), QRect(int(cells.size()) * 60, 0, 60, 40)};
    }
    ImageCache cache;
    QImage target(360, 40, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    QVERIFY(renderCells(cells, photos, cache, FrameSettings(), target).failed.isEmpty());
    for (const RenderCell &cell : std::as_const(cells))
        QVERIFY2(showsQuadrants(target.copy(cell.rect)), qPrintable(photos.at(cell.img - 1).path));
}

// The HEIF fuzzer's corpus, including every input that once crashed the reader, read and
// decoded as a render does.
void TestFormats::corpusReplay()
{
    const QFileInfoList files = QDir(VELLOMIR_HEIF_CORPUS).entryInfoList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QFileInfo &info : files) {
        const Result<PhotoReading> reading = readPhoto(info.filePath());
        if (!reading)
            continue;
        QVERIFY(reading->format == PhotoFormat::Heif || reading->format == PhotoFormat::Avif);
        for (const QSize &cell : {QSize(), QSize(8, 8)}) {
            const Result<DecodedPhoto> decoded = decodePhoto(loaderFor(reading->record, 1.0, cell));
            QVERIFY2(decoded ? !decoded->image.isNull() : !decoded.error().isEmpty(),
                     qPrintable(info.fileName()));
        }
    }
}

void TestFormats::folderScan()
{
    const QString folder = dir.filePath("scan");
    QVERIFY(QDir().mkpath(folder));
    const QStringList taken {"a.JPEG", "b.heic", "c.HEIF", "d.Avif",
                             "e.png",  "f.WEBP", "g.tif",  "h.TIFF"};
    for (const QString &name : taken + QStringList {"i.bmp", "j.gif", "k.heic.txt"})
        QVERIFY(!write("scan/" + name, "x").isEmpty());
    QStringList names;
    for (const QString &path : scanPhotoFolder(folder))
        names << QFileInfo(path).fileName();
    QCOMPARE(names, taken);
    for (const QString &name : taken)
        QVERIFY(hasPhotoSuffix(name));
}

void TestFormats::dialogFilters()
{
    const QStringList filters = photoDialogFilters();
    QCOMPARE(filters.first(), QStringLiteral("Photos (%1)").arg(photoNamePatterns().join(' ')));
    QVERIFY(filters.contains("JPEG (*.jpg *.jpeg)"));
    QVERIFY(filters.contains("HEIF (*.heic *.heif)"));
    QVERIFY(filters.contains("TIFF (*.tif *.tiff)"));
    // Every pattern has a filter of its own besides the first.
    QStringList own;
    for (const QString &filter : filters.mid(1))
        own << filter.section('(', 1).chopped(1).split(' ');
    QCOMPARE(own, photoNamePatterns());
}

QTEST_MAIN(TestFormats)
#include "tst_formats.moc"
