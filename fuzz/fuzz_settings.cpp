// The settings file as the grade screen reads it: any bytes as settei/settei.dat, through the real
// accessors (file reading, line splitting, the conversions) and the rule that decides whether the
// flash screen can run a grade.
//
// Besides crashes and undefined behaviour it checks what the program relies on:
//  - a value the accessors return converts back to the same value;
//  - parameters checkParams accepts always give an interval the timers can take (1 ms to 2^32 - 1).
#include "drill/flashrules.h"
#include "base/classroom.h"
#include "settings/graderules.h"
#include "base/errors.h"
#include "settings/rand.h"

#include <QDir>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <fcntl.h>
#include <unistd.h>
// Last: its macro name must not reach the headers above.
#include "fuzzcheck.h"


namespace {
// settei/settei.dat in a folder of its own, in memory (/dev/shm) where the machine has it: the
// accessors open and read a real file each time, without touching the disk. (A link to a memfd
// would be refused like any link in a file's place.)
int memFile()
{
    static int fd = -1;
    if (fd >= 0)
        return fd;
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/pikazan-fuzz-XXXXXX"));
    QDir(dir.path()).mkpath(QStringLiteral("settei"));
    fd = open(QFile::encodeName(dir.filePath(QStringLiteral("settei/settei.dat"))).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        std::abort();
    Classroom::use(Classroom(dir.path()));
    return fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const int fd = memFile();
    check(ftruncate(fd, 0) == 0);
    check(pwrite(fd, data, size, 0) == ssize_t(size));

    try {
        const QStringList slots_ = ReadSettingsLines();
        check(slots_.size() == settings::kLineCount);
    } catch (const pz::IoError &) {
        return 0; // larger than any settings file may be
    }
    for (GradeCode c = 1; c <= 20; ++c) {
        GradeParams p;
        try {
            p.digits = ReadGradeDigits(c);
            check(toInteger(QString::number(p.digits)) == p.digits);
            p.count = ReadGradeCount(c);
            p.seconds = ReadGradeSeconds(c);
            check(std::isfinite(p.seconds));
            check(toSeconds(QString::number(p.seconds, 'g', 17)) == p.seconds);
        } catch (const pz::ConversionError &e) {
            check(!e.text().isEmpty() && e.text().size() < 200); // a cut quote, never the whole line
            continue;
        }
        if (graderules::checkParams(p).isEmpty()) {
            const qint64 interval = graderules::displayInterval(p.seconds, p.count);
            check(interval >= 1 && interval <= qint64(std::numeric_limits<quint32>::max()));
            check(flashrules::numberPlacement(p.digits).has_value());
        }
    }
    return 0;
}
