// The bevelled push button. How the button looks in each state: bevel, caption, disabled and focus rectangle.
#include "shell/cutebtn_stage.h"

class TestCuteButtonPaint : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); }

    void defaults();
    void marginsBelowMinusOneReadMinusOne_data();
    void marginsBelowMinusOneReadMinusOne();
    void captionRect_data();
    void captionRect();
    void bevelPixels_data();
    void bevelPixels();
    void disabledLook_data();
    void disabledLook();
    void pressedCaption_data();
    void pressedCaption();
    void focusRectangle_data();
    void focusRectangle();
};

void TestCuteButtonPaint::defaults()
{
    // A system palette whose button colours all differ, so each default shows where it came from.
    const QPalette systemPalette = QApplication::palette();
    auto restore = qScopeGuard([&] { QApplication::setPalette(systemPalette); });
    QPalette pal = systemPalette;
    const QList<QPalette::ColorRole> roles = {QPalette::Button, QPalette::Light, QPalette::Midlight,
                                              QPalette::Mid, QPalette::Dark, QPalette::Shadow,
                                              QPalette::Window, QPalette::Base};
    for (int i = 0; i < roles.size(); ++i)
        pal.setColor(roles[i], QColor(10 + i, 20 + i, 30 + i));
    QApplication::setPalette(pal);

    TCuteButton b;
    QCOMPARE(b.size(), QSize(75, 25));
    QCOMPARE(b.focusPolicy(), Qt::StrongFocus);
    QCOMPARE(b.BevelWidth(), 1);
    QCOMPARE(b.BevelOuter(), Bevel::None);
    QCOMPARE(b.BevelInner(), Bevel::Raised);
    QCOMPARE(b.Alignment(), Qt::Alignment(Qt::AlignHCenter));
    QCOMPARE(b.Layout(), TCuteButton::Layout::Center);
    QCOMPARE(b.BorderStyle(), TCuteButton::BorderStyle::None);
    QCOMPARE(b.Color(), QColor(10, 20, 30));               // button face
    QCOMPARE(b.BevelHighlightColor(), QColor(11, 21, 31)); // button highlight
    QCOMPARE(b.BevelShadowColor(), QColor(14, 24, 34));    // button shadow
    QCOMPARE(b.DisabledColor(), QColor(128, 128, 128));
    QCOMPARE(b.DropDownDelay(), 0);
    QVERIFY(!b.DropDownMenu());
    QVERIFY(!b.EgnoreContClick());
    QVERIFY(!b.Flat());
    QVERIFY(b.TabFocusUp());
    QVERIFY(!b.ShowFocusRect());
    QVERIFY(!b.UseDisabledColor());
    QCOMPARE(b.MarginX(), -1);
    QCOMPARE(b.MarginY(), -1);
    b.setFlat(true);
    QCOMPARE(b.BevelInner(), Bevel::None);
    b.setFlat(false);
    QCOMPARE(b.BevelInner(), Bevel::Raised);
}

void TestCuteButtonPaint::marginsBelowMinusOneReadMinusOne_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("-5 → -1") << -5 << -1;
    QTest::newRow("INT_MIN → -1") << INT_MIN << -1;
    QTest::newRow("-1 stays") << -1 << -1;
    QTest::newRow("0 stays") << 0 << 0;
    QTest::newRow("7 stays") << 7 << 7;
}

void TestCuteButtonPaint::marginsBelowMinusOneReadMinusOne()
{
    QFETCH(int, value);
    QFETCH(int, expected);
    TCuteButton b;
    b.setMarginX(3);
    b.setMarginY(3);
    b.setMarginX(value);
    b.setMarginY(value);
    QCOMPARE(b.MarginX(), expected);
    QCOMPARE(b.MarginY(), expected);
}

