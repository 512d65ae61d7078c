// The grade screen and the briefing: choosing a grade, reading its parameters, and the hand-over.
#include "support/testmain.h"

#include "drill/dkhyouji.h"
#include "drill/option.h"
#include "drill/start.h"
#include "settings/rand.h"
#include "shell/main.h"
#include "kit/widgets.h"

#include <QFile>

using testsupport::Program;
using testsupport::recorder;

namespace {
QByteArray settingsWith(int lineNo, const QByteArray &text)
{
    QByteArray out;
    const QStringList lines = settings::defaultSettingsLines();
    for (int i = 0; i < lines.size(); ++i)
        out += (i + 1 == lineNo ? text : lines[i].toLatin1()) + "\r\n";
    return out;
}

void openGrades(Program &p)
{
    p.screens().mainMenu->Show();
    p.screens().mainMenu->setLoggedIn(true);
    p.screens().gradeSelection->Show();
}
} // namespace

class TestGrades : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void choose_data();
    void choose();
    void centredOn400();
    void failingReadStopsTheChoice_data();
    void failingReadStopsTheChoice();
    void unrunnableParametersAreRefused_data();
    void unrunnableParametersAreRefused();
    void editedFileSeenAtNextChoice();
    void backReturnsToTheMenu();
    void briefingHandsOverAfterItsTimer();
};

void TestGrades::layout_data()
{
    using testsupport::layoutRow;
    testsupport::layoutColumns();
    // A column's top and bottom grades and one between; the other rows share their x and y.
    layoutRow("Label1", {91, 38}, {}, QStringLiteral("１０級"), 37, Qt::black, 1);
    layoutRow("Image2", {88, 16}, {105, 89});
    layoutRow("Label8", {263, 256}, {}, QStringLiteral("３級"), 37);
    layoutRow("Image9", {248, 232}, {105, 89});
    layoutRow("Label10", {262, 479}, {}, QStringLiteral("１級"), 37);
    layoutRow("Image11", {248, 456}, {105, 89});
    layoutRow("Label11", {449, 38}, {}, QStringLiteral("初段"), 37);
    layoutRow("Image12", {440, 16}, {105, 89});
    layoutRow("Label17", {451, 366}, {}, QStringLiteral("四段"), 37);
    layoutRow("Label19", {449, 480}, {}, QStringLiteral("五段"), 37);
    layoutRow("Image16", {440, 456}, {105, 89});
    layoutRow("Label12", {611, 38}, {}, QStringLiteral("六段"), 37);
    layoutRow("Image17", {600, 16}, {105, 89});
    layoutRow("Label20", {608, 480}, {}, QStringLiteral("十段"), 37);
    layoutRow("Image21", {600, 456}, {105, 89});
    layoutRow("Label21", {712, 549}, {}, QStringLiteral("もどる"), 24, Qt::black, 1);
    layoutRow("Image1", {704, 528}, {81, 73});
}

void TestGrades::layout()
{
    Program p;
    testsupport::checkLayoutRow(p.screens().gradeSelection);
    QCOMPARE(p.screens().gradeSelection->windowTitle(), QStringLiteral("option"));
    QCOMPARE(p.screens().gradeSelection->findChildren<ClickLabel *>().size(), 21);
}

void TestGrades::choose_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("digits");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("line");
    QTest::newRow("10級 caption") << "Label1" << int(Qt::LeftButton) << "１０級" << 1 << 4 << 4.0 << "1桁4口4秒";
    QTest::newRow("10級 picture, right button") << "Image2" << int(Qt::RightButton) << "１０級" << 1 << 4 << 4.0 << "1桁4口4秒";
    QTest::newRow("初段 caption") << "Label11" << int(Qt::LeftButton) << "初段" << 3 << 7 << 7.0 << "3桁7口7秒";
    QTest::newRow("五段 picture, fractional seconds") << "Image16" << int(Qt::MiddleButton) << "五段" << 3 << 10 << 4.5 << "3桁10口4.5秒";
    QTest::newRow("七段 caption") << "Label13" << int(Qt::LeftButton) << "七段" << 3 << 10 << 3.5 << "3桁10口3.5秒";
    QTest::newRow("十段 picture") << "Image21" << int(Qt::LeftButton) << "十段" << 3 << 15 << 3.0 << "3桁15口3秒";
    QTest::newRow("6級 caption") << "Label5" << int(Qt::LeftButton) << "６級" << 2 << 3 << 3.0 << "2桁3口3秒";
}

void TestGrades::choose()
{
    QFETCH(QString, control);
    QFETCH(int, button);
    QFETCH(QString, name);
    QFETCH(int, digits);
    QFETCH(int, count);
    QFETCH(double, seconds);
    QFETCH(QString, line);
    Program p;
    openGrades(p);
    QWidget *w = p.screens().gradeSelection->findChild<QWidget *>(control);
    if (control.startsWith("Image"))
        QTest::mousePress(w, Qt::MouseButton(button));
    else
        QTest::mouseClick(w, Qt::MouseButton(button));
    QCOMPARE(p.state().gradeName, name);
    QCOMPARE(p.state().gradeParams.digits, digits);
    QCOMPARE(p.state().gradeParams.count, count);
    QCOMPARE(p.state().gradeParams.seconds, seconds);
    TForm16 *b = p.screens().briefing;
    QVERIFY(b->isVisible());
    QVERIFY(p.screens().gradeSelection->isVisible()); // stays open beneath
    QCOMPARE(p.app().activeScreen(), b);
    QCOMPARE(b->Label1->text(), name);
    QCOMPARE(b->Label2->text(), line);
    QVERIFY(b->Timer1->isActive());
    QVERIFY(recorder().boxes.isEmpty());
}

