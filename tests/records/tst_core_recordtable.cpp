// The records table without a display: the row count a loading leaves, what a zero-byte history
// and closing leave behind, row 0 as the model's header, and the model's consistency for views.
#include "records/recordtable.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {
const QString kHeader = QStringLiteral("級/段,日付,正解数,不正解数,合否");

QStringList drills(int n)
{
    QStringList lines{kHeader};
    for (int i = 1; i <= n; ++i)
        lines << QStringLiteral("%1級,2004/7/%2,%3,%4,合格").arg(i % 10 + 1).arg(i % 28 + 1, 2, 10, QLatin1Char('0')).arg(i % 11).arg(10 - i % 11);
    return lines;
}

// Every cell of the table as one text per row, "a|b|c|d|e".
QStringList dump(const RecordTable &t)
{
    QStringList rows;
    for (int r = 0; r < t.rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < rowsplit::kColumns; ++c)
            cells << t.cell(c, r);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QString blankRow() { return QStringLiteral("||||"); }
} // namespace

class TestRecordTable : public QObject {
    Q_OBJECT
private slots:
    void loading_data();
    void loading();
    void shrinkAndGrow();
    void clearKeepsRowCount();
    void headerRowIsTheModelsHeader();
    void outOfRangeCellsAreEmpty();
};

void TestRecordTable::loading_data()
{
    QTest::addColumn<int>("startRows");
    QTest::addColumn<bool>("presetHeader");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("table"); // every row, cells joined by '|'

    const QString header = QStringLiteral("級/段|日付|正解数|不正解数|合否");
    const QString blank = blankRow();
    QTest::newRow("header only: one empty row under it") << 2 << true << drills(0) << QStringList{header, blank};
    QTest::newRow("three drills: five rows")
        << 2 << true << drills(3)
        << QStringList{header, QStringLiteral("2級|2004/7/02|1|9|合格"), QStringLiteral("3級|2004/7/03|2|8|合格"),
                       QStringLiteral("4級|2004/7/04|3|7|合格"), blank};
    QTest::newRow("zero bytes, header preset: row count kept")
        << 4 << true << QStringList() << QStringList{header, blank, blank, blank};
    QTest::newRow("zero bytes, nothing preset: all blank, count kept")
        << 5 << false << QStringList() << QStringList{blank, blank, blank, blank, blank};
    QTest::newRow("one drill shrinks five rows to three")
        << 5 << false << drills(1) << QStringList{header, QStringLiteral("2級|2004/7/02|1|9|合格"), blank};
    QTest::newRow("row 0 is the file's own first line")
        << 5 << true << QStringList{QStringLiteral("x y,z"), QStringLiteral("1,2,3,4,5,6,7")}
        << QStringList{QStringLiteral("x|y|z||"), QStringLiteral("1|2|3|4|5"), blank};
    QTest::newRow("too small a start is two rows") << 0 << true << QStringList() << QStringList{header, blank};
    // A line of megabytes (damage) shows its cells cut and marked; the rows around it are whole.
    const QString cut = QString(rowsplit::kMaxCell - 1, u'9') + QStringLiteral("…");
    QTest::newRow("a line of four megabytes among drills")
        << 2 << true
        << QStringList{kHeader, QStringLiteral("１０級,2004/7/05,") + QString(4 << 20, u'9') + QStringLiteral(",1,合格"),
                       QString(4 << 20, u'9'), drills(1).last()}
        << QStringList{header, QStringLiteral("１０級|2004/7/05|") + cut + QStringLiteral("|1|合格"), cut + QStringLiteral("||||"),
                       QStringLiteral("2級|2004/7/02|1|9|合格"), blank};
}

void TestRecordTable::loading()
{
    QFETCH(int, startRows);
    QFETCH(bool, presetHeader);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, table);

    RecordTable t(startRows);
    if (presetHeader)
        t.setRow(0, kHeader);
    t.load(lines);
    QCOMPARE(dump(t), table);
    QCOMPARE(t.rows(), table.size());
    QCOMPARE(t.rowCount(), table.size() - 1);
}

