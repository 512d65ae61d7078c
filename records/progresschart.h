#pragma once
// A child's climb through the grades, drawn with QPainter: x is the date, y the grades 10級 … 十段,
// a filled blue dot for 合格, a red ring for 不合格, the highest grade passed so far as a rising step
// line, and the number right per drill as a bar in a band under the grades. A drill whose pace was
// off (ずれあり) gets a wider orange ring, explained on the date axis while there is one. Thousands of drills
// are gathered per pixel column (each grade passed, each grade failed, the mean right) when the data
// or the size changes, so that painting stays as cheap at 10,000 drills as at 2.
#include "records/overview.h"

#include <QWidget>

#include <vector>

class ProgressChart : public QWidget {
    Q_OBJECT
public:
    explicit ProgressChart(QWidget *parent = nullptr);

    void setCourse(const QString &name, overview::Course course);

    const QString &childName() const { return name_; }
    int drillCount() const { return int(course_.drills.size()); }
    // The pixel columns that carry a mark, as drawn.
    int markedColumns() const { return int(columns_.size()); }
    // The pixel columns that carry the ずれあり ring.
    int lateColumns() const;
    // What the chart shows, in words (also its accessible description).
    QString summary() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;

private:
    struct Column {
        int x = 0;
        // One bit per grade (bit 0: 10級): every grade drilled that day shows, not only the highest.
        quint32 passed = 0;
        quint32 failed = 0;
        quint32 late = 0;                                 // the grades of ずれあり drills
        overview::GradeStep climbed = overview::kNoGrade; // the highest pass up to this column
        int correct = 0;                                  // the mean right, rounded
    };
    QRect plot() const;
    QRect band() const;
    int rowY(overview::GradeStep s) const;
    void gather();

    QString name_;
    overview::Course course_;
    std::vector<Column> columns_;
};
