// The bevelled push button: its look in each state, mouse and keyboard clicks, the delayed drop-down
// menu and the dropping of clicks that queue up while the click handler runs.
#include "support/testmain.h"

#include "base/errors.h"
#include "shell/CuteBtn.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QMenu>
#include <QScopeGuard>
#include <functional>
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
    void pressedCaption_data();
    void pressedCaption();
    void focusRectangle_data();
    void focusRectangle();

    void clickRunsBeforeMouseUpWhilePressed();
    void releaseOutsideGivesNoClick_data();
    void releaseOutsideGivesNoClick();
    void doubleClickClicksOnce();
    void hoverRaisesAndLeaves_data();
    void hoverRaisesAndLeaves();
    void disabledShowsNoHover();
    void crossingWhileHeld_data();
    void crossingWhileHeld();
    void stalePressAfterDeactivation();
    void keyboard_data();
    void keyboard();
    void accelerator();

    void holdDelay_data();
    void holdDelay();
    void clickSwallowedWhileMenuIsUp();
    void pressOnButtonClosesMenuWithoutClick();
    void keyboardDropDown_data();
    void keyboardDropDown();
    void pendingPressDiesWithTheFocus_data();
    void pendingPressDiesWithTheFocus();
    void noSecondDropDownWhileOneRuns();

    void egnoreContClick_data();
    void egnoreContClick();
    void failingHandlerIsReportedAndKept_data();
    void failingHandlerIsReportedAndKept();
    void handlerReplacingItselfRunsToTheEnd_data();
    void handlerReplacingItselfRunsToTheEnd();
    void handlerDeletingTheButton_data();
    void handlerDeletingTheButton();
};

void TestCuteButton::defaults()
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

// Pressed, the caption rectangle loses two pixels on its left and top: a caption placed at the left
// or top moves 2 pixels, a centred one 1, one placed at the right or bottom stays on that axis.
void TestCuteButton::pressedCaption_data()
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

void TestCuteButton::pressedCaption()
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

// Qt still tells a disabled widget about the pointer crossing it; a disabled button shows no hover.
void TestCuteButton::disabledShowsNoHover()
{
    Stage s;
    QStringList seen;
    s.b->OnMouseEnter = [&](QObject *, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("enter"); };
    s.b->OnMouseLeave = [&](QObject *, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("leave"); };
    const QPoint away(300, 190);
    s.moveTo(away);
    s.moveTo(s.inHost(s.centre()));
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
    s.b->setEnabled(false); // disabled under the pointer
    QCOMPARE(s.b->BevelOuter(), Bevel::None);
    s.moveTo(away);
    s.moveTo(s.inHost(s.centre()));
    s.moveTo(away);
    s.moveTo(s.inHost(s.centre()));
    QTest::qWait(100); // the crossings have arrived (the pointer moves wait for nothing on a window system)
    QCOMPARE(s.b->BevelOuter(), Bevel::None);
    QCOMPARE(seen, QStringList{QStringLiteral("enter")});
    s.b->setEnabled(true);
    s.moveTo(away);
    QTRY_COMPARE(seen.size(), 2);
    s.moveTo(s.inHost(s.centre()));
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
}

// With the left button held, Qt keeps the crossing events until the release; the button still sees
// the pointer leave and come back, and the look follows it.
void TestCuteButton::crossingWhileHeld_data()
{
    QTest::addColumn<bool>("tabFocusUp");
    QTest::addColumn<bool>("comeBack");
    QTest::addColumn<Bevel>("outside"); // while held outside
    QTest::addColumn<int>("clicks");
    QTest::addColumn<Bevel>("after");
    // A focused button with TabFocusUp keeps the pressed look while the pointer is out.
    QTest::newRow("out, released outside") << true << false << Bevel::Lowered << 0 << Bevel::Raised;
    QTest::newRow("out, released outside, no TabFocusUp") << false << false << Bevel::None << 0 << Bevel::None;
    QTest::newRow("out and back, released inside") << true << true << Bevel::Lowered << 1 << Bevel::Raised;
    QTest::newRow("out and back, no TabFocusUp") << false << true << Bevel::None << 1 << Bevel::Raised;
}

