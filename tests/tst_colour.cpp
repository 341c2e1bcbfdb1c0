#include "collagefile.h"
#include "colourprofile.h"
#include "heifreader.h"
#include "photoloader.h"

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

#include <jpeglib.h>
#include <lcms2.h>
#include <libheif/heif.h>

namespace {

// ---- Profiles, made by Qt and by LittleCMS ----

QByteArray saved(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

QByteArray displayP3()
{
    return QColorSpace(QColorSpace::DisplayP3).iccProfile();
}

QByteArray rgbProfile(const cmsCIExyYTRIPLE &primaries, double gamma)
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsToneCurve *curve = cmsBuildGamma(nullptr, gamma);
    cmsToneCurve *curves[3] = {curve, curve, curve};
    const QByteArray bytes = saved(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return bytes;
}

const cmsCIExyYTRIPLE adobePrimaries = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
const cmsCIExyYTRIPLE srgbPrimaries = {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};

QByteArray adobeRgb()
{
    return rgbProfile(adobePrimaries, 563.0 / 256);
}

// A LUT profile, as printers and cameras have: its A2B0 table samples `device` into Lab.
QByteArray lutProfile(cmsColorSpaceSignature space, cmsProfileClassSignature kind,
                      cmsSAMPLER16 sampler, cmsUInt32Number channels)
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, kind);
    cmsSetColorSpace(profile, space);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline *pipeline = cmsPipelineAlloc(nullptr, channels, 3);
    cmsStage *clut = cmsStageAllocCLut16bit(nullptr, 17, channels, 3, nullptr);
    cmsStageSampleCLut16bit(clut, sampler, nullptr, 0);
    // Version 4's table type holds curves on both sides of the table: identities here.
    cmsPipelineInsertStage(pipeline, cmsAT_END,
                           cmsStageAllocToneCurves(nullptr, channels, nullptr));
    cmsPipelineInsertStage(pipeline, cmsAT_END, clut);
    cmsPipelineInsertStage(pipeline, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
    cmsPipelineFree(pipeline);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    return saved(profile);
}

// Lab of a device colour through a LittleCMS transform made once.
cmsInt32Number toLab(cmsHTRANSFORM transform, const cmsUInt16Number in[], cmsUInt16Number out[])
{
    cmsFloat64Number device[4];
    for (int i = 0; i < 4; ++i)
        device[i] = in[i] / 65535.0;
    cmsCIELab lab;
    cmsDoTransform(transform, device, &lab, 1);
    cmsFloat2LabEncoded(out, &lab);
    return TRUE;
}

// Adobe RGB as a table rather than matrix and curves: only LittleCMS can apply it.
QByteArray adobeRgbTable()
{
    static const QByteArray adobe = adobeRgb();
    static cmsHPROFILE source
        = cmsOpenProfileFromMem(adobe.constData(), cmsUInt32Number(adobe.size()));
    static cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    static cmsHTRANSFORM transform = cmsCreateTransform(
        source, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
    return lutProfile(
        cmsSigRgbData, cmsSigInputClass,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void *) {
            const cmsUInt16Number rgb[4] = {in[0], in[1], in[2], 0};
            return toLab(transform, rgb, out);
        },
        3);
}

// A press whose inks print darker and warmer than plain light filters would. Made once: a
// profile carries the time it was made.
QByteArray cmykPress()
{
    static const QByteArray press = [] {
        static cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        static cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
        static cmsHTRANSFORM transform
            = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL,
                                 INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOOPTIMIZE);
        return lutProfile(
            cmsSigCmykData, cmsSigOutputClass,
            [](const cmsUInt16Number in[], cmsUInt16Number out[], void *) {
                const auto light = [in](int i, double darker) {
                    const double filtered = (65535 - in[i]) * (65535.0 - in[3]) / 65535 / 65535;
                    return cmsUInt16Number(std::pow(filtered, darker) * 65535);
                };
                const cmsUInt16Number rgb[4] = {light(0, 1.1), light(1, 1.3), light(2, 1.6), 0};
                return toLab(transform, rgb, out);
            },
            4);
    }();
    return press;
}

