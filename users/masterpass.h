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

private:
    // Enter in Edit1: an empty entry is stored at once, a usable one goes on to Edit2.
    bool firstTyped(const QString &typed);
    // Enter in Edit2: stored when both entries agree.
    void secondTyped();
    // Stores `typed` (empty: still not set) and closes; a failed write leaves everything as it was.
    void store(const QString &typed);
};
