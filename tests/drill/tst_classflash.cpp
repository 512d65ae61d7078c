// みんなでフラッシュ through the real screens: from the teacher's screen to the choice, the set flashed
// question by question (Enter, Space, Esc asked and declined), its answers with each question's
// pace, the numbers of one, a replay measured again, the paper saved or refused; what the choice
// refuses; Esc leaving. The set's numbers are 10級 0042's with the installed settings.
#include "support/eventloop.h"
#include "support/studentsrecords.h"

#include "drill/classanswers.h"
#include "drill/classchoose.h"
#include "drill/classpaper.h"
#include "drill/classshow.h"
#include "drill/numberlabel.h"
#include "drill/reviewpanel.h"
#include "kit/saveflow.h"
#include "kit/widgets.h"
#include "settings/rand.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <map>

using testsupport::Program;
using testsupport::recorder;

namespace {
void click(QWidget *screen, const QString &name)
{
    auto *w = screen->findChild<QWidget *>(name);
    QVERIFY2(w && w->isVisible(), qPrintable(name));
    QTest::mouseClick(w, Qt::LeftButton);
}

TClassChoose *openChoice(Program &p)
{
    studentsrecords::open(p);
    click(p.screens().studentsRecords, QStringLiteral("Label10"));
    p.screens().classShow->Timer1->setInterval(10); // the countdown, quick
    return p.screens().classChoose;
}

QString listing(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f = it.nextFileInfo();
        out << QStringLiteral("%1 %2 %3").arg(f.filePath()).arg(f.size()).arg(f.lastModified().toMSecsSinceEpoch());
    }
    out.sort();
    return out.join(QLatin1Char('\n'));
}
} // namespace