QByteArray greyProfile()
{
    cmsToneCurve *curve = cmsBuildGamma(nullptr, 1.0);
    const QByteArray bytes = saved(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return bytes;
}

// `pixels` (32-bit RGB, or CMYK bytes when `cmyk`) as LittleCMS converts them from `profile`
// to sRGB, pixel by pixel without its optimisations.
QImage referenceSrgb(const QImage &pixels, const QByteArray &profile, cmsUInt32Number layout)
{
    cmsHPROFILE in = cmsOpenProfileFromMem(profile.constData(), cmsUInt32Number(profile.size()));
    cmsHPROFILE out = cmsCreate_sRGBProfile();
    cmsHTRANSFORM transform = cmsCreateTransform(in, layout, out, TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                                 cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    QImage result(pixels.size(), QImage::Format_RGB32);
    result.fill(Qt::black);
    if (transform)
        cmsDoTransformLineStride(transform, pixels.constBits(), result.bits(),
                                 cmsUInt32Number(pixels.width()), cmsUInt32Number(pixels.height()),
                                 cmsUInt32Number(pixels.bytesPerLine()),
                                 cmsUInt32Number(result.bytesPerLine()), 0, 0);
    if (transform)
        cmsDeleteTransform(transform);
    cmsCloseProfile(in);
    cmsCloseProfile(out);
    return result;
}

// The largest difference of any channel of any pixel.
int maxDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            most = std::max({most, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                             qAbs(qBlue(p) - qBlue(q))});
        }
    return most;
}

// ---- Photos ----

// Pure red and green of the profile's space, mid grey, and colours it moves in sRGB; each a
// patch of whole JPEG blocks.
QImage patches()
{
    const QRgb colours[] = {qRgb(255, 0, 0),    qRgb(0, 255, 0),    qRgb(128, 128, 128),
                            qRgb(200, 100, 50), qRgb(60, 140, 220), qRgb(230, 200, 40)};
    QImage image(16 * 6, 16, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                image.setPixel(16 * i + x, y, colours[i]);
    return image;
}

QByteArray qtEncoded(const QImage &image, const char *format, const QColorSpace &space = {})
{
    QImage tagged = image;
    tagged.setColorSpace(space);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (QByteArray(format) != "png") // PNG's quality is its compression level
        writer.setQuality(100);
    writer.write(tagged);
    return bytes;
}

// A JPEG with `icc` in `pieces` APP2 segments right after its start, numbered as given
// (`places`, `count`) so that damaged splits can be written too.
QByteArray jpegWithSegments(const QByteArray &jpeg, const QList<QByteArray> &pieces,
                            const QList<int> &places, int count)
{
    QByteArray segments;
    for (int i = 0; i < pieces.size(); ++i) {
        const QByteArray payload
            = QByteArray("ICC_PROFILE\0", 12) + char(places.at(i)) + char(count) + pieces.at(i);
        segments += QByteArray("\xFF\xE2", 2) + char((payload.size() + 2) >> 8)
                    + char((payload.size() + 2) & 0xFF) + payload;
    }
    return jpeg.left(2) + segments + jpeg.mid(2);
}

QList<QByteArray> split(const QByteArray &icc, int parts)
{
    QList<QByteArray> pieces;
    const qsizetype step = (icc.size() + parts - 1) / parts;
    for (qsizetype at = 0; at < icc.size(); at += step)
        pieces.append(icc.mid(at, step));
    return pieces;
}

QByteArray jpegWithProfile(const QByteArray &jpeg, const QByteArray &icc, int parts = 1)
{
    const QList<QByteArray> pieces = split(icc, std::max<int>(parts, int(icc.size() / 65000 + 1)));
    QList<int> places;
    for (int i = 0; i < pieces.size(); ++i)
        places.append(i + 1);
    return jpegWithSegments(jpeg, pieces, places, int(pieces.size()));
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    chunk += type + data;
    // The CRC of the type and data, as zlib computes it; Qt has no CRC of its own to lend.
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : type + data) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    QByteArray tail(4, '\0');
    qToBigEndian(~crc, tail.data());
    return chunk + tail;
}

