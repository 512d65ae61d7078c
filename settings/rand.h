#pragma once
// The grade parameters in settei/settei.dat and the number generator of the flash screen.
#include "base/grade.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace settings {
constexpr int kLineCount = 60;
QString settingsPath(); // ROOM/settei/settei.dat of the room in use, empty when none is

// The three lines of one grade as written to the file: digits, count, seconds.
struct DefaultGrade {
    const char *digits;
    const char *count;
    const char *seconds;
};
// Block 0 (10級) .. block 19 (十段), exactly as the file holds them.
extern const std::array<DefaultGrade, 20> DefaultGradeParams;
QStringList defaultSettingsLines(); // the 60 lines of the defaults

int blockOf(GradeCode c); // 10 - c for kyu, c - 1 for dan
GradeCode gradeOfBlock(int block); // block 0 is 10級, block 19 十段
QString gradeName(GradeCode c); // "１０級" … "十段"
} // namespace settings

// 60 slots, slot k-1 holding line k of the file, "" where the file has none. Throws IoError.
QStringList ReadSettingsLines();
// Read afresh at every call; no range check. Throw IoError / ConversionError.
qint32 ReadGradeDigits(GradeCode c);
qint32 ReadGradeCount(GradeCode c);
double ReadGradeSeconds(GradeCode c);
// The three values of a grade among the 60 settings lines, converted as the accessors do (digits
// first); a value that does not convert throws the ConversionError naming its line.
GradeParams gradeParamsOf(const QStringList &lines, GradeCode c);

// Strict conversions used by the accessors: an optional sign and decimal digits; for seconds also a
// fraction and an exponent. The try forms give nothing for any other text, the to forms throw
// ConversionError.
std::optional<qint32> tryInteger(const QString &text);
// The three lines of a grade's block among the 60 settings lines (ReadSettingsLines), each as the
// accessors convert it: nothing for a text they refuse.
struct GradeLines {
    std::optional<qint32> digits, count;
    std::optional<double> seconds;
};
GradeLines readGradeLines(const QStringList &lines, int block);
std::optional<double> trySeconds(const QString &text);
qint32 toInteger(const QString &text);
double toSeconds(const QString &text);

// Replaces settei/settei.dat with these lines, each ended by CR LF, through a temporary and a
// rename: a failed write leaves the old file exactly as it was. Throws IoError / ConversionError.
void WriteSettingsLines(const QStringList &lines);

// The UTC time of day in milliseconds; injected so tests can pin the generator.
using ClockMs = std::function<std::uint32_t()>;
std::uint32_t utcTimeOfDayMs();
int GenerateNumber(int digits, const ClockMs &clock = utcTimeOfDayMs);
