#pragma once
// TForm4, the result sheet: the ten questions with the correct and the typed answer and a mark,
// the two counts, and the drill's line appended to the user's history file.
//
// Control names: Label1 "答え", Label2 "入力した答え"; for row k (1..10) the title cell is
// Label(2+k), the answer cell Label(12+k), the typed-answer cell Label(22+k) and the mark cell
// Label(32+k) (so row 1 is Label3, Label13, Label23, Label33); Bevel(2k-1) and Bevel(2k) are the
// row's engraved lines; Label44 the correct count, Label43 the text between the counts, Label45 the
// incorrect count, Label46 "もどる" over Image1; Timer1 the deferred fill.
#include "drill/drillrules.h"
#include "kit/screen.h"

#include <QDate>
#include <array>
#include <functional>

class ClickLabel;
class Picture;
class QLabel;
class QTimer;
class ReviewPanel;

class TForm4 : public Screen {
    Q_OBJECT
public:
    TForm4();

    static constexpr int kRows = 10;
    static QString titleCellName(int row) { return QStringLiteral("Label%1").arg(2 + row); }
    static QString answerCellName(int row) { return QStringLiteral("Label%1").arg(12 + row); }
    static QString typedCellName(int row) { return QStringLiteral("Label%1").arg(22 + row); }
    static QString markCellName(int row) { return QStringLiteral("Label%1").arg(32 + row); }

    void FormCreate() override;
    void FormShow() override;
    void FormCloseQuery() override;

    // Starts the 10 ms timer whose first tick fills the sheet (called by the verdict screen).
    void startFill();

    // Where the record's date comes from; the local date unless a test fixes it. The answer box
    // asks it when it fixes the drill's line at the verdict.
    void setDateSource(std::function<QDate()> today) { today_ = std::move(today); }
    QDate today() const { return today_(); }

    std::array<QLabel *, kRows> titleCells{}, answerCells{}, typedCells{}, markCells{};
    QLabel *Label43 = nullptr; // "問正解    　問不正解"
    QLabel *Label44 = nullptr; // correct count
    QLabel *Label45 = nullptr; // incorrect count
    ClickLabel *Label46 = nullptr; // もどる
    // One small line, only under a drill that may have been shown off its pace.
    QLabel *Label47 = nullptr;
    Picture *Image1 = nullptr;
    QTimer *Timer1 = nullptr;
    // A click on a row's 問目, answer, typed answer or mark, once the sheet is filled, opens a
    // second look at that question.
    ReviewPanel *Review = nullptr;
    void openReview(int row);

    void Timer1Timer(); // the fill job
    // On the way out of the program: a drill that reached its verdict but whose line is not in its
    // history file yet (the program ends during the verdict or before the fill, or the sheet's
    // append failed) is appended now, as it was fixed at the verdict, once, and only while the
    // child it belongs to is still registered; otherwise it is dropped.
    void recordFinishedDrill();
    void Label46Click();

private:
    void appendDrillLine();
    bool eventFilter(QObject *watched, QEvent *event) override;
    std::function<QDate()> today_ = [] { return QDate::currentDate(); };
};