void TestCuteButtonPaint::captionRect_data()
{
    QTest::addColumn<bool>("flat");
    QTest::addColumn<int>("bevelWidth");
    QTest::addColumn<TCuteButtonKinds::BorderStyle>("border");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<TCuteButtonKinds::Layout>("layout");
    QTest::addColumn<int>("marginX");
    QTest::addColumn<int>("marginY");
    QTest::addColumn<QRect>("expected");
    using BS = TCuteButtonKinds::BorderStyle;
    using L = TCuteButtonKinds::Layout;
    const int C = Qt::AlignHCenter, Le = Qt::AlignLeft, R = Qt::AlignRight;
    // The button is 75×25.
    QTest::newRow("inner bevel: inset by two widths") << false << 1 << BS::None << C << L::Center << -1 << -1 << QRect(2, 2, 71, 21);
    QTest::newRow("flat: inset by one width") << true << 1 << BS::None << C << L::Center << -1 << -1 << QRect(1, 1, 73, 23);
    QTest::newRow("width 3, flat") << true << 3 << BS::None << C << L::Center << -1 << -1 << QRect(3, 3, 69, 19);
    QTest::newRow("width 3, inner bevel") << false << 3 << BS::None << C << L::Center << -1 << -1 << QRect(6, 6, 63, 13);
    QTest::newRow("single border shrinks the client") << false << 1 << BS::Single << C << L::Center << -1 << -1 << QRect(3, 3, 69, 19);
    QTest::newRow("left, MarginX 5") << false << 1 << BS::None << Le << L::Center << 5 << -1 << QRect(7, 2, 66, 21);
    QTest::newRow("right, MarginX 5") << false << 1 << BS::None << R << L::Center << 5 << -1 << QRect(2, 2, 66, 21);
    QTest::newRow("centred ignores MarginX") << false << 1 << BS::None << C << L::Center << 5 << 4 << QRect(2, 2, 71, 21);
    QTest::newRow("top, MarginY 4") << false << 1 << BS::None << C << L::Top << -1 << 4 << QRect(2, 6, 71, 17);
    QTest::newRow("bottom, MarginY 4") << false << 1 << BS::None << C << L::Bottom << -1 << 4 << QRect(2, 2, 71, 17);
    QTest::newRow("left, margin 0 counts") << true << 1 << BS::None << Le << L::Top << 0 << 0 << QRect(1, 1, 73, 23);
}

void TestCuteButtonPaint::captionRect()
{
    QFETCH(bool, flat);
    QFETCH(int, bevelWidth);
    QFETCH(TCuteButtonKinds::BorderStyle, border);
    QFETCH(int, alignment);
    QFETCH(TCuteButtonKinds::Layout, layout);
    QFETCH(int, marginX);
    QFETCH(int, marginY);
    QFETCH(QRect, expected);
    TCuteButton b;
    b.setFlat(flat);
    b.setBevelWidth(bevelWidth);
    b.setBorderStyle(border);
    b.setAlignment(Qt::Alignment(alignment));
    b.setLayout(layout);
    b.setMarginX(marginX);
    b.setMarginY(marginY);
    QCOMPARE(b.captionRect(), expected);
}

void TestCuteButtonPaint::bevelPixels_data()
{
    QTest::addColumn<bool>("flat");
    QTest::addColumn<QString>("action");
    QTest::addColumn<Bevel>("outer");
    QTest::addColumn<QColor>("at1");  // client pixel (0,0): outer bevel's top-left, or inner's when none
    QTest::addColumn<QColor>("at2");  // client pixel (1,1)
    QTest::addColumn<QColor>("end1"); // client bottom-right pixel
    QTest::addColumn<QColor>("at3");  // client pixel (2,2): the face
    const QColor w(Qt::white);
    QTest::newRow("idle: inner raised only") << false << "none" << Bevel::None << kHigh << w << kShadow << w;
    QTest::newRow("hovered: raised over raised") << false << "hover" << Bevel::Raised << kHigh << kHigh << kShadow << w;
    QTest::newRow("pressed: lowered over raised") << false << "press" << Bevel::Lowered << kShadow << kHigh << kHigh << w;
    QTest::newRow("focused: raised") << false << "focus" << Bevel::Raised << kHigh << kHigh << kShadow << w;
    QTest::newRow("flat idle: no bevel at all") << true << "none" << Bevel::None << w << w << w << w;
    QTest::newRow("flat pressed: lowered only") << true << "press" << Bevel::Lowered << kShadow << w << kHigh << w;
}

void TestCuteButtonPaint::bevelPixels()
{
    QFETCH(bool, flat);
    QFETCH(QString, action);
    QFETCH(Bevel, outer);
    QFETCH(QColor, at1);
    QFETCH(QColor, at2);
    QFETCH(QColor, end1);
    QFETCH(QColor, at3);
    Stage s;
    s.b->setFlat(flat);
    s.b->setCaption(QString());
    if (action == "hover") {
        s.moveTo(s.inHost(s.centre()));
    } else if (action == "press") {
        QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    } else if (action == "focus") {
        s.b->setFocus(Qt::TabFocusReason);
    }
    QTRY_COMPARE(s.b->BevelOuter(), outer);
    const QImage img = s.image();
    QCOMPARE(QColor(img.pixel(0, 0)), QColor(Qt::black)); // the single border
    QCOMPARE(QColor(img.pixel(168, 40)), QColor(Qt::black));
    QCOMPARE(QColor(img.pixel(1, 1)), at1);
    QCOMPARE(QColor(img.pixel(2, 2)), at2);
    QCOMPARE(QColor(img.pixel(167, 39)), end1);
    QCOMPARE(QColor(img.pixel(3, 3)), at3);
    if (action == "press")
        QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
}

void TestCuteButtonPaint::disabledLook_data()
{
    QTest::addColumn<bool>("useDisabledColor");
    QTest::addColumn<QColor>("face");
    QTest::newRow("UseDisabledColor: filled with DisabledColor") << true << QColor(128, 128, 128);
    QTest::newRow("UseDisabledColor off: keeps its colour") << false << QColor(Qt::white);
}

