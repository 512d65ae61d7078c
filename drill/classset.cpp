#include "drill/classset.h"

#include "drill/drillrules.h"
#include "settings/graderules.h"
#include "settings/rand.h"

#include <bit>

namespace classset {

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t SplitMix64::next()
{
    state_ += 0x9E3779B97F4A7C15ull;
    return mix(state_);
}

std::uint32_t SplitMix64::below(std::uint32_t range)
{
    return std::uint32_t(((next() >> 32) * range) >> 32);
}

std::uint64_t questionSeed(const GradeParams &params, int setNumber, int question)
{
    std::uint64_t h = 0x70696B617A616E31ull; // "pikazan1"
    const std::uint64_t values[] = {std::uint64_t(std::int64_t(setNumber)), std::uint64_t(std::int64_t(params.digits)),
                                    std::uint64_t(std::int64_t(params.count)), std::bit_cast<std::uint64_t>(params.seconds),
                                    std::uint64_t(std::int64_t(question))};
    for (std::uint64_t v : values)
        h = mix(h ^ v);
    return h;
}

int drawNumber(SplitMix64 &g, int digits)
{
    const int d1 = int(g.below(9)) + 1;
    int d2 = int(g.below(10));
    while (d2 == d1)
        d2 = int(g.below(10));
    int d3 = int(g.below(10));
    while (d3 == d2)
        d3 = int(g.below(10));
    const int three = 100 * d1 + 10 * d2 + d3;
    switch (digits) {
    case 1: return d1;
    case 2: return three / 10;
    default: return three;
    }
}

QList<int> questionNumbers(const GradeParams &params, int setNumber, int question)
{
    SplitMix64 g(questionSeed(params, setNumber, question));
    QList<int> numbers;
    numbers.reserve(params.count);
    while (numbers.size() < params.count) {
        const int n = drawNumber(g, params.digits);
        if (numbers.isEmpty() || n != numbers.last())
            numbers << n;
    }
    return numbers;
}

QString checkQuestionCount(int questions)
{
    if (questions < kMinQuestions || questions > kMaxQuestions)
        return QStringLiteral("問題数が %1 になっています。問題数は%2から%3までにしてください。")
            .arg(questions)
            .arg(kMinQuestions)
            .arg(kMaxQuestions);
    return QString();
}

QString checkSetNumber(int setNumber)
{
    if (setNumber < 0 || setNumber > kMaxSetNumber)
        return QStringLiteral("セット番号は 0000 から 9999 までの4けたの数にしてください。");
    return QString();
}

namespace {
QString refusalFor(const QString &gradeName, const QString &problem)
{
    return QStringLiteral("「%1」の設定ではフラッシュできません。\n%2").arg(gradeName, problem);
}
} // namespace

QString checkGrade(const QString &gradeName, const GradeParams &params)
{
    const QString problem = graderules::checkParams(params);
    return problem.isEmpty() ? QString() : refusalFor(gradeName, problem);
}

Made build(GradeCode grade, const GradeParams &params, int setNumber, int questions)
{
    const QString name = settings::gradeName(grade);
    for (const QString &refusal : {checkGrade(name, params), checkSetNumber(setNumber), checkQuestionCount(questions)})
        if (!refusal.isEmpty())
            return {std::nullopt, refusal};
    ClassSet set{grade, name, params, setNumber, {}};
    for (int q = 0; q < questions; ++q)
        set.questions << questionNumbers(params, setNumber, q);
    return {set, QString()};
}

Made make(GradeCode grade, int setNumber, int questions)
{
    // The numbers given first: a refused number should not wait for a settings file that fails.
    for (const QString &refusal : {checkSetNumber(setNumber), checkQuestionCount(questions)})
        if (!refusal.isEmpty())
            return {std::nullopt, refusal};
    const graderules::Grade read = graderules::readGrade(grade);
    if (!read.params)
        return {std::nullopt, refusalFor(settings::gradeName(grade), read.refusal)};
    return build(grade, *read.params, setNumber, questions);
}

namespace {
QString folded(const QString &text) { return text.normalized(QString::NormalizationForm_KC); }

std::optional<int> asciiNumber(const QString &text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = 10 * value + (c.unicode() - '0');
    }
    return value;
}
} // namespace

std::optional<GradeCode> parseGrade(const QString &text)
{
    const QString wanted = folded(text);
    for (GradeCode c = 1; c <= 20; ++c)
        if (folded(settings::gradeName(c)) == wanted)
            return c;
    return std::nullopt;
}

QString unknownGrade(const QString &text)
{
    return QStringLiteral("「%1」という級はありません。１０級 … １級、初段 … 十段 のように書いてください。").arg(text);
}

std::optional<int> parseSetNumber(const QString &text)
{
    // Only the digits a keyboard types, half- or full-width: a circled ①, a superscript or a
    // mathematical 𝟒 is no set number, even though it folds to one.
    QString digits = text;
    for (QChar &c : digits)
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    return asciiNumber(digits, 4);
}

QString setNumberText(int setNumber) { return QStringLiteral("%1").arg(setNumber, 4, 10, QLatin1Char('0')); }

int newSetNumber(int previous, const std::function<std::uint32_t()> &random)
{
    // Ten thousand sets: a draw equal to the last set is rare, and drawn again.
    for (;;) {
        const int n = int(random() % std::uint32_t(kMaxSetNumber + 1));
        if (n != previous)
            return n;
    }
}

QString keyLine(int question, const QList<int> &numbers)
{
    QStringList terms;
    for (int n : numbers)
        terms << QString::number(n);
    return QStringLiteral("%1. %2 = %3").arg(question).arg(terms.join(QStringLiteral(" + "))).arg(drillrules::questionSum(numbers));
}

QStringList keyLines(const ClassSet &set)
{
    QStringList lines;
    for (qsizetype q = 0; q < set.questions.size(); ++q)
        lines << keyLine(int(q) + 1, set.questions[q]);
    return lines;
}

QString heading(const ClassSet &set)
{
    return QStringLiteral("%1　セット番号 %2").arg(set.gradeName, setNumberText(set.setNumber));
}

QString paramsText(const GradeParams &params)
{
    return QStringLiteral("%1けた %2口 %3秒").arg(params.digits).arg(params.count).arg(QString::number(params.seconds, 'g', 15));
}

} // namespace classset
