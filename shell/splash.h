#pragma once
// TForm11, the splash shown for 2500 ms at start-up.
#include "kit/screen.h"

class QTimer;
class QFrame;

class TForm11 : public Screen {
    Q_OBJECT
public:
    TForm11();
    void FormCreate() override;
    void FormCloseQuery() override;

    QFrame *Panel1 = nullptr;
    QTimer *Timer1 = nullptr;
    void Timer1Timer();

protected:
    // The splash takes no input of its own.
    void mousePressEvent(QMouseEvent *) override {}
    void keyPressEvent(QKeyEvent *) override {}
};
