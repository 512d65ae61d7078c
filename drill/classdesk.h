#pragma once
// みんなでフラッシュ, the teacher's desk: while the set is shown on the other display (a projector), the
// teacher's own display shows where the set is: which question of how many, what happens now, what
// moves on. Never a number: the room sees them first, on the other display. Enter or Space starts
// the question waiting, Esc asks whether to stop, as on the room's screen.
#include "kit/screen.h"

class ClickLabel;
class QLabel;
class TClassShow;

class TClassDesk : public Screen {
    Q_OBJECT
public:
    TClassDesk();

    void FormCreate() override;

    // Shows where `show` is, for as long as it is shown on the other display.
    void watch(TClassShow *show);

    QLabel *Question = nullptr; // 「3問目 ／ 10問」
    QLabel *Doing = nullptr;    // what happens now, or what moves on
    ClickLabel *StartLabel = nullptr; // はじめる (Enter)
    ClickLabel *StopLabel = nullptr;  // やめる (Esc)

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refresh();

    TClassShow *show_ = nullptr;
};
