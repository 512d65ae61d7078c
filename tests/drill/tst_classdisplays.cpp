// みんなでフラッシュ on a desktop of two displays (an offscreen desktop of a 800×800 panel and a 1920×1080
// projector to its right), through the real screens: the choice of display, the set on the projector
// with the teacher's desk here (never a number on it), and the projector going away.
#include "support/eventloop.h"
#include "support/studentsrecords.h"

#include "drill/classanswers.h"
#include "drill/classchoose.h"
#include "drill/classdesk.h"
#include "drill/classshow.h"
#include "drill/numberlabel.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QWindow>

using testsupport::Program;
using testsupport::recorder;

namespace {
// The offscreen platform's desktop: its displays in the order of their names, the first the primary.
const char kDesktop[] = R"({"screens": [
    {"name": "PANEL", "x": 0, "y": 0, "width": 800, "height": 800, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "PROJECTOR", "x": 800, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";

QScreen *projector()
{
    for (QScreen *s : QGuiApplication::screens())
        if (s->name() == QLatin1String("PROJECTOR"))
            return s;
    return nullptr;
}

// The projector unplugged, as the desktop reports it (the offscreen platform cannot take a display away).
void unplug() { emit qGuiApp->screenRemoved(projector()); }

QString screenOf(QWidget *w) { return w->windowHandle() ? w->windowHandle()->screen()->name() : QString(); }

void click(QWidget *screen, const QString &name)
{
    auto *w = screen->findChild<QWidget *>(name);
    QVERIFY2(w && w->isVisible(), qPrintable(name));
    QTest::mouseClick(w, Qt::LeftButton);
}

// The choice, with 10級 quick (two numbers a second) and two questions.
TClassChoose *openChoice(Program &p)
{
    p.writeQuickTenthGrade();
    studentsrecords::open(p);
    click(p.screens().studentsRecords, QStringLiteral("Label10"));
    p.screens().classShow->Timer1->setInterval(10);
    TClassChoose *choose = p.screens().classChoose;
    choose->Questions->setValue(2);
    return choose;
}
} // namespace

class TestClassDisplays : public QObject {
    Q_OBJECT
private slots:
    void theChoiceFollowsTheDisplays()
    {
        Program p;
        TClassChoose *choose = openChoice(p);
        QVERIFY(choose->OtherDisplay->isVisible() && choose->ThisDisplay->isVisible());
        QVERIFY(choose->OtherDisplay->isChecked());
        QCOMPARE(choose->DisplayCaption->text(), QStringLiteral("うつす画面"));
        // この画面: as on one display, no desk.
        click(choose, QStringLiteral("ThisDisplay"));
        click(choose, QStringLiteral("StartLabel"));
        TClassShow *show = p.screens().classShow;
        QCOMPARE(p.app().activeScreen(), show);
        QCOMPARE(show->geometry(), QRect(0, 0, 800, 800));
        QVERIFY(!p.screens().classDesk->isVisible());
        recorder().nextAnswer = true;
        QTest::keyClick(show, Qt::Key_Escape);
        QCOMPARE(p.app().activeScreen(), choose);
    }

    void onTheProjector()
    {
        Program p;
        TClassChoose *choose = openChoice(p);
        TClassShow *show = p.screens().classShow;
        TClassDesk *desk = p.screens().classDesk;
        TClassAnswers *answers = p.screens().classAnswers;
        choose->SetNumber->setText(QStringLiteral("0042"));
        click(choose, QStringLiteral("StartLabel"));

        // The room's screen fills the projector, its layout centred there; the teacher has the desk.
        QCOMPARE(screenOf(show), QStringLiteral("PROJECTOR"));
        QCOMPARE(show->geometry(), QRect(800, 0, 1920, 1080));
        QCOMPARE(show->Between->geometry(), QRect(560, 240 + 120, 800, 260));
        QCOMPARE(show->Between->text(), QStringLiteral("1問目"));
        QCOMPARE(p.app().activeScreen(), desk);
        QCOMPARE(screenOf(desk), QStringLiteral("PANEL"));
        QCOMPARE(desk->Question->text(), QStringLiteral("1問目 ／ 2問"));
        QCOMPARE(desk->Doing->text(), QStringLiteral("Enter / スペースで はじめます"));
        QVERIFY(desk->findChildren<NumberLabel *>().isEmpty());

        // The teacher's keys at the desk move the room's screen; what the desk says, step by step.
        QStringList said;
        QObject scope;
        connect(show, &TClassShow::progressed, &scope, [&] {
            if (said.isEmpty() || said.last() != desk->Doing->text())
                said << desk->Doing->text();
        });
        QTest::keyClick(desk, Qt::Key_Space);
        QVERIFY(runUntil([&] { return show->step() == TClassShow::Step::Waiting; }, 20000));
        QCOMPARE(said, (QStringList{QStringLiteral("カウントダウン"), QStringLiteral("フラッシュ中"),
                                    QStringLiteral("Enter / スペースで はじめます")}));
        QCOMPARE(desk->Question->text(), QStringLiteral("2問目 ／ 2問"));
        QVERIFY(!desk->StopLabel->text().isEmpty());

        // Esc at the desk asks there; declined, the room waits.
        recorder().clear();
        recorder().nextAnswer = false;
        QTest::keyClick(desk, Qt::Key_Escape);
        QCOMPARE(recorder().texts(), QStringList{QStringLiteral("みんなでフラッシュをやめますか？")});
        QCOMPARE(show->step(), TClassShow::Step::Waiting);
        QCOMPARE(p.app().activeScreen(), desk);

        // The last question by the desk's button; the answers come here, the desk goes.
        click(desk, QStringLiteral("StartLabel"));
        QVERIFY(runUntil([&] { return p.app().activeScreen() == answers; }, 20000));
        QVERIFY(!desk->isVisible() && !show->isVisible());
        QCOMPARE(screenOf(answers), QStringLiteral("PANEL"));

        // One question again goes where the set was shown.
        click(answers, QStringLiteral("Again2"));
        QCOMPARE(screenOf(show), QStringLiteral("PROJECTOR"));
        QCOMPARE(desk->Question->text(), QStringLiteral("2問目（もう一度）"));
        QVERIFY(runUntil([&] { return p.app().activeScreen() == answers; }, 20000));
        QVERIFY(!desk->isVisible());
    }

