#pragma once
// TForm12, choosing the master password. Shown modally by the main menu while none is set. It is
// typed twice, hidden: one typo would otherwise lock the teacher out.
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
    QLineEdit *Edit1 = nullptr; // the new master password, hidden
    QLabel *Label2 = nullptr;   // もういちど入れて下さい
    QLineEdit *Edit2 = nullptr; // the same again
    QLabel *Label3 = nullptr;   // what to do after forgetting it

    // Key is the character code (13 for Enter); set to 0 when the key is used up.
    void Edit1KeyPress(int &key);
    void Edit2KeyPress(int &key);

private:
    // Stores `typed` (empty: still not set) and closes; a failed write leaves everything as it was.
    void store(const QString &typed);
};
