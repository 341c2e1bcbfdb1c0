#ifndef FACEPHOTOS_H
#define FACEPHOTOS_H

// Photos with faces at known places, composed from the face pictures Debian ships with
// scikit-image (python3-skimage) and OpenCV's samples (opencv-doc), read where the packages
// install them. Shared by the detector's tests and its benchmark.

#include <QFile>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPointF>
#include <QRandomGenerator>
#include <QString>

#include <cstring>

namespace facephotos {

inline QString skimageData()
{
    return QStringLiteral("/usr/lib/python3/dist-packages/skimage/data/");
}

inline QString opencvData()
{
    return QStringLiteral("/usr/share/doc/opencv-doc/examples/data/");
}

// A picture with one face, and where the face's centre is in it.
struct Source
{
    QString path;
    QPointF face; // in the picture's pixels
};

// Looked up by eye once; a detection holds the centre when it found the face.
inline QList<Source> sources()
{
    return {{skimageData() + QStringLiteral("astronaut.png"), {225, 120}},
            {skimageData() + QStringLiteral("camera.png"), {245, 130}},
            {opencvData() + QStringLiteral("messi5.jpg"), {240, 85}},
            {opencvData() + QStringLiteral("basketball1.png"), {90, 155}}};
}

inline QString lfwPath()
{
    return skimageData() + QStringLiteral("lfw_subset.npy");
}

// The 100 faces of the Labeled Faces in the Wild subset scikit-image ships, 25 x 25 grey, or
// with `faces` false the 100 pictures after them, which are not faces. Empty when the file is
// missing or not the one expected.
inline QList<QImage> lfwFaces(bool faces = true)
{
    QFile file(lfwPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    // NumPy's format: magic, version, a little-endian 16-bit header length, the header.
    if (data.size() < 10 || !data.startsWith("\x93NUMPY") || data.at(6) != 1)
        return {};
    const int headerLength = uchar(data.at(8)) | uchar(data.at(9)) << 8;
    const QByteArray header = data.mid(10, headerLength);
    if (!header.contains("'<f8'") || !header.contains("(200, 25, 25)"))
        return {};
    const qsizetype start = 10 + headerLength;
    constexpr int side = 25;
    if (data.size() < start + qsizetype(200) * side * side * 8)
        return {};
    QList<QImage> pictures;
    for (int n = faces ? 0 : 100; n < (faces ? 100 : 200); ++n) {
        QImage face(side, side, QImage::Format_Grayscale8);
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                double v;
                std::memcpy(
                    &v, data.constData() + start + ((qsizetype(n) * side + y) * side + x) * 8, 8);
                face.scanLine(y)[x] = uchar(qBound(0.0, v, 1.0) * 255 + 0.5);
            }
        }
        pictures.append(face);
    }
    return pictures;
}

// A composed photo and the centres of the faces in it.
struct Photo
{
    QString name;
    QImage image;
    QList<QPointF> faces;
};

// A canvas of soft noise, so that no detector sees a flat field as a shape.
inline QImage background(const QSize &size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int v = 110 + int(random.bounded(30));
            line[x] = qRgb(v, v + 5, v + 10);
        }
    }
    return image;
}

// `picture` drawn on a background of `canvas` size with its top-left corner at `at`, scaled
// by `scale`; the face centre moves with it.
inline Photo placed(const QString &name, const QImage &picture, const QPointF &face,
                    const QSize &canvas, const QPoint &at, double scale)
{
    Photo photo {name, background(canvas, quint32(canvas.width() * 31 + at.y())), {}};
    QPainter painter(&photo.image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(at, picture.size() * scale), picture);
    photo.faces.append(QPointF(at) + face * scale);
    return photo;
}

// A packaged face picture near the top of a tall 400 x 1000 photo; an empty photo when the
// picture is missing.
inline Photo tallPhoto(const Source &source)
{
    const QImage picture(source.path);
    if (picture.isNull())
        return {};
    return placed(source.path.section(QLatin1Char('/'), -1) + QStringLiteral(" tall"), picture,
                  source.face, {400, 1000}, {0, 30}, 400.0 / picture.width());
}

// Each packaged face picture near the top of a tall photo and near the left of a wide one,
// and each face of the LFW subset, four times its size, somewhere in a 4:3 photo. Empty
// when the packages are not installed.
inline QList<Photo> photos()
{
    QList<Photo> all;
    for (const Source &source : sources()) {
        const QImage picture(source.path);
        if (picture.isNull())
            return {};
        const QString name = source.path.section(QLatin1Char('/'), -1);
        all.append(tallPhoto(source));
        all.append(placed(name + QStringLiteral(" wide"), picture, source.face, {1250, 500},
                          {40, 0}, 500.0 / picture.height()));
    }
    const QList<QImage> faces = lfwFaces();
    if (faces.isEmpty())
        return {};
    for (int n = 0; n < faces.size(); ++n) {
        const QPoint at(40 + (n * 97) % 300, 30 + (n * 61) % 200);
        all.append(placed(QStringLiteral("lfw %1").arg(n), faces.at(n), {12.5, 12.5}, {600, 450},
                          at, 4.0));
    }
    return all;
}

// The LFW subset's 100 pictures that are not faces, placed as photos() places its faces: a
// face found in them is a false one.
inline QList<Photo> faceless()
{
    QList<Photo> all;
    const QList<QImage> pictures = lfwFaces(false);
    for (int n = 0; n < pictures.size(); ++n) {
        const QPoint at(40 + (n * 97) % 300, 30 + (n * 61) % 200);
        Photo photo = placed(QStringLiteral("lfw other %1").arg(n), pictures.at(n), {12.5, 12.5},
                             {600, 450}, at, 4.0);
        photo.faces.clear();
        all.append(photo);
    }
    return all;
}

} // namespace facephotos

#endif // FACEPHOTOS_H
