// The registration dialog: its controls and tab order, Enter moving the focus, the refusals (empty
// fields, a name in use, unusable names) that write nothing, the two files of a registration, and
// emptying the fields however it closes.
#include "support/testmain.h"

#include "platform/textfile.h"
#include "kit/CuteBtn.h"
#include "shell/main.h"
#include "users/regist.h"
#include "users/userstore.h"
#include "users/usrselect.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>

using testsupport::Program;
using testsupport::recorder;
using testsupport::type;

namespace {
const QByteArray kHeaderBytes = QByteArray::fromHex("8b892f92692c93fa95742c90b389f090942c957390b389f090942c8d8794db") + "\r\n";

// Text as the input method hands it over once the child confirms the conversion.
void commitText(QWidget *w, const QString &text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(w, &e);
}

QStringList userFolder()
{
    QStringList entries = QDir(testsupport::inRoom(QStringLiteral("user"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

void verifyWarning(const QString &text)
{
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
    QCOMPARE(recorder().boxes[0].text, text);
    QCOMPARE(recorder().count(sound::Cue::Exclamation), 1);
}
} // namespace

class TestRegist : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void buttonLooks();
    void focusAndEnter();
    void buttonsIdleWhenReopened_data();
    void buttonsIdleWhenReopened();
    void registers_data();
    void registers();
    void refused_data();
    void refused();
    void nameInUse();
    void closingEmptiesFields_data();
    void closingEmptiesFields();
    void failedRegistrationLeavesNothing();
    void missingUserFolder();
    void newUserCanLogIn();
};

void TestRegist::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    layoutRow("Label1", {16, 16}, {}, QStringLiteral("なまえ"), 24, Qt::white, 1);
    layoutRow("Label2", {16, 112}, {}, QStringLiteral("パスワード"), 24, Qt::white, 1);
    layoutRow("Edit1", {16, 40}, {465, 56}, QString(), 48, QColor(), 1);
    layoutRow("Edit2", {16, 136}, {465, 56}, QString(), 48, QColor(), 1);
    layoutRow("CuteButton1", {16, 208}, {169, 41}, QString(), 24, QColor(), 1);
    layoutRow("CuteButton2", {312, 208}, {169, 41}, QString(), 24, QColor(), 1);
}

void TestRegist::layout()
{
    Program p;
    TForm7 *f = p.screens().registration;
    testsupport::checkLayoutRow(f);
    QCOMPARE(f->windowTitle(), QStringLiteral("とうろく"));
    QCOMPARE(f->size(), QSize(499, 264));
    QCOMPARE(f->pos(), QPoint(201, 142));
    QCOMPARE(f->palette().color(QPalette::Window), QColor(0, 0, 160));

    struct Field { const char *name; bool inputMethod; };
    for (const Field &e : {Field{"Edit1", true}, Field{"Edit2", false}}) {
        auto *edit = f->findChild<QLineEdit *>(QString::fromLatin1(e.name));
        QVERIFY2(edit, e.name);
        QCOMPARE(edit->echoMode(), QLineEdit::Normal); // the password too is shown in clear
        QCOMPARE(edit->testAttribute(Qt::WA_InputMethodEnabled), e.inputMethod);
    }

    struct Button { const char *name; const char *caption; };
    for (const Button &b : {Button{"CuteButton1", "とうろくする"}, Button{"CuteButton2", "とじる"}}) {
        auto *btn = f->findChild<TCuteButton *>(QString::fromLatin1(b.name));
        QVERIFY2(btn, b.name);
        QCOMPARE(btn->Caption(), QString::fromUtf8(b.caption));
        QCOMPARE(btn->Color(), QColor(Qt::white));
        QCOMPARE(btn->BorderStyle(), TCuteButton::BorderStyle::Single);
        QCOMPARE(btn->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(btn->palette().color(QPalette::ButtonText), QColor(Qt::black));
        QVERIFY(!btn->EgnoreContClick());
        QVERIFY(!btn->Flat());
        QVERIFY(!btn->ShowFocusRect());
        QVERIFY(!btn->UseDisabledColor());
    }
}

// The two buttons in their looks, under a dark system palette whose button text is light: the
// caption stays black on the white face. Saved as PNG files when PZ_SHOT_DIR is set.
void TestRegist::buttonLooks()
{
    const QPalette systemPalette = QApplication::palette();
    auto restore = qScopeGuard([&] { QApplication::setPalette(systemPalette); });
    QPalette dark = systemPalette;
    dark.setColor(QPalette::Button, QColor(40, 40, 40));
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::WindowText, Qt::white);
    QApplication::setPalette(dark);

    Program p;
    TForm7 *f = p.screens().registration;
    p.screens().mainMenu->Show();
    f->Show();
    QVERIFY(QTest::qWaitForWindowActive(f));
    const QString dir = qEnvironmentVariable("PZ_SHOT_DIR");
    auto shot = [&](TCuteButton *b, const QString &name) {
        QApplication::processEvents();
        const QImage img = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (!dir.isEmpty())
            img.save(dir + QStringLiteral("/regist-%1-%2.png").arg(b->objectName(), name));
        return img;
    };
    // Pixels of the caption: within the caption rectangle, dark enough to be ink on the white face.
    auto inkPixels = [](const QImage &img, const QRect &r, const QColor &ink) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += QColor(img.pixel(x, y)) == ink;
        return n;
    };
    for (TCuteButton *b : {f->CuteButton1, f->CuteButton2}) {
        const QPoint away(f->width() - 5, 5);
        QTest::mouseMove(f->windowHandle(), away);
        QTRY_COMPARE(b->BevelOuter(), TCuteButton::BevelCut::None);
        const QImage idle = shot(b, QStringLiteral("idle"));
        QVERIFY2(inkPixels(idle, b->captionRect(), Qt::black) > 20, qPrintable(b->objectName()));
        QCOMPARE(QColor(idle.pixel(0, 0)), QColor(Qt::black));     // the single border
        QCOMPARE(QColor(idle.pixel(3, 3)), QColor(Qt::white));     // the face
        QTest::mouseMove(f->windowHandle(), b->geometry().center());
        QTRY_COMPARE(b->BevelOuter(), TCuteButton::BevelCut::Raised);
        const QImage hovered = shot(b, QStringLiteral("hovered"));
        QTest::mousePress(f->windowHandle(), Qt::LeftButton, {}, b->geometry().center());
        QCOMPARE(b->BevelOuter(), TCuteButton::BevelCut::Lowered);
        const QImage pressed = shot(b, QStringLiteral("pressed"));
        QVERIFY(inkPixels(pressed, b->captionRect(), Qt::black) > 20);
        // Released away from the button: no click, the focus stays and shows.
        QTest::mouseMove(f->windowHandle(), away);
        QTest::mouseRelease(f->windowHandle(), Qt::LeftButton, {}, away);
        QVERIFY(p.app().isOpen(f));
        QCOMPARE(QApplication::focusWidget(), b);
        QTRY_COMPARE(b->BevelOuter(), TCuteButton::BevelCut::Raised);
        const QImage focused = shot(b, QStringLiteral("focused"));
        f->Edit1->setFocus();
        QCOMPARE(b->BevelOuter(), TCuteButton::BevelCut::None);
        b->setEnabled(false);
        const QImage disabled = shot(b, QStringLiteral("disabled"));
        b->setEnabled(true);
        QVERIFY(idle != hovered);
        QVERIFY(hovered != pressed);
        QCOMPARE(focused, hovered);
        QVERIFY(idle != disabled);
        QCOMPARE(inkPixels(disabled, b->captionRect(), Qt::black), 0); // embossed, not black
    }
    QVERIFY(recorder().boxes.isEmpty());
}

void TestRegist::focusAndEnter()
{
    Program p;
    TForm7 *f = p.screens().registration;
    p.screens().mainMenu->Show();
    f->Show();
    QVERIFY(QTest::qWaitForWindowActive(f));
    QCOMPARE(QApplication::focusWidget(), f->Edit1);

    // Tab order: name, password, とじる, とうろくする, and round again.
    const QList<QWidget *> order = {f->Edit1, f->Edit2, f->CuteButton2, f->CuteButton1, f->Edit1};
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }

