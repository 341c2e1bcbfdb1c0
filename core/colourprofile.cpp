#include "colourprofile.h"

#include <QColorSpace>
#include <QCryptographicHash>
#include <QHash>
#include <QIODevice>
#include <QLoggingCategory>
#include <QMutex>

#include <lcms2.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

Q_LOGGING_CATEGORY(lcColour, "vellomir.colour", QtWarningMsg)

namespace {

// ---- Bytes ----

// Whether [pos, pos + n) lies inside [0, end).
bool inside(qint64 pos, qint64 n, qint64 end)
{
    return pos >= 0 && n >= 0 && pos <= end && n <= end - pos;
}

quint32 big32(const QByteArray &bytes, qint64 pos)
{
    if (!inside(pos, 4, bytes.size()))
        return 0;
    const auto at = [&bytes, pos](int i) { return quint32(uchar(bytes.at(pos + i))); };
    return (at(0) << 24) | (at(1) << 16) | (at(2) << 8) | at(3);
}

quint32 read16(const QByteArray &bytes, qint64 pos, bool little)
{
    if (!inside(pos, 2, bytes.size()))
        return 0;
    const quint32 a = uchar(bytes.at(pos));
    const quint32 b = uchar(bytes.at(pos + 1));
    return little ? (b << 8) | a : (a << 8) | b;
}

quint32 read32(const QByteArray &bytes, qint64 pos, bool little)
{
    const quint32 a = read16(bytes, pos, little);
    const quint32 b = read16(bytes, pos + 2, little);
    return little ? (b << 16) | a : (a << 16) | b;
}

quint64 read64(const QByteArray &bytes, qint64 pos, bool little)
{
    const quint64 a = read32(bytes, pos, little);
    const quint64 b = read32(bytes, pos + 4, little);
    return little ? (b << 32) | a : (a << 32) | b;
}

// Reads exactly `n` bytes, or nothing: a length the file cannot back is never allocated.
QByteArray readExactly(QIODevice *device, qint64 n)
{
    if (n < 0 || n > device->size() - device->pos())
        return QByteArray();
    QByteArray bytes = device->read(n);
    return bytes.size() == n ? bytes : QByteArray();
}

bool skipExactly(QIODevice *device, qint64 n)
{
    return n >= 0 && n <= device->size() - device->pos() && device->skip(n) == n;
}

// A profile's header checked before any library parses it: its signature, the size it
// declares (which may be less than the container holds, never more) and a tag table that
// fits. Returns the profile cut to its declared size, or nothing.
QByteArray checkedProfile(QByteArray icc)
{
    const qsizetype headerBytes = 128;
    if (icc.size() < headerBytes + 4 || icc.size() > maxProfileBytes)
        return QByteArray();
    const quint32 declared = big32(icc, 0);
    const quint32 tags = big32(icc, headerBytes);
    if (declared < headerBytes + 4 || declared > quint32(icc.size()) || icc.mid(36, 4) != "acsp"
        || tags > (declared - headerBytes - 4) / 12)
        return QByteArray();
    icc.truncate(declared);
    return icc;
}

// ---- LittleCMS ----

void logError(cmsContext, cmsUInt32Number code, const char *text)
{
    qCDebug(lcColour) << "LittleCMS" << code << text;
}

// One context for the process, never freed: its error handler keeps LittleCMS quiet.
cmsContext context()
{
    static const cmsContext made = [] {
        const cmsContext c = cmsCreateContext(nullptr, nullptr);
        cmsSetLogErrorHandlerTHR(c, logError);
        return c;
    }();
    return made;
}

struct ProfileClose
{
    void operator()(void *profile) const { cmsCloseProfile(profile); }
};
using ProfilePointer = std::unique_ptr<void, ProfileClose>;

QByteArray savedProfile(const ProfilePointer &profile)
{
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0
        || size > cmsUInt32Number(maxProfileBytes))
        return QByteArray();
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size))
        return QByteArray();
    bytes.truncate(qsizetype(size));
    return bytes;
}

// sRGB's curve as LittleCMS's parametric type 4: (aX + b)^g above d, cX below.
const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};

const cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
const cmsCIExyYTRIPLE srgbPrimaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};

