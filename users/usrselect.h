#pragma once
// TForm9, the user selection and login.
#include "kit/screen.h"

class QLabel;
class QLineEdit;
class QListWidget;

class TForm9 : public Screen {
    Q_OBJECT
public:
    TForm9();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label2 = nullptr;       // 名前を選択してください
    QListWidget *ListBox1 = nullptr; // the registered users
    QLabel *Label1 = nullptr;       // パスワードをいれてください
    QLineEdit *Edit1 = nullptr;     // the password, masked

    void ListBox1Click();
    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
};
