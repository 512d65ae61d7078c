#include "records/rowsplit.h"

namespace rowsplit {

namespace {
constexpr QChar kQuote = u'"';
constexpr QChar kComma = u',';

bool isBlank(QChar c) { return c.unicode() >= 1 && c.unicode() <= 32; }

// The index of the quote that closes a quoted item opened at `open`, or -1 when none does.
qsizetype closingQuote(QStringView line, qsizetype open)
{
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        if (line[i] != kQuote)
            continue;
        if (i + 1 < line.size() && line[i + 1] == kQuote)
            ++i; // a doubled quote stands for one
        else
            return i;
    }
    return -1;
}

// The item's text, cut to kMaxCell characters with the cut mark last. Only what is kept is copied.
QString cellText(QStringView item)
{
    if (item.size() <= kMaxCell)
        return item.toString();
    return item.left(kMaxCell - 1).toString() + kCutMark;
}

// A quoted item's text: "" stands for one ". Never more than twice kMaxCell characters are
// unescaped, which leaves at least kMaxCell of them whenever there are more.
QString quotedText(QStringView inner)
{
    QString item = inner.left(2 * kMaxCell).toString();
    item.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (inner.size() > 2 * kMaxCell && item.size() == kMaxCell)
        return item.left(kMaxCell - 1) + kCutMark; // exactly kMaxCell kept, and more behind them
    return cellText(item);
}
} // namespace

Row splitRow(QStringView line)
{
    Row row;
    int filled = 0;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && isBlank(line[i]))
        ++i;
    // Items beyond the fifth are dropped: the rest of the line is not even looked at.
    while (i < n && filled < kColumns) {
        QString item;
        const qsizetype close = line[i] == kQuote ? closingQuote(line, i) : -1;
        if (close >= 0) {
            item = quotedText(line.mid(i + 1, close - i - 1));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != kComma && !isBlank(line[i]))
                ++i;
            item = cellText(line.mid(start, i - start));
        }
        if (!item.isEmpty())
            row[filled++] = item;
        while (i < n && isBlank(line[i]))
            ++i;
        if (i < n && line[i] == kComma) {
            ++i;
            while (i < n && isBlank(line[i]))
                ++i;
        }
    }
    return row;
}

} // namespace rowsplit
