#pragma once
// The stage every flash is drawn on: the countdown 3, 2, 1 and the number label, in their type,
// colours and places. The drill, the class flash and the PC check each put one on their window, so
// that the number is set up, placed and painted in this one place.
#include <QObject>
#include <QPoint>
#include <QString>

class FlashSequence;
class NumberLabel;
class QFont;
class QLabel;
class QWidget;

class FlashStage : public QObject {
    Q_OBJECT
public:
    struct Names {
        QString countdown; // none: the stage has no countdown
        QString number;
    };
    // Puts the labels on `parent`, named as given, the number where three digits go. `shift` moves
    // the number from the flash screen's places (a smaller window); `numberTop` overrides its top.
    FlashStage(QWidget *parent, const Names &names, QPoint shift = {}, int numberTop = -1);

    // The type the numbers are flashed in.
    static QFont numberFont();

    QLabel *countdown() const { return countdown_; }
    NumberLabel *number() const { return number_; }

    // The sequence's numbers are painted as it reports them.
    void follow(FlashSequence *sequence);

    // The countdown. Its figure is kept here; the label only shows it.
    static constexpr int kCountFrom = 3;
    int count() const { return count_; }
    void resetCountdown();     // 3, shown
    int countDown();           // one less, shown; returns it (0 when the numbers are due)
    void blankCountdown();     // shown, without a figure
    void hideCountdown();

    // Places the number for this many digits (a count with no place leaves it where it is) and
    // renders the digits, seconds before the first is needed.
    void placeFor(int digits);
    void prepare();
    // Shows a number, or clears it, and returns once it is on the screen.
    void showNumber(int number);
    void clearNumber();
    // Forgets the number without painting (the window is going away).
    void dropNumber();

private:
    void setCount(int count);

    QLabel *countdown_ = nullptr;
    NumberLabel *number_ = nullptr;
    QPoint shift_;
    int numberTop_ = -1;
    int count_ = kCountFrom;
    int placedDigits_ = 0; // the count the number is placed for; none yet
    QPoint placedOrigin_;  // and the layout's origin it was placed on
};
