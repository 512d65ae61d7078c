// Bold type is bold at every size, as the screens paint it: the stems of a bold glyph are clearly
// wider than those of the same glyph in regular type, also at the sizes the toolkit draws from
// outlines (64 px and above); regular text keeps the proportional design font. Every caption stays
// inside its picture, and every label of a dialog or panel inside its window.
#include "support/testmain.h"

#include "kit/screen.h"
#include "kit/style.h"
#include "kit/widgets.h"

#include <QFontInfo>
#include <QLabel>
#include <QPainter>

#include <memory>

namespace {
// The glyph as a label of a screen draws it, black on white.
QImage drawn(const QString &text, const QFont &font)
{
    QLabel l(text);
    l.setFont(font);
    style::setColour(&l, QPalette::Window, Qt::white);
    style::setTextColour(&l, Qt::black);
    l.setAutoFillBackground(true);
    l.adjustSize();
    return l.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The widest run of ink across the middle row of the glyph's ink: a single stem's width.
int stemWidth(const QImage &img)
{
    int top = -1, bottom = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                if (top < 0)
                    top = y;
                bottom = y;
            }
    if (top < 0)
        return 0;
    const int y = (top + bottom) / 2;
    int best = 0, run = 0;
    for (int x = 0; x < img.width(); ++x) {
        run = qGray(img.pixel(x, y)) < 128 ? run + 1 : 0;
        best = qMax(best, run);
    }
    return best;
}
// Where a label's text puts ink, in its window's coordinates: drawn as the label draws it (its font,
// its alignment in its contents) but without the label's own clipping, so that a cut text shows.
QRect inkOf(const QLabel *l)
{
    const int pad = 100;
    QImage img(l->size() + QSize(2 * pad, 2 * pad), QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setFont(l->font());
    p.setPen(Qt::black);
    p.drawText(l->contentsRect().translated(pad, pad), int(l->alignment()), l->text());
    p.end();
    QRect ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 96)
                ink |= QRect(x, y, 1, 1);
    return ink.translated(l->mapTo(l->window(), QPoint()) - QPoint(pad, pad));
}

// The picture's opaque face (its transparent margin and soft shadow left out), across the row y
// and down the column x of its own pixmap, in its window's coordinates.
QRect faceThrough(const Picture *pic, QPoint at)
{
    const QImage img = pic->pixmap().toImage();
    const QPoint local = pic->mapFrom(pic->window(), at);
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int x = 0; x < img.width(); ++x)
        if (qAlpha(img.pixel(x, local.y())) == 255)
            (left < 0 ? left : right) = x, right = x;
    for (int y = 0; y < img.height(); ++y)
        if (qAlpha(img.pixel(local.x(), y)) == 255)
            (top < 0 ? top : bottom) = y, bottom = y;
    return QRect(QPoint(left, top), QPoint(right, bottom)).translated(pic->mapTo(pic->window(), QPoint()));
}

const Picture *pictureUnder(const QLabel *l)
{
    for (const Picture *pic : l->parentWidget()->findChildren<Picture *>(Qt::FindDirectChildrenOnly))
        if (pic->geometry().contains(l->pos() + QPoint(1, l->height() / 2)))
            return pic;
    return nullptr;
}

bool inWindow(const Screen *s) { return s->layout().kind != Screen::Kind::FullScreen && s->layout().kind != Screen::Kind::FullScreenMaximised; }

QString showRect(const QRect &r) { return QStringLiteral("%1,%2 to %3,%4").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom()); }
} // namespace

class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void boldStemsAreWider_data();
    void boldStemsAreWider();
    void regularTextKeepsTheDesignFont();
    void boldTextHasARealBoldFace();
    void captionsFitTheirPictureOrWindow_data();
    void captionsFitTheirPictureOrWindow();
    void cleanupTestCase() { program_.reset(); }

private:
    std::unique_ptr<testsupport::Program> program_;
};