// A PNG with `chunks` right after its header chunk.
QByteArray pngWith(const QByteArray &png, const QByteArray &chunks)
{
    const qsizetype afterHeader = 8 + 12 + 13;
    return png.left(afterHeader) + chunks + png.mid(afterHeader);
}

QByteArray iccpChunk(const QByteArray &icc)
{
    return pngChunk("iCCP", QByteArray("photo\0\0", 7) + qCompress(icc).mid(4));
}

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray gamaChrm(quint32 gamma, const cmsCIExyYTRIPLE &p)
{
    QByteArray chrm = be32(31270) + be32(32900);
    for (const cmsCIExyY &c : {p.Red, p.Green, p.Blue})
        chrm += be32(quint32(qRound(c.x * 100000))) + be32(quint32(qRound(c.y * 100000)));
    return pngChunk("gAMA", be32(gamma)) + pngChunk("cHRM", chrm);
}

// A lossless WebP made extended, with `icc` in an ICCP chunk of the declared `length`.
QByteArray webpWithProfile(const QImage &image, const QByteArray &icc, qint64 length = -1)
{
    const QByteArray simple = qtEncoded(image, "webp");
    QByteArray vp8x("VP8X");
    vp8x += le32(10) + char(0x20) + QByteArray(3, '\0');
    const auto side = [](int n) { return le32(quint32(n - 1)).left(3); };
    vp8x += side(image.width()) + side(image.height());
    QByteArray iccp = "ICCP" + le32(quint32(length >= 0 ? length : icc.size())) + icc;
    if (icc.size() % 2)
        iccp += '\0';
    const QByteArray body = "WEBP" + vp8x + iccp + simple.mid(12);
    return "RIFF" + le32(quint32(body.size())) + body;
}

