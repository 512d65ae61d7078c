#include "drill/pace.h"

#include <QStringList>

#include <algorithm>

namespace pace {

namespace {
using std::chrono::duration_cast;
using std::chrono::microseconds;

qint64 us(Clock::duration d) { return duration_cast<microseconds>(d).count(); }

qint64 tenthsOf(qint64 us) { return us >= 0 ? (us + 50) / 100 : -((-us + 50) / 100); }

const QString kLate = QStringLiteral("ずれあり");
const QString kOnPace = QStringLiteral("ずれなし");
const QString kStampFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");
constexpr int kFixedFields = 3; // date and time, grade, interval
constexpr int kFields = kFixedFields + 2 * kQuestions + 1;
} // namespace

void Meter::begin(Clock::time_point start, quint32 intervalMs)
{
    running_ = true;
    start_ = start;
    interval_ = std::chrono::milliseconds(intervalMs);
    q_ = QuestionPace{};
    q_.intervalMs = intervalMs;
}

void Meter::flash(Clock::time_point tick, Clock::time_point painted)
{
    if (!running_)
        return;
    ++q_.flashes;
    const Clock::time_point due = start_ + interval_ * q_.flashes;
    q_.worstLateUs = std::max(q_.worstLateUs, us(painted - due));
    if (q_.flashes == 1)
        first_ = painted;
    last_ = painted;
    if (sink_ && sink_->size() < sink_->capacity())
        sink_->push_back(Sample{us(tick - due), us(painted - tick)});
}

void Meter::missedTick()
{
    if (running_)
        ++q_.missedTicks;
}

QuestionPace Meter::end()
{
    if (running_ && q_.flashes > 0)
        q_.spanErrorUs = us(last_ - first_) - us(interval_ * (q_.flashes - 1));
    running_ = false;
    return q_;
}

bool isLate(const QuestionPace &q) { return q.missedTicks > 0 || tenthsOf(q.worstLateUs) > kFrameTenths; }

bool isLate(const std::array<QuestionPace, kQuestions> &questions)
{
    return std::any_of(questions.begin(), questions.end(), [](const QuestionPace &q) { return isLate(q); });
}

QString verdictWord(bool late) { return late ? kLate : kOnPace; }

QString millisecondsText(qint64 us)
{
    const qint64 t = tenthsOf(us);
    const qint64 a = t < 0 ? -t : t;
    return QStringLiteral("%1%2.%3").arg(t < 0 ? QStringLiteral("-") : QString()).arg(a / 10).arg(a % 10);
}

QString line(const QDateTime &when, const QString &gradeName, const std::array<QuestionPace, kQuestions> &questions)
{
    QStringList fields{when.toString(kStampFormat), gradeName, QString::number(questions[0].intervalMs)};
    for (const QuestionPace &q : questions) {
        // A question that was not measured says nothing rather than a made-up 0.0.
        fields << (q.flashes ? millisecondsText(q.worstLateUs) : QString())
               << (q.flashes ? millisecondsText(q.spanErrorUs) : QString());
    }
    fields << verdictWord(isLate(questions));
    return fields.join(QLatin1Char(','));
}

namespace {
const QString kClassFlash = QStringLiteral("みんなでフラッシュ ");
}

QString classFlashLine(const QDateTime &when, const QString &gradeName, int setNumber)
{
    QStringList fields{when.toString(kStampFormat), gradeName, QString()};
    for (int k = 0; k < kQuestions; ++k)
        fields << QString() << QString();
    fields << kClassFlash + QStringLiteral("%1").arg(setNumber, 4, 10, QLatin1Char('0'));
    return fields.join(QLatin1Char(','));
}

namespace {
// "yyyy/MM/dd HH:mm:ss" read by hand: Qt's date parser costs a teacher's screen whole seconds over a
// class's thousands of lines.
QDate stampDate(QStringView stamp)
{
    static constexpr char kShape[] = "0000/00/00 00:00:00";
    if (stamp.size() != qsizetype(sizeof kShape - 1))
        return {};
    int values[6] = {}, v = 0;
    for (qsizetype i = 0; i < stamp.size(); ++i) {
        const char16_t c = stamp[i].unicode();
        if (kShape[i] != '0') {
            if (c != char16_t(kShape[i]))
                return {};
            ++v;
        } else if (c < u'0' || c > u'9') {
            return {};
        } else {
            values[v] = values[v] * 10 + (c - u'0');
        }
    }
    const QDate date(values[0], values[1], values[2]);
    return QTime::isValid(values[3], values[4], values[5], 0) ? date : QDate();
}
} // namespace

std::optional<Entry> parse(QStringView text)
{
    const qsizetype first = text.indexOf(QLatin1Char(','));
    const qsizetype second = text.indexOf(QLatin1Char(','), first + 1);
    const qsizetype last = text.lastIndexOf(QLatin1Char(','));
    if (first < 0 || second <= first + 1 || text.count(QLatin1Char(',')) != kFields - 1)
        return std::nullopt;
    const QDate date = stampDate(text.first(first));
    const QStringView verdict = text.sliced(last + 1);
    if (!date.isValid())
        return std::nullopt;
    const QString grade = text.sliced(first + 1, second - first - 1).toString();
    if (verdict.startsWith(kClassFlash)) {
        bool ok = false;
        const int set = verdict.sliced(kClassFlash.size()).toInt(&ok);
        return ok && set >= 0 ? std::optional<Entry>(Entry{date, grade, false, set}) : std::nullopt;
    }
    if (verdict != kLate && verdict != kOnPace)
        return std::nullopt;
    return Entry{date, grade, verdict == kLate, -1};
}

QString busyNotice() { return QStringLiteral("このパソコンがいそがしくて、すうじがおくれてでたかもしれません。"); }

} // namespace pace
