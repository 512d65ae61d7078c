// Every framed window's title beside openbox (on Xvfb, started by with-openbox.sh), read from what
// openbox draws: the title as it appears on a window wide enough for any title must appear, pixel
// for pixel, on the window's own title bar. Openbox cuts a title that does not fit out of its middle
// ("名前を選択…ください"), which that comparison cannot miss, whatever font or theme is installed.
#include "support/testmain.h"
#include "xdesktop.h"

#include "kit/registry.h"
#include "shell/main.h"

#include <QMargins>
#include <QMessageBox>
#include <QScreen>

using testsupport::Program;
using namespace xdesktop;

namespace {
// A dialog of the program's kind with any title, wide enough for the longest.
class WideProbe : public Screen {
public:
    explicit WideProbe(const QString &title) : Screen({title, Kind::Dialog, QSize(740, 60), QPoint(20, 200)}) {}
};

// What openbox put around a window: left, right, top (border and title bar), bottom.
QMargins frameExtents(QWidget *w)
{
    const QStringList f = xprop(w->winId(), "_NET_FRAME_EXTENTS").section(QLatin1Char('='), 1).split(QLatin1Char(','));
    if (f.size() != 4)
        return {};
    return {f[0].trimmed().toInt(), f[2].trimmed().toInt(), f[1].trimmed().toInt(), f[3].trimmed().toInt()};
}

// The title bar over a window, as it is on the screen.
QImage titleBar(QWidget *w)
{
    const QMargins m = frameExtents(w);
    if (m.top() <= 0)
        return {};
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, at.x() - m.left(), at.y() - m.top(), w->width() + m.left() + m.right(), m.top())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool sameColumn(const QImage &a, int ax, const QImage &b, int bx)
{
    for (int y = 0; y < a.height(); ++y)
        if (a.pixel(ax, y) != b.pixel(bx, y))
            return false;
    return true;
}

// The title's text on a wide bar: the columns between the first and the last that differ from the
// bar's empty ground (the gradient runs from top to bottom, so empty columns are all alike), clear
// of the icon on the left and the buttons on the right.
QImage titleText(const QImage &bar)
{
    constexpr int kLeft = 40, kRight = 90;
    int first = -1, last = -1;
    for (int x = kLeft; x < bar.width() - kRight; ++x)
        if (!sameColumn(bar, x, bar, kLeft)) {
            if (first < 0)
                first = x;
            last = x;
        }
    return first < 0 ? QImage() : bar.copy(first, 0, last - first + 1, bar.height());
}

// Whether the text lies whole somewhere on the bar.
bool shows(const QImage &bar, const QImage &text)
{
    if (bar.height() != text.height())
        return false;
    for (int at = 0; at + text.width() <= bar.width(); ++at) {
        int x = 0;
        while (x < text.width() && sameColumn(text, x, bar, at + x))
            ++x;
        if (x == text.width())
            return true;
    }
    return false;
}

// The bar of a window while it is the active one (openbox draws the active title in its own colours).
QImage activeBar(QWidget *w)
{
    if (!QTest::qWaitForWindowExposed(w))
        return {};
    QElapsedTimer t;
    t.start();
    while (!onTop(w) && !t.hasExpired(3000))
        QTest::qWait(50);
    QTest::qWait(300); // openbox redraws the bar after the focus change
    return titleBar(w);
}
} // namespace

class TestTitles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"), "run by with-openbox.sh");
    }
    void cleanup() { QTest::qWait(200); }
    void screenTitleShownWhole_data();
    void screenTitleShownWhole();
    void boxTitleShownWhole_data();
    void boxTitleShownWhole();
};

void TestTitles::screenTitleShownWhole_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("title");
    QTest::newRow("TForm7 registration") << "TForm7" << QStringLiteral("とうろく");
    QTest::newRow("TForm9 login") << "TForm9" << QStringLiteral("名前を選択してパスワードをいれてENTERを押してください");
    QTest::newRow("TForm10 deletion") << "TForm10" << QStringLiteral("削除");
    QTest::newRow("TForm12 master password creation") << "TForm12" << QStringLiteral("パスワードを入れてENTERを押してください");
    QTest::newRow("TForm14 master password entry") << "TForm14" << QStringLiteral("マスターパスワードを入れてENTERを押して下さい");
    QTest::newRow("TForm15 deletion question") << "TForm15" << QStringLiteral("確認");
}

