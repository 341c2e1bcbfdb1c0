// Draws the program's icons. Run once after changing the artwork and commit
// the PNGs: makeicons <output folder>
// Each compiled-in icon comes twice: <name>.png and <name>@2x.png, the same
// drawing at twice the pixels, which QIcon picks on screens of ratio 2.
// Besides the compiled-in icons it draws the desktop icon into the folder's
// icons/hicolor/ tree, the layout of the freedesktop icon theme, from where the
// install copies it.
#include <QColor>
#include <QConicalGradient>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>
#include <cstring>

namespace {

// A transparent square of `size` logical pixels at `scale` pixels each: painters
// draw on it in logical coordinates, so one drawing serves every density.
QImage blank(int size, int scale)
{
    QImage img(size * scale, size * scale, QImage::Format_ARGB32);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::transparent);
    return img;
}

// The application mark: a rounded card tiled like a small collage.
QImage logo(int size, int scale = 1)
{
    QImage img = blank(size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF card(s * 0.04, s * 0.04, s * 0.92, s * 0.92);
    const qreal r = s * 0.16;
    QPainterPath clip;
    clip.addRoundedRect(card, r, r);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 247));
    p.drawPath(clip);
    p.setClipPath(clip);

    const qreal g = qMax<qreal>(1.0, s * 0.045); // gap between cells
    const qreal x0 = card.left() + g, y0 = card.top() + g;
    const qreal x1 = card.right() - g, y1 = card.bottom() - g;
    const qreal xm = x0 + (x1 - x0) * 0.58;
    const qreal ym = y0 + (y1 - y0) * 0.55;
    const qreal ym2 = y0 + (y1 - y0) * 0.36;
    auto cell = [&](QRectF rc, QColor top, QColor bottom) {
        QLinearGradient grad(rc.topLeft(), rc.bottomLeft());
        grad.setColorAt(0, top);
        grad.setColorAt(1, bottom);
        p.fillRect(rc, grad);
    };
    cell(QRectF(QPointF(x0, y0), QPointF(xm - g / 2, ym - g / 2)), QColor(255, 176, 59),
         QColor(235, 94, 40));
    cell(QRectF(QPointF(xm + g / 2, y0), QPointF(x1, ym2 - g / 2)), QColor(120, 200, 255),
         QColor(40, 120, 220));
    cell(QRectF(QPointF(xm + g / 2, ym2 + g / 2), QPointF(x1, y1)), QColor(140, 220, 120),
         QColor(40, 150, 80));
    cell(QRectF(QPointF(x0, ym + g / 2), QPointF(xm - g / 2, y1)), QColor(200, 150, 240),
         QColor(120, 60, 190));

    // a sun over hills in the large cell, so it reads as a photo
    if (size >= 32) {
        const QRectF big(QPointF(x0, y0), QPointF(xm - g / 2, ym - g / 2));
        p.setBrush(QColor(255, 244, 200));
        const qreal sr = big.width() * 0.14;
        p.drawEllipse(QPointF(big.left() + big.width() * 0.7, big.top() + big.height() * 0.32), sr,
                      sr);
        QPainterPath hill;
        hill.moveTo(big.bottomLeft());
        hill.cubicTo(big.left() + big.width() * 0.3, big.top() + big.height() * 0.45,
                     big.left() + big.width() * 0.6, big.top() + big.height() * 0.95, big.right(),
                     big.top() + big.height() * 0.6);
        hill.lineTo(big.bottomRight());
        hill.closeSubpath();
        p.setBrush(QColor(150, 60, 30, 170));
        p.drawPath(hill);
    }
    p.setClipping(false);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(60, 60, 70, 200), qMax<qreal>(1.0, s * 0.025)));
    p.drawPath(clip);
    return img;
}

// Arrowhead at the end of an arc, pointing along the direction of travel.
void arrowHead(QPainter &p, QPointF tip, qreal angleDeg, qreal len)
{
    const qreal a = qDegreesToRadians(angleDeg);
    const QPointF dir(qCos(a), -qSin(a));
    const QPointF normal(-dir.y(), dir.x());
    QPainterPath head;
    head.moveTo(tip + dir * len * 0.55);
    head.lineTo(tip - dir * len * 0.45 + normal * len * 0.6);
    head.lineTo(tip - dir * len * 0.45 - normal * len * 0.6);
    head.closeSubpath();
    p.drawPath(head);
}

