#pragma once
// TForm13, the students' records: the teacher's list of every registered user and the history of
// the one chosen, and the way to the deletion question and the settings editor.
#include "kit/screen.h"

#include <QListWidget>

class ClickLabel;
class Picture;
class QLabel;
class QComboBox;
class QListWidget;
class RecordGrid;

class TForm13 : public Screen {
    Q_OBJECT
public:
    TForm13();

    void FormCreate() override;
    void FormActivate() override;
    void FormCloseQuery() override;

    QLabel *Label1 = nullptr;        // "<name>さんの記録", empty until a name is chosen
    Picture *Image4 = nullptr;       // 画面設定 (does nothing)
    ClickLabel *Label5 = nullptr;
    Picture *Image3 = nullptr;       // 環境設定
    ClickLabel *Label4 = nullptr;
    Picture *Image2 = nullptr;       // 削除
    ClickLabel *Label3 = nullptr;
    Picture *Image1 = nullptr;       // もどる
    ClickLabel *Label2 = nullptr;
    // Which 組 the list, the class overview and the CSV show: 全員, then each 組 in use.
    QComboBox *ComboBox1 = nullptr;
    // The registered users (of the 組 chosen); the next activation fills it again.
    QListWidget *ListBox1 = nullptr;
    RecordGrid *StringGrid1 = nullptr;
    // Above the table, only while the history shown has a drill whose pace was off: what the
    // coloured rows mean, on the rows' own colour.
    QLabel *LateLegend = nullptr;

    void ListBox1Click();
    void Label4Click(); // 環境設定
    void Label3Click(); // 削除
    void Label2Click(); // もどる

    // For the deletion question: the user whose history is shown, or an empty string; and
    // forgetting that user once their files are gone.
    QString shownUser() const { return shownUser_; }
    void userDeleted(const QString &name);
    // The settings editor is closing back to this screen: the list is emptied now and filled again
    // as the screen becomes active.
    void forgetUsers() { ListBox1->clear(); }

    void ComboBox1Change();

private:
    // The registered users of the 組 chosen, in folder order.
    void fillList();
    // The title names the user shown ("<name>さんの記録"), or is empty with nobody shown.
    void showTitle(const QString &name);
    QString shownUser_;
};
