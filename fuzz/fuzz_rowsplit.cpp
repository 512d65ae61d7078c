// The history-line splitting rule under any line a history file can hold (decoded from cp932).
// Without quotes, every cell is a run of the line without separators (or the start of one, cut and
// marked), the cells keep the line's order, and empty cells only follow the filled ones.
#include "platform/textfile.h"
#include "records/rowsplit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
// Last: its macro name must not reach the headers above.
#include "fuzzcheck.h"


namespace {
bool isSeparator(QChar c) { return c == QLatin1Char(',') || (c.unicode() >= 1 && c.unicode() <= 32); }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString decoded = textfile::decode(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const QString &line : textfile::splitLines(decoded)) {
        const rowsplit::Row row = rowsplit::splitRow(line);
        if (line.contains(QLatin1Char('"')))
            continue;
        bool emptySeen = false;
        qsizetype from = 0;
        for (const QString &cell : row) {
            if (cell.isEmpty()) {
                emptySeen = true;
                continue;
            }
            check(!emptySeen);
            for (QChar c : cell)
                check(!isSeparator(c));
            // A cut cell holds the start of its item, then the cut mark.
            const QString kept = rowsplit::isCut(cell) ? cell.chopped(1) : cell;
            const qsizetype at = line.indexOf(kept, from);
            check(at >= 0);
            from = at + kept.size();
        }
    }
    return 0;
}
