#pragma once
// TForm10, deleting the logged-in user from the main menu, with the master password.
#include "kit/screen.h"

class QLabel;
class QLineEdit;

class TForm10 : public Screen {
    Q_OBJECT
public:
    TForm10();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr;    // "<name>さんの"
    QLabel *Label3 = nullptr;    // 記録を削除します
    QLabel *Label2 = nullptr;    // the instruction, red
    QLineEdit *Edit1 = nullptr;  // the master password, masked

    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
};
