#include "drill/review.h"

#include "drill/drillrules.h"

namespace review {

namespace {

// Whether typed is sum with one pair of neighbouring, different digits exchanged.
bool neighbourDigitsSwapped(qint64 sum, qint64 typed)
{
    if (sum < 0 || typed < 0)
        return false;
    const QString s = QString::number(sum), t = QString::number(typed);
    if (s.size() != t.size())
        return false;
    for (int i = 0; i + 1 < s.size(); ++i) {
        if (s[i] == s[i + 1])
            continue;
        QString swapped = s;
        std::swap(swapped[i], swapped[i + 1]);
        if (swapped == t)
            return true;
    }
    return false;
}

// Full-width digits, as the program's captions write counts ("３ばんめ").
QString wide(int n)
{
    QString s = QString::number(n);
    for (QChar &c : s)
        c = QChar(c.unicode() - u'0' + 0xFF10);
    return s;
}

} // namespace

QList<qint64> subtotals(const QList<int> &numbers)
{
    QList<qint64> out;
    qint64 s = 0;
    for (int n : numbers)
        out << (s += n);
    return out;
}

Explanation explain(const QList<int> &numbers, qint64 typed)
{
    using Kind = Explanation::Kind;
    const qint64 sum = drillrules::questionSum(numbers);
    if (typed == sum || numbers.isEmpty())
        return {};
    for (int i = 0; i < numbers.size(); ++i)
        if (sum - numbers[i] == typed)
            return {Kind::Missing, i + 1, numbers[i]};
    for (int i = 0; i < numbers.size(); ++i)
        if (sum + numbers[i] == typed)
            return {Kind::Doubled, i + 1, numbers[i]};
    if (neighbourDigitsSwapped(sum, typed))
        return {Kind::Swapped, 0, 0};
    // The carry into column j is what the columns below it add up to, in units of 10^j.
    qint64 unit = 10;
    for (int column = 1; unit <= sum; ++column, unit *= 10) {
        qint64 below = 0;
        for (int n : numbers)
            below += n % unit;
        const qint64 carry = below / unit;
        if (carry > 0 && sum - carry * unit == typed)
            return {Kind::LostCarry, column, 0};
    }
    return {};
}

QString sentence(const Explanation &e)
{
    static const char *const columns[] = {"いち", "じゅう", "ひゃく", "せん", "まん", "じゅうまん", "ひゃくまん"};
    switch (e.kind) {
    case Explanation::Kind::None:
        return QString();
    case Explanation::Kind::Missing:
        return wide(e.position) + QStringLiteral("ばんめの %1 を たしていない みたい").arg(e.number);
    case Explanation::Kind::Doubled:
        return wide(e.position) + QStringLiteral("ばんめの %1 を ２かい たした みたい").arg(e.number);
    case Explanation::Kind::Swapped:
        return QStringLiteral("となりの すうじが いれかわった みたい");
    case Explanation::Kind::LostCarry: {
        const int c = qBound(0, e.position, int(std::size(columns)) - 1);
        return QString::fromUtf8(columns[c]) + QStringLiteral("のくらいへの くりあがりを わすれた みたい");
    }
    }
    return QString();
}

} // namespace review
