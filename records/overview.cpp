#include "records/overview.h"

#include "records/rowsplit.h"
#include "settings/rand.h"

#include <algorithm>
#include <array>
#include <utility>

namespace overview {

namespace {
// Grade names compared in their compatibility form, so that "１０級" and "10級" are one grade.
QString folded(QStringView text) { return text.toString().normalized(QString::NormalizationForm_KC); }

// A whole cell of ASCII digits as a number; -1 for anything else.
int number(QStringView text)
{
    if (text.isEmpty() || text.size() > 6)
        return -1;
    int n = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}
} // namespace

GradeStep gradeStep(QStringView name)
{
    // The names as the program writes them are compared as they are; only another spelling pays
    // for the folding (a class of 400,000 lines is read in one go).
    static const auto names = [] {
        std::array<std::pair<QString, QString>, 20> all; // written, folded
        for (GradeStep s = 0; s < 20; ++s) {
            all[size_t(s)].first = settings::gradeName(settings::gradeOfBlock(s));
            all[size_t(s)].second = folded(all[size_t(s)].first);
        }
        return all;
    }();
    for (size_t s = 0; s < names.size(); ++s)
        if (name == names[s].first)
            return GradeStep(s);
    const QString f = folded(name);
    for (size_t s = 0; s < names.size(); ++s)
        if (f == names[s].second)
            return GradeStep(s);
    return kNoGrade;
}

QString gradeText(GradeStep step) { return step == kNoGrade ? QString() : settings::gradeName(settings::gradeOfBlock(step)); }

QDate parseDate(QStringView text)
{
    const qsizetype a = text.indexOf(u'/');
    const qsizetype b = a < 0 ? -1 : text.indexOf(u'/', a + 1);
    if (a != 4 || b < 0 || text.indexOf(u'/', b + 1) >= 0)
        return {};
    const QStringView month = text.sliced(a + 1, b - a - 1), day = text.sliced(b + 1);
    if (month.size() > 2 || day.size() > 2)
        return {};
    const int y = number(text.first(4)), m = number(month), d = number(day);
    if (y < 0 || m < 0 || d < 0)
        return {};
    return QDate(y, m, d); // invalid for 2026/2/30 and the like
}

namespace {
// The five cells of a line. A line as the program writes it (five non-empty fields between single
// commas, no quote, no blank or control character) is cut at its commas in place; any other line
// goes through the table's own cutting rule, which gives the same cells for the first kind.
bool cellsOf(QStringView line, std::array<QStringView, 5> &cells, rowsplit::Row &held)
{
    int n = 0;
    qsizetype start = 0;
    bool plain = line.size() < rowsplit::kMaxCell;
    for (qsizetype i = 0; plain && i <= line.size(); ++i) {
        if (i == line.size() || line[i] == u',') {
            if (i == start || n == 5) {
                plain = false;
                break;
            }
            cells[size_t(n++)] = line.sliced(start, i - start);
            start = i + 1;
        } else if (line[i].unicode() <= 32 || line[i] == u'"') {
            plain = false;
        }
    }
    if (plain)
        return n == 5;
    held = rowsplit::splitRow(line);
    for (size_t c = 0; c < 5; ++c)
        cells[c] = held[c];
    return true;
}
} // namespace

std::optional<Drill> parseDrill(QStringView line)
{
    std::array<QStringView, 5> cells;
    rowsplit::Row held;
    if (!cellsOf(line, cells, held))
        return std::nullopt;
    Drill d;
    d.grade = gradeStep(cells[0]);
    d.date = parseDate(cells[1]);
    d.correct = number(cells[2]);
    d.wrong = number(cells[3]);
    const bool pass = cells[4] == u"合格";
    const bool fail = cells[4] == u"不合格";
    if (d.grade == kNoGrade || !d.date.isValid() || d.correct < 0 || d.wrong < 0 || !(pass || fail))
        return std::nullopt;
    d.passed = pass;
    return d;
}

namespace {
bool lateAt(const QList<bool> &late, qsizetype line) { return line < late.size() && late[line]; }
} // namespace

Course course(const QStringList &lines, const QList<bool> &late)
{
    Course c;
    c.drills.reserve(size_t(std::max<qsizetype>(lines.size() - 1, 0)));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (std::optional<Drill> d = parseDrill(lines[i])) {
            d->late = lateAt(late, i);
            c.drills.push_back(*d);
        } else {
            ++c.damaged;
        }
    }
    std::stable_sort(c.drills.begin(), c.drills.end(), [](const Drill &a, const Drill &b) { return a.date < b.date; });
    return c;
}