// An RGB profile of primaries, white point and one curve (a gamma, or sRGB's when 0).
QByteArray rgbProfile(const cmsCIExyY &white, const cmsCIExyYTRIPLE &primaries, double gamma)
{
    cmsToneCurve *curve = gamma > 0 ? cmsBuildGamma(context(), gamma)
                                    : cmsBuildParametricToneCurve(context(), 4, srgbCurve);
    if (!curve)
        return QByteArray();
    cmsToneCurve *curves[3] = {curve, curve, curve};
    const ProfilePointer profile(cmsCreateRGBProfileTHR(context(), &white, &primaries, curves));
    cmsFreeToneCurve(curve);
    return savedProfile(profile);
}

QByteArray greyProfile(double gamma)
{
    cmsToneCurve *curve = cmsBuildGamma(context(), gamma);
    if (!curve)
        return QByteArray();
    const ProfilePointer profile(cmsCreateGrayProfileTHR(context(), cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return savedProfile(profile);
}

// ---- JPEG ----

PhotoColour jpegColour(QIODevice *device)
{
    PhotoColour colour;
    char c = 0;
    if (!device->getChar(&c) || uchar(c) != 0xFF || !device->getChar(&c) || uchar(c) != 0xD8)
        return colour;
    const QByteArray iccMark("ICC_PROFILE\0", 12);
    // A profile too long for one segment is split over several: each names its place (from
    // 1) and the count; any doubt about the whole drops it.
    QList<QByteArray> pieces;
    qint64 iccBytes = 0;
    bool broken = false;
    for (;;) {
        bool previousFF = false;
        uchar marker = 0;
        for (;;) {
            if (!device->getChar(&c))
                return colour;
            if (uchar(c) != 0xFF && previousFF) {
                marker = uchar(c);
                break;
            }
            previousFF = uchar(c) == 0xFF;
        }
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD9 || marker == 0xDA)
            break;
        const QByteArray lengthBytes = readExactly(device, 2);
        const int length = lengthBytes.size() == 2 ? int(read16(lengthBytes, 0, false)) : 0;
        if (length < 2)
            break;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
                           && marker != 0xCC;
        if (marker != 0xE2 && marker != 0xEE && !frame) {
            if (!skipExactly(device, length - 2))
                break;
            continue;
        }
        const QByteArray payload = readExactly(device, length - 2);
        if (payload.size() != length - 2)
            break;
        if (frame) {
            colour.jpegComponents = payload.size() >= 6 ? uchar(payload.at(5)) : 0;
        } else if (marker == 0xEE) {
            colour.adobe = colour.adobe || payload.startsWith("Adobe");
        } else if (payload.startsWith(iccMark) && payload.size() > 14) {
            const int place = uchar(payload.at(12));
            const int count = uchar(payload.at(13));
            if (pieces.isEmpty() && count > 0)
                pieces.resize(count);
            iccBytes += payload.size() - 14;
            if (count != pieces.size() || place < 1 || place > count
                || !pieces.at(place - 1).isNull() || iccBytes > maxProfileBytes)
                broken = true;
            else
                pieces[place - 1] = payload.mid(14);
        }
    }
    if (broken || pieces.isEmpty()
        || std::any_of(pieces.cbegin(), pieces.cend(),
                       [](const QByteArray &p) { return p.isNull(); })) {
        if (broken || !pieces.isEmpty())
            qCDebug(lcColour) << "JPEG profile segments do not make a profile";
        return colour;
    }
    QByteArray icc;
    icc.reserve(iccBytes);
    for (const QByteArray &piece : std::as_const(pieces))
        icc += piece;
    colour.profile = checkedProfile(icc);
    return colour;
}

// ---- PNG ----

// The zlib stream inflated, or nothing when it is damaged or inflates to more than `limit`.
QByteArray inflated(const QByteArray &compressed, qsizetype limit)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return QByteArray();
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = uInt(compressed.size());
    int status = Z_OK;
    while (status == Z_OK) {
        const qsizetype done = out.size();
        if (done > limit)
            break;
        out.resize(std::min<qsizetype>(limit + 1, std::max<qsizetype>(4096, 2 * done)));
        stream.next_out = reinterpret_cast<Bytef *>(out.data() + done);
        stream.avail_out = uInt(out.size() - done);
        status = inflate(&stream, Z_NO_FLUSH);
        out.truncate(qsizetype(stream.total_out));
        if (status == Z_BUF_ERROR && stream.avail_in > 0 && out.size() <= limit)
            status = Z_OK; // more room was all it needed
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && out.size() <= limit ? out : QByteArray();
}

PhotoColour pngColour(QIODevice *device)
{
    PhotoColour colour;
    if (device->read(8) != QByteArray("\x89PNG\r\n\x1A\n", 8))
        return colour;
    bool grey = false;
    bool srgb = false;
    QByteArray iccp;
    quint32 gamma = 0; // gAMA: the encoding exponent times 100000
    QByteArray chrm;
    // The colour chunks come before the image data; the chunk budget bounds a walk over
    // chunks of no length.
    for (int n = 0; n < 4096; ++n) {
        const QByteArray header = readExactly(device, 8);
        if (header.size() != 8)
            break;
        const quint32 length = big32(header, 0);
        const QByteArray type = header.mid(4, 4);
        if (length > 0x7FFFFFFFu || type == "IDAT" || type == "IEND")
            break;
        const bool wanted = type == "IHDR" || type == "iCCP" || type == "sRGB" || type == "gAMA"
                            || type == "cHRM";
        if (!wanted || length > quint32(maxProfileBytes)) {
            if (!skipExactly(device, qint64(length) + 4))
                break;
            continue;
        }
        const QByteArray data = readExactly(device, qint64(length) + 4);
        if (data.size() != qint64(length) + 4)
            break;
        // A damaged chunk is dropped, as libpng drops it.
        const uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef *>(type.constData()), 4),
                                reinterpret_cast<const Bytef *>(data.constData()), uInt(length));
        if (crc != big32(data, length))
            continue;
        if (type == "IHDR" && length >= 13)
            grey = data.at(9) == 0 || data.at(9) == 4;
        else if (type == "sRGB" && length == 1)
            srgb = true;
        else if (type == "gAMA" && length == 4)
            gamma = big32(data, 0);
        else if (type == "cHRM" && length == 32)
            chrm = data.left(32);
        else if (type == "iCCP") {
            // A name of 1 to 79 bytes, its terminating zero, the method (0: zlib), the stream.
            const qsizetype name = data.indexOf('\0');
            if (name >= 1 && name <= 79 && name + 2 <= qsizetype(length) && data.at(name + 1) == 0)
                iccp = data.mid(name + 2, qsizetype(length) - name - 2);
        }
    }
    // The standard's order of precedence: a profile, then sRGB, then the chromaticities and
    // gamma. A damaged profile leaves the photo in sRGB, as if it had none.
    if (!iccp.isNull()) {
        colour.profile = checkedProfile(inflated(iccp, maxProfileBytes));
        if (colour.profile.isEmpty())
            qCDebug(lcColour) << "PNG profile unusable";
        return colour;
    }
    if (srgb)
        return colour;
    // libpng's value for 1/2.2 stands for sRGB where nothing else is said, as its writers mean it.
    const quint32 srgbGamma = 45455;
    const double exponent = gamma > 0 ? 100000.0 / gamma : 0;
    const bool gammaSane = exponent >= 0.2 && exponent <= 5.0;
    if (grey) {
        if (gammaSane && gamma != srgbGamma)
            colour.profile = greyProfile(exponent);
        return colour;
    }
    cmsCIExyY white = d65;
    cmsCIExyYTRIPLE primaries = srgbPrimaries;
    bool chromaticities = false;
    if (!chrm.isEmpty()) {
        const auto value = [&chrm](int i) { return big32(chrm, 4 * i) / 100000.0; };
        cmsCIExyY *points[4] = {&white, &primaries.Red, &primaries.Green, &primaries.Blue};
        bool sane = true;
        for (int i = 0; i < 4; ++i) {
            const double x = value(2 * i);
            const double y = value(2 * i + 1);
            sane = sane && x >= 0 && y > 0 && x + y <= 1;
            *points[i] = {x, y, 1.0};
        }
        const double srgbValues[8] = {0.3127, 0.3290, 0.64, 0.33, 0.30, 0.60, 0.15, 0.06};
        bool isSrgb = true;
        for (int i = 0; i < 8; ++i)
            isSrgb = isSrgb && std::abs(value(i) - srgbValues[i]) < 0.0011;
        chromaticities = sane && !isSrgb;
        if (!chromaticities) {
            white = d65;
            primaries = srgbPrimaries;
        }
    }
    const bool srgbTransfer = !gammaSane || (gamma == srgbGamma && !chromaticities);
    if (chromaticities || !srgbTransfer)
        colour.profile = rgbProfile(white, primaries, srgbTransfer ? 0 : exponent);
    return colour;
}

