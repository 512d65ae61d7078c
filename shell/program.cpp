// The program entry: no environment of its own is read, and of the arguments only the message mode
// below (the launcher's way to say something in a window); any other argument is ignored.
#include "platform/signals.h"
#include "platform/sound.h"
#include "shell/app.h"
#include "shell/dialogs.h"
#include "shell/main.h"
#include "shell/splash.h"

#include <QList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Until the application object stands, Qt's messages are held back: when no display can be
// opened, Qt gives up with a fatal message and aborts (exit code 134, a core dump and several
// lines about plugins). This says in one line what is needed instead, and ends with 1.
struct Held {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
QList<Held> held;

void beforeTheDisplay(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fputs("画面を開けません。グラフィカルなデスクトップで起動してください。"
                   " / Cannot open a display: this program needs a graphical desktop.\n",
                   stderr);
        std::fflush(stderr);
        std::_Exit(1); // Qt is half made: nothing of it may run any more
    }
    held.append({type, context.file, context.function, context.category, context.line, text});
}

void releaseHeld()
{
    for (const Held &m : std::as_const(held))
        qt_message_output(m.type, QMessageLogContext(m.file.constData(), m.line, m.function.constData(), m.category.constData()), m.text);
    held.clear();
}

// "pikazan --message TEXT": the program's standard error box, titled with the program's title, and
// nothing else: no screen is made and the display keeps its mode. The launcher says its refusals
// this way, so that they read right on a desktop without a dialog tool of its own (xmessage shows
// Japanese as mojibake). Ends with 0 once the box is closed.
int messageMode(const char *program, const char *text)
{
    // Qt sees only the program's name: a text such as "-reverse" must not be taken for its option.
    int argc = 1;
    char *argv[] = {const_cast<char *>(program), nullptr};
    const QtMessageHandler usual = qInstallMessageHandler(beforeTheDisplay);
    App app(argc, argv);
    qInstallMessageHandler(usual);
    releaseHeld();
    dialogs::errorBox(QString::fromLocal8Bit(text));
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--message") == 0) {
        if (argc != 3) {
            std::fputs("使い方: pikazan --message 文章\n", stderr);
            return 2;
        }
        return messageMode(argv[0], argv[2]);
    }

    const QtMessageHandler usual = qInstallMessageHandler(beforeTheDisplay);
    App app(argc, argv);
    qInstallMessageHandler(usual);
    releaseHeld();

    // Before the screens: the main menu's creation switches the display and starts its guard.
    unixsignals::onTermination([&app] {
        if (auto *menu = app.screens().form1)
            menu->Close();
        else
            app.quit();
    });
    sound::init();
    app.createScreens();

    // However the program ends, the display goes back to the mode it had.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&app] {
        if (auto *menu = app.screens().form1)
            menu->restoreDisplayMode();
    });

    if (TForm11 *splash = app.screens().form11)
        splash->ShowModal();
    if (!app.ending())
        app.screens().form1->Show();
    const int rc = app.run(); // returns at once when the program was ended before its loop started
    app.screens().form1->restoreDisplayMode();
    app.destroyScreens();
    return rc;
}
