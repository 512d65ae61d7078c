#pragma once
// TForm6, the verdict: "合格" or "不合格" in huge letters for five seconds or until Enter, then the
// result sheet.
#include "kit/screen.h"

class QLabel;
class QTimer;

class TForm6 : public Screen {
    Q_OBJECT
public:
    TForm6();

    void FormCreate() override;
    void FormCloseQuery() override;

    // Sets the verdict and its left edge, shows the screen and starts the 5000 ms timer.
    void present(const QString &verdict, int left);

    QLabel *Label1 = nullptr; // the verdict
    QTimer *Timer1 = nullptr; // 5000 ms, then the result sheet

    void Timer1Timer();
    void FormKeyPress(QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void moveOn();
};
