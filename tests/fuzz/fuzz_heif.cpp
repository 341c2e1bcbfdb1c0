// Feeds arbitrary bytes to the HEIF reader as the photo loader does: the container is read, and
// the primary image and every thumbnail decoded when their size is one a photo may have.
#include "heifreader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

// The loader refuses photos whose decode needs more than 1 GiB; the fuzzer's own memory
// limit is lower, so what it decodes stays well below.
bool decodable(const QSize &size)
{
    return qint64(size.width()) * size.height() <= qint64(16) << 20;
}

void check(const Result<HeifImage> &decoded)
{
    // An image, or the reason there is none.
    if (decoded ? decoded->image.isNull() : decoded.error().isEmpty())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const Result<HeifFile> opening = HeifFile::open(&buffer);
    if (!opening)
        return 0;
    const HeifFile &file = *opening;
    if (file.size().isEmpty())
        __builtin_trap();
    if (decodable(file.size()))
        check(file.decode());
    const QList<QSize> thumbnails = file.thumbnails();
    for (int i = 0; i < thumbnails.size(); ++i) {
        if (decodable(thumbnails.at(i)))
            check(file.decode(i));
    }
    return 0;
}