void TestRecordTable::shrinkAndGrow()
{
    RecordTable t(2);
    QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::QtTest);
    t.load(drills(20));
    QCOMPARE(t.rows(), 22);
    QCOMPARE(t.cell(4, 20), QStringLiteral("合格"));
    t.load(drills(2));
    QCOMPARE(t.rows(), 4);
    QCOMPARE(t.cell(0, 2), QStringLiteral("3級"));
    QCOMPARE(t.cell(0, 3), QString());
    QCOMPARE(t.cell(4, 20), QString()); // gone with its row
    t.clearCells();
    t.load(QStringList());
    t.load(drills(1));
    QCOMPARE(t.rowCount(), 2);
    // A long line's cells go with it: by a loading, and by a row set anew.
    t.load({kHeader, QString(RecordTable::kLongLine + 1, u'8')});
    t.load(drills(1));
    QCOMPARE(t.cell(0, 1), QStringLiteral("2級"));
    t.setRow(1, QString(RecordTable::kLongLine + 1, u'8'));
    t.setRow(1, QStringLiteral("a,b"));
    QCOMPARE(t.cell(0, 1), QStringLiteral("a"));
}

void TestRecordTable::clearKeepsRowCount()
{
    RecordTable t(2);
    t.load(drills(12));
    QCOMPARE(t.rows(), 14);
    t.clearCells();
    QCOMPARE(t.rows(), 14);
    for (const QString &r : dump(t))
        QCOMPARE(r, blankRow());
    // Reloading the same history shows the same table.
    t.setRow(0, kHeader);
    t.load(drills(12));
    RecordTable fresh(2);
    fresh.load(drills(12));
    QCOMPARE(dump(t), dump(fresh));
}

void TestRecordTable::headerRowIsTheModelsHeader()
{
    RecordTable t(2);
    QSignalSpy headerChanged(&t, &QAbstractItemModel::headerDataChanged);
    QSignalSpy dataChanged(&t, &QAbstractItemModel::dataChanged);
    t.setRow(0, kHeader);
    QCOMPARE(headerChanged.size(), 1);
    QCOMPARE(dataChanged.size(), 0);
    QCOMPARE(t.headerData(1, Qt::Horizontal).toString(), QStringLiteral("日付"));
    QCOMPARE(t.headerData(4, Qt::Horizontal).toString(), QStringLiteral("合否"));
    QVERIFY(!t.headerData(0, Qt::Vertical).isValid());

    t.setRow(1, QStringLiteral("１０級,2004/7/05,8,2,合格"));
    QCOMPARE(dataChanged.size(), 1);
    QCOMPARE(dataChanged.at(0).at(0).value<QModelIndex>().row(), 0);
    QCOMPARE(t.data(t.index(0, 0)).toString(), QStringLiteral("１０級"));
    QCOMPARE(t.data(t.index(0, 3)).toString(), QStringLiteral("2"));
    QVERIFY(!(t.flags(t.index(0, 0)) & Qt::ItemIsEditable));
    QVERIFY(!(t.flags(t.index(0, 0)) & Qt::ItemIsSelectable));
}

void TestRecordTable::outOfRangeCellsAreEmpty()
{
    RecordTable t(3);
    t.setRow(0, kHeader);
    t.setRow(3, QStringLiteral("past,the,end")); // no such row: ignored
    t.setRow(-1, QStringLiteral("x"));
    QCOMPARE(t.rows(), 3);
    QCOMPARE(t.cell(0, 3), QString());
    QCOMPARE(t.cell(5, 0), QString());
    QCOMPARE(t.cell(-1, 0), QString());
    QCOMPARE(t.cell(0, 0), QStringLiteral("級/段"));
}

QTEST_GUILESS_MAIN(TestRecordTable)
#include "tst_core_recordtable.moc"