Summary withoutHistory(const QString &name)
{
    Summary s;
    s.name = name;
    return s;
}

Summary summarize(const QString &name, const QStringList &lines, const QDate &today, const QList<bool> &late)
{
    Summary s;
    s.name = name;
    s.hasHistory = true;
    std::vector<Drill> drills;
    drills.reserve(size_t(std::max<qsizetype>(lines.size() - 1, 0)));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (std::optional<Drill> d = parseDrill(lines[i])) {
            drills.push_back(*d);
            s.late += lateAt(late, i) ? 1 : 0;
        } else {
            ++s.damaged;
        }
    }
    s.drills = int(drills.size());
    if (drills.empty())
        return s;

    const QDate firstRecent = today.addDays(-(kRecentDays - 1));
    for (const Drill &d : drills) {
        if (d.passed && d.grade > s.highest) {
            s.highest = d.grade;
            s.highestDate = d.date;
        }
        if (d.date >= firstRecent && d.date <= today)
            ++s.recent;
    }
    s.current = drills.back().grade;
    s.last = drills.back().date;
    for (auto it = drills.rbegin(); it != drills.rend() && s.windowDrills < kWindow; ++it) {
        if (it->grade != s.current)
            continue;
        ++s.windowDrills;
        s.windowPasses += it->passed ? 1 : 0;
    }
    s.stuck = s.windowDrills >= kWindow && s.windowPasses == 0;
    s.resting = s.last.daysTo(today) >= kRestingDays;
    return s;
}

QString dateText(const QDate &d) { return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString(); }

QString passText(const Summary &s)
{
    return s.windowDrills == 0 ? QString() : QStringLiteral("%1/%2").arg(s.windowPasses).arg(s.windowDrills);
}

QString highestText(const Summary &s)
{
    return s.highest == kNoGrade ? QString() : QStringLiteral("%1 (%2)").arg(gradeText(s.highest), dateText(s.highestDate));
}

QString marksText(const Summary &s)
{
    QStringList marks;
    if (s.stuck)
        marks << QStringLiteral("つまずき");
    if (s.resting)
        marks << QStringLiteral("おやすみ");
    if (s.late > 0)
        marks << QStringLiteral("ずれあり %1").arg(s.late);
    if (s.damaged > 0)
        marks << QStringLiteral("こわれた行 %1").arg(s.damaged);
    return marks.join(QLatin1Char(' '));
}

QString columnTitle(Column c)
{
    static const char *const titles[] = {"名前", "いまの級", "合格した級", "さいごの練習", "7日の回数", "いまの級の合格", "しるし"};
    return QString::fromUtf8(titles[c]);
}

QString cellText(const Summary &s, Column c)
{
    switch (c) {
    case Name: return s.name;
    case Current: return gradeText(s.current);
    case Highest: return highestText(s);
    case Last: return dateText(s.last);
    case Recent: return s.drills == 0 ? QString() : QString::number(s.recent);
    case Rate: return passText(s);
    case Marks: return marksText(s);
    case ColumnCount: break;
    }
    return {};
}

bool before(const Summary &a, const Summary &b, Column c)
{
    // An invalid date is the smallest QDate, as kNoGrade is the smallest step: empty cells first.
    switch (c) {
    case Name: return a.name < b.name;
    case Current: return a.current < b.current;
    case Highest:
        return a.highest != b.highest ? a.highest < b.highest : a.highestDate < b.highestDate;
    case Last: return a.last < b.last;
    case Recent:
        return (a.drills == 0 ? -1 : a.recent) < (b.drills == 0 ? -1 : b.recent);
    case Rate: {
        if (a.windowDrills == 0 || b.windowDrills == 0)
            return a.windowDrills == 0 && b.windowDrills != 0;
        // p/n < q/m without rounding
        return qint64(a.windowPasses) * b.windowDrills < qint64(b.windowPasses) * a.windowDrills;
    }
    case Marks: return marksText(a) < marksText(b);
    case ColumnCount: break;
    }
    return false;
}

QString lateLegend() { return QStringLiteral("ずれあり：パソコンがいそがしく、数字がおくれて出たかもしれない回"); }

} // namespace overview
