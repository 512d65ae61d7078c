#pragma once
// TForm16, the briefing: the chosen grade and its parameters in very large type for 2500 ms.
#include "kit/screen.h"

class QLabel;
class QTimer;

class TForm16 : public Screen {
    Q_OBJECT
public:
    TForm16();
    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr; // the grade
    QLabel *Label2 = nullptr; // its parameters
    QTimer *Timer1 = nullptr;
    void Timer1Timer();
};
