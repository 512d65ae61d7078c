// The master password: choosing it in TForm12 (shown by the main menu while none is set) and
// entering it in TForm14 (the way to the students' records).
#include "support/testmain.h"
#include "support/filesizelimit.h"
#include "support/otheraccount.h"

#include "base/errors.h"
#include "records/mastergate.h"
#include "shell/main.h"
#include "shell/splash.h"
#include "users/delete.h"
#include "users/masterpass.h"
#include "users/mstgtpass.h"
#include "users/regist.h"
#include "users/userstore.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionFrame>

#include <functional>
#include <optional>
#include <unistd.h>

using testsupport::Program;
using testsupport::recorder;
using testsupport::type;

namespace {
const QString kMaster = QStringLiteral("user/master.psw");
const QString kNotSet = QStringLiteral("マスターパスワードが決められていません。\nメニューの「先生用」から決めて下さい。");

// Plays one step at each showing of a dialog, from inside its modal loop. A step that leaves the
// dialog open is a failure: the close box then ends that showing, so a test never hangs.
class DialogScript : public QObject {
public:
    explicit DialogScript(Screen *dialog) : dialog_(dialog) { dialog->installEventFilter(this); }
    QList<std::function<void()>> steps;
    int shown = 0;
    QList<int> leftOpen; // showings whose step did not close the dialog

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            const int n = ++shown;
            QTimer::singleShot(0, this, [this, n] {
                if (n <= steps.size())
                    steps[n - 1]();
                if (dialog_->isVisible()) {
                    leftOpen << n;
                    dialog_->close();
                }
            });
        }
        return false;
    }

private:
    Screen *dialog_;
};

void enter(QLineEdit *field, const QString &text)
{
    type(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

// The new master password typed twice in the creation dialog, each time with Enter.
void chooseTwice(TForm12 *d, const QString &first, const QString &second)
{
    enter(d->Edit1, first);
    enter(d->Edit2, second);
}
void choose(TForm12 *d, const QString &text) { chooseTwice(d, text, text); }

void verifyOnlySetBox()
{
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("マスターパスワードを決めました")});
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Info);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("検定用ぴかざん"));
}

// Something that makes the main menu active again: a screen above it opens and closes.
void reactivateMenu(Program &p)
{
    p.screens().registration->Show();
    p.screens().registration->Close();
}

void verifyOnlyWarning(const QString &text)
{
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
    QCOMPARE(recorder().boxes[0].text, text);
    QCOMPARE(recorder().count(sound::Cue::Exclamation), 1);
}

void verifyOnlyError()
{
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("検定用ぴかざん"));
}
} // namespace

class TestMasterPassword : public QObject {
    Q_OBJECT
private slots:
    void window_data();
    void window();
    void layout_data();
    void layout();

    // TForm12
    void creationDialogAfterSplashUntilSet();
    void typedTwice_data();
    void typedTwice();
    void storedBytes_data();
    void storedBytes();
    void unusablePasswordRefused_data();
    void unusablePasswordRefused();
    void closeBoxWritesNothingKeepsText();
    void missingFileBringsCreationDialog();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
    void setMeanwhileIsKept();

    // TForm14
    void teacherButtonOpensEntry();
    void entry_data();
    void entry();
    void fileReadAtEveryEnter();
    void unreadableFileReportedDialogStays();
    void closeBoxForgetsTypedPassword();
    void damagedFileKeepsTeacherOut_data();
    void damagedFileKeepsTeacherOut();
};

void TestMasterPassword::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("masterPasswordSetup", QStringLiteral("パスワードを入れてENTERを押してください"),
                           testsupport::Kind::Fixed, QRect(187, 141, 418, 318));
    testsupport::windowRow("masterPasswordEntry", QStringLiteral("マスターパスワードを入れてENTERを押して下さい"),
                           testsupport::Kind::Fixed, QRect(178, 184, 478, 177));
}

