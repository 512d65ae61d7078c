#pragma once
// TForm14, entering the master password to reach the students' records.
#include "kit/screen.h"

class QLabel;
class QLineEdit;

class TForm14 : public Screen {
    Q_OBJECT
public:
    TForm14();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr;   // マスターパスワードを入れて下さい
    QLineEdit *Edit1 = nullptr; // the master password, masked

    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
};
