// Message boxes stay on the screen whatever text a damaged file puts in them.
#include "support/testmain.h"

#include "kit/dialogs.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTimer>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void boxFitsTheScreen_data();
    void boxFitsTheScreen();
    void ordinaryTextsUnchanged_data();
    void ordinaryTextsUnchanged();
    void lineEnds_data();
    void lineEnds();
    void qtButtonsInJapanese();
    void questionAnswers_data();
    void questionAnswers();
    void boxTypeMatchesTheProgram();
};

// A question on the screen, answered by a key or a click: only an answer chosen on purpose is yes.
void TestDialogs::questionAnswers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("yes");
    QTest::newRow("Enter") << "Return" << false;
    QTest::newRow("keypad Enter") << "Enter" << false;
    QTest::newRow("Space") << "Space" << false;
    QTest::newRow("Esc") << "Escape" << false;
    QTest::newRow("はい clicked") << "click yes" << true;
    QTest::newRow("いいえ clicked") << "click no" << false;
}

void TestDialogs::questionAnswers()
{
    QFETCH(QString, how);
    QFETCH(bool, yes);
    dialogs::setHook({}); // the real box
    QMessageBox *seen = nullptr;
    bool noDefault = false;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!seen)
            return;
        noDefault = seen->defaultButton() == seen->button(QMessageBox::No);
        QWidget *focus = seen->focusWidget() ? seen->focusWidget() : seen;
        if (how == QLatin1String("Return"))
            QTest::keyClick(focus, Qt::Key_Return);
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == QLatin1String("Space"))
            QTest::keyClick(focus, Qt::Key_Space);
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(focus, Qt::Key_Escape);
        else
            QTest::mouseClick(seen->button(how == QLatin1String("click yes") ? QMessageBox::Yes : QMessageBox::No),
                              Qt::LeftButton);
    });
    // Whatever happens above, the box must not stay up.
    QTimer::singleShot(3000, [] {
        if (QWidget *w = QApplication::activeModalWidget())
            w->close();
    });
    const bool answer = dialogs::ask(QStringLiteral("検定用ぴかざん"), QStringLiteral("みんなでフラッシュをやめますか？"));
    testsupport::install();
    QVERIFY(seen);
    QVERIFY(noDefault);
    QCOMPARE(answer, yes);
}

// The boxes in the program's type, not Qt's small default: the text as large as a field's hint.
void TestDialogs::boxTypeMatchesTheProgram()
{
    dialogs::setHook({});
    int textPx = 0, buttonPx = 0;
    QTimer::singleShot(0, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
                textPx = QFontInfo(label->font()).pixelSize();
            buttonPx = QFontInfo(box->button(QMessageBox::Ok)->font()).pixelSize();
            box->close();
        }
    });
    dialogs::inform(QStringLiteral("登録しました"));
    testsupport::install();
    QCOMPARE(textPx, 20);
    QCOMPARE(buttonPx, 20);
}

// Qt's own dialogs (the save dialog, its overwrite question) speak Japanese whatever the locale.
void TestDialogs::qtButtonsInJapanese()
{
    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QVERIFY(buttons.button(QDialogButtonBox::Save)->text().startsWith(QStringLiteral("保存"))); // "(&S)" on X11
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
}

void TestDialogs::boxFitsTheScreen_data()
{
    QTest::addColumn<QString>("text");
    QStringList values;
    for (int i = 0; i < 20; ++i)
        values << QStringLiteral("3") << QStringLiteral("10") << QStringLiteral("4.5");
    // What the settings accessors once quoted for a file with CR-only line ends: a 259x898 box.
    QTest::newRow("CR-only settings file quoted whole")
        << QStringLiteral("'%1' は正しい数値ではありません。").arg(values.join(QLatin1Char('\r')));
    QTest::newRow("2,000 lines") << QStringLiteral("行\n").repeated(2000);
    QTest::newRow("5,000 kanji on one line") << QStringLiteral("漢").repeated(5000);
    QTest::newRow("a path of 3,000 letters") << QStringLiteral("ファイル %1 を使えません。").arg(QString(3000, QLatin1Char('a')));
    QTest::newRow("the most the budget lets through: long kanji lines")
        << (QStringLiteral("漢").repeated(119) + QLatin1Char('\n')).repeated(10);
    QTest::newRow("40 long lines") << (QString(200, QLatin1Char('x')) + QLatin1Char('\n')).repeated(40);
}

void TestDialogs::boxFitsTheScreen()
{
    QFETCH(QString, text);
    // Built as every box of the program is: title, error icon, OK.
    QMessageBox box;
    box.setFont(dialogs::boxFont());
    box.setWindowTitle(App::title());
    box.setTextFormat(Qt::PlainText);
    box.setText(dialogs::fitText(text));
    box.setIcon(QMessageBox::Critical);
    box.setStandardButtons(QMessageBox::Ok);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    // The program switches the display to 800x600; the test platform's screen may be larger.
    const QRect screen = box.screen()->availableGeometry().intersected(QRect(0, 0, 800, 600));
    QVERIFY2(box.width() <= screen.width() && box.height() <= screen.height(),
             qPrintable(QStringLiteral("box %1x%2 on a screen of %3x%4").arg(box.width()).arg(box.height())
                            .arg(screen.width()).arg(screen.height())));
    QAbstractButton *ok = box.button(QMessageBox::Ok);
    box.move(screen.topLeft());
    const QRect okRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
    QVERIFY2(screen.contains(okRect), "the OK button lies off the screen");
    box.close();
}

void TestDialogs::ordinaryTextsUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("a warning") << QStringLiteral("なまえとパスワードをいれてください");
    QTest::newRow("two lines") << QStringLiteral("「たろう」というなまえはもうつかわれています。\nほかのなまえにしてください");
    QTest::newRow("an error naming a file")
        << QStringLiteral("ファイル user/やまだ　たろう.psw を使えません。\nディスクの空きが足りません。");
    QTest::newRow("a settings error")
        << QStringLiteral("settei/settei.dat の 3 行目（１０級の秒数）の「abc」は正しい数値ではありません。");
}

void TestDialogs::ordinaryTextsUnchanged()
{
    QFETCH(QString, text);
    QCOMPARE(dialogs::fitText(text), text);
}

void TestDialogs::lineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("CR LF ends a line") << "a\r\nb" << "a\nb";
    QTest::newRow("CR-only line ends keep the values apart") << "1\r4\r4.5" << "1 4 4.5";
    QTest::newRow("eleven lines: the tenth says more follows") << QStringLiteral("x\n").repeated(10) + QStringLiteral("x")
                                                               << QStringLiteral("x\n").repeated(9) + QStringLiteral("…");
}

void TestDialogs::lineEnds()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(dialogs::fitText(text), shown);
}

PZ_GUI_TEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
