// Links and FIFOs where the program expects its own files, through the real screens: the login
// list and the login, the choice of a grade, the drill's line. Nothing may hang, nothing outside
// the classroom folder may be read as a password or written to, and every refusal names the file.
#include "faultsupport.h"
#include "support/testmain.h"

#include "drill/kotae.h"
#include "drill/dkhyouji.h"
#include "drill/option.h"
#include "base/errors.h"
#include "platform/textfile.h"
#include "records/mastergate.h"
#include "settings/settei.h"
#include "kit/widgets.h"
#include "shell/main.h"
#include "users/delete.h"
#include "users/masterpass.h"
#include "users/mstgtpass.h"
#include "users/regist.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using testsupport::Program;
using testsupport::recorder;

namespace {
// What the error box adds when a drill's line could not be written: it waits in this account's state folder.
const QString kKeptAside = QStringLiteral("\nこの記録はとっておき、次に書き込めるときに書き込みます。");
QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

// A FIFO's blocking open() is released after 3 s, so that a program that waits on it fails this
// test with a message instead of hanging it. done ends the wait early.
class FifoRelease {
public:
    explicit FifoRelease(const QString &fifo)
        : thread_([path = QFile::encodeName(fifo), this] {
              for (int i = 0; i < 60 && !done_; ++i)
                  std::this_thread::sleep_for(std::chrono::milliseconds(50));
              for (int flags : {O_WRONLY | O_NONBLOCK, O_RDONLY | O_NONBLOCK}) {
                  const int fd = ::open(path.constData(), flags);
                  if (fd >= 0)
                      ::close(fd);
              }
          })
    {
    }
    ~FifoRelease()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

void tryLogin(Program &p, const QString &name, const QString &typed)
{
    TForm9 *f = p.screens().login;
    p.screens().mainMenu->Show();
    f->Show();
    const QList<QListWidgetItem *> items = f->ListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    f->ListBox1->setCurrentItem(items.first());
    recorder().clear();
    f->Edit1->setText(typed);
    QTest::keyClick(f->Edit1, Qt::Key_Return);
}

// Runs step at each showing of a modal dialog, from inside its loop, and closes the dialog after
// it, so that a dialog that should never have come up fails the test instead of hanging it.
class AtEachShowing : public QObject {
public:
    AtEachShowing(Screen *dialog, std::function<void()> step) : dialog_(dialog), step_(std::move(step)) { dialog->installEventFilter(this); }
    int shown = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            ++shown;
            QTimer::singleShot(0, this, [this] {
                if (step_)
                    step_();
                dialog_->close();
            });
        }
        return false;
    }

private:
    Screen *dialog_;
    std::function<void()> step_;
};
} // namespace

class TestLinksAndFifos : public QObject {
    Q_OBJECT
private slots:
    void loginListHasOnlyTheFolderFiles();
    void loginRefusesOddPasswordFiles_data();
    void loginRefusesOddPasswordFiles();
    void gradeChoiceRefusesOddSettings_data();
    void gradeChoiceRefusesOddSettings();
    void endlessSettingsFileInAProcess();
    void drillLineNeverLeavesTheFolder();
    void teacherFilesRefusedAsLinks_data();
    void teacherFilesRefusedAsLinks();
};

void TestLinksAndFifos::loginListHasOnlyTheFolderFiles()
{
    Program p;
    QTemporaryDir outside;
    faults::writeBytes(outside.filePath(QStringLiteral("diary.dat")), "private\r\n");
    addUser(p, QStringLiteral("たろう"), {}, std::nullopt);
    QVERIFY(QFile::link(outside.filePath(QStringLiteral("diary.dat")), p.path(QStringLiteral("user/evil.dat"))));
    QVERIFY(::mkfifo(QFile::encodeName(p.path(QStringLiteral("user/fifo.dat"))).constData(), 0644) == 0);
    QVERIFY(QDir().mkpath(p.path(QStringLiteral("user/folder.dat"))));
    p.screens().mainMenu->Show();
    p.screens().login->Show();
    QCOMPARE(listed(p.screens().login->ListBox1), QStringList{QStringLiteral("たろう")});
    p.screens().login->Close();
}

void TestLinksAndFifos::loginRefusesOddPasswordFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reason");
    // A link to a file elsewhere: its first line must not serve as a password.
    QTest::newRow("link to a file elsewhere") << "link" << "secret" << pz::reason::isLink();
    QTest::newRow("FIFO: the login must not wait for a writer") << "fifo" << "x" << pz::reason::notRegular();
    QTest::newRow("empty: an empty typing must not log in") << "empty" << "" << pz::reason::damaged();
    QTest::newRow("only CR LF") << "crlf" << "" << pz::reason::damaged();
}

