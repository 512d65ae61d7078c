#pragma once
// The two small controls of the screens' buttons: a caption that acts on a click and a picture that
// acts as soon as a mouse button goes down on it. Both carry their control names as object names.
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <limits>

// A transparent caption; "clicked" on press and release of the left button inside it.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    ClickLabel(QWidget *parent, const QString &name, const QString &text, QPoint pos, int px,
               QColor colour = Qt::black, bool bold = true);
signals:
    void clicked();
protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void changeEvent(QEvent *e) override;
private:
    bool pressed_ = false;
};

// A picture drawn transparently; "pressed" when one of the accepted buttons goes down on it.
// A disabled picture keeps its artwork and does not react.
class Picture : public QWidget {
    Q_OBJECT
public:
    Picture(QWidget *parent, const QString &name, const QPixmap &pixmap, QPoint pos,
            Qt::MouseButtons accepted = Qt::AllButtons);
    const QPixmap &pixmap() const { return pixmap_; }
signals:
    void pressed();
protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
private:
    QPixmap pixmap_;
    Qt::MouseButtons accepted_;
};

// Keeps a label's text inside its room (x up to `right`, y down to `bottom`, in its parent's
// coordinates): narrower type where it would reach past the right, the text lifted within the label
// where it would reach below the bottom. Every caption and label goes through it: a caption with its
// picture's face, any other label with its window.
void fitLabel(QLabel *l, qreal right, qreal bottom = std::numeric_limits<qreal>::max());

// A plain caption that does not act (white or coloured text, transparent).
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, QPoint pos, int px,
                  QColor colour, bool bold = true);

// Shows "<name> さん" in `l`, narrowed (or, past half width, cut with "…") so that it ends within
// `room` pixels; "" empties it. The label keeps its pixel size, whatever the name's length.
void showUserName(QLabel *l, const QString &name, int room);
