#pragma once
// Support for the screen tests: the application object on the offscreen platform, a fresh program
// in a temporary working folder, and recorders for message boxes, errors and sounds.
#include "platform/sound.h"
#include "shell/app.h"
#include "shell/dialogs.h"

#include <QDir>
#include <QList>
#include <QTemporaryDir>
#include <QtTest>

namespace testsupport {

// What the program showed and played since the last clear().
struct Recorder {
    QList<dialogs::Shown> boxes;
    QList<sound::Cue> sounds;
    bool nextAnswer = true; // the answer to the next question box
    void clear() { boxes.clear(); sounds.clear(); }
    int count(sound::Cue c) const { return int(sounds.count(c)); }
    QStringList texts() const;
};
Recorder &recorder();

// A working folder laid out as installed (settings, master password "teacher", the sound), the
// current directory while it lives, and the seventeen screens created in it. Destroyed in reverse.
class Program {
public:
    explicit Program(const QByteArray &masterPassword = "teacher");
    ~Program();
    QString path(const QString &relative) const { return dir_.filePath(relative); }
    App &app() { return *App::instance(); }
    SharedState &state() { return App::instance()->state(); }
    Screens &screens() { return App::instance()->screens(); }
    // Writes raw bytes to a file of the working folder (creating folders).
    void writeFile(const QString &relative, const QByteArray &bytes);
    QByteArray readFile(const QString &relative) const;

private:
    QTemporaryDir dir_;
    QString oldCwd_;
};

// Types text key by key into w, as a keyboard without an input method does (kana and full-width
// forms too).
void type(QWidget *w, const QString &text);
// The bytes of a program text file holding these lines: cp932, each line ended by CR LF.
QByteArray cp932Lines(const QStringList &lines);

// Installs the recorders; called once by the test main.
void install();

} // namespace testsupport

// The main of a screen test: App on the offscreen platform, recorders installed.
#define PZ_GUI_TEST_MAIN(TestObject)                                                                  \
    int main(int argc, char *argv[])                                                                \
    {                                                                                               \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                         \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                \
        App app(argc, argv);                                                                        \
        testsupport::install();                                                                     \
        TestObject tc;                                                                              \
        QTEST_SET_MAIN_SOURCE_PATH                                                                  \
        return QTest::qExec(&tc, argc, argv);                                                       \
    }