// A CMYK JPEG of `inks` (CMYK bytes in a 32-bit image), at quality 100 with every component
// at full resolution; with an Adobe segment and the inks stored inverted when `adobe`.
QByteArray cmykEncoded(const QImage &inks, bool adobe, const QByteArray &icc)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(inks.width());
    info.image_height = JDIMENSION(inks.height());
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_CMYK);
    info.write_Adobe_marker = adobe ? TRUE : FALSE;
    jpeg_set_quality(&info, 100, TRUE);
    for (int i = 0; i < 4; ++i)
        info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    if (!icc.isEmpty())
        jpeg_write_icc_profile(&info, reinterpret_cast<const JOCTET *>(icc.constData()),
                               unsigned(icc.size()));
    QByteArray row(inks.width() * 4, '\0');
    while (info.next_scanline < info.image_height) {
        const uchar *line = inks.constScanLine(int(info.next_scanline));
        for (int i = 0; i < row.size(); ++i)
            row[i] = char(adobe ? 255 - line[i] : line[i]);
        JSAMPROW pointer = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

struct HeifColour
{
    QByteArray icc;
    int primaries = 2;
    int transfer = 2;
};

QByteArray heifEncoded(const QImage &source, heif_compression_format codec,
                       const HeifColour &colour)
{
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_image *image = nullptr;
    QByteArray bytes;
    if (heif_context_get_encoder_for_format(context, codec, &encoder).code == heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 100);
        const QImage rgb = source.convertToFormat(QImage::Format_RGB888);
        heif_image_create(rgb.width(), rgb.height(), heif_colorspace_RGB,
                          heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, rgb.width(), rgb.height(), 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < rgb.height(); ++y)
            memcpy(plane + qsizetype(y) * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
        if (!colour.icc.isEmpty())
            heif_image_set_raw_color_profile(image, "prof", colour.icc.constData(),
                                             size_t(colour.icc.size()));
        heif_color_profile_nclx *nclx = heif_nclx_color_profile_alloc();
        nclx->color_primaries = heif_color_primaries(colour.primaries);
        nclx->transfer_characteristics = heif_transfer_characteristics(colour.transfer);
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
        heif_encoding_options *options = heif_encoding_options_alloc();
        if (colour.icc.isEmpty()) {
            heif_image_set_nclx_color_profile(image, nclx);
            options->output_nclx_profile = nclx;
            options->macOS_compatibility_workaround_no_nclx_profile = 0;
        }
        heif_image_handle *handle = nullptr;
        const heif_error encoded
            = heif_context_encode_image(context, image, encoder, options, &handle);
        heif_encoding_options_free(options);
        heif_nclx_color_profile_free(nclx);
        if (encoded.code == heif_error_Ok) {
            heif_image_handle_release(handle);
            heif_writer writer {
                1, [](heif_context *, const void *data, size_t size, void *out) {
                    static_cast<QByteArray *>(out)->append(static_cast<const char *>(data),
                                                           qsizetype(size));
                    return heif_error {heif_error_Ok, heif_suberror_Unspecified, ""};
                }};
            heif_context_write(context, &writer, &bytes);
        }
        heif_encoder_release(encoder);
    }
    heif_image_release(image);
    heif_context_free(context);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QImage decoded(const QString &path, const QSize &size)
{
    PhotoLoader loader;
    loader.path = path;
    loader.width = size.width();
    loader.height = size.height();
    return loadPhoto(loader);
}

// The pixels as the file stores them, no colour management: what the collage drew until now.
QImage storedPixels(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    if (const Result<HeifFile> opening = HeifFile::open(&file)) {
        const Result<HeifImage> decoded = opening->decode();
        return decoded ? decoded->image.convertToFormat(QImage::Format_RGB32) : QImage();
    }
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

} // namespace

Q_DECLARE_METATYPE(CollageFormat)

class TestColour : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void convertsToSrgb_data();
    void convertsToSrgb();
    void readAsSrgb_data();
    void readAsSrgb();
    void untaggedAsBefore_data();
    void untaggedAsBefore();
    void cmykJpeg_data();
    void cmykJpeg();
    void savedCarriesSrgb_data();
    void savedCarriesSrgb();
    void pdfCarriesSrgb();
    void fuzzCorpusIsHarmless();

private:
    QTemporaryDir scratch;
};

void TestColour::initTestCase()
{
    QVERIFY(scratch.isValid());
}

void TestColour::convertsToSrgb_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("profile"); // what the file's colours mean

    const QImage image = patches();
    const QByteArray p3 = displayP3();
    const QByteArray adobe = adobeRgb();
    const QByteArray jpeg = qtEncoded(image, "jpeg");
    const QByteArray png = qtEncoded(image, "png");
    QTest::newRow("jpeg, Display P3") << qtEncoded(image, "jpeg", QColorSpace::DisplayP3) << p3;
    QTest::newRow("jpeg, Adobe RGB in three segments") << jpegWithProfile(jpeg, adobe, 3) << adobe;
    QTest::newRow("png, Display P3") << qtEncoded(image, "png", QColorSpace::DisplayP3) << p3;
    QTest::newRow("png, Adobe RGB") << pngWith(png, iccpChunk(adobe)) << adobe;
    const QByteArray table = adobeRgbTable();
    QTest::newRow("png, Adobe RGB as a table") << pngWith(png, iccpChunk(table)) << table;
    QTest::newRow("png, gAMA and cHRM")
        << pngWith(png, gamaChrm(45455, adobePrimaries)) << rgbProfile(adobePrimaries, 2.2);
    QTest::newRow("png, linear gAMA")
        << pngWith(png, pngChunk("gAMA", be32(100000))) << rgbProfile(srgbPrimaries, 1.0);
    QTest::newRow("webp, Display P3") << webpWithProfile(image, p3) << p3;
    QTest::newRow("tiff, Adobe RGB") << qtEncoded(image, "tiff", QColorSpace::AdobeRgb)
                                     << QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    if (heif_have_encoder_for_format(heif_compression_HEVC)) {
        QTest::newRow("heic, Display P3 profile")
            << heifEncoded(image, heif_compression_HEVC, {p3}) << p3;
        QTest::newRow("heic, Display P3 as nclx")
            << heifEncoded(image, heif_compression_HEVC, {QByteArray(), 12, 13}) << p3;
    }
    if (heif_have_encoder_for_format(heif_compression_AV1))
        QTest::newRow("avif, BT.2020 as nclx")
            << heifEncoded(image, heif_compression_AV1, {QByteArray(), 9, 13})
            << QByteArray(); // made below from LittleCMS's own primaries
}

