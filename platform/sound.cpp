#include "platform/sound.h"

#include "platform/wavefile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace sound {

namespace {
// Owned by the application object, so they go before the audio backend does.
struct Cues {
    QPointer<QSoundEffect> countdown, exclamation, information, fallback;
    // The countdown as it was checked: the backend reads this copy, never the file that may change
    // again after the check.
    std::unique_ptr<QTemporaryFile> countdownCopy;
};
Cues &cues()
{
    static Cues c;
    return c;
}
Observer &observer()
{
    static Observer o;
    return o;
}

// wav/a.wav as last looked at: a change of any of these reads it again.
struct Stamp {
    QString path;
    bool regular = false;
    qint64 size = -1;
    QDateTime modified, changed;
    bool operator==(const Stamp &) const = default;
};
struct Seen {
    bool known = false;
    Stamp stamp;
    QByteArray bytes; // the checked file, when it can be played
};
QString &countdownFile()
{
    static QString file;
    return file;
}

Seen &seen()
{
    static Seen s;
    return s;
}

// Only files that passed the check are loaded: the backend's loader, shared by all sounds, waits for
// ever on a damaged one, and then the program cannot end (not even on TERM); destroying or keeping
// the sound makes no difference to that.
QSoundEffect *load(const QUrl &url)
{
    auto *e = new QSoundEffect(QCoreApplication::instance());
    e->setSource(url);
    return e;
}

// The whole file, when it is a regular file of sane size; opened without blocking (a FIFO put in its
// place between the look and the read), never followed into a device.
QByteArray readRegular(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size <= wavefile::kMaxBytes) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
    }
    ::close(fd);
    return bytes;
}

// Looks at wav/a.wav. When it changed since the last look it is checked again and, when sounds are
// really played, loaded afresh. True when the countdown file can be played.
bool refreshCountdown()
{
    const QFileInfo info(countdownFile());
    Stamp now;
    now.path = info.absoluteFilePath();
    now.regular = !countdownFile().isEmpty() && info.isFile(); // follows a link; a FIFO or a device is not a sound
    if (now.regular) {
        now.size = info.size();
        now.modified = info.fileTime(QFileDevice::FileModificationTime);
        now.changed = info.fileTime(QFileDevice::FileMetadataChangeTime);
    }
    Seen &s = seen();
    if (s.known && s.stamp == now)
        return !s.bytes.isEmpty();
    s.known = true;
    s.stamp = now;
    s.bytes.clear();
    if (now.regular) {
        QByteArray bytes = readRegular(now.path);
        if (wavefile::problem(bytes).isEmpty())
            s.bytes = std::move(bytes);
    }
    if (!observer()) {
        Cues &c = cues();
        delete c.countdown.data();
        c.countdown = nullptr;
        c.countdownCopy.reset();
        if (!s.bytes.isEmpty()) {
            auto copy = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/pikazan-XXXXXX.wav"));
            if (copy->open() && copy->write(s.bytes) == s.bytes.size() && copy->flush()) {
                c.countdown = load(QUrl::fromLocalFile(copy->fileName()));
                c.countdownCopy = std::move(copy);
            }
        }
    }
    return !s.bytes.isEmpty();
}
} // namespace

void useClassroom(const Classroom &classroom) { countdownFile() = classroom.countdownSound(); }

void init()
{
    seen() = Seen{};
    if (observer())
        return;
    Cues &c = cues();

    c.exclamation = load(QUrl(QStringLiteral("qrc:/sounds/exclamation.wav")));
    c.information = load(QUrl(QStringLiteral("qrc:/sounds/information.wav")));
    c.fallback = load(QUrl(QStringLiteral("qrc:/sounds/default.wav")));
    refreshCountdown();
}

void play(Cue cue)
{
    if (cue == Cue::Countdown && !refreshCountdown())
        cue = Cue::Default;
    if (observer()) {
        observer()(cue);
        return;
    }
    Cues &c = cues();
    QSoundEffect *e = nullptr;
    switch (cue) {
    case Cue::Countdown: e = c.countdown.data(); break;
    case Cue::Exclamation: e = c.exclamation.data(); break;
    case Cue::Information: e = c.information.data(); break;
    case Cue::Default: e = c.fallback.data(); break;
    }
    if (e && e->status() != QSoundEffect::Error) {
        e->stop(); // restart a cue that is still sounding
        e->play();
    }
}

void setObserver(Observer o) { observer() = std::move(o); }

} // namespace sound
