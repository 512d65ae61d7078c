// The bevelled push button: its look in each state, mouse and keyboard clicks, the delayed drop-down
// menu and the dropping of clicks that queue up while the click handler runs.
#include "support/testmain.h"

#include "platform/errors.h"
#include "shell/CuteBtn.h"

#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <memory>

using testsupport::recorder;
using Bevel = TCuteButton::BevelCut;

Q_DECLARE_METATYPE(TCuteButton::BevelCut)
Q_DECLARE_METATYPE(TCuteButtonKinds::BorderStyle)
Q_DECLARE_METATYPE(TCuteButtonKinds::Layout)

namespace {
const QColor kHigh(255, 255, 0);  // bevel highlight in these tests
const QColor kShadow(0, 0, 255);  // bevel shadow
const QColor kSysLight(0, 255, 0); // the system highlight (embossed caption)
const QColor kSysDark(255, 0, 255); // the system shadow (disabled caption)

// A window with one button dressed like the registration dialog's, shown and active.
struct Stage {
    std::unique_ptr<QWidget> host = std::make_unique<QWidget>();
    TCuteButton *b = nullptr;
    TCuteButton *other = nullptr; // holds the focus to begin with
    QStringList log; // what the handlers saw, in order
    int clicks = 0;

    Stage()
    {
        host->resize(320, 200);
        QPalette pal = host->palette();
        pal.setColor(QPalette::Window, QColor(0, 0, 160));
        host->setPalette(pal);
        host->setAutoFillBackground(true);
        b = new TCuteButton(host.get());
        b->setObjectName(QStringLiteral("CuteButton1"));
        b->setGeometry(16, 20, 169, 41);
        b->setCaption(QStringLiteral("とうろくする"));
        b->setColor(Qt::white);
        b->setBorderStyle(TCuteButton::BorderStyle::Single);
        QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
        f.setPixelSize(24);
        f.setBold(true);
        f.setStyleStrategy(QFont::NoAntialias); // exact colours for the pixel checks
        b->setFont(f);
        b->setCursor(Qt::PointingHandCursor);
        b->setBevelHighlightColor(kHigh);
        b->setBevelShadowColor(kShadow);
        b->OnClick = pz::guarded([this](QObject *sender) {
            ++clicks;
            log << QStringLiteral("click:%1").arg(int(static_cast<TCuteButton *>(sender)->BevelOuter()));
        });
        b->OnMouseUp = [this](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            log << QStringLiteral("up");
        };
        other = new TCuteButton(host.get());
        other->setGeometry(16, 120, 169, 41);
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            QCursor::setPos(host->screen()->geometry().bottomRight()); // away from the new window
        host->show();
        host->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host.get()));
        other->setFocus(Qt::TabFocusReason);
        recorder().clear();
    }
    QPoint centre() const { return b->rect().center(); }
    // Moves the pointer to a point of the window: the real pointer under a window system (its own
    // crossing events would contradict made-up ones), a made-up move on the offscreen platform.
    void moveTo(QPoint inWindow) const
    {
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QTest::mouseMove(host->windowHandle(), inWindow);
        else
            QCursor::setPos(host->mapToGlobal(inWindow));
    }
    QPoint inHost(QPoint p) const { return b->mapTo(host.get(), p); }
    QWindow *window() const { return host->windowHandle(); }
    QImage image() const { return b->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// The box around all pixels for which pred holds; empty when none does.
template <class Pred>
QRect boxOf(const QImage &img, Pred pred)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (pred(QColor(img.pixel(x, y))))
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect inkBox(const QImage &img, const QColor &ink, const QRect &within)
{
    return boxOf(img.copy(within), [&](const QColor &c) { return c == ink; }).translated(within.topLeft());
}

// Watches a menu; closes it a while after it shows and remembers where it was.
struct MenuWatch {
    QMenu menu;
    int shown = 0;
    QPoint shownAt;
    explicit MenuWatch(int closeAfterMs = 150)
    {
        menu.addAction(QStringLiteral("いち"));
        menu.addAction(QStringLiteral("に"));
        QObject::connect(&menu, &QMenu::aboutToShow, &menu, [this, closeAfterMs] {
            ++shown;
            QTimer::singleShot(0, &menu, [this] { shownAt = menu.pos(); });
            QTimer::singleShot(closeAfterMs, &menu, [this] { menu.close(); });
        });
    }
};
} // namespace

