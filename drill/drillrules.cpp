#include "drill/drillrules.h"

#include <limits>

namespace drillrules {

namespace {
bool allAsciiDigits(const QString &text)
{
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}
} // namespace

std::optional<qint32> answerValue(const QString &typed)
{
    if (typed.isEmpty() || typed.size() > kMaxAnswerLength || !allAsciiDigits(typed))
        return std::nullopt;
    qint64 value = 0;
    for (QChar c : typed)
        value = value * 10 + (c.unicode() - '0'); // at most 10 digits: no overflow in 64 bits
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(value);
}

bool isAcceptableInput(const QString &text)
{
    // Digits only ever make a value larger, so a prefix over the limit can never become valid.
    return text.isEmpty() || answerValue(text).has_value();
}

qint64 questionSum(const QList<int> &numbers)
{
    qint64 total = 0;
    for (int n : numbers)
        total += n;
    return total;
}

bool isCorrectByValue(const QString &typed, qint32 sum)
{
    const std::optional<qint32> v = answerValue(typed);
    return v && *v == sum;
}

bool isCorrectByText(const QString &answer, const QString &typed) { return answer == typed; }

Marks markRows(const QStringList &answers, const QStringList &typed)
{
    Marks m;
    const qsizetype rows = std::min(answers.size(), typed.size());
    for (qsizetype k = 0; k < rows; ++k) {
        const bool right = isCorrectByText(answers[k], typed[k]);
        m.right.append(right);
        ++(right ? m.correct : m.incorrect);
    }
    return m;
}

QString verdictText(int correctCount)
{
    return correctCount >= kPassMark ? QStringLiteral("合格") : QStringLiteral("不合格");
}

int verdictLeft(const QString &verdict) { return verdict == QStringLiteral("合格") ? 120 : 0; }

QString dateText(const QDate &date)
{
    // Built by hand rather than with QDate::toString so no locale can change the separator.
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month())
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString historyLine(const QString &gradeName, const QDate &date, int correct, int incorrect,
                    const QString &verdict)
{
    return QStringList{gradeName, dateText(date), QString::number(correct), QString::number(incorrect), verdict}
        .join(QLatin1Char(','));
}

} // namespace drillrules
