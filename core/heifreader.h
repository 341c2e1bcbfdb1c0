#ifndef HEIFREADER_H
#define HEIFREADER_H

#include "result.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>

class QIODevice;
struct heif_context;
struct heif_image_handle;

// A decode of a HEIF or AVIF image.
struct HeifImage
{
    QImage image; // 8 bits a channel, turned as the container says
    // The colours of the pixels as the file describes them, those of the decoded image or,
    // for a thumbnail without its own, the photo's: an ICC profile (empty when there is
    // none, or it is larger than maxProfileBytes) or else an nclx description.
    QByteArray profile;
    int primaries = 2; // nclx colour primaries, ITU-T H.273; 2: unspecified
    int transfer = 2; // nclx transfer characteristics; 2: unspecified
};

// A HEIF or AVIF file opened through libheif: its primary image and its thumbnails, as the
// container describes them, before any pixel is decoded. The container's rotation and mirror
// (irot, imir) and crop (clap) are the truth about how the image shows: every size here is
// after them, and decodes come out turned by them, so any EXIF orientation inside is ignored.
//
// The input is untrusted: libheif checks it, and refuses sides over 32768 pixels.
class HeifFile
{
public:
    // Reads the container from the start of `device`, which must stay open, unshared, as long
    // as the HeifFile lives: libheif reads image data from it when it decodes. A failure gives
    // libheif's words.
    static Result<HeifFile> open(QIODevice *device);

    HeifFile(HeifFile &&) noexcept;
    HeifFile &operator=(HeifFile &&) noexcept;
    ~HeifFile();

    QSize size() const { return primarySize; }
    int bitDepth() const { return depth; }
    bool hasAlpha() const { return alpha; }
    // The thumbnails of the photo's own shape, smallest first; others (a crop, a wrong aspect
    // in a damaged file) would show something else than the photo in its tile.
    QList<QSize> thumbnails() const { return thumbnailSizes; }

    // Decodes the primary image when `thumbnail` is -1, else that thumbnail of thumbnails().
    Result<HeifImage> decode(int thumbnail = -1) const;

private:
    struct Handles;
    HeifFile();

    std::unique_ptr<Handles> handles;
    QSize primarySize;
    int depth = 8;
    bool alpha = false;
    QList<QSize> thumbnailSizes;
};

#endif // HEIFREADER_H