void TestLinksAndFifos::loginRefusesOddPasswordFiles()
{
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QString, reason);
    Program p;
    QTemporaryDir outside;
    addUser(p, QStringLiteral("はなこ"), {}, std::nullopt);
    const QString psw = p.path(QStringLiteral("user/はなこ.psw"));
    std::unique_ptr<FifoRelease> release;
    if (kind == QLatin1String("link")) {
        faults::writeBytes(outside.filePath(QStringLiteral("other.txt")), "secret\r\n");
        QVERIFY(QFile::link(outside.filePath(QStringLiteral("other.txt")), psw));
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(QFile::encodeName(psw).constData(), 0644) == 0);
        release = std::make_unique<FifoRelease>(psw);
    } else {
        faults::writeBytes(psw, kind == QLatin1String("crlf") ? QByteArray("\r\n") : QByteArray());
    }
    QElapsedTimer took;
    took.start();
    tryLogin(p, QStringLiteral("はなこ"), typed);
    const qint64 ms = took.elapsed();
    release.reset();
    QVERIFY2(ms < 2000, qPrintable(QStringLiteral("the login waited %1 ms").arg(ms)));
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("ファイル user/はなこ.psw を使えません。\n") + reason});
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY(!p.state().loggedIn);
    QVERIFY(p.screens().login->isVisible());
    p.screens().login->Close();
}

void TestLinksAndFifos::gradeChoiceRefusesOddSettings_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("FIFO") << "fifo" << pz::reason::notRegular();
    QTest::newRow("/dev/zero behind a link") << "zero" << pz::reason::isLink();
    QTest::newRow("a folder") << "folder" << pz::reasonFor(EISDIR);
}

void TestLinksAndFifos::gradeChoiceRefusesOddSettings()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    Program p;
    const QString settings = p.path(QStringLiteral("settei/settei.dat"));
    QVERIFY(QFile::remove(settings));
    std::unique_ptr<FifoRelease> release;
    if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(QFile::encodeName(settings).constData(), 0644) == 0);
        release = std::make_unique<FifoRelease>(settings);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), settings));
    } else {
        QVERIFY(QDir().mkpath(settings));
    }
    p.screens().mainMenu->Show();
    p.screens().mainMenu->setLoggedIn(true);
    p.screens().gradeSelection->Show();
    recorder().clear();
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    release.reset();
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("ファイル settei/settei.dat を使えません。\n") + reason});
    QVERIFY(!p.screens().briefing->isVisible());
    p.screens().gradeSelection->Close();
}

void TestLinksAndFifos::endlessSettingsFileInAProcess()
{
    // The same /dev/zero read in a process of its own with 512 MB of address space: a reader that
    // reads for ever fails there instead of taking the machine's memory.
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("settei"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("settei/settei.dat"))));
    faults::Helper h(dir.path(), {"--memory-limit", "512", "grade", "10"});
    const QString line = h.line(20000);
    QVERIFY2(h.finished(20000), "reading /dev/zero did not end");
    QCOMPARE(line, QStringLiteral("error ファイル settei/settei.dat を使えません。\n") + pz::reason::isLink());
}

void TestLinksAndFifos::drillLineNeverLeavesTheFolder()
{
    // A child's history that became a link to a file elsewhere: the result sheet's line is not
    // written there.
    Program p;
    QTemporaryDir outside;
    const QString target = outside.filePath(QStringLiteral("system.conf"));
    faults::writeBytes(target, "keep=1\r\n");
    QVERIFY(QFile::link(target, p.path(QStringLiteral("user/evil.dat"))));
    SharedState &s = p.state();
    s.userName = QStringLiteral("evil");
    s.gradeName = QStringLiteral("１０級");
    testsupport::playDrill(s, QList<int>(10, 5), QStringList(10, QStringLiteral("5")));
    TForm4 *sheet = p.screens().resultSheet;
    sheet->Show();
    sheet->startFill();
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->Timer1->isActive(), 10000);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("ファイル user/evil.dat を使えません。\n") + pz::reason::isLink() + kKeptAside});
    QCOMPARE(faults::readBytes(target), QByteArray("keep=1\r\n"));
    sheet->Close();
}

