#include "contentbox.h"

#include "photoframe.h"

#include <QJsonArray>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

QRectF ContentBox::bounds() const
{
    if (faces.isEmpty())
        return subject;
    QRectF all = faces.first();
    for (const QRectF &face : faces)
        all = all.united(face);
    return all;
}

namespace {

// A quarter turn clockwise of a rectangle in shares of its photo.
QRectF quarter(const QRectF &r)
{
    return r.isNull() ? r : QRectF(1.0 - r.y() - r.height(), r.x(), r.height(), r.width());
}

// A stretch of the axis the window moves along, in pixels: [lo, hi).
struct Span
{
    int lo = 0;
    int hi = 0;
    int length() const { return hi - lo; }
};

Span spanOf(double from, double to, int whole)
{
    const int lo = std::clamp(int(std::floor(from * whole)), 0, whole);
    return {lo, std::clamp(int(std::ceil(to * whole)), lo, whole)};
}

// Where a window of `part` pixels starts so that its middle meets the span's, kept on the photo.
int centredOn(const Span &span, int part, int whole)
{
    return std::clamp((span.lo + span.hi - part) / 2, 0, whole - part);
}

// The start of a window of `part` pixels along an axis of `whole` that keeps the most of the
// faces (largest first) or of the subject.
int place(const QList<Span> &faces, const QList<double> &areas, const Span &subject, int part,
          int whole)
{
    if (faces.isEmpty())
        return centredOn(subject, part, whole);

    Span kept = faces.first();
    if (kept.length() > part)
        return centredOn(kept, part, whole);
    for (const Span &face : faces) {
        const Span together {std::min(kept.lo, face.lo), std::max(kept.hi, face.hi)};
        if (together.length() <= part)
            kept = together;
    }
    // Every start in [low, high] holds the faces kept.
    const int low = std::max(kept.hi - part, 0);
    const int high = std::min(kept.lo, whole - part);
    const int ideal = std::clamp(centredOn(kept, part, whole), low, high);

    // The area of the faces a window starting at `start` cuts through.
    const auto cut = [&](int start) {
        double area = 0;
        for (qsizetype i = 0; i < faces.size(); ++i) {
            const Span &f = faces.at(i);
            const bool inside = f.lo >= start && f.hi <= start + part;
            const bool outside = f.hi <= start || f.lo >= start + part;
            if (!inside && !outside)
                area += areas.at(i);
        }
        return area;
    };
    // The cut changes only where a window edge passes a face edge, so the best start is the
    // ideal one or one with an edge on a face's edge.
    QList<int> starts {ideal};
    for (const Span &f : faces)
        starts << f.lo << f.hi << f.lo - part << f.hi - part;
    int best = ideal;
    double bestCut = std::numeric_limits<double>::max();
    for (const int s : std::as_const(starts)) {
        const int start = std::clamp(s, low, high);
        const double c = cut(start);
        if (c < bestCut || (c == bestCut && std::abs(start - ideal) < std::abs(best - ideal))) {
            best = start;
            bestCut = c;
        }
    }
    return best;
}

} // namespace

ContentBox turnedBox(const ContentBox &box, int turns)
{
    ContentBox turned = box;
    for (int t = 0; t < ((turns % 4) + 4) % 4; ++t) {
        for (QRectF &face : turned.faces)
            face = quarter(face);
        turned.subject = quarter(turned.subject);
    }
    return turned;
}

QPointF contentCrop(const QSize &image, const QSize &cell, const ContentBox &box)
{
    const QRect window = cropRect(image, cell);
    if (window.isEmpty() || box.isEmpty())
        return QPointF();
    // The window spans the photo one way; it can only move the other.
    const bool across = window.width() < image.width();
    if (!across && window.height() >= image.height())
        return QPointF();
    const int whole = across ? image.width() : image.height();
    const int part = across ? window.width() : window.height();

    QList<QRectF> faces = box.faces;
    std::stable_sort(faces.begin(), faces.end(), [](const QRectF &a, const QRectF &b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    QList<Span> spans;
    QList<double> areas;
    for (const QRectF &face : std::as_const(faces)) {
        spans.append(across ? spanOf(face.left(), face.right(), whole)
                            : spanOf(face.top(), face.bottom(), whole));
        areas.append(face.width() * face.height());
    }
    const QRectF &s = box.subject;
    const Span subject
        = across ? spanOf(s.left(), s.right(), whole) : spanOf(s.top(), s.bottom(), whole);

    const int start = place(spans, areas, subject, part, whole);
    const int centred = (whole - part) / 2;
    if (start == centred)
        return QPointF();
    const double share = double(start - centred) / whole;
    return across ? QPointF(share, 0) : QPointF(0, share);
}

namespace {

QJsonArray rectArray(const QRectF &r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

// A rectangle of four numbers inside the unit square, with a little room for rounding.
std::optional<QRectF> rectFrom(const QJsonValue &value)
{
    const QJsonArray a = value.toArray();
    if (a.size() != 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        if (!a.at(i).isDouble() || !std::isfinite(a.at(i).toDouble()))
            return std::nullopt;
        v[i] = a.at(i).toDouble();
    }
    constexpr double slack = 1e-6;
    if (v[0] < -slack || v[1] < -slack || v[2] <= 0 || v[3] <= 0 || v[0] + v[2] > 1 + slack
        || v[1] + v[3] > 1 + slack)
        return std::nullopt;
    return QRectF(v[0], v[1], v[2], v[3]);
}

} // namespace

QJsonObject contentObject(const ContentBox &box)
{
    QJsonArray faces;
    for (const QRectF &face : box.faces)
        faces.append(rectArray(face));
    QJsonObject object {{QLatin1String("faces"), faces}};
    if (!box.subject.isNull())
        object.insert(QLatin1String("subject"), rectArray(box.subject));
    return object;
}

std::optional<ContentBox> contentFromObject(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const QJsonValue faces = object.value(QLatin1String("faces"));
    if (!faces.isArray() || faces.toArray().size() > maxContentFaces)
        return std::nullopt;
    ContentBox box;
    for (const QJsonValue &face : faces.toArray()) {
        const std::optional<QRectF> r = rectFrom(face);
        if (!r)
            return std::nullopt;
        box.faces.append(*r);
    }
    const QJsonValue subject = object.value(QLatin1String("subject"));
    if (!subject.isUndefined()) {
        const std::optional<QRectF> r = rectFrom(subject);
        if (!r)
            return std::nullopt;
        box.subject = *r;
    }
    return box;
}
