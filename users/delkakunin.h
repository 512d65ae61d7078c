#pragma once
// TForm15, the teacher's yes/no question before the user shown on the students' records is deleted.
#include "shell/screen.h"

#include <QDeadlineTimer>

class ClickLabel;
class Picture;
class QLabel;

class TForm15 : public Screen {
    Q_OBJECT
public:
    TForm15();

    void FormCreate() override;

    QLabel *Label3 = nullptr;     // 削除してもよろしいですか？
    Picture *Image1 = nullptr;    // はい
    ClickLabel *Label1 = nullptr;
    Picture *Image2 = nullptr;    // いいえ
    ClickLabel *Label2 = nullptr;

    void Label1Click(); // はい
    void Label2Click(); // いいえ

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    // The dialog's size is its outer size, frame included, which a window manager tells only after
    // the window is up: fitted once, at the first showing.
    void fitOuterSize();
    bool fitted_ = false;
    QDeadlineTimer fitUntil_;
};