// ---- WebP ----

PhotoColour webpColour(QIODevice *device)
{
    PhotoColour colour;
    const QByteArray riff = device->read(12);
    if (riff.size() != 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WEBP")
        return colour;
    // The profile comes after VP8X and before any image data.
    for (int n = 0; n < 64; ++n) {
        const QByteArray header = readExactly(device, 8);
        if (header.size() != 8)
            break;
        const quint32 length = read32(header, 4, true);
        const QByteArray type = header.left(4);
        if (type == "VP8 " || type == "VP8L" || type == "ANIM" || type == "ANMF" || type == "ALPH")
            break;
        if (type == "ICCP") {
            if (length <= quint32(maxProfileBytes))
                colour.profile = checkedProfile(readExactly(device, length));
            break;
        }
        // Chunks are padded to an even length.
        if (!skipExactly(device, qint64(length) + (length & 1)))
            break;
    }
    return colour;
}

// ---- TIFF ----

PhotoColour tiffColour(QIODevice *device)
{
    PhotoColour colour;
    const QByteArray head = device->read(16);
    if (head.size() < 8 || (!head.startsWith("II") && !head.startsWith("MM")))
        return colour;
    const bool little = head.startsWith("II");
    const quint32 magic = read16(head, 2, little);
    const bool big = magic == 43; // BigTIFF: 8-byte counts and offsets
    if ((!big && magic != 42) || (big && (head.size() < 16 || read16(head, 4, little) != 8)))
        return colour;
    const quint64 directory = big ? read64(head, 8, little) : read32(head, 4, little);
    if (directory < 8 || directory >= quint64(device->size()) || !device->seek(qint64(directory)))
        return colour;
    const QByteArray countBytes = readExactly(device, big ? 8 : 2);
    if (countBytes.isEmpty())
        return colour;
    const quint64 count = big ? read64(countBytes, 0, little) : read16(countBytes, 0, little);
    const int entrySize = big ? 20 : 12;
    const QByteArray entries = device->read(qint64(std::min<quint64>(count, 4096)) * entrySize);
    const int tagProfile = 34675;
    for (qint64 entry = 0; entry + entrySize <= entries.size(); entry += entrySize) {
        if (read16(entries, entry, little) != quint32(tagProfile))
            continue;
        const quint32 type = read16(entries, entry + 2, little);
        const quint64 bytes
            = big ? read64(entries, entry + 4, little) : read32(entries, entry + 4, little);
        const quint64 offset
            = big ? read64(entries, entry + 12, little) : read32(entries, entry + 8, little);
        // UNDEFINED as the standard has it, BYTE as some writers have it.
        if ((type != 7 && type != 1) || bytes > quint64(maxProfileBytes)
            || offset > quint64(device->size()) || !device->seek(qint64(offset)))
            return colour;
        colour.profile = checkedProfile(readExactly(device, qint64(bytes)));
        return colour;
    }
    return colour;
}

// ---- Transforms ----

struct TransformDelete
{
    void operator()(void *transform) const { cmsDeleteTransform(transform); }
};

// A transform to sRGB, or none for a profile that cannot be used with that pixel layout.
struct Transform
{
    std::unique_ptr<void, TransformDelete> handle;
    bool identity = false; // the profile is sRGB to the last level: nothing to do
};

// Whether the transform leaves every value of a grid through RGB space as it is: an sRGB
// profile of another maker's writing need not touch the photo.
bool leavesSrgbAlone(cmsHTRANSFORM transform, bool rgba)
{
    const int steps = 17;
    QByteArray in(steps * steps * steps * 4, Qt::Uninitialized);
    int i = 0;
    for (int r = 0; r < steps; ++r)
        for (int g = 0; g < steps; ++g)
            for (int b = 0; b < steps; ++b) {
                const auto level = [](int s) { return char(std::min(255, 16 * s)); };
                const char red = level(r);
                const char blue = level(b);
                in[i++] = rgba ? red : blue;
                in[i++] = level(g);
                in[i++] = rgba ? blue : red;
                in[i++] = char(255);
            }
    QByteArray out = in;
    cmsDoTransform(transform, in.constData(), out.data(), cmsUInt32Number(steps * steps * steps));
    return in == out;
}

std::shared_ptr<const Transform> makeTransform(const QByteArray &icc, cmsUInt32Number inFormat,
                                               cmsUInt32Number outFormat)
{
    auto made = std::make_shared<Transform>();
    const QByteArray profile = checkedProfile(icc);
    const ProfilePointer input(profile.isEmpty()
                                   ? nullptr
                                   : cmsOpenProfileFromMemTHR(context(), profile.constData(),
                                                              cmsUInt32Number(profile.size())));
    if (!input)
        return made;
    const cmsProfileClassSignature kind = cmsGetDeviceClass(input.get());
    const cmsColorSpaceSignature pcs = cmsGetPCS(input.get());
    const bool describesPixels = kind == cmsSigInputClass || kind == cmsSigDisplayClass
                                 || kind == cmsSigOutputClass || kind == cmsSigColorSpaceClass;
    if (!describesPixels || (pcs != cmsSigXYZData && pcs != cmsSigLabData)
        || cmsGetColorSpace(input.get()) != _cmsICCcolorSpace(int(T_COLORSPACE(inFormat)))) {
        qCDebug(lcColour) << "profile does not fit the pixels";
        return made;
    }
    const ProfilePointer srgb(cmsCreate_sRGBProfileTHR(context()));
    // Shared between decodes running at once: without its one-pixel cache a transform only
    // reads its own state.
    made->handle.reset(cmsCreateTransformTHR(context(), input.get(), inFormat, srgb.get(),
                                             outFormat, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE));
    if (made->handle && T_COLORSPACE(inFormat) == PT_RGB)
        made->identity = leavesSrgbAlone(made->handle.get(), T_DOSWAP(inFormat) == 0);
    return made;
}

// Transforms are kept by profile and pixel layout: a hundred photos of one phone share one.
std::shared_ptr<const Transform> transformFor(const QByteArray &icc, cmsUInt32Number inFormat,
                                              cmsUInt32Number outFormat)
{
    static QMutex mutex;
    static QHash<QByteArray, std::shared_ptr<const Transform>> cache;
    const int maxCached = 32;
    QByteArray key = QCryptographicHash::hash(icc, QCryptographicHash::Sha256);
    key += QByteArray::number(inFormat) + ':' + QByteArray::number(outFormat);
    {
        QMutexLocker locker(&mutex);
        if (const auto found = cache.constFind(key); found != cache.cend())
            return *found;
    }
    std::shared_ptr<const Transform> made = makeTransform(icc, inFormat, outFormat);
    QMutexLocker locker(&mutex);
    if (cache.size() >= maxCached)
        cache.clear();
    cache.insert(key, made);
    return made;
}

constexpr bool littleEndian = Q_BYTE_ORDER == Q_LITTLE_ENDIAN;
// QImage's 32-bit RGB as bytes in memory.
const cmsUInt32Number rgb32Layout = littleEndian ? TYPE_BGRA_8 : TYPE_ARGB_8;

} // namespace