    // Enter moves on and never registers by itself.
    commitText(f->Edit1, QStringLiteral("たろう"));
    QTest::keyClick(f->Edit1, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), f->Edit2);
    type(f->Edit2, QStringLiteral("abc"));
    QTest::keyClick(f->Edit2, Qt::Key_Enter); // the keypad's Enter too
    QCOMPARE(QApplication::focusWidget(), f->CuteButton1);
    QVERIFY(recorder().boxes.isEmpty());
    QCOMPARE(f->Edit1->text(), QStringLiteral("たろう"));
    QCOMPARE(f->Edit2->text(), QStringLiteral("abc"));
    QCOMPARE(userFolder(), QStringList{QStringLiteral("master.psw")});

    // The button answers Enter: the registration.
    QTest::keyClick(f->CuteButton1, Qt::Key_Return);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("登録しました")});
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.psw")), QByteArray("abc\r\n"));
    QVERIFY(!p.app().isOpen(f));

    // Opened again: empty fields, the focus on the name.
    f->Show();
    QCOMPARE(f->Edit1->text(), QString());
    QCOMPARE(f->Edit2->text(), QString());
    // The offscreen platform does not hand the activation back to a window shown again, so look at
    // the dialog's own focus child: the control that takes the keys once the dialog is active.
    QCOMPARE(f->focusWidget(), f->Edit1);
}

