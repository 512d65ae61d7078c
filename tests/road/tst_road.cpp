// The whole road of one drill, as a child walks it, in real time through the real screens and
// timers: register, log in, れんしゅうする, choose a grade, answer ten flashed questions, see the
// verdict and the result sheet, and find the drill's line in the history file.
#include "support/testmain.h"
#include "drill/drillsession.h"

#include "drill/dkhyouji.h"
#include "drill/kotae.h"
#include "drill/kotaeinput.h"
#include "drill/option.h"
#include "drill/start.h"
#include "drill/success.h"
#include "platform/textfile.h"
#include "kit/CuteBtn.h"
#include "shell/main.h"
#include "users/regist.h"
#include "users/usrselect.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

using testsupport::Program;
using testsupport::recorder;

class TestRoad : public QObject {
    Q_OBJECT
private slots:
    void oneDrillFromRegistrationToHistory();
};

void TestRoad::oneDrillFromRegistrationToHistory()
{
    Program p;
    p.writeQuickTenthGrade();
    Screens &s = p.screens();
    s.mainMenu->Show();

    // Register.
    QTest::mouseClick(s.mainMenu->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QVERIFY(s.registration->isVisible());
    s.registration->Edit1->insert(QStringLiteral("はなこ")); // as an input method would commit it
    QTest::keyClicks(s.registration->Edit2, QStringLiteral("pass1"));
    QTest::mouseClick(s.registration->CuteButton1, Qt::LeftButton);
    QCOMPARE(recorder().texts(), QStringList{QStringLiteral("登録しました")});
    QVERIFY(!s.registration->isVisible());
    QCOMPARE(p.readFile("user/はなこ.dat"), QByteArray("\x8b\x89/\x92\x69,\x93\xfa\x95\x74,\x90\xb3\x89\xf0\x90\x94,"
                                                     "\x95\x73\x90\xb3\x89\xf0\x90\x94,\x8d\x87\x94\xdb\r\n"));

    // Log in.
    QTest::mouseClick(s.mainMenu->findChild<QWidget *>("Label6"), Qt::LeftButton);
    QVERIFY(s.login->isVisible());
    QListWidget *list = s.login->ListBox1;
    const auto found = list->findItems(QStringLiteral("はなこ"), Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    list->setCurrentItem(found.first());
    QTest::keyClicks(s.login->Edit1, QStringLiteral("pass1"));
    QTest::keyClick(s.login->Edit1, Qt::Key_Return);
    QVERIFY(!s.login->isVisible());
    QVERIFY(p.state().loggedIn);
    QCOMPARE(p.state().userName, QStringLiteral("はなこ"));

    // Practise 10級.
    QTest::mouseClick(s.mainMenu->findChild<QWidget *>("Label3"), Qt::LeftButton);
    QVERIFY(s.gradeSelection->isVisible());
    QTest::mouseClick(s.gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QVERIFY(s.briefing->isVisible());
    QCOMPARE(s.briefing->Label2->text(), QStringLiteral("1桁2口1秒"));

    recorder().clear();
    QStringList sums;
    for (int q = 1; q <= 10; ++q) {
        QTRY_VERIFY_WITH_TIMEOUT(s.answerBox->isVisible(), 15000);
        QVERIFY(!s.mainMenu->isEnabled());
        QVERIFY(!s.gradeSelection->isEnabled());
        const DrillSession &d = *p.state().drill;
        QCOMPARE(d.questionNo(), q);
        const QList<int> numbers = d.question(q - 1).numbers;
        QCOMPARE(numbers.size(), 2);
        const int sum = numbers[0] + numbers[1];
        QCOMPARE(d.runningSum(), sum);
        QVERIFY(numbers[0] != numbers[1]);
        sums << QString::number(sum);
        // Questions 3 and 7 are answered wrongly; 8 right answers pass.
        const QString typed = (q == 3 || q == 7) ? QString::number(sum + 1) : QString::number(sum);
        QTest::keyClicks(s.answerBox->Edit1, typed);
        QTest::keyClick(s.answerBox->Edit1, Qt::Key_Return);
    }
    // Three countdown sounds per question, none after the tenth answer.
    QCOMPARE(recorder().count(sound::Cue::Countdown), 30);

    QVERIFY(s.verdictBanner->isVisible());
    QVERIFY(!s.flashScreen->isVisible());
    QCOMPARE(p.state().drill->verdict(), QStringLiteral("合格"));
    QTest::keyClick(s.verdictBanner, Qt::Key_Return);
    QVERIFY(s.resultSheet->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(p.readFile("user/はなこ.dat").count("\r\n") == 2, 5000);

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/M/dd"));
    const QByteArray expected = textfile::encode(QStringLiteral("１０級,%1,8,2,合格").arg(today)) + "\r\n";
    QVERIFY(p.readFile("user/はなこ.dat").endsWith(expected));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(p.state().drill->correctAnswer(i), sums[i]);

    // Back to the grade screen, ready for the next drill; nothing more is appended.
    QTest::mousePress(s.resultSheet->findChild<QWidget *>("Image1"), Qt::LeftButton);
    QVERIFY(!s.resultSheet->isVisible());
    QCOMPARE(p.app().activeScreen(), s.gradeSelection);
    QVERIFY(s.gradeSelection->isEnabled());
    QVERIFY(s.mainMenu->isEnabled());
    QTest::qWait(200);
    QCOMPARE(p.readFile("user/はなこ.dat").count("\r\n"), 2);
}

PZ_GUI_TEST_MAIN(TestRoad)
#include "tst_road.moc"
