#pragma once
// The drill under way: the numbers of all ten questions, the running sum, the answers, the counts
// and the verdict, with the named steps the flash screen, the answer box and the result sheet take.
// QtCore only; one instance lives in SharedState.
#include <QDate>
#include <QList>
#include <QString>
#include <array>
#include <optional>

class DrillSession {
public:
    static constexpr int kQuestions = 10;

    // One question as it was flashed and answered, for a later look at it.
    struct Question {
        QList<int> numbers; // in the order they were flashed
        qint32 sum = 0;
        QString typed;      // as typed; empty until answered
        bool answered = false;
    };

    // --- the steps ---

    // The flash screen's close: the sum, the question number and both counts go back to 0. A drill
    // that did not reach its tenth question leaves nothing to look at again.
    void reset();
    // A number of the question under way was flashed: kept, and added to the running sum.
    void addNumber(int number);
    // The question's presentation ended: the question number advances and the sum becomes its
    // correct answer.
    void finishQuestion();
    // The answer box took an answer: counted, judged by value against the sum, and stored as typed
    // for the question flashed last.
    void countAnswer();
    void recordAnswer(const QString &typed);
    // The tenth question has been flashed (and, once its answer is recorded, the drill is over).
    bool isOver() const { return questionNo_ == kQuestions; }
    // Decides the verdict from the correct count and returns it.
    const QString &decideVerdict();
    // The answer box's reset of its two counts (after the verdict, and when it closes).
    void resetCounts();
    // The sum starts again for the next question.
    void clearRunningSum() { runningSum_ = 0; }
    // The result sheet's close: its correct and typed answers are emptied.
    void clearAnswers();

    // A finished drill's history line and the user it belongs to. Fixed once, at the verdict, so
    // that whatever happens to the screens, the login or the sheet's cells later, the line that
    // is written (or kept back) is the one this drill earned, for the child who did it.
    struct Record {
        QString user;
        QString line; // without its line end
    };
    // At the verdict (the tenth answer recorded): fixes the line from the grade, today's date, the
    // sheet's marks (by text) and the verdict. Does nothing before the drill is over.
    void fixRecord(const QString &user, const QString &gradeName, const QDate &today);
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

    // Question i (0..9) of the last drill, kept until the next drill starts or a drill is abandoned.
    const Question &question(int i) const;
    // How many questions of the last drill can be looked at again.
    int questionsKept() const;

private:
    static bool inRange(int i) { return i >= 0 && i < kQuestions; }
    void forgetQuestions();

    qint32 runningSum_ = 0;
    int questionNo_ = 0;
    int answeredCount_ = 0;
    int correctCount_ = 0;
    QString verdict_;
    std::optional<Record> record_;
    QList<int> current_;
    std::array<QString, kQuestions> correct_, typed_;
    std::array<Question, kQuestions> questions_;
};
