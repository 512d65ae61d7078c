// 組 on the teacher's screen: the choice above the list, the list, the class overview and the CSV
// following it, and a classroom without 組 as before; the certificate naming the 組.
#include "support/studentsrecords.h"

#include "kit/saveflow.h"
#include "records/certificaterules.h"
#include "records/classoverview.h"
#include "platform/textfile.h"
#include "users/groups.h"

#include <QSet>

#include <QComboBox>
#include <QTableView>

using testsupport::Program;
using testsupport::recorder;
using namespace studentsrecords;

namespace {
QStringList items(const QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}
QStringList names(const QTableView *v)
{
    QStringList out;
    for (int r = 0; r < v->model()->rowCount(); ++r)
        out << v->model()->index(r, 0).data().toString();
    out.sort();
    return out;
}
void clickCaption(QWidget *screen, const char *name)
{
    auto *w = screen->findChild<QWidget *>(QString::fromLatin1(name));
    QVERIFY2(w, name);
    QTest::mouseClick(w, Qt::LeftButton);
}
QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}
} // namespace

class TestGroupFilter : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        recorder().clear();
        saveflow::setChooser({});
        classoverview::setGroup(QString());
    }
    void withoutGroups();
    void oneGroup_data();
    void oneGroup();
    void certificateNamesTheGroup();
};

void TestGroupFilter::withoutGroups()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(1));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    TForm13 *f = open(p);
    QCOMPARE(items(f->ComboBox1), QStringList{QStringLiteral("全員")});
    QCOMPARE(sorted(listed(f->ListBox1)), (QStringList{QStringLiteral("たろう"), QStringLiteral("はなこ")}));
    QVERIFY(!QFile::exists(groups::path()));
}

void TestGroupFilter::oneGroup_data()
{
    QTest::addColumn<int>("downs"); // Down presses on the choice: 0 全員, 1 the first 組, 2 the second
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("title");
    QTest::newRow("全員") << 0 << QStringList{QStringLiteral("じろう"), QStringLiteral("たろう"), QStringLiteral("はなこ")}
                        << QStringLiteral("クラスのようす");
    QTest::newRow("1組") << 1 << QStringList{QStringLiteral("たろう")} << QStringLiteral("クラスのようす（1組）");
    QTest::newRow("10組") << 2 << QStringList{QStringLiteral("はなこ")} << QStringLiteral("クラスのようす（10組）");
}

void TestGroupFilter::oneGroup()
{
    QFETCH(int, downs);
    QFETCH(QStringList, shown);
    QFETCH(QString, title);
    Program p;
    addUser(p, QStringLiteral("たろう"), drills(2));
    addUser(p, QStringLiteral("はなこ"), drills(1));
    addUser(p, QStringLiteral("じろう"), drills(3));
    groups::assign({{QStringLiteral("たろう"), QStringLiteral("1組")}, {QStringLiteral("はなこ"), QStringLiteral("10組")}});
    TForm13 *f = open(p);
    QCOMPARE(items(f->ComboBox1), (QStringList{QStringLiteral("全員"), QStringLiteral("1組"), QStringLiteral("10組")}));
    f->ComboBox1->setFocus();
    for (int i = 0; i < downs; ++i)
        QTest::keyClick(f->ComboBox1, Qt::Key_Down);
    QCOMPARE(sorted(listed(f->ListBox1)), shown);

    // The class overview shows the same children.
    clickCaption(f, "Label6");
    QCOMPARE(names(p.screens().classOverview->Grid), shown);
    QCOMPARE(p.screens().classOverview->Label1->text(), title);
    p.screens().classOverview->Close();

    // So does the CSV: its heading, then a row per drill of those children only.
    QTemporaryDir away;
    const QString file = away.filePath(QStringLiteral("k.csv"));
    saveflow::setChooser([&](const QString &) { return file; });
    clickCaption(f, "Label7");
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = csv.readAll().split('\n');
    QSet<QString> who;
    for (qsizetype i = 1; i < rows.size(); ++i)
        if (!rows[i].isEmpty())
            who.insert(textfile::decode(rows[i]).section(QLatin1Char(','), 0, 0));
    QStringList children(who.begin(), who.end());
    children.sort();
    QCOMPARE(children, shown);
    const int drillsShown = (shown.contains(QStringLiteral("たろう")) ? 2 : 0) + (shown.contains(QStringLiteral("はなこ")) ? 1 : 0)
                            + (shown.contains(QStringLiteral("じろう")) ? 3 : 0);
    QCOMPARE(rows.size() - 2, drillsShown); // the heading, and the empty piece after the last CR LF

    // Back on the teacher's screen the 組 stays chosen.
    f->Close();
    open(p);
    QCOMPARE(f->ComboBox1->currentIndex(), downs);
    QCOMPARE(sorted(listed(f->ListBox1)), shown);
}

void TestGroupFilter::certificateNamesTheGroup()
{
    Program p;
    addUser(p, QStringLiteral("たろう"), {QStringLiteral("１０級,2026/12/01,9,1,合格")});
    addUser(p, QStringLiteral("はなこ"), {QStringLiteral("１０級,2026/12/01,9,1,合格")});
    groups::assign({{QStringLiteral("たろう"), QStringLiteral("3組")}});
    QTemporaryDir away;
    const certificate::Made t = certificate::prepare(p.classroom(), QStringLiteral("たろう"), away.filePath(QStringLiteral("a.pdf")));
    QVERIFY(t.pass);
    QCOMPARE(certificate::nameLine(*t.pass), QStringLiteral("3組　たろう さん"));
    const certificate::Made h = certificate::prepare(p.classroom(), QStringLiteral("はなこ"), away.filePath(QStringLiteral("b.pdf")));
    QVERIFY(h.pass);
    QCOMPARE(certificate::nameLine(*h.pass), QStringLiteral("はなこ さん"));
}

PZ_GUI_TEST_MAIN(TestGroupFilter)
#include "tst_groupfilter.moc"
