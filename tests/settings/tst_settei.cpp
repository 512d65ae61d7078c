// The settings editor: its layout, the input rules of the 60 boxes, loading at each opening, saving
// (refusing empty and undrillable values, replacing the file whole), the defaults and the way back.
#include "support/testmain.h"
#include "support/filesizelimit.h"
#include "support/otheraccount.h"

#include "drill/dkhyouji.h"
#include "settings/graderules.h"
#include "drill/option.h"
#include "platform/display.h"
#include "platform/textfile.h"
#include "records/mastergate.h"
#include "settings/rand.h"
#include "settings/settei.h"
#include "kit/widgets.h"
#include "users/userstore.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::cp932Lines;
using testsupport::Program;
using testsupport::recorder;
using testsupport::type;

namespace {
const QString kSettings = QStringLiteral("settei/settei.dat");

// The installed values, 10級 first, written out apart from the program's own table.
const QStringList kDefaults = {
    "1", "4", "4",   "1", "6", "6",   "1", "8", "8",   "1", "10", "10", "2", "3", "3",    "2", "4", "4",   "2", "5", "5",
    "2", "7", "7",   "2", "10", "10", "3", "5", "5",   "3", "7", "7",   "3", "10", "10", "3", "10", "7",  "3", "10", "5",
    "3", "10", "4.5", "3", "10", "4", "3", "10", "3.5", "3", "10", "3", "3", "15", "4",  "3", "15", "3",
};

// Sixty values unlike the defaults in every line, each usable.
QStringList customLines()
{
    QStringList l;
    for (int row = 0; row < 20; ++row)
        l << QString::number(row % 3 + 1) << QString::number(20 + row) << QString::number(30 + row);
    return l;
}

// Opens the editor the way the teacher does: the students' records, then 環境設定.
TForm17 *open(Program &p)
{
    if (!p.screens().studentsRecords->isVisible())
        p.screens().studentsRecords->Show();
    QTest::mouseClick(p.screens().studentsRecords->Label4, Qt::LeftButton);
    return p.screens().settingsEditor;
}

QStringList boxTexts(const TForm17 *f)
{
    QStringList t;
    for (const QLineEdit *e : f->Edit)
        t << e->text();
    return t;
}

QLineEdit *box(TForm17 *f, int k) { return f->Edit[k - 1]; }

void verifyOnly(dialogs::Kind kind, const QString &text)
{
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, kind);
    QCOMPARE(recorder().boxes[0].text, text);
    if (kind == dialogs::Kind::Info)
        QCOMPARE(recorder().boxes[0].title, QStringLiteral("検定用ぴかざん"));
    if (kind == dialogs::Kind::Warning)
        QCOMPARE(recorder().count(sound::Cue::Exclamation), 1);
}

} // namespace

class TestSettingsEditor : public QObject {
    Q_OBJECT
private slots:
    void window_data();
    void window();
    void layout();
    void boxes();
    void buttons();

    void typing_data();
    void typing();
    void typingOverASelection_data();
    void typingOverASelection();
    void clipboardKeysDoNothing_data();
    void clipboardKeysDoNothing();
    void editingKeysWork();
    void focusSelectsAllButByMouse();
    void longValueShowsItsStart_data();
    void longValueShowsItsStart();

    void loadsAtEveryOpening_data();
    void loadsAtEveryOpening();
    void missingFileKeepsBoxes();

    void emptyBoxRefused();
    void savesAllSixty();
    void defaultsThenSaveWritesDefaultFile();
    void defaultsThenBackKeepsFile();
    void picturesActOnLeftPressOnly_data();
    void picturesActOnLeftPressOnly();
    void nextGradeUsesSavedValues();
    void backListsEachStudentOnce();
    void unusableValueRefused_data();
    void unusableValueRefused();
    void oddUsableValuesSavedAsTyped();
    void failedSaveKeepsFile_data();
    void failedSaveKeepsFile();
    void saveKeepsSharedGroup();
};

void TestSettingsEditor::window_data()
{
    testsupport::windowColumns();
    testsupport::windowRow("settingsEditor", QStringLiteral("環境設定"), testsupport::Kind::FullScreen);
}

void TestSettingsEditor::window()
{
    Program p;
    testsupport::checkWindow(p.screens());
}

