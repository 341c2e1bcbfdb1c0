#ifndef CONTENTBOX_H
#define CONTENTBOX_H

#include <QJsonObject>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <optional>

// The most faces a box keeps: the largest, when a crowd shows more.
constexpr int maxContentFaces = 32;

// What the analysis found worth keeping in a photo. Rectangles are shares of the photo as it
// stands upright by its EXIF orientation, before the user's own turns: (0, 0, 1, 1) is the
// whole photo, so a box holds at every decode size. A box with nothing in it is a photo that
// was analysed and showed nothing; it keeps the centre crop.
struct ContentBox
{
    QList<QRectF> faces; // each face with room for the head around it, largest first
    QRectF subject; // the salient subject of a photo without faces; null when there are faces

    bool isEmpty() const { return faces.isEmpty() && subject.isEmpty(); }
    // Everything found: the faces together, or the subject.
    QRectF bounds() const;

    friend bool operator==(const ContentBox &a, const ContentBox &b)
    {
        return a.faces == b.faces && a.subject == b.subject;
    }
    friend bool operator!=(const ContentBox &a, const ContentBox &b) { return !(a == b); }
};

// The box as project files and the analysis cache keep it, and back: nothing for a value that
// is not a box, or whose rectangles leave the photo.
QJsonObject contentObject(const ContentBox &box);
std::optional<ContentBox> contentFromObject(const QJsonValue &value);

// The box as it lies on the photo after `turns` clockwise quarter turns.
ContentBox turnedBox(const ContentBox &box, int turns);

// The crop offset (as PhotoRecord::crop and cropRect() take it) that places the window a cell
// of `cell` size cuts from an image of `image` size so that it keeps what `box` found:
// - the whole box, centred in the window, where the window can hold it;
// - otherwise as many whole faces as fit together, taken largest first, the window placed
//   among the positions that keep them where it cuts through the fewest other faces (by
//   area), so a face that could be held is never cut;
// - a face larger than the window alone: the window centred on it;
// - a subject larger than the window: the window centred on it;
// - nothing found: (0, 0), the centre crop.
QPointF contentCrop(const QSize &image, const QSize &cell, const ContentBox &box);

#endif // CONTENTBOX_H
