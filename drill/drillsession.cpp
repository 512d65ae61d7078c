#include "drill/drillsession.h"

#include "drill/drillrules.h"
#include "settings/graderules.h"

void DrillSession::ended()
{
    // Nothing under way (the close after a finished drill, or after a replay) keeps the questions;
    // a drill abandoned part way leaves none.
    const bool underWay = questionNo_ > 0 || !current_.isEmpty();
    if (underWay && questionNo_ != kQuestions)
        forgetQuestions();
    runningSum_ = 0;
    questionNo_ = 0;
    answeredCount_ = 0;
    correctCount_ = 0;
    freshQuestion();
}

void DrillSession::numberShown(int number)
{
    // The first number of the first question starts a new drill: the last one's questions go.
    if (questionNo_ == 0 && current_.isEmpty())
        forgetQuestions();
    current_.append(number);
    // Added as each number comes, not summed again over the whole question: at the fastest pace this
    // runs every few milliseconds. At most 99 numbers of 3 digits: far inside 32 bits.
    runningSum_ += number;
}

void DrillSession::questionFinished(const pace::QuestionPace &pace)
{
    ++questionNo_;
    if (questionNo_ >= 1 && questionNo_ <= kQuestions) {
        const int i = questionNo_ - 1;
        correct_[i] = QString::number(runningSum_);
        questions_[i] = Question{current_, runningSum_, QString(), false};
        paces_[i] = pace;
    }
    freshQuestion();
}

void DrillSession::freshQuestion()
{
    // A list of its own with room for a whole question: the next question's numbers are kept
    // without an allocation while they flash (clearing a list frees its room).
    current_ = QList<int>();
    current_.reserve(graderules::kMaxCount);
}

DrillSession::Answered DrillSession::answered(const QString &typed, const Owner &owner)
{
    ++answeredCount_;
    if (drillrules::isCorrectByValue(typed, runningSum_))
        ++correctCount_;
    if (questionNo_ >= 1 && questionNo_ <= kQuestions) {
        const int i = questionNo_ - 1;
        typed_[i] = typed;
        questions_[i].typed = typed;
        questions_[i].answered = true;
    }
    runningSum_ = 0;
    Answered result;
    result.nextQuestion = answeredCount_ + 1;
    if (isOver()) {
        verdict_ = drillrules::verdictText(correctCount_);
        // The line and its child are fixed now; nothing later (cells, login) may change them.
        fixRecord(owner);
        result.over = true;
        result.verdict = verdict_;
    }
    return result;
}

void DrillSession::fixRecord(const Owner &owner)
{
    // The counts are the sheet's, not the count that decided the verdict.
    const drillrules::Marks marks = sheetMarks();
    record_ = Record{owner.user,
                     drillrules::historyLine(owner.gradeName, owner.today, marks.correct, marks.incorrect, verdict_),
                     pace::line(QDateTime(owner.today, owner.time.isValid() ? owner.time : QTime(0, 0)),
                                owner.gradeName, paces_),
                     pace::isLate(paces_)};
}

drillrules::Marks DrillSession::sheetMarks() const
{
    return drillrules::markRows(QStringList(correct_.begin(), correct_.end()), QStringList(typed_.begin(), typed_.end()));
}

void DrillSession::sheetClosed()
{
    correct_.fill(QString());
    typed_.fill(QString());
}

const DrillSession::Question &DrillSession::question(int i) const
{
    static const Question none;
    return inRange(i) ? questions_[i] : none;
}

int DrillSession::questionsKept() const
{
    int n = 0;
    while (n < kQuestions && questions_[n].answered)
        ++n;
    return n;
}

void DrillSession::forgetQuestions()
{
    questions_.fill(Question{});
    paces_.fill(pace::QuestionPace{});
}