void TestSettingsEditor::layout()
{
    Program p;
    TForm17 *f = p.screens().settingsEditor;

    struct Caption {
        const char *text;
        QPoint at;
        int px;
        bool bold;
    };
    const Caption captions[] = {
        {"１０級", {16, 64}, 27, true},   {"９級", {16, 112}, 27, true},  {"８級", {16, 160}, 27, true},
        {"７級", {16, 208}, 27, true},    {"６級", {16, 256}, 27, true},  {"５級", {16, 304}, 27, true},
        {"４級", {16, 352}, 27, true},    {"３級", {16, 400}, 27, true},  {"２級", {16, 448}, 27, true},
        {"１級", {16, 496}, 27, true},    {"初段", {432, 64}, 27, true},  {"二段", {432, 112}, 27, true},
        {"三段", {432, 160}, 27, true},   {"四段", {432, 208}, 27, true}, {"五段", {432, 256}, 27, true},
        {"六段", {432, 304}, 27, true},   {"七段", {432, 352}, 27, true}, {"八段", {432, 400}, 27, true},
        {"九段", {432, 448}, 27, true},   {"十段", {432, 496}, 27, true},
        {"桁", {118, 24}, 35, true},      {"口", {211, 24}, 35, true},    {"秒", {304, 24}, 35, true},
        {"桁", {534, 24}, 35, true},      {"口", {632, 24}, 35, true},    {"秒", {728, 24}, 35, true},
        {"(1桁～3桁)", {100, 8}, 15, false}, {"(2口～99口)", {192, 8}, 15, false}, {"(1秒～99秒)", {288, 8}, 15, false},
        {"(1桁～3桁)", {516, 8}, 15, false}, {"(2口～99口)", {608, 8}, 15, false}, {"(1秒～99秒)", {704, 8}, 15, false},
    };
    QList<QLabel *> plain; // every caption that is not a button
    for (QLabel *l : f->findChildren<QLabel *>())
        if (!qobject_cast<ClickLabel *>(l))
            plain << l;
    QCOMPARE(plain.size(), int(std::size(captions)));
    for (const Caption &c : captions) {
        const QString text = QString::fromUtf8(c.text);
        QLabel *found = nullptr;
        for (QLabel *l : plain)
            if (l->text() == text && l->pos() == c.at)
                found = l;
        QVERIFY2(found, qPrintable(text + QStringLiteral(" at %1,%2").arg(c.at.x()).arg(c.at.y())));
        QCOMPARE(found->font().pixelSize(), c.px);
        QCOMPARE(found->font().bold(), c.bold);
        QCOMPARE(found->palette().color(QPalette::WindowText), QColor(Qt::white));
    }
}