void TestMasterPassword::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestMasterPassword::layout_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QPoint>("captionAt");
    QTest::addColumn<int>("captionPx");
    QTest::addColumn<QRect>("field");
    QTest::addColumn<int>("labels");
    QTest::addColumn<int>("fields");
    QTest::newRow("TForm12 choosing") << "masterPasswordSetup" << "マスターパスワードを決めて下さい" << QPoint(16, 16) << 24 << QRect(26, 48, 361, 72) << 3 << 2;
    QTest::newRow("TForm14 entering") << "masterPasswordEntry" << "マスターパスワードを入れて下さい" << QPoint(16, 32) << 29 << QRect(16, 80, 441, 72) << 1 << 1;
}

void TestMasterPassword::layout()
{
    QFETCH(QString, dialog);
    QFETCH(QString, caption);
    QFETCH(QPoint, captionAt);
    QFETCH(int, captionPx);
    QFETCH(QRect, field);
    QFETCH(int, labels);
    QFETCH(int, fields);

    Program p;
    Screen *d = dialog == "masterPasswordSetup" ? static_cast<Screen *>(p.screens().masterPasswordSetup) : p.screens().masterPasswordEntry;
    QCOMPARE(d->windowFlags() & Qt::WindowType_Mask, Qt::Dialog);
    // No buttons: captions and fields are all there is.
    QCOMPARE(d->findChildren<QLabel *>().size(), labels);
    QCOMPARE(d->findChildren<QLineEdit *>().size(), fields);

    auto *label = d->findChild<QLabel *>("Label1");
    QVERIFY(label);
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->pos(), captionAt);
    QCOMPARE(label->font().pixelSize(), captionPx);
    QVERIFY(label->font().bold());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));

    auto *edit = d->findChild<QLineEdit *>("Edit1");
    QVERIFY(edit);
    QCOMPARE(edit->geometry(), field);
    // Every field hidden, in large type, without an input method; all inside the dialog.
    for (QLineEdit *e : d->findChildren<QLineEdit *>()) {
        QCOMPARE(e->font().pixelSize(), 64);
        QVERIFY(e->font().bold());
        QCOMPARE(e->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(e->echoMode(), QLineEdit::Password);
        QVERIFY(!e->testAttribute(Qt::WA_InputMethodEnabled));
        QStyleOptionFrame opt;
        opt.initFrom(e);
        QCOMPARE(e->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, &opt, e), int('*'));
        QVERIFY2(d->rect().contains(e->geometry()), e->objectName().toLatin1());
    }
    for (QLabel *l : d->findChildren<QLabel *>())
        QVERIFY2(d->rect().contains(QRect(l->pos(), l->sizeHint())), qPrintable(l->text()));
    // The creation dialog says what to do after forgetting the password.
    if (fields == 2)
        QVERIFY(d->findChild<QLabel *>("Label3")->text().contains(QStringLiteral("pikazan --set-master-password")));
}

void TestMasterPassword::creationDialogAfterSplashUntilSet()
{
    Program p{QByteArray()}; // as installed: an empty file
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {
        [&] { // first showing, right after the splash: over the main menu, modal, focus in the field
            QVERIFY(p.app().modalRunning());
            QCOMPARE(p.app().activeScreen(), d);
            QVERIFY(p.screens().mainMenu->isVisible());
            QVERIFY(QTest::qWaitForWindowActive(d));
            QCOMPARE(QApplication::focusWidget(), d->Edit1);
            d->close(); // the close box
        },
        [&] { enter(d->Edit1, QString()); }, // stores an empty line: still not set
        [&] { choose(d, QStringLiteral("sensei")); },
    };

    QTimer::singleShot(0, p.screens().splash, [&] { p.screens().splash->Timer1Timer(); });
    p.screens().splash->ShowModal();
    QCOMPARE(script.shown, 0); // not during the splash
    p.screens().mainMenu->Show();
    QCOMPARE(script.shown, 1);
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QCOMPARE(p.readFile(kMaster), QByteArray());

    reactivateMenu(p);
    QCOMPARE(script.shown, 2);
    QCOMPARE(p.readFile(kMaster), QByteArray("\r\n"));

    reactivateMenu(p);
    QCOMPARE(script.shown, 3);
    QCOMPARE(p.readFile(kMaster), QByteArray("sensei\r\n"));

    verifyOnlySetBox();
    for (int i = 0; i < 3; ++i)
        reactivateMenu(p);
    QCOMPARE(script.shown, 3);
    QVERIFY(script.leftOpen.isEmpty());
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
}

