// Every text on the dark blue reads: measured on the rendered screens, each label's ink against its
// ground is at least 3:1 (large type).
#include "support/contrast.h"
#include "support/testmain.h"

#include "drill/classchoose.h"
#include "drill/kotae.h"
#include "drill/option.h"
#include "records/mastergate.h"
#include "shell/main.h"
#include "users/userstore.h"

#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionButton>

using testsupport::Program;

namespace {
const QColor kGround(0, 0, 160);

// The result sheet of a drill with right and wrong answers, filled.
void showResultSheet(Program &p)
{
    p.state().userName = QStringLiteral("はなこ");
    p.state().gradeName = QStringLiteral("１０級");
    p.writeFile(QStringLiteral("user/はなこ.dat"), testsupport::cp932Lines({userstore::recordHeader()}));
    const QList<int> sums{15, 23, 8, 30, 12, 19, 27, 11, 16, 21};
    const QStringList typed{"15", "23", "9", "30", "12", "19", "27", "11", "1", "21"};
    QCOMPARE(testsupport::playDrill(p.state(), sums, typed), QStringLiteral("合格"));
    TForm4 *sheet = p.screens().resultSheet;
    sheet->Show();
    sheet->startFill();
    QTRY_VERIFY_WITH_TIMEOUT(!sheet->Timer1->isActive(), 10000);
}

QWidget *shown(Program &p, const QString &screen)
{
    Screens &s = p.screens();
    p.state().userName = QStringLiteral("たろう");
    if (screen == QLatin1String("resultSheet")) {
        showResultSheet(p);
        return s.resultSheet;
    }
    if (screen == QLatin1String("mainMenu")) {
        s.mainMenu->Show();
        s.mainMenu->setLoggedIn(true);
        return s.mainMenu;
    }
    if (screen == QLatin1String("gradeSelection")) {
        s.gradeSelection->Show();
        return s.gradeSelection;
    }
    if (screen == QLatin1String("studentsRecords")) {
        s.studentsRecords->Show();
        return s.studentsRecords;
    }
    return nullptr;
}
} // namespace

class TestContrast : public QObject {
    Q_OBJECT
private slots:
    void measure_data();
    void measure();
    void textsReadOnTheGround_data();
    void textsReadOnTheGround();
    void chosenRadioLooksChosen();
};

// The measure itself, on colours worked out by hand.
void TestContrast::measure_data()
{
    QTest::addColumn<QColor>("ink");
    QTest::addColumn<double>("ratio");
    QTest::newRow("white") << QColor(Qt::white) << 13.93;
    QTest::newRow("pure blue: too faint") << QColor(0, 0, 255) << 1.62;
    QTest::newRow("the light blue of right answers") << QColor(90, 170, 255) << 5.72;
    QTest::newRow("red") << QColor(255, 0, 0) << 3.48;
    QTest::newRow("the ground itself") << kGround << 1.0;
}

void TestContrast::measure()
{
    QFETCH(QColor, ink);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(testsupport::contrastRatio(ink, kGround) - ratio) < 0.01,
             qPrintable(QString::number(testsupport::contrastRatio(ink, kGround))));
}

void TestContrast::textsReadOnTheGround_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QStringList>("mustMeasure"); // labels that must be among those measured
    QTest::newRow("the result sheet: marks and counts")
        << "resultSheet" << QStringList{"Label44", "Label45", "Label43", TForm4::markCellName(1), TForm4::markCellName(3)};
    QTest::newRow("the main menu, a child logged in") << "mainMenu" << QStringList{"UserCaption", "UserName"};
    QTest::newRow("the grades") << "gradeSelection" << QStringList{"UserName"};
    QTest::newRow("the teacher's screen") << "studentsRecords" << QStringList{};
}

void TestContrast::textsReadOnTheGround()
{
    QFETCH(QString, screen);
    QFETCH(QStringList, mustMeasure);
    Program p;
    QWidget *w = shown(p, screen);
    QVERIFY(w);
    const QImage shot = w->grab().toImage();
    QStringList measured;
    for (const testsupport::Ink &ink : testsupport::inkOf(w, shot)) {
        measured << ink.label;
        QVERIFY2(ink.contrast >= 3.0, qPrintable(QStringLiteral("%1 「%2」: %3:1 on %4")
                                                      .arg(ink.label, ink.text)
                                                      .arg(ink.contrast, 0, 'f', 2)
                                                      .arg(ink.ground.name())));
    }
    for (const QString &name : mustMeasure)
        QVERIFY2(measured.contains(name), qPrintable(name));
}

namespace {
// The centre of a radio button's mark, as drawn on its screen.
QColor markCentre(QRadioButton *r)
{
    QStyleOptionButton opt;
    opt.initFrom(r);
    const QRect mark = r->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, r);
    // Grabbed with its screen, so that what lies behind an empty mark is what a person sees.
    QWidget *screen = r->window();
    return QColor(screen->grab().toImage().pixel(r->mapTo(screen, mark.center())));
}
} // namespace

// みんなでフラッシュ's two ways on: the chosen one's mark bright in its middle (a filled disc), the
// other's the dark ground (an empty ring), whichever is chosen.
void TestContrast::chosenRadioLooksChosen()
{
    Program p;
    TClassChoose *c = p.screens().classChoose;
    c->Show();
    QVERIFY(c->ByKey->isChecked());
    const auto dark = [](QColor col) { return testsupport::relativeLuminance(col) < 0.1; };
    const auto light = [](QColor col) { return testsupport::relativeLuminance(col) > 0.7; };
    QVERIFY2(light(markCentre(c->ByKey)), qPrintable(markCentre(c->ByKey).name()));
    QVERIFY2(dark(markCentre(c->ByPause)), qPrintable(markCentre(c->ByPause).name()));
    c->ByPause->setChecked(true);
    QVERIFY2(dark(markCentre(c->ByKey)), qPrintable(markCentre(c->ByKey).name()));
    QVERIFY2(light(markCentre(c->ByPause)), qPrintable(markCentre(c->ByPause).name()));
}

PZ_GUI_TEST_MAIN(TestContrast)
#include "tst_contrast.moc"