void TestSettingsEditor::boxes()
{
    Program p;
    TForm17 *f = p.screens().settingsEditor;
    const int left[] = {104, 200, 296}, right[] = {528, 624, 720};
    const int maxTyped[] = {1, 2, 3};
    QCOMPARE(f->findChildren<QLineEdit *>().size(), 60);
    for (int k = 1; k <= 60; ++k) {
        const int row = (k - 1) / 3, col = (k - 1) % 3;
        QLineEdit *e = f->findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(k));
        QVERIFY2(e, qPrintable(QString::number(k)));
        QCOMPARE(e, box(f, k));
        const QRect expected(row < 10 ? left[col] : right[col], 61 + 48 * (row % 10), 57, 35);
        QCOMPARE(e->geometry(), expected);
        QCOMPARE(e->font().pixelSize(), 27);
        QVERIFY(e->font().bold());
        QCOMPARE(e->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(e->palette().color(QPalette::Base), QColor(Qt::white));
        QVERIFY(e->text().isEmpty()); // empty until the first opening
        QVERIFY(e->maxLength() > maxTyped[col]); // the limit is on typing, not on the text
        QVERIFY(!e->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(e->contextMenuPolicy(), Qt::NoContextMenu); // no Paste in a menu
        QVERIFY(!e->acceptDrops());
        // Tab order by row: digits, count, seconds, then the next row.
        if (k < 60)
            QCOMPARE(e->nextInFocusChain(), static_cast<QWidget *>(box(f, k + 1)));
    }
}

void TestSettingsEditor::buttons()
{
    Program p;
    TForm17 *f = p.screens().settingsEditor;
    struct Row {
        ClickLabel *label;
        const char *text;
        QPoint at;
        int px;
        bool bold;
        Picture *picture;
        QRect art;
    };
    const Row rows[] = {
        {f->Label29, "初期値に戻す", {29, 558}, 21, true, f->Image1, {16, 544, 153, 57}},
        {f->Label28, "保存する", {357, 557}, 24, false, f->Image2, {328, 544, 153, 57}},
        {f->Label27, "もどる", {704, 556}, 24, true, f->Image3, {696, 536, 81, 65}},
    };
    for (const Row &r : rows) {
        QVERIFY(r.label && r.picture);
        QCOMPARE(r.label->text(), QString::fromUtf8(r.text));
        QCOMPARE(r.label->pos(), r.at);
        QCOMPARE(r.label->font().pixelSize(), r.px);
        QCOMPARE(r.label->font().bold(), r.bold);
        QCOMPARE(r.label->palette().color(QPalette::WindowText), QColor(Qt::black));
        QCOMPARE(r.label->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(r.picture->geometry(), r.art);
        QCOMPARE(r.picture->cursor().shape(), Qt::PointingHandCursor);
        // The caption lies over its picture.
        QVERIFY(r.picture->geometry().contains(r.label->geometry().center()));
        QVERIFY(f->children().indexOf(r.label) > f->children().indexOf(r.picture));
    }
}

void TestSettingsEditor::typing_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits: 4 refused") << 1 << "4" << "";
    QTest::newRow("digits: 0 refused") << 1 << "0" << "";
    QTest::newRow("digits: point refused") << 1 << "." << "";
    QTest::newRow("digits: 3 taken") << 1 << "3" << "3";
    QTest::newRow("digits: 1 and 2 taken") << 4 << "1\b2" << "2";
    QTest::newRow("digits: a second character refused") << 1 << "31" << "3";
    QTest::newRow("digits: right half, letters refused") << 58 << "a2x" << "2";
    QTest::newRow("count: 99 fits") << 2 << "99" << "99";
    QTest::newRow("count: a third character refused") << 2 << "991" << "99";
    QTest::newRow("count: point refused") << 59 << "1.5" << "15";
    QTest::newRow("count: 0 and 00 taken") << 5 << "00" << "00";
    QTest::newRow("count: backspace") << 2 << "45\b" << "4";
    QTest::newRow("seconds: 4.5") << 3 << "4.5" << "4.5";
    QTest::newRow("seconds: 10.5 is one too many") << 3 << "10.5" << "10.";
    QTest::newRow("seconds: points only") << 60 << "1.." << "1..";
    QTest::newRow("seconds: minus, blank, comma refused") << 6 << "- ,9" << "9";
    QTest::newRow("full-width digit refused") << 3 << "４" << "";
    QTest::newRow("Enter inserts nothing") << 2 << "7\r" << "7";
}

void TestSettingsEditor::typing()
{
    QFETCH(int, k);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    Program p;
    TForm17 *f = open(p);
    QLineEdit *e = box(f, k);
    e->clear();
    type(e, keys);
    QCOMPARE(e->text(), shown);
    QVERIFY(recorder().boxes.isEmpty());
}

void TestSettingsEditor::typingOverASelection_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("after");
    QTest::newRow("full digits box replaced") << 1 << "3" << true << "2" << "2";
    QTest::newRow("full count box replaced") << 2 << "99" << true << "15" << "15";
    QTest::newRow("full seconds box replaced") << 3 << "4.5" << true << "7" << "7";
    QTest::newRow("full box, no selection") << 2 << "99" << false << "1" << "99";
    QTest::newRow("longer than typing allows, kept") << 2 << "100" << false << "5" << "100";
    QTest::newRow("longer, backspace shortens") << 2 << "100" << false << "\b" << "10";
    QTest::newRow("longer, shortened enough to type") << 2 << "100" << false << "\b\b7" << "17";
    QTest::newRow("refused character keeps the selection's text") << 1 << "3" << true << "9" << "3";
}

void TestSettingsEditor::typingOverASelection()
{
    QFETCH(int, k);
    QFETCH(QString, before);
    QFETCH(bool, selectAll);
    QFETCH(QString, keys);
    QFETCH(QString, after);
    Program p;
    TForm17 *f = open(p);
    QLineEdit *e = box(f, k);
    e->setText(before);
    if (selectAll)
        e->selectAll();
    else
        e->end(false);
    type(e, keys);
    QCOMPARE(e->text(), after);
}

void TestSettingsEditor::clipboardKeysDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier);
    QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier);
    QTest::newRow("Shift+Delete") << int(Qt::Key_Delete) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << int(Qt::ControlModifier);
}