void TestCuteButtonPaint::disabledLook()
{
    QFETCH(bool, useDisabledColor);
    QFETCH(QColor, face);
    Stage s;
    QPalette pal = s.b->palette();
    pal.setColor(QPalette::Light, kSysLight);
    pal.setColor(QPalette::Dark, kSysDark);
    s.b->setPalette(pal);
    s.b->setUseDisabledColor(useDisabledColor);

    const QImage enabled = s.image();
    QVERIFY(inkBox(enabled, kSysLight, enabled.rect()).isEmpty());
    QVERIFY(inkBox(enabled, kSysDark, enabled.rect()).isEmpty());
    const QRect ink = inkBox(enabled, Qt::black, s.b->captionRect());
    QVERIFY(!ink.isEmpty());

    s.b->setEnabled(false);
    const QImage img = s.image();
    QCOMPARE(QColor(img.pixel(3, 3)), face);
    QCOMPARE(QColor(img.pixel(1, 1)), kHigh); // the inner bevel is still drawn
    QVERIFY(inkBox(img, Qt::black, s.b->captionRect()).isEmpty());
    const QRect dark = inkBox(img, kSysDark, img.rect());
    const QRect light = inkBox(img, kSysLight, img.rect());
    // The shadow-coloured caption where the enabled one was, the highlight one pixel down and right,
    // showing below and right of it.
    QCOMPARE(dark, ink);
    QCOMPARE(light.bottom(), dark.bottom() + 1);
    QCOMPARE(light.right(), dark.right() + 1);

    // DisabledColor changes while disabled show at once.
    s.b->setDisabledColor(QColor(10, 20, 30));
    QCOMPARE(QColor(s.image().pixel(3, 3)), useDisabledColor ? QColor(10, 20, 30) : QColor(Qt::white));
}

// Pressed, the caption rectangle loses two pixels on its left and top: a caption placed at the left
// or top moves 2 pixels, a centred one 1, one placed at the right or bottom stays on that axis.
void TestCuteButtonPaint::pressedCaption_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<TCuteButtonKinds::Layout>("layout");
    QTest::addColumn<QPoint>("moved");
    using L = TCuteButtonKinds::Layout;
    QTest::newRow("left, top") << int(Qt::AlignLeft) << L::Top << QPoint(2, 2);
    QTest::newRow("centred") << int(Qt::AlignHCenter) << L::Center << QPoint(1, 1);
    QTest::newRow("right, bottom") << int(Qt::AlignRight) << L::Bottom << QPoint(0, 0);
    QTest::newRow("left, bottom") << int(Qt::AlignLeft) << L::Bottom << QPoint(2, 0);
    QTest::newRow("right, centre") << int(Qt::AlignRight) << L::Center << QPoint(0, 1);
}

void TestCuteButtonPaint::pressedCaption()
{
    QFETCH(int, alignment);
    QFETCH(TCuteButtonKinds::Layout, layout);
    QFETCH(QPoint, moved);
    Stage s;
    s.b->setAlignment(Qt::Alignment(alignment));
    s.b->setLayout(layout);
    s.b->setFocus();
    const QRect area = s.b->captionRect().adjusted(0, 0, 2, 2); // room for a caption pushed too far
    const QRect up = inkBox(s.image(), Qt::black, area);
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    const QRect down = inkBox(s.image(), Qt::black, area);
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QVERIFY(!up.isEmpty());
    QCOMPARE(down.topLeft() - up.topLeft(), moved);
    QCOMPARE(down.size(), up.size());
}

void TestCuteButtonPaint::focusRectangle_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("focused");
    QTest::newRow("shown while focused") << true << true;
    QTest::newRow("not without focus") << true << false;
    QTest::newRow("not when ShowFocusRect is off") << false << true;
}

void TestCuteButtonPaint::focusRectangle()
{
    QFETCH(bool, show);
    QFETCH(bool, focused);
    Stage s;
    s.b->setCaption(QString());
    s.b->setShowFocusRect(show);
    if (focused)
        s.b->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(s.b->hasFocus(), focused);
    const QRect f = s.b->captionRect().adjusted(2, 2, -2, -2);
    const QImage img = s.image();
    // Every other pixel of the outline, in the inverse of the white face.
    int dots = 0;
    for (int x = f.left(); x <= f.right(); ++x)
        dots += QColor(img.pixel(x, f.top())) == QColor(Qt::black);
    QCOMPARE(dots, show && focused ? (f.width() + 1) / 2 : 0);
    QCOMPARE(QColor(img.pixel(f.center())), QColor(Qt::white));
}

PZ_GUI_TEST_MAIN(TestCuteButtonPaint)
#include "tst_cutebtn_paint.moc"
