#pragma once
// TRosterImport, 名簿から登録 on the teacher's screen: a list of the class chosen, what registering it
// would do line by line, the new children registered only when the teacher presses 登録する, then
// their login cards saved where the teacher chooses.
#include "kit/screen.h"
#include "users/roster.h"

#include <functional>

class QLabel;
class QListWidget;
class TCuteButton;

class TRosterImport : public Screen {
    Q_OBJECT
public:
    TRosterImport();

    void FormCreate() override;
    void FormCloseQuery() override;
    // Opens empty, for a list to be chosen.
    void Open();

    QLabel *Label1 = nullptr;        // the list's file, or how to begin
    QListWidget *ListBox1 = nullptr; // a line per line of the list: what would happen to it
    QLabel *Label2 = nullptr;        // how many new, registered, refused
    TCuteButton *CuteButton1 = nullptr; // ファイルを選ぶ
    TCuteButton *CuteButton2 = nullptr; // 登録する
    TCuteButton *CuteButton3 = nullptr; // とじる

    void CuteButton1Click(QObject *sender);
    void CuteButton2Click(QObject *sender);
    void CuteButton3Click(QObject *sender);

    // Tests choose the list here: the file to read ("" cancels); {} puts the open dialog back.
    using ListChooser = std::function<QString()>;
    static void setListChooser(ListChooser chooser);

signals:
    // Children were registered: the teacher's list reads the folder again.
    void usersAdded();

private:
    void showPlan();
    QString file_;
    roster::Plan plan_;
};