PhotoColour readPhotoColour(QIODevice *device, PhotoFormat format)
{
    if (!device->seek(0))
        return PhotoColour();
    try {
        switch (format) {
        case PhotoFormat::Jpeg:
            return jpegColour(device);
        case PhotoFormat::Png:
            return pngColour(device);
        case PhotoFormat::Webp:
            return webpColour(device);
        case PhotoFormat::Tiff:
            return tiffColour(device);
        case PhotoFormat::Heif:
        case PhotoFormat::Avif:
        case PhotoFormat::Unknown:
            break;
        }
    } catch (const std::bad_alloc &) {
    }
    return PhotoColour();
}

QByteArray codedColourProfile(int primaries, int transfer)
{
    struct Primaries
    {
        int code;
        cmsCIExyY white;
        cmsCIExyYTRIPLE rgb;
    };
    const cmsCIExyY illuminantC = {0.310, 0.316, 1.0};
    const Primaries known[] = {
        {1, d65, srgbPrimaries},
        {2, d65, srgbPrimaries}, // unspecified: as sRGB
        {4, illuminantC, {{0.67, 0.33, 1}, {0.21, 0.71, 1}, {0.14, 0.08, 1}}},
        {5, d65, {{0.64, 0.33, 1}, {0.29, 0.60, 1}, {0.15, 0.06, 1}}},
        {6, d65, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}},
        {7, d65, {{0.630, 0.340, 1}, {0.310, 0.595, 1}, {0.155, 0.070, 1}}},
        {8, illuminantC, {{0.681, 0.319, 1}, {0.243, 0.692, 1}, {0.145, 0.049, 1}}},
        {9, d65, {{0.708, 0.292, 1}, {0.170, 0.797, 1}, {0.131, 0.046, 1}}},
        {11, {0.314, 0.351, 1}, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}},
        {12, d65, {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}},
        {22, d65, {{0.630, 0.340, 1}, {0.295, 0.605, 1}, {0.155, 0.077, 1}}},
    };
    const auto found
        = std::find_if(std::begin(known), std::end(known),
                       [primaries](const Primaries &p) { return p.code == primaries; });
    // The video curves (BT.709 and its kin) describe the camera: pictures coded with them are
    // shown as sRGB ones are, so that only their primaries count.
    double gamma = -1;
    switch (transfer) {
    case 1:
    case 2:
    case 6:
    case 7:
    case 13:
    case 14:
    case 15:
        gamma = 0;
        break;
    case 4:
        gamma = 2.2;
        break;
    case 5:
        gamma = 2.8;
        break;
    case 8:
        gamma = 1.0;
        break;
    default:
        break;
    }
    if (found == std::end(known) || gamma < 0) {
        qCDebug(lcColour) << "colour description not used: primaries" << primaries << "transfer"
                          << transfer;
        return QByteArray();
    }
    if (found->code <= 2 && gamma == 0)
        return QByteArray();
    return rgbProfile(found->white, found->rgb, gamma);
}