void TestCuteButton::crossingWhileHeld()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("made-up presses and moves would fight the real pointer of a window system");
    QFETCH(bool, tabFocusUp);
    QFETCH(bool, comeBack);
    QFETCH(Bevel, outside);
    QFETCH(int, clicks);
    QFETCH(Bevel, after);
    Stage s;
    s.b->setTabFocusUp(tabFocusUp);
    QStringList seen;
    s.b->OnMouseEnter = [&](QObject *, Qt::KeyboardModifiers, int x, int y) {
        seen << QStringLiteral("enter %1,%2").arg(x).arg(y);
    };
    s.b->OnMouseLeave = [&](QObject *, Qt::KeyboardModifiers, int, int) { seen << QStringLiteral("leave"); };
    const QPoint in = s.inHost(s.centre());
    const QPoint out(300, 190);
    s.moveTo(out);
    s.moveTo(in);
    QTRY_COMPARE(seen.size(), 1);
    QTest::mousePress(s.window(), Qt::LeftButton, {}, in);
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    QTest::mouseMove(s.window(), in + QPoint(5, 0)); // still inside: nothing crosses
    QTest::mouseMove(s.window(), out);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen.last(), QStringLiteral("leave"));
    QCOMPARE(s.b->BevelOuter(), outside);
    QTest::mouseMove(s.window(), out + QPoint(-3, 0));
    QCOMPARE(seen.size(), 2);
    QPoint releaseAt = out;
    if (comeBack) {
        QTest::mouseMove(s.window(), in);
        QCOMPARE(seen.size(), 3);
        const QPoint c = s.centre() - s.b->clientRect().topLeft();
        QCOMPARE(seen.last(), QStringLiteral("enter %1,%2").arg(c.x()).arg(c.y()));
        QCOMPARE(s.b->BevelOuter(), Bevel::Lowered); // back in with the left button down
        releaseAt = in;
    }
    QTest::mouseRelease(s.window(), Qt::LeftButton, {}, releaseAt);
    QCOMPARE(s.clicks, clicks);
    QCOMPARE(s.b->BevelOuter(), after);
    // The crossings Qt kept back do not come twice.
    QTest::qWait(50);
    QCOMPARE(seen.size(), comeBack ? 3 : 2);
    QCOMPARE(s.b->BevelOuter(), after);
}

// A press whose release went to another window leaves nothing behind: here the press handler opens
// a modal box and the button is let go over it. No click, no late menu, and the next hover only raises.
void TestCuteButton::stalePressAfterDeactivation()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("made-up presses and moves would fight the real pointer of a window system");
    Stage s;
    MenuWatch w;
    s.b->setDropDownMenu(&w.menu);
    s.b->setDropDownDelay(300);
    bool boxWasActive = false;
    s.b->OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        QDialog box(s.host.get());
        box.resize(100, 60);
        QTimer::singleShot(50, &box, [&] {
            boxWasActive = box.isActiveWindow();
            QTest::mouseRelease(box.windowHandle(), Qt::LeftButton, {}, QPoint(10, 10));
            box.accept();
        });
        box.exec();
    };
    const QPoint in = s.inHost(s.centre());
    s.moveTo(in);
    QTest::mousePress(s.window(), Qt::LeftButton, {}, in);
    QVERIFY(boxWasActive);
    QVERIFY(!s.b->dropDownTimer());
    s.host->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(s.host.get()));
    QTest::qWait(400); // past the hold delay: no menu drops
    QCOMPARE(w.shown, 0);
    QCOMPARE(s.clicks, 0);
    s.moveTo(QPoint(300, 190));
    s.moveTo(in);
    QTRY_COMPARE(s.b->BevelOuter(), Bevel::Raised);
    QTest::qWait(50);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    // The release that the box took does not click later either.
    QTest::mouseRelease(s.window(), Qt::LeftButton, {}, in);
    QCOMPARE(s.clicks, 0);
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
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("menus");
    // The short press uses a long delay, so that a stalled machine cannot make it a hold.
    QTest::newRow("100 ms click: a click, no menu") << 5000 << 100 << 1 << 0;
    QTest::newRow("held past 500 ms: the menu, no click") << 500 << 800 << 0 << 1;
}

