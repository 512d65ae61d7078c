// 結果を入れる after みんなでフラッシュ, through the answers screen: the children filtered by 組, a mark
// typed and entered as a history line the class overview counts, the list moving on, and the
// refusals (a number beyond the set, a child deleted meanwhile) leaving the histories as they were.
#include "support/testmain.h"

#include "drill/classanswers.h"
#include "drill/classmarksform.h"
#include "kit/CuteBtn.h"
#include "records/pacemarks.h"
#include "shell/main.h"
#include "users/groups.h"
#include "users/userstore.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

using testsupport::Program;
using testsupport::recorder;

namespace {
TClassMarks *marksScreen()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *m = qobject_cast<TClassMarks *>(w))
            return m;
    return nullptr;
}
QStringList listed(const QListWidget *l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}
void choose(QListWidget *l, const QString &name)
{
    const QList<QListWidgetItem *> items = l->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(items.first()).center());
}
QString today(int right, int wrong, const char *verdict)
{
    const QDate d = QDate::currentDate();
    return QStringLiteral("１０級,%1/%2/%3,%4,%5,%6").arg(d.year()).arg(d.month()).arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(right).arg(wrong).arg(QString::fromUtf8(verdict));
}
} // namespace

class TestClassMarksScreen : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); }
    void entersMarks();
};

void TestClassMarksScreen::entersMarks()
{
    Program p;
    testsupport::addUser(p, QStringLiteral("たろう"));
    testsupport::addUser(p, QStringLiteral("じろう"));
    testsupport::addUser(p, QStringLiteral("はなこ"));
    groups::assign({{QStringLiteral("たろう"), QStringLiteral("1組")}, {QStringLiteral("じろう"), QStringLiteral("1組")}});
    const classset::ClassSet set = *classset::build(10, GradeParams{1, 4, 4}, 42, 5).set;
    TClassAnswers *answers = p.screens().classAnswers;
    p.screens().mainMenu->Show();
    asScreen(answers)->Show();
    answers->showSet(set, {});
    TClassMarks *m = marksScreen();
    QVERIFY(m);

    QStringList all, first, afterFirst;
    QString title, said;
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        title = m->Title->text();
        all = listed(m->ListBox1);
        m->ComboBox1->setFocus();
        QTest::keyClick(m->ComboBox1, Qt::Key_Down); // 1組
        first = listed(m->ListBox1);
        choose(m->ListBox1, first.value(0));
        testsupport::type(m->Edit1, QStringLiteral("4"));
        QTest::keyClick(m->Edit1, Qt::Key_Return);
        said = m->Label2->text();
        afterFirst = m->ListBox1->currentItem() ? QStringList{m->ListBox1->currentItem()->text()} : QStringList();
        // The next child of the 組: three of five, and 6 is refused.
        testsupport::type(m->Edit1, QStringLiteral("3"));
        QTest::mouseClick(m->CuteButton1, Qt::LeftButton);
        QTest::keyClick(m->ComboBox1, Qt::Key_Up); // 全員
        choose(m->ListBox1, QStringLiteral("はなこ"));
        testsupport::type(m->Edit1, QStringLiteral("6"));
        QTest::mouseClick(m->CuteButton1, Qt::LeftButton);
        // Deleted on another PC while the teacher types.
        QFile::remove(testsupport::inRoom(QStringLiteral("user/はなこ.dat")));
        m->Edit1->clear();
        testsupport::type(m->Edit1, QStringLiteral("5"));
        QTest::mouseClick(m->CuteButton1, Qt::LeftButton);
        QTest::mouseClick(m->CuteButton2, Qt::LeftButton);
    });
    QTimer::singleShot(5000, &scope, [&] {
        if (m->isVisible())
            m->Close();
    });
    QTest::mouseClick(answers->findChild<QLabel *>(QStringLiteral("MarksLabel")), Qt::LeftButton);

    QCOMPARE(title, QStringLiteral("結果を入れる　１０級　セット番号 0042（5問）"));
    QCOMPARE(all.size(), 3);
    QCOMPARE(first.size(), 2);
    QVERIFY(!first.contains(QStringLiteral("はなこ")));
    QCOMPARE(said, QStringLiteral("%1さん：5問中 4問正解（合格）を入れました").arg(first.value(0)));
    // On to the other child of the 組.
    QCOMPARE(afterFirst, QStringList{first.value(1)});
    QCOMPARE(userstore::readHistory(first.value(0)), (QStringList{userstore::recordHeader(), today(4, 1, "合格")}));
    QCOMPARE(userstore::readHistory(first.value(1)), (QStringList{userstore::recordHeader(), today(3, 2, "不合格")}));
    QCOMPARE(recorder().texts(), (QStringList{QStringLiteral("正解数は 0 から 5 までです（このセットは 5 問でした）"),
                                              QStringLiteral("「はなこ」さんは、その間に削除されました。結果は入れていません。")}));
    QVERIFY(!QFile::exists(testsupport::inRoom(QStringLiteral("user/はなこ.dat"))));
    // The class overview counts the entered lines.
    int counted = 0;
    for (const overview::Summary &s : pacemarks::classroom(QDate::currentDate()))
        counted += s.drills;
    QCOMPARE(counted, 2);
}

PZ_GUI_TEST_MAIN(TestClassMarksScreen)
#include "tst_classmarks.moc"
