// The row-splitting rule without a display: separators, quotes, empty items, too many and too few
// items, double-byte text straight from cp932 bytes, and a quote that is never closed.
#include "platform/textfile.h"
#include "records/rowsplit.h"

#include <QtTest>

using rowsplit::Row;

Q_DECLARE_METATYPE(Row)

namespace {
Row row(std::initializer_list<const char *> cells)
{
    Row r;
    size_t i = 0;
    for (const char *c : cells)
        r[i++] = QString::fromUtf8(c);
    return r;
}

QString cellsText(const Row &r)
{
    QStringList parts;
    for (const QString &c : r)
        parts << QLatin1Char('[') + c + QLatin1Char(']');
    return parts.join(QLatin1Char(' '));
}
} // namespace

class TestRowSplit : public QObject {
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void fromCp932Bytes_data();
    void fromCp932Bytes();
};

void TestRowSplit::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Row>("cells");

    auto add = [](const char *name, const QString &line, const Row &cells) { QTest::newRow(name) << line << cells; };
    const QString ctl1 = QString(QChar(1)), ctl31 = QString(QChar(31));

    add("a drill line as written", QStringLiteral("１０級,2004/7/05,8,2,合格"), row({"１０級", "2004/7/05", "8", "2", "合格"}));
    add("the header", QStringLiteral("級/段,日付,正解数,不正解数,合否"), row({"級/段", "日付", "正解数", "不正解数", "合否"}));
    add("empty line", QString(), row({}));
    add("blanks only", QStringLiteral(" \t  "), row({}));
    add("blanks around items", QStringLiteral("   a ,  b\t,\tc   "), row({"a", "b", "c"}));
    add("blank before a comma", QStringLiteral("a ,b"), row({"a", "b"}));
    add("tabs separate", QStringLiteral("a\tb\tc"), row({"a", "b", "c"}));
    add("control characters separate", QStringLiteral("a") + ctl1 + QStringLiteral("b,c") + ctl31 + QStringLiteral("d"), row({"a", "b", "c", "d"}));
    add("a carriage return inside", QStringLiteral("a\rb"), row({"a", "b"}));
    add("code 127 is no separator", QStringLiteral("a\x7f" "b"), row({"a\x7f" "b"}));
    add("a field holding a blank: the last item has no cell",
        QStringLiteral("１０級,2004/7/05,8 8,2,合格"), row({"１０級", "2004/7/05", "8", "8", "2"}));
    add("empty items fill nothing", QStringLiteral("a,,b"), row({"a", "b"}));
    add("leading commas", QStringLiteral(",,,a"), row({"a"}));
    add("trailing comma", QStringLiteral("a,b,"), row({"a", "b"}));
    add("empty quoted item fills nothing", QStringLiteral("\"\",a"), row({"a"}));
    add("seven items, two dropped", QStringLiteral("1,2,3,4,5,6,7"), row({"1", "2", "3", "4", "5"}));
    add("six items with empties between", QStringLiteral("1,,2,,3,,4,,5,,6"), row({"1", "2", "3", "4", "5"}));
    add("two items, three cells empty", QStringLiteral("1,2"), row({"1", "2"}));
    add("quoted item keeps commas and blanks", QStringLiteral("\"a, b\",c"), row({"a, b", "c"}));
    add("doubled quotes stand for one", QStringLiteral("\"say \"\"hi\"\"\",x"), row({"say \"hi\"", "x"}));
    add("only a doubled quote", QStringLiteral("\"\"\"\""), row({"\""}));
    add("blanks between quoted items", QStringLiteral("\"a\"  \"b\" , \"c\""), row({"a", "b", "c"}));
    add("text right after a closing quote", QStringLiteral("\"ab\"cd,e"), row({"ab", "cd", "e"}));
    add("a quote inside an item is kept", QStringLiteral("ab\"c,d"), row({"ab\"c", "d"}));
    add("unclosed quote: kept, cut as usual", QStringLiteral("\"abc,def"), row({"\"abc", "def"}));
    add("unclosed quote after items", QStringLiteral("a,\"b c"), row({"a", "\"b", "c"}));
    add("unclosed quote after a doubled one", QStringLiteral("\"ab\"\"c d"), row({"\"ab\"\"c", "d"}));
    add("a closed quote before an unclosed one", QStringLiteral("\"a b\",\"c,d"), row({"a b", "\"c", "d"}));
    add("full-width blank and comma are text", QStringLiteral("　全角　,Ａ，Ｂ"), row({"　全角　", "Ａ，Ｂ"}));

    // An item longer than any field is damage: cut, marked, and the items after it in their cells.
    const qsizetype max = rowsplit::kMaxCell;
    const auto cells = [](std::initializer_list<QString> l) {
        Row r;
        std::copy(l.begin(), l.end(), r.begin());
        return r;
    };
    const QString cut = QString(max - 1, u'7') + QStringLiteral("…");
    add("item of exactly the longest length kept", QString(max, u'7') + QStringLiteral(",1"), cells({QString(max, u'7'), "1"}));
    add("one character more is cut", QString(max + 1, u'7') + QStringLiteral(",1"), cells({cut, "1"}));
    add("a megabyte in the third field", QStringLiteral("１０級,2004/7/05,") + QString(1 << 20, u'7') + QStringLiteral(",1,合格"),
        cells({"１０級", "2004/7/05", cut, "1", "合格"}));
    add("long quoted item with doubled quotes", QLatin1Char('"') + QString(max, u'"') + QString(3 * max, u'7') + QStringLiteral("\",x"),
        cells({QString(max / 2, u'"') + QString(max / 2 - 1, u'7') + QStringLiteral("…"), "x"}));
    add("quoted item of exactly the longest length", QLatin1Char('"') + QString(2 * max, u'"') + QStringLiteral("\",x"),
        cells({QString(max, u'"'), "x"}));
}