void TestGrades::centredOn400()
{
    Program p;
    openGrades(p);
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label20"), Qt::LeftButton);
    TForm16 *b = p.screens().briefing;
    for (QLabel *l : {b->Label1, b->Label2}) {
        QCOMPARE(l->x(), int(400.0 - l->width() / 2.0));
        QVERIFY(l->width() > 100); // sized to its text
    }
    QCOMPARE(b->Label1->y(), 56);
    QCOMPARE(b->Label2->y(), 400);
    QCOMPARE(b->Label1->font().pixelSize(), 267);
    QCOMPARE(b->Label2->font().pixelSize(), 120);
}

void TestGrades::failingReadStopsTheChoice_data()
{
    QTest::addColumn<QByteArray>("file"); // "" = no settings file
    // 10級 is block 0: line 1 digits, 2 count, 3 seconds. The grade is read whole or not at all:
    // a bad line after good ones changes nothing of the grade chosen before.
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("fractional count") << settingsWith(2, "4.5");
    QTest::newRow("empty digits line") << settingsWith(1, "");
    QTest::newRow("non-numeric seconds") << settingsWith(3, "four");
}

void TestGrades::failingReadStopsTheChoice()
{
    QFETCH(QByteArray, file);
    Program p;
    openGrades(p);
    if (file.isEmpty())
        QFile::remove(p.path("settei/settei.dat"));
    else
        p.writeFile("settei/settei.dat", file);
    p.state().gradeName = "前";
    p.state().gradeParams = {9, 9, 9.0};
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(int(recorder().boxes[0].kind), int(dialogs::Kind::Error));
    QVERIFY(!p.screens().briefing->isVisible());
    QCOMPARE(p.state().gradeName, QStringLiteral("前"));
    QCOMPARE(p.state().gradeParams.digits, 9);
    QCOMPARE(p.state().gradeParams.count, 9);
    QCOMPARE(p.state().gradeParams.seconds, 9.0);
    // The grade screen stays usable.
    QCOMPARE(p.app().activeScreen(), p.screens().gradeSelection);
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label11"), Qt::LeftButton);
    QVERIFY(file.isEmpty() ? !p.screens().briefing->isVisible() : p.screens().briefing->isVisible());
}

void TestGrades::unrunnableParametersAreRefused_data()
{
    QTest::addColumn<int>("lineNo");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("count 0") << 2 << QByteArray("0") << "0";
    QTest::newRow("count 100") << 2 << QByteArray("100") << "100";
    QTest::newRow("digits 4") << 1 << QByteArray("4") << "4";
    QTest::newRow("digits 0") << 1 << QByteArray("0") << "0";
    QTest::newRow("seconds 0.01: no usable interval") << 3 << QByteArray("0.01") << "0.01";
}

void TestGrades::unrunnableParametersAreRefused()
{
    QFETCH(int, lineNo);
    QFETCH(QByteArray, text);
    QFETCH(QString, mentions);
    Program p;
    openGrades(p);
    p.writeFile("settei/settei.dat", settingsWith(lineNo, text));
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QVERIFY(!p.screens().briefing->isVisible());
    QCOMPARE(recorder().boxes.size(), 1);
    const dialogs::Shown &w = recorder().boxes[0];
    QCOMPARE(int(w.kind), int(dialogs::Kind::Warning));
    QCOMPARE(w.title, QStringLiteral("警告"));
    QVERIFY2(w.text.contains(QStringLiteral("１０級")) && w.text.contains(mentions), qPrintable(w.text));
    QCOMPARE(recorder().count(sound::Cue::Exclamation), 1);
}

void TestGrades::editedFileSeenAtNextChoice()
{
    Program p;
    openGrades(p);
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QCOMPARE(p.state().gradeParams.digits, 1);
    p.screens().briefing->Close();
    p.writeFile("settei/settei.dat", settingsWith(1, "2"));
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    QCOMPARE(p.state().gradeParams.digits, 2);
    QCOMPARE(p.screens().briefing->Label2->text(), QStringLiteral("2桁4口4秒"));
}

void TestGrades::backReturnsToTheMenu()
{
    Program p;
    openGrades(p);
    p.state().gradeName = "前";
    QTest::mousePress(p.screens().gradeSelection->findChild<QWidget *>("Image1"), Qt::RightButton);
    QVERIFY(!p.screens().gradeSelection->isVisible());
    QCOMPARE(p.app().activeScreen(), p.screens().mainMenu);
    QCOMPARE(p.state().gradeName, QStringLiteral("前"));
    p.screens().gradeSelection->Show();
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label21"), Qt::LeftButton);
    QVERIFY(!p.screens().gradeSelection->isVisible());
}

void TestGrades::briefingHandsOverAfterItsTimer()
{
    Program p;
    openGrades(p);
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton);
    TForm16 *b = p.screens().briefing;
    QCOMPARE(b->Timer1->interval(), 2500);
    // Activating it again while the timer runs does not restart the timer.
    const int before = b->Timer1->remainingTime();
    QTest::qWait(30);
    p.screens().mainMenu->Show(); // the user clicks the menu behind it…
    b->Show();                 // …and the briefing comes back
    QVERIFY(b->Timer1->remainingTime() < before);
    QTRY_VERIFY_WITH_TIMEOUT(!b->isVisible(), 5000);
    QVERIFY(p.screens().flashScreen->isVisible());
    QVERIFY(!b->Timer1->isActive());
    QCOMPARE(p.app().activeScreen(), p.screens().flashScreen);
    p.screens().flashScreen->Close();
}

PZ_GUI_TEST_MAIN(TestGrades)
#include "tst_grades.moc"