void TestFonts::boldStemsAreWider_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("px");
    QTest::addColumn<bool>("italic");
    QTest::newRow("countdown digit, 267 px") << "1" << 267 << false;
    QTest::newRow("letter l, 267 px") << "l" << 267 << false;
    QTest::newRow("briefing line, 120 px") << "1" << 120 << false;
    QTest::newRow("answer field, 64 px bold italic") << "1" << 64 << true;
    QTest::newRow("menu caption, 37 px") << "1" << 37 << false;
    QTest::newRow("list entry, 35 px") << "l" << 35 << false;
}

void TestFonts::boldStemsAreWider()
{
    QFETCH(QString, text);
    QFETCH(int, px);
    QFETCH(bool, italic);
    const int regular = stemWidth(drawn(text, style::font(px, false, italic)));
    const int bold = stemWidth(drawn(text, style::font(px, true, italic)));
    QVERIFY2(regular > 0, "no ink drawn");
    // A synthetic emboldening adds an em/24 (11 px at 267 px); a real bold face adds more.
    QVERIFY2(bold * 100 >= regular * 125 && bold - regular >= qMax(1, px / 30),
             qPrintable(QStringLiteral("regular stem %1 px, bold stem %2 px").arg(regular).arg(bold)));
}

void TestFonts::regularTextKeepsTheDesignFont()
{
    const QFontInfo info(style::font(267));
    QCOMPARE(info.family(), QStringLiteral("IPAPGothic"));
    QVERIFY(!info.bold());
    QVERIFY(!QFontInfo(style::font(12)).bold());
}

void TestFonts::boldTextHasARealBoldFace()
{
    for (int px : {24, 64, 267}) {
        const QFontInfo info(style::font(px, true));
        QCOMPARE(info.family(), style::boldFontFamily());
        QCOMPARE(info.styleName(), QStringLiteral("Bold"));
    }
}

// One row per caption lying over a picture and per label of a dialog or a panel, on every screen
// as the program creates it.
void TestFonts::captionsFitTheirPictureOrWindow_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("index"); // among the screen's labels
    program_ = std::make_unique<testsupport::Program>();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const auto *screen = qobject_cast<Screen *>(w);
        if (!screen)
            continue;
        const QList<QLabel *> labels = screen->findChildren<QLabel *>();
        for (int i = 0; i < labels.size(); ++i) {
            const QLabel *l = labels[i];
            if (l->text().isEmpty())
                continue;
            const Picture *pic = pictureUnder(l);
            if (!pic && !inWindow(screen))
                continue;
            const QString where = pic ? pic->objectName() : QStringLiteral("window");
            QTest::addRow("%s %s %s in %s", screen->metaObject()->className(), qPrintable(l->objectName()),
                          qPrintable(l->text()), qPrintable(where))
                << QString::fromLatin1(screen->metaObject()->className()) << i;
        }
    }
}

void TestFonts::captionsFitTheirPictureOrWindow()
{
    QFETCH(QString, screen);
    QFETCH(int, index);
    Screen *s = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->metaObject()->className() == screen)
            s = qobject_cast<Screen *>(w);
    QVERIFY(s);
    const QLabel *l = s->findChildren<QLabel *>().at(index);
    const QRect ink = inkOf(l);
    QVERIFY2(!ink.isEmpty(), "no ink drawn");
    const QRect shown(l->mapTo(s, QPoint()), l->size());
    QVERIFY2(shown.contains(ink), qPrintable(QStringLiteral("ink %1 cut by the label %2").arg(showRect(ink), showRect(shown))));
    const Picture *pic = pictureUnder(l);
    // A label of a window stays as far from its right edge as the closest labels start from the left.
    // A caption stays off its face's outline, the face's outermost opaque pixels.
    const QRect room = pic ? faceThrough(pic, ink.center()).adjusted(1, 1, -1, -1) : s->rect().adjusted(8, 0, -8, 0);
    QVERIFY2(room.contains(ink), qPrintable(QStringLiteral("ink %1 outside %2").arg(showRect(ink), showRect(room))));
}

PZ_GUI_TEST_MAIN(TestFonts)
#include "tst_fonts.moc"
