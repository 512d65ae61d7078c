#pragma once
// TForm7, the registration.
#include "kit/screen.h"

class QLabel;
class QLineEdit;
class TCuteButton;

class TForm7 : public Screen {
    Q_OBJECT
public:
    TForm7();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr;   // なまえ
    QLineEdit *Edit1 = nullptr; // the name
    QLabel *Label2 = nullptr;   // パスワード
    QLineEdit *Edit2 = nullptr; // the password, shown in clear
    TCuteButton *CuteButton1 = nullptr; // とうろくする
    TCuteButton *CuteButton2 = nullptr; // とじる

    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
    void Edit2KeyPress(int &key);
    void CuteButton1Click(QObject *sender);
    void CuteButton2Click(QObject *sender);
};