void TestTitles::screenTitleShownWhole()
{
    QFETCH(QString, screen);
    QFETCH(QString, title);
    QImage bar;
    {
        Program p;
        p.screens().mainMenu->Show();
        QVERIFY(QTest::qWaitForWindowExposed(p.screens().mainMenu));
        Screen *s = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *c = qobject_cast<Screen *>(w); c && QLatin1String(c->metaObject()->className()) == screen)
                s = c;
        QVERIFY(s);
        s->Show();
        bar = activeBar(s);
        QVERIFY2(xprop(s->winId(), "_NET_WM_NAME").endsWith(QStringLiteral("= \"%1\"").arg(title)),
                 qPrintable(xprop(s->winId(), "_NET_WM_NAME")));
        s->Close();
    }
    QVERIFY2(!bar.isNull(), "openbox drew no title bar");

    WideProbe wide(title);
    wide.create();
    wide.Show();
    const QImage text = titleText(activeBar(&wide));
    wide.Close();
    // About 7 px a character at the smallest: less means the wide bar's text was not found.
    QVERIFY2(text.width() >= 7 * title.size(), qPrintable(QStringLiteral("%1 px of text").arg(text.width())));
    if (!shows(bar, text)) {
        bar.save(QDir::temp().filePath(screen + QStringLiteral("-title.png")));
        QFAIL(qPrintable(QStringLiteral("the title is cut: %1 px of text on a %2 px bar (saved in %3)")
                             .arg(text.width())
                             .arg(bar.width())
                             .arg(QDir::tempPath())));
    }
}

void TestTitles::boxTitleShownWhole_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("警告") << int(dialogs::Kind::Warning) << QStringLiteral("警告") << QStringLiteral("パスワードが違います");
    QTest::newRow("保存しました") << int(dialogs::Kind::Info) << QStringLiteral("検定用ぴかざん") << QStringLiteral("保存しました");
    QTest::newRow("ディスプレイ設定の変更") << int(dialogs::Kind::Question) << QStringLiteral("ディスプレイ設定の変更")
                                            << QStringLiteral("はい");
}

// The program's message boxes, the shortest texts beside their titles.
void TestTitles::boxTitleShownWhole()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QImage bar;
    {
        Program p;
        RealBoxes real;
        p.screens().mainMenu->Show();
        QVERIFY(QTest::qWaitForWindowExposed(p.screens().mainMenu));
        bool noBox = false;
        Script script(300);
        script.waitUntil([] { return openBox() && onTop(openBox()); }, &noBox);
        script.add([&] { bar = titleBar(openBox()); });
        script.add([] { pressKeyNow("Escape"); });
        script.start();
        switch (dialogs::Kind(kind)) {
        case dialogs::Kind::Warning:
            dialogs::warn(text);
            break;
        case dialogs::Kind::Question:
            dialogs::ask(title, text);
            break;
        default:
            dialogs::inform(text);
        }
        QTRY_VERIFY_WITH_TIMEOUT(script.done(), 10000);
        QVERIFY(!noBox);
    }
    QVERIFY2(!bar.isNull(), "openbox drew no title bar");
    WideProbe wide(title);
    wide.create();
    wide.Show();
    const QImage shown = titleText(activeBar(&wide));
    wide.Close();
    QVERIFY2(shown.width() >= 7 * title.size(), qPrintable(QStringLiteral("%1 px of text").arg(shown.width())));
    QVERIFY2(shows(bar, shown), qPrintable(QStringLiteral("the title is cut: %1 px of text on a %2 px bar").arg(shown.width()).arg(bar.width())));
}

PZ_GUI_TEST_MAIN(TestTitles)
#include "tst_wm_titles.moc"