QImage toSrgb(QImage image, const QByteArray &profile)
{
    // Qt's readers tag what they read with the file's profile, even one they could not parse;
    // the tag would no longer be true of the pixels, whichever way they come out.
    if (!image.isNull())
        image.setColorSpace(QColorSpace());
    if (profile.isEmpty() || image.isNull())
        return image;
    const QImage::Format format = image.format();
    const bool grey = format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
    // libheif's layouts are taken as they are; everything else as Qt's 32-bit RGB.
    const bool rgba = format == QImage::Format_RGBX8888 || format == QImage::Format_RGBA8888
                      || format == QImage::Format_RGBA8888_Premultiplied;
    const cmsUInt32Number inFormat = grey ? TYPE_GRAY_8 : rgba ? TYPE_RGBA_8 : rgb32Layout;
    const cmsUInt32Number outFormat = rgba ? TYPE_RGBA_8 : rgb32Layout;
    const std::shared_ptr<const Transform> transform = transformFor(profile, inFormat, outFormat);
    if (!transform->handle || transform->identity)
        return image;

    QImage out;
    if (grey) {
        image.convertTo(QImage::Format_Grayscale8);
        out = QImage(image.size(), QImage::Format_RGB32);
        if (out.isNull())
            return image;
        out.fill(Qt::black); // the transform writes no alpha
    } else {
        // Alpha is carried through untouched, so it must not be multiplied into the colours.
        if (format == QImage::Format_RGBA8888_Premultiplied)
            image.convertTo(QImage::Format_RGBA8888);
        else if (!rgba)
            image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        // In place: the photo's memory is all the conversion takes.
        out = std::move(image);
        if (out.bits() == nullptr)
            return out;
    }
    const QImage &source = grey ? image : out;
    cmsDoTransformLineStride(transform->handle.get(), source.constBits(), out.bits(),
                             cmsUInt32Number(out.width()), cmsUInt32Number(out.height()),
                             cmsUInt32Number(source.bytesPerLine()),
                             cmsUInt32Number(out.bytesPerLine()), 0, 0);
    return out;
}