class TestCuteButton : public QObject {
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
    void pressedCaptionMovesTwoPixels();
    void focusRectangle_data();
    void focusRectangle();

    void clickRunsBeforeMouseUpWhilePressed();
    void releaseOutsideGivesNoClick_data();
    void releaseOutsideGivesNoClick();
    void doubleClickClicksOnce();
    void hoverRaisesAndLeaves_data();
    void hoverRaisesAndLeaves();
    void keyboard_data();
    void keyboard();
    void accelerator();

    void holdDelay_data();
    void holdDelay();
    void clickSwallowedWhileMenuIsUp();
    void pressOnButtonClosesMenuWithoutClick();
    void keyboardDropDown_data();
    void keyboardDropDown();

    void egnoreContClick_data();
    void egnoreContClick();
    void failingHandlerIsReportedAndKept_data();
    void failingHandlerIsReportedAndKept();

    void registrationLook();
};

void TestCuteButton::defaults()
{
    TCuteButton b;
    QCOMPARE(b.size(), QSize(75, 25));
    QCOMPARE(b.focusPolicy(), Qt::StrongFocus);
    QCOMPARE(b.BevelWidth(), 1);
    QCOMPARE(b.BevelOuter(), Bevel::None);
    QCOMPARE(b.BevelInner(), Bevel::Raised);
    QCOMPARE(b.Alignment(), Qt::Alignment(Qt::AlignHCenter));
    QCOMPARE(b.Layout(), TCuteButton::Layout::Center);
    QCOMPARE(b.BorderStyle(), TCuteButton::BorderStyle::None);
    QCOMPARE(b.Color(), b.palette().color(QPalette::Button));
    QCOMPARE(b.BevelHighlightColor(), b.palette().color(QPalette::Light));
    QCOMPARE(b.BevelShadowColor(), b.palette().color(QPalette::Dark));
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

void TestCuteButton::marginsBelowMinusOneReadMinusOne_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("-5 → -1") << -5 << -1;
    QTest::newRow("INT_MIN → -1") << INT_MIN << -1;
    QTest::newRow("-1 stays") << -1 << -1;
    QTest::newRow("0 stays") << 0 << 0;
    QTest::newRow("7 stays") << 7 << 7;
}

void TestCuteButton::marginsBelowMinusOneReadMinusOne()
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

void TestCuteButton::captionRect_data()
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

void TestCuteButton::captionRect()
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

void TestCuteButton::bevelPixels_data()
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

void TestCuteButton::bevelPixels()
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

void TestCuteButton::disabledLook_data()
{
    QTest::addColumn<bool>("useDisabledColor");
    QTest::addColumn<QColor>("face");
    QTest::newRow("UseDisabledColor: filled with DisabledColor") << true << QColor(128, 128, 128);
    QTest::newRow("UseDisabledColor off: keeps its colour") << false << QColor(Qt::white);
}

void TestCuteButton::disabledLook()
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

void TestCuteButton::pressedCaptionMovesTwoPixels()
{
    Stage s;
    s.b->setFocus();
    const QRect up = inkBox(s.image(), Qt::black, s.b->captionRect());
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    const QRect down = inkBox(s.image(), Qt::black, s.b->captionRect().adjusted(0, 0, 2, 2));
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QVERIFY(!up.isEmpty());
    QCOMPARE(down, up.translated(2, 2));
}

void TestCuteButton::focusRectangle_data()
{
    QTest::addColumn<bool>("show");
    QTest::addColumn<bool>("focused");
    QTest::newRow("shown while focused") << true << true;
    QTest::newRow("not without focus") << true << false;
    QTest::newRow("not when ShowFocusRect is off") << false << true;
}

void TestCuteButton::focusRectangle()
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

void TestCuteButton::clickRunsBeforeMouseUpWhilePressed()
{
    Stage s;
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.log, (QStringList{QStringLiteral("click:%1").arg(int(Bevel::Lowered)), "up"}));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    QVERIFY(s.b->hasFocus());
    // The right button presses nothing and clicks nothing.
    s.log.clear();
    QTest::mouseClick(s.b, Qt::RightButton, {}, s.centre());
    QCOMPARE(s.log, QStringList{"up"});
}

