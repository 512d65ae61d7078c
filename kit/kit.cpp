#include "kit/kit.h"

#include "base/errors.h"
#include "kit/CuteBtn.h"
#include "kit/artwork.h"
#include "kit/dialogs.h"
#include "kit/widgets.h"

#include "kit/style.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <QTimer>

namespace kit {

namespace {

// Sits on one field and hands its key presses to the screen's handler first.
class KeyAdapter : public QObject {
public:
    KeyAdapter(QWidget *field, KeyPress handler) : QObject(field), handler_(std::move(handler))
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *k = static_cast<QKeyEvent *>(event);
        int key = 0;
        // Tab and Shift+Tab move the focus: they are never typed, so no filter may swallow them.
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab)
            return false;
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            key = kEnter;
        } else {
            const QString text = k->text();
            // Keys that type nothing edit the field as usual; Delete types DEL on some keyboards.
            if (text.isEmpty() || k->key() == Qt::Key_Delete)
                return false;
            key = text.size() == 1 ? text.front().unicode() : kSeveral;
        }
        bool consumed = true; // a key whose handler failed goes no further
        pz::guard([&] {
            handler_(key);
            consumed = key == 0;
        });
        return consumed;
    }

private:
    KeyPress handler_;
};

// Every row of a list the same height.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(int height, QObject *parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

// While no name is chosen, no name is current either when the list gets the keyboard: the list
// would otherwise make the first name current, and the first Down would choose the second name.
// Down, Up or Home from no current name choose the first.
class NoCurrentWhileNoneChosen : public QObject {
public:
    explicit NoCurrentWhileNoneChosen(QListWidget *list) : QObject(list), list_(list) { list->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // Before the list's own focus handling, which looks for a current name set by the program.
        if (event->type() == QEvent::FocusIn && list_->selectedItems().isEmpty())
            list_->setCurrentIndex(QModelIndex());
        return false;
    }

private:
    QListWidget *list_;
};

} // namespace

void onKeyPress(QWidget *field, KeyPress handler) { new KeyAdapter(field, std::move(handler)); }

void passwordTwice(QLineEdit *first, QLineEdit *second, std::function<bool(const QString &typed)> firstTyped,
                   std::function<void()> submit)
{
    onKeyPress(first, [first, second, firstTyped = std::move(firstTyped)](int &key) {
        if (key != kEnter)
            return;
        key = 0;
        if (firstTyped(first->text()))
            second->setFocus();
    });
    onKeyPress(second, [submit = std::move(submit)](int &key) {
        if (key != kEnter)
            return;
        key = 0;
        submit();
    });
}

bool sameTwice(QLineEdit *first, QLineEdit *second)
{
    if (second->text() == first->text())
        return true;
    first->clear();
    second->clear();
    first->setFocus();
    dialogs::warn(QStringLiteral("2回入れたパスワードが同じではありません。\nもういちど入れて下さい。"));
    return false;
}

QLineEdit *field(QWidget *parent, const char *name, const QRect &geometry, int px, Echo echo, InputMethod im,
                 Slant slant)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(geometry);
    e->setFont(style::font(px, true, slant == Slant::Italic));
    style::setTextColour(e, Qt::black);
    if (echo == Echo::Masked) {
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; color: black; }")); // '*'
    }
    // After the echo mode, which sets the input-method state of its own.
    if (echo == Echo::Masked || im == InputMethod::Off)
        e->setAttribute(Qt::WA_InputMethodEnabled, false);
    return e;
}

QListWidget *nameList(QWidget *parent, const char *name, const QRect &geometry, int px, int rowHeight)
{
    auto *l = new QListWidget(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setFont(style::font(px, true));
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setSortingEnabled(false);
    l->setUniformItemSizes(true);
    l->setItemDelegate(new RowDelegate(rowHeight, l));
    style::setColour(l, QPalette::Text, Qt::black);
    new NoCurrentWhileNoneChosen(l);
    return l;
}

QTimer *timer(QObject *owner, const char *name, int intervalMs, Timing timing, std::function<void()> onTimer)
{
    auto *t = new QTimer(owner);
    t->setObjectName(QString::fromLatin1(name));
    t->setInterval(intervalMs);
    t->setTimerType(timing == Timing::Precise ? Qt::PreciseTimer : Qt::CoarseTimer);
    QObject::connect(t, &QTimer::timeout, owner, pz::guarded(std::move(onTimer)));
    return t;
}

void buttons(QWidget *parent, const std::vector<ButtonRow> &rows)
{
    std::vector<Picture *> pictures;
    pictures.reserve(rows.size());
    for (const ButtonRow &r : rows) {
        auto *p = new Picture(parent, QString::fromLatin1(r.picture.name), artwork::button(r.art), r.pictureAt,
                              r.pictureButtons);
        if (r.picture.into)
            *r.picture.into = p;
        pictures.push_back(p);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const ButtonRow &r = rows[i];
        auto *label = new ClickLabel(parent, QString::fromLatin1(r.label.name), r.text, r.labelAt, r.px);
        if (r.label.into)
            *r.label.into = label;
        // Clear of the face's outline, which is drawn on its edge.
        const QRectF face = artwork::buttonFace(r.art).translated(r.pictureAt).adjusted(1.5, 1.5, -1.5, -1.5);
        fitLabel(label, face.right(), face.bottom());
        if (!r.action)
            continue;
        QObject::connect(label, &ClickLabel::clicked, parent, pz::guarded(r.action));
        QObject::connect(pictures[i], &Picture::pressed, parent, pz::guarded(r.action));
    }
}

void buttons(QWidget *parent, std::initializer_list<ButtonRow> rows) { buttons(parent, std::vector<ButtonRow>(rows)); }

void cuteButtons(QWidget *parent, std::initializer_list<CuteButtonRow> rows)
{
    for (const CuteButtonRow &r : rows) {
        auto *b = new TCuteButton(parent);
        b->setObjectName(QString::fromLatin1(r.button.name));
        b->setGeometry(r.geometry);
        b->setCaption(r.caption);
        b->setColor(Qt::white);
        b->setBorderStyle(TCuteButton::BorderStyle::Single);
        b->setFont(style::font(r.px, true));
        style::setColour(b, QPalette::ButtonText, Qt::black); // black on the white face, whatever the system's
        b->setCursor(Qt::PointingHandCursor);
        b->setShowFocusRect(false);
        b->OnClick = r.onClick;
        if (r.button.into)
            *r.button.into = b;
    }
}

} // namespace kit