// Tagged photos come out in sRGB, within 2 levels of what LittleCMS makes of the same pixels.
void TestColour::convertsToSrgb()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, profile);
    if (profile.isEmpty()) {
        const cmsCIExyYTRIPLE bt2020 = {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}};
        cmsCIExyY white = {0.3127, 0.3290, 1};
        cmsToneCurve *curve = cmsBuildParametricToneCurve(
            nullptr, 4,
            std::array<double, 5> {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045}.data());
        cmsToneCurve *curves[3] = {curve, curve, curve};
        profile = saved(cmsCreateRGBProfile(&white, &bt2020, curves));
        cmsFreeToneCurve(curve);
    }
    QVERIFY(!file.isEmpty());
    const QString path = scratch.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(writeFile(path, file));
    const QImage stored = storedPixels(path);
    QCOMPARE(stored.size(), patches().size());
    const QImage expected = referenceSrgb(stored, profile, TYPE_BGRA_8);
    const QImage image = decoded(path, stored.size());
    QCOMPARE(image.size(), stored.size());
    QVERIFY2(maxDifference(image, expected) <= 2,
             qPrintable(QString::number(maxDifference(image, expected))));
    // The profile mattered: drawn as stored, some colour would be off.
    QVERIFY(maxDifference(stored, expected) > 4);
}