void TestCuteButton::releaseOutsideGivesNoClick_data()
{
    QTest::addColumn<bool>("tabFocusUp");
    QTest::addColumn<Bevel>("after");
    QTest::newRow("focused with TabFocusUp: raised") << true << Bevel::Raised;
    QTest::newRow("without TabFocusUp: none") << false << Bevel::None;
}

void TestCuteButton::releaseOutsideGivesNoClick()
{
    QFETCH(bool, tabFocusUp);
    QFETCH(Bevel, after);
    Stage s;
    s.b->setTabFocusUp(tabFocusUp);
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, QPoint(200, 60)); // outside, below right
    QCOMPARE(s.clicks, 0);
    QCOMPARE(s.log, QStringList{"up"});
    QCOMPARE(s.b->BevelOuter(), after);
    // On the single border is outside the client area too.
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, QPoint(0, 20));
    QCOMPARE(s.clicks, 0);
}

void TestCuteButton::doubleClickClicksOnce()
{
    Stage s;
    const QPoint p = s.inHost(s.centre());
    QStringList downs;
    s.b->OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        downs << QStringLiteral("down:%1").arg(int(s.b->BevelOuter()));
    };
    s.moveTo(p);
    QTest::mouseDClick(s.window(), Qt::LeftButton, {}, p); // press, release, double-click, release
    QCOMPARE(s.clicks, 1);
    const QString down = QStringLiteral("down:%1").arg(int(Bevel::Lowered));
    QCOMPARE(downs, (QStringList{down, down})); // the second press still pushes the button
    QCOMPARE(s.log.count("up"), 2);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // The next ordinary click counts again.
    QTest::mouseClick(s.window(), Qt::LeftButton, {}, p, 600);
    QCOMPARE(s.clicks, 2);
}

void TestCuteButton::hoverRaisesAndLeaves_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("tabFocusUp");
    QTest::addColumn<Bevel>("afterLeave");
    QTest::newRow("unfocused: back to none") << false << true << Bevel::None;
    QTest::newRow("focused with TabFocusUp: stays raised") << true << true << Bevel::Raised;
    QTest::newRow("focused without TabFocusUp: none") << true << false << Bevel::None;
}

void TestCuteButton::hoverRaisesAndLeaves()
{
    QFETCH(bool, focused);
    QFETCH(bool, tabFocusUp);
    QFETCH(Bevel, afterLeave);
    Stage s;
    s.b->setTabFocusUp(tabFocusUp);
    QStringList seen;
    s.b->OnMouseEnter = [&](QObject *sender, Qt::KeyboardModifiers, int x, int y) {
        QCOMPARE(sender, s.b);
        seen << QStringLiteral("enter %1,%2 %3").arg(x).arg(y).arg(int(s.b->BevelOuter()));
    };
    s.b->OnMouseLeave = [&](QObject *, Qt::KeyboardModifiers, int, int) {
        seen << QStringLiteral("leave %1").arg(int(s.b->BevelOuter()));
    };
    if (focused)
        s.b->setFocus(Qt::TabFocusReason);
    s.moveTo(QPoint(300, 190));
    s.moveTo(s.inHost(QPoint(11, 6)));
    QTRY_COMPARE(seen.size(), 1);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    s.moveTo(QPoint(300, 190));
    QTRY_COMPARE(seen.size(), 2);
    QCOMPARE(s.b->BevelOuter(), afterLeave);
    // Client coordinates (inside the border); the handlers run before the bevel changes.
    const int before = int(focused && tabFocusUp ? Bevel::Raised : Bevel::None);
    QCOMPARE(seen, (QStringList{QStringLiteral("enter 10,5 %1").arg(before),
                                QStringLiteral("leave %1").arg(int(Bevel::Raised))}));
}

