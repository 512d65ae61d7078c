#include "drill/flashstage.h"

#include "base/errors.h"
#include "drill/flashrules.h"
#include "drill/flashsequence.h"
#include "drill/numberlabel.h"
#include "kit/screen.h"
#include "kit/style.h"

#include <QFontMetrics>
#include <QLabel>

FlashStage::FlashStage(QWidget *parent, const Names &names, QPoint shift, int numberTop)
    : QObject(parent), shift_(shift), numberTop_(numberTop)
{
    if (!names.countdown.isEmpty()) {
        countdown_ = new QLabel(QString::number(kCountFrom), parent);
        countdown_->setObjectName(names.countdown);
        countdown_->setFont(style::font(267, true));
        style::setColour(countdown_, QPalette::WindowText, style::kDarkBlue);
        countdown_->move(320, 122);
        countdown_->adjustSize();
    }

    number_ = new NumberLabel(parent);
    number_->setObjectName(names.number);
    number_->setFont(numberFont());
    style::setColour(number_, QPalette::WindowText, Qt::black);
    number_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A fixed size also spares every new text a layout request to the window.
    number_->setFixedHeight(QFontMetrics(number_->font()).height());
    placeFor(3);
    // The number label paints its whole box white; the countdown, which lies within it, stays
    // above it (it is hidden while the numbers are flashed).
    if (countdown_)
        countdown_->raise();
}

QFont FlashStage::numberFont()
{
    // The design font's digits are half an em wide. IPA P Gothic, which stands in for it here, has
    // digits a quarter wider, so that three 400 px italic digits would run past the 700 px label
    // and off the screen: its digits are narrowed to half an em. (Not IPA Gothic: its half-width
    // digits are another, condensed design with a slashed zero, a typewriter's type.)
    QFont f = style::font(400, false, true);
    const int advance = QFontMetrics(f).horizontalAdvance(QLatin1Char('0'));
    if (advance > 400 / 2 + 400 / 40)
        f.setStretch(qBound(50, 100 * 200 / advance, 100));
    return f;
}

void FlashStage::follow(FlashSequence *sequence)
{
    connect(sequence, &FlashSequence::showNumber, this, pz::guarded([this](int n) { showNumber(n); }));
    connect(sequence, &FlashSequence::clearNumber, this, pz::guarded([this](bool) { clearNumber(); }));
}

void FlashStage::setCount(int count)
{
    count_ = count;
    if (countdown_)
        countdown_->setText(count >= 0 ? QString::number(count) : QString());
}

void FlashStage::resetCountdown()
{
    setCount(kCountFrom);
    if (countdown_)
        countdown_->setVisible(true);
}

int FlashStage::countDown()
{
    setCount(std::max(count_ - 1, 0));
    return count_;
}

void FlashStage::blankCountdown()
{
    setCount(-1);
    if (countdown_)
        countdown_->setVisible(true);
}

void FlashStage::hideCountdown()
{
    if (countdown_)
        countdown_->setVisible(false);
}

void FlashStage::placeFor(int digits)
{
    // Called at every flash: once placed, the label is left alone, unless the layout itself moved
    // (a display that changed size).
    const QPoint origin = Screen::originFor(number_->parentWidget());
    if (digits == placedDigits_ && origin == placedOrigin_)
        return;
    if (const auto at = flashrules::numberPlacement(digits)) {
        placedDigits_ = digits;
        placedOrigin_ = origin;
        number_->setFixedWidth(at->width);
        number_->move(origin + QPoint(at->left, numberTop_ >= 0 ? numberTop_ : at->top) + shift_);
    }
}

void FlashStage::prepare() { number_->prepare(); }

void FlashStage::showNumber(int number)
{
    number_->setText(QString::number(number));
    // On the screen before this returns, painted from the prepared digits.
    number_->repaintChange();
}

void FlashStage::clearNumber()
{
    number_->setText(QString());
    number_->repaintChange();
}

void FlashStage::dropNumber() { number_->setText(QString()); }