void TestColour::readAsSrgb_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("untagged"); // the same pixels without any colour description

    const QImage image = patches();
    const QByteArray jpeg = qtEncoded(image, "jpeg");
    const QByteArray p3 = displayP3();
    QByteArray truncated = p3.left(p3.size() / 2);
    QByteArray huge = p3 + QByteArray(5 << 20, '\0');
    qToBigEndian(quint32(huge.size()), huge.data());
    QByteArray garbage(3000, '\x5A');
    garbage.replace(36, 4, "acsp");
    qToBigEndian(quint32(garbage.size()), garbage.data());
    qToBigEndian(quint32(3), garbage.data() + 128); // three tags, pointing anywhere

    QTest::newRow("jpeg untagged") << jpeg << jpeg;
    QTest::newRow("jpeg sRGB") << qtEncoded(image, "jpeg", QColorSpace::SRgb) << jpeg;
    QTest::newRow("jpeg truncated profile") << jpegWithProfile(jpeg, truncated) << jpeg;
    QTest::newRow("jpeg profile longer than said")
        << jpegWithSegments(jpeg, split(p3, 2).mid(0, 1), {1}, 1) << jpeg;
    QTest::newRow("jpeg segment missing")
        << jpegWithSegments(jpeg, split(p3, 3).mid(0, 2), {1, 2}, 3) << jpeg;
    QTest::newRow("jpeg segment repeated")
        << jpegWithSegments(jpeg, split(p3, 2) + split(p3, 2).mid(1), {1, 2, 2}, 2) << jpeg;
    QTest::newRow("jpeg counts differ")
        << jpegWithSegments(jpeg, split(p3, 2), {1, 2}, 2)
               .replace(QByteArray("ILE\0\2\2", 6), QByteArray("ILE\0\2\3", 6))
        << jpeg;
    QTest::newRow("jpeg profile of megabytes") << jpegWithProfile(jpeg, huge) << jpeg;
    QTest::newRow("jpeg damaged profile") << jpegWithProfile(jpeg, garbage) << jpeg;
    QTest::newRow("jpeg grey profile") << jpegWithProfile(jpeg, greyProfile()) << jpeg;
    QTest::newRow("jpeg CMYK profile") << jpegWithProfile(jpeg, cmykPress()) << jpeg;
    const QByteArray png = qtEncoded(image, "png");
    QTest::newRow("png untagged") << png << png;
    QTest::newRow("png sRGB chunk") << pngWith(png, pngChunk("sRGB", QByteArray(1, '\0'))) << png;
    QTest::newRow("png sRGB over gAMA")
        << pngWith(png, pngChunk("sRGB", QByteArray(1, '\0')) + gamaChrm(100000, adobePrimaries))
        << png;
    QTest::newRow("png gAMA of sRGB") << pngWith(png, pngChunk("gAMA", be32(45455))) << png;
    QTest::newRow("png inflating to megabytes")
        << pngWith(png, iccpChunk(p3 + QByteArray(16 << 20, '\0'))) << png;
    QByteArray cut = QByteArray("photo\0\0", 7) + qCompress(p3).mid(4);
    cut.chop(cut.size() / 3);
    QTest::newRow("png profile's stream cut short") << pngWith(png, pngChunk("iCCP", cut)) << png;
    QByteArray badCrc = iccpChunk(p3);
    badCrc[badCrc.size() - 1] = char(badCrc.at(badCrc.size() - 1) ^ 1);
    QTest::newRow("png damaged chunk") << pngWith(png, badCrc) << png;
    QTest::newRow("png gamma of zero") << pngWith(png, pngChunk("gAMA", be32(0))) << png;
    const QByteArray webp = qtEncoded(image, "webp");
    QTest::newRow("webp profile of megabytes") << webpWithProfile(image, huge) << webp;
    QByteArray tiff = qtEncoded(image, "tiff", QColorSpace::DisplayP3);
    const qsizetype tag = tiff.indexOf(QByteArray::fromHex("73870700"));
    QVERIFY(tiff.startsWith("II") && tag > 0);
    tiff.replace(tag + 8, 4, le32(0x7FFFFFF0u)); // the profile's offset, past the end
    QTest::newRow("tiff profile past the end") << tiff << qtEncoded(image, "tiff");
    if (heif_have_encoder_for_format(heif_compression_HEVC)) {
        const QByteArray heic = heifEncoded(image, heif_compression_HEVC, {});
        QTest::newRow("heic nclx out of range")
            << heifEncoded(image, heif_compression_HEVC, {QByteArray(), 200, 13}) << heic;
        QTest::newRow("heic nclx of PQ")
            << heifEncoded(image, heif_compression_HEVC, {QByteArray(), 9, 16}) << heic;
        QTest::newRow("heic nclx of sRGB")
            << heifEncoded(image, heif_compression_HEVC, {QByteArray(), 1, 13}) << heic;
        QTest::newRow("heic grey profile")
            << heifEncoded(image, heif_compression_HEVC, {greyProfile()}) << heic;
    }
}

// Untagged and sRGB photos, and photos whose profile cannot be trusted, come out exactly as
// photos without a profile always have.
void TestColour::readAsSrgb()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, untagged);
    const QString path = scratch.filePath(QString::fromLatin1(QTest::currentDataTag()));
    const QString plain = path + QStringLiteral(".untagged");
    QVERIFY(writeFile(path, file));
    QVERIFY(writeFile(plain, untagged));
    const QImage expected = decoded(plain, patches().size());
    QVERIFY(!expected.isNull());
    QCOMPARE(decoded(path, patches().size()), expected);
    if (QImageReader reader(path); file == untagged && reader.canRead()) {
        reader.setAutoTransform(false);
        QCOMPARE(expected, reader.read());
    }
}

