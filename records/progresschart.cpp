#include "records/progresschart.h"

#include "kit/style.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
constexpr int kGrades = 20;
constexpr int kLeft = 48, kRight = 12, kTop = 26, kBandHeight = 40, kAxis = 16, kGap = 8;
// Apart from the blue of a pass and the red of a failure.
const QColor kLate(235, 130, 0);
} // namespace

ProgressChart::ProgressChart(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressChart::setCourse(const QString &name, overview::Course course)
{
    name_ = name;
    course_ = std::move(course);
    gather();
    setAccessibleDescription(summary());
    update();
}

QString ProgressChart::summary() const
{
    const auto passes = std::count_if(course_.drills.begin(), course_.drills.end(), [](const auto &d) { return d.passed; });
    QString s = QStringLiteral("%1：%2回（合格 %3、不合格 %4）")
                    .arg(name_).arg(course_.drills.size()).arg(passes).arg(qsizetype(course_.drills.size()) - passes);
    const auto late = std::count_if(course_.drills.begin(), course_.drills.end(), [](const auto &d) { return d.late; });
    if (late > 0)
        s += QStringLiteral("、ずれあり %1").arg(late);
    if (course_.damaged > 0)
        s += QStringLiteral("、こわれた行 %1").arg(course_.damaged);
    return s;
}

int ProgressChart::lateColumns() const
{
    return int(std::count_if(columns_.begin(), columns_.end(), [](const Column &c) { return c.late != 0; }));
}

QRect ProgressChart::plot() const
{
    return QRect(kLeft, kTop, std::max(width() - kLeft - kRight, 1), std::max(height() - kTop - kGap - kBandHeight - kAxis, kGrades));
}
QRect ProgressChart::band() const { return QRect(kLeft, plot().bottom() + kGap, plot().width(), kBandHeight); }

int ProgressChart::rowY(overview::GradeStep s) const
{
    const QRect p = plot();
    return p.bottom() - int((s + 0.5) * p.height() / kGrades);
}

void ProgressChart::resizeEvent(QResizeEvent *)
{
    gather();
}

void ProgressChart::gather()
{
    columns_.clear();
    const auto &drills = course_.drills;
    if (drills.empty())
        return;
    const QRect p = plot();
    const qint64 first = drills.front().date.toJulianDay();
    const qint64 span = drills.back().date.toJulianDay() - first;
    // Drills come in date order, so each pixel column's drills are one run.
    int sum = 0, count = 0;
    overview::GradeStep climbed = overview::kNoGrade;
    for (const overview::Drill &d : drills) {
        const int x = span == 0 ? p.center().x() : p.left() + int((d.date.toJulianDay() - first) * (p.width() - 1) / span);
        if (columns_.empty() || columns_.back().x != x) {
            if (count > 0)
                columns_.back().correct = (sum + count / 2) / count;
            sum = count = 0;
            columns_.push_back({.x = x, .climbed = climbed});
        }
        Column &c = columns_.back();
        const quint32 bit = (d.grade >= 0 && d.grade < kGrades) ? quint32(1) << d.grade : 0;
        if (d.passed) {
            c.passed |= bit;
            climbed = std::max(climbed, d.grade);
            c.climbed = climbed;
        } else {
            c.failed |= bit;
        }
        if (d.late)
            c.late |= bit;
        sum += std::min(d.correct, 10);
        ++count;
    }
    columns_.back().correct = (sum + count / 2) / count;
}

void ProgressChart::paintEvent(QPaintEvent *)
{
    QPainter g(this);
    g.fillRect(rect(), Qt::white);
    g.setRenderHint(QPainter::Antialiasing);
    const QRect p = plot(), b = band();

    g.setFont(style::font(14, true));
    g.setPen(Qt::black);
    g.drawText(QRect(kLeft, 2, width() - kLeft, kTop - 4), Qt::AlignLeft | Qt::AlignVCenter,
               name_.isEmpty() ? QString() : summary());

    // The grades' rows, labelled; the 段 start with a darker line.
    g.setFont(style::font(std::clamp(p.height() / kGrades, 8, 12), false));
    for (overview::GradeStep s = 0; s < kGrades; ++s) {
        const int y = rowY(s);
        g.setPen(QPen(s == 10 ? QColor(150, 150, 150) : QColor(225, 225, 225), 1));
        g.drawLine(p.left(), y, p.right(), y);
        g.setPen(Qt::black);
        g.drawText(QRect(0, y - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter, overview::gradeText(s));
    }
    g.setPen(QColor(150, 150, 150));
    g.drawRect(p.adjusted(0, 0, -1, -1));
    g.drawRect(b.adjusted(0, 0, -1, -1));
    g.setPen(Qt::black);
    g.drawText(QRect(0, b.top(), kLeft - 4, 14), Qt::AlignRight | Qt::AlignTop, QStringLiteral("10"));
    g.drawText(QRect(0, b.bottom() - 14, kLeft - 4, 14), Qt::AlignRight | Qt::AlignBottom, QStringLiteral("0"));
    g.drawText(QRect(0, b.center().y() - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("正解"));

    if (columns_.empty()) {
        g.drawText(p, Qt::AlignCenter, name_.isEmpty() ? QString() : QStringLiteral("練習の記録がありません"));
        return;
    }

    // The dates at both ends of the axis.
    const QRect axis(p.left(), b.bottom() + 1, p.width(), kAxis);
    g.drawText(axis, Qt::AlignLeft | Qt::AlignVCenter, overview::dateText(course_.drills.front().date));
    if (course_.drills.back().date != course_.drills.front().date)
        g.drawText(axis, Qt::AlignRight | Qt::AlignVCenter, overview::dateText(course_.drills.back().date));
    const bool anyLate = lateColumns() > 0;
    if (anyLate) {
        // The ring's legend, between the dates.
        const QString legend = overview::lateLegend();
        const int textWidth = g.fontMetrics().horizontalAdvance(legend);
        const int left = axis.center().x() - (textWidth + 14) / 2;
        g.setPen(QPen(kLate, 2));
        g.drawEllipse(QPointF(left + 5, axis.center().y()), 4.5, 4.5);
        g.setPen(Qt::black);
        g.drawText(QRect(left + 14, axis.top(), textWidth + 2, axis.height()), Qt::AlignLeft | Qt::AlignVCenter, legend);
    }

    // The number right: one thin bar per column.
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setPen(QColor(90, 160, 90));
    for (const Column &c : columns_)
        g.drawLine(c.x, b.bottom() - 1, c.x, b.bottom() - 1 - c.correct * (b.height() - 3) / 10);
    g.setRenderHint(QPainter::Antialiasing);

    // The highest grade passed so far, as steps rising to the right.
    QPainterPath climb;
    bool started = false;
    for (const Column &c : columns_) {
        if (c.climbed == overview::kNoGrade)
            continue;
        const int y = rowY(c.climbed);
        if (!started) {
            climb.moveTo(c.x, y);
            started = true;
        } else if (int(climb.currentPosition().y()) != y) {
            climb.lineTo(c.x, climb.currentPosition().y());
            climb.lineTo(c.x, y);
        }
    }
    if (started) {
        climb.lineTo(p.right(), climb.currentPosition().y());
        g.setPen(QPen(style::kBlue, 2));
        g.setBrush(Qt::NoBrush);
        g.drawPath(climb);
    }

    // The marks: smaller where the columns crowd, so that passes and failures stay apart. A grade
    // both passed and failed in one column shows both: the dot inside the wider ring.
    const double r = columns_.size() * 8 > size_t(p.width()) ? 2.0 : 4.0;
    const auto marks = [&](quint32 Column::*grades, double radius) {
        for (const Column &c : columns_)
            for (overview::GradeStep s = 0; s < kGrades; ++s)
                if ((c.*grades) & (quint32(1) << s))
                    g.drawEllipse(QPointF(c.x, rowY(s)), radius, radius);
    };
    g.setPen(QPen(style::kRed, 1.5));
    g.setBrush(Qt::NoBrush);
    marks(&Column::failed, r + 1);
    g.setPen(Qt::NoPen);
    g.setBrush(style::kBlue);
    marks(&Column::passed, r);
    if (anyLate) {
        // Around the pass or failure it belongs to, wider than both.
        g.setPen(QPen(kLate, 2));
        g.setBrush(Qt::NoBrush);
        marks(&Column::late, r + 3.5);
    }
}
