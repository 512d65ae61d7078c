#include "shell/dialogs.h"

#include "platform/sound.h"
#include "shell/app.h"

#include <QMessageBox>

namespace dialogs {

namespace {
Hook &hook()
{
    static Hook h;
    return h;
}

bool show(Kind kind, const QString &title, const QString &text)
{
    if (hook())
        return hook()({kind, title, text});
    // Owned by the screen it speaks for, so a window manager keeps it above that screen.
    QMessageBox box(App::instance() ? App::instance()->boxOwner() : nullptr);
    box.setWindowTitle(title);
    box.setText(text);
    // Above the program's always-on-top screens.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    switch (kind) {
    case Kind::Error:
    case Kind::Warning:
        box.setIcon(QMessageBox::Critical);
        break;
    case Kind::Info:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Kind::Deleted:
        box.setIcon(QMessageBox::Information);
        break;
    case Kind::Question:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return true;
}
} // namespace

void setHook(Hook h) { hook() = std::move(h); }

void errorBox(const QString &text) { show(Kind::Error, App::title(), text); }

void warn(const QString &text)
{
    sound::play(sound::Cue::Exclamation);
    show(Kind::Warning, QStringLiteral("警告"), text);
}

void inform(const QString &text) { show(Kind::Info, App::title(), text); }

void informDeleted(const QString &text)
{
    sound::play(sound::Cue::Information);
    show(Kind::Deleted, style::programTitle(), text);
}

bool ask(const QString &caption, const QString &text) { return show(Kind::Question, caption, text); }

} // namespace dialogs