void TestSettingsEditor::clipboardKeysDoNothing()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    Program p;
    TForm17 *f = open(p);
    QLineEdit *e = box(f, 2);
    e->clear();
    type(e, QStringLiteral("45"));
    e->setSelection(0, 1);
    QGuiApplication::clipboard()->setText(QStringLiteral("12"));
    QTest::keyClick(e, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(e->text(), QStringLiteral("45"));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("12"));
    // The same keys through the text they carry on X11 (Ctrl+V types 0x16).
    if (modifiers == Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z) {
        QTest::sendKeyEvent(QTest::Click, e, Qt::Key(key), QString(QChar(key - Qt::Key_A + 1)), Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("45"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("12"));
    }
}

void TestSettingsEditor::editingKeysWork()
{
    Program p;
    TForm17 *f = open(p);
    QLineEdit *e = box(f, 3);
    e->setText(QStringLiteral("4.5"));
    e->end(false);
    QTest::keyClick(e, Qt::Key_Left);
    QTest::keyClick(e, Qt::Key_Left);
    QTest::keyClick(e, Qt::Key_Delete);
    QCOMPARE(e->text(), QStringLiteral("45"));
    QTest::keyClick(e, Qt::Key_Home);
    QTest::keyClick(e, Qt::Key_Delete);
    QCOMPARE(e->text(), QStringLiteral("5"));
    QTest::keyClick(e, Qt::Key_End);
    type(e, QStringLiteral(".5"));
    QCOMPARE(e->text(), QStringLiteral("5.5"));
    QTest::keyClick(e, Qt::Key_Home);
    QTest::keyClick(e, Qt::Key_Right);
    QTest::keyClick(e, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(e->selectedText(), QStringLiteral("."));
}

void TestSettingsEditor::focusSelectsAllButByMouse()
{
    Program p;
    TForm17 *f = open(p);
    QVERIFY(QTest::qWaitForWindowActive(f));
    QCOMPARE(QApplication::focusWidget(), box(f, 1)); // first opening
    QCOMPARE(box(f, 1)->selectedText(), QStringLiteral("1"));

    QTest::keyClick(box(f, 1), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), box(f, 2));
    QCOMPARE(box(f, 2)->selectedText(), QStringLiteral("4"));
    type(box(f, 2), QStringLiteral("7")); // typing replaces the value
    QCOMPARE(box(f, 2)->text(), QStringLiteral("7"));

    // A click puts the cursor where it is clicked; nothing is selected.
    QLineEdit *e = box(f, 33); // 初段's seconds, "7"
    QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(e->width() - 4, e->height() / 2));
    QCOMPARE(QApplication::focusWidget(), e);
    QVERIFY(e->selectedText().isEmpty());

    QTest::keyClick(e, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), box(f, 32));
    QCOMPARE(box(f, 32)->selectedText(), QStringLiteral("7"));

    // The next opening keeps the focus in that box, its reloaded value selected.
    QTest::mouseClick(f->Label27, Qt::LeftButton);
    f = open(p);
    // The offscreen platform gives the keyboard back to a window shown again only later; the
    // window's own focus widget is where it goes.
    QCOMPARE(f->focusWidget(), box(f, 32));
    QCOMPARE(box(f, 32)->selectedText(), QStringLiteral("7"));
}

void TestSettingsEditor::longValueShowsItsStart_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("then");
    QTest::newRow("loaded into a seconds box") << 3 << QString();
    QTest::newRow("loaded into the box with the keyboard") << 1 << QString();
    QTest::newRow("reached by Tab, whole value selected") << 2 << QStringLiteral("tab in");
    QTest::newRow("left by Tab after a click at its end") << 6 << QStringLiteral("click, tab out");
}

// A value wider than its box shows its first characters, not its last ones.
void TestSettingsEditor::longValueShowsItsStart()
{
    QFETCH(int, k);
    QFETCH(QString, then);
    Program p;
    QStringList lines = kDefaults;
    lines[k - 1] = QStringLiteral("12345");
    p.writeSettings(lines);
    TForm17 *f = open(p);
    QVERIFY(QTest::qWaitForWindowActive(f));
    QLineEdit *e = box(f, k);
    if (then == QStringLiteral("tab in")) {
        QTest::keyClick(box(f, k - 1), Qt::Key_Tab);
    } else if (then == QStringLiteral("click, tab out")) {
        QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(e->width() - 3, e->height() / 2));
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), box(f, k + 1));
    }
    QCOMPARE(e->text(), QStringLiteral("12345"));
    (void)e->grab(); // the box lays its text out as it paints
    QCOMPARE(e->cursorPositionAt(QPoint(e->contentsRect().left() + 3, e->height() / 2)), 0);
    if (e->hasFocus())
        QCOMPARE(e->selectedText(), QStringLiteral("12345")); // still ready to be overtyped
}

