#pragma once
// TForm5, the answer box: takes the typed sum of one question, judges it and re-arms the flash screen.
// After the tenth answer it decides the verdict and ends the drill.
#include "kit/screen.h"

class QLabel;
class QLineEdit;

class TForm5 : public Screen {
    Q_OBJECT
public:
    TForm5();

    void FormCreate() override;
    void FormShow() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    // The caption naming the question the box asks next ("1問目" after a reset).
    void setQuestionCaption(const QString &text);

    QLabel *Label1 = nullptr;   // hint
    QLabel *Label2 = nullptr;   // question caption
    QLineEdit *Edit1 = nullptr; // answer field: digits only, at most a 32-bit value

    // The field's key handler: Enter takes the answer; digits and Backspace pass, the rest is
    // discarded. Key is the character code; set to 0 when the key is used up.
    void Edit1KeyPress(int &key);

private:
    void acceptAnswer();
};
