#pragma once
// みんなでフラッシュ, the answers: each question's sum, large enough to read from the back of the room,
// and beside it the pace the question was shown at (ずれなし / ずれあり and its latest number in ms).
// A click on a sum (or 数字を見る) shows that question's numbers in order as the drill's second look
// does; もう一度 shows the question again at its pace and measures it again.
#include "drill/classpaper.h"
#include "drill/classset.h"
#include "drill/pace.h"
#include "kit/screen.h"

#include <QDateTime>

class ClickLabel;
class QLabel;
class ReviewPanel;

class TClassAnswers : public Screen {
    Q_OBJECT
public:
    TClassAnswers();

    void FormCreate() override;
    void FormCloseQuery() override;

    // The set just shown and how each question was paced.
    void showSet(const classset::ClassSet &set, const QList<pace::QuestionPace> &paces);
    // A question shown again: its new pace.
    void replayed(int question, const pace::QuestionPace &measured);

    // The text beside a question: "ずれなし　最大 0.4 ms", "ずれあり　最大 23.4 ms".
    static QString paceText(const pace::QuestionPace &q);

    struct Row {
        QLabel *index = nullptr;   // "1."
        ClickLabel *sum = nullptr; // the sum; a click shows the numbers
        QLabel *pace = nullptr;
        QWidget *numbers = nullptr; // 数字を見る (its caption)
        QWidget *again = nullptr;   // もう一度 (its caption)
        QList<QWidget *> all;
    };
    QLabel *Title = nullptr;
    QList<Row> Rows; // kMaxQuestions of them; those past the set's questions hidden
    ReviewPanel *Panel = nullptr;

    void showNumbers(int question);
    void replay(int question);

signals:
    // もう一度: this question of the set is to be shown again.
    void replayWanted(const classset::ClassSet &set, int question);
    // もどる: the screen has closed, back to the choice of a set.
    void backToChoice();
    // 結果を入れる: the teacher enters the children's marks on this set, shown at `shown`.
    void marksWanted(const classset::ClassSet &set, const QDateTime &shown);

private:
    void fillRow(int question);
    classset::ClassSet set_;
    QList<pace::QuestionPace> paces_;
    QDateTime shown_; // when the set was shown: the marks' day
};