class TestClassFlash : public QObject {
    Q_OBJECT
private slots:
    void throughTheRoom()
    {
        Program p;
        TClassChoose *choose = openChoice(p);
        QCOMPARE(p.app().activeScreen(), choose);
        QVERIFY(classset::parseSetNumber(choose->SetNumber->text()));
        QVERIFY(!choose->OtherDisplay->isVisible() && !choose->DisplayCaption->isVisible()); // one display
        TClassShow *show = p.screens().classShow;
        TClassAnswers *answers = p.screens().classAnswers;
        auto *sequence = show->findChild<FlashSequence *>();
        QVERIFY(sequence);

        // Every flash is painted at the moment it is due, but for the ones made late here.
        QObject scope;
        QList<int> flashed;
        std::map<int, std::chrono::milliseconds> late{{3, std::chrono::milliseconds(25)}};
        pace::Clock::time_point clock{std::chrono::seconds(100)};
        show->setPaceClock([&clock] { return clock; });
        connect(sequence, &FlashSequence::flashDue, &scope, [&](int flash, pace::Clock::time_point due) {
            clock = due + (late.count(flash) ? late[flash] : std::chrono::milliseconds(0));
        });
        connect(sequence, &FlashSequence::showNumber, &scope, [&](int n) { flashed << n; });

        click(choose, QStringLiteral("Grade9"));
        click(choose, QStringLiteral("Grade10"));
        QCOMPARE(choose->grade(), 10);
        choose->Questions->setValue(2);
        choose->SetNumber->setText(QStringLiteral("００４２"));
        click(choose, QStringLiteral("StartLabel"));
        QCOMPARE(choose->SetNumber->text(), QStringLiteral("0042"));
        QCOMPARE(p.app().activeScreen(), show);
        QCOMPARE(show->Between->text(), QStringLiteral("1問目"));
        // The settings change while the set is up: the set was read when it started.
        p.writeSettings(QStringList{QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("5")}
                        + settings::defaultSettingsLines().mid(3));
        const QString room = listing(p.path(QStringLiteral(".")));

        QTest::keyClick(show, Qt::Key_Return);
        QVERIFY(runUntil([&] { return show->step() == TClassShow::Step::Waiting; }, 20000));
        QCOMPARE(flashed, (QList<int>{3, 7, 1, 7}));
        QCOMPARE(show->Between->text(), QStringLiteral("2問目"));
        late.clear(); // the second question on time
        // Esc asks; declined, the room waits as before.
        recorder().clear();
        recorder().nextAnswer = false;
        QTest::keyClick(show, Qt::Key_Escape);
        QCOMPARE(recorder().texts(), QStringList{QStringLiteral("みんなでフラッシュをやめますか？")});
        // The teacher goes on with Enter or Space: neither may answer yes.
        QVERIFY(!recorder().boxes[0].yesByDefault);
        QCOMPARE(show->step(), TClassShow::Step::Waiting);
        // Mid-question: declined, the question starts again from its countdown, the same numbers.
        QTest::keyClick(show, Qt::Key_Space);
        QVERIFY(runUntil([&] { return flashed.size() == 6; }, 20000));
        QTest::keyClick(show, Qt::Key_Escape);
        QCOMPARE(show->step(), TClassShow::Step::Countdown);
        QVERIFY(show->Number->text().isEmpty());
        QVERIFY(runUntil([&] { return p.app().activeScreen() == answers; }, 20000));
        QCOMPARE(flashed.mid(6), (QList<int>{2, 8, 2, 9}));
        QVERIFY(!p.app().isOpen(show));

        // The answers, and how each question was paced.
        QCOMPARE(answers->Title->text(), QStringLiteral("答え　１０級　セット番号 0042"));
        QCOMPARE(answers->Rows[0].sum->text(), QStringLiteral("18"));
        QCOMPARE(answers->Rows[1].sum->text(), QStringLiteral("21"));
        QVERIFY(!answers->Rows[2].sum->isVisible());
        QCOMPARE(answers->Rows[0].pace->text(), QStringLiteral("ずれあり　最大 25.0 ms"));
        QCOMPARE(answers->Rows[1].pace->text(), QStringLiteral("ずれなし　最大 0.0 ms"));
        QTest::mouseClick(answers->Rows[0].sum, Qt::LeftButton);
        QVERIFY(answers->Panel->isVisible());
        QCOMPARE(answers->Panel->Title->text(), QStringLiteral("1問目"));
        QStringList numbers;
        for (int r = 0; r < answers->Panel->Numbers->rowCount(); ++r)
            numbers << answers->Panel->Numbers->item(r, 1)->text();
        QCOMPARE(numbers.join(QLatin1Char(' ')), QStringLiteral("3 7 1 7"));
        QCOMPARE(answers->Panel->SumLine->text(), QStringLiteral("こたえ　18"));

        // The second question again, its pace measured again.
        late = {{2, std::chrono::milliseconds(40)}};
        click(answers, QStringLiteral("Again2"));
        QCOMPARE(p.app().activeScreen(), show);
        QVERIFY(runUntil([&] { return p.app().activeScreen() == answers; }, 20000));
        QCOMPARE(flashed.mid(10), (QList<int>{2, 8, 2, 9}));
        QCOMPARE(answers->Rows[1].pace->text(), QStringLiteral("ずれあり　最大 40.0 ms"));
        QCOMPARE(answers->Rows[0].pace->text(), QStringLiteral("ずれあり　最大 25.0 ms"));
        QCOMPARE(listing(p.path(QStringLiteral("."))), room);

        // The paper: where the teacher says, never into the classroom.
        QTemporaryDir out;
        QString where = out.filePath(QStringLiteral("k.pdf"));
        QString suggested;
        saveflow::setChooser([&](const QString &s) { suggested = s; return where; });
        recorder().clear();
        click(answers, QStringLiteral("KeyLabel"));
        QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("答え-１０級-0042.pdf"));
        QFile saved(where);
        QVERIFY(saved.open(QIODevice::ReadOnly) && saved.read(4) == "%PDF");
        where = p.path(QStringLiteral("user/k.pdf"));
        click(answers, QStringLiteral("SheetLabel"));
        saveflow::setChooser({});
        QCOMPARE(recorder().boxes.size(), 2);
        QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Info);
        QVERIFY(recorder().boxes[0].text.startsWith(QStringLiteral("「答え」（１０級　セット番号 0042）を保存しました。")));
        QCOMPARE(recorder().boxes[1].kind, dialogs::Kind::Warning);
        QVERIFY(!QFileInfo::exists(where));
        QCOMPARE(listing(p.path(QStringLiteral("."))), room);

        // Back at the choice, a new set is offered.
        click(answers, QStringLiteral("BackLabel"));
        QCOMPARE(p.app().activeScreen(), choose);
        QVERIFY(choose->SetNumber->text() != QStringLiteral("0042"));
        show->setPaceClock({});
    }

    void refused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("tenthGrade"); // 10級's digits, count, seconds
        QTest::addColumn<QString>("said");
        const QString badSet = QStringLiteral("セット番号は 0000 から 9999 までの4けたの数にしてください。");
        QTest::newRow("letters") << "x12" << "1 4 4" << badSet;
        QTest::newRow("nothing") << "" << "1 4 4" << badSet;
        QTest::newRow("a sign") << "-1" << "1 4 4" << badSet;
        QTest::newRow("four digits a number") << "0042" << "4 4 4" << QStringLiteral("「１０級」の設定ではフラッシュできません。\n桁数が 4");
        QTest::newRow("too fast") << "42" << "1 4 0.001" << QStringLiteral("「１０級」の設定ではフラッシュできません。\n4口を 0.001秒で");
    }
    void refused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, tenthGrade);
        QFETCH(QString, said);
        Program p;
        p.writeSettings(tenthGrade.split(QLatin1Char(' ')) + settings::defaultSettingsLines().mid(3));
        TClassChoose *choose = openChoice(p);
        bool asked = false;
        saveflow::setChooser([&](const QString &) { asked = true; return QString(); });
        for (const char *button : {"StartLabel", "KeyLabel"}) {
            recorder().clear();
            choose->SetNumber->setText(typed);
            click(choose, QString::fromLatin1(button));
            QCOMPARE(recorder().boxes.size(), 1);
            QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Warning);
            QVERIFY2(recorder().boxes[0].text.startsWith(said), qPrintable(recorder().boxes[0].text));
            QCOMPARE(p.app().activeScreen(), choose);
        }
        saveflow::setChooser({});
        QVERIFY(!asked);
    }

    void escapeLeaves()
    {
        Program p;
        TClassChoose *choose = openChoice(p);
        TClassShow *show = p.screens().classShow;
        choose->ByPause->setChecked(true);
        choose->PauseSeconds->setValue(1);
        click(choose, QStringLiteral("StartLabel"));
        QCOMPARE(show->Hint->text(), QStringLiteral("あと 1 秒で はじめます（Enter / スペースで すぐに）"));
        // The pause ends by itself; Esc in the countdown, and yes.
        QVERIFY(runUntil([&] { return show->step() == TClassShow::Step::Countdown; }, 5000));
        recorder().nextAnswer = true;
        QTest::keyClick(show, Qt::Key_Escape);
        QVERIFY(!p.app().isOpen(show));
        QCOMPARE(p.app().activeScreen(), choose);
        QCOMPARE(show->step(), TClassShow::Step::Idle);
        QVERIFY(!show->Timer1->isActive() && !show->PauseTimer->isActive());
        QVERIFY(!p.app().isOpen(p.screens().classAnswers));
    }
};

PZ_GUI_TEST_MAIN(TestClassFlash)
#include "tst_classflash.moc"
