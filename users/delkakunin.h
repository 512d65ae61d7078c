#pragma once
// TForm15, the teacher's yes/no question before the user shown on the students' records is deleted.
#include "kit/screen.h"

#include <array>

class ClickLabel;
class Picture;
class QLabel;

class TForm15 : public Screen {
    Q_OBJECT
public:
    TForm15();

    void FormCreate() override;
    // Asks about this user (the one the teacher's screen shows; "" when none is chosen).
    void Ask(const QString &name);

    QLabel *Label3 = nullptr;     // 削除してもよろしいですか？
    Picture *Image1 = nullptr;    // はい
    ClickLabel *Label1 = nullptr;
    Picture *Image2 = nullptr;    // いいえ
    ClickLabel *Label2 = nullptr;

    void Label1Click(); // はい
    void Label2Click(); // いいえ

signals:
    // The user's files are gone: the teacher's screen forgets them.
    void userDeleted(const QString &name);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();
    QString user_;
    std::array<QPoint, 2> captionOffset_; // はい and いいえ on their pictures
    int oneLine_ = 0; // Label3's height for the question alone
};
