#include "kit/app.h"

#include "base/errors.h"
#include "platform/x11window.h"
#include "kit/dialogs.h"
#include "kit/screen.h"

#include <QDialog>
#include <QEventLoop>
#include <QMenu>
#include <QFont>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <cstdio>

App::App(int &argc, char **argv) : QApplication(argc, argv)
{
    // The window class ("pikazan", "pikazan" from the program's file name) and the desktop file
    // a desktop matches the program's windows with. The title stays the program's own text.
    setApplicationName(QStringLiteral("pikazan"));
    setDesktopFileName(QStringLiteral("pikazan"));
    connect(this, &QGuiApplication::focusWindowChanged, this, pz::guarded([this](QWindow *to) { focusMoved(to); }));
    // The main menu's close ends the program; the splash closing before it must not.
    setQuitOnLastWindowClosed(false);
    // The design font does not exist on Linux; IPA P Gothic has the same metrics family.
    for (const QString &family : {style::fontFamily(), QStringLiteral("MS PGothic")})
        QFont::insertSubstitutions(family, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    for (const QString &family : {style::fixedFontFamily(), QStringLiteral("MS Gothic")}) // fixed pitch, like IPA Gothic
        QFont::insertSubstitutions(family, {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")});
    pz::setErrorSink([](const QString &text) { dialogs::errorBox(text); });
    // Qt's own texts (the file dialog, the overwrite question, its buttons) in Japanese, whatever
    // the locale: the program speaks nothing else.
    auto *qtTexts = new QTranslator(this);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtTexts->load(QStringLiteral("qtbase_ja"), folder))
        installTranslator(qtTexts);
    else
        std::fprintf(stderr, "pikazan: Qt's Japanese texts (qtbase_ja.qm) are missing in %s: install qt6-translations-l10n\n",
                     qPrintable(folder));
}

App::~App()
{
    destroyScreens();
    pz::setErrorSink({});
}

QString App::title() { return style::programTitle(); }

bool App::notify(QObject *receiver, QEvent *event)
{
    // A press on an open screen other than the active one is the user choosing that screen,
    // as a window manager would report it; feed it into the model before the press acts.
    if (event->type() == QEvent::MouseButtonPress && receiver->isWidgetType() && modal_.isEmpty()) {
        if (auto *s = qobject_cast<Screen *>(static_cast<QWidget *>(receiver)->window()))
            if (s != active_ && isOpen(s) && s->isEnabled()) {
                open_.removeAll(s);
                open_.append(s);
                activate(s, true);
            }
    }
    // A message box closing: nothing but the model knows where the keyboard belongs now.
    if (event->type() == QEvent::Hide && receiver->isWidgetType()) {
        auto *w = static_cast<QWidget *>(receiver);
        if (w->isWindow() && !qobject_cast<Screen *>(w) && w->isModal() && !keyboardReturnPending_) {
            keyboardReturnPending_ = true;
            QTimer::singleShot(0, this, [this] { returnKeyboard(); });
        }
    }
    // No catch here: an exception that reached this frame would already have unwound through Qt's
    // own frames, which are built without exceptions. Every handler runs under pz::guard instead.
    return QApplication::notify(receiver, event);
}

void App::endProgram()
{
    ending_ = true;
    // Only loops that run are told: Qt forgets an exit that comes before its loop starts.
    for (QEventLoop *loop : std::as_const(modalLoops_))
        loop->quit();
    // A message box, a file dialog or a menu runs a loop of its own: a logout or shutdown must not
    // wait for somebody to answer it. Each returns as if cancelled; no new one comes up (dialogs).
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
        else if (auto *menu = qobject_cast<QMenu *>(w))
            menu->close();
    }
    if (inMainLoop_)
        QCoreApplication::exit(0);
}

int App::run()
{
    if (ending_)
        return 0;
    inMainLoop_ = true;
    const int rc = exec();
    inMainLoop_ = false;
    return rc;
}

bool App::isOpen(const Screen *s) const { return open_.contains(const_cast<Screen *>(s)); }

void App::activate(Screen *s, bool runActivate)
{
    active_ = s;
    if (!s)
        return;
    bringToFront(s);
    if (runActivate)
        pz::guard([s] { s->FormActivate(); });
}

void App::bringToFront(Screen *s)
{
    restoreMinimised(s);
    s->raise();
    s->activateWindow();
}

void App::restoreMinimised(Screen *s)
{
    if (!s->isVisible() || !(s->windowState() & Qt::WindowMinimized))
        return;
    // Mapping the window again is what brings it back: a window manager may refuse an activation
    // request from a program (focus stealing), not the map of its own iconified window.
    s->setWindowState(s->windowState() & ~Qt::WindowMinimized);
    if (s == keyboardOwner()) {
        s->raise();
        s->activateWindow();
    }
}

void App::returnKeyboard()
{
    keyboardReturnPending_ = false;
    QWidget *owner = keyboardOwner(); // another box, if one has opened since
    if (ending_ || !owner || !owner->isVisible())
        return;
    owner->raise();
    owner->activateWindow();
    x11window::takeKeyboard(owner);
}

void App::activateTopmost()
{
    Screen *top = open_.isEmpty() ? nullptr : open_.last();
    if (top != active_)
        activate(top, true);
}

void App::showScreen(Screen *s)
{
    const bool wasVisible = s->isVisible();
    Screen *opener = active_;
    open_.removeAll(s);
    open_.append(s);
    if (!wasVisible) {
        pz::guard([s] { s->FormShow(); });
        Screen *owner = prepareWindow(s, opener);
        if (s->layout().kind == Screen::Kind::FullScreenMaximised) {
            s->sizeToDisplay(); // maximised: it fills the display as it is now
            s->showMaximized();
        }
        else
            s->show();
        x11window::setTransientFor(s, owner); // after the show, which rewrites the hint
    }
    if (active_ != s)
        activate(s, true);
    else {
        restoreMinimised(s);
        s->raise();
    }
}

void App::hideScreen(Screen *s)
{
    const bool wasActive = (active_ == s);
    open_.removeAll(s);
    s->closingByProgram_ = true;
    s->hide();
    s->closingByProgram_ = false;
    if (s->modal_) {
        // The caller gets its activeness back in showModal, without its FormActivate.
        emit s->modalFinished();
        return;
    }
    if (wasActive)
        activateTopmost();
}

void App::showModal(Screen *s)
{
    Screen *caller = active_;
    modal_.append(s);
    s->modal_ = true;
    s->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QPointer<Screen> guard(s);
    auto conn = connect(s, &Screen::modalFinished, &loop, pz::guarded([&loop] { loop.quit(); }));
    showScreen(s);
    modalLoops_.append(&loop);
    if (s->isVisible() && !ending_)
        loop.exec();
    modalLoops_.removeAll(&loop);
    disconnect(conn);
    modal_.removeAll(s);
    if (guard) {
        s->modal_ = false;
        s->setWindowModality(Qt::NonModal);
    }
    if (guard)
        s->windowHandle()->setTransientParent(nullptr);
    if (caller && isOpen(caller)) {
        active_ = caller;
        bringToFront(caller);
    } else {
        active_ = nullptr;
        activateTopmost();
    }
}

void App::forgetScreen(Screen *s)
{
    open_.removeAll(s);
    modal_.removeAll(s);
    created_.removeAll(s);
    if (active_ == s)
        active_ = nullptr;
}

QWidget *App::boxOwner() const
{
    for (auto m = modal_.crbegin(); m != modal_.crend(); ++m)
        if ((*m)->isVisible())
            return *m;
    if (active_ && active_->isVisible())
        return active_.data();
    for (auto o = open_.crbegin(); o != open_.crend(); ++o)
        if ((*o)->isVisible())
            return *o;
    return nullptr;
}

QWidget *App::keyboardOwner() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return boxOwner();
}

