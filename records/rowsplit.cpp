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
} // namespace

Row splitRow(QStringView line)
{
    Row row;
    int filled = 0;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n && isBlank(line[i]))
        ++i;
    while (i < n) {
        QString item;
        const qsizetype close = line[i] == kQuote ? closingQuote(line, i) : -1;
        if (close >= 0) {
            item = line.mid(i + 1, close - i - 1).toString();
            item.replace(QStringLiteral("\"\""), QStringLiteral("\""));
            i = close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && line[i] != kComma && !isBlank(line[i]))
                ++i;
            item = line.mid(start, i - start).toString();
        }
        if (!item.isEmpty() && filled < kColumns)
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
