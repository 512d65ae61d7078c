#include "drill/pacecheck.h"

#include "base/errors.h"
#include "settings/graderules.h"
#include "drill/flashsequence.h"
#include "settings/rand.h"

#include <QEventLoop>
#include <QFileInfo>

#include <algorithm>

namespace pacecheck {

namespace {
using std::chrono::duration_cast;
using std::chrono::microseconds;

constexpr GradeCode kTenthDan = 20;
// The settings editor's ranges bound the fastest pace. Nothing typed past them is faster: the drill
// refuses any grade whose interval would be under 1 ms.
constexpr graderules::EditorRanges kRanges = graderules::kEditor;

// A grade whose lines convert and can be flashed.
std::optional<GradeParams> paramsOf(const QStringList &lines, GradeCode grade)
{
    try {
        return graderules::gradeFrom(lines, grade).params;
    } catch (const pz::ConversionError &) {
        return std::nullopt;
    }
}

Pace paceOf(const QString &name, const GradeParams &p, const QString &source)
{
    return Pace{name, p, quint32(graderules::displayInterval(p.seconds, p.count)), source};
}

// The nearest-rank percentile of values sorted in place; 0 for none.
qint64 percentile(std::vector<qint64> &sorted, int percent)
{
    if (sorted.empty())
        return 0;
    const size_t rank = (sorted.size() * size_t(percent) + 99) / 100; // 1-based, rounded up
    return sorted[std::max<size_t>(rank, 1) - 1];
}

// One pace through the drill's own flash sequence, question after question without a countdown
// until the pace's time is up.
class Runner {
public:
    Runner(const Pace &p, const Paint &paint, const Seams &seams) : pace_(p), paint_(paint), seams_(seams)
    {
        sequence_.setClock(seams_.clock);
        QObject::connect(&sequence_, &FlashSequence::flashDue, pz::guarded([this](int, pace::Clock::time_point due) {
            flashDue(due);
        }));
        if (paint_) {
            QObject::connect(&sequence_, &FlashSequence::showNumber, pz::guarded([this](int number) { paint_(number); }));
            QObject::connect(&sequence_, &FlashSequence::clearNumber, pz::guarded([this] { paint_(-1); }));
        }
        QObject::connect(&sequence_, &FlashSequence::finished, pz::guarded([this](const pace::QuestionPace &q) {
            questionDone(q);
        }));
        // Every flash is kept; the room is made now, so that no flash allocates.
        samples_.reserve(size_t(seams_.perPace.count()) / std::max<quint32>(pace_.intervalMs, 1) + 16);
        sequence_.meter().keepSamples(&samples_);
    }

    Figures run()
    {
        figures_.pace = pace_;
        figures_.painted = bool(paint_);
        runStart_ = now();
        begin();
        loop_.exec();
        summarise();
        return figures_;
    }

private:
    pace::Clock::time_point now() const { return seams_.clock ? seams_.clock() : pace::Clock::now(); }

    void begin()
    {
        sequence_.start(pace_.intervalMs, pace_.params.count, [this](int) { return nextNumber(); });
    }

    // First in every flash: the test's seam, then whether this clearing is the run's last.
    void flashDue(pace::Clock::time_point due)
    {
        ++figures_.flashes;
        if (seams_.beforeFlash)
            seams_.beforeFlash(figures_.flashes, due);
        if (sequence_.phase() != FlashSequence::Phase::Shown)
            return;
        timeUp_ = now() - runStart_ >= seams_.perPace || (seams_.stop && seams_.stop());
        if (timeUp_)
            sequence_.endWithThisNumber();
    }

    void questionDone(const pace::QuestionPace &q)
    {
        figures_.worstLateUs = std::max(figures_.worstLateUs, q.worstLateUs);
        figures_.missedTicks += q.missedTicks;
        if (timeUp_)
            loop_.quit();
        else
            begin();
    }

    // Numbers of the pace's digits, each unlike the one before, so that every flash paints.
    int nextNumber()
    {
        const int digits = std::clamp(pace_.params.digits, 1, 3);
        const int low = digits == 1 ? 1 : (digits == 2 ? 10 : 100), high = digits == 1 ? 9 : (digits == 2 ? 99 : 999);
        int n;
        do {
            seed_ = seed_ * 1103515245u + 12345u;
            n = low + int((seed_ >> 8) % quint32(high - low + 1));
        } while (n == number_);
        return n;
    }

    void summarise()
    {
        std::vector<qint64> late, paint;
        late.reserve(samples_.size());
        paint.reserve(samples_.size());
        for (const pace::Sample &s : samples_) {
            late.push_back(s.tickLateUs);
            paint.push_back(s.paintUs);
        }
        std::sort(late.begin(), late.end());
        std::sort(paint.begin(), paint.end());
        figures_.medianTickLateUs = percentile(late, 50);
        figures_.p99TickLateUs = percentile(late, 99);
        figures_.worstTickLateUs = late.empty() ? 0 : late.back();
        figures_.medianPaintUs = percentile(paint, 50);
        figures_.p99PaintUs = percentile(paint, 99);
    }