    void projectorGoes_data()
    {
        QTest::addColumn<int>("at");      // the step it goes at
        QTest::addColumn<bool>("goOn");   // the teacher's answer
        QTest::addColumn<int>("then");    // the step after the answer
        QTest::addColumn<QString>("between");
        const int waiting = int(TClassShow::Step::Waiting), counting = int(TClassShow::Step::Countdown),
                  flashing = int(TClassShow::Step::Flashing), idle = int(TClassShow::Step::Idle);
        QTest::newRow("waiting, go on") << waiting << true << waiting << "1問目";
        QTest::newRow("flashing, go on: the question again") << flashing << true << counting << "";
        QTest::newRow("flashing, stop") << flashing << false << idle << "";
    }
    void projectorGoes()
    {
        QFETCH(int, at);
        QFETCH(bool, goOn);
        QFETCH(int, then);
        QFETCH(QString, between);
        Program p;
        TClassChoose *choose = openChoice(p);
        TClassShow *show = p.screens().classShow;
        TClassDesk *desk = p.screens().classDesk;
        click(choose, QStringLiteral("StartLabel"));
        QCOMPARE(screenOf(show), QStringLiteral("PROJECTOR"));
        if (at != int(TClassShow::Step::Waiting)) {
            QTest::keyClick(desk, Qt::Key_Return);
            QVERIFY(runUntil([&] { return int(show->step()) == at; }, 20000));
        }
        recorder().clear();
        recorder().nextAnswer = goOn;
        unplug();
        // Stopped at once; placed here and asked once the desktop has moved its windows.
        QCOMPARE(show->step(), TClassShow::Step::Paused);
        QVERIFY(!desk->isVisible());
        QVERIFY(runUntil([&] { return !recorder().boxes.isEmpty(); }, 5000));
        QCOMPARE(recorder().texts(), QStringList{QStringLiteral("もう一つの画面が見えなくなりました。この画面でつづけますか？")});
        QCOMPARE(int(show->step()), then);
        QVERIFY(!desk->isVisible());
        QCOMPARE(show->question(), 0);
        if (!goOn) {
            QCOMPARE(p.app().activeScreen(), choose);
            QVERIFY(!show->isVisible());
            return;
        }
        // Here now, the layout where this display has it, the keys its own again. (Where its window
        // lands is the desktop's doing: the offscreen platform keeps the display it cannot take away.)
        QCOMPARE(p.app().activeScreen(), show);
        QCOMPARE(show->Between->pos(), QPoint(0, 120));
        QCOMPARE(show->Between->isVisible() ? show->Between->text() : QString(), between);
        QVERIFY(show->Number->text().isEmpty());
        recorder().nextAnswer = true;
        QTest::keyClick(show, Qt::Key_Escape);
        QVERIFY(!show->isVisible());
    }
};

int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    const QString desktop = dir.filePath(QStringLiteral("desktop.json"));
    QFile f(desktop);
    if (!f.open(QIODevice::WriteOnly) || f.write(kDesktop) != qint64(sizeof kDesktop - 1))
        return 2;
    f.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(desktop));
    App app(argc, argv);
    testsupport::install();
    TestClassDisplays tc;
    QTEST_SET_MAIN_SOURCE_PATH
    const int failed = QTest::qExec(&tc, argc, argv);
    return failed ? failed : testsupport::decoyUntouched() ? 0 : 1;
}
#include "tst_classdisplays.moc"
