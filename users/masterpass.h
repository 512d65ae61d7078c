#pragma once
// TForm12, choosing the master password. Shown modally by the main menu while none is set.
#include "kit/screen.h"

class QLabel;
class QLineEdit;

class TForm12 : public Screen {
    Q_OBJECT
public:
    TForm12();

    void FormCreate() override;
    void FormActivate() override;

    QLabel *Label1 = nullptr;   // マスターパスワードを決めて下さい
    QLineEdit *Edit1 = nullptr; // the new master password, shown in clear

    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
};