// However the dialog closed, its buttons show no hover, focus or press when it opens again.
void TestRegist::buttonsIdleWhenReopened_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("とじる clicked") << QStringLiteral("close click");
    QTest::newRow("Return on とじる") << QStringLiteral("close return");
    QTest::newRow("registered by a click") << QStringLiteral("register click");
    QTest::newRow("registered by Return") << QStringLiteral("register return");
}

void TestRegist::buttonsIdleWhenReopened()
{
    QFETCH(QString, how);
    Program p;
    TForm7 *f = p.screens().registration;
    p.screens().mainMenu->Show();
    for (int round = 0; round < 2; ++round) {
        f->Show();
        QVERIFY(QTest::qWaitForWindowActive(f));
        const QString name = QStringLiteral("なまえ%1").arg(round);
        commitText(f->Edit1, name);
        QTest::keyClick(f->Edit1, Qt::Key_Return);
        type(f->Edit2, QStringLiteral("abc"));
        QTest::keyClick(f->Edit2, Qt::Key_Return); // the focus on とうろくする
        TCuteButton *b = how.startsWith(QLatin1String("close")) ? f->CuteButton2 : f->CuteButton1;
        if (how.endsWith(QLatin1String("click"))) {
            QTest::mouseMove(f->windowHandle(), b->geometry().center());
            QTest::mouseClick(f->windowHandle(), Qt::LeftButton, {}, b->geometry().center());
        } else {
            b->setFocus(Qt::TabFocusReason);
            QTest::keyClick(b, Qt::Key_Return);
        }
        QVERIFY(!p.app().isOpen(f));
        QCOMPARE(QFileInfo::exists(testsupport::inRoom(QStringLiteral("user/") + name + QStringLiteral(".dat"))), how.startsWith(QLatin1String("register")));

        f->Show();
        QTest::qWait(20);
        QCOMPARE(f->focusWidget(), f->Edit1);
        QCOMPARE(f->CuteButton1->BevelOuter(), TCuteButton::BevelCut::None);
        QCOMPARE(f->CuteButton2->BevelOuter(), TCuteButton::BevelCut::None);
        f->Close();
    }
}

void TestRegist::registers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("passwordBytes");
    QTest::newRow("たろう / abc") << QStringLiteral("たろう") << QStringLiteral("abc") << QByteArray("abc\r\n");
    QTest::newRow("blank inside the name, blank-only password") << QStringLiteral("た ろう") << QStringLiteral("   ") << QByteArray("   \r\n");
    QTest::newRow("blanks around the name") << QStringLiteral(" はなこ ") << QStringLiteral("Pw 1") << QByteArray("Pw 1\r\n");
    QTest::newRow("kana password") << QStringLiteral("じろう") << QStringLiteral("はな") << QByteArray("\x82\xcd\x82\xc8\r\n");
}

