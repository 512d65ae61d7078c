#include "kit/widgets.h"

#include "kit/screen.h"
#include "kit/style.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>


namespace {
// The bold face's line box is taller than the design font's, so a caption would sit lower than the
// design puts it and run into what lies below (the result sheet's engraved lines). The label keeps
// the design font's line height, and its text, centred in it, stays where the design puts it.
void keepDesignLineHeight(QLabel *l)
{
    if (!l->font().bold())
        return;
    QFont design(style::fontFamily());
    design.setPixelSize(l->font().pixelSize());
    l->setFixedHeight(QFontMetrics(design).height());
}

// A label keeps this far from its window's right edge, as the dialogs keep their labels from the left.
constexpr int kWindowMargin = 8;

void fitWindow(QLabel *l)
{
    const QWidget *w = l->window();
    // A screen's right edge is its layout's: on a scaled display the window reaches beyond it.
    const auto *screen = qobject_cast<const Screen *>(w);
    const int edge = screen ? screen->layoutOrigin().x() + screen->layoutSize().width() : w->width();
    fitLabel(l, l->parentWidget()->mapFrom(w, QPoint(edge - kWindowMargin, 0)).x());
}
} // namespace

void fitLabel(QLabel *l, qreal right, qreal bottom)
{
    const QString text = l->text();
    if (text.isEmpty())
        return;
    const int textLeft = l->x() + l->contentsRect().left(); // the label lays its text out from here
    l->setFont(style::narrowedToFit(l->font(), text, right - textLeft));
    l->adjustSize();
    // Centred in its line, the text's baseline lies where the label's painting puts it.
    const QFontMetricsF fm(l->font());
    const QRect box = l->contentsRect();
    const qreal baseline = l->y() + box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
    const qreal below = baseline + fm.tightBoundingRect(text).bottom() - bottom;
    if (below > 0) // a larger bottom margin moves the centred line up by half of it
        l->setContentsMargins(0, 0, 0, 2 * qCeil(below));
}

ClickLabel::ClickLabel(QWidget *parent, const QString &name, const QString &text, QPoint pos, int px,
                       QColor colour, bool bold)
    : QLabel(text, parent)
{
    setObjectName(name);
    setFont(style::font(px, bold));
    style::setColour(this, QPalette::WindowText, colour, style::kGreyedText);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    keepDesignLineHeight(this);
    adjustSize();
    move(pos);
    fitWindow(this);
}

void ClickLabel::mousePressEvent(QMouseEvent *e)
{
    pressed_ = e->button() == Qt::LeftButton;
    e->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *e)
{
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    pressed_ = false;
    e->accept();
    if (click)
        emit clicked();
}

void ClickLabel::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        pressed_ = false;
    QLabel::changeEvent(e);
}

Picture::Picture(QWidget *parent, const QString &name, const QPixmap &pixmap, QPoint pos,
                 Qt::MouseButtons accepted)
    : QWidget(parent), pixmap_(pixmap), accepted_(accepted)
{
    setObjectName(name);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setGeometry(QRect(pos, pixmap.deviceIndependentSize().toSize()));
}

void Picture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawPixmap(0, 0, pixmap_);
}

void Picture::mousePressEvent(QMouseEvent *e)
{
    e->accept();
    if (accepted_ & e->button())
        emit pressed();
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, QPoint pos, int px,
                  QColor colour, bool bold)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(style::font(px, bold));
    style::setColour(l, QPalette::WindowText, colour, style::kGreyedText);
    l->setAttribute(Qt::WA_TranslucentBackground);
    keepDesignLineHeight(l);
    l->adjustSize();
    l->move(pos);
    fitWindow(l);
    return l;
}

void showUserName(QLabel *l, const QString &name, int room)
{
    if (name.isEmpty()) {
        l->clear();
        return;
    }
    const QString text = name + QStringLiteral(" さん");
    QFont f = l->font();
    f.setStretch(QFont::AnyStretch);
    f = style::narrowedToFit(f, text, room);
    l->setFont(f);
    // Still too long at half width: the end of the name gives way, never " さん".
    const QFontMetrics fm(f);
    const QString suffix = QStringLiteral(" さん");
    QString shown = text;
    if (fm.horizontalAdvance(text) > room)
        shown = fm.elidedText(name, Qt::ElideRight, room - fm.horizontalAdvance(suffix)) + suffix;
    l->setText(shown);
    l->adjustSize();
}
