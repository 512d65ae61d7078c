#pragma once
// The drill under way: the numbers of all ten questions, the running sum, the answers, the counts
// and the verdict, moved on by the drill's events: a number shown, a question finished, a question
// answered, the drill ended. QtCore only; one instance lives in SharedState.
#include "base/grade.h"
#include "drill/drillrules.h"
#include "drill/pace.h"

#include <QDate>
#include <QList>
#include <QTime>
#include <QString>
#include <array>
#include <optional>

class DrillSession {
public:
    DrillSession() { freshQuestion(); }
    static constexpr int kQuestions = ::kQuestions;

    // One question as it was flashed and answered, for a later look at it.
    struct Question {
        QList<int> numbers; // in the order they were flashed
        qint32 sum = 0;
        QString typed;      // as typed; empty until answered
        bool answered = false;
    };

    // --- the drill's events ---

    // Who a finished drill's line is for, and what it says besides the marks.
    struct Owner {
        QString user;
        QString gradeName;
        QDate today;
        QTime time{}; // of the verdict, for the pace line
    };
    // What an answer led to.
    struct Answered {
        bool over = false;    // the tenth answer: the drill has its verdict and its line
        int nextQuestion = 1; // the question the answer box asks next
        QString verdict;      // when over
    };

    // A number of the question under way was flashed: kept, and added to the running sum. The first
    // number of a new drill forgets the last drill's questions.
    void numberShown(int number);
    // The question's presentation ended: the question number advances and the sum becomes its
    // correct answer; the pace it was flashed at is kept for the drill's pace line.
    void questionFinished(const pace::QuestionPace &pace = {});
    // The answer box took an answer: counted, judged by value against the sum, stored as typed for
    // the question flashed last, and the sum starts again for the next question. After the tenth
    // question the verdict is decided and the line fixed for owner. The counts stay until the
    // drill ends, so the flash screen can tell that the tenth answer is in.
    Answered answered(const QString &typed, const Owner &owner);
    // The drill ends (the flash screen closed): the sum, the question number and both counts go back
    // to 0. A drill that did not reach its tenth question is abandoned and leaves nothing to look at.
    void ended();
    // The result sheet closed: its correct and typed answers are emptied.
    void sheetClosed();

    // The tenth question has been flashed (and, once its answer is in, the drill is over).
    bool isOver() const { return questionNo_ == kQuestions; }

    // A finished drill's history line and the user it belongs to. Fixed once, at the verdict, so
    // that whatever happens to the screens, the login or the sheet's cells later, the line that
    // is written (or kept back) is the one this drill earned, for the child who did it.
    struct Record {
        QString user;
        QString line;     // without its line end
        QString paceLine; // the line for the user's pace file, without its line end
        bool late = false; // the pace line says ずれあり
    };
    // The drill's line was appended, or is given up: it is never written again.
    void markRecorded() { record_.reset(); }

    // --- what the steps keep ---

    qint32 runningSum() const { return runningSum_; }
    int questionNo() const { return questionNo_; }          // the question flashed last, 0..10
    int answeredCount() const { return answeredCount_; }
    int correctCount() const { return correctCount_; }
    const QString &verdict() const { return verdict_; }
    // The fixed line of a drill that reached its verdict and is not yet in the history file.
    const std::optional<Record> &pendingRecord() const { return record_; }
    // The number flashed last in the question under way, 0 before its first.
    int lastNumber() const { return current_.isEmpty() ? 0 : current_.last(); }
    // The numbers of the question under way, in order.
    const QList<int> &currentNumbers() const { return current_; }

    // Row i (0..9) of the result sheet: the correct answer and the answer as typed.
    QString correctAnswer(int i) const { return inRange(i) ? correct_[i] : QString(); }
    QString typedAnswer(int i) const { return inRange(i) ? typed_[i] : QString(); }
    // The result sheet's marks: its rows compared as texts (drillrules::markRows), which is what the
    // history line counts too, not the count by value that decided the verdict.
    drillrules::Marks sheetMarks() const;

    // Question i (0..9) of the last drill, kept until the next drill starts or a drill is abandoned.
    const Question &question(int i) const;
    // How many questions of the last drill can be looked at again.
    int questionsKept() const;

private:
    static bool inRange(int i) { return i >= 0 && i < kQuestions; }
    void forgetQuestions();
    void fixRecord(const Owner &owner);
    void freshQuestion();

    qint32 runningSum_ = 0;
    int questionNo_ = 0;
    int answeredCount_ = 0;
    int correctCount_ = 0;
    QString verdict_;
    std::optional<Record> record_;
    QList<int> current_;
    std::array<QString, kQuestions> correct_, typed_;
    std::array<Question, kQuestions> questions_;
    std::array<pace::QuestionPace, kQuestions> paces_;
};
