// PCチェック on the teacher's screen, shortened: the check runs in a window of its own over the
// screen, modal, saying how long it takes and flashing the pace's numbers; then its figures and
// verdict come in the information box, whole.
#include "support/studentsrecords.h"
#include "settings/rand.h"

#include "drill/numberlabel.h"
#include "drill/pacecheckwindow.h"

#include <QApplication>
#include <QScopeGuard>

class TestPcCheck : public QObject {
    Q_OBJECT
private slots:
    void button_data();
    void button();
};

void TestPcCheck::button_data()
{
    QTest::addColumn<QStringList>("tenthDan"); // the classroom's 十段 lines; none: as installed
    QTest::addColumn<int>("perPaceMs");
    QTest::addColumn<QString>("windowLine");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("tenthDanLine");

    QTest::newRow("as installed") << QStringList() << 300 << QStringLiteral("パソコンをしらべています（1びょうほど）") << 3
                                  << QStringLiteral("十段（3桁15口3秒・教室の設定）間隔99ms・");
    QTest::newRow("the classroom's 十段") << QStringList{"2", "10", "2"} << 1000
                                         << QStringLiteral("パソコンをしらべています（2びょうほど）") << 2
                                         << QStringLiteral("十段（2桁10口2秒・教室の設定）間隔101ms・");
}

void TestPcCheck::button()
{
    QFETCH(QStringList, tenthDan);
    QFETCH(int, perPaceMs);
    QFETCH(QString, windowLine);
    QFETCH(int, digits);
    QFETCH(QString, tenthDanLine);

    studentsrecords::Program p;
    if (!tenthDan.isEmpty())
        p.writeSettings(settings::defaultSettingsLines().mid(0, 57) + tenthDan);
    TForm13 *f = studentsrecords::open(p);
    auto reset = qScopeGuard([] { pacecheck::programSeams() = {}; });
    pacecheck::programSeams().perPace = std::chrono::milliseconds(perPaceMs);
    // What the teacher sees as 十段's first number is cleared.
    QString line, number;
    bool modal = false;
    pacecheck::programSeams().beforeFlash = [&](int flash, pace::Clock::time_point) {
        auto *w = qobject_cast<PaceCheckWindow *>(QApplication::activeModalWidget());
        if (flash == 2 && w && line.isEmpty()) {
            modal = w->isVisible() && w->parentWidget() == f;
            line = w->line()->text();
            number = w->number()->text();
        }
    };
    auto *button = f->findChild<QWidget *>(QStringLiteral("Label9"));
    QVERIFY(button);
    testsupport::recorder().clear();
    QTest::mouseClick(button, Qt::LeftButton); // PCチェック

    QVERIFY(modal);
    QCOMPARE(line, windowLine);
    QCOMPARE(number.size(), digits); // a number of 十段's digits, in the flash screen's label
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(testsupport::recorder().boxes.size(), 1);
    const dialogs::Shown box = testsupport::recorder().boxes.first();
    QCOMPARE(box.kind, dialogs::Kind::Info);
    QCOMPARE(dialogs::fitText(box.text), box.text); // nothing of it cut
    const QStringList lines = box.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 9);
    QVERIFY2(lines[0].startsWith(tenthDanLine), qPrintable(lines[0]));
    QVERIFY2(lines[2].startsWith(QStringLiteral("　表示 中央値")), qPrintable(lines[2])); // painted
    QVERIFY2(lines[4].startsWith(QStringLiteral("最速（3桁99口1秒）間隔1ms・")), qPrintable(lines[4]));
    // Whatever this machine does, the verdict is that of the two paces' own words.
    const bool late = lines[3].endsWith(QStringLiteral("・ずれあり")) || lines[7].endsWith(QStringLiteral("・ずれあり"));
    QCOMPARE(lines[8], late ? QStringLiteral("判定: ずれあり（このパソコンでは数字が1フレーム 16.7ms より遅れることがあります）")
                            : QStringLiteral("判定: ずれなし（このパソコンは数字を1フレーム 16.7ms 以内に出せます）"));

    // Whether the screen's buttons are still drawn by the screen itself afterwards (none of its
    // widgets made an X window of its own) is for the test on a real X server,
    // tst_wm_bare_keyboard's pcCheckLeavesTheButtonsPainted: offscreen, no X window is ever made.
}

PZ_GUI_TEST_MAIN(TestPcCheck)
#include "tst_pacecheck.moc"
