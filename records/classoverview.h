#pragma once
// クラスのようす: every registered child in one table, for the teacher: the grade now, the highest
// pass, the last drill, how often lately, how the current grade goes, and who may need a word.
// Opened from the students' records; it only reads the classroom.
#include "records/overview.h"
#include "kit/screen.h"

#include <QDate>
#include <functional>
#include <vector>

class ClickLabel;
class Picture;
class QLabel;
class QTableView;
class OverviewTable;
class ProgressChart;

namespace classoverview {
// CSVで保存: asks where (a save dialog, by default きろく-<today>.csv in the home folder), writes
// every child's history there and says how much it wrote. Nothing happens when the dialog is
// cancelled; a failure is thrown to the caller's guard.
void saveCsv(QWidget *parent);
// The 組 the teacher's screen shows (empty: every child): the overview and the CSV follow it.
void setGroup(const QString &group);
QString group();
} // namespace classoverview

class ClassOverview : public Screen {
    Q_OBJECT
public:
    ClassOverview();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr;     // "クラスのようす"
    Picture *Image1 = nullptr;    // もどる
    ClickLabel *Label2 = nullptr; // もどる
    QTableView *Grid = nullptr;   // one row per child; a click on a column's header sorts by it
    ProgressChart *Chart = nullptr; // the clicked child's climb, under the table; hidden until a click

    // The day the day-counting rules count from; the clock's date unless a test pins it.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    void Label2Click();
    void GridClick(const QModelIndex &index);

private:
    OverviewTable *table_ = nullptr;
};