void TestCuteButton::keyboard_data()
{
    // Steps: "v" key down, "^" key up, "~" X11 auto-repeat release; S space, R return, E escape.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("clicksAfterEach");
    QTest::addColumn<Bevel>("after");
    QTest::newRow("space clicks on key-up") << "vS ^S" << QList<int>{0, 1} << Bevel::Raised;
    QTest::newRow("return clicks on key-down") << "vR ^R" << QList<int>{1, 1} << Bevel::Raised;
    QTest::newRow("held return repeats") << "vR vR vR ^R" << QList<int>{1, 2, 3, 3} << Bevel::Raised;
    QTest::newRow("another key abandons space") << "vS vE ^E ^S" << QList<int>{0, 0, 0, 0} << Bevel::Raised;
    QTest::newRow("held space: auto-repeat releases do not click") << "vS ~S vS ~S vS ^S"
                                                                    << QList<int>{0, 0, 0, 0, 0, 1} << Bevel::Raised;
    QTest::newRow("space up without space down") << "^S" << QList<int>{0} << Bevel::Raised;
}

void TestCuteButton::keyboard()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, clicksAfterEach);
    QFETCH(Bevel, after);
    Stage s;
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    const QStringList list = steps.split(' ');
    QCOMPARE(list.size(), clicksAfterEach.size());
    for (int i = 0; i < list.size(); ++i) {
        const QChar kind = list[i][0];
        const QChar k = list[i][1];
        const Qt::Key key = k == 'S' ? Qt::Key_Space : k == 'R' ? Qt::Key_Return : Qt::Key_Escape;
        const QString text = k == 'S' ? " " : k == 'R' ? "\r" : "\x1b";
        if (kind == 'v') {
            QTest::keyPress(s.b, key);
            if (k == 'S')
                QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
        } else if (kind == '^') {
            QTest::keyRelease(s.b, key);
        } else {
            QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier, text, true);
            QCoreApplication::sendEvent(s.b, &e);
        }
        QVERIFY2(s.clicks == clicksAfterEach[i], qPrintable(list[i]));
    }
    if (steps.contains("vR")) // Return clicks while the button looks pressed
        QVERIFY(s.log.contains(QStringLiteral("click:%1").arg(int(Bevel::Lowered))));
    QCOMPARE(s.b->BevelOuter(), after);
    QVERIFY(!s.b->spacePressed());
}

