#include "records/pacemarks.h"

#include "base/errors.h"
#include "drill/pace.h"
#include "records/overview.h"
#include "records/rowsplit.h"
#include "users/userstore.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace pacemarks {

namespace {
// The grade and the date of a history line. A line as the program writes it ("grade,date,…", no
// blank or quote in those two) is read in place; any other goes through the row rule.
struct Key {
    QString grade;
    QDate date;
};
Key keyOf(const QString &line)
{
    const QStringView l(line);
    const qsizetype c1 = l.indexOf(QLatin1Char(','));
    const qsizetype c2 = c1 < 0 ? -1 : l.indexOf(QLatin1Char(','), c1 + 1);
    const auto plain = [](QStringView v) {
        return std::none_of(v.begin(), v.end(), [](QChar c) { return c.unicode() <= 32 || c == QLatin1Char('"'); });
    };
    if (c1 > 0 && c2 > c1 + 1 && plain(l.first(c2)))
        return {l.first(c1).toString(), overview::parseDate(l.sliced(c1 + 1, c2 - c1 - 1))};
    const rowsplit::Row cells = rowsplit::splitRow(line);
    return {cells[0], overview::parseDate(cells[1])};
}
} // namespace

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
        const Key key = keyOf(history[i]);
        const QDate day = key.date;
        if (day.isValid() && day == e->date && key.grade == e->grade) {
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

std::vector<overview::Summary> classroom(const QDate &today)
{
    std::vector<overview::Summary> rows;
    for (const QString &name : userstore::listUsers()) {
        try {
            const QStringList history = userstore::readHistory(name);
            rows.push_back(overview::summarize(name, history, today, lateDrillsOf(name, history)));
        } catch (const pz::IoError &) {
            rows.push_back(overview::withoutHistory(name));
        }
    }
    return rows;
}

overview::Course courseOf(const QString &user)
{
    try {
        const QStringList history = userstore::readHistory(user);
        return overview::course(history, lateDrillsOf(user, history));
    } catch (const pz::IoError &) {
        return {};
    }
}

} // namespace pacemarks
