// The application's model of which screen is active: when FormActivate runs, and when it must not.
#include "support/testmain.h"

#include "kit/screen.h"

namespace {
class Probe : public Screen {
public:
    explicit Probe(const char *name, Kind kind = Kind::Dialog)
        : Screen({QString::fromLatin1(name), kind, QSize(200, 100), QPoint(10, 10)})
    {
        setObjectName(QString::fromLatin1(name));
    }
    QStringList *log = nullptr;
    void FormShow() override { note("show"); }
    void FormActivate() override { note("activate"); }
    void FormCloseQuery() override { note("closequery"); }
    void note(const char *what)
    {
        if (log)
            log->append(objectName() + QLatin1Char(':') + QLatin1String(what));
    }
};
} // namespace

class TestScreenModel : public QObject {
    Q_OBJECT
    QStringList log;
    std::unique_ptr<Probe> a, b, c;

private slots:
    void init()
    {
        log.clear();
        a = std::make_unique<Probe>("A", Screen::Kind::FullScreen);
        b = std::make_unique<Probe>("B");
        c = std::make_unique<Probe>("C");
        for (Probe *p : {a.get(), b.get(), c.get()}) {
            p->log = &log;
            p->create();
        }
    }
    void cleanup()
    {
        c.reset();
        b.reset();
        a.reset();
    }

    void showActivatesAndCloseActivatesTheScreenBeneath()
    {
        a->Show();
        b->Show();
        QCOMPARE(App::instance()->activeScreen(), b.get());
        b->Close();
        QCOMPARE(App::instance()->activeScreen(), a.get());
        QCOMPARE(log, (QStringList{"A:show", "A:activate", "B:show", "B:activate", "B:closequery", "A:activate"}));
    }

    void showingTheActiveScreenAgainDoesNotReactivate()
    {
        a->Show();
        a->Show();
        QCOMPARE(log.count("A:activate"), 1);
        QCOMPARE(log.count("A:show"), 1);
    }

    void closingAScreenBeneathKeepsTheActiveOne()
    {
        a->Show();
        b->Show();
        c->Show();
        b->Close();
        QCOMPARE(App::instance()->activeScreen(), c.get());
        c->Close();
        QCOMPARE(App::instance()->activeScreen(), a.get()); // B is no longer open
        QCOMPARE(log.count("A:activate"), 2);
    }

    void hideSkipsTheCloseHandling()
    {
        a->Show();
        b->Show();
        b->Hide();
        QVERIFY(!log.contains("B:closequery"));
        QCOMPARE(App::instance()->activeScreen(), a.get());
    }

    void modalDialogGivesBackActivenessWithoutFormActivate()
    {
        a->Show();
        bool wasModal = false;
        QTimer::singleShot(0, this, [&] {
            wasModal = App::instance()->modalRunning() && App::instance()->activeScreen() == b.get();
            b->Close();
        });
        b->ShowModal();
        QVERIFY(wasModal);
        QCOMPARE(App::instance()->activeScreen(), a.get());
        QCOMPARE(log.count("A:activate"), 1);
        QVERIFY(!App::instance()->modalRunning());
    }

    void messageBoxLeavesTheActiveScreen()
    {
        a->Show();
        b->Show();
        dialogs::warn(QStringLiteral("x"));
        QCOMPARE(App::instance()->activeScreen(), b.get());
        QCOMPARE(log.count("B:activate"), 1);
    }

    void pressOnAScreenBeneathActivatesIt()
    {
        a->Show();
        b->Show();
        QTest::mousePress(a.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(App::instance()->activeScreen(), a.get());
        QCOMPARE(log.count("A:activate"), 2);
        QTest::mouseRelease(a.get(), Qt::LeftButton, {}, QPoint(5, 5));
        // The press on the already active screen changes nothing.
        QTest::mousePress(a.get(), Qt::LeftButton, {}, QPoint(6, 6));
        QCOMPARE(log.count("A:activate"), 2);
    }

    void closeBoxRunsTheProgramsClose()
    {
        a->Show();
        b->Show();
        b->close(); // as the window's close box would; the program hides it itself
        QVERIFY(log.contains("B:closequery"));
        QVERIFY(!b->isVisible());
        QCOMPARE(App::instance()->activeScreen(), a.get());
    }
};

PZ_GUI_TEST_MAIN(TestScreenModel)
#include "tst_screenmodel.moc"