void TestCuteButton::holdDelay()
{
    QFETCH(int, delay);
    QFETCH(int, holdMs);
    QFETCH(int, clicks);
    QFETCH(int, menus);
    Stage s;
    MenuWatch w;
    s.b->setDropDownMenu(&w.menu);
    s.b->setDropDownDelay(delay);
    QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    QVERIFY(s.b->dropDownTimer());
    QCOMPARE(s.b->dropDownTimer()->Button, s.b);
    QCOMPARE(s.b->dropDownTimer()->parent(), s.b);
    QCOMPARE(s.b->dropDownTimer()->interval(), delay);
    QTest::qWait(holdMs);
    QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    // The release freed the timer: it cannot drop the menu late.
    QVERIFY(!s.b->dropDownTimer());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(s.b->findChildren<TCuteButtonTimer *>().isEmpty());
    QTest::qWait(50);
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

// A press that waits for its release (Space, or a hold before the drop-down) is abandoned when the
// focus leaves the button: the release that comes later, wherever, neither clicks nor drops the menu.
void TestCuteButton::pendingPressDiesWithTheFocus_data()
{
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("delay");
    QTest::newRow("space") << QStringLiteral("space") << 0;
    QTest::newRow("space held before a delayed menu") << QStringLiteral("space") << 300;
    QTest::newRow("left held before a delayed menu") << QStringLiteral("left") << 300;
}

void TestCuteButton::pendingPressDiesWithTheFocus()
{
    QFETCH(QString, press);
    QFETCH(int, delay);
    Stage s;
    MenuWatch w;
    if (delay) {
        s.b->setDropDownMenu(&w.menu);
        s.b->setDropDownDelay(delay);
    }
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    if (press == "space") {
        QTest::keyPress(s.b, Qt::Key_Space);
        QVERIFY(s.b->spacePressed());
    } else {
        QTest::mousePress(s.b, Qt::LeftButton, {}, s.centre());
    }
    QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
    QCOMPARE(bool(s.b->dropDownTimer()), delay > 0);
    s.other->setFocus(Qt::TabFocusReason); // the focus moves on while the press is down
    QCOMPARE(s.b->BevelOuter(), Bevel::None);
    QVERIFY(!s.b->spacePressed());
    QVERIFY(!s.b->dropDownTimer());
    QTest::qWait(delay + 200);
    QCOMPARE(w.shown, 0);
    // The release arrives at the button after all: no click.
    if (press == "space")
        QTest::keyRelease(s.b, Qt::Key_Space);
    else
        QTest::mouseRelease(s.b, Qt::LeftButton, {}, s.centre());
    QCOMPARE(s.clicks, 0);
    QCOMPARE(w.shown, 0);
}

// A key that queued up behind the key that drops the menu is delivered before the menu pops up;
// it does not start a second drop-down inside the first.
void TestCuteButton::noSecondDropDownWhileOneRuns()
{
    Stage s;
    MenuWatch w;
    s.b->setDropDownMenu(&w.menu);
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    QCoreApplication::postEvent(s.b, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r")));
    QTest::keyPress(s.b, Qt::Key_Return);
    QCOMPARE(w.shown, 1);
    QVERIFY(!s.b->menuShowing());
    QTest::keyRelease(s.b, Qt::Key_Return);
    QCOMPARE(s.clicks, 0);
    // Afterwards Return drops the menu again.
    QTest::keyClick(s.b, Qt::Key_Return);
    QCOMPARE(w.shown, 2);
    QCOMPARE(s.clicks, 0);
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
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
    int presses = 0;
    s.b->OnMouseDown = [&](QObject *, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++presses; };
    s.b->OnClick = [&](QObject *) {
        const int n = order.size();
        order << QStringLiteral("start %1").arg(n);
        ++depth;
        if (n == 0) {
            // Two more clicks while this one is busy for 300 ms.
            if (queued) {
                QElapsedTimer t;
                t.start();
                bool posted = false;
                while (t.elapsed() < 300) {
                    if (!posted && t.elapsed() > 100) {
                        posted = true;
                        for (int i = 0; i < 2; ++i) {
                            const QPointF c(s.centre());
                            const QPointF g(s.b->mapToGlobal(s.centre()));
                            QCoreApplication::postEvent(s.b, new QMouseEvent(QEvent::MouseButtonPress, c, g, Qt::LeftButton,
                                                                             Qt::LeftButton, {}));
                            QCoreApplication::postEvent(s.b, new QMouseEvent(QEvent::MouseButtonRelease, c, g, Qt::LeftButton,
                                                                             Qt::NoButton, {}));
                        }
                    }
                }
                QVERIFY(posted);
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
    QTRY_COMPARE(presses, 3); // the two extra clicks reached the button, whatever became of them
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

namespace {
// A handler's own state, counted: copies alive anywhere. A handler that has been destroyed while it
// runs leaves none.
struct Probe {
    static inline int alive = 0;
    Probe() { ++alive; }
    Probe(const Probe &) { ++alive; }
    ~Probe() { --alive; }
};
std::function<void()> g_replace;  // replaces the running handler on the button
int g_aliveAfterReplace = -1;
} // namespace

// A handler that assigns a new handler to its own event (or clears it) runs to its end on a live
// handler object.
void TestCuteButton::handlerReplacingItselfRunsToTheEnd_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("OnClick") << QStringLiteral("OnClick");
    QTest::newRow("OnClick with EgnoreContClick") << QStringLiteral("OnClick egnore");
    QTest::newRow("OnMouseDown") << QStringLiteral("OnMouseDown");
    QTest::newRow("OnMouseUp") << QStringLiteral("OnMouseUp");
    QTest::newRow("OnEnter") << QStringLiteral("OnEnter");
    QTest::newRow("OnKeyDown") << QStringLiteral("OnKeyDown");
}

void TestCuteButton::handlerReplacingItselfRunsToTheEnd()
{
    QFETCH(QString, event);
    Stage s;
    TCuteButton *b = s.b;
    // Only globals are touched once the handler has replaced itself. The button holds the only copy.
    auto handler = [] {
        return [p = Probe()](auto &&...) {
            g_replace();
            g_aliveAfterReplace = Probe::alive;
        };
    };
    g_aliveAfterReplace = -1;
    if (event.startsWith("OnClick")) {
        b->setEgnoreContClick(event.endsWith("egnore"));
        b->OnClick = handler();
        g_replace = [b] { b->OnClick = [](QObject *) {}; };
        QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "OnMouseDown") {
        b->OnMouseDown = handler();
        g_replace = [b] { b->OnMouseDown = nullptr; };
        QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "OnMouseUp") {
        b->OnMouseUp = handler();
        g_replace = [b] { b->OnMouseUp = nullptr; };
        QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "OnEnter") {
        b->OnEnter = handler();
        g_replace = [b] { b->OnEnter = nullptr; };
        b->setFocus(Qt::TabFocusReason);
    } else {
        b->OnKeyDown = handler();
        g_replace = [b] { b->OnKeyDown = nullptr; };
        b->setFocus(Qt::TabFocusReason);
        QTest::keyClick(b, Qt::Key_A);
    }
    g_replace = nullptr;
    QCOMPARE(Probe::alive, 0); // the replaced handler is gone in the end
    QVERIFY(g_aliveAfterReplace != -1); // it ran
    QVERIFY2(g_aliveAfterReplace > 0, "the running handler was destroyed under it");
}

// A handler may delete the button; the button then stops at once. A memory checker (valgrind) shows
// whether anything touched the dead button; the test itself checks that nothing else ran. (Not from
// OnEnter, OnMouseEnter or OnMouseLeave: Qt itself goes on using a widget deleted inside its focus-in
// or crossing events.)
void TestCuteButton::handlerDeletingTheButton_data()
{
    QTest::addColumn<QString>("event");
    QTest::newRow("OnClick by the mouse") << QStringLiteral("click mouse");
    QTest::newRow("OnClick by Return") << QStringLiteral("click return");
    QTest::newRow("OnClick by Space") << QStringLiteral("click space");
    QTest::newRow("OnClick with EgnoreContClick") << QStringLiteral("click egnore");
    QTest::newRow("OnMouseDown") << QStringLiteral("down");
    QTest::newRow("OnExit") << QStringLiteral("exit");
    QTest::newRow("menu dropped by a hold") << QStringLiteral("menu hold");
    QTest::newRow("menu dropped by Return") << QStringLiteral("menu return");
}

void TestCuteButton::handlerDeletingTheButton()
{
    QFETCH(QString, event);
    Stage s;
    QPointer<TCuteButton> b = s.b;
    int ran = 0;
    auto kill = [&] {
        ++ran;
        delete b.data();
    };
    auto killer = [kill](auto &&...) { kill(); };
    MenuWatch w(5000);
    if (event.startsWith("click")) {
        b->setEgnoreContClick(event.endsWith("egnore"));
        b->OnClick = killer;
        b->setFocus(Qt::TabFocusReason);
        if (event.endsWith("return"))
            QTest::keyPress(b, Qt::Key_Return);
        else if (event.endsWith("space"))
            QTest::keyClick(b, Qt::Key_Space);
        else
            QTest::mouseClick(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "down") {
        b->OnMouseDown = killer;
        QTest::mousePress(b, Qt::LeftButton, {}, s.centre());
    } else if (event == "exit") {
        b->OnExit = killer;
        b->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(b->hasFocus());
        s.other->setFocus(Qt::TabFocusReason);
    } else {
        b->setDropDownMenu(&w.menu);
        QObject::connect(&w.menu, &QMenu::aboutToShow, &w.menu, [&] {
            QTimer::singleShot(50, &w.menu, [&] {
                kill();
                w.menu.close();
            });
        });
        if (event == "menu hold") {
            b->setDropDownDelay(100);
            QTest::mousePress(b, Qt::LeftButton, {}, s.centre());
            QTRY_COMPARE(w.shown, 1);
        } else {
            b->setFocus(Qt::TabFocusReason);
            QTest::keyPress(b, Qt::Key_Return);
        }
    }
    QTRY_VERIFY(!b);
    QCOMPARE(ran, 1);
    QTest::qWait(50);
    QCOMPARE(s.clicks, 0);
    QVERIFY(s.log.isEmpty()); // nothing ran after the deletion (no MouseUp)
    if (event == "down" || event == "menu hold") // let the made-up mouse go
        QTest::mouseRelease(s.window(), Qt::LeftButton, {}, QPoint(300, 190));
}

PZ_GUI_TEST_MAIN(TestCuteButton)
#include "tst_cutebtn.moc"
