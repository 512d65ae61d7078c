// The bevelled push button. Clicks from the keyboard: Space, Return and the accelerator.
#include "shell/cutebtn_stage.h"

class TestCuteButtonKeys : public QObject {
    Q_OBJECT
private slots:
    void init() { recorder().clear(); }

    void keyboard_data();
    void keyboard();
    void accelerator();
};

void TestCuteButtonKeys::keyboard_data()
{
    // Steps: "v" key down, "^" key up, "~" X11 auto-repeat release; S space, R return, E escape.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<int>>("clicksAfterEach");
    QTest::addColumn<Bevel>("after");
    QTest::newRow("space clicks on key-up") << "vS ^S" << QList<int>{0, 1} << Bevel::Raised;
    QTest::newRow("return clicks on key-down") << "vR ^R" << QList<int>{1, 1} << Bevel::Raised;
    QTest::newRow("held return repeats") << "vR vR vR ^R" << QList<int>{1, 2, 3, 3} << Bevel::Raised;
    QTest::newRow("another key abandons space") << "vS vE ^E ^S" << QList<int>{0, 0, 0, 0} << Bevel::Raised;
    QTest::newRow("held space: auto-repeat releases do not click") << "vS ~S vS ~S vS ^S"
                                                                    << QList<int>{0, 0, 0, 0, 0, 1} << Bevel::Raised;
    QTest::newRow("space up without space down") << "^S" << QList<int>{0} << Bevel::Raised;
}

void TestCuteButtonKeys::keyboard()
{
    QFETCH(QString, steps);
    QFETCH(QList<int>, clicksAfterEach);
    QFETCH(Bevel, after);
    Stage s;
    s.b->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(s.b->hasFocus());
    const QStringList list = steps.split(' ');
    QCOMPARE(list.size(), clicksAfterEach.size());
    for (int i = 0; i < list.size(); ++i) {
        const QChar kind = list[i][0];
        const QChar k = list[i][1];
        const Qt::Key key = k == 'S' ? Qt::Key_Space : k == 'R' ? Qt::Key_Return : Qt::Key_Escape;
        const QString text = k == 'S' ? " " : k == 'R' ? "\r" : "\x1b";
        if (kind == 'v') {
            QTest::keyPress(s.b, key);
            if (k == 'S')
                QCOMPARE(s.b->BevelOuter(), Bevel::Lowered);
        } else if (kind == '^') {
            QTest::keyRelease(s.b, key);
        } else {
            QKeyEvent e(QEvent::KeyRelease, key, Qt::NoModifier, text, true);
            QCoreApplication::sendEvent(s.b, &e);
        }
        QVERIFY2(s.clicks == clicksAfterEach[i], qPrintable(list[i]));
    }
    if (steps.contains("vR")) // Return clicks while the button looks pressed
        QVERIFY(s.log.contains(QStringLiteral("click:%1").arg(int(Bevel::Lowered))));
    QCOMPARE(s.b->BevelOuter(), after);
    QVERIFY(!s.b->spacePressed());
}

void TestCuteButtonKeys::accelerator()
{
    Stage s;
    s.b->setCaption(QStringLiteral("とじる(&C)"));
    QTest::keyClick(s.host.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
    QCOMPARE(s.log.first(), QStringLiteral("click:%1").arg(int(Bevel::Lowered)));
    QCOMPARE(s.b->BevelOuter(), Bevel::Raised);
    s.b->setEnabled(false);
    QTest::keyClick(s.host.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
    s.b->setEnabled(true);
    s.b->setCaption(QStringLiteral("とじる"));
    QTest::keyClick(s.host.get(), Qt::Key_C, Qt::AltModifier);
    QCOMPARE(s.clicks, 1);
}

PZ_GUI_TEST_MAIN(TestCuteButtonKeys)
#include "tst_cutebtn_keys.moc"
