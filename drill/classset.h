#pragma once
// みんなでフラッシュ: the questions a teacher flashes to the whole class, as a set that can be shown
// again. A set is named by its grade and a four-digit set number; the same grade settings and set
// number give the same numbers on any PC and any day, so a printed key stays right for a set shown
// again next week. QtCore only.
#include "base/grade.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

// How the class flash moves from one question to the next.
struct ClassPacing {
    bool byKey = true;     // the next question after the teacher's Enter / Space
    int pauseSeconds = 10; // … else by itself after this pause
};

namespace classset {

inline constexpr int kMinQuestions = 1;
inline constexpr int kMaxQuestions = 10;
inline constexpr int kDefaultQuestions = 10;
inline constexpr int kMaxSetNumber = 9999;

// The set's own generator, apart from the drill's (whose numbers follow the clock). SplitMix64
// (Steele, Lea and Flood, 2014): the state advances by 0x9E3779B97F4A7C15 and each output is the
// state mixed by
//     z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;  z = (z ^ (z >> 27)) * 0x94D049BB133111EB;  z ^ (z >> 31)
// in unsigned 64-bit arithmetic, which every C++ compiler computes alike.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    // A draw in 0 .. range - 1: the top 32 bits of the output scaled by range (range >= 1).
    std::uint32_t below(std::uint32_t range);
private:
    std::uint64_t state_;
};

// One SplitMix64 output for the state `x` (the generator's step without the advance).
std::uint64_t mix(std::uint64_t x);

// The seed of one question: starting from 0x70696B617A616E31 ("pikazan1"), each of
//     set number, digits, count, the IEEE 754 bits of the seconds, question index (0-based)
// in that order is XORed in and the result mixed (h = mix(h ^ value)); negative values are taken
// as their 64-bit two's complement. Each question has its own generator, so question 3 of a set is
// the same whether 3 or 10 questions are shown. "4.5" and "4.50" are the same seconds.
std::uint64_t questionSeed(const GradeParams &params, int setNumber, int question);

// One number as the drill draws it, from `g`: a first digit 1-9, each further digit 0-9 unlike the
// one before it (drawn again until it differs), the first `digits` of three such digits kept.
int drawNumber(SplitMix64 &g, int digits);

// The numbers of one question: `count` numbers, a number equal to the one before it drawn again.
QList<int> questionNumbers(const GradeParams &params, int setNumber, int question);

struct ClassSet {
    GradeCode grade = 0;
    QString gradeName; // "１０級"
    GradeParams params;
    int setNumber = 0;
    QList<QList<int>> questions; // in order, each its numbers in flash order
};


// Refusals, as texts for a 警告; empty when the value is accepted.
QString checkQuestionCount(int questions);               // 1..10
QString checkSetNumber(int setNumber);                   // 0..9999
QString checkGrade(const QString &gradeName, const GradeParams &params); // as the drill refuses it

// The set from given parameters: nothing and a refusal text when any of them is refused.
struct Made {
    std::optional<ClassSet> set;
    QString refusal;
};
Made build(GradeCode grade, const GradeParams &params, int setNumber, int questions);
// The set of a grade of the classroom (the working folder): its parameters read from the settings
// file now. Throws IoError / ConversionError when the file cannot be read or a value converted.
Made make(GradeCode grade, int setNumber, int questions);

// A grade as written in the program, "１０級" … "１級", "初段" … "十段"; digits may be written
// half- or full-width ("10級"). Nothing for any other text.
std::optional<GradeCode> parseGrade(const QString &text);
QString unknownGrade(const QString &text); // the refusal for a text parseGrade does not know

// A set number as typed: one to four digits, half- or full-width ("42", "0042", "００４２").
std::optional<int> parseSetNumber(const QString &text);
// Four digits, leading zeros kept: "0042".
QString setNumberText(int setNumber);
// A new set number at random, never `previous` (-1: none), so "new" always shows a new set.
// `random` gives uniform 32-bit values; the program passes QRandomGenerator's.
int newSetNumber(int previous, const std::function<std::uint32_t()> &random);

// The key's line of one question (1-based): "1. 3 + 5 + 8 + 2 = 18".
QString keyLine(int question, const QList<int> &numbers);
// All the key's lines of a set, in order.
QStringList keyLines(const ClassSet &set);
// The set's heading as printed: "１０級　セット番号 0042".
QString heading(const ClassSet &set);
// The grade's settings as printed on the key: "1けた 4口 4秒".
QString paramsText(const GradeParams &params);

} // namespace classset
