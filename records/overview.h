#pragma once
// The class at a glance: what the teacher's overview says of one child, worked out from the lines of
// the child's history file. Only reads; the lines come from the user store.
//
// A drill line is understood only when all five of its cells are: a grade name the program writes
// (full-width or plain digits), a date year/month/day (leading zeros or not), two counts and
// 合格 or 不合格. Anything else is damage: counted, never guessed at, and it takes no part in the
// rules below.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace overview {

// 0 = 10級 … 9 = 1級, 10 = 初段 … 19 = 十段: the order in which a child climbs, which is the
// settings file's block of the grade (settings::blockOf, settings::gradeOfBlock).
using GradeStep = int;
inline constexpr GradeStep kNoGrade = -1;

// The grade's step, or kNoGrade for a text that names no grade.
GradeStep gradeStep(QStringView name);
QString gradeText(GradeStep step); // "１０級" … "十段"; "" for kNoGrade
// A history date, "2026/12/07" or "2009/3/5"; an invalid QDate for anything else.
QDate parseDate(QStringView text);

struct Drill {
    GradeStep grade = kNoGrade;
    QDate date;
    int correct = 0;
    int wrong = 0;
    bool passed = false;
    bool late = false; // its pace line said ずれあり: the numbers may have come late
};
// One history line as a drill, or nothing when the line is damaged.
std::optional<Drill> parseDrill(QStringView line);

// A child's drills for the progress chart, from all lines of the history file (line 1, the header,
// is not a drill): sorted by date, since the chart's axis is time and a clock set wrong once must
// not draw the climb backwards; drills of one day keep the file's order. Damaged lines are left
// out and counted. `late` holds, per line (as records/pacemarks.h gives it), whether the drill's
// pace was off; missing entries are drills on pace.
struct Course {
    std::vector<Drill> drills;
    int damaged = 0;
};
Course course(const QStringList &lines, const QList<bool> &late = {});

inline constexpr int kRecentDays = 7;  // "7日の回数": today and the six days before it
inline constexpr int kWindow = 10;     // "いまの級の合格": the last ten drills at the current grade
inline constexpr int kRestingDays = 14;

struct Summary {
    QString name;
    bool hasHistory = false;  // false: the history file was missing or could not be read
    int drills = 0;           // lines understood as drills
    int damaged = 0;          // lines after the header that are no drill
    GradeStep current = kNoGrade;   // the grade of the last drill
    GradeStep highest = kNoGrade;   // the highest grade passed
    QDate highestDate;              // the first time that grade was passed
    QDate last;                     // the date of the last drill
    int recent = 0;                 // drills dated within kRecentDays up to today
    int windowPasses = 0;           // passes among the last drills at the current grade …
    int windowDrills = 0;           // … of which there are this many (at most kWindow)
    // つまずき: the last kWindow drills at the current grade were all failed.
    bool stuck = false;
    // おやすみ: the last drill is kRestingDays or more days old.
    bool resting = false;
    // ずれあり: drills that may have been shown off their pace (the PC was busy, not the child).
    int late = 0;
};

// The summary of one child from all lines of the history file (line 1, the header, is not a
// drill); `today` is injected so that the day-counting rules can be pinned. `late` as for course().
Summary summarize(const QString &name, const QStringList &lines, const QDate &today, const QList<bool> &late = {});
// A child whose history could not be read: listed, every cell empty.
Summary withoutHistory(const QString &name);

// The texts of the overview's cells.
QString passText(const Summary &s);     // "3/10", "" without drills
QString marksText(const Summary &s);    // "つまずき", "おやすみ", "ずれあり 1", damage as "こわれた行 2"
QString highestText(const Summary &s);  // "３級 (2026/12/07)"
QString dateText(const QDate &d);       // "2026/12/07", "" for an invalid date
// What a ずれあり mark means, for the teacher: "ずれあり：パソコンがいそがしく、…かもしれない回".
QString lateLegend();

// The overview's columns, and the order a click on a column's header sorts by: grades as a child
// climbs them, dates as dates, counts as numbers, the pass rate as a fraction; an empty cell comes
// before every value. Ties keep the listing's order (the sort is stable).
enum Column { Name, Current, Highest, Last, Recent, Rate, Marks, ColumnCount };
QString columnTitle(Column c);
QString cellText(const Summary &s, Column c);
bool before(const Summary &a, const Summary &b, Column c);

} // namespace overview
