#pragma once
// TPassReset, the teacher's new password for the child shown on the students' records (reached, as
// the deletion is, only through the master password). Typed twice, hidden; the history stays.
#include "kit/screen.h"

class QLabel;
class QLineEdit;
class TCuteButton;

class TPassReset : public Screen {
    Q_OBJECT
public:
    TPassReset();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;
    // For this child (the one the teacher's screen shows; "" when none is chosen).
    void Ask(const QString &name);

    QLabel *Label1 = nullptr;    // "<name>さんの新しいパスワード"
    QLineEdit *Edit1 = nullptr;  // the new password, hidden
    QLabel *Label2 = nullptr;    // もういちど入れて下さい
    QLineEdit *Edit2 = nullptr;  // the same again
    TCuteButton *CuteButton1 = nullptr; // 変える
    TCuteButton *CuteButton2 = nullptr; // とじる

    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
    void Edit2KeyPress(int &key);
    void CuteButton1Click(QObject *sender);
    void CuteButton2Click(QObject *sender);

private:
    QString user_;
};
