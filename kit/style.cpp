#include "kit/style.h"

#include <QFontMetricsF>
#include <QWidget>

namespace style {

QString programTitle() { return QStringLiteral("検定用ぴかざん"); }
QString fontFamily() { return QStringLiteral("ＭＳ Ｐゴシック"); }
QString fixedFontFamily() { return QStringLiteral("ＭＳ ゴシック"); }
QString boldFontFamily() { return QStringLiteral("Noto Sans CJK JP"); }

QFont font(int px, bool bold, bool italic)
{
    QFont f(fontFamily());
    if (bold)
        f.setFamilies({boldFontFamily(), fontFamily()});
    f.setPixelSize(px);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

QFont narrowedToFit(const QFont &font, const QString &text, qreal room)
{
    const auto inkRight = [&](const QFont &f) { return QFontMetricsF(f).tightBoundingRect(text).right(); };
    if (text.isEmpty() || inkRight(font) <= room)
        return font;
    // Half the width is as narrow as type stays readable; past that the text is left to spill.
    const int from = font.stretch() == QFont::AnyStretch ? 100 : font.stretch();
    QFont narrow = font;
    for (int stretch = from - 1; stretch >= 50; --stretch) {
        narrow.setStretch(stretch);
        if (inkRight(narrow) <= room)
            return narrow;
    }
    return narrow;
}

void setColour(QWidget *w, QPalette::ColorRole role, const QColor &colour, const QColor &disabled)
{
    QPalette pal = w->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, role, colour);
    if (disabled.isValid())
        pal.setColor(QPalette::Disabled, role, disabled);
    w->setPalette(pal);
}

void setTextColour(QWidget *w, const QColor &colour, const QColor &disabled)
{
    setColour(w, QPalette::WindowText, colour, disabled);
    setColour(w, QPalette::Text, colour, disabled);
}

} // namespace style