void TestSettingsEditor::loadsAtEveryOpening_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("shown");
    const QStringList custom = customLines();
    QTest::newRow("sixty lines") << cp932Lines(custom) << custom;
    QStringList first30 = custom.mid(0, 30);
    QStringList padded = first30;
    for (int i = 0; i < 30; ++i)
        padded << QString();
    QTest::newRow("thirty lines: the rest empty") << cp932Lines(first30) << padded;
    QTest::newRow("sixty-five lines: the first sixty") << cp932Lines(custom + QStringList{"9", "9", "9", "9", "9"}) << custom;
    QStringList withEmpty = custom;
    withEmpty[36] = QString();
    QTest::newRow("an empty line gives an empty box") << cp932Lines(withEmpty) << withEmpty;
    QStringList long3 = custom;
    long3[1] = "100";
    long3[0] = "12";
    long3[2] = "12.25";
    QTest::newRow("longer than typing allows: shown in full") << cp932Lines(long3) << long3;
    QTest::newRow("LF line ends") << custom.join('\n').toLatin1() + '\n' << custom;
}

void TestSettingsEditor::loadsAtEveryOpening()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, shown);
    Program p;
    TForm17 *f = open(p);
    QCOMPARE(boxTexts(f), kDefaults); // the installed file
    box(f, 5)->setText(QStringLiteral("77")); // typed, never saved
    QTest::mouseClick(f->Label27, Qt::LeftButton);
    QVERIFY(f->isHidden());
    p.writeFile(kSettings, file);
    f = open(p);
    QCOMPARE(boxTexts(f), shown);
    QVERIFY(recorder().boxes.isEmpty());
    QCOMPARE(p.readFile(kSettings), file); // loading never writes
}

void TestSettingsEditor::missingFileKeepsBoxes()
{
    Program p;
    QVERIFY(QFile::remove(p.path(kSettings)));
    TForm17 *f = open(p);
    QVERIFY(f->isVisible()); // stays open
    QCOMPARE(recorder().boxes.size(), 1);
    QCOMPARE(recorder().boxes[0].kind, dialogs::Kind::Error);
    QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("settei.dat")));
    QCOMPARE(boxTexts(f), QStringList(60, QString()));

    p.writeFile(kSettings, cp932Lines(kDefaults));
    QTest::mouseClick(f->Label27, Qt::LeftButton);
    f = open(p);
    box(f, 7)->setText(QStringLiteral("2"));
    QTest::mouseClick(f->Label27, Qt::LeftButton);
    QVERIFY(QFile::remove(p.path(kSettings)));
    recorder().clear();
    f = open(p);
    QCOMPARE(recorder().boxes.size(), 1);
    QStringList expected = kDefaults;
    expected[6] = "2"; // what the boxes held when the editor was left
    QCOMPARE(boxTexts(f), expected);
}

void TestSettingsEditor::emptyBoxRefused()
{
    Program p;
    const QByteArray before = p.readFile(kSettings);
    TForm17 *f = open(p);
    QVERIFY(QTest::qWaitForWindowActive(f));
    box(f, 40)->setText(QStringLiteral("2")); // a change that must not reach the file
    box(f, 37)->clear();                      // 三段, digits
    box(f, 50)->clear();                      // a later empty box does not matter more
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("空白の欄があります"));
    QCOMPARE(p.readFile(kSettings), before);
    QCOMPARE(box(f, 40)->text(), QStringLiteral("2")); // the boxes keep their texts
    QCOMPARE(QApplication::focusWidget(), box(f, 37));
    QVERIFY(f->isVisible());
}

void TestSettingsEditor::savesAllSixty()
{
    Program p;
    TForm17 *f = open(p);
    const QStringList custom = customLines();
    for (int k = 1; k <= 60; ++k)
        box(f, k)->setText(custom[k - 1]);
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("保存しました"));
    QCOMPARE(p.readFile(kSettings), cp932Lines(custom));
    QCOMPARE(ReadGradeSeconds(20), 49.0); // the accessors read the saved file
    QCOMPARE(QDir(p.path("settei")).entryList(QDir::Files | QDir::Hidden), QStringList{"settei.dat"});
    QCOMPARE(boxTexts(f), custom); // a message box does not reload
}