void TestLinksAndFifos::teacherFilesRefusedAsLinks_data()
{
    // The teacher's two files turned into links: to a file outside whose first line is empty (it
    // would read as "no master password"), or to nothing. No screen reads or writes through them.
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("dangling");
    QTest::addColumn<QString>("action");
    const QString master = QStringLiteral("user/master.psw"), settings = QStringLiteral("settei/settei.dat");
    QTest::newRow("main menu's check") << master << false << "menu";
    QTest::newRow("main menu's check, dangling link") << master << true << "menu";
    QTest::newRow("creation dialog's write") << master << false << "create";
    QTest::newRow("creation dialog's write, dangling link") << master << true << "create";
    QTest::newRow("先生用 entry") << master << false << "entry";
    QTest::newRow("deletion from the main menu") << master << false << "delete";
    QTest::newRow("settings editor's load") << settings << false << "load";
    QTest::newRow("settings editor's save") << settings << false << "save";
    QTest::newRow("settings editor's save, dangling link") << settings << true << "save";
    QTest::newRow("grade choice") << settings << false << "grade";
}

void TestLinksAndFifos::teacherFilesRefusedAsLinks()
{
    QFETCH(QString, file);
    QFETCH(bool, dangling);
    QFETCH(QString, action);
    Program p(action == QLatin1String("create") ? QByteArray() : QByteArray("teacher"));
    QTemporaryDir outside;
    const QString target = outside.filePath(QStringLiteral("notes.txt"));
    const QByteArray notes("\r\nnotes\r\n");
    if (!dangling)
        faults::writeBytes(target, notes);
    const auto plantLink = [&] {
        QVERIFY(QFile::remove(p.path(file)));
        QVERIFY(QFile::link(target, p.path(file)));
        recorder().clear();
    };
    addUser(p, QStringLiteral("たろう"), {}, std::nullopt);
    p.writeFile(QStringLiteral("user/たろう.psw"), "pw\r\n");

    AtEachShowing creation(p.screens().masterPasswordSetup, [&] {
        if (action != QLatin1String("create"))
            return;
        plantLink(); // between the check that found it empty and the Enter that writes it
        testsupport::type(p.screens().masterPasswordSetup->Edit1, QStringLiteral("teach"));
        QTest::keyClick(p.screens().masterPasswordSetup->Edit1, Qt::Key_Return);
        testsupport::type(p.screens().masterPasswordSetup->Edit2, QStringLiteral("teach"));
        QTest::keyClick(p.screens().masterPasswordSetup->Edit2, Qt::Key_Return);
        QVERIFY(p.screens().masterPasswordSetup->isVisible());
        QCOMPARE(recorder().boxes.size(), 1);
    });
    p.screens().mainMenu->Show();
    if (action != QLatin1String("create") && action != QLatin1String("save"))
        plantLink();

    if (action == QLatin1String("menu")) {
        p.screens().registration->Show();
        p.screens().registration->Close(); // the main menu is active again and checks the file
    } else if (action == QLatin1String("entry")) {
        p.screens().masterPasswordEntry->Show();
        QTest::keyClick(p.screens().masterPasswordEntry->Edit1, Qt::Key_Return);
        QVERIFY(p.screens().masterPasswordEntry->isVisible());
    } else if (action == QLatin1String("delete")) {
        p.state().userName = QStringLiteral("たろう");
        p.screens().mainMenu->setLoggedIn(true);
        p.screens().userDeletion->Show();
        QTest::keyClick(p.screens().userDeletion->Edit1, Qt::Key_Return);
        QVERIFY(QFileInfo::exists(p.path(QStringLiteral("user/たろう.dat"))));
    } else if (action == QLatin1String("load") || action == QLatin1String("save")) {
        TForm17 *editor = p.screens().settingsEditor;
        p.screens().studentsRecords->Show();
        if (action == QLatin1String("save")) { // opened with the file in place, then saved over a link
            QTest::mouseClick(p.screens().studentsRecords->Label4, Qt::LeftButton);
            QCOMPARE(editor->Edit[0]->text(), QStringLiteral("1"));
            plantLink();
            QTest::mouseClick(editor->Label28, Qt::LeftButton);
        } else {
            QTest::mouseClick(p.screens().studentsRecords->Label4, Qt::LeftButton);
            QCOMPARE(editor->Edit[0]->text(), QString()); // nothing read from the link
        }
        QVERIFY(editor->isVisible());
    } else if (action == QLatin1String("grade")) {
        p.screens().mainMenu->setLoggedIn(true);
        p.screens().gradeSelection->Show();
        QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
        QVERIFY(!p.screens().briefing->isVisible());
    }
    QCOMPARE(creation.shown, action == QLatin1String("create") ? 1 : 0);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("ファイル %1 を使えません。\n").arg(file) + pz::reason::isLink()});
    QVERIFY(!p.screens().studentsRecords->isVisible() || action == QLatin1String("load") || action == QLatin1String("save"));
    QCOMPARE(faults::readBytes(target), dangling ? QByteArray("<missing>") : notes);
    QVERIFY(QFileInfo(p.path(file)).isSymLink());
}

PZ_GUI_TEST_MAIN(TestLinksAndFifos)
#include "tst_faults_links.moc"