void TestColour::untaggedAsBefore_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("untagged"); // the same pixels without any colour description
    QTest::addColumn<double>("scale");

    // Large enough that the reduced decodes of JPEG really are reduced, and that scaling mixes
    // neighbours.
    QImage image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 255 / 319, y, (x * y) % 251));
    const QByteArray jpeg = qtEncoded(image, "jpeg");
    const QByteArray png = qtEncoded(image, "png");
    QList<std::array<QByteArray, 3>> files = {
        {"jpeg", jpeg, jpeg},
        {"jpeg sRGB", qtEncoded(image, "jpeg", QColorSpace::SRgb), jpeg},
        {"png", png, png},
        {"png sRGB chunk", pngWith(png, pngChunk("sRGB", QByteArray(1, '\0'))), png},
        {"webp", qtEncoded(image, "webp"), qtEncoded(image, "webp")},
        {"tiff", qtEncoded(image, "tiff"), qtEncoded(image, "tiff")},
    };
    if (heif_have_encoder_for_format(heif_compression_HEVC)) {
        const QByteArray heic = heifEncoded(image, heif_compression_HEVC, {});
        files.append({"heic", heic, heic});
    }
    for (const double scale : {1.0, 2.0, 2.5, 7.0})
        for (const auto &[name, file, untagged] : std::as_const(files))
            QTest::addRow("%s, scale %g", name.constData(), scale) << file << untagged << scale;
}

// Photos without a profile, and sRGB ones, decode at every reduction to the very pixels the
// plain readers give: colour management changes no collage of them.
void TestColour::untaggedAsBefore()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, untagged);
    QFETCH(double, scale);
    const QString path = scratch.filePath(QString::fromLatin1(QTest::currentDataTag()));
    const QString plain = path + QStringLiteral(".untagged");
    QVERIFY(writeFile(path, file));
    QVERIFY(writeFile(plain, untagged));
    const QSize target(int(320 / scale), int(240 / scale));
    QImage expected;
    QFile stored(plain);
    QVERIFY(stored.open(QIODevice::ReadOnly));
    if (const Result<HeifFile> opening = HeifFile::open(&stored)) {
        if (const Result<HeifImage> decoded = opening->decode())
            expected = decoded->image;
        if (expected.size() != target)
            expected = expected.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        QImageReader reader(plain);
        reader.setAutoTransform(false);
        reader.setScaledSize(target);
        expected = reader.read();
    }
    QVERIFY(!expected.isNull());

    PhotoLoader loader;
    loader.path = path;
    loader.scale = scale;
    loader.width = 320;
    loader.height = 240;
    const QImage image = loadPhoto(loader);
    QCOMPARE(image.size(), target);
    QVERIFY(!image.colorSpace().isValid());
    if (expected.depth() > 32)
        expected = expected.convertToFormat(QImage::Format_RGB32);
    expected.setColorSpace(QColorSpace());
    QCOMPARE(image, expected);
}

void TestColour::cmykJpeg_data()
{
    QTest::addColumn<bool>("adobe");
    QTest::addColumn<QByteArray>("profile");
    QTest::newRow("plain inks") << false << QByteArray();
    QTest::newRow("Adobe's inverted inks") << true << QByteArray();
    QTest::newRow("plain inks, press profile") << false << cmykPress();
    QTest::newRow("Adobe's inverted inks, press profile") << true << cmykPress();
    QTest::newRow("RGB profile, ignored") << true << displayP3();
}

// CMYK JPEGs show their colours: through their profile, or as plain light filters.
void TestColour::cmykJpeg()
{
    QFETCH(bool, adobe);
    QFETCH(QByteArray, profile);
    const quint32 inks[] = {0x00000000, 0xFF000000, 0x00FFFF00, 0x00000080, 0x4020C814, 0x10A0F040};
    QImage cmyk(16 * 6, 16, QImage::Format_RGB32);
    for (int i = 0; i < 6; ++i)
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                qToBigEndian(inks[i], cmyk.scanLine(y) + 4 * (16 * i + x));
    const QString path = scratch.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(writeFile(path, cmykEncoded(cmyk, adobe, profile)));

    QImage expected(cmyk.size(), QImage::Format_RGB32);
    if (profile == cmykPress()) {
        expected = referenceSrgb(cmyk, profile, TYPE_CMYK_8);
    } else {
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < cmyk.width(); ++x) {
                const uchar *p = cmyk.constScanLine(y) + 4 * x;
                const auto light = [p](int i) { return (255 - p[i]) * (255 - p[3]) / 255; };
                expected.setPixel(x, y, qRgb(light(0), light(1), light(2)));
            }
    }
    const QImage image = decoded(path, cmyk.size());
    QVERIFY2(maxDifference(image, expected) <= 2,
             qPrintable(QString::number(maxDifference(image, expected))));
    // Halved while decoding, the colours hold.
    const QImage half = decoded(path, cmyk.size() / 2);
    QCOMPARE(half.size(), cmyk.size() / 2);
    QVERIFY(maxDifference(half, expected.scaled(half.size())) <= 3);
}

