#include "drill/numberlabel.h"

#include <QImage>
#include <QtMath>
#include <QPaintEvent>
#include <QPainter>

NumberLabel::NumberLabel(QWidget *parent) : QLabel(parent)
{
    // It paints every pixel of what it repaints, so nothing beneath it is painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void NumberLabel::prepare()
{
    const QColor colour = palette().color(foregroundRole());
    // Rendered at the device's pixels: a scaled screen must get sharp digits that are drawn 1:1,
    // not a small picture stretched at every flash.
    const qreal ratio = devicePixelRatioF();
    if (prepared_ && preparedFont_ == font() && preparedColour_ == colour && preparedRatio_ == ratio)
        return;
    const QFontMetrics fm(font());
    ascent_ = fm.ascent();
    // A canvas with room for any slant or overhang of the glyph around its pen position.
    const int side = fm.height() * 2;
    const QPoint origin(fm.height() / 2, fm.height() / 2 + fm.ascent());
    const int pixels = qCeil(side * ratio);
    for (int d = 0; d < 10; ++d) {
        const QString s(QChar(u'0' + d));
        QImage canvas(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::transparent);
        {
            QPainter p(&canvas);
            p.setFont(font());
            p.setPen(colour);
            p.drawText(origin, s);
        }
        // The inked box: the smallest rectangle holding every pixel with any coverage.
        int left = pixels, top = pixels, right = -1, bottom = -1;
        for (int y = 0; y < pixels; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(canvas.constScanLine(y));
            for (int x = 0; x < pixels; ++x)
                if (qAlpha(line[x])) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                    top = qMin(top, y);
                    bottom = qMax(bottom, y);
                }
        }
        Digit &g = digits_[d];
        g.advance = fm.horizontalAdvance(s);
        if (right < 0) {
            g.ink = QPixmap();
            g.offset = QPoint();
        } else {
            const QRect box(QPoint(left, top), QPoint(right, bottom));
            // Kept in device pixels (ratio 1): painted 1:1 at whole device pixels, the blend takes
            // the painter's fast path, not a scaling one.
            QImage ink = canvas.copy(box);
            ink.setDevicePixelRatio(1);
            g.ink = QPixmap::fromImage(ink);
            g.offset = box.topLeft() - QPoint(qRound(origin.x() * ratio), qRound(origin.y() * ratio));
        }
    }
    preparedRatio_ = ratio;
    preparedFont_ = font();
    preparedColour_ = colour;
    prepared_ = true;
    // The rows any number can ink: every digit stands on the same baseline, whatever its place.
    const QRect rows = inkRect(QStringLiteral("0123456789"));
    inkTop_ = rows.isEmpty() ? 0 : rows.top();
    inkBottom_ = rows.isEmpty() ? height() - 1 : rows.bottom();
    // QLabel repaints its contents rectangle when its text changes; with no contents rectangle a
    // new text marks nothing, and repaintChange paints just the pixels that change. (Margins are
    // kept in 16 bits: 30000 is more than any label's height and still fits.)
    setContentsMargins(0, 0, 0, 30000);
    update();
}

bool NumberLabel::drawsFromDigits(const QString &text) const
{
    if (!prepared_ || preparedFont_ != font() || preparedRatio_ != devicePixelRatioF())
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

QRect NumberLabel::inkRect(const QString &text) const
{
    if (!drawsFromDigits(text))
        return rect();
    // Left-aligned, top-aligned: the pen starts at the left edge on the first baseline and moves by
    // each digit's advance, as the text layout places them.
    QRect box;
    QPoint pen(0, ascent_);
    for (QChar c : text) {
        const Digit &g = digits_[c.unicode() - u'0'];
        if (!g.ink.isNull()) {
            const QRect d = inkOnDevice(g, pen);
            box |= QRectF(QPointF(d.topLeft()) / preparedRatio_, QSizeF(d.size()) / preparedRatio_).toAlignedRect();
        }
        pen.rx() += g.advance;
    }
    return box;
}

QRect NumberLabel::inkOnDevice(const Digit &g, QPoint pen) const
{
    return QRect(QPoint(qRound(pen.x() * preparedRatio_), qRound(pen.y() * preparedRatio_)) + g.offset, g.ink.size());
}

void NumberLabel::repaintChange()
{
    // One rectangle: the painter clips to the repainted region, and drawing under a clip of
    // several rectangles is several times slower than under a single one.
    QRect changed = (onScreen_ | inkRect(text())) & rect();
    if (changed.isEmpty())
        return;
    // Painting over pixels that the X server may still be reading from shared memory makes Qt
    // wait for the server (a full round trip) before it paints. So the rectangle is stretched to
    // one pixel just above or just below the rows that digits can ink, in turn; right after the
    // handler that pixel alone is repainted: Qt does its waiting then, while nothing is due, and
    // leaves only that pixel pending, which the next flash's rectangle does not touch. (Just
    // beside the ink, not at the label's edge: every pixel stretched to is painted and sent to
    // the server again, a fifth more of them at the edge.)
    topSpot_ = !topSpot_;
    const int above = inkTop_ > 0 ? inkTop_ - 1 : 0;
    const int below = inkBottom_ < height() - 1 ? inkBottom_ + 1 : height() - 1;
    const QRect spot(changed.left(), topSpot_ ? above : below, 1, 1);
    // When nothing is inked, the label is white already: only the new digits need drawing.
    intended_ = changed | spot;
    blank_ = onScreen_.isEmpty();
    repaint(intended_);
    intended_ = QRect();
    QMetaObject::invokeMethod(this, [this, spot] { repaint(spot); }, Qt::QueuedConnection);
}

void NumberLabel::paintEvent(QPaintEvent *event)
{
    paintStart_ = std::chrono::steady_clock::now();
    QPainter p(this);
    if (!(blank_ && event->region() == QRegion(intended_)))
        p.fillRect(event->rect(), parentWidget() ? parentWidget()->palette().color(QPalette::Window) : Qt::white);
    const QString t = text();
    if (drawsFromDigits(t)) {
        // In device pixels from here: the digits were rendered at them.
        if (preparedRatio_ != 1)
            p.setWorldTransform(QTransform::fromScale(1 / preparedRatio_, 1 / preparedRatio_));
        QPoint pen(0, ascent_);
        for (QChar c : t) {
            const Digit &g = digits_[c.unicode() - u'0'];
            if (!g.ink.isNull())
                p.drawPixmap(inkOnDevice(g, pen).topLeft(), g.ink);
            pen.rx() += g.advance;
        }
    } else if (!t.isEmpty()) {
        p.setFont(font());
        p.setPen(palette().color(foregroundRole()));
        p.drawText(rect(), int(alignment()), t);
    }
    p.end();
    onScreen_ = inkRect(t);
    paintEnd_ = std::chrono::steady_clock::now();
}
