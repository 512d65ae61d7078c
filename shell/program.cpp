// The program entry: no arguments and no environment of its own are read.
#include "platform/signals.h"
#include "platform/sound.h"
#include "shell/app.h"
#include "shell/main.h"
#include "shell/splash.h"

#include <QList>

#include <cstdio>
#include <cstdlib>

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
} // namespace

int main(int argc, char **argv)
{
    const QtMessageHandler usual = qInstallMessageHandler(beforeTheDisplay);
    App app(argc, argv);
    qInstallMessageHandler(usual);
    for (const Held &m : std::as_const(held))
        qt_message_output(m.type, QMessageLogContext(m.file.constData(), m.line, m.function.constData(), m.category.constData()), m.text);
    held.clear();

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