void TestColour::savedCarriesSrgb_data()
{
    QTest::addColumn<CollageFormat>("format");
    QTest::newRow("jpeg") << CollageFormat::Jpeg;
    QTest::newRow("png") << CollageFormat::Png;
}

// The saved collage carries the sRGB profile, and but for it holds the very bytes it held
// before collages carried one.
void TestColour::savedCarriesSrgb()
{
    QFETCH(CollageFormat, format);
    const bool jpeg = format == CollageFormat::Jpeg;
    const QImage image = patches();
    const QString path = scratch.filePath(jpeg ? "saved.jpg" : "saved.png");
    const Result<void> saved = writeCollage(image, path, format);
    QVERIFY2(saved, qPrintable(saved.error()));
    QImageReader reader(path);
    QCOMPARE(reader.read().colorSpace(), QColorSpace(QColorSpace::SRgb));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    QImage before = image;
    const int dpm = qRound(300 / 0.0254);
    before.setDotsPerMeterX(dpm);
    before.setDotsPerMeterY(dpm);
    if (jpeg) {
        const qsizetype at = bytes.indexOf("\xFF\xE2");
        QVERIFY(at > 0 && bytes.mid(at + 4, 12) == QByteArray("ICC_PROFILE\0", 12));
        bytes.remove(at, 2 + ((uchar(bytes.at(at + 2)) << 8) | uchar(bytes.at(at + 3))));
    } else {
        const qsizetype at = bytes.indexOf("iCCP") - 4;
        QVERIFY(at > 0);
        bytes.remove(at, 12 + qFromBigEndian<quint32>(bytes.constData() + at));
    }
    QCOMPARE(bytes, qtEncoded(before, jpeg ? "jpeg" : "png"));
}

// A PDF's image is in sRGB, and says so with the profile itself.
void TestColour::pdfCarriesSrgb()
{
    const QString path = scratch.filePath("saved.pdf");
    const Result<void> saved = writeCollage(patches(), path, CollageFormat::Pdf);
    QVERIFY2(saved, qPrintable(saved.error()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("/ColorSpace [/ICCBased 7 0 R]"));
    QVERIFY(bytes.contains(QColorSpace(QColorSpace::SRgb).iccProfile()));
}

// Every seed of the fuzz target goes through every reader and conversion without harm.
void TestColour::fuzzCorpusIsHarmless()
{
    const QDir corpus(QStringLiteral(VELLOMIR_COLOUR_CORPUS));
    const QStringList seeds = corpus.entryList(QDir::Files);
    QVERIFY(seeds.size() >= 4);
    for (const QString &name : seeds) {
        QFile file(corpus.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        bool found = false;
        for (PhotoFormat format :
             {PhotoFormat::Jpeg, PhotoFormat::Png, PhotoFormat::Webp, PhotoFormat::Tiff}) {
            const PhotoColour colour = readPhotoColour(&buffer, format);
            found = found || !colour.profile.isEmpty();
            QCOMPARE(toSrgb(patches(), colour.profile).size(), patches().size());
        }
        // Bare profiles and damaged files give none.
        const bool none
            = name.startsWith(QLatin1String("bad")) || name.endsWith(QLatin1String(".icc"));
        QVERIFY2(found != none, qPrintable(name));
        QCOMPARE(toSrgb(patches(), bytes).size(), patches().size());
    }
}

QTEST_GUILESS_MAIN(TestColour)
#include "tst_colour.moc"