void TestSettingsEditor::defaultsThenSaveWritesDefaultFile()
{
    Program p;
    p.writeFile(kSettings, cp932Lines(customLines()));
    TForm17 *f = open(p);
    QTest::mouseClick(f->Label29, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("初期値に戻しました"));
    QCOMPARE(boxTexts(f), kDefaults);
    QCOMPARE(p.readFile(kSettings), cp932Lines(customLines())); // not yet written
    recorder().clear();
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("保存しました"));
    const QByteArray written = p.readFile(kSettings);
    QCOMPARE(written, cp932Lines(kDefaults));
    QVERIFY(written.startsWith("1\r\n4\r\n4\r\n1\r\n6\r\n6\r\n"));
    QVERIFY(written.endsWith("\r\n3\r\n15\r\n3\r\n"));
    QFile installed(QStringLiteral(PZ_ASSETS "/settei/settei.dat"));
    QVERIFY(installed.open(QIODevice::ReadOnly));
    QCOMPARE(written, installed.readAll());
}

void TestSettingsEditor::defaultsThenBackKeepsFile()
{
    Program p;
    const QStringList custom = customLines();
    p.writeFile(kSettings, cp932Lines(custom));
    TForm17 *f = open(p);
    QTest::mouseClick(f->Label29, Qt::LeftButton);
    QCOMPARE(boxTexts(f), kDefaults);
    QTest::mouseClick(f->Label27, Qt::LeftButton);
    QVERIFY(f->isHidden());
    QCOMPARE(p.readFile(kSettings), cp932Lines(custom));
    f = open(p);
    QCOMPARE(boxTexts(f), custom);
}

void TestSettingsEditor::picturesActOnLeftPressOnly_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("message"); // empty: nothing happens
    QTest::newRow("保存する, right") << "Image2" << int(Qt::RightButton) << "";
    QTest::newRow("保存する, middle") << "Image2" << int(Qt::MiddleButton) << "";
    QTest::newRow("保存する, left") << "Image2" << int(Qt::LeftButton) << "保存しました";
    QTest::newRow("初期値に戻す, right") << "Image1" << int(Qt::RightButton) << "";
    QTest::newRow("初期値に戻す, left") << "Image1" << int(Qt::LeftButton) << "初期値に戻しました";
    QTest::newRow("もどる, right") << "Image3" << int(Qt::RightButton) << "";
    QTest::newRow("もどる, left") << "Image3" << int(Qt::LeftButton) << "";
}

void TestSettingsEditor::picturesActOnLeftPressOnly()
{
    QFETCH(QString, picture);
    QFETCH(int, button);
    QFETCH(QString, message);
    Program p;
    TForm17 *f = open(p);
    box(f, 1)->setText(QStringLiteral("2"));
    const QByteArray before = p.readFile(kSettings);
    QTest::mousePress(f->findChild<QWidget *>(picture), Qt::MouseButton(button)); // acts at the press
    const bool acts = button == Qt::LeftButton;
    if (message.isEmpty())
        QVERIFY(recorder().boxes.isEmpty());
    else
        verifyOnly(dialogs::Kind::Info, message);
    QCOMPARE(p.readFile(kSettings) != before, acts && picture == "Image2");
    QCOMPARE(box(f, 1)->text() == "2", !(acts && picture == "Image1"));
    QCOMPARE(f->isVisible(), !(acts && picture == "Image3"));
}

void TestSettingsEditor::nextGradeUsesSavedValues()
{
    Program p;
    TForm17 *f = open(p);
    box(f, 1)->setText(QStringLiteral("2"));   // １０級: 2 digits,
    box(f, 2)->setText(QStringLiteral("5"));   // 5 numbers
    box(f, 3)->setText(QStringLiteral("6.5")); // over 6.5 seconds
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    recorder().clear();
    p.screens().gradeSelection->Show();
    QTest::mouseClick(p.screens().gradeSelection->findChild<QWidget *>("Label1"), Qt::LeftButton); // １０級
    QVERIFY(recorder().boxes.isEmpty());
    QCOMPARE(p.state().gradeName, QStringLiteral("１０級"));
    QCOMPARE(p.state().gradeParams.digits, 2);
    QCOMPARE(p.state().gradeParams.count, 5);
    QCOMPARE(p.state().gradeParams.seconds, 6.5);
    p.screens().briefing->Timer1->stop();
}

