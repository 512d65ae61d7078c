// Bold type is bold at every size, as the screens paint it: the stems of a bold glyph are clearly
// wider than those of the same glyph in regular type, also at the sizes the toolkit draws from
// outlines (64 px and above); regular text keeps the proportional design font.
#include "support/testmain.h"

#include "shell/style.h"

#include <QFontInfo>
#include <QLabel>

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
} // namespace

class TestFonts : public QObject {
    Q_OBJECT
private slots:
    void boldStemsAreWider_data();
    void boldStemsAreWider();
    void regularTextKeepsTheDesignFont();
    void boldTextHasARealBoldFace();
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

PZ_GUI_TEST_MAIN(TestFonts)
#include "tst_fonts.moc"
