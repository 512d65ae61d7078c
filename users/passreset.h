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

    // Enter in Edit1 goes on to Edit2 with a usable password; Enter in Edit2 is 変える.
    void CuteButton1Click(QObject *sender);
    void CuteButton2Click(QObject *sender);

private:
    // Whether `typed` can be a password; if not, the user is told why.
    static bool usable(const QString &typed);
    QString user_;
};