void TestSettingsEditor::backListsEachStudentOnce()
{
    Program p;
    for (const char *n : {"たろう", "はなこ", "Aki"})
        addUser(p, QString::fromUtf8(n));
    TForm13 *records = p.screens().studentsRecords;
    records->Show();
    const int listed = records->ListBox1->count();
    QCOMPARE(listed, 3);
    TForm17 *f = open(p);
    QCOMPARE(p.app().activeScreen(), f);
    QTest::mouseClick(f->Label27, Qt::LeftButton);
    QVERIFY(f->isHidden());
    QCOMPARE(p.app().activeScreen(), records);
    QStringList names;
    for (int i = 0; i < records->ListBox1->count(); ++i)
        names << records->ListBox1->item(i)->text();
    QCOMPARE(names.size(), 3);
    QCOMPARE(QSet<QString>(names.begin(), names.end()), (QSet<QString>{"たろう", "はなこ", "Aki"}));
}

void TestSettingsEditor::unusableValueRefused_data()
{
    QTest::addColumn<QStringList>("values"); // "box=text", put into the boxes over the defaults
    QTest::addColumn<int>("refused");        // the box that gets the focus
    QTest::addColumn<QString>("message");
    QTest::newRow("lone point") << QStringList{"3=."} << 3 << "「１０級」の秒「.」では練習できません";
    QTest::newRow("1 and two points") << QStringList{"60=1.."} << 60 << "「十段」の秒「1..」では練習できません";
    QTest::newRow("count 0") << QStringList{"2=0"} << 2 << "「１０級」の口「0」では練習できません";
    QTest::newRow("count 00") << QStringList{"32=00"} << 32 << "「初段」の口「00」では練習できません";
    QTest::newRow("count 100 from the file") << QStringList{"29=100"} << 29 << "「１級」の口「100」では練習できません";
    QTest::newRow("digits 7 from the file") << QStringList{"13=7"} << 13 << "「６級」の桁「7」では練習できません";
    QTest::newRow("digits 0 from the file") << QStringList{"55=0"} << 55 << "「九段」の桁「0」では練習できません";
    QTest::newRow("no time") << QStringList{"9=0"} << 9 << "「８級」の秒「0」では練習できません";
    QTest::newRow("too short for the count") << QStringList{"59=99", "60=0.1"} << 60 << "「十段」の秒「0.1」では練習できません";
    QTest::newRow("short enough with fewer numbers") << QStringList{"59=2", "60=0.1"} << 0 << "";
    QTest::newRow("blank from the file") << QStringList{"20=5 "} << 20 << "「４級」の口「5 」では練習できません";
    QTest::newRow("count before seconds in a row") << QStringList{"35=0", "36=."} << 35 << "「二段」の口「0」では練習できません";
    QTest::newRow("the first row first") << QStringList{"45=.", "5=0"} << 5 << "「９級」の口「0」では練習できません";
}

void TestSettingsEditor::unusableValueRefused()
{
    QFETCH(QStringList, values);
    QFETCH(int, refused);
    QFETCH(QString, message);
    Program p;
    const QByteArray before = p.readFile(kSettings);
    TForm17 *f = open(p);
    QVERIFY(QTest::qWaitForWindowActive(f));
    QStringList expected = kDefaults;
    for (const QString &v : values) {
        const int k = v.section('=', 0, 0).toInt();
        box(f, k)->setText(v.section('=', 1));
        expected[k - 1] = v.section('=', 1);
    }
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    if (refused == 0) {
        verifyOnly(dialogs::Kind::Info, QStringLiteral("保存しました"));
        QCOMPARE(p.readFile(kSettings), cp932Lines(expected));
        return;
    }
    verifyOnly(dialogs::Kind::Warning, message);
    QCOMPARE(recorder().boxes[0].title, QStringLiteral("警告"));
    QCOMPARE(p.readFile(kSettings), before);
    QCOMPARE(QApplication::focusWidget(), box(f, refused));
    QCOMPARE(box(f, refused)->selectedText(), box(f, refused)->text());
    QCOMPARE(boxTexts(f), expected);

    // What the editor lets through, the grade screen never refuses: the core rule agrees.
    QCOMPARE(graderules::firstUnusableSetting(expected), refused - 1);
}

