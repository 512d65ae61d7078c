#pragma once
// The bevelled push button's test stage: a window with one button dressed like the registration
// dialog's, the pixel helpers and a menu that closes itself. Shared by tests/shell/tst_cutebtn_*.cpp.
#include "support/testmain.h"

#include "base/errors.h"
#include "kit/CuteBtn.h"

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

namespace cutebtn {
inline const QColor kHigh(255, 255, 0);  // bevel highlight in these tests
inline const QColor kShadow(0, 0, 255);  // bevel shadow
inline const QColor kSysLight(0, 255, 0); // the system highlight (embossed caption)
inline const QColor kSysDark(255, 0, 255); // the system shadow (disabled caption)

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

inline QRect inkBox(const QImage &img, const QColor &ink, const QRect &within)
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
    // Gives the button this menu, dropping down after delayMs.
    void attach(TCuteButton *b, int delayMs)
    {
        b->setDropDownMenu(&menu);
        b->setDropDownDelay(delayMs);
    }
};
} // namespace cutebtn

using namespace cutebtn;
