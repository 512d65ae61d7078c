// TChDisplay's choice of mode and its answers, against a scripted display layer.
#include "support/testmain.h"

#include "kit/ChDisp.h"

using display::ChangeResult;
using display::Mode;
using testsupport::recorder;

namespace {
class FakeLayer : public display::Layer {
public:
    QList<Mode> modes;
    ChangeResult answer = ChangeResult::Successful;
    QList<QPair<Mode, bool>> changes; // the mode applied and whether the depth was kept
    int reboots = 0;

    bool enumMode(int i, Mode &out) override
    {
        if (i < 0 || i >= modes.size())
            return false;
        out = modes[i];
        return true;
    }
    ChangeResult change(const Mode &m, bool keepDepth) override
    {
        changes.append({m, keepDepth});
        return answer;
    }
    void current(int &w, int &h, int &bpp) override
    {
        w = 1024;
        h = 768;
        bpp = 16;
    }
    void reboot() override { ++reboots; }
};

Mode mode(int w, int h, int bpp, int hz, int id) { return Mode{w, h, bpp, hz, id}; }
} // namespace

class TestChDisplay : public QObject {
    Q_OBJECT
    FakeLayer layer;
private slots:
    void init()
    {
        layer = FakeLayer{};
        layer.modes = {mode(1024, 768, 32, 60, 0), mode(800, 600, 16, 75, 1), mode(800, 600, 32, 60, 2),
                       mode(800, 600, 32, 85, 3), mode(640, 480, 32, 60, 4)};
        recorder().clear();
    }

    void autoResetIsOnAtConstruction()
    {
        TChDisplay c(nullptr, layer);
        QVERIFY(c.AutoReset());
        int w = 0, h = 0, b = 0;
        c.GetDisplayMode(w, h, b);
        QCOMPARE(QList<int>({w, h, b}), QList<int>({1024, 768, 16}));
    }

    void firstMatchInTheDriversOrder_data()
    {
        QTest::addColumn<int>("bpp");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<bool>("keepDepth");
        QTest::newRow("depth 0: first 800x600 whatever its depth, depth kept") << 0 << 1 << true;
        QTest::newRow("depth 32: first 800x600 at 32 bits, its own refresh") << 32 << 2 << false;
        QTest::newRow("depth 16") << 16 << 1 << false;
    }
    void firstMatchInTheDriversOrder()
    {
        QFETCH(int, bpp);
        QFETCH(int, chosen);
        QFETCH(bool, keepDepth);
        TChDisplay c(nullptr, layer);
        QVERIFY(c.ChangeDisplayMode(800, 600, bpp));
        QCOMPARE(layer.changes.size(), 1);
        QCOMPARE(layer.changes[0].first.sizeIndex, chosen);
        QCOMPARE(layer.changes[0].second, keepDepth);
    }

    void noMatchChangesNothing_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("bpp");
        QTest::newRow("saved depth not in the list") << 800 << 600 << 24;
        QTest::newRow("size not in the list") << 1280 << 1024 << 0;
    }
    void noMatchChangesNothing()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, bpp);
        TChDisplay c(nullptr, layer);
        QVERIFY(!c.ChangeDisplayMode(w, h, bpp));
        QVERIFY(layer.changes.isEmpty());
        QVERIFY(recorder().boxes.isEmpty());
    }

    void emptyModeListChangesNothing()
    {
        layer.modes.clear();
        TChDisplay c(nullptr, layer);
        QVERIFY(!c.ChangeDisplayMode(800, 600, 0));
        QVERIFY(layer.changes.isEmpty());
    }

    void resultMapping_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("result");
        QTest::newRow("successful") << int(ChangeResult::Successful) << true;
        QTest::newRow("failed") << int(ChangeResult::Failed) << false;
        QTest::newRow("bad mode") << int(ChangeResult::BadMode) << false;
        QTest::newRow("bad flags counts as done") << int(ChangeResult::BadFlags) << true;
        QTest::newRow("bad parameter counts as done") << int(ChangeResult::BadParam) << true;
        QTest::newRow("not updated counts as done") << int(ChangeResult::NotUpdated) << true;
    }
    void resultMapping()
    {
        QFETCH(int, answer);
        QFETCH(bool, result);
        layer.answer = ChangeResult(answer);
        TChDisplay c(nullptr, layer);
        QCOMPARE(c.ChangeDisplayMode(800, 600, 32), result);
        QCOMPARE(c.ChangeDisplayMode(800, 600, 0), result);
        QVERIFY(recorder().boxes.isEmpty());
    }

    void restartQuestion_data()
    {
        QTest::addColumn<int>("bpp");
        QTest::addColumn<bool>("autoReset");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("reboots");
        QTest::newRow("depth given, AutoReset, answered Yes: restart") << 32 << true << true << 1 << 1;
        QTest::newRow("depth given, AutoReset, answered No") << 32 << true << false << 1 << 0;
        QTest::newRow("depth given, AutoReset off: no question") << 32 << false << true << 0 << 0;
        QTest::newRow("depth 0: no question whatever AutoReset") << 0 << true << true << 0 << 0;
    }
    void restartQuestion()
    {
        QFETCH(int, bpp);
        QFETCH(bool, autoReset);
        QFETCH(bool, yes);
        QFETCH(int, questions);
        QFETCH(int, reboots);
        layer.answer = ChangeResult::Restart;
        recorder().nextAnswer = yes;
        TChDisplay c(nullptr, layer);
        c.setAutoReset(autoReset);
        QVERIFY(c.ChangeDisplayMode(800, 600, bpp)); // a restart is not a failure
        recorder().nextAnswer = true;
        QCOMPARE(recorder().boxes.size(), questions);
        if (questions) {
            const dialogs::Shown &q = recorder().boxes.first();
            QCOMPARE(int(q.kind), int(dialogs::Kind::Question));
            QCOMPARE(q.title, QStringLiteral("ディスプレイ設定の変更"));
            QCOMPARE(q.text, QStringLiteral("新しい設定を有効にするには、ｺﾝﾋﾟｭｰﾀを再起動する必要があります。"));
            QVERIFY(!q.yesByDefault); // a stray Enter never restarts the PC
        }
        QCOMPARE(layer.reboots, reboots);
    }
};

PZ_GUI_TEST_MAIN(TestChDisplay)
#include "tst_chdisp.moc"