void TestSettingsEditor::oddUsableValuesSavedAsTyped()
{
    Program p;
    TForm17 *f = open(p);
    const QStringList typed = {"4.", ".5", "05", "1", "009"}; // seconds, seconds, count, count, seconds
    const int boxes[] = {3, 6, 8, 11, 12};
    QStringList expected = kDefaults;
    for (int i = 0; i < typed.size(); ++i) {
        box(f, boxes[i])->clear();
        type(box(f, boxes[i]), typed[i]);
        QCOMPARE(box(f, boxes[i])->text(), typed[i]);
        expected[boxes[i] - 1] = typed[i];
    }
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("保存しました"));
    QCOMPARE(p.readFile(kSettings), cp932Lines(expected));
    // The grades read them back as the numbers they stand for, and can run them.
    QCOMPARE(ReadGradeSeconds(10), 4.0);
    QCOMPARE(ReadGradeSeconds(9), 0.5);
    QCOMPARE(ReadGradeCount(8), 5);
    QCOMPARE(ReadGradeCount(7), 1);
    QCOMPARE(ReadGradeSeconds(7), 9.0);
    for (GradeCode c = 7; c <= 10; ++c)
        QCOMPARE(graderules::checkParams({ReadGradeDigits(c), ReadGradeCount(c), ReadGradeSeconds(c)}), QString());
}

void TestSettingsEditor::failedSaveKeepsFile_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("write stops part-way (disk full)") << "full";
    QTest::newRow("read-only settings folder") << "folder";
    QTest::newRow("write-protected settings file") << "file";
}

void TestSettingsEditor::failedSaveKeepsFile()
{
    QFETCH(QString, fault);
    if (fault != QLatin1String("full") && !testsupport::runAsOrdinaryUser())
        return;
    Program p;
    const QByteArray before = p.readFile(kSettings);
    TForm17 *f = open(p);
    box(f, 2)->setText(QStringLiteral("9"));
    QFile denied(p.path(fault == QLatin1String("file") ? kSettings : QStringLiteral("settei")));
    const QFile::Permissions perms = denied.permissions();
    {
        std::optional<FileSizeLimit> limit;
        if (fault == QLatin1String("full"))
            limit.emplace(16);
        else
            denied.setPermissions(perms & ~(QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther | QFile::WriteUser));
        QTest::mouseClick(f->Label28, Qt::LeftButton);
        denied.setPermissions(perms);
    }
    verifyOnly(dialogs::Kind::Error, recorder().boxes.value(0).text);
    QVERIFY(recorder().boxes[0].text.contains(QStringLiteral("settei.dat")));
    QCOMPARE(p.readFile(kSettings), before);
    QCOMPARE(QDir(p.path("settei")).entryList(QDir::Files | QDir::Hidden), QStringList{"settei.dat"});
    QCOMPARE(box(f, 2)->text(), QStringLiteral("9"));
    QVERIFY(f->isVisible());

    // Once the disk takes it again, the same click saves.
    recorder().clear();
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("保存しました"));
    QCOMPARE(ReadGradeCount(10), 9);
}

void TestSettingsEditor::saveKeepsSharedGroup()
{
    // settei.dat shared by a group of accounts (rw-rw-r--): a save by one of them must leave it
    // the group's, or the others could no longer save it.
    if (!testsupport::runAsOrdinaryUser())
        return;
    const gid_t group = testsupport::otherGroup();
    if (group == gid_t(-1))
        QSKIP("this account has no group besides its own");
    Program p;
    const QByteArray settings = QFile::encodeName(p.path(kSettings));
    QVERIFY(::chown(settings.constData(), uid_t(-1), group) == 0 && ::chmod(settings.constData(), 0664) == 0);
    TForm17 *f = open(p);
    box(f, 2)->setText(QStringLiteral("9"));
    QTest::mouseClick(f->Label28, Qt::LeftButton);
    verifyOnly(dialogs::Kind::Info, QStringLiteral("保存しました"));
    QCOMPARE(ReadGradeCount(10), 9);
    struct stat st {};
    QVERIFY(::stat(settings.constData(), &st) == 0);
    QCOMPARE(st.st_gid, group);
    QCOMPARE(int(st.st_mode & 07777), 0664);
}

PZ_GUI_TEST_MAIN(TestSettingsEditor)
#include "tst_settei.moc"