// Two curved arrows chasing each other round a blue disc.
QImage shuffle(int size, int scale = 1)
{
    QImage img = blank(size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QPointF c(s / 2, s / 2);
    QRadialGradient disc(c - QPointF(s * 0.12, s * 0.14), s * 0.6);
    disc.setColorAt(0, QColor(110, 180, 255));
    disc.setColorAt(1, QColor(20, 80, 190));
    p.setPen(QPen(QColor(15, 55, 140), qMax<qreal>(1.0, s / 40)));
    p.setBrush(disc);
    p.drawEllipse(c, s * 0.47, s * 0.47);

    const qreal rr = s * 0.26;
    const QRectF ring(c.x() - rr, c.y() - rr, 2 * rr, 2 * rr);
    p.setPen(QPen(Qt::white, s * 0.085, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    // Qt angles: 1/16 degree, counter-clockwise from three o'clock
    for (int k = 0; k < 2; ++k) {
        const qreal start = 110 + k * 180;
        const qreal span = 125;
        p.drawArc(ring, int(start * 16), int(span * 16));
        const qreal endDeg = start + span;
        const QPointF tip(c.x() + rr * qCos(qDegreesToRadians(endDeg)),
                          c.y() - rr * qSin(qDegreesToRadians(endDeg)));
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        arrowHead(p, tip, endDeg + 90, s * 0.2);
        p.restore();
    }
    return img;
}

// A colour wheel: hue around, fading to white in the middle.
QImage colorWheel(int size, int scale = 1)
{
    QImage img = blank(size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(size / 2.0, size / 2.0);
    const qreal r = size * 0.46;
    QConicalGradient hue(c, 0);
    for (int i = 0; i <= 6; ++i)
        hue.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
    p.setPen(Qt::NoPen);
    p.setBrush(hue);
    p.drawEllipse(c, r, r);
    QRadialGradient white(c, r);
    white.setColorAt(0, QColor(255, 255, 255, 255));
    white.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(white);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(80, 80, 80), 1));
    p.drawEllipse(c, r, r);
    return img;
}

// A fan of colour chips.
QImage colorSwatch(int size, int scale = 1)
{
    QImage img = blank(size, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor chips[]
        = {QColor(230, 60, 50), QColor(250, 190, 40), QColor(60, 180, 90), QColor(40, 120, 220)};
    const qreal cell = size / 2.0;
    for (int i = 0; i < 4; ++i) {
        const QRectF rc((i % 2) * cell + 1, (i / 2) * cell + 1, cell - 2, cell - 2);
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(chips[i]);
        p.drawRoundedRect(rc, 3, 3);
    }
    return img;
}

// Qt paints into a non-premultiplied image by premultiplying, blending and dividing
// again, and where that division lands exactly halfway its rounding can differ from one
// processor to another (its vector code divides by an approximate reciprocal): one
// machine writes 93 where another writes 94. Both load as the same premultiplied pixel,
// so they look the same wherever they are drawn.
bool sameOnScreen(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    const QImage pa = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage pb = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const size_t row = size_t(pa.width()) * sizeof(QRgb);
    for (int y = 0; y < pa.height(); ++y) {
        if (std::memcmp(pa.constScanLine(y), pb.constScanLine(y), row) != 0)
            return false;
    }
    return true;
}

// A file that differs from the drawing only by that rounding is left alone, so the
// committed icons do not change with the machine that redraws them.
bool save(const QImage &img, const QString &dir, const QString &name)
{
    const QString path = dir + QLatin1Char('/') + name;
    if (sameOnScreen(QImage(path), img))
        return true;
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

struct Icon
{
    const char *name; // file name without ".png"
    QImage (*draw)(int size, int scale);
    int size; // logical pixels
};

const Icon compiledIcons[] = {
    {"ico16", logo, 16},
    {"ico32", logo, 32},
    {"logo48", logo, 48},
    {"logo128", logo, 128},
    {"shuffle2", shuffle, 46},
    {"shuffle", shuffle, 48},
    {"color_picker", colorWheel, 32},
    {"color_swatch", colorSwatch, 32},
};

bool saveCompiledIcons(const QString &dir)
{
    for (const Icon &icon : compiledIcons) {
        const QString name = QLatin1String(icon.name);
        if (!save(icon.draw(icon.size, 1), dir, name + QLatin1String(".png"))
            || !save(icon.draw(icon.size, 2), dir, name + QLatin1String("@2x.png")))
            return false;
    }
    return true;
}

const char desktopIconName[] = "org.vellomir.Vellomir.png";

// Each size drawn at its own pixel grid, not scaled from the largest: the gaps
// between the cells stay crisp in a panel at 16 px.
bool saveThemeIcons(const QString &dir)
{
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString sub = QStringLiteral("%1/icons/hicolor/%2x%2/apps").arg(dir).arg(size);
        if (!QDir().mkpath(sub)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(sub));
            return false;
        }
        if (!save(logo(size), sub, QLatin1String(desktopIconName)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const bool ok = saveCompiledIcons(dir) && saveThemeIcons(dir);
    return ok ? 0 : 1;
}
