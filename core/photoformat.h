#ifndef PHOTOFORMAT_H
#define PHOTOFORMAT_H

#include <QByteArray>
#include <QString>

class QIODevice;

// The photo formats the collection takes, told apart by what the file holds, never by its name.
enum class PhotoFormat { Unknown, Jpeg, Heif, Avif, Png, Webp, Tiff };

// How many leading bytes photoFormatOf() looks at: enough for an ISO box file's brand list.
constexpr int photoFormatProbeBytes = 256;

// The format of a file from its leading bytes (a HEIF or AVIF file names it in its first box).
PhotoFormat photoFormatOf(const QByteArray &head);

// The format of what the device holds, read from its start; the position is left anywhere.
PhotoFormat detectPhotoFormat(QIODevice *device);

// The format's lower-case name, as vellomir-collage --list prints it: jpeg, heif, avif, png,
// webp or tiff; empty for Unknown.
QString photoFormatName(PhotoFormat format);

// The name of the Qt image reader plugin that decodes the format; empty for those read
// through libheif and for Unknown.
QByteArray qtReaderFormat(PhotoFormat format);

#endif // PHOTOFORMAT_H
