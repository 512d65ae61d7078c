#include "drill/start.h"
#include "drill/drillsession.h"

#include "drill/MMTimer.h"
#include "drill/flashrules.h"
#include "settings/graderules.h"
#include "drill/numberlabel.h"
#include "drill/option.h"
#include "base/errors.h"
#include "platform/sound.h"
#include "kit/kit.h"
#include "kit/app.h"
#include "kit/dialogs.h"

#include <QTimer>

#include <limits>

TForm2::TForm2()
    : Screen({.title = QStringLiteral("start"), .kind = Kind::FullScreenMaximised, .background = Qt::white}),
      sequence_(new FlashSequence(this))
{
}

void TForm2::FormCreate()
{
    // Nothing to prepare for a steady flash: the window already has the display's size (the
    // full-screen rule), Qt paints every widget through an off-screen buffer, so a new number never
    // flickers, and the flash timers' thread sleeps to absolute deadlines on the monotonic clock
    // with its timer slack at the minimum (platform/hirestimer).
    Label1 = new QLabel(QStringLiteral("3"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(font(267, true));
    style::setColour(Label1, QPalette::WindowText, style::kDarkBlue);
    Label1->move(320, 122);
    Label1->adjustSize();

    Label2 = new NumberLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(numberFont());
    style::setColour(Label2, QPalette::WindowText, Qt::black);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const flashrules::Placement at = *flashrules::numberPlacement(3);
    // A fixed size also spares every new text a layout request to the form.
    Label2->setFixedSize(at.width, QFontMetrics(Label2->font()).height());
    Label2->move(at.left, at.top);
    // The number label paints its whole box white; the countdown, which lies within it, stays
    // above it (it is hidden while the numbers are flashed).
    Label1->raise();

    Timer1 = kit::timer(this, "Timer1", 1000, kit::Timing::Precise, [this] { Timer1Timer(); });
    Timer4 = kit::timer(this, "Timer4", 300, kit::Timing::Precise, [this] { Timer4Timer(); });

    // The numbers are flashed by the sequence's two timers; this screen paints what it reports.
    MMTimer2 = sequence_->showTimer();
    MMTimer2->setObjectName(QStringLiteral("MMTimer2"));
    MMTimer3 = sequence_->clearTimer();
    MMTimer3->setObjectName(QStringLiteral("MMTimer3"));
    connect(sequence_, &FlashSequence::showNumber, this, pz::guarded([this](int number) { showNumber(number); }));
    connect(sequence_, &FlashSequence::clearNumber, this, pz::guarded([this](bool last) { clearNumber(last); }));
    connect(sequence_, &FlashSequence::finished, this, pz::guarded([this](const pace::QuestionPace &measured) {
                if (!replaying_)
                    state().drill->questionFinished(measured);
            }));
}

QFont TForm2::numberFont()
{
    // The design font's digits are half an em wide. IPA P Gothic, which stands in for it here, has
    // digits a quarter wider, so that three 400 px italic digits would run past the 700 px label
    // and off the screen. IPA Gothic, its fixed-pitch sister, has half-width digits of the same
    // design; failing that, the digits are narrowed to half an em.
    QFont f = font(400, false, true);
    const auto halfEm = [](const QFont &candidate) {
        return QFontMetrics(candidate).horizontalAdvance(QLatin1Char('0')) <= 400 / 2 + 400 / 40;
    };
    if (halfEm(f))
        return f;
    QFont fixed = f;
    fixed.setFamilies({QStringLiteral("IPAGothic"), style::fixedFontFamily()});
    if (halfEm(fixed))
        return fixed;
    f.setStretch(qBound(50, 100 * 200 / QFontMetrics(f).horizontalAdvance(QLatin1Char('0')), 100));
    return f;
}

void TForm2::FormShow()
{
    setMainMenuEnabled(false);
    screens().gradeSelection->setEnabled(false);
}

void TForm2::FormActivate()
{
    if (!Timer1->isActive())
        Timer1->start();
    if (state().drill->answeredCount() != DrillSession::kQuestions)
        sound::play(sound::Cue::Countdown);
}

void TForm2::Rearm()
{
    Label1->setText(QStringLiteral("3"));
    Label1->setVisible(true);
    if (!Timer1->isActive())
        Timer1->start();
}

void TForm2::Replay(const QList<int> &numbers)
{
    replaying_ = true;
    replay_ = numbers;
    Show();
}

void TForm2::Timer1Timer()
{
    const GradeParams &params = state().gradeParams;
    if (Label1->text() == QLatin1String("3")) {
        // The first tick of a question. The grade screen refuses parameters the presentation
        // cannot run; should any get here, say why and end the drill now, before any number.
        const QString refusal = graderules::checkParams(params);
        if (!refusal.isEmpty()) {
            Timer1->stop();
            dialogs::warn(refusal);
            Close();
            return;
        }
    }
    const qint64 interval = graderules::displayInterval(params.seconds, params.count);
    // An interval of 0 starts no event; only parameters changed in mid-countdown could need it.
    const quint32 usable = interval >= 1 && interval <= qint64(std::numeric_limits<quint32>::max()) ? quint32(interval) : 0;
    sequence_->setInterval(usable);
    // The digits are rendered now, a few seconds before the first one is needed.
    Label2->prepare();

    Label1->setText(QString::number(toInteger(Label1->text()) - 1));
    if (Label1->text() != QLatin1String("0")) {
        sound::play(sound::Cue::Countdown);
        return;
    }
    if (replaying_)
        sequence_->start(usable, replay_);
    else
        sequence_->start(usable, params.count, [this](int) { return nextNumber(); });
    Timer1->stop();
    Label1->setVisible(false);
}

void TForm2::MMTimer2Timer(QObject *) { sequence_->showTick(); }

void TForm2::MMTimer3Timer(QObject *) { sequence_->clearTick(); }

int TForm2::nextNumber()
{
    // Consecutive numbers of a question differ; the first is compared with 0 and always taken.
    int number;
    do
        number = GenerateNumber(state().gradeParams.digits, numberClock_);
    while (number == state().drill->lastNumber());
    return number;
}

void TForm2::showNumber(int number)
{
    Label2->setText(QString::number(number));
    if (!replaying_)
        state().drill->numberShown(number);
    if (const auto at = flashrules::numberPlacement(state().gradeParams.digits)) {
        Label2->setFixedSize(at->width, Label2->height());
        Label2->move(at->left, at->top);
    }
    // On screen before the handler returns, painted from the prepared digits.
    Label2->repaintChange();
}

void TForm2::clearNumber(bool last)
{
    Label2->setText(QString());
    if (last) {
        Label1->setText(QString());
        Timer1->stop();
        Label1->setVisible(true);
        Timer4->start();
    }
    Label2->repaintChange();
}

void TForm2::Timer4Timer()
{
    if (replaying_) {
        // Practice is over: back to whatever the replay was started from.
        Timer4->stop();
        Close();
        emit replayFinished();
        return;
    }
    emit answerWanted(); // the answer box shows itself
    Timer4->stop();
}

void TForm2::FormCloseQuery()
{
    SharedState &s = state();
    setMainMenuEnabled(true);
    screens().gradeSelection->setEnabled(true);
    Timer1->stop();
    Label1->setText(QStringLiteral("3"));
    Label1->setVisible(true);
    Label2->setText(QString());
    sequence_->stop();
    s.drill->ended();
    Timer4->stop();
    emit drillReset(); // the answer box asks for question 1 again
    replaying_ = false;
    replay_.clear();
}
