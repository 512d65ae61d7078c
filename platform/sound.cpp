#include "platform/sound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <memory>

namespace sound {

namespace {
struct Cues {
    std::unique_ptr<QSoundEffect> countdown, exclamation, information;
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

std::unique_ptr<QSoundEffect> load(const QUrl &url)
{
    auto e = std::make_unique<QSoundEffect>();
    e->setSource(url);
    return e;
}
} // namespace

void init()
{
    if (observer())
        return;
    Cues &c = cues();
    const QFileInfo wav(QStringLiteral("wav/a.wav"));
    if (wav.exists())
        c.countdown = load(QUrl::fromLocalFile(wav.absoluteFilePath()));
    c.exclamation = load(QUrl(QStringLiteral("qrc:/sounds/exclamation.wav")));
    c.information = load(QUrl(QStringLiteral("qrc:/sounds/information.wav")));
}

void play(Cue cue)
{
    if (observer()) {
        observer()(cue);
        return;
    }
    Cues &c = cues();
    QSoundEffect *e = cue == Cue::Countdown ? c.countdown.get()
                    : cue == Cue::Exclamation ? c.exclamation.get() : c.information.get();
    if (e) {
        e->stop(); // restart a cue that is still sounding
        e->play();
    }
}

void setObserver(Observer o) { observer() = std::move(o); }

} // namespace sound