void TestRegist::registers()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QByteArray, passwordBytes);
    Program p;
    TForm7 *f = p.screens().registration;
    p.screens().mainMenu->Show();
    f->Show();
    recorder().clear();
    commitText(f->Edit1, name);
    type(f->Edit2, password);
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);

    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Info);
    QCOMPARE(recorder().boxes[0].title, App::title());
    QCOMPARE(recorder().boxes[0].text, QStringLiteral("登録しました"));
    QCOMPARE(p.readFile(QStringLiteral("user/") + name + QStringLiteral(".dat")), kHeaderBytes);
    QCOMPARE(p.readFile(QStringLiteral("user/") + name + QStringLiteral(".psw")), passwordBytes);
    QCOMPARE(userstore::listUsers(), QStringList{name});
    QCOMPARE(f->Edit1->text(), QString());
    QCOMPARE(f->Edit2->text(), QString());
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QVERIFY(!p.state().loggedIn); // registering logs nobody in
}

void TestRegist::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("warning");
    const QString empty = QStringLiteral("なまえとパスワードをいれてください");
    QTest::newRow("empty name") << QString() << QStringLiteral("abc") << empty;
    QTest::newRow("empty password") << QStringLiteral("たろう") << QString() << empty;
    QTest::newRow("both empty") << QString() << QString() << empty;
    QTest::newRow("master") << QStringLiteral("Master") << QStringLiteral("abc") << QStringLiteral("「Master」はなまえにつかえません");
    QTest::newRow("slash") << QStringLiteral("../たろう") << QStringLiteral("abc") << QStringLiteral("なまえに「/」はつかえません");
    QTest::newRow("question mark") << QStringLiteral("たろう?") << QStringLiteral("abc") << QStringLiteral("なまえに「?」はつかえません");
    QTest::newRow("device") << QStringLiteral("con") << QStringLiteral("abc") << QStringLiteral("「con」はなまえにつかえません");
    QTest::newRow("trailing dot") << QStringLiteral("たろう.") << QStringLiteral("abc") << QStringLiteral("なまえのさいごに「.」はつかえません");
    QTest::newRow("too long") << QString(90, QChar(0x3042)) << QStringLiteral("abc") << QStringLiteral("なまえがながすぎます");
    QTest::newRow("outside cp932") << QStringLiteral("한") << QStringLiteral("abc") << QStringLiteral("なまえに「한」はつかえません");
}

void TestRegist::refused()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, warning);
    Program p;
    TForm7 *f = p.screens().registration;
    f->Show();
    recorder().clear();
    commitText(f->Edit1, name);
    type(f->Edit2, password);
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);

    verifyWarning(warning);
    QCOMPARE(userFolder(), QStringList{QStringLiteral("master.psw")});
    QCOMPARE(QDir(testsupport::inRoom(QStringLiteral("."))).entryList({QStringLiteral("*.dat"), QStringLiteral("*.psw")}, QDir::Files), QStringList());
    QCOMPARE(f->Edit1->text(), name);
    QCOMPARE(f->Edit2->text(), password);
    QVERIFY(p.app().isOpen(f));
}

void TestRegist::nameInUse()
{
    Program p;
    TForm7 *f = p.screens().registration;
    QCOMPARE(userstore::createUser(QStringLiteral("たろう"), QStringLiteral("abc")), QString());
    userstore::appendDrill(QStringLiteral("たろう"), QStringLiteral("１０級,2024/5/07,9,1,合格"));
    const QByteArray history = p.readFile(QStringLiteral("user/たろう.dat"));
    f->Show();
    recorder().clear();
    commitText(f->Edit1, QStringLiteral("たろう"));
    type(f->Edit2, QStringLiteral("xyz"));
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);

    verifyWarning(QStringLiteral("「たろう」というなまえはもうつかわれています。\nほかのなまえにしてください"));
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.dat")), history);
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.psw")), QByteArray("abc\r\n"));
    QVERIFY(p.app().isOpen(f));
    QCOMPARE(f->Edit1->text(), QStringLiteral("たろう"));
}

