#include "settings/rand.h"

#include "base/classroom.h"
#include "base/errors.h"
#include "platform/textfile.h"

#include <QDateTime>
#include <QRegularExpression>

namespace settings {

QString settingsPath() { return Classroom::inUse().settings(); }

const std::array<DefaultGrade, 20> DefaultGradeParams = {{
    {"1", "4", "4"},    // １０級
    {"1", "6", "6"},    // ９級
    {"1", "8", "8"},    // ８級
    {"1", "10", "10"},  // ７級
    {"2", "3", "3"},    // ６級
    {"2", "4", "4"},    // ５級
    {"2", "5", "5"},    // ４級
    {"2", "7", "7"},    // ３級
    {"2", "10", "10"},  // ２級
    {"3", "5", "5"},    // １級
    {"3", "7", "7"},    // 初段
    {"3", "10", "10"},  // 二段
    {"3", "10", "7"},   // 三段
    {"3", "10", "5"},   // 四段
    {"3", "10", "4.5"}, // 五段
    {"3", "10", "4"},   // 六段
    {"3", "10", "3.5"}, // 七段
    {"3", "10", "3"},   // 八段
    {"3", "15", "4"},   // 九段
    {"3", "15", "3"},   // 十段
}};

QStringList defaultSettingsLines()
{
    QStringList lines;
    for (const DefaultGrade &g : DefaultGradeParams)
        lines << QString::fromLatin1(g.digits) << QString::fromLatin1(g.count) << QString::fromLatin1(g.seconds);
    return lines;
}

int blockOf(GradeCode c) { return c <= 10 ? 10 - c : c - 1; }
GradeCode gradeOfBlock(int block) { return block < 10 ? 10 - block : block + 1; }

QString gradeName(GradeCode c)
{
    static const char *const names[] = {"１級", "２級", "３級", "４級", "５級", "６級", "７級", "８級", "９級", "１０級",
                                        "初段", "二段", "三段", "四段", "五段", "六段", "七段", "八段", "九段", "十段"};
    return (c >= 1 && c <= 20) ? QString::fromUtf8(names[c - 1]) : QString();
}

} // namespace settings

QStringList ReadSettingsLines()
{
    // Only as much of the file as its 60 lines need is read: a huge file past them costs nothing.
    QStringList lines = textfile::readLines(settings::settingsPath(), settings::kLineCount);
    while (lines.size() < settings::kLineCount)
        lines.append(QString());
    return lines;
}

std::optional<qint32> tryInteger(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const qint32 v = re.match(text).hasMatch() ? text.toInt(&ok, 10) : 0;
    return ok ? std::optional<qint32>(v) : std::nullopt;
}

std::optional<double> trySeconds(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    bool ok = false;
    const double v = re.match(text).hasMatch() ? text.toDouble(&ok) : 0;
    return ok ? std::optional<double>(v) : std::nullopt;
}

namespace {
template <class T>
T orThrow(const std::optional<T> &value, const QString &text)
{
    if (!value)
        throw pz::ConversionError(text);
    return *value;
}
} // namespace

GradeLines readGradeLines(const QStringList &lines, int block)
{
    const int first = 3 * block;
    return {tryInteger(lines.value(first)), tryInteger(lines.value(first + 1)), trySeconds(lines.value(first + 2))};
}

qint32 toInteger(const QString &text) { return orThrow(tryInteger(text), text); }
double toSeconds(const QString &text) { return orThrow(trySeconds(text), text); }

namespace {
// Converts line 3b + 1 + offset of the grade's block; a failure names the file, the line and the
// grade, since a teacher has to find the line to mend it.
template <class T>
T convertSlot(const QStringList &lines, GradeCode c, int offset, T (*convert)(const QString &))
{
    const int lineNo = 3 * settings::blockOf(c) + offset + 1;
    const QString text = lines.value(lineNo - 1);
    try {
        return convert(text);
    } catch (const pz::ConversionError &) {
        static const char *const what[] = {"桁数", "口数", "秒数"};
        // Named as the teacher finds it in the room, whichever room it was read from.
        const QString place = QStringLiteral("settei/settei.dat の %1 行目（%2の%3）")
                                  .arg(lineNo)
                                  .arg(settings::gradeName(c), QString::fromUtf8(what[offset]));
        throw pz::ConversionError(text, place);
    }
}
} // namespace

qint32 ReadGradeDigits(GradeCode c) { return convertSlot(ReadSettingsLines(), c, 0, toInteger); }
qint32 ReadGradeCount(GradeCode c) { return convertSlot(ReadSettingsLines(), c, 1, toInteger); }
double ReadGradeSeconds(GradeCode c) { return convertSlot(ReadSettingsLines(), c, 2, toSeconds); }

GradeParams gradeParamsOf(const QStringList &lines, GradeCode c)
{
    return {convertSlot(lines, c, 0, toInteger), convertSlot(lines, c, 1, toInteger), convertSlot(lines, c, 2, toSeconds)};
}

void WriteSettingsLines(const QStringList &lines) { textfile::rewrite(settings::settingsPath(), lines); }

std::uint32_t utcTimeOfDayMs()
{
    return std::uint32_t(QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay());
}

int GenerateNumber(int digits, const ClockMs &clock)
{
    std::uint32_t seed = clock();
    auto draw = [&seed](std::uint32_t range) {
        seed = seed * 134775813u + 1u;
        return std::uint32_t((std::uint64_t(seed) * range) >> 32);
    };
    const std::uint32_t d1 = draw(9) + 1;
    std::uint32_t d2 = draw(10);
    while (d2 == d1)
        d2 = draw(10);
    std::uint32_t d3 = draw(10);
    while (d3 == d2)
        d3 = draw(10);
    const QString text = QString::number(d1) + QString::number(d2) + QString::number(d3);
    return toInteger(text.left(qMax(0, digits)));
}