Screen *App::prepareWindow(Screen *s, Screen *opener)
{
    // Dialogs and panels belong to the screen that opened them: a window manager keeps them above
    // it, also when the child clicks that screen. Full screens are peers, as the program's own
    // model has them.
    const bool fullScreen = s->layout().kind == Screen::Kind::FullScreen
                         || s->layout().kind == Screen::Kind::FullScreenMaximised;
    Screen *owner = (!fullScreen && opener && opener != s && opener->isVisible()) ? opener : nullptr;
    s->winId(); // the native window, to carry what follows
    s->windowHandle()->setTransientParent(owner ? owner->windowHandle() : nullptr);
    // Dialogs and panels keep their size and stay in sight: no resizing, minimising or maximising.
    if (s->layout().kind == Screen::Kind::Dialog)
        x11window::setFixedFrame(s, true);
    else if (s->layout().kind == Screen::Kind::Panel)
        x11window::setFixedFrame(s, false);
    // One taskbar entry for the program: the main menu's, with the program's title.
    if (s == asScreen(screens_.mainMenu))
        x11window::setTaskbarNames(s, title(), QByteArrayLiteral("pikazan"));
    else
        x11window::skipTaskbar(s);
    return owner;
}

void App::focusMoved(QWindow *to)
{
    if (!to || ending_ || correctionPending_)
        return;
    QWidget *want = keyboardOwner();
    if (!want || want->windowHandle() == to)
        return;
    // A press that reaches the program after the window manager's focus change may make the clicked
    // screen the active one (notify); look again once the events at hand are handled.
    correctionPending_ = true;
    QTimer::singleShot(0, this, [this] {
        correctionPending_ = false;
        QWidget *owner = keyboardOwner();
        QWindow *focus = QGuiApplication::focusWindow();
        if (!owner || !focus || owner->windowHandle() == focus || ending_)
            return;
        // Popup menus and tooltips of the owner are its own business.
        if (focus->type() == Qt::Popup || focus->type() == Qt::ToolTip)
            return;
        putActiveOnTop();
    });
}

void App::putActiveOnTop()
{
    // The active screen first, then whatever runs modally above it, so that it ends on top.
    if (active_ && active_->isVisible())
        active_->raise();
    for (Screen *m : std::as_const(modal_))
        if (m->isVisible())
            m->raise();
    QWidget *owner = keyboardOwner();
    if (!owner || !owner->isVisible())
        return;
    owner->raise();
    owner->activateWindow();
}