void TestMasterPassword::typedTwice_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("same");
    QTest::newRow("the same twice") << "sensei" << "sensei" << true;
    QTest::newRow("a typo the second time") << "sensei" << "sensej" << false;
    QTest::newRow("letter case differs") << "sensei" << "Sensei" << false;
    QTest::newRow("a trailing blank the second time") << "sensei" << "sensei " << false;
    QTest::newRow("the second left empty") << "sensei" << "" << false;
    QTest::newRow("the second one longer") << "sen" << "sensei" << false;
}

void TestMasterPassword::typedTwice()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, same);
    Program p{QByteArray()};
    p.writeFile(kMaster, "\r\n");
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {[&] {
        chooseTwice(d, first, second);
        if (same)
            return;
        // Refused: nothing written, both fields emptied, the teacher starts again at the first.
        QVERIFY(d->isVisible());
        verifyOnlyWarning(QStringLiteral("2回入れたパスワードが同じではありません。\nもういちど入れて下さい。"));
        QCOMPARE(p.readFile(kMaster), QByteArray("\r\n"));
        QCOMPARE(d->Edit1->text(), QString());
        QCOMPARE(d->Edit2->text(), QString());
        QCOMPARE(d->focusWidget(), d->Edit1);
        recorder().clear();
        choose(d, QStringLiteral("again"));
    }};
    p.screens().mainMenu->Show();
    QCOMPARE(script.shown, 1);
    QVERIFY(script.leftOpen.isEmpty());
    QCOMPARE(p.readFile(kMaster), same ? QByteArray("sensei\r\n") : QByteArray("again\r\n"));
    verifyOnlySetBox();
}

void TestMasterPassword::storedBytes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("sensei") << QByteArray() << "sensei" << QByteArray("sensei\r\n");
    QTest::newRow("empty entry: an empty line") << QByteArray() << "" << QByteArray("\r\n");
    QTest::newRow("blanks kept") << QByteArray("\r\n") << " a b " << QByteArray(" a b \r\n");
    QTest::newRow("kana in cp932") << QByteArray() << "せんせい" << QByteArray("\x82\xb9\x82\xf1\x82\xb9\x82\xa2\r\n");
    QTest::newRow("whole file replaced") << QByteArray("\r\nleft over\r\nmore\r\n") << "x" << QByteArray("x\r\n");
}

void TestMasterPassword::storedBytes()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, typed);
    QFETCH(QByteArray, after);

    Program p{QByteArray()};
    p.writeFile(kMaster, before);
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    QSignalSpy fieldSawEnter(d->Edit1, &QLineEdit::returnPressed);
    QSignalSpy secondSawEnter(d->Edit2, &QLineEdit::returnPressed);
    script.steps = {[&] {
        type(d->Edit1, typed);
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        if (!typed.isEmpty()) { // asked again before anything is written
            QVERIFY(d->isVisible());
            QCOMPARE(d->focusWidget(), d->Edit2);
            QCOMPARE(p.readFile(kMaster), before);
            enter(d->Edit2, typed);
        }
        QVERIFY(d->isHidden());
        QCOMPARE(d->Edit1->text(), QString());
        QCOMPARE(d->Edit2->text(), QString());
    }};
    p.screens().mainMenu->Show();
    QCOMPARE(script.shown, 1);
    QVERIFY(script.leftOpen.isEmpty());
    QCOMPARE(fieldSawEnter.count() + secondSawEnter.count(), 0); // the keys were consumed
    QCOMPARE(p.readFile(kMaster), after);
    if (typed.isEmpty())
        QVERIFY(recorder().boxes.isEmpty()); // nothing was set: nothing to say
    else
        verifyOnlySetBox();
}

