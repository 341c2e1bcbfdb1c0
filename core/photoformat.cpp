#include "photoformat.h"

#include <QIODevice>

#include <algorithm>

namespace {

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    return (quint32(uchar(bytes.at(at))) << 24) | (quint32(uchar(bytes.at(at + 1))) << 16)
           | (quint32(uchar(bytes.at(at + 2))) << 8) | quint32(uchar(bytes.at(at + 3)));
}

bool isHevcBrand(const QByteArray &brand)
{
    static const char *const brands[]
        = {"heic", "heix", "heim", "heis", "hevc", "hevx", "hevm", "hevs"};
    return std::any_of(std::begin(brands), std::end(brands),
                       [&brand](const char *b) { return brand == b; });
}

bool isAv1Brand(const QByteArray &brand)
{
    return brand == "avif" || brand == "avis";
}

// An ISO base media file starts with its 'ftyp' box: the major brand, a minor version and the
// compatible brands. The major brand decides, then the compatible ones; a file that only
// claims the generic image brands is HEIF as far as libheif can tell.
PhotoFormat isoImageFormat(const QByteArray &head)
{
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return PhotoFormat::Unknown;
    const qint64 boxSize = bigEndian32(head, 0);
    const int end = int(std::min<qint64>(boxSize < 16 ? 16 : boxSize, head.size()));
    const QByteArray major = head.mid(8, 4);
    if (isHevcBrand(major))
        return PhotoFormat::Heif;
    if (isAv1Brand(major))
        return PhotoFormat::Avif;
    bool generic = major == "mif1" || major == "msf1";
    bool av1 = false;
    for (int at = 16; at + 4 <= end; at += 4) {
        const QByteArray brand = head.mid(at, 4);
        if (isHevcBrand(brand))
            return PhotoFormat::Heif;
        av1 = av1 || isAv1Brand(brand);
        generic = generic || brand == "mif1" || brand == "msf1";
    }
    if (av1)
        return PhotoFormat::Avif;
    return generic ? PhotoFormat::Heif : PhotoFormat::Unknown;
}

} // namespace

PhotoFormat photoFormatOf(const QByteArray &head)
{
    if (head.startsWith("\xFF\xD8\xFF"))
        return PhotoFormat::Jpeg;
    if (head.startsWith(QByteArray("\x89PNG\r\n\x1A\n", 8)))
        return PhotoFormat::Png;
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return PhotoFormat::Webp;
    // Classic TIFF (42) and BigTIFF (43), in either byte order.
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))
        || head.startsWith(QByteArray("II+\0", 4)) || head.startsWith(QByteArray("MM\0+", 4)))
        return PhotoFormat::Tiff;
    return isoImageFormat(head);
}

PhotoFormat detectPhotoFormat(QIODevice *device)
{
    if (!device->seek(0))
        return PhotoFormat::Unknown;
    return photoFormatOf(device->read(photoFormatProbeBytes));
}

QString photoFormatName(PhotoFormat format)
{
    switch (format) {
    case PhotoFormat::Jpeg:
        return QStringLiteral("jpeg");
    case PhotoFormat::Heif:
        return QStringLiteral("heif");
    case PhotoFormat::Avif:
        return QStringLiteral("avif");
    case PhotoFormat::Png:
        return QStringLiteral("png");
    case PhotoFormat::Webp:
        return QStringLiteral("webp");
    case PhotoFormat::Tiff:
        return QStringLiteral("tiff");
    case PhotoFormat::Unknown:
        break;
    }
    return QString();
}

QByteArray qtReaderFormat(PhotoFormat format)
{
    switch (format) {
    case PhotoFormat::Jpeg:
        return QByteArrayLiteral("jpeg");
    case PhotoFormat::Png:
        return QByteArrayLiteral("png");
    case PhotoFormat::Webp:
        return QByteArrayLiteral("webp");
    case PhotoFormat::Tiff:
        return QByteArrayLiteral("tiff");
    case PhotoFormat::Heif:
    case PhotoFormat::Avif:
    case PhotoFormat::Unknown:
        break;
    }
    return QByteArray();
}
