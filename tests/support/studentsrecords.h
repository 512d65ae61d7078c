#pragma once
// The teacher's screen in the screen tests: users with a history, the list and table as text, choosing
// a name, and the deletion question answered from inside its modal loop.
#include "support/testmain.h"

#include "records/mastergate.h"
#include "records/recordgrid.h"
#include "shell/main.h"
#include "kit/widgets.h"
#include "users/delkakunin.h"
#include "users/userstore.h"

#include <QListWidget>
#include <QSet>
#include <QTimer>
#include <functional>

namespace studentsrecords {
using testsupport::cp932Lines;
using testsupport::Program;

inline const QString kHeaderCells = QStringLiteral("級/段|日付|正解数|不正解数|合否");
inline const QString kBlank = QStringLiteral("||||");

inline QString drill(int i) { return QStringLiteral("%1級,2006/2/%2,%3,%4,合格").arg(i).arg(i, 2, 10, QLatin1Char('0')).arg(8 + i % 3).arg(2 - i % 3); }

// Drill lines 1..n.
inline QStringList drills(int n)
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << drill(i);
    return lines;
}

inline bool exists(const QString &name, const char *ext) { return QFileInfo::exists(testsupport::inRoom(QStringLiteral("user/") + name + QString::fromLatin1(ext))); }

inline QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

inline int distinct(const QStringList &names) { return int(QSet<QString>(names.begin(), names.end()).size()); }

inline QStringList table(const RecordGrid *g)
{
    QStringList rows;
    for (int r = 0; r < g->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells << g->Cells(c, r);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

inline QStringList drillRows(int drills)
{
    QStringList rows{kHeaderCells};
    for (int i = 1; i <= drills; ++i)
        rows << drill(i).replace(QLatin1Char(','), QLatin1Char('|'));
    return rows << kBlank;
}

inline void choose(TForm13 *f, const QString &name)
{
    const QList<QListWidgetItem *> items = f->ListBox1->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    f->ListBox1->scrollToItem(items.first());
    QTest::mouseClick(f->ListBox1->viewport(), Qt::LeftButton, {}, f->ListBox1->visualItemRect(items.first()).center());
}

// Presses 削除 and runs `answer` while the question is up (its own modal loop); a question still
// up after five seconds is closed, so that a fault cannot hang the test.
inline void ask(Program &p, const std::function<void()> &answer)
{
    QObject scope;
    bool asked = false;
    QTimer::singleShot(0, &scope, [&] {
        asked = true;
        QVERIFY(p.screens().deletionConfirm->isVisible());
        QVERIFY(p.app().modalRunning());
        answer();
    });
    QTimer::singleShot(5000, &scope, [&] {
        if (p.screens().deletionConfirm->isVisible())
            p.screens().deletionConfirm->Close();
    });
    QTest::mouseClick(p.screens().studentsRecords->Label3, Qt::LeftButton);
    QVERIFY(asked);
}

inline void yes(Program &p) { QTest::mouseClick(p.screens().deletionConfirm->Label1, Qt::LeftButton); }
inline void no(Program &p) { QTest::mouseClick(p.screens().deletionConfirm->Label2, Qt::LeftButton); }

// The teacher's screen as the master password entry opens it.
inline TForm13 *open(Program &p)
{
    p.screens().mainMenu->Show();
    p.screens().studentsRecords->Show();
    return p.screens().studentsRecords;
}
} // namespace studentsrecords
