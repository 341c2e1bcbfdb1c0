// Draws the program's icons. Run once after changing the artwork and commit
// the PNGs: makeicons <output folder>
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

namespace {

QImage blank(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

// The application mark: a rounded card tiled like a small collage.
QImage logo(int size)
{
    QImage img = blank(size);
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
QImage shuffle(int size)
{
    QImage img = blank(size);
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
QImage colorWheel(int size)
{
    QImage img = blank(size);
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
QImage colorSwatch(int size)
{
    QImage img = blank(size);
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

bool save(const QImage &img, const QString &dir, const char *name)
{
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
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
        if (!save(logo(size), sub, desktopIconName))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    bool ok = save(logo(16), dir, "ico16.png") && save(logo(32), dir, "ico32.png")
              && save(logo(48), dir, "logo48.png") && save(logo(128), dir, "logo128.png")
              && save(shuffle(46), dir, "shuffle2.png") && save(shuffle(48), dir, "shuffle.png")
              && save(colorWheel(32), dir, "color_picker.png")
              && save(colorSwatch(32), dir, "color_swatch.png") && saveThemeIcons(dir);
    return ok ? 0 : 1;
}
