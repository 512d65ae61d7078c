#pragma once
// TForm1, the main menu.
#include "kit/screen.h"

class TChDisplay;
class ClickLabel;
class Picture;
class QLabel;

class TForm1 : public Screen {
    Q_OBJECT
public:
    TForm1();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    // Enables or disables the three user items with SharedState.loggedIn.
    void loginChanged() override;

    // Puts the display back into the mode saved at start (once; later calls do nothing).
    void restoreDisplayMode();

    TChDisplay *ChDisplay1 = nullptr;

    // Who is logged in, under 先生用: the next child at this PC sees whose name the drills go to.
    QLabel *UserCaption = nullptr; // いま れんしゅうする人
    QLabel *UserName = nullptr;    // "たろう さん"

    // The seven items, in the order of the menu's table.
    ClickLabel *Label1, *Label6, *Label3, *Label2, *Label5, *Label4, *Label7;
    Picture *Image1, *Image2, *Image3, *Image4, *Image5, *Image6, *Image7;

    void Label1Click(); // とうろくする
    void Label6Click(); // ユーザー選択
    void Label3Click(); // れんしゅうする
    void Label2Click(); // きろくをみる
    void Label5Click(); // さくじょする
    void Label4Click(); // おわる
    void Label7Click(); // 先生用

private:
    qint32 savedWidth_ = 0, savedHeight_ = 0, savedBitsPerPixel_ = 0;
    bool restored_ = false;
    bool accessChecked_ = false; // the start-up check of the classroom folder ran
};
