#include "kit/artwork.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace artwork {

QRectF buttonFace(QSize size)
{
    const qreal m = qMax(4.0, size.height() * 0.07); // margin for the shadow
    return QRectF(m, m * 0.7, size.width() - 2 * m, size.height() - 2 * m);
}

QPixmap button(QSize size)
{
    static QHash<quint64, QPixmap> cache;
    const quint64 key = (quint64(size.width()) << 32) | quint64(size.height());
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;

    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = buttonFace(size);
    const qreal r = body.height() * 0.28;

    // A soft shadow below and to the right, on the dark-blue background.
    for (int i = 4; i >= 1; --i) {
        QPainterPath sh;
        sh.addRoundedRect(body.translated(i * 0.6, i * 0.9).adjusted(-i * 0.5, -i * 0.5, i * 0.5, i * 0.5), r, r);
        p.fillPath(sh, QColor(0, 0, 40, 28));
    }

    QPainterPath path;
    path.addRoundedRect(body, r, r);
    QLinearGradient face(body.topLeft(), body.bottomLeft());
    face.setColorAt(0.0, QColor(255, 255, 255));
    face.setColorAt(0.55, QColor(238, 242, 250));
    face.setColorAt(1.0, QColor(196, 206, 226));
    p.fillPath(path, face);

    // Gloss on the upper half.
    QPainterPath gloss;
    const QRectF g = body.adjusted(body.height() * 0.12, body.height() * 0.07, -body.height() * 0.12, -body.height() * 0.52);
    gloss.addRoundedRect(g, r * 0.7, r * 0.7);
    QLinearGradient gl(g.topLeft(), g.bottomLeft());
    gl.setColorAt(0.0, QColor(255, 255, 255, 230));
    gl.setColorAt(1.0, QColor(255, 255, 255, 20));
    p.fillPath(gloss, gl);

    p.setPen(QPen(QColor(120, 134, 170), 1.4));
    p.drawPath(path);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.0));
    p.drawRoundedRect(body.adjusted(1.5, 1.5, -1.5, -1.5), r - 1.5, r - 1.5);
    p.end();
    cache.insert(key, pm);
    return pm;
}

QPixmap splash(QSize size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int w = size.width(), h = size.height();
    const int band = int(h * 0.80); // the light strip at the bottom carries the dark notice

    QLinearGradient sky(0, 0, 0, band);
    sky.setColorAt(0.0, QColor(8, 30, 120));
    sky.setColorAt(0.6, QColor(20, 70, 190));
    sky.setColorAt(1.0, QColor(60, 130, 230));
    p.fillRect(QRect(0, 0, w, band), sky);

    // A glow behind the program's name.
    QRadialGradient glow(QPointF(w * 0.35, h * 0.52), w * 0.45);
    glow.setColorAt(0.0, QColor(255, 255, 255, 70));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, w, band), glow);

    // Flashing stars.
    p.setPen(Qt::NoPen);
    const QPointF stars[] = {{0.08, 0.10}, {0.22, 0.06}, {0.55, 0.09}, {0.72, 0.16}, {0.90, 0.08}, {0.62, 0.62}, {0.05, 0.66}};
    for (const QPointF &s : stars) {
        const QPointF c(s.x() * w, s.y() * h);
        QPainterPath star;
        const qreal R = 9, rr = 3;
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4, rad = (i % 2) ? rr : R;
            const QPointF pt = c + QPointF(std::cos(a) * rad, std::sin(a) * rad);
            i ? star.lineTo(pt) : star.moveTo(pt);
        }
        star.closeSubpath();
        p.fillPath(star, QColor(255, 240, 160, 220));
    }

    // A soroban on the right: frame, rods, beads.
    const QRectF frame(w * 0.70, h * 0.27, w * 0.25, h * 0.46);
    p.setPen(QPen(QColor(90, 50, 20), 5));
    p.setBrush(QColor(255, 255, 255, 25));
    p.drawRoundedRect(frame, 6, 6);
    const qreal beam = frame.top() + frame.height() * 0.30;
    p.drawLine(QPointF(frame.left(), beam), QPointF(frame.right(), beam));
    const int rods = 5;
    for (int k = 0; k < rods; ++k) {
        const qreal x = frame.left() + frame.width() * (k + 0.5) / rods;
        p.setPen(QPen(QColor(120, 80, 40), 2));
        p.drawLine(QPointF(x, frame.top() + 3), QPointF(x, frame.bottom() - 3));
        p.setPen(QPen(QColor(60, 30, 10), 1));
        auto bead = [&](qreal y) {
            QLinearGradient bg(x, y - 7, x, y + 7);
            bg.setColorAt(0, QColor(250, 200, 120));
            bg.setColorAt(1, QColor(170, 90, 30));
            p.setBrush(bg);
            QPolygonF d;
            d << QPointF(x - 13, y) << QPointF(x, y - 7) << QPointF(x + 13, y) << QPointF(x, y + 7);
            p.drawPolygon(d);
        };
        bead(beam - ((k % 2) ? 10 : 26));
        for (int b = 0; b < 4; ++b)
            bead(beam + 12 + b * 15 + ((b < k % 4) ? 0 : 22));
    }

    // The light strip.
    QLinearGradient strip(0, band, 0, h);
    strip.setColorAt(0.0, QColor(255, 250, 230));
    strip.setColorAt(1.0, QColor(235, 225, 195));
    p.fillRect(QRect(0, band, w, h - band), strip);
    p.setPen(QPen(QColor(250, 200, 60), 3));
    p.drawLine(0, band, w, band);
    p.end();
    return pm;
}

} // namespace artwork