void TestCuteButton::accelerator()
{
    Stage s;
    s.b->setCaption(QStringLiteral("とじる(&C)"));
    QTest::keyClick(s.host.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
    QCOMPARE(s.log.first(), QStringLiteral("click:%1").arg(int(Bevel::Lowered)));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    s.b->setEnabled(false);
    QTest::keyClick(s.host.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
    s.b->setEnabled(true);
    s.b->setCaption(QStringLiteral("とじる"));
    QTest::keyClick(s.host.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
}

void TestCuteButton::holdDelay_data()
{
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("menus");
    QTest::newRow("100 ms click: a click, no menu") << 100 << 1 << 0;
    QTest::newRow("held past 500 ms: the menu, no click") << 800 << 0 << 1;
}

void TestCuteButton::holdDelay()
{
    QFETCH(int, holdMs);
    QFETCH(int, clicks);
    QFETCH(int, menus);
    Stage s;
    MenuWatch w;
    s.b->setDropDownMenu(&w.menu);
    s.b->setDropDownDelay(500);
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QVERIFY(s.b->dropDownTimer());
    QCOMPARE(s.b->dropDownTimer()->Button, s.b);
    QCOMPARE(s.b->dropDownTimer()->parent(), s.b);
    QTest::qWait(holdMs);
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QVERIFY(!s.b->dropDownTimer());
    QTest::qWait(700); // past the delay: a released press never drops the menu late
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(w.shown, menus);
    QVERIFY(!s.b->menuShowing());
    if (menus)
        QCOMPARE(w.shownAt, s.b->mapToGlobal(QPoint(0, s.b->height())));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
}

void TestCuteButton::clickSwallowedWhileMenuIsUp()
{
    Stage s;
    MenuWatch w(400);
    s.b->setDropDownMenu(&w.menu);
    bool showingDuringMenu = false;
    QTimer::singleShot(150, s.b, [&] {
        showingDuringMenu = s.b->menuShowing();
        s.b->Click(); // swallowed
        s.b->Click(); // the flag was used up: this one counts
    });
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre()); // delay 0: drops at once, returns when closed
    QCOMPARE(w.shown, 1);
    QVERIFY(showingDuringMenu);
    QCOMPARE(s.clicks, 1);
    QVERIFY(!s.b->menuShowing());
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // The release that comes after the menu closed is not a click.
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.clicks, 1);
}

void TestCuteButton::pressOnButtonClosesMenuWithoutClick()
{
    Stage s;
    MenuWatch w(5000);
    s.b->setDropDownMenu(&w.menu);
    const QPoint p = s.inHost(s.centre());
    bool visibleBefore = false;
    QTimer::singleShot(200, s.b, [&] {
        visibleBefore = w.menu.isVisible();
        QTest::mousePress(s.window(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(s.window(), Qt::LeftButton, {}, p);
    });
    QTimer::singleShot(3000, &w.menu, [&] { w.menu.close(); }); // a failure must not hang the test
    QElapsedTimer t;
    t.start();
    QTest::keyPress(s.b, Qt::Key_Return);
    QTest::keyRelease(s.b, Qt::Key_Return);
    QVERIFY(visibleBefore);
    QVERIFY(t.elapsed() < 2500); // closed by the press, not by the safety timer
    QTest::qWait(50);
    QCOMPARE(w.shown, 1);
    QCOMPARE(s.clicks, 0);
}

void TestCuteButton::keyboardDropDown_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("menus");
    QTest::newRow("return, no delay: the menu") << Qt::Key_Return << 0 << 0 << 0 << 1;
    QTest::newRow("return with a delay clicks instead") << Qt::Key_Return << 500 << 0 << 1 << 0;
    QTest::newRow("space, no delay: the menu, its own click swallowed") << Qt::Key_Space << 0 << 0 << 0 << 1;
    QTest::newRow("space tapped under the delay clicks") << Qt::Key_Space << 500 << 100 << 1 << 0;
    QTest::newRow("space held past the delay: the menu") << Qt::Key_Space << 300 << 600 << 0 << 1;
}

void TestCuteButton::keyboardDropDown()
{
    QFETCH(Qt::Key, key);
    QFETCH(int, delay);
    QFETCH(int, holdMs);
    QFETCH(int, clicks);
    QFETCH(int, menus);
    Stage s;
    MenuWatch w;
    s.b->setDropDownMenu(&w.menu);
    s.b->setDropDownDelay(delay);
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    QTest::keyPress(s.b, key);
    QTest::qWait(holdMs);
    QTest::keyRelease(s.b, key);
    QTest::qWait(delay + 200);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(w.shown, menus);
    QVERIFY(!s.b->menuShowing());
    QVERIFY(!s.b->spacePressed());
    QVERIFY(!s.b->dropDownTimer());
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // Afterwards an ordinary Return still clicks (no swallow flag left behind).
    s.b->setDropDownDelay(1);
    QTest::keyClick(s.b, Qt::Key_Return);
    QCOMPARE(s.clicks, clicks + 1);
}

void TestCuteButton::egnoreContClick_data()
{
    QTest::addColumn<bool>("egnore");
    QTest::addColumn<bool>("queued"); // clicks queued behind a busy handler, or delivered while it waits
    QTest::addColumn<int>("runs");
    QTest::newRow("on, queued behind a busy handler: dropped") << true << true << 1;
    QTest::newRow("off, queued behind a busy handler: processed after") << false << true << 3;
    QTest::newRow("on, while the handler waits: dropped") << true << false << 1;
    QTest::newRow("off, while the handler waits: processed") << false << false << 3;
}

void TestCuteButton::egnoreContClick()
{
    QFETCH(bool, egnore);
    QFETCH(bool, queued);
    QFETCH(int, runs);
    Stage s;
    s.b->setEgnoreContClick(egnore);
    QStringList order;
    int depth = 0;
    s.b->OnClick = [&](QObject *) {
        const int n = order.size();
        order << QStringLiteral("start %1").arg(n);
        ++depth;
        if (n == 0) {
            // Two more clicks while this one is busy for 300 ms.
            if (queued) {
                QElapsedTimer t;
                t.start();
                while (t.elapsed() < 300) {
                    if (t.elapsed() > 100 && t.elapsed() < 110)
                        for (int i = 0; i < 2; ++i) {
                            const QPointF c(s.centre());
                            const QPointF g(s.b->mapToGlobal(s.centre()));
                            QCoreApplication::postEvent(s.b, new QMouseEvent(QEvent::MouseButtonPress, c, g, Qt::LeftButton,
                                                                             Qt::LeftButton, {}));
                            QCoreApplication::postEvent(s.b, new QMouseEvent(QEvent::MouseButtonRelease, c, g, Qt::LeftButton,
                                                                             Qt::NoButton, {}));
                            QThread::msleep(10);
                        }
                }
            } else {
                QTimer::singleShot(100, s.b, [&] { QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre()); });
                QTimer::singleShot(150, s.b, [&] { QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre()); });
                QTest::qWait(300);
            }
        }
        --depth;
        order << QStringLiteral("end %1").arg(n);
    };
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QTest::qWait(100);
    QCOMPARE(order.count() / 2, runs);
    if (runs > 1 && queued) // processed one after another once the handler returned
        QCOMPARE(order.mid(0, 4), (QStringList{"start 0", "end 0", "start 2", "end 2"}));
    if (runs > 1 && !queued) // processed inside the waiting handler
        QCOMPARE(order.mid(0, 2), (QStringList{"start 0", "start 1"}));
    QCOMPARE(depth, 0);
    // The handler is attached again: the next click runs it.
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(order.count() / 2, runs + 1);
}

