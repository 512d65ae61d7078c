#include "records/pacemarks.h"

#include "base/errors.h"
#include "drill/pace.h"
#include "records/overview.h"
#include "records/rowsplit.h"
#include "users/userstore.h"

#include <optional>
#include <vector>

namespace pacemarks {

QList<bool> lateDrills(const QStringList &history, const QStringList &paceLines)
{
    QList<bool> late(history.size(), false);
    std::vector<pace::Entry> entries;
    entries.reserve(size_t(paceLines.size()));
    for (const QString &line : paceLines)
        if (std::optional<pace::Entry> e = pace::parse(line))
            entries.push_back(*e);

    qsizetype i = history.size() - 1;
    auto e = entries.rbegin();
    while (i >= 1 && e != entries.rend()) {
        const rowsplit::Row cells = rowsplit::splitRow(history[i]);
        const QDate day = overview::parseDate(cells[1]);
        if (day.isValid() && day == e->date && cells[0] == e->grade) {
            late[i--] = e->late;
            ++e;
        } else if (day.isValid() && e->date > day) {
            ++e; // a pace line without its history line
        } else {
            --i; // a drill without a pace line
        }
    }
    return late;
}

QList<bool> lateDrillsOf(const QString &user, const QStringList &history)
{
    QStringList paceLines;
    try {
        paceLines = userstore::readPace(user);
    } catch (const pz::Error &) {
        // Left as it is: the pace file is no record, and a damaged one only loses its marks.
    }
    return lateDrills(history, paceLines);
}

} // namespace pacemarks