QImage cmykToSrgb(QImage cmyk, bool inverted, const QByteArray &profile)
{
    if (cmyk.isNull() || cmyk.depth() != 32)
        return QImage();
    cmyk.reinterpretAsFormat(QImage::Format_RGB32);
    if (cmyk.bits() == nullptr)
        return QImage();
    const std::shared_ptr<const Transform> transform
        = profile.isEmpty()
              ? nullptr
              : transformFor(profile, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8, rgb32Layout);
    for (int y = 0; y < cmyk.height(); ++y) {
        uchar *line = cmyk.scanLine(y);
        if (transform && transform->handle) {
            cmsDoTransform(transform->handle.get(), line, line, cmsUInt32Number(cmyk.width()));
            // The transform writes no alpha; black's byte is still there.
            auto *pixels = reinterpret_cast<QRgb *>(line);
            for (int x = 0; x < cmyk.width(); ++x)
                pixels[x] |= 0xFF000000u;
            continue;
        }
        for (int x = 0; x < cmyk.width(); ++x) {
            uchar *p = line + 4 * x;
            const auto light = [inverted](uchar ink) { return uint(inverted ? ink : 255 - ink); };
            const uint k = light(p[3]);
            reinterpret_cast<QRgb *>(p)[0] = qRgb(
                int(light(p[0]) * k / 255), int(light(p[1]) * k / 255), int(light(p[2]) * k / 255));
        }
    }
    return cmyk;
}
