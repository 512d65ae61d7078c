#pragma once
// TClassMarks, 結果を入れる after みんなでフラッシュ: the teacher chooses a child (the list filtered by
// 組), types the number right on the child's paper and presses 入れる; the mark becomes a line of the
// child's history (drill/classmarks.h). The list moves on to the next child.
#include "drill/classset.h"
#include "kit/screen.h"

#include <QDateTime>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class TCuteButton;

class TClassMarks : public Screen {
    Q_OBJECT
public:
    TClassMarks();

    void FormCreate() override;
    // For this set, shown at `shown`.
    void Open(const classset::ClassSet &set, const QDateTime &shown);

    QLabel *Title = nullptr;          // "結果を入れる　１０級　セット番号 0042（5問）"
    QComboBox *ComboBox1 = nullptr;   // 全員, then each 組
    QListWidget *ListBox1 = nullptr;  // the children of the 組 chosen
    QLabel *Label1 = nullptr;         // 正解数
    QLineEdit *Edit1 = nullptr;       // the number right
    QLabel *Label2 = nullptr;         // what was entered last
    TCuteButton *CuteButton1 = nullptr; // 入れる
    TCuteButton *CuteButton2 = nullptr; // とじる

    void ComboBox1Change();
    void Edit1KeyPress(int &key);
    void CuteButton1Click(QObject *sender);
    void CuteButton2Click(QObject *sender);

private:
    void fillList();
    classset::ClassSet set_;
    QDateTime shown_;
};
