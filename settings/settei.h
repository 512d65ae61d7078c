#pragma once
// TForm17, the settings editor: the digits, count and seconds of all twenty grades in 60 boxes,
// box k being line k of settei/settei.dat.
#include "kit/screen.h"

#include <array>

class ClickLabel;
class Picture;
class QLineEdit;

class TForm17 : public Screen {
    Q_OBJECT
public:
    TForm17();

    void FormCreate() override;
    void FormActivate() override;

    // Edit[k - 1] is the box named "Edit<k>": row r holds 3r + 1 (digits), 3r + 2 (count) and
    // 3r + 3 (seconds); rows 0..9 are 10級..1級, rows 10..19 初段..十段.
    std::array<QLineEdit *, 60> Edit{};
    ClickLabel *Label27 = nullptr; // もどる
    ClickLabel *Label28 = nullptr; // 保存する
    ClickLabel *Label29 = nullptr; // 初期値に戻す
    Picture *Image1 = nullptr;     // under 初期値に戻す
    Picture *Image2 = nullptr;     // under 保存する
    Picture *Image3 = nullptr;     // under もどる

    // Key is the character code (13 for Enter, 8 for Backspace); set to 0 to discard it. One
    // handler per column, shared by the twenty boxes of that column.
    void Edit1KeyPress(QObject *sender, int &key); // digits
    void Edit2KeyPress(QObject *sender, int &key); // count
    void Edit3KeyPress(QObject *sender, int &key); // seconds
    void Label27Click(); // もどる
    void Label28Click(); // 保存する
    void Label29Click(); // 初期値に戻す

signals:
    // もどる: back to the teacher's screen, which fills its list again.
    void backToTeacher();

private:
    QStringList texts() const;
    void focusBox(int index);
};
