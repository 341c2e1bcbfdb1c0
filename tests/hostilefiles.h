// Photo files that are fine on the surface and broken underneath, made in the tests.
#ifndef HOSTILEFILES_H
#define HOSTILEFILES_H

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QtEndian>

namespace hostile {

inline QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// Noise compresses badly, so the files have scans worth damaging.
inline QImage noise(int w, int h, quint32 seed = 1)
{
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    return image;
}

// The JPEG's frame header rewritten to claim w x h; `sampling`, when given, becomes every
// component's sampling factors (0x11: colour at full resolution).
inline QByteArray claimingSize(QByteArray jpeg, int w, int h, int sampling = 0)
{
    int sof = int(jpeg.indexOf("\xFF\xC0"));
    if (sof < 0)
        sof = int(jpeg.indexOf("\xFF\xC2"));
    jpeg[sof + 5] = char(h >> 8);
    jpeg[sof + 6] = char(h & 0xFF);
    jpeg[sof + 7] = char(w >> 8);
    jpeg[sof + 8] = char(w & 0xFF);
    for (int i = 0; sampling && i < uchar(jpeg[sof + 9]); ++i)
        jpeg[sof + 11 + 3 * i] = char(sampling);
    return jpeg;
}

// A progressive JPEG whose last scan names a component the frame does not have: its header
// and first scan are sound, the decoder fails halfway.
inline QByteArray damagedScan(QByteArray jpeg)
{
    const int sos = int(jpeg.lastIndexOf("\xFF\xDA"));
    jpeg[sos + 5] = '\x09';
    return jpeg;
}

inline QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : type + data) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    chunk += type + data + QByteArray(4, '\0');
    qToBigEndian(~crc, chunk.data() + chunk.size() - 4);
    return chunk;
}

// A PNG of nothing but its header: w x h pixels of RGBA, and the first bytes of the data.
inline QByteArray pngHeader(int w, int h)
{
    QByteArray header(13, '\0');
    qToBigEndian(quint32(w), header.data());
    qToBigEndian(quint32(h), header.data() + 4);
    header[8] = 8; // bits per channel
    header[9] = 6; // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header)
           + pngChunk("IDAT", QByteArray("\x78\x9c\x62\x60\x00\x00\x00\x00\x00\x00\x00\x00", 12))
           + pngChunk("IEND", QByteArray());
}

} // namespace hostile

#endif // HOSTILEFILES_H