    const Pace pace_;
    const Paint &paint_;
    const Seams &seams_;
    FlashSequence sequence_;
    std::vector<pace::Sample> samples_;
    QEventLoop loop_;
    bool timeUp_ = false;
    int number_ = 0;
    quint32 seed_ = 20261207u;
    pace::Clock::time_point runStart_;
    Figures figures_;
};

QString ms(qint64 us) { return pace::millisecondsText(us) + QStringLiteral("ms"); }
} // namespace

bool Figures::keepsPace() const
{
    // A lost tick is a flash off the screen's beat where ticks are a frame or more apart (the drill's
    // own rule). At the fastest pace, a tick a millisecond, one lost tick costs a millisecond, which the
    // lateness already holds: judging it by the count would fail sound PCs on a question no screen
    // can show.
    constexpr quint32 kFrameMs = (pace::kFrameTenths + 9) / 10;
    pace::QuestionPace q;
    q.worstLateUs = worstLateUs;
    q.missedTicks = pace.intervalMs >= kFrameMs ? missedTicks : 0;
    return !pace::isLate(q);
}

Pace tenthDan(const QStringList &settingsLines)
{
    const QString name = settings::gradeName(kTenthDan);
    if (const std::optional<GradeParams> p = paramsOf(settingsLines, kTenthDan))
        return paceOf(name, *p, QStringLiteral("教室の設定"));
    return paceOf(name, *paramsOf(settings::defaultSettingsLines(), kTenthDan), QStringLiteral("標準の設定"));
}

Pace fastest()
{
    GradeParams best{kRanges.maxDigits, kRanges.minCount, kRanges.minSeconds};
    for (qint32 count = kRanges.minCount; count <= kRanges.maxCount; ++count) {
        const GradeParams p{kRanges.maxDigits, count, kRanges.minSeconds};
        // On a tie the more numbers: the longer question drifts the most.
        if (graderules::checkParams(p).isEmpty()
            && graderules::displayInterval(p.seconds, p.count) <= graderules::displayInterval(best.seconds, best.count))
            best = p;
    }
    return paceOf(QStringLiteral("最速"), best, QString());
}

std::vector<Pace> paces(const QStringList &settingsLines) { return {tenthDan(settingsLines), fastest()}; }

QStringList classroomSettings()
{
    if (!QFileInfo(settings::settingsPath()).isFile())
        return {};
    try {
        return ReadSettingsLines();
    } catch (const pz::Error &) {
        return {}; // the built-in 十段 is checked instead, and the report says so
    }
}

std::vector<Figures> run(const std::vector<Pace> &paces, const Paint &paint, const Seams &seams)
{
    std::vector<Figures> out;
    for (const Pace &p : paces) {
        if (seams.stop && seams.stop())
            break;
        out.push_back(Runner(p, paint, seams).run());
    }
    return out;
}

bool keepsPace(const std::vector<Figures> &figures)
{
    return std::all_of(figures.begin(), figures.end(), [](const Figures &f) { return f.keepsPace(); });
}

QString verdictLine(bool keeps)
{
    const QString frame = ms(pace::kFrameTenths * 100);
    return keeps ? QStringLiteral("判定: ずれなし（このパソコンは数字を1フレーム %1 以内に出せます）").arg(frame)
                 : QStringLiteral("判定: ずれあり（このパソコンでは数字が1フレーム %1 より遅れることがあります）").arg(frame);
}

QStringList report(const std::vector<Figures> &figures)
{
    QStringList lines;
    for (const Figures &f : figures) {
        const GradeParams &p = f.pace.params;
        const QString source = f.pace.source.isEmpty() ? QString() : QStringLiteral("・") + f.pace.source;
        lines << QStringLiteral("%1（%2桁%3口%4秒%5）間隔%6ms・%7回")
                     .arg(f.pace.name).arg(p.digits).arg(p.count).arg(QString::number(p.seconds, 'g', 15), source)
                     .arg(f.pace.intervalMs).arg(f.flashes);
        lines << QStringLiteral("　おくれ 中央値%1 99%値%2 最大%3")
                     .arg(ms(f.medianTickLateUs), ms(f.p99TickLateUs), ms(f.worstTickLateUs));
        lines << (f.painted ? QStringLiteral("　表示 中央値%1 99%値%2").arg(ms(f.medianPaintUs), ms(f.p99PaintUs))
                            : QStringLiteral("　表示 画面なし（はかっていません）"));
        lines << QStringLiteral("　表示までのおくれ 最大%1・取りこぼし%2回・%3")
                     .arg(ms(f.worstLateUs)).arg(f.missedTicks).arg(pace::verdictWord(!f.keepsPace()));
    }
    lines << verdictLine(keepsPace(figures));
    return lines;
}

} // namespace pacecheck