void TestMasterPassword::unusablePasswordRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("outside cp932") << QStringLiteral("pass\U0001F600");
    QTest::newRow("line end") << QStringLiteral("a\r\nb");
    QTest::newRow("line feed alone") << QStringLiteral("a\nb");
    QTest::newRow("tab") << QStringLiteral("a\tb");
    QTest::newRow("NUL") << QString(QStringLiteral("ab") + QChar(0));
}

void TestMasterPassword::unusablePasswordRefused()
{
    QFETCH(QString, text);
    Program p{QByteArray()};
    p.writeFile(kMaster, "\r\n");
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {[&] {
        d->Edit1->setText(text); // pasted or composed; no key types these
        QTest::keyClick(d->Edit1, Qt::Key_Return);
        verifyOnlyWarning(QStringLiteral("パスワードにつかえないもじがはいっています"));
        QVERIFY(d->isVisible());
        QCOMPARE(d->Edit1->text(), text); // kept to be corrected
        QCOMPARE(p.readFile(kMaster), QByteArray("\r\n"));
        // The same dialog then takes a usable one.
        d->Edit1->clear();
        choose(d, QStringLiteral("ok"));
    }};
    p.screens().mainMenu->Show();
    QVERIFY(script.leftOpen.isEmpty());
    QCOMPARE(p.readFile(kMaster), QByteArray("ok\r\n"));
}

void TestMasterPassword::closeBoxWritesNothingKeepsText()
{
    Program p{QByteArray()};
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {
        [&] {
            type(d->Edit1, QStringLiteral("half"));
            d->close();
        },
        [&] {
            QCOMPARE(d->Edit1->text(), QStringLiteral("half")); // still there at the next showing
            enter(d->Edit1, QStringLiteral("way"));
            enter(d->Edit2, QStringLiteral("halfway"));
        },
    };
    p.screens().mainMenu->Show();
    QCOMPARE(p.readFile(kMaster), QByteArray());
    QVERIFY(QFileInfo::exists(p.path(kMaster)));
    reactivateMenu(p);
    QCOMPARE(script.shown, 2);
    QVERIFY(script.leftOpen.isEmpty());
    QCOMPARE(p.readFile(kMaster), QByteArray("halfway\r\n"));
}

void TestMasterPassword::missingFileBringsCreationDialog()
{
    Program p;
    QVERIFY(QFile::remove(p.path(kMaster)));
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {[&] { choose(d, QStringLiteral("sensei")); }};
    p.screens().mainMenu->Show();
    QCOMPARE(script.shown, 1);
    verifyOnlySetBox(); // no error box: missing is "not set"
    recorder().clear();
    QCOMPARE(p.readFile(kMaster), QByteArray("sensei\r\n"));
    reactivateMenu(p);
    QCOMPARE(script.shown, 1);

    // Removed behind an open entry dialog: the empty entry opens nothing but the box that says so,
    // and the menu, active again, offers the creation dialog (closed with its close box).
    QVERIFY(QFile::remove(p.path(kMaster)));
    TForm14 *entry = p.screens().masterPasswordEntry;
    entry->Show();
    script.steps << [&] { d->close(); };
    QTest::keyClick(entry->Edit1, Qt::Key_Return);
    verifyOnlyWarning(kNotSet);
    QCOMPARE(script.shown, 2);
    QVERIFY(!entry->isVisible());
    QVERIFY(!p.screens().studentsRecords->isVisible());
    QVERIFY(!QFileInfo::exists(p.path(kMaster)));

    // Still missing, the menu up: 先生用 brings the creation dialog, never the entry; its Enter (the
    // field left empty) stores "not set" and still opens nothing.
    recorder().clear();
    script.steps << [&] { QTest::keyClick(d->Edit1, Qt::Key_Return); };
    QTest::mouseClick(p.screens().mainMenu->findChild<QWidget *>("Label7"), Qt::LeftButton);
    QCOMPARE(script.shown, 3);
    QVERIFY(script.leftOpen.isEmpty());
    QVERIFY(!entry->isVisible());
    QVERIFY(!p.screens().studentsRecords->isVisible());
    QCOMPARE(p.readFile(kMaster), QByteArray("\r\n"));
    QVERIFY(recorder().boxes.isEmpty());
}