void TestRegist::closingEmptiesFields_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("とじる") << 0;
    QTest::newRow("close box") << 1;
    QTest::newRow("Enter on とじる") << 2;
}

void TestRegist::closingEmptiesFields()
{
    QFETCH(int, how);
    Program p;
    TForm7 *f = p.screens().registration;
    p.screens().mainMenu->Show();
    f->Show();
    commitText(f->Edit1, QStringLiteral("たろう"));
    type(f->Edit2, QStringLiteral("abc"));
    switch (how) {
    case 0: QTest::mouseClick(f->CuteButton2, Qt::LeftButton); break;
    case 1: f->close(); break;
    case 2: QTest::keyClick(f->CuteButton2, Qt::Key_Return); break;
    }
    QVERIFY(!p.app().isOpen(f));
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QCOMPARE(f->Edit1->text(), QString());
    QCOMPARE(f->Edit2->text(), QString());
    QCOMPARE(userFolder(), QStringList{QStringLiteral("master.psw")});
    QVERIFY(recorder().boxes.isEmpty());
}

void TestRegist::failedRegistrationLeavesNothing()
{
    Program p;
    TForm7 *f = p.screens().registration;
    QVERIFY(QDir().mkpath(testsupport::inRoom(QStringLiteral("user/たろう.psw")))); // the password file cannot be written
    f->Show();
    recorder().clear();
    commitText(f->Edit1, QStringLiteral("たろう"));
    type(f->Edit2, QStringLiteral("abc"));
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);

    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QCOMPARE(recorder().boxes[0].title, App::title());
    QVERIFY2(recorder().boxes[0].text.contains(QStringLiteral("たろう.psw")), qPrintable(recorder().boxes[0].text));
    QVERIFY(!QFileInfo::exists(testsupport::inRoom(QStringLiteral("user/たろう.dat"))));
    QCOMPARE(userstore::listUsers(), QStringList());
    QVERIFY(p.app().isOpen(f));
    QCOMPARE(f->Edit1->text(), QStringLiteral("たろう"));
    QCOMPARE(f->Edit2->text(), QStringLiteral("abc"));
}

void TestRegist::missingUserFolder()
{
    Program p;
    QVERIFY(QDir(testsupport::inRoom(QStringLiteral("user"))).removeRecursively());
    TForm7 *f = p.screens().registration;
    f->Show();
    recorder().clear();
    commitText(f->Edit1, QStringLiteral("たろう"));
    type(f->Edit2, QStringLiteral("abc"));
    QTest::mouseClick(f->CuteButton1, Qt::LeftButton);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("登録しました")});
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.dat")), kHeaderBytes);
    QCOMPARE(p.readFile(QStringLiteral("user/たろう.psw")), QByteArray("abc\r\n"));
}

void TestRegist::newUserCanLogIn()
{
    Program p;
    p.screens().mainMenu->Show();
    for (const auto &[name, password] : {std::pair{QStringLiteral("たろう"), QStringLiteral("abc")}, std::pair{QStringLiteral("はなこ"), QStringLiteral("xyz")}}) {
        p.screens().mainMenu->Label1Click();
        TForm7 *f = p.screens().registration;
        commitText(f->Edit1, name);
        type(f->Edit2, password);
        QTest::mouseClick(f->CuteButton1, Qt::LeftButton);
        QVERIFY(!p.app().isOpen(f));
    }
    p.screens().mainMenu->Label6Click();
    TForm9 *login = p.screens().login;
    QCOMPARE(login->ListBox1->count(), 2);
    QListWidgetItem *item = login->ListBox1->findItems(QStringLiteral("はなこ"), Qt::MatchExactly).value(0);
    QVERIFY(item);
    QTest::mouseClick(login->ListBox1->viewport(), Qt::LeftButton, {}, login->ListBox1->visualItemRect(item).center());
    type(login->Edit1, QStringLiteral("xyz"));
    QTest::keyClick(login->Edit1, Qt::Key_Return);
    QCOMPARE(p.state().userName, QStringLiteral("はなこ"));
    QVERIFY(p.state().loggedIn);
}

PZ_GUI_TEST_MAIN(TestRegist)
#include "tst_regist.moc"
