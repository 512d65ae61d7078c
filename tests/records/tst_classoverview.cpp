// クラスのようす through the real screens: from the students' records to the overview, its rows in
// the listing's order, a click on a column's header sorting it (both ways), Escape doing nothing,
// もどる back to the students' records; and CSVで保存 from the students' records, cancelled or saved.
#include "support/studentsrecords.h"

#include "drill/pace.h"
#include "kit/saveflow.h"
#include "records/classoverview.h"
#include "records/mastergate.h"
#include "records/progresschart.h"
#include "shell/main.h"
#include "users/userstore.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;

namespace {
// The rows as shown: each row's cells joined with '|'.
QStringList rows(const QTableView *v)
{
    QStringList out;
    for (int r = 0; r < v->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < v->model()->columnCount(); ++c)
            cells << v->model()->index(r, c).data().toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
QStringList column(const QTableView *v, int c)
{
    QStringList out;
    for (int r = 0; r < v->model()->rowCount(); ++r)
        out << v->model()->index(r, c).data().toString();
    return out;
}

void clickHeader(QTableView *v, int section)
{
    QHeaderView *h = v->horizontalHeader();
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(section) + 10, h->height() / 2));
}

void clickCaption(QWidget *screen, const char *name)
{
    auto *w = screen->findChild<QWidget *>(QString::fromLatin1(name));
    QVERIFY2(w, name);
    QTest::mouseClick(w, Qt::LeftButton);
}

// Three children: 初段 climbing (its last drill shown off its pace), 10級 stuck, one registered
// without drills.
void classroom(Program &p)
{
    QStringList stuck{QStringLiteral("１０級,2026/12/01,9,1,合格")};
    for (int i = 0; i < 10; ++i)
        stuck << QStringLiteral("９級,2026/12/05,3,7,不合格");
    addUser(p, QStringLiteral("たろう"), stuck);
    addUser(p, QStringLiteral("はなこ"), {QStringLiteral("１級,2026/11/1,9,1,合格"), QStringLiteral("初段,2026/11/02,8,2,合格"),
                                         QStringLiteral("こわれた")});
    std::array<pace::QuestionPace, pace::kQuestions> busy{};
    busy[3] = {.intervalMs = 400, .flashes = 6, .worstLateUs = 0, .spanErrorUs = 0, .missedTicks = 1};
    p.writeFile(userstore::pacePath(QStringLiteral("はなこ")),
                cp932Lines({userstore::paceHeader(), pace::line(QDateTime(QDate(2026, 11, 2), QTime(15, 0)), QStringLiteral("初段"), busy)}));
    addUser(p, QStringLiteral("じろう"), {});
}
} // namespace

class TestClassOverview : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); saveflow::setChooser({}); }
    void throughTheScreens();
    void saveCsv_data();
    void saveCsv();
    void chartOfTheClickedRow();
    void chartShowsEveryGradeOfADay();
};

void TestClassOverview::throughTheScreens()
{
    Program p;
    classroom(p);
    ClassOverview *o = p.screens().classOverview;
    o->today = [] { return QDate(2026, 12, 7); };
    TForm13 *f = studentsrecords::open(p);
    clickCaption(f, "Label6"); // クラスのようす
    QCOMPARE(p.app().activeScreen(), o);
    QVERIFY(o->isVisible());

    // The listing's order, whatever the folder gives.
    QCOMPARE(column(o->Grid, 0), userstore::listUsers());
    QStringList expected{QStringLiteral("たろう|９級|１０級 (2026/12/01)|2026/12/05|11|0/10|つまずき"),
                         QStringLiteral("はなこ|初段|初段 (2026/11/02)|2026/11/02|0|1/1|おやすみ ずれあり 1 こわれた行 1"),
                         QStringLiteral("じろう||||||")};
    QStringList shown = rows(o->Grid);
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(shown, expected);

    clickHeader(o->Grid, 1); // いまの級: empty, ９級, 初段
    QCOMPARE(column(o->Grid, 0), (QStringList{QStringLiteral("じろう"), QStringLiteral("たろう"), QStringLiteral("はなこ")}));
    clickHeader(o->Grid, 1);
    QCOMPARE(column(o->Grid, 0), (QStringList{QStringLiteral("はなこ"), QStringLiteral("たろう"), QStringLiteral("じろう")}));
    clickHeader(o->Grid, 3); // さいごの練習: empty, 2026/11/02, 2026/12/05
    QCOMPARE(column(o->Grid, 0), (QStringList{QStringLiteral("じろう"), QStringLiteral("はなこ"), QStringLiteral("たろう")}));

    QTest::keyClick(o->Grid, Qt::Key_Escape);
    QTest::keyClick(o, Qt::Key_Escape);
    QVERIFY(o->isVisible());
    QCOMPARE(p.app().activeScreen(), o);

    clickCaption(o, "Label2"); // もどる
    QVERIFY(!o->isVisible());
    QCOMPARE(p.app().activeScreen(), f);
    QCOMPARE(f->ListBox1->count(), 3);
    // Opened again: the listing's order, not the last sort.
    clickCaption(f, "Label6");
    QCOMPARE(column(o->Grid, 0), userstore::listUsers());
    QVERIFY(recorder().boxes.isEmpty());
}