void TestMasterPassword::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("write stops part-way (disk full)") << "full";
    QTest::newRow("read-only user folder") << "folder";
    QTest::newRow("write-protected master.psw") << "file";
}

void TestMasterPassword::failedWriteKeepsOldFile()
{
    QFETCH(QString, fault);
    if (fault != QLatin1String("full") && !testsupport::runAsOrdinaryUser())
        return;

    Program p{QByteArray()};
    const QByteArray old("\r\nkept line\r\n"); // not set, and more than a write of "sensei" would leave
    p.writeFile(kMaster, old);
    QFile denied(p.path(fault == QLatin1String("file") ? kMaster : QStringLiteral("user")));
    const QFile::Permissions perms = denied.permissions();
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {[&] {
        enter(d->Edit1, QStringLiteral("sensei"));
        type(d->Edit2, QStringLiteral("sensei"));
        {
            std::optional<FileSizeLimit> limit;
            if (fault == QLatin1String("full"))
                limit.emplace(3);
            else
                denied.setPermissions(perms & ~(QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther | QFile::WriteUser));
            QTest::keyClick(d->Edit2, Qt::Key_Return);
            denied.setPermissions(perms);
        }
        verifyOnlyError();
        QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("master.psw")));
        QVERIFY(d->isVisible()); // stays open, the text kept for another try
        QCOMPARE(d->Edit1->text(), QStringLiteral("sensei"));
        QCOMPARE(d->Edit2->text(), QStringLiteral("sensei"));
        QCOMPARE(p.readFile(kMaster), old);
        QCOMPARE(QDir(p.path(QStringLiteral("user"))).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("master.psw")});
        QTest::keyClick(d->Edit2, Qt::Key_Return); // the write works again
    }};
    p.screens().mainMenu->Show();
    QVERIFY(script.leftOpen.isEmpty());
    QCOMPARE(p.readFile(kMaster), QByteArray("sensei\r\n"));
}

void TestMasterPassword::setMeanwhileIsKept()
{
    Program p{QByteArray()};
    TForm12 *d = p.screens().masterPasswordSetup;
    DialogScript script(d);
    script.steps = {[&] {
        enter(d->Edit1, QStringLiteral("mine"));
        type(d->Edit2, QStringLiteral("mine"));
        p.writeFile(kMaster, "sensei\r\n"); // --set-master-password, while the dialog is open
        QTest::keyClick(d->Edit2, Qt::Key_Return);
    }};
    p.screens().mainMenu->Show();
    QVERIFY(script.leftOpen.isEmpty());
    verifyOnlyWarning(QStringLiteral("マスターパスワードは、その間にほかのところで決められました。\nいま入れたパスワードは使われません。"));
    QCOMPARE(p.readFile(kMaster), QByteArray("sensei\r\n"));
    QCOMPARE(d->Edit1->text(), QString());
}

void TestMasterPassword::teacherButtonOpensEntry()
{
    Program p;
    p.screens().mainMenu->Show();
    QTest::mouseClick(p.screens().mainMenu->findChild<QWidget *>("Label7"), Qt::LeftButton);
    TForm14 *d = p.screens().masterPasswordEntry;
    QVERIFY(d->isVisible());
    QVERIFY(!p.app().modalRunning());
    QCOMPARE(p.app().activeScreen(), d);
    QVERIFY(QTest::qWaitForWindowActive(d));
    QCOMPARE(QApplication::focusWidget(), d->Edit1);
}