void TestCuteButton::failingHandlerIsReportedAndKept_data()
{
    QTest::addColumn<bool>("egnore");
    QTest::newRow("EgnoreContClick on") << true;
    QTest::newRow("EgnoreContClick off") << false;
}

void TestCuteButton::failingHandlerIsReportedAndKept()
{
    QFETCH(bool, egnore);
    Stage s;
    s.b->setEgnoreContClick(egnore);
    int runs = 0;
    s.b->OnClick = [&](QObject *) {
        ++runs;
        throw pz::IoError(QStringLiteral("user/a.dat"), QStringLiteral("ディスクがいっぱいです"));
    };
    QTest::mouseClick(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("ディスクがいっぱいです")));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised); // MouseUp still ran
    QTest::keyClick(s.b, Qt::Key_Return);
    QCOMPARE(runs, 2);
    QCOMPARE(recorder().boxes.size(), 2);
}

// The registration dialog's button in its five looks; saved as PNG files when PZ_SHOT_DIR is set.
void TestCuteButton::registrationLook()
{
    Stage s;
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPixelSize(24);
    f.setBold(true);
    s.b->setFont(f);
    s.b->setBevelHighlightColor(s.b->palette().color(QPalette::Light));
    s.b->setBevelShadowColor(s.b->palette().color(QPalette::Dark));
    const QString dir = qEnvironmentVariable("PZ_SHOT_DIR");
    auto shot = [&](const char *name) {
        QApplication::processEvents();
        const QImage img = s.host->grab(QRect(0, 0, 200, 80)).toImage();
        if (!dir.isEmpty())
            img.save(dir + QStringLiteral("/cutebtn-%1.png").arg(QLatin1String(name)));
        return img;
    };
    const QPoint p = s.inHost(s.centre());
    s.moveTo(QPoint(300, 190));
    const QImage idle = shot("idle");
    s.moveTo(p);
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
    const QImage hovered = shot("hovered");
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    const QImage pressed = shot("pressed");
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    s.moveTo(QPoint(300, 190));
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised); // focused by the press
    const QImage focused = shot("focused");
    s.other->setFocus(Qt::TabFocusReason);
    s.b->setEnabled(false);
    const QImage disabled = shot("disabled");
    // Looks differ from each other; the frame is black, the host dark blue around it.
    for (const QImage *img : {&idle, &hovered, &pressed, &focused, &disabled}) {
        QCOMPARE(QColor(img->pixel(16, 20)), QColor(Qt::black));
        QCOMPARE(QColor(img->pixel(5, 5)), QColor(0, 0, 160));
    }
    QVERIFY(idle != hovered);
    QVERIFY(hovered != pressed);
    QVERIFY(hovered == focused);
    QVERIFY(idle != disabled);
}

PZ_GUI_TEST_MAIN(TestCuteButton)
#include "tst_cutebtn.moc"
