// What the window system is told about the screens, and how the program answers it when it gives
// the keyboard to a screen the model does not have active (on the offscreen platform; the same
// rules under a real window manager are in tests/wm).
#include "support/testmain.h"

#include "kit/screen.h"

#include <QWindow>

namespace {
class Probe : public Screen {
public:
    Probe(const char *name, Kind kind, QSize size = QSize(200, 100))
        : Screen({QString::fromLatin1(name), kind, size, QPoint(10, 10)})
    {
        setObjectName(QString::fromLatin1(name));
        create();
    }
};

QWindow *ownerOf(QWidget *w) { return w->windowHandle() ? w->windowHandle()->transientParent() : nullptr; }
} // namespace

Q_DECLARE_METATYPE(Screen::Kind)

class TestWindowRules : public QObject {
    Q_OBJECT
private slots:
    void programName();
    void ownerOfAShownScreen_data();
    void ownerOfAShownScreen();
    void modalScreenBelongsToItsCaller();
    void keyboardGoesBackToTheActiveScreen_data();
    void keyboardGoesBackToTheActiveScreen();
    void boxOwner();
    void sizeableDialogHasItsOuterSize();
};

void TestWindowRules::programName()
{
    // The window class a desktop file matches, while titles stay the screens' own.
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("pikazan"));
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("pikazan"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("pikazan"));
    Probe a("main", Screen::Kind::FullScreen);
    QCOMPARE(a.windowTitle(), QStringLiteral("main"));
}

void TestWindowRules::ownerOfAShownScreen_data()
{
    QTest::addColumn<Screen::Kind>("kind");
    QTest::addColumn<bool>("owned");
    QTest::newRow("panel (the answer box)") << Screen::Kind::Panel << true;
    QTest::newRow("dialog (the login)") << Screen::Kind::Dialog << true;
    QTest::newRow("sizeable dialog") << Screen::Kind::SizeableDialog << true;
    QTest::newRow("full screen: a peer") << Screen::Kind::FullScreen << false;
    QTest::newRow("maximised full screen: a peer") << Screen::Kind::FullScreenMaximised << false;
}

void TestWindowRules::ownerOfAShownScreen()
{
    QFETCH(Screen::Kind, kind);
    QFETCH(bool, owned);
    Probe opener("opener", Screen::Kind::FullScreen);
    Probe shown("shown", kind);
    opener.Show();
    shown.Show();
    QCOMPARE(ownerOf(&shown), owned ? opener.windowHandle() : nullptr);
    // Shown again later by another screen, it belongs to that one.
    shown.Close();
    Probe other("other", Screen::Kind::FullScreen);
    other.Show();
    shown.Show();
    QCOMPARE(ownerOf(&shown), owned ? other.windowHandle() : nullptr);
    // With no screen open, nobody owns it.
    shown.Close();
    other.Close();
    opener.Close();
    shown.Show();
    QCOMPARE(ownerOf(&shown), nullptr);
    shown.Close();
}

void TestWindowRules::modalScreenBelongsToItsCaller()
{
    Probe caller("caller", Screen::Kind::FullScreen);
    Probe modal("modal", Screen::Kind::Dialog);
    caller.Show();
    QWindow *owner = nullptr;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget *boxes = nullptr, *boxesAfterClose = nullptr;
    QTimer::singleShot(0, this, [&] {
        owner = ownerOf(&modal);
        modality = modal.windowModality();
        boxes = App::instance()->boxOwner();
        modal.Close();
        // A handler that closes its modal screen and then reports an error: the box belongs to
        // the screen left in sight, not to the hidden one.
        boxesAfterClose = App::instance()->boxOwner();
    });
    modal.ShowModal();
    QCOMPARE(owner, caller.windowHandle());
    QCOMPARE(modality, Qt::ApplicationModal);
    QCOMPARE(boxes, &modal); // a box opened by the modal screen belongs to it
    QCOMPARE(boxesAfterClose, &caller);
    QCOMPARE(ownerOf(&modal), nullptr); // released with the modal loop
    QCOMPARE(App::instance()->activeScreen(), &caller);
}

void TestWindowRules::keyboardGoesBackToTheActiveScreen_data()
{
    QTest::addColumn<bool>("disabled");
    QTest::newRow("a disabled screen beneath (the flash screen under the answer box)") << true;
    QTest::newRow("an enabled screen beneath, raised without a click") << false;
}

// The window system activates a screen beneath the active one (a click on a disabled screen, Alt+Tab,
// a taskbar): the active screen comes back on top with the keyboard, and nothing runs FormActivate.
void TestWindowRules::keyboardGoesBackToTheActiveScreen()
{
    QFETCH(bool, disabled);
    Probe beneath("beneath", Screen::Kind::FullScreen);
    Probe active("active", Screen::Kind::Panel);
    beneath.Show();
    active.Show();
    QVERIFY(QTest::qWaitForWindowActive(&active));
    beneath.setEnabled(!disabled);
    beneath.activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::focusWindow(), active.windowHandle(), 2000);
    QCOMPARE(App::instance()->activeScreen(), &active);
    // Still so a while later: the correction does not swing back and forth.
    QTest::qWait(100);
    QCOMPARE(QGuiApplication::focusWindow(), active.windowHandle());
    beneath.setEnabled(true);
}

void TestWindowRules::boxOwner()
{
    QCOMPARE(App::instance()->boxOwner(), nullptr);
    Probe a("a", Screen::Kind::FullScreen);
    Probe b("b", Screen::Kind::Dialog);
    a.Show();
    QCOMPARE(App::instance()->boxOwner(), &a);
    b.Show();
    QCOMPARE(App::instance()->boxOwner(), &b);
    QCOMPARE(App::instance()->keyboardOwner(), &b);
    b.Close();
    QCOMPARE(App::instance()->boxOwner(), &a);
    a.Close();
}

void TestWindowRules::sizeableDialogHasItsOuterSize()
{
    // The offscreen platform draws a thin frame of its own: the frame and the client area together
    // are the outer size, at the design position.
    Probe d("d", Screen::Kind::SizeableDialog, QSize(433, 182));
    d.move(175, 177);
    d.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(d.frameGeometry(), QRect(175, 177, 433, 182));
    QVERIFY(d.size().width() < 433 && d.size().height() < 182);
    // Fitted once: the size the user gives it afterwards stays, also at the next showing.
    d.resize(500, 250);
    QCOMPARE(d.size(), QSize(500, 250));
    d.Close();
    d.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QCOMPARE(d.size(), QSize(500, 250));
    // A fixed dialog's size stays its client size.
    Probe fixed("fixed", Screen::Kind::Dialog, QSize(409, 357));
    fixed.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&fixed));
    QCOMPARE(fixed.size(), QSize(409, 357));
    fixed.Close();
    d.Close();
}

PZ_GUI_TEST_MAIN(TestWindowRules)
#include "tst_windowrules.moc"
