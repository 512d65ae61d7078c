#pragma once
// みんなでフラッシュ, the teacher's choice: the grade, how many questions, the set number (new at
// random, or typed to show a set again) and how one question follows another; from here the set is
// flashed to the room, and its answer sheet and key are saved. Reached from the teacher's screen only.
#include "drill/classpaper.h"
#include "drill/classset.h"
#include "kit/screen.h"

class ClickLabel;
class Picture;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

class TClassChoose : public Screen {
    Q_OBJECT
public:
    TClassChoose();

    void FormCreate() override;
    void FormShow() override;

    QLabel *Title = nullptr;
    QFrame *Chosen = nullptr; // the frame round the chosen grade
    QSpinBox *Questions = nullptr;
    QLineEdit *SetNumber = nullptr;
    QRadioButton *ByKey = nullptr;  // the next question after the teacher's Enter / Space
    QRadioButton *ByPause = nullptr; // … by itself after the pause
    QSpinBox *PauseSeconds = nullptr;
    // Where the set is flashed, offered only on a desktop of two displays.
    QLabel *DisplayCaption = nullptr;
    QRadioButton *ThisDisplay = nullptr;  // この画面
    QRadioButton *OtherDisplay = nullptr; // もう一つの画面
    ClickLabel *StartLabel = nullptr; // はじめる
    ClickLabel *SheetLabel = nullptr; // 解答用紙
    ClickLabel *KeyLabel = nullptr;   // 答え
    ClickLabel *BackLabel = nullptr;  // もどる
    ClickLabel *NewLabel = nullptr;   // 新しい番号

    GradeCode grade() const { return grade_; }
    void chooseGrade(GradeCode code);
    void newSetNumber(); // a new number at random, never the one shown
    void Start();
    void SavePaper(classpaper::Paper paper);

signals:
    // はじめる with a set that can be flashed.
    void showWanted(const classset::ClassSet &set, ClassPacing pacing, bool onOtherDisplay);

private:
    // The set as chosen now, read from the settings file; a refusal is said and gives nothing.
    std::optional<classset::ClassSet> chosenSet();
    void offerDisplays(); // the choice of display shown only while there are two
    GradeCode grade_ = 10;
    QList<Picture *> gradePictures_;
};