// A click on a row shows that child's chart under the table, which stays there, sorted and clickable;
// opened again, the overview shows no chart until the next click.
void TestClassOverview::chartOfTheClickedRow()
{
    Program p;
    classroom(p);
    ClassOverview *o = p.screens().classOverview;
    TForm13 *f = studentsrecords::open(p);
    clickCaption(f, "Label6");
    QVERIFY(!o->Chart->isVisible());

    clickHeader(o->Grid, 3); // じろう, はなこ, たろう
    const auto clickRow = [&](int row) {
        const QRect r = o->Grid->visualRect(o->Grid->model()->index(row, 1));
        QTest::mouseClick(o->Grid->viewport(), Qt::LeftButton, {}, r.center());
    };
    clickRow(1);
    QVERIFY(o->Chart->isVisible());
    QCOMPARE(o->Chart->childName(), QStringLiteral("はなこ"));
    QCOMPARE(o->Chart->accessibleDescription(), QStringLiteral("はなこ：2回（合格 2、不合格 0）、ずれあり 1、こわれた行 1"));
    QCOMPARE(o->Chart->markedColumns(), 2); // two days apart
    QCOMPARE(o->Chart->lateColumns(), 1);
    QVERIFY(o->Grid->geometry().bottom() < o->Chart->geometry().top());

    clickRow(2);
    QCOMPARE(o->Chart->childName(), QStringLiteral("たろう"));
    QCOMPARE(o->Chart->drillCount(), 11);
    QCOMPARE(o->Chart->markedColumns(), 2); // ten drills on one day gathered in one column
    QCOMPARE(o->Chart->lateColumns(), 0);
    clickRow(0);
    QCOMPARE(o->Chart->childName(), QStringLiteral("じろう"));
    QCOMPARE(o->Chart->drillCount(), 0);

    QTest::keyClick(o->Chart, Qt::Key_Escape);
    QVERIFY(o->isVisible());
    clickCaption(o, "Label2");
    clickCaption(f, "Label6");
    QVERIFY(!o->Chart->isVisible());
    QVERIFY(recorder().boxes.isEmpty());
}

void TestClassOverview::saveCsv_data()
{
    QTest::addColumn<QString>("chosen"); // "": cancelled; "room/…" inside the classroom; else a folder away
    QTest::addColumn<int>("kind");        // the one box's kind; -1: none
    QTest::addColumn<QString>("said");    // its start
    QTest::newRow("cancelled: nothing written, nothing said") << "" << -1 << "";
    QTest::newRow("saved: the file and one message") << "k.csv" << int(dialogs::Kind::Info)
                                                     << QStringLiteral("3人の記録（14回分）を保存しました。");
    QTest::newRow("into the classroom: refused, a warning") << "room/user/k.csv" << int(dialogs::Kind::Warning)
                                                            << QStringLiteral("教室フォルダの中には保存できません");
}

void TestClassOverview::saveCsv()
{
    QFETCH(QString, chosen);
    QFETCH(int, kind);
    QFETCH(QString, said);
    Program p;
    classroom(p);
    QTemporaryDir away;
    const QString file = chosen.startsWith(QLatin1String("room/")) ? p.path(chosen.mid(5))
                         : chosen.isEmpty()                        ? QString()
                                                                   : away.filePath(chosen);
    QString suggested;
    saveflow::setChooser([&](const QString &s) {
        suggested = s;
        return file;
    });
    TForm13 *f = studentsrecords::open(p);
    clickCaption(f, "Label7"); // CSVで保存
    // Offered in the home folder, under the day's name.
    QCOMPARE(QFileInfo(suggested).absolutePath(), QDir::homePath());
    QCOMPARE(QFileInfo(suggested).fileName(), QStringLiteral("きろく-%1.csv").arg(QDate::currentDate().toString(Qt::ISODate)));
    QCOMPARE(!file.isEmpty() && QFileInfo::exists(file), kind == int(dialogs::Kind::Info));
    QCOMPARE(recorder().boxes.size(), kind < 0 ? 0 : 1);
    if (kind >= 0) {
        QCOMPARE(int(recorder().boxes[0].kind), kind);
        QVERIFY2(recorder().boxes[0].text.startsWith(said), qPrintable(recorder().boxes[0].text));
    }
    QCOMPARE(p.app().activeScreen(), f);
}

// One day's drills share a pixel column: each grade drilled shows on its own row, a pass as a blue
// dot, a failure as a red ring around where the dot would be, both where one grade had both.
void TestClassOverview::chartShowsEveryGradeOfADay()
{
    ProgressChart chart;
    chart.resize(400, 300);
    const QDate day(2026, 12, 1);
    overview::Course course;
    course.drills = {{0, day, 9, 1, true, false}, {0, day, 6, 4, false, false}, {19, day, 4, 6, false, false},
                     {5, day, 10, 0, true, false}};
    chart.setCourse(QStringLiteral("たろう"), course);
    const QImage shot = chart.grab().toImage();
    // The plot is x 48..387, y 26..235: the day's column at x 217; rows 10.5 px apart from the
    // bottom, 10級 at y 230, ５級 at 178, 十段 at 31. A ring's top edge lies 5 px above its row.
    const auto blue = [&](int y) { return shot.pixelColor(217, y) == QColor(0, 0, 255); };
    const auto red = [&](int y) { const QColor c = shot.pixelColor(217, y - 5); return c.red() > 180 && c.green() < 150 && c.blue() < 150; };
    QVERIFY(blue(230) && red(230));  // 10級 passed and failed
    QVERIFY(blue(178) && !red(178)); // ５級 passed
    QVERIFY(!blue(31) && red(31));   // 十段 failed
    QCOMPARE(chart.markedColumns(), 1);
}

PZ_GUI_TEST_MAIN(TestClassOverview)
#include "tst_classoverview.moc"
