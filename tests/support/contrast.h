#pragma once
// How well a screen's texts read, measured on its rendered pixels: the WCAG contrast ratio between a
// label's strongest ink and its ground (the commonest colour in the label's box).
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <QtMath>

namespace testsupport {

inline double relativeLuminance(QColor c)
{
    const auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : qPow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}

inline double contrastRatio(QColor a, QColor b)
{
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

struct Ink {
    QString label;
    QString text;
    QColor ground;
    double contrast = 0;
};

// Every visible label with text on `screen` (as `shot`, the screen's grab, shows it): its ground and
// the contrast of its ink that stands out most.
inline QList<Ink> inkOf(QWidget *screen, const QImage &shot)
{
    QList<Ink> out;
    for (QLabel *l : screen->findChildren<QLabel *>()) {
        if (!l->isVisibleTo(screen) || l->text().isEmpty())
            continue;
        const QRect box = QRect(l->mapTo(screen, QPoint(0, 0)), l->size()).intersected(shot.rect());
        QHash<QRgb, int> counts;
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x)
                ++counts[shot.pixel(x, y)];
        QRgb ground = 0;
        int most = -1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() > most)
                most = it.value(), ground = it.key();
        double best = 1;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            best = qMax(best, contrastRatio(QColor(it.key()), QColor(ground)));
        out.append({l->objectName(), l->text(), QColor(ground), best});
    }
    return out;
}

} // namespace testsupport
