#include "records/overview.h"

#include "records/rowsplit.h"
#include "settings/rand.h"

#include <algorithm>

namespace overview {

namespace {
// Grade names compared in their compatibility form, so that "１０級" and "10級" are one grade.
QString folded(QStringView text) { return text.toString().normalized(QString::NormalizationForm_KC); }

GradeCode codeOfStep(GradeStep step) { return step < 10 ? 10 - step : step + 1; }

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
    static const QStringList names = [] {
        QStringList all;
        for (GradeStep s = 0; s < 20; ++s)
            all << folded(settings::gradeName(codeOfStep(s)));
        return all;
    }();
    const int i = int(names.indexOf(folded(name)));
    return i < 0 ? kNoGrade : i;
}

QString gradeText(GradeStep step) { return step == kNoGrade ? QString() : settings::gradeName(codeOfStep(step)); }

QDate parseDate(QStringView text)
{
    const QList<QStringView> parts = text.split(u'/');
    if (parts.size() != 3 || parts[0].size() != 4)
        return {};
    const int y = number(parts[0]), m = number(parts[1]), d = number(parts[2]);
    if (y < 0 || m < 0 || d < 0 || parts[1].size() > 2 || parts[2].size() > 2)
        return {};
    return QDate(y, m, d); // invalid for 2026/2/30 and the like
}

std::optional<Drill> parseDrill(QStringView line)
{
    const rowsplit::Row cells = rowsplit::splitRow(line);
    Drill d;
    d.grade = gradeStep(cells[0]);
    d.date = parseDate(cells[1]);
    d.correct = number(cells[2]);
    d.wrong = number(cells[3]);
    const bool pass = cells[4] == QStringLiteral("合格");
    const bool fail = cells[4] == QStringLiteral("不合格");
    if (d.grade == kNoGrade || !d.date.isValid() || d.correct < 0 || d.wrong < 0 || !(pass || fail))
        return std::nullopt;
    d.passed = pass;
    return d;
}

Summary withoutHistory(const QString &name)
{
    Summary s;
    s.name = name;
    return s;
}

Summary summarize(const QString &name, const QStringList &lines, const QDate &today)
{
    Summary s;
    s.name = name;
    s.hasHistory = true;
    std::vector<Drill> drills;
    drills.reserve(size_t(std::max<qsizetype>(lines.size() - 1, 0)));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (std::optional<Drill> d = parseDrill(lines[i]))
            drills.push_back(*d);
        else
            ++s.damaged;
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

} // namespace overview