void TestRowSplit::split()
{
    QFETCH(QString, line);
    QFETCH(Row, cells);
    const Row got = rowsplit::splitRow(line);
    QVERIFY2(got == cells, qPrintable(cellsText(got) + QStringLiteral(" != ") + cellsText(cells)));
}

void TestRowSplit::fromCp932Bytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Row>("cells");

    // 表 ソ 能 十 end in 0x5C, ー in 0x5B, ～ is 0x81 0x60: each stays one character.
    QTest::newRow("second bytes that look like ASCII")
        << QByteArray("\x95\x5c,\x83\x5c \x94\x5c\t\x8f\x5c,\x81\x5b\x81\x60") << row({"表", "ソ", "能", "十", "ー～"});
    QTest::newRow("full-width blank 0x81 0x40 is no separator")
        << QByteArray("\x82\xa0\x81\x40\x82\xa2,x") << row({"あ　い", "x"});
    QTest::newRow("half-width katakana") << QByteArray("\xb1\xb2,\xb3") << row({"ｱｲ", "ｳ"});
    QTest::newRow("a drill line") << QByteArray("\x82\x50\x82\x4f\x8b\x89,2004/7/05,8,2,\x8d\x87\x8a\x69")
                                  << row({"１０級", "2004/7/05", "8", "2", "合格"});
    // A byte that is no cp932 character stays inside its item (as U+FFFD): it must not move the
    // items after it into other columns. A control byte, 0x1A too, separates like a blank.
    QTest::newRow("bytes that are no character") << QByteArray::fromHex("626164802ca0782cfdfeff2c79")
                                                  << row({"bad\uFFFD", "\uFFFDx", "\uFFFD\uFFFD\uFFFD", "y"});
    QTest::newRow("lone lead byte before a comma") << QByteArray("\x81,abc,d") << row({"\uFFFD", "abc", "d"});
    QTest::newRow("lead byte with a digit for its second byte") << QByteArray("x\x81" "1y,z") << row({"x\uFFFD" "1y", "z"});
    QTest::newRow("lead byte at the end of a torn line") << QByteArray("a,b\x82") << row({"a", "b\uFFFD"});
    QTest::newRow("control byte 0x1A separates") << QByteArray("a\x1a" "b,c") << row({"a", "b", "c"});
    QTest::newRow("DEL 0x7F does not") << QByteArray("a\x7f" "b,c") << row({"a\x7f" "b", "c"});
}

void TestRowSplit::fromCp932Bytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Row, cells);
    const Row got = rowsplit::splitRow(textfile::decode(bytes));
    QVERIFY2(got == cells, qPrintable(cellsText(got) + QStringLiteral(" != ") + cellsText(cells)));
}

QTEST_GUILESS_MAIN(TestRowSplit)
#include "tst_core_rowsplit.moc"
