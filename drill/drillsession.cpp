#include "drill/drillsession.h"

#include "drill/drillrules.h"

void DrillSession::reset()
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
    current_.clear();
}

void DrillSession::addNumber(int number)
{
    // The first number of the first question starts a new drill: the last one's questions go.
    if (questionNo_ == 0 && current_.isEmpty())
        forgetQuestions();
    current_.append(number);
    runningSum_ += number;
}

void DrillSession::finishQuestion()
{
    ++questionNo_;
    if (questionNo_ >= 1 && questionNo_ <= kQuestions) {
        const int i = questionNo_ - 1;
        correct_[i] = QString::number(runningSum_);
        questions_[i] = Question{current_, runningSum_, QString(), false};
    }
    current_.clear();
}

void DrillSession::countAnswer() { ++answeredCount_; }

void DrillSession::recordAnswer(const QString &typed)
{
    if (drillrules::isCorrectByValue(typed, runningSum_))
        ++correctCount_;
    if (questionNo_ >= 1 && questionNo_ <= kQuestions) {
        const int i = questionNo_ - 1;
        typed_[i] = typed;
        questions_[i].typed = typed;
        questions_[i].answered = true;
    }
}

const QString &DrillSession::decideVerdict()
{
    verdict_ = drillrules::verdictText(correctCount_);
    return verdict_;
}

void DrillSession::fixRecord(const QString &user, const QString &gradeName, const QDate &today)
{
    if (!isOver())
        return;
    // The counts are the sheet's: its rows compared as texts, not the count that decided the verdict.
    const drillrules::Marks marks = drillrules::markRows(QStringList(correct_.begin(), correct_.end()),
                                                        QStringList(typed_.begin(), typed_.end()));
    record_ = Record{user, drillrules::historyLine(gradeName, today, marks.correct, marks.incorrect, verdict_)};
}

void DrillSession::resetCounts()
{
    answeredCount_ = 0;
    correctCount_ = 0;
}

void DrillSession::clearAnswers()
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

void DrillSession::forgetQuestions() { questions_.fill(Question{}); }
