#pragma once
// A second look at one question of the drill just finished, as a panel over the result sheet: the
// numbers in the order they were flashed with their running subtotals, the sum, the typed answer
// and, where it can be told, what went wrong; "もういちど みる" shows the question again.
#include "drill/drillsession.h"

#include <QFrame>

class ClickLabel;
class Picture;
class QLabel;
class QTableWidget;

class ReviewPanel : public QFrame {
    Q_OBJECT
public:
    explicit ReviewPanel(QWidget *sheet);

    // Shows question `row` (0..9) under its title ("三問目").
    void present(int row, const QString &title, const DrillSession::Question &question);
    int row() const { return row_; }

    QLabel *Title = nullptr;
    QTableWidget *Numbers = nullptr; // ばんめ, かず, ごうけい
    QLabel *SumLine = nullptr;
    QLabel *TypedLine = nullptr;
    QLabel *Explanation = nullptr;
    ClickLabel *ReplayLabel = nullptr;
    Picture *ReplayImage = nullptr;
    ClickLabel *BackLabel = nullptr;
    Picture *BackImage = nullptr;

    void closePanel(); // hides the panel; the sheet is as it was

signals:
    void replayWanted(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    int row_ = -1;
};