void TestMasterPassword::entry_data()
{
    QTest::addColumn<QByteArray>("file"); // a null array: no file at all
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("outcome"); // opens: the students' records; wrong; unset: the box that says so
    QTest::newRow("right") << QByteArray("sensei\r\n") << "sensei" << "opens";
    QTest::newRow("wrong") << QByteArray("sensei\r\n") << "sense" << "wrong";
    QTest::newRow("letter case differs") << QByteArray("sensei\r\n") << "Sensei" << "wrong";
    QTest::newRow("typed with a trailing blank") << QByteArray("sensei\r\n") << "sensei " << "wrong";
    QTest::newRow("stored with a trailing blank") << QByteArray("sensei \r\n") << "sensei " << "opens";
    QTest::newRow("stored with a trailing blank, typed without") << QByteArray("sensei \r\n") << "sensei" << "wrong";
    QTest::newRow("empty entry against a set password") << QByteArray("sensei\r\n") << "" << "wrong";
    QTest::newRow("kana") << QByteArray("\x82\xb9\x82\xf1\x82\xb9\x82\xa2\r\n") << "せんせい" << "opens";
    QTest::newRow("only line 1 counts") << QByteArray("sensei\r\nother\r\n") << "other" << "wrong";
    QTest::newRow("line 1 of a longer file") << QByteArray("sensei\r\nother\r\n") << "sensei" << "opens";
    QTest::newRow("LF line end") << QByteArray("sensei\n") << "sensei" << "opens";
    QTest::newRow("no line end") << QByteArray("sensei") << "sensei" << "opens";
    QTest::newRow("not set (empty line), empty entry") << QByteArray("\r\n") << "" << "unset";
    QTest::newRow("not set (empty file), empty entry") << QByteArray("") << "" << "unset";
    QTest::newRow("not set (no file), empty entry") << QByteArray() << "" << "unset";
    QTest::newRow("not set, something typed") << QByteArray("\r\n") << "x" << "unset";
}

void TestMasterPassword::entry()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, typed);
    QFETCH(QString, outcome);

    Program p;
    if (file.isNull())
        QVERIFY(QFile::remove(p.path(kMaster)));
    else
        p.writeFile(kMaster, file);
    TForm14 *d = p.screens().masterPasswordEntry;
    d->Show();
    type(d->Edit1, typed);
    QCOMPARE(d->Edit1->text(), typed);
    QTest::keyClick(d->Edit1, Qt::Key_Return);

    QCOMPARE(d->Edit1->text(), QString()); // emptied either way
    if (outcome == QLatin1String("unset")) {
        verifyOnlyWarning(kNotSet);
        QVERIFY(d->isHidden());
        QVERIFY(!p.screens().studentsRecords->isVisible());
    } else if (outcome == QLatin1String("opens")) {
        QVERIFY(recorder().boxes.isEmpty());
        QVERIFY(recorder().sounds.isEmpty());
        QVERIFY(d->isHidden());
        QVERIFY(p.screens().studentsRecords->isVisible());
        QCOMPARE(p.app().activeScreen(), p.screens().studentsRecords);
    } else {
        verifyOnlyWarning(QStringLiteral("パスワードが違います"));
        QVERIFY(d->isVisible());
        QCOMPARE(p.app().activeScreen(), d);
        QVERIFY(!p.screens().studentsRecords->isVisible());
    }
    if (!file.isNull())
        QCOMPARE(p.readFile(kMaster), file); // reading never writes
}

void TestMasterPassword::fileReadAtEveryEnter()
{
    Program p; // "teacher"
    TForm14 *d = p.screens().masterPasswordEntry;
    d->Show();
    enter(d->Edit1, QStringLiteral("sensei"));
    verifyOnlyWarning(QStringLiteral("パスワードが違います"));
    p.writeFile(kMaster, "sensei\r\n"); // changed behind the open dialog
    recorder().clear();
    enter(d->Edit1, QStringLiteral("sensei"));
    QVERIFY(recorder().boxes.isEmpty());
    QVERIFY(p.screens().studentsRecords->isVisible());
}

