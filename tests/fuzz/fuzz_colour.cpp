// Feeds arbitrary bytes to the colour readers as the photo loader does, for every format that
// carries a profile in its header, and converts small images through whatever profile they
// find; the bytes also go in as a bare profile, and their first two as an nclx description.
#include "colourprofile.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

void convert(const QByteArray &profile)
{
    QImage rgb(7, 3, QImage::Format_RGB32);
    rgb.fill(0xFF336699u);
    QImage grey(7, 3, QImage::Format_Grayscale8);
    grey.fill(100);
    QImage rgba(7, 3, QImage::Format_RGBA8888_Premultiplied);
    rgba.fill(0x80402010u);
    // A profile that is ignored leaves the image as it was.
    const QImage out = toSrgb(rgb, profile);
    if (out.size() != rgb.size() || toSrgb(grey, profile).size() != grey.size()
        || toSrgb(rgba, profile).size() != rgba.size())
        __builtin_trap();
    for (bool inverted : {false, true}) {
        QImage cmyk(5, 2, QImage::Format_RGB32);
        cmyk.fill(0x20406080u);
        if (cmykToSrgb(cmyk, inverted, profile).size() != cmyk.size())
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    for (PhotoFormat format :
         {PhotoFormat::Jpeg, PhotoFormat::Png, PhotoFormat::Webp, PhotoFormat::Tiff}) {
        const PhotoColour colour = readPhotoColour(&buffer, format);
        if (colour.profile.size() > maxProfileBytes)
            __builtin_trap();
        if (!colour.profile.isEmpty())
            convert(colour.profile);
    }
    convert(QByteArray(bytes.constData(), bytes.size()));
    if (size >= 2)
        convert(codedColourProfile(data[0], data[1]));
    return 0;
}
