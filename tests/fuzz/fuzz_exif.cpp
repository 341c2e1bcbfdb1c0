// Feeds arbitrary bytes to the EXIF reader as a device, the way a photo file reaches it: as a
// JPEG, a PNG, a WebP and a TIFF file, and as a bare EXIF block.
#include "exifreader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const int out = ExifReader::readOrientation(&buffer);
    if (out < 0 || out > 8)
        __builtin_trap();
    // The same bytes as the other formats that carry an orientation.
    for (const auto orientationOf : {&ExifReader::pngOrientation, &ExifReader::webpOrientation,
                                     &ExifReader::tiffOrientation}) {
        const int found = orientationOf(&buffer);
        if (found < 0 || found > 8)
            __builtin_trap();
    }
    if (const int found = ExifReader::blockOrientation(bytes); found < 0 || found > 8)
        __builtin_trap();
    // A preview found lies inside the bytes it came from.
    if (buffer.seek(0)) {
        const std::optional<QByteArray> preview = ExifReader::jpegThumbnail(&buffer);
        if (preview && (preview->isEmpty() || preview->size() > bytes.size()))
            __builtin_trap();
    }
    return 0;
}