void TestMasterPassword::unreadableFileReportedDialogStays()
{
    Program p;
    QVERIFY(QFile::remove(p.path(kMaster)));
    QVERIFY(QDir().mkpath(p.path(kMaster))); // a folder where the file should be: it cannot be read
    TForm14 *d = p.screens().masterPasswordEntry;
    d->Show();
    enter(d->Edit1, QString());
    verifyOnlyError();
    QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("master.psw")));
    QVERIFY(d->isVisible());
    QVERIFY(!p.screens().studentsRecords->isVisible());
}

void TestMasterPassword::closeBoxForgetsTypedPassword()
{
    Program p; // "teacher"
    p.screens().mainMenu->Show();
    TForm14 *d = p.screens().masterPasswordEntry;
    d->Show();
    type(d->Edit1, QStringLiteral("teacher"));
    d->close(); // the close box, the right password still typed
    QVERIFY(d->isHidden());
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);

    // The next person opens the dialog and presses Enter only.
    QTest::mouseClick(p.screens().mainMenu->findChild<QWidget *>("Label7"), Qt::LeftButton);
    QCOMPARE(d->Edit1->text(), QString());
    QTest::keyClick(d->Edit1, Qt::Key_Return);
    QVERIFY(!p.screens().studentsRecords->isVisible());
    verifyOnlyWarning(QStringLiteral("パスワードが違います"));
}

void TestMasterPassword::damagedFileKeepsTeacherOut_data()
{
    // Only an empty file or an empty line 1 means "not set"; nothing the creation dialog could have
    // written may read as that.
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("eight NULs (a torn write)") << QByteArray(8, '\0');
    QTest::newRow("a byte that is no character") << QByteArray("\x81\r\n");
    QTest::newRow("a control character") << QByteArray("\x01\r\n");
}

void TestMasterPassword::damagedFileKeepsTeacherOut()
{
    QFETCH(QByteArray, file);
    Program p;
    p.writeFile(kMaster, file);
    p.writeFile(QStringLiteral("user/たろう.dat"), testsupport::cp932Lines({userstore::recordHeader()}));
    p.writeFile(QStringLiteral("user/たろう.psw"), "pw\r\n");
    const QString damaged = QStringLiteral("ファイル user/master.psw を使えません。\n") + pz::reason::damaged();
    DialogScript creation(p.screens().masterPasswordSetup);

    // The main menu's check reports it and offers no new master password.
    p.screens().mainMenu->Show();
    QCOMPARE(recorder().texts(), QStringList{damaged});
    QCOMPARE(creation.shown, 0);

    // 先生用 reads it first: reported, and neither the entry nor the students' records open.
    recorder().clear();
    QTest::mouseClick(p.screens().mainMenu->findChild<QWidget *>("Label7"), Qt::LeftButton);
    QCOMPARE(recorder().texts(), QStringList{damaged});
    QVERIFY(!p.screens().masterPasswordEntry->isVisible());
    QVERIFY(!p.screens().studentsRecords->isVisible());
    // The entry opened before the damage: its Enter with an empty field keeps them shut too.
    recorder().clear();
    p.screens().masterPasswordEntry->Show();
    QTest::keyClick(p.screens().masterPasswordEntry->Edit1, Qt::Key_Return);
    QCOMPARE(recorder().texts(), QStringList{damaged});
    QVERIFY(p.screens().masterPasswordEntry->isVisible());
    QVERIFY(!p.screens().studentsRecords->isVisible());
    p.screens().masterPasswordEntry->Close();

    // Deleting oneself with an empty field deletes nothing.
    recorder().clear();
    p.state().userName = QStringLiteral("たろう");
    p.screens().mainMenu->setLoggedIn(true);
    p.screens().userDeletion->Show();
    QTest::keyClick(p.screens().userDeletion->Edit1, Qt::Key_Return);
    QCOMPARE(recorder().texts(), QStringList{damaged});
    QVERIFY(QFileInfo::exists(p.path(QStringLiteral("user/たろう.dat"))));
    QVERIFY(p.state().loggedIn);
    QCOMPARE(p.readFile(kMaster), file);
}

PZ_GUI_TEST_MAIN(TestMasterPassword)
#include "tst_masterpass.moc"
